#include "phonetour.h"

#include "../demohostwindow.h"
#include "phonecapturebar.h"
#include "phonedevice.h"
#include "phonehost.h"
#include "phonelistwidget.h"
#include "phonepairer.h"

#include "../pages/demotablepage.h"
#include "../pages/recoverysteps.h"

#include "dialogs/recoverprogressdialog.h"
#include "search/searchbar.h"
#include "store/taskitem.h"
#include "views/taskitemmodel.h"

#include "contracts/imdcommon.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QThread>
#include <QTimer>

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
                   QStringLiteral("--scenario"), QStringLiteral("pairing-pending,slow=15"),
                   QStringLiteral("--restore-into"), RestoredFolder()});
    if (!m_phone.waitForStarted(10000))
        return false;
    QDir().mkpath(BackupFolder());
    QDir().mkpath(RestoredFolder());
    QElapsedTimer clock;
    clock.start();
    while (!QFile::exists(socket) && clock.elapsed() < 20000 &&
           m_phone.state() == QProcess::Running)
        QThread::msleep(20);
    return QFile::exists(socket);
}

QString PhoneTour::RestoredFolder() const
{
    return m_dir.filePath(QStringLiteral("restored"));
}

void PhoneTour::ShootPage(QWidget* page, QWidget* dialog, const QString& folder,
                          const QString& name)
{
    QCoreApplication::processEvents();
    QPixmap shot = page->grab();
    // A dialog is a window of its own: drawn where it stands over the page.
    if (dialog) {
        QPainter painter(&shot);
        painter.drawPixmap(page->mapFromGlobal(dialog->mapToGlobal(QPoint(0, 0))), dialog->grab());
    }
    const QString path = QDir(folder).filePath(name);
    if (shot.save(path))
        m_screenshots << path;
}

QStringList PhoneTour::RecoverToPhone(DemoHostWindow* host, const QString& folder)
{
    auto* page = dynamic_cast<DemoTablePage*>(host->OpenCategory(MMobile::MD_CONTACT, true));
    if (!page || !page->store())
        return {QStringLiteral("the phone's contacts page did not open")};
    auto* button = page->findChild<QPushButton*>(QStringLiteral("btnRecoverToDevice"));
    // Only the deleted contacts shown, a few of them ticked, as a user would.
    if (QWidget* toggle =
            page->searchBar()->findChild<QWidget*>(QStringLiteral("btnOnlyShowDelete"))) {
        QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
        QCoreApplication::sendEvent(toggle, &space);
    }
    int ticked = 0;
    TaskItem* store = page->store();
    store->SetCheckAllState(Qt::Unchecked);
    for (unsigned int i = 0; i < store->GetDataCountEx() && ticked < 3; ++i) {
        if (store->GetData(i)->IsDeleted() &&
            page->tableModel()->setData(page->tableModel()->index(int(i), 0), Qt::Checked,
                                        Qt::CheckStateRole))
            ++ticked;
    }
    if (ticked == 0 || !button || !button->isEnabled())
        return {QStringLiteral("no deleted contact could be recovered to the phone")};
    ShootPage(page, nullptr, folder, QStringLiteral("phone-recover-button.png"));

    // The progress while the phone restores, then the outcome, which is
    // answered as the user would.
    bool progressShot = false;
    QString outcome;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&]() {
        auto* progress = page->findChild<RecoverProgressDialog*>();
        const QList<QLabel*> labels = progress && progress->isVisible()
                                          ? progress->findChildren<QLabel*>()
                                          : QList<QLabel*>();
        for (QLabel* label : labels) {
            if (!progressShot && label->text().contains(RecoverySteps::StepName("restore"))) {
                progressShot = true;
                ShootPage(page, progress, folder, QStringLiteral("phone-recover-progress.png"));
            }
        }
        auto* message = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (message && message->inherits("MyMessageDailog") && outcome.isEmpty()) {
            outcome = QStringLiteral("shown");
            ShootPage(page, message, folder, QStringLiteral("phone-recover-done.png"));
            message->done(QDialog::Accepted);
        }
    });
    watch.start(100);
    bool ended = false;
    QObject::connect(host, &DemoHostWindow::recoverResult, &watch,
                     [&ended](int, int, int) { ended = true; });
    button->click();
    QStringList errors;
    if (!WaitFor([&]() { return ended && !outcome.isEmpty(); }, 300000))
        errors << QStringLiteral("the recovery to the phone did not end");
    if (!progressShot)
        errors << QStringLiteral("the restore's progress was not seen");
    if (QDir(RestoredFolder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty())
        errors << QStringLiteral("the phone received no restore");

    // Unplugged, the page's device button says to connect a phone.
    ::kill(pid_t(m_phone.processId()), SIGHUP);
    PhoneListWidget* list = host->Phones()->List();
    if (WaitFor(
            [list, button]() {
                return list->Phones().isEmpty() &&
                       button->toolTip() == QLatin1String("Please connect device");
            },
            30000))
        ShootPage(page, nullptr, folder, QStringLiteral("phone-recover-no-phone.png"));
    else
        errors << QStringLiteral("the device button still named a phone after it was unplugged");
    return errors;
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
    if (!WaitFor([list]() { return list->Waiting() == PhonePairer::WAITING_FOR_TRUST; }, 30000))
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
    else
        errors << RecoverToPhone(host, screenshotFolder);
    host->CloseCategory(MMobile::MD_CONTACT);
    WaitFor([host]() { return host->Page(MMobile::MD_CONTACT) == nullptr; }, 10000);
    return errors;
}
