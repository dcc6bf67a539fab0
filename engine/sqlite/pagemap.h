#ifndef PAGEMAP_H
#define PAGEMAP_H

#include <cstdint>
#include <functional>
#include <vector>

namespace SqliteCarve {

class DatabaseImage;
class LiveRowIndex;
class RecordDecoder;
class SchemaCatalog;

// What each page of the current image is: a page of a live b-tree (and of
// which table), an overflow page of a live record, a freelist page, a
// pointer map, or nothing known. Pages of dropped tables keep their role
// (freelist, unknown) and get the dropped table as owner. Walking the live
// tables also feeds every live row into the live-row index.
class PageMap
{
public:
    enum class Role : uint8_t {
        Unknown,
        Master,
        TableLeaf,
        TableInterior,
        Index,
        Overflow,
        FreelistTrunk,
        FreelistLeaf,
        PointerMap,
    };

    // `unindexed`: per table of the catalog, whether its live rows stay out
    // of `live` (empty: none does).
    void build(const DatabaseImage& image, RecordDecoder& decoder, const SchemaCatalog& catalog,
               LiveRowIndex& live, const std::vector<bool>& unindexed = {});

    // Asked every few pages while build() walks the tables; false stops the
    // walk, and the map is then incomplete (stopped()).
    void setGoOn(std::function<bool()> goOn) { m_goOn = std::move(goOn); }
    bool stopped() const { return m_stopped; }

    Role role(uint32_t page) const { return page < m_roles.size() ? m_roles[page] : Role::Unknown; }
    // Index into the catalog's tables, -1 if none.
    int owner(uint32_t page) const { return page < m_owners.size() ? m_owners[page] : -1; }
    // Whether the page is no part of a live structure.
    bool isFree(uint32_t page) const;

private:
    void walkTable(const DatabaseImage& image, RecordDecoder& decoder, uint32_t root, int table,
                   bool live, LiveRowIndex& liveRows, const SchemaCatalog& catalog,
                   bool unindexed = false);
    void walkIndex(const DatabaseImage& image, uint32_t root);
    void walkFreelist(const DatabaseImage& image);
    void markOverflow(const DatabaseImage& image, uint32_t first);

    std::vector<Role> m_roles;
    std::function<bool()> m_goOn;
    bool m_stopped = false;
    uint32_t m_walked = 0;
    std::vector<int> m_owners;
};

} // namespace SqliteCarve

#endif // PAGEMAP_H
