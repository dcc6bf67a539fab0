#include "phonelistwidget.h"

#include "phonepairer.h"
#include "phonepairingtask.h"
#include "phonewatcher.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int UdidRole = Qt::UserRole + 1;
} // namespace

PhoneListWidget::PhoneListWidget(QWidget* parent)
    : QWidget(parent), m_watcher(new PhoneWatcher(this)), m_pairing(new PhonePairingTask(this))
{
    setObjectName(QStringLiteral("PhoneListWidget"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* heading = new QLabel(tr("<b>Connected phones</b>"), this);
    heading->setObjectName(QStringLiteral("labelPhones"));
    m_pList = new QListWidget(this);
    m_pList->setObjectName(QStringLiteral("listPhones"));
    // The list is as narrow as the backup list: entries wrap instead of
    // hiding behind a horizontal scroll bar.
    m_pList->setWordWrap(true);
    m_pList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pList->setResizeMode(QListView::Adjust);
    m_pList->setToolTip(tr("Double-click a phone to back it up and scan it"));
    m_pState = new QLabel(this);
    m_pState->setObjectName(QStringLiteral("labelPhoneState"));
    m_pState->setWordWrap(true);
    m_pState->hide();
    m_pRetry = new QPushButton(tr("Try Again"), this);
    m_pRetry->setObjectName(QStringLiteral("btnPhoneRetry"));
    m_pRetry->hide();
    layout->addWidget(heading);
    layout->addWidget(m_pList, 1);
    layout->addWidget(m_pState);
    layout->addWidget(m_pRetry);

    connect(m_watcher, &PhoneWatcher::phonesChanged, this, &PhoneListWidget::Rebuild);
    connect(m_pList, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { Open(item->data(UdidRole).toByteArray()); });
    connect(m_pRetry, &QPushButton::clicked, this, [this]() { Open(m_opening); });
    connect(m_pairing, &PhonePairingTask::waiting, this, &PhoneListWidget::OnWaiting);
    connect(m_pairing, &PhonePairingTask::finished, this, &PhoneListWidget::OnPaired);
    Rebuild();
}

PhoneListWidget::~PhoneListWidget() = default;

bool PhoneListWidget::Start()
{
    return m_watcher->Start();
}

QList<PhoneInfo> PhoneListWidget::Phones() const
{
    return m_watcher->Phones();
}

void PhoneListWidget::SetTestPhone(const QByteArray& udid)
{
    m_testPhones.insert(udid);
    Rebuild();
}

QString PhoneListWidget::StateText() const
{
    return m_pState->isVisible() ? m_pState->text() : QString();
}

void PhoneListWidget::Rebuild()
{
    m_pList->clear();
    const QList<PhoneInfo> phones = m_watcher->Phones();
    for (const PhoneInfo& phone : phones) {
        QString text = phone.ShownName();
        if (m_testPhones.contains(phone.udid))
            text = tr("TEST PHONE (simulated): %1").arg(text);
        QStringList details;
        if (!phone.productType.isEmpty())
            details << phone.productType;
        if (!phone.productVersion.isEmpty())
            details << tr("iOS %1").arg(phone.productVersion);
        details << (phone.trusted ? tr("trusted") : tr("not trusted yet"));
        auto* item = new QListWidgetItem(
            text + QLatin1Char('\n') + details.join(QStringLiteral(", ")), m_pList);
        item->setData(UdidRole, phone.udid);
        item->setToolTip(QString::fromLatin1(phone.udid));
    }
    if (phones.isEmpty()) {
        auto* item =
            new QListWidgetItem(tr("No phone connected. Plug one in with its cable."), m_pList);
        item->setFlags(Qt::NoItemFlags);
    }
    emit phonesChanged();
}

void PhoneListWidget::SetState(const QString& text, bool retry)
{
    m_waiting = -1;
    m_pState->setText(text);
    m_pState->setVisible(!text.isEmpty());
    m_pRetry->setVisible(retry);
}

void PhoneListWidget::Open(const QByteArray& udid)
{
    if (udid.isEmpty() || m_pairing->IsRunning())
        return;
    m_opening = udid;
    SetState(tr("Connecting to the phone ..."), false);
    m_pairing->Start(udid, m_pairingTimeoutMs);
}

void PhoneListWidget::OnWaiting(int kind)
{
    if (kind == PhonePairer::WAITING_FOR_UNLOCK)
        SetState(tr("Unlock the phone with its passcode: it asks \"Trust This Computer?\" "
                    "once it is unlocked."),
                 false);
    else
        SetState(tr("The phone shows \"Trust This Computer?\". Tap \"Trust\" on the phone and "
                    "enter its passcode; this computer waits."),
                 false);
    m_waiting = kind;
}

void PhoneListWidget::OnPaired(int result, const QString& sentence)
{
    if (result != PhonePairer::PAIRED) {
        SetState(sentence, true);
        return;
    }
    SetState(QString(), false);
    m_watcher->Refresh(m_opening);
    for (PhoneInfo phone : m_watcher->Phones()) {
        if (phone.udid == m_opening) {
            phone.trusted = true;
            emit phoneOpened(phone);
            return;
        }
    }
    PhoneInfo phone;
    phone.udid = m_opening;
    phone.trusted = true;
    emit phoneOpened(phone);
}
