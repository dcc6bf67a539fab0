#include "phonestate.h"

#include <sys/socket.h>

PhoneState::PhoneState(const Scenario& scenario)
    : m_locked(scenario.locked), m_busy(scenario.busy), m_unplugAtPercent(scenario.unplugAtPercent),
      m_slowMilliseconds(scenario.slowMilliseconds), m_diskFull(scenario.diskFull),
      m_inPlace(scenario.inPlace), m_noSizes(scenario.noSizes)
{
}

bool PhoneState::Locked() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_locked;
}

void PhoneState::Unlock()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_locked = false;
    m_busy = false;
}

bool PhoneState::Busy() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_busy;
}

bool PhoneState::Plugged() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_plugged;
}

uint32_t PhoneState::DeviceId() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_deviceId;
}

void PhoneState::Unplug()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_plugged)
        return;
    m_plugged = false;
    // Shut down, not close: each connection's own thread closes its descriptor.
    for (int fd : m_connections)
        ::shutdown(fd, SHUT_RDWR);
    NotifyLocked(false);
}

void PhoneState::Plug()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_plugged)
        return;
    m_plugged = true;
    ++m_deviceId;
    NotifyLocked(true);
}

void PhoneState::TogglePlug()
{
    if (Plugged())
        Unplug();
    else
        Plug();
}

bool PhoneState::Register(int fd)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_plugged)
        return false;
    m_connections.insert(fd);
    return true;
}

void PhoneState::Unregister(int fd)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_connections.erase(fd);
}

int PhoneState::AddListener(EventSink sink)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const int id = m_nextListener++;
    m_listeners[id] = std::move(sink);
    return id;
}

void PhoneState::RemoveListener(int id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_listeners.erase(id);
}

bool PhoneState::UnplugDue(uint64_t sent, uint64_t total)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_unplugAtPercent < 0)
        return false;
    if (total > 0 && sent * 100 < total * static_cast<uint64_t>(m_unplugAtPercent))
        return false;
    m_unplugAtPercent = -1;
    return true;
}

void PhoneState::NotifyLocked(bool attached)
{
    for (auto& listener : m_listeners)
        listener.second(attached, m_deviceId);
}
