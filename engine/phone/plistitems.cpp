#include "plistitems.h"

#include <cstdlib>

plist_t PlistItems::At(plist_t array, uint32_t index, plist_type type)
{
    if (!array || plist_get_node_type(array) != PLIST_ARRAY || plist_array_get_size(array) <= index)
        return nullptr;
    plist_t item = plist_array_get_item(array, index);
    return item && plist_get_node_type(item) == type ? item : nullptr;
}

QString PlistItems::String(plist_t node)
{
    if (!node || plist_get_node_type(node) != PLIST_STRING)
        return QString();
    char* text = nullptr;
    plist_get_string_val(node, &text);
    const QString value = text ? QString::fromUtf8(text) : QString();
    std::free(text);
    return value;
}

QString PlistItems::StringAt(plist_t array, uint32_t index)
{
    return String(At(array, index, PLIST_STRING));
}

uint64_t PlistItems::Uint(plist_t node, uint64_t otherwise)
{
    if (!node || plist_get_node_type(node) != PLIST_UINT)
        return otherwise;
    uint64_t value = 0;
    plist_get_uint_val(node, &value);
    return value;
}
