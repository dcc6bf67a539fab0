#include "samplenoteattachments.h"

#include "samplepictures.h"
#include "samplerandom.h"
#include "samplewords.h"
#include "sqlitewriter.h"

#include <QUuid>

namespace {

const QString Domain = QStringLiteral("AppDomainGroup-group.com.apple.notes");

QString Identifier(const QString& seed)
{
    return QUuid::createUuidV5(QUuid(), seed).toString(QUuid::WithoutBraces).toUpper();
}

// Entity numbers of the store's object kinds, as the sample's store uses them.
constexpr int AccountEntity = 2;
constexpr int AttachmentEntity = 5;
constexpr int MediaEntity = 11;

} // namespace

SampleNoteAttachments::SampleNoteAttachments(SampleRandom& random, bool media, WriteFile writeFile)
    : m_random(random), m_media(media), m_writeFile(std::move(writeFile))
{
}

bool SampleNoteAttachments::Write(SqliteWriter& store, const std::vector<Note>& notes,
                                  std::vector<SampleBackupContent::NoteAttachment>& written)
{
    if (!store.Exec(
            QStringLiteral("ALTER TABLE ZICCLOUDSYNCINGOBJECT ADD COLUMN ZTYPEUTI VARCHAR;"
                           "ALTER TABLE ZICCLOUDSYNCINGOBJECT ADD COLUMN ZNOTE INTEGER;"
                           "ALTER TABLE ZICCLOUDSYNCINGOBJECT ADD COLUMN ZMEDIA INTEGER;"
                           "ALTER TABLE ZICCLOUDSYNCINGOBJECT ADD COLUMN ZFILENAME VARCHAR;"
                           "ALTER TABLE ZICCLOUDSYNCINGOBJECT ADD COLUMN ZACCOUNT3 INTEGER;")))
        return false;
    const QString account = Identifier(QStringLiteral("notes-account"));
    const qint64 accountRow = store.Insert(
        QStringLiteral("INSERT INTO ZICCLOUDSYNCINGOBJECT (Z_ENT, ZIDENTIFIER) VALUES (?, ?)"),
        {AccountEntity, account});
    if (accountRow < 0)
        return false;
    const QString base = QStringLiteral("Accounts/%1/").arg(account);
    struct Kind
    {
        const char* uti;
        const char* extension;
    };
    // Picture, PDF, recording, drawing, table, and again.
    const std::vector<Kind> kinds = {{"public.jpeg", "jpg"},
                                     {"com.adobe.pdf", "pdf"},
                                     {"public.mpeg-4-audio", "m4a"},
                                     {"com.apple.drawing.2", "png"},
                                     {"com.apple.notes.table", nullptr}};
    int made = 0;
    for (std::size_t n = 0; n < notes.size(); ++n) {
        const Note& note = notes[n];
        if (!store.Exec(QStringLiteral("UPDATE ZICCLOUDSYNCINGOBJECT SET ZACCOUNT3 = %1 WHERE "
                                       "Z_PK = %2")
                            .arg(accountRow)
                            .arg(note.row)))
            return false;
        // Every other note has attachments: one or two.
        if (n % 2 == 1)
            continue;
        for (int k = 0; k < 1 + int(n % 4 == 0); ++k) {
            const Kind& kind = kinds[std::size_t(made++) % kinds.size()];
            const QString id = Identifier(QStringLiteral("attachment-%1").arg(made));
            const qint64 attachment = store.Insert(
                QStringLiteral("INSERT INTO ZICCLOUDSYNCINGOBJECT (Z_ENT, ZIDENTIFIER, ZTYPEUTI, "
                               "ZNOTE) VALUES (?, ?, ?, ?)"),
                {AttachmentEntity, id, QString::fromLatin1(kind.uti), note.row});
            if (attachment < 0)
                return false;
            if (!kind.extension)
                continue;
            SampleBackupContent::NoteAttachment file;
            file.noteDate = note.date;
            const QString extension = QString::fromLatin1(kind.extension);
            if (extension == QLatin1String("jpg") || extension == QLatin1String("png"))
                file.data = SamplePictures::Picture(
                    600 + made, extension == QLatin1String("jpg") ? "JPEG" : "PNG");
            else if (extension == QLatin1String("pdf"))
                file.data = QByteArray("%PDF-1.4\n") + m_random.Sentence().toUtf8() +
                            QByteArray("\n%%EOF\n");
            else
                file.data = QByteArray("\0\0\0\x20"
                                       "ftypM4A \0\0\0\0",
                                       16) +
                            m_random.Sentence().toUtf8();
            file.picture = extension == QLatin1String("jpg") || extension == QLatin1String("png");
            if (QLatin1String(kind.uti).startsWith(QLatin1String("com.apple.drawing"))) {
                // A drawing has no media object; its picture stands for it.
                file.relativePath =
                    base + QStringLiteral("FallbackImages/") + id + QStringLiteral(".png");
                file.name = QStringLiteral("Drawing %1.png").arg(id.left(8));
            } else {
                const QString mediaId = Identifier(QStringLiteral("media-%1").arg(made));
                file.name = QStringLiteral("%1 %2.%3")
                                .arg(m_random.Pick(SampleWords::Words))
                                .arg(made)
                                .arg(extension);
                const qint64 media = store.Insert(
                    QStringLiteral("INSERT INTO ZICCLOUDSYNCINGOBJECT (Z_ENT, ZIDENTIFIER, "
                                   "ZFILENAME) VALUES (?, ?, ?)"),
                    {MediaEntity, mediaId, file.name});
                if (media < 0 || !store.Exec(QStringLiteral("UPDATE ZICCLOUDSYNCINGOBJECT SET "
                                                            "ZMEDIA = %1 WHERE Z_PK = %2")
                                                 .arg(media)
                                                 .arg(attachment)))
                    return false;
                // Newer versions keep each generation of a file in a folder of its own.
                const QString generation =
                    made % 2 ? QStringLiteral("1_%1/").arg(Identifier(mediaId)) : QString();
                file.relativePath =
                    base + QStringLiteral("Media/%1/%2%3").arg(mediaId, generation, file.name);
                if (file.picture && m_media &&
                    !m_writeFile(Domain,
                                 base + QStringLiteral("Previews/%1-1-192x144-0.jpg").arg(id),
                                 SamplePictures::Picture(600 + made, "JPEG")))
                    return false;
            }
            if (!m_media)
                continue;
            if (!m_writeFile(Domain, file.relativePath, file.data))
                return false;
            written.push_back(file);
        }
    }
    return true;
}
