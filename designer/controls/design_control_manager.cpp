#include "designer/controls/design_control_manager.h"

#include "components/component.h"
#include "designer/controls/design_control.h"
#include "designer/workspace/band_control.h"
#include "designer/workspace/workspace.h"
#include "document/custom_report.h"

#include <algorithm>

namespace orvane {

TjxDesignControlManager::TjxDesignControlManager(TjxWorkspace* workspace)
    : TjxCommunicator(nullptr), m_workspace(workspace)
{
    for (const int id : {ciReportBandAdded, ciReportBandRemoved, ciBandComponentAttachmentFirst,
                         ciBandComponentAttachmentSecond})
        AddEventInterest(id);
}

TjxDesignControlManager::~TjxDesignControlManager()
{
    Detach();
    for (const QPointer<QObject>& object : m_pending)
        delete object.data();
}

void TjxDesignControlManager::FreeLater(QObject* object)
{
    std::erase_if(m_pending, [](const QPointer<QObject>& p) { return p.isNull(); });
    m_pending.emplace_back(object);
    object->deleteLater();
}

void TjxDesignControlManager::SetReport(TjxCustomReport* report)
{
    if (report == m_report)
        return;
    Detach();
    m_report = report;
    if (!report)
        return;
    report->IncludeDesignState(dsDesigning | dsBuildingControls);
    for (TjxBand* band : report->Bands())
        CreateBar(band);
    report->ExcludeDesignState(dsBuildingControls);
    report->AddNotify(this);
    report->AddEventNotify(this);
}

void TjxDesignControlManager::Detach()
{
    while (!m_bars.empty())
        RemoveBar(m_bars.back()->Band());
    while (!m_controls.empty())
        RemoveControl(m_controls.back());
    if (m_report) {
        m_report->RemoveEventNotify(this);
        m_report->RemoveNotify(this);
        m_report->ExcludeDesignState(dsDesigning);
        m_report = nullptr;
    }
}

void TjxDesignControlManager::SetShowFrames(bool value)
{
    if (value == m_showFrames)
        return;
    m_showFrames = value;
    for (TjxDesignControl* c : m_controls)
        c->Invalidate();
}

TjxDesignControl* TjxDesignControlManager::DesignControlOf(const TjxComponent* component) const
{
    return m_controlOf.value(component, nullptr);
}

TjxBandControl* TjxDesignControlManager::BarOf(const TjxBand* band) const
{
    for (TjxBandControl* b : m_bars)
        if (b->Band() == band)
            return b;
    return nullptr;
}

int TjxDesignControlManager::BandAreaTop(const TjxBand* band) const
{
    const TjxBandControl* bar = band ? BarOf(band) : nullptr;
    return bar ? bar->AreaTop() : 0;
}

TjxBandControl* TjxDesignControlManager::CreateBar(TjxBand* band)
{
    if (!band)
        return nullptr;
    if (TjxBandControl* existing = BarOf(band))
        return existing;
    band->IncludeDesignState(dsDesigning);
    auto* bar = new TjxBandControl(this, m_workspace);
    m_bars.push_back(bar);
    bar->SetBand(band);
    if (OnBarCreated)
        OnBarCreated(bar);
    band->NotifyDesigner(dnBandControlCreated, kDesignerNotifyCode, band);
    if (!band->HasState(csLoading | csReading) && !(m_report && m_report->HasState(csLoading | csReading)))
        band->NotifyDesigner(dnBandCreated, kDesignerNotifyCode, band);
    for (int i = 0; i < band->ComponentCount(); ++i)
        if (auto* c = dynamic_cast<TjxComponent*>(band->Components(i)))
            CreateControl(c);
    // Components inside regions are the regions' children, not the band's.
    for (int i = 0; i < band->ComponentCount(); ++i)
        if (auto* region = dynamic_cast<TjxComponent*>(band->Components(i)))
            for (int k = 0; k < region->ChildCount(); ++k)
                if (auto* c = dynamic_cast<TjxComponent*>(region->Child(k)))
                    CreateControl(c);
    return bar;
}

void TjxDesignControlManager::RemoveBar(TjxBand* band)
{
    TjxBandControl* bar = BarOf(band);
    if (!bar)
        return;
    if (band)
        band->NotifyDesigner(dnBandRemoved, kDesignerNotifyCode, band);
    if (OnBarRemoving)
        OnBarRemoving(bar);
    std::erase(m_bars, bar);
    std::vector<TjxDesignControl*> going;
    for (TjxDesignControl* c : m_controls)
        if (c->GetComponent() && c->GetComponent()->Band() == band)
            going.push_back(c);
    for (TjxDesignControl* c : going)
        RemoveControl(c);
    bar->SetBand(nullptr);
    bar->hide();
    FreeLater(bar);
}

TjxDesignControl* TjxDesignControlManager::CreateControl(TjxComponent* component)
{
    if (TjxDesignControl* existing = DesignControlOf(component))
        return existing;
    TjxDesignControl* control = TjxDesignControlRegistry::Instance().CreateInstance(component);
    control->SetManager(this);
    m_controls.push_back(control);
    m_controlOf.insert(component, control);
    if (m_workspace)
        m_workspace->AddControl(control);
    control->SetComponent(component);
    if (OnControlCreated)
        OnControlCreated(control);
    return control;
}

void TjxDesignControlManager::RemoveControl(TjxDesignControl* control)
{
    if (!control || !std::erase(m_controls, control))
        return;
    // A control whose component is gone no longer knows it: then by value.
    if (control->GetComponent())
        m_controlOf.remove(control->GetComponent());
    else
        m_controlOf.removeIf([control](const auto& entry) { return entry.value() == control; });
    if (OnControlRemoving)
        OnControlRemoving(control);
    if (m_workspace)
        m_workspace->RemoveControl(control);
    control->SetComponent(nullptr);
    FreeLater(control);
}

void TjxDesignControlManager::ControlGone(TjxDesignControl* control) { RemoveControl(control); }

void TjxDesignControlManager::BarGone(TjxBandControl* bar)
{
    if (std::find(m_bars.begin(), m_bars.end(), bar) == m_bars.end())
        return;
    if (OnBarRemoving)
        OnBarRemoving(bar);
    std::erase(m_bars, bar);
    bar->hide();
    FreeLater(bar);
}

void TjxDesignControlManager::EventNotify(TjxCommunicator* sender, int eventId, TjxEventParams* params)
{
    TjxCommunicator::EventNotify(sender, eventId, params);
    if (sender != m_report || !params)
        return;
    switch (eventId) {
    case ciReportBandAdded:
        CreateBar(static_cast<TjxBand*>(params->Value(u"Band").value<void*>()));
        break;
    case ciReportBandRemoved:
        RemoveBar(static_cast<TjxBand*>(params->Value(u"Band").value<void*>()));
        break;
    case ciBandComponentAttachmentFirst: {
        auto* c = static_cast<TjxComponent*>(params->Value(u"Component").value<void*>());
        if (TjxDesignControl* control = DesignControlOf(c))
            control->UpdateBounds();
        else if (c && BarOf(c->Band()))
            CreateControl(c);
        break;
    }
    case ciBandComponentAttachmentSecond: {
        auto* c = static_cast<TjxComponent*>(params->Value(u"Component").value<void*>());
        if (TjxDesignControl* control = DesignControlOf(c); control && !BarOf(c->Band()))
            RemoveControl(control);
        break;
    }
    default:
        break;
    }
}

void TjxDesignControlManager::Notify(TjxCommunicator* sender, int operation)
{
    TjxCommunicator::Notify(sender, operation);
    if (sender == m_report && operation == ntDestroying) {
        // The report goes: its bands take their bars with them.
        m_report = nullptr;
        Detach();
        if (OnReportDestroyed)
            OnReportDestroyed();
    }
}

} // namespace orvane
