#ifndef TESTPAGE_H
#define TESTPAGE_H

#include "fakedatasource.h"
#include "fakedevice.h"
#include "fakegetter.h"
#include "fakehost.h"
#include "fakeitem.h"
#include "faketask.h"
#include "modaldialoganswerer.h"

#include "plugin/categorypanel.h"
#include "store/taskitem.h"

#include <QPushButton>
#include <QTemporaryDir>

#include <memory>

const int kTimeout = 10000;

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

    int weChatIndex = -1;
    bool recoverBefore = true;
    QVector<MMobile::IDevice*> recoverBeforeTargets;

    using CategoryPanel::CheckSeletedItem;
    using CategoryPanel::Export;
    using CategoryPanel::Import;
    using CategoryPanel::isExistExportData;
    using CategoryPanel::m_outputPath;
    using CategoryPanel::m_pFixLspParam;
    using CategoryPanel::m_pFolderDialog;
    using CategoryPanel::m_pProgressDialog;
    using CategoryPanel::m_recoverMode;
    using CategoryPanel::m_status;

    TaskItem* store() const { return m_pTaskItem; }
    QPushButton* button(const char* name) { return findChild<QPushButton*>(QLatin1String(name)); }

protected:
    int GetExportOption() override { return 7; }
    int GetExportWeChatIndex() override { return weChatIndex; }
    bool OnRecoverBefore(MMobile::IDevice* target) override
    {
        recoverBeforeTargets << target;
        return recoverBefore && CategoryPanel::OnRecoverBefore(target);
    }
};

// `count` new owned, record-less items of `getter`, not yet in its list.
inline QVector<MMobile::IMDCommon*> newItems(FakeGetter* getter, int count, bool deleted = false)
{
    QVector<MMobile::IMDCommon*> items;
    for (int i = 0; i < count; ++i)
        items << getter->adopt(std::make_unique<FakeItem>(nullptr, deleted));
    return items;
}

// An owned, record-less item put at the front of `getter`.
inline FakeItem* prependItem(FakeGetter* getter, bool deleted)
{
    auto* item = static_cast<FakeItem*>(newItems(getter, 1, deleted).first());
    getter->prepend({item});
    return item;
}

inline FakeTaskScript completeScan()
{
    FakeTaskScript script;
    script.report(MMobile::TASK_BEGIN, 0, "1");
    script.report(MMobile::TASK_COMPLETE, 100, "0");
    return script;
}

// A host, a device and the data source of one category.
struct PageHost
{
    explicit PageHost(MMobile::MDType type) : device("Anna's iPhone"), source(type)
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

// A page on them, with an answerer for its dialogs that leaves the page
// itself and the progress dialog alone.
struct PageWorld : PageHost
{
    explicit PageWorld(MMobile::MDType type, bool withCallback = false)
        : PageHost(type), page(&host, type), callback(withCallback ? &host : nullptr)
    {
        page.show();
        answerer.ignore(QStringLiteral("TestPage"));
        answerer.ignore(QStringLiteral("RecoverProgressDialog"));
    }

    // Loads the page with `scan` as its scan; the scan task, or null.
    FakeTask* load(const FakeTaskScript& scan)
    {
        source.setScanScript(scan);
        return page.Load(&device, callback) ? source.lastTask() : nullptr;
    }
    FakeTask* load() { return load(script); }
    // A data report of the scan that hands over `count` new items.
    FakeTaskScript::Step& data(int percent, int count)
    {
        return script.report(MMobile::TASK_DATA, percent, "0")
            .prepending(getter, newItems(getter, count));
    }
    int closes() const { return host.events(QStringLiteral("OnPluginClose")).size(); }

    TestPage page;
    ILoadCallback* callback;
    FakeGetter* const getter = source.dataGetter();
    FakeTaskScript script; // the scan load() plays
    ModalDialogAnswerer answerer;
};

#endif // TESTPAGE_H
