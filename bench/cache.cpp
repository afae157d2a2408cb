// The page cache: saving and then restoring 3,000 pages of 40 cacheables,
// in memory and in temporary files.
//   build/bench/bench_cache

#include "document/cacheable.h"
#include "engine/cache_manager.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace orvane;

namespace {

constexpr int kPages = 3000;
constexpr int kCacheables = 40;

// About the size of a text component's record: a few numbers and a short text.
class TBenchCacheable : public TjxCacheable {
public:
    qint32 number = 0;
    qint32 position[4] = {};
    QString text;

protected:
    void WriteState(QDataStream& stream) const override
    {
        stream << number << position[0] << position[1] << position[2] << position[3] << text;
    }
    void ReadState(QDataStream& stream) override
    {
        stream >> number >> position[0] >> position[1] >> position[2] >> position[3] >> text;
    }
};

struct TBenchSet {
    std::vector<std::unique_ptr<TBenchCacheable>> owned;
    std::vector<TjxCacheable*> list;
    TBenchSet()
    {
        for (int i = 0; i < kCacheables; ++i) {
            owned.push_back(std::make_unique<TBenchCacheable>());
            list.push_back(owned.back().get());
        }
    }
    void Step(int page)
    {
        for (auto& c : owned) {
            c->number = page;
            c->position[1] = page * 7;
            c->text = QStringLiteral("Customer %1").arg(page);
        }
    }
};

void Run(benchmark::State& state, bool files)
{
    TBenchSet set;
    qint64 bytes = 0;
    for (auto _ : state) {
        TjxCacheManager manager;
        if (files)
            manager.SetMemoryLimit(0);
        manager.Attach(set.list);
        for (int page = 0; page < kPages; ++page) {
            set.Step(page);
            manager.SavePage(page);
        }
        for (int page = 0; page < kPages; ++page)
            manager.RestorePage(page);
        benchmark::DoNotOptimize(set.owned.front()->number);
        bytes = qint64(set.owned.front()->SaveState().size()) * kCacheables * kPages;
    }
    state.counters["pages/s"] =
        benchmark::Counter(double(2 * kPages) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["record bytes"] = double(bytes);
}

void BM_CacheMemory(benchmark::State& state) { Run(state, false); }
void BM_CacheFiles(benchmark::State& state) { Run(state, true); }

BENCHMARK(BM_CacheMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CacheFiles)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
