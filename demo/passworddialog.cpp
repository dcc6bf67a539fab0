#include "passworddialog.h"

#include "backupdevice.h"
#include "backupunlocker.h"
#include "contracts/mmobiletypes.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

PasswordDialog::PasswordDialog(BackupDevice& device, QWidget* parent)
    : QDialog(parent), m_device(device), m_unlocker(new BackupUnlocker(device, this))
{
    setObjectName(QStringLiteral("PasswordDialog"));
    setWindowTitle(tr("Encrypted backup"));
    QString name = QString::fromUtf8(device.GetTextProperty(MMobile::DEVICE_PROP_DISPLAY_NAME, 0));
    if (name.isEmpty())
        name = device.Folder();
    m_pPrompt = new QLabel(
        tr("The backup of \"%1\" is encrypted. Enter its backup password to open it.").arg(name),
        this);
    m_pPrompt->setObjectName(QStringLiteral("promptLabel"));
    m_pPrompt->setWordWrap(true);
    m_pPassword = new QLineEdit(this);
    m_pPassword->setObjectName(QStringLiteral("passwordEdit"));
    m_pPassword->setEchoMode(QLineEdit::Password);
    m_pMessage = new QLabel(this);
    m_pMessage->setObjectName(QStringLiteral("messageLabel"));
    m_pMessage->setStyleSheet(QStringLiteral("color: #b00020;"));
    m_pMessage->setWordWrap(true);
    m_pMessage->hide();
    m_pBusy = new QProgressBar(this);
    m_pBusy->setObjectName(QStringLiteral("busyBar"));
    m_pBusy->setRange(0, 0); // no steps to count: the derivation is one call
    m_pBusy->setTextVisible(false);
    m_pBusy->hide();
    m_pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    // The host ships no catalogue of Qt's own: the buttons take the host's words.
    m_pButtons->button(QDialogButtonBox::Ok)->setText(tr("Unlock"));
    m_pButtons->button(QDialogButtonBox::Cancel)->setText(tr("Cancel"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pPrompt);
    layout->addWidget(m_pPassword);
    layout->addWidget(m_pMessage);
    layout->addWidget(m_pBusy);
    layout->addWidget(m_pButtons);

    connect(m_pButtons, &QDialogButtonBox::accepted, this, &PasswordDialog::accept);
    connect(m_pButtons, &QDialogButtonBox::rejected, this, &PasswordDialog::reject);
    connect(m_unlocker, &BackupUnlocker::finished, this, &PasswordDialog::OnChecked);
    resize(380, sizeHint().height());
}

PasswordDialog::~PasswordDialog() = default;

void PasswordDialog::accept()
{
    if (m_device.IsUnlocked()) {
        QDialog::accept();
        return;
    }
    if (m_unlocker->IsRunning())
        return;
    SetBusy(true);
    m_unlocker->Start(m_pPassword->text());
}

void PasswordDialog::reject()
{
    // A running check is stopped first; its answer (cancelled) closes the
    // dialog, so that no check outlives it by the minutes a keybag may ask.
    if (m_unlocker->IsRunning()) {
        m_closing = true;
        m_pButtons->button(QDialogButtonBox::Cancel)->setEnabled(false);
        m_unlocker->Cancel();
        return;
    }
    QDialog::reject();
}

void PasswordDialog::OnChecked(int result)
{
    SetBusy(false);
    if (std::exchange(m_closing, false) && result != BackupDevice::UNLOCK_OK) {
        m_pButtons->button(QDialogButtonBox::Cancel)->setEnabled(true);
        QDialog::reject();
        return;
    }
    m_pPassword->clear();
    switch (result) {
    case BackupDevice::UNLOCK_OK:
        QDialog::accept();
        return;
    case BackupDevice::UNLOCK_WRONG_PASSWORD:
        m_pMessage->setText(tr("Wrong password"));
        break;
    default:
        m_pMessage->setText(tr("The backup's keys are damaged (backup error 3)."));
        m_pPassword->setEnabled(false);
        m_pButtons->button(QDialogButtonBox::Ok)->setEnabled(false);
        break;
    }
    m_pMessage->show();
    GrowToFit();
    m_pPassword->setFocus();
}

void PasswordDialog::GrowToFit()
{
    // The message takes a line: the wrapped prompt must not lose one for it.
    layout()->activate();
    const int needed = heightForWidth(width());
    if (needed > height())
        resize(width(), needed);
}

void PasswordDialog::SetBusy(bool busy)
{
    m_pBusy->setVisible(busy);
    m_pPassword->setEnabled(!busy);
    m_pButtons->button(QDialogButtonBox::Ok)->setEnabled(!busy);
    if (busy)
        m_pMessage->hide();
}
