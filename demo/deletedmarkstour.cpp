#include "deletedmarkstour.h"

#include "pages/demophotopage.h"
#include "pages/demotablepage.h"
#include "pages/gridfilter.h"
#include "pages/reminderspage.h"
#include "pages/reminderstreemodel.h"

#include "photos/imagelistitmmodel.h"
#include "views/mysortfilterproxymodel.h"

#include <QColor>
#include <QCoreApplication>
#include <QListView>
#include <QMouseEvent>
#include <QTreeView>

namespace {

// The tables' and the tree's colour of a deleted item.
const QColor kDeletedText(243, 161, 89);

DeletedMarksTour::Seen Table(DemoTablePage* page)
{
    DeletedMarksTour::Seen seen{page->VisibleRowCount(), 0, false};
    QAbstractItemModel* rows = page->proxyModel();
    for (int row = 0; row < rows->rowCount(); ++row)
        seen.marked += rows->index(row, 0).data(Qt::ForegroundRole).value<QColor>() == kDeletedText;
    return seen;
}

DeletedMarksTour::Seen Tree(RemindersPage* page)
{
    DeletedMarksTour::Seen seen{0, 0, false};
    RemindersTreeModel* model = page->treeModel();
    for (TreeItem* leaf : model->Leaves()) {
        const QModelIndex index = model->IndexOf(leaf);
        if (page->treeView()->isRowHidden(index.row(), index.parent()))
            continue;
        ++seen.shown;
        seen.marked += index.data(Qt::ForegroundRole).value<QColor>() == kDeletedText;
    }
    return seen;
}

DeletedMarksTour::Seen Grid(DemoPhotoPage* page)
{
    DeletedMarksTour::Seen seen{0, 0, false};
    QListView* grid = page->gridView();
    for (int row = 0; row < grid->model()->rowCount(); ++row) {
        const QModelIndex index = grid->model()->index(row, 0);
        if (grid->isRowHidden(row) || index.data(ImageListItmModel::TitleRole).toBool())
            continue;
        ++seen.shown;
        seen.marked += page->filter()->IsDeletedRow(row);
    }
    return seen;
}

} // namespace

bool DeletedMarksTour::PressSwitch(QWidget* page)
{
    // The search bar's switch is a widget of the kit, pressed as a user does.
    QWidget* toggle =
        page ? page->findChild<QWidget*>(QStringLiteral("btnOnlyShowDelete")) : nullptr;
    if (!toggle)
        return false;
    const QPointF centre = QRectF(toggle->rect()).center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(
            type, centre, QPointF(toggle->mapToGlobal(centre.toPoint())), Qt::LeftButton,
            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(toggle, &event);
    }
    return true;
}

DeletedMarksTour::Seen DeletedMarksTour::Walk(CategoryPanel* page, const QString& screenshot)
{
    if (!PressSwitch(page))
        return Seen();
    QCoreApplication::processEvents();
    Seen seen;
    if (auto* table = qobject_cast<DemoTablePage*>(page))
        seen = Table(table);
    else if (auto* reminders = qobject_cast<RemindersPage*>(page))
        seen = Tree(reminders);
    else if (auto* files = qobject_cast<DemoPhotoPage*>(page))
        seen = Grid(files);
    seen.saved = !screenshot.isEmpty() && page->grab().save(screenshot);
    PressSwitch(page);
    QCoreApplication::processEvents();
    return seen;
}
