#include "fakephoneprocess.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QThread>

#include <csignal>

FakePhoneProcess::FakePhoneProcess() = default;

FakePhoneProcess::~FakePhoneProcess()
{
    Stop();
}

QString FakePhoneProcess::Program()
{
    return qEnvironmentVariable("MMOBILE_FAKE_PHONE", QStringLiteral(MMOBILE_FAKE_PHONE));
}

QString FakePhoneProcess::SocketPath() const
{
    return m_dir.filePath(QStringLiteral("usbmux.sock"));
}

QByteArray FakePhoneProcess::Address() const
{
    return "UNIX:" + SocketPath().toLocal8Bit();
}

bool FakePhoneProcess::Start(const QString& backupFolder, const QString& scenario,
                             const QString& udid, const QStringList& more)
{
    if (!m_dir.isValid())
        return false;
    Stop();
    QFile::remove(SocketPath());
    QStringList arguments = {
        QStringLiteral("--socket"),   SocketPath(),
        QStringLiteral("--backup"),   backupFolder,
        QStringLiteral("--scenario"), scenario.isEmpty() ? QStringLiteral("normal") : scenario};
    if (!udid.isEmpty())
        arguments << QStringLiteral("--udid") << udid;
    arguments << more;
    m_process.setProgram(Program());
    m_process.setArguments(arguments);
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start();
    if (!m_process.waitForStarted(30000))
        return false;
    // The socket's path appears once the phone answers; a loaded machine may
    // take its time, a fake that fails ends instead.
    const QDeadlineTimer deadline(60000);
    while (!QFileInfo::exists(SocketPath())) {
        if (m_process.state() != QProcess::Running || deadline.hasExpired())
            return false;
        QThread::msleep(10);
    }
    return true;
}

void FakePhoneProcess::Stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(30000)) {
        m_process.kill();
        m_process.waitForFinished(30000);
    }
}

bool FakePhoneProcess::Signal(int signal) const
{
    return m_process.state() == QProcess::Running &&
           ::kill(static_cast<pid_t>(m_process.processId()), signal) == 0;
}

QString FakePhoneProcess::Errors()
{
    m_errors += m_process.readAllStandardError();
    return QString::fromLocal8Bit(m_errors);
}

void FakePhoneProcess::UseInThisProcess() const
{
    qputenv("USBMUXD_SOCKET_ADDRESS", Address());
}

QProcessEnvironment FakePhoneProcess::Environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("USBMUXD_SOCKET_ADDRESS"), QString::fromLocal8Bit(Address()));
    return environment;
}

FakePhoneProcess::Run FakePhoneProcess::Tool(const QString& program, const QStringList& arguments,
                                             int timeoutMs) const
{
    QProcess tool;
    tool.setProcessEnvironment(Environment());
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(program, arguments);
    Run run;
    if (!tool.waitForStarted(30000))
        return run;
    tool.closeWriteChannel();
    run.finished = tool.waitForFinished(timeoutMs);
    if (!run.finished)
        tool.kill(), tool.waitForFinished(30000);
    run.output = tool.readAll();
    run.exitCode = tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
    return run;
}
