#include "log4cxxbridge.h"

#include <log4cxx/consoleappender.h>
#include <log4cxx/logmanager.h>
#include <log4cxx/patternlayout.h>

#include <mutex>

namespace Log4Qt {
namespace Bridge {

namespace {

std::mutex& configMutex()
{
    static std::mutex mutex;
    return mutex;
}

bool g_configured = false;

void applyDefaultLocked()
{
    // Reading the repository runs log4cxx's own default configuration first.
    log4cxx::LogManager::getLoggerRepository();
    log4cxx::LoggerPtr root = log4cxx::Logger::getRootLogger();
    if (!root->getAllAppenders().empty())
        return;
    auto layout = std::make_shared<log4cxx::PatternLayout>(
        LOG4CXX_STR("%d{yyyy-MM-dd HH:mm:ss} %-5p %c - %m%n"));
    auto console = std::make_shared<log4cxx::ConsoleAppender>(
        layout, log4cxx::ConsoleAppender::getSystemErr());
    root->addAppender(console);
    root->setLevel(log4cxx::Level::getInfo());
}

} // namespace

void ensureConfigured()
{
    std::lock_guard<std::mutex> lock(configMutex());
    if (g_configured)
        return;
    applyDefaultLocked();
    g_configured = true;
}

void resetToDefault()
{
    std::lock_guard<std::mutex> lock(configMutex());
    log4cxx::LogManager::resetConfiguration();
    applyDefaultLocked();
    g_configured = true;
}

log4cxx::LoggerPtr loggerFor(const QString& name)
{
    ensureConfigured();
    if (name.isEmpty())
        return log4cxx::Logger::getRootLogger();
    return log4cxx::Logger::getLogger(toLogString(name));
}

} // namespace Bridge
} // namespace Log4Qt
