#ifndef BACKUPDEVICE_H
#define BACKUPDEVICE_H

#include "contracts/idevice.h"
#include "contracts/ideviceinfo.h"
#include "mmobileengine_global.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

class EncryptedBackup;
class ItemGetter;
class QTemporaryDir;

// A backup folder of a phone, as the device data interfaces show a device. The caller owns it and
// deletes it after releasing every data source it handed out. The device keeps the items of every
// scan until it is deleted, so item pointers stay valid after a data source is released or a
// category is scanned again.
//
// The folder is checked when a scan starts, not here: a missing or damaged
// backup, or an encrypted one that was not unlocked, is reported by the scan
// as a backup error. An encrypted backup is unlocked once per device:
//
//     BackupDevice device(folder);
//     if (device.IsEncrypted())      // then, off the GUI thread:
//         result = device.Unlock(password);
//
// Its decrypted files live in a private temporary folder that goes with the
// device.
class MMOBILEENGINE_EXPORT BackupDevice : public MMobile::IDevice, public MMobile::IDeviceInfo
{
public:
    // Text properties besides the display name (37), from Info.plist.
    enum PropertyKey {
        PROP_DEVICE_NAME = 1,     // "Device Name"
        PROP_PRODUCT_TYPE = 2,    // "Product Type", the model
        PROP_PRODUCT_VERSION = 3, // "Product Version", the system version
        PROP_SERIAL_NUMBER = 4,   // "Serial Number"
        PROP_BACKUP_FOLDER = 5    // the folder this device reads
    };

    enum UnlockResult {
        UNLOCK_OK,             // unlocked (or not encrypted): scans read the backup
        UNLOCK_WRONG_PASSWORD, // the password does not open the keybag
        UNLOCK_DAMAGED,        // the keybag or the manifest key is damaged: scans report error 3
        UNLOCK_CANCELLED       // the check was stopped before it knew: the backup stays locked
    };

    explicit BackupDevice(const QString& folder);
    virtual ~BackupDevice();
    BackupDevice(const BackupDevice&) = delete;
    BackupDevice& operator=(const BackupDevice&) = delete;

    MMobile::IDeviceInfo* GetDeviceInfo() override;
    // A new data source for any category of the interfaces; null for other values.
    MMobile::ICategoryDataSource* GetDataSource(MMobile::MDType type) override;
    const char* GetTextProperty(int key, int index) override;

    QString Folder() const { return m_folder; }

    // Whether Manifest.plist marks the backup as encrypted.
    bool IsEncrypted() const;
    bool IsUnlocked() const;
    // Checks `password` and keeps the backup's keys for this device. Derives
    // the password key (seconds with a phone's keybag) on the calling thread,
    // so never call it on the GUI thread; after a success it answers at once.
    // Setting `cancel` (from any thread) ends it within milliseconds.
    UnlockResult Unlock(const QString& password, const std::atomic<bool>* cancel = nullptr);
    // Why the last Unlock() failed.
    QString UnlockError() const;
    // The private folder of this device's decrypted files; empty before an
    // encrypted backup is unlocked. It goes with the device.
    QString PrivateFolder() const;
    EncryptedBackup* Encryption() const { return m_encryption.get(); }
    // Decrypted databases up to this size stay in memory; before Unlock().
    void SetMemoryLimit(qint64 bytes);
    // The private folder (mode 0700) in which scans make working copies of
    // databases: the decrypted files' folder of an encrypted backup, else one
    // made on first use. It goes with the device; empty when it cannot be made.
    QString WorkFolder();
    // A new empty item list that lives as long as the device.
    ItemGetter* NewGetter();
    // A private folder for the thumbnails that scans make, created on first
    // use and removed with the device (inside PrivateFolder() for an encrypted
    // backup); empty when it cannot be created.
    QString ThumbnailFolder();
    // Records the last complete scan of `type` left out (their content file
    // missing or refused), for the host to show; 0 before any scan.
    int SkippedCount(MMobile::MDType type) const;
    void SetSkippedCount(MMobile::MDType type, int count);
    // Why the last recovery of `type` failed (the system's reason with the
    // file it concerned) and the files it had written whole by then; empty
    // after a recovery that succeeded or before any.
    struct ExportFailure
    {
        QString reason;
        QStringList complete;
    };
    ExportFailure LastExportFailure(MMobile::MDType type) const;
    void SetExportFailure(MMobile::MDType type, const ExportFailure& failure);

private:
    QString m_folder;
    std::map<int, QByteArray> m_properties;
    std::unique_ptr<EncryptedBackup> m_encryption;
    std::mutex m_workMutex;
    std::unique_ptr<QTemporaryDir> m_work;
    std::mutex m_getterMutex;
    std::vector<std::unique_ptr<ItemGetter>> m_getters;
    std::mutex m_thumbnailMutex;
    std::unique_ptr<QTemporaryDir> m_thumbnailFolder;
    mutable std::mutex m_skippedMutex;
    std::map<int, int> m_skipped;                  // category -> records left out
    std::map<int, ExportFailure> m_exportFailures; // guarded by m_skippedMutex too
};

#endif // BACKUPDEVICE_H
