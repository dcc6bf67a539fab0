#include "backupmerge.h"

#include "backupmanifest.h"
#include "categorymerger.h"
#include "crypto/encryptedbackup.h"
#include "crypto/secretbytes.h"
#include "deletedrecords.h"
#include "mergedmanifest.h"
#include "readercontext.h"
#include "storemerge.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <openssl/crypto.h>

#include <memory>

BackupMerge::BackupMerge(const Options& options, Progress progress)
    : m_options(options), m_progress(std::move(progress))
{
    if (!m_progress)
        m_progress = [](int) { return true; };
}

bool BackupMerge::Merges(int category)
{
    return CategoryMerger::For(static_cast<MMobile::MDType>(category)) != nullptr;
}

bool BackupMerge::Fail(const QString& error)
{
    m_error = error;
    return false;
}

bool BackupMerge::CopyBackup(const QString& folder, const QString& copyFolder)
{
    const QString from = QFileInfo(folder).absoluteFilePath();
    const QString to = QFileInfo(copyFolder).absoluteFilePath();
    // Links are not followed out of a backup: they are left out.
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    if (!QDir().mkpath(to))
        return false;
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isSymLink())
            continue;
        const QString copy = QDir(to).filePath(QDir(from).relativeFilePath(path));
        if (info.isDir() ? !QDir().mkpath(copy) : !QFile::copy(path, copy))
            return false;
        if (!info.isDir())
            QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                            QFile::ReadOther);
    }
    return true;
}

bool BackupMerge::Run(const QString& source, const QString& target, const QString& out)
{
    m_added = m_skipped = 0;
    if (!Merges(m_options.category))
        return Fail(QStringLiteral("category %1 is not merged").arg(m_options.category));
    if (QFileInfo::exists(out))
        return Fail(QStringLiteral("%1 exists already").arg(out));
    if (BackupManifest::ReadPlist(target, QStringLiteral("Manifest.plist"))
            .toMap()
            .value(QStringLiteral("IsEncrypted"))
            .toBool())
        return Fail(QStringLiteral("the target backup is encrypted: encrypted targets are not "
                                   "merged"));
    if (!QFileInfo(QDir(target).filePath(QStringLiteral("Manifest.db"))).isFile())
        return Fail(QStringLiteral("the target backup has no Manifest.db (older backups indexed by "
                                   "Manifest.mbdb are not merged)"));
    if (!m_progress(0))
        return Fail(QStringLiteral("stopped"));
    if (!CopyBackup(target, out)) {
        QDir(out).removeRecursively();
        return Fail(QStringLiteral("%1 cannot be copied to %2").arg(target, out));
    }
    if (!m_progress(30) || !Merge(source, out)) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("stopped");
        QDir(out).removeRecursively();
        return false;
    }
    m_progress(100);
    return true;
}

bool BackupMerge::Merge(const QString& source, const QString& out)
{
    EncryptedBackup encryption(source);
    std::unique_ptr<QTemporaryDir> work;
    QString workFolder;
    if (encryption.IsEncrypted()) {
        QByteArray utf8 = m_options.password.toUtf8();
        const SecretBytes password = SecretBytes::FromByteArray(utf8);
        if (!utf8.isEmpty())
            OPENSSL_cleanse(utf8.data(), std::size_t(utf8.size()));
        if (encryption.Unlock(password) != EncryptedBackup::UNLOCK_OK)
            return Fail(m_options.password.isEmpty()
                            ? QStringLiteral("the source backup is encrypted: give its password")
                            : QStringLiteral("the source backup does not open with this password"));
        workFolder = encryption.PrivateFolder();
    } else {
        work = std::make_unique<QTemporaryDir>(
            QDir(QDir::tempPath()).filePath(QStringLiteral("mmobile-merge-XXXXXX")));
        if (!work->isValid())
            return Fail(QStringLiteral("no private work folder"));
        workFolder = work->path();
    }
    BackupManifest manifest(source, encryption.IsEncrypted() ? &encryption : nullptr);
    manifest.SetWorkFolder(workFolder);
    if (manifest.Open() != BackupManifest::BACKUP_OK)
        return Fail(
            QStringLiteral("the source backup cannot be read: %1").arg(manifest.ErrorText()));
    ReaderContext context(manifest, workFolder, [](int) { return true; });
    // The merge attaches the source's databases by path, and writes their
    // plaintext into the merged backup anyway.
    context.SetInMemory(false);
    MergedManifest merged(out);
    if (!merged.Open())
        return Fail(merged.ErrorText());
    const auto type = static_cast<MMobile::MDType>(m_options.category);
    std::unique_ptr<CategoryMerger> merger = CategoryMerger::For(type);
    const std::vector<DeletedRecords::Store> stores = DeletedRecords::StoresOf(type);
    int done = 0;
    for (std::size_t i = 0; i < stores.size(); ++i) {
        const DeletedRecords::Store& store = stores[i];
        const QString domain = QString::fromLatin1(store.domain);
        const QString path = QString::fromLatin1(store.path);
        if (!manifest.Lists(domain, path) || merged.FileIdOf(domain, path).isEmpty())
            continue;
        StoreMerge merge(context, merged, *merger);
        if (!merge.Run(store, m_options.onlyDeleted))
            return Fail(merge.ErrorText());
        ++done;
        if (!m_progress(30 + int(60 * (i + 1) / stores.size())))
            return false;
    }
    if (!merged.Close())
        return Fail(merged.ErrorText());
    if (done == 0)
        return Fail(QStringLiteral("the two backups have no database of this category in common"));
    m_added = merger->Added();
    m_skipped = merger->Skipped();
    return true;
}
