#include "notereader.h"

#include "engineitem.h"
#include "notebody.h"
#include "noterecord.h"
#include "schemaprobe.h"
#include "sqlitedb.h"

#include <QRegularExpression>

namespace {

using Row = SqliteDb::Row;

const char* const LegacyStore = "Library/Notes/notes.sqlite";
const char* const NoteStore = "NoteStore.sqlite";

// Notes of the older store keep HTML bodies.
QString PlainText(const QString& html)
{
    if (!html.contains(QLatin1Char('<')))
        return html;
    QString text = html;
    text.replace(QRegularExpression(QStringLiteral("<br\\s*/?>|</div>|</p>"),
                                    QRegularExpression::CaseInsensitiveOption),
                 QStringLiteral("\n"));
    text.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&#39;"), QLatin1String("'"));
    text.replace(QLatin1String("&nbsp;"), QLatin1String(" "));
    text.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return text.trimmed();
}

// A note without a title of its own shows its first line, in every store.
QByteArray TitleOf(const QByteArray& title, const QByteArray& body)
{
    if (!title.isEmpty())
        return title;
    const int end = body.indexOf('\n');
    return (end < 0 ? body : body.left(end)).trimmed();
}

} // namespace

bool NoteReader::Read(ReaderContext::Items& items)
{
    int failed = 0;
    int read = 0;
    QString errors;
    const struct
    {
        const char* domain;
        const char* path;
        bool legacy;
    } stores[] = {{ReaderContext::HomeDomain, LegacyStore, true},
                  {ReaderContext::NotesDomain, NoteStore, false}};
    for (const auto& store : stores) {
        if (m_context.Stopped())
            return true;
        SqliteDb db;
        const ReaderContext::OpenResult open = m_context.OpenDatabase(
            QString::fromLatin1(store.domain), QString::fromLatin1(store.path), db);
        if (open == ReaderContext::OPEN_ABSENT)
            continue;
        if (open == ReaderContext::OPEN_OK &&
            (store.legacy ? ReadLegacy(db, items) : ReadStore(db, items))) {
            ++read;
            continue;
        }
        ++failed;
        // The other store still reads; the notes of this one count as left out.
        m_context.Skip();
        qCWarning(lcReaders).noquote() << "notes store not read:" << m_context.ErrorText();
        errors += m_context.ErrorText() + QLatin1Char(' ');
    }
    return failed == 0 || read > 0 || m_context.Fail(errors.trimmed());
}

bool NoteReader::ReadLegacy(SqliteDb& db, ReaderContext::Items& items)
{
    SchemaProbe schema(db, QStringLiteral("notes.sqlite"));
    if (!schema.HasTable(QStringLiteral("ZNOTE")))
        return m_context.Fail(QStringLiteral("notes.sqlite lacks the table ZNOTE"));
    const QString note = QStringLiteral("ZNOTE");
    const bool bodies = schema.Optional(QStringLiteral("ZNOTEBODY"), QStringLiteral("note bodies"));
    const bool folders = schema.Optional(QStringLiteral("ZFOLDER"), QStringLiteral("folders"));
    const bool ok = db.Query(
        QStringLiteral("SELECT %1, %2, %3, %4, %5, n.Z_PK FROM ZNOTE n%6%7 ORDER BY %3, n.Z_PK")
            .arg(schema.Column(note, QStringLiteral("n"), QStringLiteral("ZTITLE")),
                 schema.Column(note, QStringLiteral("n"), QStringLiteral("ZSUMMARY")),
                 schema.Column(note, QStringLiteral("n"), QStringLiteral("ZMODIFICATIONDATE")),
                 bodies ? QStringLiteral("b.ZCONTENT") : QStringLiteral("NULL"),
                 folders ? QStringLiteral("f.ZNAME") : QStringLiteral("NULL"),
                 bodies ? QStringLiteral(" LEFT JOIN ZNOTEBODY b ON b.ZOWNER = n.Z_PK") : QString(),
                 folders ? QStringLiteral(" LEFT JOIN ZFOLDER f ON f.Z_PK = n.ZFOLDER")
                         : QString()),
        [&](const Row& row) {
            auto record = std::make_unique<NoteRecord>();
            RecordText& text = record->Text();
            const QByteArray body =
                row.IsNull(3) ? QByteArray() : PlainText(row.String(3)).toUtf8();
            text.Set(NoteRecord::Title, TitleOf(row.Text(0), body));
            text.Set(NoteRecord::Snippet, row.Text(1));
            text.Set(NoteRecord::Date, m_context.DateText(row, 2));
            text.Set(NoteRecord::Body, body);
            text.Set(NoteRecord::Folder, row.Text(4));
            record->SetRow(LegacyStore, row.Int(5));
            items.push_back(ReaderContext::MakeItem(std::move(record)));
            return m_context.Tick(static_cast<qint64>(items.size()), 0);
        });
    return ok || m_context.Fail(db.LastError());
}

bool NoteReader::ReadStore(SqliteDb& db, ReaderContext::Items& items)
{
    SchemaProbe schema(db, QStringLiteral("NoteStore.sqlite"));
    const QString objects = QStringLiteral("ZICCLOUDSYNCINGOBJECT");
    if (!schema.HasTable(objects))
        return m_context.Fail(QStringLiteral("NoteStore.sqlite lacks the table %1").arg(objects));
    // Notes, folders and accounts share the table: a note has its data (or,
    // in older stores, a title); its folder is a row of the same table.
    const bool data = schema.HasColumn(objects, QStringLiteral("ZNOTEDATA")) &&
                      schema.Optional(QStringLiteral("ZICNOTEDATA"), QStringLiteral("note texts"));
    const bool folders = schema.HasColumn(objects, QStringLiteral("ZFOLDER"));
    const QString sql =
        QStringLiteral(
            "SELECT n.ZTITLE1, %1, n.ZMODIFICATIONDATE1, %2, %3, %4, %5, %9, n.Z_PK FROM "
            "ZICCLOUDSYNCINGOBJECT n%6%7 WHERE %8 ORDER BY n.ZMODIFICATIONDATE1, n.Z_PK")
            .arg(
                schema.Column(objects, QStringLiteral("n"), QStringLiteral("ZSNIPPET")),
                schema.Column(objects, QStringLiteral("n"), QStringLiteral("ZMARKEDFORDELETION")),
                folders ? schema.Column(objects, QStringLiteral("f"), QStringLiteral("ZTITLE2"))
                        : QStringLiteral("NULL"),
                folders ? schema.Column(objects, QStringLiteral("f"), QStringLiteral("ZFOLDERTYPE"))
                        : QStringLiteral("NULL"),
                data ? QStringLiteral("d.ZDATA") : QStringLiteral("NULL"),
                folders ? QStringLiteral(" LEFT JOIN ZICCLOUDSYNCINGOBJECT f ON f.Z_PK = n.ZFOLDER")
                        : QString(),
                data ? QStringLiteral(" LEFT JOIN ZICNOTEDATA d ON d.Z_PK = n.ZNOTEDATA")
                     : QString(),
                data ? QStringLiteral("(n.ZNOTEDATA IS NOT NULL OR n.ZTITLE1 IS NOT NULL)")
                     : QStringLiteral("n.ZTITLE1 IS NOT NULL"))
            .arg(schema.LinkColumn(objects, QStringLiteral("n"),
                                   QStringLiteral("ZISPASSWORDPROTECTED")));
    const bool ok = db.Query(sql, [&](const Row& row) {
        auto record = std::make_unique<NoteRecord>();
        RecordText& text = record->Text();
        // A locked note's text is encrypted; its title is not.
        const bool locked = row.Int(7) != 0;
        QByteArray body = locked || row.IsNull(6) ? QByteArray() : NoteBody::Text(row.Text(6));
        if (locked)
            body = NoteRecord::LockedBody();
        else if (body.isNull())
            body = row.Text(1);
        text.Set(NoteRecord::Title, TitleOf(row.Text(0), locked ? QByteArray() : body));
        text.Set(NoteRecord::Snippet, row.Text(1));
        text.Set(NoteRecord::Body, body);
        text.Set(NoteRecord::Date, m_context.DateText(row, 2));
        const QByteArray folder = row.Text(4);
        text.Set(NoteRecord::Folder, folder.isEmpty() ? QByteArray("Notes") : folder);
        // Folder type 1 is "Recently Deleted", whether or not the note is marked.
        const bool deleted = row.Int(3) != 0 || row.Int(5) == 1;
        record->SetRow(NoteStore, row.Int(8));
        items.push_back(ReaderContext::MakeItem(std::move(record), deleted));
        return m_context.Tick(static_cast<qint64>(items.size()), 0);
    });
    return ok || m_context.Fail(db.LastError());
}
