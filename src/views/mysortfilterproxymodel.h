#ifndef MYSORTFILTERPROXYMODEL_H
#define MYSORTFILTERPROXYMODEL_H

#include "categorypanel_global.h"

#include <QSortFilterProxyModel>
#include <QVector>

#include <memory>

class QRegExp;
class SortKeyCache;

// Sorts and filters a TaskItemModel for its view, and stripes the rows by their
// visible position so the stripes stay regular after sorting and filtering.
//
// The filter expression set through the base class (a QRegExp, a fixed string,
// a wildcard or a QRegularExpression) is matched against the display texts of
// columns 0 and 1; the filter key column and role play no part. Sorting
// compares date-times chronologically, the e-mail part alone of column-1 texts
// that hold an address, and everything else as QString::localeAwareCompare does.
// The proxy owns its compiled address pattern and its key cache; the source
// model is the owner's. Under Qt 6, whose base class keeps QRegularExpression
// filters only, the proxy keeps a QRegExp filter itself (QRegExp from Qt's
// Core5Compat module), with the same rules.
//
// Speed on large tables:
// - Each top-level cell of the sort column is read once and turned into a
//   collation key, kept until the source reports a change. Before a full sort
//   (sort(), a source reset or layout change) the cells are ranked by their
//   keys, so the base class's comparisons compare two integers; other
//   comparisons compare keys. The order is the one localeAwareCompare gives,
//   ties kept in source order. A source reset thus costs one read of the
//   column and one sort on ranks, not a read of two records per comparison;
//   cells whose text the reset left as it was keep their keys (and, when none
//   changed, their ranks), so the check-all box collates nothing again.
// - The base class removes the rows a new filter rejects one run at a time and
//   rebuilds its whole mapping after each run. For a flat source (a table or a
//   list model) the filter setters below instead rebuild the mapping once, so a
//   filter change reaches views as one layout change rather than as row
//   removals and insertions; selections of rows still shown are kept.
// - The first sort of a large flat source (kBackgroundRows rows or more)
//   reads, keys and ranks the column on a worker thread; sort() returns at
//   once, and the order is swapped in (one layout change) when the ranks are
//   back, unless the source changed or another sort was asked for meanwhile.
//   Until then the proxy keeps its old order, sortColumn() included. A
//   TaskItemModel's cells are read on the worker from the store's records
//   (the store stops the reading before it lets go of them); another model's
//   cells are read on the GUI thread first.
class CATEGORYPANEL_EXPORT MySortFilterProxyModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    // From this many rows on, a first sort ranks on a worker thread.
    static const int kBackgroundRows = 20000;

    explicit MySortFilterProxyModel(QObject* parent = nullptr);
    ~MySortFilterProxyModel() override;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    void setSourceModel(QAbstractItemModel* sourceModel) override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

public slots:
    // The base class's setters of the same names, applied in one pass.
    void setFilterRegExp(const QString& pattern);
    void setFilterRegExp(const QRegExp& regExp);
    void setFilterWildcard(const QString& pattern);
    void setFilterFixedString(const QString& pattern);
    void setFilterRegularExpression(const QString& pattern);
    void setFilterRegularExpression(const QRegularExpression& regularExpression);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    bool matchesFilter(const QString& text) const;
    QRegExp regExpFilter() const;
    template <class Apply> void changeFilter(Apply apply);
    void forgetKeys();
    bool canRank(int column) const;
    void rankSortColumn(int column);
    bool startBackgroundSort(int column, Qt::SortOrder order);
    void cancelBackgroundSort();

    QRegExp* m_pAddressPattern;
    std::unique_ptr<SortKeyCache> m_keys;
    // While a filter setter runs: the top-level rows shown before it, so the
    // base class sees no change until the mapping is rebuilt in one go.
    QVector<char> m_heldRows;
    bool m_holdFilter = false;
    QList<QMetaObject::Connection> m_sourceConnections;
#if QT_VERSION_MAJOR >= 6
    std::unique_ptr<QRegExp> m_pRegExpFilter;
    void applyRegExpFilter(const QRegExp& regExp);
#endif
};

#endif // MYSORTFILTERPROXYMODEL_H
