#include "fakephonerunner.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <csignal>

FakePhoneRunner::FakePhoneRunner(const QString& socket) : m_socket(socket)
{
    qputenv("USBMUXD_SOCKET_ADDRESS", "UNIX:" + QFile::encodeName(socket));
}

FakePhoneRunner::~FakePhoneRunner()
{
    Stop();
}

bool FakePhoneRunner::Start(const QString& backup, const QString& udid, const QString& scenario)
{
    Stop();
    QFile::remove(m_socket);
    QStringList args{QStringLiteral("--socket"), m_socket, QStringLiteral("--backup"), backup,
                     QStringLiteral("--udid"),   udid};
    if (!scenario.isEmpty())
        args << QStringLiteral("--scenario") << scenario;
    m_process.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    m_process.start(QStringLiteral(FAKE_PHONE_PROGRAM), args);
    if (!m_process.waitForStarted(10000))
        return false;
    QElapsedTimer clock;
    clock.start();
    // The socket's path appears once the phone answers.
    while (!QFile::exists(m_socket)) {
        if (clock.elapsed() > 20000 || m_process.state() != QProcess::Running)
            return false;
        QThread::msleep(20);
    }
    return true;
}

void FakePhoneRunner::Signal(int signal)
{
    if (m_process.state() == QProcess::Running)
        ::kill(pid_t(m_process.processId()), signal);
}

void FakePhoneRunner::Stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(10000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString FakePhoneRunner::ErrorOutput()
{
    return QString::fromLocal8Bit(m_process.readAllStandardError());
}
