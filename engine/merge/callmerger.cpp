#include "callmerger.h"

#include "mergedatabase.h"

bool CallMerger::Merge(MergeDatabase& db, Selection selection)
{
    // Neither call store keeps a mark of its own for deleted calls.
    if (selection == PHONE_MARKED)
        return true;
    const QString src = QStringLiteral("src");
    const bool newer = db.HasTable(src, QStringLiteral("ZCALLRECORD"));
    const QString table = newer ? QStringLiteral("ZCALLRECORD") : QStringLiteral("call");
    if (!db.HasTable(src, table))
        return true;
    const QString date = newer ? QStringLiteral("ZDATE") : QStringLiteral("date");
    for (const qint64 call : db.SourceRowids(table, QString(), QVariant(),
                                             db.HasColumn(src, table, date) ? date : QString())) {
        if (db.FindSame(table, call, QStringLiteral("ZUNIQUE_ID")) >= 0) {
            ++m_skipped;
            continue;
        }
        if (db.Copy(table, call) < 0)
            return false;
        ++m_added;
    }
    return true;
}
