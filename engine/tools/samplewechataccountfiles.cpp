#include "samplewechataccountfiles.h"

#include "sampleproto.h"

#include <QtEndian>

#include <plist/plist.h>
#include <zlib.h>

#include <initializer_list>
#include <memory>

namespace {

const int PageSize = 4096;

struct PlistFree
{
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};

plist_t ClassObject(const char* name, std::initializer_list<const char*> classes)
{
    plist_t object = plist_new_dict();
    plist_dict_set_item(object, "$classname", plist_new_string(name));
    plist_t list = plist_new_array();
    for (const char* entry : classes)
        plist_array_append_item(list, plist_new_string(entry));
    plist_dict_set_item(object, "$classes", list);
    return object;
}

// An MMKV value: a string is stored as its own varint length and bytes.
QByteArray MmkvString(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return SampleProto::VarintBytes(quint64(bytes.size())) + bytes;
}

QByteArray MmkvItem(const QByteArray& key, const QByteArray& value)
{
    return SampleProto::VarintBytes(quint64(key.size())) + key +
           SampleProto::VarintBytes(quint64(value.size())) + value;
}

QByteArray Le32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

} // namespace

QByteArray SampleWeChatAccountFiles::LoginInfo(const std::vector<Identity>& accounts)
{
    QByteArray records;
    for (const Identity& account : accounts) {
        const QByteArray record =
            SampleProto().Text(1, account.userName).Text(3, account.nickName).Data();
        records += SampleProto::VarintBytes(quint64(record.size())) + record;
    }
    return SampleProto().Bytes(1, records).Data();
}

QByteArray SampleWeChatAccountFiles::SettingsArchive(const Identity& account)
{
    std::unique_ptr<void, PlistFree> root(plist_new_dict());
    plist_dict_set_item(root.get(), "$version", plist_new_uint(100000));
    plist_dict_set_item(root.get(), "$archiver", plist_new_string("NSKeyedArchiver"));
    plist_t top = plist_new_dict();
    plist_dict_set_item(top, "root", plist_new_uid(1));
    plist_dict_set_item(root.get(), "$top", top);

    // $objects: 0 $null, 1 the settings, 2-4 its strings, 5 the dictionary,
    // 6-9 its keys and values, 10-11 the classes.
    plist_t objects = plist_new_array();
    plist_array_append_item(objects, plist_new_string("$null"));
    plist_t setting = plist_new_dict();
    plist_dict_set_item(setting, "$class", plist_new_uid(11));
    plist_dict_set_item(setting, "UsrName", plist_new_uid(2));
    plist_dict_set_item(setting, "NickName", plist_new_uid(3));
    plist_dict_set_item(setting, "AliasName", plist_new_uid(4));
    plist_dict_set_item(setting, "Sex", plist_new_uint(0));
    plist_dict_set_item(setting, "new_dicsetting", plist_new_uid(5));
    plist_array_append_item(objects, setting);
    for (const QString& text : {account.userName, account.nickName, account.alias})
        plist_array_append_item(objects, plist_new_string(text.toUtf8().constData()));
    plist_t dictionary = plist_new_dict();
    plist_t keys = plist_new_array();
    plist_array_append_item(keys, plist_new_uid(6));
    plist_array_append_item(keys, plist_new_uid(7));
    plist_t values = plist_new_array();
    plist_array_append_item(values, plist_new_uid(8));
    plist_array_append_item(values, plist_new_uid(9));
    plist_dict_set_item(dictionary, "NS.keys", keys);
    plist_dict_set_item(dictionary, "NS.objects", values);
    plist_dict_set_item(dictionary, "$class", plist_new_uid(10));
    plist_array_append_item(objects, dictionary);
    const QString large = account.headUrl.section(QLatin1Char('/'), 0, -2) + QStringLiteral("/0");
    for (const QString& text :
         {QStringLiteral("headimgurl"), QStringLiteral("headhdimgurl"), account.headUrl, large})
        plist_array_append_item(objects, plist_new_string(text.toUtf8().constData()));
    plist_array_append_item(
        objects,
        ClassObject("NSMutableDictionary", {"NSMutableDictionary", "NSDictionary", "NSObject"}));
    plist_array_append_item(objects, ClassObject("CSettingExt", {"CSettingExt", "NSObject"}));
    plist_dict_set_item(root.get(), "$objects", objects);

    char* data = nullptr;
    uint32_t length = 0;
    plist_to_bin(root.get(), &data, &length);
    const QByteArray archive(data, static_cast<int>(length));
    plist_to_bin_free(data);
    return archive;
}

QByteArray SampleWeChatAccountFiles::SettingsMmkv(const Identity& account)
{
    // The place holder of a full write: 0x00ffffff as a varint.
    QByteArray content = SampleProto::VarintBytes(0x00ffffff);
    content += MmkvItem("86", MmkvString(account.userName));
    content += MmkvItem("87", MmkvString(account.alias));
    content += MmkvItem("88", MmkvString(account.nickName));
    content += MmkvItem("headimgurl", MmkvString(account.headUrl));
    content +=
        MmkvItem("headhdimgurl", MmkvString(account.headUrl.section(QLatin1Char('/'), 0, -2) +
                                            QStringLiteral("/0")));
    // A later value of a key replaces the earlier one: the app appends.
    content += MmkvItem("88", MmkvString(account.nickName));
    QByteArray file = Le32(quint32(content.size())) + content;
    file.append(QByteArray(PageSize - file.size() % PageSize, '\0'));
    return file;
}

QByteArray SampleWeChatAccountFiles::MmkvCrc(const QByteArray& mmkv)
{
    const quint32 size = qFromLittleEndian<quint32>(mmkv.constData());
    const quint32 crc =
        quint32(crc32(0, reinterpret_cast<const Bytef*>(mmkv.constData() + 4), uInt(size)));
    QByteArray meta = Le32(crc) + Le32(3) + Le32(1) + QByteArray(16, '\0') + Le32(size);
    meta.append(QByteArray(PageSize - meta.size(), '\0'));
    return meta;
}
