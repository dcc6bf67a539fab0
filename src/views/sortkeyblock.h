#ifndef SORTKEYBLOCK_H
#define SORTKEYBLOCK_H

#include <QByteArray>
#include <QCollator>
#include <QStringView>

#include <functional>
#include <memory>
#include <vector>

// The collation keys of a column's texts, made for one ranking and then
// dropped. A QCollatorSortKey hides its bytes behind two allocations, so a
// sort on them chases pointers at every comparison. Where the bytes of the
// collator's keys can be made here (the C locale's UTF-8, or ICU's sort key
// when Qt collates with ICU), they are written back to back into one block and
// ranked by their leading bytes, most comparisons never reaching the block.
// Whether the keys made here order texts as the collator's do is checked on a
// set of probe texts, once per configuration; where they do not, or cannot be
// made, the collator's own keys are ranked. Used by one thread at a time.
//
//   SortKeyBlock block(collator);
//   for (const QString& text : texts)   // none empty
//       block.append(text);
//   const std::vector<int> ranks = block.ranks(0);
class SortKeyBlock
{
public:
    // What a key is made by.
    enum class Maker { Utf8, Icu, Collator };
    using KeyFunction = std::function<QByteArray(QStringView)>;

    explicit SortKeyBlock(const QCollator& collator);
    ~SortKeyBlock();
    SortKeyBlock(const SortKeyBlock&) = delete;
    SortKeyBlock& operator=(const SortKeyBlock&) = delete;

    Maker maker() const { return m_maker; }
    void reserve(size_t texts);
    void append(QStringView text);
    size_t size() const { return m_maker == Maker::Collator ? m_keys.size() : m_ends.size(); }
    // The bytes of key index when they are made here; empty otherwise.
    QByteArray key(size_t index) const;
    // The rank of each key appended, in the order appended: first for the
    // smallest, one more for each greater key; equal keys share a rank.
    std::vector<int> ranks(int first) const;

    // Whether keys made by key order the probe texts as collator's keys do.
    static bool Agrees(const QCollator& collator, const KeyFunction& key);

private:
    struct Icu;
    void appendUtf8(QStringView text);
    void appendIcu(QStringView text);
    std::vector<int> byteRanks(int first) const;
    std::vector<int> collatorRanks(int first) const;

    QCollator m_collator;
    Maker m_maker = Maker::Collator;
    std::unique_ptr<Icu> m_icu;
    // The keys' bytes back to back; key i ends at m_ends[i].
    std::vector<unsigned char> m_bytes;
    std::vector<size_t> m_ends;
    std::vector<QCollatorSortKey> m_keys;
};

#endif // SORTKEYBLOCK_H
