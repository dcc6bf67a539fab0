#include "views/mytableview.h"

MytableView::MytableView(QWidget* parent) : QTableView(parent) {}

MytableView::~MytableView() = default;

void MytableView::keyPressEvent(QKeyEvent* event)
{
    QTableView::keyPressEvent(event);
    emit showNextRowItems(currentIndex());
}
