#pragma once

#include <cstdint>
#include <string>

class PhoneServices;
class PhoneState;
class PairingStore;
class ServedBackup;
class WireStream;
class PlistNode;

// The usbmuxd side of the fake: listens on a Unix socket (what libusbmuxd
// reaches with USBMUXD_SOCKET_ADDRESS=UNIX:<path>) and answers its plist
// protocol: ListDevices, Listen (then Attached/Detached events), ReadPairRecord,
// SavePairRecord, DeletePairRecord, ReadBUID and Connect, after which the same
// socket is the raw stream to a phone service. One thread per client; owns the
// listening socket, borrows everything else.
class UsbmuxServer
{
public:
    UsbmuxServer(const ServedBackup& backup, PhoneState& state, PairingStore& pairing,
                 PhoneServices& services);
    ~UsbmuxServer();

    bool Listen(const std::string& path, std::string* error);
    void Run(); // accepts until the process ends

private:
    void Serve(int fd);
    bool Reply(WireStream& stream, uint32_t tag, const PlistNode& message);
    bool ReplyResult(WireStream& stream, uint32_t tag, uint64_t number);
    void RunListener(WireStream& stream, uint32_t tag);
    PlistNode DeviceEntry(uint32_t deviceId) const;

    const ServedBackup& m_backup;
    PhoneState& m_state;
    PairingStore& m_pairing;
    PhoneServices& m_services;
    int m_listenFd = -1;
};
