// Scanning the messages of a sample backup (the largest category of a
// phone) and exporting its contacts, at a few sizes of the sample. The
// backups are written once per size, outside the timed loops.

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

#include <atomic>
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
    folders[scale] = folder;
    return folder;
}

void BM_ScanMessages(benchmark::State& state)
{
    const QString folder = Backup(static_cast<int>(state.range(0)));
    if (folder.isEmpty()) {
        state.SkipWithError("cannot write the sample backup");
        return;
    }
    BackupDevice device(folder);
    unsigned int conversations = 0;
    for (auto _ : state) {
        MMobile::ICategoryDataSource* source = device.GetDataSource(MMobile::MD_MESSAGE);
        if (enginetasks::Run(source->StartScan(1, &enginetasks::Quiet, nullptr)) !=
            MMobile::TASK_COMPLETE)
            state.SkipWithError("scan failed");
        conversations = source->GetDataGetter()->GetCount();
        source->Release();
    }
    state.counters["conversations"] = conversations;
    state.counters["messages"] = conversations * 75.0;
}
BENCHMARK(BM_ScanMessages)->Arg(1)->Arg(10)->Arg(34)->Unit(benchmark::kMillisecond);

// The share of BM_ScanMessages that goes to the deleted records: the read
// reports 40 % where carving begins and 50 % where it hands over, so the
// growth is carving time over the rest of the scan, taken in the same run.
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
        if (percent >= 50 && clock->read < 0)
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
        if (clock.carving >= 0 && clock.read >= clock.carving) {
            carving += double(clock.read - clock.carving);
            rest += double(total - (clock.read - clock.carving));
        }
    }
    state.counters["growth_pct"] = rest > 0 ? 100.0 * carving / rest : 0;
}
BENCHMARK(BM_ScanMessagesCarving)->Arg(34)->Unit(benchmark::kMillisecond)->Iterations(5);

// The baseline of BM_ScanMessages: the same messages read by SQLite alone,
// every column stepped over, nothing converted or kept.
void BM_SelectMessagesBaseline(benchmark::State& state)
{
    const QString folder = Backup(static_cast<int>(state.range(0)));
    const QByteArray id =
        QCryptographicHash::hash("HomeDomain-Library/SMS/sms.db", QCryptographicHash::Sha1).toHex();
    const QByteArray path = QDir(folder).filePath(id.left(2) + '/' + id).toUtf8();
    const QByteArray uri = "file:" + path + "?immutable=1";
    sqlite3* db = nullptr;
    if (folder.isEmpty() ||
        sqlite3_open_v2(uri.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) !=
            SQLITE_OK) {
        sqlite3_close(db);
        state.SkipWithError("cannot open sms.db");
        return;
    }
    const char* sql = "SELECT cmj.chat_id, m.ROWID, m.text, m.handle_id, m.date, m.is_from_me "
                      "FROM chat_message_join cmj JOIN message m ON m.ROWID = cmj.message_id "
                      "ORDER BY cmj.chat_id, m.date, m.ROWID";
    std::int64_t rows = 0;
    for (auto _ : state) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
        rows = 0;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            for (int column = 0; column < 6; ++column)
                benchmark::DoNotOptimize(sqlite3_column_text(statement, column));
            ++rows;
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    state.counters["messages"] = static_cast<double>(rows);
}
BENCHMARK(BM_SelectMessagesBaseline)->Arg(34)->Unit(benchmark::kMillisecond);

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
