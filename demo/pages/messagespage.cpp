#include "messagespage.h"

#include "conversationstore.h"
#include "detailformatter.h"

#include "contracts/imdcommon.h"
#include "contracts/imessage.h"

MessagesPage::MessagesPage(IUIPluginSetting* setting) : DemoTablePage(setting, MMobile::MD_MESSAGE)
{
}

QString MessagesPage::DetailText(MMobile::IMDCommon* item, int sourceRow) const
{
    auto* record = MMobile::record_cast<MMobile::IMessage>(item);
    return record ? DetailFormatter::Conversation(record) : CellsAsHtml(sourceRow);
}

void MessagesPage::NewTaskItem()
{
    m_pTaskItem = new ConversationStore(m_type);
}
