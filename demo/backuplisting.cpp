#include "backuplisting.h"

#include "backuplocator.h"

#include <QtConcurrent>

BackupListing::BackupListing(QObject* parent) : QObject(parent)
{
    connect(&m_watcher, &QFutureWatcher<QList<BackupSummary>>::finished, this,
            &BackupListing::OnFinished);
}

BackupListing::~BackupListing()
{
    m_watcher.waitForFinished();
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
    emit listed(m_watcher.result());
    const QVector<std::function<void()>> after = m_after;
    m_after.clear();
    for (const std::function<void()>& then : after)
        then();
    emit settled();
}
