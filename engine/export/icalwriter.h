#ifndef ICALWRITER_H
#define ICALWRITER_H

#include <QByteArray>
#include <QString>

namespace MMobile {
class ICalendar;
class IReminider;
} // namespace MMobile

// Builds one iCalendar file (RFC 5545) of events or to-dos. Times are written
// as floating local times, as the phone showed them.
class ICalWriter
{
public:
    ICalWriter();
    // identity: the item's own (CalendarRecord::Identity()); the UID is made
    // of it, so that exports of one backup agree wherever they are made.
    // Empty: of the item's texts and place in the file.
    void AddEvent(MMobile::ICalendar* event, const QString& identity = QString());
    void AddTodo(MMobile::IReminider* reminder, const QString& identity = QString());
    // The whole calendar, with its end line.
    QByteArray Data() const;

    // "yyyy-MM-dd HH:mm:ss" to "yyyyMMddTHHmmss"; empty for anything else.
    static QString DateTime(const char* text);
    static QString Escape(const QString& value);

private:
    void AddLine(const QString& line);

    QByteArray m_body;
    int m_count = 0;
};

#endif // ICALWRITER_H
