#ifndef LOCALCLOCK_H
#define LOCALCLOCK_H

#include <QString>
#include <QTimeZone>

#include <cstdint>

// Turns the phone's stored times into the texts the pages show, in the time
// zone the computer had when the scan began. The zone is looked up once, by
// the constructor: Qt's own local-time conversion asks the system again for
// every value, which costs more than reading the record. Floating dates
// (all-day events, birthdays) have no zone and are shown as stored.
// Cheap to copy; used on one scan's thread.
class LocalClock
{
public:
    // The system's time zone now.
    LocalClock();
    explicit LocalClock(const QTimeZone& zone);

    // "yyyy-MM-dd HH:mm:ss" in local time of a stored time (seconds or
    // nanoseconds since 2001); empty when the value is no usable time.
    QString Text(double stored) const;
    QString UnixText(std::int64_t unixSeconds) const;

    // The day of a floating date stored as seconds since 2001 (its day in
    // UTC): "yyyy-MM-dd", or "--MM-dd" for a date without a year (stored in
    // the year 1604); empty when the value is no usable time.
    static QString DateText(double stored);
    // The year the address book stores for dates without one.
    static constexpr int NoYear = 1604;

private:
    QTimeZone m_zone;
};

#endif // LOCALCLOCK_H
