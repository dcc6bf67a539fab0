#include "viewstore.h"

#include "views/taskitemmodel.h"

#include <QAbstractItemModelTester>
#include <QColor>
#include <QDateTime>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace MMobile;

Q_DECLARE_METATYPE(MMobile::MDType)
Q_DECLARE_METATYPE(Qt::CheckState)

namespace {

using Tester = QAbstractItemModelTester;

std::unique_ptr<Tester> watch(QAbstractItemModel* model)
{
    return std::make_unique<Tester>(model, Tester::FailureReportingMode::Fatal);
}

QDateTime at(int y, int mo, int d, int h, int mi, int s)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

// One record of a text-row category from its texts in getter order.
FakeItem* addTextRecord(ViewStore& store, MDType type, const QStringList& texts)
{
    switch (type) {
    case MD_CALL_HISTORY:
        return store.addTexts<CallRecord>(texts);
    case MD_CALENDAR:
        return store.addTexts<CalendarRecord>(texts);
    case MD_NOTE:
        return store.addTexts<NoteRecord>(texts);
    case MD_SAFARI_BOOKMARK:
        return store.addTexts<BookmarkRecord>(texts);
    case MD_WHATSAPP_MESSAGE:
        return store.addTexts<WhatsAppRecord>(texts);
    case MD_WECHAT_CONTACT:
        return store.addTexts<FakeWeChatFriend>(texts);
    case MD_WECHAT_MESSAGE:
        return store.addTexts<FakeWeChatMessager>(texts);
    case MD_REMINDER:
        return store.addTexts<ReminderRecord>(texts);
    default:
        return nullptr;
    }
}

// A cell must be a date-time exactly when the expected value is one.
void compareCell(const QVariant& actual, const QVariant& expected)
{
    if (expected.type() == QVariant::DateTime) {
        QCOMPARE(actual.type(), QVariant::DateTime);
        QCOMPARE(actual.toDateTime().isValid(), expected.toDateTime().isValid());
        if (expected.toDateTime().isValid())
            QCOMPARE(actual.toDateTime(), expected.toDateTime());
    } else {
        QCOMPARE(actual.type(), QVariant::String);
        QCOMPARE(actual.toString(), expected.toString());
    }
}

} // namespace

class TestTaskItemModel : public QObject
{
    Q_OBJECT

private slots:
    void withoutStore();
    void columns_data();
    void columns();
    void textCells_data();
    void textCells();
    void contactCells_data();
    void contactCells();
    void participants_data();
    void participants();
    void checkState_data();
    void checkState();
    void colours();
    void missingRecords();
    void setDataTicksTheRecord_data();
    void setDataTicksTheRecord();
    void setDataOtherRoles();
    void flagsByColumn();
    void rowCountIsTakenOnReset();
    void rowsWithClearedSearchMarks();
    void checkAll_data();
    void checkAll();
};

void TestTaskItemModel::withoutStore()
{
    TaskItemModel model;
    auto tester = watch(&model);
    QCOMPARE(model.getCurrentItem(), nullptr);
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.columnCount(), 0);
    const QModelIndex index = model.CreateModelIndexByRow(0);
    QCOMPARE(model.data(index, Qt::TextAlignmentRole).toInt(),
             int(Qt::AlignHCenter | Qt::AlignVCenter));
    QCOMPARE(model.data(QModelIndex(), Qt::TextAlignmentRole).toInt(), 0x84);
    QVERIFY(!model.data(index, Qt::DisplayRole).isValid());
    QVERIFY(!model.data(index, Qt::CheckStateRole).isValid());
    QVERIFY(!model.data(index, Qt::BackgroundRole).isValid());
    QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::CheckStateRole).toInt(), 2);
    QCOMPARE(model.headerData(3, Qt::Vertical, Qt::CheckStateRole).toInt(), 2);
    QVERIFY(!model.headerData(0, Qt::Horizontal, Qt::DisplayRole).isValid());

    QSignalSpy checked(&model, &TaskItemModel::itemCheckedChanged);
    QVERIFY(!model.setData(index, true, Qt::CheckStateRole));
    QCOMPARE(checked.count(), 0);
}

void TestTaskItemModel::columns_data()
{
    QTest::addColumn<MDType>("type");
    QTest::addColumn<bool>("brief");
    QTest::addColumn<QStringList>("titles");

    QTest::newRow("contacts") << MD_CONTACT << false
                              << QStringList{"Name", "Company", "Phone", "Email", "Homepage"};
    QTest::newRow("brief contacts") << MD_CONTACT << true << QStringList{"Name", "Phone", "Email"};
    QTest::newRow("messages") << MD_MESSAGE << false << QStringList{"Name", "Phone", "Email"};
    QTest::newRow("messages, brief flag")
        << MD_MESSAGE << true << QStringList{"Name", "Phone", "Email"};
    QTest::newRow("call history") << MD_CALL_HISTORY << false
                                  << QStringList{"Name", "Phone", "Date", "Type", "Duration"};
    QTest::newRow("calendar") << MD_CALENDAR << false
                              << QStringList{"Title", "Location", "Starts Date", "Ends Date"};
    QTest::newRow("notes") << MD_NOTE << false << QStringList{"Title", "Date"};
    QTest::newRow("bookmarks") << MD_SAFARI_BOOKMARK << false << QStringList{"Title", "URL"};
    QTest::newRow("whatsapp") << MD_WHATSAPP_MESSAGE << false
                              << QStringList{"Chat", "Name", "Phone"};
    QTest::newRow("wechat contacts")
        << MD_WECHAT_CONTACT << false << QStringList{"Name", "Account"};
    QTest::newRow("wechat messages")
        << MD_WECHAT_MESSAGE << false << QStringList{"Chat", "Account", "Member"};
    QTest::newRow("reminders") << MD_REMINDER << false
                               << QStringList{"Title", "List",     "Status",
                                              "Date",  "Location", "Priority"};
    QTest::newRow("photos") << MD_PHOTO << false << QStringList();
    QTest::newRow("voice memos") << MD_VOICE_MEMO << false << QStringList();
    QTest::newRow("message attachments") << MD_MESSAGE_ATTACHMENT << false << QStringList();
    QTest::newRow("unknown 17") << MDType(17) << false << QStringList();
    QTest::newRow("unknown -1") << MDType(-1) << false << QStringList();
}

void TestTaskItemModel::columns()
{
    QFETCH(MDType, type);
    QFETCH(bool, brief);
    QFETCH(QStringList, titles);

    ViewStore records(type);
    TaskItemModel model(nullptr, brief);
    auto tester = watch(&model);
    model.setCurrentTypeItems(records.fill());

    QCOMPARE(model.columnCount(), titles.size());
    for (int section = 0; section < titles.size(); ++section)
        QCOMPARE(model.headerData(section, Qt::Horizontal, Qt::DisplayRole).toString(),
                 titles.at(section));
    // Past the last column, before the first, and the vertical header: nothing.
    QVERIFY(!model.headerData(titles.size(), Qt::Horizontal, Qt::DisplayRole).isValid());
    QVERIFY(!model.headerData(-1, Qt::Horizontal, Qt::DisplayRole).isValid());
    QVERIFY(!model.headerData(0, Qt::Vertical, Qt::DisplayRole).isValid());
    QVERIFY(!model.headerData(0, Qt::Horizontal, Qt::ToolTipRole).isValid());
    QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::CheckStateRole).toInt(), 2);
}

void TestTaskItemModel::textCells_data()
{
    QTest::addColumn<MDType>("type");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QVariantList>("cells");

    const QString null;
    const QDateTime invalid;

    QTest::newRow("call history as delivered")
        << MD_CALL_HISTORY << QStringList{"  Ann  Lee ", "+100", "1/9/2020", "Incoming", "00:01"}
        << QVariantList{"  Ann  Lee ", "+100", "1/9/2020", "Incoming", "00:01"};
    QTest::newRow("call history, null texts")
        << MD_CALL_HISTORY << QStringList{null, null, null, null, null}
        << QVariantList{"", "", "", "", ""};
    QTest::newRow("calendar") << MD_CALENDAR
                              << QStringList{"Dentist", "Main St", "2021-03-04 05:06:07",
                                             "2021-03-04 23:59:59", "n"}
                              << QVariantList{"Dentist", "Main St", at(2021, 3, 4, 5, 6, 7),
                                              at(2021, 3, 4, 23, 59, 59)};
    QTest::newRow("calendar, malformed dates")
        << MD_CALENDAR << QStringList{null, null, "2021-02-30 10:00:00", "2021/03/04 05:06:07"}
        << QVariantList{"", "", invalid, invalid};
    QTest::newRow("calendar, null dates") << MD_CALENDAR << QStringList{"t", "l", null, ""}
                                          << QVariantList{"t", "l", invalid, invalid};
    QTest::newRow("note, simplified title")
        << MD_NOTE << QStringList{"  Shopping \n\t list  ", "2019-12-31 23:00:01"}
        << QVariantList{"Shopping list", at(2019, 12, 31, 23, 0, 1)};
    QTest::newRow("note, day that does not exist")
        << MD_NOTE << QStringList{"x", "2019-04-31 10:00:00"} << QVariantList{"x", invalid};
    QTest::newRow("note, slashes")
        << MD_NOTE << QStringList{"x", "2019/04/30 10:00:00"} << QVariantList{"x", invalid};
    QTest::newRow("note, date without time")
        << MD_NOTE << QStringList{"x", "2019-04-30"} << QVariantList{"x", invalid};
    QTest::newRow("note, null title")
        << MD_NOTE << QStringList{null, null} << QVariantList{"", invalid};
    QTest::newRow("bookmark") << MD_SAFARI_BOOKMARK
                              << QStringList{" Site ", "http://example.org/a b"}
                              << QVariantList{" Site ", "http://example.org/a b"};
    QTest::newRow("whatsapp") << MD_WHATSAPP_MESSAGE << QStringList{"Team", "Bo", "+200"}
                              << QVariantList{"Team", "Bo", "+200"};
    QTest::newRow("whatsapp, null texts")
        << MD_WHATSAPP_MESSAGE << QStringList{null, "Bo", null} << QVariantList{"", "Bo", ""};
    QTest::newRow("wechat friend with alias")
        << MD_WECHAT_CONTACT << QStringList{"wxid_1", "Mei", "mei88"}
        << QVariantList{"Mei", "mei88"};
    QTest::newRow("wechat friend, empty alias")
        << MD_WECHAT_CONTACT << QStringList{"wxid_1", "Mei", ""} << QVariantList{"Mei", "wxid_1"};
    QTest::newRow("wechat friend, null alias")
        << MD_WECHAT_CONTACT << QStringList{"wxid_2", null, null} << QVariantList{"", "wxid_2"};
    QTest::newRow("wechat messages") << MD_WECHAT_MESSAGE << QStringList{"Chat", "acc", "mem"}
                                     << QVariantList{"Chat", "acc", "mem"};
    // Reminder texts in getter order: title, status, date, location, note, list, priority.
    QTest::newRow("reminder") << MD_REMINDER
                              << QStringList{" Call  Bo ",  "Done", "2022-06-07 08:09:10",
                                             "  At  home ", "note", " Work  list ",
                                             " High  1 "}
                              << QVariantList{" Call  Bo ", " Work  list ",
                                              "Done",       at(2022, 6, 7, 8, 9, 10),
                                              "At home",    "High 1"};
    QTest::newRow("reminder, null texts and bad date")
        << MD_REMINDER << QStringList{null, null, "2022-13-01 00:00:00", null, null, null, null}
        << QVariantList{"", "", "", invalid, "", ""};
}

void TestTaskItemModel::textCells()
{
    QFETCH(MDType, type);
    QFETCH(QStringList, texts);
    QFETCH(QVariantList, cells);

    ViewStore records(type);
    // A second, different record makes sure each row reads its own record.
    addTextRecord(records, type, QStringList{"other", "other", "other"});
    QVERIFY(addTextRecord(records, type, texts));
    TaskItemModel model;
    auto tester = watch(&model);
    model.setCurrentTypeItems(records.fill());

    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.columnCount(), cells.size());
    for (int column = 0; column < cells.size(); ++column) {
        compareCell(model.data(model.index(1, column), Qt::DisplayRole), cells.at(column));
        if (QTest::currentTestFailed()) {
            qWarning("column %d", column);
            return;
        }
    }
    QCOMPARE(model.data(model.index(0, 0)).toString(), QStringLiteral("other"));
    // Past the last column there is no cell.
    QVERIFY(!model.data(model.index(1, cells.size())).isValid());
}

void TestTaskItemModel::contactCells_data()
{
    QTest::addColumn<bool>("brief");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("company");
    QTest::addColumn<QStringList>("phones");
    QTest::addColumn<QStringList>("emails");
    QTest::addColumn<QStringList>("urls");
    QTest::addColumn<QStringList>("cells");

    const QStringList none;
    QTest::newRow("full") << false << "Ann Lee"
                          << "  Acme \t Corp " << QStringList{"+100", "+101"}
                          << QStringList{"ann@x.org", "a2@x.org"} << QStringList{"x.org"}
                          << QStringList{"Ann Lee", "Acme Corp", "+100", "ann@x.org", "x.org"};
    QTest::newRow("full, empty lists")
        << false << "Bo" << QString() << none << none << none << QStringList{"Bo", "", "", "", ""};
    QTest::newRow("full, null name") << false << QString() << "Co" << QStringList{"1"} << none
                                     << none << QStringList{"", "Co", "1", "", ""};
    QTest::newRow("brief") << true << "Ann Lee"
                           << "Acme" << QStringList{"+100"} << QStringList{"ann@x.org"}
                           << QStringList{"x.org"} << QStringList{"Ann Lee", "+100", "ann@x.org"};
    QTest::newRow("brief, empty lists")
        << true << "Cy"
        << "Co" << none << none << none << QStringList{"Cy", "", ""};
}

void TestTaskItemModel::contactCells()
{
    QFETCH(bool, brief);
    QFETCH(QString, name);
    QFETCH(QString, company);
    QFETCH(QStringList, phones);
    QFETCH(QStringList, emails);
    QFETCH(QStringList, urls);
    QFETCH(QStringList, cells);

    ViewStore records(MD_CONTACT);
    auto contact = std::make_unique<ContactRecord>();
    contact->Name().Text().Set(ContactName::Full, name);
    contact->Organization().Text().Set(ContactOrganization::Company, company);
    for (const QString& phone : phones)
        contact->Phones().Append(phone.toUtf8(), "mobile");
    for (const QString& email : emails)
        contact->Emails().Append(email.toUtf8(), "work");
    for (const QString& url : urls)
        contact->Urls().Append(url.toUtf8(), QByteArray());
    records.add(std::move(contact));

    TaskItemModel model(nullptr, brief);
    auto tester = watch(&model);
    model.setCurrentTypeItems(records.fill());

    QCOMPARE(model.columnCount(), cells.size());
    for (int column = 0; column < cells.size(); ++column)
        compareCell(model.data(model.index(0, column)), cells.at(column));
    // The check box stays in column 0 whatever the layout.
    QVERIFY(model.data(model.index(0, 0), Qt::CheckStateRole).isValid());
    QVERIFY(!model.data(model.index(0, 1), Qt::CheckStateRole).isValid());
}

void TestTaskItemModel::participants_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("phones");
    QTest::addColumn<QStringList>("emails");
    QTest::addColumn<QStringList>("cells");

    const QString null;
    QTest::newRow("none") << QStringList() << QStringList() << QStringList()
                          << QStringList{"", "", ""};
    QTest::newRow("one") << QStringList{"Ann"} << QStringList{"1"} << QStringList{"a@x"}
                         << QStringList{"Ann", "1", "a@x"};
    QTest::newRow("one, empty texts")
        << QStringList{""} << QStringList{null} << QStringList{""} << QStringList{"", "", ""};
    QTest::newRow("empty name in the middle")
        << QStringList{"A", "", "B"} << QStringList{"1", "2", "3"} << QStringList{"a", "b", "c"}
        << QStringList{"A,B", "1,2,3", "a,b,c"};
    QTest::newRow("null name in the middle")
        << QStringList{"A", null, "B"} << QStringList{"1", null, "3"}
        << QStringList{null, null, null} << QStringList{"A,B", "1,,3", ",,"};
    QTest::newRow("empty last name keeps the separator")
        << QStringList{"A", "B", ""} << QStringList{"1", "2", "3"} << QStringList{"", "", ""}
        << QStringList{"A,B,", "1,2,3", ",,"};
    QTest::newRow("empty last phone") << QStringList{"A", "B"} << QStringList{"1", ""}
                                      << QStringList{"a", "b"} << QStringList{"A,B", "1,", "a,b"};
    QTest::newRow("all names empty") << QStringList{"", ""} << QStringList{"", ""}
                                     << QStringList{"", ""} << QStringList{"", ",", ","};
}

void TestTaskItemModel::participants()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, phones);
    QFETCH(QStringList, emails);
    QFETCH(QStringList, cells);

    ViewStore records(MD_MESSAGE);
    auto chat = std::make_unique<ConversationRecord>();
    for (int i = 0; i < names.size(); ++i) {
        RecordText& who = chat->AddParticipant();
        who.Set(ConversationRecord::Name, names.at(i));
        who.Set(ConversationRecord::Phone, phones.at(i));
        who.Set(ConversationRecord::Email, emails.at(i));
    }
    records.add(std::move(chat));

    TaskItemModel model;
    auto tester = watch(&model);
    model.setCurrentTypeItems(records.fill());
    for (int column = 0; column < 3; ++column)
        QCOMPARE(model.data(model.index(0, column)).toString(), cells.at(column));
}

void TestTaskItemModel::checkState_data()
{
    QTest::addColumn<Qt::CheckState>("stored");
    QTest::addColumn<int>("shown");

    QTest::newRow("unchecked") << Qt::Unchecked << int(Qt::Unchecked);
    QTest::newRow("partially checked shows checked") << Qt::PartiallyChecked << int(Qt::Checked);
    QTest::newRow("checked") << Qt::Checked << int(Qt::Checked);
}

void TestTaskItemModel::checkState()
{
    QFETCH(Qt::CheckState, stored);
    QFETCH(int, shown);

    ViewStore records(MD_NOTE);
    records.addTexts<NoteRecord>({"a"});
    records.addTexts<NoteRecord>({"b"});
    TaskItem* store = records.fill();
    store->SetChecked(1, stored);
    QCOMPARE(store->GetCheckState(1), stored);

    TaskItemModel model;
    auto tester = watch(&model);
    model.setCurrentTypeItems(store);
    QCOMPARE(model.data(model.index(1, 0), Qt::CheckStateRole).toInt(), shown);
    QVERIFY(!model.data(model.index(1, 1), Qt::CheckStateRole).isValid());
    // Notes start unticked unless deleted; row 0 was left alone.
    QCOMPARE(model.data(model.index(0, 0), Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
}

void TestTaskItemModel::colours()
{
    ViewStore records(MD_CONTACT);
    records.addContact("live 0", "c", "1", false);
    records.addContact("deleted 1", "c", "2", true);
    records.addContact("deleted 2", "c", "3", true);
    records.addContact("live 3", "c", "4", false);
    TaskItemModel model;
    auto tester = watch(&model);
    model.setCurrentTypeItems(records.fill());

    const QColor orange(243, 161, 89, 255);
    const QColor grey(138, 141, 144, 255);
    const QColor even(242, 242, 242, 255);
    const QColor odd(255, 255, 255, 255);
    const QColor foregrounds[] = {grey, orange, orange, grey};
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < model.columnCount(); ++column) {
            const QModelIndex index = model.index(row, column);
            QCOMPARE(model.data(index, Qt::ForegroundRole).value<QColor>(), foregrounds[row]);
            QCOMPARE(model.data(index, Qt::BackgroundRole).value<QColor>(),
                     row % 2 == 0 ? even : odd);
            QCOMPARE(model.data(index, Qt::TextAlignmentRole).toInt(), 0x84);
            QVERIFY(!model.data(index, Qt::ToolTipRole).isValid());
            QVERIFY(!model.data(index, Qt::FontRole).isValid());
            QVERIFY(!model.data(index, Qt::SizeHintRole).isValid());
        }
    }
    // Deleted contacts enter ticked, the others unticked.
    QCOMPARE(model.data(model.index(1, 0), Qt::CheckStateRole).toInt(), int(Qt::Checked));
    QCOMPARE(model.data(model.index(3, 0), Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
}

void TestTaskItemModel::missingRecords()
{
    ViewStore records(MD_CONTACT);
    records.addItem(std::make_unique<FakeItem>(nullptr, true)); // no record at all
    records.addTexts<NoteRecord>({"a note", "2020-01-01 00:00:00"},
                                 false); // a record of another kind
    TaskItemModel model;
    auto tester = watch(&model);
    model.setCurrentTypeItems(records.fill());

    QCOMPARE(model.rowCount(), 2);
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 5; ++column)
            QVERIFY(!model.data(model.index(row, column)).isValid());
        // The row still has its tick and colours.
        QVERIFY(model.data(model.index(row, 0), Qt::CheckStateRole).isValid());
        QVERIFY(model.data(model.index(row, 0), Qt::ForegroundRole).isValid());
    }
    // A row past the store's records has no record and so nothing but the alignment.
    const QModelIndex past = model.CreateModelIndexByRow(7);
    QCOMPARE(past.row(), 7);
    QCOMPARE(past.column(), 0);
    QCOMPARE(past.model(), &model);
    QVERIFY(!model.data(past, Qt::CheckStateRole).isValid());
    QVERIFY(!model.data(past, Qt::ForegroundRole).isValid());
    QCOMPARE(model.data(past, Qt::TextAlignmentRole).toInt(), 0x84);
    QVERIFY(!model.data(QModelIndex(), Qt::DisplayRole).isValid());
}

void TestTaskItemModel::setDataTicksTheRecord_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<Qt::CheckState>("expected");

    QTest::newRow("tick in column 0") << 0 << QVariant(int(Qt::Checked)) << Qt::Checked;
    QTest::newRow("true in column 2") << 2 << QVariant(true) << Qt::Checked;
    QTest::newRow("partial value ticks fully")
        << 0 << QVariant(int(Qt::PartiallyChecked)) << Qt::Checked;
    QTest::newRow("false unticks") << 1 << QVariant(false) << Qt::Unchecked;
    QTest::newRow("unchecked value unticks") << 0 << QVariant(int(Qt::Unchecked)) << Qt::Unchecked;
}

void TestTaskItemModel::setDataTicksTheRecord()
{
    QFETCH(int, column);
    QFETCH(QVariant, value);
    QFETCH(Qt::CheckState, expected);

    ViewStore records(MD_CALL_HISTORY);
    for (int i = 0; i < 3; ++i)
        records.addTexts<CallRecord>({QString::number(i)});
    TaskItem* store = records.fill();
    // Call history enters ticked; start row 1 from the opposite of what is set.
    store->SetChecked(1, expected == Qt::Checked ? Qt::Unchecked : Qt::Checked);

    TaskItemModel model;
    auto tester = watch(&model);
    model.setCurrentTypeItems(store);
    QSignalSpy checked(&model, &TaskItemModel::itemCheckedChanged);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    const QModelIndex index = model.index(1, column);
    QVERIFY(model.setData(index, value, Qt::CheckStateRole));
    QCOMPARE(store->GetCheckState(1), expected);
    QCOMPARE(store->GetCheckState(0), Qt::Checked);
    QCOMPARE(store->GetCheckState(2), Qt::Checked);
    QCOMPARE(checked.count(), 1);
    QCOMPARE(checked.at(0).at(0).value<QModelIndex>(), index);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(model.data(model.index(1, 0), Qt::CheckStateRole).toInt(), int(expected));
}

void TestTaskItemModel::setDataOtherRoles()
{
    ViewStore records(MD_CALL_HISTORY);
    records.addTexts<CallRecord>({"a"});
    records.addTexts<CallRecord>({"b"});
    TaskItem* store = records.fill();
    TaskItemModel model;
    auto tester = watch(&model);
    model.setCurrentTypeItems(store);
    QSignalSpy checked(&model, &TaskItemModel::itemCheckedChanged);

    QVERIFY(!model.setData(model.index(0, 0), false, Qt::EditRole));
    QVERIFY(!model.setData(model.index(0, 0), false, Qt::DisplayRole));
    QVERIFY(!model.setData(QModelIndex(), false, Qt::CheckStateRole));
    QCOMPARE(store->GetCheckState(0), Qt::Checked);
    QCOMPARE(checked.count(), 0);

    // A record outside the search keeps its tick, but the view still hears of the attempt.
    store->SetSearchMark(1, false);
    QVERIFY(model.setData(model.index(1, 0), false, Qt::CheckStateRole));
    QCOMPARE(store->GetCheckState(1), Qt::Checked);
    QCOMPARE(checked.count(), 1);
}

void TestTaskItemModel::flagsByColumn()
{
    ViewStore records(MD_CALL_HISTORY);
    records.addTexts<CallRecord>({"a"});
    TaskItemModel model;
    auto tester = watch(&model);
    model.setCurrentTypeItems(records.fill());

    QCOMPARE(int(model.flags(model.index(0, 0))), 0x31);
    for (int column = 1; column < model.columnCount(); ++column)
        QCOMPARE(int(model.flags(model.index(0, column))), 0x21);
    QCOMPARE(model.flags(QModelIndex()), Qt::ItemFlags());
}

void TestTaskItemModel::rowCountIsTakenOnReset()
{
    ViewStore records(MD_NOTE);
    records.addTexts<NoteRecord>({"first"});
    records.addTexts<NoteRecord>({"second"});
    TaskItem* store = records.fill();

    TaskItemModel model;
    auto tester = watch(&model);
    QSignalSpy aboutToReset(&model, &QAbstractItemModel::modelAboutToBeReset);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    model.setCurrentTypeItems(store);
    QCOMPARE(aboutToReset.count(), 1);
    QCOMPARE(reset.count(), 1);
    QCOMPARE(model.getCurrentItem(), store);
    QCOMPARE(model.rowCount(), 2);

    // A running scan adds at the front; the table keeps its rows until it is reset.
    auto note = std::make_unique<NoteRecord>();
    note->Text().Set(NoteRecord::Title, QString("new"));
    FakeItem* newest = records.getter().newItem(std::move(note));
    store->AddData(newest, 0);
    QCOMPARE(store->GetDataCountEx(), 3u);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.data(model.index(0, 0)).toString(), QStringLiteral("new"));

    model.setCurrentTypeItems(store);
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.data(model.index(2, 0)).toString(), QStringLiteral("second"));

    model.setCurrentTypeItems(nullptr);
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.columnCount(), 0);
}

void TestTaskItemModel::rowsWithClearedSearchMarks()
{
    ViewStore records(MD_NOTE);
    for (const char* title : {"a", "b", "c", "d"})
        records.addTexts<NoteRecord>({title});
    TaskItem* store = records.fill();
    store->SetSearchMark(0, false);
    store->SetSearchMark(2, false);
    store->UpdateCheckedCountBySearch();

    TaskItemModel model;
    auto tester = watch(&model);
    model.setCurrentTypeItems(store);
    // Every record keeps its row, so the last match ("d") is still reachable;
    // the rows out of view are the page's to hide.
    QCOMPARE(model.rowCount(), 4);
    QCOMPARE(model.data(model.index(3, 0)).toString(), QStringLiteral("d"));
    QVERIFY(store->CheckIdxHide(0));
    QVERIFY(!store->CheckIdxHide(3));
}

void TestTaskItemModel::checkAll_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<Qt::CheckState>("expected");

    QTest::newRow("check") << int(Qt::Checked) << Qt::Checked;
    QTest::newRow("uncheck") << int(Qt::Unchecked) << Qt::Unchecked;
}

void TestTaskItemModel::checkAll()
{
    QFETCH(int, state);
    QFETCH(Qt::CheckState, expected);

    ViewStore records(MD_CONTACT);
    records.addContact("a", "c", "1", true);
    records.addContact("b", "c", "2", false);
    records.addContact("c", "c", "3", false);
    TaskItem* store = records.fill();
    store->SetSearchMark(2, false);

    TaskItemModel model;
    auto tester = watch(&model);
    model.setCurrentTypeItems(store);
    const Qt::CheckState outside = store->GetCheckState(2);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

    FakeItem* newest = records.getter().newItem(std::make_unique<ContactRecord>());
    store->AddData(newest, 0);
    model.CheckAll(state);
    QCOMPARE(reset.count(), 1);
    QCOMPARE(model.rowCount(), 3);
    for (unsigned int row = 0; row < 3; ++row)
        QCOMPARE(store->GetCheckState(row), expected);
    // The record outside the search (now at position 3) keeps its tick.
    QCOMPARE(store->GetCheckState(3), outside);
    for (int row = 0; row < 3; ++row)
        QCOMPARE(model.data(model.index(row, 0), Qt::CheckStateRole).toInt(), int(expected));

    // A value that is no check state changes nothing but still repaints.
    model.CheckAll(7);
    QCOMPARE(reset.count(), 2);
    QCOMPARE(store->GetCheckState(0), expected);
}

QTEST_GUILESS_MAIN(TestTaskItemModel)
#include "tst_taskitemmodel.moc"
