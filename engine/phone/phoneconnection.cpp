#include "phoneconnection.h"

#include <usbmuxd.h>

#include <plist/plist.h>

#include <cstdlib>

namespace {
const char* const Label = "mmobile";
} // namespace

QString PhoneInfo::ShownName() const
{
    if (!name.isEmpty())
        return name;
    if (!productType.isEmpty())
        return productType;
    return QString::fromLatin1(udid);
}

PhoneConnection::PhoneConnection(const QByteArray& udid) : m_udid(udid) {}

PhoneConnection::~PhoneConnection()
{
    Close();
}

void PhoneConnection::CloseLockdown()
{
    if (m_lockdown)
        lockdownd_client_free(m_lockdown);
    m_lockdown = nullptr;
    m_session = false;
}

void PhoneConnection::Close()
{
    if (m_lockdown)
        lockdownd_client_free(m_lockdown);
    m_lockdown = nullptr;
    if (m_device)
        idevice_free(m_device);
    m_device = nullptr;
    m_session = false;
}

bool PhoneConnection::OpenDevice()
{
    if (m_device)
        return true;
    // Only phones on the cable (or usbmuxd's socket), never over the network.
    const idevice_error_t error = idevice_new_with_options(
        &m_device, m_udid.isEmpty() ? nullptr : m_udid.constData(), IDEVICE_LOOKUP_USBMUX);
    if (error != IDEVICE_E_SUCCESS) {
        m_device = nullptr;
        return false;
    }
    if (m_udid.isEmpty()) {
        char* udid = nullptr;
        if (idevice_get_udid(m_device, &udid) == IDEVICE_E_SUCCESS && udid)
            m_udid = QByteArray(udid);
        std::free(udid);
    }
    return true;
}

lockdownd_error_t PhoneConnection::OpenPlain()
{
    if (m_lockdown)
        return LOCKDOWN_E_SUCCESS;
    if (!OpenDevice())
        return LOCKDOWN_E_MUX_ERROR;
    const lockdownd_error_t error = lockdownd_client_new(m_device, &m_lockdown, Label);
    if (error != LOCKDOWN_E_SUCCESS)
        m_lockdown = nullptr;
    return error;
}

lockdownd_error_t PhoneConnection::OpenSession()
{
    if (m_session)
        return LOCKDOWN_E_SUCCESS;
    if (!OpenDevice())
        return LOCKDOWN_E_MUX_ERROR;
    // The library's handshake pairs on its own when it finds no record, which
    // would raise the trust prompt behind the user's back.
    if (!HasPairRecord())
        return LOCKDOWN_E_MISSING_PAIR_RECORD;
    if (m_lockdown) {
        lockdownd_client_free(m_lockdown);
        m_lockdown = nullptr;
    }
    const lockdownd_error_t error =
        lockdownd_client_new_with_handshake(m_device, &m_lockdown, Label);
    if (error != LOCKDOWN_E_SUCCESS) {
        m_lockdown = nullptr;
        return error;
    }
    m_session = true;
    return LOCKDOWN_E_SUCCESS;
}

bool PhoneConnection::HasPairRecord() const
{
    if (m_udid.isEmpty())
        return false;
    char* data = nullptr;
    uint32_t size = 0;
    const int result = usbmuxd_read_pair_record(m_udid.constData(), &data, &size);
    std::free(data);
    return result == 0 && size > 0;
}

lockdownd_error_t PhoneConnection::RequestPairing()
{
    if (m_session) {
        // A session is proof enough; a new pairing would replace a good record.
        return LOCKDOWN_E_SUCCESS;
    }
    const lockdownd_error_t open = OpenPlain();
    if (open != LOCKDOWN_E_SUCCESS)
        return open;
    return lockdownd_pair(m_lockdown, nullptr);
}

QString PhoneConnection::StringValue(const char* domain, const char* key)
{
    if (!m_lockdown)
        return QString();
    plist_t node = nullptr;
    QString value;
    if (lockdownd_get_value(m_lockdown, domain, key, &node) == LOCKDOWN_E_SUCCESS && node &&
        plist_get_node_type(node) == PLIST_STRING) {
        char* text = nullptr;
        plist_get_string_val(node, &text);
        if (text)
            value = QString::fromUtf8(text);
        std::free(text);
    }
    if (node)
        plist_free(node);
    return value;
}

bool PhoneConnection::BoolValue(const char* domain, const char* key)
{
    if (!m_lockdown)
        return false;
    plist_t node = nullptr;
    uint8_t value = 0;
    if (lockdownd_get_value(m_lockdown, domain, key, &node) == LOCKDOWN_E_SUCCESS && node &&
        plist_get_node_type(node) == PLIST_BOOLEAN)
        plist_get_bool_val(node, &value);
    if (node)
        plist_free(node);
    return value != 0;
}

PhoneInfo PhoneConnection::ReadInfo()
{
    PhoneInfo info;
    info.udid = m_udid;
    info.name = StringValue(nullptr, "DeviceName");
    info.productType = StringValue(nullptr, "ProductType");
    info.productVersion = StringValue(nullptr, "ProductVersion");
    info.trusted = m_session;
    if (m_session)
        info.willEncrypt = BoolValue("com.apple.mobile.backup", "WillEncrypt");
    return info;
}
