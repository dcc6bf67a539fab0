#include "phonerecovery.h"

#include "backupcapture.h"
#include "backuprestore.h"
#include "capturecode.h"
#include "merge/backupcheck.h"
#include "merge/backupmerge.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <atomic>

namespace {

Q_LOGGING_CATEGORY(lcRecovery, "mmobileengine.phone")

// Shares of the whole: the phone's backup is the long part, its restore next.
constexpr int CaptureEnd = 40;
constexpr int MergeEnd = 60;
constexpr int CheckEnd = 65;

int Scaled(int from, int to, int percent)
{
    return from + (to - from) * qBound(0, percent, 100) / 100;
}

} // namespace

PhoneRecovery::PhoneRecovery(const QByteArray& udid, const QString& name, const QString& backups)
    : m_udid(udid), m_name(name), m_backups(backups)
{
}

int PhoneRecovery::Fail(int code, const QString& reason)
{
    m_error = reason;
    if (code != CAPTURE_CANCELLED)
        qCWarning(lcRecovery).noquote() << "recovery to the phone failed:" << reason;
    return code;
}

QString PhoneRecovery::MergedName(const QString& backups, const QString& name,
                                  const QDateTime& when)
{
    // No character a file system refuses: the name is the phone's own text.
    QString shown = name;
    for (const QChar c : QStringLiteral("/\\:*?\"<>|"))
        shown.replace(c, QLatin1Char('_'));
    const QString base = QStringLiteral("%1 \u2014 recovered %2")
                             .arg(shown.trimmed(), when.toString(QStringLiteral("yyyy-MM-dd")));
    QString candidate = base;
    for (int n = 2; QFileInfo::exists(QDir(backups).filePath(candidate)); ++n)
        candidate = QStringLiteral("%1 (%2)").arg(base).arg(n);
    return candidate;
}

int PhoneRecovery::Run(const RecoveryTarget::Request& request, const RecoveryTarget::Report& report)
{
    if (!QDir().mkpath(m_backups))
        return Fail(CAPTURE_INTERNAL, QStringLiteral("%1 cannot be made").arg(m_backups));
    // The working folder lies beside the backups (same disk, room for a
    // phone's backup); it goes with this function, whatever happens.
    QTemporaryDir work(QDir(m_backups).filePath(QStringLiteral(".mmobile-recovery-XXXXXX")));
    if (!work.isValid())
        return Fail(CAPTURE_INTERNAL,
                    QStringLiteral("no private working folder in %1").arg(m_backups));
    QFile::setPermissions(work.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // 1. What the phone holds now.
    BackupCapture capture(m_udid, work.path());
    std::atomic<bool> stopped{false};
    capture.SetProgressCallback([&](BackupCapture::Stage stage, int percent) {
        const int shown = stage == BackupCapture::STAGE_RECEIVING ? percent : 0;
        if (!report(Scaled(0, CaptureEnd, shown), "backup")) {
            stopped.store(true);
            capture.Cancel();
        }
    });
    const int captured = capture.Run();
    if (stopped.load() || captured == CAPTURE_CANCELLED)
        return CAPTURE_CANCELLED;
    if (captured != CAPTURE_OK)
        return Fail(captured,
                    QStringLiteral("the phone's backup failed: %1").arg(capture.ErrorText()));

    // 2. The chosen records added to a copy of it, kept beside the backups.
    const QString merged =
        QDir(m_backups).filePath(MergedName(m_backups, m_name, QDateTime::currentDateTime()));
    BackupMerge::Options options;
    options.category = int(request.type);
    options.sourceKeys = request.sourceKeys;
    options.chosenOnly = true;
    options.rows = request.rows;
    BackupMerge merge(options, [&](int percent) {
        return report(Scaled(CaptureEnd, MergeEnd, percent), "merge");
    });
    if (!merge.Run(request.source, capture.BackupFolder(), merged)) {
        if (!report(MergeEnd, "merge"))
            return CAPTURE_CANCELLED;
        return Fail(CAPTURE_INTERNAL,
                    QStringLiteral("the records cannot be merged: %1").arg(merge.ErrorText()));
    }
    qCInfo(lcRecovery).noquote() << merge.AddedCount() << "record(s) added," << merge.SkippedCount()
                                 << "already on the phone, in" << merged;

    // 3. Nothing goes to the phone unless the merged backup is complete.
    QString reason;
    if (!BackupCheck::IsComplete(merged, &reason)) {
        QDir(merged).removeRecursively();
        return Fail(CAPTURE_INTERNAL,
                    QStringLiteral("the merged backup is not complete: %1").arg(reason));
    }
    if (!report(CheckEnd, "check")) {
        QDir(merged).removeRecursively();
        return CAPTURE_CANCELLED;
    }

    // 4. The phone takes it back.
    BackupRestore restore(capture.Udid(), merged);
    restore.SetProgressCallback([&](int percent) {
        if (!report(Scaled(CheckEnd, 100, percent), "restore")) {
            stopped.store(true);
            restore.Cancel();
        }
    });
    const int restored = restore.Run();
    if (restored != CAPTURE_OK) {
        QDir(merged).removeRecursively();
        if (stopped.load() || restored == CAPTURE_CANCELLED)
            return CAPTURE_CANCELLED;
        return Fail(restored, QStringLiteral("the restore failed: %1").arg(restore.ErrorText()));
    }
    m_merged = merged;
    return CAPTURE_OK;
}
