#include "fakeitem.h"

FakeItem::FakeItem(MMobile::IMDRecord* record, bool deleted) : m_record(record), m_deleted(deleted)
{
}

FakeItem::~FakeItem() = default;

MMobile::IMDRecord* FakeItem::GetRecord()
{
    return m_record;
}

bool FakeItem::IsDeleted()
{
    return m_deleted;
}

void FakeItem::SetDropMark(bool drop)
{
    m_dropMark = drop;
}

void FakeItem::setDeleted(bool deleted)
{
    m_deleted = deleted;
}

bool FakeItem::dropMark() const
{
    return m_dropMark;
}
