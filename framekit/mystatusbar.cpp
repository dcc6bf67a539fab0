#include "mystatusbar.h"

#include <QHBoxLayout>
#include <QLabel>

MyStatusBar::MyStatusBar(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("statusBar"));
    // Lets a style sheet paint the bar's background.
    setAttribute(Qt::WA_StyledBackground);
    setMinimumHeight(28);

    m_layout = new QHBoxLayout(this);
    m_layout->setContentsMargins(8, 2, 4, 2);
    m_layout->setSpacing(4);

    m_leftLabel = new QLabel(this);
    m_leftLabel->setObjectName(QStringLiteral("lblLeft"));
    m_leftLabel->setTextFormat(Qt::AutoText);
    m_layout->addWidget(m_leftLabel);
    m_layout->addStretch(1);
}

MyStatusBar::~MyStatusBar() = default;

void MyStatusBar::AddWidget(QWidget* widget)
{
    if (!widget || m_layout->indexOf(widget) >= 0)
        return;
    m_layout->addWidget(widget);
}

void MyStatusBar::SetLeftLable(const QString& text)
{
    m_leftLabel->setText(text);
}

QString MyStatusBar::leftLable() const
{
    return m_leftLabel->text();
}
