// The engine behind a real category page: a scan's items reach the page's
// store while the scan runs and the store ends with every record; backup
// errors reach the page's error road; a recovery to the device is refused.

#include "enginepage.h"

#include "backupdevice.h"
#include "backupfixture.h"
#include "contracts/mmobile.h"
#include "fakehost.h"
#include "modaldialoganswerer.h"
#include "mymessagedailog.h"
#include "samplebackupwriter.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace MMobile;

namespace {
const int kTimeout = 60000;

// The page is a modal window itself: the answer is queued only once the
// message box is the modal widget, so that it does not go to the page. A
// timer looks, because the box runs its own event loop.
void OkWhenMessageBoxShows(ModalDialogAnswerer& answerer)
{
    auto* timer = new QTimer(&answerer);
    QObject::connect(timer, &QTimer::timeout, &answerer, [timer, &answerer] {
        if (!qobject_cast<MyMessageDailog*>(QApplication::activeModalWidget()))
            return;
        answerer.answer(ModalDialogAnswerer::Answer::ok());
        timer->stop();
    });
    timer->start(10);
}

// A shown page of `type` on a host whose skins and output lie in `folder`.
struct HostedPage
{
    HostedPage(const QString& folder, MDType type) : page(&host, type)
    {
        for (int skin = -1; skin <= 22; ++skin)
            host.setSkinDir(skin, folder + QLatin1Char('/'));
        host.setOutputDir(folder + QStringLiteral("/output"));
        page.show();
    }
    FakeHost host;
    EnginePage page;
};
} // namespace

class TestEnginePage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fullScan_data();
    void fullScan();
    void encryptedBackupIsABackupError();
    void silentExportWritesEveryItem();
    void recoveryToDeviceFails();

private:
    QTemporaryDir m_dir;
    SampleBackupContent m_content;
    std::unique_ptr<BackupDevice> m_device;
};

void TestEnginePage::initTestCase()
{
    QVERIFY(m_dir.isValid());
    SampleBackupWriter writer(SampleBackupWriter::Options{});
    QVERIFY2(writer.Write(m_dir.filePath("backup")), qPrintable(writer.ErrorText()));
    m_content = writer.Content();
    m_device = std::make_unique<BackupDevice>(m_dir.filePath("backup"));
}

void TestEnginePage::fullScan_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("count");
    QTest::newRow("contacts") << int(MD_CONTACT) << int(m_content.contacts.size());
    QTest::newRow("messages") << int(MD_MESSAGE) << int(m_content.conversations.size());
    QTest::newRow("calls") << int(MD_CALL_HISTORY) << int(m_content.calls.size());
    QTest::newRow("reminders") << int(MD_REMINDER) << int(m_content.reminders.size());
    QTest::newRow("photos") << int(MD_PHOTO) << int(m_content.photos.size());
    QTest::newRow("whatsapp") << int(MD_WHATSAPP_MESSAGE) << int(m_content.chats.size());
}

void TestEnginePage::fullScan()
{
    QFETCH(int, type);
    QFETCH(int, count);
    HostedPage hosted(m_dir.path(), static_cast<MDType>(type));
    EnginePage& page = hosted.page;
    QVERIFY(page.Load(m_device.get(), nullptr));
    QTRY_COMPARE_WITH_TIMEOUT(page.status(), int(TASK_COMPLETE), kTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(
        !page.handOvers.isEmpty() && page.handOvers.last().status == TASK_COMPLETE, kTimeout);
    QCOMPARE(page.store()->GetDataCountEx(), unsigned(count));
    QCOMPARE(page.GetDataCount(), unsigned(count));
    // The items came in batches while the scan ran, each adding to the store.
    int during = 0;
    unsigned int last = 0;
    for (const EnginePage::HandOver& handOver : page.handOvers) {
        if (handOver.status != TASK_DATA)
            continue;
        ++during;
        QVERIFY(handOver.stored > last);
        last = handOver.stored;
    }
    QVERIFY(during > 1);
    QCOMPARE(last, unsigned(count));
    QVERIFY(page.IsLoad(m_device.get()));
    QVERIFY(!hosted.host.hasEvent(QStringLiteral("OnOperationFailed")));
    page.ClosePlugin();
}

void TestEnginePage::encryptedBackupIsABackupError()
{
    const QString folder = m_dir.filePath("encrypted");
    QVERIFY(BackupFixture::CopyFolder(m_dir.filePath("backup"), folder));
    QVERIFY(BackupFixture::WriteFile(QDir(folder).filePath("Manifest.plist"),
                                     "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
                                     "<key>IsEncrypted</key><true/></dict></plist>"));
    BackupDevice device(folder);
    ModalDialogAnswerer answerer;
    OkWhenMessageBoxShows(answerer);
    HostedPage hosted(m_dir.path(), MD_CONTACT);
    EnginePage& page = hosted.page;
    QVERIFY(page.Load(&device, nullptr));
    QVERIFY(answerer.waitAnswered(1, kTimeout));
    QVERIFY2(answerer.last().isMessageDialog,
             qPrintable(answerer.last().className + QLatin1Char(' ') + answerer.last().done +
                        QLatin1Char(' ') + answerer.errors().join(';')));
    QVERIFY2(answerer.last().messageText.contains(QStringLiteral("255")),
             qPrintable(answerer.last().messageText));
    // After the message the page closes and tells the host.
    QVERIFY(hosted.host.waitForEvent(QStringLiteral("OnPluginClose"), kTimeout));
    QCOMPARE(page.store()->GetDataCountEx(), 0u);
}

void TestEnginePage::silentExportWritesEveryItem()
{
    HostedPage hosted(m_dir.path(), MD_SAFARI_BOOKMARK);
    EnginePage& page = hosted.page;
    QVERIFY(page.Load(m_device.get(), nullptr));
    QTRY_COMPARE_WITH_TIMEOUT(page.status(), int(TASK_COMPLETE), kTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(page.store()->GetDataCountEx(), unsigned(m_content.bookmarks.size()),
                              kTimeout);
    const QString folder = m_dir.filePath("silent");
    ImportExportConfigure config;
    config.nType = MD_SAFARI_BOOKMARK;
    config.nMode = RECOVER_TO_PC;
    config.SetPath(folder.toUtf8().constData());
    static std::atomic<int> end{-1};
    end = -1;
    const TaskCallBack callback = [](void*, MDType, int status, int, const char*) {
        if (IsTaskEndStatus(status))
            end = status;
        return true;
    };
    ITaskCtrl* task = page.ExportSilent(&config, callback, nullptr);
    QVERIFY(task);
    // Already running: the host does not start it.
    QVERIFY(!task->Start());
    QTRY_COMPARE_WITH_TIMEOUT(task->GetStatus(), int(TASK_COMPLETE), kTimeout);
    QCOMPARE(end.load(), int(TASK_COMPLETE));
    QFile csv(QDir(folder).filePath("Safari Bookmarks.csv"));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    // Header plus one line per bookmark; no title or address holds a line break.
    QCOMPARE(csv.readAll().count("\r\n"), int(m_content.bookmarks.size()) + 1);
    page.ClosePlugin();
}

void TestEnginePage::recoveryToDeviceFails()
{
    HostedPage hosted(m_dir.path(), MD_NOTE);
    EnginePage& page = hosted.page;
    QVERIFY(page.Load(m_device.get(), nullptr));
    QTRY_COMPARE_WITH_TIMEOUT(page.status(), int(TASK_COMPLETE), kTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(page.store()->GetDataCountEx() > 0, kTimeout);
    page.store()->SetCheckAllState(Qt::Checked);
    ModalDialogAnswerer answerer;
    OkWhenMessageBoxShows(answerer);
    qRegisterMetaType<IDevice*>("IDevice*");
    QVERIFY(QMetaObject::invokeMethod(&page, "slotImportToDevice", Qt::QueuedConnection,
                                      Q_ARG(IDevice*, m_device.get())));
    QVERIFY(answerer.waitAnswered(1, kTimeout));
    QCOMPARE(answerer.last().messageText, QStringLiteral("Recovery failed! Please try again!"));
    const QVector<FakeHost::RecoverResult> results = hosted.host.recoverResults();
    QCOMPARE(results.size(), 1);
    QCOMPARE(QList<int>({results.first().mode, results.first().type}),
             QList<int>({RECOVER_SAME_DEVICE, MD_NOTE}));
    page.ClosePlugin();
}

QTEST_MAIN(TestEnginePage)
#include "tst_enginepage.moc"
