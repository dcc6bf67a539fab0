#include "backupcapture.h"

#include "backupstaging.h"
#include "capturecode.h"
#include "devicelinkreceiver.h"
#include "phoneconnection.h"
#include "phonepairer.h"
#include "synclock.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>

#include <libimobiledevice/mobilebackup2.h>
#include <plist/plist.h>
#include <usbmuxd.h>

#include <cstdlib>
#include <memory>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

namespace {

Q_LOGGING_CATEGORY(lcCapture, "mmobileengine.phone")

const char* const Label = "mmobile";

// libimobiledevice 1.3 keeps a backup client's connection behind three
// parent pointers (backup client -> device link -> property list service ->
// service). Nothing public reaches it, and a blocked read can only be cut
// short by closing the socket under it; other versions fall back to stopping
// at the next block.
int LinkSocket(mobilebackup2_client_t client)
{
#ifdef MMOBILE_IDEVICE_LAYOUT_1_3
    struct Service
    {
        idevice_connection_t connection;
    };
    struct PlistService
    {
        Service* parent;
    };
    struct DeviceLink
    {
        PlistService* parent;
    };
    struct Backup2
    {
        DeviceLink* parent;
    };
    const auto* backup = reinterpret_cast<const Backup2*>(client);
    if (!backup || !backup->parent || !backup->parent->parent || !backup->parent->parent->parent)
        return -1;
    int socket = -1;
    if (idevice_connection_get_fd(backup->parent->parent->parent->connection, &socket) !=
        IDEVICE_E_SUCCESS)
        return -1;
    return socket;
#else
    Q_UNUSED(client);
    return -1;
#endif
}

struct Backup2Deleter
{
    void operator()(mobilebackup2_client_private* client) const
    {
        mobilebackup2_client_free(client);
    }
};

void SetString(plist_t dict, const char* key, const QString& value)
{
    plist_dict_set_item(dict, key, plist_new_string(value.toUtf8().constData()));
}

// Info.plist of the backup, from what the phone told the lockdown service.
bool WriteInfoPlist(const QString& path, const PhoneInfo& info, const QString& build,
                    const QString& serial)
{
    plist_t dict = plist_new_dict();
    SetString(dict, "Build Version", build);
    SetString(dict, "Device Name", info.name);
    SetString(dict, "Display Name", info.name);
    SetString(dict, "GUID", QStringLiteral("---"));
    const qint64 now = QDateTime::currentSecsSinceEpoch() - 978307200;
    plist_dict_set_item(dict, "Last Backup Date", plist_new_date(int32_t(now), 0));
    SetString(dict, "Product Type", info.productType);
    SetString(dict, "Product Version", info.productVersion);
    SetString(dict, "Serial Number", serial);
    SetString(dict, "Target Identifier", QString::fromLatin1(info.udid));
    SetString(dict, "Target Type", QStringLiteral("Device"));
    SetString(dict, "Unique Identifier", QString::fromLatin1(info.udid).toUpper());
    // Restoring clients read the apps to reinstall from it; none are saved.
    plist_dict_set_item(dict, "Applications", plist_new_dict());
    plist_dict_set_item(dict, "iTunes Files", plist_new_dict());
    plist_dict_set_item(dict, "iTunes Settings", plist_new_dict());
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(dict, &xml, &length);
    plist_free(dict);
    // A new file: the old name may be a link to the previous backup's file.
    QFile::remove(path);
    QFile file(path);
    const bool ok = xml && file.open(QIODevice::WriteOnly | QIODevice::NewOnly) &&
                    file.write(xml, qint64(length)) == qint64(length);
    std::free(xml);
    return ok;
}

} // namespace

BackupCapture::BackupCapture(const QByteArray& udid, const QString& destination)
    : m_udid(udid), m_destination(destination)
{
}

BackupCapture::~BackupCapture() = default;

QString BackupCapture::BackupFolder() const
{
    return QDir(m_destination).filePath(QString::fromLatin1(m_udid));
}

int BackupCapture::Fail(int code, const QString& reason)
{
    m_error = reason;
    if (code != CAPTURE_CANCELLED)
        qCWarning(lcCapture).noquote() << "capture failed with code" << code << ":" << reason;
    return code;
}

void BackupCapture::Report(Stage stage, int percent)
{
    if (m_progress)
        m_progress(stage, percent);
}

void BackupCapture::SetLinkSocket(int socket)
{
    std::lock_guard<std::mutex> lock(m_socketMutex);
    m_socket = socket;
    if (m_socket >= 0 && m_cancel.load())
        ::shutdown(m_socket, 2);
}

bool BackupCapture::LinkAlive()
{
    {
        std::lock_guard<std::mutex> lock(m_socketMutex);
        if (m_socket >= 0) {
#ifdef _WIN32
            // Readable with nothing to read: the other end has closed.
            u_long pending = 0;
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(SOCKET(m_socket), &readable);
            timeval none{0, 0};
            if (ioctlsocket(SOCKET(m_socket), FIONREAD, &pending) == 0 && pending == 0 &&
                select(0, &readable, nullptr, nullptr, &none) == 1)
                return false;
#else
            // A closed link reads as the end of the stream at once.
            char byte = 0;
            if (::recv(m_socket, &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 0)
                return false;
#endif
        }
    }
    usbmuxd_device_info_t device;
    return usbmuxd_get_device_by_udid(m_udid.constData(), &device) == 1;
}

void BackupCapture::Cancel()
{
    m_cancel.store(true);
    std::lock_guard<std::mutex> lock(m_socketMutex);
    // Wakes a read that waits for the phone; the capture then sees the flag.
    if (m_socket >= 0)
        ::shutdown(m_socket, 2);
}

int BackupCapture::Run()
{
    Report(STAGE_CONNECTING, 0);
    PhoneConnection phone(m_udid);
    lockdownd_error_t error = phone.OpenPlain();
    m_udid = phone.Udid();
    if (error == LOCKDOWN_E_MUX_ERROR || m_udid.isEmpty())
        return Fail(CAPTURE_FAILED,
                    QStringLiteral("no phone %1 is connected").arg(QString::fromLatin1(m_udid)));
    if (m_cancel.load())
        return CAPTURE_CANCELLED;

    error = phone.OpenSession();
    if (error == LOCKDOWN_E_MISSING_PAIR_RECORD || error == LOCKDOWN_E_INVALID_HOST_ID ||
        error == LOCKDOWN_E_PAIRING_FAILED) {
        PhonePairer pairer(m_udid);
        const PhonePairer::Result paired =
            pairer.Run(m_pairingTimeoutMs, m_cancel, [this](PhonePairer::Waiting waiting) {
                Report(waiting == PhonePairer::WAITING_FOR_UNLOCK ? STAGE_WAITING_FOR_UNLOCK
                                                                  : STAGE_WAITING_FOR_TRUST,
                       0);
            });
        switch (paired) {
        case PhonePairer::PAIRED:
            break;
        case PhonePairer::CANCELLED:
            return CAPTURE_CANCELLED;
        default:
            return Fail(CAPTURE_NO_ACCESS, pairer.ErrorText());
        }
        phone.Close();
        error = phone.OpenSession();
    }
    if (error == LOCKDOWN_E_PASSWORD_PROTECTED)
        return Fail(CAPTURE_LOCKED, QStringLiteral("the phone is locked with its passcode"));
    if (error == LOCKDOWN_E_MUX_ERROR || error == LOCKDOWN_E_RECEIVE_TIMEOUT)
        return Fail(CAPTURE_FAILED,
                    QStringLiteral("the phone went away (lockdown error %1)").arg(int(error)));
    if (error != LOCKDOWN_E_SUCCESS)
        return Fail(CAPTURE_NO_ACCESS, QStringLiteral("the phone refused a session (lockdown "
                                                      "error %1)")
                                           .arg(int(error)));
    m_info = phone.ReadInfo();
    const QString build = phone.StringValue(nullptr, "BuildVersion");
    const QString serial = phone.StringValue(nullptr, "SerialNumber");
    if (m_cancel.load())
        return CAPTURE_CANCELLED;

    SyncLock syncLock(phone.Device());
    switch (syncLock.Acquire(m_cancel)) {
    case SyncLock::LOCKED:
        break;
    case SyncLock::BUSY:
        return Fail(CAPTURE_BUSY, syncLock.ErrorText());
    case SyncLock::CANCELLED:
        return CAPTURE_CANCELLED;
    case SyncLock::UNAVAILABLE:
        // The backup service keeps its own lock; go on without this one.
        qCInfo(lcCapture).noquote() << "no sync lock:" << syncLock.ErrorText();
        break;
    }

    lockdownd_service_descriptor_t service = nullptr;
    // The escrow bag lets a phone that locks itself during the backup go on.
    error = lockdownd_start_service_with_escrow_bag(phone.Lockdown(), MOBILEBACKUP2_SERVICE_NAME,
                                                    &service);
    if (error != LOCKDOWN_E_SUCCESS && error != LOCKDOWN_E_PASSWORD_PROTECTED) {
        if (service)
            lockdownd_service_descriptor_free(service);
        service = nullptr;
        error = lockdownd_start_service(phone.Lockdown(), MOBILEBACKUP2_SERVICE_NAME, &service);
    }
    if (error == LOCKDOWN_E_PASSWORD_PROTECTED)
        return Fail(CAPTURE_LOCKED, QStringLiteral("the phone is locked with its passcode"));
    if (error != LOCKDOWN_E_SUCCESS || !service) {
        if (service)
            lockdownd_service_descriptor_free(service);
        return Fail(
            error == LOCKDOWN_E_MUX_ERROR ? CAPTURE_FAILED : CAPTURE_PROTOCOL,
            QStringLiteral("the backup service did not start (lockdown error %1)").arg(int(error)));
    }
    // The session is not needed once the service runs; a phone drops idle
    // lockdown connections anyway.
    phone.CloseLockdown();
    mobilebackup2_client_t rawClient = nullptr;
    const mobilebackup2_error_t opened =
        mobilebackup2_client_new(phone.Device(), service, &rawClient);
    lockdownd_service_descriptor_free(service);
    if (opened != MOBILEBACKUP2_E_SUCCESS || !rawClient)
        return Fail(CAPTURE_FAILED,
                    QStringLiteral("cannot connect to the backup service (%1)").arg(int(opened)));
    std::unique_ptr<mobilebackup2_client_private, Backup2Deleter> client(rawClient);
    SetLinkSocket(LinkSocket(client.get()));
    struct SocketReset
    {
        BackupCapture* capture;
        ~SocketReset() { capture->SetLinkSocket(-1); }
    } socketReset{this};

    double versions[2] = {2.0, 2.1};
    double agreed = 0;
    const mobilebackup2_error_t exchanged =
        mobilebackup2_version_exchange(client.get(), versions, 2, &agreed);
    if (m_cancel.load())
        return CAPTURE_CANCELLED;
    if (exchanged != MOBILEBACKUP2_E_SUCCESS)
        return Fail(exchanged == MOBILEBACKUP2_E_MUX_ERROR ? CAPTURE_FAILED : CAPTURE_PROTOCOL,
                    QStringLiteral("no common backup protocol version (%1)").arg(int(exchanged)));

    BackupStaging staging(m_destination, QString::fromLatin1(m_udid));
    if (!staging.Prepare()) {
        const qint64 free = DeviceLinkReceiver::FreeSpace(m_destination);
        return Fail(free >= 0 && free < 1024 * 1024 ? CAPTURE_NO_SPACE : CAPTURE_INTERNAL,
                    staging.ErrorText());
    }
    m_incremental = staging.HadPrevious() && !m_forceFull &&
                    QFile::exists(QDir(staging.WorkFolder()).filePath("Status.plist"));
    if (!WriteInfoPlist(QDir(staging.WorkFolder()).filePath(QStringLiteral("Info.plist")), m_info,
                        build, serial))
        return Fail(CAPTURE_INTERNAL, QStringLiteral("cannot write Info.plist"));

    plist_t options = nullptr;
    if (!m_incremental) {
        options = plist_new_dict();
        plist_dict_set_item(options, "ForceFullBackup", plist_new_bool(1));
    }
    const mobilebackup2_error_t requested = mobilebackup2_send_request(
        client.get(), "Backup", m_udid.constData(), m_udid.constData(), options);
    if (options)
        plist_free(options);
    if (requested != MOBILEBACKUP2_E_SUCCESS)
        return Fail(
            requested == MOBILEBACKUP2_E_MUX_ERROR ? CAPTURE_FAILED : CAPTURE_PROTOCOL,
            QStringLiteral("the phone refused the backup request (%1)").arg(int(requested)));
    Report(STAGE_PREPARING, 0);

    DeviceLinkReceiver receiver(client.get(), staging.Root(), m_cancel);
    if (m_freeSpace)
        receiver.SetFreeSpaceProbe(m_freeSpace);
    receiver.SetProgressCallback([this](int percent) { Report(STAGE_RECEIVING, percent); });
    receiver.SetLinkProbe([this]() { return LinkAlive(); });
    const int code = receiver.Run();
    m_bytes = receiver.BytesReceived();
    m_files = receiver.FilesReceived();
    if (m_cancel.load())
        return CAPTURE_CANCELLED;
    if (code != CAPTURE_OK)
        return Fail(code, receiver.ErrorText());
    if (!staging.Commit())
        return Fail(CAPTURE_INTERNAL, staging.ErrorText());
    syncLock.Release();
    Report(STAGE_DONE, 100);
    return CAPTURE_OK;
}
