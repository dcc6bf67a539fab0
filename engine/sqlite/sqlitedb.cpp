#include "sqlitedb.h"

#include <sqlite3.h>

#include <QFileInfo>

bool SqliteDb::Row::IsNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
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

QString SqliteDb::Row::String(int column) const
{
    return QString::fromUtf8(Text(column));
}

SqliteDb::SqliteDb() = default;

SqliteDb::~SqliteDb()
{
    Close();
}

bool SqliteDb::Open(const QString& path)
{
    Close();
    if (!QFileInfo(path).isFile()) {
        m_error = QStringLiteral("no such file: %1").arg(path);
        return false;
    }
    const QByteArray name = path.toUtf8();
    sqlite3* db = nullptr;
    const int rc =
        sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        m_error = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close(db);
        return false;
    }
    m_db = db;
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

void SqliteDb::Close()
{
    if (m_db)
        sqlite3_close(m_db);
    m_db = nullptr;
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
        switch (value.type()) {
        case QVariant::Int:
        case QVariant::LongLong:
        case QVariant::UInt:
        case QVariant::ULongLong:
        case QVariant::Bool:
            sqlite3_bind_int64(statement, i + 1, value.toLongLong());
            break;
        case QVariant::Double:
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
