// The widget kit the pages are built from, and the output folder of a recovery.

#include "gifprogresswidget.h"
#include "makeoutputpath.h"
#include "mymessagedailog.h"
#include "mystatusbar.h"
#include "mywidget.h"
#include "switchbtnwidget.h"
#include "taskprogresswidget.h"

#include "contracts/idevice.h"
#include "contracts/ideviceinfo.h"

#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

namespace {

// A device with the display name (key 37, index 0) given; other keys answer
// a text that must never show up in a path. An empty name is none at all.
class NamedDevice final : public MMobile::IDevice, public MMobile::IDeviceInfo
{
public:
    explicit NamedDevice(const QByteArray& name) : name(name) {}
    MMobile::IDeviceInfo* GetDeviceInfo() override { return this; }
    MMobile::ICategoryDataSource* GetDataSource(MMobile::MDType) override { return nullptr; }
    const char* GetTextProperty(int key, int index) override
    {
        if (key != MMobile::DEVICE_PROP_DISPLAY_NAME || index != 0)
            return "wrong-key";
        return name.isEmpty() ? nullptr : name.constData();
    }
    QByteArray name;
};

bool isCompleteUtf8(const QByteArray& bytes)
{
    QTextCodec::ConverterState state;
    QTextCodec::codecForName("UTF-8")->toUnicode(bytes.constData(), bytes.size(), &state);
    return state.invalidChars == 0 && state.remainingChars == 0;
}

QByteArray outputPath(const char* folder, const QByteArray& name, int type = MMobile::MD_CONTACT)
{
    NamedDevice device(name);
    char buffer[4096];
    if (!MakeOutputPath(folder, &device, static_cast<MMobile::MDType>(type), buffer, 4096))
        return QByteArray();
    return QByteArray(buffer);
}

template <class T = QWidget> T* child(const QObject* parent, const char* name)
{
    return parent->findChild<T*>(QLatin1String(name));
}

QImage labelImage(const QWidget* parent, const char* name)
{
    return child<QLabel>(parent, name)->pixmap(Qt::ReturnByValue).toImage();
}

} // namespace

class TestFrameKit : public QObject
{
    Q_OBJECT

private slots:
    void deviceNameBecomesOneSafeFolder_data();
    void deviceNameBecomesOneSafeFolder();
    void pathSeparatorsAndCategories();
    void everyBufferSizeIsSafe_data();
    void everyBufferSizeIsSafe();
    void messageExecResult_data();
    void messageExecResult();
    void switchButton();
    void frameClose_data();
    void frameClose();
    void shadowOnlyAroundARestoredFrame();
    void taskLines_data();
    void taskLines();
    void gifProgress();
};

void TestFrameKit::deviceNameBecomesOneSafeFolder_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("expected");
    const auto row = [](const char* tag, const QByteArray& name, const QByteArray& expected) {
        QTest::newRow(tag) << name << expected;
    };
    row("plain", "Anna's phone", "Anna's phone");
    row("utf-8", "J\xC3\xBCrgen \xE6\x88\x91 \xF0\x9F\x93\xB1",
        "J\xC3\xBCrgen \xE6\x88\x91 \xF0\x9F\x93\xB1");
    row("parent escape", "../../etc", "___.._etc");
    row("hidden", ".config", "_config");
    row("dot dot", "..", "_");
    row("dot", ".", "_");
    row("reserved punctuation", "a/b\\c<d>e:f\"g|h?i*j", "a_b_c_d_e_f_g_h_i_j");
    row("control characters", "a\tb\nc\x01\x1F\x7F", "a_b_c___");
    row("spaces and trailing dots", "  my phone. . ", "my phone");
    row("only spaces", "   ", "_");
    row("no name", "", "Unknown Device");
    row("CON", "CON", "_CON");
    row("con.txt", "con.txt", "_con.txt");
    row("Lpt9", "Lpt9", "_Lpt9");
    row("com1.backup.x", "com1.backup.x", "_com1.backup.x");
    row("CONIN$", "CONIN$", "_CONIN$");
    row("conout$.txt", "conout$.txt", "_conout$.txt");
    row("COM0 is allowed", "COM0", "COM0");
    row("CONSOLE is allowed", "CONSOLE", "CONSOLE");
    row("stray continuation byte", "a\x80z", "a_z");
    row("truncated sequence", "ab\xE6\x88", "ab__");
    row("overlong slash", "a\xC0\xAFz", "a__z");
    row("surrogate", "a\xED\xA0\x80", "a___");
    row("beyond U+10FFFF", "\xF4\x90\x80\x80z", "____z");
    // A long name is cut to 100 bytes at a character boundary.
    row("long ascii", QByteArray(400, 'a'), QByteArray(100, 'a'));
    row("long 3-byte", QByteArray("\xE6\x88\x91").repeated(40),
        QByteArray("\xE6\x88\x91").repeated(33));
    row("long 4-byte", QByteArray("\xF0\x9F\x93\xB1").repeated(30),
        QByteArray("\xF0\x9F\x93\xB1").repeated(25));
}

void TestFrameKit::deviceNameBecomesOneSafeFolder()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, expected);
    const QByteArray path = outputPath("/out/", name);
    QCOMPARE(path, "/out/" + expected + "/Contacts/");
    QVERIFY(isCompleteUtf8(path));
}

void TestFrameKit::pathSeparatorsAndCategories()
{
    QCOMPARE(outputPath("C:\\Users\\x/", "Pad"), QByteArray("C:\\Users\\x/Pad/Contacts/"));
    QCOMPARE(outputPath("C:/data\\", "Pad"), QByteArray("C:/data\\Pad\\Contacts\\"));
    QCOMPARE(outputPath("C:\\Users\\x", "Pad"), QByteArray("C:\\Users\\x\\Pad\\Contacts\\"));
    QCOMPARE(outputPath("/d\xC3\xA9j\xC3\xA0", "Pad"),
             QByteArray("/d\xC3\xA9j\xC3\xA0/Pad/Contacts/"));
    QCOMPARE(outputPath("out", "Pad"), QDir::fromNativeSeparators("out/Pad/Contacts/").toUtf8());
    char buffer[64];
    QVERIFY(MakeOutputPath("/o", nullptr, MMobile::MD_NOTE, buffer, 64));
    QCOMPARE(QByteArray(buffer), QByteArray("/o/Unknown Device/Notes/"));

    // Each known category has a folder of its own; the others share "Data".
    QSet<QByteArray> folders;
    for (int type = -1; type <= 23; ++type) {
        const QByteArray path = outputPath("/o", "P", type);
        const bool known = (type >= 0 && type <= 14) || type == 22;
        QVERIFY(path.startsWith("/o/P/") && path.endsWith('/'));
        const QByteArray folder = path.mid(5, path.size() - 6);
        QVERIFY(!folder.isEmpty() && !folder.contains('/'));
        QCOMPARE(folder == "Data", !known);
        if (known)
            folders.insert(folder);
    }
    QCOMPARE(folders.size(), 16);

    // Bad arguments: false, and an empty path where there is room for it.
    std::memset(buffer, 'Z', sizeof buffer);
    QVERIFY(!MakeOutputPath(nullptr, nullptr, MMobile::MD_PHOTO, buffer, 64));
    QCOMPARE(buffer[0], '\0');
    buffer[0] = 'Z';
    QVERIFY(!MakeOutputPath("", nullptr, MMobile::MD_PHOTO, buffer, 64));
    QCOMPARE(buffer[0], '\0');
    buffer[0] = 'Z';
    QVERIFY(!MakeOutputPath("/o", nullptr, MMobile::MD_PHOTO, buffer, 0));
    QVERIFY(!MakeOutputPath("/o", nullptr, MMobile::MD_PHOTO, buffer, -5));
    QCOMPARE(buffer[0], 'Z');
    QVERIFY(!MakeOutputPath("/o", nullptr, MMobile::MD_PHOTO, nullptr, 64));
}

void TestFrameKit::everyBufferSizeIsSafe_data()
{
    QTest::addColumn<QByteArray>("folder");
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("ascii") << QByteArray("/out") << QByteArray("Phone");
    QTest::newRow("2-byte") << QByteArray("/out/") << QByteArray("J\xC3\xBCrgen's iPhone");
    QTest::newRow("3-byte") << QByteArray("/\xE5\xAF\xBC")
                            << QByteArray("\xE6\x88\x91\xE7\x9A\x84");
    QTest::newRow("4-byte") << QByteArray("/\xF0\x9F\x93\x81") << QByteArray("\xF0\x9F\x93\xB1");
    // Paths around 1,024 bytes: a long folder, one that ends inside a character there, a long name.
    QTest::newRow("1,000-byte folder") << "/" + QByteArray(1000, 'f') << QByteArray(30, 'n');
    QTest::newRow("CJK folder") << "/" + QByteArray("\xE8\xB7\xAF").repeated(333)
                                << QByteArray("\xE6\x89\x8B\xE6\x9C\xBA");
    QTest::newRow("long name") << QByteArray("/home/u")
                               << QByteArray(600, 'n') + QByteArray(600, 'm');
}

void TestFrameKit::everyBufferSizeIsSafe()
{
    QFETCH(QByteArray, folder);
    QFETCH(QByteArray, name);
    NamedDevice device(name);
    const QByteArray full = outputPath(folder.constData(), name, MMobile::MD_MESSAGE);
    QVERIFY(!full.isEmpty());
    for (int size = 1; size <= full.size() + 3; ++size) {
        // Guard bytes after the buffer must stay untouched.
        std::vector<char> buffer(static_cast<std::size_t>(size) + 32, 'Z');
        const bool fits = size > full.size();
        const QByteArray where = QByteArray::number(size);
        QCOMPARE(
            MakeOutputPath(folder.constData(), &device, MMobile::MD_MESSAGE, buffer.data(), size),
            fits);
        QVERIFY2(std::count(buffer.begin() + size, buffer.end(), 'Z') == 32, where);
        const QByteArray written(buffer.data(), int(qstrnlen(buffer.data(), uint(size))));
        QVERIFY2(written.size() < size, where);
        // A path that does not fit is never written cut: the buffer stays empty.
        QCOMPARE(written, fits ? full : QByteArray());
    }
}

void TestFrameKit::messageExecResult_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("cancelHidden");
    QTest::addColumn<int>("expected");
    QTest::newRow("ok") << "btnOk" << false << 1;
    QTest::newRow("ok, cancel hidden") << "btnOk" << true << 1;
    QTest::newRow("enter") << "enter" << false << 1;
    QTest::newRow("cancel") << "btnCancel" << false << 0;
    QTest::newRow("escape") << "escape" << false << 0;
    QTest::newRow("escape, cancel hidden") << "escape" << true << 0;
    QTest::newRow("close button") << "btnClose" << false << 0;
}

void TestFrameKit::messageExecResult()
{
    QFETCH(QString, action);
    QFETCH(bool, cancelHidden);
    QFETCH(int, expected);
    MyMessageDailog dialog(nullptr, true);
    if (cancelHidden)
        dialog.setCancelBtnHide();
    bool modal = false;
    bool cancelVisible = false;
    QTimer::singleShot(0, &dialog, [&] {
        modal = QApplication::activeModalWidget() == &dialog;
        cancelVisible = child(&dialog, "btnCancel")->isVisible();
        if (action == "enter" || action == "escape")
            QTest::keyClick(&dialog, action == "enter" ? Qt::Key_Return : Qt::Key_Escape);
        else
            QTest::mouseClick(child<QAbstractButton>(&dialog, qPrintable(action)), Qt::LeftButton);
        if (dialog.isVisible())
            dialog.done(-1); // the test fails instead of hanging
    });
    QCOMPARE(dialog.exec(), expected);
    QVERIFY(modal);
    QCOMPARE(cancelVisible, !cancelHidden);
    QCOMPARE(dialog.isCancelButtonHidden(), cancelHidden);
}

void TestFrameKit::switchButton()
{
    SwitchBtnWidget button;
    button.resize(button.sizeHint());
    QSignalSpy spy(&button, &SwitchBtnWidget::clicked);
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::keyClick(&button, Qt::Key_Space);
    QTest::keyClick(&button, Qt::Key_A);
    QTest::mouseClick(&button, Qt::RightButton);
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(spy.size(), 3);
    QCOMPARE(spy.at(0).at(0).toBool(), true);
    QCOMPARE(spy.at(1).at(0).toBool(), false);
    QVERIFY(button.isChecked());
    // A release outside, or one made after disabling, does not count.
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(button.width() + 10, 5));
    QTest::mousePress(&button, Qt::LeftButton);
    button.setEnabled(false);
    QTest::mouseRelease(&button, Qt::LeftButton);
    QTest::keyClick(&button, Qt::Key_Space);
    button.setEnabled(true);
    QTest::mouseRelease(&button, Qt::LeftButton);
    // Set by the program: silent, and the next click flips from there.
    button.setChecked(false);
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(spy.size(), 4);
    QCOMPARE(spy.at(3).at(0).toBool(), true);
}

void TestFrameKit::frameClose_data()
{
    QTest::addColumn<bool>("requestClose");
    QTest::addColumn<bool>("byEscape");
    QTest::newRow("button closes") << false << false;
    QTest::newRow("escape closes") << false << true;
    QTest::newRow("button requests") << true << false;
    QTest::newRow("escape requests") << true << true;
}

void TestFrameKit::frameClose()
{
    QFETCH(bool, requestClose);
    QFETCH(bool, byEscape);
    MyWidget frame(nullptr, true, 0);
    frame.setRequestCloseEnable(requestClose);
    QSignalSpy requested(&frame, &MyWidget::sig_RequestCloseWindow);
    QSignalSpy finished(&frame, &QDialog::finished);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    if (byEscape)
        QTest::keyClick(&frame, Qt::Key_Escape);
    else
        QTest::mouseClick(child<QToolButton>(&frame, "btnClose"), Qt::LeftButton);
    QCOMPARE(requested.size(), int(requestClose));
    QCOMPARE(frame.isVisible(), requestClose);
    QCOMPARE(finished.size(), int(!requestClose));
    // Switching the mode back makes the next press close the window.
    frame.setRequestCloseEnable(false);
    QTest::keyClick(&frame, Qt::Key_Escape);
    QVERIFY(!frame.isVisible());
    QCOMPARE(requested.size(), int(requestClose));
}

void TestFrameKit::shadowOnlyAroundARestoredFrame()
{
    for (bool shadow : {false, true}) {
        MyWidget frame(nullptr, shadow, 0);
        frame.show();
        QCOMPARE(frame.layout()->contentsMargins().left() > 0, shadow);
        frame.showMaximized();
        QTRY_COMPARE(frame.layout()->contentsMargins().left(), 0);
    }
}

void TestFrameKit::taskLines_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("stored");
    QTest::addColumn<bool>("numberShown");
    QTest::newRow("begun") << int(MMobile::TASK_BEGIN) << 5 << 5 << true;
    QTest::newRow("data") << int(MMobile::TASK_DATA) << 40 << 40 << true;
    QTest::newRow("running") << int(MMobile::TASK_PERCENT) << 99 << 99 << true;
    QTest::newRow("running, zero") << int(MMobile::TASK_PERCENT) << 0 << 0 << false;
    QTest::newRow("running, above 100") << int(MMobile::TASK_PERCENT) << 150 << 100 << true;
    QTest::newRow("running, negative") << int(MMobile::TASK_PERCENT) << -7 << 0 << false;
    QTest::newRow("complete") << int(MMobile::TASK_COMPLETE) << 100 << 100 << false;
    QTest::newRow("error") << int(MMobile::TASK_ERROR) << 30 << 30 << false;
    QTest::newRow("stopped") << int(MMobile::TASK_STOP) << 30 << 30 << false;
    QTest::newRow("unknown state") << 42 << 30 << 0 << false;
}

void TestFrameKit::taskLines()
{
    QFETCH(int, state);
    QFETCH(int, number);
    QFETCH(int, stored);
    QFETCH(bool, numberShown);
    TaskProgressWidget tasks;
    QCOMPARE(tasks.AddTask(QStringLiteral("backup")), 0);
    QCOMPARE(tasks.AddTask(QStringLiteral("analysis")), 1);
    const QImage waiting = labelImage(child(&tasks, "taskLine1"), "lblTaskMark");
    tasks.Update(1, static_cast<TaskProgressWidget::TaskState>(state), number);
    for (int line : {-1, 2})
        tasks.Update(line, TaskProgressWidget::TaskError, 50);
    tasks.UpdateTaskText(2, QStringLiteral("x"));
    QCOMPARE(tasks.taskCount(), 2);
    QCOMPARE(tasks.taskState(0), TaskProgressWidget::TaskWaiting);
    QCOMPARE(int(tasks.taskState(1)), state == 42 ? int(TaskProgressWidget::TaskWaiting) : state);
    QCOMPARE(tasks.taskNumber(1), stored);
    QCOMPARE(tasks.taskNumber(0) + tasks.taskNumber(5), 0);
    auto* numberLabel = child<QLabel>(child(&tasks, "taskLine1"), "lblTaskNumber");
    QCOMPARE(!numberLabel->isHidden(), numberShown);
    if (numberShown)
        QCOMPARE(numberLabel->text(), QString("%1%").arg(stored));
    // The mark follows the state.
    QCOMPARE(labelImage(child(&tasks, "taskLine1"), "lblTaskMark") == waiting, state == 42);
}

void TestFrameKit::gifProgress()
{
    GifProgressWidget progress(nullptr, true);
    auto* percent = child<QLabel>(&progress, "lblPercent");
    for (uint given : {0u, 57u, 100u, 101u, uint(UINT_MAX)}) {
        progress.SetPercent(given);
        QCOMPARE(progress.percent(), qMin(given, 100u));
        QCOMPARE(percent->text(), QString("%1%").arg(qMin(given, 100u)));
    }
    QVERIFY(!percent->isHidden());
    QVERIFY(GifProgressWidget(nullptr, false).findChild<QLabel*>("lblPercent")->isHidden());

    QTemporaryDir dir;
    QFile gif(dir.filePath("scanMovie.gif"));
    QVERIFY(gif.open(QIODevice::WriteOnly));
    // A two-frame, endlessly looping 1x1 GIF.
    gif.write(QByteArray::fromHex(
        "47494638396101000100800000000000ffffff21ff0b4e45545343415045322e3003010000"
        "0021f904000a0000002c000000000100010000020244010021f904000a0000002c0000000001"
        "0001000002024c01003b"));
    gif.close();
    auto* movie = child<QLabel>(&progress, "lblMovie");
    progress.SetMoivePath(gif.fileName());
    QVERIFY(progress.hasMovie() && !progress.isMovieRunning() && movie->movie());
    progress.StartMovie();
    progress.StartMovie();
    QVERIFY(progress.isMovieRunning());
    progress.StopMovie();
    QVERIFY(!progress.isMovieRunning());
    // A missing or empty path leaves no movie behind.
    progress.StartMovie();
    for (const QString& path : {dir.filePath("gone.gif"), QString()}) {
        progress.SetMoivePath(path);
        QCOMPARE(progress.moviePath(), path);
        progress.StartMovie();
        QVERIFY(!progress.hasMovie() && !progress.isMovieRunning() && !movie->movie());
    }
}

QTEST_MAIN(TestFrameKit)
#include "tst_framekit.moc"
