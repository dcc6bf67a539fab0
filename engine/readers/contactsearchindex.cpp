#include "contactsearchindex.h"

#include <sqlite3.h>

#include <QHash>
#include <QRegularExpression>
#include <QStringList>
#include <QVariant>

#include <vector>

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

// The parts of ABPerson the index repeats, by the names both give them.
const QStringList PersonParts = {QStringLiteral("First"),         QStringLiteral("Last"),
                                 QStringLiteral("Middle"),        QStringLiteral("Prefix"),
                                 QStringLiteral("Suffix"),        QStringLiteral("Nickname"),
                                 QStringLiteral("FirstPhonetic"), QStringLiteral("MiddlePhonetic"),
                                 QStringLiteral("LastPhonetic"),  QStringLiteral("Organization"),
                                 QStringLiteral("Department"),    QStringLiteral("JobTitle"),
                                 QStringLiteral("Note")};

// One statement of our own on the laid-out database, finalized with the object.
class Statement
{
public:
    Statement(sqlite3* db, const QString& sql)
    {
        const QByteArray utf8 = sql.toUtf8();
        if (sqlite3_prepare_v2(db, utf8.constData(), utf8.size(), &m_statement, nullptr) !=
            SQLITE_OK) {
            sqlite3_finalize(m_statement);
            m_statement = nullptr;
        }
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    bool Bind(const std::vector<QVariant>& values)
    {
        int index = 0;
        for (const QVariant& value : values) {
            ++index;
            if (!m_statement)
                return false;
            if (value.userType() == QMetaType::LongLong)
                sqlite3_bind_int64(m_statement, index, value.toLongLong());
            else {
                const QByteArray text = value.toByteArray();
                sqlite3_bind_text(m_statement, index, text.constData(), text.size(),
                                  SQLITE_TRANSIENT);
            }
        }
        return m_statement != nullptr;
    }
    bool Step() { return m_statement && sqlite3_step(m_statement) == SQLITE_ROW; }
    bool Done() { return m_statement && sqlite3_step(m_statement) == SQLITE_DONE; }
    qint64 Int(int column) { return sqlite3_column_int64(m_statement, column); }
    QByteArray Text(int column)
    {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
        return text ? QByteArray(text, sqlite3_column_bytes(m_statement, column)) : QByteArray();
    }

private:
    sqlite3_stmt* m_statement = nullptr;
};

} // namespace

const char* const ContactSearchIndex::Table = "ABPersonFullTextSearch_content";
const char* const ContactSearchIndex::LostTable = "ABPersonFullTextSearchLost";

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

bool ContactSearchIndex::Complete(sqlite3* db)
{
    // "c16Phone" -> "Phone"; the column names come from the file, so they are
    // only ever quoted, never run.
    static const QRegularExpression numbered(QStringLiteral("^c[0-9]+([A-Za-z]+)$"));
    QStringList columns;
    QList<QByteArray> properties;
    Statement info(db, QStringLiteral("SELECT name FROM pragma_table_info('%1', 'main')")
                           .arg(QLatin1String(LostTable)));
    while (info.Step()) {
        const QString name = QString::fromUtf8(info.Text(0));
        const auto match = numbered.match(name);
        if (match.hasMatch()) {
            columns << QLatin1Char('"') + QString(name).replace('"', "\"\"") + QLatin1Char('"');
            properties << match.captured(1).toUtf8();
        }
    }
    if (columns.isEmpty())
        return true;
    Statement rows(db, QStringLiteral("SELECT docid, %1 FROM main.%2 WHERE docid IN (SELECT ROWID "
                                      "FROM main.ABPerson)")
                           .arg(columns.join(QStringLiteral(", ")), QLatin1String(LostTable)));
    struct Person
    {
        qint64 id;
        QHash<QByteArray, QByteArray> fields;
    };
    std::vector<Person> people;
    while (rows.Step()) {
        people.push_back({rows.Int(0), {}});
        for (int c = 0; c < properties.size(); ++c) {
            const QByteArray text = rows.Text(c + 1).trimmed();
            if (!text.isEmpty())
                people.back().fields.insert(properties[c], text);
        }
    }
    // The parts of a person the index names, where his row has the column.
    QStringList parts;
    Statement personColumns(
        db, QStringLiteral("SELECT name FROM pragma_table_info('ABPerson', 'main')"));
    while (personColumns.Step())
        parts << QString::fromUtf8(personColumns.Text(0));
    for (const Person& person : people) {
        for (auto field = person.fields.cbegin(); field != person.fields.cend(); ++field) {
            const QString part = QString::fromLatin1(field.key());
            if (!PersonParts.contains(part) || !parts.contains(part))
                continue;
            Statement fill(db, QStringLiteral("UPDATE main.ABPerson SET \"%1\" = ? WHERE ROWID = ? "
                                              "AND ifnull(\"%1\", '') = ''")
                                   .arg(part));
            if (!fill.Bind({field.value(), person.id}) || !fill.Done())
                return false;
        }
        const auto add = [&](int property, const QList<QByteArray>& values) {
            Statement has(db, QStringLiteral("SELECT 1 FROM main.ABMultiValue WHERE record_id = "
                                             "? AND property = ?"));
            if (!has.Bind({person.id, qint64(property)}) || has.Step())
                return true;
            for (const QByteArray& value : values) {
                Statement insert(db, QStringLiteral("INSERT INTO main.ABMultiValue (record_id, "
                                                    "property, value) VALUES (?, ?, ?)"));
                if (!insert.Bind({person.id, qint64(property), value}) || !insert.Done())
                    return false;
            }
            return true;
        };
        QList<QByteArray> emails;
        for (const QByteArray& address : person.fields.value("Email").simplified().split(' ')) {
            if (address.contains('@'))
                emails << address;
        }
        if (!add(3, Numbers(person.fields.value("Phone"))) || !add(4, emails))
            return false;
    }
    return true;
}
