// Whole orvane-cli render runs of the side-by-side list report: A4, a title
// header, four fields a row, 51 rows a page, a page-number footer; 100,000
// SQLite rows, 1,961 pages, to an archive and to PDF, in one pass and in two.
// Counters: the child's wall seconds, pages per second, user+system CPU
// seconds (less noisy on a shared machine), peak memory and the file's size.
// The pages are counted in the output (the archive's index, pdfinfo).
//   scripts/bench --benchmark_filter=CliList
//   build/bench/bench_cli_list --benchmark_filter=CliListPdf/passes:1
// The orders file is the engine benchmark's; the template is saved under /tmp
// by the report's own template writer before each benchmark.

#include "bench/cli_run.h"
#include "bench/list_report.h"
#include "gui_benchmark_main.h"

#include "document/errors.h"
#include "document/report_template.h"
#include "engine/db_pipeline.h"
#include "output/archive_reader.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace orvane;

namespace {

constexpr int kExpectedPages = 1961;

// 10 mm margins leave 277 mm: a 12 mm header, an 8 mm footer and 51 rows of 5 mm.
QString EnsureTemplate(TjxPassSettingType passes)
{
    bench::EnsureOrdersFile();
    const QString file = QStringLiteral("/tmp/orvane_bench_cli_list_%1pass.rtm").arg(passes == psTwoPass ? 2 : 1);
    bench::THost host;
    // Bound by orvane-cli's --db to the table of its name.
    auto* pipeline = new TjxDBPipeline(&host);
    pipeline->SetName(QStringLiteral("plOrders"));
    bench::TListLayout layout;
    layout.mmMarginTop = 10000;
    layout.mmMarginBottom = 10000;
    layout.mmDetail = 5000;
    layout.passes = passes;
    TjxReport* report = bench::NewListReport(host, pipeline, layout);
    report->Template()->SetFileName(file);
    report->Template()->SaveToFile();
    return file;
}

// The pages in the output; -1 when they cannot be counted.
int PagesIn(const QString& file, const QString& format)
{
    if (format == u"raf") {
        try {
            return TjxArchiveReader(file).PageCount();
        } catch (const EOrvaneError&) {
            return -1;
        }
    }
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {file});
    if (!info.waitForFinished(60000) || info.exitCode() != 0)
        return -1;
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption)
            .match(QString::fromLocal8Bit(info.readAllStandardOutput()));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

void Render(benchmark::State& state, const QString& format)
{
    const QString rtm = EnsureTemplate(state.range(0) == 2 ? psTwoPass : psOnePass);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    bench::TCliRun run;
    int pages = 0;
    qint64 bytes = 0;
    for (auto _ : state) {
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("list.") + format);
        run = bench::RunCli(ORVANE_CLI, {QStringLiteral("render"), rtm, QStringLiteral("--db"),
                                         QString::fromLatin1(bench::kOrdersFile), QStringLiteral("--to"), format,
                                         QStringLiteral("-o"), out});
        state.SetIterationTime(run.wallSeconds);
        if (run.exitCode != 0) {
            state.SkipWithError("orvane-cli failed");
            break;
        }
        pages = PagesIn(out, format);
        bytes = QFileInfo(out).size();
        if (pages != kExpectedPages) {
            state.SkipWithError(QStringLiteral("%1 pages, not %2").arg(pages).arg(kExpectedPages).toStdString().c_str());
            break;
        }
    }
    state.counters["pages"] = pages;
    state.counters["wall_s"] = run.wallSeconds;
    state.counters["pages_per_s"] = run.wallSeconds > 0 ? pages / run.wallSeconds : 0;
    state.counters["cpu_s"] = run.cpuSeconds;
    state.counters["cli_peak_mb"] = run.peakMb;
    state.counters["file_mb"] = double(bytes) / (1024.0 * 1024.0);
}

void BM_CliListArchive(benchmark::State& state) { Render(state, QStringLiteral("raf")); }
void BM_CliListPdf(benchmark::State& state) { Render(state, QStringLiteral("pdf")); }

BENCHMARK(BM_CliListArchive)->ArgName("passes")->Arg(1)->Arg(2)->Iterations(1)->UseManualTime()->Unit(
    benchmark::kMillisecond);
BENCHMARK(BM_CliListPdf)->ArgName("passes")->Arg(1)->Arg(2)->Iterations(1)->UseManualTime()->Unit(
    benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return RunGuiBenchmarks(argc, argv); }
