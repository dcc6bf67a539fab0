#ifndef DELETEDMARKDELEGATE_H
#define DELETEDMARKDELEGATE_H

#include "photos/imagelistdelegate.h"

#include <functional>

// The photo grid's delegate with deleted files marked: an orange frame and
// a "Deleted" corner badge over the library's cell, and the deleted state
// in the cell's tool tip. Whether a grid row is deleted is asked of the page
// through a function, as the library's store keeps no deleted mark.
class DeletedMarkDelegate : public ImageListDelegate
{
    Q_OBJECT

public:
    using RowTest = std::function<bool(int row)>;

    DeletedMarkDelegate(QObject* parent, const QString& skinFolder, RowTest isDeleted);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

    // The tool tip of a cell: its name and date, and whether it was deleted.
    static QString ToolTip(const QString& name, bool deleted);

private:
    RowTest m_isDeleted;
};

#endif // DELETEDMARKDELEGATE_H
