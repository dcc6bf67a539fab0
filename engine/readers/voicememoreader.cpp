#include "voicememoreader.h"

#include "appletime.h"
#include "backupmanifest.h"
#include "engineitem.h"
#include "schemaprobe.h"
#include "sqlitedb.h"
#include "voicememorecord.h"

#include <QFileInfo>

namespace {
const char* const CloudStore = "Media/Recordings/CloudRecordings.db";
const char* const OlderStore = "Media/Recordings/Recordings.db";
} // namespace

bool VoiceMemoReader::Read(ReaderContext::Items& items)
{
    const QString domain = QString::fromLatin1(ReaderContext::MediaDomain);
    // CloudRecordings.db (iOS 14 on) or, before, Recordings.db.
    SqliteDb db;
    const char* store = CloudStore;
    ReaderContext::OpenResult open = m_context.OpenDatabase(domain, QString::fromLatin1(store), db);
    if (open == ReaderContext::OPEN_ABSENT) {
        store = OlderStore;
        open = m_context.OpenDatabase(domain, QString::fromLatin1(store), db);
    }
    if (open == ReaderContext::OPEN_ABSENT)
        return ReadFiles(items);
    if (open != ReaderContext::OPEN_OK)
        return false;
    SchemaProbe schema(db, QStringLiteral("the recordings database"));
    const QString table =
        schema.FirstTable({QStringLiteral("ZCLOUDRECORDING"), QStringLiteral("ZRECORDING")});
    if (table.isEmpty())
        return m_context.Fail(QStringLiteral("the recordings database lacks its recordings table"));
    BackupManifest& manifest = m_context.Manifest();
    const bool ok = db.Query(
        QStringLiteral("SELECT ZPATH, %1, ZDATE, %2, Z_PK FROM %3 ORDER BY ZDATE, Z_PK")
            .arg(schema.Column(table, QString(), QStringLiteral("ZCUSTOMLABEL")),
                 schema.Column(table, QString(), QStringLiteral("ZDURATION")), table),
        [&](const SqliteDb::Row& row) {
            const QString fileName = row.String(0);
            const QString path =
                manifest.FindFile(domain, QStringLiteral("Media/Recordings/") + fileName);
            if (path.isEmpty()) {
                m_context.Skip();
                return true;
            }
            QString label = row.String(1);
            if (label.isEmpty())
                label = QFileInfo(fileName).completeBaseName();
            const qint64 time = qMax<qint64>(0, AppleTime::ToUnix(row.Real(2)));
            auto record =
                std::make_unique<VoiceMemoRecord>(label, static_cast<std::uint64_t>(time));
            record->SetTextProperty(VoiceMemoRecord::PROP_FILE_PATH, path.toUtf8().constData());
            record->SetTextProperty(VoiceMemoRecord::PROP_FILE_NAME, fileName.toUtf8().constData());
            record->SetTextProperty(
                VoiceMemoRecord::PROP_DURATION,
                ReaderContext::DurationText(static_cast<qint64>(row.Real(3))).toUtf8().constData());
            record->SetTextProperty(VoiceMemoRecord::PROP_DATE,
                                    m_context.Clock().UnixText(time).toUtf8().constData());
            record->SetRow(store, row.Int(4));
            items.push_back(ReaderContext::MakeItem(std::move(record)));
            return m_context.Tick(static_cast<qint64>(items.size()), 0);
        });
    return ok || m_context.Fail(db.LastError());
}

bool VoiceMemoReader::ReadFiles(ReaderContext::Items& items)
{
    // Without a database the recordings are still in the backup: listed by
    // file name, undated, so that nothing the phone kept is left out.
    for (const BackupManifest::Entry& entry :
         m_context.Manifest().ListFiles(QString::fromLatin1(ReaderContext::MediaDomain),
                                        QStringLiteral("Media/Recordings/"))) {
        const QString fileName = QFileInfo(entry.relativePath).fileName();
        if (!fileName.endsWith(QLatin1String(".m4a"), Qt::CaseInsensitive))
            continue;
        if (entry.contentPath.isEmpty()) {
            m_context.Skip();
            continue;
        }
        auto record = std::make_unique<VoiceMemoRecord>(QFileInfo(fileName).completeBaseName(), 0);
        record->SetTextProperty(VoiceMemoRecord::PROP_FILE_PATH,
                                entry.contentPath.toUtf8().constData());
        record->SetTextProperty(VoiceMemoRecord::PROP_FILE_NAME, fileName.toUtf8().constData());
        items.push_back(ReaderContext::MakeItem(std::move(record)));
    }
    return true;
}
