#include "phonecapturebar.h"

#include "capturecode.h"
#include "phonedevice.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

PhoneCaptureBar::PhoneCaptureBar(QWidget* parent)
    : QWidget(parent), m_pText(new QLabel(this)), m_pBar(new QProgressBar(this)),
      m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("PhoneCaptureBar"));
    m_pText->setObjectName(QStringLiteral("labelCapture"));
    m_pBar->setObjectName(QStringLiteral("progressCapture"));
    m_pBar->setRange(0, 100);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->addWidget(m_pText, 1);
    layout->addWidget(m_pBar, 1);
    m_timer->setInterval(200);
    connect(m_timer, &QTimer::timeout, this, &PhoneCaptureBar::Update);
    hide();
}

void PhoneCaptureBar::Watch(PhoneDevice* phone)
{
    m_phone = phone;
    if (phone)
        m_timer->start();
    else
        m_timer->stop();
    Update();
}

int PhoneCaptureBar::Percent() const
{
    return m_pBar->value();
}

QString PhoneCaptureBar::Text() const
{
    return m_pText->text();
}

void PhoneCaptureBar::Update()
{
    if (!m_phone) {
        hide();
        return;
    }
    const CaptureJob::Snapshot now = m_phone->Capture().Now();
    const QString name = m_phone->Info().ShownName();
    if (now.state == CaptureJob::IDLE) {
        hide();
        return;
    }
    if (now.state == CaptureJob::DONE) {
        m_pText->setText(tr("Backup of %1 complete").arg(name));
        m_pBar->setValue(100);
    } else if (now.state == CaptureJob::FAILED) {
        m_pText->setText(now.code == CAPTURE_CANCELLED
                             ? tr("Backup of %1 stopped").arg(name)
                             : tr("Backup of %1 failed (error %2)").arg(name).arg(now.code));
    } else {
        switch (now.stage) {
        case BackupCapture::STAGE_WAITING_FOR_TRUST:
            m_pText->setText(tr("\"Trust This Computer?\" is showing on %1").arg(name));
            break;
        case BackupCapture::STAGE_WAITING_FOR_UNLOCK:
            m_pText->setText(tr("Unlock %1 with its passcode").arg(name));
            break;
        case BackupCapture::STAGE_RECEIVING:
            m_pText->setText(tr("Backing up %1 ... %2%").arg(name).arg(now.percent));
            break;
        default:
            m_pText->setText(tr("%1 prepares its backup ...").arg(name));
            break;
        }
        m_pBar->setValue(now.percent);
    }
    show();
}
