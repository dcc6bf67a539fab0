#include "recordjson.h"

#include "carvedrecord.h"
#include "tableschema.h"
#include "textutf8.h"

#include <charconv>
#include <cmath>

namespace SqliteCarve {

void RecordJson::appendString(std::string& out, std::string_view utf8)
{
    static const char hex[] = "0123456789abcdef";
    out += '"';
    for (char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20) {
            out += "\\u00";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += char(c);
        }
    }
    out += '"';
}

void RecordJson::appendReal(std::string& out, double value)
{
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    const std::string_view text(buffer, size_t(result.ptr - buffer));
    out += text;
    if (text.find_first_of(".e") == std::string_view::npos)
        out += ".0";
}

void RecordJson::write(const CarvedRecord& record, DatabaseImage::Encoding encoding,
                       std::string& out)
{
    static const char hex[] = "0123456789abcdef";
    out += "{\"table\": ";
    appendString(out, record.table->name());
    out += ", \"source\": ";
    appendString(out, CarvedRecord::sourceName(record.source));
    out += ", \"page\": " + std::to_string(record.page);
    out += ", \"offset\": " + std::to_string(record.offset);
    out += ", \"rowid\": ";
    out += record.hasRowid ? std::to_string(record.rowid) : "null";
    out += ", \"values\": [";
    std::string text;
    for (size_t i = 0; i < record.values.size(); ++i) {
        const CarvedValue& v = record.values[i];
        if (i)
            out += ", ";
        switch (v.kind) {
        case CarvedValue::Kind::Null:
            out += "null";
            break;
        case CarvedValue::Kind::Integer:
            if (record.table->affinity(int(i)) == TableSchema::Affinity::Real)
                appendReal(out, double(v.integer));
            else
                out += std::to_string(v.integer);
            break;
        case CarvedValue::Kind::Real:
            appendReal(out, v.real);
            break;
        case CarvedValue::Kind::Text:
            text.clear();
            appendUtf8(text, v.bytes, encoding);
            appendString(out, text);
            break;
        case CarvedValue::Kind::Blob:
            out += '"';
            for (char ch : v.bytes) {
                out += hex[static_cast<unsigned char>(ch) >> 4];
                out += hex[static_cast<unsigned char>(ch) & 15];
            }
            out += '"';
            break;
        }
    }
    out += ']';
    if (record.partial()) {
        out += ", \"partial\": true, \"lost_columns\": [";
        for (size_t i = size_t(record.lostFrom); i < record.values.size(); ++i) {
            if (i > size_t(record.lostFrom))
                out += ", ";
            out += std::to_string(i);
        }
        out += ']';
    }
    if (record.liveVersion)
        out += ", \"live_version\": true";
    out += '}';
}

} // namespace SqliteCarve
