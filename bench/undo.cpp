// The designer's undo on the receipt: recording, undoing and redoing 10,000
// property changes through the edit commands, and deleting the receipt's
// components one at a time with Undo re-creating each from its stream.
//   scripts/bench --benchmark_filter=Undo   (target bench_undo)

#include "gui_benchmark_main.h"

#include "app/receipt_form.h"
#include "components/component.h"
#include "designer/edit_commands.h"
#include "document/report.h"

#include <benchmark/benchmark.h>

using namespace orvane;

namespace {

struct Receipt {
    TForm1 form;
    TjxUndoManager manager;
    TjxUndoDesignerHooks hooks{&manager};
    TjxEditCommands edit{&hooks};
    std::vector<TjxComponent*> components;

    Receipt()
    {
        form.ReadDescription();
        TjxReport* report = form.Receipt();
        report->SetComponentDesigner(&hooks);
        hooks.SetCurrentReport(report);
        manager.SetEnabled(true);
        manager.SetCapacity(20000);
        for (TjxBand* band : report->Bands())
            for (int i = 0; i < band->ChildCount(); ++i)
                if (auto* c = dynamic_cast<TjxComponent*>(band->Child(i)))
                    components.push_back(c);
    }
    ~Receipt() { form.Receipt()->SetComponentDesigner(nullptr); }
};

// 10,000 changes of Top, Width or Tag (ParentWidth-free lengths and an
// integer) spread over the components; the time is per change.
void UndoRecordPropertyChanges(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        Receipt r;
        state.ResumeTiming();
        for (int i = 0; i < 10000; ++i) {
            TjxComponent* c = r.components[size_t(i) % r.components.size()];
            switch (i % 3) {
            case 0: r.edit.Move(c, c->mmLeft(), c->mmTop() + 10); break;
            case 1: r.edit.Resize(c, c->mmWidth() + 10, c->mmHeight()); break;
            default: r.edit.SetProperty(c, QStringLiteral("Tag"), QVariant::fromValue(qint64(i))); break;
            }
        }
        state.PauseTiming();
        if (r.manager.UndoCount() != 10000)
            state.SkipWithError("not one task per change");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(UndoRecordPropertyChanges)->Unit(benchmark::kMillisecond);

void UndoUndoRedoPropertyChanges(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        Receipt r;
        for (int i = 0; i < 10000; ++i) {
            TjxComponent* c = r.components[size_t(i) % r.components.size()];
            r.edit.Move(c, c->mmLeft() + 10, c->mmTop());
        }
        state.ResumeTiming();
        while (r.manager.UndoCount() > 0)
            r.edit.Undo();
        while (r.manager.RedoCount() > 0)
            r.edit.Redo();
    }
    state.SetItemsProcessed(state.iterations() * 20000);
}
BENCHMARK(UndoUndoRedoPropertyChanges)->Unit(benchmark::kMillisecond);

// 1,000 deletes of single components, each undone: the time per item is
// one delete (the stream written) plus one re-creation (the stream read).
void UndoDeleteAndRecreate(benchmark::State& state)
{
    Receipt r;
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i) {
            const size_t k = size_t(i) % r.components.size();
            const QString name = r.components[k]->Name();
            r.edit.DeleteComponents({r.components[k]});
            r.edit.Undo();
            r.components[k] = dynamic_cast<TjxComponent*>(r.form.FindComponent(name));
            if (!r.components[k]) {
                state.SkipWithError("not re-created");
                return;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(UndoDeleteAndRecreate)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return RunGuiBenchmarks(argc, argv); }
