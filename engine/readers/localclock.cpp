#include "localclock.h"

#include "appletime.h"

#include <QDateTime>

#include <cstdio>

LocalClock::LocalClock() : m_zone(QTimeZone::systemTimeZone()) {}

LocalClock::LocalClock(const QTimeZone& zone) : m_zone(zone) {}

QString LocalClock::Text(double stored) const
{
    std::int64_t unixSeconds = 0;
    if (!AppleTime::ToUnix(stored, unixSeconds))
        return QString();
    return UnixText(unixSeconds);
}

QString LocalClock::UnixText(std::int64_t unixSeconds) const
{
    const QDateTime time = m_zone.isValid() ? QDateTime::fromSecsSinceEpoch(unixSeconds, m_zone)
                                            : QDateTime::fromSecsSinceEpoch(unixSeconds, Qt::UTC);
    const QDate date = time.date();
    const QTime clock = time.time();
    if (!date.isValid() || date.year() < 0 || date.year() > 9999)
        return QString();
    // By hand: QDateTime::toString() parses its format on every call.
    char text[24];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", date.year(), date.month(),
                  date.day(), clock.hour(), clock.minute(), clock.second());
    return QString::fromLatin1(text);
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
