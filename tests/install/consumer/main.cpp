// Uses one exported name of each installed library, the way a plug-in does.
#include "contracts/mmobile.h"
#include "log4qt/logger.h"
#include "makeoutputpath.h"
#include "store/taskitem.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TaskItem store(MMobile::MD_CONTACT);
    if (store.GetName() != QLatin1String("Contacts") || store.GetDataCountEx() != 0)
        return 1;
    char path[1024] = {0};
    if (!MakeOutputPath("/tmp/out/", nullptr, MMobile::MD_CONTACT, path, sizeof path))
        return 2;
    if (std::strncmp(path, "/tmp/out/", 9) != 0)
        return 3;
    Log4Qt::Logger::logger("consumer")->info(QStringLiteral("plug-in linked"));
    std::printf("%s\n", path);
    return 0;
}
