#ifndef PLISTREADER_H
#define PLISTREADER_H

#include <QByteArray>
#include <QString>
#include <QVariant>

// Reads property lists, in both the XML and the binary ("bplist00") form,
// into QVariant values: dictionaries become QVariantMap, arrays QVariantList,
// strings QString, integers qint64, reals double, data QByteArray, dates
// QDateTime (UTC). A damaged list gives an invalid QVariant.
class PlistReader
{
public:
    static QVariant Parse(const QByteArray& data);
    static QVariant ParseFile(const QString& path);

private:
    static QVariant ParseXml(const QByteArray& data);
    static QVariant ParseBinary(const QByteArray& data);
};

#endif // PLISTREADER_H
