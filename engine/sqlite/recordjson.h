#ifndef RECORDJSON_H
#define RECORDJSON_H

#include "databaseimage.h"

#include <string>

namespace SqliteCarve {

struct CarvedRecord;

// Writes a carved record as one line of JSON:
// {"table": "...", "source": "...", "page": N, "offset": N, "rowid": N or null, "values": [...]}
// and, for a record a later cell cut, "partial": true, "lost_columns": [N, ...]
// (those values read null); for an older version of a live row,
// "live_version": true.
// Integers and reals are numbers (a REAL column's value always a real), text
// a UTF-8 string, NULL null, a blob a string of lowercase hex.
class RecordJson
{
public:
    static void write(const CarvedRecord& record, DatabaseImage::Encoding encoding,
                      std::string& out);

private:
    static void appendString(std::string& out, std::string_view utf8);
    static void appendReal(std::string& out, double value);
};

} // namespace SqliteCarve

#endif // RECORDJSON_H
