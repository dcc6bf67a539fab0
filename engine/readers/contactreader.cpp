#include "contactreader.h"

#include "contactrecord.h"
#include "engineitem.h"
#include "localclock.h"
#include "schemaprobe.h"
#include "sqlitedb.h"

#include <QHash>

namespace {

const char* const Store = "Library/AddressBook/AddressBook.sqlitedb";

using Row = SqliteDb::Row;

// ABMultiValue.property
enum Property {
    PropertyPhone = 3,
    PropertyEmail = 4,
    PropertyAddress = 5,
    PropertyDate = 12,
    PropertyInstantMessage = 13,
    PropertyUrl = 22,
    PropertyRelatedName = 23,
    PropertySocialProfile = 46
};

// "_$!<Mobile>!$_" -> "mobile"; custom labels stay as typed.
QByteArray CleanLabel(const QByteArray& label)
{
    if (label.startsWith("_$!<") && label.endsWith(">!$_"))
        return label.mid(4, label.size() - 8).toLower();
    return label;
}

QString JoinNonEmpty(const QStringList& parts)
{
    QStringList kept;
    for (const QString& part : parts) {
        if (!part.trimmed().isEmpty())
            kept.append(part.trimmed());
    }
    return kept.join(QLatin1Char(' '));
}

// A date value is stored as seconds since 2001, as text or as a number.
QString FloatingDate(const Row& row, int column)
{
    if (row.IsNull(column))
        return QString();
    bool number = false;
    const double seconds = row.String(column).toDouble(&number);
    return number ? LocalClock::DateText(seconds) : QString();
}

using Entries = QHash<QString, QByteArray>; // key ("Street", "username"...) -> value

// An instant message or social profile entry: the user name (or the link)
// as value, the service as label where the entry names one.
void AppendAccount(ContactValueList& list, const Entries& entries, const QByteArray& label)
{
    QByteArray value = entries.value(QStringLiteral("username"));
    if (value.isEmpty())
        value = entries.value(QStringLiteral("url"));
    const QByteArray service = entries.value(QStringLiteral("service"));
    list.Append(value, service.isEmpty() ? label : service);
}

void AppendAddress(ContactAddressList& list, const Entries& entries, const QByteArray& label)
{
    RecordText& address = list.Append();
    address.Set(ContactAddressList::Label, label);
    address.Set(ContactAddressList::Street, entries.value(QStringLiteral("Street")));
    address.Set(ContactAddressList::City, entries.value(QStringLiteral("City")));
    address.Set(ContactAddressList::State, entries.value(QStringLiteral("State")));
    address.Set(ContactAddressList::PostalCode, entries.value(QStringLiteral("ZIP")));
    address.Set(ContactAddressList::Country, entries.value(QStringLiteral("Country")));
}

} // namespace

bool ContactReader::Read(ReaderContext::Items& items)
{
    SqliteDb db;
    const ReaderContext::OpenResult open = m_context.OpenDatabase(
        QString::fromLatin1(ReaderContext::HomeDomain), QString::fromLatin1(Store), db);
    if (open != ReaderContext::OPEN_OK)
        return open == ReaderContext::OPEN_ABSENT;
    SchemaProbe schema(db, QStringLiteral("AddressBook.sqlitedb"));
    const QString missing =
        schema.MissingTable({QStringLiteral("ABPerson"), QStringLiteral("ABMultiValue")});
    if (!missing.isEmpty())
        return m_context.Fail(QStringLiteral("the address book lacks the table %1").arg(missing));

    QStringList columns;
    for (const char* column : {"First", "Middle", "Last", "Prefix", "Suffix", "Nickname",
                               "FirstPhonetic", "MiddlePhonetic", "LastPhonetic", "Organization",
                               "Department", "JobTitle", "Note", "Birthday"})
        columns << schema.Column(QStringLiteral("ABPerson"), QString(), QLatin1String(column));

    QHash<qint64, ContactRecord*> byId;
    ReaderContext::Items read;
    qint64 total = 0;
    db.Query(QStringLiteral("SELECT count(*) FROM ABPerson"), [&total](const Row& row) {
        total = row.Int(0);
        return false;
    });
    qint64 done = 0;
    const bool ok = db.Query(
        QStringLiteral("SELECT ROWID, %1 FROM ABPerson ORDER BY ROWID").arg(columns.join(", ")),
        [&](const Row& row) {
            auto record = std::make_unique<ContactRecord>();
            RecordText& name = record->Name().Text();
            // Columns 1-9: First, Middle, Last, Prefix, Suffix, Nickname, phonetics.
            name.Set(ContactName::First, row.Text(1));
            name.Set(ContactName::Middle, row.Text(2));
            name.Set(ContactName::Last, row.Text(3));
            name.Set(ContactName::Prefix, row.Text(4));
            name.Set(ContactName::Suffix, row.Text(5));
            name.Set(ContactName::Nickname, row.Text(6));
            name.Set(ContactName::FirstPhonetic, row.Text(7));
            name.Set(ContactName::MiddlePhonetic, row.Text(8));
            name.Set(ContactName::LastPhonetic, row.Text(9));
            name.Set(ContactName::Full, JoinNonEmpty({row.String(4), row.String(1), row.String(2),
                                                      row.String(3), row.String(5)}));
            RecordText& organization = record->Organization().Text();
            organization.Set(ContactOrganization::Company, row.Text(10));
            organization.Set(ContactOrganization::Department, row.Text(11));
            organization.Set(ContactOrganization::JobTitle, row.Text(12));
            record->Text().Set(ContactRecord::Note, row.Text(13));
            const QString birthday = FloatingDate(row, 14);
            if (!birthday.isEmpty())
                record->Text().Set(ContactRecord::Birthday, birthday);
            record->SetRow(Store, row.Int(0));
            byId.insert(row.Int(0), record.get());
            read.push_back(ReaderContext::MakeItem(std::move(record)));
            return m_context.Tick(++done, total);
        });
    // A stop, or a query it interrupted, leaves what was read.
    m_context.Leave(read);
    if (!ok)
        return m_context.Fail(db.LastError());
    if (m_context.Stopped())
        return true;

    // The parts of structured values first, so that each value is complete
    // when its list takes it.
    QHash<qint64, Entries> entries; // by ABMultiValue.UID
    if (schema.Optional(QStringLiteral("ABMultiValueEntry"),
                        QStringLiteral("address, instant message and social profile parts")) &&
        schema.Optional(QStringLiteral("ABMultiValueEntryKey"),
                        QStringLiteral("address, instant message and social profile parts"))) {
        db.Query(QStringLiteral("SELECT e.parent_id, k.value, e.value FROM ABMultiValueEntry e "
                                "JOIN ABMultiValueEntryKey k ON k.ROWID = e.key"),
                 [&entries](const Row& row) {
                     entries[row.Int(0)].insert(row.String(1), row.Text(2));
                     return true;
                 });
    }
    const bool labels =
        schema.Optional(QStringLiteral("ABMultiValueLabel"), QStringLiteral("value labels"));
    const bool valuesOk = db.Query(
        QStringLiteral("SELECT mv.UID, mv.record_id, mv.property, mv.value, %1 FROM ABMultiValue "
                       "mv%2 ORDER BY mv.record_id, mv.UID")
            .arg(labels ? QStringLiteral("l.value") : QStringLiteral("NULL"),
                 labels ? QStringLiteral(" LEFT JOIN ABMultiValueLabel l ON l.ROWID = mv.label")
                        : QString()),
        [&](const Row& row) {
            ContactRecord* contact = byId.value(row.Int(1));
            if (!contact)
                return true;
            const QByteArray label = CleanLabel(row.Text(4));
            switch (row.Int(2)) {
            case PropertyPhone:
                contact->Phones().Append(row.Text(3), label);
                break;
            case PropertyEmail:
                contact->Emails().Append(row.Text(3), label);
                break;
            case PropertyUrl:
                contact->Urls().Append(row.Text(3), label);
                break;
            case PropertyRelatedName:
                contact->RelatedNames().Append(row.Text(3), label);
                break;
            case PropertyDate:
                contact->Dates().Append(FloatingDate(row, 3).toUtf8(), label);
                break;
            case PropertyAddress:
                AppendAddress(contact->Addresses(), entries.value(row.Int(0)), label);
                break;
            case PropertyInstantMessage:
                AppendAccount(contact->InstantMessages(), entries.value(row.Int(0)), label);
                break;
            case PropertySocialProfile:
                AppendAccount(contact->SocialProfiles(), entries.value(row.Int(0)), label);
                break;
            default:
                break;
            }
            return true;
        });
    if (!valuesOk)
        return m_context.Fail(db.LastError());
    for (auto& item : read)
        items.push_back(std::move(item));
    return true;
}
