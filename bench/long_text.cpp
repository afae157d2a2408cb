// Texts of megabytes from an SQLite file: a stretching DBMemo over a 10 MB
// field of words and lines, a DBText over the same field, and a DBMemo over
// one word of 5 MB. Each runs once to the null device and to PDF; the time,
// the pages and the peak memory of the run (the process's high-water mark,
// reset before each run) are printed.
//   scripts/bench --benchmark_filter=LongText
// The SQLite file is made once under /tmp.

#include "bench/bench_support.h"
#include "gui_benchmark_main.h"

#include "components/db_memo.h"
#include "components/db_text.h"
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
#include <QFile>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <benchmark/benchmark.h>

using namespace orvane;

namespace {

using orvane::bench::THost;

const char* const kFile = "/tmp/orvane_bench_long_text.sqlite";
constexpr qsizetype kBodySize = 10 * 1024 * 1024;
constexpr qsizetype kWordSize = 5 * 1024 * 1024;

// Words of a vocabulary of some thousand, in lines of varying length, with
// now and then an empty line: a long letter rather than one word repeated.
QString Body()
{
    QRandomGenerator random(20240601);
    QStringList vocabulary;
    for (int i = 0; i < 5000; ++i) {
        QString word;
        const int length = 1 + int(random.bounded(11u));
        for (int k = 0; k < length; ++k)
            word += QChar(u'a' + int(random.bounded(26u)));
        vocabulary << word;
    }
    QString body;
    body.reserve(kBodySize + 200);
    while (body.size() < kBodySize) {
        body += vocabulary[int(random.bounded(5000u))];
        if (random.bounded(40u) == 0)
            body += random.bounded(4u) == 0 ? QStringLiteral("\r\n\r\n") : QStringLiteral("\r\n");
        else
            body += u' ';
    }
    return body;
}

void EnsureFile()
{
    const QString file = QString::fromLatin1(kFile);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench.long"));
        db.setDatabaseName(file);
        db.open();
        QSqlQuery q(db);
        if (!(q.exec(QStringLiteral("SELECT length(body), length(word) FROM texts")) && q.next() &&
              q.value(0).toLongLong() >= kBodySize && q.value(1).toLongLong() == kWordSize)) {
            q.exec(QStringLiteral("DROP TABLE IF EXISTS texts"));
            q.exec(QStringLiteral("CREATE TABLE texts (id INTEGER, body TEXT, word TEXT)"));
            q.prepare(QStringLiteral("INSERT INTO texts VALUES (1, ?, ?)"));
            q.addBindValue(Body());
            q.addBindValue(QString(kWordSize, u'w'));
            q.exec();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench.long"));
}

// The process's peak memory since the last reset, in MB.
long PeakMemoryMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong() / 1024;
    return -1;
}

void ResetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

enum TKind { kMemo, kDBText, kWord };

// One record; the component fills the printable width of an A4 page.
struct LongTextReport {
    THost host;
    TjxReport* report = nullptr;

    explicit LongTextReport(TKind kind)
    {
        report = orvane::bench::NewA4Report(host, QStringLiteral("rptLong"));
        auto* pipeline = new TjxDBPipeline(&host);
        pipeline->SetName(QStringLiteral("plTexts"));
        pipeline->SetDatabaseName(QString::fromLatin1(kFile));
        pipeline->SetTableName(QStringLiteral("texts"));
        report->SetDataPipeline(pipeline);

        TjxBand* detail = report->CreateBand(btDetail);
        detail->SetmmHeight(20000);
        detail->SetPrintHeight(phDynamic);
        if (kind == kDBText) {
            auto* text = new TjxDBText(&host);
            text->SetName(QStringLiteral("txtBody"));
            text->SetParentComponent(detail);
            text->SetDataPipeline(pipeline);
            text->SetDataField(QStringLiteral("body"));
            text->SetBounds(0, 0, 5000, 190000);
            return;
        }
        auto* memo = new TjxDBMemo(&host);
        memo->SetName(QStringLiteral("memBody"));
        memo->SetParentComponent(detail);
        memo->SetDataPipeline(pipeline);
        memo->SetDataField(QString::fromLatin1(kind == kWord ? "word" : "body"));
        memo->SetBounds(0, 0, 20000, 190000);
        memo->SetStretch(true);
    }
};

void RunTo(benchmark::State& state, TKind kind, const QString& deviceName)
{
    EnsureFile();
    int pages = 0;
    long peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ResetPeakMemory();
        {
            LongTextReport run(kind);
            std::unique_ptr<TjxDevice> device(CreateDevice(deviceName));
            if (auto* file = dynamic_cast<TjxFileDevice*>(device.get()))
                file->SetFileName(
                    QDir::temp().filePath(QStringLiteral("orvane_bench_long_text.%1").arg(file->DefaultExt())));
            pages = 0;
            device->ReceivePageHandler = [&](TjxDevice*, TjxPage* page) {
                if (page->Final())
                    ++pages;
            };
            device->SetPublisher(run.report->Publisher());
            state.ResumeTiming();
            run.report->Generate();
            state.PauseTiming();
            device->SetPublisher(nullptr);
        }
        peak = PeakMemoryMb();
        state.ResumeTiming();
    }
    state.counters["pages"] = pages;
    state.counters["peak_rss_mb"] = double(peak);
}

void BM_LongTextMemoNull(benchmark::State& s) { RunTo(s, kMemo, QStringLiteral("Null")); }
void BM_LongTextMemoPdf(benchmark::State& s) { RunTo(s, kMemo, QStringLiteral("PDFFile")); }
void BM_LongTextDBTextNull(benchmark::State& s) { RunTo(s, kDBText, QStringLiteral("Null")); }
void BM_LongTextDBTextPdf(benchmark::State& s) { RunTo(s, kDBText, QStringLiteral("PDFFile")); }
void BM_LongTextWordNull(benchmark::State& s) { RunTo(s, kWord, QStringLiteral("Null")); }
void BM_LongTextWordPdf(benchmark::State& s) { RunTo(s, kWord, QStringLiteral("PDFFile")); }

BENCHMARK(BM_LongTextMemoNull)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LongTextMemoPdf)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LongTextDBTextNull)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LongTextDBTextPdf)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LongTextWordNull)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LongTextWordPdf)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) { return RunGuiBenchmarks(argc, argv); }
