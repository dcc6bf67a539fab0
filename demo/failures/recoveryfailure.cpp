#include "recoveryfailure.h"

#include "contracts/mmobiletypes.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <QTemporaryFile>

namespace {
// Less than this is a full disk for a recovery.
const qint64 kMinimumFree = 1024 * 1024;
} // namespace

QString RecoveryFailure::Explain(const QString& folder)
{
    if (folder.isEmpty())
        return tr("no folder was chosen");
    // The recovery makes the missing folders: what matters is the nearest one there.
    QString existing = QDir::cleanPath(QDir(folder).absolutePath());
    while (!QFileInfo::exists(existing) && QFileInfo(existing).dir().path() != existing)
        existing = QFileInfo(existing).dir().path();
    const QString shown = QDir::toNativeSeparators(existing);
    const auto cannot = [&shown](const QString& reason) {
        return tr("cannot write into %1: %2").arg(shown, reason);
    };
    const QFileInfo info(existing);
    if (!info.isDir())
        return cannot(tr("it is a file, not a folder"));
    const QStorageInfo disk(existing);
    if (disk.isValid() && disk.isReadOnly())
        return cannot(tr("the disk is read-only"));
    if (disk.isValid() && disk.bytesAvailable() < kMinimumFree)
        return cannot(tr("the disk is full"));
    QTemporaryFile probe(QDir(existing).filePath(QStringLiteral(".recovery-probe-XXXXXX")));
    if (!probe.open()) {
        if (!info.isWritable())
            return cannot(tr("permission denied"));
        // The system's reason, as the rest of the sentence.
        QString reason = probe.errorString();
        if (!reason.isEmpty())
            reason[0] = reason.at(0).toLower();
        return cannot(reason);
    }
    return QString();
}

QString RecoveryFailure::Message(int mode, const QString& category, const QString& folder,
                                 const QString& help, const QString& reason,
                                 const QStringList& complete)
{
    if (mode != MMobile::RECOVER_TO_PC)
        return tr("%1: the recovery to the phone failed; the phone was left as it was. Unlock it, "
                  "keep it connected and try again. The log has the details (Help > Open Log).")
            .arg(category);
    const QString why = Explain(folder);
    QString message;
    if (!why.isEmpty())
        message = tr("%1: the recovery failed: %2").arg(category, why);
    else if (!reason.isEmpty())
        message = tr("%1: the recovery to %2 failed: %3")
                      .arg(category, QDir::toNativeSeparators(folder), reason);
    else
        message = tr("%1: the recovery to %2 failed. %3")
                      .arg(category, QDir::toNativeSeparators(folder), help);
    // What was written before the failure is whole, and need not be recovered again.
    if (!complete.isEmpty())
        message += QLatin1Char(' ') + tr("%n file(s) written before it stopped are complete: %1",
                                         nullptr, complete.size())
                                          .arg(CompleteNames(complete));
    return message;
}

QString RecoveryFailure::CompleteNames(const QStringList& complete)
{
    // A few names say which; the log lists them all.
    const int shown = 3;
    QStringList names;
    for (int i = 0; i < complete.size() && i < shown; ++i)
        names << QFileInfo(complete[i]).fileName();
    QString text = names.join(QStringLiteral(", "));
    if (complete.size() > shown)
        text += tr(" and %n more", nullptr, complete.size() - shown);
    return text;
}
