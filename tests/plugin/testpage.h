#ifndef TESTPAGE_H
#define TESTPAGE_H

#include "fakedatasource.h"
#include "fakedevice.h"
#include "fakegetter.h"
#include "fakehost.h"
#include "fakeitem.h"
#include "faketask.h"

#include "plugin/categorypanel.h"
#include "store/taskitem.h"

#include <QTemporaryDir>

#include <memory>

// A category page as a plug-in derives it, with its protected parts opened
// for the tests.
class TestPage : public CategoryPanel
{
    Q_OBJECT

public:
    TestPage(IUIPluginSetting* setting, MMobile::MDType type, bool showDeviceButton = true)
        : CategoryPanel(setting, type, showDeviceButton)
    {
    }

    int exportOption = 7;
    int weChatIndex = -1;
    bool recoverBefore = true;
    QVector<MMobile::IDevice*> recoverBeforeTargets;

    using CategoryPanel::CheckSeletedItem;
    using CategoryPanel::m_bClosing;
    using CategoryPanel::m_outputPath;
    using CategoryPanel::m_pFixLspParam;
    using CategoryPanel::m_pFolderDialog;
    using CategoryPanel::m_pMessageDialog;
    using CategoryPanel::m_pProgressDialog;
    using CategoryPanel::m_pTaskItem;
    using CategoryPanel::m_recoverMode;
    using CategoryPanel::m_status;
    using CategoryPanel::ShowProgress;

    TaskItem* store() const { return m_pTaskItem; }

protected:
    int GetExportOption() override { return exportOption; }
    int GetExportWeChatIndex() override { return weChatIndex; }
    bool OnRecoverBefore(MMobile::IDevice* target) override
    {
        recoverBeforeTargets << target;
        return recoverBefore;
    }
};

// An owned, record-less item put at the front of `getter`.
inline FakeItem* prependItem(FakeGetter* getter, bool deleted)
{
    FakeItem* item = getter->adopt(std::make_unique<FakeItem>(nullptr, deleted));
    getter->prepend(item);
    return item;
}

// A host, a device and the data source of one category, ready for a page.
struct PageWorld
{
    explicit PageWorld(MMobile::MDType type, const char* deviceName = "Test iPhone")
        : device(deviceName), source(type)
    {
        device.setDataSource(type, &source);
        host.setSkinDir(-1, resources.path() + QLatin1Char('/'));
        host.setSkinDir(int(type), resources.path() + QLatin1Char('/'));
        host.setOutputDir(resources.path());
    }

    QTemporaryDir resources;
    FakeHost host;
    FakeDevice device;
    FakeDataSource source;
};

#endif // TESTPAGE_H
