// The German catalogues as the build made them: lupdate's fresh copy of each
// (every text of today's sources) has a finished translation by lrelease's own
// count, the host embeds exactly the .qm files built from them, and a German
// system gets them while other languages keep the English texts.

#include "demopagefactory.h"
#include "hosttranslations.h"

#include "photos/imagelistdelegate.h"
#include "photos/imagelistitmmodel.h"
#include "plugin/categorypanel.h"
#include "store/taskitem.h"

#include <QFile>
#include <QLocale>
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
};

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

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
