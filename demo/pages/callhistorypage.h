#ifndef CALLHISTORYPAGE_H
#define CALLHISTORYPAGE_H

#include "demotablepage.h"

// The page of the call history.
class CallHistoryPage : public DemoTablePage
{
    Q_OBJECT

public:
    explicit CallHistoryPage(IUIPluginSetting* setting);
};

#endif // CALLHISTORYPAGE_H
