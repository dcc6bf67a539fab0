#ifndef FAKEPHONEPROCESS_H
#define FAKEPHONEPROCESS_H

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// One mmobile-fake-phone serving a backup folder on a socket of its own, for
// the phone tests: starts it, waits until its socket answers, runs
// libimobiledevice's tools (or any program) against it through
// USBMUXD_SOCKET_ADDRESS, plays the user with signals, and kills it when it
// goes. Owns the process and the folder of its socket.
//
//   FakePhoneProcess phone;
//   QVERIFY2(phone.Start(sampleFolder, "locked"), qPrintable(phone.Errors()));
//   const FakePhoneProcess::Run run = phone.Tool("idevicebackup2", {"backup", out});
class FakePhoneProcess
{
public:
    struct Run
    {
        bool finished = false;
        int exitCode = -1;
        QByteArray output; // stdout and stderr together
    };

    FakePhoneProcess();
    ~FakePhoneProcess();

    // The fake's program: MMOBILE_FAKE_PHONE from the environment when set (a
    // sanitizer's build of it), else the one this build made.
    static QString Program();

    // `more`: further options (--restore-into FOLDER).
    bool Start(const QString& backupFolder, const QString& scenario = QStringLiteral("normal"),
               const QString& udid = QString(), const QStringList& more = QStringList());
    void Stop();
    QString SocketPath() const;
    // USBMUXD_SOCKET_ADDRESS's value for this phone, and an environment holding it.
    QByteArray Address() const;
    QProcessEnvironment Environment() const;
    qint64 Pid() const { return m_process.processId(); }
    bool Signal(int signal) const;
    // The fake's stderr so far (only errors go there).
    QString Errors();

    Run Tool(const QString& program, const QStringList& arguments, int timeoutMs = 180000) const;

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QByteArray m_errors;
};

#endif // FAKEPHONEPROCESS_H
