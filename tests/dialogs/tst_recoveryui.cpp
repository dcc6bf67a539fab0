// The recovery controls of a page: the button bar with its refusals, the
// progress dialog and the folder dialog that stores the chosen folder.

#include "fakedevice.h"
#include "fakehost.h"
#include "modaldialoganswerer.h"

#include "dialogs/recoverbuttonbar.h"
#include "dialogs/recoverprogressdialog.h"
#include "dialogs/setrecoveryfolderdialog.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMovie>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

Q_DECLARE_METATYPE(IDevice*)

using Answer = ModalDialogAnswerer::Answer;

namespace {

const char kNothingChosenPC[] = "Oops! It seems you haven't chosen any data to recover.<br> Please "
                                "tick the check boxes and click Recover button to<br> recover.";
const char kNothingChosenDevice[] = "Oops! It seems you haven't chosen any data to recover.<br> "
                                    "Please tick the checkboxes and click Recover button to <br> "
                                    "recover.";
const char kNoDevice[] = "Oops! It seems you haven't connected any <br>iOS device to this "
                         "computer. Please plug in your<br>iOS device and try again.";

const Qt::WindowFlags kFlags = Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint |
                               Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                               Qt::WindowCloseButtonHint;

// A 1x1 GIF; Qt writes none, so it is spelled out here.
const char kGif[] =
    "47494638396101000100800000000000ffffff21f90401000000002c00000000010001000002024401003b";

// A host that may report devices without handing over their list.
class ListlessHost : public FakeHost
{
public:
    DeviceEntry* GetDeviceList(unsigned int* count) override
    {
        DeviceEntry* entries = FakeHost::GetDeviceList(count);
        if (listless)
            *count = 2;
        return listless ? nullptr : entries;
    }
    bool listless = false;
};

template <class T = QPushButton> T* child(QObject* parent, const char* name)
{
    return parent->findChild<T*>(QLatin1String(name));
}

} // namespace

class TestRecoveryUi : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<IDevice*>("IDevice*"); }
    void barDeviceTarget_data();
    void barDeviceTarget();
    void barRefusals_data();
    void barRefusals();
    void progressDialog();
    void progressDialogKeys_data();
    void progressDialogKeys();
    void folderDialogForm();
    void folderDialogAnswers_data();
    void folderDialogAnswers();
    void folderDialogBrowse_data();
    void folderDialogBrowse();
};

void TestRecoveryUi::barDeviceTarget_data()
{
    QTest::addColumn<int>("entries"); // 0 none, 1 null device first, 2 two, 3 a count only
    QTest::addColumn<QString>("tooltip");
    QTest::newRow("no entries") << 0 << QString();
    QTest::newRow("a count without a list") << 3 << QString();
    QTest::newRow("first entry empty") << 1 << "Please connect device";
    QTest::newRow("two devices") << 2 << QString::fromUtf8("Recover to Jürgen's iPhone");
}

void TestRecoveryUi::barDeviceTarget()
{
    QFETCH(int, entries);
    QFETCH(QString, tooltip);
    FakeDevice first(QString::fromUtf8("Jürgen's iPhone"));
    FakeDevice second("Second");
    ListlessHost host;
    host.listless = entries == 3;
    if (entries > 0)
        host.setDevices({entries == 1 ? nullptr : &first, &second});
    RecoverButtonBar bar(nullptr, &host, true);
    bar.show();
    QPushButton* button = child(&bar, "btnRecoverToDevice");
    QCOMPARE(button->toolTip(), tooltip);
    QCOMPARE(child(&bar, "btnRecoverToPC")->toolTip(), QString("Recover to PC"));
    bar.SetHasCheckedItems(true);
    QSignalSpy toDevice(&bar, &RecoverButtonBar::signalRecoverToDevice);
    ModalDialogAnswerer answerer;
    answerer.answer({Answer::ok(), Answer::ok()});
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(toDevice.size(), entries == 2 ? 1 : 0);
    QCOMPARE(answerer.answeredCount(), entries == 2 ? 0 : 1);
    if (entries == 2)
        QCOMPARE(toDevice.first().first().value<IDevice*>(), static_cast<IDevice*>(&first));

    // The tooltip keeps its text when the list empties; the target goes.
    host.listless = false;
    host.setDevices({});
    bar.RefreshDeviceTarget();
    QCOMPARE(button->toolTip(), tooltip);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(toDevice.size(), entries == 2 ? 1 : 0);
    QCOMPARE(answerer.last().messageText, QString(kNoDevice));
}

void TestRecoveryUi::barRefusals_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("device");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("message");
    QTest::newRow("pc, nothing ticked") << "btnRecoverToPC" << false << false << kNothingChosenPC;
    QTest::newRow("device, nothing ticked")
        << "btnRecoverToDevice" << true << false << kNothingChosenDevice;
    QTest::newRow("device missing") << "btnRecoverToDevice" << false << true << kNoDevice;
    QTest::newRow("device missing, nothing ticked")
        << "btnRecoverToDevice" << false << false << kNoDevice;
}

void TestRecoveryUi::barRefusals()
{
    QFETCH(QString, button);
    QFETCH(bool, device);
    QFETCH(bool, checked);
    QFETCH(QString, message);
    FakeDevice phone("Phone");
    FakeHost host;
    if (device)
        host.setDevices({&phone});
    RecoverButtonBar bar(nullptr, &host, true);
    bar.show();
    // Nothing is ticked until the page says otherwise.
    if (checked)
        bar.SetHasCheckedItems(true);
    QSignalSpy toPC(&bar, &RecoverButtonBar::signalRecoverToPC);
    QSignalSpy toDevice(&bar, &RecoverButtonBar::signalRecoverToDevice);
    ModalDialogAnswerer answerer;
    answerer.answer(Answer::ok());
    QTest::mouseClick(child(&bar, button.toLatin1().constData()), Qt::LeftButton);
    QCOMPARE(answerer.answeredCount(), 1);
    QCOMPARE(answerer.last().message(), "3 [OK|] " + message);
    QCOMPARE(toPC.size() + toDevice.size(), 0);
}

void TestRecoveryUi::progressDialog()
{
    QTemporaryDir dir;
    QFile gif(dir.filePath("bkgif.gif"));
    QVERIFY(gif.open(QIODevice::WriteOnly));
    gif.write(QByteArray::fromHex(kGif));
    gif.close();
    QWidget page;
    RecoverProgressDialog dialog(dir.path() + QLatin1Char('/'), &page, kFlags);
    QVERIFY(dialog.isModal());
    QCOMPARE(dialog.windowFlags() & kFlags, kFlags);
    QCOMPARE(dialog.parentWidget(), &page);
    QMovie* movie = child<QLabel>(&dialog, "labelMovie")->movie();
    QCOMPARE(movie->fileName(), dir.filePath("bkgif.gif"));
    QCOMPARE(movie->state(), QMovie::Running);
    auto* state = child<QLabel>(&dialog, "labelState");
    QCOMPARE(state->text(), QString("Recovering the data, please wait..."));
    dialog.setLabelStateText(QStringLiteral("12 of 40"));
    QCOMPARE(state->text(), QString("12 of 40"));
}

void TestRecoveryUi::progressDialogKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("staysOpen");
    QTest::newRow("escape") << int(Qt::Key_Escape) << true;
    QTest::newRow("letter") << int(Qt::Key_A) << true;
    QTest::newRow("enter reaches the dialog") << int(Qt::Key_Return) << false;
}

void TestRecoveryUi::progressDialogKeys()
{
    QFETCH(int, key);
    QFETCH(bool, staysOpen);
    RecoverProgressDialog dialog(QString(), nullptr, kFlags);
    // A default button shows that other keys get the standard dialog handling.
    auto* button = new QPushButton(QStringLiteral("Done"), &dialog);
    button->setDefault(true);
    connect(button, &QPushButton::clicked, &dialog, &QDialog::accept);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::keyClick(&dialog, Qt::Key(key));
    QCOMPARE(dialog.isVisible(), staysOpen);
}

void TestRecoveryUi::folderDialogForm()
{
    FakeHost host;
    host.setOutputDir(QString::fromUtf8("/home/anna/Wiederhergestellt ä"));
    SetRecoveryFolderDialog dialog(&host, nullptr);
    QCOMPARE(dialog.windowTitle(), QString("Setting"));
    QVERIFY(dialog.isModal());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QWidget* form = dialog.getClientWidget();
    QVERIFY(form->width() >= 540 && form->height() >= 200);
    // Only the close button in the title bar.
    QVERIFY(!child<QToolButton>(&dialog, "btnMin")->isVisible());
    QVERIFY(!child<QToolButton>(&dialog, "btnMax")->isVisible());
    QVERIFY(child<QToolButton>(&dialog, "btnClose")->isVisible());
    auto* label = child<QLabel>(form, "label");
    QCOMPARE(label->text(), QString("Save the recovered data to the following path."));
    QVERIFY(label->width() >= label->sizeHint().width() || label->geometry().right() >= 539);
    QStringList buttons;
    for (const char* name : {"btnSetRecover", "btnCancel", "btnBrowse"})
        buttons << child(form, name)->text();
    QCOMPARE(buttons, (QStringList{"Recover", "Cancel", "Browse"}));
    QCOMPARE(child<QLineEdit>(form, "editOutputPath")->text(),
             QString::fromUtf8("/home/anna/Wiederhergestellt ä"));
    const QString shots = qEnvironmentVariable("CP_SCREENSHOT_DIR");
    if (!shots.isEmpty())
        QVERIFY(dialog.grab().save(QDir(shots).filePath("recovery-folder-dialog.png")));
}

void TestRecoveryUi::folderDialogAnswers_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("recover");
    QTest::newRow("folder") << QString::fromUtf8("/tmp/wiederhergestellt/Фото") << true;
    QTest::newRow("empty") << QString() << true;
    QTest::newRow("not a folder") << QString("::nowhere::") << true;
    QTest::newRow("cancel") << QString("/typed") << false;
}

void TestRecoveryUi::folderDialogAnswers()
{
    QFETCH(QString, typed);
    QFETCH(bool, recover);
    FakeHost host;
    host.setOutputDir(QStringLiteral("/stored"));
    SetRecoveryFolderDialog dialog(&host, nullptr);
    auto* edit = child<QLineEdit>(&dialog, "editOutputPath");
    edit->setText(typed);
    ModalDialogAnswerer answerer;
    answerer.answer(Answer::pressButton(recover ? "btnSetRecover" : "btnCancel"));
    QCOMPARE(dialog.exec(), int(recover ? QDialog::Accepted : QDialog::Rejected));
    QCOMPARE(host.events("SetOutputDir"),
             recover ? QStringList{"SetOutputDir(" + typed + ")"} : QStringList());
    QCOMPARE(host.outputDir(), recover ? typed : QString("/stored"));
    // The current path is read from the field at each call.
    const QString& path = dialog.getCurOutputPath();
    QCOMPARE(path, typed);
    edit->setText(QStringLiteral("/second"));
    QCOMPARE(dialog.getCurOutputPath(), QString("/second"));
    QCOMPARE(path, QString("/second"));
}

void TestRecoveryUi::folderDialogBrowse_data()
{
    QTest::addColumn<bool>("chosen");
    QTest::newRow("chosen") << true;
    QTest::newRow("cancelled") << false;
}

void TestRecoveryUi::folderDialogBrowse()
{
    QFETCH(bool, chosen);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("chosen"));
    FakeHost host;
    host.setOutputDir(dir.path());
    SetRecoveryFolderDialog dialog(&host, nullptr);
    dialog.show();
    child<QLineEdit>(&dialog, "editOutputPath")->setText(QStringLiteral("/typed/by/hand"));
    ModalDialogAnswerer answerer;
    answerer.answer(chosen ? Answer::chooseFile(dir.filePath("chosen")) : Answer::reject());
    QTest::mouseClick(child(&dialog, "btnBrowse"), Qt::LeftButton);
    QVERIFY2(answerer.errors().isEmpty(), qPrintable(answerer.errors().join('\n')));
    QCOMPARE(answerer.last().windowTitle, QString("Set to save folder"));
    // A cancelled browse puts the stored folder back, also over a typed one.
    QCOMPARE(child<QLineEdit>(&dialog, "editOutputPath")->text(),
             chosen ? QDir::toNativeSeparators(dir.filePath("chosen")) : dir.path());
    QVERIFY(host.events("SetOutputDir").isEmpty());
}

QTEST_MAIN(TestRecoveryUi)
#include "tst_recoveryui.moc"
