#ifndef BMDIFFERENTIAL_H
#define BMDIFFERENTIAL_H

#include <cstddef>
#include <string>

// Checks the engine's match for one pattern and text against a naive search
// written independently here: byte-wise substring search after lowering A-Z.
// Also checks the suffix-length table against its definition. Shared by the
// differential test and the fuzz target.
namespace bmdifferential {

struct Outcome
{
    bool ok = true;
    bool engine = false;
    bool naive = false;
    std::string what;
};

// `pattern` and `text` are taken up to their first zero byte, as the engine
// sees C texts; an empty pattern is skipped (ok).
Outcome check(const std::string& pattern, const std::string& text);

// Fuzz input layout: byte 0 is the pattern length, then the pattern, then the
// text.
Outcome checkInput(const unsigned char* data, size_t size);

} // namespace bmdifferential

#endif // BMDIFFERENTIAL_H
