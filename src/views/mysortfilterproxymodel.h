#ifndef MYSORTFILTERPROXYMODEL_H
#define MYSORTFILTERPROXYMODEL_H

#include "categorypanel_global.h"

#include <QSortFilterProxyModel>

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
class CATEGORYPANEL_EXPORT MySortFilterProxyModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit MySortFilterProxyModel(QObject* parent = nullptr);
    ~MySortFilterProxyModel() override;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    bool matchesFilter(const QString& text) const;
    QString sortText(const QModelIndex& index, const QVariant& value) const;

    QRegExp* m_pAddressPattern;
};

#endif // MYSORTFILTERPROXYMODEL_H
