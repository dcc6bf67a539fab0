#ifndef LOG4QT_CLASSLOGGER_H
#define LOG4QT_CLASSLOGGER_H

#include "log4qt/log4qt_global.h"

#include <QAtomicPointer>

class QObject;

namespace Log4Qt {

class Logger;

// The logger of a Qt object, named after the object's most derived Qt class.
// The name is fixed at the first call: called from a base class constructor it
// is the base class's name, as the meta-object is then the base's.
class LOG4QT_EXPORT ClassLogger
{
public:
    ClassLogger();
    // A copy has its own, not yet fixed, logger: it may belong to another class.
    ClassLogger(const ClassLogger&);
    ClassLogger& operator=(const ClassLogger&);

    Logger* logger(const QObject* object) const;

private:
    mutable QAtomicPointer<Logger> m_logger;
};

} // namespace Log4Qt

// Gives a QObject class `Log4Qt::Logger* logger() const`.
#define LOG4QT_DECLARE_QCLASS_LOGGER                                                             \
private:                                                                                         \
    mutable Log4Qt::ClassLogger mLog4QtClassLogger;                                              \
                                                                                                 \
public:                                                                                          \
    Log4Qt::Logger* logger() const { return mLog4QtClassLogger.logger(this); }                   \
                                                                                                 \
private:

#endif // LOG4QT_CLASSLOGGER_H
