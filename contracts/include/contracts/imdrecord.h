#ifndef MMOBILE_IMDRECORD_H
#define MMOBILE_IMDRECORD_H

// Base of every typed record an item hands out (IMDCommon::GetRecord).
// The kind tells which interface the record is, so the library can take the
// record as that interface without RTTI across module boundaries and treats a
// record of the wrong kind as absent instead of misreading it.

#include <cstdint>

namespace MMobile {

class IMDCommon;

enum RecordKind : std::int32_t {
    RECORD_NONE = 0,
    RECORD_PHOTO,
    RECORD_VOICE_MEMO,
    RECORD_CONTACT,
    RECORD_MESSAGE,
    RECORD_CALL_HISTORY,
    RECORD_CALENDAR,
    RECORD_NOTE,
    RECORD_SAFARI_BOOKMARK,
    RECORD_WHATSAPP_MESSENGER,
    RECORD_WECHAT_FRIEND,
    RECORD_WECHAT_MESSAGER,
    RECORD_REMINDER
};

class IMDRecord
{
public:
    virtual RecordKind GetRecordKind() const = 0;

protected:
    ~IMDRecord() = default;
};

} // namespace MMobile

#endif // MMOBILE_IMDRECORD_H
