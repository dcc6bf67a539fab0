#ifndef SAMPLEBACKUPWRITER_H
#define SAMPLEBACKUPWRITER_H

#include "samplebackupcontent.h"
#include "samplerandom.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <map>
#include <memory>

class SampleDeletions;
class SampleStoreContext;
class SqliteWriter;

// Writes a synthetic backup folder with the layout and the database schemas
// of a phone's backup: Info.plist, Manifest.plist, Manifest.db and the
// content files under <two hex digits>/<fileID>, the stores' by their own
// writers (SampleAddressBook, SampleMessageStore, ...) through a
// SampleStoreContext. With a password the same
// content is encrypted as the phone encrypts it (SampleBackupEncryptor). Every name and text
// is invented from fixed word lists with a seeded generator, so the same
// options always write the same records. Content() tells what was written.
class SampleBackupWriter
{
public:
    struct Options
    {
        int scale = 1;     // every count times this
        bool media = true; // picture, recording and attachment files
        std::uint32_t seed = 20240601;
        QString password;         // encrypts the backup when not empty
        int kdfRounds = 10000000; // DPIC, the first derivation step's rounds
        // The system generation whose schemas are written (one of Generations()).
        int ios = 18;
        // WhatsApp's store in the business app's container instead of the personal one's.
        bool whatsAppBusiness = false;
        // Deletes some records as the phone does; the truth goes beside the folder.
        bool deletions = false;
    };
    // The generations the writer knows: 7, 12, 14, 16 and 18.
    static QList<int> Generations();

    explicit SampleBackupWriter(const Options& options);
    ~SampleBackupWriter();

    // Writes into `folder` (made if missing; should be empty). False with
    // ErrorText() on a failure.
    bool Write(const QString& folder);
    const SampleBackupContent& Content() const { return m_content; }
    QString ErrorText() const { return m_error; }
    // What was deleted (see SampleDeletions), when Options::deletions.
    const SampleDeletions* Deletions() const { return m_deletions.get(); }

private:
    // Adds a file to the manifest and returns where its content goes.
    QString AddFile(const QString& domain, const QString& relativePath);

    bool WriteInfo();
    bool WriteWeChat(SampleStoreContext& context);
    bool WriteManifestPlist(bool encrypted, const QByteArray& keyBag,
                            const QByteArray& manifestKey);
    bool Encrypt();
    // Up to iOS 9 the index is Manifest.mbdb, and the files lie in the
    // backup folder itself; up to iOS 10.1 the keybag has the older scheme.
    bool WritesMbdb() const { return m_options.ios <= 9; }
    bool WriteMbdb();
    bool Fail(const QString& error);

    Options m_options;
    QString m_folder;
    QString m_error;
    SampleRandom m_random;
    double m_now; // seconds since 2001 of the backup
    std::unique_ptr<SqliteWriter> m_manifest;
    struct WrittenFile
    {
        QString domain;
        QString relativePath;
        QString path;
        // Set by Encrypt() for Manifest.mbdb: the plaintext's size, the
        // protection class, and the class with the wrapped key.
        qint64 size = -1;
        int protectionClass = 4;
        QByteArray encryptionKey;
    };
    std::map<QString, WrittenFile> m_files; // by file ID
    SampleBackupContent m_content;
    std::unique_ptr<SampleDeletions> m_deletions;
};

#endif // SAMPLEBACKUPWRITER_H
