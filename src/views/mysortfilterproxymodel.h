#ifndef MYSORTFILTERPROXYMODEL_H
#define MYSORTFILTERPROXYMODEL_H

#include "categorypanel_global.h"

#include <QSortFilterProxyModel>
#include <QVector>

class QRegExp;

// Sorts and filters a TaskItemModel for its view, and stripes the rows by their
// visible position so the stripes stay regular after sorting and filtering.
//
// The filter expression set through the base class (a QRegExp, a fixed string,
// a wildcard or a QRegularExpression) is matched against the display texts of
// columns 0 and 1; the filter key column and role play no part. Sorting
// compares date-times chronologically, the e-mail part alone of column-1 texts
// that hold an address, and everything else with QString::localeAwareCompare.
// The proxy owns its compiled address pattern; the source model is the owner's.
//
// Reading a record is a chain of pointer hops into the engine's items, and a
// sort compares every row about log2(n) times, so sort() reads each top-level
// row of the sort column once into a table that lives only while that sort
// runs. The comparison itself is unchanged, so the order is the same as when
// the base class re-sorts on its own (after a source change or an
// invalidate()), which reads the rows for every comparison.
class CATEGORYPANEL_EXPORT MySortFilterProxyModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit MySortFilterProxyModel(QObject* parent = nullptr);
    ~MySortFilterProxyModel() override;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    // What lessThan compares of one cell.
    struct SortValue
    {
        QVariant value;
        QString text;
    };

    bool matchesFilter(const QString& text) const;
    QString sortText(const QModelIndex& index, const QVariant& value) const;
    SortValue sortValue(const QModelIndex& sourceIndex) const;
    const SortValue* cachedSortValue(const QModelIndex& sourceIndex) const;
    static bool less(const SortValue& left, const SortValue& right);

    QRegExp* m_pAddressPattern;
    // Filled by sort() for its own run only; empty otherwise.
    QVector<SortValue> m_sortValues;
    int m_nSortValuesColumn;
};

#endif // MYSORTFILTERPROXYMODEL_H
