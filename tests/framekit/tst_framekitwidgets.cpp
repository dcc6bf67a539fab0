#include "gifprogresswidget.h"
#include "mymessagedailog.h"
#include "mystatusbar.h"
#include "mywidget.h"
#include "switchbtnwidget.h"
#include "taskprogresswidget.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QMovie>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <climits>
#include <functional>

namespace {

// A two-frame, endlessly looping 1x1 GIF.
const char kTwoFrameGif[] =
    "47494638396101000100800000000000ffffff21ff0b4e45545343415045322e3003010000"
    "0021f904000a0000002c000000000100010000020244010021f904000a0000002c0000000001"
    "0001000002024c01003b";

// Runs `act` on the dialog once its exec() loop runs. Should the action not
// end the dialog, it is ended with -1 so that the test fails instead of hanging.
int execAnd(QDialog& dialog, const std::function<void(QDialog&)>& act)
{
    QTimer::singleShot(0, &dialog, [&dialog, act] {
        act(dialog);
        QTimer::singleShot(5000, &dialog, [&dialog] {
            if (dialog.isVisible())
                dialog.done(-1);
        });
    });
    return dialog.exec();
}

QImage labelImage(const QWidget* parent, const char* name)
{
    const auto* label = parent->findChild<QLabel*>(QLatin1String(name));
    return label ? label->pixmap(Qt::ReturnByValue).toImage() : QImage();
}

void sendTitleMouse(QWidget* titleBar, QEvent::Type type, const QPoint& local,
                    Qt::MouseButtons buttons)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, local, titleBar->mapToGlobal(local), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(titleBar, &event);
}

} // namespace

class TestFrameKitWidgets : public QObject
{
    Q_OBJECT

private slots:
    // MyMessageDailog
    void messageExecResult_data();
    void messageExecResult();
    void messageDefaultsAndButtonTexts();
    void messageCancelHidden();
    void messageTypes();
    void messageTextAndLinks();

    // SwitchBtnWidget
    void switchClickEmitsNewState();
    void switchSpaceKey();
    void switchDisabledIgnoresInput();
    void switchReleaseOutsideCancels();
    void switchSetCheckedIsSilent();

    // MyWidget and MyStatusBar
    void frameClose_data();
    void frameClose();
    void frameTitle();
    void frameTitleButtons();
    void frameFixedSize();
    void frameMoving_data();
    void frameMoving();
    void statusBarTextAndWidgets();

    // TaskProgressWidget
    void taskLinesAreIndexed();
    void taskUpdate_data();
    void taskUpdate();
    void taskOutOfRangeIsIgnored();
    void taskMarksFollowStateAndSkin();

    // GifProgressWidget
    void gifPercentIsClamped_data();
    void gifPercentIsClamped();
    void gifUnusableMovie_data();
    void gifUnusableMovie();
    void gifMovieStartsAndStops();
};

void TestFrameKitWidgets::messageExecResult_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("cancelHidden");
    QTest::addColumn<int>("expected");

    QTest::newRow("ok") << "ok" << false << 1;
    QTest::newRow("ok, cancel hidden") << "ok" << true << 1;
    QTest::newRow("enter") << "enter" << false << 1;
    QTest::newRow("cancel") << "cancel" << false << 0;
    QTest::newRow("escape") << "escape" << false << 0;
    QTest::newRow("escape, cancel hidden") << "escape" << true << 0;
    QTest::newRow("close button") << "close" << false << 0;
}

void TestFrameKitWidgets::messageExecResult()
{
    QFETCH(QString, action);
    QFETCH(bool, cancelHidden);
    QFETCH(int, expected);

    MyMessageDailog dialog(nullptr, true);
    dialog.setMessageType(MyMessageDailog::MESSAGE_ERROR);
    dialog.setMessageText(QStringLiteral("Something<br>went wrong"));
    if (cancelHidden)
        dialog.setCancelBtnHide();

    bool wasModal = false;
    const int result = execAnd(dialog, [&](QDialog& d) {
        wasModal = QApplication::activeModalWidget() == &d;
        if (action == QLatin1String("ok"))
            QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("btnOk")), Qt::LeftButton);
        else if (action == QLatin1String("cancel"))
            QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("btnCancel")),
                              Qt::LeftButton);
        else if (action == QLatin1String("close"))
            QTest::mouseClick(d.findChild<QToolButton*>(QStringLiteral("btnClose")),
                              Qt::LeftButton);
        else if (action == QLatin1String("enter"))
            QTest::keyClick(&d, Qt::Key_Return);
        else
            QTest::keyClick(&d, Qt::Key_Escape);
    });
    QCOMPARE(result, expected);
    QVERIFY(wasModal);
    QVERIFY(!dialog.isVisible());
}

void TestFrameKitWidgets::messageDefaultsAndButtonTexts()
{
    MyMessageDailog dialog;
    const QString ok = QCoreApplication::translate("MyMessageDailog", "OK");
    const QString cancel = QCoreApplication::translate("MyMessageDailog", "Cancel");
    QCOMPARE(dialog.okButtonText(), ok);
    QCOMPARE(dialog.cancelButtonText(), cancel);
    QCOMPARE(dialog.findChild<QPushButton*>(QStringLiteral("btnOk"))->text(), ok);
    QCOMPARE(dialog.findChild<QPushButton*>(QStringLiteral("btnCancel"))->text(), cancel);
    QVERIFY(!dialog.isCancelButtonHidden());
    QVERIFY(dialog.isModal());

    dialog.setBtnText(QStringLiteral("Retry"), QStringLiteral("Give up"));
    QCOMPARE(dialog.okButtonText(), QStringLiteral("Retry"));
    QCOMPARE(dialog.cancelButtonText(), QStringLiteral("Give up"));
    QCOMPARE(dialog.findChild<QPushButton*>(QStringLiteral("btnOk"))->text(),
             QStringLiteral("Retry"));

    dialog.setBtnText(QString(), QStringLiteral("Stop"));
    QCOMPARE(dialog.okButtonText(), QStringLiteral("Retry"));
    QCOMPARE(dialog.cancelButtonText(), QStringLiteral("Stop"));

    // The answer buttons come first among the dialog's buttons.
    const QList<QAbstractButton*> buttons = dialog.findChildren<QAbstractButton*>();
    QVERIFY(buttons.size() >= 2);
    QCOMPARE(buttons.at(0)->objectName(), QStringLiteral("btnOk"));
    QCOMPARE(buttons.at(1)->objectName(), QStringLiteral("btnCancel"));
}

void TestFrameKitWidgets::messageCancelHidden()
{
    MyMessageDailog dialog;
    dialog.setCancelBtnHide();
    QVERIFY(dialog.isCancelButtonHidden());

    bool okVisible = false;
    bool cancelVisible = true;
    execAnd(dialog, [&](QDialog& d) {
        okVisible = d.findChild<QPushButton*>(QStringLiteral("btnOk"))->isVisible();
        cancelVisible = d.findChild<QPushButton*>(QStringLiteral("btnCancel"))->isVisible();
        d.reject();
    });
    QVERIFY(okVisible);
    QVERIFY(!cancelVisible);
}

void TestFrameKitWidgets::messageTypes()
{
    QVector<QImage> icons;
    for (int type = MyMessageDailog::MESSAGE_INFORMATION; type <= MyMessageDailog::MESSAGE_ERROR;
         ++type) {
        MyMessageDailog dialog;
        dialog.setMessageType(static_cast<MyMessageDailog::MESSAGE_TYPE>(type));
        QCOMPARE(static_cast<int>(dialog.messageType()), type);
        const QImage icon = labelImage(&dialog, "lblMessageIcon");
        QVERIFY(!icon.isNull());
        for (const QImage& other : qAsConst(icons))
            QVERIFY2(icon != other, "two message types share an icon");
        icons.append(icon);
    }

    MyMessageDailog dialog;
    dialog.setMessageType(MyMessageDailog::MESSAGE_ERROR);
    dialog.setMessageType(static_cast<MyMessageDailog::MESSAGE_TYPE>(42));
    QCOMPARE(dialog.messageType(), MyMessageDailog::MESSAGE_INFORMATION);
    QCOMPARE(labelImage(&dialog, "lblMessageIcon"), icons.at(0));
}

void TestFrameKitWidgets::messageTextAndLinks()
{
    MyMessageDailog dialog;
    const QString text =
        QStringLiteral("<strong>Error</strong><br>See <a href='https://example.org/help'>help</a>");
    dialog.setMessageText(text);
    QCOMPARE(dialog.messageText(), text);
    auto* label = dialog.findChild<QLabel*>(QStringLiteral("lblMessage"));
    QVERIFY(label);
    QCOMPARE(label->text(), text);
    QCOMPARE(label->textFormat(), Qt::RichText);

    QVERIFY(!dialog.isOpenUrl());
    QVERIFY(!label->openExternalLinks());
    dialog.setOpenUrl();
    QVERIFY(dialog.isOpenUrl());
    QVERIFY(label->openExternalLinks());
}

void TestFrameKitWidgets::switchClickEmitsNewState()
{
    SwitchBtnWidget button;
    button.resize(button.sizeHint());
    QVERIFY(button.sizeHint().isValid());
    QSignalSpy spy(&button, &SwitchBtnWidget::clicked);

    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), true);
    QVERIFY(button.isChecked());

    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(1).at(0).toBool(), false);
    QVERIFY(!button.isChecked());

    QTest::mouseClick(&button, Qt::RightButton);
    QCOMPARE(spy.count(), 2);
    QVERIFY(!button.isChecked());
}

void TestFrameKitWidgets::switchSpaceKey()
{
    SwitchBtnWidget button;
    QSignalSpy spy(&button, &SwitchBtnWidget::clicked);
    QTest::keyClick(&button, Qt::Key_Space);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), true);
    QTest::keyClick(&button, Qt::Key_A);
    QCOMPARE(spy.count(), 1);
    QVERIFY(button.isChecked());
}

void TestFrameKitWidgets::switchDisabledIgnoresInput()
{
    SwitchBtnWidget button;
    button.resize(button.sizeHint());
    button.setEnabled(false);
    QSignalSpy spy(&button, &SwitchBtnWidget::clicked);

    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::keyClick(&button, Qt::Key_Space);
    QCOMPARE(spy.count(), 0);
    QVERIFY(!button.isChecked());

    // A press made while enabled does not count once disabled.
    button.setEnabled(true);
    QTest::mousePress(&button, Qt::LeftButton);
    button.setEnabled(false);
    QTest::mouseRelease(&button, Qt::LeftButton);
    button.setEnabled(true);
    QTest::mouseRelease(&button, Qt::LeftButton);
    QCOMPARE(spy.count(), 0);
    QVERIFY(!button.isChecked());
}

void TestFrameKitWidgets::switchReleaseOutsideCancels()
{
    SwitchBtnWidget button;
    button.resize(button.sizeHint());
    QSignalSpy spy(&button, &SwitchBtnWidget::clicked);
    QTest::mousePress(&button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseRelease(&button, Qt::LeftButton, Qt::NoModifier, QPoint(button.width() + 10, 5));
    QCOMPARE(spy.count(), 0);
    QVERIFY(!button.isChecked());
}

void TestFrameKitWidgets::switchSetCheckedIsSilent()
{
    SwitchBtnWidget button;
    button.resize(button.sizeHint());
    QSignalSpy spy(&button, &SwitchBtnWidget::clicked);
    button.setChecked(true);
    QVERIFY(button.isChecked());
    button.setChecked(true);
    button.setChecked(false);
    QVERIFY(!button.isChecked());
    QCOMPARE(spy.count(), 0);

    // A user click after a programmatic change flips from the new state.
    button.setChecked(true);
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), false);
}

void TestFrameKitWidgets::frameClose_data()
{
    QTest::addColumn<bool>("requestClose");
    QTest::addColumn<bool>("byEscape");

    QTest::newRow("button closes") << false << false;
    QTest::newRow("escape closes") << false << true;
    QTest::newRow("button requests") << true << false;
    QTest::newRow("escape requests") << true << true;
}

void TestFrameKitWidgets::frameClose()
{
    QFETCH(bool, requestClose);
    QFETCH(bool, byEscape);

    MyWidget frame(nullptr, true, 0);
    frame.setRequestCloseEnable(requestClose);
    QCOMPARE(frame.isRequestCloseEnabled(), requestClose);
    QSignalSpy requested(&frame, &MyWidget::sig_RequestCloseWindow);
    QSignalSpy finished(&frame, &QDialog::finished);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));

    if (byEscape)
        QTest::keyClick(&frame, Qt::Key_Escape);
    else
        QTest::mouseClick(frame.findChild<QToolButton*>(QStringLiteral("btnClose")),
                          Qt::LeftButton);

    QCOMPARE(requested.count(), requestClose ? 1 : 0);
    QCOMPARE(frame.isVisible(), requestClose);
    QCOMPARE(finished.count(), requestClose ? 0 : 1);

    // Switching the mode back makes the next press close the window.
    if (requestClose) {
        frame.setRequestCloseEnable(false);
        QTest::keyClick(&frame, Qt::Key_Escape);
        QVERIFY(!frame.isVisible());
        QCOMPARE(requested.count(), 1);
    }
}

void TestFrameKitWidgets::frameTitle()
{
    MyWidget frame;
    auto* label = frame.findChild<QLabel*>(QStringLiteral("lblTitle"));
    QVERIFY(label);

    frame.setWindowTitle(QStringLiteral("Contacts"));
    QCOMPARE(frame.windowTitle(), QStringLiteral("Contacts"));
    QCOMPARE(label->text(), QStringLiteral("Contacts"));

    // Through the QWidget interface, too.
    static_cast<QWidget&>(frame).setWindowTitle(QStringLiteral("Notes"));
    QCOMPARE(label->text(), QStringLiteral("Notes"));

    frame.setWindowIconAndTitleVisible(false);
    QVERIFY(label->isHidden());
    frame.setWindowIconAndTitleVisible(true);
    QVERIFY(!label->isHidden());

    QPixmap picture(16, 16);
    picture.fill(Qt::red);
    frame.SetAppIcon(QIcon(picture));
    QVERIFY(!frame.windowIcon().isNull());
    QVERIFY(!labelImage(&frame, "lblIcon").isNull());
    QVERIFY(!frame.findChild<QLabel*>(QStringLiteral("lblIcon"))->isHidden());
}

void TestFrameKitWidgets::frameTitleButtons()
{
    const auto visible = [](MyWidget& frame, const char* name) {
        return frame.findChild<QToolButton*>(QLatin1String(name))->isVisibleTo(&frame);
    };

    MyWidget full;
    QVERIFY(visible(full, "btnMin"));
    QVERIFY(visible(full, "btnMax"));
    QVERIFY(visible(full, "btnClose"));
    full.setOnlyShowCloseButton(true);
    QVERIFY(!visible(full, "btnMin"));
    QVERIFY(!visible(full, "btnMax"));
    QVERIFY(visible(full, "btnClose"));
    full.setOnlyShowCloseButton(false);
    QVERIFY(visible(full, "btnMin"));
    full.setMenuButtonsHide();
    QVERIFY(!visible(full, "btnMin"));
    QVERIFY(!visible(full, "btnMax"));
    QVERIFY(!visible(full, "btnClose"));

    MyWidget plain(nullptr, false, 40, Qt::Window | Qt::WindowCloseButtonHint);
    QVERIFY(plain.windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(!visible(plain, "btnMin"));
    QVERIFY(!visible(plain, "btnMax"));
    QVERIFY(visible(plain, "btnClose"));
    QCOMPARE(plain.findChild<QWidget*>(QStringLiteral("titleBar"))->height(), 40);
}

void TestFrameKitWidgets::frameFixedSize()
{
    MyWidget frame;
    frame.resize(400, 300);
    frame.setFixedSizeWidget(true);
    QVERIFY(frame.isFixedSizeWidget());
    QVERIFY(!frame.findChild<QToolButton*>(QStringLiteral("btnMax"))->isVisibleTo(&frame));
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QCOMPARE(frame.minimumSize(), QSize(400, 300));
    QCOMPARE(frame.maximumSize(), QSize(400, 300));

    frame.setFixedSizeWidget(false);
    QVERIFY(frame.findChild<QToolButton*>(QStringLiteral("btnMax"))->isVisibleTo(&frame));
    frame.resize(500, 350);
    QCOMPARE(frame.size(), QSize(500, 350));
}

void TestFrameKitWidgets::frameMoving_data()
{
    QTest::addColumn<bool>("moving");
    QTest::newRow("moving enabled") << true;
    QTest::newRow("moving disabled") << false;
}

void TestFrameKitWidgets::frameMoving()
{
    QFETCH(bool, moving);
    MyWidget frame;
    frame.resize(300, 200);
    frame.move(100, 100);
    frame.setMovingEnabled(moving);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    auto* titleBar = frame.findChild<QWidget*>(QStringLiteral("titleBar"));
    QVERIFY(titleBar);

    const QPoint start = frame.pos();
    const QPoint grab(40, 10);
    const QPoint step(30, 20);
    sendTitleMouse(titleBar, QEvent::MouseButtonPress, grab, Qt::LeftButton);
    sendTitleMouse(titleBar, QEvent::MouseMove, grab + step, Qt::LeftButton);
    sendTitleMouse(titleBar, QEvent::MouseButtonRelease, grab + step, Qt::NoButton);
    QCOMPARE(frame.pos(), moving ? start + step : start);
}

void TestFrameKitWidgets::statusBarTextAndWidgets()
{
    MyWidget frame;
    MyStatusBar* bar = frame.getStatusBar();
    QVERIFY(bar);
    QCOMPARE(bar, frame.findChild<MyStatusBar*>(QStringLiteral("statusBar")));
    QVERIFY(frame.getClientWidget());
    QCOMPARE(frame.getClientWidget()->objectName(), QStringLiteral("clientWidget"));

    bar->SetLeftLable(QStringLiteral("You select 2 item(s) in 5 item(s)"));
    QCOMPARE(bar->leftLable(), QStringLiteral("You select 2 item(s) in 5 item(s)"));

    auto* first = new QPushButton(QStringLiteral("first"));
    auto* second = new QPushButton(QStringLiteral("second"));
    bar->AddWidget(first);
    bar->AddWidget(second);
    bar->AddWidget(first);
    bar->AddWidget(nullptr);
    QCOMPARE(first->parentWidget(), bar);
    QCOMPARE(second->parentWidget(), bar);

    frame.resize(600, 300);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    auto* left = bar->findChild<QLabel*>(QStringLiteral("lblLeft"));
    QVERIFY(left);
    QVERIFY(first->isVisible());
    QVERIFY(second->isVisible());
    QVERIFY(left->geometry().right() < first->geometry().left());
    QVERIFY(first->geometry().right() < second->geometry().left());

    // The status bar lies below the client widget.
    const QPoint clientBottom =
        frame.getClientWidget()->mapTo(&frame, frame.getClientWidget()->rect().bottomLeft());
    QVERIFY(bar->mapTo(&frame, QPoint(0, 0)).y() > clientBottom.y());
}

void TestFrameKitWidgets::taskLinesAreIndexed()
{
    TaskProgressWidget tasks;
    QCOMPARE(tasks.taskCount(), 0);
    QCOMPARE(tasks.AddTask(QStringLiteral("Scanning data...")), 0);
    QCOMPARE(tasks.AddTask(QStringLiteral("Analyzing data...")), 1);
    QCOMPARE(tasks.AddTask(QString()), 2);
    QCOMPARE(tasks.taskCount(), 3);
    QCOMPARE(tasks.taskText(1), QStringLiteral("Analyzing data..."));
    QCOMPARE(tasks.taskState(0), TaskProgressWidget::TaskWaiting);

    tasks.UpdateTaskText(0, QStringLiteral("Scanning Contacts ..."));
    QCOMPARE(tasks.taskText(0), QStringLiteral("Scanning Contacts ..."));
    QCOMPARE(tasks.taskText(1), QStringLiteral("Analyzing data..."));
    auto* line0 = tasks.findChild<QWidget*>(QStringLiteral("taskLine0"));
    QVERIFY(line0);
    QCOMPARE(line0->findChild<QLabel*>(QStringLiteral("lblTaskText"))->text(),
             QStringLiteral("Scanning Contacts ..."));
}

void TestFrameKitWidgets::taskUpdate_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("storedNumber");
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
}

void TestFrameKitWidgets::taskUpdate()
{
    QFETCH(int, state);
    QFETCH(int, number);
    QFETCH(int, storedNumber);
    QFETCH(bool, numberShown);

    TaskProgressWidget tasks;
    tasks.AddTask(QStringLiteral("backup"));
    tasks.AddTask(QStringLiteral("analysis"));
    tasks.Update(1, static_cast<TaskProgressWidget::TaskState>(state), number);

    QCOMPARE(int(tasks.taskState(1)), state);
    QCOMPARE(tasks.taskNumber(1), storedNumber);
    QCOMPARE(tasks.taskState(0), TaskProgressWidget::TaskWaiting);
    QCOMPARE(tasks.taskNumber(0), 0);

    auto* numberLabel = tasks.findChild<QWidget*>(QStringLiteral("taskLine1"))
                            ->findChild<QLabel*>(QStringLiteral("lblTaskNumber"));
    QCOMPARE(!numberLabel->isHidden(), numberShown);
    if (numberShown)
        QCOMPARE(numberLabel->text(), QStringLiteral("%1%").arg(storedNumber));
}

void TestFrameKitWidgets::taskOutOfRangeIsIgnored()
{
    TaskProgressWidget tasks;
    tasks.AddTask(QStringLiteral("only"));
    tasks.Update(0, TaskProgressWidget::TaskRunning, 20);

    tasks.Update(1, TaskProgressWidget::TaskError, 50);
    tasks.Update(-1, TaskProgressWidget::TaskError, 50);
    tasks.UpdateTaskText(1, QStringLiteral("x"));
    tasks.UpdateTaskText(-1, QStringLiteral("x"));
    tasks.Update(0, static_cast<TaskProgressWidget::TaskState>(42), 70);

    QCOMPARE(tasks.taskCount(), 1);
    QCOMPARE(tasks.taskText(0), QStringLiteral("only"));
    QCOMPARE(tasks.taskState(0), TaskProgressWidget::TaskRunning);
    QCOMPARE(tasks.taskNumber(0), 20);
    QCOMPARE(tasks.taskText(1), QString());
    QCOMPARE(tasks.taskState(-1), TaskProgressWidget::TaskWaiting);
    QCOMPARE(tasks.taskNumber(5), 0);
}

void TestFrameKitWidgets::taskMarksFollowStateAndSkin()
{
    TaskProgressWidget tasks;
    tasks.AddTask(QStringLiteral("line"));
    auto* line = tasks.findChild<QWidget*>(QStringLiteral("taskLine0"));
    const auto mark = [line] { return labelImage(line, "lblTaskMark"); };

    QVector<QImage> seen{mark()};
    for (auto state : {TaskProgressWidget::TaskRunning, TaskProgressWidget::TaskComplete,
                       TaskProgressWidget::TaskError, TaskProgressWidget::TaskStop}) {
        tasks.Update(0, state, 0);
        const QImage image = mark();
        QVERIFY(!image.isNull());
        for (const QImage& other : qAsConst(seen))
            QVERIFY2(image != other, "two task states share a mark");
        seen.append(image);
    }

    QTemporaryDir skin;
    QVERIFY(skin.isValid());
    QImage picture(16, 16, QImage::Format_ARGB32);
    picture.fill(QColor(10, 200, 30));
    QVERIFY(picture.save(skin.filePath(QStringLiteral("task_done.png"))));

    tasks.SetSkinDir(skin.path() + QLatin1Char('/'));
    QCOMPARE(tasks.skinDir(), skin.path() + QLatin1Char('/'));
    // The stopped line has no picture in the skin: it keeps its drawn mark.
    QCOMPARE(mark(), seen.last());
    tasks.Update(0, TaskProgressWidget::TaskComplete, 0);
    QCOMPARE(mark().convertToFormat(QImage::Format_ARGB32), picture);
}

void TestFrameKitWidgets::gifPercentIsClamped_data()
{
    QTest::addColumn<uint>("given");
    QTest::addColumn<uint>("shown");
    QTest::newRow("0") << 0u << 0u;
    QTest::newRow("57") << 57u << 57u;
    QTest::newRow("100") << 100u << 100u;
    QTest::newRow("101") << 101u << 100u;
    QTest::newRow("max") << uint(UINT_MAX) << 100u;
}

void TestFrameKitWidgets::gifPercentIsClamped()
{
    QFETCH(uint, given);
    QFETCH(uint, shown);
    GifProgressWidget progress(nullptr, true);
    progress.SetPercent(given);
    QCOMPARE(progress.percent(), shown);
    auto* label = progress.findChild<QLabel*>(QStringLiteral("lblPercent"));
    QCOMPARE(label->text(), QStringLiteral("%1%").arg(shown));
    QVERIFY(!label->isHidden());

    GifProgressWidget quiet(nullptr, false);
    quiet.SetPercent(given);
    QCOMPARE(quiet.percent(), shown);
    QVERIFY(quiet.findChild<QLabel*>(QStringLiteral("lblPercent"))->isHidden());
}

void TestFrameKitWidgets::gifUnusableMovie_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("missing file") << "scanMovie.gif" << QByteArray();
    QTest::newRow("not an animation") << "bkgif.gif" << QByteArray("plain text, not a picture");
    QTest::newRow("empty path") << "" << QByteArray();
}

void TestFrameKitWidgets::gifUnusableMovie()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = fileName.isEmpty() ? QString() : dir.filePath(fileName);
    if (!content.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    GifProgressWidget progress;
    progress.SetMoivePath(path);
    QCOMPARE(progress.moviePath(), path);
    QVERIFY(!progress.hasMovie());
    progress.StartMovie();
    QVERIFY(!progress.isMovieRunning());
    progress.StopMovie();
    auto* label = progress.findChild<QLabel*>(QStringLiteral("lblMovie"));
    QVERIFY(!label->movie());
}

void TestFrameKitWidgets::gifMovieStartsAndStops()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("scanMovie.gif"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromHex(kTwoFrameGif));
    }

    GifProgressWidget progress;
    progress.SetMoivePath(path);
    QVERIFY(progress.hasMovie());
    QVERIFY(!progress.isMovieRunning());
    auto* label = progress.findChild<QLabel*>(QStringLiteral("lblMovie"));
    QVERIFY(label->movie());

    progress.StartMovie();
    QVERIFY(progress.isMovieRunning());
    progress.StartMovie();
    QVERIFY(progress.isMovieRunning());
    progress.StopMovie();
    QVERIFY(!progress.isMovieRunning());

    // Replacing the movie with a missing one leaves nothing behind.
    progress.StartMovie();
    progress.SetMoivePath(dir.filePath(QStringLiteral("gone.gif")));
    QVERIFY(!progress.hasMovie());
    QVERIFY(!progress.isMovieRunning());
    QVERIFY(!label->movie());
}

QTEST_MAIN(TestFrameKitWidgets)
#include "tst_framekitwidgets.moc"
