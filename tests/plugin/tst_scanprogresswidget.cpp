#include "plugin/scanprogresswidget.h"

#include "gifprogresswidget.h"
#include "taskprogresswidget.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QTest>

using namespace MMobile;

class TestScanProgressWidget : public QObject
{
    Q_OBJECT

private slots:
    void form();
    void animationByCategory_data();
    void animationByCategory();
    void taskTexts();
    void updateOneLine();
    void percentGoesToAnimationInUse_data();
    void percentGoesToAnimationInUse();
    void noDataTips();
    void movedAnimationOutlivesNothing();
};

void TestScanProgressWidget::form()
{
    ScanProgressWidget widget(nullptr, QStringLiteral("/skin/"), MD_PHOTO);
    QCOMPARE(widget.objectName(), QString("ScanProgressWidget"));
    QCOMPARE(widget.size(), QSize(930, 474));
    QCOMPARE(widget.windowTitle(), QString("ScanProgressWidget"));
    auto* outer = widget.findChild<QHBoxLayout*>("horizontalLayout");
    auto* inner = widget.findChild<QHBoxLayout*>("horizontalLayout_2");
    QVERIFY(outer && inner);
    QCOMPARE(outer->spacing(), 0);
    QCOMPARE(outer->contentsMargins(), QMargins());
    auto* frame = widget.findChild<QFrame*>("frameBackground");
    QVERIFY(frame);
    QCOMPARE(frame->frameShape(), QFrame::NoFrame);
    QCOMPARE(frame->frameShadow(), QFrame::Raised);
    QCOMPARE(inner->count(), 5);
    QCOMPARE(inner->itemAt(0)->spacerItem()->sizeHint(), QSize(368, 20));
    QCOMPARE(inner->itemAt(1)->widget()->objectName(), QString("widgetTasks"));
    QCOMPARE(inner->itemAt(2)->widget()->objectName(), QString("widgetProgress"));
    QCOMPARE(inner->itemAt(3)->widget()->objectName(), QString("labelTips"));
    QCOMPARE(inner->itemAt(4)->spacerItem()->sizeHint(), QSize(423, 20));
    QVERIFY(widget.findChild<QLabel*>("labelTips")->isHidden());
    auto* tasks = widget.findChild<TaskProgressWidget*>("widgetTasks");
    QCOMPARE(tasks->taskCount(), 2);
    QCOMPARE(tasks->taskText(0), QString("Scanning data..."));
    QCOMPARE(tasks->taskText(1), QString("Analyzing data..."));
}

void TestScanProgressWidget::animationByCategory_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("embedded");
    for (int t : {0, 2, 4, 6, 8, 9, 10, 13})
        QTest::addRow("embedded %d", t) << t << true;
    for (int t : {1, 3, 5, 7, 11, 12, 14, 22, 15, -1})
        QTest::addRow("separate %d", t) << t << false;
}

void TestScanProgressWidget::animationByCategory()
{
    QFETCH(int, type);
    QFETCH(bool, embedded);
    ScanProgressWidget widget(nullptr, QStringLiteral("/skin/"), static_cast<MDType>(type));
    auto* inForm = widget.findChild<GifProgressWidget*>("widgetProgress");
    QCOMPARE(inForm->isHidden(), !embedded);
    QCOMPARE(inForm->moviePath(), embedded ? QString("/skin/scanMovie.gif") : QString());

    QWidget elsewhere;
    QWidget* separate = widget.SetProgressShowParent(&elsewhere);
    if (embedded) {
        QCOMPARE(separate, nullptr);
        QCOMPARE(widget.findChildren<GifProgressWidget*>().size(), 1);
    } else {
        auto* animation = qobject_cast<GifProgressWidget*>(separate);
        QVERIFY(animation);
        QCOMPARE(animation->parentWidget(), &elsewhere);
        QCOMPARE(animation->moviePath(), QString("/skin/scanMovie.gif"));
        QVERIFY(!animation->isMovieRunning());
    }
}

void TestScanProgressWidget::taskTexts()
{
    ScanProgressWidget widget(nullptr, QString(), MD_CONTACT);
    auto* tasks = widget.findChild<TaskProgressWidget*>("widgetTasks");
    widget.SetTaskTextDataName(QStringLiteral("Contacts"));
    QCOMPARE(tasks->taskText(0), QString("Scanning Contacts ..."));
    QCOMPARE(tasks->taskText(1), QString("Analyzing Contacts ..."));
    widget.SetTaskText(QStringLiteral("one"), QStringLiteral("two"));
    QCOMPARE(tasks->taskText(0), QString("one"));
    QCOMPARE(tasks->taskText(1), QString("two"));
}

void TestScanProgressWidget::updateOneLine()
{
    ScanProgressWidget widget(nullptr, QString(), MD_CONTACT);
    auto* tasks = widget.findChild<TaskProgressWidget*>("widgetTasks");
    const int before = int(tasks->taskState(0));
    widget.Update(1, TASK_COMPLETE);
    QCOMPARE(int(tasks->taskState(1)), int(TASK_COMPLETE));
    QCOMPARE(int(tasks->taskState(0)), before);
    widget.Update(0, TASK_ERROR);
    QCOMPARE(int(tasks->taskState(0)), int(TASK_ERROR));
    widget.Update(7, TASK_ERROR); // no such line
    QCOMPARE(tasks->taskCount(), 2);
}

void TestScanProgressWidget::percentGoesToAnimationInUse_data()
{
    QTest::addColumn<int>("type");
    QTest::newRow("embedded") << int(MD_CALL_HISTORY);
    QTest::newRow("separate") << int(MD_CALENDAR);
}

void TestScanProgressWidget::percentGoesToAnimationInUse()
{
    QFETCH(int, type);
    ScanProgressWidget widget(nullptr, QString(), static_cast<MDType>(type));
    QWidget holder;
    auto* separate = qobject_cast<GifProgressWidget*>(widget.SetProgressShowParent(&holder));
    auto* inForm = widget.findChild<GifProgressWidget*>("widgetProgress");
    GifProgressWidget* used = separate ? separate : inForm;
    widget.SetPercent(42);
    QCOMPARE(used->percent(), 42u);
    if (separate)
        QCOMPARE(inForm->percent(), 0u);
    widget.StartMovie();
    widget.StopMovie();
}

void TestScanProgressWidget::noDataTips()
{
    ScanProgressWidget widget(nullptr, QString(), MD_CONTACT);
    QWidget holder;
    QWidget* separate = widget.SetProgressShowParent(&holder);
    separate->show();
    widget.hide();
    widget.ShowNoDataTips();
    QVERIFY(widget.isVisible());
    auto* tips = widget.findChild<QLabel*>("labelTips");
    QCOMPARE(tips->text(), QString("No data found."));
    QVERIFY(!tips->isHidden());
    QVERIFY(widget.findChild<QWidget*>("widgetTasks")->isHidden());
    QVERIFY(widget.findChild<QWidget*>("widgetProgress")->isHidden());
    QVERIFY(!separate->isHidden());
}

void TestScanProgressWidget::movedAnimationOutlivesNothing()
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
    QCOMPARE(widget.SetProgressShowParent(nullptr), nullptr);
}

QTEST_MAIN(TestScanProgressWidget)
#include "tst_scanprogresswidget.moc"
