#ifndef TEXTUTF8_H
#define TEXTUTF8_H

#include "databaseimage.h"

#include <string>
#include <string_view>

namespace SqliteCarve {

// Appends text stored in the database's encoding to out as UTF-8. The text
// was validated when it was decoded; a stray unit becomes U+FFFD.
void appendUtf8(std::string& out, std::string_view text, DatabaseImage::Encoding encoding);

} // namespace SqliteCarve

#endif // TEXTUTF8_H
