// Writes a synthetic phone backup folder for the engine's tests and demos.
//   mmobile-sample-backup [--scale N] [--no-media] [--no-deletions] [--seed S]
//                         [--ios 7|12|14|16|18] [--whatsapp-business]
//                         [--password PASSWORD [--kdf-rounds N]] <folder>

#include "samplebackupwriter.h"
#include "samplecarversituations.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char* argv[])
{
    // Pictures are drawn with QPainter; no window is ever shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Writes a synthetic phone backup folder."));
    parser.addHelpOption();
    QCommandLineOption scale(QStringLiteral("scale"), QStringLiteral("Multiply every count by N."),
                             QStringLiteral("N"), QStringLiteral("1"));
    QCommandLineOption noMedia(QStringLiteral("no-media"),
                               QStringLiteral("Leave out pictures, recordings and attachments."));
    QCommandLineOption noDeletions(
        QStringLiteral("no-deletions"),
        QStringLiteral("Delete nothing (else some records are deleted as the phone deletes them, "
                       "and <folder>.deleted.json lists them)."));
    QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Seed of the invented texts."),
                            QStringLiteral("S"), QStringLiteral("20240601"));
    QCommandLineOption password(QStringLiteral("password"),
                                QStringLiteral("Encrypt the backup with this password."),
                                QStringLiteral("PASSWORD"));
    QCommandLineOption rounds(
        QStringLiteral("kdf-rounds"),
        QStringLiteral("Rounds of the first key derivation step (the phone's: 10000000)."),
        QStringLiteral("N"), QStringLiteral("10000000"));
    QCommandLineOption ios(QStringLiteral("ios"),
                           QStringLiteral("Write the schemas of this system generation: 7, 12, 14, "
                                          "16 or 18 (the newest, by default)."),
                           QStringLiteral("N"), QStringLiteral("18"));
    parser.addOption(ios);
    QCommandLineOption business(QStringLiteral("whatsapp-business"),
                                QStringLiteral("Write WhatsApp's store as the business app's."));
    parser.addOption(business);
    parser.addOption(password);
    parser.addOption(rounds);
    parser.addOption(scale);
    parser.addOption(noMedia);
    parser.addOption(noDeletions);
    parser.addOption(seed);
    QCommandLineOption situations(
        QStringLiteral("carver-situations"),
        QStringLiteral("Write the deleted-record situations of a carver (databases and their "
                       "truth) into the folder instead of a backup."));
    parser.addOption(situations);
    parser.addPositionalArgument(QStringLiteral("folder"), QStringLiteral("The folder to write."));
    parser.process(app);
    QTextStream err(stderr);
    if (parser.positionalArguments().size() != 1) {
        err << parser.helpText();
        return 2;
    }
    if (parser.isSet(situations)) {
        SampleCarverSituations writer;
        if (!writer.Write(parser.positionalArguments().first())) {
            err << writer.ErrorText() << '\n';
            return 1;
        }
        return 0;
    }
    SampleBackupWriter::Options options;
    options.scale = parser.value(scale).toInt();
    options.media = !parser.isSet(noMedia);
    options.deletions = !parser.isSet(noDeletions);
    options.seed = parser.value(seed).toUInt();
    options.password = parser.value(password);
    options.kdfRounds = parser.value(rounds).toInt();
    options.ios = parser.value(ios).toInt();
    options.whatsAppBusiness = parser.isSet(business);
    if (!SampleBackupWriter::Generations().contains(options.ios)) {
        err << "--ios must be one of 7, 12, 14, 16 and 18\n";
        return 2;
    }
    if (parser.isSet(password) && options.password.isEmpty()) {
        err << "--password must not be empty\n";
        return 2;
    }
    if (options.kdfRounds < 1) {
        err << "--kdf-rounds must be a positive number\n";
        return 2;
    }
    if (options.scale < 1) {
        err << "--scale must be a positive number\n";
        return 2;
    }
    SampleBackupWriter writer(options);
    if (!writer.Write(parser.positionalArguments().first())) {
        err << writer.ErrorText() << '\n';
        return 1;
    }
    const SampleBackupContent& content = writer.Content();
    QTextStream(stdout) << "contacts " << content.contacts.size() << ", messages "
                        << content.MessageCount() << ", photos " << content.photos.size() << '\n';
    return 0;
}
