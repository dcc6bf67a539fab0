// The attachments of the newer note store read from a generated backup: one
// file item per attachment with a file, named and dated as the generator
// wrote them, and exported as the original files, byte for byte.

#include "backupdevice.h"
#include "contracts/mmobile.h"
#include "samplebackupwriter.h"
#include "scanrunner.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace MMobile;

namespace {

QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestNoteAttachments : public QObject
{
    Q_OBJECT

private slots:
    void readAndExported();
};

void TestNoteAttachments::readAndExported()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    SampleBackupWriter writer(SampleBackupWriter::Options{});
    QVERIFY2(writer.Write(dir.filePath("backup")), qPrintable(writer.ErrorText()));
    const std::vector<SampleBackupContent::NoteAttachment>& expected =
        writer.Content().noteAttachments;
    // Pictures, a drawing and other files.
    QVERIFY(expected.size() >= 5);
    BackupDevice device(dir.filePath("backup"));
    SourcePtr source(device.GetDataSource(MD_NOTE_ATTACHMENT));
    ScanRunner scan(source.get());
    QCOMPARE(scan.Scan(), int(TASK_COMPLETE));
    IMDGetter* getter = source->GetDataGetter();
    QCOMPARE(getter->GetCount(), unsigned(expected.size()));
    const qint64 epoch2001 = QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
    for (unsigned int i = 0; i < getter->GetCount(); ++i) {
        auto* file = record_cast<IPhoto>(getter->GetItem(i));
        const SampleBackupContent::NoteAttachment& want = expected[i];
        QVERIFY(file);
        QCOMPARE(QString::fromUtf8(file->GetDisplayText()), want.name);
        QCOMPARE(file->GetTime(), std::uint64_t(epoch2001 + qint64(want.noteDate)));
        QCOMPARE(file->GetFileKind() == FILE_KIND_PICTURE, want.picture);
        QCOMPARE(Read(QString::fromUtf8(file->GetFilePath())), want.data);
    }
    const QString folder = dir.filePath("out");
    ImportExportConfigure config;
    config.nType = MD_NOTE_ATTACHMENT;
    config.nMode = RECOVER_TO_PC;
    config.SetPath(folder.toUtf8().constData());
    ScanRunner runner(source.get());
    QCOMPARE(runner.Export(config), int(TASK_COMPLETE));
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), int(expected.size()));
    for (const SampleBackupContent::NoteAttachment& want : expected)
        QCOMPARE(Read(QDir(folder).filePath(want.name)), want.data);
}

QTEST_MAIN(TestNoteAttachments)
#include "tst_noteattachments.moc"
