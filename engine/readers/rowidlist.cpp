#include "rowidlist.h"

#include <algorithm>

void RowidList::seal()
{
    m_bits.clear();
    if (m_rowids.empty())
        return;
    const auto range = std::minmax_element(m_rowids.cbegin(), m_rowids.cend());
    m_first = quint64(*range.first);
    const quint64 width = quint64(*range.second) - m_first;
    // Dense: the bits take no more than the rowids themselves (and a page).
    if (width >= quint64(8 * m_rowids.size() + 4096)) {
        std::sort(m_rowids.begin(), m_rowids.end());
        return;
    }
    m_bits.assign(std::size_t(width / 64 + 1), 0);
    for (const qint64 rowid : m_rowids) {
        const quint64 offset = quint64(rowid) - m_first;
        m_bits[std::size_t(offset / 64)] |= quint64(1) << (offset % 64);
    }
    m_rowids.clear();
}

bool RowidList::contains(qint64 rowid) const
{
    if (m_bits.empty())
        return std::binary_search(m_rowids.cbegin(), m_rowids.cend(), rowid);
    const quint64 offset = quint64(rowid) - m_first;
    return offset / 64 < m_bits.size() && (m_bits[std::size_t(offset / 64)] >> (offset % 64) & 1);
}
