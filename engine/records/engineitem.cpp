#include "engineitem.h"

EngineItem::EngineItem(std::unique_ptr<EngineRecord> record, bool deleted)
    : m_record(std::move(record)), m_deleted(deleted)
{
}

EngineItem::~EngineItem() = default;

MMobile::IMDRecord* EngineItem::GetRecord()
{
    return m_record ? m_record->Record() : nullptr;
}

bool EngineItem::IsDeleted()
{
    return m_deleted;
}

void EngineItem::SetDropMark(bool drop)
{
    if (m_record)
        m_record->MarkDropped(drop);
}

bool EngineItem::IsDropped() const
{
    return m_record && m_record->IsDropped();
}

void EngineItem::SetDeleted(const QByteArray& source)
{
    m_deleted = true;
    m_source = source;
}
