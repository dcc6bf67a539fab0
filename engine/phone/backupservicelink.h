#ifndef BACKUPSERVICELINK_H
#define BACKUPSERVICELINK_H

#include <QByteArray>
#include <QString>

#include <libimobiledevice/libimobiledevice.h>
#include <libimobiledevice/lockdown.h>
#include <plist/plist.h>

#include <atomic>
#include <cstdint>

// The connection to a phone's backup service, spoken over libimobiledevice's
// public connection calls only: Open() starts the service through a lockdown
// session (with the escrow bag, so a phone that locks itself goes on), makes
// the DeviceLink handshake and agrees on the backup protocol's version. Its
// messages are length-prefixed property lists; files travel as raw bytes.
//
// Every read waits in slices of a fifth of a second and looks at the cancel
// flag between them, so a stop ends a blocked read promptly whatever version
// of the library is installed. Owns the connection (closed with a goodbye by
// the destructor); borrows the device and the flag. One thread at a time.
//
//     BackupServiceLink link(cancel);
//     if (link.Open(phone.Device(), phone.Lockdown()) == CAPTURE_OK)
//         link.SendRequest("Backup", udid, udid, nullptr);
class BackupServiceLink
{
public:
    enum Result { READ_OK, READ_TIMEOUT, READ_BROKEN, READ_CANCELLED, READ_BAD_MESSAGE };

    explicit BackupServiceLink(const std::atomic<bool>& cancel);
    ~BackupServiceLink();
    BackupServiceLink(const BackupServiceLink&) = delete;
    BackupServiceLink& operator=(const BackupServiceLink&) = delete;

    // Answers a CaptureCode: CAPTURE_OK, CAPTURE_CANCELLED once the flag is
    // set, or why not with ErrorText().
    int Open(idevice_t device, lockdownd_client_t lockdown);

    // Some bytes, up to `length`, or none within `waitMs`.
    Result Read(char* data, uint32_t length, uint32_t* received, int waitMs);
    // One DeviceLink message (an array led by its name); READ_TIMEOUT when
    // none began within `waitMs`. The caller frees `*message`.
    Result ReceiveMessage(plist_t* message, QString* name, int waitMs);
    bool Write(const char* data, uint32_t length);
    bool SendMessage(plist_t message);
    // The host's answer to one of the phone's requests.
    bool SendStatus(int code, const char* text, plist_t status);
    // Asks the backup service for a backup or a restore; `options` may be null.
    bool SendRequest(const char* request, const QByteArray& target, const QByteArray& source,
                     plist_t options);

    QString ErrorText() const { return m_error; }
    double ProtocolVersion() const { return m_version; }

private:
    int Fail(int code, const QString& reason);
    // Exactly `length` bytes; READ_TIMEOUT only when none came within `waitMs`.
    Result ReadAll(char* data, uint32_t length, int waitMs);
    bool Alive() const;
    bool Handshake();
    bool ExchangeVersions();

    const std::atomic<bool>& m_cancel;
    idevice_connection_t m_connection = nullptr;
    int m_fd = -1;
    bool m_broken = false;
    double m_version = 0;
    QString m_error;
};

#endif // BACKUPSERVICELINK_H
