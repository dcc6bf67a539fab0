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
#include <QStringList>
#include <QVector>

#include <memory>

// Fails the running test at the first broken model rule while it lives.
inline std::unique_ptr<QAbstractItemModelTester> watch(QAbstractItemModel* model)
{
    return std::make_unique<QAbstractItemModelTester>(
        model, QAbstractItemModelTester::FailureReportingMode::Fatal);
}

// The display texts of one column, top to bottom.
inline QStringList column(const QAbstractItemModel& model, int col)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts << model.data(model.index(row, col)).toString();
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
    FakeItem* addItem(std::unique_ptr<FakeItem> item)
    {
        FakeItem* raw = m_getter.adopt(std::move(item));
        m_pending.append(raw);
        return raw;
    }
    // A record made from its texts in getter order (null entries stay null).
    template <class Record> FakeItem* addTexts(const QStringList& texts, bool deleted = false)
    {
        return add(textRecord<Record>(texts), deleted);
    }
    FakeItem* addContact(const QString& name, const QString& company, const QString& phone,
                         bool deleted = false)
    {
        auto contact = std::make_unique<ContactRecord>();
        contact->Name().Text().Set(ContactName::Full, name);
        contact->Organization().Text().Set(ContactOrganization::Company, company);
        if (!phone.isNull())
            contact->Phones().Append(phone.toUtf8(), QByteArray());
        return add(std::move(contact), deleted);
    }

    // Loads everything added so far into the store, as the end of a scan does.
    TaskItem* fill()
    {
        m_getter.clear();
        QVector<MMobile::IMDCommon*> reversed;
        for (int i = m_pending.size() - 1; i >= 0; --i)
            reversed.append(m_pending.at(i));
        m_getter.prepend(reversed);
        m_store.SetDatas(&m_getter);
        return &m_store;
    }

    TaskItem* store() { return &m_store; }
    FakeGetter& getter() { return m_getter; }

private:
    FakeGetter m_getter;
    QVector<MMobile::IMDCommon*> m_pending;
    TaskItem m_store;
};

#endif // VIEWSTORE_H
