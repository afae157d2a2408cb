#include "engine/pipeline_list.h"

#include "components/printable.h"
#include "document/band.h"
#include "document/custom_report.h"
#include "engine/data_pipeline.h"

namespace orvane {

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

} // namespace orvane
