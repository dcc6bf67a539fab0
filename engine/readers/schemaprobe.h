#ifndef SCHEMAPROBE_H
#define SCHEMAPROBE_H

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

class SqliteDb;

// What one database has of the tables and columns a reader asks for, so that
// a reader picks its schema generation by what is there and degrades field
// by field: an optional column or table that is missing reads as NULL, and
// the reason goes to the engine's log once. The database is borrowed.
class SchemaProbe
{
public:
    SchemaProbe(SqliteDb& db, const QString& name);

    bool HasTable(const QString& table);
    bool HasColumn(const QString& table, const QString& column);
    // The first of `tables` that the database has; empty when none.
    QString FirstTable(const QStringList& tables);
    // `alias`.`column` for a SELECT list, or NULL (logged) when the column is missing.
    QString Column(const QString& table, const QString& alias, const QString& column);
    // Whether an optional table is there; logs what stays empty when it is not.
    // As Column, without a log line: for a column that only links records,
    // whose absence costs the user nothing.
    QString LinkColumn(const QString& table, const QString& alias, const QString& column);
    bool Optional(const QString& table, const QString& lost);
    // The first of `tables` that is missing, for the read's error; empty when all are there.
    QString MissingTable(const QStringList& tables);

private:
    void Log(const QString& what, const QString& lost);

    SqliteDb& m_db;
    QString m_name;
    QHash<QString, QSet<QString>> m_columns; // by lower-case table; empty set: no table
};

#endif // SCHEMAPROBE_H
