#include "backupchecker.h"

#include <QtConcurrent>

BackupChecker::BackupChecker(QObject* parent) : QObject(parent)
{
    connect(&m_watcher, &QFutureWatcher<BackupSummary>::finished, this, &BackupChecker::OnFinished);
}

BackupChecker::~BackupChecker()
{
    m_watcher.waitForFinished();
}

void BackupChecker::Check(const QString& folder)
{
    if (IsRunning()) {
        m_next = folder;
        return;
    }
    m_watcher.setFuture(QtConcurrent::run([folder] { return BackupSummary::Read(folder); }));
}

bool BackupChecker::IsRunning() const
{
    return m_watcher.isRunning();
}

void BackupChecker::OnFinished()
{
    const BackupSummary summary = m_watcher.result();
    if (!m_next.isEmpty()) {
        const QString next = m_next;
        m_next.clear();
        Check(next);
        return;
    }
    emit checked(summary);
}
