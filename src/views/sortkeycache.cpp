#include "views/sortkeycache.h"

#include <QAbstractItemModel>
#include <QLocale>
#include <QRegExp>

// localeAwareCompare collates with the system locale; so do the keys.
SortKeyCache::SortKeyCache(QRegExp* addressPattern)
    : m_pAddressPattern(addressPattern), m_collator(QLocale::system())
{
}

void SortKeyCache::clear()
{
    m_entries.clear();
    m_model = nullptr;
    m_column = -1;
    m_collator = QCollator(QLocale::system());
}

void SortKeyCache::forgetRows(int first, int last)
{
    const int end = qMin(last + 1, int(m_entries.size()));
    for (int row = qMax(first, 0); row < end; ++row)
        m_entries[size_t(row)] = Entry();
}

// Makes room for both cells before references into the table are taken.
void SortKeyCache::prepare(const QModelIndex& left, const QModelIndex& right)
{
    if (left.parent().isValid() || right.parent().isValid())
        return;
    if (left.model() != m_model || left.column() != m_column) {
        m_entries.clear();
        m_model = left.model();
        m_column = left.column();
    }
    const size_t needed = size_t(qMax(left.row(), right.row())) + 1;
    if (needed > m_entries.size())
        m_entries.resize(qMax(needed, size_t(m_model->rowCount())));
}

// Top-level cells of the cached column live in the table; any other cell is
// read into scratch for this one comparison.
SortKeyCache::Entry& SortKeyCache::entry(const QModelIndex& index, Entry& scratch)
{
    if (index.parent().isValid() || index.row() < 0) {
        fill(index, scratch);
        return scratch;
    }
    if (index.model() != m_model || index.column() != m_column) {
        fill(index, scratch);
        return scratch;
    }
    Entry& cached = m_entries[size_t(index.row())];
    if (!cached.filled)
        fill(index, cached);
    return cached;
}

void SortKeyCache::fill(const QModelIndex& index, Entry& entry)
{
    const QVariant value = index.model()->data(index, Qt::DisplayRole);
    entry.filled = true;
    entry.isDateTime = value.type() == QVariant::DateTime;
    if (entry.isDateTime)
        entry.dateTime = value.toDateTime();
    else
        makeKey(index, value, entry);
}

// The text as the comparison sees it: in column 1 the first address-like part
// alone. An empty text gets no key, since it compares by length alone.
void SortKeyCache::makeKey(const QModelIndex& index, const QVariant& value, Entry& entry)
{
    QString text = value.toString();
    // The pattern keeps the state of its last match; the proxy lives on one thread.
    if (index.column() == 1 && m_pAddressPattern->indexIn(text, 0) != -1)
        text = m_pAddressPattern->cap(1);
    entry.keyed = true;
    entry.emptyText = text.isEmpty();
    if (!entry.emptyText)
        entry.key = m_collator.sortKey(text);
}

// localeAwareCompare puts an empty text before any other and collates the rest.
bool SortKeyCache::textLess(const Entry& left, const Entry& right) const
{
    if (left.emptyText || right.emptyText)
        return left.emptyText && !right.emptyText;
    return left.key->compare(*right.key) < 0;
}

// A date-time on the left compares chronologically with whatever the right
// side converts to; everything else compares by text. Mixed columns are rare,
// so the other form of a cell is read only when a comparison needs it.
bool SortKeyCache::less(const QModelIndex& left, const QModelIndex& right)
{
    prepare(left, right);
    Entry leftScratch;
    Entry rightScratch;
    const Entry& l = entry(left, leftScratch);
    Entry& r = entry(right, rightScratch);
    if (l.isDateTime) {
        if (r.isDateTime)
            return l.dateTime < r.dateTime;
        return l.dateTime < right.model()->data(right, Qt::DisplayRole).toDateTime();
    }
    if (!r.keyed)
        makeKey(right, right.model()->data(right, Qt::DisplayRole), r);
    return textLess(l, r);
}
