#include "protofields.h"

bool ProtoFields::ReadVarint(const QByteArray& data, int& at, quint64& value)
{
    value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        if (at < 0 || at >= data.size())
            return false;
        const quint8 byte = static_cast<quint8>(data.at(at++));
        value |= static_cast<quint64>(byte & 0x7f) << shift;
        if (!(byte & 0x80))
            return true;
    }
    return false;
}

bool ProtoFields::Parse(const QByteArray& message, std::vector<Field>& fields)
{
    fields.clear();
    int at = 0;
    while (at < message.size()) {
        if (fields.size() >= MaximumFields)
            return false;
        quint64 key = 0;
        if (!ReadVarint(message, at, key) || (key >> 3) == 0 || (key >> 3) > 0x1fffffff)
            return false;
        Field field;
        field.number = static_cast<int>(key >> 3);
        field.wireType = static_cast<int>(key & 7);
        const qint64 left = message.size() - at;
        switch (field.wireType) {
        case 0:
            if (!ReadVarint(message, at, field.value))
                return false;
            break;
        case 1:
        case 5: {
            const int width = field.wireType == 1 ? 8 : 4;
            if (left < width)
                return false;
            field.bytes = message.mid(at, width);
            at += width;
            break;
        }
        case 2: {
            quint64 length = 0;
            if (!ReadVarint(message, at, length) ||
                length > static_cast<quint64>(message.size() - at))
                return false;
            field.bytes = message.mid(at, static_cast<int>(length));
            at += static_cast<int>(length);
            break;
        }
        default:
            return false;
        }
        fields.push_back(std::move(field));
    }
    return true;
}
