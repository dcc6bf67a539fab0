#include "attributedbody.h"

#include <cstring>

QByteArray AttributedBody::Text(const QByteArray& archive)
{
    const TextPiece text = Text(TextPiece(archive));
    return text.IsNull() ? QByteArray() : QByteArray(text.data, text.size);
}

TextPiece AttributedBody::Text(TextPiece archive)
{
    static const char marker[] = "NSString";
    const qint64 markerSize = sizeof marker - 1;
    if (archive.size <= 0)
        return TextPiece();
    // memmem: Qt's generic search costs several times more on every message.
    const void* hit =
        memmem(archive.data, static_cast<size_t>(archive.size), marker, size_t(markerSize));
    if (!hit)
        return TextPiece();
    const qint64 found = static_cast<const char*>(hit) - archive.data;
    qint64 at = found + markerSize + 5;
    if (at >= archive.size)
        return TextPiece();
    const auto byte = [&archive](qint64 index) { return static_cast<quint8>(archive.data[index]); };
    qint64 length = byte(at++);
    if (length == 0x81 || length == 0x82) {
        const int bytes = length == 0x81 ? 2 : 4;
        if (at + bytes > archive.size)
            return TextPiece();
        length = 0;
        for (int i = bytes - 1; i >= 0; --i)
            length = length << 8 | byte(at + i);
        at += bytes;
    } else if (length >= 0x80) {
        return TextPiece();
    }
    if (length > archive.size - at)
        return TextPiece();
    return TextPiece(archive.data + at, static_cast<int>(length));
}
