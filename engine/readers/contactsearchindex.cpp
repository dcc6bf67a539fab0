#include "contactsearchindex.h"

#include "contactrecord.h"
#include "sqlitedb.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

int DigitCount(const QByteArray& text)
{
    int digits = 0;
    for (const char c : text)
        digits += c >= '0' && c <= '9' ? 1 : 0;
    return digits;
}

QByteArray Digits(const QByteArray& text)
{
    QByteArray digits;
    for (const char c : text) {
        if (c >= '0' && c <= '9')
            digits += c;
    }
    return digits;
}

} // namespace

const char* const ContactSearchIndex::Table = "ABPersonFullTextSearch_content";
const char* const ContactSearchIndex::LostTable = "ABPersonFullTextSearchLost";

bool ContactSearchIndex::Load(SqliteDb& db, const char* table)
{
    m_rows.clear();
    if (!db.HasTable(QLatin1String(table)))
        return false;
    // "c16Phone" -> "Phone"; the column names come from the file, so they are
    // only ever bound or quoted, never run.
    QStringList columns;
    QList<QByteArray> properties;
    const QRegularExpression numbered(QStringLiteral("^c[0-9]+([A-Za-z]+)$"));
    db.Query(QStringLiteral("SELECT name FROM pragma_table_info(?)"), {QLatin1String(table)},
             [&](const SqliteDb::Row& row) {
                 const QString name = row.String(0);
                 const auto match = numbered.match(name);
                 if (match.hasMatch()) {
                     columns << QLatin1Char('"') + QString(name).replace('"', "\"\"") +
                                    QLatin1Char('"');
                     properties << match.captured(1).toUtf8();
                 }
                 return true;
             });
    if (columns.isEmpty())
        return false;
    return db.Query(QStringLiteral("SELECT docid, %1 FROM %2")
                        .arg(columns.join(QStringLiteral(", ")), QLatin1String(table)),
                    [&](const SqliteDb::Row& row) {
                        QHash<QByteArray, QByteArray>& fields = m_rows[row.Int(0)];
                        for (int c = 0; c < properties.size(); ++c) {
                            const QByteArray text = row.Text(c + 1).trimmed();
                            if (!text.isEmpty())
                                fields.insert(properties[c], text);
                        }
                        return true;
                    });
}

QList<QByteArray> ContactSearchIndex::Numbers(const QByteArray& cell)
{
    // A run of tokens of phone characters is one number once it has ten
    // digits, or where a "+" begins the next; shorter than seven is none.
    static const QRegularExpression phoneToken(QStringLiteral("^[+0-9()./-]+$"));
    QList<QByteArray> runs;
    QByteArray run;
    const auto close = [&]() {
        if (DigitCount(run) >= 7)
            runs << run;
        run.clear();
    };
    for (const QByteArray& token : cell.simplified().split(' ')) {
        if (!phoneToken.match(QString::fromLatin1(token)).hasMatch()) {
            close();
            continue;
        }
        if (token.startsWith('+') && !run.isEmpty())
            close();
        run += (run.isEmpty() ? QByteArray() : QByteArray(" ")) + token;
        if (DigitCount(run) >= 10)
            close();
    }
    close();
    // The longest form of each number, in the order the index gives them.
    QList<QByteArray> numbers;
    for (const QByteArray& candidate : qAsConst(runs)) {
        const QByteArray digits = Digits(candidate);
        bool known = false;
        for (QByteArray& number : numbers) {
            const QByteArray other = Digits(number);
            if (other.endsWith(digits)) {
                known = true;
                break;
            }
            if (digits.endsWith(other)) {
                number = candidate;
                known = true;
                break;
            }
        }
        if (!known)
            numbers << candidate;
    }
    return numbers;
}

bool ContactSearchIndex::FillIn(qint64 id, ContactRecord& contact) const
{
    const auto found = m_rows.constFind(id);
    if (found == m_rows.constEnd())
        return false;
    const QHash<QByteArray, QByteArray>& fields = *found;
    const auto fill = [&fields](RecordText& text, int field, const char* property) {
        const QByteArray value = fields.value(property);
        const char* have = text.Get(field);
        if (value.isEmpty() || (have && *have))
            return false;
        text.Set(field, value);
        return true;
    };
    RecordText& name = contact.Name().Text();
    bool named = false;
    for (const auto& part : {std::make_pair(int(ContactName::First), "First"),
                             std::make_pair(int(ContactName::Middle), "Middle"),
                             std::make_pair(int(ContactName::Last), "Last"),
                             std::make_pair(int(ContactName::Prefix), "Prefix"),
                             std::make_pair(int(ContactName::Suffix), "Suffix")})
        named = fill(name, part.first, part.second) || named;
    fill(name, ContactName::Nickname, "Nickname");
    fill(name, ContactName::FirstPhonetic, "FirstPhonetic");
    fill(name, ContactName::MiddlePhonetic, "MiddlePhonetic");
    fill(name, ContactName::LastPhonetic, "LastPhonetic");
    RecordText& organization = contact.Organization().Text();
    fill(organization, ContactOrganization::Company, "Organization");
    fill(organization, ContactOrganization::Department, "Department");
    fill(organization, ContactOrganization::JobTitle, "JobTitle");
    fill(contact.Text(), ContactRecord::Note, "Note");
    if (contact.Phones().GetCount() == 0) {
        for (const QByteArray& number : Numbers(fields.value("Phone")))
            contact.Phones().Append(number, QByteArray());
    }
    if (contact.Emails().GetCount() == 0) {
        for (const QByteArray& address : fields.value("Email").simplified().split(' ')) {
            if (address.contains('@'))
                contact.Emails().Append(address, QByteArray());
        }
    }
    return named;
}
