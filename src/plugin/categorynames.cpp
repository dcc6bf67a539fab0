#include "plugin/categorynames.h"

#include <QCoreApplication>

namespace {

// Indexed by value over the contiguous range 0..22; the gap 15..21 has no name.
const char* const kNames[] = {
    QT_TRANSLATE_NOOP("CategoryPanel", "Photos"),
    QT_TRANSLATE_NOOP("CategoryPanel", "Contacts"),
    QT_TRANSLATE_NOOP("CategoryPanel", "Message Attachments"),
    QT_TRANSLATE_NOOP("CategoryPanel", "Messages"),
    QT_TRANSLATE_NOOP("CategoryPanel", "Call History"),
    QT_TRANSLATE_NOOP("CategoryPanel", "Calendar"),
    QT_TRANSLATE_NOOP("CategoryPanel", "Notes Attachments"),
    QT_TRANSLATE_NOOP("CategoryPanel", "Notes"),
    QT_TRANSLATE_NOOP("CategoryPanel", "Voice Memos"),
    QT_TRANSLATE_NOOP("CategoryPanel", "Safari"),
    QT_TRANSLATE_NOOP("CategoryPanel", "WhatsApp Attachments"),
    QT_TRANSLATE_NOOP("CategoryPanel", "WhatsApp Messages"),
    QT_TRANSLATE_NOOP("CategoryPanel", "WeChat Contacts"),
    QT_TRANSLATE_NOOP("CategoryPanel", "WeChat Attachments"),
    QT_TRANSLATE_NOOP("CategoryPanel", "WeChat Messages"),
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    QT_TRANSLATE_NOOP("CategoryPanel", "Reminders"),
};

const int kNameCount = int(sizeof(kNames) / sizeof(kNames[0]));

} // namespace

const char* CategoryNames::SourceText(MMobile::MDType type)
{
    const int value = int(type);
    if (value < 0 || value >= kNameCount)
        return nullptr;
    return kNames[value];
}

QString CategoryNames::DisplayName(MMobile::MDType type)
{
    const char* source = SourceText(type);
    if (!source)
        return QString();
    return QCoreApplication::translate("CategoryPanel", source);
}
