#include "calendarpage.h"

CalendarPage::CalendarPage(IUIPluginSetting* setting) : DemoTablePage(setting, MMobile::MD_CALENDAR)
{
}
