#pragma once

#include "document/relative.h"
#include "document/report_settings.h"
#include "document/units.h"

namespace orvane {

class TjxCustomReport;
class TjxGroupBand;
class TjxGroupHeaderBand;
class TjxGroupFooterBand;

enum TjxBreakType : uint8_t { btDataField, btCustomField };
const TTypeInfo& BreakTypeType();

// Breaks the report when a value changes; owns a group header and footer band.
class TjxGroup : public TjxRelative {
    ORVANE_CLASS(TjxGroup, TjxRelative)
public:
    explicit TjxGroup(TComponent* owner = nullptr);
    ~TjxGroup() override;

    TjxCustomReport* Report() const { return m_report; }
    void SetReport(TjxCustomReport* report);
    // Without a designer of its own, the report's designer.
    TjxDesignerInterface* GetDesignerInterface() const override;
    TjxUnitType Units() const;
    int Index() const;

    TjxGroupBand* HeaderBand() const { return m_headerBand; }
    void SetHeaderBand(TjxGroupBand* band);
    TjxGroupBand* FooterBand() const { return m_footerBand; }
    void SetFooterBand(TjxGroupBand* band);
    void BandDestroyed(TjxGroupBand* band);

    const QString& BreakName() const { return m_breakName; }
    void SetBreakName(const QString& value);
    TjxBreakType BreakType() const { return m_breakType; }
    // Changes only while the group belongs to a report.
    void SetBreakType(TjxBreakType value);
    bool HeaderForOrphanedFooter() const { return m_headerForOrphanedFooter; }
    void SetHeaderForOrphanedFooter(bool value);
    // Keeping together and starting a new page or column exclude each other.
    bool KeepTogether() const { return m_keepTogether; }
    void SetKeepTogether(bool value);
    bool NewColumn() const { return m_newColumn; }
    void SetNewColumn(bool value);
    bool NewPage() const { return m_newPage; }
    void SetNewPage(bool value);
    int mmNewColumnThreshold() const { return m_mmNewColumnThreshold; }
    void SetmmNewColumnThreshold(int value);
    int mmNewPageThreshold() const { return m_mmNewPageThreshold; }
    void SetmmNewPageThreshold(int value);
    bool ResetPageNo() const { return m_resetPageNo; }
    void SetResetPageNo(bool value);
    bool ReprintOnSubsequentColumn() const { return m_reprintOnSubsequentColumn; }
    void SetReprintOnSubsequentColumn(bool value);
    bool ReprintOnSubsequentPage() const { return m_reprintOnSubsequentPage; }
    void SetReprintOnSubsequentPage(bool value);
    TjxOutlineSettings* OutlineSettings() const { return m_outlineSettings.get(); }
    void SetOutlineSettings(TjxOutlineSettings* value) { m_outlineSettings->Assign(value); }
    const QString& DataPipelineName() const { return m_dataPipelineName; }
    void SetDataPipelineName(const QString& value) { m_dataPipelineName = value; }

    TMethod AfterGroupBreak() const { return m_afterGroupBreak; }
    void SetAfterGroupBreak(const TMethod& m) { m_afterGroupBreak = m; }
    TMethod BeforeGroupBreak() const { return m_beforeGroupBreak; }
    void SetBeforeGroupBreak(const TMethod& m) { m_beforeGroupBreak = m; }
    TMethod OnGetBreakValue() const { return m_onGetBreakValue; }
    void SetOnGetBreakValue(const TMethod& m) { m_onGetBreakValue = m; }

    // "Group [n]: name" and the name shown in the group bands' captions.
    QString Caption() const;
    QString BreakCaption() const;
    void RefreshBandCaptions();
    void Convert(int version);

    void GetChildren(const TGetChildProc& proc, TComponent* root) const override;
    void SetParentComponent(TComponent* parent) override;
    bool HasParent() const override { return m_report != nullptr; }
    TComponent* GetParentComponent() const override;

private:
    void SetReportUnlinked(TjxCustomReport* report) { m_report = report; }
    friend class TjxCustomReport;

    TjxCustomReport* m_report = nullptr;
    TjxGroupBand* m_headerBand = nullptr;
    TjxGroupBand* m_footerBand = nullptr;
    QString m_breakName;
    TjxBreakType m_breakType = btDataField;
    bool m_headerForOrphanedFooter = true;
    bool m_keepTogether = false;
    bool m_newColumn = false;
    bool m_newPage = false;
    int m_mmNewColumnThreshold = 0;
    int m_mmNewPageThreshold = 0;
    bool m_resetPageNo = false;
    bool m_reprintOnSubsequentColumn = true;
    bool m_reprintOnSubsequentPage = true;
    std::unique_ptr<TjxOutlineSettings> m_outlineSettings;
    QString m_dataPipelineName;
    TMethod m_afterGroupBreak, m_beforeGroupBreak, m_onGetBreakValue;
    // Values of older streams, used by Convert.
    QString m_legacyFieldName;
    int m_legacyReprintOnSubsequent = -1;
    double m_legacyThreshold = 0;
    bool m_legacyThresholdRead = false;
};

} // namespace orvane
