#ifndef CALENDARPAGE_H
#define CALENDARPAGE_H

#include "demotablepage.h"

// The page of the calendar events.
class CalendarPage : public DemoTablePage
{
    Q_OBJECT

public:
    explicit CalendarPage(IUIPluginSetting* setting);
};

#endif // CALENDARPAGE_H
