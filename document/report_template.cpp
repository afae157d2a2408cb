#include "document/report_template.h"

#include "document/class_registry.h"
#include "document/custom_report.h"
#include "document/errors.h"
#include "document/messages.h"
#include "document/report.h"
#include "document/stream_reader.h"

#include <mutex>
#include <optional>
#include <shared_mutex>

namespace orvane {

const TClassInfo& TjxReportTemplate::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxReportTemplate>("TjxReportTemplate", &TjxTemplate::StaticClass()).Build();
    return info;
}

TjxReportTemplate::TjxReportTemplate(TjxCustomReport* report) : m_report(report) {}

TjxReportTemplate::~TjxReportTemplate() = default;

TComponent* TjxReportTemplate::Subject() const
{
    return m_report;
}

void TjxReportTemplate::ReadTemplate(const QByteArray& binary)
{
    TComponent* root = Root();
    TReader reader(binary);
    reader.SetRoot(root);
    reader.OnSetName = [this, root](TComponent* component, QString& name) {
        if (name.isEmpty() || component->Owner() != root)
            return;
        TComponent* existing = root->FindComponent(name);
        if (!existing || existing == component)
            return;
        if (auto* c = dynamic_cast<TjxCommunicator*>(component))
            c->SetNameChangedOnLoad(true);
        m_renamed.append({name, component});
        name = m_report->GetValidName(component);
    };
    reader.OnReferenceName = [this](QString& reference) {
        const qsizetype dot = reference.indexOf(u'.');
        const QString head = dot < 0 ? reference : reference.left(dot);
        for (const auto& [oldName, object] : std::as_const(m_renamed))
            if (oldName.compare(head, Qt::CaseInsensitive) == 0) {
                reference = object->Name() + (dot < 0 ? QString() : reference.mid(dot));
                return;
            }
    };
    reader.OnError = [this](const QString& message) { return HandleReadError(message); };
    std::vector<TComponent*> strangers;
    // A template read inside another (a child report loading its own) already holds the lock.
    std::optional<TComponentNameWriteGuard> names(std::in_place);
    reader.ReadComponents(root, nullptr, [&](TComponent* c) {
        auto* report = dynamic_cast<TjxCustomReport*>(c);
        if (report && !m_newContent) {
            m_newContent = report;
            report->IncludeDesignState(dsLoadingTemplate);
        } else {
            strangers.push_back(c);
        }
    });
    names.reset();
    for (TComponent* c : strangers)
        delete c;
    if (!m_newContent)
        throw EInvalidTemplateError(GetMessage(49));
}

bool TjxReportTemplate::PrepareLoad()
{
    if (!m_report)
        return false;
    auto* saved = static_cast<TjxCustomReport*>(m_report->ClassInfo().createComponent(nullptr));
    saved->IncludeDesignState(dsLoadingTemplate);
    saved->TakeOverContent(m_report);
    if (auto* savedReport = dynamic_cast<TjxReport*>(saved))
        savedReport->DestroyAutoSearchFields();
    m_savedContent = saved;
    m_newContent = nullptr;
    m_renamed.clear();
    m_report->IncludeDesignState(dsLoadingTemplate);
    m_report->NotifyDesigner(dnTemplateLoadStart, kDesignerNotifyCode, m_report);
    return true;
}

void TjxReportTemplate::FinishLoad(bool success)
{
    TjxCustomReport* source = success ? m_newContent : m_savedContent;
    if (source)
        m_report->TakeOverContent(source);
    delete m_newContent;
    m_newContent = nullptr;
    delete m_savedContent;
    m_savedContent = nullptr;
    m_renamed.clear();
    m_report->ExcludeDesignState(dsLoadingTemplate);
    // The designer reads the flag when it takes the report back.
    if (success)
        m_report->SetModified(false);
    m_report->NotifyDesigner(dnTemplateLoadEnd, kDesignerNotifyCode, m_report);
    RestoreSettings();
    m_report->LayoutChanged();
}

void TjxReportTemplate::LoadAfterRead()
{
    if (!m_report || (m_report->DesignState() & dsDesigning))
        return;
    Load();
}

void TjxReportTemplate::PrepareSave()
{
    m_report->IncludeDesignState(dsSavingTemplate);
    m_report->NotifyDesigner(dnTemplateSaveStart, kDesignerNotifyCode, m_report);
}

void TjxReportTemplate::FinishSave()
{
    m_report->ExcludeDesignState(dsSavingTemplate);
}

void TjxReportTemplate::SaveSucceeded()
{
    m_report->SetModified(false);
}

void TjxReportTemplate::New()
{
    if (!m_report)
        return;
    m_report->NotifyDesigner(dnTemplateNewStart, kDesignerNotifyCode, m_report);
    m_report->SendNotify(ntReportEmptying);
    QString pipeline;
    if (auto* detail = dynamic_cast<TjxDetailBand*>(m_report->FindBand(btDetail)))
        pipeline = detail->DataPipelineName();
    m_report->ClearContent();
    m_report->CreateDefaultBands();
    if (auto* report = dynamic_cast<TjxReport*>(m_report))
        report->DestroyParameterList();
    if (auto* detail = dynamic_cast<TjxDetailBand*>(m_report->FindBand(btDetail)))
        detail->SetDataPipelineName(pipeline);
    SetDescription(QString());
    if (OnNewTemplate)
        OnNewTemplate(this);
    if (BroadcastExplorerEvents && OnNewTemplateExplorer)
        OnNewTemplateExplorer(this);
    m_report->NotifyDesigner(dnTemplateNewEnd, kDesignerNotifyCode, m_report);
}

ORVANE_REGISTER_CLASS(TjxReportTemplate);

} // namespace orvane
