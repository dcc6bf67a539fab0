#include "log4qt/classlogger.h"

#include "log4qt/logger.h"

#include <QMetaObject>
#include <QObject>

namespace Log4Qt {

ClassLogger::ClassLogger() : m_logger(nullptr) {}

ClassLogger::ClassLogger(const ClassLogger&) : m_logger(nullptr) {}

ClassLogger& ClassLogger::operator=(const ClassLogger&)
{
    return *this;
}

Logger* ClassLogger::logger(const QObject* object) const
{
    Logger* current = m_logger.loadAcquire();
    if (current)
        return current;
    const char* className = object ? object->metaObject()->className() : "QObject";
    Logger* made = Logger::logger(className);
    // Two threads asking at once get the same logger from the registry anyway.
    m_logger.testAndSetOrdered(nullptr, made);
    return m_logger.loadAcquire();
}

} // namespace Log4Qt
