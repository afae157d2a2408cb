// A list report on an SQLite file run through the engine: a page header with a
// title, a detail line of four fields (integer id, name, date, amount with a
// display format), a page footer with the page number; two passes, no page
// cache in the publisher. Pages per second to the null device, the archive
// device and PDF, the time to the first page and the process's peak memory.
//   scripts/bench --benchmark_filter=Engine
// The SQLite file is made once under /tmp.

#include "bench/list_report.h"
#include "gui_benchmark_main.h"

#include "engine/db_pipeline.h"
#include "output/device_registry.h"
#include "output/page.h"
#include "output/publisher.h"
#include "output/stream_device.h"

#include <QDir>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

using namespace orvane;

namespace {

using orvane::bench::THost;

using orvane::bench::PeakMemoryMb;

// Default margins, a detail line of 8 mm: 33 rows a page, 3,031 pages for all the orders.
struct ListReport {
    THost host;
    TjxReport* report = nullptr;

    explicit ListReport(int records)
    {
        auto* pipeline = new TjxDBPipeline(&host);
        pipeline->SetName(QStringLiteral("plOrders"));
        pipeline->SetDatabaseName(QString::fromLatin1(orvane::bench::kOrdersFile));
        pipeline->SetSQL(QStringLiteral("SELECT * FROM orders WHERE id <= :last ORDER BY id"));
        pipeline->SetParam(QStringLiteral("last"), records);
        report = orvane::bench::NewListReport(host, pipeline, orvane::bench::TListLayout{});
    }
};

// Runs the report once to a device made by name (files under /tmp).
void RunTo(benchmark::State& state, const QString& deviceName)
{
    orvane::bench::EnsureOrdersFile();
    const int records = int(state.range(0));
    int pages = 0;
    double firstPageMs = 0;
    for (auto _ : state) {
        ListReport list(records);
        std::unique_ptr<TjxDevice> device(CreateDevice(deviceName));
        if (auto* file = dynamic_cast<TjxFileDevice*>(device.get()))
            file->SetFileName(QDir::temp().filePath(QStringLiteral("orvane_bench_engine.%1").arg(file->DefaultExt())));
        QElapsedTimer clock;
        bool first = true;
        pages = 0;
        device->ReceivePageHandler = [&](TjxDevice* d, TjxPage* page) {
            if (!page->Final())
                return;
            ++pages;
            if (first) {
                firstPageMs = double(clock.nsecsElapsed()) / 1e6;
                first = false;
            }
        };
        device->SetPublisher(list.report->Publisher());
        clock.start();
        list.report->Generate();
        device->SetPublisher(nullptr);
    }
    state.counters["pages"] = pages;
    state.counters["pages_per_s"] = benchmark::Counter(double(pages) * double(state.iterations()),
                                                      benchmark::Counter::kIsRate);
    state.counters["first_page_ms"] = firstPageMs;
    state.counters["peak_rss_mb"] = double(PeakMemoryMb());
}

void BM_EngineNull(benchmark::State& state) { RunTo(state, QStringLiteral("Null")); }
void BM_EngineArchive(benchmark::State& state) { RunTo(state, QStringLiteral("ArchiveFile")); }
void BM_EnginePdf(benchmark::State& state) { RunTo(state, QStringLiteral("PDFFile")); }

BENCHMARK(BM_EngineNull)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_EngineArchive)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_EnginePdf)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) { return RunGuiBenchmarks(argc, argv); }
