#include "deletedrows.h"

#include "backupmanifest.h"
#include "carver.h"
#include "readercontext.h"
#include "sqlitedb.h"
#include "sqliteguard.h"
#include "tableschema.h"
#include "textutf8.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <chrono>

namespace {

using SqliteCarve::CarvedRecord;
using SqliteCarve::CarvedValue;

constexpr int SourceCount = int(CarvedRecord::Source::Journal) + 1;
const QByteArray LoggedSuffix = QByteArrayLiteral(", change log");

QString Quoted(const QString& name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

std::vector<uint8_t> ReadAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

bool IsRowidName(const QString& name)
{
    return name.compare(QLatin1String("rowid"), Qt::CaseInsensitive) == 0 ||
           name.compare(QLatin1String("oid"), Qt::CaseInsensitive) == 0 ||
           name.compare(QLatin1String("_rowid_"), Qt::CaseInsensitive) == 0;
}

// "rowid, a, b" for a column list; without the rowid when a column already
// goes by that name (it is then the rowid itself).
QString ColumnList(const QStringList& columns)
{
    QStringList quoted;
    bool named = false;
    for (const QString& column : columns) {
        quoted << Quoted(column);
        named = named || IsRowidName(column);
    }
    return (named ? QString() : QStringLiteral("rowid, ")) + quoted.join(QStringLiteral(", "));
}

bool NamesRowid(const QStringList& columns)
{
    for (const QString& column : columns) {
        if (IsRowidName(column))
            return true;
    }
    return false;
}

// Which of `columns` (those of `table` in `live`) Table::read keeps: the
// ones it names, the identity, the primary key and the columns of every
// UNIQUE index, by which the reader tells rows apart.
std::vector<int> KeptColumns(SqliteDb& live, const DeletedRows::Table& table,
                             const QStringList& columns)
{
    QStringList keep = table.read;
    keep << table.identity;
    live.Query(QStringLiteral("SELECT name FROM pragma_table_info(?) WHERE pk > 0"), {table.name},
               [&keep](const SqliteDb::Row& row) {
                   keep << row.String(0);
                   return true;
               });
    QStringList indexes;
    live.Query(QStringLiteral("SELECT name FROM pragma_index_list(?) WHERE \"unique\""),
               {table.name}, [&indexes](const SqliteDb::Row& row) {
                   indexes << row.String(0);
                   return true;
               });
    for (const QString& index : qAsConst(indexes))
        live.Query(QStringLiteral("SELECT name FROM pragma_index_info(?)"), {index},
                   [&keep](const SqliteDb::Row& row) {
                       keep << row.String(0);
                       return true;
                   });
    std::vector<int> kept;
    for (int c = 0; c < columns.size(); ++c) {
        if (keep.contains(columns[c], Qt::CaseInsensitive))
            kept.push_back(c);
    }
    return kept;
}

} // namespace

DeletedRows::DeletedRows(ReaderContext& context) : m_context(context) {}

DeletedRows::~DeletedRows()
{
    Remove();
    // The carved rows of a large database take long to free.
    m_context.Leave(m_rows);
}

bool DeletedRows::Carve(const QString& domain, const QString& path,
                        const std::vector<Table>& tables, const QStringList& fixups)
{
    return StartCarving(domain, path, tables, fixups) && FinishCarving();
}

bool DeletedRows::StartCarving(const QString& domain, const QString& path,
                               const std::vector<Table>& tables, const QStringList& fixups,
                               AfterCarving after)
{
    Remove();
    m_tables = tables;
    m_fixups = fixups;
    m_rows.clear();
    const QString error = m_context.ErrorText();
    m_live = std::make_unique<SqliteDb>();
    if (m_context.OpenDatabase(domain, path, *m_live) != ReaderContext::OPEN_OK) {
        // The live read went well; a second look that fails costs only the deleted rows.
        m_context.Fail(error);
        m_live.reset();
        return false;
    }
    m_columns.assign(m_tables.size(), QStringList());
    m_alias.assign(m_tables.size(), QString());
    for (std::size_t t = 0; t < m_tables.size(); ++t) {
        int keys = 0;
        QString alias;
        m_live->Query(
            QStringLiteral("SELECT name, type, pk FROM pragma_table_info(?) ORDER BY cid"),
            {m_tables[t].name}, [&](const SqliteDb::Row& row) {
                m_columns[t] << row.String(0);
                if (row.Int(2) > 0) {
                    ++keys;
                    if (row.String(1).compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0)
                        alias = row.String(0);
                }
                return true;
            });
        if (keys == 1)
            m_alias[t] = alias;
    }
    m_kept.assign(m_tables.size(), std::vector<int>());
    m_keptNames.assign(m_tables.size(), QStringList());
    for (std::size_t t = 0; t < m_tables.size(); ++t) {
        if (m_tables[t].read.isEmpty())
            continue;
        m_kept[t] = KeptColumns(*m_live, m_tables[t], m_columns[t]);
        for (const int c : m_kept[t])
            m_keptNames[t] << m_columns[t][c];
    }
    // Rowids each record table's change log names; a log that is not there names none.
    auto carving = std::make_unique<Carving>();
    carving->path = path;
    std::vector<QSet<qint64>>& logged = carving->logged;
    logged.resize(m_tables.size());
    for (std::size_t t = 0; t < m_tables.size(); ++t) {
        if (!m_tables[t].logged.isEmpty())
            m_live->Query(m_tables[t].logged, [&](const SqliteDb::Row& row) {
                logged[t].insert(row.Int(0));
                return true;
            });
    }
    m_sources.clear();
    for (int s = 0; s < SourceCount; ++s)
        m_sources << QByteArray(CarvedRecord::sourceName(CarvedRecord::Source(s)));
    for (int s = 0; s < SourceCount; ++s)
        m_sources << m_sources[s] + LoggedSuffix;
    for (const Table& table : m_tables) {
        for (const Table::Remnant& remnant : table.remnants) {
            if (!m_sources.contains(remnant.source))
                m_sources << remnant.source;
        }
    }

    BackupManifest& manifest = m_context.Manifest();
    const QString journalPath = path + QStringLiteral("-journal");
    // The plaintext of a database kept in memory is carved there too.
    QByteArray journalImage;
    const QString journal =
        manifest.Lists(domain, journalPath)
            ? manifest.FetchFile(domain, journalPath, m_live->IsImage() ? &journalImage : nullptr)
            : QString();
    // The worker gets copies of what it reads: the live connection stays
    // with this thread.
    carving->inMemory = m_live->IsImage();
    if (carving->inMemory) {
        const auto bytes = [](const QByteArray& image) {
            return std::vector<uint8_t>(image.begin(), image.end());
        };
        carving->database = bytes(m_live->Image());
        carving->wal = bytes(m_live->LogImage());
        carving->journal =
            journalImage.isNull() && !journal.isEmpty() ? ReadAll(journal) : bytes(journalImage);
    } else {
        QString database = m_live->ReadPath();
        QString log = m_live->LogPath();
        // A database with a log is read in place through links in the work
        // folder, or from a copy there. The carver maps its file, and only
        // the engine's own copy may be mapped: nobody shortens it meanwhile.
        // A link's files are copied for it here; should that fail, the
        // carver reads them into memory.
        carving->workingCopy = !log.isEmpty() && (m_live->ReadVfs().isEmpty() ||
                                                  m_live->CopyLinkedFiles(database, log));
        if (!carving->workingCopy) {
            database = m_live->ReadPath();
            log = m_live->LogPath();
        }
        carving->databasePath = QFile::encodeName(database).toStdString();
        carving->walPath = QFile::encodeName(log).toStdString();
        carving->journalPath = QFile::encodeName(journal).toStdString();
    }
    // Records with an identity are told from live rows here, by rowid and
    // identity; join rows no live row keeps need no telling. The carver need
    // not decode their live rows.
    for (std::size_t t = 0; t < m_tables.size(); ++t) {
        const Table& table = m_tables[t];
        if (table.kind == Table::Records
                ? m_columns[t].contains(table.identity, Qt::CaseInsensitive)
                : table.keepLive == QLatin1String("0"))
            carving->unindexed.push_back(table.name.toStdString());
    }
    // On a core of its own while the scan reads the live rows; only this
    // object's rows and what `after` builds of them are written there, and
    // nothing of the context is used.
    Carving* running = carving.get();
    if (after) {
        // The live connection answers the thread's stop meanwhile: the
        // scan's callback is this thread's.
        carving->liveGoOn = m_live->GoOnCheck();
        m_live->SetGoOn([running] { return !running->stop; });
    }
    carving->done = std::async(std::launch::async, [this, running, after = std::move(after)] {
        const bool carved = Run(*running);
        if (carved && after)
            after(running->stop);
        return carved;
    });
    m_carving = std::move(carving);
    return true;
}

bool DeletedRows::EndCarving()
{
    const bool complete = m_carving->done.get();
    if (m_carving->liveGoOn)
        m_live->SetGoOn(std::move(m_carving->liveGoOn));
    m_carving.reset();
    return complete;
}

bool DeletedRows::FinishCarving()
{
    if (!m_carving)
        return false;
    // Waiting answers a stop at once and shows how far the carving is.
    while (m_carving->done.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready) {
        const std::uint32_t total = m_carving->pagesTotal;
        const bool goOn = total ? m_context.Report(int(qint64(m_carving->pagesDone) * 100 / total))
                                : m_context.KeepAlive();
        if (!goOn)
            m_carving->stop = true;
    }
    return EndCarving() && !m_context.Stopped();
}

bool DeletedRows::Run(Carving& carving)
{
    SqliteCarve::Carver carver;
    carver.setUnindexedTables(carving.unindexed);
    // The backup's own file is read, so that a drive pulled out fails the
    // carving, not the process.
    carver.setMapDatabase(carving.workingCopy);
    carver.setGoOn([&carving] { return !carving.stop; });
    std::string carveError;
    const bool opened =
        carving.inMemory
            ? carver.openBytes(std::move(carving.database), std::move(carving.wal),
                               std::move(carving.journal), &carveError)
            : carver.open(carving.databasePath, carving.walPath, carving.journalPath, &carveError);
    if (!opened) {
        qCInfo(lcReaders).noquote() << carving.path << "cannot be carved:" << carveError.c_str();
        return false;
    }
    for (const std::string& warning : carver.warnings())
        qCInfo(lcReaders).noquote() << carving.path << "carved without its" << warning.c_str();
    const std::vector<QSet<qint64>>& logged = carving.logged;
    const auto encoding = carver.image().encoding();
    // Where each record table's rowids went in m_rows.
    std::vector<QHash<qint64, std::size_t>> seen(m_tables.size());
    std::string text;
    const bool complete = carver.run(
        [&](const CarvedRecord& record) {
            const QString table = QString::fromStdString(record.table->name());
            for (std::size_t t = 0; t < m_tables.size(); ++t) {
                if (m_tables[t].name.compare(table, Qt::CaseInsensitive) != 0 ||
                    int(record.values.size()) != m_columns[t].size())
                    continue;
                // One version of a record, the first found (the newest); what
                // it lacks an older one may still hold (a title since cleared).
                const auto older = record.hasRowid && m_tables[t].kind == Table::Records
                                       ? seen[t].constFind(record.rowid)
                                       : seen[t].constEnd();
                const bool marked = record.hasRowid && logged[t].contains(record.rowid);
                // A row whose rowid was overwritten gets one no live row can have.
                const qint64 rowid =
                    record.hasRowid ? record.rowid : LostRowids + qint64(m_rows.size());
                Row row{int(t),
                        int(record.source) + (marked ? SourceCount : 0),
                        QVariant(qlonglong(rowid)),
                        {}};
                const std::vector<int>& kept = m_kept[t];
                const std::size_t count = kept.empty() ? record.values.size() : kept.size();
                row.values.reserve(count);
                for (std::size_t c = 0; c < count; ++c) {
                    const CarvedValue& value =
                        record.values[kept.empty() ? c : std::size_t(kept[c])];
                    switch (value.kind) {
                    case CarvedValue::Kind::Null:
                        row.values.emplace_back();
                        break;
                    case CarvedValue::Kind::Integer:
                        row.values.emplace_back(qlonglong(value.integer));
                        break;
                    case CarvedValue::Kind::Real:
                        row.values.emplace_back(value.real);
                        break;
                    case CarvedValue::Kind::Text:
                        text.clear();
                        SqliteCarve::appendUtf8(text, value.bytes, encoding);
                        row.values.emplace_back(QString::fromStdString(text));
                        break;
                    case CarvedValue::Kind::Blob:
                        row.values.emplace_back(
                            QByteArray(value.bytes.data(), int(value.bytes.size())));
                        break;
                    }
                }
                const int alias = Columns(t).indexOf(m_alias[t]);
                if (alias >= 0 && !m_alias[t].isEmpty())
                    row.values[std::size_t(alias)] = row.rowid;
                if (older != seen[t].constEnd()) {
                    std::vector<QVariant>& newest = m_rows[*older].values;
                    for (std::size_t v = 0; v < newest.size() && v < row.values.size(); ++v) {
                        if (newest[v].isNull() || (newest[v].userType() == QMetaType::QString &&
                                                   newest[v].toString().isEmpty()))
                            newest[v] = row.values[v];
                    }
                    return;
                }
                if (record.hasRowid && m_tables[t].kind == Table::Records)
                    seen[t].insert(record.rowid, m_rows.size());
                m_rows.push_back(std::move(row));
                return;
            }
        },
        [&carving](uint32_t done, uint32_t total) {
            carving.pagesDone = done;
            carving.pagesTotal = total;
            return !carving.stop;
        });
    return complete;
}

QList<QByteArray> DeletedRows::Sources() const
{
    std::vector<bool> found(std::size_t(m_sources.size()), false);
    for (const Row& row : m_rows) {
        if (m_tables[std::size_t(row.table)].kind == Table::Records)
            found[std::size_t(row.source)] = true;
    }
    QList<QByteArray> sources;
    for (int s = 0; s < m_sources.size(); ++s) {
        if (found[std::size_t(s)] || s >= 2 * SourceCount)
            sources << m_sources[s];
    }
    return sources;
}

bool DeletedRows::AttachImage()
{
    // What the live connection reads, its log applied, handed to SQLite,
    // which frees it.
    qint64 size = 0;
    unsigned char* image = m_live->Serialize(size);
    if (!image || sqlite3_deserialize(m_db, "live", image, size, size,
                                      SQLITE_DESERIALIZE_FREEONCLOSE |
                                          SQLITE_DESERIALIZE_READONLY) != SQLITE_OK) {
        qCInfo(lcReaders).noquote() << "deleted rows: the live rows cannot be attached";
        return false;
    }
    return true;
}

bool DeletedRows::Exec(const QString& sql)
{
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        qCInfo(lcReaders).noquote() << "deleted rows:" << message << sql.left(120);
        sqlite3_free(message);
        return false;
    }
    return true;
}

bool DeletedRows::Open()
{
    if (m_db)
        return true;
    if (!m_live || m_context.WorkFolder().isEmpty())
        return false;
    // Rows of a database read in memory stay in memory, in a database the
    // readers open by its name; the others go into the work folder.
    static std::atomic<int> serial{0};
    const bool inMemory = m_live->IsImage();
    m_file = inMemory ? SqliteDb::SharedName(QStringLiteral("deleted"))
                      : QDir(m_context.WorkFolder())
                            .filePath(QStringLiteral("deleted-%1.sqlite").arg(++serial));
    if (!inMemory)
        QFile::remove(m_file);
    const QByteArray name = inMemory ? SqliteDb::SharedUri(m_file) : QFile::encodeName(m_file);
    if (sqlite3_open_v2(name.constData(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI,
                        nullptr) != SQLITE_OK) {
        qCInfo(lcReaders).noquote() << "cannot make" << m_file;
        Remove();
        return false;
    }
    // Filling the scratch tables answers a stop at once.
    sqlite3_progress_handler(
        m_db, 4096,
        [](void* context) { return static_cast<ReaderContext*>(context)->KeepAlive() ? 0 : 1; },
        &m_context);
    // The live rows come from the copy the engine reads, never written. The
    // connection's own settings and its one attachment come first; from then
    // on it runs under the engine's rules, which refuse any other.
    QByteArray live = QUrl::fromLocalFile(m_live->ReadPath()).toEncoded() + "?mode=ro";
    if (inMemory)
        live = "file:live?vfs=memdb";
    else if (m_live->LogPath().isEmpty())
        live += "&immutable=1";
    if (!inMemory && !m_live->ReadVfs().isEmpty())
        live += "&vfs=" + m_live->ReadVfs();
    if (!Exec(QStringLiteral("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; ATTACH '%1' AS live")
                  .arg(QString::fromUtf8(live).replace(QLatin1Char('\''), QLatin1String("''")))) ||
        (inMemory && !AttachImage()) || !SqliteCarve::SqliteGuard::Harden(m_db)) {
        Remove();
        return false;
    }
    // Every table of the database, so that readers find the schema they probe
    // for. Each is built from its column list: the backup's CREATE statement
    // is text of the backup, and is never run.
    QStringList names;
    const bool listed = m_live->Query(
        QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE "
                       "'sqlite\\_%' ESCAPE '\\' AND sql LIKE 'CREATE TABLE%'"),
        [&names](const SqliteDb::Row& row) {
            names << row.String(0);
            return true;
        });
    if (!listed) {
        qCWarning(lcReaders).noquote()
            << "deleted rows: the tables cannot be listed:" << m_live->LastError();
        Remove();
        return false;
    }
    // The tables a virtual table keeps its data in are its own: no reader
    // reads them, and SQLite reserves their names.
    QStringList virtuals;
    m_live->Query(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND sql "
                                 "LIKE 'CREATE VIRTUAL TABLE%'"),
                  [&virtuals](const SqliteDb::Row& row) {
                      virtuals << row.String(0) + QLatin1Char('_');
                      return true;
                  });
    for (const QString& name : qAsConst(names)) {
        // ... unless one of them is to be read as a table of its own, under
        // the name it is given.
        const auto wanted = std::find_if(m_tables.begin(), m_tables.end(), [&name](const Table& t) {
            return t.name.compare(name, Qt::CaseInsensitive) == 0 && !t.layout.isEmpty();
        });
        if (wanted == m_tables.end() &&
            std::any_of(virtuals.begin(), virtuals.end(), [&name](const QString& prefix) {
                return name.startsWith(prefix, Qt::CaseInsensitive);
            }))
            continue;
        const QString create =
            CreateStatement(name, wanted == m_tables.end() ? name : wanted->layout);
        if (create.isEmpty() || !Exec(create)) {
            Remove();
            return false;
        }
    }
    return true;
}

QString DeletedRows::LaidOut(std::size_t t) const
{
    return Quoted(m_tables[t].layout.isEmpty() ? m_tables[t].name : m_tables[t].layout);
}

QString DeletedRows::CreateStatement(const QString& table, const QString& as) const
{
    struct Column
    {
        QString name, type;
        int key;
    };
    std::vector<Column> columns;
    if (!m_live->Query(
            QStringLiteral("SELECT name, type, pk FROM pragma_table_info(?) ORDER BY cid"), {table},
            [&columns](const SqliteDb::Row& row) {
                columns.push_back({row.String(0), row.String(1), int(row.Int(2))});
                return true;
            }) ||
        columns.empty()) {
        qCWarning(lcReaders).noquote()
            << "deleted rows: the columns of" << table << "cannot be read:" << m_live->LastError();
        return QString();
    }
    QStringList keys;
    for (const Column& column : columns) {
        if (column.key > 0)
            keys << Quoted(column.name);
    }
    // Only a lone key declared exactly INTEGER is the rowid; every other
    // column gets a type of the same affinity that never makes it one.
    QStringList parts;
    for (const Column& column : columns) {
        const bool alias = keys.size() == 1 && column.key > 0 &&
                           column.type.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0;
        QString part = Quoted(column.name) + QLatin1Char(' ');
        switch (SqliteCarve::TableSchema::affinityOf(column.type.toStdString())) {
        case SqliteCarve::TableSchema::Affinity::Integer:
            part += alias ? QStringLiteral("INTEGER PRIMARY KEY") : QStringLiteral("INT");
            break;
        case SqliteCarve::TableSchema::Affinity::Text:
            part += QStringLiteral("TEXT");
            break;
        case SqliteCarve::TableSchema::Affinity::Blob:
            part += QStringLiteral("BLOB");
            break;
        case SqliteCarve::TableSchema::Affinity::Real:
            part += QStringLiteral("REAL");
            break;
        case SqliteCarve::TableSchema::Affinity::Numeric:
            part += QStringLiteral("NUMERIC");
            break;
        }
        // No NOT NULL: a carved row, or one only other tables tell of, may
        // lack a value the live table demands (a record id its own function fills).
        if (alias)
            keys.clear();
        parts << part;
    }
    if (!keys.isEmpty())
        parts << QStringLiteral("PRIMARY KEY (%1)").arg(keys.join(QStringLiteral(", ")));
    // The table's UNIQUE constraints, which keep one copy of a carved row.
    QStringList indexes;
    m_live->Query(QStringLiteral("SELECT name FROM pragma_index_list(?) WHERE \"unique\" AND "
                                 "origin = 'u' AND NOT partial"),
                  {table}, [&indexes](const SqliteDb::Row& row) {
                      indexes << row.String(0);
                      return true;
                  });
    for (const QString& index : qAsConst(indexes)) {
        QStringList unique;
        m_live->Query(QStringLiteral("SELECT name FROM pragma_index_info(?) ORDER BY seqno"),
                      {index}, [&unique](const SqliteDb::Row& row) {
                          unique << Quoted(row.String(0));
                          return true;
                      });
        if (!unique.isEmpty() && !unique.contains(Quoted(QString())))
            parts << QStringLiteral("UNIQUE (%1)").arg(unique.join(QStringLiteral(", ")));
    }
    return QStringLiteral("CREATE TABLE main.%1 (%2)")
        .arg(Quoted(as), parts.join(QStringLiteral(", ")));
}

bool DeletedRows::Insert(const Row& row)
{
    const std::size_t t = std::size_t(row.table);
    // A row that holds only the columns a reader takes cannot be laid out.
    if (!m_kept[t].empty())
        return false;
    const QStringList& columns = m_columns[t];
    const bool rowid = !NamesRowid(columns);
    if (m_inserts.size() != m_tables.size())
        m_inserts.assign(m_tables.size(), nullptr);
    sqlite3_stmt*& statement = m_inserts[t];
    if (!statement) {
        QString marks = rowid ? QStringLiteral("?") : QString();
        for (int c = 0; c < columns.size(); ++c)
            marks += (marks.isEmpty() ? QStringLiteral("?") : QStringLiteral(", ?"));
        const QByteArray sql = QStringLiteral("INSERT OR IGNORE INTO main.%1 (%2) VALUES (%3)")
                                   .arg(LaidOut(t), ColumnList(columns), marks)
                                   .toUtf8();
        if (sqlite3_prepare_v2(m_db, sql.constData(), sql.size(), &statement, nullptr) !=
            SQLITE_OK) {
            sqlite3_finalize(statement);
            statement = nullptr;
            return false;
        }
    }
    int index = 1;
    const auto bind = [&](const QVariant& value) {
        if (value.isNull())
            sqlite3_bind_null(statement, index);
        else if (value.userType() == QMetaType::LongLong)
            sqlite3_bind_int64(statement, index, value.toLongLong());
        else if (value.userType() == QMetaType::Double)
            sqlite3_bind_double(statement, index, value.toDouble());
        else if (value.userType() == QMetaType::QByteArray) {
            const QByteArray bytes = value.toByteArray();
            sqlite3_bind_blob(statement, index, bytes.constData(), bytes.size(), SQLITE_TRANSIENT);
        } else {
            const QByteArray bytes = value.toString().toUtf8();
            sqlite3_bind_text(statement, index, bytes.constData(), bytes.size(), SQLITE_TRANSIENT);
        }
        ++index;
    };
    if (rowid)
        bind(row.rowid);
    for (const QVariant& value : row.values)
        bind(value);
    const bool ok = sqlite3_step(statement) == SQLITE_DONE;
    sqlite3_reset(statement);
    return ok;
}

bool DeletedRows::Fill()
{
    // Support rows once, for the record rows of every source; a record that
    // is live by its identity, or a second copy of one, is dropped here.
    // Every step must succeed (a full work folder fails them): rows lost
    // here would be lost without a word.
    bool ok = Exec(QStringLiteral("BEGIN"));
    for (std::size_t t = 0; ok && t < m_tables.size(); ++t) {
        const Table& table = m_tables[t];
        if (m_columns[t].isEmpty())
            continue;
        const QString name = Quoted(table.name);
        if (table.kind == Table::Support)
            ok = Exec(
                QStringLiteral("INSERT OR IGNORE INTO main.%1 (%2) SELECT %2 FROM live.%4 WHERE %3")
                    .arg(LaidOut(t), ColumnList(m_columns[t]), table.keepLive, name));
        for (const Row& row : m_rows) {
            if (ok && row.table == int(t))
                ok = Insert(row);
        }
        if (!ok || table.kind != Table::Records)
            continue;
        // An older version of a live record has its rowid or its identity.
        ok = Exec(QStringLiteral("DELETE FROM main.%1 WHERE EXISTS (SELECT 1 FROM live.%1 l WHERE "
                                 "l.rowid = main.%1.rowid)")
                      .arg(name));
        // Column names are the file's spelling ("guid"), which SQL takes in any case.
        if (ok && !table.identity.isEmpty() &&
            m_columns[t].contains(table.identity, Qt::CaseInsensitive))
            ok = Exec(QStringLiteral("DELETE FROM main.%1 WHERE EXISTS (SELECT 1 FROM live.%1 l "
                                     "WHERE l.%2 = main.%1.%2)")
                          .arg(name, Quoted(table.identity)));
        QSet<qint64> kept;
        sqlite3_stmt* statement = nullptr;
        const QByteArray sql = QStringLiteral("SELECT rowid FROM main.%1").arg(name).toUtf8();
        int rc =
            ok ? sqlite3_prepare_v2(m_db, sql.constData(), -1, &statement, nullptr) : SQLITE_ERROR;
        if (rc == SQLITE_OK) {
            while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
                kept.insert(sqlite3_column_int64(statement, 0));
        }
        sqlite3_finalize(statement);
        ok = ok && rc == SQLITE_DONE;
        for (Row& row : m_rows) {
            if (row.table == int(t) && !kept.contains(row.rowid.toLongLong()))
                row.dropped = true;
        }
    }
    for (std::size_t t = 0; ok && t < m_tables.size(); ++t) {
        FoldCopies(t);
        Reidentify(t);
    }
    return Finish(ok && Exec(QStringLiteral("COMMIT")));
}

QHash<qint64, qint64> DeletedRows::Pairs(const QString& query) const
{
    // A query that cannot run (a table the database lacks) ties nothing.
    QHash<qint64, qint64> rowids;
    sqlite3_stmt* statement = nullptr;
    const QByteArray sql = query.arg(LostRowids).toUtf8();
    if (sqlite3_prepare_v2(m_db, sql.constData(), -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            const qint64 rowid = sqlite3_column_int64(statement, 1);
            // One lost row to a rowid: two rows that fit the same one are left alone.
            if (std::find(rowids.cbegin(), rowids.cend(), rowid) == rowids.cend())
                rowids.insert(sqlite3_column_int64(statement, 0), rowid);
            else
                rowids.remove(rowids.key(rowid));
        }
    }
    sqlite3_finalize(statement);
    return rowids;
}

void DeletedRows::FoldCopies(std::size_t t)
{
    if (m_tables[t].copyOf.isEmpty())
        return;
    const QHash<qint64, qint64> copies = Pairs(m_tables[t].copyOf);
    if (copies.isEmpty())
        return;
    QHash<qint64, std::size_t> rows; // rowid -> its kept row of the table
    for (std::size_t r = 0; r < m_rows.size(); ++r) {
        if (m_rows[r].table == int(t) && !m_rows[r].dropped)
            rows.insert(m_rows[r].rowid.toLongLong(), r);
    }
    for (auto copy = copies.cbegin(); copy != copies.cend(); ++copy) {
        if (!rows.contains(copy.key()) || !rows.contains(copy.value()))
            continue;
        Row& older = m_rows[rows.value(copy.key())];
        std::vector<QVariant>& newest = m_rows[rows.value(copy.value())].values;
        for (std::size_t v = 0; v < newest.size() && v < older.values.size(); ++v) {
            if (newest[v].isNull() ||
                (newest[v].userType() == QMetaType::QString && newest[v].toString().isEmpty()))
                newest[v] = older.values[v];
        }
        older.dropped = true;
    }
}

void DeletedRows::Reidentify(std::size_t t)
{
    if (m_tables[t].identify.isEmpty())
        return;
    const QHash<qint64, qint64> rowids = Pairs(m_tables[t].identify);
    const int alias = m_columns[t].indexOf(m_alias[t]);
    for (Row& row : m_rows) {
        if (row.table != int(t) || row.dropped || !rowids.contains(row.rowid.toLongLong()))
            continue;
        row.rowid = qlonglong(rowids.value(row.rowid.toLongLong()));
        if (alias >= 0 && !m_alias[t].isEmpty())
            row.values[std::size_t(alias)] = row.rowid;
    }
}

bool DeletedRows::Finish(bool ok)
{
    if (!ok) {
        qCWarning(lcReaders).noquote()
            << "deleted rows cannot be laid out in" << m_file << ":" << sqlite3_errmsg(m_db);
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        m_failed = true;
    }
    return ok;
}

QString DeletedRows::Build(const QByteArray& source)
{
    if (m_failed || (!m_db && !(Open() && Fill())))
        return QString();
    const int wanted = m_sources.indexOf(source);
    bool ok = Exec(QStringLiteral("BEGIN"));
    for (std::size_t t = 0; ok && t < m_tables.size(); ++t) {
        const Table& table = m_tables[t];
        if (m_columns[t].isEmpty() || table.kind != Table::Records)
            continue;
        const QString name = Quoted(table.name);
        ok = Exec(QStringLiteral("DELETE FROM main.%1").arg(name));
        for (const Row& row : m_rows) {
            if (ok && row.table == int(t) && row.source == wanted && !row.dropped)
                ok = Insert(row);
        }
        ok = ok && FillRemnants(t, source) && (!table.complete || table.complete(m_db));
        ok = ok && Exec(QStringLiteral(
                            "INSERT OR IGNORE INTO main.%1 (%2) SELECT %2 FROM live.%1 WHERE %3")
                            .arg(name, ColumnList(m_columns[t]), table.keepLive));
    }
    for (const QString& fixup : qAsConst(m_fixups))
        ok = ok && Exec(fixup);
    return Finish(ok && Exec(QStringLiteral("COMMIT"))) ? m_file : QString();
}

bool DeletedRows::FillRemnants(std::size_t t, const QByteArray& source)
{
    const Table& table = m_tables[t];
    for (const Table::Remnant& remnant : table.remnants) {
        if (remnant.source != source)
            continue;
        const bool there =
            std::all_of(remnant.needs.begin(), remnant.needs.end(), [this](const QString& name) {
                for (std::size_t n = 0; n < m_tables.size(); ++n) {
                    const Table& other = m_tables[n];
                    if ((other.layout.isEmpty() ? other.name : other.layout) == name)
                        return !m_columns[n].isEmpty();
                }
                return false;
            });
        if (!there)
            continue;
        const QString name = Quoted(table.name);
        if (!Exec(remnant.fill) ||
            !Exec(QStringLiteral("DELETE FROM main.%1 WHERE rowid IN (SELECT rowid FROM live.%1)")
                      .arg(name)))
            return false;
        // What carving found of a row is its record; the remnants only add to it.
        sqlite3_stmt* statement = nullptr;
        const QByteArray sql =
            QStringLiteral("DELETE FROM main.%1 WHERE rowid = ?").arg(name).toUtf8();
        if (sqlite3_prepare_v2(m_db, sql.constData(), -1, &statement, nullptr) != SQLITE_OK) {
            sqlite3_finalize(statement);
            return false;
        }
        bool ok = true;
        for (const Row& row : m_rows) {
            if (!ok || row.table != int(t) || row.dropped)
                continue;
            sqlite3_bind_int64(statement, 1, row.rowid.toLongLong());
            ok = sqlite3_step(statement) == SQLITE_DONE;
            sqlite3_reset(statement);
        }
        sqlite3_finalize(statement);
        if (!ok)
            return false;
    }
    return true;
}

void DeletedRows::Remove()
{
    if (m_carving) {
        m_carving->stop = true;
        EndCarving();
    }
    for (sqlite3_stmt* statement : m_inserts)
        sqlite3_finalize(statement);
    m_inserts.clear();
    if (m_db)
        sqlite3_close(m_db);
    m_db = nullptr;
    if (!m_file.isEmpty() && !SqliteDb::IsSharedName(m_file)) {
        QFile::remove(m_file);
        QFile::remove(m_file + QStringLiteral("-journal"));
    }
    m_file.clear();
    m_live.reset();
    m_failed = false;
}
