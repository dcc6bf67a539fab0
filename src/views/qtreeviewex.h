#ifndef QTREEVIEWEX_H
#define QTREEVIEWEX_H

#include "categorypanel_global.h"

#include <QTreeView>

// The tree-view counterpart of MytableView: reports the current index after
// every key press. Internal to the library; it keeps no state of its own.
class QTreeViewEX : public QTreeView
{
    Q_OBJECT

public:
    explicit QTreeViewEX(QWidget* parent = nullptr);
    ~QTreeViewEX() override;

signals:
    // Declared for the page's connections; the view does not emit it.
    void showPreRowItems(int row);
    void showNextRowItems(QModelIndex index);

protected:
    // Emits showNextRowItems after the base handling, for every key.
    void keyPressEvent(QKeyEvent* event) override;
};

#endif // QTREEVIEWEX_H
