#include "backuplisting.h"

#include "backuplocator.h"

BackupListing::BackupListing(QObject* parent) : QObject(parent), m_list(this), m_sizes(this) {}

BackupListing::~BackupListing()
{
    // A walk of a large backup is not waited for; the calls wait for the rest.
    m_stopSizing->store(true);
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
    const QStringList ownStandard = BackgroundCall::OwnCopy(standard);
    const QStringList ownAdded = BackgroundCall::OwnCopy(added);
    m_list.Run<QList<BackupSummary>>(
        [ownStandard, ownAdded] { return BackupLocator::Find(ownStandard, ownAdded); },
        [this](const QList<BackupSummary>& backups) { OnFinished(backups); });
}

void BackupListing::OnFinished(const QList<BackupSummary>& backups)
{
    m_running = false;
    if (m_again) {
        m_again = false;
        List(m_standard, m_added, nullptr);
        return;
    }
    m_newest = backups;
    emit listed(backups);
    const QVector<std::function<void()>> after = m_after;
    m_after.clear();
    for (const std::function<void()>& then : after)
        then();
    emit settled();
    SizeNewest();
}

void BackupListing::SizeNewest()
{
    if (m_sizes.IsRunning()) {
        // The walk is of an older list: it stops, and this one is sized after it.
        m_sizeAgain = true;
        m_stopSizing->store(true);
        return;
    }
    m_sizeAgain = false;
    m_stopSizing = std::make_shared<std::atomic<bool>>(false);
    const std::shared_ptr<std::atomic<bool>> stop = m_stopSizing;
    QStringList folders; // empty where there is nothing to size
    for (const BackupSummary& backup : qAsConst(m_newest))
        folders << (backup.state == BackupSummary::NotABackup
                        ? QString()
                        : BackgroundCall::OwnCopy(backup.folder));
    m_sizes.Run<QVector<qint64>>(
        [folders, stop] {
            QVector<qint64> sizes;
            for (const QString& folder : folders)
                sizes << (folder.isEmpty() ? qint64(-1)
                                           : BackupSummary::FolderSize(folder, stop.get()));
            return sizes;
        },
        [this](const QVector<qint64>& sizes) { OnSized(sizes); });
}

void BackupListing::OnSized(const QVector<qint64>& sizes)
{
    if (m_sizeAgain) {
        SizeNewest();
        return;
    }
    // A list made meanwhile is sized after it; these sizes are of an older one.
    if (m_running || sizes.size() != m_newest.size())
        return;
    QList<BackupSummary> backups = m_newest;
    for (int i = 0; i < backups.size(); ++i) {
        if (backups[i].state != BackupSummary::NotABackup)
            backups[i].size = sizes[i];
    }
    emit sized(backups);
}
