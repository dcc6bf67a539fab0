#ifndef PHONETOUR_H
#define PHONETOUR_H

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

class DemoHostWindow;
class QWidget;

// The phone part of the scripted tour: a test phone (the fake phone program,
// serving a backup folder over a usbmuxd socket of its own) that is not yet
// trusted. The tour finds it in the host's list (labelled as a test phone),
// opens it, shows the trust prompt and answers it on the phone's behalf,
// scans one category (which backs the phone up first), recovers a few of its
// deleted contacts back to it (the phone keeps what it is restored with in a
// folder of the tour's), unplugs it and saves screenshots of each step. Owns
// the fake phone's process and its folders.
class PhoneTour
{
public:
    PhoneTour(const QString& fakePhoneProgram, const QString& servedBackup);
    ~PhoneTour();

    // Starts the test phone and points libusbmuxd at it; call before the
    // host starts listening for phones.
    bool StartPhone();
    // Where the host backs the test phone up.
    QString BackupFolder() const;
    // Runs the tour on the host; the errors met (none: all went well).
    QStringList Run(DemoHostWindow* host, const QString& screenshotFolder);
    QStringList Screenshots() const { return m_screenshots; }

private:
    bool WaitFor(const std::function<bool()>& done, int timeoutMs);
    QString RestoredFolder() const;
    QStringList RecoverToPhone(DemoHostWindow* host, const QString& folder);
    // The page with `dialog` (may be null) drawn over it.
    void ShootPage(QWidget* page, QWidget* dialog, const QString& folder, const QString& name);
    void Shoot(DemoHostWindow* host, const QString& folder, const QString& name);

    QString m_program;
    QString m_served;
    QTemporaryDir m_dir;
    QProcess m_phone;
    QStringList m_screenshots;
};

#endif // PHONETOUR_H
