#ifndef CALENDARPAGE_H
#define CALENDARPAGE_H

#include "demotablepage.h"

#include <QDate>

// The page of the calendar events; an all-day event's start and end show
// its day.
class CalendarPage : public DemoTablePage
{
    Q_OBJECT

public:
    explicit CalendarPage(IUIPluginSetting* setting);

    // The day of an all-day event's start or end cell; invalid for any other cell.
    QDate AllDay(int sourceRow, int column) const;
};

#endif // CALENDARPAGE_H
