#include "sampleformats.h"

#include <zlib.h>

// An NSAttributedString in the typedstream form of attributedBody, reduced to
// what a reader of the text needs: the class chain, then the NSString with
// its length (one byte, or 0x81 and two bytes little-endian) and UTF-8 bytes.
QByteArray SampleFormats::AttributedBody(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    QByteArray archive("\x04\x0bstreamtyped\x81\xe8\x03\x84\x01\x40\x84\x84\x84\x12");
    archive.append("NSAttributedString").append('\0').append("\x84\x84\x08NSObject");
    archive.append('\0').append("\x85\x92\x84\x84\x84\x08NSString\x01\x94\x84\x01\x2b");
    if (utf8.size() < 0x80) {
        archive.append(static_cast<char>(utf8.size()));
    } else {
        archive.append('\x81').append(static_cast<char>(utf8.size() & 0xff));
        archive.append(static_cast<char>(utf8.size() >> 8));
    }
    return archive.append(utf8).append("\x86\x84\x02iI\x01\x01\x92\x84\x84\x84");
}

// A note's text as ZICNOTEDATA keeps it: gzip of a protocol buffer with the
// text as field 2 of the note (field 3) of the document (field 2).
QByteArray SampleFormats::NoteData(const QString& text)
{
    const auto wrap = [](int field, const QByteArray& value) {
        QByteArray out(1, static_cast<char>(field << 3 | 2));
        for (quint32 size = static_cast<quint32>(value.size());; size >>= 7) {
            out.append(static_cast<char>((size & 0x7f) | (size > 0x7f ? 0x80 : 0)));
            if (size <= 0x7f)
                break;
        }
        return out + value;
    };
    // A version field first, as the phone writes, which a reader skips.
    const QByteArray message = QByteArray("\x08\x00", 2) +
                               wrap(2, QByteArray("\x08\x00", 2) + wrap(3, wrap(2, text.toUtf8())));
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) !=
        Z_OK)
        return QByteArray();
    QByteArray out(static_cast<int>(deflateBound(&stream, static_cast<uLong>(message.size()))),
                   '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(message.constData()));
    stream.avail_in = static_cast<uInt>(message.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int rc = deflate(&stream, Z_FINISH);
    out.resize(static_cast<int>(stream.total_out));
    deflateEnd(&stream);
    return rc == Z_STREAM_END ? out : QByteArray();
}

// The index of a backup before Manifest.db: "mbdb" 5 0, then per file its
// domain, path, three empty strings, mode, inode, ids, times, size,
// protection class and properties, big-endian.
QByteArray SampleFormats::Mbdb(const std::vector<IndexEntry>& entries, quint32 time)
{
    const auto number = [](QByteArray& out, quint64 value, int bytes) {
        for (int i = bytes - 1; i >= 0; --i)
            out.append(static_cast<char>(i < 8 ? (value >> (8 * i)) & 0xff : 0));
    };
    const auto text = [&number](QByteArray& out, const QString& value) {
        if (value.isNull()) {
            number(out, 0xFFFF, 2);
            return;
        }
        const QByteArray utf8 = value.toUtf8();
        number(out, static_cast<quint64>(utf8.size()), 2);
        out.append(utf8);
    };
    QByteArray index("mbdb\x05\x00", 6);
    for (const IndexEntry& file : entries) {
        text(index, file.domain);
        text(index, file.relativePath);
        text(index, QString()); // link target
        text(index, QString()); // data hash
        if (file.encryptionKey.isEmpty()) {
            number(index, 0xFFFF, 2);
        } else {
            number(index, static_cast<quint64>(file.encryptionKey.size()), 2);
            index.append(file.encryptionKey);
        }
        number(index, 0x81A4, 2); // a file, rw-r--r--
        number(index, 0, 8 + 4 + 4);
        for (int i = 0; i < 3; ++i)
            number(index, time, 4);
        number(index, static_cast<quint64>(file.size), 8);
        number(index, static_cast<quint64>(file.protectionClass), 1);
        number(index, 1, 1); // one property
        text(index, QStringLiteral("com.apple.backup.note"));
        text(index, QStringLiteral("sample"));
    }
    return index;
}

QByteArray SampleFormats::XmlPlist(const QList<QPair<QString, QString>>& strings,
                                   bool encryptionFlag, bool encrypted,
                                   const QList<QPair<QString, QByteArray>>& data)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                     "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                     "<plist version=\"1.0\">\n<dict>\n";
    for (const auto& entry : strings) {
        xml += "\t<key>" + entry.first.toHtmlEscaped().toUtf8() + "</key>\n\t<string>" +
               entry.second.toHtmlEscaped().toUtf8() + "</string>\n";
    }
    for (const auto& entry : data) {
        xml += "\t<key>" + entry.first.toUtf8() + "</key>\n\t<data>" + entry.second.toBase64() +
               "</data>\n";
    }
    if (encryptionFlag)
        xml += encrypted ? "\t<key>IsEncrypted</key>\n\t<true/>\n"
                         : "\t<key>IsEncrypted</key>\n\t<false/>\n";
    xml += "</dict>\n</plist>\n";
    return xml;
}
