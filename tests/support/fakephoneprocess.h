#ifndef FAKEPHONEPROCESS_H
#define FAKEPHONEPROCESS_H

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// One mmobile-fake-phone serving a backup folder on a socket of its own, for
// the phone tests: starts it (again, with another scenario, on the same
// socket), waits until its socket answers, points this process's libusbmuxd
// or libimobiledevice's tools (any program) at it through
// USBMUXD_SOCKET_ADDRESS, plays the user with signals, and kills it when it
// goes. Owns the process and the folder of its socket.
//
//   FakePhoneProcess phone;
//   QVERIFY2(phone.Start(sampleFolder, "locked"), qPrintable(phone.Errors()));
//   const FakePhoneProcess::Run run = phone.Tool("idevicebackup2", {"backup", out});
//   phone.UseInThisProcess(); // our own client, in this process, reaches it too
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

    // Stops a phone this one runs first. An empty scenario is "normal";
    // `more`: further options (--restore-into FOLDER).
    bool Start(const QString& backupFolder, const QString& scenario = QStringLiteral("normal"),
               const QString& udid = QString(), const QStringList& more = QStringList());
    void Stop();
    QString SocketPath() const;
    // USBMUXD_SOCKET_ADDRESS's value for this phone, and an environment holding it.
    QByteArray Address() const;
    QProcessEnvironment Environment() const;
    // Sets USBMUXD_SOCKET_ADDRESS of this process; it stays valid across Start()s.
    void UseInThisProcess() const;
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
