#include "attributedbody.h"

#include <cstring>

QByteArray AttributedBody::Text(const QByteArray& archive)
{
    static const char marker[] = "NSString";
    const qint64 markerSize = sizeof marker - 1;
    // memmem: Qt's generic search costs several times more on every message.
    const void* hit = memmem(archive.constData(), static_cast<size_t>(archive.size()), marker,
                             static_cast<size_t>(markerSize));
    if (!hit)
        return QByteArray();
    const qint64 found = static_cast<const char*>(hit) - archive.constData();
    qint64 at = found + markerSize + 5;
    if (at >= archive.size())
        return QByteArray();
    const auto byte = [&archive](qint64 index) {
        return static_cast<quint8>(archive.at(static_cast<int>(index)));
    };
    qint64 length = byte(at++);
    if (length == 0x81 || length == 0x82) {
        const int bytes = length == 0x81 ? 2 : 4;
        if (at + bytes > archive.size())
            return QByteArray();
        length = 0;
        for (int i = bytes - 1; i >= 0; --i)
            length = length << 8 | byte(at + i);
        at += bytes;
    } else if (length >= 0x80) {
        return QByteArray();
    }
    if (length > archive.size() - at)
        return QByteArray();
    return archive.mid(static_cast<int>(at), static_cast<int>(length));
}
