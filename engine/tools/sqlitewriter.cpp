#include "sqlitewriter.h"

#include <sqlite3.h>

#include <QFile>

SqliteWriter::SqliteWriter() = default;

SqliteWriter::~SqliteWriter()
{
    Close();
}

bool SqliteWriter::Fail(const QString& error)
{
    m_error = error;
    if (m_firstFailure.isEmpty())
        m_firstFailure = error;
    return false;
}

bool SqliteWriter::Open(const QString& path)
{
    Close();
    m_path = path;
    m_firstFailure.clear();
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
    if (sqlite3_open(path.toUtf8().constData(), &m_db) != SQLITE_OK) {
        m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_close(m_db);
        m_db = nullptr;
        return false;
    }
    // As the phone's databases: freed pages stay in the file (this build of
    // SQLite may default to vacuuming them away).
    return Exec(QStringLiteral("PRAGMA auto_vacuum=NONE")) &&
           Exec(QStringLiteral("PRAGMA journal_mode=OFF")) && Exec(QStringLiteral("BEGIN"));
}

bool SqliteWriter::Exec(const QString& sql)
{
    char* message = nullptr;
    if (!m_db ||
        sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        const QString error =
            message ? QString::fromUtf8(message) : QStringLiteral("database not open");
        sqlite3_free(message);
        return Fail(QStringLiteral("%1 (%2)").arg(error, sql.simplified().left(160)));
    }
    return true;
}

qint64 SqliteWriter::Insert(const QString& sql, const std::vector<QVariant>& values)
{
    if (!m_db) {
        Fail(QStringLiteral("database not open"));
        return -1;
    }
    sqlite3_stmt* statement = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, text.constData(), text.size(), &statement, nullptr) != SQLITE_OK) {
        Fail(QStringLiteral("%1 (%2)").arg(QString::fromUtf8(sqlite3_errmsg(m_db)),
                                           sql.simplified().left(160)));
        return -1;
    }
    for (int i = 0; i < static_cast<int>(values.size()); ++i) {
        const QVariant& value = values[i];
        if (value.isNull()) {
            sqlite3_bind_null(statement, i + 1);
        } else if (value.userType() == QMetaType::Double) {
            sqlite3_bind_double(statement, i + 1, value.toDouble());
        } else if (value.userType() == QMetaType::Int || value.userType() == QMetaType::LongLong ||
                   value.userType() == QMetaType::Bool) {
            sqlite3_bind_int64(statement, i + 1, value.toLongLong());
        } else if (value.userType() == QMetaType::QByteArray) {
            const QByteArray bytes = value.toByteArray();
            sqlite3_bind_blob(statement, i + 1, bytes.constData(), bytes.size(), SQLITE_TRANSIENT);
        } else {
            const QByteArray bytes = value.toString().toUtf8();
            sqlite3_bind_text(statement, i + 1, bytes.constData(), bytes.size(), SQLITE_TRANSIENT);
        }
    }
    const int rc = sqlite3_step(statement);
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE) {
        Fail(QStringLiteral("%1 (%2)").arg(QString::fromUtf8(sqlite3_errmsg(m_db)),
                                           sql.simplified().left(160)));
        return -1;
    }
    return sqlite3_last_insert_rowid(m_db);
}

QList<QVariantList> SqliteWriter::Select(const QString& sql)
{
    QList<QVariantList> rows;
    sqlite3_stmt* statement = nullptr;
    const QByteArray text = sql.toUtf8();
    if (!m_db ||
        sqlite3_prepare_v2(m_db, text.constData(), text.size(), &statement, nullptr) != SQLITE_OK) {
        Fail(m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("not open"));
        return rows;
    }
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        QVariantList row;
        for (int c = 0; c < sqlite3_column_count(statement); ++c) {
            switch (sqlite3_column_type(statement, c)) {
            case SQLITE_NULL:
                row << QVariant();
                break;
            case SQLITE_INTEGER:
                row << QVariant(qlonglong(sqlite3_column_int64(statement, c)));
                break;
            case SQLITE_FLOAT:
                row << QVariant(sqlite3_column_double(statement, c));
                break;
            default:
                row << QVariant(QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(statement, c)),
                    sqlite3_column_bytes(statement, c)));
            }
        }
        rows << row;
    }
    if (rc != SQLITE_DONE)
        Fail(QString::fromUtf8(sqlite3_errmsg(m_db)));
    sqlite3_finalize(statement);
    return rows;
}

bool SqliteWriter::StartLog()
{
    m_logging = Exec(QStringLiteral("COMMIT")) && Exec(QStringLiteral("PRAGMA journal_mode=WAL")) &&
                Exec(QStringLiteral("PRAGMA wal_autocheckpoint=0")) &&
                Exec(QStringLiteral("BEGIN"));
    return m_logging;
}

bool SqliteWriter::Close(const QString& logPath)
{
    if (!m_db)
        return m_firstFailure.isEmpty();
    bool ok = m_firstFailure.isEmpty() && Exec(QStringLiteral("COMMIT"));
    if (m_logging) {
        // Closing would otherwise copy the log back into the database.
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    } else {
        ok = ok && Exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    }
    sqlite3_close(m_db);
    m_db = nullptr;
    if (m_logging) {
        m_logging = false;
        QFile::remove(m_path + QLatin1String("-shm"));
        QFile::remove(logPath);
        if (!ok || logPath.isEmpty() || !QFile::rename(m_path + QLatin1String("-wal"), logPath)) {
            if (m_firstFailure.isEmpty())
                m_error = QStringLiteral("cannot move the log of %1").arg(m_path);
            ok = false;
        }
    }
    if (!m_firstFailure.isEmpty())
        m_error = QStringLiteral("%1: a statement failed: %2").arg(m_path, m_firstFailure);
    return ok;
}
