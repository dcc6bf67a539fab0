#include "backupmerge.h"

#include "backupmanifest.h"
#include "categorymerger.h"
#include "crypto/encryptedbackup.h"
#include "crypto/secretbytes.h"
#include "deletedrecords.h"
#include "mediamerger.h"
#include "mergecapability.h"
#include "mergedmanifest.h"
#include "readercontext.h"
#include "reminderstorereader.h"
#include "storemerge.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <openssl/crypto.h>

#include <memory>

namespace {

// The password as a secret; its UTF-8 copy is wiped.
SecretBytes Secret(const QString& password)
{
    QByteArray utf8 = password.toUtf8();
    SecretBytes secret = SecretBytes::FromByteArray(utf8);
    if (!utf8.isEmpty())
        OPENSSL_cleanse(utf8.data(), std::size_t(utf8.size()));
    return secret;
}

// Newer phones keep reminders in the app's own store, one per account: each
// of the source's is added to `stores` (its path kept in `names`), with the
// target's store it goes into in `targets` (empty: the same path; a store of
// another account goes into the target's first one).
void AddReminderStores(BackupManifest& manifest, MergedManifest& merged,
                       std::vector<DeletedRecords::Store>& stores, std::vector<QString>& targets,
                       std::vector<QByteArray>& names)
{
    const QString domain = QString::fromLatin1(ReminderStoreReader::Domain);
    const QString folder = QStringLiteral("Container_v1/Stores/");
    static const QRegularExpression storeName(
        QStringLiteral("^Container_v1/Stores/Data-[^/]+\\.sqlite$"));
    const QStringList own = merged.ListPaths(domain, folder).filter(storeName);
    const std::vector<BackupManifest::Entry> listed = manifest.ListFiles(domain, folder);
    names.reserve(listed.size());
    for (const BackupManifest::Entry& entry : listed) {
        if (own.isEmpty() || !storeName.match(entry.relativePath).hasMatch())
            continue;
        names.push_back(entry.relativePath.toUtf8());
        stores.push_back({ReminderStoreReader::Domain,
                          names.back().constData(),
                          {{QStringLiteral("ZREMCDREMINDER"), DeletedRows::Table::Records,
                            QStringLiteral("0"), QString(), QString()}},
                          {}});
        targets.push_back(own.contains(entry.relativePath) ? QString() : own.first());
    }
}

} // namespace

BackupMerge::BackupMerge(const Options& options, Progress progress)
    : m_options(options), m_progress(std::move(progress))
{
    if (!m_progress)
        m_progress = [](int) { return true; };
}

bool BackupMerge::Merges(int category)
{
    return canMergeCategory(category) &&
           (MediaMerger::Handles(category) ||
            CategoryMerger::For(static_cast<MMobile::MDType>(category)) != nullptr);
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
    if (!QFileInfo(QDir(target).filePath(QStringLiteral("Manifest.db"))).isFile()) {
        if (!QFileInfo(QDir(target).filePath(QStringLiteral("Manifest.mbdb"))).isFile())
            return Fail(QStringLiteral("the target backup has no Manifest.db or Manifest.mbdb"));
        // The keys of an older phone's encrypted index are not the newer ones'.
        if (BackupManifest::ReadPlist(target, QStringLiteral("Manifest.plist"))
                .toMap()
                .value(QStringLiteral("IsEncrypted"))
                .toBool())
            return Fail(
                QStringLiteral("encrypted targets indexed by Manifest.mbdb are not merged"));
    }
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
    EncryptedBackup own(source);
    EncryptedBackup& encryption = m_options.sourceKeys ? *m_options.sourceKeys : own;
    std::unique_ptr<QTemporaryDir> work;
    QString workFolder;
    if (m_options.sourceKeys && encryption.IsEncrypted()) {
        if (encryption.CurrentState() != EncryptedBackup::UNLOCKED)
            return Fail(QStringLiteral("the source backup is still locked"));
        workFolder = encryption.PrivateFolder();
    } else if (encryption.IsEncrypted()) {
        if (encryption.Unlock(Secret(m_options.password)) != EncryptedBackup::UNLOCK_OK)
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
    // An encrypted target's copy is written with the target's own keys; its
    // index is read from the private folder, as the merge rewrites it there.
    EncryptedBackup outKeys(out);
    outKeys.SetMemoryLimit(0);
    if (outKeys.IsEncrypted()) {
        const QString& password =
            m_options.targetPassword.isEmpty() ? m_options.password : m_options.targetPassword;
        if (outKeys.Unlock(Secret(password)) != EncryptedBackup::UNLOCK_OK)
            return Fail(QStringLiteral("the target backup is encrypted and does not open with "
                                       "this password: %1")
                            .arg(outKeys.ErrorText()));
    }
    MergedManifest merged(out, outKeys.IsEncrypted() ? &outKeys : nullptr);
    if (!merged.Open())
        return Fail(merged.ErrorText());
    const auto type = static_cast<MMobile::MDType>(m_options.category);
    const bool media = MediaMerger::Handles(type);
    std::unique_ptr<CategoryMerger> merger =
        media ? MediaMerger::For(type, context, merged) : CategoryMerger::For(type);
    // Each store of the category, and where the target keeps it.
    std::vector<DeletedRecords::Store> stores =
        media ? MediaMerger::StoresOf(type) : DeletedRecords::StoresOf(type);
    std::vector<QString> targets(stores.size());
    std::vector<QByteArray> names; // the text the added stores' paths point into
    if (type == MMobile::MD_REMINDER)
        AddReminderStores(manifest, merged, stores, targets, names);
    int done = 0;
    for (std::size_t i = 0; i < stores.size(); ++i) {
        const DeletedRecords::Store& store = stores[i];
        const QString domain = QString::fromLatin1(store.domain);
        const QString path = QString::fromUtf8(store.path);
        const QString into = targets[i].isEmpty() ? path : targets[i];
        if (!manifest.Lists(domain, path) || merged.FileIdOf(domain, into).isEmpty() ||
            (m_options.chosenOnly && !StoreMerge::Holds(store, m_options.rows)))
            continue;
        StoreMerge merge(context, merged, *merger);
        if (m_options.chosenOnly)
            merge.SetRows(&m_options.rows);
        // The scan of a media category reads no lost rows: the merge takes
        // what the scan shows.
        merge.SetCarving(!media);
        if (!merge.Run(store, m_options.onlyDeleted, targets[i]))
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
