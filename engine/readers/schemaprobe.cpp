#include "schemaprobe.h"

#include "readercontext.h"
#include "sqlitedb.h"

SchemaProbe::SchemaProbe(SqliteDb& db, const QString& name) : m_db(db), m_name(name) {}

bool SchemaProbe::HasTable(const QString& table)
{
    const QString key = table.toLower();
    auto it = m_columns.find(key);
    if (it == m_columns.end()) {
        QSet<QString> columns;
        if (m_db.HasTable(table)) {
            m_db.Query(QStringLiteral("SELECT name FROM pragma_table_info(?)"), {table},
                       [&columns](const SqliteDb::Row& row) {
                           columns.insert(row.String(0).toLower());
                           return true;
                       });
        }
        it = m_columns.insert(key, columns);
    }
    return !it->isEmpty();
}

bool SchemaProbe::HasColumn(const QString& table, const QString& column)
{
    return HasTable(table) && m_columns.value(table.toLower()).contains(column.toLower());
}

QString SchemaProbe::FirstTable(const QStringList& tables)
{
    for (const QString& table : tables) {
        if (HasTable(table))
            return table;
    }
    return QString();
}

QString SchemaProbe::Column(const QString& table, const QString& alias, const QString& column)
{
    if (HasColumn(table, column))
        return alias.isEmpty() ? column : alias + QLatin1Char('.') + column;
    Log(QStringLiteral("no column %1.%2").arg(table, column), column);
    return QStringLiteral("NULL");
}

QString SchemaProbe::LinkColumn(const QString& table, const QString& alias, const QString& column)
{
    return HasColumn(table, column) ? Column(table, alias, column) : QStringLiteral("NULL");
}

bool SchemaProbe::Optional(const QString& table, const QString& lost)
{
    if (HasTable(table))
        return true;
    Log(QStringLiteral("no table %1").arg(table), lost);
    return false;
}

QString SchemaProbe::MissingTable(const QStringList& tables)
{
    for (const QString& table : tables) {
        if (!HasTable(table))
            return table;
    }
    return QString();
}

void SchemaProbe::Log(const QString& what, const QString& lost)
{
    qCInfo(lcReaders).noquote() << m_name << "has" << what << "- left empty:" << lost;
}
