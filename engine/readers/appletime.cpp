#include "appletime.h"

#include <QDateTime>

#include <cmath>

namespace {
// 1e11 seconds are more than 3000 years; no stored second count gets there,
// while any nanosecond count after 2001-01-02 does.
constexpr double NanosecondThreshold = 1e11;
} // namespace

double AppleTime::ToAppleSeconds(double stored)
{
    if (std::fabs(stored) >= NanosecondThreshold)
        return stored / 1e9;
    return stored;
}

std::int64_t AppleTime::ToUnix(double stored)
{
    return static_cast<std::int64_t>(std::floor(ToAppleSeconds(stored))) + EpochOffset;
}

QString AppleTime::ToText(double stored)
{
    return UnixToText(ToUnix(stored));
}

QString AppleTime::UnixToText(std::int64_t unixSeconds)
{
    return QDateTime::fromSecsSinceEpoch(unixSeconds, Qt::LocalTime)
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}
