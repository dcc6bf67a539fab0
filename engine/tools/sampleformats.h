#ifndef SAMPLEFORMATS_H
#define SAMPLEFORMATS_H

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <vector>

// The binary forms the sample backup writes as a phone does: message texts
// as attributedBody archives, note texts as ZICNOTEDATA data, the index of an
// old backup as Manifest.mbdb. Stateless.
class SampleFormats
{
public:
    struct IndexEntry
    {
        QString domain, relativePath;
        qint64 size = 0; // of the plaintext
        int protectionClass = 4;
        QByteArray encryptionKey; // in an encrypted backup: class and wrapped key
    };

    // An XML property list of `strings` and `data`, with IsEncrypted when
    // `encryptionFlag` is set.
    static QByteArray XmlPlist(const QList<QPair<QString, QString>>& strings, bool encryptionFlag,
                               bool encrypted = false,
                               const QList<QPair<QString, QByteArray>>& data = {});
    static QByteArray AttributedBody(const QString& text);
    static QByteArray NoteData(const QString& text);
    // Manifest.mbdb for `entries` (files), dated `time` (seconds since 1970).
    static QByteArray Mbdb(const std::vector<IndexEntry>& entries, quint32 time);
};

#endif // SAMPLEFORMATS_H
