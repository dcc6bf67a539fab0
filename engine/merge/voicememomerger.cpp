#include "voicememomerger.h"

#include "mergedatabase.h"
#include "readercontext.h"

#include <QFileInfo>

namespace {

const QString Src = QStringLiteral("src");
const QString Folder = QStringLiteral("Media/Recordings/");

} // namespace

bool VoiceMemoMerger::AddRecording(MergeDatabase& db, const QString& table, qint64 recording)
{
    // ZPATH is the file's name in the recordings folder; older phones may
    // keep the whole path on the phone.
    const QString stored = db.Value(Src, table, QStringLiteral("ZPATH"), recording).toString();
    const QString name = QFileInfo(stored).fileName();
    if (name.isEmpty() || name == QLatin1String(".."))
        return true;
    const QString domain = QString::fromLatin1(ReaderContext::MediaDomain);
    const QString content = SourceFile(domain, Folder + name);
    if (content.isEmpty())
        return true;
    if (db.FindSame(table, recording, QStringLiteral("ZUNIQUEID")) >= 0) {
        ++m_skipped;
        return true;
    }
    const QString into = FreePath(domain, Folder + name);
    if (into.isEmpty())
        return db.Refuse(QStringLiteral("no free name for %1").arg(name));
    // The row names the file as it did, in its own manner.
    const QString path = stored.left(stored.size() - name.size()) + QFileInfo(into).fileName();
    if (db.Copy(table, recording, {{QStringLiteral("ZPATH"), path}}) < 0 ||
        !AddFile(db, domain, into, content))
        return false;
    ++m_added;
    return true;
}

bool VoiceMemoMerger::Merge(MergeDatabase& db, Selection selection)
{
    // The app keeps no mark of its own that the scan reads as deleted.
    if (selection == PHONE_MARKED)
        return true;
    for (const QString& table : {QStringLiteral("ZCLOUDRECORDING"), QStringLiteral("ZRECORDING")}) {
        if (!db.HasTable(Src, table))
            continue;
        if (!db.HasTable(QStringLiteral("main"), table))
            return db.Refuse(
                QStringLiteral("the target's recordings database has no %1").arg(table));
        for (const qint64 recording :
             db.SourceRowids(table, QString(), QVariant(), QStringLiteral("ZDATE"))) {
            if (!AddRecording(db, table, recording))
                return false;
        }
    }
    return true;
}
