// The WeChat categories read from a generated backup with two accounts: per
// account, what the generator wrote is what the engine reports, exports write
// the chosen account's files, and a damaged account database costs only what
// it held.

#include "backupdevice.h"
#include "backupfixture.h"
#include "contracts/mmobile.h"
#include "samplebackupwriter.h"
#include "scanrunner.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace MMobile;

namespace {

const QString Domain = QStringLiteral("AppDomain-com.tencent.xin");

// The named data set of account `index`, after a completed scan.
IMDGetter* ScanAccount(BackupDevice& device, MDType type, int index, SourcePtr& source)
{
    source.reset(device.GetDataSource(type));
    ScanRunner runner(source.get());
    if (runner.Scan() != TASK_COMPLETE)
        return nullptr;
    return source->GetNamedGetter(QByteArray("WeChatAccount" + QByteArray::number(index)));
}

IWeChatMessager* FindChat(IMDGetter* getter, const QString& name)
{
    for (unsigned int i = 0; i < getter->GetCount(); ++i) {
        auto* chat = record_cast<IWeChatMessager>(getter->GetItem(i));
        if (chat && Text(chat->GetChatName()) == name)
            return chat;
    }
    return nullptr;
}

} // namespace

class TestWeChat : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void accounts();
    void account_data();
    void account();
    void exportWritesTheChosenAccount_data();
    void exportWritesTheChosenAccount();
    void damagedAccountDatabaseCostsOnlyItsRecords();

private:
    QByteArray Original(const SampleBackupContent::WeChatFile& file) const;

    QTemporaryDir m_dir;
    SampleBackupContent m_content;
    std::unique_ptr<BackupDevice> m_device;
};

void TestWeChat::initTestCase()
{
    QVERIFY(m_dir.isValid());
    SampleBackupWriter writer(SampleBackupWriter::Options{});
    QVERIFY2(writer.Write(m_dir.filePath("backup")), qPrintable(writer.ErrorText()));
    m_content = writer.Content();
    QCOMPARE(m_content.weChatAccounts.size(), std::size_t(2));
    m_device = std::make_unique<BackupDevice>(m_dir.filePath("backup"));
}

void TestWeChat::account_data()
{
    QTest::addColumn<int>("account");
    QTest::newRow("first account") << 0;
    QTest::newRow("second account") << 1;
}

void TestWeChat::accounts()
{
    SourcePtr source(m_device->GetDataSource(MD_WECHAT_MESSAGE));
    QVERIFY(!source->GetNamedGetter("WeChatAccounts"));
    ScanRunner runner(source.get());
    QCOMPARE(runner.Scan(), int(TASK_COMPLETE));
    IMDGetter* accounts = source->GetNamedGetter("WeChatAccounts");
    QVERIFY(accounts);
    QCOMPARE(accounts->GetCount(), unsigned(m_content.weChatAccounts.size()));
    unsigned int total = 0;
    for (unsigned int i = 0; i < accounts->GetCount(); ++i) {
        auto* account = record_cast<IWeChatFriend>(accounts->GetItem(i));
        QVERIFY(account);
        QCOMPARE(Text(account->GetUserName()), m_content.weChatAccounts[i].userName);
        QCOMPARE(Text(account->GetDisplayName()), m_content.weChatAccounts[i].nickName);
        total +=
            source->GetNamedGetter(QByteArray("WeChatAccount" + QByteArray::number(i)))->GetCount();
    }
    QVERIFY(!source->GetNamedGetter("WeChatAccount2"));
    QCOMPARE(total, source->GetDataGetter()->GetCount());
}

QByteArray TestWeChat::Original(const SampleBackupContent::WeChatFile& file) const
{
    return BackupFixture::Read(
        BackupFixture::ContentPath(m_dir.filePath("backup"), Domain, file.relativePath));
}

// Each account's contacts, chats and files as the generator wrote them.
void TestWeChat::account()
{
    QFETCH(int, account);
    const SampleBackupContent::WeChatAccount& expected = m_content.weChatAccounts[account];
    SourcePtr source;
    IMDGetter* getter = ScanAccount(*m_device, MD_WECHAT_CONTACT, account, source);
    QVERIFY(getter);
    QCOMPARE(getter->GetCount(), unsigned(expected.contacts.size()));
    for (unsigned int i = 0; i < getter->GetCount(); ++i) {
        auto* contact = record_cast<IWeChatFriend>(getter->GetItem(i));
        const SampleBackupContent::WeChatContact& want = expected.contacts[i];
        QVERIFY(contact);
        QCOMPARE(QStringList({Text(contact->GetUserName()), Text(contact->GetDisplayName()),
                              Text(contact->GetAlias()), Text(contact->GetRemark())}),
                 QStringList({want.userName, want.shown, want.alias, want.remark}));
        // A group lists its members, the account and people it does not know included.
        if (want.kind == 1)
            QCOMPARE(Text(contact->GetSignature()), want.members.join(QStringLiteral(", ")));
    }

    getter = ScanAccount(*m_device, MD_WECHAT_MESSAGE, account, source);
    QVERIFY(getter);
    QCOMPARE(getter->GetCount(), unsigned(expected.chats.size()));
    int groupSenders = 0;
    int revoked = 0;
    for (const SampleBackupContent::WeChatChat& want : expected.chats) {
        IWeChatMessager* chat = FindChat(getter, want.name);
        QVERIFY2(chat, qPrintable(want.name));
        QCOMPARE(Text(chat->GetAccount()), expected.nickName);
        QCOMPARE(chat->GetEntryCount(), unsigned(want.messages.size()));
        QSet<QString> senders;
        for (unsigned int m = 0; m < chat->GetEntryCount(); ++m) {
            IMessageEntry* entry = chat->GetEntry(m);
            const SampleBackupContent::Message& message = want.messages[m];
            QCOMPARE(QStringList({Text(entry->GetText()), Text(entry->GetSender()),
                                  Text(entry->GetDate())}),
                     QStringList({message.text, message.sender,
                                  QDateTime::fromSecsSinceEpoch(qint64(message.date))
                                      .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))}));
            QCOMPARE(entry->IsSent(), message.sent);
            if (!message.sent)
                senders.insert(message.sender);
            revoked += want.types[m] == 10002 ? 1 : 0;
        }
        groupSenders = qMax(groupSenders, senders.size());
    }
    // The group's received messages come from several members, and some
    // message was taken back.
    QVERIFY(groupSenders >= 3);
    QVERIFY(revoked > 0);

    getter = ScanAccount(*m_device, MD_WECHAT_ATTACHMENT, account, source);
    QVERIFY(getter);
    QCOMPARE(getter->GetCount(), unsigned(expected.files.size()));
    QSet<int> kinds;
    for (unsigned int i = 0; i < getter->GetCount(); ++i) {
        auto* file = record_cast<IPhoto>(getter->GetItem(i));
        const SampleBackupContent::WeChatFile& want = expected.files[i];
        QVERIFY(file);
        QCOMPARE(Text(file->GetDisplayText()), want.name);
        QCOMPARE(file->GetFileKind(), want.kind);
        QCOMPARE(file->GetTime(), std::uint64_t(want.time));
        QCOMPARE(BackupFixture::Read(Text(file->GetFilePath())), Original(want));
        kinds.insert(want.kind);
    }
    // Pictures, voice notes, videos and other files.
    QCOMPARE(kinds.size(), 4);
}

void TestWeChat::exportWritesTheChosenAccount_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("account");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("contacts, first") << int(MD_WECHAT_CONTACT) << 0 << "vcf";
    QTest::newRow("chats, second") << int(MD_WECHAT_MESSAGE) << 1 << "html";
    QTest::newRow("attachments, second") << int(MD_WECHAT_ATTACHMENT) << 1 << "";
}

void TestWeChat::exportWritesTheChosenAccount()
{
    QFETCH(int, type);
    QFETCH(int, account);
    QFETCH(QString, suffix);
    const SampleBackupContent::WeChatAccount& expected = m_content.weChatAccounts[account];
    SourcePtr source;
    QVERIFY(ScanAccount(*m_device, MDType(type), account, source));
    const QString folder = m_dir.filePath(QStringLiteral("out%1").arg(type));
    ImportExportConfigure config;
    config.nType = MDType(type);
    config.nMode = RECOVER_TO_PC;
    config.SetPath(folder.toUtf8().constData());
    config.SetIndexs(&account, 1);
    ScanRunner runner(source.get());
    QCOMPARE(runner.Export(config), int(TASK_COMPLETE));
    const QDir out(folder);
    if (type == MD_WECHAT_ATTACHMENT) {
        // The original files, byte for byte.
        QCOMPARE(out.entryList(QDir::Files).size(), int(expected.files.size()));
        for (const SampleBackupContent::WeChatFile& file : expected.files)
            QCOMPARE(BackupFixture::Read(out.filePath(file.name)), Original(file));
        return;
    }
    const int count =
        type == MD_WECHAT_CONTACT ? int(expected.contacts.size()) : int(expected.chats.size());
    QCOMPARE(out.entryList({QStringLiteral("*.") + suffix}, QDir::Files).size(), count);
    if (type == MD_WECHAT_CONTACT) {
        const QString csv =
            QString::fromUtf8(BackupFixture::Read(out.filePath("WeChat Contacts.csv")));
        for (const SampleBackupContent::WeChatContact& contact : expected.contacts)
            QVERIFY(csv.contains(contact.userName));
        QVERIFY(!csv.contains(m_content.weChatAccounts[1 - account].contacts[0].userName));
    } else {
        for (const SampleBackupContent::WeChatChat& chat : expected.chats)
            QVERIFY2(out.exists(BackupFixture::ExportName(chat.name + QStringLiteral(".csv"))),
                     qPrintable(chat.name));
    }
}

void TestWeChat::damagedAccountDatabaseCostsOnlyItsRecords()
{
    const QString copy = m_dir.filePath("damaged");
    QVERIFY(BackupFixture::CopyFolder(m_dir.filePath("backup"), copy));
    const SampleBackupContent::WeChatAccount& broken = m_content.weChatAccounts[0];
    // Every chat database of the first account is damaged (the other
    // account's and its own contact database are not).
    for (const char* name : {"MM", "message_1"}) {
        const QString file = BackupFixture::ContentPath(
            copy, Domain,
            QStringLiteral("Documents/%1/DB/%2.sqlite").arg(broken.folder, QLatin1String(name)));
        QVERIFY(!QFile::exists(file) || BackupFixture::WriteFile(file, QByteArray(4096, 'x')));
    }
    BackupDevice device(copy);
    SourcePtr source;
    IMDGetter* first = ScanAccount(device, MD_WECHAT_MESSAGE, 0, source);
    QVERIFY(first);
    QCOMPARE(first->GetCount(), 0u);
    IMDGetter* second = source->GetNamedGetter("WeChatAccount1");
    QCOMPARE(second->GetCount(), unsigned(m_content.weChatAccounts[1].chats.size()));
    // The account's contacts lie in another database and are all there.
    SourcePtr contacts;
    IMDGetter* people = ScanAccount(device, MD_WECHAT_CONTACT, 0, contacts);
    QVERIFY(people);
    QCOMPARE(people->GetCount(), unsigned(broken.contacts.size()));
}

QTEST_GUILESS_MAIN(TestWeChat)
#include "tst_wechat.moc"
