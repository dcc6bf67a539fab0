#include "log4qt/propertyconfigurator.h"

#include "log4cxxbridge.h"

#include <QFileInfo>

#include <log4cxx/logmanager.h>
#include <log4cxx/propertyconfigurator.h>

namespace Log4Qt {

bool PropertyConfigurator::configure(const QString& fileName)
{
    const QFileInfo info(fileName);
    if (!info.isFile() || !info.isReadable())
        return false;
    Bridge::ensureConfigured();
    // The file replaces the default rather than adding to it.
    log4cxx::LogManager::resetConfiguration();
    log4cxx::PropertyConfigurator::configure(log4cxx::File(Bridge::toLogString(fileName)));
    return true;
}

void PropertyConfigurator::resetConfiguration()
{
    Bridge::resetToDefault();
}

} // namespace Log4Qt
