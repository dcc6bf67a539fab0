#ifndef VIEWSTORE_H
#define VIEWSTORE_H

#include "fakegetter.h"
#include "wechatchatrecord.h"
#include "wechatfriendrecord.h"

#include "bookmarkrecord.h"
#include "calendarrecord.h"
#include "callrecord.h"
#include "contactrecord.h"
#include "conversationrecord.h"
#include "noterecord.h"
#include "reminderrecord.h"
#include "whatsapprecord.h"

#include "store/taskitem.h"

#include <QAbstractItemModelTester>
#include <QMap>
#include <QStringList>
#include <QVector>

#include <memory>

// Fails the running test at the first broken model rule while it lives.
inline std::unique_ptr<QAbstractItemModelTester> watch(QAbstractItemModel* model)
{
    return std::make_unique<QAbstractItemModelTester>(
        model, QAbstractItemModelTester::FailureReportingMode::Fatal);
}

// The display texts of one column under `parent`, top to bottom.
inline QStringList column(const QAbstractItemModel& model, int col,
                          const QModelIndex& parent = QModelIndex())
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(parent); ++row)
        texts << model.data(model.index(row, col, parent)).toString();
    return texts;
}

// A category store filled from the engine's records, in the order they were added:
// store position i holds the i-th added item. The getter owns the items and
// their records, so the store's pointers stay valid as long as this lives.
class ViewStore
{
public:
    explicit ViewStore(MMobile::MDType type) : m_store(type) {}

    template <class Record> FakeItem* add(std::unique_ptr<Record> record, bool deleted = false)
    {
        FakeItem* item = m_getter.newItem(std::move(record), deleted);
        m_pending.append(item);
        return item;
    }
    template <class Record> static std::unique_ptr<Record> textRecord(const QStringList& texts)
    {
        auto record = std::make_unique<Record>();
        for (int i = 0; i < texts.size(); ++i)
            record->Text().Set(i, texts.at(i));
        return record;
    }
    // A record made from its texts in getter order (null entries stay null).
    template <class Record> FakeItem* addTexts(const QStringList& texts, bool deleted = false)
    {
        return add(textRecord<Record>(texts), deleted);
    }
    // One record of the store's category from its texts: in getter order for the text-row
    // categories; a contact's name, company, then "p:", "e:" and "u:" list entries; a message's
    // participants as "name/phone/email".
    FakeItem* addRecord(const QStringList& texts, bool deleted = false)
    {
        const MMobile::MDType type = m_store.GetType();
        if (type == MMobile::MD_CONTACT) {
            auto contact = std::make_unique<ContactRecord>();
            contact->Name().Text().Set(ContactName::Full, texts.at(0));
            contact->Organization().Text().Set(ContactOrganization::Company, texts.value(1));
            for (const QString& field : texts.mid(2)) {
                const QByteArray value = field.mid(2).toUtf8();
                if (field.startsWith("p:"))
                    contact->Phones().Append(value, "mobile");
                else if (field.startsWith("e:"))
                    contact->Emails().Append(value, "work");
                else
                    contact->Urls().Append(value, QByteArray());
            }
            return add(std::move(contact), deleted);
        }
        if (type == MMobile::MD_MESSAGE) {
            auto chat = std::make_unique<ConversationRecord>();
            for (const QString& participant : texts) {
                RecordText& who = chat->AddParticipant();
                for (int part = 0; part < 3; ++part)
                    who.Set(part, participant.section('/', part, part));
            }
            return add(std::move(chat), deleted);
        }
        using Add = FakeItem* (ViewStore::*)(const QStringList&, bool);
        const QMap<int, Add> rows{
            {MMobile::MD_CALL_HISTORY, &ViewStore::addTexts<CallRecord>},
            {MMobile::MD_CALENDAR, &ViewStore::addTexts<CalendarRecord>},
            {MMobile::MD_NOTE, &ViewStore::addTexts<NoteRecord>},
            {MMobile::MD_SAFARI_BOOKMARK, &ViewStore::addTexts<BookmarkRecord>},
            {MMobile::MD_WHATSAPP_MESSAGE, &ViewStore::addTexts<WhatsAppRecord>},
            {MMobile::MD_WECHAT_CONTACT, &ViewStore::addTexts<WeChatFriendRecord>},
            {MMobile::MD_WECHAT_MESSAGE, &ViewStore::addTexts<WeChatChatRecord>}};
        return (this->*rows.value(type, &ViewStore::addTexts<ReminderRecord>))(texts, deleted);
    }

    // Loads everything added so far into the store, as the end of a scan does.
    TaskItem* fill()
    {
        m_getter.clear();
        for (auto it = m_pending.crbegin(); it != m_pending.crend(); ++it)
            m_getter.prepend({*it});
        m_store.SetDatas(&m_getter);
        return &m_store;
    }

    FakeGetter& getter() { return m_getter; }

private:
    FakeGetter m_getter;
    QVector<MMobile::IMDCommon*> m_pending;
    TaskItem m_store;
};

#endif // VIEWSTORE_H
