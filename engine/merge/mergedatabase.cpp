#include "mergedatabase.h"

#include <QUrl>

#include <sqlite3.h>

#include <memory>

namespace {

struct Finalize
{
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, Finalize>;

void Bind(sqlite3_stmt* statement, int index, const QVariant& value)
{
    if (value.isNull()) {
        sqlite3_bind_null(statement, index);
        return;
    }
    switch (static_cast<QMetaType::Type>(value.type())) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        sqlite3_bind_int64(statement, index, value.toLongLong());
        break;
    case QMetaType::Double:
        sqlite3_bind_double(statement, index, value.toDouble());
        break;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        sqlite3_bind_blob(statement, index, bytes.constData(), bytes.size(), SQLITE_TRANSIENT);
        break;
    }
    default: {
        const QByteArray text = value.toString().toUtf8();
        sqlite3_bind_text(statement, index, text.constData(), text.size(), SQLITE_TRANSIENT);
    }
    }
}

QVariant Column(sqlite3_stmt* statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(statement, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(statement, column));
    case SQLITE_TEXT:
        return QVariant(
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)),
                              sqlite3_column_bytes(statement, column)));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(statement, column)),
                                   sqlite3_column_bytes(statement, column)));
    default:
        return QVariant();
    }
}

const QString Src = QStringLiteral("src");
const QString Main = QStringLiteral("main");

} // namespace

MergeDatabase::~MergeDatabase()
{
    if (m_db)
        sqlite3_close_v2(m_db);
}

QString MergeDatabase::Quote(const QString& identifier)
{
    QString quoted = identifier;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

bool MergeDatabase::Fail(const QString& error)
{
    m_error = error;
    return false;
}

bool MergeDatabase::Open(const QString& file)
{
    const QByteArray path = file.toUtf8();
    if (sqlite3_open_v2(path.constData(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK)
        return Fail(QStringLiteral("%1 cannot be opened").arg(file));
    sqlite3_busy_timeout(m_db, 5000);
    // The target's triggers and views are the phone's SQL: none of it runs on
    // our connection (its triggers call functions only the phone's apps
    // register), only the database's own constraints.
    int off = -1;
    if (sqlite3_db_config(m_db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, &off) != SQLITE_OK || off != 0)
        return Fail(QStringLiteral("%1: triggers cannot be turned off").arg(file));
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    return Scalar(QStringLiteral("SELECT count(*) FROM sqlite_master")).isValid() ||
           Fail(QStringLiteral("%1 is not a readable database: %2").arg(file, m_error));
}

bool MergeDatabase::AttachSource(const QString& file, bool immutable, const QByteArray& vfs)
{
    QString uri = QStringLiteral("file:") + QString::fromLatin1(QUrl::toPercentEncoding(file, "/"));
    uri += immutable ? QStringLiteral("?mode=ro&immutable=1") : QStringLiteral("?mode=ro");
    if (!vfs.isEmpty())
        uri += QStringLiteral("&vfs=") + QString::fromLatin1(vfs);
    if (!Exec(QStringLiteral("ATTACH DATABASE ? AS src"), {uri}))
        return false;
    m_attached = true;
    for (auto it = m_columns.begin(); it != m_columns.end();)
        it = it->first.startsWith(Src + QLatin1Char('.')) ? m_columns.erase(it) : std::next(it);
    return true;
}

bool MergeDatabase::DetachSource()
{
    if (!m_attached)
        return true;
    m_attached = false;
    return Exec(QStringLiteral("DETACH DATABASE src"));
}

bool MergeDatabase::Begin()
{
    return Exec(QStringLiteral("BEGIN IMMEDIATE"));
}

bool MergeDatabase::Commit()
{
    return Exec(QStringLiteral("COMMIT"));
}

void MergeDatabase::Rollback()
{
    if (m_db && !sqlite3_get_autocommit(m_db))
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

bool MergeDatabase::Finish()
{
    if (!DetachSource() || !Exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")))
        return false;
    const QVariant check = Scalar(QStringLiteral("PRAGMA integrity_check"));
    if (check.toString() != QLatin1String("ok"))
        return Fail(QStringLiteral("the merged database fails its integrity check: %1")
                        .arg(check.isValid() ? check.toString() : m_error));
    const int closed = sqlite3_close(m_db);
    m_db = nullptr;
    return closed == SQLITE_OK || Fail(QStringLiteral("the merged database cannot be closed"));
}

bool MergeDatabase::Exec(const QString& sql, const std::vector<QVariant>& params)
{
    sqlite3_stmt* raw = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, text.constData(), text.size(), &raw, nullptr) != SQLITE_OK)
        return Fail(QString::fromUtf8(sqlite3_errmsg(m_db)));
    Statement statement(raw);
    for (std::size_t i = 0; i < params.size(); ++i)
        Bind(raw, int(i) + 1, params[i]);
    int step;
    while ((step = sqlite3_step(raw)) == SQLITE_ROW) {
    }
    return step == SQLITE_DONE || Fail(QString::fromUtf8(sqlite3_errmsg(m_db)));
}

QVariant MergeDatabase::Scalar(const QString& sql, const std::vector<QVariant>& params)
{
    sqlite3_stmt* raw = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, text.constData(), text.size(), &raw, nullptr) != SQLITE_OK) {
        Fail(QString::fromUtf8(sqlite3_errmsg(m_db)));
        return QVariant();
    }
    Statement statement(raw);
    for (std::size_t i = 0; i < params.size(); ++i)
        Bind(raw, int(i) + 1, params[i]);
    const int step = sqlite3_step(raw);
    if (step == SQLITE_ROW) {
        QVariant value = Column(raw, 0);
        // A NULL result is still an answer: an empty string stands for it.
        return value.isNull() ? QVariant(QString()) : value;
    }
    if (step != SQLITE_DONE)
        Fail(QString::fromUtf8(sqlite3_errmsg(m_db)));
    return QVariant();
}

QStringList MergeDatabase::Columns(const QString& schema, const QString& table)
{
    const QString key = schema + QLatin1Char('.') + table;
    const auto found = m_columns.find(key);
    if (found != m_columns.end())
        return found->second;
    QStringList columns;
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(m_db, "SELECT name FROM pragma_table_info(?, ?) ORDER BY cid", -1, &raw,
                           nullptr) == SQLITE_OK) {
        Statement statement(raw);
        Bind(raw, 1, table);
        Bind(raw, 2, schema);
        while (sqlite3_step(raw) == SQLITE_ROW)
            columns << Column(raw, 0).toString();
    }
    m_columns[key] = columns;
    return columns;
}

bool MergeDatabase::HasTable(const QString& schema, const QString& table)
{
    return !Columns(schema, table).isEmpty();
}

bool MergeDatabase::HasColumn(const QString& schema, const QString& table, const QString& column)
{
    return Columns(schema, table).contains(column, Qt::CaseInsensitive);
}

QString MergeDatabase::RowidAlias(const QString& schema, const QString& table)
{
    // The single INTEGER PRIMARY KEY column stands for the rowid.
    const QVariant alias =
        Scalar(QStringLiteral("SELECT CASE WHEN count(*) = 1 AND upper(max(type)) = 'INTEGER' THEN "
                              "max(name) END FROM pragma_table_info(?, ?) WHERE pk > 0"),
               {table, schema});
    return alias.toString();
}

std::vector<qint64> MergeDatabase::SourceRowids(const QString& table, const QString& column,
                                                const QVariant& value, const QString& order)
{
    std::vector<qint64> rowids;
    QString sql = QStringLiteral("SELECT ROWID FROM src.%1").arg(Quote(table));
    std::vector<QVariant> params;
    if (!column.isEmpty()) {
        sql += QStringLiteral(" WHERE %1 IS ?").arg(Quote(column));
        params.push_back(value);
    }
    sql += order.isEmpty() ? QStringLiteral(" ORDER BY ROWID")
                           : QStringLiteral(" ORDER BY %1, ROWID").arg(Quote(order));
    sqlite3_stmt* raw = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, text.constData(), text.size(), &raw, nullptr) != SQLITE_OK) {
        Fail(QString::fromUtf8(sqlite3_errmsg(m_db)));
        return rowids;
    }
    Statement statement(raw);
    for (std::size_t i = 0; i < params.size(); ++i)
        Bind(raw, int(i) + 1, params[i]);
    const auto selected = m_selection.find(table);
    while (sqlite3_step(raw) == SQLITE_ROW) {
        const qint64 rowid = sqlite3_column_int64(raw, 0);
        if (selected == m_selection.end() || selected->second.count(rowid) > 0)
            rowids.push_back(rowid);
    }
    return rowids;
}

QVariant MergeDatabase::Value(const QString& schema, const QString& table, const QString& column,
                              qint64 rowid)
{
    if (!HasColumn(schema, table, column))
        return QVariant();
    const QVariant value = Scalar(QStringLiteral("SELECT %1 FROM %2.%3 WHERE ROWID = ?")
                                      .arg(Quote(column), schema == Src ? Src : Main, Quote(table)),
                                  {rowid});
    // Scalar() answers an empty string for NULL.
    return value.type() == QVariant::String && value.toString().isNull() ? QVariant() : value;
}

qint64 MergeDatabase::FindRow(const QString& table, const Values& values)
{
    QStringList conditions;
    std::vector<QVariant> params;
    for (const auto& value : values) {
        conditions << QStringLiteral("%1 IS ?").arg(Quote(value.first));
        params.push_back(value.second);
    }
    const QVariant found = Scalar(QStringLiteral("SELECT ROWID FROM main.%1 WHERE %2 LIMIT 1")
                                      .arg(Quote(table), conditions.join(QLatin1String(" AND "))),
                                  params);
    return found.isValid() && !found.toString().isEmpty() ? found.toLongLong() : -1;
}

qint64 MergeDatabase::FindSame(const QString& table, qint64 srcRowid, const QString& identity,
                               const Values& overrides, const QStringList& ignored)
{
    if (!identity.isEmpty() && HasColumn(Main, table, identity) &&
        HasColumn(Src, table, identity)) {
        const QVariant id = Value(Src, table, identity, srcRowid);
        if (!id.isNull())
            return FindRow(table, {{identity, id}});
    }
    const QString alias = RowidAlias(Main, table);
    const QStringList source = Columns(Src, table);
    QStringList conditions;
    std::vector<QVariant> params;
    for (const QString& column : Columns(Main, table)) {
        if (column.compare(alias, Qt::CaseInsensitive) == 0 ||
            column.compare(QLatin1String("Z_OPT"), Qt::CaseInsensitive) == 0 ||
            column.compare(QLatin1String("Z_ENT"), Qt::CaseInsensitive) == 0 ||
            ignored.contains(column, Qt::CaseInsensitive))
            continue;
        const auto replaced = overrides.find(column);
        if (replaced != overrides.end()) {
            conditions << QStringLiteral("m.%1 IS ?").arg(Quote(column));
            params.push_back(replaced->second);
        } else if (source.contains(column, Qt::CaseInsensitive)) {
            conditions << QStringLiteral("m.%1 IS s.%1").arg(Quote(column));
        }
    }
    if (conditions.isEmpty())
        return -1;
    params.push_back(srcRowid);
    const QVariant found =
        Scalar(QStringLiteral("SELECT m.ROWID FROM main.%1 m, src.%1 s WHERE %2 AND s.ROWID = ? "
                              "LIMIT 1")
                   .arg(Quote(table), conditions.join(QLatin1String(" AND "))),
               params);
    return found.isValid() && !found.toString().isEmpty() ? found.toLongLong() : -1;
}

QVariant MergeDatabase::TargetEntity(const QVariant& entity)
{
    // Another generation of the app may number its entities otherwise: the
    // entity of the same name is the target's.
    const QString keys = QStringLiteral("Z_PRIMARYKEY");
    if (entity.isNull() || !HasColumn(Src, keys, QStringLiteral("Z_NAME")) ||
        !HasColumn(Main, keys, QStringLiteral("Z_NAME")))
        return entity;
    const QVariant name =
        Scalar(QStringLiteral("SELECT Z_NAME FROM src.Z_PRIMARYKEY WHERE Z_ENT IS ?"), {entity});
    if (!name.isValid() || name.toString().isEmpty())
        return entity;
    const QVariant mapped =
        Scalar(QStringLiteral("SELECT Z_ENT FROM main.Z_PRIMARYKEY WHERE Z_NAME = ?"), {name});
    return mapped.isValid() && !mapped.toString().isEmpty() ? mapped : entity;
}

qint64 MergeDatabase::NextCoreDataKey(const QString& table, qint64 srcRowid, QVariant& entity)
{
    entity = TargetEntity(Value(Src, table, QStringLiteral("Z_ENT"), srcRowid));
    const QVariant last = Scalar(
        QStringLiteral("SELECT max(ifnull((SELECT Z_MAX FROM main.Z_PRIMARYKEY WHERE Z_ENT IS ?), "
                       "0), ifnull((SELECT max(Z_PK) FROM main.%1), 0))")
            .arg(Quote(table)),
        {entity});
    return last.isValid() ? last.toLongLong() + 1 : -1;
}

qint64 MergeDatabase::Copy(const QString& table, qint64 srcRowid, const Values& overrides)
{
    const QString alias = RowidAlias(Main, table);
    const QStringList source = Columns(Src, table);
    Values values = overrides;
    // Core Data hands out keys per entity from Z_PRIMARYKEY: the app's next
    // key must not be one we used.
    QVariant entity;
    const bool coreData = alias == QLatin1String("Z_PK") && HasColumn(Main, table, "Z_ENT") &&
                          HasTable(Main, QStringLiteral("Z_PRIMARYKEY"));
    if (coreData) {
        const qint64 key = NextCoreDataKey(table, srcRowid, entity);
        if (key < 0)
            return -1;
        values[alias] = key;
        values[QStringLiteral("Z_ENT")] = entity;
    }
    QStringList columns, selects;
    std::vector<QVariant> params;
    for (const QString& column : Columns(Main, table)) {
        const auto replaced = values.find(column);
        if (replaced != values.end()) {
            columns << Quote(column);
            selects << QStringLiteral("?");
            params.push_back(replaced->second);
        } else if (column.compare(alias, Qt::CaseInsensitive) != 0 &&
                   source.contains(column, Qt::CaseInsensitive)) {
            columns << Quote(column);
            selects << QStringLiteral("s.%1").arg(Quote(column));
        }
    }
    params.push_back(srcRowid);
    if (!Exec(
            QStringLiteral("INSERT INTO main.%1 (%2) SELECT %3 FROM src.%1 s WHERE s.ROWID = ?")
                .arg(Quote(table), columns.join(QLatin1Char(',')), selects.join(QLatin1Char(','))),
            params))
        return -1;
    if (sqlite3_changes(m_db) != 1) {
        Fail(QStringLiteral("row %1 of %2 is gone").arg(srcRowid).arg(table));
        return -1;
    }
    const qint64 rowid = sqlite3_last_insert_rowid(m_db);
    if (coreData && !Exec(QStringLiteral("UPDATE main.Z_PRIMARYKEY SET Z_MAX = ? WHERE Z_ENT IS ? "
                                         "AND Z_MAX < ?"),
                          {rowid, entity, rowid}))
        return -1;
    return rowid;
}

qint64 MergeDatabase::Insert(const QString& table, const Values& values)
{
    QStringList columns, marks;
    std::vector<QVariant> params;
    for (const auto& value : values) {
        if (!HasColumn(Main, table, value.first))
            continue;
        columns << Quote(value.first);
        marks << QStringLiteral("?");
        params.push_back(value.second);
    }
    if (!Exec(QStringLiteral("INSERT INTO main.%1 (%2) VALUES (%3)")
                  .arg(Quote(table), columns.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
              params))
        return -1;
    return sqlite3_last_insert_rowid(m_db);
}

qint64 MergeDatabase::FindOrAdd(const QString& table, const QString& column, const QVariant& text)
{
    const qint64 found = FindRow(table, {{column, text}});
    return found >= 0 ? found : Insert(table, {{column, text}});
}
