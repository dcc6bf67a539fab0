// Twenty scans of the messages on one device, each source released before
// the next: the items of a released source go back, so the process grows by
// no more than one scan's worth however often the category is scanned.

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
        return status == TASK_COMPLETE ? int(count) : -1;
    };

    // One scan's worth: what the process holds while a scan's items live.
    // The first scan also brings in the allocator's arenas and the
    // database's pages, so the level is taken after it.
    QVERIFY(scan() > 0);
    const qint64 level = ResidentBytes();
    ICategoryDataSource* kept = nullptr;
    const int items = scan(&kept);
    QVERIFY(items > 0);
    const qint64 oneScan = ResidentBytes() - level;
    kept->Release();

    // A leak of the released items grows the process by the same amount on
    // every scan; the allocator's own slack does not. So the check is made
    // on the last ten scans alone, once the first ten have settled the heap,
    // and the whole run is held to a loose bound besides.
    for (int i = 2; i < 10; ++i)
        QCOMPARE(scan(), items);
    const qint64 settled = ResidentBytes() - level;
    for (int i = 10; i < 20; ++i)
        QCOMPARE(scan(), items);
    const qint64 growth = ResidentBytes() - level;
    const QString figures = QStringLiteral("grew %1 KiB, %2 KiB of it in the last ten scans; "
                                           "one scan %3 KiB")
                                .arg(growth / 1024)
                                .arg((growth - settled) / 1024)
                                .arg(oneScan / 1024);
    qInfo("%s", qPrintable(figures));
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    // The sanitizers hold freed memory back (quarantine, shadow); the scans
    // above still run under them, the figure is for the plain build.
    QSKIP("resident size is not meaningful under a sanitizer");
#endif
    QVERIFY(oneScan > 0);
    // Ten leaking scans would add ten scans' worth; half of one is slack.
    QVERIFY2(growth - settled <= oneScan / 2, qPrintable(figures));
    QVERIFY2(growth <= 2 * oneScan, qPrintable(figures));
}

QTEST_GUILESS_MAIN(TestRescanMemory)
#include "tst_rescanmemory.moc"
