#pragma once

#include <QList>
#include <QPair>
#include <QString>

namespace orvane {

class TComponent;
class TjxCustomReport;
class TjxDataPipeline;

// The pipelines a report or the designer can choose from, under their user
// names, in the order they were found.
class TjxDataPipelineList {
public:
    TjxDataPipelineList() = default;
    explicit TjxDataPipelineList(TComponent* owner) { Build(owner); }

    // Collects the visible pipelines beside the owner (normally a report): the
    // components of the owner's owner, or of the owner itself when it has none.
    // For a report, then those its tree uses (AddDataPipelines).
    void Build(TComponent* owner);
    void Clear() { m_items.clear(); }
    // Adds a visible pipeline once.
    void Add(TjxDataPipeline* pipeline);
    // Adds the pipelines the report, its components and the child reports
    // below them are bound to, wherever those pipelines live: a master then
    // knows the details its subreports read.
    void AddDataPipelines(const TjxCustomReport& report);

    int Count() const { return int(m_items.size()); }
    TjxDataPipeline* Pipelines(int index) const { return m_items.at(index).second; }
    const QString& Names(int index) const { return m_items.at(index).first; }
    // By component name, ignoring case.
    TjxDataPipeline* FindByName(const QString& name) const;
    // By the exact user name.
    TjxDataPipeline* FindByUserName(const QString& userName) const;

private:
    QList<QPair<QString, TjxDataPipeline*>> m_items;
};

// The report's loading step that turns the pipeline names read from a stream
// into pipelines: the report's, its components', and the masters of the pipelines found.
void ResolveReportPipelines(TjxCustomReport& report);
void ResolveReportPipelines(TjxCustomReport& report, const TjxDataPipelineList& list);

// A field of `pipeline` was renamed: the data-aware components of the report
// and of the child reports below it whose DataField names it (ignoring case) follow.
void UpdateReportDataFieldName(TjxCustomReport& report, TjxDataPipeline* pipeline, const QString& oldName,
                               const QString& newName);
// `pipeline` takes the place of the pipeline whose user name was
// `oldUserName`: the report, its components and the child reports below them
// that were bound to that one are bound to `pipeline`.
void ReplaceReportDataPipeline(TjxCustomReport& report, TjxDataPipeline* pipeline, const QString& oldUserName);

} // namespace orvane
