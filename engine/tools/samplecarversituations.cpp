#include "samplecarversituations.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// People as an address book's oldest table holds them.
const char* const People =
    "CREATE TABLE people(id INT NOT NULL, first TEXT NOT NULL, last TEXT, code INT, score FLOAT);";

struct Person
{
    int id;
    const char* first;
    const char* last;
    qint64 code;
    double score;
};

const Person Persons[] = {
    {20001, "Johann", "Hoffmann", -144913111, -3293129186.28246},
    {20002, "Michael", "Kraus", -134346374, -2797182196.65679},
    {20003, "Annika", "Schmitz", 1184946766, -1502135142.91781},
    {20004, "Irma", "Baumann", 985155245, -4908664510.54284},
    {20005, "Otto", "Heinrich", 1155076104, -1594597751.55159},
    {20006, "Lara", "Horn", -384834918, -4829283044.59401},
    {20007, "Oskar", "Bergmann", -1167773723, -3232399634.19382},
    {20008, "Julian", "Weber", 692693150, -857419271.88701},
    {20009, "Oskar", "Jung", -1321280146, 2012170072.18495},
    {20010, "Julius", "Braun", 941308350, -252645646.80524},
};

QString Insert(const Person& p)
{
    return QStringLiteral("INSERT INTO people VALUES(%1,'%2','%3',%4,%5);")
        .arg(p.id)
        .arg(QLatin1String(p.first), QLatin1String(p.last))
        .arg(p.code)
        .arg(p.score, 0, 'g', 17);
}

QJsonArray Values(const Person& p)
{
    return {p.id, QLatin1String(p.first), QLatin1String(p.last), p.code, p.score};
}

// Row i of a table of notes with rowids and payloads too large for one
// byte each, as real tables have: rowid 1000 + step * i + shift.
QString Note(const char* table, int i, int length, int step = 1, int shift = 0)
{
    return QStringLiteral("INSERT INTO %1(rowid, n, name) VALUES(%2, %3, 'note %3 %4');")
        .arg(QLatin1String(table))
        .arg(1000 + step * i + shift)
        .arg(i)
        .arg(QString(length, QChar(u'a' + i % 26)));
}

QString NoteName(int i, int length)
{
    return QStringLiteral("note %1 %2").arg(i).arg(QString(length, QChar(u'a' + i % 26)));
}

} // namespace

QStringList SampleCarverSituations::Names()
{
    return {QStringLiteral("freed-heads-in-gap"), QStringLiteral("cut-freeblock"),
            QStringLiteral("interior-root"), QStringLiteral("added-column"),
            QStringLiteral("unsynced-journal")};
}

bool SampleCarverSituations::Exec(sqlite3* db, const QString& sql)
{
    char* message = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    m_error = QString::fromUtf8(message ? message : "sqlite error") + QStringLiteral(": ") +
              sql.left(120);
    sqlite3_free(message);
    return false;
}

bool SampleCarverSituations::Write(const QString& folder)
{
    if (!QDir().mkpath(folder)) {
        m_error = QStringLiteral("cannot make %1").arg(folder);
        return false;
    }
    for (const QString& name : Names()) {
        if (!Situation(folder, name))
            return false;
    }
    return true;
}

bool SampleCarverSituations::Situation(const QString& folder, const QString& name)
{
    const QString path = QDir(folder).filePath(name + QStringLiteral(".db"));
    for (const QString& stale : {path, path + QStringLiteral("-journal"),
                                 QDir(folder).filePath(name + QStringLiteral(".journal"))})
        QFile::remove(stale);
    sqlite3* db = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK) {
        m_error = QStringLiteral("cannot make %1").arg(path);
        sqlite3_close(db);
        return false;
    }
    QString table;
    QJsonArray deleted;
    QString journal;
    bool ok = Exec(db, QStringLiteral("PRAGMA page_size=4096; PRAGMA journal_mode=DELETE;"
                                      "PRAGMA secure_delete=OFF; PRAGMA auto_vacuum=NONE;"));
    QString sql;
    if (name == QLatin1String("freed-heads-in-gap")) {
        // Freed one by one, then the rest: the emptied page keeps the freed
        // cells' heads, and new rows take only its end.
        table = QStringLiteral("people");
        sql = QLatin1String(People);
        for (const Person& p : Persons)
            sql += Insert(p);
        for (int id : {20005, 20006, 20007, 20008, 20009})
            sql += QStringLiteral("DELETE FROM people WHERE id=%1;").arg(id);
        sql += QStringLiteral("DELETE FROM people;");
        for (const Person& p : {Person{20011, "Nadine", "Mayer", -309512131, -2625089393.75407},
                                Person{20012, "Emil", "Vogt", 870402720, -26202949.24183},
                                Person{20013, "Helene", "Hoffmann", 880365148, 1517503883.93062},
                                Person{20014, "Katrin", "Seidel", 1470639698, -58175728.21778},
                                Person{20015, "Noah", "Vogel", 408529756, -3108021606.74148}})
            sql += Insert(p);
        for (const Person& p : Persons)
            deleted.append(QJsonObject{{QStringLiteral("values"), Values(p)}});
    } else if (name == QLatin1String("cut-freeblock")) {
        // Neighbours freed into one block, whose end a shorter row took.
        table = QStringLiteral("people");
        sql = QLatin1String(People);
        for (const Person& p : Persons)
            sql += Insert(p);
        sql += QStringLiteral("DELETE FROM people WHERE id BETWEEN 20005 AND 20009;") +
               Insert({20011, "Jo", "Vogel", -1421734211, 2001605237.36924});
        for (const Person& p : Persons) {
            if (p.id >= 20005 && p.id <= 20009)
                deleted.append(QJsonObject{{QStringLiteral("values"), Values(p)}});
        }
    } else if (name == QLatin1String("interior-root")) {
        // Rows freed while the root was a leaf; the table then outgrew it and
        // rows added since rebuilt its children.
        table = QStringLiteral("notes");
        sql = QStringLiteral("CREATE TABLE notes(n INTEGER, name TEXT);");
        for (int i = 1; i <= 25; ++i)
            sql += Note("notes", i, 130, 10);
        sql +=
            QStringLiteral("DELETE FROM notes WHERE n IN (2,4);") + Note("notes", 99, 1000, 4000);
        for (int i = 101; i <= 125; ++i)
            sql += Note("notes", i, 130, 10, 5 - 1000);
        for (int i : {2, 4})
            deleted.append(
                QJsonObject{{QStringLiteral("values"), QJsonArray{i, NoteName(i, 130)}}});
    } else if (name == QLatin1String("added-column")) {
        // A row deleted before the table got two columns reads them as their defaults.
        table = QStringLiteral("notes");
        sql = QStringLiteral("CREATE TABLE notes(n INTEGER, name TEXT, city TEXT);");
        for (int i = 1; i <= 4; ++i)
            sql += Note("notes", i, 130);
        sql += QStringLiteral("DELETE FROM notes WHERE n=2;"
                              "ALTER TABLE notes ADD COLUMN kind TEXT DEFAULT 'none';"
                              "ALTER TABLE notes ADD COLUMN flags INTEGER DEFAULT -1;");
        deleted.append(
            QJsonObject{{QStringLiteral("values"), QJsonArray{2, NoteName(2, 130), QJsonValue(),
                                                              QStringLiteral("none"), -1}}});
    } else {
        // The row's deletion overwrote it (secure_delete on), so only the
        // journal's original page keeps it; the journal is taken while the
        // transaction runs, before SQLite syncs it and writes its magic.
        table = QStringLiteral("people");
        sql = QLatin1String(People);
        for (const Person& p : Persons)
            sql += Insert(p);
        ok = ok && Exec(db, sql);
        journal = name + QStringLiteral(".journal");
        const QString journalCopy = QDir(folder).filePath(journal);
        ok = ok && Exec(db, QStringLiteral("PRAGMA secure_delete=ON; BEGIN;"
                                           "DELETE FROM people WHERE id=20004;"));
        ok = ok && QFile::copy(path + QStringLiteral("-journal"), journalCopy);
        ok = ok && Exec(db, QStringLiteral("COMMIT;"));
        sql.clear();
        deleted.append(QJsonObject{{QStringLiteral("values"), Values(Persons[3])}});
    }
    ok = ok && (sql.isEmpty() || Exec(db, sql));
    sqlite3_close(db);
    if (!ok)
        return false;

    // Whether the files still hold every text of each deleted row.
    QByteArray bytes;
    for (const QString& file :
         {path, journal.isEmpty() ? QString() : QDir(folder).filePath(journal)}) {
        QFile in(file);
        if (!file.isEmpty() && in.open(QIODevice::ReadOnly))
            bytes += in.readAll();
    }
    for (QJsonValueRef entry : deleted) {
        QJsonObject row = entry.toObject();
        bool survives = true;
        for (const QJsonValue& value : row.value(QStringLiteral("values")).toArray()) {
            if (value.isString())
                survives = survives && bytes.contains(value.toString().toUtf8());
        }
        row.insert(QStringLiteral("survives"), survives);
        entry = row;
    }
    const QJsonObject truth{{QStringLiteral("table"), table},
                            {QStringLiteral("journal"), journal},
                            {QStringLiteral("deleted"), deleted}};
    QFile out(QDir(folder).filePath(name + QStringLiteral(".truth.json")));
    const QByteArray json = QJsonDocument(truth).toJson();
    if (!out.open(QIODevice::WriteOnly) || out.write(json) != json.size()) {
        m_error = QStringLiteral("cannot write %1").arg(out.fileName());
        return false;
    }
    return true;
}
