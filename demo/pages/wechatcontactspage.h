#ifndef WECHATCONTACTSPAGE_H
#define WECHATCONTACTSPAGE_H

#include "demotablepage.h"

// The page of the WeChat friends.
class WeChatContactsPage : public DemoTablePage
{
    Q_OBJECT

public:
    explicit WeChatContactsPage(IUIPluginSetting* setting);
};

#endif // WECHATCONTACTSPAGE_H
