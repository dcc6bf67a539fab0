// The demo host: lists the categories of a backup folder and opens their
// pages; with --tour it walks through every page without a user instead.

#include "demohostwindow.h"
#include "demotour.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("CategoryPanelDemo"));
    QApplication::setApplicationName(QStringLiteral("cpdemo"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows the data of a phone backup folder through the category pages."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("backup"),
                                 QStringLiteral("The backup folder (default: the sample backup)."));
    const QCommandLineOption tour(QStringLiteral("tour"),
                                  QStringLiteral("Walk through every page without a user, saving "
                                                 "screenshots into <folder>."),
                                  QStringLiteral("folder"));
    const QCommandLineOption recover(QStringLiteral("recover-to"),
                                     QStringLiteral("Where the tour recovers its ticked items."),
                                     QStringLiteral("folder"));
    const QCommandLineOption keyword(QStringLiteral("keyword"),
                                     QStringLiteral("The keyword the tour searches for."),
                                     QStringLiteral("text"));
    const QCommandLineOption logs(QStringLiteral("log-dir"), QStringLiteral("The log folder."),
                                  QStringLiteral("folder"));
    const QCommandLineOption settings(QStringLiteral("settings"),
                                      QStringLiteral("Keep the settings in this INI file."),
                                      QStringLiteral("file"));
    const QCommandLineOption password(
        QStringLiteral("password"),
        QStringLiteral("The password of an encrypted backup (or set CP_BACKUP_PASSWORD); "
                       "without it the host asks, and the tour leaves the backup locked."),
        QStringLiteral("password"));
    parser.addOptions({tour, recover, keyword, logs, settings, password});
    parser.process(app);

    // A desktop-sized font; offscreen platforms start with a large one.
    QFont font = QApplication::font();
    font.setPixelSize(12);
    QApplication::setFont(font);

    const QString dataDir = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    DemoHostWindow::Options options;
    options.backupFolder =
        parser.positionalArguments().value(0, QString::fromUtf8(CP_DEMO_SAMPLE_BACKUP));
    options.resourceFolder = QString::fromUtf8(CP_DEMO_RESOURCE_DIR) + QStringLiteral("common/");
    options.pictureFolder = QString::fromUtf8(CP_DEMO_RESOURCE_DIR);
    QTemporaryDir work;
    options.workFolder = work.path() + QLatin1Char('/');
    options.settingsFile = parser.value(settings);
    options.password = parser.isSet(password) ? parser.value(password)
                                              : QString::fromUtf8(qgetenv("CP_BACKUP_PASSWORD"));
    options.logFolder =
        parser.isSet(logs) ? parser.value(logs) : QDir(dataDir).filePath(QStringLiteral("log"));
    if (!DemoHostWindow::ConfigureLogging(options.logFolder))
        std::fprintf(stderr, "cannot write the log configuration into %s\n",
                     qPrintable(options.logFolder));

    DemoHostWindow host(options);
    host.show();
    // The tour has no one to ask: a locked backup shows its backup errors.
    host.UnlockBackup(!parser.isSet(tour));
    if (!parser.isSet(tour))
        return app.exec();

    DemoTour::Options tourOptions;
    tourOptions.screenshotFolder = parser.value(tour);
    tourOptions.recoverFolder =
        parser.isSet(recover) ? parser.value(recover)
                              : QDir(parser.value(tour)).filePath(QStringLiteral("recovered"));
    tourOptions.keyword = parser.value(keyword);
    DemoTour walk(&host, tourOptions);
    const DemoTour::Summary summary = walk.Run();
    std::printf("%s", qPrintable(summary.ToText()));
    std::printf("Log file: %s\n",
                qPrintable(QDir::toNativeSeparators(QDir(options.logFolder).filePath("demo.log"))));
    return summary.ok() ? 0 : 1;
}
