#pragma once

// A whole report inside a band of another report. TjxSubReport carries a
// TjxChildReport and prints it in one of three ways:
//
//   pbChild    the child flows inside the parent's page from the subreport's
//              position down to the page limit and continues on the parent's
//              following pages until its data is through;
//   pbSection  the child prints pages of its own, with its own page setup,
//              between the parent's pages;
//   pbFixed    the child's first page is shown in a box of the subreport's
//              size at every occurrence (with TraverseAllData, successive
//              portions of its data in successive boxes).
//
// The child's engine generates one page at a time on request. The parent's
// page cache holds one record for the subreport that also carries the print
// state of the child report's engine, groups, bands and components, so that
// the parent can regenerate any page with the child at the same place.
//
// A section with NewPrintJob printed to the printer goes to a print job of
// its own: a private printer device stacked over the run's printer device
// while the section's pages are sent.

#include "engine/stretchable.h"
#include "document/report_settings.h"

#include <QStringList>
#include <functional>

namespace orvane {

class TjxChildReport;
class TjxCustomReport;
class TjxDrawCommand;
class TjxEngine;
class TjxBandEngine;
class TjxPrinterDevice;
class TjxPrinterSetup;

enum TjxPrintBehaviorType : uint8_t { pbChild, pbSection, pbFixed };
const TTypeInfo& PrintBehaviorTypeType();

class TjxSubReport : public TjxStretchable {
    ORVANE_CLASS(TjxSubReport, TjxStretchable)
public:
    explicit TjxSubReport(TComponent* owner = nullptr);
    ~TjxSubReport() override;

    // ---- published ----
    TjxPrintBehaviorType PrintBehavior() const { return m_printBehavior; }
    // pbSection is refused inside a region. Stretch follows pbChild; pbFixed
    // drops KeepTogether and StopPosition; pbSection drops the drill-down and
    // ShiftRelativeTo and spans the band.
    void SetPrintBehavior(TjxPrintBehaviorType value);
    bool ParentPrinterSetup() const { return m_parentPrinterSetup; }
    // True copies the parent report's printer setup to the child report. A
    // change that makes the child's setup differ turns it off.
    void SetParentPrinterSetup(bool value);
    bool ResetPageNo() const { return m_resetPageNo; }
    // Only sections number their pages.
    void SetResetPageNo(bool value);
    bool NewPrintJob() const { return m_newPrintJob; }
    // True also makes the subreport a section (the value alone).
    void SetNewPrintJob(bool value);
    bool TraverseAllData() const { return m_traverseAllData; }
    void SetTraverseAllData(bool value);
    // The component whose click expands or collapses an occurrence; only for
    // pbChild. None once the component left the subreport's band.
    TjxComponent* DrillDownComponent() const;
    void SetDrillDownComponent(TjxComponent* value);
    bool ExpandAll() const { return m_expandAll; }
    void SetExpandAll(bool value);
    TjxOutlineSettings* OutlineSettings() const { return m_outlineSettings.get(); }
    void SetOutlineSettings(TjxOutlineSettings* value);

    // ---- the child report ----
    TjxChildReport* Report() const { return m_report; }
    // Makes the child report when there is a parent report and none yet: a
    // component of the parent report's owner, uniquely named, with copies of
    // the parent's printer setup, the subreport's units and data pipeline.
    void CreateReport(TjxCustomReport* parentReport);
    // The report whose band holds the subreport, and the top of the chain.
    TjxCustomReport* ParentReport() const;
    TjxCustomReport* MainReport() const;

    // ---- run time ----
    // Completed occurrences since the report started.
    int Count() const { return m_count; }
    int ExpansionCount() const { return int(m_expansions.size()); }
    QString Expansions(int index) const { return m_expansions.value(index); }
    // A drill-down click changed the expansions since the report started.
    bool RetainExpansions() const { return m_retainExpansions; }
    bool DrillDownApplies() const;
    bool DrillDownExpanded() const;
    // Empty in a band of the main report; otherwise each enclosing child
    // report adds its own subreport's Count ("%8d|"), innermost first.
    QString CurrentReportKey() const;
    // CurrentReportKey followed by Count as "%8d": one key per occurrence.
    QString CurrentExpansionKey() const;
    // Report starts of the subreport's report so far. The child report starts
    // again with every occurrence; what lasts a whole run of the main report
    // goes by this number of the outermost subreport.
    int ReportStarts() const { return m_reportStarts; }
    // The key the child report's occurrence hands to what is inside it:
    // Count as "%8d|" followed by CurrentReportKey. A subreport in the child
    // report has it as its CurrentReportKey.
    QString ChildReportKey() const;

    // The designer's caption: the user name and the data pipeline's.
    QString DesignCaption() const;
    QString DesignEditProperty() const override { return QStringLiteral("DataPipeline"); }
    bool UsesColor() const override { return false; }
    bool UsesFontColor() const override { return false; }

    // ---- overrides ----
    void SetBand(TjxBand* band) override;
    void SetRegion(TjxComponent* region) override;
    void SetParentWidth(bool value) override;
    void SetShiftRelativeTo(TjxStretchable* target) override;
    void SetDataPipeline(TjxCommunicator* value) override;
    void SetUserName(const QString& value) override;
    void AddChild(TjxRelative* child) override;
    void RemoveChild(TjxRelative* child) override;
    void Loaded() override;

    void InitGeneration() override;
    void BeforeGenerate(bool freshBandPrint = true) override;
    void AfterGenerate() override;
    bool CanStretch(const TjxPrintParent& parent) const override;
    TjxDrawCommand* CreateDrawCommand(TjxPage* page) override;

    void EventNotify(TjxCommunicator* sender, int eventId, TjxEventParams* params) override;

protected:
    int StopPositionAt(int top) override;
    void ComputeContent(const TjxPrintParent& parent) override;
    void Notify(TjxCommunicator* sender, int operation) override;
    void WriteState(QDataStream& stream) const override;
    void ReadState(QDataStream& stream) override;

private:
    class TChildRun;
    struct TRecord;

    void AdoptReport(TjxChildReport* report);
    void ReleaseReport();
    // Listens to the parent report (for its language) instead of `old`.
    void ListenToParentReport(TjxCustomReport* old);
    void FollowParentLanguage();
    void ApplyAutomaticBands();
    void CopyParentPrinterSetup();
    void ChildSetupChanged();
    void SetDrillDownHandlers(bool on);

    // Generation.
    TjxBandEngine* BandEngine() const;
    TjxEngine* ParentEngine() const;
    void ComputeChild(const TjxPrintParent& parent);
    void ComputeFixed();
    void ComputeSection();
    // One page of the child report; box: the child's page for pbChild and pbFixed.
    void GenerateChildPage(const TjxRect* box);
    void RestartChild();
    void ResumeChild();
    void SaveChildState(int pageIndex);
    void RestoreChildState(int pageIndex);
    void SetSectionState(uint16_t bit, bool on);
    void RewriteSectionRecords();
    void ParentPageSent();
    // The section's own print job: begun with its first page drawn for the
    // printer, ended once the section or the run is through.
    void StartSectionJob();
    void EndSectionJob();
    void DrillDownClick(TjxDrawCommand* command);

    TRecord Record() const;

    // Published.
    TjxChildReport* m_report = nullptr;
    TjxPrintBehaviorType m_printBehavior = pbChild;
    bool m_parentPrinterSetup = true;
    bool m_resetPageNo = true;
    bool m_newPrintJob = false;
    bool m_traverseAllData = false;
    TjxComponent* m_drillDownComponent = nullptr;
    bool m_expandAll = false;
    std::unique_ptr<TjxOutlineSettings> m_outlineSettings;
    QStringList m_expansions;
    bool m_retainExpansions = false;

    // The child's printer setup hooks before the subreport chained its own.
    std::function<void(TjxPrinterSetup*)> m_childOnChange, m_childOnPageDefChange;

    int m_runStopPosition = 0;  // a fixed box walking the data stops here

    // Child report bookkeeping (the page-cache record).
    int m_count = 0;
    int m_reportStarts = 0;
    bool m_reportGenerated = false;
    bool m_reportStarted = false;
    bool m_reportCompleted = false;
    int m_reportPageNo = 1;
    int m_reportPageCount = 0;
    int m_lastCachedPage = 0;
    bool m_firstPassCompleted = false;
    bool m_alreadyPageBroken = false;
    bool m_pageGenerated = false;
    bool m_sectionEnded = false;  // the section ended on the parent page being made
    bool m_mainSection = false;
    bool m_sectionSubreportsOnly = false;
    bool m_childPageReady = false;  // a child page waits to move to the parent's
    TjxEngine* m_listenedEngine = nullptr;
    std::unique_ptr<TjxPrinterDevice> m_printerDevice;
    // The child report's print state at the start of its pages, by page
    // index (the last two): the child engine saves and restores here instead
    // of in a page cache of its own. Empty: the child starts from its beginning.
    struct TChildState {
        int index = -1;
        QList<QByteArray> states;
    };
    std::vector<TChildState> m_childStates;
};

} // namespace orvane
