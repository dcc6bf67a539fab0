#include "wechatcontactspage.h"

WeChatContactsPage::WeChatContactsPage(IUIPluginSetting* setting)
    : DemoTablePage(setting, MMobile::MD_WECHAT_CONTACT)
{
}
