#ifndef HOSTFAILURES_H
#define HOSTFAILURES_H

#include "log4qt/classlogger.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class BackupChecker;
class BackupSummary;
class FailureNotice;

// What the host says when something goes wrong, and the one thing it offers
// to do next: a locked backup (unlock it), a damaged one (open another), a
// recovery that could not write (choose another folder), a scan the backup
// stopped (found out why off the GUI thread, said once). Every failure is
// logged too. The notice band belongs to the window; the actions are the
// window's, given as functions.
class HostFailures : public QObject
{
    Q_OBJECT
    LOG4QT_DECLARE_QCLASS_LOGGER

public:
    struct Actions
    {
        std::function<bool()> unlock; // asks for the password; true once unlocked
        std::function<bool()> isLocked;
        std::function<QString()> currentBackup;
        std::function<void()> chooseBackupFolder;
        std::function<void()> chooseOutputFolder;
        std::function<void()> openLog;
    };

    HostFailures(FailureNotice* notice, Actions actions, QObject* parent = nullptr);

    FailureNotice* Notice() const { return m_pNotice; }
    // Shows `text` with the action that helps, and logs it.
    void Report(const QString& text, const QString& actionText = QString(),
                std::function<void()> action = nullptr);
    void Clear();
    // Where a user gets help (SupportContact::HelpText): the end of the
    // messages of failures without a reason the host can name.
    void SetHelp(const QString& help) { m_help = help; }
    void Locked();
    void Damaged(const BackupSummary& backup);
    // A recovery of `category` in `mode` failed; `folder` is the output
    // folder of a recovery to the computer.
    // `reason` and `complete`: the engine's words for what it could not write
    // and the files it wrote whole before it stopped.
    void RecoveryFailed(int mode, const QString& category, const QString& folder,
                        const QString& reason = QString(),
                        const QStringList& complete = QStringList());
    // A scan of the open backup `folder` ended with a backup error.
    void ScanAborted(const QString& folder);

private:
    void OnChecked(const BackupSummary& backup);

    FailureNotice* m_pNotice;
    Actions m_actions;
    BackupChecker* m_pChecker;
    QString m_help;
};

#endif // HOSTFAILURES_H
