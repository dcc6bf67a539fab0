#include "recorddecoder.h"

#include "databaseimage.h"
#include "sqliteformat.h"
#include "tableschema.h"

#include <algorithm>
#include <cstring>

namespace SqliteCarve {

namespace {

// A record with fewer values than the table has columns (written before an
// ALTER TABLE ... ADD COLUMN) keeps at least this share of them and two.
bool plausibleShort(const TableSchema& schema, int count)
{
    return count >= 2 && 2 * count >= schema.columnCount() && schema.acceptsShortRecord(count);
}

int64_t readSigned(const uint8_t* p, int bytes)
{
    uint64_t v = (p[0] & 0x80) ? ~uint64_t(0) : 0;
    for (int i = 0; i < bytes; ++i)
        v = (v << 8) | p[i];
    return int64_t(v);
}

bool isControl(uint32_t c)
{
    return c < 0x20 && c != '\t' && c != '\n' && c != '\r';
}

} // namespace

RecordDecoder::RecordDecoder(const DatabaseImage& image)
    : m_image(&image), m_usable(image.usableSize())
{
}

uint32_t RecordDecoder::localPayloadSize(uint64_t payloadSize) const
{
    const uint32_t maxLocal = m_usable - 35;
    if (payloadSize <= maxLocal)
        return uint32_t(payloadSize);
    const uint32_t minLocal = (m_usable - 12) * 32 / 255 - 23;
    const uint32_t k = uint32_t(minLocal + (payloadSize - minLocal) % (m_usable - 4));
    return k <= maxLocal ? k : minLocal;
}

int RecordDecoder::readTypes(const uint8_t* p, const uint8_t* end, int first, int maxColumns)
{
    int n = first;
    while (p < end) {
        if (n >= maxColumns)
            return -1;
        uint64_t type;
        const int len = readVarint(p, end, type);
        if (!len)
            return -1;
        m_types[size_t(n++)] = type;
        p += len;
    }
    return n;
}

int RecordDecoder::intactColumnCount(const uint8_t* page, uint32_t offset, uint32_t limit)
{
    const uint8_t* end = page + limit;
    uint64_t payload, rowid, header;
    const uint8_t* p = page + offset;
    int len = readVarint(p, end, payload);
    if (!len || payload == 0 || payload > kMaxPayload)
        return 0;
    p += len;
    if (!(len = readVarint(p, end, rowid)))
        return 0;
    p += len;
    const uint8_t* record = p;
    if (!(len = readVarint(p, end, header)) || header <= uint64_t(len) || header > payload ||
        header > uint64_t(end - record))
        return 0;
    const uint8_t* headerEnd = record + header;
    p += len;
    uint64_t body = 0;
    int columns = 0;
    while (p < headerEnd) {
        // Most types take one byte, and every live cell of a page is asked:
        // their sizes (57 at most) need no overflow check. A body they take
        // past kMaxPayload fails the next long type's check or, at the
        // latest, the payload's sum below.
        if (*p < 0x80) {
            const int64_t size = serialTypeSize(*p);
            if (size < 0)
                return 0;
            body += uint64_t(size);
            ++p;
            ++columns;
            continue;
        }
        uint64_t type;
        if (!(len = readVarint(p, headerEnd, type)) || !addSerialSize(body, type))
            return 0;
        p += len;
        ++columns;
    }
    if (header + body != payload)
        return 0;
    const uint32_t local = localPayloadSize(payload);
    if (header > local)
        return 0;
    const uint64_t cellEnd = uint64_t(record - page) + local + (payload > local ? 4 : 0);
    return cellEnd <= limit ? columns : 0;
}

bool RecordDecoder::decodeCell(const uint8_t* page, uint32_t offset, uint32_t limit,
                               const TableSchema& schema, Cell& cell,
                               std::vector<CarvedValue>& values)
{
    const int columns = schema.columnCount();
    if (m_types.size() < size_t(columns) + 1)
        m_types.resize(size_t(columns) + 1);
    const uint8_t* end = page + limit;
    uint64_t payload, rowid, header;
    const uint8_t* p = page + offset;
    int len = readVarint(p, end, payload);
    if (!len || payload == 0 || payload > kMaxPayload)
        return false;
    p += len;
    if (!(len = readVarint(p, end, rowid)))
        return false;
    p += len;
    const uint32_t headerStart = uint32_t(p - page);
    if (!(len = readVarint(p, end, header)) || header <= uint64_t(len) || header > payload ||
        header > limit - headerStart)
        return false;
    m_count = readTypes(p + len, page + headerStart + header, 0, columns);
    if (m_count != columns && !plausibleShort(schema, m_count))
        return false;
    cell = Cell();
    cell.start = offset;
    cell.payloadSize = payload;
    cell.hasRowid = true;
    cell.rowid = int64_t(rowid);
    return finish(page, offset, headerStart, uint32_t(header), limit, 0, schema, cell, values);
}

void RecordDecoder::setShortCountPage(const uint8_t* page, uint32_t cellArray, uint32_t cells,
                                      uint32_t arrayEnd)
{
    m_shortCounts.clear();
    m_countsPage = page;
    m_countsArray = cellArray;
    m_countsCells = cells;
    m_countsArrayEnd = arrayEnd;
}

bool RecordDecoder::shortReading(const TableSchema& schema, int count)
{
    if (m_minimumEndFit < 2)
        return false;
    if (m_countsPage) {
        const uint8_t* page = m_countsPage;
        m_countsPage = nullptr;
        for (uint32_t i = 0; i < m_countsCells; ++i) {
            const uint32_t offset = be16(page + m_countsArray + 2 * i);
            if (offset < m_countsArrayEnd || offset >= m_usable)
                continue;
            const int found = intactColumnCount(page, offset, m_usable);
            if (found > 0 &&
                std::find(m_shortCounts.begin(), m_shortCounts.end(), found) == m_shortCounts.end())
                m_shortCounts.push_back(found);
        }
    }
    // The page's counts first: they are few, and the schema's test walks the columns.
    return std::find(m_shortCounts.begin(), m_shortCounts.end(), count) != m_shortCounts.end() &&
           plausibleShort(schema, count);
}

void RecordDecoder::TypePrefix::take(const uint8_t* p, const uint8_t* end,
                                     const TableSchema& schema, int first, int count)
{
    types.resize(size_t(std::max(count, 0)));
    bytes.resize(size_t(std::max(count, 0)) + 1);
    const uint8_t* start = p;
    bytes[0] = 0;
    for (read = 0; read < count; ++read) {
        uint64_t type;
        const int len = readVarint(p, end, type);
        if (!len || !schema.accepts(first + read, type))
            break;
        types[size_t(read)] = type;
        p += len;
        bytes[size_t(read) + 1] = uint32_t(p - start);
    }
}

bool RecordDecoder::decodeDamagedCell(const uint8_t* page, uint32_t offset, uint32_t limit,
                                      bool knownBlock, const TableSchema& schema, Cell& cell,
                                      std::vector<CarvedValue>& values)
{
    const int columns = schema.columnCount();
    if (m_types.size() < size_t(columns) + 1)
        m_types.resize(size_t(columns) + 1);
    const uint32_t intact = offset + 4;
    if (intact + 2 > limit)
        return false;
    const uint8_t* end = page + limit;
    cell = Cell();
    cell.start = offset;

    // Whatever count of values a reading assumes, its types are read from the
    // same bytes: each place is read once, as far as the columns take its types.
    // Most offsets slid over fail on their first few bytes.
    m_afterSize.take(page + offset + 4, end, schema, 0, columns);
    m_afterLongSize.take(page + offset + 5, end, schema, 0, columns);
    m_afterFirstType.take(page + intact, end, schema, 1, columns - 1);
    const int longestFront = std::max(m_afterSize.read, m_afterLongSize.read);

    // Every reading of the lost bytes is tried, the ones whose end fits the
    // free space best first.
    auto attempt = [&]() -> bool {
        m_count = columns;
        // The payload size and rowid took `prefix` bytes; the header size took
        // `sizeBytes` and is lost, the serial types are intact.
        struct Form
        {
            uint32_t prefix, sizeBytes;
            const TypePrefix& types;
        };
        // With the header size lost, so is how many values the record has:
        // all the table's columns, else fewer (a record older than a column
        // the table got), the most first: a count live records of the page
        // have, where the record ends its space or an intact cell follows.
        for (int count = columns; count >= 1; --count) {
            if (count < columns && 2 * count < columns)
                break;
            // No place has count types its columns can hold: no form reads them.
            if (count > longestFront)
                continue;
            if (count < columns && !shortReading(schema, count))
                continue;
            m_count = count;
            for (const Form form :
                 {Form{3, 1, m_afterSize}, Form{3, 2, m_afterLongSize}, Form{2, 2, m_afterSize}}) {
                // A lone column's type proves little: its record must fill its
                // space or be followed by an intact cell.
                if (columns == 1 && m_minimumEndFit < 2)
                    break;
                if (count > form.types.read)
                    continue;
                const uint32_t headerStart = offset + form.prefix;
                const uint32_t header = form.sizeBytes + form.types.bytes[size_t(count)];
                if (varintLength(header) != int(form.sizeBytes))
                    continue;
                if (form.prefix == 3 && form.sizeBytes == 2 && page[intact] != (header & 0x7f))
                    continue;
                std::copy_n(form.types.types.begin(), count, m_types.begin());
                if (finish(page, offset, headerStart, header, limit, form.prefix, schema, cell,
                           values))
                    return true;
            }
        }
        m_count = columns;

        // Payload size and rowid in one byte each: the header size and the first
        // column's serial type are lost. The type is guessed from what the column
        // can hold and what the record's end allows.
        // With a single intact type left, only a record that fills its space
        // or is followed by an intact cell is told from chance.
        for (int count = columns; count >= 1; --count) {
            if (count < columns && 2 * count < columns)
                break;
            if (!(count >= 3 || (count == 2 && m_minimumEndFit >= 1)))
                break;
            if (count - 1 > m_afterFirstType.read)
                continue;
            if (count < columns && !shortReading(schema, count))
                continue;
            m_count = count;
            const uint32_t headerStart = offset + 2;
            const uint32_t header = 2 + m_afterFirstType.bytes[size_t(count) - 1];
            if (header < 128) {
                std::copy_n(m_afterFirstType.types.begin(), count - 1, m_types.begin() + 1);
                auto tryType = [&](uint64_t type) {
                    if (!schema.accepts(0, type))
                        return false;
                    m_types[0] = type;
                    return finish(page, offset, headerStart, header, limit, 2, schema, cell,
                                  values);
                };
                // Of the types that fit equally well, the one the column's
                // affinity makes likeliest wins: a REAL column holds reals,
                // a BLOB column blobs; of size 0, NULL.
                static const uint8_t integerOrder[] = {0, 8, 9, 1, 2, 3, 4, 5, 6, 7};
                static const uint8_t realOrder[] = {0, 8, 9, 1, 2, 3, 4, 5, 7, 6};
                const TableSchema::Affinity affinity = schema.affinity(0);
                auto tryNumbers = [&]() {
                    for (uint8_t type :
                         affinity == TableSchema::Affinity::Real ? realOrder : integerOrder) {
                        if (tryType(type))
                            return true;
                    }
                    return false;
                };
                auto tryLengths = [&](uint64_t base) {
                    for (uint64_t size = 0; size <= 57; ++size) {
                        if (tryType(base + 2 * size))
                            return true;
                    }
                    return false;
                };
                const bool found =
                    tryType(0) || (affinity == TableSchema::Affinity::Blob
                                       ? tryLengths(12) || tryLengths(13) || tryNumbers()
                                       : tryNumbers() || tryLengths(13) || tryLengths(12));
                if (found)
                    return true;
            }
        }
        m_count = columns;

        // A large payload size or rowid: the header starts past the lost bytes.
        for (uint32_t prefix = 4; prefix <= 5 && (columns > 1 || m_minimumEndFit >= 2); ++prefix) {
            const uint32_t headerStart = offset + prefix;
            uint64_t header;
            const int len = readVarint(page + headerStart, end, header);
            if (!len || header <= uint64_t(len) || header > limit - headerStart)
                continue;
            // Its header size survives, and with it how many values it has.
            m_count = readTypes(page + headerStart + len, page + headerStart + header, 0, columns);
            if (m_count != columns && !plausibleShort(schema, m_count))
                continue;
            if (finish(page, offset, headerStart, uint32_t(header), limit, prefix, schema, cell,
                       values))
                return true;
        }
        return false;
    };
    const int weakest = knownBlock ? 0 : (columns <= 2 ? 2 : 1);
    for (m_minimumEndFit = 3; m_minimumEndFit >= weakest; --m_minimumEndFit) {
        if (attempt())
            return true;
    }
    return false;
}

bool RecordDecoder::decodeCutCell(const uint8_t* page, uint32_t offset, uint32_t limit,
                                  bool damaged, const TableSchema& schema, Cell& cell,
                                  std::vector<CarvedValue>& values)
{
    const int columns = schema.columnCount();
    if (m_types.size() < size_t(columns) + 1)
        m_types.resize(size_t(columns) + 1);
    const uint8_t* end = page + limit;
    cell = Cell();
    cell.start = offset;
    // The header's serial types, read up to headerEnd; false if they are not
    // a plausible record of the table.
    auto types = [&](uint32_t typesAt, uint32_t headerEnd) {
        if (headerEnd > limit)
            return false;
        m_count = readTypes(page + typesAt, page + headerEnd, 0, columns);
        return m_count == columns || plausibleShort(schema, m_count);
    };
    if (!damaged) {
        uint64_t payload, rowid, header;
        const uint8_t* p = page + offset;
        int len = readVarint(p, end, payload);
        if (!len || payload == 0 || payload > kMaxPayload)
            return false;
        p += len;
        if (!(len = readVarint(p, end, rowid)))
            return false;
        p += len;
        const uint32_t headerStart = uint32_t(p - page);
        if (!(len = readVarint(p, end, header)) || header <= uint64_t(len) || header > payload ||
            !types(headerStart + uint32_t(len), headerStart + uint32_t(header)))
            return false;
        cell.payloadSize = payload;
        cell.hasRowid = true;
        cell.rowid = int64_t(rowid);
        return finishCut(page, headerStart, uint32_t(header), limit, 0, schema, cell, values);
    }
    if (offset + 6 > limit)
        return false;
    // The header size read whole past a large payload size or rowid.
    for (uint32_t prefix = 4; prefix <= 5; ++prefix) {
        const uint32_t headerStart = offset + prefix;
        uint64_t header;
        const int len = readVarint(page + headerStart, end, header);
        if (len && header > uint64_t(len) && header <= limit - headerStart &&
            types(headerStart + uint32_t(len), headerStart + uint32_t(header)) &&
            finishCut(page, headerStart, uint32_t(header), limit, prefix, schema, cell, values))
            return true;
    }
    return false;
}

bool RecordDecoder::finishCut(const uint8_t* page, uint32_t headerStart, uint32_t headerSize,
                              uint32_t limit, uint32_t lostPrefix, const TableSchema& schema,
                              Cell& cell, std::vector<CarvedValue>& values)
{
    const int columns = m_count;
    uint64_t body = 0;
    for (int i = 0; i < columns; ++i) {
        if (!schema.accepts(i, m_types[size_t(i)]) || !addSerialSize(body, m_types[size_t(i)]))
            return false;
    }
    const uint64_t payload = headerSize + body;
    if (lostPrefix) {
        const uint32_t sizeBytes = uint32_t(varintLength(payload));
        if (sizeBytes >= lostPrefix || lostPrefix - sizeBytes > 9)
            return false;
    } else if (payload != cell.payloadSize) {
        return false;
    }
    // Only a record kept whole on its page; one that reached past limit.
    if (payload > localPayloadSize(payload) || uint64_t(headerStart) + payload <= limit)
        return false;
    values.assign(size_t(schema.columnCount()), CarvedValue());
    uint64_t at = uint64_t(headerStart) + headerSize;
    int kept = 0;
    for (; kept < columns; ++kept) {
        const uint64_t type = m_types[size_t(kept)];
        const uint64_t size = uint64_t(serialTypeSize(type));
        if (at + size > limit)
            break;
        if (!decodeValue(type, page + at, values[size_t(kept)]))
            return false;
        at += size;
    }
    if (kept < 2 || 2 * kept < schema.columnCount())
        return false;
    cell.end = limit;
    cell.payloadSize = payload;
    cell.lostFrom = kept;
    return true;
}

bool RecordDecoder::finish(const uint8_t* page, uint32_t cellStart, uint32_t headerStart,
                           uint32_t headerSize, uint32_t limit, uint32_t lostPrefix,
                           const TableSchema& schema, Cell& cell, std::vector<CarvedValue>& values)
{
    const int columns = m_count;
    uint64_t body = 0;
    for (int i = 0; i < columns; ++i) {
        const uint64_t type = m_types[size_t(i)];
        if (!schema.accepts(i, type) || !addSerialSize(body, type))
            return false;
    }
    const uint64_t payload = uint64_t(headerSize) + body;
    if (payload > kMaxPayload)
        return false;
    if (lostPrefix) {
        // The payload size varint and at least one byte of rowid filled the
        // lost prefix.
        const uint32_t sizeBytes = uint32_t(varintLength(payload));
        if (sizeBytes >= lostPrefix || lostPrefix - sizeBytes > 9)
            return false;
    } else if (payload != cell.payloadSize) {
        return false;
    }
    const uint32_t local = localPayloadSize(payload);
    if (headerSize > local)
        return false;
    const uint64_t end = uint64_t(headerStart) + local + (payload > local ? 4 : 0);
    if (end > limit)
        return false;
    if (lostPrefix && endFit(page, uint32_t(end), limit, schema) < m_minimumEndFit)
        return false;
    const uint8_t* record = page + headerStart;
    cell.overflowPage = 0;
    if (payload > local) {
        cell.overflowPage = be32(page + headerStart + local);
        if (!gatherOverflow(record, local, payload, cell.overflowPage))
            return false;
        record = m_payload.data();
    }
    if (!decodeValues(record + headerSize, columns, values))
        return false;
    // The columns added since the record was written read as their defaults.
    values.resize(size_t(schema.columnCount()));
    for (int i = columns; i < schema.columnCount(); ++i)
        values[size_t(i)] = schema.defaultValue(i);
    cell.start = cellStart;
    cell.end = uint32_t(end);
    cell.payloadSize = payload;
    return true;
}

int RecordDecoder::endFit(const uint8_t* page, uint32_t end, uint32_t limit,
                          const TableSchema& schema)
{
    if (end == limit)
        return 3;
    if (limit - end >= 4) {
        if (intactCellOf(page, end, limit, schema))
            return 2;
        // The stale header of an earlier freeblock that this one absorbed,
        // over a record of the same table.
        // Its block may reach past limit: cells added since took its top,
        // cutting the record it heads.
        const uint32_t next = be16(page + end);
        const uint32_t size = be16(page + end + 2);
        if (size >= 4 && end + size <= m_usable && (next == 0 || (next > end && next < m_usable)) &&
            (damagedShapeAt(page, end, limit, end + size > limit, schema) ||
             (end + size == limit && cutByLaterCell(page, end, limit, schema))))
            return 1;
    }
    // Up to three bytes are a fragment the freeblock swallowed.
    return limit - end <= 3 ? 0 : -1;
}

bool RecordDecoder::intactCellOf(const uint8_t* page, uint32_t offset, uint32_t limit,
                                 const TableSchema& schema) const
{
    const uint8_t* end = page + limit;
    const uint8_t* p = page + offset;
    uint64_t payload, rowid, header;
    int len = readVarint(p, end, payload);
    if (!len || (p += len, !(len = readVarint(p, end, rowid))))
        return false;
    p += len;
    const uint8_t* record = p;
    if (!(len = readVarint(p, end, header)) || header > uint64_t(end - record))
        return false;
    p += len;
    uint64_t body = 0;
    for (int i = 0; i < schema.columnCount(); ++i) {
        uint64_t type;
        if (p >= record + header || !(len = readVarint(p, record + header, type)) ||
            !schema.accepts(i, type) || !addSerialSize(body, type))
            return false;
        p += len;
    }
    return p == record + header && header + body == payload;
}

bool RecordDecoder::cutByLaterCell(const uint8_t* page, uint32_t offset, uint32_t limit,
                                   const TableSchema& schema) const
{
    const uint8_t* end = page + limit;
    for (uint32_t at = offset + 5; at + 4 <= limit; ++at) {
        const uint8_t* p = page + at;
        uint64_t payload, rowid;
        int len = readVarint(p, end, payload);
        if (!len || payload >= limit)
            continue;
        p += len;
        if (!(len = readVarint(p, end, rowid)) || uint64_t(p + len - page) + payload != limit)
            continue;
        if (intactCellOf(page, at, limit, schema))
            return damagedShapeAt(page, offset, at, true, schema);
    }
    return false;
}

bool RecordDecoder::damagedShapeAt(const uint8_t* page, uint32_t offset, uint32_t limit, bool cut,
                                   const TableSchema& schema) const
{
    // The serial types after the lost four bytes, read as the forms that
    // keep them all, must suit the columns and end the record by limit.
    const uint8_t* end = page + limit;
    const int columns = schema.columnCount();
    struct Form
    {
        uint32_t typesAt;
        int first; // 1 when the first column's type was lost too
    };
    for (const Form form : {Form{offset + 4, 0}, Form{offset + 5, 0}, Form{offset + 4, 1}}) {
        const uint8_t* p = page + form.typesAt;
        uint64_t body = 0;
        int i = form.first;
        bool unsuited = false;
        for (; i < columns && p < end; ++i) {
            uint64_t type;
            const int len = readVarint(p, end, type);
            if (!len || !schema.accepts(i, type) || !addSerialSize(body, type)) {
                unsuited = len != 0;
                break;
            }
            p += len;
        }
        // A cut record keeps what lies before limit: its types there must suit.
        if (cut ? !unsuited && i > form.first
                : i == columns && uint64_t(p - page) + std::min<uint64_t>(body, m_usable) <= limit)
            return true;
    }
    return false;
}

bool RecordDecoder::gatherOverflow(const uint8_t* local, uint32_t localSize, uint64_t payloadSize,
                                   uint32_t firstPage)
{
    const uint32_t perPage = m_usable - 4;
    if ((payloadSize - localSize + perPage - 1) / perPage > m_image->pageCount())
        return false;
    m_payload.resize(size_t(payloadSize));
    std::memcpy(m_payload.data(), local, localSize);
    uint64_t filled = localSize;
    uint32_t number = firstPage;
    while (filled < payloadSize) {
        const uint8_t* page = m_image->page(number);
        if (!page)
            return false;
        const uint32_t chunk = uint32_t(std::min<uint64_t>(payloadSize - filled, perPage));
        std::memcpy(m_payload.data() + filled, page + 4, chunk);
        filled += chunk;
        number = be32(page);
        // The chain ends exactly where the payload does.
        if ((filled < payloadSize) != (number != 0))
            return false;
    }
    return true;
}

bool RecordDecoder::decodeValues(const uint8_t* body, int columns,
                                 std::vector<CarvedValue>& values) const
{
    values.resize(size_t(columns));
    const uint8_t* p = body;
    for (int i = 0; i < columns; ++i) {
        const uint64_t type = m_types[size_t(i)];
        if (!decodeValue(type, p, values[size_t(i)]))
            return false;
        p += serialTypeSize(type);
    }
    return true;
}

bool RecordDecoder::decodeValue(uint64_t type, const uint8_t* p, CarvedValue& v) const
{
    v = CarvedValue();
    const size_t size = size_t(serialTypeSize(type));
    if (type == 0) {
        v.kind = CarvedValue::Kind::Null;
    } else if (type <= 6) {
        v.kind = CarvedValue::Kind::Integer;
        v.integer = readSigned(p, int(size));
    } else if (type == 7) {
        uint64_t bits = 0;
        for (int b = 0; b < 8; ++b)
            bits = (bits << 8) | p[b];
        std::memcpy(&v.real, &bits, sizeof bits);
        v.kind = CarvedValue::Kind::Real;
    } else if (type == 8 || type == 9) {
        v.kind = CarvedValue::Kind::Integer;
        v.integer = int64_t(type - 8);
    } else {
        const bool text = isTextType(type);
        if (text && !validText(p, size))
            return false;
        v.kind = text ? CarvedValue::Kind::Text : CarvedValue::Kind::Blob;
        v.bytes = std::string_view(reinterpret_cast<const char*>(p), size);
    }
    return true;
}

bool RecordDecoder::validText(const uint8_t* p, size_t n) const
{
    const DatabaseImage::Encoding encoding = m_image->encoding();
    if (encoding == DatabaseImage::Utf8) {
        for (size_t i = 0; i < n;) {
            const uint8_t c = p[i];
            if (c < 0x80) {
                if (isControl(c))
                    return false;
                ++i;
                continue;
            }
            int extra;
            uint32_t cp;
            if ((c & 0xe0) == 0xc0) {
                extra = 1;
                cp = c & 0x1f;
            } else if ((c & 0xf0) == 0xe0) {
                extra = 2;
                cp = c & 0x0f;
            } else if ((c & 0xf8) == 0xf0) {
                extra = 3;
                cp = c & 0x07;
            } else {
                return false;
            }
            if (i + size_t(extra) >= n)
                return false;
            for (int k = 1; k <= extra; ++k) {
                if ((p[i + size_t(k)] & 0xc0) != 0x80)
                    return false;
                cp = (cp << 6) | (p[i + size_t(k)] & 0x3f);
            }
            static const uint32_t minimum[4] = {0, 0x80, 0x800, 0x10000};
            if (cp < minimum[extra] || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff))
                return false;
            i += size_t(extra) + 1;
        }
        return true;
    }
    if (n % 2)
        return false;
    const bool little = encoding == DatabaseImage::Utf16le;
    for (size_t i = 0; i < n; i += 2) {
        const uint32_t unit =
            little ? uint32_t(p[i] | p[i + 1] << 8) : uint32_t(p[i] << 8 | p[i + 1]);
        if (isControl(unit))
            return false;
        if (unit >= 0xdc00 && unit <= 0xdfff)
            return false;
        if (unit >= 0xd800 && unit <= 0xdbff) {
            if (i + 3 >= n)
                return false;
            const uint32_t low =
                little ? uint32_t(p[i + 2] | p[i + 3] << 8) : uint32_t(p[i + 2] << 8 | p[i + 3]);
            if (low < 0xdc00 || low > 0xdfff)
                return false;
            i += 2;
        }
    }
    return true;
}

} // namespace SqliteCarve
