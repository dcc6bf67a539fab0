#include "samplestorecontext.h"

#include "sampledeletions.h"
#include "sqlitewriter.h"

#include <QFile>

SampleStoreContext::SampleStoreContext(const SampleBackupWriter::Options& options,
                                       SampleRandom& random, double now,
                                       SampleBackupContent& content, SampleDeletions* deletions,
                                       AddFileFunction addFile)
    : options(options), random(random), now(now), content(content), deletions(deletions),
      m_addFile(std::move(addFile))
{
}

QString SampleStoreContext::AddFile(const QString& domain, const QString& relativePath)
{
    return m_addFile(domain, relativePath);
}

bool SampleStoreContext::Fail(const QString& error)
{
    m_error = error;
    return false;
}

bool SampleStoreContext::WriteContent(const QString& domain, const QString& relativePath,
                                      const QByteArray& data)
{
    QFile file(AddFile(domain, relativePath));
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        return Fail(QStringLiteral("cannot write %1").arg(file.fileName()));
    return true;
}

bool SampleStoreContext::Forget(SqliteWriter& db, int store)
{
    return !deletions ||
           deletions->Delete(db, static_cast<SampleDeletions::Store>(store), content) ||
           Fail(db.LastError());
}

bool SampleStoreContext::LogDeletions(SqliteWriter& db, int store, int logged,
                                      const QString& category, const QString& domain,
                                      const QString& relativePath)
{
    if (deletions && !db.Logging() && (!Forget(db, store) || !db.StartLog()))
        return Fail(db.LastError());
    const QString log =
        db.Logging() ? AddFile(domain, relativePath + QStringLiteral("-wal")) : QString();
    if (!Forget(db, logged) || !db.Close(log))
        return Fail(db.LastError());
    // Each place as the files hold it.
    if (deletions) {
        deletions->ConfineToFile(category, "WAL", db.Path());
        deletions->ConfineToFreeList(category, db.Path(), log);
    }
    return true;
}
