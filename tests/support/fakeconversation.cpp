#include "fakeconversation.h"

FakeMessageEntry::FakeMessageEntry(const FakeText& text, const FakeText& sender,
                                   const FakeText& date, bool sent)
    : m_texts{text, sender, date}, m_sent(sent)
{
}

FakeMessageEntry::~FakeMessageEntry() = default;

const char* FakeMessageEntry::GetText()
{
    return m_texts[Text].get();
}

const char* FakeMessageEntry::GetSender()
{
    return m_texts[Sender].get();
}

const char* FakeMessageEntry::GetDate()
{
    return m_texts[Date].get();
}

bool FakeMessageEntry::IsSent()
{
    return m_sent;
}

void FakeMessageEntry::set(Field field, const FakeText& text)
{
    if (field >= Text && field <= Date)
        m_texts[field] = text;
}

FakeEntryList::FakeEntryList() = default;

FakeEntryList::~FakeEntryList() = default;

FakeMessageEntry* FakeEntryList::add(const FakeText& text, const FakeText& sender,
                                     const FakeText& date, bool sent)
{
    m_entries.push_back(std::make_unique<FakeMessageEntry>(text, sender, date, sent));
    return m_entries.back().get();
}

unsigned int FakeEntryList::count() const
{
    return static_cast<unsigned int>(m_entries.size());
}

FakeMessageEntry* FakeEntryList::at(unsigned int index) const
{
    return index < m_entries.size() ? m_entries[index].get() : nullptr;
}

FakeMessage::FakeMessage() = default;

FakeMessage::~FakeMessage() = default;

unsigned int FakeMessage::GetParticipantCount()
{
    return static_cast<unsigned int>(m_participants.size());
}

const char* FakeMessage::GetParticipantName(unsigned int index)
{
    const Participant* p = participant(index);
    return p ? p->name.get() : nullptr;
}

const char* FakeMessage::GetParticipantPhone(unsigned int index)
{
    const Participant* p = participant(index);
    return p ? p->phone.get() : nullptr;
}

const char* FakeMessage::GetParticipantEmail(unsigned int index)
{
    const Participant* p = participant(index);
    return p ? p->email.get() : nullptr;
}

unsigned int FakeMessage::GetEntryCount()
{
    return m_entries.count();
}

MMobile::IMessageEntry* FakeMessage::GetEntry(unsigned int index)
{
    return m_entries.at(index);
}

void FakeMessage::addParticipant(const FakeText& name, const FakeText& phone, const FakeText& email)
{
    m_participants.push_back({name, phone, email});
}

FakeMessageEntry* FakeMessage::addEntry(const FakeText& text, const FakeText& sender,
                                        const FakeText& date, bool sent)
{
    return m_entries.add(text, sender, date, sent);
}

const FakeMessage::Participant* FakeMessage::participant(unsigned int index) const
{
    return index < m_participants.size() ? &m_participants[index] : nullptr;
}

const char* FakeWhatsAppMessenger::GetChatName()
{
    return field(ChatName);
}

const char* FakeWhatsAppMessenger::GetPartnerName()
{
    return field(PartnerName);
}

const char* FakeWhatsAppMessenger::GetPartnerPhone()
{
    return field(PartnerPhone);
}

unsigned int FakeWhatsAppMessenger::GetEntryCount()
{
    return m_entries.count();
}

MMobile::IMessageEntry* FakeWhatsAppMessenger::GetEntry(unsigned int index)
{
    return m_entries.at(index);
}

FakeMessageEntry* FakeWhatsAppMessenger::addEntry(const FakeText& text, const FakeText& sender,
                                                  const FakeText& date, bool sent)
{
    return m_entries.add(text, sender, date, sent);
}

const char* FakeWeChatMessager::GetChatName()
{
    return field(ChatName);
}

const char* FakeWeChatMessager::GetAccount()
{
    return field(Account);
}

const char* FakeWeChatMessager::GetMember()
{
    return field(Member);
}

unsigned int FakeWeChatMessager::GetEntryCount()
{
    return m_entries.count();
}

MMobile::IMessageEntry* FakeWeChatMessager::GetEntry(unsigned int index)
{
    return m_entries.at(index);
}

FakeMessageEntry* FakeWeChatMessager::addEntry(const FakeText& text, const FakeText& sender,
                                               const FakeText& date, bool sent)
{
    return m_entries.add(text, sender, date, sent);
}
