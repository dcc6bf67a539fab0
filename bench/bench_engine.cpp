// Scanning the messages of a sample backup (the largest category of a
// phone) and exporting its contacts, at a few sizes of the sample. The
// backups are written once per size, outside the timed loops.

#include "backgroundfree.h"
#include "backupdevice.h"
#include "contracts/mmobile.h"
#include "enginetasks.h"
#include "samplebackupwriter.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <ctime>
#include <map>
#include <memory>

namespace {

QTemporaryDir& Root()
{
    static QTemporaryDir dir;
    return dir;
}

// The folder of a sample backup of `scale`, written on first use.
QString Backup(int scale)
{
    static std::map<int, QString> folders;
    auto it = folders.find(scale);
    if (it != folders.end())
        return it->second;
    SampleBackupWriter::Options options;
    options.scale = scale;
    options.media = false;
    options.deletions = true;
    SampleBackupWriter writer(options);
    const QString folder = QDir(Root().path()).filePath(QString::number(scale));
    if (!writer.Write(folder))
        return QString();
    // On disk before anything is timed: the system writing the sample back
    // meanwhile would be timed with the scan.
    sync();
    folders[scale] = folder;
    return folder;
}

// The messages SQLite alone reads from sms.db with the scan's own SELECT
// (live and recently deleted joins, attributedBody), every column stepped
// over, nothing converted or kept; -1 when the database cannot be opened.
std::int64_t SelectMessages(const QString& folder)
{
    const QByteArray id =
        QCryptographicHash::hash("HomeDomain-Library/SMS/sms.db", QCryptographicHash::Sha1).toHex();
    const QByteArray path = QDir(folder).filePath(id.left(2) + '/' + id).toUtf8();
    const QByteArray uri = "file:" + path + "?immutable=1";
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(uri.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return -1;
    }
    const char* sql =
        "SELECT j.chat_id, m.ROWID, m.text, m.handle_id, m.date, m.is_from_me, m.attributedBody, "
        "j.recovered FROM (SELECT chat_id, message_id, 0 AS recovered FROM chat_message_join "
        "UNION ALL SELECT chat_id, message_id, 1 FROM chat_recoverable_message_join) j JOIN "
        "message m ON m.ROWID = j.message_id ORDER BY j.chat_id, m.date, m.ROWID";
    sqlite3_stmt* statement = nullptr;
    std::int64_t rows = -1;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK) {
        rows = 0;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            for (int column = 0; column < 8; ++column)
                benchmark::DoNotOptimize(sqlite3_column_blob(statement, column));
            ++rows;
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

// CPU time of the whole process (the scan runs on a thread of its own), in
// ms: on a shared machine the wall clock mostly measures the neighbours.
double ProcessCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The process's peak resident size so far, in bytes.
double PeakRss()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) * 1024.0;
}

// A whole message scan (backup phase, reading, handing over to the getter)
// against SQLite alone running its SELECT, timed side by side in each round,
// best round of each: in CPU time of the process (every thread of the scan,
// the carving one included: what the scan costs) and in wall-clock time (how
// long the user waits; the carving overlaps the live read on a second core).
// The peak memory growth of the first scan counts per message, so run one
// size per process to read it.
void BM_ScanMessages(benchmark::State& state)
{
    const QString folder = Backup(static_cast<int>(state.range(0)));
    if (folder.isEmpty()) {
        state.SkipWithError("cannot write the sample backup");
        return;
    }
    BackupDevice device(folder);
    std::int64_t messages = 0;
    double bestScan = 1e300;
    double bestSelect = 1e300;
    double wallScan = 1e300;
    double wallSelect = 1e300;
    double growth = -1;
    for (auto _ : state) {
        const double peakBefore = PeakRss();
        QElapsedTimer timer;
        timer.start();
        double cpu = ProcessCpuMs();
        MMobile::ICategoryDataSource* source = device.GetDataSource(MMobile::MD_MESSAGE);
        if (enginetasks::Run(source->StartScan(1, &enginetasks::Quiet, nullptr)) !=
            MMobile::TASK_COMPLETE)
            state.SkipWithError("scan failed");
        bestScan = std::min(bestScan, ProcessCpuMs() - cpu);
        wallScan = std::min(wallScan, timer.nsecsElapsed() / 1e6);
        messages = 0;
        for (unsigned int i = 0; i < source->GetDataGetter()->GetCount(); ++i) {
            auto* chat =
                MMobile::record_cast<MMobile::IMessage>(source->GetDataGetter()->GetItem(i));
            messages += chat ? chat->GetEntryCount() : 0;
        }
        if (growth < 0)
            growth = PeakRss() - peakBefore;
        source->Release();
        // The items go back on the engine's freeing thread: not while the
        // SELECT or the next scan is timed.
        BackgroundFree::Wait();
        state.PauseTiming();
        timer.restart();
        cpu = ProcessCpuMs();
        if (SelectMessages(folder) < 0)
            state.SkipWithError("cannot read sms.db");
        bestSelect = std::min(bestSelect, ProcessCpuMs() - cpu);
        wallSelect = std::min(wallSelect, timer.nsecsElapsed() / 1e6);
        state.ResumeTiming();
    }
    state.counters["messages"] = static_cast<double>(messages);
    state.counters["scan_ms"] = bestScan;
    state.counters["select_ms"] = bestSelect;
    state.counters["wall_scan_ms"] = wallScan;
    state.counters["wall_select_ms"] = wallSelect;
    state.counters["messages_per_s"] = messages / (bestScan / 1e3);
    state.counters["ratio"] = bestScan / bestSelect;
    state.counters["wall_messages_per_s"] = messages / (wallScan / 1e3);
    state.counters["wall_ratio"] = wallScan / wallSelect;
    state.counters["peak_bytes_per_message"] = messages > 0 ? growth / messages : 0;
}
BENCHMARK(BM_ScanMessages)->Arg(1)->Arg(34)->Arg(64)->Unit(benchmark::kMillisecond)->Iterations(5);

// The share of BM_ScanMessages that goes to the deleted records: the read
// reports 40 % where carving begins; the pass ends when the scan hands its
// first items over (the first report with data), after the carved rows were
// read back into records, which the read reports at 50 % already. The growth
// is carving time over the rest of the scan, taken in the same run.
struct CarvingClock
{
    QElapsedTimer timer;
    std::atomic<qint64> carving{-1}, read{-1};

    static bool Report(void* context, MMobile::MDType, int status, int percent, const char* phase)
    {
        auto* clock = static_cast<CarvingClock*>(context);
        if (!phase || qstrcmp(phase, "0") != 0)
            return true;
        if (status == MMobile::TASK_PERCENT && percent >= 40 && clock->carving < 0)
            clock->carving = clock->timer.nsecsElapsed();
        if (status == MMobile::TASK_DATA && clock->read < 0)
            clock->read = clock->timer.nsecsElapsed();
        return true;
    }
};

void BM_ScanMessagesCarving(benchmark::State& state)
{
    const QString folder = Backup(static_cast<int>(state.range(0)));
    if (folder.isEmpty()) {
        state.SkipWithError("cannot write the sample backup");
        return;
    }
    BackupDevice device(folder);
    double carving = 0, rest = 0;
    for (auto _ : state) {
        CarvingClock clock;
        clock.timer.start();
        MMobile::ICategoryDataSource* source = device.GetDataSource(MMobile::MD_MESSAGE);
        if (enginetasks::Run(source->StartScan(1, &CarvingClock::Report, &clock)) !=
            MMobile::TASK_COMPLETE)
            state.SkipWithError("scan failed");
        const qint64 total = clock.timer.nsecsElapsed();
        source->Release();
        BackgroundFree::Wait();
        if (clock.carving >= 0 && clock.read >= clock.carving) {
            carving += double(clock.read - clock.carving);
            rest += double(total - (clock.read - clock.carving));
        }
    }
    state.counters["growth_pct"] = rest > 0 ? 100.0 * carving / rest : 0;
}
BENCHMARK(BM_ScanMessagesCarving)->Arg(34)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ExportContacts(benchmark::State& state)
{
    const QString folder = Backup(static_cast<int>(state.range(0)));
    BackupDevice device(folder);
    MMobile::ICategoryDataSource* source = device.GetDataSource(MMobile::MD_CONTACT);
    if (folder.isEmpty() || enginetasks::Run(source->StartScan(1, &enginetasks::Quiet, nullptr)) !=
                                MMobile::TASK_COMPLETE) {
        state.SkipWithError("scan failed");
        source->Release();
        return;
    }
    int run = 0;
    for (auto _ : state) {
        MMobile::ImportExportConfigure config;
        config.nMode = MMobile::RECOVER_TO_PC;
        config.SetPath(QDir(Root().path())
                           .filePath(QStringLiteral("export%1").arg(run++))
                           .toUtf8()
                           .constData());
        if (enginetasks::Run(source->StartExport(&config, &enginetasks::Quiet, nullptr), false) !=
            MMobile::TASK_COMPLETE)
            state.SkipWithError("export failed");
    }
    state.counters["contacts"] = source->GetDataGetter()->GetCount();
    source->Release();
}
BENCHMARK(BM_ExportContacts)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
