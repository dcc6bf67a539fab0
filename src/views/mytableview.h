#ifndef MYTABLEVIEW_H
#define MYTABLEVIEW_H

#include "categorypanel_global.h"

#include <QTableView>

// A table view that reports its current row after every key press, so the page
// can follow the keyboard in its detail view. It keeps no state of its own.
class CATEGORYPANEL_EXPORT MytableView : public QTableView
{
    Q_OBJECT

public:
    explicit MytableView(QWidget* parent = nullptr);
    ~MytableView() override;

signals:
    // Declared for the page's connections; the view does not emit it.
    void showPreRowItems(int row);
    void showNextRowItems(QModelIndex index);

protected:
    // Emits showNextRowItems after the base handling, for every key.
    void keyPressEvent(QKeyEvent* event) override;
};

#endif // MYTABLEVIEW_H
