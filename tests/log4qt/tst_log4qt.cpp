#include "log4qt/classlogger.h"
#include "log4qt/listappender.h"
#include "log4qt/logger.h"
#include "log4qt/propertyconfigurator.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace {

class BasePage : public QObject
{
    Q_OBJECT
    LOG4QT_DECLARE_QCLASS_LOGGER
public:
    explicit BasePage(bool logInConstructor = false)
    {
        if (logInConstructor)
            logger()->info(QStringLiteral("constructed"));
    }
};

class ContactsPage : public BasePage
{
    Q_OBJECT
public:
    using BasePage::BasePage;
};

} // namespace

class TestLog4Qt : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void classLoggerNamedAfterMostDerivedClass();
    void classLoggerFixedAtFirstUse();
    void capturesLinesWithLevel();
    void captureFollowsLoggerHierarchy();
    void linesFromOtherThreads();
    void propertiesFileConfiguresAppenders();
    void unreadableFileChangesNothing();
};

void TestLog4Qt::cleanup()
{
    Log4Qt::PropertyConfigurator::resetConfiguration();
}

void TestLog4Qt::classLoggerNamedAfterMostDerivedClass()
{
    ContactsPage page;
    BasePage base;
    QCOMPARE(page.logger()->name(), QString("ContactsPage"));
    QCOMPARE(base.logger()->name(), QString("BasePage"));
    QCOMPARE(page.logger(), Log4Qt::Logger::logger("ContactsPage"));
    QCOMPARE(page.logger(), page.logger());
}

void TestLog4Qt::classLoggerFixedAtFirstUse()
{
    // Used from the base constructor, the logger keeps the base's name.
    Log4Qt::ListAppender capture;
    ContactsPage page(true);
    QCOMPARE(page.logger()->name(), QString("BasePage"));
    QCOMPARE(capture.lines().size(), 1);
    QCOMPARE(capture.lines().first().logger, QString("BasePage"));
}

void TestLog4Qt::capturesLinesWithLevel()
{
    Log4Qt::ListAppender capture(QStringLiteral("ContactsPage"));
    Log4Qt::ListAppender other(QStringLiteral("Unrelated"));
    ContactsPage page;
    page.logger()->info(QStringLiteral("Scan Contacts complete, data count: 3"));
    page.logger()->error(QString::fromUtf8("Scan Jürgen's 电话 error"));
    page.logger()->debug(QStringLiteral("below the default level"));

    const QList<Log4Qt::ListAppender::Line> lines = capture.lines();
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0].level, QString("INFO"));
    QCOMPARE(lines[0].message, QString("Scan Contacts complete, data count: 3"));
    QCOMPARE(lines[1].level, QString("ERROR"));
    QCOMPARE(lines[1].message, QString::fromUtf8("Scan Jürgen's 电话 error"));
    QCOMPARE(lines[1].logger, QString("ContactsPage"));
    QVERIFY(other.lines().isEmpty());

    capture.clear();
    QVERIFY(capture.messages().isEmpty());
}

void TestLog4Qt::captureFollowsLoggerHierarchy()
{
    Log4Qt::ListAppender parent(QStringLiteral("host"));
    Log4Qt::Logger::logger("host.pages")->warn(QStringLiteral("child line"));
    QCOMPARE(parent.messages(), QStringList{"child line"});
    {
        Log4Qt::ListAppender shortLived(QStringLiteral("host.pages"));
    }
    // A removed capture leaves the others working.
    Log4Qt::Logger::logger("host.pages")->warn(QStringLiteral("second"));
    QCOMPARE(parent.messages().size(), 2);
}

void TestLog4Qt::linesFromOtherThreads()
{
    Log4Qt::ListAppender capture(QStringLiteral("worker"));
    QThread* threads[4];
    for (int t = 0; t < 4; ++t) {
        threads[t] = QThread::create([] {
            for (int i = 0; i < 50; ++i)
                Log4Qt::Logger::logger("worker")->info(QString::number(i));
        });
        threads[t]->start();
    }
    for (QThread* thread : threads) {
        thread->wait();
        delete thread;
    }
    QCOMPARE(capture.lines().size(), 200);
}

void TestLog4Qt::propertiesFileConfiguresAppenders()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString logFile = dir.filePath("pages.log");
    const QString properties = dir.filePath("log.properties");
    QFile file(properties);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Text));
    file.write("log4j.rootLogger=WARN, F\n"
               "log4j.appender.F=org.apache.log4j.FileAppender\n"
               "log4j.appender.F.File=" +
               logFile.toUtf8() +
               "\n"
               "log4j.appender.F.ImmediateFlush=true\n"
               "log4j.appender.F.layout=org.apache.log4j.PatternLayout\n"
               "log4j.appender.F.layout.ConversionPattern=%c %p %m%n\n"
               "log4j.logger.ContactsPage=INFO\n");
    file.close();

    QVERIFY(Log4Qt::PropertyConfigurator::configure(properties));
    ContactsPage page;
    page.logger()->info(QStringLiteral("Export Contacts complete"));
    Log4Qt::Logger::logger("Quiet")->info(QStringLiteral("not above WARN"));
    Log4Qt::Logger::logger("Quiet")->error(QStringLiteral("loud"));
    QVERIFY(page.logger()->isInfoEnabled());
    QVERIFY(!Log4Qt::Logger::logger("Quiet")->isInfoEnabled());

    QFile written(logFile);
    QVERIFY(written.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString text = QString::fromUtf8(written.readAll());
    QVERIFY2(text.contains("ContactsPage INFO Export Contacts complete"), qPrintable(text));
    QVERIFY2(text.contains("Quiet ERROR loud"), qPrintable(text));
    QVERIFY2(!text.contains("not above WARN"), qPrintable(text));
}

void TestLog4Qt::unreadableFileChangesNothing()
{
    Log4Qt::ListAppender capture(QStringLiteral("ContactsPage"));
    QVERIFY(
        !Log4Qt::PropertyConfigurator::configure(QStringLiteral("/nonexistent/log.properties")));
    ContactsPage page;
    page.logger()->info(QStringLiteral("still written"));
    QCOMPARE(capture.messages(), QStringList{"still written"});
}

QTEST_GUILESS_MAIN(TestLog4Qt)
#include "tst_log4qt.moc"
