#include "viewstore.h"

#include "views/mysortfilterproxymodel.h"
#include "views/taskitemmodel.h"

#include <QCollator>
#include <QColor>
#include <QDateTime>
#include <QRegExp>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QStringListModel>
#include <QTest>
#include <QThread>

#include <atomic>

using namespace MMobile;

namespace {

// The source rows in the proxy's order.
QList<int> sourceRows(const QSortFilterProxyModel& proxy)
{
    QList<int> rows;
    for (int row = 0; row < proxy.rowCount(); ++row)
        rows << proxy.mapToSource(proxy.index(row, 0)).row();
    return rows;
}

// The ways an owner hands the filter text to the proxy: as a QRegExp, a fixed
// string, a wildcard and a QRegularExpression.
using Setter = void (*)(MySortFilterProxyModel&, const QString&, Qt::CaseSensitivity);
const Setter kSetters[] = {
    [](MySortFilterProxyModel& proxy, const QString& text, Qt::CaseSensitivity sensitivity) {
        proxy.setFilterRegExp(QRegExp(text, sensitivity));
    },
    [](MySortFilterProxyModel& proxy, const QString& text, Qt::CaseSensitivity) {
        proxy.setFilterFixedString(text);
    },
    [](MySortFilterProxyModel& proxy, const QString& text, Qt::CaseSensitivity) {
        proxy.setFilterWildcard(text);
    },
    [](MySortFilterProxyModel& proxy, const QString& text, Qt::CaseSensitivity sensitivity) {
        proxy.setFilterRegularExpression(QRegularExpression(
            text, sensitivity == Qt::CaseInsensitive ? QRegularExpression::CaseInsensitiveOption
                                                     : QRegularExpression::NoPatternOption));
    }};

// The table model of a store behind the proxy, under a fatal model tester.
struct Proxied
{
    explicit Proxied(ViewStore& records)
    {
        model.setCurrentTypeItems(records.fill());
        proxy.setSourceModel(&model);
    }
    TaskItemModel model;
    MySortFilterProxyModel proxy;
    std::unique_ptr<QAbstractItemModelTester> tester = watch(&proxy);
};

// Counts how often the proxy reads the cells' display texts.
class CountingModel : public QStringListModel
{
public:
    using QStringListModel::QStringListModel;
    mutable int reads = 0;
    QVariant data(const QModelIndex& index, int role) const override
    {
        reads += role == Qt::DisplayRole;
        return QStringListModel::data(index, role);
    }
};

// A page's proxy that shows every column but the first.
class NoFirstColumnProxy : public MySortFilterProxyModel
{
protected:
    bool filterAcceptsColumn(int column, const QModelIndex&) const override { return column > 0; }
};

// Names with accents, CJK, case pairs, duplicates, empty texts and addresses.
const QStringList kNames{
    "Émile", "émile", "Emile",  "zoë", "Zoe", "王小明", "王小明",  "李雷",   "adam",    "Adam",
    "",      "Ådne",  "Ēva",    "eve", "Eve", "Øster",  "oster",   "Łukasz", "lukasz",  "",
    "明",    "Bo",    "bo",     "Bö",  "b@x", "a@y",    "10",      "9",      "李",      "Ann",
    "ß",     "ss",    "Straße", "a-b", "ab",  "a b",    "A\u0301", "Á",      "x\u200b", "x",
    "Ωmega", "Яков",  "ДОМ",    "ﬀ",   "ff",  "한글"};

// How long a test waits for a worker at most: the sanitizers on a loaded
// machine make a sort of twenty thousand rows take many seconds.
const int kWorkerWait = 120000;

// A contact that counts where its name is read, and reads after its store let
// go of it (the engine may free it then). With holdFirstRead, the first read on
// a worker lasts until the store starts letting go, and a while longer.
class WatchedContact : public ContactRecord
{
public:
    static std::atomic<int> guiReads;
    static std::atomic<int> workerReads;
    static std::atomic<int> readsAfterRelease;
    static std::atomic<bool> holdFirstRead;
    static std::atomic<bool> releasing;
    static std::atomic<bool> released;
    static void Reset()
    {
        guiReads = workerReads = readsAfterRelease = 0;
        holdFirstRead = releasing = released = false;
    }
    MMobile::IContactName* GetName() override
    {
        if (released)
            ++readsAfterRelease;
        const bool gui = QThread::currentThread() == QCoreApplication::instance()->thread();
        ++(gui ? guiReads : workerReads);
        if (!gui && holdFirstRead.exchange(false)) {
            while (!releasing)
                QThread::yieldCurrentThread();
            QThread::msleep(20);
        }
        return ContactRecord::GetName();
    }
};
std::atomic<int> WatchedContact::guiReads{0};
std::atomic<int> WatchedContact::workerReads{0};
std::atomic<int> WatchedContact::readsAfterRelease{0};
std::atomic<bool> WatchedContact::holdFirstRead{false};
std::atomic<bool> WatchedContact::releasing{false};
std::atomic<bool> WatchedContact::released{false};

// A contacts store large enough for a sort on a worker, names repeating.
struct LargeContacts
{
    explicit LargeContacts(int count)
    {
        for (int i = 0; i < count; ++i)
            add(kNames.at(i % kNames.size()) + QString::number(i % 97));
        model.setCurrentTypeItems(records.fill());
        proxy.setSourceModel(&model);
    }
    FakeItem* add(const QString& name)
    {
        auto contact = std::make_unique<WatchedContact>();
        contact->Name().Text().Set(ContactName::Full, name);
        return records.add(std::move(contact));
    }
    // The model's rows shown by filter, in the collator's order, ties in row order.
    QList<int> expectedRows(const QString& filter, Qt::SortOrder order) const
    {
        QCollator collator{QLocale::system()};
        QList<int> rows;
        std::vector<QCollatorSortKey> keys;
        for (int row = 0; row < model.rowCount(); ++row) {
            const QString name = model.index(row, 0).data().toString();
            keys.push_back(collator.sortKey(name));
            if (name.contains(filter) || model.index(row, 1).data().toString().contains(filter))
                rows << row;
        }
        // The collator's keys compare as its compare() does.
        std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
            return order == Qt::AscendingOrder ? keys[size_t(a)].compare(keys[size_t(b)]) < 0
                                               : keys[size_t(b)].compare(keys[size_t(a)]) < 0;
        });
        return rows;
    }
    ViewStore records{MD_CONTACT};
    TaskItemModel model;
    MySortFilterProxyModel proxy;
};

} // namespace

class TestMySortFilterProxyModel : public QObject
{
    Q_OBJECT

private slots:
    void filterColumns_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<bool>("caseSensitive");
        QTest::addColumn<QStringList>("shown");
        const QStringList all{"Ann Lee", "Bo Chan", "Cy Dunn", "Dee Ann"};
        const QStringList anns{"Ann Lee", "Dee Ann"};
        for (int kind = 0; kind < 4; ++kind) {
            const QByteArray tag = QByteArray::number(int(kind)) + ": ";
            QTest::newRow(tag + "empty filter shows all") << kind << QString() << true << all;
            QTest::newRow(tag + "name") << kind << "Ann" << true << anns;
            QTest::newRow(tag + "company only")
                << kind << "Globex" << true << QStringList{"Bo Chan"};
            QTest::newRow(tag + "phone alone hides") << kind << "555" << true << QStringList();
            QTest::newRow(tag + "case sensitive") << kind << "ann" << true << QStringList();
            QTest::newRow(tag + "case insensitive") << kind << "ann" << false << anns;
        }
        QTest::newRow("regexp alternatives")
            << 0 << "^Cy|Initech" << true << QStringList{"Cy Dunn", "Dee Ann"};
    }
    // Columns 0 and 1 decide, whatever the key column and role say.
    void filterColumns()
    {
        QFETCH(int, kind);
        QFETCH(QString, filter);
        QFETCH(bool, caseSensitive);
        QFETCH(QStringList, shown);
        ViewStore records(MD_CONTACT);
        records.addRecord({"Ann Lee", "Acme", "p:555-1"});
        records.addRecord({"Bo Chan", "Globex", "p:555-2"});
        records.addRecord({"Cy Dunn", QString(), "p:555-3"});
        records.addRecord({"Dee Ann", "Initech"});
        Proxied table(records);
        MySortFilterProxyModel& proxy = table.proxy;
        proxy.setFilterKeyColumn(2);
        proxy.setFilterRole(Qt::ToolTipRole);
        const Qt::CaseSensitivity sensitivity =
            caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
        proxy.setFilterCaseSensitivity(sensitivity);
        kSetters[kind](proxy, filter, sensitivity);
        QCOMPARE(column(proxy, 0), shown);
        // Stripes follow the proxy's rows, whichever source rows they show; other
        // roles come from the source.
        for (int row = 0; row < proxy.rowCount(); ++row) {
            const QColor stripe = row % 2 == 0 ? QColor(242, 242, 242) : QColor(255, 255, 255);
            for (int col = 0; col < proxy.columnCount(); ++col)
                QCOMPARE(proxy.index(row, col).data(Qt::BackgroundRole).value<QColor>(), stripe);
            QCOMPARE(proxy.index(row, 0).data(Qt::ForegroundRole),
                     proxy.mapToSource(proxy.index(row, 0)).data(Qt::ForegroundRole));
        }
        QVERIFY(!proxy.data(QModelIndex(), Qt::BackgroundRole).isValid());
        kSetters[kind](proxy, QString(), sensitivity);
        QCOMPARE(proxy.rowCount(), 4);
    }

    void filterOneColumnSource()
    {
        QStringListModel source(QStringList{"alpha", "beta", "gamma"});
        MySortFilterProxyModel proxy;
        auto tester = watch(&proxy);
        proxy.setSourceModel(&source);
        proxy.setFilterRegExp(QRegExp("^b"));
        QCOMPARE(column(proxy, 0), QStringList{"beta"});
        // The missing column 1 reads as empty text, which this pattern matches.
        proxy.setFilterRegExp(QRegExp("^$"));
        QCOMPARE(proxy.rowCount(), 3);
    }

    void sortDateTimesChronologically_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("dateColumn");
        QTest::newRow("notes") << int(MD_NOTE) << 1;
        QTest::newRow("calendar start") << int(MD_CALENDAR) << 2;
        QTest::newRow("calendar end") << int(MD_CALENDAR) << 3;
        QTest::newRow("reminders") << int(MD_REMINDER) << 3;
    }
    void sortDateTimesChronologically()
    {
        QFETCH(int, type);
        QFETCH(int, dateColumn);
        // Titles name the chronological rank; "none" has a malformed date.
        ViewStore records{MDType(type)};
        for (const char* row :
             {"3 2021-01-10 00:00:00", "1 2020-12-31 23:59:59", "none 2021/01/01 00:00:00",
              "2 2021-01-09 12:00:00", "4 2021-01-10 00:00:01"}) {
            const QString title = QString(row).section(' ', 0, 0);
            const QString date = QString(row).section(' ', 1);
            records.addRecord(type == MD_NOTE       ? QStringList{title, date}
                              : type == MD_CALENDAR ? QStringList{title, "somewhere", date, date}
                                                    : QStringList{title, "open", date});
        }
        Proxied table(records);
        MySortFilterProxyModel& proxy = table.proxy;
        proxy.sort(dateColumn, Qt::AscendingOrder);
        // An invalid date-time sorts before every valid one.
        QCOMPARE(column(proxy, 0), (QStringList{"none", "1", "2", "3", "4"}));
        proxy.sort(dateColumn, Qt::DescendingOrder);
        QCOMPARE(column(proxy, 0), (QStringList{"4", "3", "2", "1", "none"}));
    }

    void sortOnceMatchesResort_data()
    {
        QTest::addColumn<int>("sortColumn");
        QTest::addColumn<int>("order");
        for (int order : {int(Qt::AscendingOrder), int(Qt::DescendingOrder)}) {
            const QByteArray suffix = order == Qt::AscendingOrder ? " ascending" : " descending";
            QTest::newRow("names, column 0" + suffix) << 0 << order;
            QTest::newRow("addresses, column 1" + suffix) << 1 << order;
            QTest::newRow("date-times among texts" + suffix) << 2 << order;
        }
    }
    // Sorting on collation keys gives the stable order of the plain rule
    // (localeAwareCompare, date-times, address parts), also on mixed scripts,
    // whether sort() or the base class (here through invalidate()) asks.
    void sortOnceMatchesResort()
    {
        QFETCH(int, sortColumn);
        QFETCH(int, order);
        // Column 1 compares the address part, wherever it sits; column 2 the
        // same texts whole.
        const char* formats[] = {"%1 <%2@mail.org>", "%1 (%2@y.org)", "%1 mail: %2z@y.org, a@y.org",
                                 "%1 [%2.a@y.org]"};
        QStandardItemModel source;
        for (int i = 0; i < kNames.size(); ++i) {
            const QString address = QString(formats[i % 4]).arg(i).arg(kNames.at(i));
            auto* when = new QStandardItem;
            if (i % 3 != 0)
                when->setData(QDateTime(QDate(2020, 1 + i % 12, 1 + i % 5), QTime(i % 24, 0)),
                              Qt::DisplayRole);
            else
                when->setData(address, Qt::DisplayRole);
            source.appendRow({new QStandardItem(kNames.at(i)), new QStandardItem(address), when});
        }
        MySortFilterProxyModel proxy;
        auto tester = watch(&proxy);
        proxy.setSourceModel(&source);
        proxy.sort(sortColumn, Qt::SortOrder(order));
        const QList<int> once = sourceRows(proxy);
        proxy.invalidate();
        QCOMPARE(sourceRows(proxy), once);

        QRegExp address("([\\w\\.]*@[\\w\\.]*)");
        auto textOf = [&](int row) {
            const QString text = source.index(row, sortColumn).data().toString();
            return sortColumn == 1 && address.indexIn(text) != -1 ? address.cap(1) : text;
        };
        auto less = [&](int a, int b) {
            const QVariant left = source.index(a, sortColumn).data();
            if (left.userType() == QMetaType::QDateTime)
                return left.toDateTime() < source.index(b, sortColumn).data().toDateTime();
            return QString::localeAwareCompare(textOf(a), textOf(b)) < 0;
        };
        QList<int> expected;
        for (int row = 0; row < kNames.size(); ++row)
            expected << row;
        std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
            return order == Qt::AscendingOrder ? less(a, b) : less(b, a);
        });
        QCOMPARE(once, expected);
    }

    // Each cell of the sort column is read once and kept until the source
    // reports a change, whoever asks for the order.
    void sortReadsEachCellOnce()
    {
        CountingModel source(kNames);
        MySortFilterProxyModel proxy; // a model tester would read cells too
        proxy.setSourceModel(&source);
        QCOMPARE(proxy.rowCount(), kNames.size());
        source.reads = 0;
        proxy.sort(0, Qt::AscendingOrder);
        QCOMPARE(source.reads, kNames.size());
        // The order in force, a column the source lacks and a re-sort by the
        // base class read nothing.
        source.reads = 0;
        proxy.sort(0, Qt::AscendingOrder);
        proxy.sort(1, Qt::AscendingOrder);
        proxy.sort(0, Qt::AscendingOrder);
        proxy.invalidate();
        QCOMPARE(proxy.rowCount(), kNames.size());
        QCOMPARE(source.reads, 0);
        // A changed cell is read again, and only that one.
        QVERIFY(source.setData(source.index(3), QStringLiteral("\ufffd last")));
        QCOMPARE(source.reads, 1);
        QCOMPARE(proxy.index(kNames.size() - 1, 0).data().toString(),
                 QStringLiteral("\ufffd last"));
        // A reset reads every cell once more, for a single sort.
        source.reads = 0;
        QStringList reversed = kNames;
        std::reverse(reversed.begin(), reversed.end());
        source.setStringList(reversed);
        QCOMPARE(proxy.rowCount(), kNames.size());
        QCOMPARE(source.reads, kNames.size());
        // Keys kept over resets, whether the texts moved or stayed, give the
        // order of a proxy that never saw the old texts.
        for (int round = 0; round < 2; ++round) {
            MySortFilterProxyModel fresh;
            fresh.setSourceModel(&source);
            fresh.sort(0, Qt::AscendingOrder);
            QCOMPARE(column(proxy, 0), column(fresh, 0));
            source.setStringList(source.stringList());
        }
    }

    // A reset that changes a text while the column's ranks are kept moves
    // its row to where the new text goes.
    void resetSortsChangedTextsIn()
    {
        QStringListModel source(QStringList{"b", "d", "f", "h"});
        MySortFilterProxyModel proxy;
        auto tester = watch(&proxy);
        proxy.setSourceModel(&source);
        proxy.sort(0, Qt::AscendingOrder);
        QCOMPARE(column(proxy, 0), (QStringList{"b", "d", "f", "h"}));
        source.setStringList({"b", "z", "f", "h"});
        QCOMPARE(column(proxy, 0), (QStringList{"b", "f", "h", "z"}));
        source.setStringList({"b", "z", "f", "a"});
        QCOMPARE(column(proxy, 0), (QStringList{"a", "b", "f", "z"}));
    }

    // The table of one sort holds the top-level rows of the column asked for;
    // children, and the columns of a proxy that hides some, are read as they are.
    void sortValuesOfOtherCellsAreReadAfresh()
    {
        QStandardItemModel source;
        const QStringList firsts{"a", "b", "c"};
        const QStringList seconds{"z", "y", "x"};
        for (int row = 0; row < 3; ++row) {
            QList<QStandardItem*> cells{new QStandardItem(firsts.at(row)),
                                        new QStandardItem(seconds.at(row))};
            for (const QString& text : seconds)
                cells.first()->appendRow({new QStandardItem(text), new QStandardItem(text)});
            source.appendRow(cells);
        }
        MySortFilterProxyModel proxy;
        auto tester = watch(&proxy);
        proxy.setSourceModel(&source);
        const QModelIndex parent = proxy.index(1, 0);
        QCOMPARE(proxy.rowCount(parent), 3); // maps the children before the sort
        proxy.sort(0, Qt::AscendingOrder);
        QCOMPARE(column(proxy, 0), firsts);
        QCOMPARE(column(proxy, 0, proxy.index(1, 0)), (QStringList{"x", "y", "z"}));

        NoFirstColumnProxy hiding;
        auto hidingTester = watch(&hiding);
        hiding.setSourceModel(&source);
        hiding.sort(0, Qt::AscendingOrder); // the second column of the source
        QCOMPARE(column(hiding, 0), (QStringList{"x", "y", "z"}));
    }

    // A first sort of a large column ranks on a worker: until the ranks are
    // back the proxy keeps its order and says it is unsorted; then the order
    // is the collator's. A change of the cells meanwhile is sorted in, a
    // newer request wins, and a proxy gone meanwhile takes nothing back.
    void largeSortRanksOnAWorker_data()
    {
        QTest::addColumn<QString>("meanwhile"); // "", "edit", "reset", "descending", "destroy"
        QTest::newRow("nothing") << QString();
        QTest::newRow("a cell changes") << "edit";
        QTest::newRow("the source resets") << "reset";
        QTest::newRow("the other order is asked for") << "descending";
        QTest::newRow("the proxy goes") << "destroy";
    }
    void largeSortRanksOnAWorker()
    {
        QFETCH(QString, meanwhile);
        QStringList names;
        for (int i = 0; i < MySortFilterProxyModel::kBackgroundRows + 100; ++i)
            names << kNames.at(i % kNames.size()) + QString::number(i % 997);
        CountingModel source(names);
        auto proxy = std::make_unique<MySortFilterProxyModel>();
        proxy->setSourceModel(&source);
        auto tester = watch(proxy.get());
        source.reads = 0;
        proxy->sort(0, Qt::AscendingOrder);
        QCOMPARE(source.reads, names.size()); // read here, once
        QCOMPARE(proxy->sortColumn(), -1);
        QCOMPARE(proxy->index(0, 0).data().toString(), names.first());
        Qt::SortOrder order = Qt::AscendingOrder;
        if (meanwhile == QLatin1String("edit")) {
            names[5] = QStringLiteral("\u0001 first");
            QVERIFY(source.setData(source.index(5), names[5]));
        } else if (meanwhile == QLatin1String("reset")) {
            std::reverse(names.begin(), names.end());
            source.setStringList(names);
        } else if (meanwhile == QLatin1String("descending")) {
            order = Qt::DescendingOrder;
            proxy->sort(0, order);
        } else if (meanwhile == QLatin1String("destroy")) {
            tester.reset();
            proxy.reset();
            QTest::qWait(200);
            return;
        }
        QTRY_COMPARE(proxy->sortColumn(), 0);
        QCOMPARE(proxy->sortOrder(), order);
        QCollator collator{QLocale::system()};
        QStringList expected = names;
        std::stable_sort(expected.begin(), expected.end(), [&](const QString& a, const QString& b) {
            return order == Qt::AscendingOrder ? collator.compare(a, b) < 0
                                               : collator.compare(b, a) < 0;
        });
        QCOMPARE(column(*proxy, 0), expected);
    }

    // A first sort of a large table reads the records on the worker, not on
    // the GUI thread, and gives the order of the plain rule, ties in row
    // order, whatever happens meanwhile: rows arrive, a filter is set, the
    // store lets go of its records (which are then read no more). Once the
    // order is in place, a tick, the other order and a filter keep to it.
    void largeTableSortReadsRecordsOnAWorker_data()
    {
        QTest::addColumn<QString>("meanwhile");
        QTest::newRow("nothing, then a tick, descending, a filter") << QString();
        QTest::newRow("rows arrive") << "arrive";
        QTest::newRow("a filter is set") << "filter";
        QTest::newRow("the store lets go") << "clear";
    }
    void largeTableSortReadsRecordsOnAWorker()
    {
        QFETCH(QString, meanwhile);
        WatchedContact::Reset();
        LargeContacts t(MySortFilterProxyModel::kBackgroundRows + 100);
        auto tester = watch(&t.proxy);
        WatchedContact::Reset();
        WatchedContact::holdFirstRead = meanwhile == QLatin1String("clear");
        t.proxy.sort(0, Qt::AscendingOrder);
        QCOMPARE(WatchedContact::guiReads.load(), 0);
        QCOMPARE(t.proxy.sortColumn(), -1);
        QString filter;
        if (meanwhile == QLatin1String("arrive")) {
            TaskItem* store = t.model.getCurrentItem();
            for (int i = 0; i < 50; ++i)
                store->AddData(t.add(QStringLiteral("arrived %1").arg(i % 7)), 0);
            t.model.setCurrentTypeItems(store);
        } else if (meanwhile == QLatin1String("filter")) {
            filter = QStringLiteral("1");
            t.proxy.setFilterFixedString(filter);
        } else if (meanwhile == QLatin1String("clear")) {
            QTRY_VERIFY_WITH_TIMEOUT(WatchedContact::workerReads > 0, kWorkerWait);
            WatchedContact::releasing = true;
            t.model.getCurrentItem()->ClearData();
            WatchedContact::released = true;
            t.model.setCurrentTypeItems(t.model.getCurrentItem());
        }
        QTRY_COMPARE_WITH_TIMEOUT(t.proxy.sortColumn(), 0, kWorkerWait);
        QCOMPARE(WatchedContact::readsAfterRelease.load(), 0);
        QCOMPARE(t.proxy.sortOrder(), Qt::AscendingOrder);
        QCOMPARE(sourceRows(t.proxy), t.expectedRows(filter, Qt::AscendingOrder));
        if (!meanwhile.isEmpty())
            return;

        TaskItem* store = t.model.getCurrentItem();
        const int checked = int(store->GetCheckedCount());
        const QModelIndex first = t.proxy.index(0, 0);
        QVERIFY(t.proxy.setData(first, Qt::Checked, Qt::CheckStateRole));
        QCOMPARE(store->GetCheckState(unsigned(t.proxy.mapToSource(first).row())), Qt::Checked);
        QCOMPARE(int(store->GetCheckedCount()), checked + 1);
        QCOMPARE(t.proxy.index(0, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        QCOMPARE(sourceRows(t.proxy), t.expectedRows(QString(), Qt::AscendingOrder));
        t.proxy.sort(0, Qt::DescendingOrder);
        QCOMPARE(t.proxy.sortOrder(), Qt::DescendingOrder);
        QCOMPARE(sourceRows(t.proxy), t.expectedRows(QString(), Qt::DescendingOrder));
        t.proxy.setFilterFixedString(QStringLiteral("1"));
        QCOMPARE(sourceRows(t.proxy), t.expectedRows(QStringLiteral("1"), Qt::DescendingOrder));
    }

    // The dates of a large notes table are parsed on the worker and sorted
    // chronologically, ties (and the dates that do not parse) in row order.
    void largeDateColumnSortsOnAWorker()
    {
        ViewStore records(MD_NOTE);
        for (int i = 0; i < MySortFilterProxyModel::kBackgroundRows + 100; ++i) {
            const QString date = i % 50 == 0 ? QStringLiteral("2019-04-31 10:00:00")
                                             : QStringLiteral("20%1-%2-%3 %4:00:00")
                                                   .arg(10 + i % 13)
                                                   .arg(1 + i % 12, 2, 10, QLatin1Char('0'))
                                                   .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                                                   .arg(i % 24, 2, 10, QLatin1Char('0'));
            records.addTexts<NoteRecord>({QString::number(i), date});
        }
        Proxied t(records);
        t.proxy.sort(1, Qt::DescendingOrder);
        QCOMPARE(t.proxy.sortColumn(), -1);
        QTRY_COMPARE_WITH_TIMEOUT(t.proxy.sortColumn(), 1, kWorkerWait);
        QList<int> expected;
        QVector<QDateTime> dates;
        for (int row = 0; row < t.model.rowCount(); ++row) {
            expected << row;
            dates << t.model.index(row, 1).data().toDateTime();
        }
        std::stable_sort(expected.begin(), expected.end(),
                         [&](int a, int b) { return dates[b] < dates[a]; });
        QCOMPARE(sourceRows(t.proxy), expected);
    }
};

QTEST_GUILESS_MAIN(TestMySortFilterProxyModel)
#include "tst_mysortfilterproxymodel.moc"
