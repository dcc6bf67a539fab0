#include "listappender.h"
#include "log4qt/classlogger.h"
#include "log4qt/logger.h"
#include "log4qt/propertyconfigurator.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

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
    void capturesLinesWithLevel();
    void propertiesFileConfiguresAppenders();
};

void TestLog4Qt::capturesLinesWithLevel()
{
    Log4Qt::ListAppender capture(QStringLiteral("host"));
    Log4Qt::ListAppender other(QStringLiteral("Unrelated"));
    Log4Qt::Logger* logger = Log4Qt::Logger::logger("host.pages");
    logger->info(QStringLiteral("Scan Contacts complete, data count: 3"));
    logger->error(QString::fromUtf8("Scan Jürgen's 电话 error"));
    logger->debug(QStringLiteral("below the default level"));
    {
        Log4Qt::ListAppender shortLived(QStringLiteral("host.pages"));
    }
    // Lines from other threads, too. A joined thread: ThreadSanitizer sees
    // the join, where QThread::wait waits on Qt's own lock.
    std::thread thread([logger] {
        for (int i = 0; i < 100; ++i)
            logger->warn(QString::number(i));
    });
    thread.join();
    const QList<Log4Qt::ListAppender::Line> lines = capture.lines();
    QCOMPARE(lines.size(), 102);
    QCOMPARE(lines[0].level, QString("INFO"));
    QCOMPARE(lines[0].message, QString("Scan Contacts complete, data count: 3"));
    QCOMPARE(lines[1].level, QString("ERROR"));
    QCOMPARE(lines[1].message, QString::fromUtf8("Scan Jürgen's 电话 error"));
    QCOMPARE(lines[1].logger, QString("host.pages"));
    QVERIFY(other.lines().isEmpty());
    capture.clear();
    QVERIFY(capture.messages().isEmpty());

    // A class logger is named after the most derived class at its first use.
    Log4Qt::ListAppender all;
    QCOMPARE(ContactsPage().logger(), Log4Qt::Logger::logger("ContactsPage"));
    QCOMPARE(ContactsPage(true).logger()->name(), QString("BasePage"));
    QCOMPARE(all.lines().first().logger, QString("BasePage"));
}

void TestLog4Qt::propertiesFileConfiguresAppenders()
{
    Log4Qt::ListAppender capture(QStringLiteral("ContactsPage"));
    QVERIFY(!Log4Qt::PropertyConfigurator::configure("/nonexistent/log.properties"));
    ContactsPage page;
    page.logger()->info(QStringLiteral("still written"));
    QCOMPARE(capture.messages(), QStringList{"still written"});

    QTemporaryDir dir;
    const QString logFile = dir.filePath("pages.log");
    QFile file(dir.filePath("log.properties"));
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
    QVERIFY(Log4Qt::PropertyConfigurator::configure(file.fileName()));
    page.logger()->info(QStringLiteral("Export Contacts complete"));
    Log4Qt::Logger::logger("Quiet")->info(QStringLiteral("not above WARN"));
    Log4Qt::Logger::logger("Quiet")->error(QStringLiteral("loud"));
    QVERIFY(!Log4Qt::Logger::logger("Quiet")->isInfoEnabled());
    QFile written(logFile);
    QVERIFY(written.open(QIODevice::ReadOnly | QIODevice::Text));
    QCOMPARE(QString::fromUtf8(written.readAll()),
             QString("ContactsPage INFO Export Contacts complete\nQuiet ERROR loud\n"));
    Log4Qt::PropertyConfigurator::resetConfiguration();
}

QTEST_GUILESS_MAIN(TestLog4Qt)
#include "tst_log4qt.moc"
