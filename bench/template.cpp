// Saving and loading a report template with 1,000 labels, binary and text.
//   scripts/bench --benchmark_filter=Template

#include "gui_benchmark_main.h"

#include "components/label.h"
#include "document/report.h"
#include "document/report_template.h"

#include <QBuffer>

#include <benchmark/benchmark.h>

using namespace orvane;

namespace {

class THost : public TComponent {
public:
    THost() = default;
};

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

void BM_TemplateSaveBinary(benchmark::State& s) { Save(s, ftBinary); }
void BM_TemplateSaveText(benchmark::State& s) { Save(s, ftASCII); }
void BM_TemplateLoadBinary(benchmark::State& s) { Load(s, ftBinary); }
void BM_TemplateLoadText(benchmark::State& s) { Load(s, ftASCII); }

BENCHMARK(BM_TemplateSaveBinary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TemplateSaveText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TemplateLoadBinary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TemplateLoadText)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return RunGuiBenchmarks(argc, argv); }
