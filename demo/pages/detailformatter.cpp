#include "detailformatter.h"

#include "contracts/imessage.h"
#include "contracts/imessageentry.h"
#include "contracts/imessageentryorigin.h"
#include "contracts/inote.h"
#include "contracts/iwechatmessager.h"
#include "contracts/iwhatsappmessenger.h"

#include <QCoreApplication>

#include <QStringList>

namespace {
// A long conversation would make the pane slow to lay out; the rest is in the export.
const unsigned int kMaxEntries = 500;

QString Escaped(const char* utf8)
{
    return DetailFormatter::Text(utf8).toHtmlEscaped();
}
} // namespace

QString DetailFormatter::Text(const char* utf8)
{
    return utf8 ? QString::fromUtf8(utf8) : QString();
}

QString DetailFormatter::Places(const QString& foundIn)
{
    // What the carver and the readers call them.
    static const char* const known[] = {
        QT_TRANSLATE_NOOP("DetailFormatter", "freeblock"),
        QT_TRANSLATE_NOOP("DetailFormatter", "unallocated"),
        QT_TRANSLATE_NOOP("DetailFormatter", "freelist"),
        QT_TRANSLATE_NOOP("DetailFormatter", "dropped table"),
        QT_TRANSLATE_NOOP("DetailFormatter", "overflow"),
        QT_TRANSLATE_NOOP("DetailFormatter", "WAL"),
        QT_TRANSLATE_NOOP("DetailFormatter", "journal"),
        QT_TRANSLATE_NOOP("DetailFormatter", "change log"),
        QT_TRANSLATE_NOOP("DetailFormatter", "full-text index"),
        QT_TRANSLATE_NOOP("DetailFormatter", "leftover values"),
        QT_TRANSLATE_NOOP("DetailFormatter", "recently deleted"),
        QT_TRANSLATE_NOOP("DetailFormatter", "Recently Deleted folder"),
        QT_TRANSLATE_NOOP("DetailFormatter", "recently deleted album"),
        QT_TRANSLATE_NOOP("DetailFormatter", "marked for deletion"),
        QT_TRANSLATE_NOOP("DetailFormatter", "marked deleted"),
    };
    QStringList places = foundIn.split(QStringLiteral(", "));
    for (QString& place : places) {
        for (const char* name : known) {
            if (place == QLatin1String(name)) {
                place = QCoreApplication::translate("DetailFormatter", name);
                break;
            }
        }
    }
    return places.join(QStringLiteral(", "));
}

QString DetailFormatter::Sender(bool sent, const QString& sender)
{
    return sent && sender == QLatin1String("Me")
               ? QCoreApplication::translate("DetailFormatter", "Me")
               : sender;
}

QString DetailFormatter::Entry(MMobile::IMessageEntry* entry)
{
    if (!entry)
        return QString();
    const bool sent = entry->IsSent();
    const QString align = sent ? QStringLiteral("right") : QStringLiteral("left");
    QString colour = sent ? QStringLiteral("#d8ecff") : QStringLiteral("#eeeeee");
    QString header =
        QStringLiteral("<span style='color:#777777'>%1 &middot; %2</span>")
            .arg(Sender(sent, Text(entry->GetSender())).toHtmlEscaped(), Escaped(entry->GetDate()));
    // A deleted message stands out in the tables' orange, saying where it was found.
    MMobile::IMessageEntryOrigin* origin = MMobile::MessageEntryOrigin(entry);
    if (origin && origin->IsDeleted()) {
        const QString where = Places(Text(origin->GetFoundIn()));
        const QString mark =
            where.isEmpty()
                ? QCoreApplication::translate("DetailFormatter", "Deleted")
                : QCoreApplication::translate("DetailFormatter", "Deleted, found in %1").arg(where);
        header += QStringLiteral(" <span style='color:#d9661a'><b>%1</b></span>")
                      .arg(mark.toHtmlEscaped());
        colour = QStringLiteral("#fbd7b5");
    }
    return QStringLiteral("<table width='100%' cellpadding='5'><tr><td align='%1'>%2<br>"
                          "<span style='background-color:%3'>%4</span></td></tr></table>")
        .arg(align, header, colour,
             Escaped(entry->GetText()).replace(QLatin1Char('\n'), QStringLiteral("<br>")));
}

template <class Record> QString DetailFormatter::Entries(Record* record)
{
    QString html;
    const unsigned int count = record->GetEntryCount();
    for (unsigned int i = 0; i < count && i < kMaxEntries; ++i)
        html += Entry(record->GetEntry(i));
    if (count > kMaxEntries)
        html += QStringLiteral("<p>%1</p>")
                    .arg(QCoreApplication::translate("DetailFormatter", "... %1 more")
                             .arg(count - kMaxEntries));
    return html;
}

QString DetailFormatter::Conversation(MMobile::IMessage* record)
{
    if (!record)
        return QString();
    QStringList people;
    for (unsigned int i = 0; i < record->GetParticipantCount(); ++i) {
        QString name = Text(record->GetParticipantName(i));
        const QString phone = Text(record->GetParticipantPhone(i));
        if (!phone.isEmpty())
            name += QStringLiteral(" (%1)").arg(phone);
        people << name.toHtmlEscaped();
    }
    return QStringLiteral("<h3>%1</h3>").arg(people.join(QStringLiteral(", "))) + Entries(record);
}

QString DetailFormatter::Conversation(MMobile::IWhatsAppMessenger* record)
{
    if (!record)
        return QString();
    return QStringLiteral("<h3>%1</h3><p>%2 %3</p>")
               .arg(Escaped(record->GetChatName()), Escaped(record->GetPartnerName()),
                    Escaped(record->GetPartnerPhone())) +
           Entries(record);
}

QString DetailFormatter::Conversation(MMobile::IWeChatMessager* record)
{
    if (!record)
        return QString();
    return QStringLiteral("<h3>%1</h3><p>%2</p>")
               .arg(Escaped(record->GetChatName()), Escaped(record->GetAccount())) +
           Entries(record);
}

QString DetailFormatter::Note(MMobile::INote* record)
{
    if (!record)
        return QString();
    return QStringLiteral("<h3>%1</h3><p style='color:#777777'>%2 &middot; %3</p><p>%4</p>")
        .arg(Escaped(record->GetTitle()), Escaped(record->GetDate()), Escaped(record->GetFolder()),
             Escaped(record->GetBody()).replace(QLatin1Char('\n'), QStringLiteral("<br>")));
}
