#ifndef PHONESESSION_H
#define PHONESESSION_H

#include "phoneconnection.h"
#include "phonepairer.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <memory>

class SyncLock;

// A trusted session with a phone, opened as a capture and a restore both need
// it before they start the backup service: the lockdown connection, pairing
// when the phone does not know this computer yet (waiting while it asks
// "Trust This Computer?"), the paired session and the phone's sync lock. Owns
// the connection and the lock, which it releases when it goes; borrows the
// caller's stop flag. Blocking: a worker's thread.
class PhoneSession
{
public:
    // An empty `udid` takes the first phone connected.
    PhoneSession(const QByteArray& udid, const std::atomic<bool>& cancel);
    ~PhoneSession();
    PhoneSession(const PhoneSession&) = delete;
    PhoneSession& operator=(const PhoneSession&) = delete;

    // A CaptureCode: CAPTURE_OK with the session open and the lock taken (or
    // unavailable, which the backup service makes up for with its own).
    int Open(int pairingTimeoutMs, const PhonePairer::WaitingCallback& waiting);
    QString ErrorText() const { return m_error; }
    QByteArray Udid() const { return m_phone.Udid(); }
    PhoneConnection& Connection() { return m_phone; }
    // Lets other syncs in again, once the work is complete.
    void ReleaseLock();
    // Whether usbmuxd still lists the phone.
    bool PhonePresent() const;

private:
    int Fail(int code, const QString& reason);

    PhoneConnection m_phone;
    const std::atomic<bool>& m_cancel;
    std::unique_ptr<SyncLock> m_lock;
    QString m_error;
};

#endif // PHONESESSION_H
