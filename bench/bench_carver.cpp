// Throughput of the SQLite record carver on a database of about 32 MB with
// every seventh row deleted, against a plain sequential read of the same
// pages (a checksum over every 64-bit word) in the same process. After the
// Google Benchmark runs it prints the best of several interleaved rounds of
// both, in MB of pages per second, and their ratio; then, when the forensic
// corpus lies beside the repository, the carver's score on it by category.

#include "carver.h"
#ifdef CARVER_CORPUS_DIR
#include "corpusscorer.h"
#endif

#include <benchmark/benchmark.h>

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// The database, built once with SQLite in a temporary file.
const std::vector<uint8_t>& Database()
{
    static std::vector<uint8_t> bytes = [] {
        char path[] = "/tmp/bench_carver_XXXXXX";
        const int fd = mkstemp(path);
        if (fd >= 0)
            close(fd);
        sqlite3* db = nullptr;
        sqlite3_open(path, &db);
        sqlite3_exec(db,
                     "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA secure_delete=OFF;"
                     "CREATE TABLE message(id INTEGER PRIMARY KEY, chat INTEGER, date REAL,"
                     " sender TEXT, body TEXT, flags INTEGER);"
                     "CREATE TABLE chat(id INTEGER PRIMARY KEY, name TEXT, members INTEGER);",
                     nullptr, nullptr, nullptr);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO message VALUES(?,?,?,?,?,?)", -1, &insert, nullptr);
        std::string body;
        for (int i = 1; i <= 260000; ++i) {
            body = "message " + std::to_string(i) + " about the plans for the weekend, see you";
            body.resize(40 + (i * 37) % 120, 'x');
            sqlite3_bind_int(insert, 1, i);
            sqlite3_bind_int(insert, 2, i % 97);
            sqlite3_bind_double(insert, 3, 7e8 + i * 13.25);
            sqlite3_bind_text(insert, 4, i % 2 ? "+4915112345678" : "anna@example.org", -1,
                              SQLITE_STATIC);
            sqlite3_bind_text(insert, 5, body.c_str(), int(body.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int(insert, 6, i % 5);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_exec(db, "COMMIT; DELETE FROM message WHERE id % 7 = 0;", nullptr, nullptr,
                     nullptr);
        sqlite3_close(db);
        std::ifstream in(path, std::ios::binary);
        std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), {});
        std::remove(path);
        return data;
    }();
    return bytes;
}

size_t CarveOnce()
{
    SqliteCarve::Carver carver;
    std::string error;
    size_t records = 0;
    if (carver.openBytes(Database(), {}, {}, &error))
        carver.run([&](const SqliteCarve::CarvedRecord&) { ++records; });
    return records;
}

uint64_t ReadOnce()
{
    // The same copy into memory the carver makes, then every word once.
    const std::vector<uint8_t> copy = Database();
    uint64_t sum = 0;
    for (size_t i = 0; i + 8 <= copy.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, copy.data() + i, 8);
        sum += word;
    }
    return sum;
}

void BM_Carve(benchmark::State& state)
{
    size_t records = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(records = CarveOnce());
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Database().size()));
    state.counters["records"] = double(records);
}
BENCHMARK(BM_Carve)->Unit(benchmark::kMillisecond);

void BM_SequentialRead(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadOnce());
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Database().size()));
}
BENCHMARK(BM_SequentialRead)->Unit(benchmark::kMillisecond);

// CPU time of this thread: the figure is per core, whatever else the
// machine runs.
double ThreadSeconds()
{
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

void PrintComparison()
{
    const double megabytes = double(Database().size()) / 1e6;
    double carve = 1e30, read = 1e30;
    size_t records = 0;
    for (int round = 0; round < 5; ++round) {
        double start = ThreadSeconds();
        records = CarveOnce();
        carve = std::min(carve, ThreadSeconds() - start);
        start = ThreadSeconds();
        benchmark::DoNotOptimize(ReadOnce());
        read = std::min(read, ThreadSeconds() - start);
    }
    std::printf("\n%.1f MB of pages, %zu records carved\n", megabytes, records);
    std::printf("CPU time, best of 5: carve %.1f ms (%.0f MB/s, target 100), sequential read "
                "%.1f ms (%.0f MB/s), ratio %.1f\n",
                carve * 1e3, megabytes / carve, read * 1e3, megabytes / read, carve / read);
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintComparison();
#ifdef CARVER_CORPUS_DIR
    CorpusScorer scorer;
    if (scorer.run(QStringLiteral(CARVER_CORPUS_DIR)))
        std::printf("\nSQLite forensic corpus\n%s", qPrintable(scorer.table()));
#endif
    return 0;
}
