// The list of phones on the cable, from usbmuxd's events of the fake phone.
#include "backupdevice.h"
#include "fakephoneprocess.h"
#include "phonewatcher.h"
#include "samplebackupwriter.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {
const QString Udid = QStringLiteral("00008030-001A2B3C4D5E6F70");

// "udid name model version trusted" of every phone listed.
QString Listed(const PhoneWatcher& watcher)
{
    QStringList lines;
    for (const PhoneInfo& phone : watcher.Phones())
        lines << QStringLiteral("%1 %2 %3 %4 %5")
                     .arg(QString::fromLatin1(phone.udid), phone.name, phone.productType,
                          phone.productVersion, phone.trusted ? "trusted" : "untrusted");
    return lines.join(QLatin1Char('\n'));
}
} // namespace

class TestPhoneWatcher : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void listsPhone_data();
    void listsPhone();
    void followsPlugAndUnplug();

private:
    QString Expected(bool trusted) const;

    QTemporaryDir m_dir;
    QString m_served;
    std::unique_ptr<FakePhoneProcess> m_phone;
};

void TestPhoneWatcher::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_served = m_dir.filePath(QStringLiteral("served"));
    SampleBackupWriter::Options options;
    options.media = false;
    SampleBackupWriter writer(options);
    QVERIFY2(writer.Write(m_served), qPrintable(writer.ErrorText()));
    m_phone = std::make_unique<FakePhoneProcess>();
    m_phone->UseInThisProcess();
}

QString TestPhoneWatcher::Expected(bool trusted) const
{
    BackupDevice served(m_served);
    const auto text = [&served](int key) {
        return QString::fromUtf8(served.GetTextProperty(key, 0));
    };
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(Udid, text(BackupDevice::PROP_DEVICE_NAME), text(BackupDevice::PROP_PRODUCT_TYPE),
             text(BackupDevice::PROP_PRODUCT_VERSION), trusted ? "trusted" : "untrusted");
}

void TestPhoneWatcher::listsPhone_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<bool>("trusted");
    QTest::newRow("paired") << "normal" << true;
    QTest::newRow("never paired") << "pairing-pending" << false;
    QTest::newRow("refuses") << "pairing-refused" << false;
}

void TestPhoneWatcher::listsPhone()
{
    QFETCH(QString, scenario);
    QFETCH(bool, trusted);
    QVERIFY(m_phone->Start(m_served, scenario, Udid));
    PhoneWatcher watcher;
    QVERIFY(watcher.Start());
    QTRY_COMPARE_WITH_TIMEOUT(Listed(watcher), Expected(trusted), 20000);
    // Listing never pairs: the phone stays as untrusted as it was.
    QTest::qWait(300);
    QCOMPARE(Listed(watcher), Expected(trusted));
}

void TestPhoneWatcher::followsPlugAndUnplug()
{
    QVERIFY(m_phone->Start(m_served, QStringLiteral("normal"), Udid));
    PhoneWatcher watcher;
    QVERIFY(watcher.Start());
    QTRY_COMPARE_WITH_TIMEOUT(Listed(watcher), Expected(true), 20000);
    QSignalSpy changed(&watcher, &PhoneWatcher::phonesChanged);
    m_phone->Signal(SIGHUP); // unplugged
    QTRY_COMPARE_WITH_TIMEOUT(Listed(watcher), QString(), 20000);
    QVERIFY(changed.count() >= 1);
    m_phone->Signal(SIGHUP); // plugged in again
    QTRY_COMPARE_WITH_TIMEOUT(Listed(watcher), Expected(true), 20000);
}

QTEST_GUILESS_MAIN(TestPhoneWatcher)
#include "tst_phonewatcher.moc"
