#include "messageorder.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>

namespace {

// SQLite orders NULL, then numbers, then texts, then blobs.
int Rank(int type)
{
    switch (type) {
    case SQLITE_NULL:
        return 0;
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        return 1;
    case SQLITE_TEXT:
        return 2;
    default:
        return 3;
    }
}

double RealOf(qint64 bits)
{
    double real;
    std::memcpy(&real, &bits, sizeof real);
    return real;
}

template <class T> int Compare(const T& a, const T& b)
{
    return a < b ? -1 : b < a ? 1 : 0;
}

// An integer against a real by value, exactly, as SQLite: no conversion of
// the integer to a double, which would round it above 2^53.
int CompareIntReal(qint64 integer, double real)
{
    if (real < -9223372036854775808.0)
        return 1;
    if (real >= 9223372036854775808.0)
        return -1;
    const qint64 whole = qint64(real); // toward zero, exact in this range
    if (integer != whole)
        return Compare(integer, whole);
    return Compare(0.0, real - double(whole));
}

} // namespace

MessageOrder::MessageOrder(std::size_t conversations)
    : m_last(conversations, -1), m_unsorted(conversations, false)
{
}

void MessageOrder::Reserve(std::size_t rows)
{
    m_keys.reserve(rows);
}

void MessageOrder::Add(std::size_t conversation, const SqliteDb::Row& row, int date, qint64 rowid)
{
    if (conversation >= m_last.size())
        return;
    Key key{rowid, 0, row.Type(date), int(conversation)};
    if (key.type == SQLITE_INTEGER) {
        key.value = row.Int(date);
    } else if (key.type == SQLITE_FLOAT) {
        const double real = row.Real(date);
        std::memcpy(&key.value, &real, sizeof real);
    } else if (key.type != SQLITE_NULL) {
        key.value = qint64(m_bytes.size());
        m_bytes.push_back(row.Text(date));
    }
    qint64& last = m_last[conversation];
    if (last >= 0 && Less(key, m_keys[std::size_t(last)]))
        m_unsorted[conversation] = true;
    last = qint64(m_keys.size());
    m_keys.push_back(key);
}

bool MessageOrder::Less(const Key& a, const Key& b) const
{
    const int rank = Rank(a.type);
    if (rank != Rank(b.type))
        return rank < Rank(b.type);
    int by = 0;
    if (rank == 1 && a.type == SQLITE_INTEGER && b.type == SQLITE_INTEGER) {
        by = Compare(a.value, b.value);
    } else if (rank == 1 && a.type == SQLITE_INTEGER) {
        by = CompareIntReal(a.value, RealOf(b.value));
    } else if (rank == 1 && b.type == SQLITE_INTEGER) {
        by = -CompareIntReal(b.value, RealOf(a.value));
    } else if (rank == 1) {
        by = Compare(RealOf(a.value), RealOf(b.value));
    } else if (rank > 1) {
        by = Compare(m_bytes[std::size_t(a.value)], m_bytes[std::size_t(b.value)]);
    }
    return by != 0 ? by < 0 : a.rowid < b.rowid;
}

std::vector<std::pair<std::size_t, std::vector<std::size_t>>> MessageOrder::Disorder() const
{
    // The keys of each conversation out of order, in the order they came.
    std::vector<std::vector<std::size_t>> rows(m_unsorted.size());
    for (std::size_t k = 0; k < m_keys.size(); ++k) {
        if (m_unsorted[std::size_t(m_keys[k].conversation)])
            rows[std::size_t(m_keys[k].conversation)].push_back(k);
    }
    std::vector<std::pair<std::size_t, std::vector<std::size_t>>> disorder;
    for (std::size_t c = 0; c < rows.size(); ++c) {
        if (!m_unsorted[c])
            continue;
        const std::vector<std::size_t>& keys = rows[c];
        std::vector<std::size_t> order(keys.size());
        for (std::size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return Less(m_keys[keys[a]], m_keys[keys[b]]);
        });
        disorder.emplace_back(c, std::move(order));
    }
    return disorder;
}
