#include "engine/pipeline_list.h"

#include "components/printable.h"
#include "document/band.h"
#include "document/custom_report.h"
#include "document/printer.h"
#include "engine/data_pipeline.h"

#include <algorithm>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace orvane {

namespace {

// Every report of the tree from `report` down, through the child reports
// its components carry, with each of its printable components.
void ForEachReport(TjxCustomReport& report,
                   const std::function<void(TjxCustomReport&, const std::vector<TjxPrintable*>&)>& visit)
{
    std::vector<TjxPrintable*> printables;
    std::vector<TjxCustomReport*> nested;
    for (TjxBand* band : report.Bands())
        for (int i = 0; i < band->ChildCount(); ++i) {
            TjxRelative* component = band->Child(i);
            if (auto* printable = dynamic_cast<TjxPrintable*>(component))
                printables.push_back(printable);
            for (int k = 0; k < component->ChildCount(); ++k)
                if (auto* child = dynamic_cast<TjxCustomReport*>(component->Child(k)))
                    nested.push_back(child);
        }
    visit(report, printables);
    for (TjxCustomReport* child : nested)
        ForEachReport(*child, visit);
}

struct OpenEntry {
    TComponent* container;
    TjxContainerKind kind;
    std::thread::id thread;
};

struct OpenContainers {
    std::mutex lock;
    std::vector<OpenEntry> entries;  // in the order they were opened
};

OpenContainers& Open()
{
    static OpenContainers open;
    return open;
}

// The calling thread's open containers other than `except`: data modules first, then forms.
std::vector<TComponent*> OpenContainersOfThisThread(const TComponent* except)
{
    auto& open = Open();
    const std::thread::id self = std::this_thread::get_id();
    std::vector<TComponent*> found;
    std::lock_guard guard(open.lock);
    for (TjxContainerKind kind : {ckDataModule, ckForm})
        for (const OpenEntry& entry : open.entries)
            if (entry.kind == kind && entry.thread == self && entry.container != except)
                found.push_back(entry.container);
    return found;
}

} // namespace

void OpenContainer(TComponent* container, TjxContainerKind kind)
{
    if (!container)
        return;
    auto& open = Open();
    std::lock_guard guard(open.lock);
    for (OpenEntry& entry : open.entries)
        if (entry.container == container) {
            entry.kind = kind;
            return;
        }
    open.entries.push_back({container, kind, std::this_thread::get_id()});
}

void CloseContainer(TComponent* container)
{
    auto& open = Open();
    std::lock_guard guard(open.lock);
    std::erase_if(open.entries, [container](const OpenEntry& entry) { return entry.container == container; });
}

void TjxDataPipelineList::Add(TjxDataPipeline* pipeline)
{
    if (!pipeline || !pipeline->Visible() || pipeline->HasState(csDestroying))
        return;
    for (const auto& item : m_items)
        if (item.second == pipeline)
            return;
    m_items.append({pipeline->UserName(), pipeline});
}

void TjxDataPipelineList::Build(TComponent* owner)
{
    Clear();
    if (!owner)
        return;
    TComponent* scope = owner->Owner() ? owner->Owner() : owner;
    for (int i = 0; i < scope->ComponentCount(); ++i)
        Add(dynamic_cast<TjxDataPipeline*>(scope->Components(i)));
    if (MayUseApplicationWideObjects())
        for (TComponent* container : OpenContainersOfThisThread(scope))
            for (int i = 0; i < container->ComponentCount(); ++i)
                Add(dynamic_cast<TjxDataPipeline*>(container->Components(i)));
    if (const auto* report = dynamic_cast<const TjxCustomReport*>(owner))
        AddDataPipelines(*report);
}

void TjxDataPipelineList::AddDataPipelines(const TjxCustomReport& report)
{
    ForEachReport(const_cast<TjxCustomReport&>(report),
                  [this](TjxCustomReport& r, const std::vector<TjxPrintable*>& printables) {
                      Add(dynamic_cast<TjxDataPipeline*>(r.DataPipeline()));
                      for (TjxPrintable* printable : printables)
                          Add(dynamic_cast<TjxDataPipeline*>(printable->DataPipeline()));
                  });
}

TjxDataPipeline* TjxDataPipelineList::FindByName(const QString& name) const
{
    if (name.isEmpty())
        return nullptr;
    for (const auto& item : m_items)
        if (item.second->Name().compare(name, Qt::CaseInsensitive) == 0)
            return item.second;
    return nullptr;
}

TjxDataPipeline* TjxDataPipelineList::FindByUserName(const QString& userName) const
{
    for (const auto& item : m_items)
        if (item.first == userName)
            return item.second;
    return nullptr;
}

void ResolveReportPipelines(TjxCustomReport& report)
{
    ResolveReportPipelines(report, TjxDataPipelineList(&report));
}

void ResolveReportPipelines(TjxCustomReport& report, const TjxDataPipelineList& list)
{
    for (int i = 0; i < list.Count(); ++i)
        list.Pipelines(i)->ResolveMaster(list);
    if (!report.DataPipeline())
        if (TjxDataPipeline* p = list.FindByName(report.DataPipelineName()))
            report.SetDataPipeline(p);
    // Bands and groups keep names: the engine looks them up in the list it
    // builds when it opens the pipelines.
    for (TjxBand* band : report.Bands()) {
        for (int i = 0; i < band->ChildCount(); ++i) {
            auto* printable = dynamic_cast<TjxPrintable*>(band->Child(i));
            if (printable && !printable->DataPipeline())
                if (TjxDataPipeline* p = list.FindByName(printable->DataPipelineName()))
                    printable->SetDataPipeline(p);
        }
    }
}

void UpdateReportDataFieldName(TjxCustomReport& report, TjxDataPipeline* pipeline, const QString& oldName,
                               const QString& newName)
{
    if (!pipeline || oldName.isEmpty() || newName.isEmpty())
        return;
    ForEachReport(report, [&](TjxCustomReport&, const std::vector<TjxPrintable*>& printables) {
        for (TjxPrintable* printable : printables)
            if (printable->IsDataAware() && printable->DataPipeline() == pipeline &&
                printable->DataField().compare(oldName, Qt::CaseInsensitive) == 0)
                printable->SetDataField(newName);
    });
}

void ReplaceReportDataPipeline(TjxCustomReport& report, TjxDataPipeline* pipeline, const QString& oldUserName)
{
    if (!pipeline || oldUserName.isEmpty())
        return;
    const auto replaced = [&](const TjxCommunicator* bound) {
        return bound && bound != pipeline && bound->UserName() == oldUserName;
    };
    ForEachReport(report, [&](TjxCustomReport& r, const std::vector<TjxPrintable*>& printables) {
        if (replaced(r.DataPipeline()))
            r.SetDataPipeline(pipeline);
        for (TjxPrintable* printable : printables)
            if (replaced(printable->DataPipeline()))
                printable->SetDataPipeline(pipeline);
    });
}

} // namespace orvane
