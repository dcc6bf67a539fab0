#include "afcservice.h"

#include "phonestate.h"
#include "wirestream.h"

#include <atomic>
#include <cstring>
#include <set>

namespace {

constexpr char kMagic[8] = {'C', 'F', 'A', '6', 'L', 'P', 'A', 'A'};
constexpr uint64_t kHeaderSize = 40;
constexpr uint64_t kMaxPacket = 1u << 20;
// Operations and status codes of the AFC wire protocol.
constexpr uint64_t kOpStatus = 0x01;
constexpr uint64_t kOpData = 0x02;
constexpr uint64_t kOpMakeDir = 0x09;
constexpr uint64_t kOpGetFileInfo = 0x0a;
constexpr uint64_t kOpFileOpen = 0x0d;
constexpr uint64_t kOpFileOpenResult = 0x0e;
constexpr uint64_t kOpFileWrite = 0x10;
constexpr uint64_t kOpFileClose = 0x14;
constexpr uint64_t kOpFileLock = 0x1b;
constexpr uint64_t kSuccess = 0;
constexpr uint64_t kInvalidArgument = 7;
constexpr uint64_t kObjectNotFound = 8;
constexpr uint64_t kOpNotSupported = 15;
constexpr uint64_t kWouldBlock = 19;
constexpr uint64_t kLockExclusive = 2;
constexpr uint64_t kLockUnlock = 8;
const char kLockFile[] = "/com.apple.itunes.lock_sync";
const char kRestoreFolder[] = "/iTunesRestore";

bool InRestoreFolder(const std::string& path)
{
    const std::string prefix = std::string(kRestoreFolder) + "/";
    return path.compare(0, prefix.size(), prefix) == 0 && path.find("/..") == std::string::npos &&
           path.size() > prefix.size();
}

uint64_t Get64(const unsigned char* bytes)
{
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = (value << 8) | bytes[i];
    return value;
}

void Put64(std::string* out, uint64_t value)
{
    for (int i = 0; i < 8; ++i)
        out->push_back(static_cast<char>(value >> (8 * i)));
}

std::atomic<uint64_t> g_nextHandle{1};

} // namespace

AfcService::AfcService(const PhoneState& state, std::mutex& lockMutex, uint64_t& lockOwner)
    : m_state(state), m_lockMutex(lockMutex), m_lockOwner(lockOwner)
{
}

bool AfcService::Send(WireStream& stream, uint64_t operation, const std::string& payload)
{
    std::string packet(kMagic, sizeof kMagic);
    Put64(&packet, kHeaderSize + payload.size());
    Put64(&packet, kHeaderSize + payload.size());
    Put64(&packet, m_packetNumber);
    Put64(&packet, operation);
    packet += payload;
    return stream.WriteAll(packet.data(), packet.size());
}

bool AfcService::SendStatus(WireStream& stream, uint64_t status)
{
    std::string payload;
    Put64(&payload, status);
    return Send(stream, kOpStatus, payload);
}

void AfcService::ReleaseLock(uint64_t handle)
{
    std::lock_guard<std::mutex> lock(m_lockMutex);
    if (m_lockOwner == handle)
        m_lockOwner = 0;
}

void AfcService::Run(WireStream& stream)
{
    std::set<uint64_t> handles;
    for (;;) {
        unsigned char header[kHeaderSize];
        if (!stream.ReadExact(header, sizeof header) || std::memcmp(header, kMagic, 8) != 0)
            break;
        const uint64_t entire = Get64(header + 8);
        const uint64_t operation = Get64(header + 32);
        m_packetNumber = Get64(header + 24);
        if (entire < kHeaderSize || entire > kMaxPacket)
            break;
        std::string payload(entire - kHeaderSize, '\0');
        if (!payload.empty() && !stream.ReadExact(&payload[0], payload.size()))
            break;
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(payload.data());
        bool ok = true;
        if (operation == kOpFileOpen) {
            // mode (8 bytes), then the path, zero-terminated.
            const std::string path =
                payload.size() > 8 ? std::string(payload.c_str() + 8) : std::string();
            if (path != kLockFile && !InRestoreFolder(path)) {
                ok = SendStatus(stream, kObjectNotFound);
            } else {
                const uint64_t handle = g_nextHandle++;
                handles.insert(handle);
                std::string answer;
                Put64(&answer, handle);
                ok = Send(stream, kOpFileOpenResult, answer);
            }
        } else if (operation == kOpFileLock || operation == kOpFileClose) {
            const uint64_t handle = payload.size() >= 8 ? Get64(bytes) : 0;
            const uint64_t how = payload.size() >= 16 ? Get64(bytes + 8) : 0;
            if (handles.count(handle) == 0) {
                ok = SendStatus(stream, kInvalidArgument);
            } else if (operation == kOpFileClose || (how & kLockUnlock)) {
                ReleaseLock(handle);
                if (operation == kOpFileClose)
                    handles.erase(handle);
                ok = SendStatus(stream, kSuccess);
            } else {
                std::lock_guard<std::mutex> lock(m_lockMutex);
                const bool free = (m_lockOwner == 0 || m_lockOwner == handle) && !m_state.Busy();
                if (free && (how & kLockExclusive))
                    m_lockOwner = handle;
                ok = SendStatus(stream, free ? kSuccess : kWouldBlock);
            }
        } else if (operation == kOpMakeDir) {
            ok = SendStatus(stream, std::string(payload.c_str()) == kRestoreFolder
                                        ? kSuccess
                                        : kOpNotSupported);
        } else if (operation == kOpFileWrite) {
            const uint64_t handle = payload.size() >= 8 ? Get64(bytes) : 0;
            ok = SendStatus(stream, handles.count(handle) ? kSuccess : kInvalidArgument);
        } else if (operation == kOpGetFileInfo) {
            const std::string path(payload.c_str());
            if (path == kLockFile) {
                std::string info("st_size");
                info += '\0';
                info += "0";
                info += '\0';
                info += "st_ifmt";
                info += '\0';
                info += "S_IFREG";
                info += '\0';
                ok = Send(stream, kOpData, info);
            } else {
                ok = SendStatus(stream, kObjectNotFound);
            }
        } else {
            ok = SendStatus(stream, kOpNotSupported);
        }
        if (!ok)
            break;
    }
    // A host that goes away without unlocking leaves the lock free.
    for (uint64_t handle : handles)
        ReleaseLock(handle);
}
