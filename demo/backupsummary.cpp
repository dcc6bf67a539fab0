#include "backupsummary.h"

#include "failures/backuphealthcheck.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QVariantMap>

#include <plist/plist.h>

#include <cstdlib>
#include <memory>

namespace {

// Seconds between the Unix epoch and the property lists' (2001-01-01).
const qint64 kPlistEpoch = 978307200;
// Larger property lists are not a backup's: they are not read.
const qint64 kMaxPlistSize = 16 * 1024 * 1024;

struct PlistFree
{
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};

QVariant NodeValue(plist_t node)
{
    switch (plist_get_node_type(node)) {
    case PLIST_STRING: {
        char* text = nullptr;
        plist_get_string_val(node, &text);
        const QString value = QString::fromUtf8(text);
        std::free(text);
        return value;
    }
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return value != 0;
    }
    case PLIST_UINT: {
        uint64_t value = 0;
        plist_get_uint_val(node, &value);
        return qulonglong(value);
    }
    case PLIST_DATE: {
        int32_t seconds = 0;
        int32_t micros = 0;
        plist_get_date_val(node, &seconds, &micros);
        return QDateTime::fromSecsSinceEpoch(kPlistEpoch + seconds, Qt::UTC);
    }
    default:
        return QVariant(); // data, arrays and dictionaries are not shown
    }
}

enum class ReadResult { Missing, Unreadable, Read };

// The top-level entries of a dictionary property list, XML or binary.
ReadResult ReadDictionary(const QString& path, QVariantMap* entries)
{
    QFile file(path);
    if (!file.exists())
        return ReadResult::Missing;
    if (file.size() > kMaxPlistSize || !file.open(QIODevice::ReadOnly))
        return ReadResult::Unreadable;
    const QByteArray bytes = file.readAll();
    plist_t root = nullptr;
    if (!bytes.isEmpty())
        plist_from_memory(bytes.constData(), uint32_t(bytes.size()), &root);
    std::unique_ptr<void, PlistFree> owner(root);
    if (!root || plist_get_node_type(root) != PLIST_DICT)
        return ReadResult::Unreadable;
    plist_dict_iter it = nullptr;
    plist_dict_new_iter(root, &it);
    for (;;) {
        char* key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(root, it, &key, &value);
        if (!key)
            break;
        entries->insert(QString::fromUtf8(key), NodeValue(value));
        std::free(key);
    }
    std::free(it);
    return ReadResult::Read;
}

} // namespace

qint64 BackupSummary::FolderSize(const QString& folder, const std::atomic<bool>* stop)
{
    qint64 size = 0;
    QDirIterator files(folder, QDir::Files | QDir::Hidden | QDir::NoSymLinks,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        if (stop && *stop)
            return -1;
        files.next();
        size += files.fileInfo().size();
    }
    return size;
}

bool BackupSummary::LooksLikeBackup(const QString& folder)
{
    const QDir dir(folder);
    for (const char* name : {"Info.plist", "Manifest.plist", "Manifest.db", "Status.plist"}) {
        if (dir.exists(QLatin1String(name)))
            return true;
    }
    return false;
}

BackupSummary BackupSummary::Read(const QString& folder)
{
    BackupSummary summary;
    summary.folder = QDir::cleanPath(folder);
    const QDir dir(folder);
    if (!QFileInfo(folder).isDir()) {
        summary.problem = tr("The folder does not exist");
        return summary;
    }
    if (!LooksLikeBackup(folder)) {
        summary.problem = tr("Not a backup: there is no Info.plist or Manifest.plist");
        return summary;
    }
    summary.state = Damaged;

    QVariantMap info;
    QVariantMap manifest;
    QVariantMap status;
    const ReadResult infoRead = ReadDictionary(dir.filePath(QStringLiteral("Info.plist")), &info);
    const ReadResult manifestRead =
        ReadDictionary(dir.filePath(QStringLiteral("Manifest.plist")), &manifest);
    const ReadResult statusRead =
        ReadDictionary(dir.filePath(QStringLiteral("Status.plist")), &status);

    // What can be read is shown even when another file is damaged.
    summary.deviceName = info.value(QStringLiteral("Device Name")).toString();
    if (summary.deviceName.isEmpty())
        summary.deviceName = info.value(QStringLiteral("Display Name")).toString();
    summary.model = info.value(QStringLiteral("Product Type")).toString();
    summary.systemVersion = info.value(QStringLiteral("Product Version")).toString();
    summary.encrypted = manifest.value(QStringLiteral("IsEncrypted")).toBool();
    for (const QVariant& date :
         {info.value(QStringLiteral("Last Backup Date")), status.value(QStringLiteral("Date")),
          manifest.value(QStringLiteral("Date"))}) {
        QDateTime when = date.toDateTime();
        if (date.userType() == QMetaType::QString)
            when = QDateTime::fromString(date.toString(), Qt::ISODate);
        if (when.isValid()) {
            summary.date = when.toUTC();
            break;
        }
    }

    const auto fileProblem = [](ReadResult read, const char* name) {
        return read == ReadResult::Missing
                   ? tr("Damaged: %1 is missing").arg(QLatin1String(name))
                   : tr("Damaged: %1 cannot be read").arg(QLatin1String(name));
    };
    if (manifestRead != ReadResult::Read)
        summary.problem = fileProblem(manifestRead, "Manifest.plist");
    else if (infoRead != ReadResult::Read)
        summary.problem = fileProblem(infoRead, "Info.plist");
    else if (statusRead == ReadResult::Unreadable)
        summary.problem = fileProblem(statusRead, "Status.plist");
    else if (!dir.exists(QStringLiteral("Manifest.db")))
        summary.problem = fileProblem(ReadResult::Missing, "Manifest.db");
    else if (statusRead == ReadResult::Read &&
             status.value(QStringLiteral("SnapshotState")).toString() != QLatin1String("finished"))
        summary.problem = tr("Damaged: the backup did not finish (state \"%1\")")
                              .arg(status.value(QStringLiteral("SnapshotState")).toString());
    else if (!summary.encrypted)
        summary.problem = BackupHealthCheck::ManifestProblem(folder);
    if (summary.problem.isEmpty())
        summary.state = Ready;
    return summary;
}

QString BackupSummary::Title() const
{
    const QString name = deviceName.isEmpty() ? QFileInfo(folder).fileName() : deviceName;
    return sample ? tr("%1 (sample)").arg(name) : name;
}

QString BackupSummary::Details() const
{
    if (state == NotABackup)
        return problem;
    QStringList parts;
    if (!model.isEmpty())
        parts << model;
    if (!systemVersion.isEmpty())
        parts << tr("iOS %1").arg(systemVersion);
    if (date.isValid())
        parts << QLocale().toString(date.toLocalTime(), QLocale::ShortFormat);
    if (size >= 0)
        parts << QLocale().formattedDataSize(size);
    if (encrypted)
        parts << tr("encrypted");
    QString text = parts.join(QStringLiteral(" · "));
    if (state == Damaged)
        text += QStringLiteral("\n") + problem;
    return text;
}
