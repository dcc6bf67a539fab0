#include "views/myheaderview.h"

#include <QCheckBox>

MyHeaderView::MyHeaderView(QWidget* parent, Qt::Orientation orientation)
    : QHeaderView(orientation, parent), m_pCheckAllBox(new QCheckBox(this))
{
    m_pCheckAllBox->setTristate(true);
    m_pCheckAllBox->setCheckState(Qt::Checked);
    m_pCheckAllBox->setObjectName(QStringLiteral("checkAllBox"));
    m_pCheckAllBox->setToolTip(tr("CheckAll"));
    // Starts left of the header's edge so the box sits over column 0's check boxes.
    m_pCheckAllBox->setGeometry(-7, 5, 24, 24);
    m_pCheckAllBox->show();

    setSectionsClickable(true);
    setSectionResizeMode(QHeaderView::Interactive);
    setStyleSheet(QStringLiteral("QHeaderView::section {border-right:1px solid grey;}"));
    setStretchLastSection(true);
}

MyHeaderView::~MyHeaderView() = default;

void MyHeaderView::setCheckBoxState(Qt::CheckState state)
{
    m_pCheckAllBox->setCheckState(state);
}
