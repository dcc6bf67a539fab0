#include "noteattachmentreader.h"

#include "appletime.h"
#include "backupmanifest.h"
#include "engineitem.h"
#include "filerecord.h"
#include "schemaprobe.h"
#include "sqlitedb.h"

#include "contracts/mmobiletypes.h"

#include <QFileInfo>
#include <QHash>

namespace {

using Row = SqliteDb::Row;

const QString Store = QStringLiteral("NoteStore.sqlite");

// The kind of a file by its type identifier, else by its name.
int KindOf(const QString& uti, const QString& name)
{
    if (uti.startsWith(QLatin1String("public.jpeg")) || uti == QLatin1String("public.png") ||
        uti == QLatin1String("public.heic") || uti == QLatin1String("public.tiff") ||
        uti == QLatin1String("com.compuserve.gif") ||
        uti.startsWith(QLatin1String("com.apple.drawing")) ||
        uti == QLatin1String("com.apple.paper"))
        return MMobile::FILE_KIND_PICTURE;
    if (uti.contains(QLatin1String("audio")))
        return MMobile::FILE_KIND_AUDIO;
    if (uti.contains(QLatin1String("movie")) || uti.contains(QLatin1String("video")))
        return MMobile::FILE_KIND_VIDEO;
    return FileRecord::KindOfName(name);
}

} // namespace

bool NoteAttachmentReader::Read(ReaderContext::Items& items)
{
    const QString domain = QString::fromLatin1(ReaderContext::NotesDomain);
    SqliteDb db;
    const ReaderContext::OpenResult open = m_context.OpenDatabase(domain, Store, db);
    if (open != ReaderContext::OPEN_OK)
        return open == ReaderContext::OPEN_ABSENT;
    SchemaProbe schema(db, Store);
    const QString objects = QStringLiteral("ZICCLOUDSYNCINGOBJECT");
    if (!schema.HasTable(objects))
        return m_context.Fail(QStringLiteral("%1 lacks the table %2").arg(Store, objects));
    // Stores without attachment columns (the oldest) have no attachments.
    for (const char* column : {"ZTYPEUTI", "ZNOTE", "ZIDENTIFIER"}) {
        if (!schema.HasColumn(objects, QLatin1String(column))) {
            schema.Column(objects, QString(), QLatin1String(column));
            return true;
        }
    }

    // The files of the notes app group, by the folder that names them:
    // Media/<media identifier>/... and FallbackImages/<attachment identifier>.
    // Relative paths; their content is looked up when an item needs it.
    QHash<QString, QString> media;     // media identifier + '/' + file name -> path
    QHash<QString, QString> mediaAny;  // media identifier -> its first file's path
    QHash<QString, QString> fallbacks; // attachment identifier -> path
    BackupManifest& manifest = m_context.Manifest();
    for (const BackupManifest::Entry& entry :
         manifest.ListFiles(domain, QStringLiteral("Accounts/"))) {
        const QStringList parts = entry.relativePath.split(QLatin1Char('/'));
        if (parts.size() < 4)
            continue;
        const QString name = parts.last();
        if (parts[2] == QLatin1String("Media") && parts.size() >= 5) {
            media.insert(parts[3] + QLatin1Char('/') + name, entry.relativePath);
            if (!mediaAny.contains(parts[3]))
                mediaAny.insert(parts[3], entry.relativePath);
        } else if (parts[2] == QLatin1String("FallbackImages") && parts.size() == 4) {
            fallbacks.insert(QFileInfo(name).completeBaseName(), entry.relativePath);
        }
    }

    const QString mediaColumn = schema.HasColumn(objects, QStringLiteral("ZMEDIA"))
                                    ? QStringLiteral("a.ZMEDIA")
                                    : QStringLiteral("NULL");
    const bool mediaFiles = mediaColumn != QLatin1String("NULL") &&
                            schema.HasColumn(objects, QStringLiteral("ZFILENAME"));
    const QString deleted = schema.HasColumn(objects, QStringLiteral("ZMARKEDFORDELETION"))
                                ? QStringLiteral("n.ZMARKEDFORDELETION")
                                : QStringLiteral("0");
    const bool ok = db.Query(
        QStringLiteral("SELECT a.ZIDENTIFIER, a.ZTYPEUTI, %1, %2, %3, %4 FROM %5 a JOIN %5 n ON "
                       "n.Z_PK = a.ZNOTE%6 WHERE a.ZTYPEUTI IS NOT NULL ORDER BY %3, n.Z_PK, "
                       "a.Z_PK")
            .arg(mediaFiles ? QStringLiteral("m.ZIDENTIFIER") : QStringLiteral("NULL"),
                 mediaFiles ? QStringLiteral("m.ZFILENAME") : QStringLiteral("NULL"),
                 schema.Column(objects, QStringLiteral("n"), QStringLiteral("ZMODIFICATIONDATE1")),
                 deleted, objects,
                 mediaFiles
                     ? QStringLiteral(" LEFT JOIN %1 m ON m.Z_PK = %2").arg(objects, mediaColumn)
                     : QString()),
        [&](const Row& row) {
            const QString identifier = row.String(0);
            const QString uti = row.String(1);
            QString relative;
            QString name = row.String(3);
            if (!row.IsNull(2)) {
                const QString mediaId = row.String(2);
                relative = media.value(mediaId + QLatin1Char('/') + name);
                if (relative.isEmpty())
                    relative = mediaAny.value(mediaId);
            } else {
                // A drawing is kept as its picture.
                relative = fallbacks.value(identifier);
            }
            const QString path =
                relative.isEmpty() ? QString() : manifest.FindFile(domain, relative);
            if (path.isEmpty()) {
                // Tables, links and inline text have no file; a file that
                // should be there and is not is counted.
                if (!row.IsNull(2) || !relative.isEmpty())
                    m_context.Skip();
                return true;
            }
            const QString file = relative.section(QLatin1Char('/'), -1);
            if (row.IsNull(2))
                // A drawing's picture is named by its identifier; a shorter name reads better.
                name = QStringLiteral("Drawing %1.%2")
                           .arg(identifier.left(8), file.section(QLatin1Char('.'), -1));
            else if (name.isEmpty())
                name = file;
            const double date = row.Real(4);
            auto record = std::make_unique<FileRecord>(
                KindOf(uti, name),
                static_cast<std::uint64_t>(qMax<qint64>(0, AppleTime::ToUnix(date))));
            record->Text().Set(FileRecord::FilePath, path);
            record->Text().Set(FileRecord::DisplayText, name);
            items.push_back(ReaderContext::MakeItem(std::move(record), row.Int(5) != 0));
            return m_context.Tick(static_cast<qint64>(items.size()), 0);
        });
    return ok || m_context.Fail(db.LastError());
}
