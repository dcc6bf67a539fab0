#ifndef WECHATCONTACTSPAGE_H
#define WECHATCONTACTSPAGE_H

#include "demotablepage.h"

// The page of the WeChat friends, groups and official accounts: the
// selected one's names (and a group's members) in the detail pane.
class WeChatContactsPage : public DemoTablePage
{
    Q_OBJECT

public:
    explicit WeChatContactsPage(IUIPluginSetting* setting);

protected:
    QString DetailText(MMobile::IMDCommon* item, int sourceRow) const override;
};

#endif // WECHATCONTACTSPAGE_H
