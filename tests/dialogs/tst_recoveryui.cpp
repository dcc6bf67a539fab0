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
    void buttonBar_data();
    void buttonBar();
    void progressDialog_data();
    void progressDialog();
    void folderDialog_data();
    void folderDialog();
};

void TestRecoveryUi::buttonBar_data()
{
    QTest::addColumn<int>("entries"); // 0 none, 1 null device first, 2 two, 3 a count only
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("takes"); // what the device says it takes back; "-": nothing said
    QTest::addColumn<QString>("tooltip");
    QTest::addColumn<QString>("refusal"); // none: the device is the target
    const QString connect = "Please connect device";
    const QString jurgen = QString::fromUtf8("Recover to J\u00fcrgen's iPhone");
    const QString cannot =
        QString::fromUtf8("These items cannot be put back on J\u00fcrgen's iPhone yet");
    const QString refused = QString::fromUtf8("These items cannot be put back on J\u00fcrgen's "
                                              "iPhone yet.<br>Please recover them to this "
                                              "computer instead.");
    QTest::newRow("nothing ticked") << 2 << false << "-" << jurgen << kNothingChosenDevice;
    // No list at all leaves the tooltip as it was: empty at first.
    QTest::newRow("no entries") << 0 << true << "-"
                                << "" << kNoDevice;
    QTest::newRow("a count without a list") << 3 << true << "-"
                                            << "" << kNoDevice;
    QTest::newRow("first entry empty") << 1 << true << "-" << connect << kNoDevice;
    QTest::newRow("no device, nothing ticked") << 1 << false << "-" << connect << kNoDevice;
    QTest::newRow("two devices") << 2 << true << "-" << jurgen << "";
    QTest::newRow("takes the category") << 2 << true << "3,1,4" << jurgen << "";
    QTest::newRow("takes other categories") << 2 << true << "3,4,11" << cannot << refused;
    QTest::newRow("takes none") << 2 << true << "" << cannot << refused;
}

void TestRecoveryUi::buttonBar()
{
    QFETCH(int, entries);
    QFETCH(bool, checked);
    QFETCH(QString, takes);
    QFETCH(QString, tooltip);
    QFETCH(QString, refusal);
    FakeDevice first(QString::fromUtf8("J\u00fcrgen's iPhone"));
    if (takes != "-")
        first.setRecoverableTypes(takes.toLatin1());
    FakeDevice second("Second");
    ListlessHost host;
    host.listless = entries == 3;
    if (entries > 0)
        host.setDevices({entries == 1 ? nullptr : &first, &second});
    RecoverButtonBar bar(nullptr, &host, true);
    bar.SetCategory(MMobile::MD_CONTACT);
    bar.show();
    QPushButton* deviceButton = child(&bar, "btnRecoverToDevice");
    QCOMPARE(deviceButton->toolTip(), tooltip);
    QCOMPARE(child(&bar, "btnRecoverToPC")->toolTip(), QString("Recover to PC"));
    // The enabled state follows the page alone.
    QVERIFY(deviceButton->isEnabled());
    bar.SetRecoverButtonsEnabled(false);
    QVERIFY(!deviceButton->isEnabled());
    QVERIFY(child(&bar, "btnClose")->isEnabled());
    bar.SetRecoverButtonsEnabled(true);
    QVERIFY(deviceButton->isEnabled());
    // Nothing is ticked until the page says otherwise.
    if (checked)
        bar.SetHasCheckedItems(true);
    QSignalSpy toPC(&bar, &RecoverButtonBar::signalRecoverToPC);
    QSignalSpy toDevice(&bar, &RecoverButtonBar::signalRecoverToDevice);
    ModalDialogAnswerer answerer;
    answerer.answer({Answer::ok(), Answer::ok()});
    QTest::mouseClick(deviceButton, Qt::LeftButton);
    QCOMPARE(answerer.last().message, refusal.isEmpty() ? QString() : "3 [OK|] " + refusal);
    QCOMPARE(toPC.size(), 0);
    QCOMPARE(toDevice.size(), int(refusal.isEmpty()));
    if (!toDevice.isEmpty())
        QCOMPARE(toDevice.first().first().value<IDevice*>(), static_cast<IDevice*>(&first));
    const int shown = answerer.answeredCount();
    QTest::mouseClick(child(&bar, "btnRecoverToPC"), Qt::LeftButton);
    QCOMPARE(answerer.answeredCount(), shown + int(!checked));
    if (!checked)
        QCOMPARE(answerer.last().message, "3 [OK|] " + QString(kNothingChosenPC));
    QCOMPARE(toPC.size(), int(checked));

    // The device unplugged (the host's one entry empty): the button says to
    // connect one and leads nowhere.
    host.listless = false;
    host.setDevices({nullptr});
    bar.RefreshDeviceTarget();
    QCOMPARE(deviceButton->toolTip(), QString("Please connect device"));
    const int before = toDevice.size();
    answerer.answer({Answer::ok()});
    QTest::mouseClick(deviceButton, Qt::LeftButton);
    QCOMPARE(answerer.last().message, "3 [OK|] " + QString(kNoDevice));
    QCOMPARE(toDevice.size(), before);
}

void TestRecoveryUi::progressDialog_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("staysOpen");
    QTest::newRow("escape") << int(Qt::Key_Escape) << true;
    QTest::newRow("letter") << int(Qt::Key_A) << true;
    QTest::newRow("enter reaches the dialog") << int(Qt::Key_Return) << false;
}

void TestRecoveryUi::progressDialog()
{
    QFETCH(int, key);
    QFETCH(bool, staysOpen);
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
    // A default button shows that other keys get the standard dialog handling.
    auto* button = new QPushButton(QStringLiteral("Done"), &dialog);
    button->setDefault(true);
    connect(button, &QPushButton::clicked, &dialog, &QDialog::accept);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::keyClick(&dialog, Qt::Key(key));
    QCOMPARE(dialog.isVisible(), staysOpen);
}

void TestRecoveryUi::folderDialog_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("browse"); // what the folder browser gives: "", "chosen", "cancel"
    QTest::addColumn<bool>("recover");
    QTest::newRow("folder") << QString::fromUtf8("/tmp/wiederhergestellt/Фото") << "" << true;
    QTest::newRow("empty") << QString() << "" << true;
    QTest::newRow("not a folder") << QString("::nowhere::") << "" << true;
    QTest::newRow("cancel") << QString("/typed") << "" << false;
    QTest::newRow("browsed") << QString("/typed") << "chosen" << false;
    QTest::newRow("browse cancelled") << QString("/typed") << "cancel" << true;
}

void TestRecoveryUi::folderDialog()
{
    QFETCH(QString, typed);
    QFETCH(QString, browse);
    QFETCH(bool, recover);
    const QString stored = QString::fromUtf8("/home/anna/Wiederhergestellt ä");
    QTemporaryDir chosen;
    FakeHost host;
    host.setOutputDir(stored);
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
    auto* edit = child<QLineEdit>(form, "editOutputPath");
    QCOMPARE(edit->text(), stored);
    const QString shots = qEnvironmentVariable("CP_SCREENSHOT_DIR");
    if (!shots.isEmpty())
        QVERIFY(dialog.grab().save(QDir(shots).filePath("recovery-folder-dialog.png")));

    edit->setText(typed);
    ModalDialogAnswerer answerer;
    if (!browse.isEmpty()) {
        answerer.answer(browse == "chosen" ? Answer::chooseFile(chosen.path()) : Answer::reject());
        QTest::mouseClick(child(&dialog, "btnBrowse"), Qt::LeftButton);
        QCOMPARE(answerer.last().windowTitle, QString("Set to save folder"));
        // A cancelled browse puts the stored folder back, also over a typed one.
        typed = browse == "chosen" ? QDir::toNativeSeparators(chosen.path()) : stored;
    }
    answerer.answer(Answer::pressButton(recover ? "btnSetRecover" : "btnCancel"));
    QCOMPARE(dialog.exec(), int(recover ? QDialog::Accepted : QDialog::Rejected));
    QVERIFY2(answerer.errors().isEmpty(), qPrintable(answerer.errors().join('\n')));
    QCOMPARE(host.events("SetOutputDir"),
             recover ? QStringList{"SetOutputDir(" + typed + ")"} : QStringList());
    QCOMPARE(QString::fromUtf8(host.GetOutputDir()), recover ? typed : stored);
    // The current path is read from the field at each call.
    const QString& path = dialog.getCurOutputPath();
    QCOMPARE(path, typed);
    edit->setText(QStringLiteral("/second"));
    QCOMPARE(dialog.getCurOutputPath(), QString("/second"));
    QCOMPARE(path, QString("/second"));
}

QTEST_MAIN(TestRecoveryUi)
#include "tst_recoveryui.moc"
