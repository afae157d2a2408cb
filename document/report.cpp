#include "document/report.h"

#include "document/auto_search_field.h"
#include "document/class_registry.h"
#include "document/event_ids.h"
#include "document/parameter_list.h"
#include "document/printer_setup.h"
#include "document/stream_reader.h"

#include <algorithm>

namespace orvane {

const TClassInfo& TjxReport::StaticClass()
{
    using T = TjxReport;
    static const TClassInfo info =
        TClassBuilder<T>("TjxReport", &TjxBandedReport::StaticClass())
            .Creatable()
            .Event("AfterAutoSearchDialogCreate", &T::m_afterAutoSearchDialogCreate)
            .Event("AfterOpenDataPipelines", &T::m_afterOpenDataPipelines)
            .Event("AfterPrint", &T::m_afterPrint)
            .Field("AllowPrintToArchive", BooleanType(), &T::m_allowPrintToArchive).Default(0)
            .Field("AllowPrintToFile", BooleanType(), &T::m_allowPrintToFile).Default(0)
            .Field("ArchiveFileName", StringType(), &T::m_archiveFileName)
            .Prop("BackgroundPrintSettings", ClassType(), &T::BackgroundPrintSettings, &T::SetBackgroundPrintSettings)
            .Event("BeforeAutoSearchDialogCreate", &T::m_beforeAutoSearchDialogCreate)
            .Event("BeforeOpenDataPipelines", &T::m_beforeOpenDataPipelines)
            .Event("BeforePrint", &T::m_beforePrint)
            .Field("CachePages", BooleanType(), &T::m_cachePages).Default(0)
            .Prop("DeviceType", StringType(), &T::DeviceType, &T::SetDeviceType)
            .Prop("Icon", ClassType(), &T::Icon, &T::SetIcon)
            .Prop("Language", LanguageTypeType(), &T::Language, &T::SetLanguage).Default(lgDefault)
            .Field("ModalCancelDialog", BooleanType(), &T::m_modalCancelDialog).Default(1)
            .Field("ModalPreview", BooleanType(), &T::m_modalPreview).Default(1)
            .Event("OnAutoSearchDialogClose", &T::m_onAutoSearchDialogClose)
            .Event("OnCancel", &T::m_onCancel)
            .Event("OnCancelDialogClose", &T::m_onCancelDialogClose)
            .Event("OnCancelDialogCreate", &T::m_onCancelDialogCreate)
            .Event("OnGetAutoSearchValues", &T::m_onGetAutoSearchValues)
            .Event("OnOutlineNodeCreate", &T::m_onOutlineNodeCreate)
            .Event("OnPageRequest", &T::m_onPageRequest)
            .Event("OnAssignPreviewFormSettings", &T::m_onAssignPreviewFormSettings)
            .Event("OnInitializeParameters", &T::m_onInitializeParameters)
            .Event("OnPreviewFormClose", &T::m_onPreviewFormClose)
            .Event("OnPreviewFormCreate", &T::m_onPreviewFormCreate)
            .Event("OnPrintDialogClose", &T::m_onPrintDialogClose)
            .Event("OnPrintDialogCreate", &T::m_onPrintDialogCreate)
            .Prop("OutlineSettings", ClassType(), &T::OutlineSettings, &T::SetOutlineSettings)
            .Prop("ParametersEditor", StringType(), [](const T&) { return QString(); }, [](T&, const QString&) {})
                .NeverStored()
            .Prop("PDFSettings", ClassType(), &T::PDFSettings, &T::SetPDFSettings)
            .Prop("PreviewFormSettings", ClassType(), &T::PreviewFormSettings, &T::SetPreviewFormSettings)
            .Field("SavePrinterSetup", BooleanType(), &T::m_savePrinterSetup).Default(0)
            .Prop("ShowAutoSearchDialog", BooleanType(), &T::ShowAutoSearchDialog, &T::SetShowAutoSearchDialog).Default(0)
            .Field("ShowCancelDialog", BooleanType(), &T::m_showCancelDialog).Default(1)
            .Field("ShowPrintDialog", BooleanType(), &T::m_showPrintDialog).Default(1)
            .Field("TextFileName", StringType(), &T::m_textFileName)
            .Field("TextFileType", FileTypeType(), &T::m_textFileType).Default(ftComma)
            .Prop("TextSearchSettings", ClassType(), &T::TextSearchSettings, &T::SetTextSearchSettings)
            .Defined("OnAutoSearchDialogCreate",
                     [](T& r, TReader& rd) {
                         const QString name = rd.ReadIdent();
                         if (TComponent* root = rd.Root())
                             if (TMethodCode code = root->MethodAddress(name))
                                 r.m_beforeAutoSearchDialogCreate = TMethod{root, name, code};
                     },
                     nullptr, [](const T&) { return false; })
            .Build();
    return info;
}

TjxReport::TjxReport(TComponent* owner)
    : TjxBandedReport(owner), m_outlineSettings(std::make_unique<TjxOutlineReportSettings>())
{
    m_outlineSettings->IsHolderReading = [this] { return IsReadingOrLoading(); };
    // Outline participants tell the designer when their settings change.
    m_outlineSettings->OnChange = [this] { Modified(); };
}

TjxReport::~TjxReport()
{
    NotifyDestroying();
    SetStateFlags(csDestroying);
    FreeAutoSearchDialog();
    DestroyAutoSearchFields();
    DestroyParameterList();
}

TjxParameterList* TjxReport::Parameters()
{
    if (!m_parameterList) {
        auto* list = new TjxParameterList(Owner() ? Owner() : this);
        list->SetName(GetValidName(list));
        list->SetParent(this);
    }
    return m_parameterList;
}

void TjxReport::DestroyParameterList()
{
    delete m_parameterList;
    m_parameterList = nullptr;
}

bool TjxReport::OutlineNodeCreate(TPersistent* node)
{
    // Asked for every node of long reports: nobody to ask, nothing to build.
    if (!m_onOutlineNodeCreate.IsAssigned() && !HasEventListener(ciReportOutlineNodeCreate))
        return true;
    TjxEventParams params{{QStringLiteral("aNode"), QVariant::fromValue<TPersistent*>(node), false},
                          {QStringLiteral("aCreate"), true, true}};
    SendEventNotify(ciReportOutlineNodeCreate, &params);
    m_onOutlineNodeCreate(this, params);
    return params.Value(u"aCreate").toBool();
}

void TjxReport::DestroyAutoSearchFields()
{
    while (!m_autoSearchFields.empty())
        delete m_autoSearchFields.back();
}

TjxAutoSearchField* TjxReport::CreateAutoSearchCriteria(const QString& dataPipelineName, const QString& fieldName,
                                                        TjxSearchOperatorType searchOperator, const QString& expression,
                                                        bool mandatory)
{
    auto* field = new TjxAutoSearchField(Owner() ? Owner() : this);
    field->SetName(GetValidName(field));
    field->SetDataPipelineName(dataPipelineName);
    field->SetFieldName(fieldName);
    field->SetSearchOperator(searchOperator);
    field->SetSearchExpression(expression);
    field->SetMandatory(mandatory);
    field->SetParent(this);
    TjxEventParams params{{QStringLiteral("aAutoSearchField"), QVariant::fromValue<TPersistent*>(field), false}};
    SendEventNotify(ciReportAutoSearchFieldCreated, &params);
    return field;
}

TjxAutoSearchField* TjxReport::CreateAutoSearchCriteria(const QString& tableName, const QString& fieldName,
                                                        const QString& fieldAlias, TjxDataType dataType,
                                                        TjxSearchOperatorType searchOperator, const QString& expression,
                                                        bool mandatory)
{
    auto* field = new TjxAutoSearchField(Owner() ? Owner() : this);
    field->SetName(GetValidName(field));
    field->SetTableName(tableName);
    field->SetFieldName(fieldName);
    field->SetFieldAlias(fieldAlias);
    field->SetDataType(dataType);
    field->SetSearchOperator(searchOperator);
    field->SetSearchExpression(expression);
    field->SetMandatory(mandatory);
    field->SetParent(this);
    return field;
}

TjxAutoSearchField* TjxReport::AutoSearchCriteriaByName(QStringView dataPipelineName, QStringView fieldName) const
{
    return FindAutoSearchField(m_autoSearchFields, dataPipelineName, fieldName);
}

QString TjxReport::AutoSearchDescription() const
{
    return orvane::AutoSearchDescription(m_autoSearchFields);
}

void TjxReport::GetAutoSearchDescriptionLines(TStrings& lines) const
{
    orvane::GetAutoSearchDescriptionLines(m_autoSearchFields, lines);
}

void TjxReport::AddChild(TjxRelative* child)
{
    TjxBandedReport::AddChild(child);
    if (child->Parent() != this)
        return;
    if (auto* list = dynamic_cast<TjxParameterList*>(child)) {
        if (m_parameterList && m_parameterList != list)
            delete m_parameterList;  // one list per report; the newer one wins
        m_parameterList = list;
    } else if (auto* field = dynamic_cast<TjxAutoSearchField*>(child)) {
        if (std::find(m_autoSearchFields.begin(), m_autoSearchFields.end(), field) == m_autoSearchFields.end())
            m_autoSearchFields.push_back(field);
    }
}

void TjxReport::RemoveChild(TjxRelative* child)
{
    if (child == m_parameterList)
        m_parameterList = nullptr;
    m_autoSearchFields.erase(std::remove(m_autoSearchFields.begin(), m_autoSearchFields.end(), child),
                             m_autoSearchFields.end());
    TjxBandedReport::RemoveChild(child);
}

void TjxReport::GetExtraReportChildren(const TGetChildProc& proc) const
{
    const bool designing = DesignState() & dsDesigning;
    for (TjxAutoSearchField* field : std::vector<TjxAutoSearchField*>(m_autoSearchFields))
        if (designing || !(field->DesignState() & 2048))
            proc(field);
    if (m_parameterList)
        proc(m_parameterList);
}

void TjxReport::ConvertVersion(int version)
{
    TjxBandedReport::ConvertVersion(version);
    if (version < 1270 && m_legacyLandscape)
        m_printerSetup->SetOrientation(poLandscape);
    // Versions without outlines or text search; only for streams that say
    // which version wrote them (see TjxCustomReport::ConvertVersion).
    if (!m_versionRead)
        return;
    if (version < 6100)
        m_outlineSettings->SetEnabled(false);
    if (version < 7010)
        m_textSearchSettings->SetEnabled(false);
}

void TjxReport::TakeOverContent(TjxCustomReport* other)
{
    DestroyAutoSearchFields();
    TjxBandedReport::TakeOverContent(other);
    auto* o = dynamic_cast<TjxReport*>(other);
    if (!o)
        return;
    m_cachePages = o->m_cachePages;
    m_showAutoSearchDialog = o->m_showAutoSearchDialog;
    OnChildReportTemplateLoad = o->OnChildReportTemplateLoad;
    m_legacyDataSource = o->m_legacyDataSource;
    m_outlineSettings->Assign(o->m_outlineSettings.get());
    TComponent* owner = Owner() ? Owner() : this;
    for (TjxAutoSearchField* field : std::vector<TjxAutoSearchField*>(o->m_autoSearchFields)) {
        if (field->Owner() != owner)
            field->ChangeOwner(owner);
        field->SetParent(this);
    }
    if (o->m_parameterList && o->m_parameterList->Count() > 0) {
        DestroyParameterList();
        TjxParameterList* list = o->m_parameterList;
        if (list->Owner() != owner)
            list->ChangeOwner(owner);
        list->SetParent(this);
    }
}

// ---- child report ----

const TClassInfo& TjxChildReport::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxChildReport>("TjxChildReport", &TjxBandedReport::StaticClass()).Creatable().Build();
    return info;
}

TjxChildReport::TjxChildReport(TComponent* owner) : TjxBandedReport(owner) {}

TjxChildReport::~TjxChildReport()
{
    NotifyDestroying();
}

void TjxChildReport::TakeOverContent(TjxCustomReport* other)
{
    TjxBandedReport::TakeOverContent(other);
    m_saveAsTemplate = false;
}

TjxCustomReport* TjxChildReport::ParentReport() const
{
    // Parent is the subreport, whose parent is a band of the parent report.
    const TjxRelative* holder = Parent();
    const auto* band = holder ? dynamic_cast<const TjxBand*>(holder->Parent()) : nullptr;
    return band ? band->Report() : nullptr;
}

TjxDesignerInterface* TjxChildReport::GetDesignerInterface() const
{
    if (TjxDesignerInterface* own = TjxBandedReport::GetDesignerInterface())
        return own;
    // The subreport that carries it answers through its band.
    return Parent() ? Parent()->GetDesignerInterface() : nullptr;
}

TjxCustomReport* TjxChildReport::MainReport() const
{
    TjxCustomReport* report = ParentReport();
    while (const auto* child = dynamic_cast<const TjxChildReport*>(report))
        report = child->ParentReport();
    return report;
}

void TjxChildReport::FollowLanguage(TjxLanguageType language)
{
    if (language == m_language)
        return;
    m_language = language;
    m_languageIndex = 0;
    SendNotify(ntLanguageChanged);
}

TjxCommunicator* TjxChildReport::FindUserName(const QString& name) const
{
    if (TjxCustomReport* main = MainReport())
        return main->FindUserName(name);
    return TjxBandedReport::FindUserName(name);
}

QString TjxChildReport::GetValidUserName(const TjxCommunicator* component) const
{
    if (TjxCustomReport* main = MainReport())
        return main->GetValidUserName(component);
    return TjxBandedReport::GetValidUserName(component);
}

const TClassInfo& TjxBandedReport::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TjxBandedReport>("TjxBandedReport", &TjxCustomReport::StaticClass()).Build();
    return info;
}

ORVANE_REGISTER_CLASS(TjxReport);
ORVANE_REGISTER_CLASS(TjxChildReport);

} // namespace orvane
