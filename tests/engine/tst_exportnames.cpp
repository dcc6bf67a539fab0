// Names an export cannot take as they are: a title of 89 CJK characters (267
// bytes), an ASCII title over 255 bytes, Windows device names, trailing dots
// and spaces, exported into a chosen folder of more than 1,000 bytes. Every
// file lands inside that folder under a valid name with its extension, or
// the export fails; an empty or relative folder fails with status 4.

#include "backupdevice.h"
#include "backupfixture.h"
#include "contracts/mmobile.h"
#include "samplebackupwriter.h"
#include "scanrunner.h"

#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>
#include <QtTest>

#include <vector>

using namespace MMobile;

class TestExportNames : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void hostileTitlesInLongFolder();
    void unusableFolderFails_data();
    void unusableFolderFails();

private:
    int ExportNotes(const QByteArray& folder);

    QTemporaryDir m_dir;
    QString m_backup;
    QStringList m_titles;
};

void TestExportNames::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_backup = m_dir.filePath(QStringLiteral("backup"));
    SampleBackupWriter writer{SampleBackupWriter::Options()};
    QVERIFY2(writer.Write(m_backup), qPrintable(writer.ErrorText()));

    QString cjk;
    for (int i = 0; i < 89; ++i)
        cjk += QChar(0x4E00 + i);
    m_titles << cjk << QString(300, QLatin1Char('a')) << QStringLiteral("CON")
             << QStringLiteral("nul.txt") << QStringLiteral("com1") << QStringLiteral("Trailing...")
             << QStringLiteral("spaces . . ") << QStringLiteral("../../escape")
             << QStringLiteral("..");
    const QString store = BackupFixture::ContentPath(
        m_backup, "AppDomainGroup-group.com.apple.notes", "NoteStore.sqlite");
    for (int i = 0; i < m_titles.size(); ++i) {
        QString title = m_titles[i];
        title.replace(QLatin1Char('\''), QStringLiteral("''"));
        QVERIFY2(BackupFixture::Exec(
                     store, QStringLiteral("UPDATE ZICCLOUDSYNCINGOBJECT SET ZTITLE1='%1' WHERE "
                                           "rowid=(SELECT rowid FROM ZICCLOUDSYNCINGOBJECT WHERE "
                                           "ZTITLE1 IS NOT NULL ORDER BY rowid LIMIT 1 OFFSET %2)")
                                .arg(title)
                                .arg(i)),
                 qPrintable(store));
    }
}

int TestExportNames::ExportNotes(const QByteArray& folder)
{
    BackupDevice device(m_backup);
    SourcePtr source;
    if (!ScanRunner::ScanInto(source, device, MD_NOTE))
        return -1;
    return ScanRunner(source.get()).ExportAll(MD_NOTE, QString::fromUtf8(folder));
}

void TestExportNames::hostileTitlesInLongFolder()
{
    QString chosen = m_dir.filePath(QStringLiteral("out"));
    for (int i = 0; i < 5; ++i)
        chosen += QLatin1Char('/') + QString(200, QLatin1Char('d'));
    QVERIFY(chosen.toUtf8().size() > 1000);
    QCOMPARE(ExportNotes(chosen.toUtf8()), int(TASK_COMPLETE));

    const QString root = QDir(chosen).canonicalPath();
    QStringList names;
    QDirIterator it(m_dir.filePath(QStringLiteral("out")), QDir::Files | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo file(it.next());
        QVERIFY2(file.canonicalFilePath().startsWith(root + QLatin1Char('/')),
                 qPrintable(file.filePath()));
        const QString name = file.fileName();
        QVERIFY2(name.toUtf8().size() <= 255, qPrintable(name));
        QVERIFY2(!name.endsWith(QLatin1Char('.')) && !name.endsWith(QLatin1Char(' ')),
                 qPrintable(name));
        const QString base = name.section(QLatin1Char('.'), 0, 0).trimmed().toUpper();
        QVERIFY2(!QStringList({"CON", "NUL", "COM1"}).contains(base), qPrintable(name));
        names << name;
    }
    // Every title gave its note file, extension kept.
    const QString cjkStart = m_titles[0].left(80);
    QVERIFY(std::any_of(names.begin(), names.end(), [&](const QString& n) {
        return n.startsWith(cjkStart) && n.endsWith(QLatin1String(".txt"));
    }));
    QVERIFY(std::any_of(names.begin(), names.end(), [](const QString& n) {
        return n.startsWith(QString(200, QLatin1Char('a'))) && n.endsWith(QLatin1String(".txt"));
    }));
    QVERIFY(names.contains(QStringLiteral("_CON.txt")));
    QVERIFY(names.contains(QStringLiteral("_nul.txt.txt")));
    QVERIFY(names.contains(QStringLiteral("Trailing.txt")));
}

void TestExportNames::unusableFolderFails_data()
{
    QTest::addColumn<QByteArray>("folder");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("relative") << QByteArray("relative/notes");
}

void TestExportNames::unusableFolderFails()
{
    QFETCH(QByteArray, folder);
    const QString here = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir.path()));
    const int status = ExportNotes(folder);
    QDir::setCurrent(here);
    QCOMPARE(status, int(TASK_ERROR));
    QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("relative"))));
}

QTEST_MAIN(TestExportNames)
#include "tst_exportnames.moc"
