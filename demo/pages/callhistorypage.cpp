#include "callhistorypage.h"

CallHistoryPage::CallHistoryPage(IUIPluginSetting* setting)
    : DemoTablePage(setting, MMobile::MD_CALL_HISTORY)
{
}
