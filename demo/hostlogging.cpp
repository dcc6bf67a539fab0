#include "hostlogging.h"

#include "log4qt/propertyconfigurator.h"

#include <QDir>
#include <QFile>

bool HostLogging::Configure(const QString& folder)
{
    if (!QDir().mkpath(folder))
        return false;
    const QString properties = QDir(folder).filePath(QStringLiteral("log4j.properties"));
    QFile file(properties);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    const QString logFile = QDir(folder).filePath(QStringLiteral("demo.log"));
    file.write(QStringLiteral("log4j.rootLogger=INFO, file\n"
                              "log4j.appender.file=org.apache.log4j.FileAppender\n"
                              "log4j.appender.file.File=%1\n"
                              "log4j.appender.file.Append=true\n"
                              "log4j.appender.file.layout=org.apache.log4j.PatternLayout\n"
                              "log4j.appender.file.layout.ConversionPattern=%d %-5p %c - %m%n\n")
                   .arg(QDir::fromNativeSeparators(logFile))
                   .toUtf8());
    file.close();
    return Log4Qt::PropertyConfigurator::configure(properties);
}
