#include "hoststatusbar.h"

#include <QLabel>
#include <QPushButton>
#include <QStatusBar>

HostStatusBar::HostStatusBar(QStatusBar* bar) : QObject(bar), m_pBar(bar)
{
    m_pStatusLine = new QLabel(bar);
    m_pStatusLine->setObjectName(QStringLiteral("statusLine"));
    bar->addWidget(m_pStatusLine, 1);
    m_pRecoveryLine = new QLabel(bar);
    m_pRecoveryLine->setObjectName(QStringLiteral("recoveryLine"));
    m_pRecoveryLine->hide();
    bar->addPermanentWidget(m_pRecoveryLine);
    m_pSkippedLine = new QLabel(bar);
    m_pSkippedLine->setObjectName(QStringLiteral("skippedLine"));
    m_pSkippedLine->hide();
    bar->addPermanentWidget(m_pSkippedLine);
    m_pOpenRecovered = new QPushButton(tr("Open Folder"), bar);
    m_pOpenRecovered->setObjectName(QStringLiteral("btnOpenRecovered"));
    m_pOpenRecovered->setToolTip(tr("Open the folder the last recovery wrote into"));
    m_pOpenRecovered->hide();
    bar->addPermanentWidget(m_pOpenRecovered);
    connect(m_pOpenRecovered, &QPushButton::clicked, this, &HostStatusBar::openRecoveredRequested);
}

void HostStatusBar::SetText(const QString& text)
{
    m_pStatusLine->setText(text);
}

QString HostStatusBar::Text() const
{
    return m_pStatusLine->text();
}

void HostStatusBar::SetRecovery(const QString& summary, const QString& details, bool anyFile)
{
    m_pRecoveryLine->setText(summary);
    m_pRecoveryLine->setToolTip(details);
    m_pRecoveryLine->show();
    m_pOpenRecovered->setVisible(anyFile);
}

void HostStatusBar::SetSkipped(int total, const QString& tip)
{
    m_pSkippedLine->setText(total == 1 ? tr("1 damaged record was skipped")
                                       : tr("%1 damaged records were skipped").arg(total));
    m_pSkippedLine->setToolTip(tip);
    m_pSkippedLine->setVisible(total > 0);
}

QString HostStatusBar::SkippedText() const
{
    return m_pSkippedLine->isVisibleTo(m_pBar->window()) ? m_pSkippedLine->text() : QString();
}
