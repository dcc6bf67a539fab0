#include "backupdevice.h"

#include "backupdatasource.h"
#include "backupmanifest.h"
#include "contracts/mmobiletypes.h"
#include "crypto/encryptedbackup.h"
#include "crypto/secretbytes.h"
#include "itemgetter.h"

#include <QDir>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <openssl/crypto.h>

namespace {
Q_LOGGING_CATEGORY(lcDevice, "mmobileengine")
} // namespace

BackupDevice::BackupDevice(const QString& folder)
    : m_folder(folder), m_encryption(std::make_unique<EncryptedBackup>(folder))
{
    const QVariantMap info =
        BackupManifest::ReadPlist(folder, QStringLiteral("Info.plist")).toMap();
    const auto set = [this, &info](int key, const char* name) {
        const QString value = info.value(QLatin1String(name)).toString();
        if (!value.isEmpty())
            m_properties[key] = value.toUtf8();
    };
    set(PROP_DEVICE_NAME, "Device Name");
    set(PROP_PRODUCT_TYPE, "Product Type");
    set(PROP_PRODUCT_VERSION, "Product Version");
    set(PROP_SERIAL_NUMBER, "Serial Number");
    set(MMobile::DEVICE_PROP_DISPLAY_NAME, "Display Name");
    if (!m_properties.count(MMobile::DEVICE_PROP_DISPLAY_NAME) &&
        m_properties.count(PROP_DEVICE_NAME))
        m_properties[MMobile::DEVICE_PROP_DISPLAY_NAME] = m_properties[PROP_DEVICE_NAME];
    m_properties[PROP_BACKUP_FOLDER] = folder.toUtf8();
}

BackupDevice::~BackupDevice() = default;

QString BackupDevice::ThumbnailFolder()
{
    // Thumbnails of an encrypted backup show its pictures: they stay with its
    // other plaintext, in the private folder.
    if (IsEncrypted()) {
        const QString privateFolder = m_encryption->PrivateFolder();
        const QString folder = QDir(privateFolder).filePath(QStringLiteral("thumbnails"));
        return !privateFolder.isEmpty() && QDir().mkpath(folder) ? folder : QString();
    }
    std::lock_guard<std::mutex> lock(m_thumbnailMutex);
    if (!m_thumbnailFolder) {
        m_thumbnailFolder = std::make_unique<QTemporaryDir>(
            QDir(QDir::tempPath()).filePath(QStringLiteral("mmobile-thumbnails-XXXXXX")));
    }
    return m_thumbnailFolder->isValid() ? m_thumbnailFolder->path() : QString();
}

bool BackupDevice::IsEncrypted() const
{
    return m_encryption->IsEncrypted();
}

bool BackupDevice::IsUnlocked() const
{
    return m_encryption->CurrentState() == EncryptedBackup::UNLOCKED;
}

BackupDevice::UnlockResult BackupDevice::Unlock(const QString& password,
                                                const std::atomic<bool>* cancel)
{
    QByteArray utf8 = password.toUtf8();
    SecretBytes secret = SecretBytes::FromByteArray(utf8);
    if (!utf8.isEmpty())
        OPENSSL_cleanse(utf8.data(), static_cast<std::size_t>(utf8.size()));
    switch (m_encryption->Unlock(secret, cancel)) {
    case EncryptedBackup::UNLOCK_OK:
        return UNLOCK_OK;
    case EncryptedBackup::UNLOCK_CANCELLED:
        return UNLOCK_CANCELLED;
    case EncryptedBackup::UNLOCK_WRONG_PASSWORD:
        return UNLOCK_WRONG_PASSWORD;
    case EncryptedBackup::UNLOCK_DAMAGED:
        break;
    }
    qCWarning(lcDevice).noquote() << "the encrypted backup cannot be unlocked:"
                                  << m_encryption->ErrorText();
    return UNLOCK_DAMAGED;
}

void BackupDevice::SetMemoryLimit(qint64 bytes)
{
    m_encryption->SetMemoryLimit(bytes);
}

QString BackupDevice::UnlockError() const
{
    return m_encryption->ErrorText();
}

QString BackupDevice::WorkFolder()
{
    if (IsEncrypted())
        return m_encryption->PrivateFolder();
    std::lock_guard<std::mutex> lock(m_workMutex);
    if (!m_work) {
        auto folder = std::make_unique<QTemporaryDir>(
            QDir(QDir::tempPath()).filePath(QStringLiteral("mmobile-work-XXXXXX")));
        if (!folder->isValid())
            return QString();
        m_work = std::move(folder);
    }
    return m_work->path();
}

QString BackupDevice::PrivateFolder() const
{
    return m_encryption->PrivateFolder();
}

MMobile::IDeviceInfo* BackupDevice::GetDeviceInfo()
{
    return this;
}

MMobile::ICategoryDataSource* BackupDevice::GetDataSource(MMobile::MDType type)
{
    if ((type < MMobile::MD_PHOTO || type > MMobile::MD_WECHAT_MESSAGE) &&
        type != MMobile::MD_REMINDER)
        return nullptr;
    return new BackupDataSource(*this, type);
}

const char* BackupDevice::GetTextProperty(int key, int index)
{
    if (index != 0)
        return nullptr;
    const auto it = m_properties.find(key);
    return it == m_properties.end() ? nullptr : it->second.constData();
}

int BackupDevice::SkippedCount(MMobile::MDType type) const
{
    std::lock_guard<std::mutex> lock(m_skippedMutex);
    const auto it = m_skipped.find(type);
    return it == m_skipped.end() ? 0 : it->second;
}

void BackupDevice::SetSkippedCount(MMobile::MDType type, int count)
{
    std::lock_guard<std::mutex> lock(m_skippedMutex);
    m_skipped[type] = count;
}

BackupDevice::ExportFailure BackupDevice::LastExportFailure(MMobile::MDType type) const
{
    std::lock_guard<std::mutex> lock(m_skippedMutex);
    const auto it = m_exportFailures.find(type);
    return it == m_exportFailures.end() ? ExportFailure() : it->second;
}

void BackupDevice::SetExportFailure(MMobile::MDType type, const ExportFailure& failure)
{
    std::lock_guard<std::mutex> lock(m_skippedMutex);
    m_exportFailures[type] = failure;
}
