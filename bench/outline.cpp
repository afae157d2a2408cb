// The outline's cost: a grouped list report (a group of ten records, its
// header a line of its own) on about 3,000 pages, one pass, generated to the
// null device with the outline switched off (0) and on with page nodes (1).
// Every page is kept, as the preview's page cache keeps them, so that the
// peak memory shows what the pages' outlines hold.
//   build/bench/bench_outline --benchmark_filter=Outline/0   (then Outline/1)
// Run each in a process of its own for the memory figure. The SQLite file
// is made once under /tmp.

#include "bench/bench_support.h"
#include "gui_benchmark_main.h"

#include "components/db_text.h"
#include "document/group.h"
#include "document/page_def.h"
#include "document/printer_setup.h"
#include "document/report.h"
#include "engine/db_pipeline.h"
#include "engine/engine.h"
#include "output/draw_other.h"
#include "output/page.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <algorithm>
#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

using namespace orvane;

namespace {

using orvane::bench::THost;

using orvane::bench::PeakMemoryMb;

const char* const kFile = "/tmp/orvane_bench_outline.sqlite";
constexpr int kRecords = 93000;  // 3,000 pages below

void EnsureFile()
{
    const QString file = QString::fromLatin1(kFile);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench.outline"));
        db.setDatabaseName(file);
        db.open();
        QSqlQuery q(db);
        if (!(q.exec(QStringLiteral("SELECT COUNT(*) FROM orders")) && q.next() && q.value(0).toInt() == kRecords)) {
            q.exec(QStringLiteral("DROP TABLE IF EXISTS orders"));
            q.exec(QStringLiteral("CREATE TABLE orders (id INTEGER, grp INTEGER, name VARCHAR(30), amount REAL)"));
            q.exec(QStringLiteral("BEGIN"));
            q.prepare(QStringLiteral("INSERT INTO orders VALUES (?, ?, ?, ?)"));
            for (int i = 1; i <= kRecords; ++i) {
                q.bindValue(0, i);
                q.bindValue(1, (i - 1) / 10);
                q.bindValue(2, QStringLiteral("Customer %1").arg(i));
                q.bindValue(3, i * 1.25);
                q.exec();
            }
            QSqlQuery(db).exec(QStringLiteral("COMMIT"));
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench.outline"));
}

struct GroupedReport {
    THost host;
    TjxReport* report = nullptr;
    std::vector<std::unique_ptr<TjxPage>> pages;

    explicit GroupedReport(bool outline)
    {
        report = orvane::bench::NewA4Report(host, QStringLiteral("rptGroups"));
        report->SetPassSetting(psOnePass);
        report->OutlineSettings()->SetEnabled(outline);
        auto* pipeline = new TjxDBPipeline(&host);
        pipeline->SetName(QStringLiteral("plOrders"));
        pipeline->SetDatabaseName(QString::fromLatin1(kFile));
        pipeline->SetSQL(QStringLiteral("SELECT * FROM orders ORDER BY id"));
        report->SetDataPipeline(pipeline);

        auto text = [&](TjxBand* band, const char* field, int left) {
            auto* t = new TjxDBText(&host);
            t->SetName(report->GetValidName(t));
            t->SetParentComponent(band);
            t->SetDataPipeline(pipeline);
            t->SetDataField(QString::fromLatin1(field));
            t->SetBounds(left, 0, 4500, 44000);
        };
        TjxBand* detail = report->CreateBand(btDetail);
        detail->SetmmHeight(8000);
        text(detail, "id", 0);
        text(detail, "name", 45000);
        text(detail, "amount", 90000);
        auto* group = new TjxGroup(&host);
        group->SetName(QStringLiteral("grpTen"));
        group->SetReport(report);
        group->SetBreakName(QStringLiteral("grp"));
        group->SetDataPipelineName(QStringLiteral("plOrders"));
        report->EnsureBands();
        group->HeaderBand()->SetmmHeight(8000);
        group->FooterBand()->SetmmHeight(0);
        text(group->HeaderBand(), "grp", 0);
        report->Engine()->OnAfterSendPage = [this](TjxPage& page) {
            auto copy = std::make_unique<TjxPage>();
            copy->Assign(&page);
            pages.push_back(std::move(copy));
        };
    }
};

void BM_Outline(benchmark::State& state)
{
    EnsureFile();
    const bool outline = state.range(0) != 0;
    size_t pages = 0;
    int lastPageNodes = 0;
    for (auto _ : state) {
        // Only generation is timed: building and freeing the report and its pages are not.
        state.PauseTiming();
        auto run = std::make_unique<GroupedReport>(outline);
        TjxPageRequest request;
        request.SetPageSetting(psAll);
        state.ResumeTiming();
        run->report->Engine()->Generate(request);
        state.PauseTiming();
        pages = run->pages.size();
        if (outline && !run->pages.empty())
            lastPageNodes = run->pages.back()->OutlineDrawCommand()->NodeCount();
        run.reset();
        state.ResumeTiming();
    }
    state.counters["pages"] = double(pages);
    state.counters["nodes_on_last_page"] = lastPageNodes;
    state.counters["peak_rss_mb"] = double(PeakMemoryMb());
}

// Shared machines are noisy: the fastest repetition is the figure to compare.
BENCHMARK(BM_Outline)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(7)
    ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) { return RunGuiBenchmarks(argc, argv); }
