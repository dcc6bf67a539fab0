#include "wechatcontactspage.h"

#include "detailformatter.h"

#include "contracts/imdcommon.h"
#include "contracts/iwechatfriend.h"

WeChatContactsPage::WeChatContactsPage(IUIPluginSetting* setting)
    : DemoTablePage(setting, MMobile::MD_WECHAT_CONTACT)
{
}

QString WeChatContactsPage::DetailText(MMobile::IMDCommon* item, int sourceRow) const
{
    auto* record = MMobile::record_cast<MMobile::IWeChatFriend>(item);
    if (!record)
        return CellsAsHtml(sourceRow);
    const QString user = DetailFormatter::Text(record->GetUserName());
    // Groups keep their members where people keep a signature.
    const bool group = user.endsWith(QLatin1String("@chatroom"));
    const QString kind = group                                   ? tr("Group")
                         : user.startsWith(QLatin1String("gh_")) ? tr("Official account")
                                                                 : tr("Person");
    const std::pair<QString, QString> rows[] = {
        {tr("Kind"), kind},
        {tr("User name"), user},
        {tr("WeChat ID"), DetailFormatter::Text(record->GetAlias())},
        {tr("Remark"), DetailFormatter::Text(record->GetRemark())},
        {tr("Region"), DetailFormatter::Text(record->GetRegion())},
        {group ? tr("Members") : tr("Signature"), DetailFormatter::Text(record->GetSignature())}};
    QString html = QStringLiteral("<h3>%1</h3><table cellspacing='4'>")
                       .arg(DetailFormatter::Text(record->GetDisplayName()).toHtmlEscaped());
    for (const auto& row : rows) {
        if (!row.second.isEmpty())
            html += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>")
                        .arg(row.first.toHtmlEscaped(), row.second.toHtmlEscaped());
    }
    return html + QStringLiteral("</table>");
}
