#include "storemerge.h"

#include "categorymerger.h"
#include "deletedrows.h"
#include "mergedatabase.h"
#include "mergedmanifest.h"
#include "readercontext.h"
#include "sqlitedb.h"

#include <QDir>
#include <QFile>

StoreMerge::StoreMerge(ReaderContext& source, MergedManifest& out, CategoryMerger& merger)
    : m_source(source), m_out(out), m_merger(merger)
{
}

bool StoreMerge::Fail(const QString& error)
{
    m_error = error;
    return false;
}

bool StoreMerge::Holds(const DeletedRecords::Store& store, const std::vector<RecordRow>& rows)
{
    for (const RecordRow& row : rows) {
        if (row.store == store.path)
            return true;
    }
    return false;
}

std::map<QString, std::set<qint64>> StoreMerge::Selection(const DeletedRecords::Store& store,
                                                          const QByteArray& origin) const
{
    std::set<qint64> rowids;
    for (const RecordRow& row : *m_rows) {
        if (row.store == store.path && row.origin == origin)
            rowids.insert(row.rowid);
    }
    std::map<QString, std::set<qint64>> selection;
    if (rowids.empty())
        return selection;
    for (const DeletedRows::Table& table : store.tables) {
        if (table.kind == DeletedRows::Table::Records)
            selection[table.name] = rowids;
    }
    return selection;
}

bool StoreMerge::Run(const DeletedRecords::Store& store, bool onlyDeleted,
                     const QString& targetPath)
{
    const QString domain = QString::fromLatin1(store.domain);
    const QString sourcePath = QString::fromUtf8(store.path);
    const QString path = targetPath.isEmpty() ? sourcePath : targetPath;
    const QString content = m_out.ContentPath(m_out.FileIdOf(domain, path));
    const QString log = m_out.ContentPath(m_out.FileIdOf(domain, path + QStringLiteral("-wal")));
    if (content.isEmpty())
        return Fail(QStringLiteral("the content of %1 is missing from the target").arg(path));
    // SQLite finds a log only beside its database, under its name.
    // An encrypted target's plaintext stays in its own private folder.
    const QString folder =
        m_out.PrivateFolder().isEmpty() ? m_source.WorkFolder() : m_out.PrivateFolder();
    const QString work = QDir(folder).filePath(QStringLiteral("merge-target.db"));
    const QStringList copies{work, work + QStringLiteral("-wal"), work + QStringLiteral("-shm")};
    for (const QString& copy : copies)
        QFile::remove(copy);
    if (!QFile::copy(content, work) || (!log.isEmpty() && !QFile::copy(log, copies[1])))
        return Fail(QStringLiteral("%1 cannot be copied into the work folder").arg(path));
    QFile::setPermissions(work, QFile::ReadOwner | QFile::WriteOwner);
    QFile::setPermissions(copies[1], QFile::ReadOwner | QFile::WriteOwner);

    MergeDatabase db;
    // One transaction per attached source (SQLite detaches none in one); the
    // copy goes back into the merged backup only when every one succeeded.
    bool ok = db.Open(work);
    // The live rows: all of them, or those the phone marks deleted (or the
    // chosen ones).
    const bool chosenLive = !m_rows || !Selection(store, QByteArray()).empty();
    if (ok && m_rows)
        db.SetSelection(Selection(store, QByteArray()));
    if (ok && chosenLive) {
        SqliteDb live;
        if (m_source.OpenDatabase(domain, sourcePath, live) == ReaderContext::OPEN_OK) {
            ok = db.AttachSource(live.ReadPath(), live.LogPath().isEmpty(), live.ReadVfs()) &&
                 db.Begin() &&
                 m_merger.Merge(db, onlyDeleted && !m_rows ? CategoryMerger::PHONE_MARKED
                                                           : CategoryMerger::ALL_ROWS) &&
                 db.Commit() && db.DetachSource();
        } else {
            ok = false;
            m_error = m_source.ErrorText();
        }
    }
    // The rows the source lost, one carved source at a time.
    DeletedRows rows(m_source);
    if (ok && m_carve && rows.Carve(domain, sourcePath, store.tables, store.fixups)) {
        for (const QByteArray& source : rows.Sources()) {
            if (m_rows) {
                std::map<QString, std::set<qint64>> chosen = Selection(store, source);
                if (chosen.empty())
                    continue;
                db.SetSelection(std::move(chosen));
            }
            const QString file = rows.Build(source);
            ok = !file.isEmpty() && db.AttachSource(file, true) && db.Begin() &&
                 m_merger.Merge(db, CategoryMerger::ALL_ROWS) && db.Commit() && db.DetachSource();
            if (!ok)
                break;
        }
    }
    if (ok)
        ok = db.Finish();
    if (!ok) {
        if (m_error.isEmpty())
            m_error = db.LastError();
        db.Rollback();
    }
    // The log is in the file now: as after the app's last connection closed,
    // the database goes without a log or its index.
    for (const QString& suffix : {QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        if (ok && !m_out.FileIdOf(domain, path + suffix).isEmpty() &&
            !m_out.Remove(domain, path + suffix))
            ok = Fail(m_out.ErrorText());
    }
    if (ok && !m_out.Replace(domain, path, work))
        ok = Fail(m_out.ErrorText());
    for (const QString& copy : copies)
        QFile::remove(copy);
    return ok || Fail(QStringLiteral("%1 cannot be merged: %2").arg(path, m_error));
}
