// The test doubles of the engine and the host, and the contract value types
// they rely on: a fake that misbehaves would make every page test lie.

#include "fakecontact.h"
#include "fakeconversation.h"
#include "fakedatasource.h"
#include "fakedevice.h"
#include "fakegetter.h"
#include "fakehost.h"
#include "fakeitem.h"
#include "fakephoto.h"
#include "fakerecords.h"
#include "faketask.h"
#include "faketaskscript.h"
#include "fakevoicememo.h"
#include "modaldialoganswerer.h"

#include "mymessagedailog.h"

#include "contracts/importexportconfigure.h"

#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

#include <climits>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace MMobile;

#if defined(__SANITIZE_THREAD__)
#define CP_UNDER_TSAN
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define CP_UNDER_TSAN
#endif
#endif

Q_DECLARE_METATYPE(FakeTaskScript)
Q_DECLARE_METATYPE(ModalDialogAnswerer::Answer)

namespace {

// Generous: only reached when something hangs.
const int kTimeout = 10000;

// What a task callback saw, kept by the callback itself.
struct CallbackLog
{
    struct Call
    {
        std::thread::id thread;
        int type;
        int status;
        int percent;
        std::optional<std::string> label;
        unsigned int getterCount;
        IMDCommon* getterFirst;
        int taskStatus; // the task's GetStatus() during the call
    };

    std::mutex mutex;
    std::vector<Call> calls;
    int falseAt = -1;             // answer false to the call with this index
    FakeGetter* sample = nullptr; // read on each call
    ITaskCtrl* task = nullptr;    // polled on each call

    std::vector<Call> snapshot()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return calls;
    }
};

bool logCall(void* context, MDType type, int status, int percent, const char* lable)
{
    auto* log = static_cast<CallbackLog*>(context);
    CallbackLog::Call call{std::this_thread::get_id(),
                           type,
                           status,
                           percent,
                           lable ? std::optional<std::string>(lable) : std::nullopt,
                           log->sample ? log->sample->GetCount() : 0u,
                           log->sample ? log->sample->GetItem(0) : nullptr,
                           log->task ? log->task->GetStatus() : -1};
    std::lock_guard<std::mutex> lock(log->mutex);
    log->calls.push_back(call);
    return static_cast<int>(log->calls.size()) - 1 != log->falseAt;
}

// A getter result as text: "null" for nullptr, else the text in quotes, so
// that a null and an empty text differ in a failure message.
QString shown(const char* text)
{
    return text ? QStringLiteral("'%1'").arg(QString::fromUtf8(text)) : QStringLiteral("null");
}

QStringList shownAll(const QStringList& texts, int count)
{
    QStringList result;
    for (int i = 0; i < count; ++i) {
        const QString t = texts.value(i);
        result.append(t.isNull() ? QStringLiteral("null") : QStringLiteral("'%1'").arg(t));
    }
    return result;
}

// Builds the record `kind` from `texts` and reads every text getter in
// interface order.
QStringList readRecord(const QString& kind, const QStringList& texts)
{
    QStringList r;
    if (kind == QLatin1String("call history")) {
        FakeCallHistory x(texts);
        r << shown(x.GetName()) << shown(x.GetPhoneNumber()) << shown(x.GetDate())
          << shown(x.GetCallType()) << shown(x.GetDuration());
    } else if (kind == QLatin1String("calendar")) {
        FakeCalendar x(texts);
        r << shown(x.GetTitle()) << shown(x.GetLocation()) << shown(x.GetStartDate())
          << shown(x.GetEndDate()) << shown(x.GetNote());
    } else if (kind == QLatin1String("note")) {
        FakeNote x(texts);
        r << shown(x.GetTitle()) << shown(x.GetDate()) << shown(x.GetBody())
          << shown(x.GetSnippet()) << shown(x.GetFolder());
    } else if (kind == QLatin1String("safari bookmark")) {
        FakeSafariBookmark x(texts);
        r << shown(x.GetTitle()) << shown(x.GetUrl());
    } else if (kind == QLatin1String("wechat friend")) {
        FakeWeChatFriend x(texts);
        r << shown(x.GetUserName()) << shown(x.GetDisplayName()) << shown(x.GetAlias())
          << shown(x.GetRemark()) << shown(x.GetRegion()) << shown(x.GetSignature());
    } else if (kind == QLatin1String("reminder")) {
        FakeReminider x(texts);
        r << shown(x.GetTitle()) << shown(x.GetStatus()) << shown(x.GetDate())
          << shown(x.GetLocation()) << shown(x.GetNote()) << shown(x.GetListName())
          << shown(x.GetPriority());
    } else if (kind == QLatin1String("contact name")) {
        FakeContactName x(texts);
        r << shown(x.GetFirstName()) << shown(x.GetMiddleName()) << shown(x.GetLastName())
          << shown(x.GetPrefix()) << shown(x.GetSuffix()) << shown(x.GetNickname())
          << shown(x.GetFirstNamePhonetic()) << shown(x.GetMiddleNamePhonetic())
          << shown(x.GetLastNamePhonetic()) << shown(x.GetFullName());
    } else if (kind == QLatin1String("contact organization")) {
        FakeContactOrganization x(texts);
        r << shown(x.GetDepartment()) << shown(x.GetJobTitle()) << shown(x.GetCompanyPhonetic())
          << shown(x.GetCompanyName());
    } else if (kind == QLatin1String("whatsapp messenger")) {
        FakeWhatsAppMessenger x(texts);
        r << shown(x.GetChatName()) << shown(x.GetPartnerName()) << shown(x.GetPartnerPhone());
    } else if (kind == QLatin1String("wechat messager")) {
        FakeWeChatMessager x(texts);
        r << shown(x.GetChatName()) << shown(x.GetAccount()) << shown(x.GetMember());
    } else if (kind == QLatin1String("message entry")) {
        FakeMessageEntry x(texts.value(0), texts.value(1), texts.value(2));
        r << shown(x.GetText()) << shown(x.GetSender()) << shown(x.GetDate());
    } else if (kind == QLatin1String("contact address")) {
        FakeContactAddressList x;
        x.append(texts);
        r << shown(x.GetStreet(0)) << shown(x.GetCity(0)) << shown(x.GetState(0))
          << shown(x.GetPostalCode(0)) << shown(x.GetCountry(0)) << shown(x.GetLabel(0));
    }
    return r;
}

// A dialog with three buttons: "Accept" accepts, "Other" ends with 7, and a
// hidden "Hidden" would end with 9.
class ThreeButtonDialog : public QDialog
{
public:
    explicit ThreeButtonDialog(const QString& title)
    {
        setWindowTitle(title);
        auto* layout = new QVBoxLayout(this);
        auto* accept = new QPushButton(QStringLiteral("&Accept"), this);
        accept->setObjectName(QStringLiteral("btnAccept"));
        auto* other = new QPushButton(QStringLiteral("Other"), this);
        other->setObjectName(QStringLiteral("btnOther"));
        auto* hidden = new QPushButton(QStringLiteral("Hidden"), this);
        hidden->setObjectName(QStringLiteral("btnHidden"));
        hidden->hide();
        layout->addWidget(accept);
        layout->addWidget(other);
        layout->addWidget(hidden);
        connect(accept, &QPushButton::clicked, this, &QDialog::accept);
        connect(other, &QPushButton::clicked, this, [this] { done(7); });
        connect(hidden, &QPushButton::clicked, this, [this] { done(9); });
    }
};

// Ends a dialog the answerer failed to answer, so the test fails instead of hanging.
void guard(QDialog* dialog)
{
    QTimer::singleShot(kTimeout, dialog, [dialog] { dialog->done(-99); });
}

} // namespace

class TestFakeEngine : public QObject
{
    Q_OBJECT

private slots:
    void taskPlaysScript_data();
    void taskPlaysScript();
    void taskStartRules();
    void gateHoldsScript_data();
    void gateHoldsScript();
    void destroyingBlockedTask_data();
    void destroyingBlockedTask();
    void getterGrowsAtFront();
    void stepGrowsGetterBeforeReport();
    void dataSourceStarts_data();
    void dataSourceStarts();
    void dataSourceCopiesConfiguration();
    void dataSourceGetters();
    void configureCopy_data();
    void configureCopy();
    void configureResetAndClear();
    void configureSelfAssignment();
    void recordTexts_data();
    void recordTexts();
    void contactParts();
    void conversationEntries();
    void recordCast();
    void photoAndVoiceMemo();
    void device();
    void hostRecordsFromOtherThreads();
    void hostSettings();
    void answererPresses_data();
    void answererPresses();
    void answererChain();
    void answererChoosesFile_data();
    void answererChoosesFile();
    void answererMessageDialog();
};

void TestFakeEngine::taskPlaysScript_data()
{
    QTest::addColumn<FakeTaskScript>("script");
    QTest::addColumn<int>("falseAt");
    QTest::addColumn<QVector<int>>("statuses");
    QTest::addColumn<QVector<int>>("percents");
    QTest::addColumn<QVector<int>>("types");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<int>("endStatus");
    QTest::addColumn<bool>("stoppedByCallback");

    const QString null;
    {
        FakeTaskScript s;
        s.report(TASK_BEGIN, 0, "1");
        s.report(TASK_PERCENT, 20, "9");
        s.report(TASK_DATA, 50, "0");
        s.report(TASK_COMPLETE, 100, "0");
        QTest::newRow("complete") << s << -1 << QVector<int>{0, 2, 1, 3}
                                  << QVector<int>{0, 20, 50, 100} << QVector<int>{1, 1, 1, 1}
                                  << QStringList{"1", "9", "0", "0"} << int(TASK_COMPLETE) << false;
    }
    {
        FakeTaskScript s;
        s.report(TASK_BEGIN, 0, "1");
        s.report(TASK_ERROR, 30, "0");
        QTest::newRow("error") << s << -1 << QVector<int>{0, 4} << QVector<int>{0, 30}
                               << QVector<int>{1, 1} << QStringList{"1", "0"} << int(TASK_ERROR)
                               << false;
    }
    {
        FakeTaskScript s;
        s.report(TASK_DATA, 10).withType(-1);
        s.report(TASK_STOP, 10, "");
        QTest::newRow("null label, no category")
            << s << -1 << QVector<int>{1, 5} << QVector<int>{10, 10} << QVector<int>{-1, 1}
            << QStringList{null, ""} << int(TASK_STOP) << false;
    }
    {
        FakeTaskScript s;
        s.report(TASK_BEGIN, 0, "1");
        s.report(TASK_PERCENT, 40, "1");
        s.report(TASK_PERCENT, 60, "0");
        s.report(TASK_COMPLETE, 100, "0");
        QTest::newRow("false stops")
            << s << 1 << QVector<int>{0, 2} << QVector<int>{0, 40} << QVector<int>{1, 1}
            << QStringList{"1", "1"} << int(TASK_STOP) << true;
        s.setConfirmStop(true);
        QTest::newRow("false stops, confirmed")
            << s << 1 << QVector<int>{0, 2, 5} << QVector<int>{0, 40, 40} << QVector<int>{1, 1, 1}
            << QStringList{"1", "1", null} << int(TASK_STOP) << true;
        QTest::newRow("false on the end report")
            << s << 3 << QVector<int>{0, 2, 2, 3, 5} << QVector<int>{0, 40, 60, 100, 100}
            << QVector<int>{1, 1, 1, 1, 1} << QStringList{"1", "1", "0", "0", null}
            << int(TASK_STOP) << true;
    }
    {
        FakeTaskScript s;
        s.report(TASK_BEGIN, 0, "1");
        s.report(TASK_PERCENT, 70, "0");
        QTest::newRow("no end report")
            << s << -1 << QVector<int>{0, 2} << QVector<int>{0, 70} << QVector<int>{1, 1}
            << QStringList{"1", "0"} << int(TASK_STOP) << false;
    }
    QTest::newRow("empty") << FakeTaskScript() << -1 << QVector<int>() << QVector<int>()
                           << QVector<int>() << QStringList() << int(TASK_STOP) << false;
}

void TestFakeEngine::taskPlaysScript()
{
    QFETCH(FakeTaskScript, script);
    QFETCH(int, falseAt);
    QFETCH(QVector<int>, statuses);
    QFETCH(QVector<int>, percents);
    QFETCH(QVector<int>, types);
    QFETCH(QStringList, labels);
    QFETCH(int, endStatus);
    QFETCH(bool, stoppedByCallback);

    CallbackLog log;
    log.falseAt = falseAt;
    FakeTask task(MD_CONTACT, script, &logCall, &log);
    log.task = &task;
    QVERIFY(task.Start());
    QVERIFY(task.waitFinished(kTimeout));

    const std::vector<CallbackLog::Call> calls = log.snapshot();
    QVector<int> gotStatuses, gotPercents, gotTypes;
    QStringList gotLabels;
    for (const CallbackLog::Call& c : calls) {
        QVERIFY(c.thread != std::this_thread::get_id());
        QVERIFY(c.thread == calls.front().thread);
        // A running status is visible during its report, an end status not yet.
        if (IsTaskEndStatus(c.status))
            QVERIFY(!IsTaskEndStatus(c.taskStatus));
        else
            QCOMPARE(c.taskStatus, c.status);
        gotStatuses << c.status;
        gotPercents << c.percent;
        gotTypes << c.type;
        gotLabels << (c.label ? QString::fromStdString(*c.label) : QString());
    }
    QCOMPARE(gotStatuses, statuses);
    QCOMPARE(gotPercents, percents);
    QCOMPARE(gotTypes, types);
    QCOMPARE(gotLabels, labels);
    for (int i = 0; i < labels.size(); ++i)
        QCOMPARE(gotLabels.at(i).isNull(), labels.at(i).isNull());
    QCOMPARE(task.GetStatus(), endStatus);
    QCOMPARE(task.stoppedByCallback(), stoppedByCallback);

    // The task's own record agrees with what the callback saw.
    const QVector<FakeTask::Report> reports = task.reports();
    QCOMPARE(reports.size(), statuses.size());
    for (int i = 0; i < reports.size(); ++i) {
        QCOMPARE(reports.at(i).status, statuses.at(i));
        QCOMPARE(reports.at(i).labelNull, labels.at(i).isNull());
        QCOMPARE(reports.at(i).result, i != falseAt);
    }
}

void TestFakeEngine::taskStartRules()
{
    FakeTaskScript script;
    script.report(TASK_COMPLETE, 100, "0");
    CallbackLog log;
    FakeTask task(MD_NOTE, script, &logCall, &log);
    QCOMPARE(task.GetStatus(), int(TASK_STOP));
    QVERIFY(!task.waitFinished(0));
    QVERIFY(task.Start());
    QVERIFY(!task.Start());
    QVERIFY(task.waitFinished(kTimeout));
    QCOMPARE(task.startCalls(), 2);
    QCOMPARE(log.snapshot().size(), std::size_t(1));
    task.Release();
    QCOMPARE(task.releaseCalls(), 1);

    script.setStartFails(true);
    FakeTask refused(MD_NOTE, script, &logCall, &log);
    QVERIFY(!refused.Start());
    QVERIFY(!refused.isStarted());
    QCOMPARE(refused.GetStatus(), int(TASK_STOP));
    QCOMPARE(log.snapshot().size(), std::size_t(1));
}

void TestFakeEngine::gateHoldsScript_data()
{
    QTest::addColumn<bool>("releaseEarly");
    QTest::newRow("released while held") << false;
    QTest::newRow("released before reached") << true;
}

void TestFakeEngine::gateHoldsScript()
{
    QFETCH(bool, releaseEarly);

    FakeTaskScript script;
    script.report(TASK_BEGIN, 0, "1");
    script.report(TASK_PERCENT, 30, "1");
    script.report(TASK_PERCENT, 60, "0").held();
    script.report(TASK_COMPLETE, 100, "0");
    CallbackLog log;
    FakeTask task(MD_NOTE, script, &logCall, &log);
    if (releaseEarly)
        task.release();
    QVERIFY(task.Start());
    if (!releaseEarly) {
        QCOMPARE(task.waitHeld(kTimeout), 2);
        QCOMPARE(task.heldStep(), 2);
        QCOMPARE(log.snapshot().size(), std::size_t(2));
        QCOMPARE(task.GetStatus(), int(TASK_PERCENT));
        QVERIFY(!task.isFinished());
        task.release();
        QCOMPARE(task.heldStep(), -1);
    }
    QVERIFY(task.waitFinished(kTimeout));
    QCOMPARE(log.snapshot().size(), std::size_t(4));
    QCOMPARE(task.GetStatus(), int(TASK_COMPLETE));
    QCOMPARE(task.waitHeld(0), -1);
}

void TestFakeEngine::destroyingBlockedTask_data()
{
    QTest::addColumn<bool>("atGate");
    QTest::newRow("at a gate") << true;
    QTest::newRow("in a delay") << false;
}

void TestFakeEngine::destroyingBlockedTask()
{
    QFETCH(bool, atGate);

    FakeTaskScript script;
    script.report(TASK_BEGIN, 0, "1");
    FakeTaskScript::Step& blocked = script.report(TASK_COMPLETE, 100, "0");
    if (atGate)
        blocked.held();
    else
        blocked.after(10 * 60 * 1000);
    CallbackLog log;
    {
        FakeTask task(MD_NOTE, script, &logCall, &log);
        QVERIFY(task.Start());
        if (atGate)
            QCOMPARE(task.waitHeld(kTimeout), 1);
        else
            QTRY_COMPARE_WITH_TIMEOUT(int(log.snapshot().size()), 1, kTimeout);
        // Leaving the scope must abort the step and join, not wait it out.
    }
    QCOMPARE(log.snapshot().size(), std::size_t(1));
}

void TestFakeEngine::getterGrowsAtFront()
{
    FakeGetter getter;
    QCOMPARE(getter.GetCount(), 0u);
    QCOMPARE(getter.GetItem(0), nullptr);

    FakeItem a, b, c;
    getter.prepend(&a);
    getter.prepend(QVector<IMDCommon*>{&b, nullptr, &c});
    getter.prepend(nullptr);
    QCOMPARE(getter.GetCount(), 3u);
    QCOMPARE(getter.GetItem(0), &c);
    QCOMPARE(getter.GetItem(1), &b);
    QCOMPARE(getter.GetItem(2), &a);
    QCOMPARE(getter.GetItem(3), nullptr);
    QCOMPARE(getter.GetItem(UINT_MAX), nullptr);

    FakeItem* owned = getter.prependNew(std::make_unique<FakeNote>(QStringList{"t"}), true);
    QCOMPARE(getter.GetItem(0), owned);
    QVERIFY(owned->IsDeleted());
    QCOMPARE(QByteArray(record_cast<INote>(owned)->GetTitle()), QByteArray("t"));

    // Owned items outlive clear(): a store may still hold them.
    getter.clear();
    QCOMPARE(getter.GetCount(), 0u);
    owned->SetDropMark(true);
    QVERIFY(owned->dropMark());
    QCOMPARE(QByteArray(record_cast<INote>(owned)->GetTitle()), QByteArray("t"));
}

void TestFakeEngine::stepGrowsGetterBeforeReport()
{
    FakeGetter getter;
    FakeItem* first = getter.newItem(std::make_unique<FakeNote>());
    FakeItem* second = getter.newItem(std::make_unique<FakeNote>());
    FakeItem* third = getter.newItem(std::make_unique<FakeNote>());
    QCOMPARE(getter.GetCount(), 0u);

    std::vector<IMDCommon*> bulk;
    for (int i = 0; i < 300; ++i)
        bulk.push_back(getter.newItem(std::make_unique<FakeNote>()));

    FakeTaskScript script;
    script.report(TASK_BEGIN, 0, "1");
    script.report(TASK_DATA, 30, "0").prepending(&getter, {first});
    script.report(TASK_DATA, 60, "0").prepending(&getter, {second, third});
    script.report(TASK_DATA, 90, "0").running([&getter, &bulk] {
        for (IMDCommon* item : bulk)
            getter.prepend(item);
    });
    script.report(TASK_COMPLETE, 100, "0");

    CallbackLog log;
    log.sample = &getter;
    FakeTask task(MD_NOTE, script, &logCall, &log);
    QVERIFY(task.Start());
    // Read while the task's thread grows the getter.
    while (!task.isFinished()) {
        const unsigned int n = getter.GetCount();
        if (n > 0)
            QVERIFY(getter.GetItem(0) != nullptr);
        QCoreApplication::processEvents();
    }
    QVERIFY(task.waitFinished(kTimeout));

    const std::vector<CallbackLog::Call> calls = log.snapshot();
    QCOMPARE(calls.size(), std::size_t(5));
    QCOMPARE(calls[0].getterCount, 0u);
    QCOMPARE(calls[1].getterCount, 1u);
    QCOMPARE(calls[1].getterFirst, first);
    QCOMPARE(calls[2].getterCount, 3u);
    QCOMPARE(calls[2].getterFirst, third);
    QCOMPARE(calls[3].getterCount, 303u);
    QCOMPARE(calls[3].getterFirst, bulk.back());
    QCOMPARE(getter.GetItem(300), third);
    QCOMPARE(getter.GetItem(302), first);
}

void TestFakeEngine::dataSourceStarts_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("fails");
    QTest::newRow("scan") << int(FakeDataSource::Scan) << false;
    QTest::newRow("import") << int(FakeDataSource::Import) << false;
    QTest::newRow("export") << int(FakeDataSource::Export) << false;
    QTest::newRow("scan refused") << int(FakeDataSource::Scan) << true;
    QTest::newRow("import refused") << int(FakeDataSource::Import) << true;
    QTest::newRow("export refused") << int(FakeDataSource::Export) << true;
}

void TestFakeEngine::dataSourceStarts()
{
    QFETCH(int, kind);
    QFETCH(bool, fails);
    const auto k = static_cast<FakeDataSource::Kind>(kind);

    FakeDataSource source(MD_CALENDAR);
    const char* names[] = {"scan", "import", "export"};
    for (int i = 0; i < 3; ++i) {
        FakeTaskScript s;
        s.report(TASK_COMPLETE, 100, names[i]);
        source.setScript(static_cast<FakeDataSource::Kind>(i), s);
    }
    source.setStartFails(k, fails);

    CallbackLog log;
    ImportExportConfigure config;
    config.nMode = RECOVER_TO_PC;
    ITaskCtrl* task = nullptr;
    switch (k) {
    case FakeDataSource::Scan:
        task = source.StartScan(1, &logCall, &log);
        break;
    case FakeDataSource::Import:
        task = source.StartImport(&config, &logCall, &log);
        break;
    case FakeDataSource::Export:
        task = source.StartExport(&config, &logCall, &log);
        break;
    }

    QCOMPARE(source.startCount(k), 1);
    QCOMPARE(source.startCalls().size(), std::size_t(1));
    const FakeDataSource::StartCall call = source.lastStart(k);
    QCOMPARE(call.kind, k);
    QVERIFY(call.callback == &logCall);
    QCOMPARE(call.context, static_cast<void*>(&log));
    QCOMPARE(call.mode, k == FakeDataSource::Scan ? 1 : 0);
    if (k != FakeDataSource::Scan)
        QCOMPARE(call.config.nMode, int(RECOVER_TO_PC));
    if (fails) {
        QCOMPARE(task, nullptr);
        QCOMPARE(call.task, nullptr);
        QCOMPARE(source.lastTask(), nullptr);
        return;
    }
    QVERIFY(task);
    QCOMPARE(static_cast<ITaskCtrl*>(source.lastTask()), task);
    QCOMPARE(static_cast<ITaskCtrl*>(call.task), task);
    // A scan waits for Start(); import and export tasks already run.
    QCOMPARE(task->Start(), k == FakeDataSource::Scan);
    QVERIFY(source.lastTask()->isStarted());
    QVERIFY(source.lastTask()->waitFinished(kTimeout));
    const std::vector<CallbackLog::Call> calls = log.snapshot();
    QCOMPARE(calls.size(), std::size_t(1));
    QCOMPARE(QByteArray(calls[0].label->c_str()), QByteArray(names[kind]));
    QCOMPARE(calls[0].type, int(MD_CALENDAR));
    QCOMPARE(task->GetStatus(), int(TASK_COMPLETE));
}

void TestFakeEngine::dataSourceCopiesConfiguration()
{
    FakeDataSource source(MD_NOTE);
    FakeDevice target;
    const int indexes[] = {4, 2, 7};
    auto* config = new ImportExportConfigure;
    config->nType = MD_NOTE;
    config->nMode = RECOVER_TO_OTHER_DEVICE;
    config->nOption = 5;
    config->pDevice = &target;
    config->SetPath("/out/dir");
    config->SetIndexs(indexes, 3);
    QVERIFY(source.StartExport(config, &logCall, nullptr));
    QVERIFY(source.lastStart(FakeDataSource::Export).config.szPath != config->szPath);
    delete config;

    const FakeDataSource::StartCall call = source.lastStart(FakeDataSource::Export);
    QCOMPARE(call.config.nType, MD_NOTE);
    QCOMPARE(call.config.nMode, int(RECOVER_TO_OTHER_DEVICE));
    QCOMPARE(call.config.nOption, 5);
    QCOMPARE(call.config.pDevice, static_cast<IDevice*>(&target));
    QCOMPARE(call.path(), QByteArray("/out/dir"));
    QCOMPARE(call.indexes(), (QVector<int>{4, 2, 7}));
    QVERIFY(!call.configNull);

    QCOMPARE(source.StartImport(nullptr, &logCall, nullptr), nullptr);
    QVERIFY(source.lastStart(FakeDataSource::Import).configNull);
    QVERIFY(source.lastStart(FakeDataSource::Import).path().isNull());
    QCOMPARE(source.startCount(FakeDataSource::Import), 1);

    source.Release();
    source.Release();
    QCOMPARE(source.releaseCalls(), 2);
}

void TestFakeEngine::dataSourceGetters()
{
    FakeDataSource source(MD_REMINDER);
    QCOMPARE(source.GetNamedGetter("Reminider"), nullptr);
    FakeGetter* reminders = source.namedGetter("Reminider");
    QCOMPARE(source.namedGetter("Reminider"), reminders);
    QCOMPARE(source.GetNamedGetter("Reminider"), static_cast<IMDGetter*>(reminders));
    QCOMPARE(source.GetNamedGetter("Reminder"), nullptr);
    QCOMPARE(source.GetNamedGetter(nullptr), nullptr);
    QCOMPARE(source.namedGetterRequests(),
             (QByteArrayList{"Reminider", "Reminider", "Reminder", QByteArray()}));

    QVERIFY(source.dataGetter());
    QVERIFY(static_cast<IMDGetter*>(source.dataGetter()) != reminders);
    QCOMPARE(source.GetDataGetter(), static_cast<IMDGetter*>(source.dataGetter()));
    source.setDataGetterHidden(true);
    QCOMPARE(source.GetDataGetter(), nullptr);
    QCOMPARE(source.dataGetterRequests(), 2);
}

void TestFakeEngine::configureCopy_data()
{
    QTest::addColumn<bool>("assign");
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QVector<int>>("indexes");

    const QVector<int> three{3, 0, 11};
    for (bool assign : {false, true}) {
        const char* how = assign ? "assigned" : "copied";
        QTest::addRow("%s, path and indexes", how) << assign << QByteArray("C:/out") << three;
        QTest::addRow("%s, path only", how) << assign << QByteArray("/o") << QVector<int>();
        QTest::addRow("%s, indexes only", how) << assign << QByteArray() << three;
        QTest::addRow("%s, empty", how) << assign << QByteArray() << QVector<int>();
    }
}

void TestFakeEngine::configureCopy()
{
    QFETCH(bool, assign);
    QFETCH(QByteArray, path);
    QFETCH(QVector<int>, indexes);

    FakeDevice device;
    auto original = std::make_unique<ImportExportConfigure>();
    original->nType = MD_CONTACT;
    original->nMode = RECOVER_SAME_DEVICE;
    original->nOption = 9;
    original->pDevice = &device;
    original->SetPath(path.isNull() ? nullptr : path.constData());
    original->SetIndexs(indexes.constData(), indexes.size());

    std::unique_ptr<ImportExportConfigure> copy;
    if (assign) {
        // A target that already owns a path and indexes, which must be replaced.
        copy = std::make_unique<ImportExportConfigure>();
        const int old[] = {1, 2, 3, 4, 5};
        copy->SetPath("old/path");
        copy->SetIndexs(old, 5);
        *copy = *original;
    } else {
        copy = std::make_unique<ImportExportConfigure>(*original);
    }

    if (original->szPath)
        QVERIFY(copy->szPath != original->szPath);
    if (original->pIndexs)
        QVERIFY(copy->pIndexs != original->pIndexs);

    // Change, then destroy, the original.
    original->SetPath("changed");
    if (original->pIndexs)
        original->pIndexs[0] = -42;
    original->nOption = 1;
    original.reset();

    QCOMPARE(copy->nType, MD_CONTACT);
    QCOMPARE(copy->nMode, int(RECOVER_SAME_DEVICE));
    QCOMPARE(copy->nOption, 9);
    QCOMPARE(copy->pDevice, static_cast<IDevice*>(&device));
    QCOMPARE(copy->szPath ? QByteArray(copy->szPath) : QByteArray(), path);
    QCOMPARE(copy->szPath == nullptr, path.isNull());
    QCOMPARE(copy->nIndexCount, indexes.size());
    QCOMPARE(copy->pIndexs == nullptr, indexes.isEmpty());
    for (int i = 0; i < indexes.size(); ++i)
        QCOMPARE(copy->pIndexs[i], indexes.at(i));
}

void TestFakeEngine::configureResetAndClear()
{
    FakeDevice device;
    ImportExportConfigure config;
    QCOMPARE(int(config.nType), -1);
    const unsigned int wide[] = {8u, 6u};
    config.nType = MD_PHOTO;
    config.nMode = RECOVER_TO_PC;
    config.nOption = 2;
    config.pDevice = &device;
    config.SetPath("/p");
    config.SetIndexs(wide, 2);
    QCOMPARE(config.nIndexCount, 2);
    QCOMPARE(config.pIndexs[1], 6);

    config.Reset();
    QCOMPARE(int(config.nType), -1);
    QCOMPARE(config.nMode, 0);
    QCOMPARE(config.nOption, 0);
    QCOMPARE(config.szPath, nullptr);
    QCOMPARE(config.pDevice, nullptr);
    QCOMPARE(config.pIndexs, nullptr);
    QCOMPARE(config.nIndexCount, 0);

    config.SetIndexs(wide, 2);
    config.SetIndexs(static_cast<const int*>(nullptr), 3);
    QCOMPARE(config.pIndexs, nullptr);
    QCOMPARE(config.nIndexCount, 0);
    config.SetIndexs(wide, 0);
    QCOMPARE(config.pIndexs, nullptr);
    config.SetPath("/p");
    config.SetPath(nullptr);
    QCOMPARE(config.szPath, nullptr);
}

void TestFakeEngine::configureSelfAssignment()
{
    const int indexes[] = {5, 1};
    ImportExportConfigure config;
    config.nType = MD_NOTE;
    config.SetPath("/self");
    config.SetIndexs(indexes, 2);
    const ImportExportConfigure& same = config;
    config = same;
    QCOMPARE(config.nType, MD_NOTE);
    QCOMPARE(QByteArray(config.szPath), QByteArray("/self"));
    QCOMPARE(config.nIndexCount, 2);
    QCOMPARE(config.pIndexs[0], 5);
    QCOMPARE(config.pIndexs[1], 1);
}

void TestFakeEngine::recordTexts_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<int>("count");

    const QList<QPair<QString, int>> kinds = {{"call history", 5},
                                              {"calendar", 5},
                                              {"note", 5},
                                              {"safari bookmark", 2},
                                              {"wechat friend", 6},
                                              {"reminder", 7},
                                              {"contact name", 10},
                                              {"contact organization", 4},
                                              {"whatsapp messenger", 3},
                                              {"wechat messager", 3},
                                              {"message entry", 3},
                                              {"contact address", 6}};
    for (const auto& kind : kinds) {
        QStringList distinct, mixed;
        for (int i = 0; i < kind.second; ++i) {
            distinct << QStringLiteral("%1 %2 \u00e9").arg(kind.first).arg(i);
            // Null, empty and text in turn: an empty text must not turn null.
            mixed << (i % 3 == 0 ? QString() : i % 3 == 1 ? QString("") : QString("x%1").arg(i));
        }
        const QByteArray name = kind.first.toUtf8();
        QTest::addRow("%s: all set", name.constData()) << kind.first << distinct << kind.second;
        QTest::addRow("%s: all null", name.constData())
            << kind.first << QStringList() << kind.second;
        QTest::addRow("%s: mixed", name.constData()) << kind.first << mixed << kind.second;
    }
}

void TestFakeEngine::recordTexts()
{
    QFETCH(QString, kind);
    QFETCH(QStringList, texts);
    QFETCH(int, count);
    QCOMPARE(readRecord(kind, texts), shownAll(texts, count));
}

void TestFakeEngine::contactParts()
{
    FakeContact contact;
    const QList<IContactList*> lists{contact.GetPhoneList(),        contact.GetEmailList(),
                                     contact.GetUrlList(),          contact.GetInstantMessageList(),
                                     contact.GetRelatedNameList(),  contact.GetDateList(),
                                     contact.GetSocialProfileList()};
    for (int i = 0; i < lists.size(); ++i) {
        QVERIFY(lists[i]);
        QCOMPARE(lists[i]->GetValue(0), nullptr);
        for (int j = 0; j < i; ++j)
            QVERIFY(lists[i] != lists[j]);
    }
    QVERIFY(contact.GetName() && contact.GetOrganization() && contact.GetAddressList());
    QCOMPARE(contact.GetAddressList()->GetStreet(0), nullptr);

    contact.phones().append("+100", "mobile");
    contact.phones().append("+200");
    contact.emails().append("ann@example.org", "work");
    contact.addresses().append({"1 Main St", "Town"});
    contact.setNote("");
    QCOMPARE(contact.GetPhoneList()->GetCount(), 2u);
    QCOMPARE(shown(contact.GetPhoneList()->GetValue(1)), QString("'+200'"));
    QCOMPARE(contact.GetPhoneList()->GetLabel(1), nullptr);
    QCOMPARE(contact.GetPhoneList()->GetValue(2), nullptr);
    QCOMPARE(shown(contact.GetEmailList()->GetLabel(0)), QString("'work'"));
    QCOMPARE(contact.GetUrlList()->GetCount(), 0u);
    QCOMPARE(shown(contact.GetAddressList()->GetCity(0)), QString("'Town'"));
    QCOMPARE(contact.GetAddressList()->GetLabel(0), nullptr);
    QCOMPARE(contact.GetAddressList()->GetCity(1), nullptr);
    QCOMPARE(shown(contact.GetNote()), QString("''"));
    QCOMPARE(contact.GetBirthday(), nullptr);
}

void TestFakeEngine::conversationEntries()
{
    FakeMessage message;
    message.addParticipant("Ann", "+100", QString());
    message.addEntry("hi", "Ann", "2020-01-02 03:04:05", false);
    message.addEntry("hello", QString(), "2020-01-02 03:05:00", true);
    QCOMPARE(message.GetParticipantCount(), 1u);
    QCOMPARE(shown(message.GetParticipantPhone(0)), QString("'+100'"));
    QCOMPARE(message.GetParticipantEmail(0), nullptr);
    QCOMPARE(message.GetParticipantName(1), nullptr);
    QCOMPARE(message.GetEntryCount(), 2u);
    QCOMPARE(shown(message.GetEntry(1)->GetText()), QString("'hello'"));
    QVERIFY(message.GetEntry(1)->IsSent());
    QVERIFY(!message.GetEntry(0)->IsSent());
    QCOMPARE(message.GetEntry(2), nullptr);

    FakeWhatsAppMessenger whatsapp({"Chat", "Bob", "+300"});
    QCOMPARE(whatsapp.GetEntry(0), nullptr);
    FakeMessageEntry* entry = whatsapp.addEntry("yo", "Bob", QString(), true);
    QCOMPARE(whatsapp.GetEntry(0), static_cast<IMessageEntry*>(entry));
    QCOMPARE(whatsapp.GetEntryCount(), 1u);

    FakeWeChatMessager wechat({"Group", "me"});
    wechat.addEntry(QString(), "Cy", "2021-05-06 07:08:09");
    QCOMPARE(wechat.GetEntryCount(), 1u);
    QCOMPARE(wechat.GetEntry(0)->GetText(), nullptr);
    QCOMPARE(wechat.GetEntry(UINT_MAX), nullptr);
}

void TestFakeEngine::recordCast()
{
    FakeNote note({"title"});
    FakeItem item(&note);
    QCOMPARE(record_cast<INote>(&item), static_cast<INote*>(&note));
    QCOMPARE(record_cast<IContact>(&item), nullptr);
    QCOMPARE(record_cast<IReminider>(&item), nullptr);

    FakeItem empty;
    QCOMPARE(record_cast<INote>(&empty), nullptr);
    QCOMPARE(record_cast<INote>(static_cast<IMDCommon*>(nullptr)), nullptr);

    auto owning = FakeItem::owning(std::make_unique<FakePhoto>());
    QVERIFY(record_cast<IPhoto>(owning.get()));
    QCOMPARE(record_cast<IVoiceMemo>(owning.get()), nullptr);
}

void TestFakeEngine::photoAndVoiceMemo()
{
    FakePhoto photo;
    QCOMPARE(photo.GetFilePath(), nullptr);
    QCOMPARE(photo.GetThumbnailPath(), nullptr);
    QCOMPARE(photo.GetFormatName(), nullptr);
    QCOMPARE(photo.GetFileKind(), int(FILE_KIND_PICTURE));
    // The engine's own path is not a write by the page.
    photo.setThumbnailPath("/engine/thumb.png");
    QVERIFY(photo.thumbnailPathWrites().isEmpty());

    QByteArray written("/work/t.jpg");
    photo.SetThumbnailPath(written.constData());
    written[1] = 'X'; // the engine copies the path
    QCOMPARE(shown(photo.GetThumbnailPath()), QString("'/work/t.jpg'"));
    photo.SetThumbnailPath(nullptr);
    QCOMPARE(photo.GetThumbnailPath(), nullptr);
    QCOMPARE(photo.thumbnailPathWrites(), (QByteArrayList{"/work/t.jpg", QByteArray()}));
    QVERIFY(photo.thumbnailPathWrites().at(1).isNull());
    photo.SetDropMark(true);
    photo.SetDropMark(false);
    QVERIFY(!photo.dropMark());
    QCOMPARE(photo.dropMarkCalls(), 2);

    FakeVoiceMemo memo;
    QCOMPARE(memo.GetTextProperty(VOICE_PROP_THUMBNAIL_PATH), nullptr);
    memo.setTextProperty(3, "engine");
    memo.SetTextProperty(VOICE_PROP_THUMBNAIL_PATH, "/work/v.png");
    QCOMPARE(shown(memo.GetTextProperty(VOICE_PROP_THUMBNAIL_PATH)), QString("'/work/v.png'"));
    QCOMPARE(memo.thumbnailPath().bytes(), QByteArray("/work/v.png"));
    QCOMPARE(shown(memo.GetTextProperty(3)), QString("'engine'"));
    QCOMPARE(memo.GetTextProperty(4), nullptr);
    QCOMPARE(memo.propertyWrites().size(), 1);
    QCOMPARE(memo.propertyWrites().at(0).first, int(VOICE_PROP_THUMBNAIL_PATH));
}

void TestFakeEngine::device()
{
    FakeDevice device("Ann's phone");
    IDevice* asDevice = &device;
    IDeviceInfo* info = asDevice->GetDeviceInfo();
    QVERIFY(info);
    QCOMPARE(shown(info->GetTextProperty(DEVICE_PROP_DISPLAY_NAME, 0)), QString("'Ann's phone'"));
    QCOMPARE(info->GetTextProperty(DEVICE_PROP_DISPLAY_NAME, 1), nullptr);
    QCOMPARE(info->GetTextProperty(1, 0), nullptr);
    QCOMPARE(device.info().textPropertyCalls(), 3);

    FakeDataSource notes(MD_NOTE);
    QCOMPARE(asDevice->GetDataSource(MD_NOTE), nullptr);
    device.setDataSource(MD_NOTE, &notes);
    QCOMPARE(asDevice->GetDataSource(MD_NOTE), static_cast<ICategoryDataSource*>(&notes));
    QCOMPARE(asDevice->GetDataSource(static_cast<MDType>(-1)), nullptr);
    device.setDataSource(MD_NOTE, nullptr);
    QCOMPARE(asDevice->GetDataSource(MD_NOTE), nullptr);
    QCOMPARE(device.dataSourceRequests(), (QVector<int>{MD_NOTE, MD_NOTE, -1, MD_NOTE}));

    device.setDeviceInfoHidden(true);
    QCOMPARE(asDevice->GetDeviceInfo(), nullptr);
    QCOMPARE(device.deviceInfoCalls(), 2);

    FakeDevice unnamed;
    QCOMPARE(unnamed.GetDeviceInfo()->GetTextProperty(DEVICE_PROP_DISPLAY_NAME, 0), nullptr);
}

void TestFakeEngine::hostRecordsFromOtherThreads()
{
    FakeHost host;
    host.setStopRequested(true);
    bool stop = false;
    std::thread engine([&host, &stop] {
        host.OnScanPercent(10);
        host.OnScanStatus(1);
        stop = host.IsStopRequested();
        host.OnOperationFailed(MD_NOTE);
    });
    QVERIFY(host.waitForEvent("OnOperationFailed", kTimeout));
    engine.join();
    QVERIFY(stop);
    host.OnScanAborted();
    host.OnRecoverResult(RECOVER_TO_PC, MD_PHOTO, 1);
    host.OnPluginClose(MD_NOTE);

    const QStringList offThread{"OnScanPercent(10)", "OnScanStatus(1)", "IsStopRequested()",
                                "OnOperationFailed(7)"};
    QCOMPARE(host.eventsOffGuiThread(), offThread);
    QCOMPARE(host.events(), (offThread + QStringList{"OnScanAborted()", "OnRecoverResult(3,0,1)",
                                                     "OnPluginClose(7)"}));
    QCOMPARE(host.scanPercents(), QVector<int>{10});
    QCOMPARE(host.operationFailures(), QVector<int>{MD_NOTE});
    QCOMPARE(host.recoverResults().size(), 1);
    QCOMPARE(host.recoverResults().at(0).type, int(MD_PHOTO));
    QCOMPARE(host.stopRequestedCount(), 1);
    QVERIFY(!host.waitForEvent("OnScanStatus(3)", 0));

    // Two engine threads at once while the GUI thread reads.
    host.clearEvents();
    QVERIFY(host.events().isEmpty());
    const int perThread = 500;
    auto flood = [&host](int status) {
        for (int i = 0; i < perThread; ++i)
            host.OnScanStatus(status);
    };
    std::thread one(flood, 1);
    std::thread two(flood, 2);
    while (host.eventCount("OnScanStatus") < 2 * perThread)
        QVERIFY(host.events().size() <= 2 * perThread);
    one.join();
    two.join();
    QCOMPARE(host.eventCount("OnScanStatus(1)"), perThread);
    QCOMPARE(host.eventCount("OnScanStatus(2)"), perThread);
    QCOMPARE(host.scanStatuses().size(), 2 * perThread);
}

void TestFakeEngine::hostSettings()
{
    FakeHost host;
    IUIPluginSetting* setting = &host;
    QVERIFY(setting->GetOutputDir());
    setting->SetOutputDir("/chosen");
    QCOMPARE(QByteArray(setting->GetOutputDir()), QByteArray("/chosen"));
    setting->SetOutputDir(nullptr);
    QVERIFY(setting->GetOutputDir());
    QVERIFY(host.outputDirsSet().at(1).isNull());
    QCOMPARE(host.events(), (QStringList{"SetOutputDir(/chosen)", "SetOutputDir()"}));

    host.setSkinDir(-1, "/res/");
    QCOMPARE(QByteArray(setting->GetSkinDir(-1)), QByteArray("/res/"));
    QVERIFY(setting->GetSkinDir(MD_PHOTO));

    unsigned int count = 99;
    QCOMPARE(setting->GetDeviceList(&count), nullptr);
    QCOMPARE(count, 0u);
    FakeDevice a, b;
    host.setDevices({&a, nullptr, &b});
    DeviceEntry* entries = setting->GetDeviceList(&count);
    QCOMPARE(count, 3u);
    QCOMPARE(entries[0].pDevice, static_cast<IDevice*>(&a));
    QCOMPARE(entries[1].pDevice, nullptr);
    QCOMPARE(entries[2].pDevice, static_cast<IDevice*>(&b));
    QVERIFY(setting->GetDeviceList(nullptr));

    auto* parent = new QWidget;
    host.setParentWidget(parent);
    QCOMPARE(setting->GetParentWidget(), parent);
    delete parent;
    QCOMPARE(setting->GetParentWidget(), nullptr);
}

void TestFakeEngine::answererPresses_data()
{
    using Answer = ModalDialogAnswerer::Answer;
    QTest::addColumn<bool>("messageBox");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("done");
    QTest::addColumn<bool>("error");

    QTest::newRow("message box, by text")
        << true << Answer::pressText("No") << int(QMessageBox::No) << "press:No" << false;
    QTest::newRow("message box, by marked text")
        << true << Answer::pressText("&Yes") << int(QMessageBox::Yes) << "press:Yes" << false;
    QTest::newRow("message box, escape")
        << true << Answer::escape() << int(QMessageBox::No) << "escape" << false;
    QTest::newRow("dialog, by object name")
        << false << Answer::pressButton("btnOther") << 7 << "press:Other" << false;
    QTest::newRow("dialog, by text") << false << Answer::pressText("Accept")
                                     << int(QDialog::Accepted) << "press:Accept" << false;
    QTest::newRow("dialog, first button")
        << false << Answer::pressIndex(0) << int(QDialog::Accepted) << "press:Accept" << false;
    QTest::newRow("dialog, second button")
        << false << Answer::pressIndex(1) << 7 << "press:Other" << false;
    QTest::newRow("dialog, reject")
        << false << Answer::reject() << int(QDialog::Rejected) << "reject" << false;
    QTest::newRow("dialog, escape")
        << false << Answer::escape() << int(QDialog::Rejected) << "escape" << false;
    QTest::newRow("dialog, hidden button refused")
        << false << Answer::pressButton("btnHidden") << int(QDialog::Rejected) << "reject" << true;
    QTest::newRow("dialog, hidden buttons not counted")
        << false << Answer::pressIndex(2) << int(QDialog::Rejected) << "reject" << true;
    QTest::newRow("dialog, unknown button")
        << false << Answer::pressButton("btnNone") << int(QDialog::Rejected) << "reject" << true;
    QTest::newRow("dialog, file answer refused")
        << false << Answer::chooseFile("/tmp") << int(QDialog::Rejected) << "reject" << true;
}

void TestFakeEngine::answererPresses()
{
    QFETCH(bool, messageBox);
    QFETCH(ModalDialogAnswerer::Answer, answer);
    QFETCH(int, result);
    QFETCH(QString, done);
    QFETCH(bool, error);

    std::unique_ptr<QDialog> dialog;
    if (messageBox) {
        auto* box = new QMessageBox(QMessageBox::Question, "Question", "Go on?",
                                    QMessageBox::Yes | QMessageBox::No);
        box->setEscapeButton(QMessageBox::No);
        dialog.reset(box);
    } else {
        dialog = std::make_unique<ThreeButtonDialog>("Three");
    }
    ModalDialogAnswerer answerer;
    answerer.answer(answer);
    QCOMPARE(answerer.pendingCount(), 1);
    guard(dialog.get());
    QCOMPARE(dialog->exec(), result);
    QCOMPARE(answerer.pendingCount(), 0);
    QCOMPARE(answerer.answeredCount(), 1);
    const ModalDialogAnswerer::Seen seen = answerer.last();
    // ThreeButtonDialog has no meta-object of its own.
    QCOMPARE(seen.className, QString(messageBox ? "QMessageBox" : "QDialog"));
    QCOMPARE(seen.windowTitle, QString(messageBox ? "Question" : "Three"));
    QCOMPARE(seen.messageText, QString(messageBox ? "Go on?" : ""));
    QVERIFY(!seen.isMessageDialog);
    QCOMPARE(seen.done, done);
    QCOMPARE(!seen.error.isEmpty(), error);
    QCOMPARE(answerer.errors().size(), error ? 1 : 0);
}

void TestFakeEngine::answererChain()
{
    using Answer = ModalDialogAnswerer::Answer;
    ModalDialogAnswerer answerer;

    // A button of the first dialog opens a second one on top of it.
    ThreeButtonDialog outer("Outer");
    ThreeButtonDialog inner("Inner");
    auto* open = new QPushButton("Open", &outer);
    outer.layout()->addWidget(open);
    connect(open, &QPushButton::clicked, &outer, [&] { outer.done(100 + inner.exec()); });
    answerer.answer({Answer::pressText("Open"), Answer::pressButton("btnOther")});
    guard(&outer);
    guard(&inner);
    QCOMPARE(outer.exec(), 107);
    QCOMPARE(answerer.answeredCount(), 2);
    QCOMPARE(answerer.seen().at(0).windowTitle, QString("Outer"));
    QCOMPARE(answerer.seen().at(1).windowTitle, QString("Inner"));

    // One dialog run twice gets two answers; an unanswered third run waits.
    answerer.answer({Answer::pressIndex(0), Answer::pressButton("btnOther")});
    QCOMPARE(inner.exec(), int(QDialog::Accepted));
    QCOMPARE(inner.exec(), 7);
    QCOMPARE(answerer.answeredCount(), 4);
    QCOMPARE(answerer.pendingCount(), 0);
    QVERIFY(answerer.errors().isEmpty());

    // Answers wait for a dialog that opens later.
    answerer.answer(Answer::reject());
    QVERIFY(!answerer.waitAnswered(5, 50));
    QTimer::singleShot(0, &inner, [&inner] { inner.exec(); });
    QVERIFY(answerer.waitAnswered(5, kTimeout));
    QCOMPARE(answerer.last().done, QString("reject"));
}

void TestFakeEngine::answererChoosesFile_data()
{
    QTest::addColumn<bool>("directory");
    QTest::newRow("file") << false;
    QTest::newRow("directory") << true;
}

void TestFakeEngine::answererChoosesFile()
{
#ifdef CP_UNDER_TSAN
    QSKIP("QFileDialog reads folders on a thread of Qt's own, which ThreadSanitizer cannot follow");
#endif
    QFETCH(bool, directory);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath("chosen");
    QVERIFY(QDir().mkpath(folder));
    const QString file = dir.filePath("picked.txt");
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    const QString path = directory ? folder : file;

    QFileDialog chooser(nullptr, "Choose");
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    chooser.setFileMode(directory ? QFileDialog::Directory : QFileDialog::ExistingFile);
    if (directory)
        chooser.setOption(QFileDialog::ShowDirsOnly);
    chooser.setDirectory(dir.path());
    ModalDialogAnswerer answerer;
    answerer.answer(ModalDialogAnswerer::Answer::chooseFile(path));
    guard(&chooser);
    QCOMPARE(chooser.exec(), int(QDialog::Accepted));
    QCOMPARE(chooser.selectedFiles(), QStringList{path});
    QCOMPARE(answerer.last().className, QString("QFileDialog"));
    QCOMPARE(answerer.last().done, "choose:" + path);
}

void TestFakeEngine::answererMessageDialog()
{
    using Answer = ModalDialogAnswerer::Answer;
    MyMessageDailog dialog(nullptr, true);
    dialog.setMessageType(MyMessageDailog::MESSAGE_ERROR);
    dialog.setMessageText("Recovery failed!<br>Try again.");
    dialog.setBtnText("OK", "Cancel");
    dialog.setCancelBtnHide();

    ModalDialogAnswerer answerer;
    answerer.answer({Answer::cancel(), Answer::ok()});
    QTimer::singleShot(kTimeout, &dialog, [&dialog] { dialog.done(-99); });
    QCOMPARE(dialog.exec(), 0);
    QCOMPARE(dialog.exec(), 1);
    QCOMPARE(answerer.answeredCount(), 2);
    const ModalDialogAnswerer::Seen refused = answerer.seen().at(0);
    QVERIFY(!refused.error.isEmpty());
    const ModalDialogAnswerer::Seen seen = answerer.seen().at(1);
    QVERIFY(seen.error.isEmpty());
    QVERIFY(seen.isMessageDialog);
    QCOMPARE(seen.className, QString("MyMessageDailog"));
    QCOMPARE(seen.messageType, 3);
    QCOMPARE(seen.messageText, QString("Recovery failed!<br>Try again."));
    QCOMPARE(seen.okButtonText, QString("OK"));
    QCOMPARE(seen.cancelButtonText, QString("Cancel"));
    QVERIFY(seen.cancelButtonHidden);
    QCOMPARE(seen.done, QString("press:OK"));
}

QTEST_MAIN(TestFakeEngine)
#include "tst_fakeengine.moc"
