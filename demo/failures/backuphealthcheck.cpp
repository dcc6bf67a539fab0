#include "backuphealthcheck.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <sqlite3.h>

#include <memory>

namespace {

struct CloseDb
{
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};

// Why the index cannot be read, in words a user can act on.
QString Plain(int rc)
{
    switch (rc & 0xff) {
    case SQLITE_CORRUPT:
        return BackupHealthCheck::tr("Damaged: Manifest.db, the backup's index of files, is cut "
                                     "short or corrupt");
    case SQLITE_NOTADB:
        return BackupHealthCheck::tr("Damaged: Manifest.db, the backup's index of files, is not "
                                     "a database");
    default:
        return BackupHealthCheck::tr("Damaged: Manifest.db, the backup's index of files, cannot "
                                     "be read (%1)")
            .arg(QString::fromUtf8(sqlite3_errstr(rc)));
    }
}

// The first column of the first row of `sql`, or false with `error` set.
bool FirstValue(sqlite3* db, const char* sql, QString* value, QString* error)
{
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(statement);
        if (rc == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
            *value = QString::fromUtf8(text ? text : "");
        }
    }
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        *error = Plain(rc);
    sqlite3_finalize(statement);
    return rc == SQLITE_ROW || rc == SQLITE_DONE;
}

QString IndexProblem(const QString& path)
{
    const QFileInfo file(path);
    if (!file.isFile())
        return BackupHealthCheck::tr("Damaged: Manifest.db, the backup's index of files, is "
                                     "missing");
    // immutable: no lock, no journal, nothing written beside the file.
    const QByteArray uri = QUrl::fromLocalFile(file.absoluteFilePath()).toEncoded() +
                           QByteArrayLiteral("?immutable=1");
    sqlite3* raw = nullptr;
    const int rc =
        sqlite3_open_v2(uri.constData(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    std::unique_ptr<sqlite3, CloseDb> db(raw);
    if (rc != SQLITE_OK)
        return Plain(rc);
    QString value;
    QString error;
    if (!FirstValue(db.get(),
                    "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'Files'",
                    &value, &error))
        return error;
    if (value != QLatin1String("1"))
        return BackupHealthCheck::tr("Damaged: Manifest.db, the backup's index of files, has no "
                                     "list of files");
    if (!FirstValue(db.get(), "SELECT fileID, domain, relativePath, flags FROM Files LIMIT 1",
                    &value, &error) ||
        !FirstValue(db.get(), "PRAGMA quick_check(1)", &value, &error))
        return error;
    if (value != QLatin1String("ok"))
        return Plain(SQLITE_CORRUPT);
    return QString();
}

} // namespace

QString BackupHealthCheck::ManifestProblem(const QString& folder)
{
    const QString problem = IndexProblem(QDir(folder).filePath(QStringLiteral("Manifest.db")));
    // Unfinished writes in a log beside the index are not seen by an
    // immutable reader: then only the scan can tell.
    const QFileInfo wal(QDir(folder).filePath(QStringLiteral("Manifest.db-wal")));
    if (!problem.isEmpty() && wal.isFile() && wal.size() > 0)
        return QString();
    return problem;
}

QString BackupHealthCheck::Advice()
{
    return tr("Make a new backup of the phone, or open another backup.");
}
