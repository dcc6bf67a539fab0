#include "bmdifferential.h"

#include "cbmsearchprobe.h"

#include <algorithm>
#include <cstring>

namespace bmdifferential {

namespace {

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + 0x20) : c;
}

bool naiveFind(const std::string& pattern, const std::string& text)
{
    if (pattern.size() > text.size())
        return false;
    for (size_t start = 0; start + pattern.size() <= text.size(); ++start) {
        size_t k = 0;
        while (k < pattern.size() && lower(text[start + k]) == lower(pattern[k]))
            ++k;
        if (k == pattern.size())
            return true;
    }
    return false;
}

std::string upToZero(const std::string& s)
{
    return s.substr(0, std::strlen(s.c_str()));
}

// One engine for every check, so later patterns run on reused, longer arrays
// that still hold entries of earlier patterns.
CBMSearch& engine()
{
    static CBMSearch instance;
    return instance;
}

} // namespace

Outcome check(const std::string& rawPattern, const std::string& rawText)
{
    Outcome outcome;
    const std::string pattern = upToZero(rawPattern);
    const std::string text = upToZero(rawText);
    if (pattern.empty())
        return outcome;

    std::string folded = pattern;
    for (char& c : folded)
        c = lower(c);
    const int m = int(folded.size());

    CBMSearch& bm = engine();
    if (!CBMSearchProbe::buildBS(bm, folded.c_str(), m) ||
        !CBMSearchProbe::buildGS(bm, folded.c_str(), m)) {
        outcome.ok = false;
        outcome.what = "tables not built";
        return outcome;
    }

    const QVector<int> suffix = CBMSearchProbe::suffix(bm, m);
    const QVector<int> shifts = CBMSearchProbe::goodSuffix(bm, m);
    for (int i = 0; i < m; ++i) {
        int q = i;
        while (q >= 0 && folded[q] == folded[q + m - 1 - i])
            --q;
        if (suffix.value(i, -1) != i - q) {
            outcome.ok = false;
            outcome.what = "suffix length " + std::to_string(i);
            return outcome;
        }
        if (shifts.value(i, 0) < 1 || shifts.value(i, 0) > m) {
            outcome.ok = false;
            outcome.what = "good-suffix shift out of range at " + std::to_string(i);
            return outcome;
        }
    }

    outcome.engine = CBMSearchProbe::bmSearch(bm, text.c_str(), folded.c_str(), m);
    outcome.naive = naiveFind(pattern, text);
    if (outcome.engine != outcome.naive) {
        outcome.ok = false;
        outcome.what = "match differs";
    }
    return outcome;
}

Outcome checkInput(const unsigned char* data, size_t size)
{
    if (size < 1)
        return Outcome();
    const size_t length = std::min<size_t>(data[0], size - 1);
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    return check(std::string(bytes, length), std::string(bytes + length, size - 1 - length));
}

} // namespace bmdifferential
