#include "sqlitedb.h"

#include "databaseimage.h"
#include "linkedfilevfs.h"
#include "sqliteguard.h"
#include "walfile.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>
#include <atomic>
#ifdef Q_OS_LINUX
#include <unistd.h>
#endif
#include <cstring>
#include <limits>

namespace {

const char SharedPrefix[] = "memdb:";

// The database `database` and `wal` describe together, as one file in
// rollback mode: a log that is no log, or does not fit, is left out as
// SQLite itself would leave it out.
QByteArray WithLog(const QByteArray& database, const QByteArray& wal)
{
    if (wal.isEmpty())
        return database;
    SqliteCarve::WalFile log;
    SqliteCarve::DatabaseImage image;
    if (!log.loadBytes(std::vector<uint8_t>(wal.begin(), wal.end()), nullptr) ||
        !image.loadBytes(std::vector<uint8_t>(database.begin(), database.end()), nullptr) ||
        !image.applyWal(log, nullptr))
        return database;
    QByteArray merged;
    merged.reserve(static_cast<int>(std::min<quint64>(quint64(image.pageCount()) * image.pageSize(),
                                                      quint64(std::numeric_limits<int>::max()))));
    for (uint32_t page = 1; page <= image.pageCount(); ++page) {
        if (quint64(merged.size()) + image.pageSize() > quint64(std::numeric_limits<int>::max()))
            return database;
        merged.append(reinterpret_cast<const char*>(image.page(page)),
                      static_cast<int>(image.pageSize()));
    }
    return merged;
}

} // namespace

bool SqliteDb::Row::IsNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

int SqliteDb::Row::Type(int column) const
{
    return sqlite3_column_type(m_statement, column);
}

qint64 SqliteDb::Row::Int(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

double SqliteDb::Row::Real(int column) const
{
    return sqlite3_column_double(m_statement, column);
}

QByteArray SqliteDb::Row::Text(int column) const
{
    if (IsNull(column))
        return QByteArray();
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    const int size = sqlite3_column_bytes(m_statement, column);
    if (!text)
        return QByteArray("");
    return QByteArray(text, size);
}

TextPiece SqliteDb::Row::Piece(int column) const
{
    const int type = Type(column);
    if (type == SQLITE_NULL)
        return TextPiece();
    // A blob's bytes as they are: asked as text, SQLite would copy them to
    // end them with a 0, which a piece does not need.
    const auto* bytes = static_cast<const char*>(
        type == SQLITE_BLOB ? sqlite3_column_blob(m_statement, column)
                            : static_cast<const void*>(sqlite3_column_text(m_statement, column)));
    const int size = sqlite3_column_bytes(m_statement, column);
    return bytes ? TextPiece(bytes, size) : TextPiece("", 0);
}

QString SqliteDb::Row::String(int column) const
{
    return QString::fromUtf8(Text(column));
}

SqliteDb::SqliteDb() = default;

SqliteDb::~SqliteDb()
{
    Close();
}

void SqliteDb::SetGoOn(GoOn goOn)
{
    m_goOn = std::move(goOn);
    if (m_db)
        sqlite3_progress_handler(m_db, m_goOn ? 4096 : 0, m_goOn ? &SqliteDb::Interrupt : nullptr,
                                 this);
}

int SqliteDb::Interrupt(void* self)
{
    const GoOn& goOn = static_cast<SqliteDb*>(self)->m_goOn;
    return goOn && !goOn() ? 1 : 0;
}

bool SqliteDb::CopyFile(const QString& from, const QString& to)
{
    if (!m_goOn)
        return QFile::copy(from, to);
    // In slices, so that a scan that stops does not wait for a whole database.
    QFile in(from);
    QFile out(to);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    bool ok = true;
    bool copied = false;
#ifdef Q_OS_LINUX
    // The kernel copies from cache to cache, sparing a trip through this
    // process; where it cannot (another file system, an old kernel), the
    // copy is made below.
    for (;;) {
        const ssize_t done =
            copy_file_range(in.handle(), nullptr, out.handle(), nullptr, 1 << 20, 0);
        if (done < 0 && !copied)
            break;
        copied = true;
        ok = done >= 0 && m_goOn();
        if (!ok || done == 0)
            break;
    }
#endif
    QByteArray slice(copied ? 0 : 1 << 20, Qt::Uninitialized);
    while (ok && !copied && !in.atEnd()) {
        const qint64 read = in.read(slice.data(), slice.size());
        ok = read > 0 && out.write(slice.constData(), read) == read && m_goOn();
    }
    ok = ok && out.flush();
    out.close();
    if (!ok)
        out.remove();
    return ok;
}

bool SqliteDb::Open(const QString& path, const QString& wal, const QString& workFolder)
{
    Close();
    if (IsSharedName(path))
        return OpenUri(SharedUri(path) + "&mode=ro", SQLITE_OPEN_READONLY);
    if (!QFileInfo(path).isFile()) {
        m_error = QStringLiteral("no such file: %1").arg(path);
        return false;
    }
    if (wal.isEmpty() || !QFileInfo(wal).isFile())
        return OpenConnection(path, true);
    if (workFolder.isEmpty()) {
        m_error = QStringLiteral("no private folder to read the log of %1 in").arg(path);
        return false;
    }
    QString copy;
    if (!MakeWorkingCopy(path, wal, workFolder, copy)) {
        Close();
        return false;
    }
    return OpenConnection(copy, false);
}

// The database and its log go side by side in the work folder, where SQLite
// also writes the log's index. Links to the backup's files cost nothing and
// are only ever read (see LinkedFileVfs); where none can be made, both are copied.
bool SqliteDb::MakeWorkingCopy(const QString& path, const QString& wal, const QString& workFolder,
                               QString& copy)
{
    const QDir folder(workFolder);
    const QString log = [&] {
        if (QFileInfo(path).absolutePath() == folder.absolutePath()) {
            copy = path;
            return copy + QStringLiteral("-wal");
        }
        // Several connections of one device may read the same database at once.
        static std::atomic<int> serial{0};
        copy =
            folder.filePath(QStringLiteral("%1.%2").arg(QFileInfo(path).fileName()).arg(++serial));
        return copy + QStringLiteral("-wal");
    }();
    if (copy != path) {
        const QString target = QFileInfo(path).absoluteFilePath();
        const QString logTarget = QFileInfo(wal).absoluteFilePath();
        if (LinkedFileVfs::Link(target, copy)) {
            if (LinkedFileVfs::Link(logTarget, log)) {
                m_copies << copy << log << copy + QStringLiteral("-shm");
                return true;
            }
            QFile::remove(copy);
        }
        if (!CopyFile(path, copy)) {
            m_error =
                QStringLiteral("cannot make a working copy of %1 in %2").arg(path, workFolder);
            return false;
        }
        m_copies << copy;
    }
    // The backup's own -shm is left out on purpose: an index of another
    // session could hide frames, and SQLite rebuilds it from the log.
    if (!QFileInfo::exists(log)) {
        if (!CopyFile(wal, log)) {
            m_error = QStringLiteral("cannot make a working copy of %1 in %2").arg(wal, workFolder);
            return false;
        }
        m_copies << log;
    }
    m_copies << copy + QStringLiteral("-shm");
    // Copies keep the backup's read-only mode; SQLite must write the index.
    // A link's mode is its target's, the backup's, and stays as it is.
    for (const QString& file : {copy, log}) {
        if (!QFileInfo(file).isSymLink())
            QFile(file).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    return true;
}

bool SqliteDb::CopyLinkedFiles(QString& database, QString& log)
{
    const QString link = ReadPath();
    if (ReadVfs().isEmpty() || !QFileInfo(link).isSymLink()) {
        m_error = QStringLiteral("%1 is not read through a link").arg(link);
        return false;
    }
    database = link + QStringLiteral(".copy");
    log = database + QStringLiteral("-wal");
    const QString linkedLog = link + QStringLiteral("-wal");
    const bool hasLog = QFileInfo(linkedLog).isSymLink();
    if (!CopyFile(QFileInfo(link).symLinkTarget(), database)) {
        m_error = QStringLiteral("cannot make a working copy of %1").arg(link);
        return false;
    }
    m_copies << database;
    if (hasLog) {
        if (!CopyFile(QFileInfo(linkedLog).symLinkTarget(), log)) {
            m_error = QStringLiteral("cannot make a working copy of %1").arg(linkedLog);
            return false;
        }
        m_copies << log;
    } else {
        log.clear();
    }
    return true;
}

bool SqliteDb::OpenImage(const QString& name, const QByteArray& database, const QByteArray& wal)
{
    Close();
    QByteArray bytes = WithLog(database, wal);
    // The file says whether it wants its log; in memory there is none, and a
    // database that asked for one would not open.
    if (bytes.size() > 19 && (bytes.at(18) == 2 || bytes.at(19) == 2)) {
        bytes[18] = 1;
        bytes[19] = 1;
    }
    auto* copy = static_cast<unsigned char*>(sqlite3_malloc64(quint64(bytes.size()) + 1));
    if (!copy) {
        m_error = QStringLiteral("no memory for %1").arg(name);
        return false;
    }
    std::memcpy(copy, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    m_readPath.clear();
    m_readVfs.clear();
    m_immutable = true;
    if (!OpenUri("file:image?vfs=memdb", SQLITE_OPEN_READWRITE, copy, bytes.size())) {
        m_error = QStringLiteral("%1: %2").arg(name, m_error);
        return false;
    }
    m_isImage = true;
    m_image = database;
    m_logImage = wal;
    return true;
}

bool SqliteDb::IsSharedName(const QString& path)
{
    return path.startsWith(QLatin1String(SharedPrefix));
}

QString SqliteDb::SharedName(const QString& label)
{
    static std::atomic<int> serial{0};
    // Names are per process; the address of the counter tells the engine's
    // copies apart should two be loaded.
    return QStringLiteral("%1/mmobile-%2-%3-%4")
        .arg(QLatin1String(SharedPrefix), label)
        .arg(reinterpret_cast<quintptr>(&serial), 0, 16)
        .arg(++serial);
}

QByteArray SqliteDb::SharedUri(const QString& name)
{
    // A memdb name that starts with '/' is shared by the connections of the process.
    return "file:" + QUrl::toPercentEncoding(name.mid(int(sizeof SharedPrefix) - 1), "/") +
           "?vfs=memdb";
}

bool SqliteDb::OpenConnection(const QString& path, bool immutable)
{
    // A URI, so that `immutable` can be given; the path is escaped as one.
    QByteArray uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded();
    if (immutable)
        uri += "?immutable=1";
    m_readPath = QFileInfo(path).absoluteFilePath();
    m_immutable = immutable;
    // A link in the work folder is read where it is, beside its log's link.
    m_readVfs = QFileInfo(m_readPath).isSymLink() ? LinkedFileVfs::Name() : QByteArray();
    if (!m_readVfs.isEmpty())
        uri += (immutable ? "&vfs=" : "?vfs=") + m_readVfs;
    return OpenUri(uri, SQLITE_OPEN_READONLY);
}

bool SqliteDb::OpenUri(const QByteArray& uri, int flags, unsigned char* image, qint64 imageSize)
{
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(uri.constData(), &db, flags | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI,
                             nullptr);
    // The image goes to the connection, which frees it even when it refuses it.
    if (image && rc == SQLITE_OK)
        rc = sqlite3_deserialize(db, "main", image, imageSize, imageSize,
                                 SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_READONLY);
    else if (image)
        sqlite3_free(image);
    // The database is the backup's: its schema is not trusted, nothing it
    // says runs, and the connection can reach no other file.
    if (rc != SQLITE_OK || !SqliteCarve::SqliteGuard::Harden(db)) {
        m_error = QString::fromUtf8(db && rc != SQLITE_OK ? sqlite3_errmsg(db)
                                    : rc != SQLITE_OK     ? sqlite3_errstr(rc)
                                                          : "the connection cannot be secured");
        sqlite3_close(db);
        Close();
        return false;
    }
    m_db = db;
    SetGoOn(m_goOn);
    // Opening is lazy: reading the schema is what finds a file that is not a
    // database or whose first pages are damaged.
    if (!Query(QStringLiteral("SELECT count(*) FROM sqlite_master"),
               [](const Row&) { return true; })) {
        const QString error = m_error;
        Close();
        m_error = error;
        return false;
    }
    return true;
}

QString SqliteDb::LogPath() const
{
    const QString log = m_readPath + QStringLiteral("-wal");
    return m_db && !m_immutable && QFileInfo(log).isFile() ? log : QString();
}

unsigned char* SqliteDb::Serialize(qint64& size) const
{
    sqlite3_int64 bytes = 0;
    unsigned char* copy = m_db ? sqlite3_serialize(m_db, "main", &bytes, 0) : nullptr;
    size = copy ? bytes : 0;
    return copy;
}

QStringList SqliteDb::TakeCopies()
{
    QStringList copies;
    copies.swap(m_copies);
    return copies;
}

void SqliteDb::Close()
{
    if (m_db)
        sqlite3_close(m_db);
    m_db = nullptr;
    m_isImage = false;
    m_image.clear();
    m_logImage.clear();
    for (const QString& file : qAsConst(m_copies))
        QFile::remove(file);
    m_copies.clear();
}

bool SqliteDb::HasTable(const QString& table)
{
    bool found = false;
    Query(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type='table' AND name=?"), {table},
          [&found](const Row&) {
              found = true;
              return false;
          });
    return found;
}

bool SqliteDb::HasColumn(const QString& table, const QString& column)
{
    bool found = false;
    Query(QStringLiteral("SELECT name FROM pragma_table_info(?)"), {table}, [&](const Row& row) {
        if (row.String(0).compare(column, Qt::CaseInsensitive) == 0)
            found = true;
        return !found;
    });
    return found;
}

bool SqliteDb::Query(const QString& sql, const std::vector<QVariant>& params,
                     const RowFunction& row)
{
    if (!m_db) {
        m_error = QStringLiteral("database not open");
        return false;
    }
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(m_db, text.constData(), text.size(), &statement, nullptr) != SQLITE_OK) {
        m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_finalize(statement);
        return false;
    }
    for (int i = 0; i < static_cast<int>(params.size()); ++i) {
        const QVariant& value = params[i];
        switch (value.userType()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
        case QMetaType::Bool:
            sqlite3_bind_int64(statement, i + 1, value.toLongLong());
            break;
        case QMetaType::Double:
            sqlite3_bind_double(statement, i + 1, value.toDouble());
            break;
        default:
            if (value.isNull()) {
                sqlite3_bind_null(statement, i + 1);
            } else {
                const QByteArray bytes = value.toString().toUtf8();
                sqlite3_bind_text(statement, i + 1, bytes.constData(), bytes.size(),
                                  SQLITE_TRANSIENT);
            }
        }
    }
    bool ok = true;
    for (;;) {
        const int rc = sqlite3_step(statement);
        if (rc == SQLITE_ROW) {
            if (!row(Row(statement)))
                break;
            continue;
        }
        if (rc != SQLITE_DONE) {
            m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
            ok = false;
        }
        break;
    }
    sqlite3_finalize(statement);
    return ok;
}
