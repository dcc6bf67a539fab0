#ifndef MMOBILE_MMOBILETYPES_H
#define MMOBILE_MMOBILETYPES_H

// Value types shared by the host, the data engine and the library.
// Everything here crosses module (and, on Windows, DLL) boundaries, so the
// sizes are fixed: 32-bit enumerations and statuses.

#include <cstdint>

namespace MMobile {

// The data category. The underlying type is fixed so that any 32-bit value the
// engine or the host hands over (-1, the gap 15..21, values above 22) is a valid
// MDType value; code that receives one must treat unknown values neutrally.
enum MDType : std::int32_t {
    MD_PHOTO = 0,
    MD_CONTACT = 1,
    MD_MESSAGE_ATTACHMENT = 2,
    MD_MESSAGE = 3,
    MD_CALL_HISTORY = 4,
    MD_CALENDAR = 5,
    MD_NOTE_ATTACHMENT = 6,
    MD_NOTE = 7,
    MD_VOICE_MEMO = 8,
    MD_SAFARI_BOOKMARK = 9,
    MD_WHATSAPP_ATTACHMENT = 10,
    MD_WHATSAPP_MESSAGE = 11,
    MD_WECHAT_CONTACT = 12,
    MD_WECHAT_ATTACHMENT = 13,
    MD_WECHAT_MESSAGE = 14,
    MD_REMINDER = 22
};

// Status of a scan, import or export task. A plain int so that it travels in
// queued signals once registered under the name "TASK_CTRL_STATUS".
typedef int TASK_CTRL_STATUS;

enum TaskCtrlStatusValue : std::int32_t {
    TASK_BEGIN = 0,    // begun; the report carries a percentage
    TASK_DATA = 1,     // running; the category's getter may hold new items
    TASK_PERCENT = 2,  // running; the report carries a percentage
    TASK_COMPLETE = 3, // ended successfully
    TASK_ERROR = 4,    // ended with an error
    TASK_STOP = 5      // stopped, or not running
};

inline bool IsTaskEndStatus(TASK_CTRL_STATUS status)
{
    return status == TASK_COMPLETE || status == TASK_ERROR || status == TASK_STOP;
}

// Callback of every engine task, called on the engine's own threads.
// `lable` is a zero-terminated text or null; for a scan it carries the phase
// code as decimal text. Returning false asks the engine to stop the task.
typedef bool (*TaskCallBack)(void* context, MDType type, int status, int percent,
                             const char* lable);

// Recovery modes written into ImportExportConfigure::nMode and reported to the host.
enum RecoverMode : std::int32_t {
    RECOVER_SAME_DEVICE = 1,
    RECOVER_TO_PC = 3,
    RECOVER_TO_OTHER_DEVICE = 4
};

// File kinds reported by IPhoto::GetFileKind.
enum PhotoFileKind : std::int32_t {
    FILE_KIND_AUDIO = 2,
    FILE_KIND_VIDEO = 4,
    FILE_KIND_PICTURE = 8,
    FILE_KIND_CONTACT_CARD = 16
};

// Property keys of the device information object.
enum DevicePropertyKey : std::int32_t {
    DEVICE_PROP_DISPLAY_NAME = 37,
    // The categories the device takes recovered items back for, as decimal
    // MDType values separated by commas; null when the device takes none.
    DEVICE_PROP_RECOVERABLE_TYPES = 38
};

// Text property keys of a voice-memo item.
enum VoiceMemoPropertyKey : std::int32_t { VOICE_PROP_THUMBNAIL_PATH = 10 };

} // namespace MMobile

// The library's signals and slots name the status type without its namespace.
using MMobile::TASK_CTRL_STATUS;

#endif // MMOBILE_MMOBILETYPES_H
