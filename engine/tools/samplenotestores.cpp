#include "samplenotestores.h"

#include "sampledeletions.h"
#include "sampleformats.h"
#include "samplenoteattachments.h"
#include "samplerandom.h"
#include "samplestorecontext.h"
#include "samplewords.h"
#include "sqlitewriter.h"

#include <QUuid>

namespace {

const char* const NotesGroup = "AppDomainGroup-group.com.apple.notes";

} // namespace

bool SampleNoteStores::Write(SampleStoreContext& context)
{
    SqliteWriter db;
    if (!db.Open(context.AddFile(SampleStoreContext::Home, "Library/Notes/notes.sqlite")) ||
        !db.Exec("CREATE TABLE ZFOLDER (Z_PK INTEGER PRIMARY KEY, ZNAME VARCHAR);"
                 "CREATE TABLE ZNOTE (Z_PK INTEGER PRIMARY KEY, ZFOLDER INTEGER, ZBODY INTEGER, "
                 "ZCREATIONDATE TIMESTAMP, ZMODIFICATIONDATE TIMESTAMP, ZTITLE VARCHAR, ZSUMMARY "
                 "VARCHAR);"
                 "CREATE TABLE ZNOTEBODY (Z_PK INTEGER PRIMARY KEY, ZOWNER INTEGER, ZCONTENT "
                 "VARCHAR);"
                 "INSERT INTO ZFOLDER VALUES (1, 'Notes'), (2, 'Recipes');"))
        return context.Fail(db.LastError());
    double date = context.now - 86400.0 * 300;
    for (int i = 0; i < 40 * context.options.scale; ++i) {
        SampleBackupContent::Note note;
        date += context.random.Range(3600, 500000);
        note.date = date;
        note.title =
            QStringLiteral("Note %1: %2").arg(i + 1).arg(context.random.Pick(SampleWords::Words));
        note.body = context.random.Sentence() + QLatin1Char('\n') + context.random.Sentence();
        note.folder = i % 3 ? QStringLiteral("Notes") : QStringLiteral("Recipes");
        QString html = note.body.toHtmlEscaped();
        html.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
        const qint64 row =
            db.Insert("INSERT INTO ZNOTE (ZFOLDER, ZCREATIONDATE, ZMODIFICATIONDATE, ZTITLE, "
                      "ZSUMMARY) VALUES "
                      "(?, ?, ?, ?, ?)",
                      {i % 3 ? 1 : 2, note.date - 60, note.date, note.title, note.body.left(30)});
        db.Insert("INSERT INTO ZNOTEBODY (ZOWNER, ZCONTENT) VALUES (?, ?)",
                  {row, QStringLiteral("<div>%1</div>").arg(html)});
        context.content.notes.push_back(note);
    }
    if (!context.Forget(db, SampleDeletions::LegacyNotes) || !db.Close())
        return context.Fail(db.LastError());

    // The newer store (iOS 9 on): folders are rows of ZICCLOUDSYNCINGOBJECT
    // too, and the full text is a gzip'd protocol buffer in ZICNOTEDATA.
    SqliteWriter store;
    if (!store.Open(context.AddFile(NotesGroup, "NoteStore.sqlite")) ||
        !store.Exec("CREATE TABLE ZICCLOUDSYNCINGOBJECT (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, "
                    "ZMARKEDFORDELETION INTEGER, ZFOLDER INTEGER, ZFOLDERTYPE INTEGER, ZNOTEDATA "
                    "INTEGER, ZMODIFICATIONDATE1 TIMESTAMP, ZTITLE1 VARCHAR, ZSNIPPET VARCHAR, "
                    "ZTITLE2 VARCHAR, ZISPASSWORDPROTECTED INTEGER, ZIDENTIFIER VARCHAR);"
                    "CREATE TABLE ZICNOTEDATA (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, ZNOTE "
                    "INTEGER, ZDATA BLOB);"
                    "INSERT INTO ZICCLOUDSYNCINGOBJECT (Z_PK, Z_ENT, ZFOLDERTYPE, ZTITLE2) VALUES "
                    "(1, 14, 0, 'Notes'), (2, 14, 0, '工作笔记'), (3, 14, 1, 'Recently Deleted');"))
        return context.Fail(store.LastError());
    const QStringList folders = {QStringLiteral("Notes"), QStringLiteral("工作笔记"),
                                 QStringLiteral("Recently Deleted")};
    std::vector<SampleNoteAttachments::Note> attached;
    for (int i = 0; i < 10 * context.options.scale; ++i) {
        SampleBackupContent::Note note;
        date += context.random.Range(3600, 500000);
        note.date = date;
        note.title =
            QStringLiteral("Idea %1 – %2").arg(i + 1).arg(context.random.Pick(SampleWords::Words));
        // The text starts with the title line.
        note.body = note.title + QLatin1Char('\n') + context.random.Sentence() + QLatin1Char('\n') +
                    context.random.Sentence();
        const int folder = i % 5 == 4 ? 2 : i % 3 == 1 ? 1 : 0;
        note.folder = folders[folder];
        note.newStore = true;
        const bool marked = i % 4 == 3;
        note.deleted = marked || folder == 2;
        // Some notes have no title of their own: the first line stands for it.
        const bool untitled = i % 6 == 5;
        // A locked note keeps its title in the clear and its text encrypted,
        // without a snippet.
        const bool locked = i % 7 == 2 && !untitled;
        QByteArray sealed;
        for (int b = 0; locked && b < 96; ++b)
            sealed += char(context.random.Range(0, 255));
        const qint64 data = store.Insert("INSERT INTO ZICNOTEDATA (Z_ENT, ZDATA) VALUES (9, ?)",
                                         {locked ? sealed : SampleFormats::NoteData(note.body)});
        const qint64 row = store.Insert(
            "INSERT INTO ZICCLOUDSYNCINGOBJECT (Z_ENT, ZMARKEDFORDELETION, ZFOLDER, "
            "ZNOTEDATA, ZMODIFICATIONDATE1, ZTITLE1, ZSNIPPET, ZISPASSWORDPROTECTED, ZIDENTIFIER) "
            "VALUES (12, ?, ?, ?, ?, ?, ?, ?, ?)",
            {marked ? 1 : 0, folder + 1, data, note.date,
             untitled ? QVariant() : QVariant(note.title),
             locked ? QVariant() : QVariant(note.body.section(QLatin1Char('\n'), 1, 1)),
             locked ? 1 : 0,
             // Every note has its own UUID, the name of its record in the
             // account's cloud; the same in every copy of the row.
             QUuid::createUuidV5(QUuid(),
                                 QStringLiteral("note/%1/%2").arg(context.options.seed).arg(i))
                 .toString(QUuid::WithoutBraces)
                 .toUpper()});
        if (locked)
            note.body = QStringLiteral("This note is locked.");
        attached.push_back({row, note.date});
        context.content.notes.push_back(note);
    }
    SampleNoteAttachments attachments(
        context.random, context.options.media,
        [&context](const QString& domain, const QString& path, const QByteArray& data) {
            return context.WriteContent(domain, path, data);
        });
    if (!attachments.Write(store, attached, context.content.noteAttachments))
        return context.Fail(store.LastError());
    // The deletions may leave their last steps in the log.
    return (context.Forget(store, SampleDeletions::NoteStore) &&
            store.Close(store.Logging() ? context.AddFile(NotesGroup, "NoteStore.sqlite-wal")
                                        : QString())) ||
           context.Fail(store.LastError());
}
