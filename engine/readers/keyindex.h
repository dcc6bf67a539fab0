#ifndef KEYINDEX_H
#define KEYINDEX_H

#include <QtGlobal>

#include <cstddef>
#include <vector>

// The rows that hold the keys of one unique key of a laid-out table, found by
// the keys' hashes: the table keeps its rows, and so its keys, already, and
// compares a found row's key itself, which hashes alone could not settle.
// One open-addressed block rather than a node and a copy per key. A plain value.
class KeyIndex
{
public:
    // Whether `same` says true of a row added under `hash`.
    template <class Same> bool find(quint64 hash, Same same) const
    {
        if (m_slots.empty())
            return false;
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t at = std::size_t(hash) & mask; m_slots[at].used; at = (at + 1) & mask) {
            if (m_slots[at].hash == hash && same(m_slots[at].row))
                return true;
        }
        return false;
    }
    void add(quint64 hash, quint32 row);
    std::size_t size() const { return m_size; }

private:
    struct Slot
    {
        quint64 hash = 0;
        quint32 row = 0;
        bool used = false;
    };
    void grow();

    std::vector<Slot> m_slots;
    std::size_t m_size = 0;
};

#endif // KEYINDEX_H
