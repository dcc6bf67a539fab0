#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class DeviceLink;
class PhoneState;
class PlistNode;

// The phone's side of one Restore request: it fetches the host's backup of
// <source> (Status.plist, Manifest.plist, Info.plist and the index first, then
// every file the index lists, or, when the index cannot be read, e.g. an
// encrypted one, every file the host's folder lists) and keeps what arrived as
// <into>/<phone udid>/, in the standard layout, for a test to read; the
// request's options go to <into>/<phone udid>.restore-options.plist (a given
// password only as PasswordGiven). Files arrive under a staging name and are
// published whole, only when the restore succeeds. Locked phones answer
// "Device locked"; files the index lists that the host cannot send end it with
// error 205. Borrows everything.
class RestoreSession
{
public:
    RestoreSession(PhoneState& state, DeviceLink& link, const std::string& phoneUdid,
                   const std::string& source, const PlistNode& options, const std::string& into);
    bool Run(); // false when the connection is gone

private:
    bool Download(const std::vector<std::string>& names, const std::string& staging,
                  std::vector<std::string>* received, double progress);
    bool List(const std::string& folder, std::vector<std::string>* files);
    bool Finish(uint64_t code, const std::string& description, const std::string& staging);

    PhoneState& m_state;
    DeviceLink& m_link;
    std::string m_udid;
    std::string m_source;
    const PlistNode& m_options;
    std::string m_into;
};
