#include "fakeitem.h"

FakeItem::FakeItem(MMobile::IMDRecord* record, bool deleted) : m_record(record), m_deleted(deleted)
{
}

FakeItem::~FakeItem() = default;

MMobile::IMDRecord* FakeItem::GetRecord()
{
    ++m_recordCalls;
    return m_record;
}

bool FakeItem::IsDeleted()
{
    return m_deleted;
}

void FakeItem::SetDropMark(bool drop)
{
    m_dropMark = drop;
    ++m_dropMarkCalls;
}

void FakeItem::setRecord(MMobile::IMDRecord* record)
{
    m_record = record;
    m_ownedRecord.reset();
}

void FakeItem::setDeleted(bool deleted)
{
    m_deleted = deleted;
}

bool FakeItem::dropMark() const
{
    return m_dropMark;
}

int FakeItem::dropMarkCalls() const
{
    return m_dropMarkCalls;
}

int FakeItem::recordCalls() const
{
    return m_recordCalls;
}
