#ifndef EXPORTFOLDER_H
#define EXPORTFOLDER_H

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

class EncryptedBackup;
class QFile;

// The output folder of one export. Every file goes in under a name that no
// file in the folder had before: a taken name gets " (1)", " (2)" ... before
// its extension, so nothing that was there is ever overwritten. Names are
// made safe by CleanName(). The folder must be an absolute path. The first failure is
// kept in ErrorText(). Files of an encrypted backup are decrypted straight
// into the folder with the backup's keys (borrowed).
class ExportFolder
{
public:
    explicit ExportFolder(const QString& path, EncryptedBackup* encryption = nullptr);

    // Creates the folder if needed.
    bool Prepare();
    // Writes `data` as a new file; the full path written, or empty on failure.
    QString WriteFile(const QString& name, const QByteArray& data);
    // Copies `source` in as a new file; the full path, or empty on failure.
    // `goOn`, asked every slice of the copy, stops it (the part written goes).
    QString CopyFile(const QString& source, const QString& name,
                     const std::function<bool()>& goOn = nullptr);
    // A new full path for `name`, taken for this export but not yet created;
    // with CopyTo() it lets several threads copy into the folder at once.
    QString Reserve(const QString& name) { return FreeName(name); }
    // Copies (or decrypts) `source` into the new file `path`; thread-safe.
    bool CopyTo(const QString& source, const QString& path, QString& error,
                const std::function<bool()>& goOn = nullptr) const;
    QString ErrorText() const { return m_error; }
    // The files this export wrote whole, in the order they were finished
    // (CopyTo()'s callers add theirs with Completed()).
    const QStringList& CompleteFiles() const { return m_complete; }
    void Completed(const QString& path) { m_complete << path; }
    // Keeps `error` as the folder's failure; answers false.
    bool Fail(const QString& error);
    QString Path() const { return m_path; }

    // The longest file name, in UTF-8 bytes, that the desktop's file systems take.
    static constexpr int MaximumNameBytes = 255;
    // The one rule that makes a file name of an item's name: characters
    // Windows does not allow become '_', leading and trailing spaces and
    // trailing dots go, a Windows device name (CON, NUL, COM1...) gets a
    // leading '_', and the name is cut, at a character boundary, to
    // MaximumNameBytes with its extension kept. `addition` goes in before the
    // extension (a counter that makes the name new).
    static QString CleanName(const QString& name, const QString& addition = QString());

private:
    QString FreeName(const QString& name);
    // Writes all of `data`, or fails with the system's reason in `file`.
    static bool WriteAll(QFile& file, const char* data, qint64 size);

    QString m_path;
    EncryptedBackup* m_encryption;
    QString m_error;
    QSet<QString> m_taken; // names handed out by this export, in lower case
    QStringList m_complete;
};

#endif // EXPORTFOLDER_H
