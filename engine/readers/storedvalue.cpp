#include "storedvalue.h"

#include <sqlite3.h>

#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

bool Digit(char c)
{
    return c >= '0' && c <= '9';
}

// The length of the decimal literal `text` starts with (after `from`); 0: none.
int LiteralLength(const QByteArray& text, int from, bool& integral)
{
    int i = from;
    const int n = text.size();
    if (i < n && (text[i] == '+' || text[i] == '-'))
        ++i;
    int digits = 0;
    for (; i < n && Digit(text[i]); ++i)
        ++digits;
    integral = true;
    if (i < n && text[i] == '.') {
        integral = false;
        for (++i; i < n && Digit(text[i]); ++i)
            ++digits;
    }
    if (digits == 0)
        return 0;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        int e = i + 1;
        if (e < n && (text[e] == '+' || text[e] == '-'))
            ++e;
        int exponent = 0;
        for (; e < n && Digit(text[e]); ++e)
            ++exponent;
        if (exponent > 0) {
            integral = false;
            i = e;
        }
    }
    return i - from;
}

// An integral real as the integer SQLite keeps it as in a numeric column.
bool Integral(double real, qint64& integer)
{
    if (!(real > -9223372036854775808.0 && real < 9223372036854775808.0))
        return false;
    integer = qint64(real);
    return double(integer) == real && integer > std::numeric_limits<qint64>::min() &&
           integer < std::numeric_limits<qint64>::max();
}

// SQLite's "%!.15g": a real always shows that it is one.
QByteArray RealText(double real)
{
    if (std::isinf(real))
        return real > 0 ? QByteArrayLiteral("Inf") : QByteArrayLiteral("-Inf");
    QByteArray text = QByteArray::number(real, 'g', 15);
    const int exponent = text.indexOf('e');
    if (text.contains('.'))
        return text;
    if (exponent < 0)
        return text + ".0";
    return text.insert(exponent, ".0");
}

int Order(StoredValue::Kind kind)
{
    switch (kind) {
    case StoredValue::Kind::Null:
        return 0;
    case StoredValue::Kind::Integer:
    case StoredValue::Kind::Real:
        return 1;
    case StoredValue::Kind::Text:
        return 2;
    case StoredValue::Kind::Blob:
        break;
    }
    return 3;
}

} // namespace

StoredValue StoredValue::Of(const QVariant& value, Affinity affinity)
{
    StoredValue stored;
    if (value.isNull())
        return stored;
    switch (value.userType()) {
    case QMetaType::LongLong:
        stored.m_kind = Kind::Integer;
        stored.m_int = value.toLongLong();
        break;
    case QMetaType::Double:
        stored.m_kind = Kind::Real;
        stored.m_real = value.toDouble();
        break;
    case QMetaType::QByteArray:
        stored.m_kind = Kind::Blob;
        stored.m_bytes = value.toByteArray();
        return stored; // no affinity changes a blob
    default:
        stored.m_kind = Kind::Text;
        stored.m_bytes = value.toString().toUtf8();
        break;
    }
    switch (affinity) {
    case Affinity::Blob:
        break;
    case Affinity::Text:
        if (stored.m_kind != Kind::Text)
            stored = Of(stored.Text());
        break;
    case Affinity::Integer:
    case Affinity::Numeric:
    case Affinity::Real: {
        if (stored.m_kind == Kind::Text) {
            const QByteArray trimmed = stored.m_bytes.trimmed();
            bool integral = false;
            if (trimmed.isEmpty() || LiteralLength(trimmed, 0, integral) != trimmed.size())
                break;
            bool fits = false;
            const qint64 integer = integral ? trimmed.toLongLong(&fits) : 0;
            stored.m_bytes.clear();
            if (fits) {
                stored.m_kind = Kind::Integer;
                stored.m_int = integer;
            } else {
                stored.m_kind = Kind::Real;
                stored.m_real = trimmed.toDouble();
            }
        }
        qint64 integer = 0;
        if (affinity == Affinity::Real && stored.m_kind == Kind::Integer) {
            stored.m_kind = Kind::Real;
            stored.m_real = double(stored.m_int);
        } else if (affinity != Affinity::Real && stored.m_kind == Kind::Real &&
                   Integral(stored.m_real, integer)) {
            stored.m_kind = Kind::Integer;
            stored.m_int = integer;
        }
        break;
    }
    }
    return stored;
}

StoredValue StoredValue::Of(int type, qint64 integer, double real, const QByteArray& bytes)
{
    StoredValue stored;
    switch (type) {
    case SQLITE_INTEGER:
        stored.m_kind = Kind::Integer;
        stored.m_int = integer;
        break;
    case SQLITE_FLOAT:
        stored.m_kind = Kind::Real;
        stored.m_real = real;
        break;
    case SQLITE_TEXT:
    case SQLITE_BLOB:
        stored.m_kind = type == SQLITE_TEXT ? Kind::Text : Kind::Blob;
        stored.m_bytes = bytes.isNull() ? QByteArray("") : bytes;
        break;
    default:
        break;
    }
    return stored;
}

StoredValue StoredValue::Of(qint64 integer)
{
    StoredValue stored;
    stored.m_kind = Kind::Integer;
    stored.m_int = integer;
    return stored;
}

StoredValue StoredValue::Of(const QByteArray& text)
{
    StoredValue stored;
    stored.m_kind = Kind::Text;
    stored.m_bytes = text.isNull() ? QByteArray("") : text;
    return stored;
}

qint64 StoredValue::Int() const
{
    switch (m_kind) {
    case Kind::Null:
        return 0;
    case Kind::Integer:
        return m_int;
    case Kind::Real:
        if (m_real <= -9223372036854775808.0)
            return std::numeric_limits<qint64>::min();
        if (m_real >= 9223372036854775807.0)
            return std::numeric_limits<qint64>::max();
        return std::isnan(m_real) ? 0 : qint64(m_real);
    case Kind::Text:
    case Kind::Blob:
        break;
    }
    // The integer the text begins with, as SQLite reads it.
    int i = 0;
    const int n = m_bytes.size();
    while (i < n && std::isspace(static_cast<unsigned char>(m_bytes[i])))
        ++i;
    const bool negative = i < n && m_bytes[i] == '-';
    if (i < n && (m_bytes[i] == '-' || m_bytes[i] == '+'))
        ++i;
    quint64 value = 0;
    for (; i < n && Digit(m_bytes[i]); ++i) {
        value = value * 10 + quint64(m_bytes[i] - '0');
        if (value > quint64(std::numeric_limits<qint64>::max()))
            return negative ? std::numeric_limits<qint64>::min()
                            : std::numeric_limits<qint64>::max();
    }
    return negative ? -qint64(value) : qint64(value);
}

double StoredValue::Real() const
{
    switch (m_kind) {
    case Kind::Null:
        return 0;
    case Kind::Integer:
        return double(m_int);
    case Kind::Real:
        return m_real;
    case Kind::Text:
    case Kind::Blob:
        break;
    }
    int from = 0;
    while (from < m_bytes.size() && std::isspace(static_cast<unsigned char>(m_bytes[from])))
        ++from;
    bool integral = false;
    const int length = LiteralLength(m_bytes, from, integral);
    return length > 0 ? m_bytes.mid(from, length).toDouble() : 0.0;
}

QByteArray StoredValue::Text() const
{
    switch (m_kind) {
    case Kind::Null:
        return QByteArray();
    case Kind::Integer:
        return QByteArray::number(m_int);
    case Kind::Real:
        return RealText(m_real);
    case Kind::Text:
    case Kind::Blob:
        break;
    }
    return m_bytes.isNull() ? QByteArray("") : m_bytes;
}

int StoredValue::Compare(const StoredValue& a, const StoredValue& b)
{
    const int order = Order(a.m_kind) - Order(b.m_kind);
    if (order != 0)
        return order < 0 ? -1 : 1;
    switch (a.m_kind) {
    case Kind::Null:
        return 0;
    case Kind::Integer:
    case Kind::Real: {
        if (a.m_kind == Kind::Integer && b.m_kind == Kind::Integer)
            return a.m_int < b.m_int ? -1 : (a.m_int > b.m_int ? 1 : 0);
        // Long double holds every 64-bit integer exactly.
        const long double x = a.m_kind == Kind::Integer ? (long double)a.m_int : a.m_real;
        const long double y = b.m_kind == Kind::Integer ? (long double)b.m_int : b.m_real;
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    case Kind::Text:
    case Kind::Blob:
        break;
    }
    const int common = std::min(a.m_bytes.size(), b.m_bytes.size());
    const int bytes = common > 0 ? std::memcmp(a.m_bytes.constData(), b.m_bytes.constData(),
                                               static_cast<size_t>(common))
                                 : 0;
    if (bytes != 0)
        return bytes < 0 ? -1 : 1;
    return a.m_bytes.size() < b.m_bytes.size() ? -1 : (a.m_bytes.size() > b.m_bytes.size() ? 1 : 0);
}

bool StoredValue::Equals(const StoredValue& other) const
{
    return m_kind != Kind::Null && other.m_kind != Kind::Null && Compare(*this, other) == 0;
}

bool StoredValue::Positive() const
{
    switch (m_kind) {
    case Kind::Null:
        return false;
    case Kind::Integer:
        return m_int > 0;
    case Kind::Real:
        return m_real > 0;
    case Kind::Text:
    case Kind::Blob:
        break;
    }
    return true;
}

void StoredValue::AppendKey(QByteArray& key) const
{
    qint64 integer = m_int;
    if (m_kind == Kind::Integer || (m_kind == Kind::Real && Integral(m_real, integer))) {
        key += 'i';
        key.append(reinterpret_cast<const char*>(&integer), sizeof integer);
        return;
    }
    if (m_kind == Kind::Real) {
        key += 'r';
        key.append(reinterpret_cast<const char*>(&m_real), sizeof m_real);
        return;
    }
    const qint32 size = m_bytes.size();
    key += m_kind == Kind::Text ? 't' : 'b';
    key.append(reinterpret_cast<const char*>(&size), sizeof size);
    key += m_bytes;
}
