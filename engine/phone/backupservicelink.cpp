#include "backupservicelink.h"

#include "capturecode.h"
#include "plistitems.h"

#include <QLoggingCategory>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

namespace {

Q_LOGGING_CATEGORY(lcServiceLink, "mmobileengine.phone")

using Clock = std::chrono::steady_clock;

const char* const ServiceName = "com.apple.mobilebackup2";
// The DeviceLink version the backup service speaks (major, minor).
constexpr uint64_t LinkVersionMajor = 300;
constexpr uint64_t LinkVersionMinor = 0;
const char* const EmptyParameter = "___EmptyParameterString___";
// How long one read waits before the cancel flag is looked at again.
constexpr int SliceMs = 200;
// The phone answers a handshake step within seconds; the rest of a message
// it began follows at once.
constexpr int HandshakeWaitMs = 30000;
constexpr int MidMessageWaitMs = 60000;
// The phone's messages are lists of names and a few numbers.
constexpr uint32_t MaxMessage = 64u << 20;

struct PlistFree
{
    void operator()(plist_t node) const { plist_free(node); }
};
using Plist = std::unique_ptr<void, PlistFree>;

plist_t Message(const char* name)
{
    plist_t message = plist_new_array();
    plist_array_append_item(message, plist_new_string(name));
    return message;
}

} // namespace

BackupServiceLink::BackupServiceLink(const std::atomic<bool>& cancel) : m_cancel(cancel) {}

BackupServiceLink::~BackupServiceLink()
{
    if (!m_connection)
        return;
    if (!m_broken) {
        Plist goodbye(Message("DLMessageDisconnect"));
        plist_array_append_item(goodbye.get(), plist_new_string(EmptyParameter));
        SendMessage(goodbye.get());
    }
    idevice_disconnect(m_connection);
}

int BackupServiceLink::Fail(int code, const QString& reason)
{
    m_error = reason;
    return code;
}

int BackupServiceLink::Open(idevice_t device, lockdownd_client_t lockdown)
{
    lockdownd_service_descriptor_t service = nullptr;
    lockdownd_error_t error =
        lockdownd_start_service_with_escrow_bag(lockdown, ServiceName, &service);
    if (error != LOCKDOWN_E_SUCCESS && error != LOCKDOWN_E_PASSWORD_PROTECTED) {
        // Phones without an escrow bag for this host start it plainly.
        if (service)
            lockdownd_service_descriptor_free(service);
        service = nullptr;
        error = lockdownd_start_service(lockdown, ServiceName, &service);
    }
    if (error != LOCKDOWN_E_SUCCESS || !service) {
        if (service)
            lockdownd_service_descriptor_free(service);
        return Fail(
            error == LOCKDOWN_E_PASSWORD_PROTECTED ? CAPTURE_LOCKED
            : error == LOCKDOWN_E_MUX_ERROR        ? CAPTURE_FAILED
                                                   : CAPTURE_PROTOCOL,
            QStringLiteral("the backup service did not start (lockdown error %1)").arg(int(error)));
    }
    const uint16_t port = service->port;
    const bool ssl = service->ssl_enabled != 0;
    lockdownd_service_descriptor_free(service);
    if (idevice_connect(device, port, &m_connection) != IDEVICE_E_SUCCESS) {
        m_connection = nullptr;
        return Fail(CAPTURE_FAILED, QStringLiteral("cannot connect to the backup service"));
    }
    if (ssl && idevice_connection_enable_ssl(m_connection) != IDEVICE_E_SUCCESS) {
        m_broken = true;
        return Fail(CAPTURE_FAILED, QStringLiteral("no secure link to the backup service"));
    }
    // Lets a closed link be told from a silent phone; without it the
    // caller's own probe decides.
    if (idevice_connection_get_fd(m_connection, &m_fd) != IDEVICE_E_SUCCESS)
        m_fd = -1;
    const bool ready = Handshake() && ExchangeVersions();
    if (m_cancel.load())
        return CAPTURE_CANCELLED;
    if (!ready)
        return Fail(m_broken ? CAPTURE_FAILED : CAPTURE_PROTOCOL, m_error);
    return CAPTURE_OK;
}

bool BackupServiceLink::Handshake()
{
    plist_t raw = nullptr;
    QString name;
    if (ReceiveMessage(&raw, &name, HandshakeWaitMs) != READ_OK) {
        m_error = QStringLiteral("the backup service did not greet us");
        return false;
    }
    Plist greeting(raw);
    const uint64_t major = PlistItems::Uint(PlistItems::At(greeting.get(), 1, PLIST_UINT), 0);
    const uint64_t minor = PlistItems::Uint(PlistItems::At(greeting.get(), 2, PLIST_UINT), 0);
    if (name != QLatin1String("DLMessageVersionExchange") || major > LinkVersionMajor ||
        (major == LinkVersionMajor && minor > LinkVersionMinor)) {
        m_error =
            QStringLiteral("the backup service speaks DeviceLink %1.%2").arg(major).arg(minor);
        return false;
    }
    Plist agreed(Message("DLMessageVersionExchange"));
    plist_array_append_item(agreed.get(), plist_new_string("DLVersionsOk"));
    plist_array_append_item(agreed.get(), plist_new_uint(LinkVersionMajor));
    if (!SendMessage(agreed.get()))
        return false;
    if (ReceiveMessage(&raw, &name, HandshakeWaitMs) != READ_OK) {
        m_error = QStringLiteral("the backup service did not get ready");
        return false;
    }
    plist_free(raw);
    if (name != QLatin1String("DLMessageDeviceReady")) {
        m_error = QStringLiteral("the backup service answered %1 instead of ready").arg(name);
        return false;
    }
    return true;
}

bool BackupServiceLink::ExchangeVersions()
{
    plist_t hello = plist_new_dict();
    plist_dict_set_item(hello, "MessageName", plist_new_string("Hello"));
    plist_t versions = plist_new_array();
    plist_array_append_item(versions, plist_new_real(2.0));
    plist_array_append_item(versions, plist_new_real(2.1));
    plist_dict_set_item(hello, "SupportedProtocolVersions", versions);
    Plist message(Message("DLMessageProcessMessage"));
    plist_array_append_item(message.get(), hello);
    if (!SendMessage(message.get()))
        return false;
    plist_t raw = nullptr;
    QString name;
    if (ReceiveMessage(&raw, &name, HandshakeWaitMs) != READ_OK) {
        m_error = QStringLiteral("the backup service did not answer our versions");
        return false;
    }
    Plist reply(raw);
    plist_t body = PlistItems::At(reply.get(), 1, PLIST_DICT);
    const bool response =
        name == QLatin1String("DLMessageProcessMessage") && body &&
        PlistItems::String(plist_dict_get_item(body, "MessageName")) == "Response" &&
        PlistItems::Uint(plist_dict_get_item(body, "ErrorCode"), 1) == 0;
    plist_t version = body ? plist_dict_get_item(body, "ProtocolVersion") : nullptr;
    if (!response || !version || plist_get_node_type(version) != PLIST_REAL) {
        m_error = QStringLiteral("no common backup protocol version");
        return false;
    }
    plist_get_real_val(version, &m_version);
    return true;
}

bool BackupServiceLink::Alive() const
{
    if (m_fd < 0)
        return true;
#ifdef _WIN32
    // Readable with nothing to read: the other end has closed.
    u_long pending = 0;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(SOCKET(m_fd), &readable);
    timeval none{0, 0};
    return !(ioctlsocket(SOCKET(m_fd), FIONREAD, &pending) == 0 && pending == 0 &&
             select(0, &readable, nullptr, nullptr, &none) == 1);
#else
    // A closed link reads as the end of the stream at once.
    char byte = 0;
    return ::recv(m_fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) != 0;
#endif
}

BackupServiceLink::Result BackupServiceLink::Read(char* data, uint32_t length, uint32_t* received,
                                                  int waitMs)
{
    *received = 0;
    if (m_cancel.load())
        return READ_CANCELLED;
    if (!m_connection || m_broken)
        return READ_BROKEN;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        const unsigned int slice = unsigned(qBound(qint64(1), qint64(left), qint64(SliceMs)));
        const Clock::time_point asked = Clock::now();
        uint32_t got = 0;
        // The library's answer for a silent link differs between versions;
        // the bytes and the socket's state say what happened.
        idevice_connection_receive_timeout(m_connection, data, length, &got, slice);
        if (got > 0) {
            *received = got;
            return READ_OK;
        }
        if (m_cancel.load())
            return READ_CANCELLED;
        if (!Alive()) {
            m_broken = true;
            m_error = QStringLiteral("the link to the phone closed");
            return READ_BROKEN;
        }
        if (Clock::now() >= deadline)
            return READ_TIMEOUT;
        // An error answered at once must not spin the thread.
        if (Clock::now() - asked < std::chrono::milliseconds(5))
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

BackupServiceLink::Result BackupServiceLink::ReadAll(char* data, uint32_t length, int waitMs)
{
    uint32_t got = 0;
    while (got < length) {
        uint32_t now = 0;
        const Result result =
            Read(data + got, length - got, &now, got == 0 ? waitMs : MidMessageWaitMs);
        if (result == READ_TIMEOUT && got > 0) {
            // Half a message: the stream cannot be followed any more.
            m_broken = true;
            m_error = QStringLiteral("the phone stopped in the middle of a message");
            return READ_BROKEN;
        }
        if (result != READ_OK)
            return result;
        got += now;
    }
    return READ_OK;
}

BackupServiceLink::Result BackupServiceLink::ReceiveMessage(plist_t* message, QString* name,
                                                            int waitMs)
{
    *message = nullptr;
    unsigned char head[4];
    Result result = ReadAll(reinterpret_cast<char*>(head), 4, waitMs);
    if (result != READ_OK)
        return result;
    const uint32_t length = (uint32_t(head[0]) << 24) | (uint32_t(head[1]) << 16) |
                            (uint32_t(head[2]) << 8) | uint32_t(head[3]);
    if (length == 0 || length > MaxMessage) {
        m_broken = true;
        m_error = QStringLiteral("a message of %1 bytes from the phone").arg(length);
        return READ_BAD_MESSAGE;
    }
    QByteArray body(int(length), '\0');
    result = ReadAll(body.data(), length, MidMessageWaitMs);
    if (result == READ_TIMEOUT)
        result = READ_BROKEN;
    if (result != READ_OK)
        return result;
    plist_t node = nullptr;
    plist_from_memory(body.constData(), length, &node);
    Plist parsed(node);
    const QString messageName = PlistItems::String(PlistItems::At(node, 0, PLIST_STRING));
    if (messageName.isEmpty()) {
        m_error = QStringLiteral("the phone sent something that is not a DeviceLink message");
        return READ_BAD_MESSAGE;
    }
    *name = messageName;
    *message = parsed.release();
    return READ_OK;
}

bool BackupServiceLink::Write(const char* data, uint32_t length)
{
    if (!m_connection || m_broken)
        return false;
    uint32_t sent = 0;
    while (sent < length) {
        uint32_t now = 0;
        if (idevice_connection_send(m_connection, data + sent, length - sent, &now) !=
                IDEVICE_E_SUCCESS ||
            now == 0) {
            m_broken = true;
            m_error = QStringLiteral("the phone went away while we answered");
            return false;
        }
        sent += now;
    }
    return true;
}

bool BackupServiceLink::SendMessage(plist_t message)
{
    char* bytes = nullptr;
    uint32_t length = 0;
    plist_to_bin(message, &bytes, &length);
    std::unique_ptr<char, decltype(&std::free)> owned(bytes, &std::free);
    if (!bytes || length == 0)
        return false;
    const char head[4] = {char(length >> 24), char(length >> 16), char(length >> 8), char(length)};
    return Write(head, 4) && Write(bytes, length);
}

bool BackupServiceLink::SendStatus(int code, const char* text, plist_t status)
{
    Plist message(Message("DLMessageStatusResponse"));
    // Negative codes travel as 64-bit two's complement.
    plist_array_append_item(message.get(), plist_new_uint(uint64_t(int64_t(code))));
    plist_array_append_item(message.get(), plist_new_string(text ? text : EmptyParameter));
    plist_array_append_item(message.get(), status ? plist_copy(status) : plist_new_dict());
    return SendMessage(message.get());
}

bool BackupServiceLink::SendRequest(const char* request, const QByteArray& target,
                                    const QByteArray& source, plist_t options)
{
    plist_t body = plist_new_dict();
    plist_dict_set_item(body, "MessageName", plist_new_string(request));
    plist_dict_set_item(body, "TargetIdentifier", plist_new_string(target.constData()));
    if (!source.isEmpty())
        plist_dict_set_item(body, "SourceIdentifier", plist_new_string(source.constData()));
    if (options)
        plist_dict_set_item(body, "Options", plist_copy(options));
    Plist message(Message("DLMessageProcessMessage"));
    plist_array_append_item(message.get(), body);
    if (SendMessage(message.get()))
        return true;
    qCInfo(lcServiceLink).noquote() << "the request" << request << "did not reach the phone";
    return false;
}
