#ifndef MYSTATUSBAR_H
#define MYSTATUSBAR_H

#include "framekit_global.h"

#include <QWidget>

class QHBoxLayout;
class QLabel;

// The bar at the bottom of a MyWidget frame: a text on the left, then the
// widgets added to it, in the order added, at its right end. Added widgets
// become children of the bar and are deleted with it.
class FRAMEKIT_EXPORT MyStatusBar : public QWidget
{
    Q_OBJECT

public:
    explicit MyStatusBar(QWidget* parent = nullptr);
    ~MyStatusBar() override;

    // A null widget, or one already in the bar, is ignored.
    void AddWidget(QWidget* widget);
    void SetLeftLable(const QString& text);
    QString leftLable() const;

private:
    QHBoxLayout* m_layout = nullptr;
    QLabel* m_leftLabel = nullptr;
};

#endif // MYSTATUSBAR_H
