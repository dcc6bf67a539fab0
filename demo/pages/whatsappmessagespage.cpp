#include "whatsappmessagespage.h"

#include "conversationstore.h"
#include "detailformatter.h"

#include "contracts/imdcommon.h"
#include "contracts/iwhatsappmessenger.h"

WhatsAppMessagesPage::WhatsAppMessagesPage(IUIPluginSetting* setting)
    : DemoTablePage(setting, MMobile::MD_WHATSAPP_MESSAGE)
{
}

QString WhatsAppMessagesPage::DetailText(MMobile::IMDCommon* item, int sourceRow) const
{
    auto* record = MMobile::record_cast<MMobile::IWhatsAppMessenger>(item);
    return record ? DetailFormatter::Conversation(record) : CellsAsHtml(sourceRow);
}

void WhatsAppMessagesPage::NewTaskItem()
{
    m_pTaskItem = new ConversationStore(m_type);
}
