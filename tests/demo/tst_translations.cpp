// The German catalogues as the build made them: lupdate's fresh copy of each
// (every text of today's sources) has a finished translation by lrelease's own
// count, the host embeds exactly the .qm files built from them, and a German
// system gets them while other languages keep the English texts.

#include "demohostwindow.h"
#include "demopagefactory.h"
#include "detailformatter.h"
#include "failures/failurenotice.h"
#include "hosttranslations.h"
#include "passworddialog.h"

#include "backupdevice.h"
#include "dialogs/recoverprogressdialog.h"
#include "dialogs/setrecoveryfolderdialog.h"
#include "mymessagedailog.h"

#include "photos/imagelistdelegate.h"
#include "photos/imagelistitmmodel.h"
#include "plugin/categorypanel.h"
#include "store/taskitem.h"

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLocale>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestTranslations : public QObject
{
    Q_OBJECT

private slots:
    void catalogueComplete_data();
    void catalogueComplete();
    void systemLanguage_data();
    void systemLanguage();
    void textsOutsideTheCatalogues();
    void emptySelectionNamesTheButton_data();
    void emptySelectionNamesTheButton();
    void everyDialogIsGerman_data();
    void everyDialogIsGerman();
    void detailPaneInGerman_data();
    void detailPaneInGerman();
};

namespace {
// Every text a user reads in `window`: its title, labels, buttons, actions
// and their tool tips, by object name (or class and position).
QMap<QString, QString> TextsOf(QWidget* window)
{
    QMap<QString, QString> texts;
    const auto add = [&texts](const QObject* object, int i, const char* kind, const QString& text) {
        const QString name =
            object->objectName().isEmpty()
                ? QStringLiteral("%1#%2").arg(object->metaObject()->className()).arg(i)
                : object->objectName();
        if (!text.trimmed().isEmpty())
            texts.insert(name + QLatin1Char('.') + QLatin1String(kind), text);
    };
    add(window, 0, "title", window->windowTitle());
    int i = 0;
    for (QLabel* label : window->findChildren<QLabel*>())
        add(label, i++, "text", label->text());
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        add(button, i, "text", button->text());
        add(button, i++, "tip", button->toolTip());
    }
    for (QAction* action : window->findChildren<QAction*>())
        add(action, i++, "text", action->text());
    return texts;
}

// Each kind of window a user can open, made for the current language.
std::unique_ptr<QWidget> MakeWindow(const QString& kind, const QString& folder,
                                    DemoHostWindow** host)
{
    if (kind == QLatin1String("host")) {
        DemoHostWindow::Options options;
        options.settingsFile = folder + QStringLiteral("/settings.ini");
        options.workFolder = folder + QStringLiteral("/work/");
        auto window = std::make_unique<DemoHostWindow>(options);
        window->Failure()->Show(QStringLiteral("x"), QStringLiteral("y"), [] {});
        *host = window.get();
        return window;
    }
    if (kind == QLatin1String("recovery folder"))
        return std::make_unique<SetRecoveryFolderDialog>(*host, nullptr);
    if (kind == QLatin1String("recovery progress"))
        return std::make_unique<RecoverProgressDialog>(QString(), nullptr, Qt::Dialog);
    if (kind == QLatin1String("message")) {
        auto message = std::make_unique<MyMessageDailog>(nullptr, true);
        message->setBtnText(MyMessageDailog::tr("OK"), MyMessageDailog::tr("Cancel"));
        return message;
    }
    if (kind == QLatin1String("folder chooser")) {
        // As File > Open Backup Folder... shows it where the desktop has no dialog of its own.
        auto chooser = std::make_unique<QFileDialog>(nullptr, QStringLiteral("title"), folder);
        chooser->setFileMode(QFileDialog::Directory);
        chooser->setOption(QFileDialog::DontUseNativeDialog);
        return chooser;
    }
    static BackupDevice device(folder);
    return std::make_unique<PasswordDialog>(device);
}
} // namespace

void TestTranslations::emptySelectionNamesTheButton_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("computer"); // what the computer button's refusal names
    QTest::addColumn<QString>("device");
    QTest::newRow("English") << "en_US"
                             << "the Recover to computer button<br> (the first one)"
                             << "the Recover to device button<br> (the second one)";
    QTest::newRow("German") << "de_DE"
                            << "„Auf Computer wiederherstellen“<br> (die erste)"
                            << "„Auf Gerät wiederherstellen“<br> (die zweite)";
}

// The recover bar's library texts say "click Recover button", a button the
// host shows as an icon: the host's wording names it, in every language.
void TestTranslations::emptySelectionNamesTheButton()
{
    QFETCH(QString, locale);
    QFETCH(QString, computer);
    QFETCH(QString, device);
    HostTranslations translations;
    translations.Install(QLocale(locale));
    const QString toComputer = QCoreApplication::translate(
        "RecoverButtonBar", "Oops! It seems you haven't chosen any data to recover.<br> Please "
                            "tick the check boxes and click Recover button to<br> recover.");
    const QString toDevice = QCoreApplication::translate(
        "RecoverButtonBar", "Oops! It seems you haven't chosen any data to recover.<br> Please "
                            "tick the checkboxes and click Recover button to <br> recover.");
    QVERIFY2(toComputer.contains(computer), qPrintable(toComputer));
    QVERIFY2(toDevice.contains(device), qPrintable(toDevice));
}

void TestTranslations::everyDialogIsGerman_data()
{
    QTest::addColumn<QString>("kind");
    for (const char* kind : {"host", "recovery folder", "recovery progress", "message", "password"})
        QTest::newRow(kind) << QString::fromLatin1(kind);
}

// Rendered, in English and in German: no text a user reads stays English
// (but for the few that are the same words in both languages).
void TestTranslations::everyDialogIsGerman()
{
    QFETCH(QString, kind);
    const QStringList same{QStringLiteral("OK"),   QStringLiteral("x"),
                           QStringLiteral("y"),    QStringLiteral("title"),
                           QStringLiteral("Name"), QStringLiteral("\u00d7")};
    QTemporaryDir dir;
    DemoHostWindow* host = nullptr;
    std::unique_ptr<QWidget> hostWindow;
    if (kind != QLatin1String("host"))
        hostWindow = MakeWindow(QStringLiteral("host"), dir.path(), &host);
    std::unique_ptr<QWidget> english = MakeWindow(kind, dir.path(), &host);
    english->show();
    const QMap<QString, QString> englishTexts = TextsOf(english.get());
    QVERIFY(!englishTexts.isEmpty());
    HostTranslations translations;
    QVERIFY(translations.Install(QLocale(QLocale::German, QLocale::Germany)));
    std::unique_ptr<QWidget> german = MakeWindow(kind, dir.path(), &host);
    german->show();
    const QMap<QString, QString> germanTexts = TextsOf(german.get());
    QStringList english_left;
    for (auto text = englishTexts.cbegin(); text != englishTexts.cend(); ++text) {
        if (germanTexts.value(text.key()) == text.value() && !same.contains(text.value()))
            english_left << text.key() + QStringLiteral(": ") + text.value();
    }
    QVERIFY2(english_left.isEmpty(), qPrintable(english_left.join(QLatin1Char('\n'))));
}

void TestTranslations::catalogueComplete_data()
{
    QTest::addColumn<QString>("catalogue");
    for (const QString& catalogue : HostTranslations::Catalogues())
        QTest::newRow(qPrintable(catalogue)) << catalogue;
}

void TestTranslations::catalogueComplete()
{
    QFETCH(QString, catalogue);
    const QString name = catalogue + QStringLiteral("_de");
    QTemporaryDir dir;
    QProcess lrelease;
    lrelease.start(QStringLiteral(CP_LRELEASE),
                   {QStringLiteral(CP_QM_DIR "/%1.ts").arg(name), QStringLiteral("-qm"),
                    dir.filePath(QStringLiteral("check.qm"))});
    QVERIFY(lrelease.waitForFinished(60000) && lrelease.exitCode() == 0);
    // New texts come as unfinished or empty translations; lrelease counts both.
    const QString report = QString::fromUtf8(lrelease.readAllStandardOutput());
    QVERIFY2(report.contains(QStringLiteral(" finished and 0 unfinished")) &&
                 !report.contains(QStringLiteral("Ignored")),
             qPrintable(name + QStringLiteral(".ts: ") + report));

    HostTranslations translations;
    QVERIFY(translations.Install(QLocale(QLocale::German, QLocale::Germany)));
    QFile embedded(QStringLiteral(":/translations/%1.qm").arg(name));
    QFile built(QStringLiteral(CP_QM_DIR "/%1.qm").arg(name));
    QVERIFY(embedded.open(QIODevice::ReadOnly) && built.open(QIODevice::ReadOnly));
    QVERIFY(built.size() > 100);
    QVERIFY(embedded.readAll() == built.readAll());
}

void TestTranslations::systemLanguage_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("contacts");
    QTest::newRow("German") << "de_DE" << true << "Kontakte";
    QTest::newRow("Austrian German") << "de_AT" << true << "Kontakte";
    QTest::newRow("French: English") << "fr_FR" << false << "Contacts";
    QTest::newRow("English") << "en_US" << false << "Contacts";
}

void TestTranslations::systemLanguage()
{
    QFETCH(QString, locale);
    QFETCH(bool, installed);
    QFETCH(QString, contacts);
    HostTranslations translations;
    // A language chosen after another replaces it.
    QVERIFY(translations.Install(QLocale(QLocale::German)));
    QCOMPARE(translations.Install(QLocale(locale)), installed);
    QCOMPARE(DemoPageFactory::Title(MMobile::MD_CONTACT), contacts);
}

// The store's category names are plain names, not display texts; trUtf8 is
// part of the classes' interface under Qt 5 (deprecated there), kept under Qt 6.
void TestTranslations::textsOutsideTheCatalogues()
{
    const auto storeNames = [] {
        QStringList names;
        for (MMobile::MDType type : DemoPageFactory::Categories())
            names << TaskItem(type).GetName();
        return names;
    };
    const QStringList english = storeNames();
    HostTranslations translations;
    QVERIFY(translations.Install(QLocale(QLocale::German)));
    QCOMPARE(storeNames(), english);
    QVERIFY(DemoPageFactory::Title(MMobile::MD_CONTACT) != TaskItem(MMobile::MD_CONTACT).GetName());
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    QCOMPARE(CategoryPanel::trUtf8("Contacts"), CategoryPanel::tr("Contacts"));
    QVERIFY(CategoryPanel::trUtf8("Contacts") != QLatin1String("Contacts"));
    QCOMPARE(ImageListItmModel::trUtf8("Photos"), QStringLiteral("Photos"));
    QCOMPARE(ImageListDelegate::trUtf8("Photos", nullptr, 2), QStringLiteral("Photos"));
    QT_WARNING_POP
}

// The detail pane's words that come from the engine: the places a deleted
// message was found in, and the sender of one's own messages.
void TestTranslations::detailPaneInGerman_data()
{
    QTest::addColumn<QString>("foundIn");
    QTest::addColumn<QString>("places");
    QTest::addColumn<bool>("sent");
    QTest::addColumn<QString>("sender");
    QTest::addColumn<QString>("shown");
    QTest::newRow("carved, logged, own") << "freeblock, change log"
                                         << "Freeblock, Änderungsprotokoll" << true << "Me"
                                         << "Ich";
    QTest::newRow("phone's own mark, received") << "recently deleted"
                                                << "zuletzt gelöscht" << false << "Me"
                                                << "Me";
    QTest::newRow("unknown place, named sender") << "WAL, somewhere new"
                                                 << "WAL, somewhere new" << true << "Anna"
                                                 << "Anna";
    QTest::newRow("nothing") << ""
                             << "" << true << ""
                             << "";
}

void TestTranslations::detailPaneInGerman()
{
    QFETCH(QString, foundIn);
    QFETCH(QString, places);
    QFETCH(bool, sent);
    QFETCH(QString, sender);
    QFETCH(QString, shown);
    HostTranslations translations;
    QVERIFY(translations.Install(QLocale(QLocale::German)));
    QCOMPARE(DetailFormatter::Places(foundIn), places);
    QCOMPARE(DetailFormatter::Sender(sent, sender), shown);
    QVERIFY(!translations.Install(QLocale(QLocale::English)));
    QCOMPARE(DetailFormatter::Places(foundIn), foundIn);
}

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
