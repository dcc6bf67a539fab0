#ifndef SCANRUNNER_H
#define SCANRUNNER_H

#include "contracts/mmobiletypes.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <atomic>
#include <memory>
#include <mutex>

namespace MMobile {
class ICategoryDataSource;
class IDevice;
class IMDGetter;
class ITaskCtrl;
struct ImportExportConfigure;
} // namespace MMobile

// Releases a data source when it goes.
struct SourceRelease
{
    void operator()(MMobile::ICategoryDataSource* source) const;
};
using SourcePtr = std::unique_ptr<MMobile::ICategoryDataSource, SourceRelease>;

// Runs one engine task to its end the way a page would, recording every
// report the engine makes (from its own thread, under a lock). A test may
// make the callback answer false at the n-th report with a given status.
class ScanRunner
{
public:
    struct Report
    {
        int type;
        int status;
        int percent;
        QByteArray label;
        unsigned int getterCount; // the source's getter count when reported
    };

    explicit ScanRunner(MMobile::ICategoryDataSource* source);

    // Starts the scan and waits for its end status; -1 when it did not start
    // or did not end within the time limit.
    int Scan();
    int Export(const MMobile::ImportExportConfigure& config);
    // Exports every item of the scanned source into `folder`, as a recovery to
    // the computer; the end status.
    int ExportAll(MMobile::MDType type, const QString& folder);
    // Scans `type` of `device` into `source`: its getter after a complete
    // scan, else null.
    static MMobile::IMDGetter* ScanInto(SourcePtr& source, MMobile::IDevice& device,
                                        MMobile::MDType type);
    // Answer false at the n-th report (from 1), whatever it is.
    void StopAtReport(int n) { m_stopReport = n; }

    QVector<Report> Reports();
    // The phase code of the first report whose label is none of 0, 1 and 9.
    QByteArray BackupError();

private:
    static bool Callback(void* context, MMobile::MDType type, int status, int percent,
                         const char* lable);
    int Wait(MMobile::ITaskCtrl* task);

    MMobile::ICategoryDataSource* m_source;
    std::mutex m_mutex;
    QVector<Report> m_reports;
    std::atomic<int> m_stopReport{-1};
};

#endif // SCANRUNNER_H
