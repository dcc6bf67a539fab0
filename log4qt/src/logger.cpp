#include "log4qt/logger.h"

#include "log4cxxbridge.h"

#include <QHash>
#include <QMutex>

namespace Log4Qt {

struct Logger::Private
{
    QString name;
    log4cxx::LoggerPtr target;
};

namespace {

void write(const log4cxx::LoggerPtr& target, const log4cxx::LevelPtr& level, const QString& message)
{
    if (!target->isEnabledFor(level))
        return;
    target->forcedLog(level, Bridge::toLogString(message), LOG4CXX_LOCATION);
}

} // namespace

Logger::Logger(const QString& name) : d(new Private{name, Bridge::loggerFor(name)}) {}

Logger::~Logger()
{
    delete d;
}

Logger* Logger::logger(const QString& name)
{
    // Loggers are never deleted: callers keep the pointers for their whole
    // life, static objects included. The registry itself is never destroyed
    // either, so the loggers stay reachable to the end.
    static QMutex mutex;
    static auto* loggers = new QHash<QString, Logger*>;
    QMutexLocker lock(&mutex);
    Logger*& entry = (*loggers)[name];
    if (!entry)
        entry = new Logger(name);
    return entry;
}

Logger* Logger::logger(const char* name)
{
    return logger(QString::fromUtf8(name));
}

Logger* Logger::rootLogger()
{
    return logger(QString());
}

QString Logger::name() const
{
    return d->name;
}

bool Logger::isDebugEnabled() const
{
    return d->target->isDebugEnabled();
}

bool Logger::isInfoEnabled() const
{
    return d->target->isInfoEnabled();
}

void Logger::debug(const QString& message) const
{
    write(d->target, log4cxx::Level::getDebug(), message);
}

void Logger::info(const QString& message) const
{
    write(d->target, log4cxx::Level::getInfo(), message);
}

void Logger::warn(const QString& message) const
{
    write(d->target, log4cxx::Level::getWarn(), message);
}

void Logger::error(const QString& message) const
{
    write(d->target, log4cxx::Level::getError(), message);
}

void Logger::fatal(const QString& message) const
{
    write(d->target, log4cxx::Level::getFatal(), message);
}

} // namespace Log4Qt
