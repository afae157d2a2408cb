// A list report on an SQLite file run through the engine: a page header with a
// title, a detail line of four fields (integer id, name, date, amount with a
// display format), a page footer with the page number; two passes, no page
// cache in the publisher. Pages per second to the null device, the archive
// device and PDF, the time to the first page and the process's peak memory.
//   scripts/bench --benchmark_filter=Engine
// The SQLite file is made once under /tmp.

#include "bench/bench_support.h"
#include "gui_benchmark_main.h"

#include "components/db_text.h"
#include "components/label.h"
#include "document/page_def.h"
#include "document/printer_setup.h"
#include "document/report.h"
#include "engine/db_pipeline.h"
#include "engine/engine.h"
#include "output/device_registry.h"
#include "output/page.h"
#include "output/publisher.h"
#include "output/stream_device.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <benchmark/benchmark.h>

using namespace orvane;

namespace {

using orvane::bench::THost;

using orvane::bench::PeakMemoryMb;

const char* const kFile = "/tmp/orvane_bench_engine.sqlite";
constexpr int kMaxRecords = 100000;

void EnsureFile()
{
    const QString file = QString::fromLatin1(kFile);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench.engine"));
        db.setDatabaseName(file);
        db.open();
        QSqlQuery q(db);
        if (!(q.exec(QStringLiteral("SELECT COUNT(*) FROM orders")) && q.next() &&
              q.value(0).toInt() == kMaxRecords)) {
            q.exec(QStringLiteral("DROP TABLE IF EXISTS orders"));
            q.exec(QStringLiteral("CREATE TABLE orders (id INTEGER, name VARCHAR(30), placed DATE, amount REAL)"));
            q.exec(QStringLiteral("BEGIN"));
            q.prepare(QStringLiteral("INSERT INTO orders VALUES (?, ?, ?, ?)"));
            for (int i = 1; i <= kMaxRecords; ++i) {
                q.bindValue(0, i);
                q.bindValue(1, QStringLiteral("Customer %1").arg(i));
                q.bindValue(2, QStringLiteral("2026-%1-%2").arg(1 + i % 12, 2, 10, QChar(u'0')).arg(1 + i % 28, 2, 10,
                                                                                                        QChar(u'0')));
                q.bindValue(3, i * 1.25);
                q.exec();
            }
            QSqlQuery(db).exec(QStringLiteral("COMMIT"));
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench.engine"));
}

struct ListReport {
    THost host;
    TjxReport* report = nullptr;

    explicit ListReport(int records)
    {
        report = orvane::bench::NewA4Report(host, QStringLiteral("rptList"));
        report->SetPassSetting(psTwoPass);
        auto* pipeline = new TjxDBPipeline(&host);
        pipeline->SetName(QStringLiteral("plOrders"));
        pipeline->SetDatabaseName(QString::fromLatin1(kFile));
        pipeline->SetSQL(QStringLiteral("SELECT * FROM orders WHERE id <= :last ORDER BY id"));
        pipeline->SetParam(QStringLiteral("last"), records);
        report->SetDataPipeline(pipeline);

        TjxBand* header = report->CreateBand(btHeader);
        header->SetmmHeight(12000);
        auto* title = new TjxLabel(&host);
        title->SetName(QStringLiteral("lblTitle"));
        title->SetParentComponent(header);
        title->SetCaption(QStringLiteral("Orders"));
        title->SetBounds(0, 2000, 6000, 60000);

        TjxBand* detail = report->CreateBand(btDetail);
        detail->SetmmHeight(8000);
        const char* fields[] = {"id", "name", "placed", "amount"};
        for (int i = 0; i < 4; ++i) {
            auto* text = new TjxDBText(&host);
            text->SetName(QStringLiteral("txt%1").arg(i));
            text->SetParentComponent(detail);
            text->SetDataPipeline(pipeline);
            text->SetDataField(QString::fromLatin1(fields[i]));
            text->SetBounds(i * 45000, 0, 4500, 44000);
            if (i == 3)
                text->SetDisplayFormat(QStringLiteral("#,0.00"));
        }

        TjxBand* footer = report->CreateBand(btFooter);
        footer->SetmmHeight(8000);
        auto* pageNo = new TjxLabel(&host);
        pageNo->SetName(QStringLiteral("lblPage"));
        pageNo->SetParentComponent(footer);
        pageNo->SetBounds(150000, 1000, 5000, 40000);
        report->SetOnStartPage(TMethod{nullptr, {}, [this, pageNo](TComponent*, TjxEventParams&) {
                                           pageNo->SetCaption(QString::number(report->Engine()->AbsolutePageNo()));
                                       }});
    }
};

// Runs the report once to a device made by name (files under /tmp).
void RunTo(benchmark::State& state, const QString& deviceName)
{
    EnsureFile();
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
