#ifndef SAMPLENOTEATTACHMENTS_H
#define SAMPLENOTEATTACHMENTS_H

#include "samplebackupcontent.h"

#include <QString>

#include <functional>
#include <vector>

class SampleRandom;
class SqliteWriter;

// Adds attachments to the notes of the newer store that SampleBackupWriter
// is writing: an account object that the notes belong to, attachment
// objects (type identifier, note) and their media objects (identifier, file
// name), with the files under Accounts/<account>/Media/<media>/ (one
// generation folder deeper every other time), picture previews under
// Previews/, and a drawing kept only as its FallbackImages/ picture. A table
// attachment has no file. All invented.
class SampleNoteAttachments
{
public:
    struct Note
    {
        qint64 row;  // Z_PK of the note
        double date; // its modification date, seconds since 2001
    };
    using WriteFile =
        std::function<bool(const QString& domain, const QString& path, const QByteArray& data)>;

    SampleNoteAttachments(SampleRandom& random, bool media, WriteFile writeFile);
    // Adds the objects to `store` (open, with the notes written) and fills
    // `written` with the files, in the order a reader lists them.
    bool Write(SqliteWriter& store, const std::vector<Note>& notes,
               std::vector<SampleBackupContent::NoteAttachment>& written);
    QString ErrorText() const { return m_error; }

private:
    SampleRandom& m_random;
    bool m_media;
    WriteFile m_writeFile;
    QString m_error;
};

#endif // SAMPLENOTEATTACHMENTS_H
