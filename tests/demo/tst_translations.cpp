// The German catalogues as the build made them: lupdate's fresh copy of each
// (every text of today's sources) has a finished translation, the host's
// embedded .qm files give exactly those translations for a German system, and
// other languages keep the English texts.

#include "demopagefactory.h"
#include "hosttranslations.h"

#include "photos/imagelistdelegate.h"
#include "photos/imagelistitmmodel.h"
#include "plugin/categorypanel.h"
#include "store/taskitem.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocale>
#include <QTest>
#include <QXmlStreamReader>

namespace {

struct Message
{
    QString context;
    QString source;
    QString comment;
    bool numerus = false;
    bool finished = true;
    QStringList translations;
};

QVector<Message> ReadCatalogue(const QString& path, QString* error)
{
    QVector<Message> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return messages;
    }
    QXmlStreamReader xml(&file);
    QString context;
    Message message;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto name = xml.name();
        if (name == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (name == QLatin1String("message")) {
            message = Message();
            message.context = context;
            message.numerus =
                xml.attributes().value(QLatin1String("numerus")) == QLatin1String("yes");
            // source, comment and translation follow inside the message.
            while (xml.readNextStartElement()) {
                const auto part = xml.name();
                if (part == QLatin1String("source")) {
                    message.source = xml.readElementText();
                } else if (part == QLatin1String("comment")) {
                    message.comment = xml.readElementText();
                } else if (part == QLatin1String("translation")) {
                    const auto type = xml.attributes().value(QLatin1String("type"));
                    message.finished = type.isEmpty();
                    if (type == QLatin1String("vanished") || type == QLatin1String("obsolete"))
                        message.source.clear();
                    if (message.numerus) {
                        while (xml.readNextStartElement())
                            message.translations << xml.readElementText();
                    } else {
                        message.translations << xml.readElementText();
                    }
                } else {
                    xml.skipCurrentElement();
                }
            }
            if (!message.source.isEmpty())
                messages << message;
        }
    }
    if (xml.hasError())
        *error = xml.errorString();
    return messages;
}

} // namespace

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
    QString error;
    const QVector<Message> messages =
        ReadCatalogue(QStringLiteral(CP_QM_DIR "/%1_de.ts").arg(catalogue), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(!messages.isEmpty());
    QStringList open;
    for (const Message& message : messages) {
        const bool empty = message.translations.isEmpty() ||
                           message.translations.contains(QString()) ||
                           (message.numerus && message.translations.size() < 2);
        if (!message.finished || empty)
            open << message.context + QStringLiteral(": ") + message.source;
    }
    QVERIFY2(open.isEmpty(),
             qPrintable(QStringLiteral("untranslated in %1_de.ts:\n").arg(catalogue) +
                        open.join(QLatin1Char('\n'))));

    HostTranslations translations;
    QVERIFY(translations.Install(QLocale(QLocale::German, QLocale::Germany)));
    for (const Message& message : messages) {
        const QByteArray contextBytes = message.context.toUtf8();
        const QByteArray sourceBytes = message.source.toUtf8();
        const QByteArray comment = message.comment.toUtf8();
        const char* context = contextBytes.constData();
        const char* source = sourceBytes.constData();
        const char* disambiguation = comment.isEmpty() ? nullptr : comment.constData();
        if (message.numerus) {
            // German: the first form for one, the second for the rest.
            QCOMPARE(
                QCoreApplication::translate(context, source, disambiguation, 1),
                QString(message.translations[0]).replace(QLatin1String("%n"), QLatin1String("1")));
            QCOMPARE(
                QCoreApplication::translate(context, source, disambiguation, 3),
                QString(message.translations[1]).replace(QLatin1String("%n"), QLatin1String("3")));
        } else {
            QCOMPARE(QCoreApplication::translate(context, source, disambiguation),
                     message.translations[0]);
        }
    }
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
