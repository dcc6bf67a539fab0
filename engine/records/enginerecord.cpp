#include "enginerecord.h"

#include "contentfiles.h"

EngineRecord::~EngineRecord() = default;

std::vector<EngineRecord::SourceFile> EngineRecord::SourceFiles() const
{
    return {};
}

void EngineRecord::AppendRows(std::vector<RowKey>& rows) const
{
    if (!m_store.isNull() && m_rowid >= 0)
        rows.push_back({m_store, m_origin, m_rowid});
}

void EngineRecord::MakeReadable(const char* path) const
{
    if (m_encryption && path)
        m_encryption->Materialize(QString::fromUtf8(path));
}
