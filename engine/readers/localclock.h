#ifndef LOCALCLOCK_H
#define LOCALCLOCK_H

#include <QByteArray>
#include <QString>
#include <QTimeZone>

#include "textpiece.h"

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
    // Text() as UTF-8, as records keep it; null when the value is no usable time.
    QByteArray Utf8Text(double stored) const;
    // The same in a buffer of its own, for a record that copies it at once:
    // one allocation less for every message of a scan.
    struct Stamp
    {
        char bytes[19];
        bool usable = false;
        TextPiece Piece() const { return usable ? TextPiece(bytes, sizeof bytes) : TextPiece(); }
    };
    Stamp Utf8Stamp(double stored) const;

    // The day of a floating date stored as seconds since 2001 (its day in
    // UTC): "yyyy-MM-dd", or "--MM-dd" for a date without a year (stored in
    // the year 1604); empty when the value is no usable time.
    static QString DateText(double stored);
    // The year the address book stores for dates without one.
    static constexpr int NoYear = 1604;

private:
    int OffsetAt(std::int64_t unixSeconds) const;
    QByteArray Format(std::int64_t unixSeconds) const;
    // Writes the 19 bytes of a time's text; false for a year beyond 0-9999.
    bool Write(std::int64_t unixSeconds, char* out) const;

    QTimeZone m_zone;
    // The offset of the last time asked for holds from m_from to m_to
    // (between two transitions of the zone), so most times need no lookup.
    mutable std::int64_t m_from = 0;
    mutable std::int64_t m_to = 0;
    mutable int m_offset = 0;
    // The day of the last time written and its "yyyy-MM-dd": a
    // conversation's messages mostly follow one another within a day.
    mutable std::int64_t m_day = INT64_MIN;
    mutable char m_dayText[10] = {};
};

#endif // LOCALCLOCK_H
