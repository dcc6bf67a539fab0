#ifndef APPLETIME_H
#define APPLETIME_H

#include <QString>

#include <cstdint>

// Conversions of the phone's time stamps. The databases count from
// 2001-01-01 00:00:00 UTC, in seconds (possibly fractional) or, in newer
// message stores, in nanoseconds; the library wants local date texts and
// seconds since 1970.
class AppleTime
{
public:
    // Seconds between 1970-01-01 and 2001-01-01 (UTC).
    static constexpr std::int64_t EpochOffset = 978307200;

    // Seconds since 2001 from a stored value of either unit: values too large to
    // be seconds within this millennium are nanoseconds.
    static double ToAppleSeconds(double stored);
    // Seconds since 1970 UTC; 0 for a value that is no time (infinite, not a
    // number, or beyond the years 1-9999).
    static std::int64_t ToUnix(double stored);
    // The same; false for a value that is no time.
    static bool ToUnix(double stored, std::int64_t& unixSeconds);
    // "yyyy-MM-dd HH:mm:ss" in local time; empty for a value that is no time.
    static QString ToText(double stored);
    static QString UnixToText(std::int64_t unixSeconds);
};

#endif // APPLETIME_H
