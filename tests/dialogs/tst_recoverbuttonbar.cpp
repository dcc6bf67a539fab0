#include "fakedevice.h"
#include "fakehost.h"
#include "modaldialoganswerer.h"

#include "contracts/deviceentry.h"
#include "dialogs/recoverbuttonbar.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(IDevice*)

namespace {

const char kNothingChosenPC[] = "Oops! It seems you haven't chosen any data to recover.<br> Please "
                                "tick the check boxes and click Recover button to<br> recover.";
const char kNothingChosenDevice[] = "Oops! It seems you haven't chosen any data to recover.<br> "
                                    "Please tick the checkboxes and click Recover button to <br> "
                                    "recover.";
const char kNoDevice[] = "Oops! It seems you haven't connected any <br>iOS device to this "
                         "computer. Please plug in your<br>iOS device and try again.";

QPushButton* button(QWidget* bar, const char* name)
{
    return bar->findChild<QPushButton*>(QLatin1String(name));
}

} // namespace

class TestRecoverButtonBar : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<IDevice*>("IDevice*"); }
    void form();
    void deviceButtonShown_data();
    void deviceButtonShown();
    void deviceTarget_data();
    void deviceTarget();
    void refusals_data();
    void refusals();
    void recoverSignals();
    void enabling();
};

void TestRecoverButtonBar::form()
{
    FakeHost host;
    RecoverButtonBar bar(nullptr, &host, true);
    QCOMPARE(bar.objectName(), QString("RecoverButtonBar"));
    QCOMPARE(bar.windowTitle(), QString("RecoverButtonBar"));
    QCOMPARE(bar.size(), QSize(375, 135));
    auto* layout = bar.findChild<QHBoxLayout*>("horizontalLayout");
    QVERIFY(layout);
    QCOMPARE(layout->spacing(), 2);
    QCOMPARE(layout->contentsMargins(), QMargins(0, 0, 9, 0));
    QCOMPARE(layout->count(), 7);
    const char* order[] = {nullptr,         "btnRecoverToPC", nullptr,   "btnRecoverToDevice",
                           "btnDeviceMenu", nullptr,          "btnClose"};
    for (int i = 0; i < 7; ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (order[i]) {
            QVERIFY(item->widget());
            QCOMPARE(item->widget()->objectName(), QString(order[i]));
            QCOMPARE(static_cast<QPushButton*>(item->widget())->text(), QString());
        } else {
            QVERIFY(item->spacerItem());
        }
    }
    QCOMPARE(button(&bar, "btnRecoverToPC")->toolTip(), QString("Recover to PC"));
    QVERIFY(button(&bar, "btnDeviceMenu")->isHidden());
}

void TestRecoverButtonBar::deviceButtonShown_data()
{
    QTest::addColumn<bool>("show");
    QTest::newRow("shown") << true;
    QTest::newRow("hidden") << false;
}

void TestRecoverButtonBar::deviceButtonShown()
{
    QFETCH(bool, show);
    FakeHost host;
    RecoverButtonBar bar(nullptr, &host, show);
    QCOMPARE(button(&bar, "btnRecoverToDevice")->isHidden(), !show);
}

void TestRecoverButtonBar::deviceTarget_data()
{
    QTest::addColumn<int>("entries"); // 0 none, 1 null device, 2 two devices
    QTest::addColumn<QString>("tooltip");
    QTest::addColumn<bool>("hasDevice");
    QTest::newRow("no entries") << 0 << QString() << false;
    QTest::newRow("first entry empty") << 1 << "Please connect device" << false;
    QTest::newRow("two devices") << 2 << QString::fromUtf8("Recover to Jürgen's iPhone") << true;
}

void TestRecoverButtonBar::deviceTarget()
{
    QFETCH(int, entries);
    QFETCH(QString, tooltip);
    QFETCH(bool, hasDevice);

    FakeDevice first(QString::fromUtf8("Jürgen's iPhone"));
    FakeDevice second("Second");
    FakeHost host;
    if (entries == 1)
        host.setDevices({nullptr, &second});
    else if (entries == 2)
        host.setDevices({&first, &second});
    RecoverButtonBar bar(nullptr, &host, true);
    bar.show();
    QCOMPARE(button(&bar, "btnRecoverToDevice")->toolTip(), tooltip);

    bar.SetHasCheckedItems(true);
    QSignalSpy toDevice(&bar, &RecoverButtonBar::signalRecoverToDevice);
    ModalDialogAnswerer answerer;
    answerer.answer(ModalDialogAnswerer::Answer::ok());
    QTest::mouseClick(button(&bar, "btnRecoverToDevice"), Qt::LeftButton);
    if (hasDevice) {
        QCOMPARE(toDevice.size(), 1);
        QCOMPARE(toDevice.first().first().value<IDevice*>(), static_cast<IDevice*>(&first));
        QCOMPARE(answerer.answeredCount(), 0);
    } else {
        QCOMPARE(toDevice.size(), 0);
        QCOMPARE(answerer.last().messageText, QString(kNoDevice));
    }

    // The tooltip keeps its text when the list empties.
    host.setDevices({});
    bar.RefreshDeviceTarget();
    QCOMPARE(button(&bar, "btnRecoverToDevice")->toolTip(), tooltip);
    answerer.answer(ModalDialogAnswerer::Answer::ok());
    QTest::mouseClick(button(&bar, "btnRecoverToDevice"), Qt::LeftButton);
    QCOMPARE(toDevice.size(), hasDevice ? 1 : 0);
    QCOMPARE(answerer.last().messageText, QString(kNoDevice));
}

void TestRecoverButtonBar::refusals_data()
{
    QTest::addColumn<QString>("buttonName");
    QTest::addColumn<bool>("device");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("message");
    QTest::newRow("pc, nothing ticked") << "btnRecoverToPC" << false << false << kNothingChosenPC;
    QTest::newRow("device, nothing ticked")
        << "btnRecoverToDevice" << true << false << kNothingChosenDevice;
    QTest::newRow("device missing before ticks")
        << "btnRecoverToDevice" << false << false << kNoDevice;
    QTest::newRow("device missing") << "btnRecoverToDevice" << false << true << kNoDevice;
}

void TestRecoverButtonBar::refusals()
{
    QFETCH(QString, buttonName);
    QFETCH(bool, device);
    QFETCH(bool, checked);
    QFETCH(QString, message);

    FakeDevice phone("Phone");
    FakeHost host;
    if (device)
        host.setDevices({&phone});
    RecoverButtonBar bar(nullptr, &host, true);
    bar.show();
    bar.SetHasCheckedItems(checked);
    QSignalSpy toPC(&bar, &RecoverButtonBar::signalRecoverToPC);
    QSignalSpy toDevice(&bar, &RecoverButtonBar::signalRecoverToDevice);
    ModalDialogAnswerer answerer;
    answerer.answer(ModalDialogAnswerer::Answer::ok());
    QTest::mouseClick(button(&bar, buttonName.toLatin1().constData()), Qt::LeftButton);

    QCOMPARE(answerer.answeredCount(), 1);
    const ModalDialogAnswerer::Seen seen = answerer.last();
    QVERIFY(seen.isMessageDialog);
    QCOMPARE(seen.messageType, 3);
    QCOMPARE(seen.messageText, message);
    QVERIFY(seen.cancelButtonHidden);
    QCOMPARE(toPC.size(), 0);
    QCOMPARE(toDevice.size(), 0);
}

void TestRecoverButtonBar::recoverSignals()
{
    FakeHost host;
    RecoverButtonBar bar(nullptr, &host, true);
    bar.show();
    QSignalSpy toPC(&bar, &RecoverButtonBar::signalRecoverToPC);
    QSignalSpy closed(&bar, &RecoverButtonBar::signalClose);
    bar.SetHasCheckedItems(true);
    QTest::mouseClick(button(&bar, "btnRecoverToPC"), Qt::LeftButton);
    QCOMPARE(toPC.size(), 1);
    QTest::mouseClick(button(&bar, "btnClose"), Qt::LeftButton);
    QCOMPARE(closed.size(), 1);
}

void TestRecoverButtonBar::enabling()
{
    FakeHost host;
    RecoverButtonBar bar(nullptr, &host, true);
    bar.SetRecoverButtonsEnabled(false);
    QVERIFY(!button(&bar, "btnRecoverToPC")->isEnabled());
    QVERIFY(!button(&bar, "btnRecoverToDevice")->isEnabled());
    QVERIFY(button(&bar, "btnClose")->isEnabled());
    bar.SetRecoverButtonsEnabled(true);
    QVERIFY(button(&bar, "btnRecoverToPC")->isEnabled());
    QVERIFY(button(&bar, "btnRecoverToDevice")->isEnabled());

    RecoverButtonBar withoutHost(nullptr, nullptr, true);
    withoutHost.RefreshDeviceTarget();
}

QTEST_MAIN(TestRecoverButtonBar)
#include "tst_recoverbuttonbar.moc"
