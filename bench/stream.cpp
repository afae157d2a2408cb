// Writing and reading a report-like tree of 10,000 components with 10
// properties each, in binary and text form.
//   scripts/bench --benchmark_filter=Stream

#include "document/class_registry.h"
#include "document/graphic_objects.h"
#include "document/relative.h"
#include "document/stream_reader.h"
#include "document/stream_text.h"
#include "document/stream_writer.h"

#include <benchmark/benchmark.h>

using namespace orvane;

namespace {

class TBenchForm : public TComponent {
    ORVANE_CLASS(TBenchForm, TComponent)
public:
    explicit TBenchForm(TComponent* owner = nullptr) : TComponent(owner) {}
    void GetChildren(const TGetChildProc& proc, TComponent*) const override
    {
        for (int i = 0; i < ComponentCount(); ++i)
            if (!Components(i)->HasParent())
                proc(Components(i));
    }
};

class TjxBenchItem : public TjxRelative {
    ORVANE_CLASS(TjxBenchItem, TjxRelative)
public:
    explicit TjxBenchItem(TComponent* owner = nullptr) : TjxRelative(owner) {}
    QString caption;
    int left = 0, top = 0, width = 0, height = 0;
    double weight = 0;
    bool transparent = false;
    uint8_t alignment = 0;
    TFont font;
};

const TClassInfo& TBenchForm::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TBenchForm>("TBenchForm", &TComponent::StaticClass()).Creatable().Build();
    return info;
}

const TClassInfo& TjxBenchItem::StaticClass()
{
    using T = TjxBenchItem;
    static const TClassInfo info =
        TClassBuilder<T>("TjxBenchItem", &TjxRelative::StaticClass())
            .Creatable()
            .Prop("UserName", StringType(), &T::UserName, &T::SetUserName)
            .Prop("Caption", StringType(), [](const T& o) { return o.caption; }, [](T& o, const QString& v) { o.caption = v; })
            .Prop("mmLeft", IntegerType(), [](const T& o) { return o.left; }, [](T& o, int v) { o.left = v; }).Default(0)
            .Prop("mmTop", IntegerType(), [](const T& o) { return o.top; }, [](T& o, int v) { o.top = v; }).Default(0)
            .Prop("mmWidth", IntegerType(), [](const T& o) { return o.width; }, [](T& o, int v) { o.width = v; }).Default(0)
            .Prop("mmHeight", IntegerType(), [](const T& o) { return o.height; }, [](T& o, int v) { o.height = v; }).Default(0)
            .Prop("Weight", FloatType(), [](const T& o) { return o.weight; }, [](T& o, double v) { o.weight = v; })
            .Prop("Transparent", BooleanType(), [](const T& o) { return o.transparent; }, [](T& o, bool v) { o.transparent = v; }).Default(0)
            .Prop("Alignment", EnumType("TBenchAlignment", {"taLeftJustify", "taRightJustify", "taCenter"}),
                  [](const T& o) { return o.alignment; }, [](T& o, uint8_t v) { o.alignment = v; }).Default(0)
            .Prop("Font", ClassType(), [](const T& o) { return &o.font; }, [](T& o, TFont* f) { o.font.Assign(f); })
            .Build();
    return info;
}

ORVANE_REGISTER_CLASS(TBenchForm);
ORVANE_REGISTER_CLASS(TjxBenchItem);

constexpr int kBands = 100;
constexpr int kPerBand = 99;  // 100 bands + 9,900 children = 10,000 components

void BuildTree(TBenchForm& form)
{
    form.SetName(QStringLiteral("Form1"));
    int n = 0;
    for (int b = 0; b < kBands; ++b) {
        auto* band = new TjxBenchItem(&form);
        band->SetName(QStringLiteral("jxBand%1").arg(b + 1));
        band->height = 25400;
        for (int i = 0; i < kPerBand; ++i) {
            auto* item = new TjxBenchItem(&form);
            item->SetName(QStringLiteral("jxLabel%1").arg(++n));
            item->caption = QStringLiteral("Label caption %1").arg(n);
            item->left = 1000 * i;
            item->top = 500 * (i % 7);
            item->width = 30000;
            item->height = 4233;
            item->weight = 0.75;
            item->transparent = true;
            item->alignment = uint8_t(i % 3);
            item->font.SetName(QStringLiteral("Arial"));
            item->font.SetSize(10);
            item->SetParent(band);
        }
    }
}

void Report(benchmark::State& state, qsizetype bytes)
{
    state.counters["components/s"] = benchmark::Counter(double(kBands * (kPerBand + 1)), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["MB/s"] = benchmark::Counter(double(bytes) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_StreamWriteBinary(benchmark::State& state)
{
    TBenchForm form;
    BuildTree(form);
    QByteArray out;
    for (auto _ : state) {
        out.clear();
        TWriter writer(out);
        writer.WriteDescendent(&form);
        benchmark::DoNotOptimize(out.data());
    }
    Report(state, out.size());
}

void BM_StreamReadBinary(benchmark::State& state)
{
    TBenchForm source;
    BuildTree(source);
    const QByteArray bytes = WriteComponentToBytes(&source, &source);
    for (auto _ : state) {
        TBenchForm form;
        TReader reader(bytes);
        reader.ReadRootComponent(&form);
        benchmark::DoNotOptimize(form.ComponentCount());
        state.PauseTiming();
        form.DestroyComponents();
        state.ResumeTiming();
    }
    Report(state, bytes.size());
}

void BM_StreamWriteText(benchmark::State& state)
{
    TBenchForm form;
    BuildTree(form);
    QByteArray text;
    for (auto _ : state) {
        QByteArray binary;
        TWriter writer(binary);
        writer.WriteDescendent(&form);
        ObjectBinaryToText(binary, text);
        benchmark::DoNotOptimize(text.data());
    }
    Report(state, text.size());
}

void BM_StreamReadText(benchmark::State& state)
{
    TBenchForm source;
    BuildTree(source);
    QByteArray text;
    ObjectBinaryToText(WriteComponentToBytes(&source, &source), text);
    for (auto _ : state) {
        QByteArray binary;
        ObjectTextToBinary(text, binary);
        TBenchForm form;
        TReader reader(binary);
        reader.ReadRootComponent(&form);
        benchmark::DoNotOptimize(form.ComponentCount());
        state.PauseTiming();
        form.DestroyComponents();
        state.ResumeTiming();
    }
    Report(state, text.size());
}

BENCHMARK(BM_StreamWriteBinary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StreamReadBinary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StreamWriteText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StreamReadText)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
