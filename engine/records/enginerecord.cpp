#include "enginerecord.h"

#include "contentfiles.h"

EngineRecord::~EngineRecord() = default;

std::vector<EngineRecord::SourceFile> EngineRecord::SourceFiles() const
{
    return {};
}

void EngineRecord::MakeReadable(const char* path) const
{
    if (m_encryption && path)
        m_encryption->Materialize(QString::fromUtf8(path));
}
