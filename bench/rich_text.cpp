// Rich text to PDF: one stretching rich text of 62 pages and one of about
// 100, and a mail merge of 500 letters from an SQLite table. Each runs once; the time, the
// number of pages are printed.
//   scripts/bench --benchmark_filter=RichText
// The SQLite file is made once under /tmp.

#include "bench/bench_support.h"
#include "gui_benchmark_main.h"

#include "components/rich_text.h"
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
#include <QSqlDatabase>
#include <QSqlQuery>

#include <benchmark/benchmark.h>

using namespace orvane;

namespace {

using orvane::bench::THost;

const char* const kFile = "/tmp/orvane_bench_rich_text.sqlite";

void EnsureFile()
{
    const QString file = QString::fromLatin1(kFile);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench.rich"));
        db.setDatabaseName(file);
        db.open();
        QSqlQuery q(db);
        if (!(q.exec(QStringLiteral("SELECT count(*) FROM letters")) && q.next() && q.value(0).toInt() == 500)) {
            q.exec(QStringLiteral("DROP TABLE IF EXISTS letters"));
            q.exec(QStringLiteral("CREATE TABLE letters (name TEXT, city TEXT, amount REAL)"));
            db.transaction();
            q.prepare(QStringLiteral("INSERT INTO letters VALUES (?, ?, ?)"));
            for (int i = 1; i <= 500; ++i) {
                q.addBindValue(QStringLiteral("Client %1").arg(i));
                q.addBindValue(QStringLiteral("City %1").arg(i % 37));
                q.addBindValue(i * 17.35);
                q.exec();
            }
            db.commit();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench.rich"));
}

// Formatted paragraphs: 1500 fill 62 A4 pages.
QString LongDocument(int paragraphs)
{
    QString rtf = QStringLiteral("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1 Times New Roman;}}"
                                 "{\\colortbl;\\red200\\green0\\blue0;}\\f0\\fs20 ");
    for (int i = 0; i < paragraphs; ++i) {
        rtf += QStringLiteral("\\pard%1 Paragraph %2: ").arg(i % 4 == 0 ? u"\\qj\\li360"_qs : QString()).arg(i);
        for (int w = 0; w < 30 + i % 20; ++w)
            rtf += w % 9 == 4 ? QStringLiteral("{\\b\\cf1 strong} ") : (w % 7 == 3 ? u"{\\f1\\i slanted} "_qs : u"words "_qs);
        rtf += QStringLiteral("\\par\n");
    }
    return rtf + u'}';
}

const QString kLetter = QStringLiteral(
    "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs22 {\\b Dear <name>,}\\par\\par "
    "this letter goes to <city>. Your balance is <DBTEXT displayformat='#,##0.00'>amount</DBTEXT>. "
    "We thank you for your custom and remain, with kind regards,\\par\\par your bank\\par}");

struct RichReport {
    THost host;
    TjxReport* report = nullptr;
    TjxRichText* rich = nullptr;

    RichReport(bool merge, int paragraphs)
    {
        report = orvane::bench::NewA4Report(host, QStringLiteral("rptRich"));
        if (merge) {
            auto* pipeline = new TjxDBPipeline(&host);
            pipeline->SetName(QStringLiteral("plLetters"));
            pipeline->SetDatabaseName(QString::fromLatin1(kFile));
            pipeline->SetTableName(QStringLiteral("letters"));
            report->SetDataPipeline(pipeline);
        }
        TjxBand* detail = report->CreateBand(btDetail);
        detail->SetmmHeight(20000);
        detail->SetPrintHeight(phDynamic);
        rich = new TjxRichText(&host);
        rich->SetName(QStringLiteral("rtBody"));
        rich->SetBand(detail);
        rich->SetBounds(0, 0, 20000, 190000);
        rich->SetStretch(true);
        rich->SetMailMerge(merge);
        rich->SetRichText(merge ? kLetter : LongDocument(paragraphs));
    }
};

void RunToPdf(benchmark::State& state, bool merge, int paragraphs = 0)
{
    EnsureFile();
    int pages = 0;
    for (auto _ : state) {
        state.PauseTiming();
        RichReport run(merge, paragraphs);
        std::unique_ptr<TjxDevice> device(CreateDevice(QStringLiteral("PDFFile")));
        if (auto* file = dynamic_cast<TjxFileDevice*>(device.get()))
            file->SetFileName(QDir::temp().filePath(QStringLiteral("orvane_bench_rich_text.pdf")));
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
        state.ResumeTiming();
    }
    state.counters["pages"] = pages;
}

void BM_RichTextLongDocumentPdf(benchmark::State& s) { RunToPdf(s, false, 1500); }
void BM_RichTextHundredPagesPdf(benchmark::State& s) { RunToPdf(s, false, 2420); }
void BM_RichTextMailMergePdf(benchmark::State& s) { RunToPdf(s, true); }

BENCHMARK(BM_RichTextLongDocumentPdf)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_RichTextHundredPagesPdf)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_RichTextMailMergePdf)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) { return RunGuiBenchmarks(argc, argv); }
