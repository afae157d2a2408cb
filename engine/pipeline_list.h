#pragma once

#include <QList>
#include <QPair>
#include <QString>

#include <cstdint>

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
    // components of the owner's owner, or of the owner itself when it has none;
    // then, where the thread may use application-wide objects, those of the
    // other open containers of this thread (data modules, then forms). For a
    // report, then those its tree uses (AddDataPipelines).
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

// What an open container is to the application.
enum TjxContainerKind : uint8_t { ckForm, ckDataModule };

// The application's open forms and data modules, whose pipelines every
// report's list offers. A container belongs to the thread that opened it and
// only that thread's lists see it: a report never binds to a pipeline that
// another thread traverses and frees (a background job's copy of its form is
// open on its worker alone). A container is closed before it is freed.
void OpenContainer(TComponent* container, TjxContainerKind kind);
void CloseContainer(TComponent* container);

// Keeps a container open for the guard's lifetime.
class TjxOpenContainerGuard {
public:
    TjxOpenContainerGuard(TComponent* container, TjxContainerKind kind) : m_container(container)
    {
        OpenContainer(container, kind);
    }
    ~TjxOpenContainerGuard() { CloseContainer(m_container); }
    TjxOpenContainerGuard(const TjxOpenContainerGuard&) = delete;
    TjxOpenContainerGuard& operator=(const TjxOpenContainerGuard&) = delete;

private:
    TComponent* m_container;
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
