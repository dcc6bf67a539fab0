#ifndef SWITCHBTNWIDGET_H
#define SWITCHBTNWIDGET_H

#include "framekit_global.h"

#include <QWidget>

// An on/off switch painted as a rounded track with a knob: left is off, right
// is on. A click (press and release inside) or Space while focused flips it
// and emits clicked() with the new state; a disabled switch ignores both.
class FRAMEKIT_EXPORT SwitchBtnWidget : public QWidget
{
    Q_OBJECT

public:
    explicit SwitchBtnWidget(QWidget* parent = nullptr);
    ~SwitchBtnWidget() override;

    bool isChecked() const;
    // Changes the state without emitting clicked().
    void setChecked(bool checked);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void clicked(bool checked);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void toggleByUser();

    bool m_checked = false;
    bool m_pressed = false;
};

#endif // SWITCHBTNWIDGET_H
