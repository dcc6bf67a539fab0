#ifndef LOG4QT_LOG4CXXBRIDGE_H
#define LOG4QT_LOG4CXXBRIDGE_H

// Internal: the meeting point of the adapter and log4cxx.

#include <QString>

#include <log4cxx/logger.h>

namespace Log4Qt {
namespace Bridge {

// Applies the default configuration once, if log4cxx found none of its own
// (LOG4CXX_CONFIGURATION, or log4cxx.properties / log4j.properties in the
// working directory).
void ensureConfigured();
// Forgets every configuration and applies the default again.
void resetToDefault();

log4cxx::LoggerPtr loggerFor(const QString& name);

inline log4cxx::LogString toLogString(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return log4cxx::LogString(utf8.constData(), std::size_t(utf8.size()));
}

inline QString fromLogString(const log4cxx::LogString& text)
{
    return QString::fromUtf8(text.data(), int(text.size()));
}

} // namespace Bridge
} // namespace Log4Qt

#endif // LOG4QT_LOG4CXXBRIDGE_H
