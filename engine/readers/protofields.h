#ifndef PROTOFIELDS_H
#define PROTOFIELDS_H

#include <QByteArray>

#include <cstddef>
#include <vector>

// The top-level fields of a protocol buffer message whose schema is not
// known, for the apps' blobs (WeChat's login list, contact fields). Every
// length is checked against what is left; groups (wire types 3 and 4) and
// unknown wire types end the walk as damage. Stateless.
class ProtoFields
{
public:
    struct Field
    {
        int number = 0;
        int wireType = 0;  // 0 varint, 1 64 bits, 2 length-delimited, 5 32 bits
        quint64 value = 0; // of a varint
        QByteArray bytes;  // of a length-delimited field
    };

    // Fields beyond this many are not read (the message counts as damaged).
    static constexpr std::size_t MaximumFields = 65536;

    // False when `message` is not a whole, well-formed message; `fields`
    // then holds the fields before the damage.
    static bool Parse(const QByteArray& message, std::vector<Field>& fields);
    // A base-128 varint at `at`, which moves past it; false when cut short
    // or longer than 64 bits.
    static bool ReadVarint(const QByteArray& data, int& at, quint64& value);
};

#endif // PROTOFIELDS_H
