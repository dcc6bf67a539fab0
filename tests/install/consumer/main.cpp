// Builds the README's page against the installed libraries and uses one
// exported name of each, the way a plug-in and its host do.
#include "contactspage.h"

#include "contracts/deviceentry.h"
#include "contracts/iuipluginsetting.h"
#include "contracts/mmobile.h"
#include "log4qt/logger.h"
#include "makeoutputpath.h"
#include "store/taskitem.h"

#include <QApplication>
#include <QImageReader>
#include <QTranslator>
#include <cstdio>
#include <cstring>

// A plug-in sees only the product: the package passes no test switch.
#ifdef CATEGORYPANEL_BUILD_TESTS
#error "the package passes the library's test switch to plug-ins"
#endif
#if QT_VERSION_MAJOR != CONSUMER_QT_MAJOR
#error "the package brought another Qt than the plug-in's"
#endif

namespace {

class Host : public IUIPluginSetting
{
public:
    QWidget* GetParentWidget() override { return nullptr; }
    const char* GetOutputDir() override { return ""; }
    void SetOutputDir(const char*) override {}
    const char* GetSkinDir(int) override { return ""; }
    DeviceEntry* GetDeviceList(unsigned int* count) override
    {
        *count = 0;
        return nullptr;
    }
    void OnPluginClose(MMobile::MDType) override { ++closes; }
    void OnOperationFailed(MMobile::MDType) override {}
    void OnRecoverResult(int, MMobile::MDType, int) override {}
    int closes = 0;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TaskItem store(MMobile::MD_CONTACT);
    if (store.GetName() != QLatin1String("Contacts") || store.GetDataCountEx() != 0)
        return 1;
    char path[1024] = {0};
    if (!MakeOutputPath("/tmp/out/", nullptr, MMobile::MD_CONTACT, path, sizeof path))
        return 2;
    if (std::strncmp(path, "/tmp/out/", 9) != 0)
        return 3;

    Host host;
    IUIDataPlugin* page = new ContactsPage(&host);
    if (page->Load(nullptr, nullptr) != nullptr || page->IsLoad(nullptr))
        return 4;
    page->ClosePlugin();
    page->Free();
    if (host.closes != 1)
        return 5;
    // The catalogues and the HEIC reader lie where the package says.
    QTranslator german;
    if (!german.load(QStringLiteral("categorypanel_de"),
                     QStringLiteral(CATEGORYPANEL_TRANSLATIONS)))
        return 6;
    QCoreApplication::installTranslator(&german);
    if (CategoryPanel::tr("Contacts") == QLatin1String("Contacts"))
        return 7;
    QCoreApplication::addLibraryPath(QStringLiteral(CATEGORYPANEL_PLUGINS));
    if (!QImageReader::supportedImageFormats().contains("heic"))
        return 8;
    Log4Qt::Logger::logger("consumer")->info(QStringLiteral("plug-in linked"));
    std::printf("%s\n", path);
    return 0;
}
