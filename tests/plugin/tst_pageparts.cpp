// The parts of a page on their own: the category names and the scan progress
// display with its task lines and its animation.

#include "plugin/categorynames.h"
#include "plugin/scanprogresswidget.h"

#include "gifprogresswidget.h"
#include "taskprogresswidget.h"

#include <QLabel>
#include <QTest>
#include <QTranslator>

#include <climits>

using namespace MMobile;

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

TaskProgressWidget* tasksOf(ScanProgressWidget& widget)
{
    return widget.findChild<TaskProgressWidget*>("widgetTasks");
}

} // namespace

class TestPageParts : public QObject
{
    Q_OBJECT

private slots:
    void displayName_data();
    void displayName();
    void namesTranslatedAtEveryCall();
    void animationByCategory_data();
    void animationByCategory();
    void taskLines();
    void noDataTips();
    void movedAnimationOutlivesNothing();
};

void TestPageParts::displayName_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("name");
    const char* names[] = {"Photos",
                           "Contacts",
                           "Message Attachments",
                           "Messages",
                           "Call History",
                           "Calendar",
                           "Notes Attachments",
                           "Notes",
                           "Voice Memos",
                           "Safari",
                           "WhatsApp Attachments",
                           "WhatsApp Messages",
                           "WeChat Contacts",
                           "WeChat Attachments",
                           "WeChat Messages"};
    for (int type = 0; type < 15; ++type)
        QTest::addRow("%d", type) << type << QString(names[type]);
    QTest::newRow("22") << 22 << "Reminders";
    for (int type : {15, 21, 23, -1, INT_MAX})
        QTest::addRow("%d has none", type) << type << QString();
}

void TestPageParts::displayName()
{
    QFETCH(int, type);
    QFETCH(QString, name);
    const auto value = static_cast<MDType>(type);
    QCOMPARE(CategoryNames::DisplayName(value), name);
    QCOMPARE(QString::fromLatin1(CategoryNames::SourceText(value)), name);
    QCOMPARE(CategoryNames::SourceText(value) == nullptr, name.isEmpty());
}

void TestPageParts::namesTranslatedAtEveryCall()
{
    MarkingTranslator translator;
    QCoreApplication::installTranslator(&translator);
    QCOMPARE(CategoryNames::DisplayName(MD_NOTE), QString("<Notes>"));
    QCOMPARE(CategoryNames::DisplayName(MD_REMINDER), QString("<Reminders>"));
    QCoreApplication::removeTranslator(&translator);
    QCOMPARE(CategoryNames::DisplayName(MD_NOTE), QString("Notes"));
}

void TestPageParts::animationByCategory_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("embedded");
    for (int type : {0, 2, 4, 6, 8, 9, 10, 13})
        QTest::addRow("embedded %d", type) << type << true;
    for (int type : {1, 3, 5, 7, 11, 12, 14, 22, 15, -1})
        QTest::addRow("separate %d", type) << type << false;
}

void TestPageParts::animationByCategory()
{
    QFETCH(int, type);
    QFETCH(bool, embedded);
    ScanProgressWidget widget(nullptr, QStringLiteral("/skin/"), static_cast<MDType>(type));
    auto* inForm = widget.findChild<GifProgressWidget*>("widgetProgress");
    QCOMPARE(inForm->isHidden(), !embedded);
    QCOMPARE(inForm->moviePath(), embedded ? QString("/skin/scanMovie.gif") : QString());
    QWidget elsewhere;
    auto* separate = qobject_cast<GifProgressWidget*>(widget.SetProgressShowParent(&elsewhere));
    QCOMPARE(separate == nullptr, embedded);
    QCOMPARE(widget.findChildren<GifProgressWidget*>().size(), 1);
    // The percentage goes to the animation in use.
    widget.SetPercent(42);
    QCOMPARE(inForm->percent(), embedded ? 42u : 0u);
    if (embedded)
        return;
    QCOMPARE(separate->parentWidget(), &elsewhere);
    QCOMPARE(separate->moviePath(), QString("/skin/scanMovie.gif"));
    QCOMPARE(separate->percent(), 42u);
    // The separate animation shows no percentage text.
    QVERIFY(separate->findChild<QLabel*>("lblPercent")->isHidden());
}

void TestPageParts::taskLines()
{
    ScanProgressWidget widget(nullptr, QString(), MD_CONTACT);
    TaskProgressWidget* tasks = tasksOf(widget);
    QCOMPARE(tasks->taskCount(), 2);
    QCOMPARE(tasks->taskText(0), QString("Scanning data..."));
    QCOMPARE(tasks->taskText(1), QString("Analyzing data..."));
    widget.SetTaskTextDataName(QStringLiteral("Contacts"));
    QCOMPARE(tasks->taskText(0), QString("Scanning Contacts ..."));
    QCOMPARE(tasks->taskText(1), QString("Analyzing Contacts ..."));

    const int before = int(tasks->taskState(0));
    widget.Update(1, TASK_COMPLETE);
    QCOMPARE(int(tasks->taskState(1)), int(TASK_COMPLETE));
    QCOMPARE(int(tasks->taskState(0)), before);
    widget.Update(0, TASK_ERROR);
    QCOMPARE(int(tasks->taskState(0)), int(TASK_ERROR));
    widget.Update(7, TASK_ERROR); // no such line
    QCOMPARE(tasks->taskCount(), 2);
}

void TestPageParts::noDataTips()
{
    ScanProgressWidget widget(nullptr, QString(), MD_CONTACT);
    QWidget holder;
    QWidget* separate = widget.SetProgressShowParent(&holder);
    separate->show();
    QVERIFY(widget.findChild<QLabel*>("labelTips")->isHidden());
    widget.ShowNoDataTips();
    QVERIFY(widget.isVisible());
    auto* tips = widget.findChild<QLabel*>("labelTips");
    QCOMPARE(tips->text(), QString("No data found."));
    QVERIFY(!tips->isHidden());
    QVERIFY(tasksOf(widget)->isHidden());
    QVERIFY(widget.findChild<QWidget*>("widgetProgress")->isHidden());
    QVERIFY(!separate->isHidden());
}

void TestPageParts::movedAnimationOutlivesNothing()
{
    // The separate animation moved into a parent that dies first: the widget
    // must not touch it afterwards.
    ScanProgressWidget widget(nullptr, QString(), MD_NOTE);
    {
        QWidget holder;
        QVERIFY(widget.SetProgressShowParent(&holder));
    }
    widget.SetPercent(10);
    widget.StartMovie();
    widget.StopMovie();
    QCOMPARE(widget.SetProgressShowParent(nullptr), nullptr);
}

QTEST_MAIN(TestPageParts)
#include "tst_pageparts.moc"
