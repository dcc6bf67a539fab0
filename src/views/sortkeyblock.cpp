#include "views/sortkeyblock.h"

#include <QMutex>
#include <QMutexLocker>
#include <QString>
#include <QStringList>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <map>
#include <numeric>
#include <utility>

#ifdef CP_HAVE_ICU
#include <unicode/ucol.h>
#endif

namespace {

// The UTF-8 of text, as QString::toUtf8 writes it: a lone surrogate, which
// Qt writes its own way, sends the whole text through Qt.
void AppendUtf8Key(QStringView text, std::vector<unsigned char>& bytes)
{
    const size_t start = bytes.size();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = text.at(i).unicode();
        if (unit < 0x80) {
            bytes.push_back(static_cast<unsigned char>(unit));
        } else if (unit < 0x800) {
            bytes.push_back(static_cast<unsigned char>(0xc0 | (unit >> 6)));
            bytes.push_back(static_cast<unsigned char>(0x80 | (unit & 0x3f)));
        } else if (unit < 0xd800 || unit > 0xdfff) {
            bytes.push_back(static_cast<unsigned char>(0xe0 | (unit >> 12)));
            bytes.push_back(static_cast<unsigned char>(0x80 | ((unit >> 6) & 0x3f)));
            bytes.push_back(static_cast<unsigned char>(0x80 | (unit & 0x3f)));
        } else if (unit < 0xdc00 && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
            const char32_t point = QChar::surrogateToUcs4(unit, text.at(i + 1).unicode());
            ++i;
            bytes.push_back(static_cast<unsigned char>(0xf0 | (point >> 18)));
            bytes.push_back(static_cast<unsigned char>(0x80 | ((point >> 12) & 0x3f)));
            bytes.push_back(static_cast<unsigned char>(0x80 | ((point >> 6) & 0x3f)));
            bytes.push_back(static_cast<unsigned char>(0x80 | (point & 0x3f)));
        } else {
            bytes.resize(start);
            const QByteArray qt = text.toUtf8();
            bytes.insert(bytes.end(), qt.constData(), qt.constData() + qt.size());
            return;
        }
    }
}

// Lexicographic order of two byte strings, as Qt compares its keys' bytes.
int CompareBytes(const unsigned char* left, size_t leftSize, const unsigned char* right,
                 size_t rightSize)
{
    const size_t common = std::min(leftSize, rightSize);
    const int bytes = common ? std::memcmp(left, right, common) : 0;
    if (bytes != 0)
        return bytes;
    return leftSize < rightSize ? -1 : leftSize > rightSize ? 1 : 0;
}

int Sign(int value)
{
    return (value > 0) - (value < 0);
}

// Texts whose order tells collations and their settings apart: case, accents
// and decomposed accents, punctuation and spaces (ignorable or not), digits
// (numeric or not), ligatures, scripts of several languages, characters
// beyond the first plane and a lone surrogate.
const QStringList& ProbeTexts()
{
    static const QStringList texts = [] {
        QStringList list = QString::fromUtf8("a|A|b|B|ab|aB|Ab|a b|a-b|a_b|a.b|a,b|-a| a|\t|@|#|"
                                             "é|E|è|ê|f|ß|ss|st|æ|ae|å|z|ö|o|ø|Ä|Ångström|Ölçek|"
                                             "1|2|9|10|a1|a9|a10|A10|ÿ|ł|ñ|n|ą|č|ş|ı|i|İ|I|"
                                             "Ch|C|H|ﬁ|fi|Ǆ|ǆ|½|Zoë|Zoe|Smith Ann1|smith ann1|"
                                             "中|文|王|李|あ|ア|カ|가|한|я|Я|α|Ω")
                               .split(QLatin1Char('|'));
        list << QString::fromUtf8("e\xcc\x81") << QString::fromUtf8("\xf0\x9f\x98\x80")
             << QString::fromUtf8("\xf0\x9f\x98\x80"
                                  "a")
             << QString(QChar(0xfffd)) << QString(QChar(0xe000)) << QString(QChar(0x00ad))
             << (QStringLiteral("a") + QChar(0x00ad) + QStringLiteral("b"))
             << QString(QChar(0xd800)) << (QString(QChar(0xdc00)) + QStringLiteral("a"));
        return list;
    }();
    return texts;
}

#ifdef CP_HAVE_ICU
// A collator set as Qt sets its own for collator's locale and options.
UCollator* OpenIcu(const QCollator& collator)
{
    UErrorCode status = U_ZERO_ERROR;
    const QByteArray name = collator.locale().bcp47Name().replace('-', '_').toLatin1();
    UCollator* icu = ucol_open(name.constData(), &status);
    if (U_FAILURE(status))
        return nullptr;
    ucol_setAttribute(icu, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
    ucol_setAttribute(icu, UCOL_STRENGTH,
                      collator.caseSensitivity() == Qt::CaseSensitive ? UCOL_DEFAULT_STRENGTH
                                                                      : UCOL_SECONDARY,
                      &status);
    ucol_setAttribute(icu, UCOL_NUMERIC_COLLATION, collator.numericMode() ? UCOL_ON : UCOL_OFF,
                      &status);
    ucol_setAttribute(icu, UCOL_ALTERNATE_HANDLING,
                      collator.ignorePunctuation() ? UCOL_SHIFTED : UCOL_NON_IGNORABLE, &status);
    if (U_FAILURE(status)) {
        ucol_close(icu);
        return nullptr;
    }
    return icu;
}

// ICU's sort key of text, its closing zero included, as Qt keeps it; none
// when ICU cannot make one.
void AppendIcuKey(const UCollator* icu, QStringView text, std::vector<unsigned char>& bytes)
{
    const size_t start = bytes.size();
    const auto* units = reinterpret_cast<const UChar*>(text.utf16());
    const auto length = int32_t(std::min<qsizetype>(text.size(), INT32_MAX));
    size_t room = 16 + size_t(length) + size_t(length >> 2);
    bytes.resize(start + room);
    int32_t made = ucol_getSortKey(icu, units, length, bytes.data() + start, int32_t(room));
    if (made > int32_t(room)) {
        room = size_t(made);
        bytes.resize(start + room);
        made = ucol_getSortKey(icu, units, length, bytes.data() + start, int32_t(room));
    }
    bytes.resize(start + size_t(std::clamp<int32_t>(made, 0, int32_t(room))));
}
#endif

// Whether keys made by maker were found to agree with the collator's, for a
// configuration; asked by every ranking, worked out by the first.
bool KnownToAgree(const QString& configuration, const std::function<bool()>& agrees)
{
    static QMutex lock;
    static std::map<QString, bool> known;
    QMutexLocker locker(&lock);
    auto it = known.find(configuration);
    if (it == known.end())
        it = known.emplace(configuration, agrees()).first;
    return it->second;
}

QString Configuration(const char* maker, const QCollator& collator)
{
    return QStringLiteral("%1 %2 %3%4%5")
        .arg(QLatin1String(maker), collator.locale().bcp47Name())
        .arg(int(collator.caseSensitivity()))
        .arg(int(collator.numericMode()))
        .arg(int(collator.ignorePunctuation()));
}

// A key's place in the ranking: 8 of its bytes from the depth reached, big end
// first, and how many are left there (9 standing for more than 8).
struct Slot
{
    quint64 chunk = 0;
    quint32 left = 0;
    quint32 index = 0;
};

// Beyond this depth the keys still tied are compared whole.
const size_t kChunkedDepth = 64;
// Fewer places than this are sorted by comparison, more by their bytes.
const size_t kRadixFrom = 512;

// Sorts places by chunk and then by what is left, keeping the order of those
// that tie on both: a byte at a time from the last, each pass stable, and a
// pass skipped where every place has the same byte there.
void RadixSort(Slot* places, size_t count, std::vector<Slot>& scratch)
{
    scratch.resize(count);
    Slot* from = places;
    Slot* to = scratch.data();
    const auto pass = [&](auto digitOf) {
        size_t starts[256] = {};
        for (size_t i = 0; i < count; ++i)
            ++starts[digitOf(from[i])];
        if (std::find(std::begin(starts), std::end(starts), count) != std::end(starts))
            return;
        size_t total = 0;
        for (size_t& start : starts)
            total += std::exchange(start, total);
        for (size_t i = 0; i < count; ++i)
            to[starts[digitOf(from[i])]++] = from[i];
        std::swap(from, to);
    };
    pass([](const Slot& slot) { return slot.left; });
    for (int shift = 0; shift < 64; shift += 8)
        pass([shift](const Slot& slot) { return size_t(slot.chunk >> shift) & 0xff; });
    if (from != places)
        std::copy(from, from + count, places);
}

} // namespace

struct SortKeyBlock::Icu
{
#ifdef CP_HAVE_ICU
    UCollator* collator = nullptr;
    ~Icu()
    {
        ucol_close(collator);
    }
#endif
};

SortKeyBlock::SortKeyBlock(const QCollator& collator) : m_collator(collator)
{
    // Qt's keys in the C locale are the texts' UTF-8 whatever the options.
    if (collator.locale().language() == QLocale::C) {
        const bool agrees = KnownToAgree(Configuration("utf8", collator), [&] {
            return Agrees(collator, [](QStringView text) {
                std::vector<unsigned char> bytes;
                AppendUtf8Key(text, bytes);
                return QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
            });
        });
        if (agrees)
            m_maker = Maker::Utf8;
        return;
    }
#ifdef CP_HAVE_ICU
    UCollator* icu = OpenIcu(collator);
    if (!icu)
        return;
    m_icu = std::make_unique<Icu>();
    m_icu->collator = icu;
    const bool agrees = KnownToAgree(Configuration("icu", collator), [&] {
        return Agrees(collator, [icu](QStringView text) {
            std::vector<unsigned char> bytes;
            AppendIcuKey(icu, text, bytes);
            return QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
        });
    });
    if (agrees)
        m_maker = Maker::Icu;
    else
        m_icu.reset();
#endif
}

SortKeyBlock::~SortKeyBlock() = default;

bool SortKeyBlock::Agrees(const QCollator& collator, const KeyFunction& key)
{
    const QStringList& texts = ProbeTexts();
    std::vector<QCollatorSortKey> theirs;
    std::vector<QByteArray> ours;
    for (const QString& text : texts) {
        theirs.push_back(collator.sortKey(text));
        ours.push_back(key(text));
    }
    for (size_t i = 0; i < ours.size(); ++i) {
        for (size_t j = i + 1; j < ours.size(); ++j) {
            const auto* left = reinterpret_cast<const unsigned char*>(ours[i].constData());
            const auto* right = reinterpret_cast<const unsigned char*>(ours[j].constData());
            if (Sign(theirs[i].compare(theirs[j])) !=
                Sign(CompareBytes(left, size_t(ours[i].size()), right, size_t(ours[j].size()))))
                return false;
        }
    }
    return true;
}

void SortKeyBlock::reserve(size_t texts)
{
    if (m_maker == Maker::Collator) {
        m_keys.reserve(texts);
        return;
    }
    m_ends.reserve(texts);
    m_bytes.reserve(texts * 24);
}

void SortKeyBlock::append(QStringView text)
{
    switch (m_maker) {
    case Maker::Utf8:
        AppendUtf8Key(text, m_bytes);
        m_ends.push_back(m_bytes.size());
        break;
    case Maker::Icu:
#ifdef CP_HAVE_ICU
        AppendIcuKey(m_icu->collator, text, m_bytes);
#endif
        m_ends.push_back(m_bytes.size());
        break;
    case Maker::Collator:
        m_keys.push_back(m_collator.sortKey(text.toString()));
        break;
    }
}

QByteArray SortKeyBlock::key(size_t index) const
{
    if (m_maker == Maker::Collator || index >= m_ends.size())
        return QByteArray();
    const size_t from = index ? m_ends[index - 1] : 0;
    return QByteArray(reinterpret_cast<const char*>(m_bytes.data() + from),
                      int(m_ends[index] - from));
}

std::vector<int> SortKeyBlock::ranks(int first) const
{
    return m_maker == Maker::Collator ? collatorRanks(first) : byteRanks(first);
}

std::vector<int> SortKeyBlock::collatorRanks(int first) const
{
    std::vector<int> order(m_keys.size());
    std::iota(order.begin(), order.end(), 0);
    auto less = [this](int l, int r) { return m_keys[size_t(l)].compare(m_keys[size_t(r)]) < 0; };
    std::stable_sort(order.begin(), order.end(), less);
    std::vector<int> ranks(order.size());
    int value = first;
    for (size_t i = 0; i < order.size(); ++i) {
        value += i > 0 && less(order[i - 1], order[i]) ? 1 : 0;
        ranks[size_t(order[i])] = value;
    }
    return ranks;
}

// The keys are sorted on 8 bytes at a time: on their first 8, then each run
// that ties and goes on in every key on the next 8, and so on. The few still
// tied deep in are compared whole. Ties between equal keys go by the order
// they were appended in.
std::vector<int> SortKeyBlock::byteRanks(int first) const
{
    const size_t count = m_ends.size();
    auto start = [this](size_t key) { return key ? m_ends[key - 1] : size_t(0); };
    auto fill = [&](Slot& slot, size_t depth) {
        const size_t from = start(slot.index) + depth;
        const size_t end = m_ends[slot.index];
        const size_t left = end > from ? end - from : 0;
        slot.left = quint32(std::min<size_t>(left, 9));
        if (left >= 8) {
            slot.chunk = qFromBigEndian<quint64>(m_bytes.data() + from);
            return;
        }
        slot.chunk = 0;
        for (size_t b = 0; b < left; ++b)
            slot.chunk |= quint64(m_bytes[from + b]) << (56 - 8 * b);
    };
    auto byChunk = [](const Slot& l, const Slot& r) {
        if (l.chunk != r.chunk)
            return l.chunk < r.chunk;
        if (l.left != r.left)
            return l.left < r.left;
        return l.index < r.index;
    };
    std::vector<Slot> places(count);
    std::vector<Slot> scratch;
    for (size_t i = 0; i < count; ++i)
        places[i].index = quint32(i);

    struct Run
    {
        size_t from;
        size_t to;
        size_t depth;
    };
    std::vector<Run> runs{{0, count, 0}};
    while (!runs.empty()) {
        const Run run = runs.back();
        runs.pop_back();
        const auto begin = places.begin() + std::ptrdiff_t(run.from);
        const auto end = places.begin() + std::ptrdiff_t(run.to);
        if (run.depth >= kChunkedDepth) {
            std::sort(begin, end, [&](const Slot& l, const Slot& r) {
                const size_t lFrom = start(l.index) + run.depth;
                const size_t rFrom = start(r.index) + run.depth;
                const int order = CompareBytes(m_bytes.data() + lFrom, m_ends[l.index] - lFrom,
                                               m_bytes.data() + rFrom, m_ends[r.index] - rFrom);
                return order != 0 ? order < 0 : l.index < r.index;
            });
            continue;
        }
        for (auto it = begin; it != end; ++it)
            fill(*it, run.depth);
        // Places come in the order keys were appended, and runs keep it.
        if (run.to - run.from < kRadixFrom)
            std::sort(begin, end, byChunk);
        else
            RadixSort(places.data() + run.from, run.to - run.from, scratch);
        for (size_t i = run.from; i < run.to;) {
            size_t j = i + 1;
            while (j < run.to && places[j].chunk == places[i].chunk &&
                   places[j].left == places[i].left)
                ++j;
            if (j - i > 1 && places[i].left > 8)
                runs.push_back({i, j, run.depth + 8});
            i = j;
        }
    }

    std::vector<int> ranks(count);
    int value = first;
    for (size_t i = 0; i < count; ++i) {
        if (i > 0) {
            const size_t l = places[i - 1].index;
            const size_t r = places[i].index;
            value += CompareBytes(m_bytes.data() + start(l), m_ends[l] - start(l),
                                  m_bytes.data() + start(r), m_ends[r] - start(r)) != 0;
        }
        ranks[places[i].index] = value;
    }
    return ranks;
}
