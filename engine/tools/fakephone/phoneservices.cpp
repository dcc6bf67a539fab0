#include "phoneservices.h"

#include "afcservice.h"
#include "backupservice.h"
#include "lockdownsession.h"
#include "notificationproxy.h"
#include "wirestream.h"

namespace {

// Real phones hand out a fresh port per StartService; fixed ones do as well
// for hosts, which only pass the number back to usbmux.
constexpr uint16_t kNotificationProxyPort = 50001;
constexpr uint16_t kAfcPort = 50002;
constexpr uint16_t kBackupPort = 50003;

} // namespace

PhoneServices::PhoneServices(const ServedBackup& backup, PhoneState& state, PairingStore& pairing,
                             const std::string& restoreInto)
    : m_backup(backup), m_state(state), m_pairing(pairing), m_restoreInto(restoreInto)
{
}

uint16_t PhoneServices::PortOf(const std::string& service)
{
    if (service == "com.apple.mobile.notification_proxy")
        return kNotificationProxyPort;
    if (service == "com.apple.afc")
        return kAfcPort;
    if (service == "com.apple.mobilebackup2")
        return kBackupPort;
    return 0;
}

bool PhoneServices::Offers(uint16_t port) const
{
    return port == kLockdownPort || port == kNotificationProxyPort || port == kAfcPort ||
           port == kBackupPort;
}

void PhoneServices::Run(uint16_t port, int fd)
{
    WireStream stream(fd);
    switch (port) {
    case kLockdownPort:
        LockdownSession(m_backup, m_state, m_pairing).Run(stream);
        break;
    case kNotificationProxyPort:
        NotificationProxy().Run(stream);
        break;
    case kAfcPort:
        AfcService(m_state, m_afcLockMutex, m_afcLockOwner).Run(stream);
        break;
    case kBackupPort:
        BackupService(m_backup, m_state, m_restoreInto).Run(stream);
        break;
    default:
        break;
    }
}
