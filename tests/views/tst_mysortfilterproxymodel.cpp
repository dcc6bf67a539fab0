#include "viewstore.h"

#include "views/mysortfilterproxymodel.h"
#include "views/taskitemmodel.h"

#include <QAbstractItemModelTester>
#include <QColor>
#include <QDateTime>
#include <QRegExp>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QStringListModel>
#include <QTest>
#include <QTimeZone>

#include <memory>

using namespace MMobile;

namespace {

using Tester = QAbstractItemModelTester;

std::unique_ptr<Tester> watch(QAbstractItemModel* model)
{
    return std::make_unique<Tester>(model, Tester::FailureReportingMode::Fatal);
}

QStringList column(const QAbstractItemModel& model, int col)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts << model.data(model.index(row, col)).toString();
    return texts;
}

// The source rows in the proxy's order.
QList<int> sourceRows(const QSortFilterProxyModel& proxy)
{
    QList<int> rows;
    for (int row = 0; row < proxy.rowCount(); ++row)
        rows << proxy.mapToSource(proxy.index(row, 0)).row();
    return rows;
}

// How the owner hands the filter text to the base class.
enum class FilterKind { RegExp, FixedString, Wildcard, RegularExpression };

void setFilter(QSortFilterProxyModel& proxy, FilterKind kind, const QString& text,
               Qt::CaseSensitivity sensitivity)
{
    switch (kind) {
    case FilterKind::RegExp:
        proxy.setFilterRegExp(QRegExp(text, sensitivity));
        break;
    case FilterKind::FixedString:
        proxy.setFilterCaseSensitivity(sensitivity);
        proxy.setFilterFixedString(text);
        break;
    case FilterKind::Wildcard:
        proxy.setFilterCaseSensitivity(sensitivity);
        proxy.setFilterWildcard(text);
        break;
    case FilterKind::RegularExpression:
        proxy.setFilterRegularExpression(QRegularExpression(
            text, sensitivity == Qt::CaseInsensitive ? QRegularExpression::CaseInsensitiveOption
                                                     : QRegularExpression::NoPatternOption));
        break;
    }
}

QStandardItemModel* textTable(const QList<QStringList>& rows, QObject* parent)
{
    auto* model = new QStandardItemModel(parent);
    for (const QStringList& row : rows) {
        QList<QStandardItem*> items;
        for (const QString& text : row)
            items << new QStandardItem(text);
        model->appendRow(items);
    }
    return model;
}

// Counts how often the proxy reads the cells' display texts.
class CountingModel : public QStandardItemModel
{
public:
    mutable int reads = 0;
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role == Qt::DisplayRole)
            ++reads;
        return QStandardItemModel::data(index, role);
    }
};

// Names with accents, CJK, case pairs, duplicates and empty texts.
QStringList mixedNames()
{
    return {"Émile", "émile", "Emile", "zoë", "Zoe", "王小明", "王小明", "李雷",   "adam",   "Adam",
            "",      "Ådne",  "Ēva",   "eve", "Eve", "Øster",  "oster",  "Łukasz", "lukasz", "",
            "明",    "Bo",    "bo",    "Bö",  "b@x", "a@y",    "10",     "9",      "李",     "Ann"};
}

} // namespace

Q_DECLARE_METATYPE(FilterKind)

class TestMySortFilterProxyModel : public QObject
{
    Q_OBJECT

private slots:
    void filterColumns_data();
    void filterColumns();
    void filterIgnoresKeyColumnAndRole();
    void filterOneColumnSource();
    void sortDateTimesChronologically_data();
    void sortDateTimesChronologically();
    void sortCallHistoryDateAsText();
    void sortAddressParts_data();
    void sortAddressParts();
    void sortLocaleAware();
    void sortOnceMatchesResort_data();
    void sortOnceMatchesResort();
    void sortReadsEachRowOnce();
    void stripesFollowProxyRows_data();
    void stripesFollowProxyRows();
    void otherRolesComeFromSource();
};

void TestMySortFilterProxyModel::filterColumns_data()
{
    QTest::addColumn<FilterKind>("kind");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<int>("sensitivity");
    QTest::addColumn<QStringList>("shown");

    const QStringList all{"Ann Lee", "Bo Chan", "Cy Dunn", "Dee Ann"};
    const int cs = Qt::CaseSensitive;
    const int ci = Qt::CaseInsensitive;
    for (FilterKind kind : {FilterKind::RegExp, FilterKind::FixedString, FilterKind::Wildcard,
                            FilterKind::RegularExpression}) {
        const QByteArray tag = QByteArray::number(int(kind)) + ": ";
        QTest::newRow(tag + "empty filter shows all") << kind << QString() << cs << all;
        QTest::newRow(tag + "name") << kind << "Ann" << cs << QStringList{"Ann Lee", "Dee Ann"};
        QTest::newRow(tag + "company only") << kind << "Globex" << cs << QStringList{"Bo Chan"};
        QTest::newRow(tag + "phone alone hides") << kind << "555" << cs << QStringList();
        QTest::newRow(tag + "case sensitive") << kind << "ann" << cs << QStringList();
        QTest::newRow(tag + "case insensitive")
            << kind << "ann" << ci << QStringList{"Ann Lee", "Dee Ann"};
    }
    QTest::newRow("regexp alternatives")
        << FilterKind::RegExp << "^Cy|Initech" << cs << QStringList{"Cy Dunn", "Dee Ann"};
}

void TestMySortFilterProxyModel::filterColumns()
{
    QFETCH(FilterKind, kind);
    QFETCH(QString, filter);
    QFETCH(int, sensitivity);
    QFETCH(QStringList, shown);

    ViewStore records(MD_CONTACT);
    records.addContact("Ann Lee", "Acme", "555-1");
    records.addContact("Bo Chan", "Globex", "555-2");
    records.addContact("Cy Dunn", QString(), "555-3");
    records.addContact("Dee Ann", "Initech", QString());
    TaskItemModel model;
    model.setCurrentTypeItems(records.fill());
    MySortFilterProxyModel proxy;
    auto tester = watch(&proxy);
    proxy.setSourceModel(&model);
    QCOMPARE(proxy.rowCount(), 4);

    setFilter(proxy, kind, filter, Qt::CaseSensitivity(sensitivity));
    QCOMPARE(column(proxy, 0), shown);
    // Clearing the filter brings every row back.
    setFilter(proxy, kind, QString(), Qt::CaseSensitive);
    QCOMPARE(proxy.rowCount(), 4);
}

void TestMySortFilterProxyModel::filterIgnoresKeyColumnAndRole()
{
    ViewStore records(MD_CONTACT);
    records.addContact("Ann", "Acme", "555");
    records.addContact("Bo", "Globex", "777");
    TaskItemModel model;
    model.setCurrentTypeItems(records.fill());
    MySortFilterProxyModel proxy;
    auto tester = watch(&proxy);
    proxy.setSourceModel(&model);

    proxy.setFilterKeyColumn(2);
    proxy.setFilterRole(Qt::ToolTipRole);
    proxy.setFilterFixedString("555");
    QCOMPARE(proxy.rowCount(), 0);
    proxy.setFilterFixedString("Glob");
    QCOMPARE(column(proxy, 0), QStringList{"Bo"});
    proxy.setFilterKeyColumn(-1);
    proxy.setFilterFixedString("777");
    QCOMPARE(proxy.rowCount(), 0);
}

void TestMySortFilterProxyModel::filterOneColumnSource()
{
    QStringListModel source(QStringList{"alpha", "beta", "gamma"});
    MySortFilterProxyModel proxy;
    auto tester = watch(&proxy);
    proxy.setSourceModel(&source);
    proxy.setFilterRegExp(QRegExp("a$"));
    QCOMPARE(column(proxy, 0), (QStringList{"alpha", "beta", "gamma"}));
    proxy.setFilterRegExp(QRegExp("^b"));
    QCOMPARE(column(proxy, 0), QStringList{"beta"});
    // The missing column 1 reads as empty text, which this pattern matches.
    proxy.setFilterRegExp(QRegExp("^$"));
    QCOMPARE(proxy.rowCount(), 3);
}

void TestMySortFilterProxyModel::sortDateTimesChronologically_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("dateColumn");

    QTest::newRow("notes") << int(MD_NOTE) << 1;
    QTest::newRow("calendar start") << int(MD_CALENDAR) << 2;
    QTest::newRow("calendar end") << int(MD_CALENDAR) << 3;
    QTest::newRow("reminders") << int(MD_REMINDER) << 3;
}

void TestMySortFilterProxyModel::sortDateTimesChronologically()
{
    QFETCH(int, type);
    QFETCH(int, dateColumn);

    // Titles name the chronological rank; "none" has a malformed date.
    const QList<QPair<QString, QString>> rows{{"3", "2021-01-10 00:00:00"},
                                              {"1", "2020-12-31 23:59:59"},
                                              {"none", "2021/01/01 00:00:00"},
                                              {"2", "2021-01-09 12:00:00"},
                                              {"4", "2021-01-10 00:00:01"}};
    ViewStore records{MDType(type)};
    for (const auto& row : rows) {
        QStringList texts;
        switch (type) {
        case MD_NOTE:
            texts = QStringList{row.first, row.second};
            records.addTexts<NoteRecord>(texts);
            break;
        case MD_CALENDAR:
            texts = QStringList{row.first, "somewhere", row.second, row.second};
            records.addTexts<CalendarRecord>(texts);
            break;
        default:
            texts = QStringList{row.first, "open", row.second};
            records.addTexts<ReminderRecord>(texts);
            break;
        }
    }
    TaskItemModel model;
    model.setCurrentTypeItems(records.fill());
    MySortFilterProxyModel proxy;
    auto tester = watch(&proxy);
    proxy.setSourceModel(&model);

    proxy.sort(dateColumn, Qt::AscendingOrder);
    // An invalid date-time sorts before every valid one.
    QCOMPARE(column(proxy, 0), (QStringList{"none", "1", "2", "3", "4"}));
    proxy.sort(dateColumn, Qt::DescendingOrder);
    QCOMPARE(column(proxy, 0), (QStringList{"4", "3", "2", "1", "none"}));
}

void TestMySortFilterProxyModel::sortCallHistoryDateAsText()
{
    ViewStore records(MD_CALL_HISTORY);
    // Chronologically 9 Jan comes first; as text "1/10/..." does.
    records.addTexts<CallRecord>({"Ann", "1", "1/9/2020"});
    records.addTexts<CallRecord>({"Bo", "2", "1/10/2020"});
    records.addTexts<CallRecord>({"Cy", "3", "1/11/2019"});
    TaskItemModel model;
    model.setCurrentTypeItems(records.fill());
    MySortFilterProxyModel proxy;
    auto tester = watch(&proxy);
    proxy.setSourceModel(&model);

    proxy.sort(2, Qt::AscendingOrder);
    QStringList expected = column(model, 2);
    std::sort(expected.begin(), expected.end(), [](const QString& a, const QString& b) {
        return QString::localeAwareCompare(a, b) < 0;
    });
    QCOMPARE(column(proxy, 2), expected);
    QCOMPARE(proxy.data(proxy.index(0, 2)).type(), QVariant::String);

    // The same cells as date-times would sort chronologically instead.
    QStandardItemModel dates;
    const QDateTime values[] = {QDateTime(QDate(2020, 1, 9), QTime(0, 0)),
                                QDateTime(QDate(2020, 1, 10), QTime(0, 0)),
                                QDateTime(QDate(2019, 1, 11), QTime(0, 0))};
    for (const QDateTime& value : values) {
        auto* item = new QStandardItem;
        item->setData(value, Qt::DisplayRole);
        dates.appendRow(item);
    }
    MySortFilterProxyModel dateProxy;
    dateProxy.setSourceModel(&dates);
    dateProxy.sort(0);
    QCOMPARE(sourceRows(dateProxy), (QList<int>{2, 0, 1}));
}

void TestMySortFilterProxyModel::sortAddressParts_data()
{
    QTest::addColumn<int>("sortColumn");
    QTest::addColumn<QList<int>>("order");

    // Column 1 compares c@, b@, a@ parts; column 2 holds the same texts but
    // compares them whole.
    QTest::newRow("column 1: address parts") << 1 << QList<int>{3, 1, 2, 0};
    QTest::newRow("column 2: whole texts") << 2 << QList<int>{0, 1, 2, 3};
}

void TestMySortFilterProxyModel::sortAddressParts()
{
    QFETCH(int, sortColumn);
    QFETCH(QList<int>, order);

    const QStringList texts{"amy <c.x@y.org>", "bob (b@y.org)", "cat mail: bz@y.org, a@y.org",
                            "dan [a.a@y.org]"};
    QList<QStringList> rows;
    for (const QString& text : texts)
        rows << QStringList{"row", text, text};
    QStandardItemModel* source = textTable(rows, this);
    MySortFilterProxyModel proxy;
    auto tester = watch(&proxy);
    proxy.setSourceModel(source);
    proxy.sort(sortColumn, Qt::AscendingOrder);
    QCOMPARE(sourceRows(proxy), order);
    delete source;
}

void TestMySortFilterProxyModel::sortLocaleAware()
{
    // Without an at sign column 1 compares whole texts, like every other column.
    const QStringList names{"Émile", "zoë", "Zack", "王小明", "adam", "Ådne", "Ēva", "李雷", "eve"};
    QList<QStringList> rows;
    for (const QString& name : names)
        rows << QStringList{name, name};
    QStandardItemModel* source = textTable(rows, this);
    MySortFilterProxyModel proxy;
    auto tester = watch(&proxy);
    proxy.setSourceModel(source);

    QStringList expected = names;
    std::stable_sort(expected.begin(), expected.end(), [](const QString& a, const QString& b) {
        return QString::localeAwareCompare(a, b) < 0;
    });
    for (int col : {0, 1}) {
        proxy.sort(col, Qt::AscendingOrder);
        QCOMPARE(column(proxy, col), expected);
    }
    delete source;
}

void TestMySortFilterProxyModel::sortOnceMatchesResort_data()
{
    QTest::addColumn<int>("sortColumn");
    QTest::addColumn<int>("order");
    QTest::addColumn<bool>("dates");

    for (int order : {int(Qt::AscendingOrder), int(Qt::DescendingOrder)}) {
        const QByteArray suffix = order == Qt::AscendingOrder ? " ascending" : " descending";
        QTest::newRow("names, column 0" + suffix) << 0 << order << false;
        QTest::newRow("addresses, column 1" + suffix) << 1 << order << false;
        QTest::newRow("date-times among texts" + suffix) << 2 << order << true;
    }
}

// sort() reads every row once up front; a re-sort by the base class (here
// forced by invalidate()) reads the rows for each comparison. Both must give
// the same order, which must also be the stable order of the plain rule.
void TestMySortFilterProxyModel::sortOnceMatchesResort()
{
    QFETCH(int, sortColumn);
    QFETCH(int, order);
    QFETCH(bool, dates);

    const QStringList names = mixedNames();
    QStandardItemModel source;
    for (int i = 0; i < names.size(); ++i) {
        auto* name = new QStandardItem(names.at(i));
        auto* address = new QStandardItem(QString("%1 <%2@mail.org>").arg(i).arg(names.at(i)));
        auto* when = new QStandardItem;
        if (dates && i % 4 != 0)
            when->setData(QDateTime(QDate(2020, 1 + i % 12, 1 + i % 5), QTime(i % 24, 0)),
                          Qt::DisplayRole);
        else
            when->setData(names.at(i), Qt::DisplayRole);
        source.appendRow({name, address, when});
    }
    MySortFilterProxyModel proxy;
    auto tester = watch(&proxy);
    proxy.setSourceModel(&source);

    proxy.sort(sortColumn, Qt::SortOrder(order));
    const QList<int> once = sourceRows(proxy);
    proxy.invalidate();
    const QList<int> resorted = sourceRows(proxy);
    QCOMPARE(once, resorted);

    // The plain rule, applied without the proxy.
    QRegExp address("([\\w\\.]*@[\\w\\.]*)");
    auto textOf = [&](int row) {
        QString text = source.index(row, sortColumn).data().toString();
        if (sortColumn == 1 && address.indexIn(text) != -1)
            text = address.cap(1);
        return text;
    };
    auto less = [&](int a, int b) {
        const QVariant left = source.index(a, sortColumn).data();
        if (left.type() == QVariant::DateTime)
            return left.toDateTime() < source.index(b, sortColumn).data().toDateTime();
        return QString::localeAwareCompare(textOf(a), textOf(b)) < 0;
    };
    QList<int> expected;
    for (int row = 0; row < names.size(); ++row)
        expected << row;
    if (order == Qt::AscendingOrder)
        std::stable_sort(expected.begin(), expected.end(), less);
    else
        std::stable_sort(expected.begin(), expected.end(),
                         [&](int a, int b) { return less(b, a); });
    QCOMPARE(once, expected);
}

void TestMySortFilterProxyModel::sortReadsEachRowOnce()
{
    CountingModel source;
    const QStringList names = mixedNames();
    for (const QString& name : names)
        source.appendRow(new QStandardItem(name));
    MySortFilterProxyModel proxy;
    proxy.setSourceModel(&source);
    // Filtering reads column 0 of every row once when the mapping is built.
    QCOMPARE(proxy.rowCount(), names.size());

    source.reads = 0;
    proxy.sort(0, Qt::AscendingOrder);
    QCOMPARE(source.reads, names.size());
    // Asking again for the order in force reads nothing.
    source.reads = 0;
    proxy.sort(0, Qt::AscendingOrder);
    QCOMPARE(source.reads, 0);
    // A re-sort by the base class reads the rows for each comparison.
    proxy.invalidate();
    proxy.rowCount();
    QVERIFY(source.reads > names.size());
}

void TestMySortFilterProxyModel::stripesFollowProxyRows_data()
{
    QTest::addColumn<int>("order");
    QTest::addColumn<QString>("filter");

    QTest::newRow("descending") << int(Qt::DescendingOrder) << QString();
    QTest::newRow("ascending, filtered") << int(Qt::AscendingOrder) << "[ACE]";
}

void TestMySortFilterProxyModel::stripesFollowProxyRows()
{
    QFETCH(int, order);
    QFETCH(QString, filter);

    ViewStore records(MD_CONTACT);
    for (const char* name : {"A", "B", "C", "D", "E", "F"})
        records.addContact(name, "co", "1");
    TaskItemModel model;
    model.setCurrentTypeItems(records.fill());
    MySortFilterProxyModel proxy;
    auto tester = watch(&proxy);
    proxy.setSourceModel(&model);
    proxy.setFilterRegExp(QRegExp(filter));
    proxy.sort(0, Qt::SortOrder(order));

    // The source's own stripe under proxy row 0 or 1 would be the other colour.
    const QList<int> rows = sourceRows(proxy);
    QVERIFY(rows.at(0) % 2 != 0 || rows.at(1) % 2 != 1);
    for (int row = 0; row < proxy.rowCount(); ++row) {
        const QColor expected = row % 2 == 0 ? QColor(242, 242, 242) : QColor(255, 255, 255);
        for (int col = 0; col < proxy.columnCount(); ++col)
            QCOMPARE(proxy.data(proxy.index(row, col), Qt::BackgroundRole).value<QColor>(),
                     expected);
    }
    QVERIFY(!proxy.data(QModelIndex(), Qt::BackgroundRole).isValid());
}

void TestMySortFilterProxyModel::otherRolesComeFromSource()
{
    ViewStore records(MD_CONTACT);
    records.addContact("A", "co", "1", false);
    records.addContact("B", "co", "2", true);
    TaskItemModel model;
    model.setCurrentTypeItems(records.fill());
    MySortFilterProxyModel proxy;
    auto tester = watch(&proxy);
    proxy.setSourceModel(&model);
    proxy.sort(0, Qt::DescendingOrder);

    for (int role : {int(Qt::DisplayRole), int(Qt::ForegroundRole), int(Qt::CheckStateRole),
                     int(Qt::TextAlignmentRole)}) {
        for (int row = 0; row < 2; ++row) {
            const QModelIndex index = proxy.index(row, 0);
            QCOMPARE(proxy.data(index, role), model.data(proxy.mapToSource(index), role));
        }
    }
    QCOMPARE(proxy.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Company"));
}

QTEST_GUILESS_MAIN(TestMySortFilterProxyModel)
#include "tst_mysortfilterproxymodel.moc"
