#ifndef MYHEADERVIEW_H
#define MYHEADERVIEW_H

#include "categorypanel_global.h"

#include <QHeaderView>

class QCheckBox;

// A horizontal header with a tri-state check-all box over the check boxes of
// column 0. The box is a child of the header and dies with it. Nothing is
// connected here: the page finds the box by its object name "checkAllBox" and
// drives it through the setCheckBoxState slot.
class CATEGORYPANEL_EXPORT MyHeaderView : public QHeaderView
{
    Q_OBJECT

public:
    explicit MyHeaderView(QWidget* parent = nullptr, Qt::Orientation orientation = Qt::Horizontal);
    ~MyHeaderView() override;

private slots:
    void setCheckBoxState(Qt::CheckState state);

private:
    QCheckBox* m_pCheckAllBox;
};

#endif // MYHEADERVIEW_H
