#include "failurenotice.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

FailureNotice::FailureNotice(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("failureNotice"));
    m_pText = new QLabel(this);
    m_pText->setObjectName(QStringLiteral("failureText"));
    m_pText->setWordWrap(true);
    m_pText->setTextFormat(Qt::PlainText);
    m_pText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_pText->setStyleSheet(QStringLiteral("color: #a8321e;"));
    // What failed and what to do next takes two lines in a normal window: the
    // status area's layout would otherwise give the band the height of one.
    m_pText->setMinimumHeight(2 * m_pText->fontMetrics().lineSpacing() + 2);
    m_pAction = new QPushButton(this);
    m_pAction->setObjectName(QStringLiteral("btnFailureAction"));
    m_pDismiss = new QToolButton(this);
    m_pDismiss->setObjectName(QStringLiteral("btnFailureDismiss"));
    m_pDismiss->setText(QStringLiteral("\u00d7"));
    m_pDismiss->setAutoRaise(true);
    m_pDismiss->setToolTip(tr("Dismiss this message"));
    setAttribute(Qt::WA_StyledBackground, true);
    setStyleSheet(
        QStringLiteral("FailureNotice { background: #fdecea; border-top: 1px solid #e6b3ab; }"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 4, 4);
    layout->addWidget(m_pText, 1);
    layout->addWidget(m_pAction);
    layout->addWidget(m_pDismiss);
    connect(m_pAction, &QPushButton::clicked, this, &FailureNotice::TriggerAction);
    connect(m_pDismiss, &QToolButton::clicked, this, &FailureNotice::Clear);
    hide();
}

void FailureNotice::Show(const QString& text, const QString& actionText,
                         std::function<void()> action)
{
    m_pText->setText(text);
    m_pText->setToolTip(text);
    m_action = std::move(action);
    m_pAction->setText(actionText);
    m_pAction->setVisible(!actionText.isEmpty() && m_action);
    show();
}

void FailureNotice::Clear()
{
    m_pText->clear();
    m_action = nullptr;
    hide();
}

QString FailureNotice::Text() const
{
    return isHidden() ? QString() : m_pText->text();
}

QString FailureNotice::ActionText() const
{
    return isHidden() || m_pAction->isHidden() ? QString() : m_pAction->text();
}

void FailureNotice::TriggerAction()
{
    // The action may show another notice: it runs on a copy.
    const std::function<void()> action = m_action;
    Clear();
    if (action)
        action();
}
