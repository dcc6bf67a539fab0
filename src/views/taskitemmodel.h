#ifndef TASKITEMMODEL_H
#define TASKITEMMODEL_H

#include "categorypanel_global.h"

#include <QAbstractTableModel>

class TaskItem;

// Shows the records of one category store as a table: one row per record, the
// columns of the store's category, a check box in column 0, deleted records in
// orange and the others in grey, striped rows and centred cells. The store is
// borrowed: whoever set it keeps it alive while the model refers to it.
//
// Rows address records by their position in the store: row r shows record r.
// The row count is the store's number of search-marked records, taken when
// the store is set and not followed afterwards. The two agree while every
// search mark is set, as after a fill; a page that shows search results keeps
// the marks set for the model and filters through a proxy, or hides rows
// itself (TaskItem::CheckIdxHide). Handed a store with cleared marks, the
// table shows that many records from the start of the store.
//
// Only the listed columns exist: the calendar's and the reminders' note texts
// have no section of their own, so headerData and data answer nothing past the
// last column, as for every other category.
class CATEGORYPANEL_EXPORT TaskItemModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit TaskItemModel(QObject* parent = nullptr, bool briefContact = false);
    ~TaskItemModel() override;

    // Resets the model onto `item` and takes its row count.
    void setCurrentTypeItems(TaskItem* item);
    TaskItem* getCurrentItem();
    // Ticks or unticks every record the store lets change, then repaints all views.
    void CheckAll(int state);
    QModelIndex CreateModelIndexByRow(int row) const;

    QModelIndex index(int row, int column,
                      const QModelIndex& parent = QModelIndex()) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    void itemCheckedChanged(QModelIndex index);
    // Not emitted here; for the pages that derive from this model.
    void selectAllCheckedChanged();

private:
    // Reads the cells of a column on a worker, from the store's records.
    friend class ColumnSnapshot;

    QVariant cellText(int row, int column) const;

    TaskItem* m_pItems;
    qint32 m_nRowCount;
    // The columns of the store's category, taken with the store: a sort asks
    // for them twice per comparison.
    qint32 m_nColumnCount = 0;
    bool m_bBriefContact;
};

#endif // TASKITEMMODEL_H
