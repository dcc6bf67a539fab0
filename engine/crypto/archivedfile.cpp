#include "archivedfile.h"

#include "plistreader.h"

#include <QVariantList>
#include <QVariantMap>
#include <QtEndian>

namespace {

// The class (4 bytes) and the shortest wrapped key (AES key wrap of 16 bytes).
constexpr int MinimumKeySize = 4 + 24;

// A keyed archive refers to its objects by their index in $objects; the
// reader gives those references as integers.
QVariant Resolve(const QVariantList& objects, const QVariant& value)
{
    if (value.userType() == QMetaType::QVariantMap || value.userType() == QMetaType::QByteArray)
        return value;
    bool ok = false;
    const qint64 index = value.toLongLong(&ok);
    if (!ok || index < 0 || index >= objects.size())
        return QVariant();
    return objects.at(static_cast<int>(index));
}

} // namespace

ArchivedFile ArchivedFile::Parse(const QByteArray& archive)
{
    ArchivedFile file;
    const QVariantMap root = PlistReader::Parse(archive).toMap();
    const QVariantList objects = root.value(QStringLiteral("$objects")).toList();
    const QVariant top = root.value(QStringLiteral("$top")).toMap().value(QStringLiteral("root"));
    const QVariantMap attributes = Resolve(objects, top).toMap();
    if (attributes.isEmpty())
        return file;
    const QVariant keyObject = Resolve(objects, attributes.value(QStringLiteral("EncryptionKey")));
    QByteArray key = keyObject.toMap().value(QStringLiteral("NS.data")).toByteArray();
    if (key.isEmpty() && keyObject.userType() == QMetaType::QByteArray)
        key = keyObject.toByteArray();
    if (key.size() < MinimumKeySize)
        return file;
    bool sizeOk = false;
    const qint64 size = attributes.value(QStringLiteral("Size")).toLongLong(&sizeOk);
    if (!sizeOk)
        return file;
    const int keyClass = static_cast<int>(qFromLittleEndian<quint32>(key.constData()));
    return FromFields(size, attributes.value(QStringLiteral("ProtectionClass"), keyClass).toInt(),
                      key);
}

ArchivedFile ArchivedFile::FromFields(qint64 size, int protectionClass,
                                      const QByteArray& encryptionKey)
{
    ArchivedFile file;
    if (size < 0 || encryptionKey.size() < MinimumKeySize)
        return file;
    file.m_size = size;
    file.m_protectionClass = protectionClass;
    file.m_wrappedKey = encryptionKey.mid(4);
    file.m_valid = true;
    return file;
}
