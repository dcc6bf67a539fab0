#ifndef DELETEDMARKDELEGATE_H
#define DELETEDMARKDELEGATE_H

#include "photos/imagelistdelegate.h"

#include <QFont>

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
    // The font the grid draws `name` in: `base`, made smaller (down to 8
    // pixels) until the name fits the fixed box the grid writes names into.
    static QFont NameFont(const QFont& base, const QString& name);

private:
    RowTest m_isDeleted;
};

#endif // DELETEDMARKDELEGATE_H
