#pragma once

#include "document/band.h"
#include "document/group.h"
#include "document/producer.h"
#include "document/units.h"

#include <vector>

namespace orvane {

class TjxReportTemplate;
class TjxEngine;

// Frees the engine where its class is known.
struct TjxEngineDeleter {
    void operator()(TjxEngine* engine) const;
};

enum TjxNoDataBehaviorType : uint8_t { ndMessageDialog, ndMessageOnPage, ndBlankPage, ndBlankReport };
using TjxNoDataBehaviors = uint32_t;  // bit (1 << TjxNoDataBehaviorType)
enum TjxPassSettingType : uint8_t { psOnePass, psTwoPass };

const TTypeInfo& NoDataBehaviorsType();
const TTypeInfo& PassSettingType();

// A report: bands in their order, groups, columns and units. Page generation
// works on this model.
class TjxCustomReport : public TjxProducer {
    ORVANE_CLASS(TjxCustomReport, TjxProducer)
public:
    explicit TjxCustomReport(TComponent* owner = nullptr);
    ~TjxCustomReport() override;

    // Bands, sorted by their keys: title, header, column header, group headers,
    // detail, group footers (last group first), column footer, footer, summary, page style.
    int BandCount() const { return int(m_bands.size()); }
    TjxBand* Band(int index) const { return m_bands.at(size_t(index)); }
    const std::vector<TjxBand*>& Bands() const { return m_bands; }
    TjxBand* FindBand(TjxBandType type, int groupIndex = 0) const;
    void AddBand(TjxBand* band);
    void RemoveBand(TjxBand* band);
    void SortBands();

    int GroupCount() const { return int(m_groups.size()); }
    TjxGroup* Group(int index) const { return m_groups.at(size_t(index)); }
    int IndexOfGroup(const TjxGroup* group) const;
    void AddGroup(TjxGroup* group);
    void RemoveGroup(TjxGroup* group);
    void MoveGroup(TjxGroup* group, int newIndex);

    // Bands the report makes by itself (header, detail, footer; column bands with columns).
    uint32_t AutomaticBandTypes() const { return m_automaticBandTypes; }
    void SetAutomaticBandTypes(uint32_t value) { m_automaticBandTypes = value; }
    void CreateDefaultBands();
    TjxBand* CreateBand(TjxBandType type);

    bool AutoStop() const { return m_autoStop; }
    void SetAutoStop(bool value) { SetField(m_autoStop, value, "AutoStop"); }
    int Columns() const { return m_columns; }
    void SetColumns(int value);
    TStrings* ColumnPositions() const { return m_columnPositions.get(); }
    void SetColumnPositions(TStrings* value);
    int mmColumnWidth() const { return m_mmColumnWidth; }
    void SetmmColumnWidth(int value);
    TjxNoDataBehaviors NoDataBehaviors() const { return m_noDataBehaviors; }
    // ndBlankPage and ndBlankReport exclude each other; the one newly added wins.
    void SetNoDataBehaviors(TjxNoDataBehaviors value);
    int PageLimit() const { return m_pageLimit; }
    void SetPageLimit(int value) { SetField(m_pageLimit, value, "PageLimit"); }
    TjxPassSettingType PassSetting() const { return m_passSetting; }
    void SetPassSetting(TjxPassSettingType value) { SetField(m_passSetting, value, "PassSetting"); }
    bool SaveAsTemplate() const { return m_saveAsTemplate; }
    void SetSaveAsTemplate(bool value) { SetField(m_saveAsTemplate, value, "SaveAsTemplate"); }
    TjxReportTemplate* Template() const { return m_template.get(); }
    void SetTemplate(TjxReportTemplate* value);
    TjxUnitType Units() const { return m_units; }
    void SetUnits(TjxUnitType value);
    // The data pipeline, by name until the data layer resolves it.
    TjxCommunicator* DataPipeline() const { return m_dataPipeline; }
    void SetDataPipeline(TjxCommunicator* value);
    const QString& DataPipelineName() const { return m_dataPipelineName; }

    // Printable width of the page in th (paper width less the side margins).
    TMethod OnStartPage() const { return m_onStartPage; }
    void SetOnStartPage(const TMethod& value) { SetField(m_onStartPage, value, "OnStartPage"); }
    TMethod OnNoData() const { return m_onNoData; }
    void SetOnNoData(const TMethod& value) { SetField(m_onNoData, value, "OnNoData"); }

    int PrintableWidth() const;
    int Version() const { return m_versionNumber; }
    static int VersionNumber(const QString& text);
    bool ConvertedFromOldFormat() const { return m_convertedFromOldFormat; }

    // The layout-changed notice: generated pages are out of date.
    void LayoutChanged();

    // Whether the design has changes not yet saved. The designer sets it; a
    // template load or save that succeeds clears it.
    bool IsModified() const { return m_modified; }
    void SetModified(bool value) { m_modified = value; }

    // A bracket of changes the designer waits out (wizards, new templates).
    // Brackets nest; only the outermost tells the designer.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return m_updateCount; }

    // Asks the designer this report is attached to to design it.
    void SelectInDesigner();
    // Attaching a report to a designer attaches the child reports of its
    // subreports too; each tells the designer it leaves and the one it joins.
    void SetComponentDesigner(TjxComponentDesigner* designer) override;
    // The reports inside the subreports of this report's bands.
    std::vector<TjxCustomReport*> ChildReports() const;
    int LayoutChangeCount() const { return m_layoutChangeCount; }

    // The engine that generates the report's pages, made on first use.
    TjxEngine* Engine();
    void ResetRun() override;
    bool HasEngine() const { return m_engine != nullptr; }

    // Moves another report's content into this one (template loads).
    virtual void TakeOverContent(TjxCustomReport* other);
    // Destroys bands, groups and auto-search fields.
    virtual void ClearContent();

    // User names are unique within a report and the child reports its
    // subreports carry: "Report" for the report itself.
    QString GetUserName() const override { return QStringLiteral("Report"); }
    bool HasDerivedUserName() const override { return true; }
    TjxCommunicator* FindUserName(const QString& name) const override;
    QString GetValidUserName(const TjxCommunicator* component) const override;

    void GetChildren(const TGetChildProc& proc, TComponent* root) const override;
    void Loaded() override;

    // Bands before the report's own children streamed by subclasses.
    virtual void GetExtraReportChildren(const TGetChildProc& proc) const {}

protected:
    friend class TjxEngine;
    friend class TjxHorizontalBandEngine;

    virtual void ConvertVersion(int version);
    void Notify(TjxCommunicator* sender, int operation) override;
    void GeneratePages(TjxPublisher* publisher, TjxPageRequest* request) override;
    void StopGeneration() override;
    void EndGeneration() override;

    bool m_autoStop = true;
    int m_columns = 1;
    std::unique_ptr<TStrings> m_columnPositions;
    int m_mmColumnWidth = 0;
    TjxNoDataBehaviors m_noDataBehaviors = 1u << ndBlankPage;
    int m_pageLimit = 0;
    TjxPassSettingType m_passSetting = psOnePass;
    bool m_saveAsTemplate = false;
    std::unique_ptr<TjxReportTemplate> m_template;
    TjxUnitType m_units = utInches;
    TjxCommunicator* m_dataPipeline = nullptr;
    QString m_dataPipelineName;
    TMethod m_onEndColumn, m_onEndFirstPass, m_onEndPage, m_onEndSecondPass, m_onNoData,
        m_onStartColumn, m_onStartFirstPass, m_onStartPage, m_onStartSecondPass;
    int m_left = 0;
    int m_top = 0;
    // Values of older streams, used by the version conversion.
    bool m_versionRead = false;
    int m_versionNumber = 9010;
    bool m_convertedFromOldFormat = false;
    double m_legacyColumnWidth = 0;
    bool m_legacyColumnWidthRead = false;
    bool m_legacyLandscape = false;
    double m_legacyRowSpacing = 0;
    QString m_legacyDataSource;

private:
    void ReadVersion(TReader& reader);

    std::vector<TjxBand*> m_bands;
    std::vector<TjxGroup*> m_groups;
    uint32_t m_automaticBandTypes = (1u << btHeader) | (1u << btDetail) | (1u << btFooter);
    int m_layoutChangeCount = 0;
    int m_updateCount = 0;
    bool m_modified = false;
    bool m_clearing = false;
    std::unique_ptr<TjxEngine, TjxEngineDeleter> m_engine;
};

// Adds the automatic creation of bands.
class TjxBandedReport : public TjxCustomReport {
    ORVANE_CLASS(TjxBandedReport, TjxCustomReport)
public:
    using TjxCustomReport::TjxCustomReport;
    // Called each time the report starts producing pages: default bands, a
    // detail band, and the group bands each group lacks.
    void EnsureBands();
};

} // namespace orvane
