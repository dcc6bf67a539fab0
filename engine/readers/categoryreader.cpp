#include "categoryreader.h"

#include "bookmarkreader.h"
#include "calendarreader.h"
#include "callreader.h"
#include "contactreader.h"
#include "deletedrecords.h"
#include "engineitem.h"
#include "messagereader.h"
#include "noteattachmentreader.h"
#include "notereader.h"
#include "photoreader.h"
#include "voicememoreader.h"
#include "wechatreader.h"
#include "whatsappreader.h"

CategoryReader::CategoryReader(BackupManifest& manifest, const QString& workFolder,
                               MMobile::MDType type, Progress progress)
    : m_context(manifest, workFolder, std::move(progress)), m_type(type)
{
}

CategoryReader::~CategoryReader() = default;

bool CategoryReader::Read(Items& items)
{
    const bool carves = DeletedRecords::Carves(m_type);
    m_context.SetProgressPart(0, carves ? 80 : 100);
    // The databases are carved on a second core while the live rows are read.
    std::unique_ptr<DeletedRecords> deleted;
    if (carves) {
        deleted = std::make_unique<DeletedRecords>(m_context, m_type);
        deleted->Begin();
    }
    if (!ReadLive(items))
        return false;
    // What the phone marked deleted itself says so as its source.
    const QByteArray mark = DeletedRecords::MarkSource(m_type);
    for (auto& item : items) {
        if (item->IsDeleted() && item->Source().isEmpty())
            item->SetDeleted(mark);
    }
    if (deleted && !m_context.Stopped())
        deleted->Read([this](Items& found) { return ReadLive(found); }, items);
    if (!m_context.Stopped())
        m_context.ReportIndexDamage(items.empty());
    return true;
}

bool CategoryReader::ReadLive(Items& items)
{
    switch (m_type) {
    case MMobile::MD_PHOTO:
        return PhotoReader(m_context).Read(items);
    case MMobile::MD_CONTACT:
        return ContactReader(m_context).Read(items);
    case MMobile::MD_MESSAGE_ATTACHMENT:
        return MessageReader(m_context).ReadAttachments(items);
    case MMobile::MD_MESSAGE:
        return MessageReader(m_context).ReadConversations(items);
    case MMobile::MD_CALL_HISTORY:
        return CallReader(m_context).Read(items);
    case MMobile::MD_CALENDAR:
        return CalendarReader(m_context).Read(items, false);
    case MMobile::MD_NOTE:
        return NoteReader(m_context).Read(items);
    case MMobile::MD_VOICE_MEMO:
        return VoiceMemoReader(m_context).Read(items);
    case MMobile::MD_SAFARI_BOOKMARK:
        return BookmarkReader(m_context).Read(items);
    case MMobile::MD_WHATSAPP_ATTACHMENT:
        return WhatsAppReader(m_context).ReadAttachments(items);
    case MMobile::MD_WHATSAPP_MESSAGE:
        return WhatsAppReader(m_context).ReadChats(items);
    case MMobile::MD_REMINDER:
        return CalendarReader(m_context).Read(items, true);
    case MMobile::MD_NOTE_ATTACHMENT:
        return NoteAttachmentReader(m_context).Read(items);
    case MMobile::MD_WECHAT_CONTACT:
        return ReadWeChat(WeChatReader::CONTACTS, items);
    case MMobile::MD_WECHAT_MESSAGE:
        return ReadWeChat(WeChatReader::CHATS, items);
    case MMobile::MD_WECHAT_ATTACHMENT:
        return ReadWeChat(WeChatReader::ATTACHMENTS, items);
    default:
        return true;
    }
}

bool CategoryReader::ReadWeChat(int what, Items& items)
{
    WeChatReader reader(m_context);
    const bool ok = reader.Read(static_cast<WeChatReader::What>(what), items);
    m_weChatAccounts = reader.Accounts();
    return ok;
}
