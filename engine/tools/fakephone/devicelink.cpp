#include "devicelink.h"

#include "wirestream.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kMaxName = 4096;
constexpr uint32_t kMaxBlock = 16u << 20;

int64_t SignedValue(plist_t node)
{
    uint64_t value = 0;
    if (node && plist_get_node_type(node) == PLIST_UINT)
        plist_get_uint_val(node, &value);
    return static_cast<int64_t>(value); // hosts send negative codes as 64-bit two's complement
}

} // namespace

PlistNode DeviceLink::Message(const char* name)
{
    PlistNode message = PlistNode::Array();
    plist_array_append_item(message.Get(), plist_new_string(name));
    return message;
}

bool DeviceLink::Send(const PlistNode& message)
{
    return m_stream.WritePlist(message, true);
}

bool DeviceLink::Receive(PlistNode* message)
{
    return m_stream.ReadPlist(message, 64u << 20);
}

bool DeviceLink::Open()
{
    PlistNode version = Message("DLMessageVersionExchange");
    plist_array_append_item(version.Get(), plist_new_uint(300));
    plist_array_append_item(version.Get(), plist_new_uint(0));
    PlistNode reply;
    if (!Send(version) || !Receive(&reply) ||
        PlistNode::StringValue(plist_array_get_item(reply.Get(), 1)) != "DLVersionsOk")
        return false;
    PlistNode hello;
    if (!Send(Message("DLMessageDeviceReady")) || !Receive(&hello))
        return false;
    // ["DLMessageProcessMessage", {MessageName: Hello, SupportedProtocolVersions: [...]}]
    plist_t body = plist_array_get_item(hello.Get(), 1);
    plist_t versions = plist_dict_get_item(body, "SupportedProtocolVersions");
    double chosen = 0;
    for (uint32_t i = 0; versions && i < plist_array_get_size(versions); ++i) {
        plist_t item = plist_array_get_item(versions, i);
        double value = 0;
        if (plist_get_node_type(item) == PLIST_REAL)
            plist_get_real_val(item, &value);
        if (value <= 2.1 && value > chosen)
            chosen = value;
    }
    PlistNode answer = PlistNode::Dict();
    plist_dict_set_item(answer.Get(), "MessageName", plist_new_string("Response"));
    plist_dict_set_item(answer.Get(), "ErrorCode", plist_new_uint(chosen > 0 ? 0 : 1));
    if (chosen > 0)
        plist_dict_set_item(answer.Get(), "ProtocolVersion", plist_new_real(chosen));
    PlistNode message = Message("DLMessageProcessMessage");
    plist_array_append_item(message.Get(), answer.Release());
    return Send(message) && chosen > 0;
}

DeviceLink::Status DeviceLink::ReceiveStatus()
{
    Status status;
    PlistNode message;
    if (!Receive(&message) ||
        PlistNode::StringValue(plist_array_get_item(message.Get(), 0)) != "DLMessageStatusResponse")
        return status;
    status.received = true;
    status.code = SignedValue(plist_array_get_item(message.Get(), 1));
    plist_t payload = plist_array_get_item(message.Get(), 3);
    if (payload)
        status.payload = PlistNode(plist_copy(payload));
    return status;
}

bool DeviceLink::SendProcessMessage(uint64_t errorCode, const std::string& description)
{
    PlistNode body = PlistNode::Dict();
    plist_dict_set_item(body.Get(), "ErrorCode", plist_new_uint(errorCode));
    if (!description.empty())
        plist_dict_set_item(body.Get(), "ErrorDescription", plist_new_string(description.c_str()));
    plist_dict_set_item(body.Get(), "MessageName", plist_new_string("Response"));
    PlistNode message = Message("DLMessageProcessMessage");
    plist_array_append_item(message.Get(), body.Release());
    return Send(message);
}

bool DeviceLink::SendName(const std::string& name)
{
    return m_stream.WriteUint32BigEndian(static_cast<uint32_t>(name.size())) &&
           m_stream.WriteAll(name.data(), name.size());
}

bool DeviceLink::SendBlock(Code code, const char* data, uint32_t size)
{
    const uint32_t length = size + 1;
    const unsigned char header[5] = {
        static_cast<unsigned char>(length >> 24), static_cast<unsigned char>(length >> 16),
        static_cast<unsigned char>(length >> 8), static_cast<unsigned char>(length), code};
    return m_stream.WriteAll(header, sizeof header) && (size == 0 || m_stream.WriteAll(data, size));
}

bool DeviceLink::SendEndOfFiles()
{
    return m_stream.WriteUint32BigEndian(0);
}

bool DeviceLink::ReceiveFiles(const std::string& folder, uint64_t maxSize,
                              std::vector<std::string>* names)
{
    for (;;) {
        uint32_t length = 0;
        if (!m_stream.ReadUint32BigEndian(&length) || length > kMaxName)
            return false;
        if (length == 0)
            return true;
        std::string name(length, '\0');
        if (!m_stream.ReadExact(&name[0], length))
            return false;
        const fs::path relative = fs::path(name).lexically_normal();
        const bool safe = !relative.empty() && relative.is_relative() &&
                          *relative.begin() != ".." && name.find('\0') == std::string::npos;
        const fs::path local = fs::path(folder) / relative;
        std::error_code error;
        if (safe)
            fs::create_directories(local.parent_path(), error);
        FILE* out = safe ? std::fopen(local.c_str(), "wb") : nullptr;
        uint64_t written = 0;
        bool ok = out != nullptr;
        bool present = false;
        for (;;) {
            uint32_t blockLength = 0;
            unsigned char code = 0;
            if (!m_stream.ReadUint32BigEndian(&blockLength) || blockLength == 0 ||
                blockLength > kMaxBlock || !m_stream.ReadExact(&code, 1)) {
                if (out)
                    std::fclose(out);
                return false;
            }
            std::string data(blockLength - 1, '\0');
            if (!data.empty() && !m_stream.ReadExact(&data[0], data.size())) {
                if (out)
                    std::fclose(out);
                return false;
            }
            if (code != CODE_FILE_DATA) {
                present = code == CODE_SUCCESS;
                break;
            }
            written += data.size();
            if (written > maxSize ||
                (out && std::fwrite(data.data(), 1, data.size(), out) != data.size()))
                ok = false;
        }
        if (out && std::fclose(out) != 0)
            ok = false;
        if (ok && present)
            names->push_back(relative.generic_string());
        else if (out)
            fs::remove(local, error);
    }
}
