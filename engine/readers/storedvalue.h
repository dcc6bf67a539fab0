#ifndef STOREDVALUE_H
#define STOREDVALUE_H

#include "tableschema.h"

#include <QByteArray>
#include <QVariant>

#include <cstdint>

// One value as SQLite keeps it in a column of a given affinity, and as it
// reads, orders and compares it there: what a reader of a table's rows gets
// without laying them out in a database first. A plain value.
class StoredValue
{
public:
    using Affinity = SqliteCarve::TableSchema::Affinity;
    enum class Kind : std::uint8_t { Null, Integer, Real, Text, Blob };

    StoredValue() = default;
    // A carved value (null, qlonglong, double, QString or QByteArray) as a
    // column of `affinity` stores it.
    static StoredValue Of(const QVariant& value, Affinity affinity);
    // A value read from a live table: its storage class as
    // sqlite3_column_type() gives it, and the value of that class.
    static StoredValue Of(int type, qint64 integer, double real, const QByteArray& bytes);
    static StoredValue Of(qint64 integer);
    static StoredValue Of(const QByteArray& text);

    Kind kind() const { return m_kind; }
    bool IsNull() const { return m_kind == Kind::Null; }
    // As sqlite3_column_int64(), sqlite3_column_double() and
    // sqlite3_column_text() read it; a NULL's text is null.
    qint64 Int() const;
    double Real() const;
    QByteArray Text() const;
    // The ORDER BY of SQLite: NULL, then numbers, texts and blobs (by bytes).
    static int Compare(const StoredValue& a, const StoredValue& b);
    // `a = b` of two columns of the same affinity; never true of a NULL.
    bool Equals(const StoredValue& other) const;
    // `value > 0`: texts and blobs are greater than any number.
    bool Positive() const;
    // Bytes that are the same exactly when two non-NULL values are the same
    // to a UNIQUE index.
    void AppendKey(QByteArray& key) const;

private:
    Kind m_kind = Kind::Null;
    qint64 m_int = 0;
    double m_real = 0;
    QByteArray m_bytes;
};

#endif // STOREDVALUE_H
