#include "liverowindex.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string_view>

namespace SqliteCarve {

namespace {

uint64_t mix(uint64_t h, uint64_t v)
{
    h = (h ^ v) * 0x9e3779b97f4a7c15ULL;
    return h ^ (h >> 29);
}

} // namespace

uint64_t LiveRowIndex::valuesHash(const std::vector<CarvedValue>& values, int skipColumn)
{
    uint64_t h = 0x51ed270b27a3c1f5ULL;
    for (size_t i = 0; i < values.size(); ++i) {
        if (int(i) == skipColumn)
            continue;
        const CarvedValue& v = values[i];
        h = mix(h, uint64_t(v.kind) + 1);
        switch (v.kind) {
        case CarvedValue::Kind::Null:
            break;
        case CarvedValue::Kind::Integer:
            h = mix(h, uint64_t(v.integer));
            break;
        case CarvedValue::Kind::Real: {
            uint64_t bits;
            std::memcpy(&bits, &v.real, sizeof bits);
            h = mix(h, bits);
            break;
        }
        case CarvedValue::Kind::Text:
        case CarvedValue::Kind::Blob:
            h = mix(h, std::hash<std::string_view>()(v.bytes));
            h = mix(h, v.bytes.size());
            break;
        }
    }
    return h;
}

uint64_t LiveRowIndex::rowHash(uint64_t valuesHash, int64_t rowid)
{
    return mix(valuesHash, uint64_t(rowid));
}

void LiveRowIndex::add(const std::vector<CarvedValue>& values, int skipColumn, int64_t rowid)
{
    const uint64_t h = valuesHash(values, skipColumn);
    m_values.push_back(h);
    m_rows.push_back(rowHash(h, rowid));
}

void LiveRowIndex::seal()
{
    std::sort(m_values.begin(), m_values.end());
    std::sort(m_rows.begin(), m_rows.end());
}

bool LiveRowIndex::contains(uint64_t valuesHash, bool hasRowid, int64_t rowid) const
{
    if (hasRowid)
        return std::binary_search(m_rows.begin(), m_rows.end(), rowHash(valuesHash, rowid));
    return std::binary_search(m_values.begin(), m_values.end(), valuesHash);
}

} // namespace SqliteCarve
