#include "makeoutputpath.h"

#include "contracts/idevice.h"
#include "contracts/ideviceinfo.h"

#include <cstring>
#include <string>

namespace {

const std::size_t kMaxNameBytes = 100;

bool isContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// Length of the well-formed UTF-8 sequence starting at s[i], or 0 when the
// bytes there do not form one (overlong forms and surrogates included).
std::size_t validSequenceLength(const std::string& s, std::size_t i)
{
    const auto at = [&s](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = at(i);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        if (c == 0xE0)
            low = 0xA0;
        else if (c == 0xED)
            high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        if (c == 0xF0)
            low = 0x90;
        else if (c == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > s.size())
        return 0;
    if (at(i + 1) < low || at(i + 1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k) {
        if (!isContinuation(at(i + k)))
            return 0;
    }
    return length;
}

bool isUnsafeAscii(unsigned char c)
{
    return c < 0x20 || c == 0x7F || std::strchr("/\\<>:\"|?*", c) != nullptr;
}

void trimTrailingSpacesAndDots(std::string& s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '.'))
        s.pop_back();
}

char upper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool isReservedDeviceName(const std::string& name)
{
    std::string base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    for (char& c : base)
        c = upper(c);
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || base == "CONIN$" ||
        base == "CONOUT$")
        return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

// One folder name that cannot leave its parent or upset a file system.
std::string safeComponent(const std::string& raw)
{
    std::string result;
    result.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size();) {
        const unsigned char c = static_cast<unsigned char>(raw[i]);
        if (c < 0x80) {
            result += isUnsafeAscii(c) ? '_' : static_cast<char>(c);
            ++i;
        } else if (const std::size_t length = validSequenceLength(raw, i)) {
            result.append(raw, i, length);
            i += length;
        } else {
            result += '_';
            ++i;
        }
    }

    const std::size_t first = result.find_first_not_of(' ');
    result.erase(0, first == std::string::npos ? result.size() : first);
    if (result.size() > kMaxNameBytes) {
        std::size_t cut = kMaxNameBytes;
        while (cut > 0 && isContinuation(static_cast<unsigned char>(result[cut])))
            --cut;
        result.resize(cut);
    }
    trimTrailingSpacesAndDots(result);

    if (result.empty() || result == "." || result == "..")
        return "_";
    // A name that begins with a dot is hidden on Unix: it is made visible.
    for (std::size_t i = 0; i < result.size() && result[i] == '.'; ++i)
        result[i] = '_';
    if (isReservedDeviceName(result))
        result.insert(result.begin(), '_');
    return result;
}

const char* categoryFolderName(MMobile::MDType type)
{
    switch (type) {
    case MMobile::MD_PHOTO:
        return "Photos";
    case MMobile::MD_CONTACT:
        return "Contacts";
    case MMobile::MD_MESSAGE_ATTACHMENT:
        return "Message Attachments";
    case MMobile::MD_MESSAGE:
        return "Messages";
    case MMobile::MD_CALL_HISTORY:
        return "Call History";
    case MMobile::MD_CALENDAR:
        return "Calendar";
    case MMobile::MD_NOTE_ATTACHMENT:
        return "Note Attachments";
    case MMobile::MD_NOTE:
        return "Notes";
    case MMobile::MD_VOICE_MEMO:
        return "Voice Memos";
    case MMobile::MD_SAFARI_BOOKMARK:
        return "Safari Bookmarks";
    case MMobile::MD_WHATSAPP_ATTACHMENT:
        return "WhatsApp Attachments";
    case MMobile::MD_WHATSAPP_MESSAGE:
        return "WhatsApp Messages";
    case MMobile::MD_WECHAT_CONTACT:
        return "WeChat Contacts";
    case MMobile::MD_WECHAT_ATTACHMENT:
        return "WeChat Attachments";
    case MMobile::MD_WECHAT_MESSAGE:
        return "WeChat Messages";
    case MMobile::MD_REMINDER:
        return "Reminders";
    }
    return "Data";
}

char separatorFor(const std::string& folder)
{
    const char last = folder.back();
    if (last == '/' || last == '\\')
        return last;
    const std::size_t inside = folder.find_last_of("/\\");
    if (inside != std::string::npos)
        return folder[inside];
#ifdef _WIN32
    return '\\';
#else
    return '/';
#endif
}

std::string deviceName(MMobile::IDevice* device)
{
    MMobile::IDeviceInfo* info = device ? device->GetDeviceInfo() : nullptr;
    const char* name = info ? info->GetTextProperty(MMobile::DEVICE_PROP_DISPLAY_NAME, 0) : nullptr;
    if (!name || !*name)
        return "Unknown Device";
    return name;
}

} // namespace

bool MakeOutputPath(const char* folder, MMobile::IDevice* device, MMobile::MDType type, char* out,
                    int outSize)
{
    if (!out || outSize <= 0)
        return false;
    out[0] = '\0';
    if (!folder || !*folder)
        return false;

    std::string path(folder);
    const char separator = separatorFor(path);
    if (path.back() != '/' && path.back() != '\\')
        path += separator;
    path += safeComponent(deviceName(device));
    path += separator;
    path += categoryFolderName(type);
    path += separator;

    // A cut path names another folder, possibly outside the chosen one:
    // nothing is written rather than that.
    if (path.size() > static_cast<std::size_t>(outSize) - 1)
        return false;
    std::memcpy(out, path.data(), path.size());
    out[path.size()] = '\0';
    return true;
}
