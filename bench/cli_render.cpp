// orvane-cli render --to png as a user runs it: a list report of three items
// to an A4 page, 500, 2,000 and 5,000 pages at 96 dpi. Pages per second and
// the peak memory of the orvane-cli process, which must not grow with the
// number of pages (each page image is written when it is drawn).
//   scripts/bench --benchmark_filter=CliRender
// The SQLite file and the template are made once under /tmp.

#include "bench/cli_run.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

const char* const kData = "/tmp/orvane_bench_cli.sqlite";
const char* const kTemplate = "/tmp/orvane_bench_cli.rtm";
constexpr int kItemsPerPage = 3;
constexpr int kMaxPages = 5000;

void EnsureFiles()
{
    const QString connection = QStringLiteral("bench.cli");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(QString::fromLatin1(kData));
        db.open();
        QSqlQuery q(db);
        if (!(q.exec(QStringLiteral("SELECT COUNT(*) FROM items")) && q.next() &&
              q.value(0).toInt() == kMaxPages * kItemsPerPage)) {
            q.exec(QStringLiteral("DROP TABLE IF EXISTS items"));
            q.exec(QStringLiteral("CREATE TABLE items (id INTEGER, name TEXT)"));
            db.transaction();
            q.prepare(QStringLiteral("INSERT INTO items VALUES (?, ?)"));
            for (int i = 1; i <= kMaxPages * kItemsPerPage; ++i) {
                q.addBindValue(i);
                q.addBindValue(QStringLiteral("Item %1").arg(i));
                q.exec();
            }
            db.commit();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    QFile f(QString::fromLatin1(kTemplate));
    f.open(QIODevice::WriteOnly);
    f.write("object rptList: TjxReport\r\n"
            "  DataPipelineName = 'plItems'\r\n"
            "  PrinterSetup.mmMarginBottom = 13500\r\n"
            "  PrinterSetup.mmMarginTop = 13500\r\n"
            "  PrinterSetup.mmPaperHeight = 297000\r\n"
            "  PrinterSetup.mmPaperWidth = 210000\r\n"
            "  Version = '9.01'\r\n"
            "  object jxDetailBand1: TjxDetailBand\r\n"
            "    mmHeight = 90000\r\n"
            "    object jxDBText1: TjxDBText\r\n"
            "      DataField = 'name'\r\n"
            "      DataPipelineName = 'plItems'\r\n"
            "      mmHeight = 5000\r\n"
            "      mmWidth = 40000\r\n"
            "    end\r\n"
            "  end\r\n"
            "end\r\n");
}

void BM_CliRenderPng(benchmark::State& state)
{
    EnsureFiles();
    const int pages = int(state.range(0));
    double peakMb = 0;
    for (auto _ : state) {
        QTemporaryDir out;
        const orvane::bench::TCliRun run = orvane::bench::RunCli(
            ORVANE_CLI, {QStringLiteral("render"), QString::fromLatin1(kTemplate), QStringLiteral("--db"),
                 QString::fromLatin1(kData), QStringLiteral("--to"), QStringLiteral("png"), QStringLiteral("--pages"),
                 QStringLiteral("1-%1").arg(pages), QStringLiteral("-o"), out.filePath(QStringLiteral("page.png"))});
        peakMb = run.peakMb;
        if (run.exitCode != 0)
            state.SkipWithError("orvane-cli failed");
    }
    state.counters["pages"] = pages;
    state.counters["pages_per_s"] =
        benchmark::Counter(double(pages) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["cli_peak_rss_mb"] = peakMb;
}

BENCHMARK(BM_CliRenderPng)->Arg(500)->Arg(2000)->Arg(5000)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
