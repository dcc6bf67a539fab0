#include "wechatidentity.h"

#include "plistreader.h"
#include "protofields.h"

#include <QHash>
#include <QRegularExpression>
#include <QVariant>
#include <QtEndian>

namespace {

// User names are plain ASCII (wxid_..., a chosen ID, ...@openim); anything
// else is not one.
bool IsUserName(const QString& text)
{
    static const QRegularExpression name(QStringLiteral("^[A-Za-z0-9_@.\\-]{1,64}$"));
    return name.match(text).hasMatch();
}

QString LengthDelimited(const ProtoFields::Field& field)
{
    return field.wireType == 2 ? QString::fromUtf8(field.bytes) : QString();
}

// An MMKV string value is its own varint length and bytes.
QString MmkvString(const QByteArray& value)
{
    int at = 0;
    quint64 length = 0;
    if (!ProtoFields::ReadVarint(value, at, length) ||
        length != static_cast<quint64>(value.size() - at))
        return QString();
    return QString::fromUtf8(value.mid(at));
}

} // namespace

std::vector<WeChatIdentity> WeChatIdentity::FromLoginInfo(const QByteArray& data)
{
    std::vector<WeChatIdentity> accounts;
    if (data.size() > MaximumSize)
        return accounts;
    // A cut file still gives the fields before the cut.
    std::vector<ProtoFields::Field> top;
    ProtoFields::Parse(data, top);
    for (const ProtoFields::Field& list : top) {
        if (list.number != 1 || list.wireType != 2)
            continue;
        // Records follow one another, each after its own length; a length
        // that runs past the list ends it.
        int at = 0;
        quint64 length = 0;
        while (at < list.bytes.size() && ProtoFields::ReadVarint(list.bytes, at, length) &&
               length <= quint64(list.bytes.size() - at)) {
            std::vector<ProtoFields::Field> fields;
            const bool parsed = ProtoFields::Parse(list.bytes.mid(at, int(length)), fields);
            at += int(length);
            if (!parsed)
                continue;
            WeChatIdentity account;
            for (const ProtoFields::Field& field : fields) {
                if (field.number == 1 && account.userName.isEmpty())
                    account.userName = LengthDelimited(field);
                else if (field.number == 3 && account.nickName.isEmpty())
                    account.nickName = LengthDelimited(field);
            }
            if (IsUserName(account.userName))
                accounts.push_back(account);
        }
    }
    return accounts;
}

WeChatIdentity WeChatIdentity::FromSettingsArchive(const QByteArray& data)
{
    WeChatIdentity account;
    if (data.size() > MaximumSize)
        return account;
    const QVariantMap archive = PlistReader::Parse(data).toMap();
    const QVariantList objects = archive.value(QStringLiteral("$objects")).toList();
    const qint64 rootIndex =
        archive.value(QStringLiteral("$top")).toMap().value(QStringLiteral("root")).toLongLong();
    if (rootIndex <= 0 || rootIndex >= objects.size())
        return account;
    const QVariantMap root = objects.at(int(rootIndex)).toMap();
    // Values are references into $objects (or, written plainly, strings).
    const auto text = [&](const char* key) {
        const QVariant value = root.value(QLatin1String(key));
        if (value.userType() == QMetaType::QString)
            return value.toString();
        bool number = false;
        const qint64 index = value.toLongLong(&number);
        if (!number || index <= 0 || index >= objects.size() ||
            objects.at(int(index)).userType() != QMetaType::QString)
            return QString();
        return objects.at(int(index)).toString();
    };
    account.userName = text("UsrName");
    if (!IsUserName(account.userName))
        return WeChatIdentity();
    account.nickName = text("NickName");
    account.alias = text("AliasName");
    return account;
}

WeChatIdentity WeChatIdentity::FromSettingsMmkv(const QByteArray& data)
{
    WeChatIdentity account;
    if (data.size() < 4 || data.size() > MaximumSize)
        return account;
    // The length counts the content after it; a longer one is cut to the file.
    const quint32 size = qFromLittleEndian<quint32>(data.constData());
    const QByteArray content = data.mid(4, int(qMin<qint64>(size, data.size() - 4)));
    int at = 0;
    quint64 holder = 0;
    if (!ProtoFields::ReadVarint(content, at, holder))
        return account;
    QHash<QByteArray, QByteArray> values;
    while (at < content.size()) {
        quint64 keyLength = 0;
        quint64 valueLength = 0;
        if (!ProtoFields::ReadVarint(content, at, keyLength) || keyLength == 0 ||
            keyLength > static_cast<quint64>(content.size() - at))
            break;
        const QByteArray key = content.mid(at, int(keyLength));
        at += int(keyLength);
        if (!ProtoFields::ReadVarint(content, at, valueLength) ||
            valueLength > static_cast<quint64>(content.size() - at))
            break;
        values.insert(key, content.mid(at, int(valueLength)));
        at += int(valueLength);
    }
    account.userName = MmkvString(values.value("86"));
    if (!IsUserName(account.userName))
        return WeChatIdentity();
    account.alias = MmkvString(values.value("87"));
    account.nickName = MmkvString(values.value("88"));
    return account;
}
