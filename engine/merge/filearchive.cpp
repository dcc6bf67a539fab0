#include "filearchive.h"

#include <plist/plist.h>

#include <memory>

namespace {

struct FreePlist
{
    void operator()(plist_t node) const { plist_free(node); }
};
using Plist = std::unique_ptr<void, FreePlist>;

Plist Parse(const QByteArray& archive)
{
    plist_t root = nullptr;
    if (!archive.isEmpty())
        plist_from_memory(archive.constData(), uint32_t(archive.size()), &root);
    return Plist(root);
}

// The archived MBFile: the object $top's root points at.
plist_t RootObject(plist_t root)
{
    if (!root || plist_get_node_type(root) != PLIST_DICT)
        return nullptr;
    plist_t objects = plist_dict_get_item(root, "$objects");
    plist_t top = plist_dict_get_item(root, "$top");
    plist_t uid = top ? plist_dict_get_item(top, "root") : nullptr;
    if (!objects || plist_get_node_type(objects) != PLIST_ARRAY || !uid ||
        plist_get_node_type(uid) != PLIST_UID)
        return nullptr;
    uint64_t index = 0;
    plist_get_uid_val(uid, &index);
    if (index >= plist_array_get_size(objects))
        return nullptr;
    plist_t object = plist_array_get_item(objects, uint32_t(index));
    return plist_get_node_type(object) == PLIST_DICT ? object : nullptr;
}

Plist Fresh(const QString& relativePath, qint64 modified)
{
    plist_t root = plist_new_dict();
    plist_dict_set_item(root, "$archiver", plist_new_string("NSKeyedArchiver"));
    plist_dict_set_item(root, "$version", plist_new_uint(100000));
    plist_t top = plist_new_dict();
    plist_dict_set_item(top, "root", plist_new_uid(1));
    plist_dict_set_item(root, "$top", top);
    plist_t objects = plist_new_array();
    plist_array_append_item(objects, plist_new_string("$null"));
    plist_t file = plist_new_dict();
    plist_dict_set_item(file, "$class", plist_new_uid(3));
    plist_dict_set_item(file, "RelativePath", plist_new_uid(2));
    plist_dict_set_item(file, "Birth", plist_new_uint(uint64_t(modified)));
    plist_dict_set_item(file, "LastStatusChange", plist_new_uint(uint64_t(modified)));
    plist_dict_set_item(file, "Mode", plist_new_uint(0100644));
    plist_dict_set_item(file, "UserID", plist_new_uint(501));
    plist_dict_set_item(file, "GroupID", plist_new_uint(501));
    plist_dict_set_item(file, "InodeNumber", plist_new_uint(0));
    plist_dict_set_item(file, "Flags", plist_new_uint(0));
    // Databases of the phone's apps are readable once it was unlocked.
    plist_dict_set_item(file, "ProtectionClass",
                        plist_new_uint(uint64_t(FileArchive::NewFileClass)));
    plist_array_append_item(objects, file);
    plist_array_append_item(objects, plist_new_string(relativePath.toUtf8().constData()));
    plist_t type = plist_new_dict();
    plist_t classes = plist_new_array();
    plist_array_append_item(classes, plist_new_string("MBFile"));
    plist_array_append_item(classes, plist_new_string("NSObject"));
    plist_dict_set_item(type, "$classes", classes);
    plist_dict_set_item(type, "$classname", plist_new_string("MBFile"));
    plist_array_append_item(objects, type);
    plist_dict_set_item(root, "$objects", objects);
    return Plist(root);
}

QByteArray ToBinary(plist_t root)
{
    char* bytes = nullptr;
    uint32_t length = 0;
    plist_to_bin(root, &bytes, &length);
    const QByteArray out(bytes, int(length));
    plist_to_bin_free(bytes);
    return out;
}

} // namespace

QByteArray FileArchive::WithEncryptionKey(const QByteArray& archive, const QByteArray& key)
{
    Plist root = Parse(archive);
    plist_t file = RootObject(root.get());
    if (!file)
        return archive;
    plist_t objects = plist_dict_get_item(root.get(), "$objects");
    plist_t data = plist_new_data(key.constData(), uint64_t(key.size()));
    plist_t current = plist_dict_get_item(file, "EncryptionKey");
    uint64_t index = 0;
    if (current && plist_get_node_type(current) == PLIST_UID)
        plist_get_uid_val(current, &index);
    plist_t held = index > 0 && index < plist_array_get_size(objects)
                       ? plist_array_get_item(objects, uint32_t(index))
                       : nullptr;
    if (held && plist_get_node_type(held) == PLIST_DICT) {
        // Archived NSData: {NS.data, $class}.
        plist_dict_set_item(held, "NS.data", data);
    } else if (held && plist_get_node_type(held) == PLIST_DATA) {
        plist_array_set_item(objects, data, uint32_t(index));
    } else {
        plist_t type = plist_new_dict();
        plist_t classes = plist_new_array();
        plist_array_append_item(classes, plist_new_string("NSMutableData"));
        plist_array_append_item(classes, plist_new_string("NSData"));
        plist_array_append_item(classes, plist_new_string("NSObject"));
        plist_dict_set_item(type, "$classes", classes);
        plist_dict_set_item(type, "$classname", plist_new_string("NSMutableData"));
        plist_array_append_item(objects, type);
        plist_t wrapper = plist_new_dict();
        plist_dict_set_item(wrapper, "NS.data", data);
        plist_dict_set_item(wrapper, "$class", plist_new_uid(plist_array_get_size(objects) - 1));
        plist_array_append_item(objects, wrapper);
        plist_dict_set_item(file, "EncryptionKey",
                            plist_new_uid(plist_array_get_size(objects) - 1));
    }
    return ToBinary(root.get());
}

QByteArray FileArchive::Updated(const QByteArray& archive, const QString& relativePath, qint64 size,
                                const QByteArray& sha1, qint64 modified)
{
    Plist root = Parse(archive);
    plist_t file = RootObject(root.get());
    if (!file) {
        root = Fresh(relativePath, modified);
        file = RootObject(root.get());
    }
    plist_dict_set_item(file, "Size", plist_new_uint(uint64_t(size)));
    plist_dict_set_item(file, "LastModified", plist_new_uint(uint64_t(modified)));
    // Writing the content changes the file's status too, as on the phone.
    plist_dict_set_item(file, "LastStatusChange", plist_new_uint(uint64_t(modified)));
    plist_t digest = plist_dict_get_item(file, "Digest");
    if (digest && plist_get_node_type(digest) == PLIST_DATA) {
        plist_dict_set_item(file, "Digest",
                            plist_new_data(sha1.constData(), uint64_t(sha1.size())));
    } else if (digest && plist_get_node_type(digest) == PLIST_UID) {
        // Archived data stands in $objects, the record points at it.
        uint64_t index = 0;
        plist_get_uid_val(digest, &index);
        plist_t objects = plist_dict_get_item(root.get(), "$objects");
        if (index > 0 && index < plist_array_get_size(objects) &&
            plist_get_node_type(plist_array_get_item(objects, uint32_t(index))) == PLIST_DATA)
            plist_array_set_item(objects, plist_new_data(sha1.constData(), uint64_t(sha1.size())),
                                 uint32_t(index));
    }
    return ToBinary(root.get());
}

qint64 FileArchive::SizeOf(const QByteArray& archive)
{
    Plist root = Parse(archive);
    plist_t file = RootObject(root.get());
    plist_t size = file ? plist_dict_get_item(file, "Size") : nullptr;
    if (!size || plist_get_node_type(size) != PLIST_UINT)
        return -1;
    uint64_t value = 0;
    plist_get_uint_val(size, &value);
    return qint64(value);
}
