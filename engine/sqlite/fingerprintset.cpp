#include "fingerprintset.h"

namespace SqliteCarve {

namespace {

// Zero marks an empty slot, so a zero fingerprint is stored as another value.
uint64_t key(uint64_t fingerprint)
{
    return fingerprint ? fingerprint : 0x9e3779b97f4a7c15ULL;
}

} // namespace

size_t FingerprintSet::slot(uint64_t k) const
{
    const size_t mask = m_slots.size() - 1;
    size_t i = size_t(k ^ (k >> 31)) & mask;
    while (m_slots[i] != 0 && m_slots[i] != k)
        i = (i + 1) & mask;
    return i;
}

bool FingerprintSet::insert(uint64_t fingerprint)
{
    if (2 * (m_count + 1) > m_slots.size())
        grow();
    const uint64_t k = key(fingerprint);
    const size_t i = slot(k);
    if (m_slots[i] == k)
        return false;
    m_slots[i] = k;
    ++m_count;
    return true;
}

bool FingerprintSet::contains(uint64_t fingerprint) const
{
    if (m_slots.empty())
        return false;
    const uint64_t k = key(fingerprint);
    return m_slots[slot(k)] == k;
}

void FingerprintSet::clear()
{
    m_slots.clear();
    m_count = 0;
}

void FingerprintSet::grow()
{
    std::vector<uint64_t> old;
    old.swap(m_slots);
    m_slots.assign(old.empty() ? 64 : old.size() * 2, 0);
    for (uint64_t k : old) {
        if (k != 0)
            m_slots[slot(k)] = k;
    }
}

} // namespace SqliteCarve
