#include "switchbtnwidget.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

SwitchBtnWidget::SwitchBtnWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SwitchBtnWidget"));
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

SwitchBtnWidget::~SwitchBtnWidget() = default;

bool SwitchBtnWidget::isChecked() const
{
    return m_checked;
}

void SwitchBtnWidget::setChecked(bool checked)
{
    if (m_checked == checked)
        return;
    m_checked = checked;
    update();
}

QSize SwitchBtnWidget::sizeHint() const
{
    return QSize(40, 20);
}

QSize SwitchBtnWidget::minimumSizeHint() const
{
    return QSize(24, 12);
}

void SwitchBtnWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = track.height() / 2;
    QColor trackColor = m_checked ? QColor(52, 152, 219) : QColor(190, 190, 190);
    if (!isEnabled())
        trackColor = trackColor.lighter(130);
    painter.setPen(Qt::NoPen);
    painter.setBrush(trackColor);
    painter.drawRoundedRect(track, radius, radius);

    const qreal margin = 2;
    const qreal knob = track.height() - 2 * margin;
    const qreal x = m_checked ? track.right() - margin - knob : track.left() + margin;
    painter.setBrush(isEnabled() ? Qt::white : QColor(245, 245, 245));
    painter.drawEllipse(QRectF(x, track.top() + margin, knob, knob));

    if (hasFocus()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        painter.drawRoundedRect(track, radius, radius);
    }
}

void SwitchBtnWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && isEnabled()) {
        m_pressed = true;
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void SwitchBtnWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_pressed) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_pressed = false;
    event->accept();
    // Releasing outside the switch cancels the click, as with a push button.
    if (rect().contains(event->pos()))
        toggleByUser();
}

void SwitchBtnWidget::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        event->accept();
        toggleByUser();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SwitchBtnWidget::changeEvent(QEvent* event)
{
    // A disabled widget gets no release, so a press made before must not
    // complete a click after it is enabled again.
    if (event->type() == QEvent::EnabledChange)
        m_pressed = false;
    QWidget::changeEvent(event);
}

void SwitchBtnWidget::toggleByUser()
{
    if (!isEnabled())
        return;
    m_checked = !m_checked;
    update();
    emit clicked(m_checked);
}
