#include "failuretour.h"

#include "demohostwindow.h"
#include "failures/failurenotice.h"

#include "pages/demotablepage.h"
#include "plugin/categorypanel.h"
#include "store/taskitem.h"
#include "views/mysortfilterproxymodel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QThread>
#include <QTimer>

#include <plist/plist.h>

#include <cstdlib>

namespace {
// The backup's own files the copies need; the content files stay out.
const char* const kBackupFiles[] = {"Info.plist", "Manifest.plist", "Status.plist", "Manifest.db"};

// Marks the copy's Manifest.plist as encrypted, as a backup with a password is.
bool MarkEncrypted(const QString& manifestPath)
{
    QFile file(manifestPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    file.close();
    plist_t root = nullptr;
    plist_from_memory(bytes.constData(), uint32_t(bytes.size()), &root);
    if (!root || plist_get_node_type(root) != PLIST_DICT) {
        plist_free(root);
        return false;
    }
    plist_dict_set_item(root, "IsEncrypted", plist_new_bool(1));
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(root, &xml, &length);
    plist_free(root);
    bool written = false;
    if (xml && file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        written = file.write(xml, length) == qint64(length);
    std::free(xml);
    return written;
}
} // namespace

FailureTour::FailureTour(DemoHostWindow* host, const QString& screenshotFolder, int timeoutMs)
    : m_host(host), m_folder(screenshotFolder), m_timeoutMs(timeoutMs)
{
}

template <class Predicate> bool FailureTour::WaitFor(Predicate done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

void FailureTour::Run(QStringList* notices, QStringList* screenshots, QStringList* errors)
{
    m_notices = notices;
    m_screenshots = screenshots;
    m_errors = errors;
    const QString original = m_host->CurrentBackup();
    if (original.isEmpty()) {
        *m_errors << QStringLiteral("failures: no backup is open");
        return;
    }
    FailedRecovery();
    DamagedBackup(original);
    LockedBackup(original);
    m_host->Failure()->Clear();
    if (!m_host->OpenBackup(original, false))
        *m_errors << QStringLiteral("failures: the backup of the start did not open again");
}

void FailureTour::FailedRecovery()
{
    // A file where the recovery wants its folder.
    m_blockedFolder = QDir(m_folder).filePath(QStringLiteral("failures/not-a-folder"));
    QDir().mkpath(QFileInfo(m_blockedFolder).path());
    QFile blocker(m_blockedFolder);
    if (!blocker.open(QIODevice::WriteOnly) || blocker.write("a file") != 6) {
        *m_errors << QStringLiteral("failures: cannot write %1").arg(m_blockedFolder);
        return;
    }
    blocker.close();
    const QByteArray output = m_host->GetOutputDir();
    CategoryPanel* page = m_host->OpenCategory(MMobile::MD_CONTACT);
    if (!page || !WaitFor([&] { return m_host->ScanEnded(MMobile::MD_CONTACT); }, m_timeoutMs)) {
        *m_errors << QStringLiteral("failures: the contacts did not load");
        return;
    }
    auto* recover = page->findChild<QAbstractButton*>(QStringLiteral("btnRecoverToPC"));
    WaitFor([&] { return recover && recover->isEnabled(); }, m_timeoutMs);
    // One contact at least, or the bar refuses before anything is written.
    auto* table = qobject_cast<DemoTablePage*>(page);
    if (table && table->store()->GetCheckedCount() == 0 && table->proxyModel()->rowCount() > 0)
        table->proxyModel()->setData(table->proxyModel()->index(0, 0), int(Qt::Checked),
                                     Qt::CheckStateRole);
    bool done = false;
    const QMetaObject::Connection result = connect(m_host, &DemoHostWindow::recoverResult, this,
                                                   [&done](int, int, int) { done = true; });
    QTimer answerer;
    connect(&answerer, &QTimer::timeout, this, &FailureTour::AnswerDialogs);
    answerer.start(50);
    if (recover)
        recover->click();
    if (!WaitFor([&] { return done; }, m_timeoutMs))
        *m_errors << QStringLiteral("failures: the recovery did not end");
    disconnect(result);
    // The page's own message of the failed recovery.
    WaitFor([] { return !QApplication::activeModalWidget(); }, 5000);
    answerer.stop();
    Expect(QStringLiteral("recovery"), QDir::toNativeSeparators(m_blockedFolder));
    if (m_host->Failure()->ActionText().isEmpty())
        *m_errors << QStringLiteral("failures: no button to choose another folder");
    Shot(QStringLiteral("failure-recovery.png"));
    m_host->SetOutputDir(output.constData());
    m_host->CloseCategory(MMobile::MD_CONTACT);
    WaitFor([&] { return !m_host->Page(MMobile::MD_CONTACT); }, m_timeoutMs);
}

void FailureTour::DamagedBackup(const QString& original)
{
    const QString copy = CopyBackup(original, QStringLiteral("damaged"));
    if (copy.isEmpty())
        return;
    // The backup stopped while writing its index.
    QFile::resize(QDir(copy).filePath(QStringLiteral("Manifest.db")), 16 * 1024);
    if (m_host->OpenBackup(copy, false))
        *m_errors << QStringLiteral("failures: a damaged backup was opened");
    Expect(QStringLiteral("damaged backup"), QStringLiteral("Manifest.db"));
    if (m_host->Failure()->ActionText().isEmpty())
        *m_errors << QStringLiteral("failures: no button to open another backup");
    Shot(QStringLiteral("failure-damaged.png"));
}

void FailureTour::LockedBackup(const QString& original)
{
    const QString copy = CopyBackup(original, QStringLiteral("locked"));
    if (copy.isEmpty())
        return;
    if (!MarkEncrypted(QDir(copy).filePath(QStringLiteral("Manifest.plist")))) {
        *m_errors << QStringLiteral("failures: cannot mark the copy encrypted");
        return;
    }
    m_host->OpenBackup(copy, false);
    if (m_host->OpenCategory(MMobile::MD_CONTACT))
        *m_errors << QStringLiteral("failures: a locked backup opened a page");
    Expect(QStringLiteral("locked backup"), QString());
    if (m_host->Failure()->ActionText().isEmpty())
        *m_errors << QStringLiteral("failures: no button to unlock the backup");
    Shot(QStringLiteral("failure-locked.png"));
}

QString FailureTour::CopyBackup(const QString& original, const QString& name)
{
    QDir copy(QDir(m_folder).filePath(QStringLiteral("failures/") + name));
    copy.removeRecursively();
    QDir().mkpath(copy.path());
    for (const char* file : kBackupFiles) {
        const QString from = QDir(original).filePath(QLatin1String(file));
        if (QFile::exists(from) && !QFile::copy(from, copy.filePath(QLatin1String(file)))) {
            *m_errors << QStringLiteral("failures: cannot copy %1").arg(from);
            return QString();
        }
    }
    // Copies keep the read-only bits of their originals.
    for (const char* file : kBackupFiles)
        QFile::setPermissions(copy.filePath(QLatin1String(file)),
                              QFile::ReadOwner | QFile::WriteOwner);
    return copy.path();
}

void FailureTour::Shot(const QString& name)
{
    QCoreApplication::processEvents();
    const QString file = QDir(m_folder).filePath(name);
    if (m_host->grab().save(file))
        *m_screenshots << file;
    else
        *m_errors << QStringLiteral("cannot save %1").arg(file);
}

void FailureTour::Expect(const QString& step, const QString& expected)
{
    const QString notice = m_host->Failure()->Text();
    *m_notices << QStringLiteral("%1: %2").arg(step, notice);
    // The words depend on the language; what they name does not.
    if (notice.isEmpty() || !notice.contains(expected))
        *m_errors << QStringLiteral("failures: %1 said \"%2\"").arg(step, notice);
}

void FailureTour::AnswerDialogs()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal)
        return;
    if (auto* path = modal->findChild<QLineEdit*>(QStringLiteral("editOutputPath"))) {
        if (auto* accept = modal->findChild<QAbstractButton*>(QStringLiteral("btnSetRecover"))) {
            path->setText(QDir::toNativeSeparators(m_blockedFolder));
            accept->click();
        }
        return;
    }
    // The page's message of the failed recovery: noted and closed.
    if (modal->inherits("MyMessageDailog")) {
        const auto* text = modal->findChild<QLabel*>(QStringLiteral("lblMessage"));
        *m_notices << QStringLiteral("page: %1").arg(text ? text->text() : QString());
        for (QAbstractButton* button : modal->findChildren<QAbstractButton*>()) {
            if (button->isVisible() &&
                button->objectName().contains(QStringLiteral("ok"), Qt::CaseInsensitive)) {
                button->click();
                return;
            }
        }
    }
}
