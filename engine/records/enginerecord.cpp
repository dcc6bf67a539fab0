#include "enginerecord.h"

EngineRecord::~EngineRecord() = default;

std::vector<EngineRecord::SourceFile> EngineRecord::SourceFiles() const
{
    return {};
}
