#include "wechatmessagespage.h"

#include "detailformatter.h"

#include "contracts/imdcommon.h"
#include "contracts/iwechatmessager.h"

WeChatMessagesPage::WeChatMessagesPage(IUIPluginSetting* setting)
    : DemoTablePage(setting, MMobile::MD_WECHAT_MESSAGE)
{
}

QString WeChatMessagesPage::DetailText(MMobile::IMDCommon* item, int sourceRow) const
{
    auto* record = MMobile::record_cast<MMobile::IWeChatMessager>(item);
    return record ? DetailFormatter::Conversation(record) : CellsAsHtml(sourceRow);
}
