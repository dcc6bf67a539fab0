#include "mergecapability.h"

#include "contracts/mmobiletypes.h"

#include <QCoreApplication>

bool canMergeCategory(int category, QString* reason)
{
    const char* why = nullptr;
    switch (category) {
    case MMobile::MD_CONTACT:
    case MMobile::MD_MESSAGE:
    case MMobile::MD_CALL_HISTORY:
    case MMobile::MD_CALENDAR:
    case MMobile::MD_REMINDER:
    case MMobile::MD_NOTE:
    case MMobile::MD_SAFARI_BOOKMARK:
    case MMobile::MD_PHOTO:
    case MMobile::MD_VOICE_MEMO:
    case MMobile::MD_MESSAGE_ATTACHMENT:
        break;
    case MMobile::MD_NOTE_ATTACHMENT:
        why = QT_TRANSLATE_NOOP("MergeCapability",
                                "Files of this kind cannot be put back on a phone yet: "
                                "recover them to the computer instead.");
        break;
    case MMobile::MD_WHATSAPP_MESSAGE:
    case MMobile::MD_WHATSAPP_ATTACHMENT:
    case MMobile::MD_WECHAT_CONTACT:
    case MMobile::MD_WECHAT_MESSAGE:
    case MMobile::MD_WECHAT_ATTACHMENT:
        // The app keeps its own account state beside its store: rows added
        // behind its back are not shown, or are lost at its next sync.
        why = QT_TRANSLATE_NOOP("MergeCapability",
                                "This app's data cannot be put back on a phone faithfully: "
                                "recover it to the computer instead.");
        break;
    default:
        why = QT_TRANSLATE_NOOP("MergeCapability", "This category cannot be put back on a phone.");
    }
    if (reason)
        *reason = why ? QCoreApplication::translate("MergeCapability", why) : QString();
    return why == nullptr;
}
