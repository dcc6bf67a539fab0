#ifndef WECHATMESSAGESPAGE_H
#define WECHATMESSAGESPAGE_H

#include "demotablepage.h"

// The page of the WeChat chats: the selected chat's messages in the detail pane.
class WeChatMessagesPage : public DemoTablePage
{
    Q_OBJECT

public:
    explicit WeChatMessagesPage(IUIPluginSetting* setting);

protected:
    QString DetailText(MMobile::IMDCommon* item, int sourceRow) const override;
};

#endif // WECHATMESSAGESPAGE_H
