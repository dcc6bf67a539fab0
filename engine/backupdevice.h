#ifndef BACKUPDEVICE_H
#define BACKUPDEVICE_H

#include "contracts/idevice.h"
#include "contracts/ideviceinfo.h"
#include "mmobileengine_global.h"

#include <QByteArray>
#include <QString>

#include <map>
#include <memory>
#include <mutex>
#include <vector>

class ItemGetter;

// An unencrypted backup folder of a phone, as the device data interfaces
// show a device. The caller owns it and deletes it after releasing every data
// source it handed out. The device keeps the items of every scan until it is
// deleted, so item pointers stay valid after a data source is released or a
// category is scanned again.
//
// The folder is checked when a scan starts, not here: a missing, damaged or
// encrypted backup is reported by the scan as a backup error.
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

    explicit BackupDevice(const QString& folder);
    virtual ~BackupDevice();
    BackupDevice(const BackupDevice&) = delete;
    BackupDevice& operator=(const BackupDevice&) = delete;

    MMobile::IDeviceInfo* GetDeviceInfo() override;
    // A new data source for any category of the interfaces; null for other values.
    MMobile::ICategoryDataSource* GetDataSource(MMobile::MDType type) override;
    const char* GetTextProperty(int key, int index) override;

    QString Folder() const { return m_folder; }
    // A new empty item list that lives as long as the device.
    ItemGetter* NewGetter();

private:
    QString m_folder;
    std::map<int, QByteArray> m_properties;
    std::mutex m_getterMutex;
    std::vector<std::unique_ptr<ItemGetter>> m_getters;
};

#endif // BACKUPDEVICE_H
