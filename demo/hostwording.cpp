#include "hostwording.h"

#include <cstring>

namespace {
// The library's texts, and the host's for them.
const char* const kWording[][2] = {
    // The computer button's refusal, then the device button's (a space more).
    {"Oops! It seems you haven't chosen any data to recover.<br> Please tick the check boxes and "
     "click Recover button to<br> recover.",
     QT_TRANSLATE_NOOP("HostWording",
                       "Oops! It seems you haven't chosen any data to recover.<br> Please tick "
                       "the check boxes, then click the Recover to computer button<br> (the "
                       "first one).")},
    {"Oops! It seems you haven't chosen any data to recover.<br> Please tick the checkboxes and "
     "click Recover button to <br> recover.",
     QT_TRANSLATE_NOOP("HostWording",
                       "Oops! It seems you haven't chosen any data to recover.<br> Please tick "
                       "the check boxes, then click the Recover to device button<br> (the second "
                       "one).")},
};
} // namespace

HostWording::HostWording(const QTranslator* hostCatalogue) : m_catalogue(hostCatalogue) {}

QString HostWording::translate(const char* context, const char* sourceText, const char*, int) const
{
    if (!context || !sourceText || std::strcmp(context, "RecoverButtonBar") != 0)
        return QString();
    for (const auto& wording : kWording) {
        if (std::strcmp(sourceText, wording[0]) != 0)
            continue;
        const QString translated =
            m_catalogue ? m_catalogue->translate("HostWording", wording[1]) : QString();
        return translated.isEmpty() ? QString::fromUtf8(wording[1]) : translated;
    }
    return QString();
}
