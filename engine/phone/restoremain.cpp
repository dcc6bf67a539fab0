// mmobile-restore: restores a prepared backup folder to a connected phone.
#include "backuprestore.h"
#include "capturecode.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Restores BACKUP (a backup folder) to a connected phone. Exit status 0 on "
                       "success, else the page's backup error code (4 locked, 5 gone, ...)."));
    parser.addHelpOption();
    const QCommandLineOption udid(QStringLiteral("udid"), QStringLiteral("The phone."),
                                  QStringLiteral("U"));
    const QCommandLineOption password(QStringLiteral("password"),
                                      QStringLiteral("The password of an encrypted BACKUP."),
                                      QStringLiteral("P"));
    parser.addOptions({udid, password});
    parser.addPositionalArgument(QStringLiteral("BACKUP"), QStringLiteral("The backup folder."));
    parser.process(app);
    if (parser.positionalArguments().size() != 1) {
        std::fprintf(stderr, "%s\n", qPrintable(parser.helpText()));
        return 1;
    }
    BackupRestore restore(parser.value(udid).toLatin1(), parser.positionalArguments().first());
    restore.SetPassword(parser.value(password));
    restore.SetProgressCallback([](int percent) { std::fprintf(stderr, "\r%3d %%", percent); });
    const int code = restore.Run();
    std::fprintf(stderr, "\n");
    if (code != CAPTURE_OK) {
        std::fprintf(stderr, "mmobile-restore: %s\n", qPrintable(restore.ErrorText()));
        return code < 0 ? 1 : code;
    }
    std::fprintf(stderr, "restored to %s\n", restore.Udid().constData());
    return 0;
}
