#include "mywidget.h"

#include "mystatusbar.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QSizeGrip>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const int kDefaultTitleHeight = 32;
const int kShadowWidth = 8;
const int kIconSize = 16;

QPoint GlobalPos(const QMouseEvent* event)
{
#if QT_VERSION_MAJOR >= 6
    return event->globalPosition().toPoint();
#else
    return event->globalPos();
#endif
}

QToolButton* makeTitleButton(QWidget* parent, const char* name, QStyle::StandardPixmap pixmap,
                             const QString& tip)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIcon(parent->style()->standardIcon(pixmap));
    button->setToolTip(tip);
    return button;
}

} // namespace

MyWidget::MyWidget(QWidget* parent, bool shadow, unsigned int titleHeight, Qt::WindowFlags flags)
    : QDialog(parent, flags | Qt::FramelessWindowHint), m_shadow(shadow),
      m_minAllowed(flags.testFlag(Qt::WindowMinimizeButtonHint)),
      m_maxAllowed(flags.testFlag(Qt::WindowMaximizeButtonHint))
{
    if (m_shadow)
        setAttribute(Qt::WA_TranslucentBackground);

    auto* outer = new QVBoxLayout(this);
    outer->setSpacing(0);

    // The body carries the opaque background, so the shadow margin around it
    // can stay translucent.
    m_body = new QWidget(this);
    m_body->setObjectName(QStringLiteral("frameBody"));
    m_body->setAttribute(Qt::WA_StyledBackground);
    m_body->setAutoFillBackground(true);
    outer->addWidget(m_body);

    auto* bodyLayout = new QVBoxLayout(m_body);
    bodyLayout->setContentsMargins(1, 1, 1, 1);
    bodyLayout->setSpacing(0);

    m_titleBar = new QWidget(m_body);
    m_titleBar->setObjectName(QStringLiteral("titleBar"));
    m_titleBar->setAttribute(Qt::WA_StyledBackground);
    m_titleBar->setFixedHeight(titleHeight > 0 ? static_cast<int>(qMin(titleHeight, 512u))
                                               : kDefaultTitleHeight);
    m_titleBar->installEventFilter(this);
    auto* titleLayout = new QHBoxLayout(m_titleBar);
    titleLayout->setContentsMargins(8, 0, 4, 0);
    titleLayout->setSpacing(6);

    m_iconLabel = new QLabel(m_titleBar);
    m_iconLabel->setObjectName(QStringLiteral("lblIcon"));
    m_iconLabel->setFixedSize(kIconSize, kIconSize);
    m_iconLabel->hide();
    m_titleLabel = new QLabel(m_titleBar);
    m_titleLabel->setObjectName(QStringLiteral("lblTitle"));
    m_titleLabel->setTextFormat(Qt::PlainText);
    // Presses on the labels fall through to the title bar, which moves the window.
    m_iconLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_titleLabel->setAttribute(Qt::WA_TransparentForMouseEvents);

    m_minButton =
        makeTitleButton(m_titleBar, "btnMin", QStyle::SP_TitleBarMinButton, tr("Minimize"));
    m_maxButton =
        makeTitleButton(m_titleBar, "btnMax", QStyle::SP_TitleBarMaxButton, tr("Maximize"));
    m_closeButton =
        makeTitleButton(m_titleBar, "btnClose", QStyle::SP_TitleBarCloseButton, tr("Close"));

    titleLayout->addWidget(m_iconLabel);
    titleLayout->addWidget(m_titleLabel, 1);
    titleLayout->addWidget(m_minButton);
    titleLayout->addWidget(m_maxButton);
    titleLayout->addWidget(m_closeButton);

    m_clientWidget = new QWidget(m_body);
    m_clientWidget->setObjectName(QStringLiteral("clientWidget"));

    auto* bottom = new QHBoxLayout;
    bottom->setContentsMargins(0, 0, 0, 0);
    bottom->setSpacing(0);
    m_statusBar = new MyStatusBar(m_body);
    m_sizeGrip = new QSizeGrip(m_body);
    m_sizeGrip->setObjectName(QStringLiteral("sizeGrip"));
    bottom->addWidget(m_statusBar, 1);
    bottom->addWidget(m_sizeGrip, 0, Qt::AlignBottom | Qt::AlignRight);

    bodyLayout->addWidget(m_titleBar);
    bodyLayout->addWidget(m_clientWidget, 1);
    bodyLayout->addLayout(bottom);

    connect(m_minButton, &QToolButton::clicked, this, &QWidget::showMinimized);
    connect(m_maxButton, &QToolButton::clicked, this, &MyWidget::onMaxClicked);
    connect(m_closeButton, &QToolButton::clicked, this, &MyWidget::onCloseClicked);

    updateFrameMargins();
    updateTitleButtons();
}

MyWidget::~MyWidget() = default;

void MyWidget::setWindowTitle(const QString& title)
{
    QDialog::setWindowTitle(title);
    // changeEvent() updates the label too, but only once the title changed.
    m_titleLabel->setText(title);
}

void MyWidget::setRequestCloseEnable(bool enable)
{
    m_requestClose = enable;
}

bool MyWidget::isRequestCloseEnabled() const
{
    return m_requestClose;
}

MyStatusBar* MyWidget::getStatusBar()
{
    return m_statusBar;
}

QWidget* MyWidget::getClientWidget()
{
    return m_clientWidget;
}

void MyWidget::SetAppIcon(const QIcon& icon)
{
    setWindowIcon(icon);
    m_iconLabel->setPixmap(icon.pixmap(kIconSize, kIconSize));
    m_iconLabel->setVisible(!icon.isNull() && !m_titleLabel->isHidden());
}

void MyWidget::setOnlyShowCloseButton(bool only)
{
    m_onlyClose = only;
    updateTitleButtons();
}

void MyWidget::setMovingEnabled(bool enable)
{
    m_moving = enable;
    if (!enable)
        m_dragging = false;
}

void MyWidget::setResizeEnabled(bool enable)
{
    m_resize = enable;
    updateTitleButtons();
}

void MyWidget::setWindowIconAndTitleVisible(bool visible)
{
    m_titleLabel->setVisible(visible);
    m_iconLabel->setVisible(visible && !windowIcon().isNull());
}

void MyWidget::setFixedSizeWidget(bool fixed)
{
    m_fixedSize = fixed;
    if (fixed) {
        if (isVisible())
            applyFixedSize();
    } else {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    updateTitleButtons();
}

void MyWidget::setMenuButtonsHide()
{
    m_buttonsHidden = true;
    updateTitleButtons();
}

bool MyWidget::isMovingEnabled() const
{
    return m_moving;
}

bool MyWidget::isResizeEnabled() const
{
    return m_resize;
}

bool MyWidget::isFixedSizeWidget() const
{
    return m_fixedSize;
}

void MyWidget::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        onCloseClicked();
        return;
    }
    QDialog::keyPressEvent(event);
}

void MyWidget::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowTitleChange) {
        m_titleLabel->setText(windowTitle());
    } else if (event->type() == QEvent::WindowStateChange) {
        m_maxButton->setIcon(style()->standardIcon(isMaximized() ? QStyle::SP_TitleBarNormalButton
                                                                 : QStyle::SP_TitleBarMaxButton));
        m_maxButton->setToolTip(isMaximized() ? tr("Restore") : tr("Maximize"));
        updateFrameMargins();
        updateTitleButtons();
    }
    QDialog::changeEvent(event);
}

void MyWidget::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_fixedSize)
        applyFixedSize();
}

void MyWidget::paintEvent(QPaintEvent* event)
{
    if (!m_shadow || isMaximized()) {
        QDialog::paintEvent(event);
        return;
    }
    // Rings of falling opacity around the body.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect body = m_body->geometry();
    for (int i = 1; i <= kShadowWidth; ++i) {
        QColor color(0, 0, 0, 60 * (kShadowWidth - i + 1) / kShadowWidth / 2);
        painter.setPen(color);
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(body.adjusted(-i, -i, i - 1, i - 1), i, i);
    }
}

bool MyWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_titleBar)
        return QDialog::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && m_moving && !isMaximized()) {
            m_dragging = true;
            m_dragOffset = GlobalPos(mouse) - frameGeometry().topLeft();
            return true;
        }
        break;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (m_dragging && (mouse->buttons() & Qt::LeftButton)) {
            move(GlobalPos(mouse) - m_dragOffset);
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        if (m_dragging) {
            m_dragging = false;
            return true;
        }
        break;
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
            m_maxButton->isVisibleTo(this)) {
            onMaxClicked();
            return true;
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void MyWidget::onCloseClicked()
{
    if (m_requestClose) {
        emit sig_RequestCloseWindow();
        return;
    }
    close();
}

void MyWidget::onMaxClicked()
{
    if (m_fixedSize)
        return;
    if (isMaximized())
        showNormal();
    else
        showMaximized();
}

void MyWidget::updateTitleButtons()
{
    const bool extras = !m_buttonsHidden && !m_onlyClose;
    m_minButton->setVisible(extras && m_minAllowed);
    m_maxButton->setVisible(extras && m_maxAllowed && !m_fixedSize);
    m_closeButton->setVisible(!m_buttonsHidden);
    m_sizeGrip->setVisible(m_resize && !m_fixedSize && !isMaximized());
}

void MyWidget::updateFrameMargins()
{
    const int margin = (m_shadow && !isMaximized()) ? kShadowWidth : 0;
    layout()->setContentsMargins(margin, margin, margin, margin);
}

void MyWidget::applyFixedSize()
{
    setFixedSize(size());
}
