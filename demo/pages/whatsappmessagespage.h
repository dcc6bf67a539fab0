#ifndef WHATSAPPMESSAGESPAGE_H
#define WHATSAPPMESSAGESPAGE_H

#include "demotablepage.h"

// The page of the WhatsApp chats: one row per chat (ConversationStore), the
// selected chat's messages in the detail pane.
class WhatsAppMessagesPage : public DemoTablePage
{
    Q_OBJECT

public:
    explicit WhatsAppMessagesPage(IUIPluginSetting* setting);

protected:
    QString DetailText(MMobile::IMDCommon* item, int sourceRow) const override;
    void NewTaskItem() override;
};

#endif // WHATSAPPMESSAGESPAGE_H
