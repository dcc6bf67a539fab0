#ifndef SCANLEDGER_H
#define SCANLEDGER_H

#include "contracts/mmobiletypes.h"

#include <QHash>
#include <QVector>

class CategoryPanel;

// What the host knows of the scans of the open backup or phone: per
// category the status of its last scan and, once it ended, its item,
// deleted and skipped counts; and the categories Scan All still has to do.
// Plain bookkeeping, owned by the host window, which opens the pages and
// says what happened.
class ScanLedger
{
public:
    // The deleted items `page` took: a file page counts them from its scan,
    // a table or tree page from its store.
    static int DeletedItems(CategoryPanel* page);

    // Another backup or phone: nothing scanned, nothing queued.
    void Reset();

    // A page starts to scan `type`: its earlier counts no longer hold.
    void Begin(MMobile::MDType type);
    // The page could not start its scan.
    void Fail(MMobile::MDType type);
    // Closed or aborted before its end: it counts as not scanned.
    void Stop(MMobile::MDType type);
    void End(MMobile::MDType type, int status, int items, int deleted, int skipped);

    // TASK_STOP for a category never begun.
    int Status(MMobile::MDType type) const;
    bool Ended(MMobile::MDType type) const;
    // A scan of `type` ended with counts (Scan All leaves it out).
    bool Counted(MMobile::MDType type) const;
    // -1 before a scan ended.
    int Items(MMobile::MDType type) const;
    int Deleted(MMobile::MDType type) const;
    int Skipped(MMobile::MDType type) const;
    // Over every category whose scan ended.
    int TotalItems() const;
    int TotalDeleted() const;

    // Scan All: the categories in the order they are scanned.
    void Queue(const QVector<MMobile::MDType>& types);
    // Drops what is queued; the category being scanned stays current.
    void ClearQueue() { m_queue.clear(); }
    // Drops what is queued and the current category.
    void StopAll();
    bool HasQueued() const { return !m_queue.isEmpty(); }
    MMobile::MDType TakeNext() { return m_queue.takeFirst(); }
    // The category Scan All waits for, -1: none.
    int Current() const { return m_current; }
    void SetCurrent(int type) { m_current = type; }
    bool Running() const { return m_current >= 0 || !m_queue.isEmpty(); }
    // How many categories Scan All took on, and how many of them are done
    // before the current one.
    int Total() const { return m_total; }
    int Done() const { return m_total - m_queue.size() - 1; }

private:
    QHash<int, int> m_status;
    QHash<int, int> m_items;
    QHash<int, int> m_deleted;
    QHash<int, int> m_skipped;
    QVector<MMobile::MDType> m_queue;
    int m_total = 0;
    int m_current = -1;
};

#endif // SCANLEDGER_H
