#include "schemacatalog.h"

#include "carvedvalue.h"
#include "databaseimage.h"
#include "pagecarver.h"
#include "recorddecoder.h"
#include "sqliteformat.h"
#include "textutf8.h"

#include <algorithm>

namespace SqliteCarve {

namespace {

std::string textOf(const CarvedValue& value, DatabaseImage::Encoding encoding)
{
    std::string out;
    if (value.kind == CarvedValue::Kind::Text)
        appendUtf8(out, value.bytes, encoding);
    return out;
}

} // namespace

void SchemaCatalog::read(const DatabaseImage& image, RecordDecoder& decoder)
{
    m_tables.clear();
    m_indexRoots.clear();
    m_masterPages.clear();
    const TableSchema master = TableSchema::master();
    const uint32_t usable = image.usableSize();
    std::vector<uint8_t> seen(image.pageCount() + 1, 0);
    std::vector<uint32_t> stack{1};
    std::vector<CarvedValue> row;
    RecordDecoder::Cell cell;
    while (!stack.empty()) {
        const uint32_t number = stack.back();
        stack.pop_back();
        const uint8_t* page = image.page(number);
        if (!page || seen[number])
            continue;
        seen[number] = 1;
        const uint32_t header = DatabaseImage::headerOffset(number);
        const uint8_t flag = page[header];
        const uint32_t cells = be16(page + header + 3);
        const uint32_t headerSize = flag == InteriorTablePage ? 12 : 8;
        if ((flag != InteriorTablePage && flag != LeafTablePage) ||
            header + headerSize + 2 * cells > usable)
            continue;
        m_masterPages.push_back(number);
        for (uint32_t i = 0; i < cells; ++i) {
            const uint32_t offset = be16(page + header + headerSize + 2 * i);
            if (offset + 4 > usable)
                continue;
            if (flag == InteriorTablePage)
                stack.push_back(be32(page + offset));
            else if (decoder.decodeCell(page, offset, usable, master, cell, row))
                addRow(image, row, false);
        }
        if (flag == InteriorTablePage)
            stack.push_back(be32(page + header + 8));
    }

    // Old rows in the free space of sqlite_master name the dropped tables.
    std::vector<TableSchema> masterOnly{master};
    PageCarver carver(image, decoder, masterOnly);
    const auto report = [&](int, const RecordDecoder::Cell&, std::vector<CarvedValue>& values,
                            CarvedRecord::Source) { addRow(image, values, true); };
    std::sort(m_masterPages.begin(), m_masterPages.end());
    for (uint32_t number : m_masterPages)
        carver.carveFreeSpace(image.page(number), number, 0, report);
}

void SchemaCatalog::readOlderImage(const DatabaseImage& image, RecordDecoder& decoder,
                                   const uint8_t* page, uint32_t number)
{
    std::vector<TableSchema> masterOnly{TableSchema::master()};
    PageCarver carver(image, decoder, masterOnly);
    carver.carveLoosePage(page, number, 0, false, CarvedRecord::Source::Wal,
                          [&](int, const RecordDecoder::Cell&, std::vector<CarvedValue>& values,
                              CarvedRecord::Source) { addRow(image, values, true); });
}

bool SchemaCatalog::isMasterPage(uint32_t number) const
{
    return number == 1 || std::binary_search(m_masterPages.begin(), m_masterPages.end(), number);
}

void SchemaCatalog::addRow(const DatabaseImage& image, const std::vector<CarvedValue>& row,
                           bool dropped)
{
    const DatabaseImage::Encoding encoding = image.encoding();
    const std::string type = textOf(row[0], encoding);
    const std::string name = textOf(row[1], encoding);
    const std::string sql = textOf(row[4], encoding);
    if (row[3].kind != CarvedValue::Kind::Integer || row[3].integer <= 0 ||
        row[3].integer > image.pageCount())
        return;
    const uint32_t root = uint32_t(row[3].integer);
    const uint8_t* rootPage = image.page(root);
    const uint8_t rootFlag = rootPage[DatabaseImage::headerOffset(root)];
    if (type == "index" || (type == "table" && !dropped &&
                            (rootFlag == LeafIndexPage || rootFlag == InteriorIndexPage))) {
        if (!dropped)
            m_indexRoots.push_back(root);
        return;
    }
    if (type != "table" || sql.empty())
        return;
    const bool known = std::any_of(m_tables.begin(), m_tables.end(), [&](const TableSchema& t) {
        return t.name() == name && (t.rootPage() == root || t.sql() == sql);
    });
    if (known)
        return;
    if (auto schema = TableSchema::fromCreateStatement(name, sql, root)) {
        schema->setDropped(dropped);
        m_tables.push_back(std::move(*schema));
    }
}

} // namespace SqliteCarve
