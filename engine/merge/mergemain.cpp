// mmobile-merge: writes a copy of a backup with the records of one category
// of another backup added as live records.
#include "backupmerge.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes OUT, a copy of backup TARGET with the records of category N of "
                       "backup SOURCE added as live records."));
    parser.addHelpOption();
    const QCommandLineOption onlyDeleted(QStringLiteral("only-deleted"),
                                         QStringLiteral("Only the deleted records of SOURCE."));
    const QCommandLineOption password(QStringLiteral("password"),
                                      QStringLiteral("The password of an encrypted SOURCE."),
                                      QStringLiteral("P"));
    const QCommandLineOption category(
        QStringLiteral("category"),
        QStringLiteral("The category: 1 contacts, 3 messages, 4 call history, 5 calendar, 7 notes, "
                       "9 Safari bookmarks, 22 reminders."),
        QStringLiteral("N"));
    const QCommandLineOption targetPassword(
        QStringLiteral("target-password"),
        QStringLiteral("The password of an encrypted TARGET (default: the same as SOURCE's)."),
        QStringLiteral("P"));
    parser.addOptions({onlyDeleted, password, targetPassword, category});
    parser.addPositionalArgument(QStringLiteral("SOURCE"),
                                 QStringLiteral("The backup to take from."));
    parser.addPositionalArgument(QStringLiteral("TARGET"), QStringLiteral("The backup to add to."));
    parser.addPositionalArgument(QStringLiteral("OUT"), QStringLiteral("The new backup folder."));
    parser.process(app);
    bool number = false;
    BackupMerge::Options options;
    options.category = parser.value(category).toInt(&number);
    options.onlyDeleted = parser.isSet(onlyDeleted);
    options.password = parser.value(password);
    options.targetPassword = parser.value(targetPassword);
    const QStringList folders = parser.positionalArguments();
    if (folders.size() != 3 || !number || !BackupMerge::Merges(options.category)) {
        std::fprintf(stderr, "%s\n", qPrintable(parser.helpText()));
        return 1;
    }
    BackupMerge merge(options, [](int percent) {
        std::fprintf(stderr, "\r%3d %%", percent);
        return true;
    });
    const bool ok = merge.Run(folders[0], folders[1], folders[2]);
    std::fprintf(stderr, "\n");
    if (!ok) {
        std::fprintf(stderr, "mmobile-merge: %s\n", qPrintable(merge.ErrorText()));
        return 2;
    }
    std::fprintf(stderr, "%d records added, %d already there\n", merge.AddedCount(),
                 merge.SkippedCount());
    return 0;
}
