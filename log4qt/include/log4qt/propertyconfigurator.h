#ifndef LOG4QT_PROPERTYCONFIGURATOR_H
#define LOG4QT_PROPERTYCONFIGURATOR_H

#include "log4qt/log4qt_global.h"

class QString;

namespace Log4Qt {

// Configures logging from a log4j-style properties file
// (log4j.rootLogger=INFO, A1 / log4j.appender.A1=org.apache.log4j.FileAppender ...).
class LOG4QT_EXPORT PropertyConfigurator
{
public:
    // False when the file cannot be read; the configuration is then unchanged.
    static bool configure(const QString& fileName);
    // Removes every appender and level set so far; the default applies again.
    static void resetConfiguration();
};

} // namespace Log4Qt

#endif // LOG4QT_PROPERTYCONFIGURATOR_H
