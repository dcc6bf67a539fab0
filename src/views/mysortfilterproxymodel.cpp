#include "views/mysortfilterproxymodel.h"

#include "store/itemreaders.h"
#include "views/columnsnapshot.h"
#include "views/sortkeycache.h"

#include <QAbstractListModel>
#include <QAbstractTableModel>
#include <QColor>
#include <QFutureWatcher>
#include <QMutex>
#include <QMutexLocker>
#include <QRegExp>
#include <QRegularExpression>
#include <QtConcurrent/QtConcurrentRun>

#include <unordered_map>
#include <utility>

namespace {

// The ranking under way on a worker for a proxy: a source change makes it
// stale, a newer request replaces it. Kept beside the proxies rather than in
// them, so that the class keeps the layout that plug-ins were built against.
struct BackgroundSort
{
    QFutureWatcherBase* watcher = nullptr;
    bool stale = false;
};

enum class Outcome { Replaced, Stale, Current };

QMutex& BackgroundLock()
{
    static QMutex lock;
    return lock;
}

std::unordered_map<const QObject*, BackgroundSort>& BackgroundSorts()
{
    static std::unordered_map<const QObject*, BackgroundSort> table;
    return table;
}

void SetBackground(const QObject* proxy, QFutureWatcherBase* watcher)
{
    QMutexLocker lock(&BackgroundLock());
    BackgroundSorts()[proxy] = BackgroundSort{watcher, false};
}

void MarkBackgroundStale(const QObject* proxy)
{
    QMutexLocker lock(&BackgroundLock());
    auto it = BackgroundSorts().find(proxy);
    if (it != BackgroundSorts().end())
        it->second.stale = true;
}

// What became of the ranking of watcher, which is then no longer under way.
Outcome TakeBackground(const QObject* proxy, QFutureWatcherBase* watcher)
{
    QMutexLocker lock(&BackgroundLock());
    auto it = BackgroundSorts().find(proxy);
    if (it == BackgroundSorts().end() || it->second.watcher != watcher)
        return Outcome::Replaced;
    const bool stale = it->second.stale;
    BackgroundSorts().erase(it);
    return stale ? Outcome::Stale : Outcome::Current;
}

// Ends whatever is under way for proxy and returns its watcher.
QFutureWatcherBase* DropBackground(const QObject* proxy)
{
    QMutexLocker lock(&BackgroundLock());
    auto it = BackgroundSorts().find(proxy);
    if (it == BackgroundSorts().end())
        return nullptr;
    QFutureWatcherBase* watcher = it->second.watcher;
    BackgroundSorts().erase(it);
    return watcher;
}

} // namespace

MySortFilterProxyModel::MySortFilterProxyModel(QObject* parent)
    : QSortFilterProxyModel(parent),
      m_pAddressPattern(
          new QRegExp(QStringLiteral("([\\w\\.]*@[\\w\\.]*)"), Qt::CaseSensitive, QRegExp::RegExp)),
      m_keys(new SortKeyCache(m_pAddressPattern))
#if QT_VERSION_MAJOR >= 6
      ,
      m_pRegExpFilter(new QRegExp)
#endif
{
#if QT_VERSION_MAJOR >= 6
    // As Qt 5's base class does with the QRegExp it keeps.
    connect(this, &QSortFilterProxyModel::filterCaseSensitivityChanged, this,
            [this](Qt::CaseSensitivity sensitivity) {
                m_pRegExpFilter->setCaseSensitivity(sensitivity);
            });
#endif
}

MySortFilterProxyModel::~MySortFilterProxyModel()
{
    DropBackground(this);
    m_keys.reset();
    delete m_pAddressPattern;
}

QVariant MySortFilterProxyModel::data(const QModelIndex& index, int role) const
{
    if (role == Qt::BackgroundRole) {
        if (!index.isValid())
            return QVariant();
        return index.row() % 2 == 0 ? QColor(242, 242, 242, 255) : QColor(255, 255, 255, 255);
    }
    return QSortFilterProxyModel::data(index, role);
}

void MySortFilterProxyModel::forgetKeys()
{
    MarkBackgroundStale(this);
    m_keys->clear();
}

// The key cache must hear of a source change before the base class re-sorts
// on it, so its connections are made before the base class makes its own.
void MySortFilterProxyModel::setSourceModel(QAbstractItemModel* source)
{
    for (const QMetaObject::Connection& connection : qAsConst(m_sourceConnections))
        disconnect(connection);
    m_sourceConnections.clear();
    cancelBackgroundSort();
    forgetKeys();
    if (source) {
        using Model = QAbstractItemModel;
        m_sourceConnections << connect(
            source, &Model::dataChanged, this,
            [this](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
                if (!topLeft.parent().isValid()) {
                    MarkBackgroundStale(this);
                    m_keys->forgetRows(topLeft.row(), bottomRight.row());
                }
            });
        auto forget = [this] { forgetKeys(); };
        // After these the base class sorts every row again, if it keeps an
        // order: the cells are read again, and only changed ones get new keys.
        auto refresh = [this] {
            MarkBackgroundStale(this);
            if (dynamicSortFilter() && canRank(sortColumn()))
                m_keys->refreshColumn(sourceModel(), sortColumn());
            else
                forgetKeys();
        };
        m_sourceConnections << connect(source, &Model::rowsInserted, this, forget)
                            << connect(source, &Model::rowsRemoved, this, forget)
                            << connect(source, &Model::rowsMoved, this, forget)
                            << connect(source, &Model::columnsInserted, this, forget)
                            << connect(source, &Model::columnsRemoved, this, forget)
                            << connect(source, &Model::columnsMoved, this, forget)
                            << connect(source, &Model::layoutChanged, this, refresh)
                            << connect(source, &Model::modelReset, this, refresh);
    }
    QSortFilterProxyModel::setSourceModel(source);
}

// The base class keeps either a QRegExp (setFilterRegExp, setFilterFixedString,
// setFilterWildcard) or a QRegularExpression (setFilterRegularExpression); the
// one holding a pattern is the one in effect. Without a pattern every text matches.
QRegExp MySortFilterProxyModel::regExpFilter() const
{
#if QT_VERSION_MAJOR >= 6
    return *m_pRegExpFilter;
#else
    return filterRegExp();
#endif
}

bool MySortFilterProxyModel::matchesFilter(const QString& text) const
{
    const QRegExp regExp = regExpFilter();
    if (!regExp.pattern().isEmpty())
        return regExp.indexIn(text) != -1;
    const QRegularExpression regularExpression = filterRegularExpression();
    if (!regularExpression.pattern().isEmpty())
        return regularExpression.match(text).hasMatch();
    return true;
}

bool MySortFilterProxyModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    if (m_holdFilter)
        return sourceRow >= 0 && sourceRow < m_heldRows.size() && m_heldRows.at(sourceRow);
    const QAbstractItemModel* source = sourceModel();
    if (!source)
        return false;
    // An empty expression matches every text: nothing to read.
    if (regExpFilter().pattern().isEmpty() && filterRegularExpression().pattern().isEmpty())
        return true;
    const QModelIndex first = source->index(sourceRow, 0, sourceParent);
    if (matchesFilter(source->data(first, Qt::DisplayRole).toString()))
        return true;
    // A one-column source gives an invalid index here and so an empty text.
    const QModelIndex second = source->index(sourceRow, 1, sourceParent);
    return matchesFilter(source->data(second, Qt::DisplayRole).toString());
}

// Applies a filter setter of the base class. For a flat source the rows shown
// now are held while the base class compares old and new filter, so it finds
// nothing to remove or insert; one rebuild of the mapping then tests each row
// once and tells views with a single layout change.
template <class Apply> void MySortFilterProxyModel::changeFilter(Apply apply)
{
    QAbstractItemModel* source = sourceModel();
    const bool flat =
        qobject_cast<QAbstractTableModel*>(source) || qobject_cast<QAbstractListModel*>(source);
    if (!flat || columnCount() == 0) {
        apply();
        return;
    }
    m_heldRows.fill(0, source->rowCount());
    const int shown = rowCount();
    for (int row = 0; row < shown; ++row) {
        const int sourceRow = mapToSource(index(row, 0)).row();
        if (sourceRow >= 0 && sourceRow < m_heldRows.size())
            m_heldRows[sourceRow] = 1;
    }
    m_holdFilter = true;
    apply();
    m_holdFilter = false;
    m_heldRows.clear();
    m_heldRows.squeeze();
    invalidate();
}

#if QT_VERSION_MAJOR >= 6
// The QRegExp replaces any QRegularExpression of the base class, and its case
// sensitivity becomes the proxy's, as in Qt 5.
void MySortFilterProxyModel::applyRegExpFilter(const QRegExp& regExp)
{
    QSortFilterProxyModel::setFilterRegularExpression(QRegularExpression());
    setFilterCaseSensitivity(regExp.caseSensitivity());
    *m_pRegExpFilter = regExp;
    invalidateFilter();
}

void MySortFilterProxyModel::setFilterRegExp(const QString& pattern)
{
    changeFilter(
        [&] { applyRegExpFilter(QRegExp(pattern, filterCaseSensitivity(), QRegExp::RegExp)); });
}

void MySortFilterProxyModel::setFilterRegExp(const QRegExp& regExp)
{
    changeFilter([&] { applyRegExpFilter(regExp); });
}

void MySortFilterProxyModel::setFilterWildcard(const QString& pattern)
{
    changeFilter([&] {
        *m_pRegExpFilter = QRegExp();
        QSortFilterProxyModel::setFilterWildcard(pattern);
    });
}

void MySortFilterProxyModel::setFilterFixedString(const QString& pattern)
{
    changeFilter([&] {
        *m_pRegExpFilter = QRegExp();
        QSortFilterProxyModel::setFilterFixedString(pattern);
    });
}

void MySortFilterProxyModel::setFilterRegularExpression(const QString& pattern)
{
    changeFilter([&] {
        *m_pRegExpFilter = QRegExp();
        QSortFilterProxyModel::setFilterRegularExpression(pattern);
    });
}

void MySortFilterProxyModel::setFilterRegularExpression(const QRegularExpression& regularExpression)
{
    changeFilter([&] {
        *m_pRegExpFilter = QRegExp();
        QSortFilterProxyModel::setFilterRegularExpression(regularExpression);
    });
}
#else
void MySortFilterProxyModel::setFilterRegExp(const QString& pattern)
{
    changeFilter([&] { QSortFilterProxyModel::setFilterRegExp(pattern); });
}

void MySortFilterProxyModel::setFilterRegExp(const QRegExp& regExp)
{
    changeFilter([&] { QSortFilterProxyModel::setFilterRegExp(regExp); });
}

void MySortFilterProxyModel::setFilterWildcard(const QString& pattern)
{
    changeFilter([&] { QSortFilterProxyModel::setFilterWildcard(pattern); });
}

void MySortFilterProxyModel::setFilterFixedString(const QString& pattern)
{
    changeFilter([&] { QSortFilterProxyModel::setFilterFixedString(pattern); });
}

void MySortFilterProxyModel::setFilterRegularExpression(const QString& pattern)
{
    changeFilter([&] { QSortFilterProxyModel::setFilterRegularExpression(pattern); });
}

void MySortFilterProxyModel::setFilterRegularExpression(const QRegularExpression& regularExpression)
{
    changeFilter([&] { QSortFilterProxyModel::setFilterRegularExpression(regularExpression); });
}
#endif

// A proxy column can be ranked as the source column of the same number when
// the proxy shows every source column, so the two are the same (otherwise the
// comparisons read the cells as they go).
bool MySortFilterProxyModel::canRank(int column) const
{
    const QAbstractItemModel* source = sourceModel();
    if (!source || column < 0 || column >= source->columnCount())
        return false;
    // Asks the filter rather than the mapping, which may be out of date while
    // the source resets.
    for (int sourceColumn = 0; sourceColumn < source->columnCount(); ++sourceColumn) {
        if (!filterAcceptsColumn(sourceColumn, QModelIndex()))
            return false;
    }
    return true;
}

void MySortFilterProxyModel::rankSortColumn(int column)
{
    if (canRank(column))
        m_keys->rankColumn(sourceModel(), column);
}

// Reading a record is a chain of pointer hops into the engine's items, and a
// sort compares every row about log2(n) times: the rows are read and ranked
// once, then the base class sorts on the ranks.
void MySortFilterProxyModel::sort(int column, Qt::SortOrder order)
{
    cancelBackgroundSort();
    // The base class ignores a request for the order it already keeps up.
    if (!(dynamicSortFilter() && sortColumn() == column && sortOrder() == order)) {
        if (startBackgroundSort(column, order))
            return;
        rankSortColumn(column);
    }
    QSortFilterProxyModel::sort(column, order);
}

// Reading and collating a large column is all of a first sort but the final
// order: a table model's cells are read on the worker from the records (the
// store cancels the reading before it lets go of them); another model's cells
// are read here. The GUI thread then takes the ranks and sorts on them.
bool MySortFilterProxyModel::startBackgroundSort(int column, Qt::SortOrder order)
{
    QAbstractItemModel* source = sourceModel();
    const bool flat =
        qobject_cast<QAbstractTableModel*>(source) || qobject_cast<QAbstractListModel*>(source);
    if (!flat || !canRank(column) || source->rowCount() < kBackgroundRows ||
        m_keys->hasRanks(source, column))
        return false;
    // Shared, so that the result reaches this thread without a copy.
    using Prepared = std::shared_ptr<SortKeyCache::Prepared>;
    auto prepared = std::make_shared<SortKeyCache::Prepared>();
    prepared->model = source;
    prepared->column = column;
    const QLocale locale = m_keys->locale();
    std::function<Prepared()> prepare;
    auto snapshot = std::make_shared<ColumnSnapshot>();
    if (ColumnSnapshot::Take(source, column, *snapshot)) {
        prepare = [prepared, snapshot, locale] {
            ItemReaders::Reader& reader = snapshot->Reader();
            const bool read = reader.Enter() &&
                              SortKeyCache::Read(
                                  snapshot->Rows(), [&](int row) { return snapshot->Cell(row); },
                                  [&] { return reader.Cancelled(); }, *prepared);
            reader.Leave();
            if (read)
                SortKeyCache::KeyAndRank(locale, *prepared);
            return prepared;
        };
    } else {
        // Read here into a block of texts of its own, which the worker keys.
        SortKeyCache::Read(
            source->rowCount(),
            [source, column](int row) {
                return source->data(source->index(row, column), Qt::DisplayRole);
            },
            [] { return false; }, *prepared);
        prepare = [prepared, locale] {
            SortKeyCache::KeyAndRank(locale, *prepared);
            return prepared;
        };
    }
    auto* watcher = new QFutureWatcher<Prepared>(this);
    SetBackground(this, watcher);
    connect(watcher, &QFutureWatcher<Prepared>::finished, this, [this, watcher, column, order] {
        watcher->deleteLater();
        const Outcome outcome = TakeBackground(this, watcher);
        if (outcome == Outcome::Replaced)
            return;
        const Prepared prepared = watcher->result();
        if (outcome == Outcome::Stale || !prepared->complete) {
            // The cells changed meanwhile, or the store let go of
            // the records: read them again.
            sort(column, order);
            return;
        }
        m_keys->adopt(std::move(*prepared));
        QSortFilterProxyModel::sort(column, order);
    });
    watcher->setFuture(QtConcurrent::run(prepare));
    return true;
}

// The worker's result is dropped; the worker itself runs out on its own.
void MySortFilterProxyModel::cancelBackgroundSort()
{
    if (QFutureWatcherBase* watcher = DropBackground(this)) {
        watcher->disconnect(this);
        watcher->deleteLater();
    }
}

// Called about n log n times per sort: no more than the cache's own test.
bool MySortFilterProxyModel::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    bool answer = false;
    if (m_keys->lessByRank(left, right, answer))
        return answer;
    if (!left.model() || !right.model())
        return false;
    return m_keys->less(left, right);
}
