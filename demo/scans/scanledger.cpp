#include "scanledger.h"

#include "pages/demophotopage.h"
#include "pages/demotablepage.h"
#include "pages/reminderspage.h"

#include "store/taskitem.h"

int ScanLedger::DeletedItems(CategoryPanel* page)
{
    // A file page's store keeps the photos and recordings without their
    // deleted mark.
    if (auto* files = qobject_cast<DemoPhotoPage*>(page))
        return files->deletedCount();
    const TaskItem* store = nullptr;
    if (auto* table = qobject_cast<DemoTablePage*>(page))
        store = table->store();
    else if (auto* reminders = qobject_cast<RemindersPage*>(page))
        store = reminders->store();
    return store ? int(store->GetDataCount(true)) : 0;
}

void ScanLedger::Reset()
{
    m_queue.clear();
    m_current = -1;
    m_status.clear();
    m_items.clear();
    m_deleted.clear();
    m_skipped.clear();
}

void ScanLedger::Begin(MMobile::MDType type)
{
    m_status.insert(int(type), MMobile::TASK_BEGIN);
    m_items.remove(int(type));
    m_deleted.remove(int(type));
}

void ScanLedger::Fail(MMobile::MDType type)
{
    m_status.insert(int(type), MMobile::TASK_ERROR);
}

void ScanLedger::Stop(MMobile::MDType type)
{
    m_status.insert(int(type), MMobile::TASK_STOP);
}

void ScanLedger::End(MMobile::MDType type, int status, int items, int deleted, int skipped)
{
    m_status.insert(int(type), status);
    m_items.insert(int(type), items);
    m_deleted.insert(int(type), deleted);
    m_skipped.insert(int(type), skipped);
}

int ScanLedger::Status(MMobile::MDType type) const
{
    return m_status.value(int(type), MMobile::TASK_STOP);
}

bool ScanLedger::Ended(MMobile::MDType type) const
{
    return MMobile::IsTaskEndStatus(Status(type));
}

bool ScanLedger::Counted(MMobile::MDType type) const
{
    return m_items.contains(int(type));
}

int ScanLedger::Items(MMobile::MDType type) const
{
    return m_items.value(int(type), -1);
}

int ScanLedger::Deleted(MMobile::MDType type) const
{
    return m_deleted.value(int(type), -1);
}

int ScanLedger::Skipped(MMobile::MDType type) const
{
    return m_skipped.value(int(type), -1);
}

namespace {
int Sum(const QHash<int, int>& counts)
{
    int sum = 0;
    for (int count : counts)
        sum += qMax(0, count);
    return sum;
}
} // namespace

int ScanLedger::TotalItems() const
{
    return Sum(m_items);
}

int ScanLedger::TotalDeleted() const
{
    return Sum(m_deleted);
}

void ScanLedger::Queue(const QVector<MMobile::MDType>& types)
{
    m_queue = types;
    m_total = types.size();
    m_current = -1;
}

void ScanLedger::StopAll()
{
    m_queue.clear();
    m_current = -1;
}
