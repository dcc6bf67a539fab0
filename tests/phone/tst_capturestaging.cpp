// The capture's working copy and the paths the phone may name: the earlier
// backup's bytes never change, whatever the phone does in the working copy,
// and no path leads out of it. Also the name a page shows of the phone.
#include "backupfixture.h"
#include "backupstaging.h"
#include "contracts/mmobile.h"
#include "devicelinkreceiver.h"
#include "phonedevice.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestCaptureStaging : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void phonePaths_data();
    void phonePaths();
    void workingCopyNeverWritesThrough();
    void commitReplacesDiscardKeeps_data();
    void commitReplacesDiscardKeeps();
    void interruptedCommitIsRepaired();
    void refusesOddIdentifiers_data();
    void refusesOddIdentifiers();
    void shownName_data();
    void shownName();

private:
    QString Backup() const { return m_dir->filePath(QStringLiteral("UDID1")); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestCaptureStaging::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir().mkpath(QDir(Backup()).filePath("ab")));
    QVERIFY(BackupFixture::WriteFile(QDir(Backup()).filePath("Manifest.db"), "index"));
    QVERIFY(BackupFixture::WriteFile(QDir(Backup()).filePath("ab/ab12"), "old content"));
    QVERIFY(BackupFixture::WriteFile(QDir(Backup()).filePath("Status.plist"), "finished"));
}

void TestCaptureStaging::phonePaths_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("resolved"); // relative to the root; "-" refused
    QTest::newRow("file") << "UDID1/ab/ab12"
                          << "UDID1/ab/ab12";
    QTest::newRow("doubled slashes") << "UDID1//Snapshot/x"
                                     << "UDID1/Snapshot/x";
    QTest::newRow("folder itself") << "UDID1"
                                   << "UDID1";
    QTest::newRow("parent") << "UDID1/../../etc/passwd"
                            << "-";
    QTest::newRow("parent at the end") << "UDID1/.."
                                       << "-";
    QTest::newRow("dot") << "./UDID1"
                         << "-";
    QTest::newRow("absolute") << "/etc/passwd"
                              << "-";
    QTest::newRow("backslash") << "UDID1\\..\\x"
                               << "-";
    QTest::newRow("drive") << "C:/x"
                           << "-";
    QTest::newRow("empty") << ""
                           << "-";
    QTest::newRow("only slashes") << "//"
                                  << "-";
}

void TestCaptureStaging::phonePaths()
{
    QFETCH(QString, path);
    QFETCH(QString, resolved);
    const QString root = m_dir->path();
    const QString got = DeviceLinkReceiver::ResolvePath(root, path);
    QCOMPARE(got, resolved == QLatin1String("-") ? QString() : root + QLatin1Char('/') + resolved);
}

void TestCaptureStaging::workingCopyNeverWritesThrough()
{
    const QString before = BackupFixture::Digests(Backup());
    BackupStaging staging(m_dir->path(), QStringLiteral("UDID1"));
    QVERIFY2(staging.Prepare(), qPrintable(staging.ErrorText()));
    QVERIFY(staging.HadPrevious());
    const QDir work(staging.WorkFolder());
    QCOMPARE(BackupFixture::Read(work.filePath("ab/ab12")), QByteArray("old content"));
    // What the capture does to the working copy: replace, move, remove.
    QVERIFY(QFile::remove(work.filePath("ab/ab12")));
    QVERIFY(BackupFixture::WriteFile(work.filePath("ab/ab12"), "new content"));
    QVERIFY(QDir().rename(work.filePath("Manifest.db"), work.filePath("Manifest.old")));
    QVERIFY(QFile::remove(work.filePath("Status.plist")));
    QCOMPARE(BackupFixture::Digests(Backup()), before);
}

void TestCaptureStaging::commitReplacesDiscardKeeps_data()
{
    QTest::addColumn<bool>("commit");
    QTest::newRow("commit") << true;
    QTest::newRow("discard") << false;
}

void TestCaptureStaging::commitReplacesDiscardKeeps()
{
    QFETCH(bool, commit);
    const QString before = BackupFixture::Digests(Backup());
    {
        BackupStaging staging(m_dir->path(), QStringLiteral("UDID1"));
        QVERIFY(staging.Prepare());
        const QDir work(staging.WorkFolder());
        QVERIFY(QFile::remove(work.filePath("ab/ab12")));
        QVERIFY(BackupFixture::WriteFile(work.filePath("ab/ab12"), "new content"));
        if (commit)
            QVERIFY2(staging.Commit(), qPrintable(staging.ErrorText()));
        // Without Commit() the destructor discards the working copy.
    }
    QCOMPARE(BackupFixture::Read(QDir(Backup()).filePath("ab/ab12")),
             QByteArray(commit ? "new content" : "old content"));
    if (!commit)
        QCOMPARE(BackupFixture::Digests(Backup()), before);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("UDID1")});
}

void TestCaptureStaging::interruptedCommitIsRepaired()
{
    // A crash between Commit()'s two renames: the old backup is aside.
    const QString before = BackupFixture::Digests(Backup());
    const QString aside = m_dir->filePath(QStringLiteral(".mmobile-capture-UDID1/previous"));
    QVERIFY(QDir().mkpath(QFileInfo(aside).absolutePath()));
    QVERIFY(QDir().rename(Backup(), aside));
    BackupStaging staging(m_dir->path(), QStringLiteral("UDID1"));
    QVERIFY(staging.Prepare());
    QVERIFY(staging.HadPrevious());
    QCOMPARE(BackupFixture::Digests(Backup()), before);
}

void TestCaptureStaging::refusesOddIdentifiers_data()
{
    QTest::addColumn<QString>("udid");
    QTest::newRow("empty") << "";
    QTest::newRow("slash") << "../UDID1";
    QTest::newRow("hidden") << ".mmobile";
    QTest::newRow("backslash") << "a\\b";
}

void TestCaptureStaging::refusesOddIdentifiers()
{
    QFETCH(QString, udid);
    const QString before = BackupFixture::Digests(m_dir->path());
    BackupStaging staging(m_dir->path(), udid);
    QVERIFY(!staging.Prepare());
    QVERIFY(!staging.ErrorText().isEmpty());
    QCOMPARE(BackupFixture::Digests(m_dir->path()), before);
}

void TestCaptureStaging::shownName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("shown");
    QTest::newRow("named") << "Ann's phone"
                           << "iPhone12,1"
                           << "Ann's phone";
    QTest::newRow("not trusted yet") << ""
                                     << "iPhone12,1"
                                     << "iPhone12,1";
    QTest::newRow("nothing known") << ""
                                   << ""
                                   << "UDID1";
}

// The phone's own name, else its model, else its UDID: one value.
void TestCaptureStaging::shownName()
{
    QFETCH(QString, name);
    QFETCH(QString, model);
    QFETCH(QString, shown);
    PhoneInfo info;
    info.udid = "UDID1";
    info.name = name;
    info.productType = model;
    PhoneDevice phone(info, m_dir->path());
    MMobile::IDeviceInfo* about = phone.GetDeviceInfo();
    QCOMPARE(QString::fromUtf8(about->GetTextProperty(MMobile::DEVICE_PROP_DISPLAY_NAME, 0)),
             shown);
    QVERIFY(!about->GetTextProperty(MMobile::DEVICE_PROP_DISPLAY_NAME, 1));
}

QTEST_GUILESS_MAIN(TestCaptureStaging)
#include "tst_capturestaging.moc"
