#ifndef PHONEHOST_H
#define PHONEHOST_H

#include "phoneinfo.h"

#include <QObject>
#include <QString>

#include <QByteArray>

#include <map>
#include <memory>

class PhoneCaptureBar;
class PhoneDevice;
class PhoneListWidget;
class QWidget;

// The host's side of phones on the cable: the list of phones, the open
// phone's device and its backup line, and the password of a phone whose
// backups are encrypted (the host's password dialog, asked again while the
// password is wrong). Backups of phones go to `backupFolder`/<UDID>. Owns the
// open phone device; the window must release every page of it before
// Close() or before opening another device. Also owns a device for every
// other phone the pages may recover to (kept until the host goes, as a
// recovery may still run on one that was unplugged).
class PhoneHost : public QObject
{
    Q_OBJECT

public:
    PhoneHost(QWidget* window, const QString& backupFolder);
    ~PhoneHost() override;

    PhoneListWidget* List() const { return m_pList; }
    PhoneCaptureBar* Bar() const { return m_pBar; }
    PhoneDevice* Device() const { return m_device.get(); }
    // The phone the pages recover to: the open phone while it is connected,
    // else the first phone connected; null when none is.
    PhoneDevice* Target();
    QString BackupFolder() const { return m_backupFolder; }
    // The password used instead of asking (a tour's); empty: ask.
    void SetPassword(const QString& password) { m_password = password; }
    // Makes the device of a trusted phone (the list's phoneOpened()); the
    // window has released the pages of the device before.
    void Open(const PhoneInfo& phone);
    void Close();

private:
    void AskPassword();

    QWidget* m_window;
    QString m_backupFolder;
    QString m_password;
    PhoneListWidget* m_pList;
    PhoneCaptureBar* m_pBar;
    std::unique_ptr<PhoneDevice> m_device;
    std::map<QByteArray, std::unique_ptr<PhoneDevice>> m_targets; // by UDID, phones not open
};

#endif // PHONEHOST_H
