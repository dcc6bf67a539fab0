// Sorting 100,000 contacts by name through the table proxy, and filtering them
// by a keyword, both as the user does it (the keyword set on the shown table,
// so the base class also drops the rows that no longer match) and as the
// filter test alone. Names mix plain Latin, accented Latin and CJK so collation does
// real work. The store, model and proxy are built once; each iteration starts
// from the unsorted (or unfiltered) state, which is restored outside the timing.

#include "contactrecord.h"
#include "fakegetter.h"

#include "store/taskitem.h"
#include "views/mysortfilterproxymodel.h"
#include "views/taskitemmodel.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QStringList>

#include <algorithm>
#include <memory>

namespace {

constexpr int kContacts = 100000;

QStringList makeNames(int count)
{
    const QStringList latin{"Smith", "Johnson", "Brown", "Taylor", "Miller", "Wilson",
                            "Moore", "Clark",   "Lewis", "Walker", "Young",  "Allen"};
    const QStringList accented{"Émile", "Zoë",    "Ångström", "Çelik", "Øster",  "Łukasz",
                               "Ñúñez", "Dvořák", "Müller",   "Écija", "Ólafur", "Šimek"};
    const QStringList cjk{"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周", "徐", "孙"};
    const QStringList given{"Ann", "Bo", "明", "伟", "Zoé", "Lee", "芳", "Ève", "Kai", "娜"};
    QStringList names;
    names.reserve(count);
    quint32 seed = 12345;
    auto next = [&seed](int bound) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 8) % quint32(bound));
    };
    for (int i = 0; i < count; ++i) {
        const QStringList& family = i % 3 == 0 ? latin : i % 3 == 1 ? accented : cjk;
        QString name = family.at(next(family.size()));
        name += (i % 3 == 2 ? QString() : QStringLiteral(" ")) + given.at(next(given.size()));
        name += QString::number(next(1000));
        names << name;
    }
    return names;
}

// The contacts, their store, the model and the proxy of one table.
struct Table
{
    FakeGetter getter;
    TaskItem store{MMobile::MD_CONTACT};
    TaskItemModel model;
    MySortFilterProxyModel proxy;

    Table()
    {
        const QStringList names = makeNames(kContacts);
        QVector<MMobile::IMDCommon*> items;
        for (int i = names.size() - 1; i >= 0; --i) {
            auto contact = std::make_unique<ContactRecord>();
            contact->Name().Text().Set(ContactName::Full, names.at(i));
            contact->Organization().Text().Set(ContactOrganization::Company, QString("Company"));
            contact->Phones().Append(QByteArray::number(5550000 + i), QByteArray());
            items << getter.newItem(std::move(contact), i % 9 == 0);
        }
        getter.prepend(items);
        store.SetDatas(&getter);
        model.setCurrentTypeItems(&store);
        proxy.setSourceModel(&model);
    }
};

Table& table()
{
    static Table instance;
    return instance;
}

void BM_SortByName(benchmark::State& state)
{
    Table& t = table();
    for (auto _ : state) {
        state.PauseTiming();
        t.proxy.sort(-1);
        state.ResumeTiming();
        t.proxy.sort(0, Qt::AscendingOrder);
        benchmark::DoNotOptimize(t.proxy.rowCount());
    }
    state.SetItemsProcessed(state.iterations() * kContacts);
    t.proxy.sort(-1);
}

// The same sort when the base class re-sorts on its own (invalidate(), a source
// change): every comparison reads both records again.
void BM_ResortByNameReadingRecords(benchmark::State& state)
{
    Table& t = table();
    t.proxy.sort(0, Qt::AscendingOrder);
    for (auto _ : state) {
        t.proxy.invalidate();
        benchmark::DoNotOptimize(t.proxy.rowCount());
    }
    state.SetItemsProcessed(state.iterations() * kContacts);
    t.proxy.sort(-1);
}

// The collation alone: the same names sorted with localeAwareCompare directly.
void BM_SortNamesLocaleAwareOnly(benchmark::State& state)
{
    const QStringList names = makeNames(kContacts);
    for (auto _ : state) {
        QStringList sorted = names;
        std::stable_sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
            return QString::localeAwareCompare(a, b) < 0;
        });
        benchmark::DoNotOptimize(sorted.size());
    }
    state.SetItemsProcessed(state.iterations() * kContacts);
}

void BM_FilterByKeyword(benchmark::State& state)
{
    Table& t = table();
    t.proxy.sort(-1);
    int shown = 0;
    for (auto _ : state) {
        t.proxy.setFilterFixedString(QStringLiteral("Lee"));
        shown = t.proxy.rowCount();
        state.PauseTiming();
        t.proxy.setFilterFixedString(QString());
        state.ResumeTiming();
    }
    state.counters["shown"] = shown;
    state.SetItemsProcessed(state.iterations() * kContacts);
}

// The filter test alone: the proxy's mapping is rebuilt from scratch with the
// keyword set, so every row is tested once and no shown rows are removed.
void BM_FilterRowsFromScratch(benchmark::State& state)
{
    Table& t = table();
    t.proxy.sort(-1);
    t.proxy.setFilterFixedString(QStringLiteral("Lee"));
    int shown = 0;
    for (auto _ : state) {
        t.proxy.invalidate();
        shown = t.proxy.rowCount();
    }
    t.proxy.setFilterFixedString(QString());
    state.counters["shown"] = shown;
    state.SetItemsProcessed(state.iterations() * kContacts);
}

BENCHMARK(BM_SortByName)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ResortByNameReadingRecords)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_SortNamesLocaleAwareOnly)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_FilterByKeyword)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_FilterRowsFromScratch)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
