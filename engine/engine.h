#pragma once

// The report engine: turns a report's bands and pipelines into pages. It lays
// out page after page in the page it owns, hands every finished page on, and
// saves its state per page so that any page can be generated again.

#include "document/cacheable.h"
#include "document/custom_report.h"
#include "engine/data_pipeline.h"
#include "output/page_request.h"

#include <QDateTime>
#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <vector>

namespace orvane {

class TjxBandEngine;
class TjxDetailBandEngine;
class TjxGroupState;
class TjxCacheManager;
class TjxPage;
class TjxPrintable;
class TjxDrawText;
class TjxOutline;

// Which bands may print right now: a band prints only while one of its own
// condition bits is in the engine's set.
enum TjxPrintCondition : uint16_t {
    pcTitle = 1,
    pcSummary = 2,
    pcHeader = 4,
    pcFooter = 8,
    pcColumnHeader = 16,
    pcColumnFooter = 32,
    pcGroupHeader = 64,
    pcGroupFooter = 128,
    pcDetail = 256,
};

enum TjxEngineStateBit : uint16_t {
    esInitialized = 1,
    esFirstPass = 2,
    esSecondPass = 4,
    esNoData = 8,
    esTitleOwnPage = 16,
    esSummaryOwnPage = 32,
    esNewPageForSection = 64,
    esSectionGenerating = 128,
    esSectionEnded = 256,
};

// The band lists in page order; the index says where generation resumes.
enum TjxBandList : int {
    blPageStyle = 0, blHeader, blTitle, blColumnHeader, blGroupHeader, blDetail, blGroupFooter,
    blSummary, blColumnFooter, blFooter, blCount
};

// The condition bits a band prints under.
uint16_t BandPrintConditions(const TjxBand& band);

// What the engine and its band engines share about the current print position.
struct TjxPrintPosition {
    int left = 0, top = 0, right = 0, bottom = 0;
};

class TjxCustomEngine : public TjxCacheable {
    ORVANE_CLASS(TjxCustomEngine, TjxCacheable)
public:
    explicit TjxCustomEngine(TComponent* owner = nullptr);
    ~TjxCustomEngine() override;

    TjxCustomReport* Report() const { return m_report; }
    TjxPage* Page() const { return m_page.get(); }

    int AbsolutePageNo() const { return m_absolutePageNo; }
    int AbsolutePageCount() const { return m_absolutePageCount; }
    bool StopRequested() const { return m_stopRequested; }
    void Stop() { m_stopRequested = true; }
    uint16_t State() const { return m_state; }
    bool HasState(uint16_t bit) const { return (m_state & bit) != 0; }
    void SetStateBit(uint16_t bit, bool on) { m_state = on ? uint16_t(m_state | bit) : uint16_t(m_state & ~bit); }
    uint16_t PrintConditions() const { return m_conditions; }
    bool HasCondition(uint16_t bit) const { return (m_conditions & bit) != 0; }
    void SetCondition(uint16_t bit, bool on)
    {
        m_conditions = on ? uint16_t(m_conditions | bit) : uint16_t(m_conditions & ~bit);
    }
    const TjxPrintPosition& PrintPosition() const { return m_position; }
    void SetPrintPosition(const TjxPrintPosition& value) { m_position = value; }
    bool PageStarted() const { return m_pageStarted; }

    // Hooks a report or subreport installs.
    std::function<void(TjxPage&)> OnBeforeSendPage;
    std::function<void(TjxPage&)> OnAfterSendPage;

protected:
    TjxCustomReport* m_report = nullptr;
    std::unique_ptr<TjxPage> m_page;
    TjxPrintPosition m_position;
    bool m_pageStarted = false;
    int m_absolutePageNo = 0;
    int m_absolutePageCount = 0;
    bool m_stopRequested = false;
    uint16_t m_state = 0;
    uint16_t m_conditions = 0;
};

class TjxEngine : public TjxCustomEngine {
    ORVANE_CLASS(TjxEngine, TjxCustomEngine)
public:
    // No run makes more pages than this: one that would is stopped with a
    // print error instead of producing output without end.
    static constexpr int kMaxPages = 1'000'000;

    explicit TjxEngine(TjxCustomReport* report = nullptr);
    ~TjxEngine() override;

    // Produces the pages the request asks for; nested calls are ignored.
    void Generate(const TjxPageRequest& request);
    // The producer's run ended (preview closed, print done): the pipelines a
    // partial request left open are closed.
    void EndRun();
    // 0 forgets page numbers and both sets; otherwise takes the page count.
    void Reset(int pageCount);
    // Back to "not initialized": the next run starts from the report's beginning.
    void Restart();
    bool Printing() const { return m_printing; }
    // The page limit of this engine's runs; kMaxPages unless lowered (tests
    // lower it to reach it quickly). Values below 1 restore kMaxPages.
    int MaxPages() const { return m_maxPages; }
    void SetMaxPages(int value) { m_maxPages = value > 0 ? std::min(value, kMaxPages) : kMaxPages; }

    int GetPageBottom() const;
    int PageNo() const;
    int PageCount() const;
    int CurrentColumn() const { return m_currentColumn; }
    bool FirstPass() const { return HasState(esFirstPass); }
    bool SecondPass() const { return HasState(esSecondPass); }
    bool PassOneDone() const { return m_passOneDone; }
    int PageBandCount() const { return m_pageBandCount; }
    int ReportBandCount() const { return m_reportBandCount; }
    // A component that took room on the page: progress, whatever it drew.
    void CountComponentPrint() { ++m_componentPrints; }
    QDateTime PrintDateTime() const { return m_printDateTime; }
    // The clock the engine reads the print date and time from.
    std::function<QDateTime()> Clock;
    // A subreport that drives this engine keeps the page bookkeeping in its
    // own record: it answers the last cached page and takes the page saves and
    // restores, and the engine's own page cache stays idle meanwhile.
    std::function<int()> LastCachedPageQuery;
    std::function<void(int pageIndex)> OnSavePage;
    std::function<void(int pageIndex)> OnRestorePage;
    TjxBand* ActiveBand() const { return m_currentBand; }
    int CurrentListIndex() const { return m_listIndex; }
    bool DrawPage() const { return m_drawPage; }
    bool DataExhausted() const { return m_dataExhausted; }
    bool GenerationDone() const { return m_generationDone; }
    // The report's last band has been generated.
    bool FinalBandDone() const { return m_finalBandDone; }
    // The outline of the current run of a main report whose outline is on.
    TjxOutline* Outline() const { return m_outline.get(); }
    int SpaceUsed() const { return m_spaceUsed; }
    TjxDataPipeline* MasterPipeline() const { return m_master; }
    TjxDataPipeline* DetailPipeline() const { return m_detail; }
    TjxCacheManager* CacheManager() const { return m_cache.get(); }
    TjxBandEngine* BandEngine(const TjxBand* band) const;
    TjxGroupState* GroupState(int index) const;
    TjxGroupState* GroupState(const TjxGroup* group) const;
    const std::vector<TjxBand*>& BandList(int index) const { return m_lists[size_t(index)]; }
    int Columns() const;
    // Left edge of a 0-based column.
    int ColumnLeft(int column) const;

    // Ends the data: the report finishes with the page being made.
    void MarkDataTraversed();

    // Band engines call these.
    void AdvanceRecord();
    void SynchronizeRecord();
    void PageHasContent() { m_pageStarted = true; }
    void SetDetailBegunOnPage() { m_detailBegunOnPage = true; }
    bool IsNewPage() const;
    bool MultiColumnMode() const { return m_multiColumnMode; }
    void GrowSpaceUsed(int used) { m_spaceUsed = SaturatedLength(TjxLength64(m_spaceUsed) + used); }
    bool TitleOrSummaryOnOwnPage() const { return HasState(esTitleOwnPage) || HasState(esSummaryOwnPage); }
    void IncrementBandCounters(bool freshPrint);
    // The number of the next band print, counted across the whole report tree
    // (a child report counts on its main report's engine): text file records
    // follow it.
    int NextBandSaveNo();
    // Lets the user interface breathe between bands when the report allows it.
    void ProcessMessages() const;

protected:
    void WriteState(QDataStream& stream) const override;
    void ReadState(QDataStream& stream) override;

private:
    friend class TjxBandEngine;
    friend class TjxDetailBandEngine;
    friend class TjxHorizontalBandEngine;
    friend class TjxGroupState;
    friend class TjxSubReport;

    bool IsChildReport() const;
    void SetComponentsPrinting(bool printing);
    bool EnableProcessMessages() const;
    void PageLoop();
    int FirstPageNumber();
    // The single page asked for, kept within the pages known to exist.
    int SettleRequestedPage();
    int NextPageNumber(int page);
    int LimitToCache(int page) const;
    int LastCachedPage() const;
    bool PageListValid(int page) const;
    int NextListedPage(int after) const;
    void InitializeReport();
    void StartOutline();
    void OpenPipelines();
    void ClosePipelines();
    void ReopenPipelines();
    void BuildBandLists();
    void BuildCache();
    void SavePage(int pageIndex);
    void RestorePage(int pageIndex);
    void HandleNoDataAtStart();
    bool HasData() const;

    void GeneratePage();
    void StartPage();
    void FillPageInfo();
    bool DecideDrawPage() const;
    void BodyLoop();
    void PrintBandList(int list, int from);
    void PrintPendingGroupFooters();
    void ReprintGroupHeaders(int upToGroup, bool includeGroup);
    void EndColumnOrPage();
    void StartColumn();
    bool ColumnValid(int column, int& left) const;
    void EndColumn();
    void EndPage();
    void RemoveLastPageBands();
    void AddNoDataCommand();
    void SaveContinuePositions();
    void ApplyContinuePositions();
    void StepBack();
    void NextRecord();
    void CheckGroupBreaks(TjxDataPipeline* moved);
    void BroadcastTraversal();
    void RefreshPriorBreakValues();
    void UpdateGroupPageNumbers();
    bool KeepTogetherRollback(TjxBand* band);
    void FireReportEvent(const TMethod& handler, int eventId);
    void RaisePrintError(const QString& message) const;

    // Run state.
    bool m_printing = false;
    int m_maxPages = kMaxPages;
    TjxPageRequest m_request;
    bool m_generationDone = false;
    bool m_finalBandDone = false;
    bool m_dataExhausted = false;
    bool m_mainReportBegun = false;
    bool m_passOneBegun = false;
    bool m_passOneDone = false;
    bool m_passTwoBegun = false;
    int m_reportBandCount = 0;
    int m_pageBandCount = 0;
    QDateTime m_printDateTime;
    int m_lastPageOfReport = 0;  // the page on which the report ended, 0 while unknown
    bool m_blankReport = false;  // no data: the report is one blank page
    int m_emptyPages = 0;        // pages in a row on which no band printed or nothing moved on
    // What the body of the page starts from, after its page bands: a page
    // whose body printed no fresh band, no component and read no record
    // leaves the report where it was, and the next page would do the same.
    struct TBodyMark {
        int bands = 0;
        int components = 0;
        int records = 0;
    };
    void MarkBodyStart() { m_bodyStart = {m_reportBandCount, m_componentPrints, m_recordAdvances}; }
    bool BodyMadeProgress() const;
    TBodyMark m_bodyStart;
    int m_componentPrints = 0;
    int m_recordAdvances = 0;
    int m_bandSaveCount = 0;     // band prints numbered so far (main reports)

    // Bands.
    std::array<std::vector<TjxBand*>, blCount> m_lists;
    std::vector<TjxBand*> m_masterList;
    TjxBand* m_lastBand = nullptr;
    TjxBand* m_currentBand = nullptr;
    int m_listIndex = blTitle;
    int m_bandIndex = 0;
    std::vector<std::unique_ptr<TjxBandEngine>> m_bandEngines;
    std::vector<std::unique_ptr<TjxGroupState>> m_groups;
    TjxGroupState* m_controlGroup = nullptr;
    TjxGroupState* m_keepTogetherGroup = nullptr;

    // Columns.
    int m_currentColumn = 0;
    int m_columnStart = 0;
    bool m_multiColumnMode = false;
    bool m_columnFilled = false;
    bool m_everyColumnBegun = false;

    // Page.
    bool m_pageFilled = false;
    bool m_drawPage = false;
    int m_spaceUsed = 0;
    bool m_detailBegunOnPage = false;
    int m_latestPageMade = 0;

    // Data.
    TjxDataPipeline* m_master = nullptr;
    TjxDataPipeline* m_detail = nullptr;
    std::vector<TjxDataPipeline*> m_lookups;
    bool m_masterMoved = false;
    bool m_detailMoved = false;
    bool m_nextRecordDue = false;
    bool m_calcBehind = false;
    bool m_breakCheckOn = false;
    int m_lowestBreakIndex = 0;
    TjxPipelinePosition m_continueMaster, m_continueDetail;
    bool m_hasContinuePositions = false;

    std::unique_ptr<TjxOutline> m_outline;

    // The page cache of the main report.
    std::unique_ptr<TjxCacheManager> m_cache;
    std::vector<TjxCacheable*> m_cacheables;
};

} // namespace orvane
