#include "conversationgroup.h"

#include "contracts/imessage.h"
#include "contracts/imessageentry.h"
#include "contracts/iwhatsappmessenger.h"

#include <QByteArrayList>

#include <algorithm>
#include <cstring>

namespace {

const char* Date(MMobile::IMessageEntry* entry)
{
    const char* date = entry ? entry->GetDate() : nullptr;
    return date ? date : "";
}

template <class Record>
void AppendEntries(Record* record, std::vector<MMobile::IMessageEntry*>& entries)
{
    for (unsigned int i = 0; record && i < record->GetEntryCount(); ++i) {
        if (MMobile::IMessageEntry* entry = record->GetEntry(i))
            entries.push_back(entry);
    }
}

} // namespace

// The group as a conversation: the first item's participants.
class ConversationGroup::Thread final : public MMobile::IMessage
{
public:
    Thread(ConversationGroup& group, MMobile::IMessage* face) : m_group(group), m_face(face) {}
    unsigned int GetParticipantCount() override { return m_face->GetParticipantCount(); }
    const char* GetParticipantName(unsigned int index) override
    {
        return m_face->GetParticipantName(index);
    }
    const char* GetParticipantPhone(unsigned int index) override
    {
        return m_face->GetParticipantPhone(index);
    }
    const char* GetParticipantEmail(unsigned int index) override
    {
        return m_face->GetParticipantEmail(index);
    }
    unsigned int GetEntryCount() override { return m_group.EntryCount(); }
    MMobile::IMessageEntry* GetEntry(unsigned int index) override { return m_group.Entry(index); }

private:
    ConversationGroup& m_group;
    MMobile::IMessage* m_face;
};

// The group as a WhatsApp chat: the first item's name and partner.
class ConversationGroup::Chat final : public MMobile::IWhatsAppMessenger
{
public:
    Chat(ConversationGroup& group, MMobile::IWhatsAppMessenger* face) : m_group(group), m_face(face)
    {
    }
    const char* GetChatName() override { return m_face->GetChatName(); }
    const char* GetPartnerName() override { return m_face->GetPartnerName(); }
    const char* GetPartnerPhone() override { return m_face->GetPartnerPhone(); }
    unsigned int GetEntryCount() override { return m_group.EntryCount(); }
    MMobile::IMessageEntry* GetEntry(unsigned int index) override { return m_group.Entry(index); }

private:
    ConversationGroup& m_group;
    MMobile::IWhatsAppMessenger* m_face;
};

ConversationGroup::ConversationGroup(MMobile::IMDCommon* first)
{
    if (auto* conversation = MMobile::record_cast<MMobile::IMessage>(first))
        m_thread = std::make_unique<Thread>(*this, conversation);
    else if (auto* chat = MMobile::record_cast<MMobile::IWhatsAppMessenger>(first))
        m_chat = std::make_unique<Chat>(*this, chat);
    Add(first);
}

ConversationGroup::~ConversationGroup() = default;

QByteArray ConversationGroup::KeyOf(MMobile::IMDCommon* item)
{
    if (auto* chat = MMobile::record_cast<MMobile::IWhatsAppMessenger>(item)) {
        const QByteArray name(chat->GetChatName());
        const QByteArray phone(chat->GetPartnerPhone());
        return name.isEmpty() && phone.isEmpty() ? QByteArray() : "w" + name + '\x1f' + phone;
    }
    auto* record = MMobile::record_cast<MMobile::IMessage>(item);
    if (!record)
        return QByteArray();
    // A chat read from another copy of the database may list its people in
    // another order.
    QByteArrayList people;
    bool known = false;
    for (unsigned int i = 0; i < record->GetParticipantCount(); ++i) {
        const QByteArray phone(record->GetParticipantPhone(i));
        const QByteArray email(record->GetParticipantEmail(i));
        known = known || !phone.isEmpty() || !email.isEmpty();
        people << phone + '\x1f' + email;
    }
    std::sort(people.begin(), people.end());
    return known ? "c" + people.join('\x1e') : QByteArray();
}

void ConversationGroup::Add(MMobile::IMDCommon* item)
{
    if (!item)
        return;
    m_members.push_back(item);
    AppendEntries(MMobile::record_cast<MMobile::IMessage>(item), m_entries);
    AppendEntries(MMobile::record_cast<MMobile::IWhatsAppMessenger>(item), m_entries);
    // The dates are sortable text; messages of one date keep the order their
    // items gave them, the earlier item's first.
    std::stable_sort(m_entries.begin(), m_entries.end(),
                     [](MMobile::IMessageEntry* a, MMobile::IMessageEntry* b) {
                         return std::strcmp(Date(a), Date(b)) < 0;
                     });
}

MMobile::IMessageEntry* ConversationGroup::Entry(unsigned int index) const
{
    return index < m_entries.size() ? m_entries[index] : nullptr;
}

MMobile::IMDRecord* ConversationGroup::GetRecord()
{
    if (m_thread)
        return m_thread.get();
    return m_chat.get();
}

bool ConversationGroup::IsDeleted()
{
    return std::any_of(m_members.begin(), m_members.end(),
                       [](MMobile::IMDCommon* member) { return member->IsDeleted(); });
}

void ConversationGroup::SetDropMark(bool drop)
{
    for (MMobile::IMDCommon* member : m_members)
        member->SetDropMark(drop);
}
