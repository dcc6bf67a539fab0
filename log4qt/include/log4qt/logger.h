#ifndef LOG4QT_LOGGER_H
#define LOG4QT_LOGGER_H

#include "log4qt/log4qt_global.h"

#include <QString>

namespace Log4Qt {

// A named logger. Loggers are made once per name and live until the process
// ends, so the pointers that logger() returns can be kept. Lines go to the
// log4cxx logger of the same name; a host configures the appenders with a
// log4j-style properties file (PropertyConfigurator). Without any
// configuration, info and above go to standard error.
class LOG4QT_EXPORT Logger
{
public:
    static Logger* logger(const QString& name);
    static Logger* logger(const char* name);
    static Logger* rootLogger();

    QString name() const;

    bool isDebugEnabled() const;
    bool isInfoEnabled() const;

    void debug(const QString& message) const;
    void info(const QString& message) const;
    void warn(const QString& message) const;
    void error(const QString& message) const;
    void fatal(const QString& message) const;

private:
    explicit Logger(const QString& name);
    ~Logger();
    Q_DISABLE_COPY(Logger)

    struct Private;
    Private* d;
};

} // namespace Log4Qt

#endif // LOG4QT_LOGGER_H
