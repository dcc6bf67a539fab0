#include "phonetour.h"

#include "../demohostwindow.h"
#include "phonecapturebar.h"
#include "phonedevice.h"
#include "phonehost.h"
#include "phonelistwidget.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <csignal>

namespace {
const char* const TestUdid = "00008030-00ABCDEF12345678";
} // namespace

PhoneTour::PhoneTour(const QString& fakePhoneProgram, const QString& servedBackup)
    : m_program(fakePhoneProgram), m_served(servedBackup)
{
}

PhoneTour::~PhoneTour()
{
    if (m_phone.state() != QProcess::NotRunning) {
        m_phone.terminate();
        if (!m_phone.waitForFinished(5000))
            m_phone.kill();
    }
}

QString PhoneTour::BackupFolder() const
{
    return m_dir.filePath(QStringLiteral("MobileSync/Backup"));
}

bool PhoneTour::StartPhone()
{
    if (!m_dir.isValid() || !QFileInfo::exists(m_program) || !QFileInfo::exists(m_served))
        return false;
    const QString socket = m_dir.filePath(QStringLiteral("phone.sock"));
    qputenv("USBMUXD_SOCKET_ADDRESS", "UNIX:" + QFile::encodeName(socket));
    // Never trusted before, and slow enough for the backup line to be seen.
    m_phone.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_phone.start(m_program,
                  {QStringLiteral("--socket"), socket, QStringLiteral("--backup"), m_served,
                   QStringLiteral("--udid"), QString::fromLatin1(TestUdid),
                   QStringLiteral("--scenario"), QStringLiteral("pairing-pending,slow=15")});
    if (!m_phone.waitForStarted(10000))
        return false;
    QDir().mkpath(BackupFolder());
    QElapsedTimer clock;
    clock.start();
    while (!QFile::exists(socket) && clock.elapsed() < 20000 &&
           m_phone.state() == QProcess::Running)
        QThread::msleep(20);
    return QFile::exists(socket);
}

bool PhoneTour::WaitFor(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
    return true;
}

void PhoneTour::Shoot(DemoHostWindow* host, const QString& folder, const QString& name)
{
    QCoreApplication::processEvents();
    const QString path = QDir(folder).filePath(name);
    if (host->grab().save(path))
        m_screenshots << path;
}

QStringList PhoneTour::Run(DemoHostWindow* host, const QString& screenshotFolder)
{
    QStringList errors;
    QDir().mkpath(screenshotFolder);
    PhoneListWidget* list = host->Phones()->List();
    const QByteArray udid(TestUdid);
    list->SetTestPhone(udid);
    list->SetPairingTimeout(60000);
    const auto listed = [list, udid]() {
        for (const PhoneInfo& phone : list->Phones()) {
            if (phone.udid == udid && !phone.productType.isEmpty())
                return true;
        }
        return false;
    };
    if (!WaitFor(listed, 30000))
        return {QStringLiteral("the test phone was not listed")};
    Shoot(host, screenshotFolder, QStringLiteral("phone-entry.png"));

    list->Open(udid);
    if (!WaitFor([list]() { return list->StateText().contains(QLatin1String("Trust")); }, 30000))
        return {QStringLiteral("the trust prompt was not shown")};
    Shoot(host, screenshotFolder, QStringLiteral("phone-pairing-prompt.png"));
    // The user taps "Trust" on the phone.
    ::kill(pid_t(m_phone.processId()), SIGUSR1);
    if (!WaitFor([host]() { return host->Phones()->Device() != nullptr; }, 60000))
        return {QStringLiteral("the trusted phone was not opened")};

    if (!host->OpenCategory(MMobile::MD_CONTACT, false))
        return {QStringLiteral("the contacts of the phone could not be scanned")};
    PhoneCaptureBar* bar = host->Phones()->Bar();
    if (WaitFor([bar]() { return bar->Percent() >= 20 && bar->Percent() < 90; }, 120000))
        Shoot(host, screenshotFolder, QStringLiteral("phone-backup-line.png"));
    else
        errors << QStringLiteral("the backup line did not move");
    if (!WaitFor([host]() { return host->ScanEnded(MMobile::MD_CONTACT); }, 300000))
        return errors << QStringLiteral("the phone's contacts scan did not end");
    Shoot(host, screenshotFolder, QStringLiteral("phone-scanned.png"));
    if (host->ItemCount(MMobile::MD_CONTACT) <= 0)
        errors << QStringLiteral("the phone's contacts scan found nothing");
    host->CloseCategory(MMobile::MD_CONTACT);
    WaitFor([host]() { return host->Page(MMobile::MD_CONTACT) == nullptr; }, 10000);
    return errors;
}
