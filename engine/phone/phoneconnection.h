#ifndef PHONECONNECTION_H
#define PHONECONNECTION_H

#include "phoneinfo.h"

#include <QByteArray>
#include <QString>

#include <libimobiledevice/libimobiledevice.h>
#include <libimobiledevice/lockdown.h>

// One connection to a phone's lockdown service through usbmuxd (which honours
// USBMUXD_SOCKET_ADDRESS). Owns the device handle and the lockdown client and
// frees both when it goes. Blocking: use it on a worker thread, never the GUI's.
//
//     PhoneConnection phone(udid);
//     if (phone.OpenSession() == LOCKDOWN_E_SUCCESS)
//         info = phone.ReadInfo();
class PhoneConnection
{
public:
    // An empty `udid` takes the first phone usbmuxd lists.
    explicit PhoneConnection(const QByteArray& udid);
    ~PhoneConnection();
    PhoneConnection(const PhoneConnection&) = delete;
    PhoneConnection& operator=(const PhoneConnection&) = delete;

    // Opens the device and a lockdown client without a session: enough for the
    // model and version of a phone that does not trust us yet.
    lockdownd_error_t OpenPlain();
    // Opens a paired session. Never starts pairing: without a pairing record
    // it answers LOCKDOWN_E_MISSING_PAIR_RECORD and the phone shows nothing.
    lockdownd_error_t OpenSession();
    // Whether usbmuxd holds a pairing record for this phone.
    bool HasPairRecord() const;
    // One pairing request on a plain connection; the phone answers pending
    // while it shows "Trust This Computer?".
    lockdownd_error_t RequestPairing();

    // Reads what the lockdown service gives on the open connection.
    PhoneInfo ReadInfo();
    // A string value of the lockdown service, empty when missing.
    QString StringValue(const char* domain, const char* key);
    bool BoolValue(const char* domain, const char* key);

    QByteArray Udid() const { return m_udid; }
    idevice_t Device() const { return m_device; }
    lockdownd_client_t Lockdown() const { return m_lockdown; }
    bool IsConnected() const { return m_device != nullptr; }
    void Close();
    // Frees the lockdown client only; services started through it go on.
    void CloseLockdown();

private:
    bool OpenDevice();

    QByteArray m_udid;
    idevice_t m_device = nullptr;
    lockdownd_client_t m_lockdown = nullptr;
    bool m_session = false;
};

#endif // PHONECONNECTION_H
