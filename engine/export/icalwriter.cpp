#include "icalwriter.h"

#include "contracts/icalendar.h"
#include "contracts/ireminider.h"
#include "vcardwriter.h"

#include <QCryptographicHash>
#include <QDateTime>

namespace {

QString Text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QString Uid(const QString& kind, int index, const QString& seed, const QString& identity)
{
    const QString key = identity.isEmpty() ? kind + QString::number(index) + seed
                                           : kind + QLatin1Char('#') + identity;
    const QByteArray hash =
        QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(24);
    return QString::fromLatin1(hash) + QStringLiteral("@mmobileengine");
}

} // namespace

ICalWriter::ICalWriter()
{
    AddLine(QStringLiteral("BEGIN:VCALENDAR"));
    AddLine(QStringLiteral("VERSION:2.0"));
    AddLine(QStringLiteral("PRODID:-//MMobile//Reference Engine//EN"));
}

void ICalWriter::AddLine(const QString& line)
{
    // Folding is the same as for vCards.
    m_body += VCardWriter::Line(line);
}

QString ICalWriter::Escape(const QString& value)
{
    return VCardWriter::Escape(value);
}

QString ICalWriter::DateTime(const char* text)
{
    const QDateTime time = QDateTime::fromString(Text(text), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!time.isValid())
        return QString();
    return time.toString(QStringLiteral("yyyyMMdd'T'HHmmss"));
}

void ICalWriter::AddEvent(MMobile::ICalendar* event, const QString& identity)
{
    if (!event)
        return;
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    AddLine(QStringLiteral("BEGIN:VEVENT"));
    AddLine(QStringLiteral("UID:") + Uid(QStringLiteral("event"), m_count++,
                                         Text(event->GetTitle()) + Text(event->GetStartDate()),
                                         identity));
    AddLine(QStringLiteral("DTSTAMP:") + stamp);
    // Date texts ("yyyy-MM-dd") are all-day events; QDate would also take
    // the date part of a date and time.
    const QString startText = Text(event->GetStartDate());
    const QDate firstDay =
        startText.size() == 10 ? QDate::fromString(startText, Qt::ISODate) : QDate();
    if (firstDay.isValid()) {
        // An all-day event: dates, the end being the day after its last.
        QDate lastDay = QDate::fromString(Text(event->GetEndDate()), Qt::ISODate);
        if (!lastDay.isValid() || lastDay < firstDay)
            lastDay = firstDay;
        AddLine(QStringLiteral("DTSTART;VALUE=DATE:") +
                firstDay.toString(QStringLiteral("yyyyMMdd")));
        AddLine(QStringLiteral("DTEND;VALUE=DATE:") +
                lastDay.addDays(1).toString(QStringLiteral("yyyyMMdd")));
    } else {
        const QString start = DateTime(event->GetStartDate());
        const QString end = DateTime(event->GetEndDate());
        if (!start.isEmpty())
            AddLine(QStringLiteral("DTSTART:") + start);
        if (!end.isEmpty())
            AddLine(QStringLiteral("DTEND:") + end);
    }
    AddLine(QStringLiteral("SUMMARY:") + Escape(Text(event->GetTitle())));
    if (!Text(event->GetLocation()).isEmpty())
        AddLine(QStringLiteral("LOCATION:") + Escape(Text(event->GetLocation())));
    if (!Text(event->GetNote()).isEmpty())
        AddLine(QStringLiteral("DESCRIPTION:") + Escape(Text(event->GetNote())));
    AddLine(QStringLiteral("END:VEVENT"));
}

void ICalWriter::AddTodo(MMobile::IReminider* reminder, const QString& identity)
{
    if (!reminder)
        return;
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    AddLine(QStringLiteral("BEGIN:VTODO"));
    AddLine(QStringLiteral("UID:") + Uid(QStringLiteral("todo"), m_count++,
                                         Text(reminder->GetTitle()) + Text(reminder->GetDate()),
                                         identity));
    AddLine(QStringLiteral("DTSTAMP:") + stamp);
    AddLine(QStringLiteral("SUMMARY:") + Escape(Text(reminder->GetTitle())));
    // A date text ("yyyy-MM-dd") is a reminder due on a day.
    const QString dueText = Text(reminder->GetDate());
    const QDate dueDay = dueText.size() == 10 ? QDate::fromString(dueText, Qt::ISODate) : QDate();
    const QString due = dueDay.isValid() ? QString() : DateTime(reminder->GetDate());
    if (dueDay.isValid())
        AddLine(QStringLiteral("DUE;VALUE=DATE:") + dueDay.toString(QStringLiteral("yyyyMMdd")));
    else if (!due.isEmpty())
        AddLine(QStringLiteral("DUE:") + due);
    const bool completed = Text(reminder->GetStatus()) == QLatin1String("Completed");
    AddLine(QStringLiteral("STATUS:") +
            (completed ? QStringLiteral("COMPLETED") : QStringLiteral("NEEDS-ACTION")));
    const QString priority = Text(reminder->GetPriority());
    const int value = priority == QLatin1String("High")     ? 1
                      : priority == QLatin1String("Medium") ? 5
                      : priority == QLatin1String("Low")    ? 9
                                                            : 0;
    AddLine(QStringLiteral("PRIORITY:%1").arg(value));
    if (!Text(reminder->GetListName()).isEmpty())
        AddLine(QStringLiteral("CATEGORIES:") + Escape(Text(reminder->GetListName())));
    if (!Text(reminder->GetLocation()).isEmpty())
        AddLine(QStringLiteral("LOCATION:") + Escape(Text(reminder->GetLocation())));
    if (!Text(reminder->GetNote()).isEmpty())
        AddLine(QStringLiteral("DESCRIPTION:") + Escape(Text(reminder->GetNote())));
    AddLine(QStringLiteral("END:VTODO"));
}

QByteArray ICalWriter::Data() const
{
    return m_body + VCardWriter::Line(QStringLiteral("END:VCALENDAR"));
}
