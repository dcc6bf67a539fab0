#ifndef MYWIDGET_H
#define MYWIDGET_H

#include "framekit_global.h"

#include <QDialog>
#include <QPoint>

class QHBoxLayout;
class QIcon;
class QLabel;
class QSizeGrip;
class QToolButton;
class MyStatusBar;

// A frameless dialog window that draws its own frame: a title bar (icon,
// title, minimise / maximise / close buttons), a client widget on which a
// subclass builds its form, and a MyStatusBar below it. The frame owns all
// three; whatever is built on the client widget belongs to it.
//
// The close button (and Escape) closes the window, or, after
// setRequestCloseEnable(true), only emits sig_RequestCloseWindow() and leaves
// closing to whoever listens.
class FRAMEKIT_EXPORT MyWidget : public QDialog
{
    Q_OBJECT

public:
    // `shadow`: the window gets a translucent margin with a soft shadow
    // around its frame (not while maximised). `titleHeight`: height of the
    // title bar in pixels, 0 for the default. The minimise and maximise buttons
    // are offered when `flags` hold Qt::WindowMinimizeButtonHint and
    // Qt::WindowMaximizeButtonHint; Qt::FramelessWindowHint is always added.
    explicit MyWidget(QWidget* parent = nullptr, bool shadow = false, unsigned int titleHeight = 0,
                      Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint |
                                              Qt::WindowSystemMenuHint |
                                              Qt::WindowMinimizeButtonHint |
                                              Qt::WindowMaximizeButtonHint |
                                              Qt::WindowCloseButtonHint);
    ~MyWidget() override;

    // Sets the window title, which the title bar shows (it follows titles set
    // through QWidget too).
    void setWindowTitle(const QString& title);
    void setRequestCloseEnable(bool enable);
    bool isRequestCloseEnabled() const;
    MyStatusBar* getStatusBar();
    QWidget* getClientWidget();

    virtual void SetAppIcon(const QIcon& icon);
    // True hides the minimise and maximise buttons.
    virtual void setOnlyShowCloseButton(bool only);
    // Dragging the title bar moves the window (on by default).
    virtual void setMovingEnabled(bool enable);
    // Shows a size grip at the end of the status bar (on by default).
    virtual void setResizeEnabled(bool enable);
    virtual void setWindowIconAndTitleVisible(bool visible);
    // True keeps the window at the size it has when shown (or now, when
    // visible): no maximising, no resizing.
    virtual void setFixedSizeWidget(bool fixed);
    // Hides every title bar button; Escape and code can still close.
    virtual void setMenuButtonsHide();

    bool isMovingEnabled() const;
    bool isResizeEnabled() const;
    bool isFixedSizeWidget() const;

signals:
    void sig_RequestCloseWindow();

protected:
    // Escape acts like the close button; other keys go to QDialog. A
    // subclass handling keys of its own calls this last.
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onCloseClicked();
    void onMaxClicked();
    void updateTitleButtons();
    void updateFrameMargins();
    void applyFixedSize();

    QWidget* m_body = nullptr;
    QWidget* m_titleBar = nullptr;
    QLabel* m_iconLabel = nullptr;
    QLabel* m_titleLabel = nullptr;
    QToolButton* m_minButton = nullptr;
    QToolButton* m_maxButton = nullptr;
    QToolButton* m_closeButton = nullptr;
    QWidget* m_clientWidget = nullptr;
    MyStatusBar* m_statusBar = nullptr;
    QSizeGrip* m_sizeGrip = nullptr;

    bool m_shadow = false;
    bool m_minAllowed = false;
    bool m_maxAllowed = false;
    bool m_requestClose = false;
    bool m_onlyClose = false;
    bool m_buttonsHidden = false;
    bool m_moving = true;
    bool m_resize = true;
    bool m_fixedSize = false;
    bool m_dragging = false;
    QPoint m_dragOffset;
};

#endif // MYWIDGET_H
