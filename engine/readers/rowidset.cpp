#include "rowidset.h"

#include <utility>

// Rowids mostly come in runs: mixed, so that a run spreads over the block.
std::size_t RowidSet::home(qint64 rowid) const
{
    quint64 mixed = quint64(rowid);
    mixed ^= mixed >> 33;
    mixed *= 0xff51afd7ed558ccdULL;
    mixed ^= mixed >> 33;
    mixed *= 0xc4ceb9fe1a85ec53ULL;
    mixed ^= mixed >> 33;
    return std::size_t(mixed) & (m_slots.size() - 1);
}

bool RowidSet::contains(qint64 rowid) const
{
    if (m_slots.empty())
        return false;
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t at = home(rowid);; at = (at + 1) & mask) {
        const Slot& slot = m_slots[at];
        if (!slot.used)
            return false;
        if (slot.rowid == rowid)
            return true;
    }
}

bool RowidSet::insert(qint64 rowid)
{
    // At most half full, so that a search ends soon at a free slot.
    if ((m_size + 1) * 2 > m_slots.size())
        grow();
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t at = home(rowid);; at = (at + 1) & mask) {
        Slot& slot = m_slots[at];
        if (!slot.used) {
            slot = Slot{rowid, true};
            ++m_size;
            return true;
        }
        if (slot.rowid == rowid)
            return false;
    }
}

// The slots after the one freed move back where their search would miss
// them otherwise, so that no search stops short of its rowid.
bool RowidSet::remove(qint64 rowid)
{
    if (m_slots.empty())
        return false;
    const std::size_t mask = m_slots.size() - 1;
    std::size_t hole = home(rowid);
    for (;; hole = (hole + 1) & mask) {
        if (!m_slots[hole].used)
            return false;
        if (m_slots[hole].rowid == rowid)
            break;
    }
    for (std::size_t next = (hole + 1) & mask; m_slots[next].used; next = (next + 1) & mask) {
        const std::size_t wanted = home(m_slots[next].rowid);
        // Whether `wanted` lies cyclically in (hole, next]: then the slot stays.
        const bool stays =
            hole <= next ? (hole < wanted && wanted <= next) : (hole < wanted || wanted <= next);
        if (!stays) {
            m_slots[hole] = m_slots[next];
            hole = next;
        }
    }
    m_slots[hole] = Slot{};
    --m_size;
    return true;
}

void RowidSet::grow()
{
    std::vector<Slot> old(m_slots.empty() ? 16 : m_slots.size() * 2);
    old.swap(m_slots);
    m_size = 0;
    for (const Slot& slot : old) {
        if (slot.used)
            insert(slot.rowid);
    }
}
