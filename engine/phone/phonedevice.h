#ifndef PHONEDEVICE_H
#define PHONEDEVICE_H

#include "capturejob.h"
#include "contracts/idevice.h"
#include "contracts/ideviceinfo.h"
#include "phoneinfo.h"
#include "recoverytarget.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

class BackupDevice;

// A phone on the cable, as the device data interfaces show a device. Its
// category data sources share one capture of the phone's backup into
// `destination`/<UDID> (CaptureJob), then read the captured folder through a
// BackupDevice, the same reader as for any backup. Made and deleted by the
// host on its GUI thread, after every data source it handed out was
// released; deleting it stops a running capture.
//
// A phone that encrypts its backups: when a capture ends with an encrypted
// backup, the password listener is called (on the capture's thread: queue
// the dialog to the GUI); the pages wait until Unlock() succeeds or the host
// calls DeclinePassword(), after which their scans end with error 255.
//
// The phone takes recovered records back (RecoveryTarget) for the
// categories a merge writes: a page of this phone or of a backup recovers to
// it with PhoneRecovery, which keeps the merged backup in `destination`.
class PhoneDevice : public MMobile::IDevice, public MMobile::IDeviceInfo, public RecoveryTarget
{
public:
    // Text properties besides the display name (37).
    enum PropertyKey {
        PROP_DEVICE_NAME = 1,
        PROP_PRODUCT_TYPE = 2,
        PROP_PRODUCT_VERSION = 3,
        PROP_BACKUP_FOLDER = 5,
        PROP_UDID = 6
    };

    PhoneDevice(const PhoneInfo& info, const QString& destination);
    virtual ~PhoneDevice();
    PhoneDevice(const PhoneDevice&) = delete;
    PhoneDevice& operator=(const PhoneDevice&) = delete;

    MMobile::IDeviceInfo* GetDeviceInfo() override { return this; }
    MMobile::ICategoryDataSource* GetDataSource(MMobile::MDType type) override;
    const char* GetTextProperty(int key, int index) override;

    // RecoveryTarget
    bool TakesBack(MMobile::MDType type) const override;
    int Recover(const Request& request, const Report& report, QString& error) override;

    PhoneInfo Info() const { return m_info; }
    CaptureJob& Capture() { return m_job; }
    // The reader of the last complete capture; null before one. It lives as
    // long as the phone device, so items handed out stay valid.
    BackupDevice* Backup();

    void SetPasswordListener(std::function<void()> listener);
    // Whether the captured backup is encrypted and still locked.
    bool NeedsPassword();
    // Checks the password on the calling thread (seconds: a worker's).
    int Unlock(const QString& password);
    void DeclinePassword();
    bool PasswordDeclined() const;

private:
    void OnCaptured(int code);

    PhoneInfo m_info;
    QString m_destination;
    std::map<int, QByteArray> m_properties;
    CaptureJob m_job;
    mutable std::mutex m_mutex;
    std::vector<std::unique_ptr<BackupDevice>> m_backups; // every capture's reader
    std::function<void()> m_passwordListener;
    bool m_declined = false;
    std::mutex m_recoveryMutex; // one recovery to the phone at a time
};

#endif // PHONEDEVICE_H
