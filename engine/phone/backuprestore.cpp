#include "backuprestore.h"

#include "backupservicelink.h"
#include "capturecode.h"
#include "devicelinkreceiver.h"
#include "merge/backupcheck.h"
#include "phonesession.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>

#include <plist/plist.h>

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
    PhoneSession session(m_udid, m_cancel);
    const int opened = session.Open(m_pairingTimeoutMs, [](PhonePairer::Waiting) {});
    m_udid = session.Udid();
    if (opened != CAPTURE_OK)
        return opened == CAPTURE_CANCELLED ? opened : Fail(opened, session.ErrorText());
    BackupServiceLink link(m_cancel);
    const int started = link.Open(session.Connection().Device(), session.Connection().Lockdown());
    if (started != CAPTURE_OK)
        return Fail(started, link.ErrorText());
    const int code = Restore(link, session);
    if (code == CAPTURE_OK)
        session.ReleaseLock();
    return code;
}

int BackupRestore::Restore(BackupServiceLink& link, const PhoneSession& session)
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
    receiver.SetLinkProbe([&session]() { return session.PhonePresent(); });
    const int code = receiver.Run();
    if (m_cancel.load())
        return CAPTURE_CANCELLED;
    if (code != CAPTURE_OK)
        return Fail(code, receiver.ErrorText());
    if (m_progress)
        m_progress(100);
    return CAPTURE_OK;
}
