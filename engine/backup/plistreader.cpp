#include "plistreader.h"

#include <QDateTime>
#include <QFile>
#include <QVariantList>
#include <QVariantMap>

#include <plist/plist.h>

#include <cstdlib>
#include <memory>

namespace {

// Seconds from 1970-01-01 to 2001-01-01, where plist dates count from.
constexpr qint64 AppleEpochOffset = 978307200;

struct PlistFree
{
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistTree = std::unique_ptr<void, PlistFree>;

struct CFree
{
    void operator()(char* text) const { std::free(text); }
};
using CText = std::unique_ptr<char, CFree>;

QVariant Convert(plist_t node, int depth, bool& ok);

quint64 BigEndian(const uchar* bytes, int size)
{
    quint64 value = 0;
    for (int i = 0; i < size; ++i)
        value = (value << 8) | bytes[i];
    return value;
}

// libplist 2.2 aborts (an assertion) when it hands out a string or a
// dictionary key holding U+0000, which only a binary list's UTF-16 strings
// can carry. Such a list is refused before libplist sees it: this walks the
// offset table of a binary list and looks at every UTF-16 string object. A
// table it cannot follow is left to libplist, which refuses it.
bool HasUtf16Nul(const QByteArray& data)
{
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    const quint64 size = quint64(data.size());
    constexpr quint64 HeaderSize = 8;
    constexpr quint64 TrailerSize = 32;
    if (size < HeaderSize + TrailerSize || !data.startsWith("bplist00"))
        return false;
    const uchar* trailer = bytes + size - TrailerSize;
    const int offsetSize = trailer[6];
    const quint64 objects = BigEndian(trailer + 8, 8);
    const quint64 table = BigEndian(trailer + 24, 8);
    const quint64 tableEnd = size - TrailerSize;
    if (offsetSize < 1 || offsetSize > 8 || table > tableEnd ||
        objects > (tableEnd - table) / quint64(offsetSize))
        return false;
    for (quint64 i = 0; i < objects; ++i) {
        const quint64 at = BigEndian(bytes + table + i * quint64(offsetSize), offsetSize);
        if (at >= tableEnd || (bytes[at] >> 4) != 0x6)
            continue;
        quint64 length = bytes[at] & 0x0F;
        quint64 start = at + 1;
        if (length == 0x0F) {
            // The length follows as an integer object of 1, 2, 4 or 8 bytes.
            if (start >= tableEnd || (bytes[start] >> 4) != 0x1)
                continue;
            const int lengthSize = 1 << (bytes[start] & 0x0F);
            if (lengthSize > 8 || start + 1 + quint64(lengthSize) > tableEnd)
                continue;
            length = BigEndian(bytes + start + 1, lengthSize);
            start += 1 + quint64(lengthSize);
        }
        if (start > tableEnd || length > (tableEnd - start) / 2)
            continue;
        for (quint64 k = 0; k < length; ++k) {
            if (bytes[start + 2 * k] == 0 && bytes[start + 2 * k + 1] == 0)
                return true;
        }
    }
    return false;
}

QVariant ConvertDict(plist_t node, int depth, bool& ok)
{
    QVariantMap map;
    plist_dict_iter iter = nullptr;
    plist_dict_new_iter(node, &iter);
    if (!iter) {
        ok = false;
        return QVariant();
    }
    for (;;) {
        char* rawKey = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(node, iter, &rawKey, &value);
        CText key(rawKey);
        if (!value)
            break;
        const QVariant converted = Convert(value, depth + 1, ok);
        if (!ok)
            break;
        map.insert(QString::fromUtf8(key ? key.get() : ""), converted);
    }
    std::free(iter);
    return ok ? QVariant(map) : QVariant();
}

QVariant Convert(plist_t node, int depth, bool& ok)
{
    if (!node || depth > PlistReader::MaximumDepth) {
        ok = false;
        return QVariant();
    }
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return QVariant(value != 0);
    }
    case PLIST_UINT: {
        // Negative integers come back as their two's complement.
        uint64_t value = 0;
        plist_get_uint_val(node, &value);
        return QVariant(static_cast<qint64>(value));
    }
    case PLIST_UID: {
        uint64_t value = 0;
        plist_get_uid_val(node, &value);
        return QVariant(static_cast<qint64>(value));
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return QVariant(value);
    }
    case PLIST_STRING: {
        uint64_t length = 0;
        const char* text = plist_get_string_ptr(node, &length);
        if (!text || length > uint64_t(PlistReader::MaximumSize)) {
            ok = false;
            return QVariant();
        }
        return QVariant(QString::fromUtf8(text, int(qstrnlen(text, uint(length)))));
    }
    case PLIST_DATA: {
        char* raw = nullptr;
        uint64_t length = 0;
        plist_get_data_val(node, &raw, &length);
        CText bytes(raw);
        if (length > uint64_t(PlistReader::MaximumSize)) {
            ok = false;
            return QVariant();
        }
        return QVariant(QByteArray(bytes ? bytes.get() : "", bytes ? int(length) : 0));
    }
    case PLIST_DATE: {
        int32_t seconds = 0;
        int32_t microseconds = 0;
        plist_get_date_val(node, &seconds, &microseconds);
        const qint64 ms = (qint64(seconds) + AppleEpochOffset) * 1000 + microseconds / 1000;
        return QVariant(QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC));
    }
    case PLIST_ARRAY: {
        QVariantList list;
        const uint32_t size = plist_array_get_size(node);
        for (uint32_t i = 0; i < size && ok; ++i)
            list.append(Convert(plist_array_get_item(node, i), depth + 1, ok));
        return ok ? QVariant(list) : QVariant();
    }
    case PLIST_DICT:
        return ConvertDict(node, depth, ok);
    default:
        ok = false;
        return QVariant();
    }
}

} // namespace

QVariant PlistReader::Parse(const QByteArray& data)
{
    if (data.isEmpty() || data.size() > MaximumSize || HasUtf16Nul(data))
        return QVariant();
    plist_t root = nullptr;
    plist_from_memory(data.constData(), static_cast<uint32_t>(data.size()), &root);
    const PlistTree tree(root);
    if (!root)
        return QVariant();
    bool ok = true;
    QVariant value = Convert(root, 0, ok);
    return ok ? value : QVariant();
}

QVariant PlistReader::ParseFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaximumSize)
        return QVariant();
    return Parse(file.read(MaximumSize + 1));
}
