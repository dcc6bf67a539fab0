#include "backupstaging.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

// A second name for the same file; false where the file system has none.
bool HardLink(const QString& from, const QString& to)
{
#ifdef _WIN32
    return CreateHardLinkW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(to).utf16()),
                           reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(from).utf16()),
                           nullptr) != 0;
#else
    return ::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#endif
}

} // namespace

BackupStaging::BackupStaging(const QString& destination, const QString& udid)
    : m_destination(QDir(destination).absolutePath()), m_udid(udid),
      m_root(QDir(m_destination).filePath(QStringLiteral(".mmobile-capture-") + udid))
{
}

BackupStaging::~BackupStaging()
{
    if (!m_committed)
        Discard();
}

QString BackupStaging::WorkFolder() const
{
    return QDir(m_root).filePath(m_udid);
}

QString BackupStaging::BackupFolder() const
{
    return QDir(m_destination).filePath(m_udid);
}

bool BackupStaging::Prepare()
{
    if (!ValidIdentifier()) {
        m_error = QStringLiteral("not a usable phone identifier: %1").arg(m_udid);
        return false;
    }
    // A crash between the two renames of Commit() leaves the old backup in
    // the working folder: put it back before anything is removed.
    const QString aside = QDir(m_root).filePath(QStringLiteral("previous"));
    if (QFileInfo(aside).isDir() && !QFileInfo::exists(BackupFolder()) &&
        !QDir().rename(aside, BackupFolder())) {
        m_error = QStringLiteral("cannot restore the previous backup from %1").arg(aside);
        return false;
    }
    Discard();
    if (!QDir().mkpath(WorkFolder())) {
        m_error = QStringLiteral("cannot create %1").arg(WorkFolder());
        return false;
    }
    const QFileInfo previous(BackupFolder());
    m_hadPrevious = previous.isDir() && !previous.isSymLink();
    if (m_hadPrevious && !LinkTree(BackupFolder(), WorkFolder())) {
        Discard();
        return false;
    }
    return true;
}

bool BackupStaging::LinkTree(const QString& from, const QString& to)
{
    const QDir source(from);
    // Links are never followed out of the backup: they are not copied.
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isSymLink())
            continue;
        const QString target = QDir(to).filePath(source.relativeFilePath(path));
        if (info.isDir()) {
            if (!QDir().mkpath(target)) {
                m_error = QStringLiteral("cannot create %1").arg(target);
                return false;
            }
            continue;
        }
        if (!HardLink(path, target) && !QFile::copy(path, target)) {
            m_error = QStringLiteral("cannot copy %1 into the working folder").arg(path);
            return false;
        }
    }
    return true;
}

bool BackupStaging::Commit()
{
    const QString backup = BackupFolder();
    const QString old = QDir(m_root).filePath(QStringLiteral("previous"));
    QDir dir;
    if (QFileInfo::exists(backup) && !dir.rename(backup, old)) {
        m_error = QStringLiteral("cannot move the previous backup %1 aside").arg(backup);
        return false;
    }
    if (!dir.rename(WorkFolder(), backup)) {
        m_error = QStringLiteral("cannot move the new backup to %1").arg(backup);
        if (QFileInfo::exists(old))
            dir.rename(old, backup);
        return false;
    }
    m_committed = true;
    QDir(m_root).removeRecursively();
    return true;
}

bool BackupStaging::ValidIdentifier() const
{
    return !m_udid.isEmpty() && !m_udid.contains(QLatin1Char('/')) &&
           !m_udid.contains(QLatin1Char('\\')) && !m_udid.startsWith(QLatin1Char('.'));
}

void BackupStaging::Discard()
{
    // Nothing is removed for a name that might point elsewhere.
    if (ValidIdentifier() && QFileInfo::exists(m_root))
        QDir(m_root).removeRecursively();
}
