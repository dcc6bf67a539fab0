#ifndef ROWIDLIST_H
#define ROWIDLIST_H

#include <QtGlobal>

#include <cstddef>
#include <vector>

// Rowids gathered first and asked after, all at once: a sorted list builds
// and answers faster than a hash of tens of thousands, and rowids that
// mostly run without gaps (a table's) are a bit each of their span, with no
// sort. Offsets from the least are taken modulo 2^64, so that no rowid of a
// hostile table overflows. A plain value.
//
//     RowidList held;
//     for (...) held.insert(rowid);
//     held.seal();
//     if (held.contains(rowid)) ...
class RowidList
{
public:
    void reserve(std::size_t count) { m_rowids.reserve(count); }
    void insert(qint64 rowid) { m_rowids.push_back(rowid); }
    // Once all are in, before the first contains().
    void seal();
    bool contains(qint64 rowid) const;

private:
    std::vector<qint64> m_rowids; // sorted once sealed, unless dense
    std::vector<quint64> m_bits;  // when dense: bit r - m_first for each rowid r
    quint64 m_first = 0;
};

#endif // ROWIDLIST_H
