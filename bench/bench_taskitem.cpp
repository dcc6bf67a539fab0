// Filling a store item by item, as a running scan does, against filling it
// from the getter at the end of a scan, and rebuilding the checked count after
// a search over a large store.
//
// The fill comparison prints the ratio AddData / SetDatas; items are made once
// outside the timed loops so only the store's own work is measured.

#include "contracts/imdcommon.h"
#include "contracts/imdgetter.h"
#include "store/taskitem.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

class BenchItem : public MMobile::IMDCommon
{
public:
    explicit BenchItem(bool deleted) : m_deleted(deleted) {}
    MMobile::IMDRecord* GetRecord() override { return nullptr; }
    bool IsDeleted() override { return m_deleted; }
    void SetDropMark(bool drop) override { m_drop = drop; }

private:
    bool m_deleted;
    bool m_drop = false;
};

class BenchGetter : public MMobile::IMDGetter
{
public:
    explicit BenchGetter(std::vector<BenchItem>& items) : m_items(items) {}
    unsigned int GetCount() override { return static_cast<unsigned int>(m_items.size()); }
    MMobile::IMDCommon* GetItem(unsigned int index) override
    {
        return index < m_items.size() ? &m_items[index] : nullptr;
    }

private:
    std::vector<BenchItem>& m_items;
};

std::vector<BenchItem> makeItems(size_t count)
{
    std::vector<BenchItem> items;
    items.reserve(count);
    for (size_t i = 0; i < count; ++i)
        items.emplace_back(i % 7 == 0);
    return items;
}

constexpr size_t kFillCount = 100000;

void BM_SetDatas(benchmark::State& state)
{
    auto items = makeItems(static_cast<size_t>(state.range(0)));
    BenchGetter getter(items);
    TaskItem store(MMobile::MD_CONTACT);
    for (auto _ : state) {
        store.SetDatas(&getter);
        benchmark::DoNotOptimize(store.GetCheckedCount());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SetDatas)->Arg(kFillCount)->Unit(benchmark::kMillisecond);

void BM_AddData(benchmark::State& state)
{
    auto items = makeItems(static_cast<size_t>(state.range(0)));
    TaskItem store(MMobile::MD_CONTACT);
    for (auto _ : state) {
        store.ClearData();
        for (auto& item : items)
            store.AddData(&item, 0);
        benchmark::DoNotOptimize(store.GetCheckedCount());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AddData)->Arg(kFillCount)->Unit(benchmark::kMillisecond);

void BM_UpdateCheckedCountBySearch(benchmark::State& state)
{
    auto items = makeItems(static_cast<size_t>(state.range(0)));
    BenchGetter getter(items);
    TaskItem store(MMobile::MD_MESSAGE);
    store.SetDatas(&getter);
    for (unsigned int i = 0; i < store.GetDataCountEx(); i += 3)
        store.SetSearchMark(i, false);
    store.SetOnlyDeleteSelected(state.range(1) != 0);
    for (auto _ : state) {
        store.UpdateCheckedCountBySearch();
        benchmark::DoNotOptimize(store.GetCheckedCount());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_UpdateCheckedCountBySearch)
    ->Args({1000000, 0})
    ->Args({1000000, 1})
    ->ArgNames({"items", "onlyDeleted"})
    ->Unit(benchmark::kMillisecond);

// Best of several rounds of each fill, interleaved so both see the same machine load.
void printFillRatio()
{
    auto items = makeItems(kFillCount);
    BenchGetter getter(items);
    TaskItem store(MMobile::MD_CONTACT);
    using Clock = std::chrono::steady_clock;
    double bestSet = 1e30;
    double bestAdd = 1e30;
    for (int round = 0; round < 15; ++round) {
        auto t0 = Clock::now();
        store.SetDatas(&getter);
        auto t1 = Clock::now();
        store.ClearData();
        for (auto& item : items)
            store.AddData(&item, 0);
        auto t2 = Clock::now();
        bestSet = std::min(bestSet, std::chrono::duration<double, std::milli>(t1 - t0).count());
        bestAdd = std::min(bestAdd, std::chrono::duration<double, std::milli>(t2 - t1).count());
    }
    std::printf("fill of %zu items: SetDatas %.3f ms, AddData %.3f ms, ratio AddData/SetDatas "
                "%.2f (limit 3.00)\n",
                kFillCount, bestSet, bestAdd, bestAdd / bestSet);
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printFillRatio();
    return 0;
}
