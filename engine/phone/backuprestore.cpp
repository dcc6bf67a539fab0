#include "backuprestore.h"

#include "backupservicelink.h"
#include "capturecode.h"
#include "devicelinkreceiver.h"
#include "merge/backupcheck.h"
#include "phoneconnection.h"
#include "phonepairer.h"
#include "synclock.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>

#include <plist/plist.h>
#include <usbmuxd.h>

#include <memory>

namespace {

Q_LOGGING_CATEGORY(lcRestore, "mmobileengine.phone")

struct PlistFree
{
    void operator()(plist_t node) const { plist_free(node); }
};

} // namespace

BackupRestore::BackupRestore(const QByteArray& udid, const QString& backupFolder)
    : m_udid(udid), m_folder(QFileInfo(backupFolder).absoluteFilePath())
{
}

int BackupRestore::Fail(int code, const QString& reason)
{
    m_error = reason;
    if (code != CAPTURE_CANCELLED)
        qCWarning(lcRestore).noquote() << "restore failed with code" << code << ":" << reason;
    return code;
}

int BackupRestore::Run()
{
    QString reason;
    if (!BackupCheck::IsComplete(m_folder, &reason))
        return Fail(CAPTURE_INTERNAL,
                    QStringLiteral("%1 is not a complete backup: %2").arg(m_folder, reason));
    PhoneConnection phone(m_udid);
    lockdownd_error_t error = phone.OpenPlain();
    m_udid = phone.Udid();
    if (error == LOCKDOWN_E_MUX_ERROR || m_udid.isEmpty())
        return Fail(CAPTURE_FAILED, QStringLiteral("no phone is connected"));
    error = phone.OpenSession();
    if (error == LOCKDOWN_E_MISSING_PAIR_RECORD || error == LOCKDOWN_E_INVALID_HOST_ID ||
        error == LOCKDOWN_E_PAIRING_FAILED) {
        PhonePairer pairer(m_udid);
        const PhonePairer::Result paired =
            pairer.Run(m_pairingTimeoutMs, m_cancel, [](PhonePairer::Waiting) {});
        if (paired == PhonePairer::CANCELLED)
            return CAPTURE_CANCELLED;
        if (paired != PhonePairer::PAIRED)
            return Fail(CAPTURE_NO_ACCESS, pairer.ErrorText());
        phone.Close();
        error = phone.OpenSession();
    }
    if (error == LOCKDOWN_E_PASSWORD_PROTECTED)
        return Fail(CAPTURE_LOCKED, QStringLiteral("the phone is locked with its passcode"));
    if (error != LOCKDOWN_E_SUCCESS)
        return Fail(
            error == LOCKDOWN_E_MUX_ERROR ? CAPTURE_FAILED : CAPTURE_NO_ACCESS,
            QStringLiteral("the phone refused a session (lockdown error %1)").arg(int(error)));
    SyncLock syncLock(phone.Device());
    const SyncLock::Result locked = syncLock.Acquire(m_cancel);
    if (locked == SyncLock::BUSY)
        return Fail(CAPTURE_BUSY, syncLock.ErrorText());
    if (locked == SyncLock::CANCELLED)
        return CAPTURE_CANCELLED;

    BackupServiceLink link(m_cancel);
    const int opened = link.Open(phone.Device(), phone.Lockdown());
    if (opened != CAPTURE_OK)
        return Fail(opened, link.ErrorText());
    const int code = Restore(link);
    if (code == CAPTURE_OK)
        syncLock.Release();
    return code;
}

int BackupRestore::Restore(BackupServiceLink& link)
{
    // The phone keeps its settings and whatever the backup does not hold:
    // a recovery only adds.
    std::unique_ptr<void, PlistFree> options(plist_new_dict());
    plist_dict_set_item(options.get(), "RestoreShouldReboot", plist_new_bool(1));
    plist_dict_set_item(options.get(), "RestoreDontCopyBackup", plist_new_bool(1));
    plist_dict_set_item(options.get(), "RestorePreserveSettings", plist_new_bool(1));
    plist_dict_set_item(options.get(), "RestoreSystemFiles", plist_new_bool(1));
    plist_dict_set_item(options.get(), "RemoveItemsNotRestored", plist_new_bool(0));
    if (!m_password.isEmpty())
        plist_dict_set_item(options.get(), "Password",
                            plist_new_string(m_password.toUtf8().constData()));
    const QByteArray source = QFileInfo(m_folder).fileName().toUtf8();
    if (!link.SendRequest("Restore", m_udid, source, static_cast<plist_t>(options.get())))
        return Fail(CAPTURE_FAILED,
                    QStringLiteral("the restore request did not reach the phone: %1")
                        .arg(link.ErrorText()));
    // The host's folder is the parent; the phone names "<source>/..." in it.
    DeviceLinkReceiver receiver(link, QFileInfo(m_folder).path(), m_cancel);
    receiver.SetProgressCallback([this](int percent) {
        if (m_progress)
            m_progress(percent);
    });
    receiver.SetLinkProbe([this]() {
        usbmuxd_device_info_t device;
        return usbmuxd_get_device_by_udid(m_udid.constData(), &device) == 1;
    });
    const int code = receiver.Run();
    if (m_cancel.load())
        return CAPTURE_CANCELLED;
    if (code != CAPTURE_OK)
        return Fail(code, receiver.ErrorText());
    if (m_progress)
        m_progress(100);
    return CAPTURE_OK;
}
