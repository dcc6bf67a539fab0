// Content search over a whole category, as it runs on every keystroke:
// CBMSearch::SearchContent over 1,000,000 contact-like records against a
// baseline that walks the same records and fields in the same order but
// matches with glibc memmem on a folded copy of each field. Keywords of 1, 3,
// 5 and 10 bytes each occur in about 1% of the records; "Rexon", made of
// common letters, occurs in none. A conversation store with long entry lists is searched for a
// missing keyword as well.
//
// After the Google Benchmark runs, an interleaved best-of-rounds comparison
// prints ms per pass, ns per field and the ratio to the baseline, and the
// number of heap allocations of one pass (the search must not allocate per
// field).

#include "allocationcounter.h"
#include "contracts/icontact.h"
#include "contracts/icontactaddresslist.h"
#include "contracts/icontactlist.h"
#include "contracts/icontactname.h"
#include "contracts/icontactorganization.h"
#include "contracts/imdcommon.h"
#include "contracts/imdgetter.h"
#include "contracts/imessage.h"
#include "contracts/imessageentry.h"
#include "search/cbmsearch.h"
#include "store/taskitem.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <new>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr size_t kContactCount = 1000000;
constexpr size_t kConversationCount = 250;
constexpr size_t kEntriesPerConversation = 200; // 50,000 messages in all

struct Keyword
{
    const char* text;
    bool planted;
};
// Each planted keyword holds one letter of its own that the generated text
// never uses, so it matches only where it was planted.
const Keyword kKeywords[] = {
    {"q", true}, {"Xan", true}, {"jorda", true}, {"zestManBer", true}, {"Rexon", false}};
constexpr int kKeywordCount = int(sizeof(kKeywords) / sizeof(kKeywords[0]));

// ---- Lean records: texts live in one pool, records only point into it. ----

class EmptyList : public MMobile::IContactList
{
public:
    unsigned int GetCount() override { return 0; }
    const char* GetValue(unsigned int) override { return nullptr; }
    const char* GetLabel(unsigned int) override { return nullptr; }
};

class EmptyAddressList : public MMobile::IContactAddressList
{
public:
    unsigned int GetCount() override { return 0; }
    const char* GetStreet(unsigned int) override { return nullptr; }
    const char* GetCity(unsigned int) override { return nullptr; }
    const char* GetState(unsigned int) override { return nullptr; }
    const char* GetPostalCode(unsigned int) override { return nullptr; }
    const char* GetCountry(unsigned int) override { return nullptr; }
    const char* GetLabel(unsigned int) override { return nullptr; }
};

EmptyList g_emptyList;
EmptyAddressList g_emptyAddresses;

class BenchList : public MMobile::IContactList
{
public:
    unsigned int GetCount() override { return count; }
    const char* GetValue(unsigned int index) override
    {
        return index < count ? values[index] : nullptr;
    }
    const char* GetLabel(unsigned int) override { return nullptr; }

    const char* values[2] = {nullptr, nullptr};
    unsigned int count = 0;
};

// A contact with eight texts: full name, two phones, company, e-mail, web
// address, note and birthday. The name and organisation records are the
// contact itself.
class BenchContact : public MMobile::IContact,
                     public MMobile::IContactName,
                     public MMobile::IContactOrganization
{
public:
    MMobile::IContactName* GetName() override { return this; }
    MMobile::IContactList* GetPhoneList() override { return &phones; }
    MMobile::IContactOrganization* GetOrganization() override { return this; }
    MMobile::IContactList* GetEmailList() override { return &emails; }
    MMobile::IContactList* GetUrlList() override { return &urls; }
    MMobile::IContactAddressList* GetAddressList() override { return &g_emptyAddresses; }
    MMobile::IContactList* GetInstantMessageList() override { return &g_emptyList; }
    MMobile::IContactList* GetRelatedNameList() override { return &g_emptyList; }
    MMobile::IContactList* GetDateList() override { return &g_emptyList; }
    const char* GetNote() override { return note; }
    const char* GetBirthday() override { return birthday; }
    MMobile::IContactList* GetSocialProfileList() override { return &g_emptyList; }

    const char* GetFirstName() override { return nullptr; }
    const char* GetMiddleName() override { return nullptr; }
    const char* GetLastName() override { return nullptr; }
    const char* GetPrefix() override { return nullptr; }
    const char* GetSuffix() override { return nullptr; }
    const char* GetNickname() override { return nullptr; }
    const char* GetFirstNamePhonetic() override { return nullptr; }
    const char* GetMiddleNamePhonetic() override { return nullptr; }
    const char* GetLastNamePhonetic() override { return nullptr; }
    const char* GetFullName() override { return fullName; }

    const char* GetDepartment() override { return nullptr; }
    const char* GetJobTitle() override { return nullptr; }
    const char* GetCompanyPhonetic() override { return nullptr; }
    const char* GetCompanyName() override { return company; }

    const char* fullName = nullptr;
    const char* company = nullptr;
    const char* note = nullptr;
    const char* birthday = nullptr;
    BenchList phones;
    BenchList emails;
    BenchList urls;
};

class BenchEntry : public MMobile::IMessageEntry
{
public:
    const char* GetText() override { return text; }
    const char* GetSender() override { return sender; }
    const char* GetDate() override { return date; }
    bool IsSent() override { return false; }

    const char* text = nullptr;
    const char* sender = nullptr;
    const char* date = nullptr;
};

class BenchConversation : public MMobile::IMessage
{
public:
    unsigned int GetParticipantCount() override { return 2; }
    const char* GetParticipantName(unsigned int i) override { return i < 2 ? names[i] : nullptr; }
    const char* GetParticipantPhone(unsigned int i) override { return i < 2 ? phones[i] : nullptr; }
    const char* GetParticipantEmail(unsigned int) override { return nullptr; }
    unsigned int GetEntryCount() override { return unsigned(entries.size()); }
    MMobile::IMessageEntry* GetEntry(unsigned int i) override
    {
        return i < entries.size() ? &entries[i] : nullptr;
    }

    const char* names[2] = {nullptr, nullptr};
    const char* phones[2] = {nullptr, nullptr};
    std::vector<BenchEntry> entries;
};

class BenchItem : public MMobile::IMDCommon
{
public:
    explicit BenchItem(MMobile::IMDRecord* record) : m_record(record) {}
    MMobile::IMDRecord* GetRecord() override { return m_record; }
    bool IsDeleted() override { return false; }
    void SetDropMark(bool) override {}

private:
    MMobile::IMDRecord* m_record;
};

class BenchGetter : public MMobile::IMDGetter
{
public:
    explicit BenchGetter(std::vector<BenchItem>& items) : m_items(items) {}
    unsigned int GetCount() override { return unsigned(m_items.size()); }
    MMobile::IMDCommon* GetItem(unsigned int index) override
    {
        return index < m_items.size() ? &m_items[index] : nullptr;
    }

private:
    std::vector<BenchItem>& m_items;
};

// ---- Corpus generation. ----

// Text pool in fixed blocks, so pointers into it stay valid while it grows.
class TextPool
{
public:
    const char* add(const std::string& text)
    {
        if (m_blocks.empty() || m_used + text.size() + 1 > kBlock) {
            m_blocks.emplace_back(kBlock, '\0');
            m_used = 0;
        }
        char* at = &m_blocks.back()[m_used];
        std::memcpy(at, text.c_str(), text.size() + 1);
        m_used += text.size() + 1;
        m_bytes += text.size();
        return at;
    }
    size_t bytes() const { return m_bytes; }

private:
    static constexpr size_t kBlock = 1 << 22;
    std::deque<std::vector<char>> m_blocks;
    size_t m_used = 0;
    size_t m_bytes = 0;
};

// Words from syllables without q, x, j, z or k, so planted keywords decide
// where those letters appear.
class Words
{
public:
    explicit Words(unsigned seed) : m_random(seed) {}

    unsigned below(unsigned n) { return unsigned(m_random() % n); }
    std::string word(int syllables, bool capital)
    {
        static const char* const kSyllables[] = {
            "an", "be", "ca", "de", "el", "fi", "go", "ha", "in", "lo", "ma", "ne", "or", "pa",
            "ri", "se", "ta", "ul", "vi", "wo", "ye", "ro", "li", "mi", "na", "te", "sa", "on",
            "er", "st", "th", "bu", "du", "fo", "gu", "hi", "mo", "nu", "po", "ru", "so", "tu"};
        std::string w;
        for (int i = 0; i < syllables; ++i)
            w += kSyllables[below(sizeof(kSyllables) / sizeof(kSyllables[0]))];
        if (capital)
            w[0] = char(w[0] - 0x20);
        return w;
    }
    std::string digits(int count)
    {
        std::string d;
        for (int i = 0; i < count; ++i)
            d.push_back(char('0' + below(10)));
        return d;
    }
    std::string name()
    {
        // A few names carry UTF-8 letters, in either case.
        static const char* const kNonAscii[] = {"Jos\xc3\xa9", "M\xc3\xbcller", "\xc3\x89lodie",
                                                "Zo\xc3\xab", "\xc3\x85sa"};
        if (below(50) == 0)
            return std::string(kNonAscii[below(5)]) + " " + word(2, true);
        return word(1 + below(2), true) + " " + word(1 + below(3), true);
    }
    std::string sentence(size_t minBytes, size_t maxBytes)
    {
        const size_t target = minBytes + below(unsigned(maxBytes - minBytes + 1));
        std::string s = word(2, true);
        while (s.size() < target)
            s += " " + word(1 + below(3), false);
        s.resize(target);
        return s;
    }
    // `keyword` at a random place of `text`, with random case flips.
    std::string plant(std::string text, const char* keyword)
    {
        std::string k = keyword;
        for (char& c : k) {
            if (((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) && below(2))
                c ^= 0x20;
        }
        const size_t at = below(unsigned(text.size() + 1));
        return text.insert(at, k);
    }

private:
    std::mt19937 m_random;
};

struct ContactCorpus
{
    TextPool pool;
    std::vector<BenchContact> contacts;
    std::vector<BenchItem> items;
    size_t planted[kKeywordCount] = {};

    ContactCorpus()
    {
        Words words(1234);
        contacts.resize(kContactCount);
        items.reserve(kContactCount);
        for (BenchContact& c : contacts) {
            std::string texts[8] = {words.name(),
                                    "+1 " + words.digits(3) + " " + words.digits(7),
                                    "+44 " + words.digits(4) + " " + words.digits(6),
                                    words.word(2, true) + (words.below(2) ? " Ltd" : " Group"),
                                    words.word(2, false) + "." + words.word(2, false) + "@" +
                                        words.word(2, false) + ".com",
                                    "http://www." + words.word(2 + words.below(2), false) +
                                        ".com/" + words.word(1 + words.below(4), false),
                                    words.sentence(20, 40),
                                    "19" + words.digits(2) + "-0" + words.digits(1) + "-1" +
                                        words.digits(1)};
            // Each planted keyword lands in about 1% of the records, in a
            // random field of its own (a later plant must not split an earlier one).
            bool used[8] = {};
            for (int k = 0; k < kKeywordCount; ++k) {
                if (kKeywords[k].planted && words.below(100) == 0) {
                    unsigned at = words.below(8);
                    while (used[at])
                        at = (at + 1) % 8;
                    used[at] = true;
                    std::string& field = texts[at];
                    field = words.plant(field, kKeywords[k].text);
                    ++planted[k];
                }
            }
            c.fullName = pool.add(texts[0]);
            c.phones.values[0] = pool.add(texts[1]);
            c.phones.values[1] = pool.add(texts[2]);
            c.phones.count = 2;
            c.company = pool.add(texts[3]);
            c.emails.values[0] = pool.add(texts[4]);
            c.emails.count = 1;
            c.urls.values[0] = pool.add(texts[5]);
            c.urls.count = 1;
            c.note = pool.add(texts[6]);
            c.birthday = pool.add(texts[7]);
            items.emplace_back(static_cast<MMobile::IContact*>(&c));
        }
    }
};

struct ConversationCorpus
{
    TextPool pool;
    std::vector<BenchConversation> conversations;
    std::vector<BenchItem> items;

    ConversationCorpus(size_t count, size_t entries)
    {
        Words words(99);
        conversations.resize(count);
        for (BenchConversation& chat : conversations) {
            for (int p = 0; p < 2; ++p) {
                chat.names[p] = pool.add(words.name());
                chat.phones[p] = pool.add("+1 " + words.digits(10));
            }
            chat.entries.resize(entries);
            for (BenchEntry& e : chat.entries) {
                e.text = pool.add(words.sentence(10, 120));
                e.sender = chat.names[words.below(2)];
                e.date = pool.add("2020-0" + words.digits(1) + "-1" + words.digits(1));
            }
            items.emplace_back(static_cast<MMobile::IMessage*>(&chat));
        }
    }
};

ContactCorpus& contactCorpus()
{
    static ContactCorpus corpus;
    return corpus;
}

struct ContactStore
{
    BenchGetter getter;
    TaskItem store;
    ContactStore() : getter(contactCorpus().items), store(MMobile::MD_CONTACT)
    {
        store.SetDatas(&getter);
    }
};

ContactStore& contactStore()
{
    static ContactStore store;
    return store;
}

// ---- Baseline: same walk, memmem on a folded copy of each field. ----

class MemmemSearch
{
public:
    explicit MemmemSearch(const char* keyword)
    {
        m_length = std::strlen(keyword);
        for (size_t i = 0; i < m_length && i < sizeof(m_pattern); ++i)
            m_pattern[i] = fold(keyword[i]);
    }

    bool field(const char* text)
    {
        ++fields;
        if (!text)
            return false;
        const size_t n = std::strlen(text);
        if (n > sizeof(m_buffer))
            return false;
        for (size_t i = 0; i < n; ++i)
            m_buffer[i] = fold(text[i]);
        return memmem(m_buffer, n, m_pattern, m_length) != nullptr;
    }

    bool list(MMobile::IContactList* values)
    {
        const unsigned int count = values->GetCount();
        for (unsigned int k = 0; k < count; ++k) {
            if (field(values->GetValue(k)))
                return true;
        }
        return false;
    }

    // The fields of SearchContact in its order; the lean contacts have no
    // addresses, so that list is only counted.
    bool contact(MMobile::IContact* c)
    {
        MMobile::IContactName* name = c->GetName();
        const char* full = name->GetFullName();
        if (full && *full) {
            if (field(full))
                return true;
        } else if (field(name->GetFirstName()) || field(name->GetMiddleName()) ||
                   field(name->GetLastName()) || field(name->GetPrefix()) ||
                   field(name->GetSuffix()) || field(name->GetNickname()) ||
                   field(name->GetFirstNamePhonetic()) || field(name->GetMiddleNamePhonetic()) ||
                   field(name->GetLastNamePhonetic())) {
            return true;
        }
        if (list(c->GetPhoneList()))
            return true;
        MMobile::IContactOrganization* org = c->GetOrganization();
        const char* company = org->GetCompanyName();
        if (company && *company) {
            if (field(company))
                return true;
        } else if (field(org->GetDepartment()) || field(org->GetJobTitle()) ||
                   field(org->GetCompanyPhonetic())) {
            return true;
        }
        if (list(c->GetEmailList()) || list(c->GetUrlList()))
            return true;
        if (c->GetAddressList()->GetCount() != 0)
            std::abort();
        return list(c->GetInstantMessageList()) || list(c->GetRelatedNameList()) ||
               list(c->GetDateList()) || list(c->GetSocialProfileList()) || field(c->GetNote()) ||
               field(c->GetBirthday());
    }

    void run(TaskItem& store)
    {
        const unsigned int count = store.GetDataCountEx();
        for (unsigned int index = 0; index < count; ++index) {
            auto* c = MMobile::record_cast<MMobile::IContact>(store.GetData(index));
            store.SetSearchMark(index, c && contact(c));
        }
        store.UpdateCheckedCountBySearch();
    }

    long fields = 0;

private:
    static char fold(char c) { return c >= 'A' && c <= 'Z' ? char(c + 0x20) : c; }

    char m_pattern[64] = {};
    size_t m_length = 0;
    char m_buffer[4096];
};

unsigned int markedCount(const TaskItem& store)
{
    unsigned int marked = 0;
    for (unsigned int i = 0; i < store.GetDataCountEx(); ++i)
        marked += store.GetSearchMark(i) ? 1 : 0;
    return marked;
}

long fieldsVisited(const char* keyword)
{
    MemmemSearch probe(keyword);
    probe.run(contactStore().store);
    return probe.fields;
}

void BM_SearchContent(benchmark::State& state)
{
    const Keyword& keyword = kKeywords[state.range(0)];
    TaskItem& store = contactStore().store;
    CBMSearch engine;
    const int length = int(std::strlen(keyword.text));
    for (auto _ : state)
        benchmark::DoNotOptimize(engine.SearchContent(&store, keyword.text, length));
    const long fields = fieldsVisited(keyword.text);
    engine.SearchContent(&store, keyword.text, length);
    state.SetLabel(keyword.text);
    state.counters["marked"] = markedCount(store);
    state.counters["fields"] = double(fields);
    state.counters["per_field"] =
        benchmark::Counter(double(fields) * double(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SearchContent)->DenseRange(0, kKeywordCount - 1)->Unit(benchmark::kMillisecond);

void BM_MemmemBaseline(benchmark::State& state)
{
    const Keyword& keyword = kKeywords[state.range(0)];
    TaskItem& store = contactStore().store;
    long fields = 0;
    for (auto _ : state) {
        MemmemSearch baseline(keyword.text);
        baseline.run(store);
        fields = baseline.fields;
    }
    state.SetLabel(keyword.text);
    state.counters["marked"] = markedCount(store);
    state.counters["fields"] = double(fields);
    state.counters["per_field"] =
        benchmark::Counter(double(fields) * double(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_MemmemBaseline)->DenseRange(0, kKeywordCount - 1)->Unit(benchmark::kMillisecond);

void BM_ConversationsMissing(benchmark::State& state)
{
    static ConversationCorpus corpus(kConversationCount, kEntriesPerConversation);
    BenchGetter getter(corpus.items);
    TaskItem store(MMobile::MD_MESSAGE);
    store.SetDatas(&getter);
    CBMSearch engine;
    for (auto _ : state)
        benchmark::DoNotOptimize(engine.SearchContent(&store, "Rexon", 5));
    state.counters["messages"] = double(kConversationCount * kEntriesPerConversation);
    state.counters["marked"] = markedCount(store);
}
BENCHMARK(BM_ConversationsMissing)->Unit(benchmark::kMillisecond);

// Process CPU time in ms: the machine is shared, so wall time would charge
// other programs' work to whichever search happened to be running.
double cpuMs()
{
    return 1000.0 * double(std::clock()) / CLOCKS_PER_SEC;
}

double timeSearch(CBMSearch& engine, TaskItem& store, const char* keyword)
{
    const double t0 = cpuMs();
    engine.SearchContent(&store, keyword, int(std::strlen(keyword)));
    return cpuMs() - t0;
}

double bestMissingSearch(size_t conversations, size_t entries, double* megabytes)
{
    ConversationCorpus corpus(conversations, entries);
    *megabytes = double(corpus.pool.bytes()) / 1e6;
    BenchGetter getter(corpus.items);
    TaskItem chats(MMobile::MD_MESSAGE);
    chats.SetDatas(&getter);
    CBMSearch engine;
    double best = 1e30;
    for (int round = 0; round < 7; ++round)
        best = std::min(best, timeSearch(engine, chats, "Rexon"));
    return best;
}

// Best of several interleaved rounds, so both searches see the same load.
void printComparison()
{
    TaskItem& store = contactStore().store;
    std::printf("\n%zu contacts, %.1f MB of text\n", kContactCount,
                double(contactCorpus().pool.bytes()) / 1e6);
    std::printf("%-12s %8s %8s %10s %10s %9s %9s %7s %7s\n", "keyword", "planted", "marked",
                "bm ms", "memmem ms", "bm ns/f", "mm ns/f", "ratio", "allocs");
    CBMSearch engine;
    for (const Keyword& keyword : kKeywords) {
        const int length = int(std::strlen(keyword.text));
        double bestBm = 1e30;
        double bestMm = 1e30;
        long allocs = 0;
        for (int round = 0; round < 7; ++round) {
            const long before = AllocationCount();
            bestBm = std::min(bestBm, timeSearch(engine, store, keyword.text));
            allocs = AllocationCount() - before;
            MemmemSearch baseline(keyword.text);
            const double t0 = cpuMs();
            baseline.run(store);
            bestMm = std::min(bestMm, cpuMs() - t0);
        }
        engine.SearchContent(&store, keyword.text, length);
        const unsigned int marked = markedCount(store);
        const double fields = double(fieldsVisited(keyword.text));
        const size_t planted = contactCorpus().planted[&keyword - kKeywords];
        std::printf("%-12s %8zu %8u %10.2f %10.2f %9.2f %9.2f %7.2f %7ld%s\n", keyword.text,
                    planted, marked, bestBm, bestMm, bestBm * 1e6 / fields, bestMm * 1e6 / fields,
                    bestBm / bestMm, allocs,
                    keyword.planted ? "" : "  (missing; ratio limit 1.50)");
    }

    double megabytes = 0;
    double best = bestMissingSearch(kConversationCount, kEntriesPerConversation, &megabytes);
    std::printf("%zu conversations x %zu messages (%.1f MB), missing keyword: %.2f ms "
                "(limit 100 ms)\n",
                kConversationCount, kEntriesPerConversation, megabytes, best);
    // The other reading of the size: 50,000 conversations, each a long list.
    best = bestMissingSearch(50000, 40, &megabytes);
    std::printf("50000 conversations x 40 messages (%.1f MB), missing keyword: %.2f ms\n",
                megabytes, best);
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printComparison();
    return 0;
}
