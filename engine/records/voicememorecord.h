#ifndef VOICEMEMORECORD_H
#define VOICEMEMORECORD_H

#include "contracts/ivoicememo.h"
#include "enginerecord.h"
#include "recordtext.h"

#include <cstdint>
#include <map>
#include <mutex>

// One recording of the voice-memo store. Text properties by key: 10 the
// thumbnail path the page sets, and this engine's own keys below.
class VoiceMemoRecord : public MMobile::IVoiceMemo, public EngineRecord
{
public:
    enum PropertyKey {
        PROP_FILE_PATH = 1, // content file in the backup folder
        PROP_FILE_NAME = 2, // the recording's file name on the phone
        PROP_DURATION = 3,  // "HH:mm:ss"
        PROP_DATE = 4       // "yyyy-MM-dd HH:mm:ss", local time
    };

    VoiceMemoRecord(const QString& displayText, std::uint64_t unixTime);
    ~VoiceMemoRecord() override;
    MMobile::IMDRecord* Record() override { return this; }
    std::vector<SourceFile> SourceFiles() const override;

    void SetDropMark(bool drop) override;
    const char* GetDisplayText() override;
    std::uint64_t GetTime() override;
    const char* GetTextProperty(int key) override;
    void SetTextProperty(int key, const char* value) override;

private:
    QByteArray m_displayText;
    std::uint64_t m_time;
    mutable std::mutex m_mutex; // the page sets the thumbnail while an export may read
    std::map<int, QByteArray> m_properties;
};

#endif // VOICEMEMORECORD_H
