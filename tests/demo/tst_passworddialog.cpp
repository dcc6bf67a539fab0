// The demo host's way into an encrypted backup: the password dialog names
// the device, masks the field, shows a busy bar while it checks, says
// "Wrong password" and asks again, can be cancelled (a check under way too),
// and refuses a backup whose keys are damaged; the host unlocks with a
// password given up front.

#include "backupdevice.h"
#include "demohostwindow.h"
#include "passworddialog.h"
#include "samplebackupwriter.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <functional>

namespace {

const char* const Password = "open sesame";

struct DialogParts
{
    QLabel* prompt;
    QLineEdit* field;
    QLabel* message;
    QProgressBar* busy;
    QPushButton* ok;
};

DialogParts Parts(PasswordDialog& dialog)
{
    return {dialog.findChild<QLabel*>(QStringLiteral("promptLabel")),
            dialog.findChild<QLineEdit*>(QStringLiteral("passwordEdit")),
            dialog.findChild<QLabel*>(QStringLiteral("messageLabel")),
            dialog.findChild<QProgressBar*>(QStringLiteral("busyBar")),
            dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)};
}

} // namespace

class TestPasswordDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void wrongPasswordAsksAgain_data();
    void wrongPasswordAsksAgain();
    void damagedKeysCanOnlyBeCancelled();
    void cancelStopsTheCheck();
    void hostUnlocksWithTheGivenPassword_data();
    void hostUnlocksWithTheGivenPassword();

private:
    // A copy of the backup's top-level files in `name`, with the data entry
    // `key` of Manifest.plist changed by `edit`; empty on failure.
    QString CopyWithData(const char* name, const char* key,
                         const std::function<bool(QByteArray&)>& edit);

    QTemporaryDir m_dir;
    QString m_backup;
};

void TestPasswordDialog::initTestCase()
{
    QVERIFY(m_dir.isValid());
    SampleBackupWriter::Options options;
    options.media = false;
    options.password = QString::fromLatin1(Password);
    options.kdfRounds = 1000;
    m_backup = m_dir.filePath(QStringLiteral("backup"));
    SampleBackupWriter writer(options);
    QVERIFY2(writer.Write(m_backup), qPrintable(writer.ErrorText()));
}

QString TestPasswordDialog::CopyWithData(const char* name, const char* key,
                                         const std::function<bool(QByteArray&)>& edit)
{
    const QString folder = m_dir.filePath(QString::fromLatin1(name));
    if (!QDir().mkpath(folder))
        return QString();
    for (const QString& file : QDir(m_backup).entryList(QDir::Files)) {
        if (!QFile::copy(QDir(m_backup).filePath(file), QDir(folder).filePath(file)))
            return QString();
    }
    QFile plist(QDir(folder).filePath(QStringLiteral("Manifest.plist")));
    if (!plist.open(QIODevice::ReadOnly))
        return QString();
    QByteArray xml = plist.readAll();
    plist.close();
    const int at = xml.indexOf("<key>" + QByteArray(key) + "</key>");
    const int data = xml.indexOf("<data>", at) + 6;
    const int end = xml.indexOf("</data>", data);
    QByteArray value = QByteArray::fromBase64(xml.mid(data, end - data));
    if (at < 0 || data < at || end < data || !edit(value))
        return QString();
    xml.replace(data, end - data, value.toBase64());
    if (!plist.open(QIODevice::WriteOnly | QIODevice::Truncate) || plist.write(xml) != xml.size())
        return QString();
    return folder;
}

void TestPasswordDialog::wrongPasswordAsksAgain_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<bool>("retry"); // else cancelled after the first try
    QTest::newRow("wrong") << QStringLiteral("open sesame!") << true;
    QTest::newRow("empty") << QString() << true;
    QTest::newRow("wrong, then cancelled") << QStringLiteral("sesame") << false;
}

void TestPasswordDialog::wrongPasswordAsksAgain()
{
    QFETCH(QString, first);
    BackupDevice device(m_backup);
    PasswordDialog dialog(device);
    const DialogParts parts = Parts(dialog);
    // The prompt names the device; the field is masked.
    QVERIFY(parts.prompt->text().contains(QStringLiteral("Zoë's Phone")));
    QCOMPARE(parts.field->echoMode(), QLineEdit::Password);
    dialog.show();
    parts.field->setText(first);
    parts.ok->click();
    // The check runs on a worker: the dialog is busy until its answer arrives.
    QVERIFY(parts.busy->isVisible());
    QVERIFY(!parts.ok->isEnabled());
    QTRY_VERIFY(parts.message->isVisible());
    QCOMPARE(parts.message->text(), QStringLiteral("Wrong password"));
    QVERIFY(dialog.isVisible());
    // Nothing is cut: the wrapped prompt keeps every line beside the message.
    QCoreApplication::processEvents();
    for (QLabel* label : {parts.prompt, parts.message})
        QVERIFY2(label->height() >= label->heightForWidth(label->width()),
                 qPrintable(label->objectName()));
    QVERIFY(!parts.busy->isVisible());
    QVERIFY(parts.field->text().isEmpty());
    QVERIFY(!device.IsUnlocked());

    // The right password, typed but cancelled, unlocks nothing.
    QFETCH(bool, retry);
    parts.field->setText(QString::fromLatin1(Password));
    (retry ? parts.ok : dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel))
        ->click();
    QTRY_VERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(retry ? QDialog::Accepted : QDialog::Rejected));
    QCOMPARE(device.IsUnlocked(), retry);
}

void TestPasswordDialog::damagedKeysCanOnlyBeCancelled()
{
    // The manifest key cut short: the password is right, the keys are not.
    const QString folder = CopyWithData("damaged", "ManifestKey", [](QByteArray& key) {
        key = QByteArray::fromBase64("AAAAAA==");
        return true;
    });
    QVERIFY(!folder.isEmpty());

    BackupDevice device(folder);
    PasswordDialog dialog(device);
    const DialogParts parts = Parts(dialog);
    dialog.show();
    parts.field->setText(QString::fromLatin1(Password));
    parts.ok->click();
    QTRY_VERIFY(parts.message->isVisible());
    QVERIFY(parts.message->text().contains(QStringLiteral("damaged")));
    QVERIFY(!parts.ok->isEnabled());
    QVERIFY(dialog.isVisible());
}

// A keybag that asks for 50,000,000 rounds (a minute of deriving): Cancel
// during the check stops it, closes the dialog, and leaves the backup locked
// with the check called cancelled, never a wrong password.
void TestPasswordDialog::cancelStopsTheCheck()
{
    const QString folder = CopyWithData("slow", "BackupKeyBag", [](QByteArray& bag) {
        const int rounds = bag.indexOf("DPIC") + 8;
        if (rounds <= 8)
            return false;
        qToBigEndian<quint32>(50000000, bag.data() + rounds);
        return true;
    });
    QVERIFY(!folder.isEmpty());

    BackupDevice device(folder);
    PasswordDialog dialog(device);
    const DialogParts parts = Parts(dialog);
    dialog.show();
    parts.field->setText(QString::fromLatin1(Password));
    parts.ok->click();
    QVERIFY(parts.busy->isVisible());
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    QTRY_VERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(!device.IsUnlocked());
    QVERIFY2(device.UnlockError().contains(QStringLiteral("cancelled")),
             qPrintable(device.UnlockError()));
    QVERIFY(!parts.message->isVisible());
}

void TestPasswordDialog::hostUnlocksWithTheGivenPassword_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("unlocked");
    QTest::addColumn<QString>("status");
    QTest::newRow("right") << QString::fromLatin1(Password) << true
                           << QStringLiteral("The backup is unlocked.");
    QTest::newRow("wrong") << QStringLiteral("sesame") << false << QStringLiteral("Wrong password");
    QTest::newRow("none, no one to ask")
        << QString() << false << QStringLiteral("no password was given");
}

void TestPasswordDialog::hostUnlocksWithTheGivenPassword()
{
    QFETCH(QString, password);
    QFETCH(bool, unlocked);
    QFETCH(QString, status);
    DemoHostWindow::Options options;
    options.workFolder = m_dir.filePath(QStringLiteral("work/"));
    options.settingsFile = m_dir.filePath(QStringLiteral("settings.ini"));
    options.logFolder = m_dir.filePath(QStringLiteral("log"));
    options.password = password;
    DemoHostWindow host(options);
    QCOMPARE(host.OpenBackup(m_backup, false), unlocked);
    QVERIFY2(host.StatusText().contains(status), qPrintable(host.StatusText()));
}

QTEST_MAIN(TestPasswordDialog)
#include "tst_passworddialog.moc"
