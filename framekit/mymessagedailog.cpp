#include "mymessagedailog.h"

#include "mystatusbar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const int kIconSize = 40;

// The type icons are drawn, so the kit needs no picture files.
QPixmap typeIcon(MyMessageDailog::MESSAGE_TYPE type, qreal ratio)
{
    QPixmap pixmap(QSize(kIconSize, kIconSize) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);

    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box(2, 2, kIconSize - 4, kIconSize - 4);
    QPen mark(Qt::white, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);

    switch (type) {
    case MyMessageDailog::MESSAGE_SUCCESS:
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(46, 160, 67));
        painter.drawEllipse(box);
        painter.setPen(mark);
        painter.drawPolyline(QPolygonF({QPointF(11, 21), QPointF(17, 27), QPointF(29, 14)}));
        break;
    case MyMessageDailog::MESSAGE_WARNING: {
        QPainterPath triangle;
        triangle.moveTo(kIconSize / 2.0, 3);
        triangle.lineTo(kIconSize - 2, kIconSize - 4);
        triangle.lineTo(2, kIconSize - 4);
        triangle.closeSubpath();
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(230, 160, 0));
        painter.drawPath(triangle);
        painter.setPen(mark);
        painter.drawLine(QPointF(20, 15), QPointF(20, 25));
        painter.drawPoint(QPointF(20, 31));
        break;
    }
    case MyMessageDailog::MESSAGE_ERROR:
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(210, 50, 45));
        painter.drawEllipse(box);
        painter.setPen(mark);
        painter.drawLine(QPointF(13, 13), QPointF(27, 27));
        painter.drawLine(QPointF(27, 13), QPointF(13, 27));
        break;
    case MyMessageDailog::MESSAGE_INFORMATION:
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(40, 120, 210));
        painter.drawEllipse(box);
        painter.setPen(mark);
        painter.drawPoint(QPointF(20, 12));
        painter.drawLine(QPointF(20, 19), QPointF(20, 29));
        break;
    }
    return pixmap;
}

bool isKnownType(int type)
{
    return type >= MyMessageDailog::MESSAGE_INFORMATION && type <= MyMessageDailog::MESSAGE_ERROR;
}

} // namespace

MyMessageDailog::MyMessageDailog(QWidget* parent, bool shadow)
    : MyWidget(parent, shadow, 0,
               Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("MyMessageDailog"));
    setModal(true);
    setOnlyShowCloseButton(true);
    setResizeEnabled(false);
    getStatusBar()->hide();
    // The window follows the size of its message.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    QWidget* client = getClientWidget();
    // The answer buttons come before the title bar's among the dialog's
    // children, so tools that walk the buttons in order meet OK first.
    client->lower();

    m_iconLabel = new QLabel(client);
    m_iconLabel->setObjectName(QStringLiteral("lblMessageIcon"));
    m_iconLabel->setFixedSize(kIconSize, kIconSize);
    m_iconLabel->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    m_textLabel = new QLabel(client);
    m_textLabel->setObjectName(QStringLiteral("lblMessage"));
    m_textLabel->setTextFormat(Qt::RichText);
    m_textLabel->setMinimumWidth(260);
    m_textLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    m_okButton = new QPushButton(tr("OK"), client);
    m_okButton->setObjectName(QStringLiteral("btnOk"));
    m_okButton->setDefault(true);
    m_cancelButton = new QPushButton(tr("Cancel"), client);
    m_cancelButton->setObjectName(QStringLiteral("btnCancel"));

    auto* message = new QHBoxLayout;
    message->setSpacing(16);
    message->addWidget(m_iconLabel, 0, Qt::AlignTop);
    message->addWidget(m_textLabel, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_cancelButton);

    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->setSpacing(16);
    layout->addLayout(message);
    layout->addLayout(buttons);

    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    setMessageType(MESSAGE_INFORMATION);
}

MyMessageDailog::~MyMessageDailog() = default;

void MyMessageDailog::setMessageType(MESSAGE_TYPE type)
{
    m_type = isKnownType(type) ? type : MESSAGE_INFORMATION;
    m_iconLabel->setPixmap(typeIcon(m_type, devicePixelRatioF()));
}

void MyMessageDailog::setMessageText(const QString& text)
{
    m_textLabel->setText(text);
}

void MyMessageDailog::setBtnText(const QString& okText, const QString& cancelText)
{
    if (!okText.isEmpty())
        m_okButton->setText(okText);
    if (!cancelText.isEmpty())
        m_cancelButton->setText(cancelText);
}

void MyMessageDailog::setCancelBtnHide()
{
    m_cancelButton->hide();
}

void MyMessageDailog::setOpenUrl()
{
    m_textLabel->setOpenExternalLinks(true);
    m_textLabel->setTextInteractionFlags(Qt::TextBrowserInteraction);
}

MyMessageDailog::MESSAGE_TYPE MyMessageDailog::messageType() const
{
    return m_type;
}

QString MyMessageDailog::messageText() const
{
    return m_textLabel->text();
}

QString MyMessageDailog::okButtonText() const
{
    return m_okButton->text();
}

QString MyMessageDailog::cancelButtonText() const
{
    return m_cancelButton->text();
}

bool MyMessageDailog::isCancelButtonHidden() const
{
    return m_cancelButton->isHidden();
}

bool MyMessageDailog::isOpenUrl() const
{
    return m_textLabel->openExternalLinks();
}
