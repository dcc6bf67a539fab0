#ifndef BACKUPCHECKER_H
#define BACKUPCHECKER_H

#include "backupsummary.h"
#include "workers/backgroundcall.h"

#include <QObject>

// Reads a backup's summary (with the check of its file index) on a worker
// thread and reports it on the GUI thread: the host asks it when a scan of
// the open backup was aborted, to say what is wrong with the backup. One
// check at a time; a request while one runs is remembered and run next.
class BackupChecker : public QObject
{
    Q_OBJECT

public:
    explicit BackupChecker(QObject* parent = nullptr);
    ~BackupChecker() override;

    void Check(const QString& folder);
    bool IsRunning() const;

signals:
    void checked(const BackupSummary& summary);

private:
    void OnFinished(const BackupSummary& summary);

    BackgroundCall m_call;
    QString m_next;
};

#endif // BACKUPCHECKER_H
