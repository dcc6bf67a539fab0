#include "usbmuxserver.h"

#include "pairingstore.h"
#include "phoneservices.h"
#include "phonestate.h"
#include "plistnode.h"
#include "servedbackup.h"
#include "wirestream.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr uint32_t kHeaderSize = 16;
constexpr uint32_t kMaxMessage = 1u << 20;
constexpr uint32_t kPlistMessage = 8;
// usbmuxd's result numbers.
constexpr uint64_t kResultOk = 0;
constexpr uint64_t kResultBadDevice = 2;
constexpr uint64_t kResultConnectionRefused = 3;

uint32_t LittleEndian32(const unsigned char* bytes)
{
    return uint32_t(bytes[0]) | (uint32_t(bytes[1]) << 8) | (uint32_t(bytes[2]) << 16) |
           (uint32_t(bytes[3]) << 24);
}

void PutLittleEndian32(unsigned char* bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

bool WriteMessage(WireStream& stream, uint32_t tag, const PlistNode& message)
{
    const std::string body = message.Xml();
    unsigned char header[kHeaderSize];
    PutLittleEndian32(header, static_cast<uint32_t>(kHeaderSize + body.size()));
    PutLittleEndian32(header + 4, 1);
    PutLittleEndian32(header + 8, kPlistMessage);
    PutLittleEndian32(header + 12, tag);
    return stream.WriteAll(header, sizeof header) && stream.WriteAll(body.data(), body.size());
}

} // namespace

UsbmuxServer::UsbmuxServer(const ServedBackup& backup, PhoneState& state, PairingStore& pairing,
                           PhoneServices& services)
    : m_backup(backup), m_state(state), m_pairing(pairing), m_services(services)
{
}

UsbmuxServer::~UsbmuxServer()
{
    if (m_listenFd >= 0)
        ::close(m_listenFd);
}

bool UsbmuxServer::Listen(const std::string& path, std::string* error)
{
    sockaddr_un address{};
    if (path.empty()) {
        *error = "no socket path";
        return false;
    }
    // Bound under a temporary name and renamed once listening: the socket's
    // path appearing is the readiness signal that tests wait for.
    const std::string staging = path + ".starting";
    if (staging.size() >= sizeof address.sun_path) {
        *error = "socket path is too long: " + path;
        return false;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, staging.c_str(), staging.size() + 1);
    m_listenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ::unlink(staging.c_str()); // a socket left by an earlier run
    if (m_listenFd < 0 ||
        ::bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listenFd, 64) != 0 || ::rename(staging.c_str(), path.c_str()) != 0) {
        *error = "cannot listen on " + path + ": " + std::strerror(errno);
        ::unlink(staging.c_str());
        return false;
    }
    return true;
}

void UsbmuxServer::Run()
{
    for (;;) {
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            std::fprintf(stderr, "mmobile-fake-phone: accept failed: %s\n", std::strerror(errno));
            return;
        }
        std::thread([this, fd] {
            Serve(fd);
            ::close(fd);
        }).detach();
    }
}

bool UsbmuxServer::Reply(WireStream& stream, uint32_t tag, const PlistNode& message)
{
    return WriteMessage(stream, tag, message);
}

bool UsbmuxServer::ReplyResult(WireStream& stream, uint32_t tag, uint64_t number)
{
    PlistNode result = PlistNode::Dict();
    plist_dict_set_item(result.Get(), "MessageType", plist_new_string("Result"));
    plist_dict_set_item(result.Get(), "Number", plist_new_uint(number));
    return Reply(stream, tag, result);
}

PlistNode UsbmuxServer::DeviceEntry(uint32_t deviceId) const
{
    PlistNode properties = PlistNode::Dict();
    plist_t p = properties.Get();
    plist_dict_set_item(p, "ConnectionSpeed", plist_new_uint(480000000));
    plist_dict_set_item(p, "ConnectionType", plist_new_string("USB"));
    plist_dict_set_item(p, "DeviceID", plist_new_uint(deviceId));
    plist_dict_set_item(p, "LocationID", plist_new_uint(0));
    plist_dict_set_item(p, "ProductID", plist_new_uint(0x12a8));
    plist_dict_set_item(p, "SerialNumber", plist_new_string(m_backup.Udid().c_str()));
    PlistNode entry = PlistNode::Dict();
    plist_dict_set_item(entry.Get(), "DeviceID", plist_new_uint(deviceId));
    plist_dict_set_item(entry.Get(), "MessageType", plist_new_string("Attached"));
    plist_dict_set_item(entry.Get(), "Properties", properties.Release());
    return entry;
}

void UsbmuxServer::RunListener(WireStream& stream, uint32_t tag)
{
    if (!ReplyResult(stream, tag, kResultOk))
        return;
    const int id = m_state.AddListener([this, &stream](bool attached, uint32_t deviceId) {
        if (attached) {
            WriteMessage(stream, 0, DeviceEntry(deviceId));
            return;
        }
        PlistNode detached = PlistNode::Dict();
        plist_dict_set_item(detached.Get(), "MessageType", plist_new_string("Detached"));
        plist_dict_set_item(detached.Get(), "DeviceID", plist_new_uint(deviceId));
        WriteMessage(stream, 0, detached);
    });
    // The phones already attached are announced first, as usbmuxd does; a plug
    // event racing with this is told twice at worst, which clients tolerate.
    if (m_state.Plugged())
        WriteMessage(stream, 0, DeviceEntry(m_state.DeviceId()));
    char byte;
    while (stream.ReadExact(&byte, 1)) {
        // A listening client sends nothing more; anything it sends is ignored.
    }
    m_state.RemoveListener(id);
}

void UsbmuxServer::Serve(int fd)
{
    WireStream stream(fd);
    for (;;) {
        unsigned char header[kHeaderSize];
        if (!stream.ReadExact(header, sizeof header))
            return;
        const uint32_t length = LittleEndian32(header);
        const uint32_t type = LittleEndian32(header + 8);
        const uint32_t tag = LittleEndian32(header + 12);
        if (length < kHeaderSize || length > kMaxMessage)
            return;
        std::string body(length - kHeaderSize, '\0');
        if (!body.empty() && !stream.ReadExact(&body[0], body.size()))
            return;
        if (type != kPlistMessage)
            return; // only the plist protocol is spoken; the client falls back or fails
        PlistNode request = PlistNode::Parse(body);
        const std::string what = PlistNode::String(request.Get(), "MessageType");
        if (what == "ListDevices") {
            PlistNode list = PlistNode::Array();
            if (m_state.Plugged())
                plist_array_append_item(list.Get(), DeviceEntry(m_state.DeviceId()).Release());
            PlistNode answer = PlistNode::Dict();
            plist_dict_set_item(answer.Get(), "DeviceList", list.Release());
            if (!Reply(stream, tag, answer))
                return;
        } else if (what == "Listen") {
            RunListener(stream, tag);
            return;
        } else if (what == "ReadBUID") {
            PlistNode answer = PlistNode::Dict();
            plist_dict_set_item(answer.Get(), "BUID", plist_new_string(m_pairing.Buid().c_str()));
            if (!Reply(stream, tag, answer))
                return;
        } else if (what == "ReadPairRecord") {
            const std::string record =
                m_pairing.ReadRecord(PlistNode::String(request.Get(), "PairRecordID"));
            if (record.empty()) {
                if (!ReplyResult(stream, tag, kResultBadDevice))
                    return;
                continue;
            }
            PlistNode answer = PlistNode::Dict();
            plist_dict_set_item(answer.Get(), "PairRecordData",
                                plist_new_data(record.data(), record.size()));
            if (!Reply(stream, tag, answer))
                return;
        } else if (what == "SavePairRecord") {
            const std::string id = PlistNode::String(request.Get(), "PairRecordID");
            const std::string record = PlistNode::Data(request.Get(), "PairRecordData");
            const bool ok = !id.empty() && PlistNode::Parse(record);
            if (ok)
                m_pairing.SaveRecord(id, record);
            if (!ReplyResult(stream, tag, ok ? kResultOk : kResultBadDevice))
                return;
        } else if (what == "DeletePairRecord") {
            m_pairing.DeleteRecord(PlistNode::String(request.Get(), "PairRecordID"));
            if (!ReplyResult(stream, tag, kResultOk))
                return;
        } else if (what == "Connect") {
            const uint64_t deviceId = PlistNode::Uint(request.Get(), "DeviceID");
            // The port travels in network byte order inside the integer.
            const uint64_t raw = PlistNode::Uint(request.Get(), "PortNumber");
            const uint16_t port = static_cast<uint16_t>(((raw & 0xff) << 8) | ((raw >> 8) & 0xff));
            if (!m_state.Plugged() || deviceId != m_state.DeviceId()) {
                ReplyResult(stream, tag, kResultBadDevice);
                return;
            }
            if (!m_services.Offers(port)) {
                ReplyResult(stream, tag, kResultConnectionRefused);
                return;
            }
            if (!m_state.Register(fd)) {
                ReplyResult(stream, tag, kResultBadDevice);
                return;
            }
            if (ReplyResult(stream, tag, kResultOk))
                m_services.Run(port, fd);
            m_state.Unregister(fd);
            return;
        } else {
            if (!ReplyResult(stream, tag, kResultBadDevice))
                return;
        }
    }
}
