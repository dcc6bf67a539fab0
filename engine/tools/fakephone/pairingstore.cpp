#include "pairingstore.h"

#include "plistnode.h"

#include <openssl/encoder.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <openssl/rsa.h>

namespace {

std::string RandomUuid()
{
    unsigned char bytes[16];
    RAND_bytes(bytes, sizeof bytes);
    bytes[6] = (bytes[6] & 0x0f) | 0x40;
    bytes[8] = (bytes[8] & 0x3f) | 0x80;
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            out += '-';
        out += hex[bytes[i] >> 4];
        out += hex[bytes[i] & 15];
    }
    return out;
}

// Stand-ins for certificates: the session never switches to SSL, so hosts
// store and send them but never parse them.
std::string PemStandIn(const char* what)
{
    return std::string("-----BEGIN ") + what + "-----\nZmFrZSBwaG9uZQ==\n-----END " + what +
           "-----\n";
}

} // namespace

PairingStore::PairingStore(Scenario::Pairing start, const std::string& udid)
    : m_dialog(start), m_buid(RandomUuid())
{
    m_escrowBag = "fake-escrow-bag-" + RandomUuid();
    if (start != Scenario::PAIRED)
        return;
    const std::string hostId = RandomUuid();
    PlistNode record = PlistNode::Dict();
    plist_t dict = record.Get();
    auto data = [dict](const char* key, const std::string& bytes) {
        plist_dict_set_item(dict, key, plist_new_data(bytes.data(), bytes.size()));
    };
    plist_dict_set_item(dict, "HostID", plist_new_string(hostId.c_str()));
    plist_dict_set_item(dict, "SystemBUID", plist_new_string(m_buid.c_str()));
    data("HostCertificate", PemStandIn("CERTIFICATE"));
    data("HostPrivateKey", PemStandIn("RSA PRIVATE KEY"));
    data("DeviceCertificate", PemStandIn("CERTIFICATE"));
    data("RootCertificate", PemStandIn("CERTIFICATE"));
    data("RootPrivateKey", PemStandIn("RSA PRIVATE KEY"));
    data("EscrowBag", m_escrowBag);
    plist_dict_set_item(dict, "WiFiMACAddress", plist_new_string("02:00:00:fa:4e:01"));
    m_records[udid] = record.Xml();
    m_trusted.insert(hostId);
}

std::string PairingStore::ReadRecord(const std::string& udid) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_records.find(udid);
    return it == m_records.end() ? std::string() : it->second;
}

void PairingStore::SaveRecord(const std::string& udid, const std::string& record)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_records[udid] = record;
}

void PairingStore::DeleteRecord(const std::string& udid)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_records.erase(udid);
}

bool PairingStore::Trusts(const std::string& hostId) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_trusted.count(hostId) > 0;
}

PairingStore::Answer PairingStore::Pair(const std::string& hostId)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_trusted.count(hostId) > 0)
        return ACCEPTED;
    switch (m_dialog) {
    case Scenario::PAIRING_PENDING:
        return PENDING;
    case Scenario::PAIRING_REFUSED:
        return REFUSED;
    case Scenario::PAIRED:
        break;
    }
    if (hostId.empty())
        return REFUSED;
    m_trusted.insert(hostId);
    return ACCEPTED;
}

void PairingStore::Unpair(const std::string& hostId)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_trusted.erase(hostId);
}

void PairingStore::Accept()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_dialog = Scenario::PAIRED;
}

void PairingStore::Refuse()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_dialog == Scenario::PAIRING_PENDING)
        m_dialog = Scenario::PAIRING_REFUSED;
}

std::string PairingStore::DevicePublicKey()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_publicKey.empty())
        return m_publicKey;
    EVP_PKEY* key = EVP_RSA_gen(2048);
    if (!key)
        return std::string();
    OSSL_ENCODER_CTX* encoder =
        OSSL_ENCODER_CTX_new_for_pkey(key, EVP_PKEY_PUBLIC_KEY, "PEM", "type-specific", nullptr);
    unsigned char* pem = nullptr;
    size_t length = 0;
    if (encoder && OSSL_ENCODER_to_data(encoder, &pem, &length) == 1 && pem)
        m_publicKey.assign(reinterpret_cast<const char*>(pem), length);
    OPENSSL_free(pem);
    OSSL_ENCODER_CTX_free(encoder);
    EVP_PKEY_free(key);
    return m_publicKey;
}
