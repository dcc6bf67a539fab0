#include "wirestream.h"

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

bool WireStream::ReadExact(void* buffer, size_t size)
{
    char* out = static_cast<char*>(buffer);
    while (size > 0) {
        const ssize_t got = ::recv(m_fd, out, size, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        out += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}

bool WireStream::WriteAll(const void* buffer, size_t size)
{
    const char* in = static_cast<const char*>(buffer);
    while (size > 0) {
        // MSG_NOSIGNAL: a host that hangs up must not kill the phone with SIGPIPE.
        const ssize_t sent = ::send(m_fd, in, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        in += sent;
        size -= static_cast<size_t>(sent);
    }
    return true;
}

bool WireStream::ReadUint32BigEndian(uint32_t* value)
{
    unsigned char bytes[4];
    if (!ReadExact(bytes, sizeof bytes))
        return false;
    *value = (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) |
             uint32_t(bytes[3]);
    return true;
}

bool WireStream::WriteUint32BigEndian(uint32_t value)
{
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(value >> 24), static_cast<unsigned char>(value >> 16),
        static_cast<unsigned char>(value >> 8), static_cast<unsigned char>(value)};
    return WriteAll(bytes, sizeof bytes);
}

bool WireStream::ReadPlist(PlistNode* message, uint32_t maxSize)
{
    uint32_t length = 0;
    if (!ReadUint32BigEndian(&length) || length == 0 || length > maxSize)
        return false;
    std::string body(length, '\0');
    if (!ReadExact(&body[0], length))
        return false;
    *message = PlistNode::Parse(body);
    return static_cast<bool>(*message);
}

bool WireStream::WritePlist(const PlistNode& message, bool binary)
{
    const std::string body = binary ? message.Binary() : message.Xml();
    if (body.empty() || body.size() > UINT32_MAX)
        return false;
    return WriteUint32BigEndian(static_cast<uint32_t>(body.size())) &&
           WriteAll(body.data(), body.size());
}
