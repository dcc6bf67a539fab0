#include "keyindex.h"

void KeyIndex::add(quint64 hash, quint32 row)
{
    // At most half full, so that a search ends soon at a free slot.
    if ((m_size + 1) * 2 > m_slots.size())
        grow();
    const std::size_t mask = m_slots.size() - 1;
    std::size_t at = std::size_t(hash) & mask;
    while (m_slots[at].used)
        at = (at + 1) & mask;
    m_slots[at] = Slot{hash, row, true};
    ++m_size;
}

void KeyIndex::grow()
{
    std::vector<Slot> old(m_slots.empty() ? 16 : m_slots.size() * 2);
    old.swap(m_slots);
    m_size = 0;
    for (const Slot& slot : old) {
        if (slot.used)
            add(slot.hash, slot.row);
    }
}
