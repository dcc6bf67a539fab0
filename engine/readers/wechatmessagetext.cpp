#include "wechatmessagetext.h"

#include <QRegularExpression>
#include <QXmlStreamReader>

namespace {

QString Duration(int seconds)
{
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// "[Label]" or "[Label] detail".
QString Tagged(const QString& label, const QString& detail = QString())
{
    const QString head = QLatin1Char('[') + label + QLatin1Char(']');
    return detail.isEmpty() ? head : head + QLatin1Char(' ') + detail;
}

QString WithoutTags(QString text)
{
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    return text.remove(tags).trimmed();
}

// The notice the app puts in place of a message the partner took back: a
// plain system message, in the language of the phone.
bool IsRecallNotice(const QString& text)
{
    static const QRegularExpression notice(
        QStringLiteral("^(?:You recalled a message|\"[^\"]{1,64}\" recalled a message\\.?|"
                       "\u4f60\u64a4\u56de\u4e86\u4e00\u6761\u6d88\u606f|"
                       "\"[^\"]{1,64}\" ?\u64a4\u56de\u4e86\u4e00\u6761\u6d88\u606f)$"));
    return notice.match(text).hasMatch();
}

} // namespace

QString WeChatMessageText::XmlValue(const QString& xml, const QString& name,
                                    const QString& attribute)
{
    // Stored XML may have text before the root; start at the first tag.
    const int start = xml.indexOf(QLatin1Char('<'));
    if (start < 0)
        return QString();
    QXmlStreamReader reader(xml.mid(start));
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement || reader.name() != name)
            continue;
        if (!attribute.isEmpty())
            return reader.attributes().value(attribute).toString();
        return reader.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
    }
    return QString();
}

QString WeChatMessageText::TakeGroupSender(QString& content)
{
    const int colon = content.indexOf(QStringLiteral(":\n"));
    // User names have no spaces or markup; a text that merely has a colon stays whole.
    if (colon <= 0 || colon > 64)
        return QString();
    const QString name = content.left(colon);
    static const QRegularExpression userName(QStringLiteral("^[A-Za-z0-9_@.\\-]+$"));
    if (!userName.match(name).hasMatch())
        return QString();
    content = content.mid(colon + 2);
    return name;
}

int WeChatMessageText::AppMessageType(const QString& content)
{
    return XmlValue(content, QStringLiteral("type")).toInt();
}

QString WeChatMessageText::AppFileName(const QString& content)
{
    QString title = XmlValue(content, QStringLiteral("title"));
    const QString extension = XmlValue(content, QStringLiteral("fileext"));
    if (!extension.isEmpty() && !title.endsWith(QLatin1Char('.') + extension, Qt::CaseInsensitive))
        title += QLatin1Char('.') + extension;
    return title;
}

QString WeChatMessageText::Summary(int type, const QString& content)
{
    switch (type) {
    case TEXT:
        return content;
    case PICTURE:
        return Tagged(QStringLiteral("Picture"));
    case VOICE: {
        // The length is kept in milliseconds.
        const int ms =
            XmlValue(content, QStringLiteral("voicemsg"), QStringLiteral("voicelength")).toInt();
        return ms > 0 ? Tagged(QStringLiteral("Voice ") + Duration((ms + 500) / 1000))
                      : Tagged(QStringLiteral("Voice"));
    }
    case VIDEO: {
        const int seconds =
            XmlValue(content, QStringLiteral("videomsg"), QStringLiteral("playlength")).toInt();
        return seconds > 0 ? Tagged(QStringLiteral("Video ") + Duration(seconds))
                           : Tagged(QStringLiteral("Video"));
    }
    case EMOJI:
        return Tagged(QStringLiteral("Emoji"));
    case CONTACT_CARD:
        return Tagged(QStringLiteral("Contact card"),
                      XmlValue(content, QStringLiteral("msg"), QStringLiteral("nickname")));
    case LOCATION: {
        QString place = XmlValue(content, QStringLiteral("location"), QStringLiteral("poiname"));
        if (place.isEmpty())
            place = XmlValue(content, QStringLiteral("location"), QStringLiteral("label"));
        return Tagged(QStringLiteral("Location"), place);
    }
    case APP: {
        const QString title = XmlValue(content, QStringLiteral("title"));
        switch (AppMessageType(content)) {
        case APP_FILE:
            return Tagged(QStringLiteral("File"), AppFileName(content));
        case APP_MINI_PROGRAM:
            return Tagged(QStringLiteral("Mini program"), title);
        case APP_TRANSFER:
            return Tagged(QStringLiteral("Transfer"), title);
        default:
            return Tagged(QStringLiteral("Link"), title);
        }
    }
    case CALL:
        return Tagged(QStringLiteral("Call"));
    case SYSTEM: {
        const QString text = WithoutTags(content);
        return IsRecallNotice(text) ? Tagged(QStringLiteral("Recalled"), text) : text;
    }
    case REVOKED: {
        // An XML system message: the account's own recall keeps its notice
        // in editrevokecontent/text, the server's in revokemsg/replacemsg.
        const QString kind = XmlValue(content, QStringLiteral("sysmsg"), QStringLiteral("type"));
        QString text = XmlValue(content, QStringLiteral("replacemsg"));
        if (text.isEmpty() && kind == QLatin1String("editrevokecontent"))
            text = XmlValue(content, QStringLiteral("text"));
        if (text.isEmpty())
            text = WithoutTags(content);
        const bool recall = kind.isEmpty() || kind == QLatin1String("revokemsg") ||
                            kind == QLatin1String("editrevokecontent");
        return recall ? Tagged(QStringLiteral("Recalled"), text) : text;
    }
    default:
        return Tagged(QStringLiteral("Message of type %1").arg(type));
    }
}
