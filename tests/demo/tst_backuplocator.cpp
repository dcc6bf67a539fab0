// Finding the backups on a computer: fake home and application data folders
// of each desktop system hold a plain backup, an encrypted one, a folder
// that is not a backup and damaged ones; each is listed with the fields of
// its property lists or with what is wrong.

#include "backuplisting.h"
#include "backuplistwidget.h"
#include "backuplocator.h"
#include "backupsummary.h"
#include "workers/backgroundcall.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <memory>

namespace {

QByteArray Plist(const QByteArray& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n" + body +
           "</dict>\n</plist>\n";
}

QByteArray Info(const char* name, const char* model, const char* version, const char* date)
{
    return Plist(QByteArray("<key>Device Name</key><string>") + name +
                 "</string>\n<key>Product Type</key><string>" + model +
                 "</string>\n<key>Product Version</key><string>" + version +
                 "</string>\n<key>Last Backup Date</key><date>" + date + "</date>\n");
}

QByteArray Manifest(bool encrypted)
{
    return Plist(encrypted
                     ? "<key>IsEncrypted</key><true/>\n<key>BackupKeyBag</key><data>AAAA</data>\n"
                     : "<key>IsEncrypted</key><false/>\n");
}

// A file index the lister's health check accepts: a Files table, one row.
QByteArray Index()
{
    QTemporaryDir dir;
    const QString scratch = dir.filePath(QStringLiteral("Manifest.db"));
    sqlite3* db = nullptr;
    const QByteArray path = QFile::encodeName(scratch);
    bool ok = sqlite3_open(path.constData(), &db) == SQLITE_OK &&
              sqlite3_exec(db,
                           "CREATE TABLE Files (fileID TEXT PRIMARY KEY, domain TEXT, "
                           "relativePath TEXT, flags INTEGER, file BLOB);"
                           "INSERT INTO Files VALUES ('ab12', 'HomeDomain', 'a', 1, NULL);",
                           nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    QFile file(scratch);
    return ok && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray Status(const char* state)
{
    return Plist(QByteArray("<key>SnapshotState</key><string>") + state + "</string>\n");
}

// Writes the files of one fake backup of `kind`; returns the bytes written.
qint64 WriteBackup(const QString& folder, const QString& kind)
{
    QMap<QString, QByteArray> files;
    if (kind == QLatin1String("plain") || kind == QLatin1String("unfinished")) {
        files["Info.plist"] = Info("Ann's iPhone", "iPhone14,5", "16.1", "2024-03-02T10:00:00Z");
        files["Manifest.plist"] = Manifest(false);
        files["Status.plist"] = Status(kind == QLatin1String("plain") ? "finished" : "uploading");
        files["Manifest.db"] = Index();
        files["ab/ab12"] = QByteArray(1000, 'x');
    } else if (kind == QLatin1String("encrypted")) {
        files["Info.plist"] = Info("Bob's iPad", "iPad13,1", "17.0", "2025-01-05T08:30:00Z");
        files["Manifest.plist"] = Manifest(true);
        files["Status.plist"] = Status("finished");
        files["Manifest.db"] = QByteArray(2048, 'e');
    } else if (kind == QLatin1String("damaged")) {
        files["Info.plist"] = Info("Ann's iPhone", "iPhone14,5", "16.1", "2024-03-02T10:00:00Z");
        files["Manifest.plist"] = "<?xml version=\"1.0\"?><plist><dict><key>IsEnc";
        files["Manifest.db"] = QByteArray(10, 'd');
    } else if (kind == QLatin1String("notabackup")) {
        files["holiday.txt"] = "not a backup";
    }
    QDir().mkpath(folder);
    qint64 size = 0;
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        const QString path = QDir(folder).filePath(it.key());
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(it.value()) != it.value().size())
            return -1;
        size += it.value().size();
    }
    return size;
}

BackupLocator::Places FakePlaces(const QString& home)
{
    BackupLocator::Places places;
    places.home = home;
    places.appData = QDir(home).filePath(QStringLiteral("AppData/Roaming"));
    places.userProfile = home;
    places.dataHome = QDir(home).filePath(QStringLiteral(".local/share"));
    return places;
}

} // namespace

class TestBackupLocator : public QObject
{
    Q_OBJECT

private slots:
    void listsEachBackup_data();
    void listsEachBackup();
    void newestFirstEachOnce();
    void listTellsBackupsApart();
    void listingSizesNewestList();
    void backgroundCallHandsOver();
};

void TestBackupLocator::listsEachBackup_data()
{
    QTest::addColumn<int>("system");
    QTest::addColumn<int>("place"); // a standard folder's index, -1: added itself, -2: added parent
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("model");
    QTest::addColumn<bool>("encrypted");
    QTest::addColumn<QString>("problem");

    const int win = BackupLocator::Windows, mac = BackupLocator::MacOS, lin = BackupLocator::Linux;
    const int ready = BackupSummary::Ready, damaged = BackupSummary::Damaged,
              none = BackupSummary::NotABackup;
    const QString ann = QStringLiteral("Ann's iPhone"), bob = QStringLiteral("Bob's iPad");
    const QString annModel = QStringLiteral("iPhone14,5"), bobModel = QStringLiteral("iPad13,1");
    QTest::newRow("windows roaming, plain")
        << win << 0 << "plain" << ready << ann << annModel << false << QString();
    QTest::newRow("windows profile, encrypted")
        << win << 1 << "encrypted" << ready << bob << bobModel << true << QString();
    QTest::newRow("macos, plain") << mac << 0 << "plain" << ready << ann << annModel << false
                                  << QString();
    QTest::newRow("macos, damaged manifest") << mac << 0 << "damaged" << damaged << ann << annModel
                                             << false << "Manifest.plist cannot be read";
    QTest::newRow("linux data home, encrypted")
        << lin << 0 << "encrypted" << ready << bob << bobModel << true << QString();
    QTest::newRow("linux data home, not a backup")
        << lin << 0 << "notabackup" << none << "00008030-001A" << QString() << false
        << "Not a backup";
    QTest::newRow("linux home, unfinished")
        << lin << 1 << "unfinished" << damaged << ann << annModel << false
        << "did not finish (state \"uploading\")";
    QTest::newRow("added backup") << lin << -1 << "plain" << ready << ann << annModel << false
                                  << QString();
    QTest::newRow("added folder of backups")
        << win << -2 << "encrypted" << ready << bob << bobModel << true << QString();
    QTest::newRow("added folder, not a backup")
        << mac << -1 << "notabackup" << none << "00008030-001A" << QString() << false
        << "Not a backup";
}

void TestBackupLocator::listsEachBackup()
{
    QFETCH(int, system);
    QFETCH(int, place);
    QFETCH(QString, kind);
    QTemporaryDir home;
    const QStringList standard =
        BackupLocator::StandardFolders(BackupLocator::System(system), FakePlaces(home.path()));
    QString parent = place >= 0 ? standard.value(place) : home.filePath(QStringLiteral("Chosen"));
    QVERIFY(!parent.isEmpty());
    const QString folder = QDir(parent).filePath(QStringLiteral("00008030-001A"));
    const qint64 size = WriteBackup(folder, kind);
    QVERIFY(size >= 0);
    QStringList added;
    if (place == -1)
        added << folder;
    else if (place == -2)
        added << parent;

    const QList<BackupSummary> found = BackupLocator::Find(standard, added);
    QCOMPARE(found.size(), 1);
    const BackupSummary& backup = found.first();
    QCOMPARE(backup.folder, folder);
    QTEST(int(backup.state), "state");
    QTEST(backup.Title(), "title");
    QTEST(backup.model, "model");
    QTEST(backup.encrypted, "encrypted");
    QFETCH(QString, problem);
    QVERIFY2(problem.isEmpty() ? backup.problem.isEmpty() : backup.problem.contains(problem),
             qPrintable(backup.problem));
    if (backup.state != BackupSummary::NotABackup) {
        // Listing walks no folder; the sizes come after.
        QCOMPARE(backup.size, qint64(-1));
        QCOMPARE(BackupLocator::Sized(found).first().size, size);
        QCOMPARE(backup.systemVersion,
                 QString::fromLatin1(kind == QLatin1String("encrypted") ? "17.0" : "16.1"));
        QCOMPARE(backup.date, QDateTime::fromString(kind == QLatin1String("encrypted")
                                                        ? QStringLiteral("2025-01-05T08:30:00Z")
                                                        : QStringLiteral("2024-03-02T10:00:00Z"),
                                                    Qt::ISODate));
    }
    // The other systems' places do not hold it.
    for (int other : {BackupLocator::Windows, BackupLocator::MacOS, BackupLocator::Linux}) {
        if (other != system && place >= 0)
            QVERIFY(BackupLocator::Find(BackupLocator::StandardFolders(BackupLocator::System(other),
                                                                       FakePlaces(home.path())),
                                        {})
                        .isEmpty());
    }
}

void TestBackupLocator::newestFirstEachOnce()
{
    QTemporaryDir home;
    const QStringList standard =
        BackupLocator::StandardFolders(BackupLocator::MacOS, FakePlaces(home.path()));
    const QString older = QDir(standard.first()).filePath(QStringLiteral("older"));
    const QString newer = QDir(standard.first()).filePath(QStringLiteral("newer"));
    QVERIFY(WriteBackup(older, QStringLiteral("plain")) > 0);
    QVERIFY(WriteBackup(newer, QStringLiteral("encrypted")) > 0);
    // Added again by hand, under another spelling of its path.
    const QList<BackupSummary> found =
        BackupLocator::Find(standard, {older + QStringLiteral("/."), standard.first()});
    QCOMPARE(found.size(), 2);
    QCOMPARE(found.at(0).folder, newer);
    QCOMPARE(found.at(1).folder, older);
}

// Three backups of one phone and the generated sample: each entry of the
// list says what sets it apart (date and time, size, encrypted, sample), and
// its folder on hover.
void TestBackupLocator::listTellsBackupsApart()
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const auto restore = qScopeGuard([&before] { QLocale::setDefault(before); });
    BackupSummary phone;
    phone.state = BackupSummary::Ready;
    phone.deviceName = QStringLiteral("Zoë's iPhone");
    phone.model = QStringLiteral("iPhone15,2");
    phone.systemVersion = QStringLiteral("17.2");
    QList<BackupSummary> backups;
    for (int i = 0; i < 3; ++i) {
        BackupSummary backup = phone;
        backup.folder = QStringLiteral("/backups/%1").arg(i);
        backup.date = QDateTime(QDate(2024, 3, 1), QTime(9 + i, 30), Qt::UTC);
        backup.size = (i == 1 ? 2 : 1) * 1536 * 1024 * 1024LL;
        backup.encrypted = i == 2;
        backups << backup;
    }
    BackupSummary sample = phone;
    sample.folder = QStringLiteral("/build/sample-backup");
    sample.sample = true;
    sample.size = 1536 * 1024 * 1024LL;
    backups << sample;
    BackupListWidget list{QString()};
    list.SetBackups(backups);
    QCOMPARE(list.count(), backups.size());
    QStringList texts;
    for (int i = 0; i < list.count(); ++i) {
        const QString text = list.item(i)->text();
        QVERIFY2(!texts.contains(text), qPrintable(text));
        texts << text;
        QCOMPARE(list.item(i)->toolTip(), QDir::toNativeSeparators(backups.at(i).folder));
    }
    const QString hour = QLocale().toString(backups.at(0).date.toLocalTime(), QLocale::ShortFormat);
    QCOMPARE(texts.at(0),
             QStringLiteral("Zoë's iPhone\niPhone15,2 · iOS 17.2 · %1 · 1.50 GiB").arg(hour));
    QVERIFY2(texts.at(1).contains(QStringLiteral("3.00 GiB")), qPrintable(texts.at(1)));
    QVERIFY2(texts.at(2).endsWith(QStringLiteral(" · encrypted")), qPrintable(texts.at(2)));
    QVERIFY2(texts.at(3).startsWith(QStringLiteral("Zoë's iPhone (sample)\n")),
             qPrintable(texts.at(3)));
}

// A list asked for while one is made, and a list made while the last one is
// sized: the sizes that come last are the newest list's, each its own.
void TestBackupLocator::listingSizesNewestList()
{
    QTemporaryDir home;
    const QStringList standard =
        BackupLocator::StandardFolders(BackupLocator::Linux, FakePlaces(home.path()));
    const QDir parent(standard.first());
    QVERIFY(WriteBackup(parent.filePath(QStringLiteral("first")), QStringLiteral("plain")) > 0);
    QVERIFY(QDir().mkpath(parent.filePath(QStringLiteral("not a backup"))));

    BackupListing listing;
    QList<BackupSummary> sized;
    int listed = 0;
    connect(&listing, &BackupListing::sized, this,
            [&sized](const QList<BackupSummary>& backups) { sized = backups; });
    connect(&listing, &BackupListing::listed, this, [&listed] { ++listed; });
    int followUps = 0;
    listing.List(standard, {}, [&followUps] { ++followUps; });
    QVERIFY(WriteBackup(parent.filePath(QStringLiteral("second")), QStringLiteral("encrypted")) >
            0);
    listing.List(standard, {}, [&followUps] { ++followUps; });
    QTRY_COMPARE(followUps, 2);
    QCOMPARE(listed, 1); // the first list was made again, not handed over
    QVERIFY(WriteBackup(parent.filePath(QStringLiteral("third")), QStringLiteral("plain")) > 0);
    listing.List(standard, {}, nullptr); // while the list of two may be sized

    QHash<QString, qint64> expected;
    for (const BackupSummary& backup : BackupLocator::Sized(BackupLocator::Find(standard, {})))
        expected.insert(backup.folder, backup.size);
    QCOMPARE(expected.size(),
             3 + int(expected.contains(parent.filePath(QStringLiteral("not a backup")))));
    QTRY_VERIFY(!listing.IsRunning() && sized.size() == expected.size());
    QCOMPARE(listed, 2);
    for (const BackupSummary& backup : qAsConst(sized))
        QCOMPARE(backup.size, expected.value(backup.folder, -2));
}

// The job runs on a thread of its own, one at a time; its result reaches the
// follow-up on the context's thread; a call that goes drops its follow-up.
void TestBackupLocator::backgroundCallHandsOver()
{
    QObject context;
    auto gate = std::make_shared<std::atomic<bool>>(false);
    QThread* jobThread = nullptr;
    QThread* followUpThread = nullptr;
    int result = 0;
    bool runningInFollowUp = true;
    auto call = std::make_unique<BackgroundCall>(&context);
    QVERIFY(call->Run<int>(
        [gate, &jobThread] {
            jobThread = QThread::currentThread();
            while (!gate->load())
                QThread::msleep(1);
            return 42;
        },
        [&](const int& value) {
            result = value;
            followUpThread = QThread::currentThread();
            runningInFollowUp = call->IsRunning();
        }));
    QVERIFY(call->IsRunning());
    QVERIFY(!call->Start([] {}, [] {}));
    gate->store(true);
    QTRY_COMPARE(result, 42);
    QVERIFY(jobThread && jobThread != QThread::currentThread());
    QCOMPARE(followUpThread, QThread::currentThread());
    QVERIFY(!runningInFollowUp);

    bool late = false;
    QVERIFY(call->Start([] {}, [&late] { late = true; }));
    call->Wait();
    call.reset();
    QCoreApplication::processEvents();
    QVERIFY(!late);
}

QTEST_MAIN(TestBackupLocator)
#include "tst_backuplocator.moc"
