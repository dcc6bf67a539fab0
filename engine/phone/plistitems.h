#ifndef PLISTITEMS_H
#define PLISTITEMS_H

#include <QString>

#include <plist/plist.h>

#include <cstdint>

// Typed reads of the property lists a phone sends: each answers nothing (a
// null node, an empty string, the fallback) where the node is missing or of
// another type, so hostile messages need no checks of their own.
class PlistItems
{
public:
    // Item `index` of `array` when it is of `type`.
    static plist_t At(plist_t array, uint32_t index, plist_type type);
    static QString String(plist_t node);
    static QString StringAt(plist_t array, uint32_t index);
    static uint64_t Uint(plist_t node, uint64_t otherwise);
};

#endif // PLISTITEMS_H
