#include "notebody.h"

#include <zlib.h>

namespace {

// A note is text: a larger stream is damaged or hostile.
constexpr qint64 MaxInflated = 64 * 1024 * 1024;

bool ReadVarint(const QByteArray& data, int& at, quint64& value)
{
    value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        if (at >= data.size())
            return false;
        const quint8 byte = static_cast<quint8>(data.at(at++));
        value |= static_cast<quint64>(byte & 0x7f) << shift;
        if (!(byte & 0x80))
            return true;
    }
    return false;
}

} // namespace

QByteArray NoteBody::Text(const QByteArray& data)
{
    const QByteArray message = Inflate(data);
    if (message.isEmpty())
        return QByteArray();
    return Field(Field(Field(message, 2), 3), 2);
}

QByteArray NoteBody::Inflate(const QByteArray& data)
{
    z_stream stream{};
    // 15 + 32: a gzip or zlib header, whichever the stream has.
    if (data.isEmpty() || inflateInit2(&stream, 15 + 32) != Z_OK)
        return QByteArray();
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    stream.avail_in = static_cast<uInt>(data.size());
    QByteArray out;
    char buffer[16384];
    int rc = Z_OK;
    while (rc == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        rc = inflate(&stream, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END)
            break;
        out.append(buffer, static_cast<int>(sizeof buffer - stream.avail_out));
        if (out.size() > MaxInflated) {
            rc = Z_DATA_ERROR;
            break;
        }
    }
    inflateEnd(&stream);
    return rc == Z_STREAM_END ? out : QByteArray();
}

QByteArray NoteBody::Field(const QByteArray& message, int field)
{
    int at = 0;
    while (at < message.size()) {
        quint64 key = 0;
        if (!ReadVarint(message, at, key))
            return QByteArray();
        quint64 value = 0;
        switch (key & 7) {
        case 0: // varint
            if (!ReadVarint(message, at, value))
                return QByteArray();
            break;
        case 1: // 64 bits
            at += 8;
            break;
        case 5: // 32 bits
            at += 4;
            break;
        case 2: // length-delimited
            if (!ReadVarint(message, at, value) ||
                value > static_cast<quint64>(message.size() - at))
                return QByteArray();
            if (static_cast<int>(key >> 3) == field)
                return message.mid(at, static_cast<int>(value));
            at += static_cast<int>(value);
            break;
        default:
            return QByteArray();
        }
    }
    return QByteArray();
}
