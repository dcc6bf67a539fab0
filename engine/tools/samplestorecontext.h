#ifndef SAMPLESTORECONTEXT_H
#define SAMPLESTORECONTEXT_H

#include "samplebackupwriter.h"

#include <QByteArray>
#include <QString>

#include <functional>

class SampleDeletions;
class SampleRandom;
class SqliteWriter;

// What the writers of a sample backup's stores share while SampleBackupWriter
// writes it: the options, the seeded generator, the content so far, the
// deletions (none without Options::deletions) and the backup's files, which
// it adds through the writer's manifest. Owns none of them; keeps the first
// failure's text.
class SampleStoreContext
{
public:
    // Adds a file to the backup's manifest and answers where its content goes.
    using AddFileFunction = std::function<QString(const QString& domain, const QString& path)>;

    SampleStoreContext(const SampleBackupWriter::Options& options, SampleRandom& random, double now,
                       SampleBackupContent& content, SampleDeletions* deletions,
                       AddFileFunction addFile);

    QString AddFile(const QString& domain, const QString& relativePath);
    bool WriteContent(const QString& domain, const QString& relativePath, const QByteArray& data);
    // Deletes some of a database's records before it is closed (`store` a
    // SampleDeletions::Store); true without deletions.
    bool Forget(SqliteWriter& db, int store);
    // Closes a database whose deletions (`store`) run once its table's last
    // leaf is full: where they have not yet run, runs them and starts the
    // log; then deletes in the log (`logged`) and closes, the log beside
    // the file, and keeps the log's and the free list's records of `category`
    // only where the files hold them. Without deletions, only closes.
    bool LogDeletions(SqliteWriter& db, int store, int logged, const QString& category,
                      const QString& domain, const QString& relativePath);
    // Keeps `error` for ErrorText(); false.
    bool Fail(const QString& error);
    QString ErrorText() const { return m_error; }

    // The backup domains most stores' files lie in.
    static constexpr const char* Home = "HomeDomain";
    static constexpr const char* Media = "MediaDomain";

    const SampleBackupWriter::Options& options;
    SampleRandom& random;
    const double now; // seconds since 2001 of the backup
    SampleBackupContent& content;
    SampleDeletions* const deletions;

private:
    AddFileFunction m_addFile;
    QString m_error;
};

#endif // SAMPLESTORECONTEXT_H
