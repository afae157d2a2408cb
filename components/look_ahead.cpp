#include "components/look_ahead.h"

#include "components/component.h"
#include "engine/subreport.h"
#include "document/band.h"
#include "document/custom_report.h"
#include "document/data_type.h"
#include "document/event_ids.h"
#include "document/method.h"
#include "document/report.h"
#include "engine/data_pipeline.h"
#include "engine/engine.h"
#include "output/draw_other.h"

#include <algorithm>

namespace orvane {

TjxEngine* ReportEngine(const TjxComponent& component)
{
    TjxBand* band = component.Band();
    TjxCustomReport* report = band ? band->Report() : nullptr;
    return report ? report->Engine() : nullptr;
}

bool ReportIsPrinting(const TjxComponent& component)
{
    const TjxBand* band = component.Band();
    TjxCustomReport* report = band ? band->Report() : nullptr;
    return report && report->HasEngine() && report->Engine()->Printing();
}

QDateTime ReportNow(const TjxComponent& component)
{
    const TjxBand* band = component.Band();
    TjxCustomReport* report = band ? band->Report() : nullptr;
    if (report && report->HasEngine()) {
        TjxEngine* engine = report->Engine();
        if (engine->Clock)
            return engine->Clock();
    }
    return QDateTime::currentDateTime();
}

double DateTimeNumber(const QDateTime& value)
{
    if (!value.isValid())
        return 0;
    const QDate d = value.date();
    const QTime t = value.time();
    double date = 0, time = 0;
    TryEncodeDate(d.year(), d.month(), d.day(), date);
    TryEncodeTime(t.hour(), t.minute(), t.second(), t.msec(), time);
    // Days before 1899-12-30 are negative; their time still counts forward from midnight.
    return date < 0 ? date - time : date + time;
}

TjxTraversalMark CurrentTraversalMark(const TjxComponent& component, TjxDataPipeline* own)
{
    TjxTraversalMark mark;
    TjxEngine* engine = ReportEngine(component);
    std::vector<TjxDataPipeline*> pipelines;
    if (engine) {
        pipelines.push_back(engine->MasterPipeline());
        pipelines.push_back(engine->DetailPipeline());
    }
    if (const TjxBand* band = component.Band(); band && band->Report())
        pipelines.push_back(dynamic_cast<TjxDataPipeline*>(band->Report()->DataPipeline()));
    pipelines.push_back(own);
    std::vector<TjxDataPipeline*> seen;
    for (TjxDataPipeline* pipeline : pipelines) {
        if (!pipeline || std::find(seen.begin(), seen.end(), pipeline) != seen.end() || !pipeline->Active())
            continue;
        seen.push_back(pipeline);
        mark.counts.push_back(pipeline->TraversalCount());
    }
    return mark;
}

QString LookAheadKey(const QString& path, int scope, int column)
{
    return path + QString::number(scope).rightJustified(8, u' ') + u'|' +
           QString::number(column).rightJustified(8, u' ');
}

QString LookAheadPath(const TjxComponent& component)
{
    const TjxBand* band = component.Band();
    const auto* child = band ? dynamic_cast<const TjxChildReport*>(band->Report()) : nullptr;
    const auto* holder = child ? dynamic_cast<const TjxSubReport*>(child->Parent()) : nullptr;
    return holder ? holder->ChildReportKey() : QString();
}

namespace {

// The subreport in a band of the main report that holds the component's report, if any.
const TjxSubReport* OutermostSubReport(const TjxComponent& component)
{
    const TjxBand* band = component.Band();
    const TjxCustomReport* report = band ? band->Report() : nullptr;
    const TjxSubReport* outermost = nullptr;
    while (const auto* child = dynamic_cast<const TjxChildReport*>(report)) {
        const auto* holder = dynamic_cast<const TjxSubReport*>(child->Parent());
        if (!holder)
            break;
        outermost = holder;
        report = holder->ParentReport();
    }
    return outermost;
}

} // namespace

int LookAheadRun(const TjxComponent& component)
{
    const TjxSubReport* outermost = OutermostSubReport(component);
    return outermost ? outermost->ReportStarts() : 0;
}

bool LookAheadFirstPass(const TjxComponent& component)
{
    const TjxSubReport* outermost = OutermostSubReport(component);
    TjxCustomReport* main = outermost ? outermost->ParentReport() : nullptr;
    TjxEngine* engine = main && main->HasEngine() ? main->Engine() : ReportEngine(component);
    return engine && engine->FirstPass();
}

void TjxLookAheadValues::Clear()
{
    m_entries.clear();
    m_sequence = 0;
}

void TjxLookAheadValues::Start(int run)
{
    if (run == 0 || run != m_run)
        Clear();
    m_run = run;
}

void TjxLookAheadValues::Record(TjxCommunicator& component, const QString& key, const QString& text)
{
    ++m_sequence;
    auto it = m_entries.find(key);
    if (it == m_entries.end()) {
        m_entries.insert(key, Entry{m_sequence, text});
        return;
    }
    it->traversal = m_sequence;
    it->text = text;
    TjxEventParams params{{QStringLiteral("aLookAheadKey"), key, false},
                          {QStringLiteral("aTraversalCount"), m_sequence, false},
                          {QStringLiteral("aText"), text, false}};
    component.SendEventNotify(ciLookAheadValueComputed, &params);
}

const TjxLookAheadValues::Entry* TjxLookAheadValues::Find(const QString& key) const
{
    auto it = m_entries.constFind(key);
    return it == m_entries.constEnd() ? nullptr : &*it;
}

void TjxLookAheadValues::Apply(TjxCommunicator& component, const QString& key, TjxDrawVariable& command,
                               bool firstPass) const
{
    if (const Entry* entry = Find(key))
        command.SetText(entry->text);
    if (!firstPass)
        return;
    command.SetVariableName(key);
    command.SetLookAhead(true);
    command.ListenTo(&component);
}

} // namespace orvane
