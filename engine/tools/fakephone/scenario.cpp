#include "scenario.h"

#include <cstdlib>
#include <sstream>

namespace {

bool ParseNumber(const std::string& text, int low, int high, int* value)
{
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const int number = std::atoi(text.c_str());
    if (number < low || number > high)
        return false;
    *value = number;
    return true;
}

} // namespace

bool Scenario::Parse(const std::string& text, Scenario* scenario, std::string* error)
{
    Scenario parsed;
    std::istringstream names(text);
    std::string name;
    while (std::getline(names, name, ',')) {
        const size_t equals = name.find('=');
        const std::string key = name.substr(0, equals);
        const std::string value =
            equals == std::string::npos ? std::string() : name.substr(equals + 1);
        if (key == "normal" && equals == std::string::npos) {
        } else if (key == "locked" && equals == std::string::npos) {
            parsed.locked = true;
        } else if (key == "pairing-pending" && equals == std::string::npos) {
            parsed.pairing = PAIRING_PENDING;
        } else if (key == "pairing-refused" && equals == std::string::npos) {
            parsed.pairing = PAIRING_REFUSED;
        } else if (key == "disk-full" && equals == std::string::npos) {
            parsed.diskFull = true;
        } else if (key == "busy" && equals == std::string::npos) {
            parsed.busy = true;
        } else if (key == "in-place" && equals == std::string::npos) {
            parsed.inPlace = true;
        } else if (key == "no-sizes" && equals == std::string::npos) {
            parsed.noSizes = true;
        } else if (key == "unplug-at") {
            if (!ParseNumber(value, 0, 100, &parsed.unplugAtPercent)) {
                *error = "unplug-at needs a percentage from 0 to 100";
                return false;
            }
        } else if (key == "slow") {
            parsed.slowMilliseconds = 20;
            if (equals != std::string::npos &&
                !ParseNumber(value, 1, 60000, &parsed.slowMilliseconds)) {
                *error = "slow=MS needs milliseconds from 1 to 60000";
                return false;
            }
        } else {
            *error = "unknown scenario '" + name + "'";
            return false;
        }
    }
    *scenario = parsed;
    return true;
}
