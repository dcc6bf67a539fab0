#include "textutf8.h"

namespace SqliteCarve {

namespace {

void appendCodePoint(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xc0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3f));
    } else if (cp < 0x10000) {
        out += char(0xe0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3f));
        out += char(0x80 | (cp & 0x3f));
    } else {
        out += char(0xf0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3f));
        out += char(0x80 | ((cp >> 6) & 0x3f));
        out += char(0x80 | (cp & 0x3f));
    }
}

} // namespace

void appendUtf8(std::string& out, std::string_view text, DatabaseImage::Encoding encoding)
{
    if (encoding == DatabaseImage::Utf8) {
        out.append(text);
        return;
    }
    const bool little = encoding == DatabaseImage::Utf16le;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size() & ~size_t(1);
    auto unitAt = [&](size_t i) {
        return little ? uint32_t(p[i] | p[i + 1] << 8) : uint32_t(p[i] << 8 | p[i + 1]);
    };
    for (size_t i = 0; i < n; i += 2) {
        uint32_t cp = unitAt(i);
        if (cp >= 0xd800 && cp <= 0xdbff && i + 3 < n) {
            const uint32_t low = unitAt(i + 2);
            if (low >= 0xdc00 && low <= 0xdfff) {
                cp = 0x10000 + ((cp - 0xd800) << 10) + (low - 0xdc00);
                i += 2;
            } else {
                cp = 0xfffd;
            }
        } else if (cp >= 0xd800 && cp <= 0xdfff) {
            cp = 0xfffd;
        }
        appendCodePoint(out, cp);
    }
}

} // namespace SqliteCarve
