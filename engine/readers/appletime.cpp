#include "appletime.h"

#include <QDateTime>

#include <cmath>

namespace {
// 1e11 seconds are more than 3000 years; no stored second count gets there,
// while any nanosecond count after 2001-01-02 does.
constexpr double NanosecondThreshold = 1e11;
// About 8000 years either side of 2001: the years 1 to 9999 of the texts.
constexpr double SecondsLimit = 2.6e11;
} // namespace

double AppleTime::ToAppleSeconds(double stored)
{
    if (std::fabs(stored) >= NanosecondThreshold)
        return stored / 1e9;
    return stored;
}

bool AppleTime::ToUnix(double stored, std::int64_t& unixSeconds)
{
    const double seconds = ToAppleSeconds(stored);
    // Also false for NaN, which fails every comparison.
    if (!(seconds > -SecondsLimit && seconds < SecondsLimit))
        return false;
    unixSeconds = static_cast<std::int64_t>(std::floor(seconds)) + EpochOffset;
    return true;
}

std::int64_t AppleTime::ToUnix(double stored)
{
    std::int64_t unixSeconds = 0;
    return ToUnix(stored, unixSeconds) ? unixSeconds : 0;
}

QString AppleTime::ToText(double stored)
{
    std::int64_t unixSeconds = 0;
    return ToUnix(stored, unixSeconds) ? UnixToText(unixSeconds) : QString();
}

QString AppleTime::UnixToText(std::int64_t unixSeconds)
{
    return QDateTime::fromSecsSinceEpoch(unixSeconds, Qt::LocalTime)
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}
