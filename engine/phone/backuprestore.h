#ifndef BACKUPRESTORE_H
#define BACKUPRESTORE_H

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>

class BackupServiceLink;
class PhoneSession;

// Restores a prepared backup folder to a connected phone through its backup
// service's restore request; the phone then fetches the backup's files over
// the same DeviceLink conversation a capture uses (DeviceLinkReceiver), with
// the folder's parent as its root and the folder's name as the source
// backup's identifier. Before the phone is even asked, the folder must be a
// complete backup: its index opens, and every file it lists is there.
//
// Run() blocks (a worker's thread) and answers a CaptureCode: 4 for a locked
// phone, 5 for one that went away, 3 for a refused restore, 2 for no trust,
// 7 for a phone busy with another sync, 255 for a backup that is not ready.
// Cancel() may come from any thread.
class BackupRestore
{
public:
    using ProgressCallback = std::function<void(int percent)>;

    // An empty `udid` takes the first phone connected.
    BackupRestore(const QByteArray& udid, const QString& backupFolder);

    void SetProgressCallback(ProgressCallback callback) { m_progress = std::move(callback); }
    void SetPassword(const QString& password) { m_password = password; }
    // How long a trust prompt may stay unanswered (default two minutes).
    void SetPairingTimeout(int ms) { m_pairingTimeoutMs = ms; }

    int Run();
    void Cancel() { m_cancel.store(true); }
    QString ErrorText() const { return m_error; }
    QByteArray Udid() const { return m_udid; }

private:
    int Fail(int code, const QString& reason);
    int Restore(BackupServiceLink& link, const PhoneSession& session);

    QByteArray m_udid;
    QString m_folder;
    QString m_password;
    ProgressCallback m_progress;
    int m_pairingTimeoutMs = 120000;
    std::atomic<bool> m_cancel{false};
    QString m_error;
};

#endif // BACKUPRESTORE_H
