// A scan of a scaled sample backup with more than 100,000 messages
// completes with every message; the time it took is printed, not judged.

#include "backupdevice.h"
#include "contracts/mmobile.h"
#include "samplebackupwriter.h"
#include "scanrunner.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

using namespace MMobile;

class TestEngineScale : public QObject
{
    Q_OBJECT

private slots:
    void hundredThousandMessages();
};

void TestEngineScale::hundredThousandMessages()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    SampleBackupWriter::Options options;
    options.scale = 34;
    options.media = false;
    SampleBackupWriter writer(options);
    QElapsedTimer timer;
    timer.start();
    QVERIFY2(writer.Write(dir.path()), qPrintable(writer.ErrorText()));
    const qint64 written = timer.elapsed();
    const int messages = writer.Content().MessageCount();
    QVERIFY(messages >= 100000);

    BackupDevice device(dir.path());
    ICategoryDataSource* source = device.GetDataSource(MD_MESSAGE);
    ScanRunner runner(source);
    timer.restart();
    QCOMPARE(runner.Scan(), int(TASK_COMPLETE));
    const qint64 scanned = timer.elapsed();
    IMDGetter* getter = source->GetDataGetter();
    QCOMPARE(getter->GetCount(), unsigned(writer.Content().conversations.size()));
    unsigned int entries = 0;
    for (unsigned int i = 0; i < getter->GetCount(); ++i)
        entries += record_cast<IMessage>(getter->GetItem(i))->GetEntryCount();
    QCOMPARE(entries, unsigned(messages));
    qInfo("%d messages in %u conversations: written in %lld ms, scanned in %lld ms", messages,
          getter->GetCount(), written, scanned);
    source->Release();
}

QTEST_GUILESS_MAIN(TestEngineScale)
#include "tst_enginescale.moc"
