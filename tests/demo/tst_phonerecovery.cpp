// Recovering ticked items to a phone from a page, end to end against the
// fake phone: the page of a backup (or of the phone itself) recovers the
// ticked deleted records of a category, or ticked photos, voice memos or
// attachments; what the phone received scans to what it held plus exactly
// those items, as live records. A locked or
// unplugged phone ends with the page's failure message and receives nothing.
#include "backupdevice.h"
#include "backupfixture.h"
#include "fakehost.h"
#include "fakephoneprocess.h"
#include "modaldialoganswerer.h"
#include "pages/demopagefactory.h"
#include "pages/demophotopage.h"
#include "pages/demotablepage.h"
#include "pages/reminderspage.h"
#include "phonedevice.h"
#include "recordtexts.h"

#include "contracts/imdcommon.h"
#include "dialogs/recoverprogressdialog.h"
#include "photos/imagelistitmmodel.h"
#include "store/imageitemlist.h"
#include "store/imagelistitem.h"
#include "store/taskitem.h"
#include "views/taskitemmodel.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace MMobile;
using Answer = ModalDialogAnswerer::Answer;

namespace {
const char* const Udid = "00008030-000A5E1E0C3A802E";
const int kRecoveryTimeout = 240000;
const char kFailed[] = "Recovery failed! Please try again!";
const char kDone[] = "Recovery completed!<br> Please check your iOS device for the recovered data.";

// The categories a phone takes back from a page.
const MDType kTakenBack[] = {MD_CONTACT,         MD_MESSAGE,  MD_CALL_HISTORY,
                             MD_CALENDAR,        MD_REMINDER, MD_NOTE,
                             MD_SAFARI_BOOKMARK, MD_PHOTO,    MD_VOICE_MEMO};

// The store and scan state of a table page, of the reminders' tree or of a
// file page's grid.
TaskItem* StoreOf(CategoryPanel* page)
{
    if (auto* table = qobject_cast<DemoTablePage*>(page))
        return table->store();
    if (auto* grid = qobject_cast<DemoPhotoPage*>(page))
        return grid->imageStore();
    return qobject_cast<RemindersPage*>(page)->store();
}

TASK_CTRL_STATUS ScanStatusOf(CategoryPanel* page)
{
    if (auto* table = qobject_cast<DemoTablePage*>(page))
        return table->scanStatus();
    if (auto* grid = qobject_cast<DemoPhotoPage*>(page))
        return grid->scanStatus();
    return qobject_cast<RemindersPage*>(page)->scanStatus();
}

QStringList Sorted(QStringList list)
{
    list.sort();
    return list;
}
} // namespace

class TestPhoneRecovery : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void recovered_data();
    void recovered();
    void deviceButton();

private:
    QString Folder(const QString& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

void TestPhoneRecovery::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(BackupFixture::WriteMergePair(Folder("source"), Folder("target")));
}

void TestPhoneRecovery::recovered_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("samePhone"); // the page scanned the phone it recovers to
    QTest::addColumn<QString>("scenario");
    QTest::newRow("contacts") << int(MD_CONTACT) << false << "normal";
    QTest::newRow("messages") << int(MD_MESSAGE) << false << "normal";
    QTest::newRow("calls") << int(MD_CALL_HISTORY) << false << "normal";
    QTest::newRow("events") << int(MD_CALENDAR) << false << "normal";
    QTest::newRow("reminders") << int(MD_REMINDER) << false << "normal";
    QTest::newRow("notes") << int(MD_NOTE) << false << "normal";
    QTest::newRow("bookmarks") << int(MD_SAFARI_BOOKMARK) << false << "normal";
    QTest::newRow("calls, back to the scanned phone") << int(MD_CALL_HISTORY) << true << "normal";
    // Files go back with their rows (a trashed photo out of the trash, an
    // attachment beside the message it was sent with).
    QTest::newRow("photos") << int(MD_PHOTO) << false << "normal";
    QTest::newRow("voice memos") << int(MD_VOICE_MEMO) << false << "normal";
    QTest::newRow("attachments") << int(MD_MESSAGE_ATTACHMENT) << false << "normal";
    QTest::newRow("contacts, locked phone") << int(MD_CONTACT) << false << "locked";
    QTest::newRow("messages, unplugged") << int(MD_MESSAGE) << false << "unplug-at=50";
}

void TestPhoneRecovery::recovered()
{
    QFETCH(int, type);
    QFETCH(bool, samePhone);
    QFETCH(QString, scenario);
    const QString tag = QString(QTest::currentDataTag()).replace(QRegularExpression("\\W+"), "-");
    const QString into = Folder("into-" + tag);
    const QString backups = Folder("backups-" + tag);
    QVERIFY(QDir().mkpath(into));
    // The phone holds the target, or (back to the scanned phone) the source.
    const QString served = samePhone ? Folder("source") : Folder("target");
    FakePhoneProcess phone;
    QVERIFY2(phone.Start(served, scenario, Udid, {"--restore-into", into}),
             qPrintable(phone.Errors()));
    qputenv("USBMUXD_SOCKET_ADDRESS", phone.Address());
    PhoneInfo info;
    info.udid = Udid;
    info.name = QStringLiteral("Test iPhone");
    info.trusted = true;
    PhoneDevice target(info, backups);
    BackupDevice backup(Folder("source"));
    IDevice* scanned = samePhone ? static_cast<IDevice*>(&target) : &backup;

    FakeHost host;
    host.setDevices({&target});
    std::unique_ptr<CategoryPanel> page(
        DemoPageFactory::Create(&host, MDType(type), Folder("work-" + tag + "/")));
    page->show();
    QVERIFY(page->Load(scanned, nullptr));
    auto* toDevice = page->findChild<QPushButton*>(QStringLiteral("btnRecoverToDevice"));
    QVERIFY(QTest::qWaitFor(
        [&] { return ScanStatusOf(page.get()) == TASK_COMPLETE && toDevice->isEnabled(); },
        kRecoveryTimeout));
    QVERIFY(toDevice->toolTip().endsWith("Test iPhone"));

    // Every third deleted item is ticked (the page ticks everything at first);
    // of a file page every third file of the flat grid.
    TaskItem* store = StoreOf(page.get());
    auto* grid = qobject_cast<DemoPhotoPage*>(page.get());
    if (grid) {
        grid->SetViewMode(IMAGE_VIEW_FLAT);
        grid->gridModel()->CheckAll(Qt::Unchecked);
    } else {
        store->SetCheckAllState(Qt::Unchecked);
    }
    QStringList ticked, left;
    int deleted = 0;
    for (unsigned int i = 0; !grid && i < store->GetDataCountEx(); ++i) {
        IMDCommon* item = store->GetData(i);
        if (!item->IsDeleted())
            continue;
        const bool tick = deleted++ % 3 == 0;
        (tick ? ticked : left) << RecordTexts::Of(MDType(type), item);
        if (tick)
            store->SetChecked(i, Qt::Checked);
    }
    for (int row = 0; grid && row < grid->imageStore()->GetViewCount(); ++row) {
        const ImageListItem* entry = grid->imageStore()->GetViewItem(row);
        QVERIFY(entry && !entry->isTitle);
        const bool tick = row % 3 == 0;
        (tick ? ticked : left) << (entry->photo ? RecordTexts::OfFile(entry->photo)
                                                : RecordTexts::OfRecording(entry->recording));
        if (tick)
            QVERIFY(grid->gridModel()->setData(grid->gridModel()->index(row, 0), Qt::Checked,
                                               Qt::CheckStateRole));
    }
    QVERIFY(ticked.size() >= 2);
    page->UpdateRecoverState();

    ModalDialogAnswerer answerer;
    answerer.ignore(QString::fromLatin1(page->metaObject()->className()));
    answerer.ignore(QStringLiteral("RecoverProgressDialog"));
    answerer.answer(Answer::ok());
    QStringList steps;
    auto* progress = page->findChild<RecoverProgressDialog*>();
    QTest::mouseClick(toDevice, Qt::LeftButton);
    QVERIFY(QTest::qWaitFor(
        [&] {
            if (!progress)
                progress = page->findChild<RecoverProgressDialog*>();
            const QList<QLabel*> labels =
                progress ? progress->findChildren<QLabel*>() : QList<QLabel*>();
            for (QLabel* label : labels) {
                const QString text = label->text().section(':', 0, 0);
                if (!label->text().isEmpty() && !steps.contains(text))
                    steps << text;
            }
            return !host.recoverResults().isEmpty();
        },
        kRecoveryTimeout));
    QVERIFY(answerer.waitAnswered(1, 10000));
    const FakeHost::RecoverResult result = host.recoverResults().constFirst();
    QCOMPARE(result.mode, samePhone ? int(RECOVER_SAME_DEVICE) : int(RECOVER_TO_OTHER_DEVICE));
    const QString received = QDir(into).filePath(Udid);
    const QStringList kept = QDir(backups).entryList({"* recovered *"}, QDir::Dirs);
    if (scenario != "normal") {
        QCOMPARE(result.ok, 0);
        QCOMPARE(answerer.last().messageText, QString(kFailed));
        // The phone received nothing, and no merged backup is left.
        QCOMPARE(QDir(into).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
        QCOMPARE(kept, QStringList());
        page->ClosePlugin();
        return;
    }
    QCOMPARE(result.ok, 1);
    QCOMPARE(answerer.last().messageText, QString(kDone));
    QVERIFY2(steps.contains("Backing up the phone") && steps.contains("Restoring to the phone"),
             qPrintable(steps.join('|')));
    page->ClosePlugin();

    // The ticked items are on the phone once, as live records; the others
    // are not; what the phone held is unchanged.
    // A conversation with deleted messages holds live ones too, which the
    // phone has already.
    const QStringList before = RecordTexts::Scan(served, MDType(type), false);
    QStringList added;
    for (const QString& text : RecordTexts::PutBack(ticked))
        if (!before.contains(text))
            added << text;
    const QStringList after = RecordTexts::Scan(received, MDType(type), false);
    QCOMPARE(after, Sorted(before + added));
    for (const QString& text : qAsConst(left))
        QVERIFY(before.contains(text) || !after.contains(text));
    // (An attachment brings the message it was sent with.)
    for (const MDType other : kTakenBack) {
        if (other != MDType(type) && (other != MD_MESSAGE || type != MD_MESSAGE_ATTACHMENT))
            QCOMPARE(RecordTexts::Scan(received, other, false),
                     RecordTexts::Scan(served, other, false));
    }
    // The merged backup is kept beside the backups, named for a person.
    QCOMPARE(kept.size(), 1);
    QVERIFY(kept.first().startsWith(QString::fromUtf8("Test iPhone \u2014 recovered ")));
    QCOMPARE(BackupFixture::Digests(received),
             BackupFixture::Digests(QDir(backups).filePath(kept.first())));
}

void TestPhoneRecovery::deviceButton()
{
    // Without a phone the button says to connect one; a phone plugged in
    // names itself, or says that it cannot take the category back; unplugged
    // again, the button says to connect one again.
    BackupDevice backup(Folder("source"));
    PhoneInfo info;
    info.udid = Udid;
    info.name = QStringLiteral("Test iPhone");
    PhoneDevice phone(info, Folder("backups-button"));
    FakeHost host;
    // WhatsApp's chats are not put back on a phone: their button says so.
    for (const MDType type : {MD_CONTACT, MD_NOTE, MD_WHATSAPP_MESSAGE}) {
        host.setDevices({nullptr});
        std::unique_ptr<CategoryPanel> page(DemoPageFactory::Create(&host, type, Folder("work/")));
        page->show();
        QVERIFY(page->Load(&backup, nullptr));
        auto* button = page->findChild<QPushButton*>(QStringLiteral("btnRecoverToDevice"));
        auto* toPC = page->findChild<QPushButton*>(QStringLiteral("btnRecoverToPC"));
        QVERIFY(QTest::qWaitFor([&] { return toPC->isEnabled(); }, kRecoveryTimeout));
        QCOMPARE(button->toolTip(), QString("Please connect device"));
        host.setDevices({&phone});
        page->UpdateRecoverState();
        QCOMPARE(button->toolTip(),
                 type != MD_WHATSAPP_MESSAGE
                     ? QString("Recover to Test iPhone")
                     : QString("These items cannot be put back on Test iPhone yet"));
        host.setDevices({nullptr});
        page->UpdateRecoverState();
        QCOMPARE(button->toolTip(), QString("Please connect device"));
        page->ClosePlugin();
    }
}

QTEST_MAIN(TestPhoneRecovery)
#include "tst_phonerecovery.moc"
