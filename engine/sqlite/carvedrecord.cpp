#include "carvedrecord.h"

namespace SqliteCarve {

const char* CarvedRecord::sourceName(Source source)
{
    switch (source) {
    case Source::Freeblock:
        return "freeblock";
    case Source::Unallocated:
        return "unallocated";
    case Source::Freelist:
        return "freelist";
    case Source::DroppedTable:
        return "dropped table";
    case Source::Overflow:
        return "overflow";
    case Source::Wal:
        return "WAL";
    case Source::Journal:
        return "journal";
    }
    return "";
}

} // namespace SqliteCarve
