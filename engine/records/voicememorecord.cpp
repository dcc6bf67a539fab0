#include "voicememorecord.h"

VoiceMemoRecord::VoiceMemoRecord(const QString& displayText, std::uint64_t unixTime)
    : m_displayText(displayText.toUtf8()), m_time(unixTime)
{
}

VoiceMemoRecord::~VoiceMemoRecord() = default;

std::vector<EngineRecord::SourceFile> VoiceMemoRecord::SourceFiles() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto path = m_properties.find(PROP_FILE_PATH);
    const auto name = m_properties.find(PROP_FILE_NAME);
    if (path == m_properties.end() || name == m_properties.end())
        return {};
    return {{QString::fromUtf8(path->second), QString::fromUtf8(name->second)}};
}

void VoiceMemoRecord::SetDropMark(bool drop)
{
    MarkDropped(drop);
}
const char* VoiceMemoRecord::GetDisplayText()
{
    return m_displayText.constData();
}
std::uint64_t VoiceMemoRecord::GetTime()
{
    return m_time;
}

const char* VoiceMemoRecord::GetTextProperty(int key)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_properties.find(key);
    if (it == m_properties.end())
        return nullptr;
    if (key == PROP_FILE_PATH)
        MakeReadable(it->second.constData());
    return it->second.constData();
}

void VoiceMemoRecord::SetTextProperty(int key, const char* value)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (value)
        m_properties[key] = QByteArray(value);
    else
        m_properties.erase(key);
}
