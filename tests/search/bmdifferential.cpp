#include "bmdifferential.h"

#include "contracts/imdcommon.h"
#include "contracts/imdgetter.h"
#include "contracts/isafaribookmark.h"
#include "search/cbmsearch.h"
#include "store/taskitem.h"

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
    return std::search(text.begin(), text.end(), pattern.begin(), pattern.end(),
                       [](char a, char b) { return lower(a) == lower(b); }) != text.end();
}

std::string upToZero(const std::string& s)
{
    return s.substr(0, std::strlen(s.c_str()));
}

// The smallest store the engine searches: one bookmark whose title is the
// text. Written here so the fuzz target needs nothing but the engine and the
// store.
struct OneBookmark : MMobile::ISafariBookmark, MMobile::IMDCommon, MMobile::IMDGetter
{
    std::string title;
    const char* GetTitle() override { return title.c_str(); }
    const char* GetUrl() override { return nullptr; }
    MMobile::IMDRecord* GetRecord() override { return this; }
    bool IsDeleted() override { return false; }
    void SetDropMark(bool) override {}
    unsigned int GetCount() override { return 1; }
    MMobile::IMDCommon* GetItem(unsigned int) override { return this; }
};

// One engine and store for every check, so later patterns run on reused,
// longer arrays that still hold entries of earlier patterns.
struct Search
{
    OneBookmark bookmark;
    TaskItem store{MMobile::MD_SAFARI_BOOKMARK};
    CBMSearch engine;
    Search() { store.SetDatas(&bookmark); }
};

Search& search()
{
    static Search instance;
    return instance;
}

} // namespace

Outcome check(const std::string& rawPattern, const std::string& rawText)
{
    Outcome outcome;
    const std::string pattern = upToZero(rawPattern);
    if (pattern.empty())
        return outcome;

    Search& s = search();
    s.bookmark.title = upToZero(rawText);
    if (!s.engine.SearchContent(&s.store, pattern.c_str(), int(pattern.size()))) {
        outcome.ok = false;
        outcome.what = "tables not built";
        return outcome;
    }
    outcome.engine = s.store.GetSearchMark(0);
    outcome.naive = naiveFind(pattern, s.bookmark.title);
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
