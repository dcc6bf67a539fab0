#ifndef FAKECONVERSATION_H
#define FAKECONVERSATION_H

// Fake records of the conversation categories: messages, WhatsApp and WeChat
// messages, with the message entries they share. Grouped because the three
// records differ only in their heading texts. Each record owns its entries
// (and, for messages, its participants); out-of-range indexes answer null.
//
//   FakeMessage chat;
//   chat.addParticipant("Ann", "+100", QString());
//   chat.addEntry("hello", "Ann", "2020-01-02 03:04:05", false);
//
// Texts are settable and may be null; getters return nullptr for a null text.

#include "faketext.h"
#include "faketextrecord.h"

#include "contracts/imessage.h"
#include "contracts/imessageentry.h"
#include "contracts/iwechatmessager.h"
#include "contracts/iwhatsappmessenger.h"

#include <memory>
#include <vector>

class FakeMessageEntry : public MMobile::IMessageEntry
{
public:
    enum Field { Text, Sender, Date };

    FakeMessageEntry(const FakeText& text = FakeText(), const FakeText& sender = FakeText(),
                     const FakeText& date = FakeText(), bool sent = false);
    virtual ~FakeMessageEntry();

    const char* GetText() override;
    const char* GetSender() override;
    const char* GetDate() override;
    bool IsSent() override;

    void set(Field field, const FakeText& text);
    void setSent(bool sent) { m_sent = sent; }

private:
    FakeText m_texts[3];
    bool m_sent;
};

// The owned entries of one conversation, in order.
class FakeEntryList
{
public:
    FakeEntryList();
    ~FakeEntryList();

    FakeMessageEntry* add(const FakeText& text, const FakeText& sender, const FakeText& date,
                          bool sent);
    unsigned int count() const;
    FakeMessageEntry* at(unsigned int index) const;

private:
    std::vector<std::unique_ptr<FakeMessageEntry>> m_entries;
};

class FakeMessage : public MMobile::IMessage
{
public:
    FakeMessage();
    virtual ~FakeMessage();

    unsigned int GetParticipantCount() override;
    const char* GetParticipantName(unsigned int index) override;
    const char* GetParticipantPhone(unsigned int index) override;
    const char* GetParticipantEmail(unsigned int index) override;
    unsigned int GetEntryCount() override;
    MMobile::IMessageEntry* GetEntry(unsigned int index) override;

    void addParticipant(const FakeText& name, const FakeText& phone, const FakeText& email);
    FakeMessageEntry* addEntry(const FakeText& text, const FakeText& sender, const FakeText& date,
                               bool sent = false);

private:
    struct Participant
    {
        FakeText name;
        FakeText phone;
        FakeText email;
    };
    const Participant* participant(unsigned int index) const;

    std::vector<Participant> m_participants;
    FakeEntryList m_entries;
};

class FakeWhatsAppMessenger : public FakeTextRecord<MMobile::IWhatsAppMessenger, 3>
{
public:
    enum Field { ChatName, PartnerName, PartnerPhone };
    using FakeTextRecord::FakeTextRecord;

    const char* GetChatName() override;
    const char* GetPartnerName() override;
    const char* GetPartnerPhone() override;
    unsigned int GetEntryCount() override;
    MMobile::IMessageEntry* GetEntry(unsigned int index) override;

    FakeMessageEntry* addEntry(const FakeText& text, const FakeText& sender, const FakeText& date,
                               bool sent = false);

private:
    FakeEntryList m_entries;
};

class FakeWeChatMessager : public FakeTextRecord<MMobile::IWeChatMessager, 3>
{
public:
    enum Field { ChatName, Account, Member };
    using FakeTextRecord::FakeTextRecord;

    const char* GetChatName() override;
    const char* GetAccount() override;
    const char* GetMember() override;
    unsigned int GetEntryCount() override;
    MMobile::IMessageEntry* GetEntry(unsigned int index) override;

    FakeMessageEntry* addEntry(const FakeText& text, const FakeText& sender, const FakeText& date,
                               bool sent = false);

private:
    FakeEntryList m_entries;
};

#endif // FAKECONVERSATION_H
