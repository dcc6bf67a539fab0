#pragma once

#include "scenario.h"

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <set>

// The live state of the one fake phone, shared by every connection thread and
// the signal thread: locked or not, plugged in or not (with usbmux's device id),
// the service connections that an unplug cuts, and the usbmux listeners that
// hear Attached/Detached. All members are guarded by one mutex.
class PhoneState
{
public:
    // Called with the mutex held: must only write to its own socket.
    using EventSink = std::function<void(bool attached, uint32_t deviceId)>;

    explicit PhoneState(const Scenario& scenario);

    bool Locked() const;
    // Unlocks the screen and ends the other sync of the busy scenario.
    void Unlock();
    // Another sync holds the phone: nobody gets its sync lock.
    bool Busy() const;

    bool Plugged() const;
    uint32_t DeviceId() const;
    // Unplug cuts every registered connection and tells the listeners; Plug
    // attaches the phone again under a new device id, as usbmuxd does.
    void Unplug();
    void Plug();
    void TogglePlug();

    // A connection to a service of the phone; false (do not serve) when unplugged.
    bool Register(int fd);
    void Unregister(int fd);

    int AddListener(EventSink sink);
    void RemoveListener(int id);

    // The unplug-at scenario: true once, when sent/total first reaches the percentage.
    bool UnplugDue(uint64_t sent, uint64_t total);
    int SlowMilliseconds() const { return m_slowMilliseconds; }
    bool DiskFull() const { return m_diskFull; }
    bool InPlace() const { return m_inPlace; }
    bool SendsSizes() const { return !m_noSizes; }

private:
    void NotifyLocked(bool attached);

    mutable std::mutex m_mutex;
    bool m_locked;
    bool m_busy;
    bool m_plugged = true;
    uint32_t m_deviceId = 1;
    int m_unplugAtPercent;
    const int m_slowMilliseconds;
    const bool m_diskFull;
    const bool m_inPlace;
    const bool m_noSizes;
    std::set<int> m_connections;
    std::map<int, EventSink> m_listeners;
    int m_nextListener = 1;
};
