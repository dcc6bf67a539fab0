#include "attributedbody.h"

QByteArray AttributedBody::Text(const QByteArray& archive)
{
    static const QByteArray marker("NSString");
    const int found = archive.indexOf(marker);
    if (found < 0)
        return QByteArray();
    qint64 at = found + marker.size() + 5;
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
