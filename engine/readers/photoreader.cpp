#include "photoreader.h"

#include "appletime.h"
#include "backupmanifest.h"
#include "contracts/mmobiletypes.h"
#include "engineitem.h"
#include "filerecord.h"
#include "schemaprobe.h"
#include "sqlitedb.h"
#include "thumbnailmaker.h"

#include <QFileInfo>

namespace {
const char* const Store = "Media/PhotoData/Photos.sqlite";
} // namespace

bool PhotoReader::Read(ReaderContext::Items& items)
{
    const QString domain = QString::fromLatin1(ReaderContext::CameraRollDomain);
    SqliteDb db;
    const ReaderContext::OpenResult open =
        m_context.OpenDatabase(domain, QString::fromLatin1(Store), db);
    if (open != ReaderContext::OPEN_OK) {
        // The pictures are still there when their database cannot be read.
        if (open == ReaderContext::OPEN_FAILED)
            qCWarning(lcReaders).noquote()
                << "photos listed from their files:" << m_context.ErrorText();
        ReadFiles(items);
        return true;
    }
    SchemaProbe schema(db, QStringLiteral("Photos.sqlite"));
    const QString table =
        schema.FirstTable({QStringLiteral("ZASSET"), QStringLiteral("ZGENERICASSET")});
    if (table.isEmpty()) {
        qCWarning(lcReaders).noquote() << "Photos.sqlite has no asset table; photos listed from "
                                          "their files";
        ReadFiles(items);
        return true;
    }
    BackupManifest& manifest = m_context.Manifest();
    const bool ok = db.Query(
        QStringLiteral("SELECT ZDIRECTORY, ZFILENAME, %1, %2, %3, Z_PK FROM %4 ORDER BY %1, Z_PK")
            .arg(schema.Column(table, QString(), QStringLiteral("ZDATECREATED")),
                 schema.Column(table, QString(), QStringLiteral("ZKIND")),
                 schema.Column(table, QString(), QStringLiteral("ZTRASHEDSTATE")), table),
        [&](const SqliteDb::Row& row) {
            const QString name = row.String(1);
            const QString path =
                manifest.FindFile(domain, QStringLiteral("Media/%1/%2").arg(row.String(0), name));
            if (path.isEmpty()) {
                m_context.Skip();
                return m_context.Tick(static_cast<qint64>(items.size()), 0);
            }
            // ZKIND: 0 picture, 1 video.
            const int kind =
                row.Int(3) == 1 ? MMobile::FILE_KIND_VIDEO : MMobile::FILE_KIND_PICTURE;
            auto record = std::make_unique<FileRecord>(
                kind, static_cast<std::uint64_t>(qMax<qint64>(0, AppleTime::ToUnix(row.Real(2)))));
            record->Text().Set(FileRecord::FilePath, path);
            record->Text().Set(FileRecord::DisplayText, name);
            record->SetRow(Store, row.Int(5));
            if (m_context.Thumbnails() && kind == MMobile::FILE_KIND_PICTURE)
                m_context.Thumbnails()->Submit(record.get(), path);
            items.push_back(ReaderContext::MakeItem(std::move(record), row.Int(4) != 0));
            return m_context.Tick(static_cast<qint64>(items.size()), 0);
        });
    return ok || m_context.Fail(db.LastError());
}

void PhotoReader::ReadFiles(ReaderContext::Items& items)
{
    for (const BackupManifest::Entry& entry : m_context.Manifest().ListFiles(
             QString::fromLatin1(ReaderContext::CameraRollDomain), QStringLiteral("Media/DCIM/"))) {
        const QString name = QFileInfo(entry.relativePath).fileName();
        const int kind = FileRecord::KindOfName(name);
        if (entry.contentPath.isEmpty() && kind != 0) {
            qCInfo(lcReaders).noquote()
                << entry.relativePath
                << "is left out: its content is missing, leads out of the backup or cannot be "
                   "decrypted";
            m_context.Skip();
        }
        if (entry.contentPath.isEmpty() || kind == 0)
            continue;
        auto record = std::make_unique<FileRecord>(kind, 0);
        record->Text().Set(FileRecord::FilePath, entry.contentPath);
        record->Text().Set(FileRecord::DisplayText, name);
        if (m_context.Thumbnails() && kind == MMobile::FILE_KIND_PICTURE)
            m_context.Thumbnails()->Submit(record.get(), entry.contentPath);
        items.push_back(ReaderContext::MakeItem(std::move(record)));
    }
}
