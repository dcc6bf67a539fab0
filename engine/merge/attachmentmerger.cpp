#include "attachmentmerger.h"

#include "mergedatabase.h"
#include "messagemerger.h"
#include "readercontext.h"

namespace {

const QString Src = QStringLiteral("src");
const QString Attachment = QStringLiteral("attachment");
const QString Join = QStringLiteral("message_attachment_join");
const QString HasAttachments = QStringLiteral("cache_has_attachments");

// The file's path in the media domain: sms.db names it as the phone sees it.
QString MediaPath(QString path)
{
    if (path.startsWith(QLatin1String("~/")))
        path.remove(0, 2);
    else if (path.startsWith(QLatin1String("/var/mobile/")))
        path.remove(0, 12);
    return path.startsWith(QLatin1String("Library/SMS/Attachments/")) &&
                   !path.contains(QLatin1String("/../"))
               ? path
               : QString();
}

} // namespace

bool AttachmentMerger::AddAttachment(MergeDatabase& db, qint64 attachment, MessageMerger& messages)
{
    const QString filename =
        db.Value(Src, Attachment, QStringLiteral("filename"), attachment).toString();
    const QString path = MediaPath(filename);
    const QString domain = QString::fromLatin1(ReaderContext::MediaDomain);
    const QString content = path.isEmpty() ? QString() : SourceFile(domain, path);
    if (content.isEmpty())
        return true;
    if (db.FindSame(Attachment, attachment, QStringLiteral("guid")) >= 0) {
        ++m_skipped;
        return true;
    }
    // The folder holds the attachment's guid: only a file of another
    // attachment under the same name takes another one.
    const QString into = FreePath(domain, path);
    if (into.isEmpty())
        return db.Refuse(QStringLiteral("no free name for %1").arg(path));
    const qint64 added = db.Copy(
        Attachment, attachment,
        {{QStringLiteral("filename"), filename.left(filename.size() - path.size()) + into}});
    if (added < 0)
        return false;
    // The messages it was sent with (a carved attachment may have none left).
    const bool joined = db.HasTable(Src, Join) && db.HasTable(Src, QStringLiteral("message"));
    for (const qint64 join :
         joined ? db.SourceRowids(Join, QStringLiteral("attachment_id"), attachment)
                : std::vector<qint64>()) {
        const QVariant message = db.Value(Src, Join, QStringLiteral("message_id"), join);
        if (message.isNull())
            continue;
        const qint64 target = messages.TargetMessage(db, message.toLongLong());
        if (target < 0 || db.Copy(Join, join,
                                  {{QStringLiteral("message_id"), target},
                                   {QStringLiteral("attachment_id"), added}}) < 0)
            return false;
        if (db.HasColumn(QStringLiteral("main"), QStringLiteral("message"), HasAttachments) &&
            !db.Exec(QStringLiteral("UPDATE main.message SET %1 = 1 WHERE ROWID = ?")
                         .arg(HasAttachments),
                     {target}))
            return false;
    }
    if (!AddFile(db, domain, into, content))
        return false;
    ++m_added;
    return true;
}

bool AttachmentMerger::Merge(MergeDatabase& db, Selection selection)
{
    // sms.db keeps no mark of a deleted attachment.
    if (selection == PHONE_MARKED || !db.HasTable(Src, Attachment))
        return true;
    // Handles and chats are mapped afresh for each source attached.
    MessageMerger messages;
    const QString date = QStringLiteral("created_date");
    for (const qint64 attachment :
         db.SourceRowids(Attachment, QString(), QVariant(),
                         db.HasColumn(Src, Attachment, date) ? date : QString())) {
        if (!AddAttachment(db, attachment, messages))
            return false;
    }
    return true;
}
