#ifndef FAKEPHONERUNNER_H
#define FAKEPHONERUNNER_H

#include <QProcess>
#include <QString>

// Runs the fake phone (mmobile-fake-phone) on a Unix socket for one test and
// points libusbmuxd at it (USBMUXD_SOCKET_ADDRESS). Owns the process; the
// destructor ends it.
class FakePhoneRunner
{
public:
    explicit FakePhoneRunner(const QString& socket);
    ~FakePhoneRunner();

    // Starts serving `backup` as phone `udid` playing `scenario`; true once
    // its socket answers.
    bool Start(const QString& backup, const QString& udid, const QString& scenario);
    // Plays the user: SIGUSR1 accepts or unlocks, SIGUSR2 refuses.
    void Signal(int signal);
    void Stop();
    QString ErrorOutput();

private:
    QString m_socket;
    QProcess m_process;
};

#endif // FAKEPHONERUNNER_H
