#ifndef SORTKEYCACHE_H
#define SORTKEYCACHE_H

#include <QAbstractItemModel>
#include <QCollator>
#include <QDateTime>
#include <QLocale>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QRegExp;
class QVariant;

// The sort rule of the table proxy, with what it needs of each top-level cell
// of one column kept between comparisons: a date-time, or the cell's text and,
// once a comparison asked for it, the collation key of the text (the address
// part alone in column 1). Keys compare exactly as QString::localeAwareCompare
// compares the texts, so a sort on them gives the same order at a fraction of
// the cost; a full sort ranks the whole column at once on keys made together
// (SortKeyBlock). The proxy owns the cache and tells it when the source
// changes; the address pattern is the proxy's.
class SortKeyCache
{
public:
    explicit SortKeyCache(QRegExp* addressPattern);

    // Whether the cell at left sorts before the cell at right (same model).
    bool less(const QModelIndex& left, const QModelIndex& right);
    // less() from the ranks alone, for the cells of a ranked flat column;
    // false when they have none. Inline: a sort asks it n log n times.
    bool lessByRank(const QModelIndex& left, const QModelIndex& right, bool& answer) const
    {
        if (!m_flat || m_ranks.empty() || left.model() != m_model || right.model() != m_model ||
            left.column() != m_column || right.column() != m_column)
            return false;
        const size_t l = size_t(left.row());
        const size_t r = size_t(right.row());
        if (l >= m_ranks.size() || r >= m_ranks.size())
            return false;
        answer = m_ranks[l] < m_ranks[r];
        return true;
    }
    // Whether the cells of column are ranked and the ranks up to date.
    bool hasRanks(const QAbstractItemModel* model, int column) const
    {
        return model == m_model && column == m_column && !m_ranks.empty() &&
               m_ranks.size() == size_t(model->rowCount());
    }
    // Reads and ranks every top-level cell of column, ahead of a full sort.
    void rankColumn(const QAbstractItemModel* model, int column);
    // After the source reset or changed its layout: reads every top-level
    // cell of column again and ranks them, keeping the keys (and the ranks,
    // if nothing changed) of cells whose value is the one they had.
    void refreshColumn(const QAbstractItemModel* model, int column);
    // What the cache keeps of one cell.
    struct Entry
    {
        std::optional<QCollatorSortKey> key;
        // The cell's text as read (before the address is cut out), in the texts block.
        int textAt = 0;
        int textSize = -1;
        QDateTime dateTime;
        bool filled = false;
        bool isDateTime = false;
        bool keyed = false;
        bool emptyText = false;
    };
    // A whole column read, keyed and ranked away from the model's thread.
    struct Prepared
    {
        const QAbstractItemModel* model = nullptr;
        int column = -1;
        // False when the reading was stopped before the last cell.
        bool complete = false;
        std::vector<Entry> entries;
        QString texts;
        // Empty for a column that mixes date-times and texts.
        std::vector<int> ranks;
    };
    using CellReader = std::function<QVariant(int row)>;
    // Reads rows cells through cell into prepared; false when stop, asked
    // before each cell, said so. Runs on any thread that may read the cells.
    static bool Read(int rows, const CellReader& cell, const std::function<bool()>& stop,
                     Prepared& prepared);
    // Keys and ranks the cells read into prepared, which is then complete;
    // runs on any thread.
    static void KeyAndRank(const QLocale& locale, Prepared& prepared);
    // The part of a text that the proxy's address pattern captures, the text
    // itself when it has none; for threads other than the pattern's.
    static QString AddressPart(const QString& text);
    // Takes over a column prepared for model.
    void adopt(Prepared&& prepared);
    // The language the keys collate by.
    QLocale locale() const { return m_collator.locale(); }
    // Forgets every cell; the next comparison reads afresh.
    void clear();
    // Forgets the top-level rows first..last.
    void forgetRows(int first, int last);

private:
    void select(const QAbstractItemModel* model, int column);
    void prepare(const QModelIndex& left, const QModelIndex& right);
    Entry& entry(const QModelIndex& index, Entry& scratch);
    void fill(const QModelIndex& index, Entry& entry);
    void ensureKey(const QModelIndex& index, Entry& entry);
    // The entry of a cell holding value, not keyed yet: its text is appended
    // to texts and copied to text where they are given.
    static Entry readEntry(const QVariant& value, QString* texts, QString* text);
    // The entry of a cell of column holding value, keyed. Runs on any thread
    // with its own collator and pattern.
    static Entry makeEntry(const QVariant& value, int column, const QCollator& collator,
                           QRegExp* addressPattern);
    // Without a pattern the address part is found by AddressPart().
    static void keyText(QString text, int column, const QCollator& collator,
                        QRegExp* addressPattern, Entry& entry);
    // The entries' ranks: by date-time or by the collation of their texts
    // (held in texts; in column 1 their address parts); empty when they mix both.
    static std::vector<int> rankEntries(const std::vector<Entry>& entries, const QString& texts,
                                        int column, const QCollator& collator);
    bool textLess(const Entry& left, const Entry& right) const;
    static bool holds(const Entry& entry, const QVariant& value, const QString& texts);

    QRegExp* m_pAddressPattern;
    QCollator m_collator;
    const QAbstractItemModel* m_model = nullptr;
    int m_column = -1;
    bool m_flat = false;
    std::vector<Entry> m_entries;
    // The texts of the entries back to back: one block rather than a string
    // kept per cell among the keys, which slowed the sort of a million rows.
    QString m_texts;
    // Position of each top-level cell in the column's order, equal cells
    // sharing one; empty unless rankColumn ran since the last change.
    std::vector<int> m_ranks;
};

#endif // SORTKEYCACHE_H
