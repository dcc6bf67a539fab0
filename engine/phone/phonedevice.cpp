#include "phonedevice.h"

#include "backupdevice.h"
#include "capturecode.h"
#include "contracts/mmobiletypes.h"
#include "merge/backupmerge.h"
#include "phonedatasource.h"
#include "phonerecovery.h"

#include <QStringList>

PhoneDevice::PhoneDevice(const PhoneInfo& info, const QString& destination)
    : m_info(info), m_destination(destination), m_job(info.udid, destination)
{
    const auto set = [this](int key, const QString& value) {
        if (!value.isEmpty())
            m_properties[key] = value.toUtf8();
    };
    set(PROP_DEVICE_NAME, info.name);
    set(PROP_PRODUCT_TYPE, info.productType);
    set(PROP_PRODUCT_VERSION, info.productVersion);
    set(MMobile::DEVICE_PROP_DISPLAY_NAME, info.ShownName());
    set(PROP_BACKUP_FOLDER, m_job.BackupFolder());
    set(PROP_UDID, QString::fromLatin1(info.udid));
    QStringList recoverable;
    for (int type = MMobile::MD_PHOTO; type <= int(MMobile::MD_REMINDER); ++type) {
        if (TakesBack(MMobile::MDType(type)))
            recoverable << QString::number(type);
    }
    set(MMobile::DEVICE_PROP_RECOVERABLE_TYPES, recoverable.join(QLatin1Char(',')));
    m_job.SetFinishedCallback([this](int code) { OnCaptured(code); });
}

PhoneDevice::~PhoneDevice()
{
    // The capture's thread calls back into this object: stop it first.
    m_job.Cancel();
    m_job.Join();
}

MMobile::ICategoryDataSource* PhoneDevice::GetDataSource(MMobile::MDType type)
{
    if ((type < MMobile::MD_PHOTO || type > MMobile::MD_WECHAT_MESSAGE) &&
        type != MMobile::MD_REMINDER)
        return nullptr;
    return new PhoneDataSource(*this, type);
}

const char* PhoneDevice::GetTextProperty(int key, int index)
{
    if (index != 0)
        return nullptr;
    const auto it = m_properties.find(key);
    return it == m_properties.end() ? nullptr : it->second.constData();
}

bool PhoneDevice::TakesBack(MMobile::MDType type) const
{
    // A page recovers the items its user ticked: only categories whose
    // scanned records know their rows can be merged item by item.
    const bool rowsKnown = type == MMobile::MD_CONTACT || type == MMobile::MD_MESSAGE ||
                           type == MMobile::MD_CALL_HISTORY || type == MMobile::MD_CALENDAR ||
                           type == MMobile::MD_REMINDER || type == MMobile::MD_NOTE ||
                           type == MMobile::MD_SAFARI_BOOKMARK || type == MMobile::MD_PHOTO ||
                           type == MMobile::MD_VOICE_MEMO || type == MMobile::MD_MESSAGE_ATTACHMENT;
    return rowsKnown && BackupMerge::Merges(int(type));
}

int PhoneDevice::Recover(const Request& request, const Report& report, QString& error)
{
    std::lock_guard<std::mutex> lock(m_recoveryMutex);
    PhoneRecovery recovery(m_info.udid, m_info.ShownName(), m_destination);
    const int code = recovery.Run(request, report);
    error = recovery.ErrorText();
    return code;
}

void PhoneDevice::OnCaptured(int code)
{
    if (code != CAPTURE_OK)
        return;
    std::function<void()> listener;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        // A new reader per capture: the pages of an earlier one keep theirs.
        m_backups.push_back(std::make_unique<BackupDevice>(m_job.BackupFolder()));
        m_declined = false;
        if (m_backups.back()->IsEncrypted())
            listener = m_passwordListener;
    }
    if (listener)
        listener();
}

BackupDevice* PhoneDevice::Backup()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_backups.empty() ? nullptr : m_backups.back().get();
}

void PhoneDevice::SetPasswordListener(std::function<void()> listener)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_passwordListener = std::move(listener);
}

bool PhoneDevice::NeedsPassword()
{
    BackupDevice* backup = Backup();
    return backup && backup->IsEncrypted() && !backup->IsUnlocked();
}

int PhoneDevice::Unlock(const QString& password)
{
    BackupDevice* backup = Backup();
    if (!backup)
        return BackupDevice::UNLOCK_DAMAGED;
    return backup->Unlock(password);
}

void PhoneDevice::DeclinePassword()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_declined = true;
}

bool PhoneDevice::PasswordDeclined() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_declined;
}
