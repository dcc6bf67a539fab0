#include "phonehost.h"

#include "../backupunlocker.h"
#include "../passworddialog.h"
#include "backupdevice.h"
#include "phonecapturebar.h"
#include "phonedevice.h"
#include "phonelistwidget.h"

#include <QMetaObject>

PhoneHost::PhoneHost(QWidget* window, const QString& backupFolder)
    : QObject(window), m_window(window), m_backupFolder(backupFolder),
      m_pList(new PhoneListWidget(window)), m_pBar(new PhoneCaptureBar(window))
{
}

PhoneHost::~PhoneHost()
{
    Close();
}

void PhoneHost::Close()
{
    m_pBar->Watch(nullptr);
    m_device.reset();
}

void PhoneHost::Open(const PhoneInfo& phone)
{
    Close();
    m_device = std::make_unique<PhoneDevice>(phone, m_backupFolder);
    // Called on the capture's thread, which the device joins when it goes
    // (before this host does); the dialog is the GUI thread's.
    PhoneDevice* device = m_device.get();
    device->SetPasswordListener([this, device]() {
        QMetaObject::invokeMethod(
            this,
            [this, device]() {
                if (m_device.get() == device)
                    AskPassword();
            },
            Qt::QueuedConnection);
    });
    m_pBar->Watch(device);
}

PhoneDevice* PhoneHost::Target()
{
    const QList<PhoneInfo> phones = m_pList->Phones();
    if (phones.isEmpty())
        return nullptr;
    for (const PhoneInfo& phone : phones) {
        if (m_device && m_device->Info().udid == phone.udid)
            return m_device.get();
    }
    std::unique_ptr<PhoneDevice>& target = m_targets[phones.first().udid];
    if (!target)
        target = std::make_unique<PhoneDevice>(phones.first(), m_backupFolder);
    return target.get();
}

void PhoneHost::AskPassword()
{
    BackupDevice* backup = m_device ? m_device->Backup() : nullptr;
    if (!backup || !m_device->NeedsPassword())
        return;
    bool unlocked = false;
    if (!m_password.isEmpty())
        unlocked = BackupUnlocker::UnlockAndWait(*backup, m_password) == BackupDevice::UNLOCK_OK;
    else
        unlocked = PasswordDialog(*backup, m_window).exec() == QDialog::Accepted;
    // Without the password the pages end with the locked backup's error.
    if (!unlocked && m_device)
        m_device->DeclinePassword();
}
