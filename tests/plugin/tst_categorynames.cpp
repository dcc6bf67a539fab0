#include "plugin/categorynames.h"

#include <QCoreApplication>
#include <QTest>
#include <QTranslator>

namespace {

// Answers every CategoryPanel text with a marked copy, to see that the names
// are looked up through the translation system at each call.
class MarkingTranslator : public QTranslator
{
public:
    QString translate(const char* context, const char* source, const char*, int) const override
    {
        if (qstrcmp(context, "CategoryPanel") != 0)
            return QString();
        return QStringLiteral("<%1>").arg(QString::fromLatin1(source));
    }
    bool isEmpty() const override { return false; }
};

} // namespace

class TestCategoryNames : public QObject
{
    Q_OBJECT

private slots:
    void displayName_data();
    void displayName();
    void translatedAtEveryCall();
};

void TestCategoryNames::displayName_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("name");
    QTest::newRow("0") << 0 << "Photos";
    QTest::newRow("1") << 1 << "Contacts";
    QTest::newRow("2") << 2 << "Message Attachments";
    QTest::newRow("3") << 3 << "Messages";
    QTest::newRow("4") << 4 << "Call History";
    QTest::newRow("5") << 5 << "Calendar";
    QTest::newRow("6 keeps the plural") << 6 << "Notes Attachments";
    QTest::newRow("7") << 7 << "Notes";
    QTest::newRow("8") << 8 << "Voice Memos";
    QTest::newRow("9 is just Safari") << 9 << "Safari";
    QTest::newRow("10") << 10 << "WhatsApp Attachments";
    QTest::newRow("11") << 11 << "WhatsApp Messages";
    QTest::newRow("12") << 12 << "WeChat Contacts";
    QTest::newRow("13") << 13 << "WeChat Attachments";
    QTest::newRow("14") << 14 << "WeChat Messages";
    for (int gap = 15; gap <= 21; ++gap)
        QTest::addRow("gap %d", gap) << gap << QString();
    QTest::newRow("22 reminders") << 22 << "Reminders";
    QTest::newRow("23") << 23 << QString();
    QTest::newRow("-1 is the caller's to resolve") << -1 << QString();
    QTest::newRow("-2") << -2 << QString();
    QTest::newRow("large") << 0x7FFFFFFF << QString();
}

void TestCategoryNames::displayName()
{
    QFETCH(int, type);
    QFETCH(QString, name);
    const auto value = static_cast<MMobile::MDType>(type);
    QCOMPARE(CategoryNames::DisplayName(value), name);
    QCOMPARE(CategoryNames::DisplayName(value).isEmpty(),
             CategoryNames::SourceText(value) == nullptr);
    if (!name.isEmpty())
        QCOMPARE(QString::fromLatin1(CategoryNames::SourceText(value)), name);
}

void TestCategoryNames::translatedAtEveryCall()
{
    QCOMPARE(CategoryNames::DisplayName(MMobile::MD_NOTE), QString("Notes"));
    MarkingTranslator translator;
    QCoreApplication::installTranslator(&translator);
    QCOMPARE(CategoryNames::DisplayName(MMobile::MD_NOTE), QString("<Notes>"));
    QCOMPARE(CategoryNames::DisplayName(MMobile::MD_REMINDER), QString("<Reminders>"));
    QCoreApplication::removeTranslator(&translator);
    QCOMPARE(CategoryNames::DisplayName(MMobile::MD_NOTE), QString("Notes"));
}

QTEST_GUILESS_MAIN(TestCategoryNames)
#include "tst_categorynames.moc"
