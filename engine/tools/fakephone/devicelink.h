#pragma once

#include "plistnode.h"

#include <cstdint>
#include <string>
#include <vector>

class WireStream;

// The device side of the DeviceLink protocol that the backup service speaks:
// the version exchange, DLMessage* arrays out, the host's status responses in,
// and the raw file streams in both directions (a 4-byte big-endian name length
// and the name, then blocks of a 4-byte length, a code byte and length-1 bytes;
// a zero length ends the files). Borrows the stream.
class DeviceLink
{
public:
    enum Code : unsigned char {
        CODE_SUCCESS = 0x00,
        CODE_ERROR_LOCAL = 0x06,
        CODE_ERROR_REMOTE = 0x0b,
        CODE_FILE_DATA = 0x0c
    };

    struct Status
    {
        bool received = false;
        int64_t code = -1;
        PlistNode payload;
    };

    explicit DeviceLink(WireStream& stream) : m_stream(stream) {}

    // The version exchange, then the backup protocol's Hello; false when the
    // host leaves or offers no version the phone speaks.
    bool Open();

    bool Send(const PlistNode& message);
    bool Receive(PlistNode* message);
    // Waits for the DLMessageStatusResponse that answers the last request.
    Status ReceiveStatus();
    bool SendProcessMessage(uint64_t errorCode, const std::string& description);

    // Uploads, phone to host.
    bool SendName(const std::string& name);
    bool SendBlock(Code code, const char* data, uint32_t size);
    bool SendEndOfFiles();

    // Downloads, host to phone, up to the host's end marker: each file the host
    // has is written below folder under the name it was sent with (names that
    // would leave the folder are refused), at most maxSize bytes each; names
    // lists the files received.
    bool ReceiveFiles(const std::string& folder, uint64_t maxSize, std::vector<std::string>* names);

    static PlistNode Message(const char* name);

private:
    WireStream& m_stream;
};
