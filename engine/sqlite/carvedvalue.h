#ifndef CARVEDVALUE_H
#define CARVEDVALUE_H

#include <cstdint>
#include <string_view>

namespace SqliteCarve {

// One decoded column value. Text and blob bytes are a view into the page
// image or the decoder's overflow buffer: valid only while the record is
// being handed out. Text is in the database's own encoding.
struct CarvedValue
{
    enum class Kind : uint8_t { Null, Integer, Real, Text, Blob };

    Kind kind = Kind::Null;
    int64_t integer = 0;
    double real = 0;
    std::string_view bytes;
};

} // namespace SqliteCarve

#endif // CARVEDVALUE_H
