#include "backuplisting.h"

#include "backuplocator.h"

#include <QtConcurrent>

BackupListing::BackupListing(QObject* parent) : QObject(parent)
{
    connect(&m_watcher, &QFutureWatcher<QList<BackupSummary>>::finished, this,
            &BackupListing::OnFinished);
    connect(&m_sizes, &QFutureWatcher<QList<BackupSummary>>::finished, this,
            &BackupListing::OnSized);
}

BackupListing::~BackupListing()
{
    *m_stopSizing = true;
    m_watcher.waitForFinished();
    m_sizes.waitForFinished();
}

void BackupListing::List(const QStringList& standard, const QStringList& added,
                         std::function<void()> then)
{
    if (then)
        m_after << then;
    m_standard = standard;
    m_added = added;
    if (m_running) {
        m_again = true;
        return;
    }
    m_running = true;
    m_watcher.setFuture(
        QtConcurrent::run([standard, added] { return BackupLocator::Find(standard, added); }));
}

void BackupListing::OnFinished()
{
    m_running = false;
    if (m_again) {
        m_again = false;
        List(m_standard, m_added, nullptr);
        return;
    }
    const QList<BackupSummary> backups = m_watcher.result();
    emit listed(backups);
    const QVector<std::function<void()>> after = m_after;
    m_after.clear();
    for (const std::function<void()>& then : after)
        then();
    emit settled();
    const std::shared_ptr<std::atomic<bool>> stop = m_stopSizing;
    m_sizes.setFuture(
        QtConcurrent::run([backups, stop] { return BackupLocator::Sized(backups, stop.get()); }));
}

void BackupListing::OnSized()
{
    // A list made meanwhile is sized after it; these sizes are of an older one.
    if (!m_running)
        emit sized(m_sizes.result());
}
