#include "localclock.h"

#include "appletime.h"

#include <QDateTime>

#include <cstdint>
#include <cstdio>
#include <cstring>

LocalClock::LocalClock() : m_zone(QTimeZone::systemTimeZone()) {}

LocalClock::LocalClock(const QTimeZone& zone) : m_zone(zone) {}

namespace {

// Days since 1970-01-01 to a proleptic Gregorian date (H. Hinnant's
// civil_from_days), without building a QDate for every record.
void CivilFromDays(std::int64_t days, int& year, int& month, int& day)
{
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

std::int64_t FloorDiv(std::int64_t value, std::int64_t divisor)
{
    return value / divisor - (value % divisor < 0 ? 1 : 0);
}

} // namespace

int LocalClock::OffsetAt(std::int64_t unixSeconds) const
{
    if (unixSeconds >= m_from && unixSeconds < m_to)
        return m_offset;
    if (!m_zone.isValid())
        return 0;
    const QDateTime at = QDateTime::fromSecsSinceEpoch(unixSeconds, Qt::UTC);
    m_offset = m_zone.offsetFromUtc(at);
    m_from = unixSeconds;
    m_to = unixSeconds + 1;
    if (m_zone.hasTransitions()) {
        const QTimeZone::OffsetData before = m_zone.previousTransition(at.addSecs(1));
        const QTimeZone::OffsetData after = m_zone.nextTransition(at);
        m_from = before.atUtc.isValid() ? before.atUtc.toSecsSinceEpoch() : INT64_MIN;
        m_to = after.atUtc.isValid() ? after.atUtc.toSecsSinceEpoch() : INT64_MAX;
    }
    return m_offset;
}

QByteArray LocalClock::Format(std::int64_t unixSeconds) const
{
    QByteArray text(19, Qt::Uninitialized);
    return Write(unixSeconds, text.data()) ? text : QByteArray();
}

bool LocalClock::Write(std::int64_t unixSeconds, char* out) const
{
    const std::int64_t local = unixSeconds + OffsetAt(unixSeconds);
    const std::int64_t days = FloorDiv(local, 86400);
    const std::int64_t second = local - days * 86400;
    // Written digit by digit: a formatted print per record cost more than
    // the rest of the record.
    const auto put = [&out](int value, int digits) {
        for (int i = digits - 1; i >= 0; --i, value /= 10)
            out[i] = static_cast<char>('0' + value % 10);
        out += digits;
    };
    const auto separate = [&out](char separator) { *out++ = separator; };
    if (days != m_day) {
        int year = 0, month = 0, day = 0;
        CivilFromDays(days, year, month, day);
        if (year < 0 || year > 9999)
            return false;
        char* const start = out;
        out = m_dayText;
        put(year, 4);
        separate('-');
        put(month, 2);
        separate('-');
        put(day, 2);
        out = start;
        m_day = days;
    }
    std::memcpy(out, m_dayText, sizeof m_dayText);
    out += sizeof m_dayText;
    separate(' ');
    put(static_cast<int>(second / 3600), 2);
    separate(':');
    put(static_cast<int>(second / 60 % 60), 2);
    separate(':');
    put(static_cast<int>(second % 60), 2);
    return true;
}

QString LocalClock::Text(double stored) const
{
    return QString::fromLatin1(Utf8Text(stored));
}

QByteArray LocalClock::Utf8Text(double stored) const
{
    std::int64_t unixSeconds = 0;
    if (!AppleTime::ToUnix(stored, unixSeconds))
        return QByteArray();
    return Format(unixSeconds);
}

LocalClock::Stamp LocalClock::Utf8Stamp(double stored) const
{
    Stamp stamp;
    std::int64_t unixSeconds = 0;
    stamp.usable = AppleTime::ToUnix(stored, unixSeconds) && Write(unixSeconds, stamp.bytes);
    return stamp;
}

QString LocalClock::UnixText(std::int64_t unixSeconds) const
{
    return QString::fromLatin1(Format(unixSeconds));
}

QString LocalClock::DateText(double stored)
{
    std::int64_t unixSeconds = 0;
    if (!AppleTime::ToUnix(stored, unixSeconds))
        return QString();
    const QDate date = QDateTime::fromSecsSinceEpoch(unixSeconds, Qt::UTC).date();
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        return QString();
    char text[16];
    if (date.year() == NoYear)
        std::snprintf(text, sizeof text, "--%02d-%02d", date.month(), date.day());
    else
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year(), date.month(), date.day());
    return QString::fromLatin1(text);
}
