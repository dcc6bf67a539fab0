// The demo host: lists the backups on the computer, shows the categories of
// the one opened and opens their pages; with --tour it walks through every
// page without a user instead.

#include "backuplocator.h"
#include "demohostwindow.h"
#include "demotour.h"
#include "hostlogging.h"
#include "hosttranslations.h"
#include "phones/phonetour.h"

#include "log4qt/logger.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

// Lines Qt wrote before the log was configured, and whether it is.
QStringList g_pendingLines;
bool g_logReady = false;

// Qt's own messages go to the log, not the terminal: the platform plug-ins'
// notes (offscreen windows cannot size themselves, and so on) are noise for
// a user; only critical ones still reach stderr.
void RouteQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    const QString category = QString::fromLatin1(context.category ? context.category : "");
    // The offscreen plug-in says so of every window it cannot resize.
    const bool platformNote = category.startsWith(QLatin1String("qt.qpa")) ||
                              text.startsWith(QLatin1String("This plugin does not support"));
    if (platformNote && type != QtCriticalMsg && type != QtFatalMsg)
        return;
    const QString line = category.isEmpty() || category == QLatin1String("default")
                             ? text
                             : category + QStringLiteral(": ") + text;
    if (!g_logReady && type != QtCriticalMsg && type != QtFatalMsg) {
        g_pendingLines << line;
        return;
    }
    Log4Qt::Logger* logger = Log4Qt::Logger::logger(QStringLiteral("Qt"));
    switch (type) {
    case QtDebugMsg:
    case QtInfoMsg:
        logger->info(line);
        break;
    case QtWarningMsg:
        logger->warn(line);
        break;
    case QtCriticalMsg:
    case QtFatalMsg:
        logger->error(line);
        std::fprintf(stderr, "%s\n", qPrintable(line));
        break;
    }
}

// A session with no language set (or "C", "POSIX") would have every table
// sort names by code point; such a session gets English collation and
// formats instead. An explicit LC_ALL is left alone.
void DefaultToEnglish()
{
    if (!qEnvironmentVariableIsEmpty("LC_ALL"))
        return;
    for (const char* name : {"LC_NUMERIC", "LANG"}) {
        const QByteArray value = qgetenv(name);
        if (!value.isEmpty() && !value.startsWith("C") && value != "POSIX")
            return;
    }
    qputenv("LANG", "en_US.UTF-8");
    qunsetenv("LC_NUMERIC");
}

} // namespace

int main(int argc, char* argv[])
{
    DefaultToEnglish();
    qInstallMessageHandler(RouteQtMessage);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("CategoryPanelDemo"));
    QApplication::setApplicationName(QStringLiteral("cpdemo"));
    // Our HEIC reader, which Qt 6 has no system plug-in for.
    QCoreApplication::addLibraryPath(QStringLiteral(CP_DEMO_PLUGIN_DIR));
    HostTranslations translations;
    translations.Install(QLocale::system());

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows the data of a phone backup folder through the category pages."));
    parser.addHelpOption();
    parser.addPositionalArgument(
        QStringLiteral("backup"),
        QStringLiteral("A backup folder to open (default: the last one; the backups on this "
                       "computer and the sample backup are listed)."));
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
    const QCommandLineOption supportMail(
        QStringLiteral("support-email"),
        QStringLiteral("The support e-mail address error messages name (default: the "
                       "configuration's support/email; none: they point to the log and the "
                       "README)."),
        QStringLiteral("address"));
    const QCommandLineOption supportWeb(
        QStringLiteral("support-web"),
        QStringLiteral("The support web page error messages name (default: the "
                       "configuration's support/web)."),
        QStringLiteral("url"));
    parser.addOptions({tour, recover, keyword, logs, settings, password, supportMail, supportWeb});
    parser.process(app);

    // A desktop-sized font; offscreen platforms start with a large one.
    QFont font = QApplication::font();
    font.setPixelSize(12);
    QApplication::setFont(font);

    const QString dataDir = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    DemoHostWindow::Options options;
    options.backupFolder = parser.positionalArguments().value(0);
    options.standardFolders = BackupLocator::StandardFolders(BackupLocator::CurrentSystem(),
                                                             BackupLocator::CurrentPlaces());
    const QString sample = QString::fromUtf8(CP_DEMO_SAMPLE_BACKUP);
    if (QFileInfo::exists(sample)) {
        options.knownFolders << sample;
        options.sampleFolder = sample;
    }
    options.skinFolder = QString::fromUtf8(CP_DEMO_SKIN_DIR);
    options.resourceFolder = QString::fromUtf8(CP_DEMO_RESOURCE_DIR) + QStringLiteral("common/");
    options.pictureFolder = QString::fromUtf8(CP_DEMO_RESOURCE_DIR);
    QTemporaryDir work;
    options.workFolder = work.path() + QLatin1Char('/');
    options.settingsFile = parser.value(settings);
    options.supportMail = parser.value(supportMail);
    options.supportWeb = parser.value(supportWeb);
    options.password = parser.isSet(password) ? parser.value(password)
                                              : QString::fromUtf8(qgetenv("CP_BACKUP_PASSWORD"));
    options.logFolder =
        parser.isSet(logs) ? parser.value(logs) : QDir(dataDir).filePath(QStringLiteral("log"));
    if (!HostLogging::Configure(options.logFolder)) {
        std::fprintf(stderr, "cannot write the log configuration into %s\n",
                     qPrintable(options.logFolder));
        qInstallMessageHandler(nullptr);
        for (const QString& line : qAsConst(g_pendingLines))
            std::fprintf(stderr, "%s\n", qPrintable(line));
    } else {
        g_logReady = true;
        for (const QString& line : qAsConst(g_pendingLines))
            Log4Qt::Logger::logger(QStringLiteral("Qt"))->warn(line);
        g_pendingLines.clear();
    }

    // The tour also backs up a test phone: it listens before the host does.
    std::unique_ptr<PhoneTour> phoneTour;
    if (parser.isSet(tour)) {
        phoneTour = std::make_unique<PhoneTour>(QString::fromUtf8(CP_DEMO_FAKE_PHONE), sample);
        if (phoneTour->StartPhone())
            options.phoneBackupFolder = phoneTour->BackupFolder();
        else
            phoneTour.reset();
    }

    DemoHostWindow host(options);
    host.show();
    // The tour has no one to ask: a locked backup shows its backup errors.
    host.Start(!parser.isSet(tour));
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
    QStringList phoneErrors;
    if (phoneTour) {
        phoneErrors = phoneTour->Run(&host, tourOptions.screenshotFolder);
        for (const QString& shot : phoneTour->Screenshots())
            std::printf("Test phone screenshot: %s\n", qPrintable(shot));
        for (const QString& error : qAsConst(phoneErrors))
            std::printf("Test phone error: %s\n", qPrintable(error));
    } else {
        std::printf("Test phone: not toured (no fake phone program or sample backup)\n");
    }
    std::printf("Log file: %s\n",
                qPrintable(QDir::toNativeSeparators(QDir(options.logFolder).filePath("demo.log"))));
    return summary.ok() && phoneErrors.isEmpty() ? 0 : 1;
}
