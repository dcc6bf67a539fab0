#include "views/sortkeycache.h"

#include "views/sortkeyblock.h"

#include <QAbstractListModel>
#include <QAbstractTableModel>
#include <QLocale>
#include <QRegExp>

#include <algorithm>

// localeAwareCompare collates with the system locale; so do the keys.
SortKeyCache::SortKeyCache(QRegExp* addressPattern)
    : m_pAddressPattern(addressPattern), m_collator(QLocale())
{
}

void SortKeyCache::clear()
{
    m_entries.clear();
    m_texts.clear();
    m_ranks.clear();
    m_model = nullptr;
    m_flat = false;
    m_column = -1;
    // The language the host chose (QLocale::setDefault), as localeAwareCompare has it.
    m_collator = QCollator(QLocale());
}

void SortKeyCache::forgetRows(int first, int last)
{
    m_ranks.clear();
    const int end = qMin(last + 1, int(m_entries.size()));
    for (int row = qMax(first, 0); row < end; ++row)
        m_entries[size_t(row)] = Entry();
}

void SortKeyCache::select(const QAbstractItemModel* model, int column)
{
    m_entries.clear();
    m_texts.clear();
    m_ranks.clear();
    m_model = model;
    m_column = column;
    // Cells of a table or list model have no children, so no parent to ask.
    m_flat = qobject_cast<const QAbstractTableModel*>(model) ||
             qobject_cast<const QAbstractListModel*>(model);
}

// A full sort is coming: every cell is read, the cells are ordered once by
// their keys here, and each comparison of the sort then compares two ranks.
// Equal cells share a rank, so the sort keeps them in source order as before.
// A column that mixes date-times and texts has no total order to rank by; its
// cells are compared one pair at a time.
void SortKeyCache::rankColumn(const QAbstractItemModel* model, int column)
{
    if (!model || column < 0 || column >= model->columnCount())
        return;
    if (model != m_model || column != m_column)
        select(model, column);
    const int rows = model->rowCount();
    if (m_ranks.size() == size_t(rows) && rows > 0)
        return;
    m_entries.resize(size_t(rows));
    for (int row = 0; row < rows; ++row) {
        Entry& cached = m_entries[size_t(row)];
        // The ranking keys the texts themselves: a cell compared before
        // without keeping its text is read again.
        if (!cached.filled || (!cached.isDateTime && cached.textSize < 0))
            cached = readEntry(model->data(model->index(row, column), Qt::DisplayRole), &m_texts,
                               nullptr);
    }
    m_ranks = rankEntries(m_entries, m_texts, column, m_collator);
}

// Equal cells share a rank, so a sort on ranks keeps them in source order.
std::vector<int> SortKeyCache::rankEntries(const std::vector<Entry>& entries, const QString& texts,
                                           int column, const QCollator& collator)
{
    size_t dateTimes = 0;
    for (const Entry& entry : entries)
        dateTimes += entry.isDateTime;
    if (entries.empty() || (dateTimes != 0 && dateTimes != entries.size()))
        return {};
    std::vector<int> ranks(entries.size(), 0);
    if (dateTimes != 0) {
        std::vector<int> order(entries.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = int(i);
        auto dateLess = [&entries](int l, int r) {
            return entries[size_t(l)].dateTime < entries[size_t(r)].dateTime;
        };
        std::stable_sort(order.begin(), order.end(), dateLess);
        for (size_t i = 1; i < order.size(); ++i)
            ranks[size_t(order[i])] =
                ranks[size_t(order[i - 1])] + (dateLess(order[i - 1], order[i]) ? 1 : 0);
        return ranks;
    }
    // Empty texts (no key) share the first rank; the others are keyed
    // together in one block, in the order of the rows.
    SortKeyBlock block(collator);
    block.reserve(entries.size());
    std::vector<int> keyedRows;
    keyedRows.reserve(entries.size());
    for (size_t row = 0; row < entries.size(); ++row) {
        const Entry& entry = entries[row];
        const QStringView text = QStringView(texts).mid(entry.textAt, qMax(entry.textSize, 0));
        if (column == 1) {
            const QString address = AddressPart(text.toString());
            if (address.isEmpty())
                continue;
            block.append(address);
        } else if (text.isEmpty()) {
            continue;
        } else {
            block.append(text);
        }
        keyedRows.push_back(int(row));
    }
    const std::vector<int> keyed = block.ranks(keyedRows.size() < entries.size() ? 1 : 0);
    for (size_t i = 0; i < keyed.size(); ++i)
        ranks[size_t(keyedRows[i])] = keyed[i];
    return ranks;
}

bool SortKeyCache::Read(int rows, const CellReader& cell, const std::function<bool()>& stop,
                        Prepared& prepared)
{
    prepared.entries.resize(size_t(qMax(rows, 0)));
    for (int row = 0; row < rows; ++row) {
        if (stop())
            return false;
        prepared.entries[size_t(row)] = readEntry(cell(row), &prepared.texts, nullptr);
    }
    return true;
}

// The cells were read first and are keyed here in one run, into one block.
// The entries themselves get no key: a comparison that needs one makes it.
void SortKeyCache::KeyAndRank(const QLocale& locale, Prepared& prepared)
{
    prepared.ranks =
        rankEntries(prepared.entries, prepared.texts, prepared.column, QCollator(locale));
    prepared.complete = true;
}

void SortKeyCache::adopt(Prepared&& prepared)
{
    select(prepared.model, prepared.column);
    m_entries = std::move(prepared.entries);
    m_texts = std::move(prepared.texts);
    m_ranks = std::move(prepared.ranks);
}

// A reset (the check-all box does one) mostly leaves the texts as they were:
// each cell is read once, and only a changed one costs a new key. When none
// changed, the ranks stand and the base class's sort compares them at once.
void SortKeyCache::refreshColumn(const QAbstractItemModel* model, int column)
{
    if (!model || column < 0 || column >= model->columnCount())
        return;
    const int rows = model->rowCount();
    if (model != m_model || column != m_column || m_entries.size() != size_t(rows)) {
        clear();
        rankColumn(model, column);
        return;
    }
    // The texts still held move to a new block, so changed ones leave no waste.
    QString texts;
    texts.swap(m_texts);
    m_texts.reserve(texts.size());
    bool changed = false;
    for (int row = 0; row < rows; ++row) {
        const QModelIndex index = model->index(row, column);
        const QVariant value = model->data(index, Qt::DisplayRole);
        Entry& cached = m_entries[size_t(row)];
        if (cached.filled && holds(cached, value, texts)) {
            if (cached.textSize >= 0) {
                const int at = m_texts.size();
                m_texts.append(texts.constData() + cached.textAt, cached.textSize);
                cached.textAt = at;
            }
            continue;
        }
        cached = readEntry(value, &m_texts, nullptr);
        changed = true;
    }
    if (changed || m_ranks.size() != size_t(rows))
        m_ranks.clear();
    rankColumn(model, column);
}

// Whether a cell read again still has the value its entry was made from.
bool SortKeyCache::holds(const Entry& entry, const QVariant& value, const QString& texts)
{
    if (value.userType() == QMetaType::QDateTime)
        return entry.isDateTime && entry.dateTime == value.toDateTime();
    return !entry.isDateTime && entry.textSize >= 0 &&
           QStringView(texts).mid(entry.textAt, entry.textSize) == value.toString();
}

// Makes room for both cells before references into the table are taken.
void SortKeyCache::prepare(const QModelIndex& left, const QModelIndex& right)
{
    if (!(m_flat && left.model() == m_model) &&
        (left.parent().isValid() || right.parent().isValid()))
        return;
    if (left.model() != m_model || left.column() != m_column)
        select(left.model(), left.column());
    const size_t needed = size_t(qMax(left.row(), right.row())) + 1;
    if (needed > m_entries.size())
        m_entries.resize(qMax(needed, size_t(m_model->rowCount())));
}

// Top-level cells of the cached column live in the table; any other cell is
// read into scratch for this one comparison.
SortKeyCache::Entry& SortKeyCache::entry(const QModelIndex& index, Entry& scratch)
{
    const bool topLevel = (m_flat && index.model() == m_model) || !index.parent().isValid();
    if (!topLevel || index.row() < 0) {
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
    entry = makeEntry(index.model()->data(index, Qt::DisplayRole), index.column(), m_collator,
                      m_pAddressPattern);
}

// A ranked cell keeps its text but no key until a comparison asks for one.
void SortKeyCache::ensureKey(const QModelIndex& index, Entry& entry)
{
    if (entry.keyed)
        return;
    const QString text = !entry.isDateTime && entry.textSize >= 0
                             ? m_texts.mid(entry.textAt, entry.textSize)
                             : index.model()->data(index, Qt::DisplayRole).toString();
    keyText(text, index.column(), m_collator, m_pAddressPattern, entry);
}

SortKeyCache::Entry SortKeyCache::readEntry(const QVariant& value, QString* texts, QString* text)
{
    Entry entry;
    entry.filled = true;
    entry.isDateTime = value.userType() == QMetaType::QDateTime;
    if (entry.isDateTime) {
        entry.dateTime = value.toDateTime();
        return entry;
    }
    const QString read = value.toString();
    if (texts) {
        entry.textAt = texts->size();
        entry.textSize = read.size();
        *texts += read;
    }
    if (text)
        *text = read;
    return entry;
}

SortKeyCache::Entry SortKeyCache::makeEntry(const QVariant& value, int column,
                                            const QCollator& collator, QRegExp* addressPattern)
{
    QString text;
    Entry entry = readEntry(value, nullptr, &text);
    if (!entry.isDateTime)
        keyText(std::move(text), column, collator, addressPattern, entry);
    return entry;
}

// The text as the comparison sees it: in column 1 the first address-like part
// alone. An empty text gets no key, since it compares by length alone.
void SortKeyCache::keyText(QString text, int column, const QCollator& collator,
                           QRegExp* addressPattern, Entry& entry)
{
    if (column == 1) {
        if (!addressPattern)
            text = AddressPart(text);
        else if (addressPattern->indexIn(text, 0) != -1)
            text = addressPattern->cap(1);
    }
    entry.keyed = true;
    entry.emptyText = text.isEmpty();
    if (!entry.emptyText)
        entry.key = collator.sortKey(text);
}

// What the address pattern "([\w\.]*@[\w\.]*)" captures of its first match,
// found without QRegExp: a QRegExp made and dropped on a worker passes its
// compiled pattern to the GUI thread's next one through Qt's process-wide
// cache. Its first match starts where the run of word characters and dots
// before the first '@' starts, and runs on over those after it; QRegExp's \w
// is a letter, a number, a mark or '_'.
QString SortKeyCache::AddressPart(const QString& text)
{
    const int at = text.indexOf(QLatin1Char('@'));
    if (at < 0)
        return text;
    const auto inAddress = [](QChar c) {
        return c.isLetterOrNumber() || c.isMark() || c == QLatin1Char('_') || c == QLatin1Char('.');
    };
    int first = at;
    while (first > 0 && inAddress(text.at(first - 1)))
        --first;
    int end = at + 1;
    while (end < text.size() && inAddress(text.at(end)))
        ++end;
    return text.mid(first, end - first);
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
    if (!m_ranks.empty() && left.model() == m_model && left.column() == m_column &&
        right.column() == m_column &&
        (m_flat || (!left.parent().isValid() && !right.parent().isValid()))) {
        const size_t l = size_t(left.row());
        const size_t r = size_t(right.row());
        if (l < m_ranks.size() && r < m_ranks.size())
            return m_ranks[l] < m_ranks[r];
    }
    prepare(left, right);
    Entry leftScratch;
    Entry rightScratch;
    Entry& l = entry(left, leftScratch);
    Entry& r = entry(right, rightScratch);
    if (l.isDateTime) {
        if (r.isDateTime)
            return l.dateTime < r.dateTime;
        return l.dateTime < right.model()->data(right, Qt::DisplayRole).toDateTime();
    }
    ensureKey(left, l);
    ensureKey(right, r);
    return textLess(l, r);
}
