#ifndef BACKUPLISTING_H
#define BACKUPLISTING_H

#include "backupsummary.h"
#include "workers/backgroundcall.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <QVector>

#include <atomic>
#include <functional>
#include <memory>

// Makes the list of backups on a worker thread and hands it over on the GUI
// thread; then sizes them there (a large backup's every folder is read) and
// hands the list over again with its sizes, so that nothing waits for them.
// A request while one runs makes the list once more afterwards, as its
// folders changed; every request's follow-up runs once the newest list is
// there, without waiting for its sizes.
class BackupListing : public QObject
{
    Q_OBJECT

public:
    explicit BackupListing(QObject* parent = nullptr);
    ~BackupListing() override;

    // Lists the backups of `standard` and `added` folders, then runs `then`
    // (when not null) after `listed` was emitted, before `settled`.
    void List(const QStringList& standard, const QStringList& added, std::function<void()> then);
    bool IsRunning() const { return m_running; }

signals:
    void listed(const QList<BackupSummary>& backups);
    // The newest list again, with the size of each backup.
    void sized(const QList<BackupSummary>& backups);
    // After the follow-ups of the list just emitted.
    void settled();

private:
    void OnFinished(const QList<BackupSummary>& backups);
    void SizeNewest();
    void OnSized(const QVector<qint64>& sizes);

    // Set when the list goes or a newer list is to be sized: a walk of a
    // large backup is not waited for.
    std::shared_ptr<std::atomic<bool>> m_stopSizing = std::make_shared<std::atomic<bool>>(false);
    bool m_running = false;
    bool m_sizeAgain = false; // a newer list waits for the running walk to stop
    QList<BackupSummary> m_newest;
    bool m_again = false; // the folders changed while the list was being made
    QStringList m_standard;
    QStringList m_added;
    QVector<std::function<void()>> m_after;
    // Declared last: they go first, waiting for their threads while the
    // members their follow-ups use still exist.
    BackgroundCall m_list;
    BackgroundCall m_sizes;
};

#endif // BACKUPLISTING_H
