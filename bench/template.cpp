// Saving and loading a report template with 1,000 labels, binary and text;
// loading reports of 1,000 to 10,000 labels spread over their bands, stored
// without user names so that every label takes its default one on loading
// (the time per component must stay flat as the report grows).
//   scripts/bench --benchmark_filter=Template

#include "bench/bench_support.h"
#include "gui_benchmark_main.h"

#include "components/label.h"
#include "document/report.h"
#include "document/report_template.h"

#include <QBuffer>
#include <QRegularExpression>

#include <benchmark/benchmark.h>

using namespace orvane;

namespace {

using orvane::bench::THost;

struct Layout {
    THost host;
    TjxReport* report;

    Layout()
    {
        report = new TjxReport(&host);
        report->SetName(QStringLiteral("rptBench"));
        report->EnsureBands();
        TjxBand* header = report->FindBand(btHeader);
        for (int i = 0; i < 1000; ++i) {
            auto* label = new TjxLabel(&host);
            label->SetName(QStringLiteral("jxLabel%1").arg(i + 1));
            label->SetParent(header);
            label->SetCaption(QStringLiteral("Caption %1").arg(i));
            label->SetmmLeft(1000 * (i % 20));
            label->SetmmTop(5000 * (i / 20));
        }
    }
};

void Save(benchmark::State& state, TjxFormatType format)
{
    Layout layout;
    layout.report->Template()->SetFormat(format);
    qsizetype size = 0;
    for (auto _ : state) {
        QByteArray bytes = layout.report->Template()->WriteTemplate();
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.counters["bytes"] = double(size);
}

void Load(benchmark::State& state, TjxFormatType format)
{
    Layout layout;
    layout.report->Template()->SetFormat(format);
    QByteArray bytes = layout.report->Template()->WriteTemplate();
    for (auto _ : state) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        layout.report->Template()->LoadFromStream(buffer);
    }
}

// Labels in all of a report's bands, their user names left out of the text form.
QByteArray UnnamedLabels(THost& host, int count)
{
    auto* report = new TjxReport(&host);
    report->SetName(QStringLiteral("rptUnnamed"));
    report->EnsureBands();
    std::vector<TjxBand*> bands;
    for (TjxBandType type : {btTitle, btHeader, btDetail, btFooter, btSummary})
        bands.push_back(report->FindBand(type) ? report->FindBand(type) : report->CreateBand(type));
    for (int i = 0; i < count; ++i) {
        auto* label = new TjxLabel(&host);
        label->SetName(QStringLiteral("jxLabel%1").arg(i + 1));
        label->SetParent(bands[size_t(i) % bands.size()]);
        label->SetCaption(QStringLiteral("Caption %1").arg(i));
        label->SetmmLeft(1000 * (i % 20));
        label->SetmmTop(5000 * (i / 20 % 40));
    }
    report->Template()->SetFormat(ftASCII);
    QString text = QString::fromLatin1(report->Template()->WriteTemplate());
    text.remove(QRegularExpression(QStringLiteral("\\n *UserName = '[^']*'")));
    return text.toLatin1();
}

void BM_TemplateLoadUnnamed(benchmark::State& state)
{
    const int count = int(state.range(0));
    THost source;
    const QByteArray bytes = UnnamedLabels(source, count);
    for (auto _ : state) {
        state.PauseTiming();
        {
            THost host;
            auto* report = new TjxReport(&host);
            report->SetName(QStringLiteral("rptUnnamed"));
            QBuffer buffer(const_cast<QByteArray*>(&bytes));
            buffer.open(QIODevice::ReadOnly);
            state.ResumeTiming();
            report->Template()->LoadFromStream(buffer);
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    state.counters["components"] = count;
    // Seconds per component loaded.
    state.counters["per_component"] =
        benchmark::Counter(double(count) * double(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_TemplateSaveBinary(benchmark::State& s) { Save(s, ftBinary); }
void BM_TemplateSaveText(benchmark::State& s) { Save(s, ftASCII); }
void BM_TemplateLoadBinary(benchmark::State& s) { Load(s, ftBinary); }
void BM_TemplateLoadText(benchmark::State& s) { Load(s, ftASCII); }

BENCHMARK(BM_TemplateSaveBinary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TemplateSaveText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TemplateLoadBinary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TemplateLoadText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TemplateLoadUnnamed)->Arg(1000)->Arg(2000)->Arg(4000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return RunGuiBenchmarks(argc, argv); }
