#include "backupcapture.h"

#include "backupservicelink.h"
#include "backupstaging.h"
#include "capturecode.h"
#include "devicelinkreceiver.h"
#include "phonesession.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>

#include <plist/plist.h>

#include <cstdlib>

namespace {

Q_LOGGING_CATEGORY(lcCapture, "mmobileengine.phone")

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

void BackupCapture::Cancel()
{
    // Every wait for the phone looks at the flag several times a second.
    m_cancel.store(true);
}

int BackupCapture::Run()
{
    Report(STAGE_CONNECTING, 0);
    PhoneSession session(m_udid, m_cancel);
    const int opened = session.Open(m_pairingTimeoutMs, [this](PhonePairer::Waiting waiting) {
        Report(waiting == PhonePairer::WAITING_FOR_UNLOCK ? STAGE_WAITING_FOR_UNLOCK
                                                          : STAGE_WAITING_FOR_TRUST,
               0);
    });
    m_udid = session.Udid();
    if (opened != CAPTURE_OK)
        return opened == CAPTURE_CANCELLED ? opened : Fail(opened, session.ErrorText());
    PhoneConnection& phone = session.Connection();
    m_info = phone.ReadInfo();
    const QString build = phone.StringValue(nullptr, "BuildVersion");
    const QString serial = phone.StringValue(nullptr, "SerialNumber");
    if (m_cancel.load())
        return CAPTURE_CANCELLED;

    BackupServiceLink link(m_cancel);
    const int started = link.Open(phone.Device(), phone.Lockdown());
    if (started != CAPTURE_OK)
        return Fail(started, link.ErrorText());
    // The session is not needed once the service runs; a phone drops idle
    // lockdown connections anyway.
    phone.CloseLockdown();

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
    const bool requested = link.SendRequest("Backup", m_udid, m_udid, options);
    if (options)
        plist_free(options);
    if (!requested)
        return Fail(
            CAPTURE_FAILED,
            QStringLiteral("the backup request did not reach the phone: %1").arg(link.ErrorText()));
    Report(STAGE_PREPARING, 0);

    DeviceLinkReceiver receiver(link, staging.Root(), m_cancel);
    if (m_freeSpace)
        receiver.SetFreeSpaceProbe(m_freeSpace);
    receiver.SetProgressCallback([this](int percent) { Report(STAGE_RECEIVING, percent); });
    receiver.SetLinkProbe([&session]() { return session.PhonePresent(); });
    const int code = receiver.Run();
    m_bytes = receiver.BytesReceived();
    m_files = receiver.FilesReceived();
    if (m_cancel.load())
        return CAPTURE_CANCELLED;
    if (code != CAPTURE_OK)
        return Fail(code, receiver.ErrorText());
    if (!staging.Commit())
        return Fail(CAPTURE_INTERNAL, staging.ErrorText());
    session.ReleaseLock();
    Report(STAGE_DONE, 100);
    return CAPTURE_OK;
}
