#include "pagemap.h"

#include "databaseimage.h"
#include "liverowindex.h"
#include "recorddecoder.h"
#include "schemacatalog.h"
#include "sqliteformat.h"

namespace SqliteCarve {

bool PageMap::isFree(uint32_t page) const
{
    const Role r = role(page);
    return r == Role::Unknown || r == Role::FreelistTrunk || r == Role::FreelistLeaf;
}

void PageMap::build(const DatabaseImage& image, RecordDecoder& decoder,
                    const SchemaCatalog& catalog, LiveRowIndex& live,
                    const std::vector<bool>& unindexed)
{
    const uint32_t count = image.pageCount();
    m_stopped = false;
    m_roles.assign(size_t(count) + 1, Role::Unknown);
    m_owners.assign(size_t(count) + 1, -1);
    for (uint32_t page : catalog.masterPages())
        m_roles[page] = Role::Master;
    if (image.hasPointerMaps()) {
        const uint32_t step = image.usableSize() / 5 + 1;
        for (uint32_t page = 2; page <= count; page += step)
            m_roles[page] = Role::PointerMap;
    }
    const std::vector<TableSchema>& tables = catalog.tables();
    for (size_t t = 0; t < tables.size(); ++t) {
        if (!tables[t].isDropped())
            walkTable(image, decoder, tables[t].rootPage(), int(t), true, live, catalog,
                      t < unindexed.size() && unindexed[t]);
    }
    for (uint32_t root : catalog.indexRoots())
        walkIndex(image, root);
    walkFreelist(image);
    for (size_t t = 0; t < tables.size(); ++t) {
        if (tables[t].isDropped())
            walkTable(image, decoder, tables[t].rootPage(), int(t), false, live, catalog);
    }
    live.seal();
}

void PageMap::walkTable(const DatabaseImage& image, RecordDecoder& decoder, uint32_t root,
                        int table, bool live, LiveRowIndex& liveRows, const SchemaCatalog& catalog,
                        bool unindexed)
{
    const TableSchema& schema = catalog.tables()[size_t(table)];
    const uint32_t usable = image.usableSize();
    std::vector<uint32_t> stack{root};
    std::vector<CarvedValue> values;
    RecordDecoder::Cell cell;
    uint32_t budget = image.pageCount();
    while (!stack.empty() && budget-- > 0) {
        if (m_stopped || (m_goOn && ++m_walked % 16 == 0 && !m_goOn())) {
            m_stopped = true;
            return;
        }
        const uint32_t number = stack.back();
        stack.pop_back();
        const uint8_t* page = image.page(number);
        if (!page || number == 1)
            continue;
        if (live ? m_roles[number] != Role::Unknown : (!isFree(number) || m_owners[number] >= 0))
            continue;
        if (!live) {
            // A dropped table's page: claimed as long as no live tree uses it.
            m_owners[number] = table;
            if (m_roles[number] == Role::FreelistTrunk)
                continue;
        }
        const uint8_t flag = page[0];
        const uint32_t cells = be16(page + 3);
        const uint32_t headerSize = flag == InteriorTablePage ? 12 : 8;
        if ((flag != InteriorTablePage && flag != LeafTablePage) || headerSize + 2 * cells > usable)
            continue;
        if (live) {
            m_roles[number] = flag == LeafTablePage ? Role::TableLeaf : Role::TableInterior;
            m_owners[number] = table;
        }
        for (uint32_t i = 0; i < cells; ++i) {
            const uint32_t offset = be16(page + headerSize + 2 * i);
            if (offset + 4 > usable)
                continue;
            if (flag == InteriorTablePage) {
                stack.push_back(be32(page + offset));
            } else if (live && !unindexed &&
                       decoder.decodeCell(page, offset, usable, schema, cell, values)) {
                liveRows.add(values, schema.aliasColumn(), cell.rowid);
                if (cell.overflowPage)
                    markOverflow(image, cell.overflowPage);
            }
        }
        if (flag == InteriorTablePage)
            stack.push_back(be32(page + 8));
    }
}

void PageMap::walkIndex(const DatabaseImage& image, uint32_t root)
{
    const uint32_t usable = image.usableSize();
    std::vector<uint32_t> stack{root};
    uint32_t budget = image.pageCount();
    while (!stack.empty() && budget-- > 0) {
        const uint32_t number = stack.back();
        stack.pop_back();
        const uint8_t* page = image.page(number);
        if (!page || number == 1 || m_roles[number] != Role::Unknown)
            continue;
        const uint8_t flag = page[0];
        if (flag != InteriorIndexPage && flag != LeafIndexPage)
            continue;
        m_roles[number] = Role::Index;
        const uint32_t cells = be16(page + 3);
        if (flag != InteriorIndexPage || 12 + 2 * cells > usable)
            continue;
        for (uint32_t i = 0; i < cells; ++i) {
            const uint32_t offset = be16(page + 12 + 2 * i);
            if (offset + 4 <= usable)
                stack.push_back(be32(page + offset));
        }
        stack.push_back(be32(page + 8));
    }
}

void PageMap::walkFreelist(const DatabaseImage& image)
{
    const uint32_t usable = image.usableSize();
    uint32_t trunk = image.freelistTrunk();
    uint32_t budget = image.pageCount();
    while (trunk != 0 && budget-- > 0) {
        const uint8_t* page = image.page(trunk);
        if (!page || m_roles[trunk] != Role::Unknown)
            return;
        m_roles[trunk] = Role::FreelistTrunk;
        const uint32_t leaves = be32(page + 4);
        for (uint32_t i = 0; i < leaves && 8 + 4 * i + 4 <= usable; ++i) {
            const uint32_t leaf = be32(page + 8 + 4 * i);
            if (leaf <= image.pageCount() && m_roles[leaf] == Role::Unknown)
                m_roles[leaf] = Role::FreelistLeaf;
        }
        trunk = be32(page);
    }
}

void PageMap::markOverflow(const DatabaseImage& image, uint32_t first)
{
    uint32_t budget = image.pageCount();
    for (uint32_t number = first; number != 0 && budget-- > 0;) {
        const uint8_t* page = image.page(number);
        if (!page || m_roles[number] != Role::Unknown)
            return;
        m_roles[number] = Role::Overflow;
        number = be32(page);
    }
}

} // namespace SqliteCarve
