#pragma once

#include "document/auto_search_field.h"
#include "document/custom_report.h"

namespace orvane {

class TjxParameterList;
class TjxAutoSearchField;
class TjxCustomAutoSearchDialog;

// The top-level report: previewing, auto-search, outline, parameters.
class TjxReport : public TjxBandedReport {
    ORVANE_CLASS(TjxReport, TjxBandedReport)
public:
    explicit TjxReport(TComponent* owner = nullptr);
    ~TjxReport() override;

    TjxOutlineReportSettings* OutlineSettings() const { return m_outlineSettings.get(); }
    void SetOutlineSettings(TjxOutlineReportSettings* v) { m_outlineSettings->Assign(v); }
    TMethod OnOutlineNodeCreate() const { return m_onOutlineNodeCreate; }
    void SetOnOutlineNodeCreate(const TMethod& value) { SetField(m_onOutlineNodeCreate, value, "OnOutlineNodeCreate"); }
    // Asks whether a new outline node is shown: event 88 with the node and
    // the create flag, then the handler; the flag's final value decides.
    bool OutlineNodeCreate(TPersistent* node);
    bool ShowAutoSearchDialog() const { return m_showAutoSearchDialog; }
    void SetShowAutoSearchDialog(bool v) { SetField(m_showAutoSearchDialog, v, "ShowAutoSearchDialog"); }

    // Created on first use: owned by the report's owner, parented by the report.
    TjxParameterList* Parameters();
    TjxParameterList* ParameterList() const { return m_parameterList; }
    void DestroyParameterList();

    int AutoSearchFieldCount() const { return int(m_autoSearchFields.size()); }
    TjxAutoSearchField* AutoSearchFields(int index) const { return m_autoSearchFields.at(size_t(index)); }
    void DestroyAutoSearchFields();
    // A new search criterion owned like the report's other objects; announced with event 66.
    TjxAutoSearchField* CreateAutoSearchCriteria(const QString& dataPipelineName, const QString& fieldName,
                                                 TjxSearchOperatorType searchOperator, const QString& expression,
                                                 bool mandatory);
    // The query tools' form: table and alias instead of a pipeline, and no event.
    TjxAutoSearchField* CreateAutoSearchCriteria(const QString& tableName, const QString& fieldName,
                                                 const QString& fieldAlias, TjxDataType dataType,
                                                 TjxSearchOperatorType searchOperator, const QString& expression,
                                                 bool mandatory);
    TjxAutoSearchField* AutoSearchCriteriaByName(QStringView dataPipelineName, QStringView fieldName) const;
    QString AutoSearchDescription() const;
    void GetAutoSearchDescriptionLines(TStrings& lines) const;

    // Parameters and the auto-search dialog first; either may stop the print.
    void Print() override;
    // Shows the auto-search dialog when the report asks for one: true when
    // printing may go on (OK, or nothing to ask).
    bool DisplayAutoSearchDialog();
    // The dialog while it is open (inside printing until the print step ends).
    TjxCustomAutoSearchDialog* AutoSearchDialog() const { return m_autoSearchDialog; }
    const TMethod& OnGetAutoSearchValues() const { return m_onGetAutoSearchValues; }
    void SetOnGetAutoSearchValues(const TMethod& value) { SetField(m_onGetAutoSearchValues, value, "OnGetAutoSearchValues"); }
    const TMethod& OnInitializeParameters() const { return m_onInitializeParameters; }
    void SetOnInitializeParameters(const TMethod& value)
    {
        SetField(m_onInitializeParameters, value, "OnInitializeParameters");
    }

    // Hook the designer sets for child reports that load their own templates.
    std::function<void(TjxCustomReport*)> OnChildReportTemplateLoad;

    void TakeOverContent(TjxCustomReport* other) override;
    void AddChild(TjxRelative* child) override;
    void RemoveChild(TjxRelative* child) override;
    void GetExtraReportChildren(const TGetChildProc& proc) const override;

protected:
    void ConvertVersion(int version) override;

private:
    std::unique_ptr<TjxOutlineReportSettings> m_outlineSettings;
    bool m_showAutoSearchDialog = false;
    TjxParameterList* m_parameterList = nullptr;
    std::vector<TjxAutoSearchField*> m_autoSearchFields;
    TjxCustomAutoSearchDialog* m_autoSearchDialog = nullptr;
    bool m_autoSearchInPrint = false;
    bool m_beforePrinting = false;
    void FreeAutoSearchDialog();
    void GetAutoSearchValues();
    TMethod m_afterAutoSearchDialogCreate, m_afterOpenDataPipelines, m_beforeAutoSearchDialogCreate,
        m_beforeOpenDataPipelines, m_onAutoSearchDialogClose, m_onGetAutoSearchValues, m_onOutlineNodeCreate,
        m_onInitializeParameters;
};

// The report inside a subreport component.
class TjxChildReport : public TjxBandedReport {
    ORVANE_CLASS(TjxChildReport, TjxBandedReport)
public:
    explicit TjxChildReport(TComponent* owner = nullptr);
    ~TjxChildReport() override;
    // Taking over another report's content clears SaveAsTemplate.
    void TakeOverContent(TjxCustomReport* other) override;
    // The report whose band holds the subreport that carries this report,
    // and the report at the top of that chain; none while not placed.
    TjxCustomReport* ParentReport() const;
    TjxCustomReport* MainReport() const;
    // Without a designer of its own, the parent report's designer.
    TjxDesignerInterface* GetDesignerInterface() const override;

    // A child report speaks its parent's language. The language is not
    // stored with it and the parent has loaded its texts already, so it is
    // taken over without asking the resource manager; the child's own
    // listeners (nested subreports) hear of the change.
    void FollowLanguage(TjxLanguageType language);

    // User names are unique across the whole report tree: the main report answers.
    TjxCommunicator* FindUserName(const QString& name) const override;
    QString GetValidUserName(const TjxCommunicator* component) const override;
};

} // namespace orvane
