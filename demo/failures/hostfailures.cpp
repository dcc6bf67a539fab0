#include "hostfailures.h"

#include "backupchecker.h"
#include "backuphealthcheck.h"
#include "failurenotice.h"
#include "recoveryfailure.h"

#include "backupsummary.h"
#include "contracts/mmobiletypes.h"
#include "log4qt/logger.h"

#include <QDir>

HostFailures::HostFailures(FailureNotice* notice, Actions actions, QObject* parent)
    : QObject(parent), m_pNotice(notice), m_actions(std::move(actions)),
      m_pChecker(new BackupChecker(this))
{
    connect(m_pChecker, &BackupChecker::checked, this, &HostFailures::OnChecked);
}

void HostFailures::Report(const QString& text, const QString& actionText,
                          std::function<void()> action)
{
    logger()->error(text);
    m_pNotice->Show(text, actionText, std::move(action));
}

void HostFailures::Clear()
{
    m_pNotice->Clear();
}

void HostFailures::Locked()
{
    Report(tr("The backup is encrypted and locked: its categories can be read once you enter "
              "its password."),
           tr("Unlock..."), [this] {
               if (m_actions.unlock())
                   Clear();
               else
                   Locked();
           });
}

void HostFailures::Damaged(const BackupSummary& backup)
{
    const QString problem = backup.problem.isEmpty() ? tr("it cannot be read") : backup.problem;
    Report(tr("%1: %2. %3")
               .arg(QDir::toNativeSeparators(backup.folder), problem, BackupHealthCheck::Advice()),
           tr("Open Another Backup..."), m_actions.chooseBackupFolder);
}

void HostFailures::RecoveryFailed(int mode, const QString& category, const QString& folder,
                                  const QString& reason, const QStringList& complete)
{
    if (mode == MMobile::RECOVER_TO_PC)
        Report(RecoveryFailure::Message(mode, category, folder, m_help, reason, complete),
               tr("Choose Another Folder..."), m_actions.chooseOutputFolder);
    else
        Report(RecoveryFailure::Message(mode, category, QString(), m_help));
}

void HostFailures::ScanAborted(const QString& folder)
{
    m_pChecker->Check(folder);
}

void HostFailures::OnChecked(const BackupSummary& backup)
{
    if (backup.folder != m_actions.currentBackup())
        return;
    if (backup.state != BackupSummary::Ready)
        Damaged(backup);
    else if (m_actions.isLocked())
        Locked();
    else
        Report(tr("The backup could not be read, so the scan stopped. %1").arg(m_help),
               tr("Open Log"), m_actions.openLog);
}
