#include "views/qtreeviewex.h"

QTreeViewEX::QTreeViewEX(QWidget* parent) : QTreeView(parent) {}

QTreeViewEX::~QTreeViewEX() = default;

void QTreeViewEX::keyPressEvent(QKeyEvent* event)
{
    QTreeView::keyPressEvent(event);
    emit showNextRowItems(currentIndex());
}
