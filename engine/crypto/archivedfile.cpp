#include "archivedfile.h"

#include "plistreader.h"

#include <QVariantList>
#include <QVariantMap>
#include <QtEndian>

namespace {

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
    if (key.size() < 4 + 24)
        return file;
    bool sizeOk = false;
    file.m_size = attributes.value(QStringLiteral("Size")).toLongLong(&sizeOk);
    if (!sizeOk || file.m_size < 0)
        return file;
    const int keyClass = static_cast<int>(qFromLittleEndian<quint32>(key.constData()));
    file.m_protectionClass = attributes.value(QStringLiteral("ProtectionClass"), keyClass).toInt();
    file.m_wrappedKey = key.mid(4);
    file.m_valid = true;
    return file;
}
