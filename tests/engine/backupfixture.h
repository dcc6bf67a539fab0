#ifndef BACKUPFIXTURE_H
#define BACKUPFIXTURE_H

#include <QString>
#include <QStringList>

// Helpers of the engine tests that make and damage backup folders.
class BackupFixture
{
public:
    static bool CopyFolder(const QString& from, const QString& to);
    // Two samples for the merge tests: `source` with deletions, `target`
    // without them and with other records and files (another seed), of the
    // system generation `ios` (0: the newest; older ones without media).
    static bool WriteMergePair(const QString& source, const QString& target, int ios = 0);
    // The content file of a backup file, whether it exists or not.
    static QString ContentPath(const QString& folder, const QString& domain,
                               const QString& relativePath);
    // The content file of a file ID: flat in the folder (older phones) or in
    // its two-letter subfolder.
    static QString StoredPath(const QString& folder, const QString& fileId);
    // Runs `sql` on a database file; false on any error. A `wal` (the log the
    // backup keeps as its own file) is merged into the database first and
    // then gone from the folder.
    static bool Exec(const QString& database, const QString& sql, const QString& wal = QString());
    // The column names of `table` in a database file, read without writing
    // to it; empty when it cannot be read.
    static QStringList Columns(const QString& database, const QString& table);
    // Gives or takes the write permission of everything under `folder`.
    static bool SetWritable(const QString& folder, bool writable);
    static bool WriteFile(const QString& file, const QByteArray& data);
    // The whole file; empty when it cannot be read.
    static QByteArray Read(const QString& file);
    // Whether any file under `folder` holds `needle`.
    static bool TreeHolds(const QString& folder, const QByteArray& needle);
    // "relative path: SHA-1" of every file under `folder`, sorted, one a line:
    // equal texts mean equal trees.
    static QString Digests(const QString& folder);
    // Digests() of an export, but an iCalendar file's DTSTAMP lines (the
    // moment of the export itself, which two exports need not share) are
    // left out of its digest; every other byte counts.
    static QString ExportDigests(const QString& folder);
    // The file name an export gives a short item name: the characters
    // Windows does not allow become '_' (enough for the sample's names).
    static QString ExportName(const QString& name);
};

// The engine's texts are UTF-8.
inline QString Text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

#endif // BACKUPFIXTURE_H
