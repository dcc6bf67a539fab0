// Twenty scans of the messages on one device, each source released before
// the next: the items of a released source go back, so the heap in use stops
// growing once the first scans have settled it, and the process stays within
// two scans' worth however often the category is scanned.

#include "backgroundfree.h"
#include "backupdevice.h"
#include "contracts/mmobile.h"
#include "samplebackupwriter.h"
#include "scanrunner.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <malloc.h>
#include <unistd.h>

using namespace MMobile;

namespace {

// Resident bytes after the allocator gave back what it could.
qint64 ResidentBytes()
{
    malloc_trim(0);
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toLongLong() * sysconf(_SC_PAGESIZE);
}

// Bytes the allocator has handed out and not had back, over all its arenas:
// unlike the resident size, this does not move with how the heap is laid out.
qint64 HeapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
}

} // namespace

class TestRescanMemory : public QObject
{
    Q_OBJECT

private slots:
    void twentyRescansStayFlat();
};

void TestRescanMemory::twentyRescansStayFlat()
{
    QTemporaryDir dir;
    SampleBackupWriter::Options options;
    options.scale = 6;
    options.media = false;
    SampleBackupWriter writer(options);
    QVERIFY2(writer.Write(dir.path()), qPrintable(writer.ErrorText()));
    BackupDevice device(dir.path());

    // One scan; the source stays when `keep` is given.
    const auto scan = [&device](ICategoryDataSource** keep = nullptr) {
        ICategoryDataSource* source = device.GetDataSource(MD_MESSAGE);
        ScanRunner runner(source);
        const int status = runner.Scan();
        const unsigned int count = source->GetDataGetter()->GetCount();
        if (keep)
            *keep = source;
        else
            source->Release();
        // The source's items are freed on the engine's freeing thread.
        BackgroundFree::Wait();
        return status == TASK_COMPLETE ? int(count) : -1;
    };

    // One scan's worth: what the process holds while a scan's items live.
    // The first scan also brings in the allocator's arenas and the
    // database's pages, so the levels are taken after it.
    QVERIFY(scan() > 0);
    const qint64 level = ResidentBytes();
    const qint64 heapLevel = HeapInUse();
    ICategoryDataSource* kept = nullptr;
    const int items = scan(&kept);
    QVERIFY(items > 0);
    const qint64 withItems = ResidentBytes();
    const qint64 oneScanHeap = HeapInUse() - heapLevel;
    kept->Release();
    BackgroundFree::Wait();
    // What the items take is what their release gives back: the level above
    // may hold free memory at the top of a thread's arena, which the
    // allocator keeps resident, and the items may reuse it.
    const qint64 oneScan = withItems - ResidentBytes();

    // A leak grows the heap in use by the same amount on every scan; the
    // resident size also moves with how the allocator lays out its arenas,
    // so it is held to a loose bound over the whole run, and the heap in use
    // to a tight one over the last ten scans, once the first ten settled it.
    for (int i = 2; i < 10; ++i)
        QCOMPARE(scan(), items);
    const qint64 settledHeap = HeapInUse();
    for (int i = 10; i < 20; ++i)
        QCOMPARE(scan(), items);
    const qint64 growth = ResidentBytes() - level;
    const qint64 heapGrowth = HeapInUse() - settledHeap;
    const QString figures = QStringLiteral("resident grew %1 KiB (one scan %2 KiB); heap in use "
                                           "grew %3 KiB over the last ten scans (one scan %4 KiB)")
                                .arg(growth / 1024)
                                .arg(oneScan / 1024)
                                .arg(heapGrowth / 1024)
                                .arg(oneScanHeap / 1024);
    qInfo("%s", qPrintable(figures));
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    // The sanitizers hold freed memory back (quarantine, shadow); the scans
    // above still run under them, the figures are for the plain build.
    QSKIP("memory figures are not meaningful under a sanitizer");
#endif
    QVERIFY(oneScan > 0 && oneScanHeap > 0);
    // Ten scans leaking a fiftieth of their items each would add a fifth.
    QVERIFY2(heapGrowth * 5 <= oneScanHeap, qPrintable(figures));
    QVERIFY2(growth <= 2 * oneScan, qPrintable(figures));
}

QTEST_GUILESS_MAIN(TestRescanMemory)
#include "tst_rescanmemory.moc"
