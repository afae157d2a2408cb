#pragma once

// Prints one band on the current page: whether it fits, where it starts, which
// components print in which order, how far it grows, whether it continues on
// the next page and how far the print position advances.

#include "components/printable.h"
#include "document/band.h"
#include "document/cacheable.h"
#include "engine/data_pipeline.h"
#include "engine/engine.h"

#include <memory>

#include <array>
#include <vector>

namespace orvane {

class TjxEngine;
class TjxGroupState;

class TjxBandEngine : public TjxCacheable {
    ORVANE_CLASS(TjxBandEngine, TjxCacheable)
public:
    TjxBandEngine(TjxEngine* engine = nullptr, TjxBand* band = nullptr);
    ~TjxBandEngine() override;

    TjxBand* Band() const { return m_band; }
    TjxEngine* Engine() const { return m_engine; }
    virtual void SetBand(TjxBand* band);

    // At report start: components initialized, state reset, categories rebuilt.
    virtual void Initialize();
    // The band's print loop for the current page.
    void Print();
    // Every component of the band in band-list order (regions' children included).
    const std::vector<TjxPrintable*>& Components() const { return m_components; }

    bool NoRoom() const { return m_noRoom; }
    // Every component of the last print step fitted: nothing overflows.
    bool AllComplete() const { return m_allComplete; }
    void SetNoRoom(bool value) { m_noRoom = value; }
    bool Done() const { return m_done; }
    void SetDone(bool value) { m_done = value; }
    bool ContinueStretch() const { return m_continueStretch; }
    bool ContinueSplit() const { return m_continueSplit; }
    bool Continuing() const { return m_continueStretch || m_continueSplit; }
    bool Generating() const { return m_generating; }
    int CurrentBottom() const { return m_currentBottom; }
    int Limit() const { return m_limit; }
    int ContinuationOffset() const { return m_continuationOffset; }
    const TjxRect& BandRect() const { return m_bandRect; }
    int UsedHeight() const { return m_usedHeight; }
    int BandTop() const { return m_bandTop; }
    bool PrintedOnce() const { return m_printCount > 0; }
    int PrintCountOnPage() const { return m_printCount; }
    TjxPrintable* LowestStretchable() const { return m_lowestStretchable; }
    bool UsedSpace() const { return m_usedSpace; }
    bool IsDynamic() const { return m_band && m_band->PrintHeight() == phDynamic; }
    // A section subreport asked for a new page.
    bool PageBreakPending() const { return m_pageBreakPending; }
    void SetPageBreakPending(bool value) { m_pageBreakPending = value; }

    // Group bands: the group is breaking (headers also at report start).
    bool Breaking() const { return m_breaking; }
    void SetBreaking(bool value) { m_breaking = value; }
    // The header moved to a new page or column for this break already.
    bool ForcedNewPage() const { return m_forcedNewPage; }
    void SetForcedNewPage(bool value) { m_forcedNewPage = value; }
    bool ForcedNewColumn() const { return m_forcedNewColumn; }
    void SetForcedNewColumn(bool value) { m_forcedNewColumn = value; }
    // The group's headers reprint without counting as a break.
    void SetBreakingSuspended(bool value) { m_breakingSuspended = value; }

    // The band at the end of a page.
    virtual void PageEnd() {}

protected:
    void WriteState(QDataStream& stream) const override;
    void ReadState(QDataStream& stream) override;

    // Steps the band classes and the detail engines change.
    virtual void BeforeLoop();
    virtual void BeforePrintStep();
    virtual void SpaceStep();
    virtual void AfterGenerateStep() {}
    virtual void AfterPrintStep();
    virtual void AdvancePosition();
    virtual void AfterLoop() {}
    virtual bool LoopEnds() const;

    void BasicSpaceStep(int limit, int bandTop);
    void GenerateComponents();
    void EmitDrawCommands();
    void FireBandEvent(const TMethod& handler, int eventId);
    int PageBottomLimit() const;
    TjxGroupState* GroupState() const;
    bool IsPageBand() const;
    bool SkipPageBand() const;
    void GroupHeaderSpaceRules();
    void ForceNewPage();
    void ForceNewColumn();

    TjxEngine* m_engine = nullptr;
    TjxBand* m_band = nullptr;
    std::vector<TjxPrintable*> m_components;
    std::array<std::vector<TjxPrintable*>, 4> m_categories;

    // Print state.
    bool m_allComplete = true;
    int m_printCount = 0;
    int m_currentBottom = 0;
    int m_continuationOffset = 0;
    bool m_generating = false;
    bool m_done = false;
    TjxPrintable* m_lowestStretchable = nullptr;
    int m_lowestStretchBottom = 0;
    int m_firstIncompleteCategory = 0;
    int m_firstIncompleteIndex = 0;
    bool m_firstIncompleteStretching = false;
    bool m_foundIncomplete = false;
    bool m_continueStretch = false;
    bool m_noRoom = false;
    int m_limit = 0;
    bool m_continueSplit = false;
    std::vector<TjxPrintable*> m_printed;
    bool m_pageBreakPending = false;
    TjxRect m_bandRect;
    bool m_printPositionToggle = false;
    int m_usedHeight = 0;
    int m_bandTop = 0;
    int m_lastPagePrinted = 0;
    bool m_usedSpace = false;
    bool m_freshPrint = true;
    bool m_printedOnPage = false;
    int m_bandSaveNo = 0;  // the number of this band print, on its text commands

    // Group bands, title and summary.
    bool m_breaking = false;
    bool m_forcedNewPage = false;
    bool m_forcedNewColumn = false;
    bool m_breakingSuspended = false;
    bool m_newPageDone = false;  // title or summary with NewPage
};

// The detail band's engine: record advance, prints per record, AutoStop.
class TjxDetailBandEngine : public TjxBandEngine {
    ORVANE_CLASS(TjxDetailBandEngine, TjxBandEngine)
public:
    using TjxBandEngine::TjxBandEngine;
    void SetBand(TjxBand* band) override;
    void Initialize() override;
    // The band's prints on the current page.
    void ResetPageCount() { m_pagePrintCount = 0; }

protected:
    void WriteState(QDataStream& stream) const override;
    void ReadState(QDataStream& stream) override;
    void BeforePrintStep() override;
    void SpaceStep() override;
    void AfterGenerateStep() override;
    void AfterPrintStep() override;
    bool LoopEnds() const override;
    void AfterLoop() override;

    int m_printsPerRecord = 1;
    int m_pagePrintCount = 0;
};

// Columns traversed top to bottom, or a single column.
class TjxVerticalBandEngine : public TjxDetailBandEngine {
    ORVANE_CLASS(TjxVerticalBandEngine, TjxDetailBandEngine)
public:
    using TjxDetailBandEngine::TjxDetailBandEngine;
};

// Columns traversed left to right: a row of records, then the next row.
class TjxHorizontalBandEngine : public TjxDetailBandEngine {
    ORVANE_CLASS(TjxHorizontalBandEngine, TjxDetailBandEngine)
public:
    using TjxDetailBandEngine::TjxDetailBandEngine;
    void Initialize() override;
    void PageEnd() override;
    bool ColumnStarted(int column) const { return m_started.at(size_t(column)); }
    bool ColumnFinished(int column) const { return m_finished.at(size_t(column)); }

protected:
    void WriteState(QDataStream& stream) const override;
    void ReadState(QDataStream& stream) override;
    void BeforeLoop() override;
    void BeforePrintStep() override;
    void SpaceStep() override;
    void AfterGenerateStep() override;
    void AdvancePosition() override;
    void AfterLoop() override;

private:
    void PrintColumnHeader(int column);
    void PrintColumnFooter(int column);

    int m_savedLeft = 0;
    std::vector<bool> m_started;
    std::vector<bool> m_finished;
    int m_columnHeaderHeight = 0;
};

// The print state of a group during a run.
class TjxGroupState : public TjxCacheable {
    ORVANE_CLASS(TjxGroupState, TjxCacheable)
public:
    TjxGroupState(TjxEngine* engine = nullptr, TjxGroup* group = nullptr);
    ~TjxGroupState() override;

    TjxGroup* Group() const { return m_group; }
    TjxDataPipeline* Pipeline() const { return m_pipeline; }
    void SetPipeline(TjxDataPipeline* value) { m_pipeline = value; }
    int Index() const;

    // The break value of the current record.
    QString BreakValue();
    void RefreshPriorValue() { m_priorValue = BreakValue(); }
    bool ValueChanged() { return BreakValue() != m_priorValue; }
    void ResetBreakState();
    // The group breaks: both its bands start breaking.
    void Break();
    int BreakNo() const { return m_breakNo; }
    void CountBreak() { ++m_breakNo; }

    int FirstPage() const { return m_firstPage; }
    void SetFirstPage(int value) { m_firstPage = value; }
    int LastPage() const { return m_lastPage; }
    void SetLastPage(int value) { m_lastPage = value; }
    int HeaderPage() const { return m_headerPage; }
    int HeaderColumn() const { return m_headerColumn; }
    void SetHeaderPrinted(int page, int column)
    {
        m_headerPage = page;
        m_headerColumn = column;
    }
    bool Moved() const { return m_moved; }
    void SetMoved(bool value) { m_moved = value; }

    // Keep-together: the state of every cacheable, the page and the data
    // positions when the header started.
    void TakeKeepTogetherPoint();
    bool HasKeepTogetherPoint() const { return m_hasPoint; }
    void RollBack();
    void ClearKeepTogetherPoint() { m_hasPoint = false; }

protected:
    void WriteState(QDataStream& stream) const override;
    void ReadState(QDataStream& stream) override;

private:
    TjxEngine* m_engine = nullptr;
    TjxGroup* m_group = nullptr;
    TjxDataPipeline* m_pipeline = nullptr;
    QString m_priorValue;
    int m_breakNo = 0;
    int m_firstPage = 0;
    int m_lastPage = 0;
    int m_headerPage = 0;
    int m_headerColumn = 0;
    bool m_moved = false;
    bool m_hasPoint = false;
    std::vector<QByteArray> m_pointStates;
    std::unique_ptr<TjxPage> m_pointPage;
    TjxPipelinePosition m_pointMaster, m_pointDetail;
    TjxPrintPosition m_pointPosition;
};

} // namespace orvane
