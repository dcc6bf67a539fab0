#ifndef PLISTREADER_H
#define PLISTREADER_H

#include <QByteArray>
#include <QString>
#include <QVariant>

// Reads property lists, in both the XML and the binary ("bplist00") form,
// into QVariant values: dictionaries become QVariantMap, arrays QVariantList,
// strings QString, integers and keyed-archive references (UIDs) qint64, reals
// double, data QByteArray, dates QDateTime (UTC). A damaged list gives an
// invalid QVariant.
//
// The parsing itself is libplist's; this class only turns its tree into Qt
// values, with limits on size and depth, because a backup's plists come from
// outside.
class PlistReader
{
public:
    // Lists larger than this are not read (a backup's Info.plist, the largest
    // one, holds a few megabytes).
    static constexpr qint64 MaximumSize = 64 * 1024 * 1024;
    // Containers nested deeper than this make the list damaged.
    static constexpr int MaximumDepth = 64;

    static QVariant Parse(const QByteArray& data);
    static QVariant ParseFile(const QString& path);
};

#endif // PLISTREADER_H
