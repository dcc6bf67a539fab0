#include "plistreader.h"

#include "appletime.h"

#include <QDateTime>
#include <QFile>
#include <QXmlStreamReader>

#include <cstring>
#include <set>

namespace {

QVariant ReadXmlValue(QXmlStreamReader& xml, int depth);

QVariant ReadXmlDict(QXmlStreamReader& xml, int depth)
{
    QVariantMap map;
    QString key;
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("key")) {
            key = xml.readElementText();
        } else {
            const QVariant value = ReadXmlValue(xml, depth + 1);
            if (!value.isValid())
                return QVariant();
            map.insert(key, value);
        }
    }
    return map;
}

QVariant ReadXmlValue(QXmlStreamReader& xml, int depth)
{
    if (depth > 64)
        return QVariant();
    const QStringRef name = xml.name();
    if (name == QLatin1String("dict"))
        return ReadXmlDict(xml, depth);
    if (name == QLatin1String("array")) {
        QVariantList list;
        while (xml.readNextStartElement()) {
            const QVariant value = ReadXmlValue(xml, depth + 1);
            if (!value.isValid())
                return QVariant();
            list.append(value);
        }
        return list;
    }
    if (name == QLatin1String("true") || name == QLatin1String("false")) {
        const bool value = name == QLatin1String("true");
        xml.skipCurrentElement();
        return value;
    }
    const QString text = xml.readElementText();
    if (name == QLatin1String("string"))
        return text;
    if (name == QLatin1String("integer"))
        return text.trimmed().toLongLong();
    if (name == QLatin1String("real"))
        return text.trimmed().toDouble();
    if (name == QLatin1String("data"))
        return QByteArray::fromBase64(text.toLatin1());
    if (name == QLatin1String("date"))
        return QDateTime::fromString(text.trimmed(), Qt::ISODate).toUTC();
    return QVariant();
}

// Binary lists: a trailer at the end gives the offset table, which points at
// the objects; containers refer to their members by object number.
class BinaryPlist
{
public:
    explicit BinaryPlist(const QByteArray& data) : m_data(data) {}

    QVariant Parse()
    {
        const int size = m_data.size();
        if (size < 8 + 32)
            return QVariant();
        const auto* trailer = reinterpret_cast<const uchar*>(m_data.constData()) + size - 32;
        m_offsetSize = trailer[6];
        m_refSize = trailer[7];
        m_objectCount = BigEndian(trailer + 8, 8);
        const quint64 top = BigEndian(trailer + 16, 8);
        m_tableOffset = BigEndian(trailer + 24, 8);
        if (m_offsetSize < 1 || m_offsetSize > 8 || m_refSize < 1 || m_refSize > 8 ||
            top >= m_objectCount ||
            m_tableOffset + m_objectCount * m_offsetSize > static_cast<quint64>(size) - 32)
            return QVariant();
        return Object(top, 0);
    }

private:
    static quint64 BigEndian(const uchar* p, int n)
    {
        quint64 value = 0;
        for (int i = 0; i < n; ++i)
            value = (value << 8) | p[i];
        return value;
    }
    const uchar* At(quint64 offset, quint64 n) const
    {
        if (offset + n > static_cast<quint64>(m_data.size()) || offset + n < offset)
            return nullptr;
        return reinterpret_cast<const uchar*>(m_data.constData()) + offset;
    }
    // Length of a container or string: the low nibble, or an integer object after it.
    bool Length(quint64& pos, int nibble, quint64& length) const
    {
        if (nibble != 0xF) {
            length = static_cast<quint64>(nibble);
            return true;
        }
        const uchar* marker = At(pos, 1);
        if (!marker || (marker[0] & 0xF0) != 0x10)
            return false;
        const int bytes = 1 << (marker[0] & 0x0F);
        const uchar* p = At(pos + 1, static_cast<quint64>(bytes));
        if (!p || bytes > 8)
            return false;
        length = BigEndian(p, bytes);
        pos += 1 + static_cast<quint64>(bytes);
        return true;
    }
    QVariant Object(quint64 index, int depth)
    {
        if (index >= m_objectCount || depth > 64 || m_active.count(index))
            return QVariant();
        const uchar* entry = At(m_tableOffset + index * m_offsetSize, m_offsetSize);
        if (!entry)
            return QVariant();
        quint64 pos = BigEndian(entry, m_offsetSize);
        const uchar* marker = At(pos, 1);
        if (!marker)
            return QVariant();
        const int high = marker[0] >> 4;
        const int low = marker[0] & 0x0F;
        ++pos;
        switch (high) {
        case 0x0:
            if (low == 0x8)
                return false;
            if (low == 0x9)
                return true;
            return QVariant();
        case 0x1: {
            const int bytes = 1 << low;
            const uchar* p = bytes <= 8 ? At(pos, static_cast<quint64>(bytes)) : nullptr;
            if (!p)
                return QVariant();
            const quint64 raw = BigEndian(p, bytes);
            return bytes == 8 ? static_cast<qint64>(raw) : static_cast<qint64>(raw);
        }
        case 0x2:
        case 0x3: {
            const int bytes = high == 0x3 ? 8 : 1 << low;
            const uchar* p = At(pos, static_cast<quint64>(bytes));
            if (!p || (bytes != 4 && bytes != 8))
                return QVariant();
            const quint64 raw = BigEndian(p, bytes);
            double value = 0;
            if (bytes == 4) {
                quint32 bits = static_cast<quint32>(raw);
                float f;
                std::memcpy(&f, &bits, 4);
                value = f;
            } else {
                std::memcpy(&value, &raw, 8);
            }
            if (high == 0x3)
                return QDateTime::fromSecsSinceEpoch(AppleTime::ToUnix(value), Qt::UTC);
            return value;
        }
        case 0x4:
        case 0x5:
        case 0x6: {
            quint64 length = 0;
            if (!Length(pos, low, length))
                return QVariant();
            const quint64 bytes = high == 0x6 ? length * 2 : length;
            const uchar* p = At(pos, bytes);
            if (!p)
                return QVariant();
            if (high == 0x4)
                return QByteArray(reinterpret_cast<const char*>(p), static_cast<int>(bytes));
            if (high == 0x5)
                return QString::fromLatin1(reinterpret_cast<const char*>(p),
                                           static_cast<int>(bytes));
            QString text;
            text.reserve(static_cast<int>(length));
            for (quint64 i = 0; i < length; ++i)
                text.append(QChar(static_cast<ushort>(BigEndian(p + 2 * i, 2))));
            return text;
        }
        case 0x8: {
            const uchar* p = At(pos, static_cast<quint64>(low) + 1);
            return p ? QVariant(static_cast<qint64>(BigEndian(p, low + 1))) : QVariant();
        }
        case 0xA:
        case 0xD: {
            quint64 length = 0;
            if (!Length(pos, low, length))
                return QVariant();
            const quint64 refs = high == 0xD ? length * 2 : length;
            const uchar* p = At(pos, refs * m_refSize);
            if (!p)
                return QVariant();
            m_active.insert(index);
            QVariant result;
            if (high == 0xA) {
                QVariantList list;
                for (quint64 i = 0; i < length; ++i) {
                    const QVariant value =
                        Object(BigEndian(p + i * m_refSize, m_refSize), depth + 1);
                    if (!value.isValid()) {
                        m_active.erase(index);
                        return QVariant();
                    }
                    list.append(value);
                }
                result = list;
            } else {
                QVariantMap map;
                for (quint64 i = 0; i < length; ++i) {
                    const QVariant key = Object(BigEndian(p + i * m_refSize, m_refSize), depth + 1);
                    const QVariant value =
                        Object(BigEndian(p + (length + i) * m_refSize, m_refSize), depth + 1);
                    if (!key.isValid() || !value.isValid()) {
                        m_active.erase(index);
                        return QVariant();
                    }
                    map.insert(key.toString(), value);
                }
                result = map;
            }
            m_active.erase(index);
            return result;
        }
        default:
            return QVariant();
        }
    }

    const QByteArray& m_data;
    int m_offsetSize = 0;
    int m_refSize = 0;
    quint64 m_objectCount = 0;
    quint64 m_tableOffset = 0;
    std::set<quint64> m_active; // containers being read, against reference cycles
};

} // namespace

QVariant PlistReader::Parse(const QByteArray& data)
{
    if (data.startsWith("bplist00"))
        return ParseBinary(data);
    return ParseXml(data);
}

QVariant PlistReader::ParseFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QVariant();
    return Parse(file.readAll());
}

QVariant PlistReader::ParseXml(const QByteArray& data)
{
    QXmlStreamReader xml(data);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("plist"))
        return QVariant();
    if (!xml.readNextStartElement())
        return QVariant();
    const QVariant value = ReadXmlValue(xml, 0);
    if (xml.hasError())
        return QVariant();
    return value;
}

QVariant PlistReader::ParseBinary(const QByteArray& data)
{
    return BinaryPlist(data).Parse();
}
