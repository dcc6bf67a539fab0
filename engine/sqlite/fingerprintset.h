#ifndef FINGERPRINTSET_H
#define FINGERPRINTSET_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace SqliteCarve {

// A set of 64-bit fingerprints in one open-addressed table that doubles when
// half full: inserting allocates only when the table grows, never per entry.
class FingerprintSet
{
public:
    // True when the fingerprint was not there yet.
    bool insert(uint64_t fingerprint);
    bool contains(uint64_t fingerprint) const;
    void clear();

private:
    size_t slot(uint64_t key) const;
    void grow();

    std::vector<uint64_t> m_slots; // 0 marks an empty slot
    size_t m_count = 0;
};

} // namespace SqliteCarve

#endif // FINGERPRINTSET_H
