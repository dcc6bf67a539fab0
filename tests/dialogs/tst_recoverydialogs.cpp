#include "fakehost.h"
#include "modaldialoganswerer.h"

#include "dialogs/recoverprogressdialog.h"
#include "dialogs/setrecoveryfolderdialog.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMovie>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

const int kTimeout = 10000;

const Qt::WindowFlags kFlags = Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint |
                               Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                               Qt::WindowCloseButtonHint;

// A two-frame GIF is more than the test needs; Qt writes no GIF, so a tiny
// one is spelled out here.
const unsigned char kGif[] = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80,
                              0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0xff, 0xff, 0x21, 0xf9, 0x04,
                              0x01, 0x00, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x01,
                              0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3b};

QLabel* movieLabel(QWidget* dialog)
{
    return dialog->findChild<QLabel*>(QStringLiteral("labelMovie"));
}

QLabel* stateLabel(QWidget* dialog)
{
    return dialog->findChild<QLabel*>(QStringLiteral("labelState"));
}

} // namespace

class TestRecoveryDialogs : public QObject
{
    Q_OBJECT

private slots:
    void progressDialogForm();
    void progressDialogWithoutAnimation();
    void progressDialogKeys_data();
    void progressDialogKeys();
    void folderDialogForm();
    void folderDialogRecoverStores_data();
    void folderDialogRecoverStores();
    void folderDialogCancel();
    void browseChoosesNativeFolder();
    void browseCancelledRestoresStored();
    void curOutputPathAfterClose();
};

void TestRecoveryDialogs::progressDialogForm()
{
    QTemporaryDir dir;
    QFile gif(dir.filePath("bkgif.gif"));
    QVERIFY(gif.open(QIODevice::WriteOnly));
    gif.write(reinterpret_cast<const char*>(kGif), sizeof kGif);
    gif.close();

    QWidget page;
    RecoverProgressDialog dialog(dir.path() + QLatin1Char('/'), &page, kFlags);
    QCOMPARE(dialog.size(), QSize(300, 90));
    QVERIFY(dialog.isModal());
    QCOMPARE(dialog.windowFlags() & kFlags, kFlags);
    QCOMPARE(dialog.parentWidget(), &page);
    QMovie* movie = movieLabel(&dialog)->movie();
    QVERIFY(movie);
    QCOMPARE(movie->parent(), nullptr);
    QCOMPARE(movie->fileName(), dir.filePath("bkgif.gif"));
    QVERIFY(movie->isValid());
    QCOMPARE(movie->state(), QMovie::Running);
    QCOMPARE(movieLabel(&dialog)->pos(), QPoint(10, 10));
    QCOMPARE(stateLabel(&dialog)->text(), QString("Recovering the data, please wait..."));
    QCOMPARE(stateLabel(&dialog)->pos(), QPoint(100, 40));
    QCOMPARE(stateLabel(&dialog)->minimumSize(), QSize(200, 20));
    QCOMPARE(stateLabel(&dialog)->maximumSize(), QSize(200, 20));
    dialog.setLabelStateText(QStringLiteral("12 of 40"));
    QCOMPARE(stateLabel(&dialog)->text(), QString("12 of 40"));
}

void TestRecoveryDialogs::progressDialogWithoutAnimation()
{
    RecoverProgressDialog dialog(QStringLiteral("/no/such/folder/"), nullptr, kFlags);
    QVERIFY(!movieLabel(&dialog)->movie()->isValid());
    dialog.show();
    QVERIFY(dialog.isVisible());
}

void TestRecoveryDialogs::progressDialogKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("staysOpen");
    QTest::newRow("escape") << int(Qt::Key_Escape) << true;
    QTest::newRow("letter") << int(Qt::Key_A) << true;
    QTest::newRow("enter reaches the dialog") << int(Qt::Key_Return) << false;
}

void TestRecoveryDialogs::progressDialogKeys()
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

void TestRecoveryDialogs::folderDialogForm()
{
    FakeHost host;
    host.setOutputDir(QString::fromUtf8("/home/anna/Wiederhergestellt ä"));
    SetRecoveryFolderDialog dialog(&host, nullptr);
    QCOMPARE(dialog.windowTitle(), QString("Setting"));
    QVERIFY(dialog.isModal());
    QCOMPARE(dialog.objectName(), QString("SetRecoveryFolderDialog"));
    QCOMPARE(dialog.size(), QSize(540, 200));
    QWidget* form = dialog.getClientWidget();
    struct Expect
    {
        const char* name;
        QRect geometry;
        const char* text;
    } expected[] = {
        {"label", QRect(10, 25, 276, 21), "Save the recovered data to the following path."},
        {"editOutputPath", QRect(10, 70, 380, 21), nullptr},
        {"btnSetRecover", QRect(310, 120, 86, 24), "Recover"},
        {"btnCancel", QRect(410, 120, 86, 24), "Cancel"},
        {"btnBrowse", QRect(410, 70, 86, 24), "Browse"},
    };
    for (const Expect& e : expected) {
        QWidget* child = dialog.findChild<QWidget*>(QLatin1String(e.name));
        QVERIFY2(child, e.name);
        QCOMPARE(child->parentWidget(), form);
        QCOMPARE(child->geometry(), e.geometry);
        if (auto* label = qobject_cast<QLabel*>(child))
            QCOMPARE(label->text(), QString(e.text));
        if (auto* b = qobject_cast<QPushButton*>(child))
            QCOMPARE(b->text(), QString(e.text));
    }
    QCOMPARE(dialog.findChild<QLineEdit*>("editOutputPath")->text(),
             QString::fromUtf8("/home/anna/Wiederhergestellt ä"));
}

void TestRecoveryDialogs::folderDialogRecoverStores_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("folder") << QString::fromUtf8("/tmp/wiederhergestellt/Фото");
    QTest::newRow("empty") << QString();
    QTest::newRow("not a folder") << QString("::nowhere::");
}

void TestRecoveryDialogs::folderDialogRecoverStores()
{
    QFETCH(QString, typed);
    FakeHost host;
    host.setOutputDir(QStringLiteral("/stored"));
    SetRecoveryFolderDialog dialog(&host, nullptr);
    dialog.findChild<QLineEdit*>("editOutputPath")->setText(typed);
    ModalDialogAnswerer answerer;
    answerer.answer(ModalDialogAnswerer::Answer::pressButton(QStringLiteral("btnSetRecover")));
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QCOMPARE(host.outputDirsSet(), QStringList{typed});
    QCOMPARE(host.outputDir(), typed);
    QCOMPARE(dialog.getCurOutputPath(), typed);
}

void TestRecoveryDialogs::folderDialogCancel()
{
    FakeHost host;
    host.setOutputDir(QStringLiteral("/stored"));
    SetRecoveryFolderDialog dialog(&host, nullptr);
    dialog.findChild<QLineEdit*>("editOutputPath")->setText(QStringLiteral("/typed"));
    ModalDialogAnswerer answerer;
    answerer.answer(ModalDialogAnswerer::Answer::pressButton(QStringLiteral("btnCancel")));
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QVERIFY(host.outputDirsSet().isEmpty());
    QCOMPARE(host.outputDir(), QString("/stored"));
}

void TestRecoveryDialogs::browseChoosesNativeFolder()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("chosen"));
    const QString chosen = dir.filePath("chosen");
    FakeHost host;
    host.setOutputDir(dir.path());
    SetRecoveryFolderDialog dialog(&host, nullptr);
    dialog.show();
    ModalDialogAnswerer answerer;
    answerer.answer(ModalDialogAnswerer::Answer::chooseFile(chosen));
    QTest::mouseClick(dialog.findChild<QPushButton*>("btnBrowse"), Qt::LeftButton);
    QVERIFY2(answerer.errors().isEmpty(), qPrintable(answerer.errors().join('\n')));
    QCOMPARE(answerer.last().windowTitle, QString("Set to save folder"));
    QCOMPARE(dialog.findChild<QLineEdit*>("editOutputPath")->text(),
             QDir::toNativeSeparators(chosen));
    QVERIFY(host.outputDirsSet().isEmpty());
}

void TestRecoveryDialogs::browseCancelledRestoresStored()
{
    FakeHost host;
    host.setOutputDir(QStringLiteral("/stored/folder"));
    SetRecoveryFolderDialog dialog(&host, nullptr);
    dialog.show();
    dialog.findChild<QLineEdit*>("editOutputPath")->setText(QStringLiteral("/typed/by/hand"));
    ModalDialogAnswerer answerer;
    answerer.answer(ModalDialogAnswerer::Answer::reject());
    QTest::mouseClick(dialog.findChild<QPushButton*>("btnBrowse"), Qt::LeftButton);
    QCOMPARE(answerer.answeredCount(), 1);
    QCOMPARE(dialog.findChild<QLineEdit*>("editOutputPath")->text(), QString("/stored/folder"));
}

void TestRecoveryDialogs::curOutputPathAfterClose()
{
    FakeHost host;
    SetRecoveryFolderDialog dialog(&host, nullptr);
    auto* edit = dialog.findChild<QLineEdit*>("editOutputPath");
    edit->setText(QStringLiteral("/first"));
    const QString& path = dialog.getCurOutputPath();
    QCOMPARE(path, QString("/first"));
    dialog.close();
    edit->setText(QStringLiteral("/second"));
    QCOMPARE(dialog.getCurOutputPath(), QString("/second"));
    QCOMPARE(path, QString("/second"));
}

QTEST_MAIN(TestRecoveryDialogs)
#include "tst_recoverydialogs.moc"
