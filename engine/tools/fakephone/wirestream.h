#pragma once

#include "plistnode.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Byte and message I/O on one connected socket (borrowed: the connection's
// thread owns and closes the descriptor). Lockdown, the notification proxy and
// the backup service frame each property list with a 4-byte big-endian length;
// every length read from the wire is checked against a limit before use.
class WireStream
{
public:
    explicit WireStream(int fd) : m_fd(fd) {}

    int Descriptor() const { return m_fd; }
    bool ReadExact(void* buffer, size_t size);
    bool WriteAll(const void* buffer, size_t size);
    bool ReadUint32BigEndian(uint32_t* value);
    bool WriteUint32BigEndian(uint32_t value);

    // A length-prefixed property list; false on end of stream, a length over
    // maxSize or a body that does not parse.
    bool ReadPlist(PlistNode* message, uint32_t maxSize = 16u << 20);
    bool WritePlist(const PlistNode& message, bool binary = false);

private:
    int m_fd;
};
