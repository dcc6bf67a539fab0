#include "lockdownsession.h"

#include "pairingstore.h"
#include "phoneservices.h"
#include "phonestate.h"
#include "plistnode.h"
#include "servedbackup.h"
#include "wirestream.h"

#include <openssl/rand.h>

namespace {

PlistNode Reply(const std::string& request)
{
    PlistNode reply = PlistNode::Dict();
    plist_dict_set_item(reply.Get(), "Request", plist_new_string(request.c_str()));
    return reply;
}

PlistNode Failure(const std::string& request, const char* error)
{
    PlistNode reply = Reply(request);
    plist_dict_set_item(reply.Get(), "Error", plist_new_string(error));
    return reply;
}

PlistNode Success(const std::string& request)
{
    PlistNode reply = Reply(request);
    plist_dict_set_item(reply.Get(), "Result", plist_new_string("Success"));
    return reply;
}

std::string SessionId()
{
    unsigned char bytes[16];
    RAND_bytes(bytes, sizeof bytes);
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char b : bytes) {
        out += hex[b >> 4];
        out += hex[b & 15];
    }
    return out;
}

} // namespace

LockdownSession::LockdownSession(const ServedBackup& backup, PhoneState& state,
                                 PairingStore& pairing)
    : m_backup(backup), m_state(state), m_pairing(pairing)
{
}

void LockdownSession::Run(WireStream& stream)
{
    while (!m_done) {
        PlistNode request;
        if (!stream.ReadPlist(&request, 1u << 20))
            return;
        if (!stream.WritePlist(Answer(request)))
            return;
    }
}

PlistNode LockdownSession::Value(const std::string& domain, const std::string& key)
{
    PlistNode values;
    if (domain.empty()) {
        values = m_backup.DeviceValues();
        plist_dict_set_item(values.Get(), "PasswordProtected", plist_new_bool(m_state.Locked()));
        if (key == "DevicePublicKey") {
            const std::string pem = m_pairing.DevicePublicKey();
            return PlistNode(plist_new_data(pem.data(), pem.size()));
        }
    } else if (domain == "com.apple.mobile.backup") {
        values = PlistNode::Dict();
        plist_dict_set_item(values.Get(), "WillEncrypt", plist_new_bool(m_backup.Encrypted()));
        plist_dict_set_item(values.Get(), "RequiresEncryption", plist_new_bool(0));
        plist_dict_set_item(values.Get(), "Version", plist_new_string("2.0"));
    } else if (domain == "com.apple.disk_usage") {
        uint64_t used = 0;
        for (const ServedBackup::File& file : m_backup.Files())
            used += file.size;
        values = PlistNode::Dict();
        plist_dict_set_item(values.Get(), "TotalDataCapacity", plist_new_uint(used + (1ull << 34)));
        plist_dict_set_item(values.Get(), "TotalDataAvailable", plist_new_uint(1ull << 34));
    } else if (domain == "com.apple.mobile.battery") {
        values = PlistNode::Dict();
        plist_dict_set_item(values.Get(), "BatteryCurrentCapacity", plist_new_uint(100));
        plist_dict_set_item(values.Get(), "BatteryIsCharging", plist_new_bool(1));
    } else {
        return PlistNode();
    }
    if (key.empty())
        return values;
    plist_t item = plist_dict_get_item(values.Get(), key.c_str());
    return item ? PlistNode(plist_copy(item)) : PlistNode();
}

PlistNode LockdownSession::Pair(const PlistNode& request, const std::string& verb)
{
    const std::string hostId =
        PlistNode::String(plist_dict_get_item(request.Get(), "PairRecord"), "HostID");
    if (verb == "ValidatePair")
        return m_pairing.Trusts(hostId) ? Success(verb) : Failure(verb, "InvalidHostID");
    if (verb == "Unpair") {
        m_pairing.Unpair(hostId);
        return Success(verb);
    }
    // A phone shows no trust dialog while it is passcode-locked.
    if (!m_pairing.Trusts(hostId) && m_state.Locked())
        return Failure(verb, "PasswordProtected");
    switch (m_pairing.Pair(hostId)) {
    case PairingStore::PENDING:
        return Failure(verb, "PairingDialogResponsePending");
    case PairingStore::REFUSED:
        return Failure(verb, "UserDeniedPairing");
    case PairingStore::ACCEPTED:
        break;
    }
    PlistNode reply = Success(verb);
    const std::string bag = m_pairing.EscrowBag();
    plist_dict_set_item(reply.Get(), "EscrowBag", plist_new_data(bag.data(), bag.size()));
    return reply;
}

PlistNode LockdownSession::Answer(const PlistNode& request)
{
    const std::string verb = PlistNode::String(request.Get(), "Request");
    if (verb == "QueryType") {
        PlistNode reply = Success(verb);
        plist_dict_set_item(reply.Get(), "Type", plist_new_string("com.apple.mobile.lockdown"));
        return reply;
    }
    if (verb == "GetValue") {
        const std::string domain = PlistNode::String(request.Get(), "Domain");
        const std::string key = PlistNode::String(request.Get(), "Key");
        PlistNode value = Value(domain, key);
        if (!value)
            return Failure(verb, "MissingValue");
        PlistNode reply = Success(verb);
        if (!domain.empty())
            plist_dict_set_item(reply.Get(), "Domain", plist_new_string(domain.c_str()));
        if (!key.empty())
            plist_dict_set_item(reply.Get(), "Key", plist_new_string(key.c_str()));
        plist_dict_set_item(reply.Get(), "Value", value.Release());
        return reply;
    }
    if (verb == "SetValue" || verb == "RemoveValue")
        return Success(verb);
    if (verb == "Pair" || verb == "ValidatePair" || verb == "Unpair")
        return Pair(request, verb);
    if (verb == "StartSession") {
        if (!m_pairing.Trusts(PlistNode::String(request.Get(), "HostID")))
            return Failure(verb, "InvalidHostID");
        m_sessionId = SessionId();
        PlistNode reply = Success(verb);
        plist_dict_set_item(reply.Get(), "SessionID", plist_new_string(m_sessionId.c_str()));
        plist_dict_set_item(reply.Get(), "EnableSessionSSL", plist_new_bool(0));
        return reply;
    }
    if (verb == "StopSession") {
        m_sessionId.clear();
        return Success(verb);
    }
    if (verb == "StartService") {
        const std::string service = PlistNode::String(request.Get(), "Service");
        if (m_sessionId.empty())
            return Failure(verb, "NoRunningSession");
        const uint16_t port = PhoneServices::PortOf(service);
        if (port == 0)
            return Failure(verb, "InvalidService");
        PlistNode reply = Success(verb);
        plist_dict_set_item(reply.Get(), "Service", plist_new_string(service.c_str()));
        plist_dict_set_item(reply.Get(), "Port", plist_new_uint(port));
        plist_dict_set_item(reply.Get(), "EnableServiceSSL", plist_new_bool(0));
        return reply;
    }
    if (verb == "Goodbye") {
        m_done = true;
        return Success(verb);
    }
    return Failure(verb, "InvalidRequest");
}
