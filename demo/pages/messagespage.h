#ifndef MESSAGESPAGE_H
#define MESSAGESPAGE_H

#include "demotablepage.h"

// The page of the messages: one row per conversation (ConversationStore), the
// selected conversation's messages in the detail pane.
class MessagesPage : public DemoTablePage
{
    Q_OBJECT

public:
    explicit MessagesPage(IUIPluginSetting* setting);

protected:
    QString DetailText(MMobile::IMDCommon* item, int sourceRow) const override;
    void NewTaskItem() override;
};

#endif // MESSAGESPAGE_H
