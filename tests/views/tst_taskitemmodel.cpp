#include "viewstore.h"

#include "views/taskitemmodel.h"

#include <QColor>
#include <QSignalSpy>
#include <QTest>

using namespace MMobile;

Q_DECLARE_METATYPE(MMobile::MDType)

namespace {

// The cells of one row; a date-time cell as "date:<ISO>" or "date:invalid".
QStringList rowCells(const QAbstractItemModel& model, int row)
{
    QStringList cells;
    for (int col = 0; col < model.columnCount(); ++col) {
        const QVariant value = model.data(model.index(row, col));
        if (value.userType() == QMetaType::QDateTime)
            cells << "date:" + (value.toDateTime().isValid()
                                    ? value.toDateTime().toString(Qt::ISODate)
                                    : QStringLiteral("invalid"));
        else
            cells << (value.userType() == QMetaType::QString ? value.toString() : "<none>");
    }
    return cells;
}

} // namespace

class TestTaskItemModel : public QObject
{
    Q_OBJECT

private slots:
    void columns_data()
    {
        QTest::addColumn<MDType>("type");
        QTest::addColumn<bool>("brief");
        QTest::addColumn<QStringList>("titles");
        const QStringList namePhoneEmail{"Name", "Phone", "Email"};
        // clang-format off
        QTest::newRow("contacts") << MD_CONTACT << false << QStringList{"Name", "Company", "Phone", "Email", "Homepage"};
        QTest::newRow("brief contacts") << MD_CONTACT << true << namePhoneEmail;
        QTest::newRow("messages") << MD_MESSAGE << false << namePhoneEmail;
        QTest::newRow("messages, brief flag") << MD_MESSAGE << true << namePhoneEmail;
        QTest::newRow("call history") << MD_CALL_HISTORY << false << QStringList{"Name", "Phone", "Date", "Type", "Duration"};
        QTest::newRow("calendar") << MD_CALENDAR << false << QStringList{"Title", "Location", "Starts Date", "Ends Date"};
        QTest::newRow("notes") << MD_NOTE << false << QStringList{"Title", "Date"};
        QTest::newRow("bookmarks") << MD_SAFARI_BOOKMARK << false << QStringList{"Title", "URL"};
        QTest::newRow("whatsapp") << MD_WHATSAPP_MESSAGE << false << QStringList{"Chat", "Name", "Phone"};
        QTest::newRow("wechat contacts") << MD_WECHAT_CONTACT << false << QStringList{"Name", "Account"};
        QTest::newRow("wechat messages") << MD_WECHAT_MESSAGE << false << QStringList{"Chat", "Account", "Member"};
        QTest::newRow("reminders") << MD_REMINDER << false << QStringList{"Title", "List", "Status", "Date", "Location", "Priority"};
        QTest::newRow("photos") << MD_PHOTO << false << QStringList();
        QTest::newRow("unknown -1") << MDType(-1) << false << QStringList();
        // clang-format on
    }
    void columns()
    {
        QFETCH(MDType, type);
        QFETCH(bool, brief);
        QFETCH(QStringList, titles);
        ViewStore records(type);
        TaskItemModel model(nullptr, brief);
        auto tester = watch(&model);
        model.setCurrentTypeItems(records.fill());
        QStringList shown;
        for (int section = -1; section <= titles.size(); ++section)
            shown << model.headerData(section, Qt::Horizontal).toString();
        QCOMPARE(shown, QStringList() << QString() << titles << QString());
        QCOMPARE(model.columnCount(), titles.size());
        QVERIFY(!model.headerData(0, Qt::Vertical, Qt::DisplayRole).isValid());
        QVERIFY(!model.headerData(0, Qt::Horizontal, Qt::ToolTipRole).isValid());
        QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::CheckStateRole).toInt(), 2);
    }

    void textCells_data()
    {
        QTest::addColumn<MDType>("type");
        QTest::addColumn<bool>("brief");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("cells");
        const QString null;
        const QString bad = "date:invalid";
        // clang-format off
        QTest::newRow("call history as delivered") << MD_CALL_HISTORY << false << QStringList{"  Ann  Lee ", "+100", "1/9/2020", "Incoming", "00:01"} << QStringList{"  Ann  Lee ", "+100", "1/9/2020", "Incoming", "00:01"};
        QTest::newRow("call history, null texts") << MD_CALL_HISTORY << false << QStringList{null, null, null, null, null} << QStringList{"", "", "", "", ""};
        QTest::newRow("calendar") << MD_CALENDAR << false << QStringList{"Dentist", "Main St", "2021-03-04 05:06:07", "2021-03-04 23:59:59", "n"} << QStringList{"Dentist", "Main St", "date:2021-03-04T05:06:07", "date:2021-03-04T23:59:59"};
        QTest::newRow("calendar, malformed dates") << MD_CALENDAR << false << QStringList{null, null, "2021-02-30 10:00:00", "2021/03/04 05:06:07"} << QStringList{"", "", bad, bad};
        QTest::newRow("calendar, null dates") << MD_CALENDAR << false << QStringList{"t", "l", null, ""} << QStringList{"t", "l", bad, bad};
        QTest::newRow("note, simplified title") << MD_NOTE << false << QStringList{"  Shopping \n\t list  ", "2019-12-31 23:00:01"} << QStringList{"Shopping list", "date:2019-12-31T23:00:01"};
        QTest::newRow("note, day that does not exist") << MD_NOTE << false << QStringList{"x", "2019-04-31 10:00:00"} << QStringList{"x", bad};
        QTest::newRow("note, date without time") << MD_NOTE << false << QStringList{"x", "2019-04-30"} << QStringList{"x", bad};
        QTest::newRow("note, null title") << MD_NOTE << false << QStringList{null, null} << QStringList{"", bad};
        QTest::newRow("bookmark") << MD_SAFARI_BOOKMARK << false << QStringList{" Site ", "http://example.org/a b"} << QStringList{" Site ", "http://example.org/a b"};
        QTest::newRow("whatsapp") << MD_WHATSAPP_MESSAGE << false << QStringList{"Team", "Bo", "+200"} << QStringList{"Team", "Bo", "+200"};
        QTest::newRow("wechat friend with alias") << MD_WECHAT_CONTACT << false << QStringList{"wxid_1", "Mei", "mei88"} << QStringList{"Mei", "mei88"};
        QTest::newRow("wechat friend, empty alias") << MD_WECHAT_CONTACT << false << QStringList{"wxid_1", "Mei", ""} << QStringList{"Mei", "wxid_1"};
        QTest::newRow("wechat friend, null alias") << MD_WECHAT_CONTACT << false << QStringList{"wxid_2", null, null} << QStringList{"", "wxid_2"};
        QTest::newRow("wechat messages") << MD_WECHAT_MESSAGE << false << QStringList{"Chat", "acc", "mem"} << QStringList{"Chat", "acc", "mem"};
        // Reminder texts in getter order: title, status, date, location, note, list, priority.
        QTest::newRow("reminder") << MD_REMINDER << false << QStringList{" Call  Bo ", "Done", "2022-06-07 08:09:10", "  At  home ", "note", " Work  list ", " High  1 "} << QStringList{" Call  Bo ", " Work  list ", "Done", "date:2022-06-07T08:09:10", "At home", "High 1"};
        QTest::newRow("reminder, null texts and bad date") << MD_REMINDER << false << QStringList{null, null, "2022-13-01 00:00:00", null, null, null, null} << QStringList{"", "", "", bad, "", ""};
        QTest::newRow("contact") << MD_CONTACT << false << QStringList{"Ann Lee", "  Acme \t Corp ", "p:+100", "p:+101", "e:ann@x.org", "e:a2@x.org", "u:x.org"} << QStringList{"Ann Lee", "Acme Corp", "+100", "ann@x.org", "x.org"};
        QTest::newRow("contact, empty lists") << MD_CONTACT << false << QStringList{"Bo", QString()} << QStringList{"Bo", "", "", "", ""};
        QTest::newRow("contact, null name") << MD_CONTACT << false << QStringList{QString(), "Co", "p:1"} << QStringList{"", "Co", "1", "", ""};
        QTest::newRow("brief contact") << MD_CONTACT << true << QStringList{"Ann Lee", "Acme", "p:+100", "e:ann@x.org", "u:x.org"} << QStringList{"Ann Lee", "+100", "ann@x.org"};
        QTest::newRow("brief contact, empty lists") << MD_CONTACT << true << QStringList{"Cy", "Co"} << QStringList{"Cy", "", ""};
        QTest::newRow("message, no participant") << MD_MESSAGE << false << QStringList() << QStringList{"", "", ""};
        QTest::newRow("message, one") << MD_MESSAGE << false << QStringList{"Ann/1/a@x"} << QStringList{"Ann", "1", "a@x"};
        QTest::newRow("message, one, empty texts") << MD_MESSAGE << false << QStringList{"//"} << QStringList{"", "", ""};
        QTest::newRow("message, empty name in the middle") << MD_MESSAGE << false << QStringList{"A/1/a", "/2/b", "B/3/c"} << QStringList{"A,B", "1,2,3", "a,b,c"};
        QTest::newRow("message, empty last name keeps the separator") << MD_MESSAGE << false << QStringList{"A/1/", "B/2/", "/3/"} << QStringList{"A,B,", "1,2,3", ",,"};
        QTest::newRow("message, empty last phone") << MD_MESSAGE << false << QStringList{"A/1/a", "B//b"} << QStringList{"A,B", "1,", "a,b"};
        QTest::newRow("message, all names empty") << MD_MESSAGE << false << QStringList{"//", "//"} << QStringList{"", ",", ","};
        // clang-format on
    }
    void textCells()
    {
        QFETCH(MDType, type);
        QFETCH(bool, brief);
        QFETCH(QStringList, texts);
        QFETCH(QStringList, cells);
        ViewStore records(type);
        // A first, different record makes sure each row reads its own record.
        records.addRecord(QStringList{"other", "other", "other"});
        records.addRecord(texts);
        TaskItemModel model(nullptr, brief);
        auto tester = watch(&model);
        model.setCurrentTypeItems(records.fill());
        QCOMPARE(rowCells(model, 1), cells);
        QVERIFY(model.data(model.index(0, 0)).toString().startsWith("other"));
        QVERIFY(!model.data(model.index(1, cells.size())).isValid());
        QVERIFY(!model.index(2, 0).isValid());
        QVERIFY(!model.index(1, model.columnCount()).isValid());
    }

    // Colours, alignment, flags and ticks of every cell; partly ticked shows ticked.
    void rowRoles()
    {
        ViewStore records(MD_CONTACT);
        for (int row = 0; row < 4; ++row)
            records.addRecord({QString::number(row), "c", "p:1"}, row == 1 || row == 2);
        TaskItem* store = records.fill();
        store->SetChecked(2, Qt::PartiallyChecked);
        TaskItemModel model;
        auto tester = watch(&model);
        model.setCurrentTypeItems(store);
        const QColor orange(243, 161, 89), grey(138, 141, 144);
        const int ticks[] = {Qt::Unchecked, Qt::Checked, Qt::Checked, Qt::Unchecked};
        for (int row = 0; row < 4; ++row) {
            for (int col = 0; col < model.columnCount(); ++col) {
                const QModelIndex index = model.index(row, col);
                QCOMPARE(index.data(Qt::ForegroundRole).value<QColor>(),
                         row == 1 || row == 2 ? orange : grey);
                QCOMPARE(index.data(Qt::BackgroundRole).value<QColor>(),
                         row % 2 == 0 ? QColor(242, 242, 242) : QColor(255, 255, 255));
                QCOMPARE(index.data(Qt::TextAlignmentRole).toInt(), 0x84);
                QVERIFY(!index.data(Qt::ToolTipRole).isValid());
                QCOMPARE(index.data(Qt::CheckStateRole),
                         col == 0 ? QVariant(ticks[row]) : QVariant());
                QCOMPARE(int(model.flags(index)), col == 0 ? 0x31 : 0x21);
            }
        }
        QCOMPARE(model.flags(QModelIndex()), Qt::ItemFlags());
    }

    // Without a store, rows have nothing but the alignment; items without a
    // record of the store's kind show no texts.
    void missingRecords()
    {
        TaskItemModel model;
        auto tester = watch(&model);
        QCOMPARE(model.getCurrentItem(), nullptr);
        const QModelIndex index = model.CreateModelIndexByRow(0);
        QCOMPARE((QVariantList{model.columnCount(), index.data(Qt::TextAlignmentRole), index.data(),
                               index.data(Qt::CheckStateRole),
                               model.headerData(3, Qt::Vertical, Qt::CheckStateRole),
                               model.headerData(0, Qt::Horizontal),
                               model.setData(index, true, Qt::CheckStateRole)}),
                 (QVariantList{0, 0x84, QVariant(), QVariant(), 2, QVariant(), false}));
        ViewStore records(MD_CONTACT);
        records.add(std::unique_ptr<NoteRecord>(), true); // no record at all
        records.addTexts<NoteRecord>({"a note"});         // a record of another kind
        model.setCurrentTypeItems(records.fill());
        for (int row = 0; row < 2; ++row) {
            QCOMPARE(rowCells(model, row), QVector<QString>(5, "<none>").toList());
            // The row still has its tick and colours.
            QVERIFY(model.data(model.index(row, 0), Qt::CheckStateRole).isValid());
            QVERIFY(model.data(model.index(row, 0), Qt::ForegroundRole).isValid());
        }
        // A row past the store's records has nothing but the alignment.
        const QModelIndex past = model.CreateModelIndexByRow(7);
        QCOMPARE((QVariantList{past.row(), past.data(Qt::CheckStateRole),
                               past.data(Qt::TextAlignmentRole)}),
                 (QVariantList{7, QVariant(), 0x84}));
    }

    // Three calls, the third outside the search, ticked as `start`; column -1
    // gives setData no index, -2 calls CheckAll with the value.
    void tickChanges_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("role");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>(
            "result"); // answer, ticks, itemCheckedChanged, dataChanged, resets
        const int check = Qt::CheckStateRole;
        // clang-format off
        QTest::newRow("tick in column 0") << 0 << check << int(Qt::Checked) << "CUC" << "y CCC 1 0 0";
        QTest::newRow("column 2") << 2 << check << int(Qt::Checked) << "CUC" << "y CCC 1 0 0";
        QTest::newRow("partial value ticks fully") << 0 << check << 1 << "CUC" << "y CCC 1 0 0";
        QTest::newRow("false unticks") << 1 << check << 0 << "CCC" << "y CUC 1 0 0";
        QTest::newRow("edit role") << 0 << int(Qt::EditRole) << 0 << "CCC" << "n CCC 0 0 0";
        QTest::newRow("no index") << -1 << check << 0 << "CCC" << "n CCC 0 0 0";
        // The record outside the search keeps its tick.
        QTest::newRow("check all") << -2 << 0 << int(Qt::Checked) << "UUU" << "- CCU 0 0 1";
        QTest::newRow("uncheck all") << -2 << 0 << int(Qt::Unchecked) << "CCC" << "- UUC 0 0 1";
        // A value that is no check state changes nothing but still repaints.
        QTest::newRow("no check state") << -2 << 0 << 7 << "CUC" << "- CUC 0 0 1";
        // clang-format on
    }
    void tickChanges()
    {
        QFETCH(int, column);
        QFETCH(int, role);
        QFETCH(int, value);
        QFETCH(QString, start);
        QFETCH(QString, result);
        ViewStore records(MD_CALL_HISTORY);
        for (int i = 0; i < 3; ++i)
            records.addTexts<CallRecord>({QString::number(i)});
        TaskItem* store = records.fill();
        for (int row = 0; row < 3; ++row)
            store->SetChecked(row, start[row] == 'C' ? Qt::Checked : Qt::Unchecked);
        store->SetSearchMark(2, false);
        TaskItemModel model;
        auto tester = watch(&model);
        model.setCurrentTypeItems(store);
        QSignalSpy checked(&model, &TaskItemModel::itemCheckedChanged);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        const QModelIndex index = column < 0 ? QModelIndex() : model.index(1, column);
        QString got = "-";
        if (column == -2)
            model.CheckAll(value);
        else
            got = model.setData(index, value, role) ? "y" : "n";
        got += ' ';
        for (int row = 0; row < 3; ++row)
            got += "UPC"[store->GetCheckState(row)];
        QCOMPARE(
            got + QString(" %1 %2 %3").arg(checked.count()).arg(changed.count()).arg(reset.count()),
            result);
        if (checked.count())
            QCOMPARE(checked.at(0).at(0).value<QModelIndex>(), index);
    }

    void rowCountIsTakenOnReset()
    {
        ViewStore records(MD_NOTE);
        records.addTexts<NoteRecord>({"first"});
        records.addTexts<NoteRecord>({"second"});
        TaskItem* store = records.fill();
        TaskItemModel model;
        auto tester = watch(&model);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        model.setCurrentTypeItems(store);
        QCOMPARE(reset.count(), 1);
        QCOMPARE(model.getCurrentItem(), store);
        QCOMPARE(model.rowCount(), 2);
        // A running scan adds at the front; the table keeps its rows until it is reset.
        store->AddData(records.getter().newItem(ViewStore::textRecord<NoteRecord>({"new"})), 0);
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.data(model.index(0, 0)).toString(), QStringLiteral("new"));
        // Rows are the search-marked records' count, whatever the only-deleted
        // switch says; row r stays record r.
        store->SetSearchMark(0, false);
        store->SetOnlyDeleteSelected(true);
        model.setCurrentTypeItems(store);
        QCOMPARE(column(model, 0), (QStringList{"new", "first"}));
        // Their ticks stay as they are, though the view hears of the attempt.
        QSignalSpy checked(&model, &TaskItemModel::itemCheckedChanged);
        QVERIFY(model.setData(model.index(0, 0), true, Qt::CheckStateRole));
        QCOMPARE(store->GetCheckState(0), Qt::Unchecked);
        QCOMPARE(checked.count(), 1);
        model.setCurrentTypeItems(nullptr);
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.columnCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestTaskItemModel)
#include "tst_taskitemmodel.moc"
