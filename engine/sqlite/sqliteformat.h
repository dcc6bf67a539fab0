#ifndef SQLITEFORMAT_H
#define SQLITEFORMAT_H

// Small readers for the on-disk integers of SQLite files: big-endian words,
// varints and record serial types. Every reader stays inside [p, end).

#include <cstdint>

namespace SqliteCarve {

inline uint32_t be16(const uint8_t* p)
{
    return uint32_t(p[0]) << 8 | p[1];
}

inline uint32_t be32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// Reads the varint at p into v; returns its length, 0 when it runs past end.
inline int readVarint(const uint8_t* p, const uint8_t* end, uint64_t& v)
{
    v = 0;
    for (int i = 0; i < 8; ++i) {
        if (p + i >= end)
            return 0;
        v = (v << 7) | (p[i] & 0x7f);
        if (!(p[i] & 0x80))
            return i + 1;
    }
    if (p + 8 >= end)
        return 0;
    v = (v << 8) | p[8];
    return 9;
}

inline int varintLength(uint64_t v)
{
    if (v > (uint64_t(1) << 56) - 1)
        return 9;
    int n = 1;
    while (v > 0x7f) {
        v >>= 7;
        ++n;
    }
    return n;
}

// Bytes a value of this serial type takes in the record body; -1 for the
// reserved types 10 and 11.
inline int64_t serialTypeSize(uint64_t type)
{
    static const int8_t fixed[12] = {0, 1, 2, 3, 4, 6, 8, 8, 0, 0, -1, -1};
    if (type < 12)
        return fixed[type];
    return int64_t((type - 12) / 2);
}

// Larger records are taken for garbage rather than carved.
const uint64_t kMaxPayload = uint64_t(1) << 30;

// Adds the bytes a value of `type` takes to the body size `body`; false, with
// `body` unchanged, for a reserved type or when the body would pass
// kMaxPayload. Sizes read from a file reach 2^63: summed unchecked, two of
// them wrap to a small body.
inline bool addSerialSize(uint64_t& body, uint64_t type)
{
    const int64_t size = serialTypeSize(type);
    if (size < 0 || body > kMaxPayload || uint64_t(size) > kMaxPayload - body)
        return false;
    body += uint64_t(size);
    return true;
}

inline bool isTextType(uint64_t type)
{
    return type >= 13 && (type & 1);
}

inline bool isBlobType(uint64_t type)
{
    return type >= 12 && !(type & 1);
}

// Page types of the b-tree page header's first byte.
enum PageFlag : uint8_t {
    InteriorIndexPage = 2,
    InteriorTablePage = 5,
    LeafIndexPage = 10,
    LeafTablePage = 13,
};

} // namespace SqliteCarve

#endif // SQLITEFORMAT_H
