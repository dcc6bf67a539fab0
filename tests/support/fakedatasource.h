#ifndef FAKEDATASOURCE_H
#define FAKEDATASOURCE_H

#include "faketaskscript.h"

#include "contracts/icategorydatasource.h"
#include "contracts/importexportconfigure.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <mutex>
#include <vector>

class FakeGetter;
class FakeTask;

// The category data source a FakeDevice hands out. It owns its data getter
// and every task it started (joined when it goes); it has no named getters
// (the page tests on the engine cover those). The test owns the data source
// itself, so Release() is only counted.
//
// Import and export tasks start running from their start call, as the
// engine's do; a scan task waits for Start().
//
// Set the scripts before the page starts a task: each StartScan, StartImport
// and StartExport makes a new FakeTask playing a copy of the script of its kind
// and records what it was given, the configuration deep-copied as the engine
// must do. The getters are handed out to the engine's threads under a lock;
// everything else is for the GUI thread, where pages start and release.
class FakeDataSource : public MMobile::ICategoryDataSource
{
public:
    enum Kind { Scan, Import, Export };

    // One StartScan, StartImport or StartExport call.
    struct StartCall
    {
        Kind kind = Scan;
        int mode = 0; // StartScan's mode argument
        void* context = nullptr;
        MMobile::ImportExportConfigure config; // copy made during the call
        FakeTask* task = nullptr;              // null when the start failed

        // "Export type 1 mode 3 option 7 to <device name or none> items 0,2 in <path>"
        QString text() const;
    };

    explicit FakeDataSource(MMobile::MDType type);

    FakeDataSource(const FakeDataSource&) = delete;
    FakeDataSource& operator=(const FakeDataSource&) = delete;

    MMobile::IMDGetter* GetNamedGetter(const char* name) override;
    MMobile::ITaskCtrl* StartScan(int mode, MMobile::TaskCallBack callback, void* context) override;
    MMobile::IMDGetter* GetDataGetter() override;
    MMobile::ITaskCtrl* StartImport(const MMobile::ImportExportConfigure* config,
                                    MMobile::TaskCallBack callback, void* context) override;
    MMobile::ITaskCtrl* StartExport(const MMobile::ImportExportConfigure* config,
                                    MMobile::TaskCallBack callback, void* context) override;
    void Release() override;

    // The category's getter; GetDataGetter() hands it out unless hidden.
    FakeGetter* dataGetter() const { return m_dataGetter.get(); }
    // GetDataGetter() answers null while hidden.
    void setDataGetterHidden(bool hidden);

    void setScript(Kind kind, const FakeTaskScript& script);
    void setScanScript(const FakeTaskScript& script) { setScript(Scan, script); }
    // Starts of `kind` return null (the call is still recorded).
    void setStartFails(Kind kind, bool fails);

    int startCount(Kind kind) const;
    // The last call of `kind`; a default StartCall when there is none.
    StartCall lastStart(Kind kind) const;
    // The task of the last successful start of any kind, or null.
    FakeTask* lastTask() const;
    int dataGetterRequests() const;
    int releaseCalls() const;

private:
    MMobile::ITaskCtrl* start(Kind kind, int mode, const MMobile::ImportExportConfigure* config,
                              MMobile::TaskCallBack callback, void* context);

    const MMobile::MDType m_type;
    mutable std::mutex m_mutex;
    std::unique_ptr<FakeGetter> m_dataGetter;
    bool m_dataGetterHidden = false;
    FakeTaskScript m_scripts[3];
    bool m_startFails[3] = {false, false, false};
    std::vector<StartCall> m_calls;
    int m_dataGetterRequests = 0;
    int m_releaseCalls = 0;
    // Last, so that the tasks are joined first: a script may still be
    // growing a getter or asking for one.
    std::vector<std::unique_ptr<FakeTask>> m_tasks;
};

#endif // FAKEDATASOURCE_H
