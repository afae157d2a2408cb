#include "engine/engine.h"

#include "components/component.h"
#include "document/class_registry.h"
#include "document/errors.h"
#include "document/event_ids.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/page_def.h"
#include "document/printer_setup.h"
#include "document/report.h"
#include "engine/band_engine.h"
#include "engine/cache_manager.h"
#include "engine/outline.h"
#include "engine/pipeline_list.h"
#include "output/draw_text.h"
#include "output/page.h"

#include <QCoreApplication>
#include <algorithm>
#include <limits>

namespace orvane {

uint16_t BandPrintConditions(const TjxBand& band)
{
    switch (band.BandType()) {
    case btTitle: return pcTitle;
    case btSummary: return pcSummary;
    case btHeader:
    case btPageStyle: return pcHeader;
    case btFooter: return pcFooter;
    case btColumnHeader: return pcColumnHeader;
    case btColumnFooter: return pcColumnFooter;
    case btDetail: return pcDetail;
    case btGroupFooter: return pcGroupFooter;
    case btGroupHeader: {
        uint16_t bits = pcGroupHeader;
        if (const TjxGroup* group = band.Group()) {
            if (group->ReprintOnSubsequentPage())
                bits |= pcHeader;
            if (band.Report() && band.Report()->Columns() > 1 && group->ReprintOnSubsequentColumn())
                bits |= pcColumnHeader;
        }
        return bits;
    }
    }
    return 0;
}

namespace {

// How messages name a band: its user name, else its component name, else its class.
QString BandDisplayName(const TjxBand* band)
{
    if (!band)
        return TjxBand::StaticClass().className;
    for (const QString& name : {band->UserName(), band->Name()})
        if (!name.trimmed().isEmpty())
            return name;
    return band->ClassName();
}

} // namespace

// ---- TjxCustomEngine ----

const TClassInfo& TjxCustomEngine::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxCustomEngine>("TjxCustomEngine", &TjxCacheable::StaticClass()).Build();
    return info;
}

TjxCustomEngine::TjxCustomEngine(TComponent* owner) : TjxCacheable(owner), m_page(std::make_unique<TjxPage>()) {}

TjxCustomEngine::~TjxCustomEngine() = default;

// ---- TjxEngine ----

const TClassInfo& TjxEngine::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TjxEngine>("TjxEngine", &TjxCustomEngine::StaticClass()).Build();
    return info;
}

TjxEngine::TjxEngine(TjxCustomReport* report) : TjxCustomEngine(nullptr)
{
    m_report = report;
    m_cache = std::make_unique<TjxCacheManager>();
    m_cache->OnFatal = [this] { Stop(); };
    Clock = [] { return QDateTime::currentDateTime(); };
}

TjxEngine::~TjxEngine()
{
    // The manager must forget the band engines before they go.
    m_cache->Clear();
}

bool TjxEngine::IsChildReport() const
{
    return m_report && m_report->InheritsFrom(TjxChildReport::StaticClass());
}

int TjxEngine::NextBandSaveNo()
{
    TjxEngine* counter = this;
    if (IsChildReport())
        if (TjxCustomReport* main = static_cast<TjxChildReport*>(m_report)->MainReport(); main && main->HasEngine())
            counter = main->Engine();
    // 0 marks a text that no band print has numbered yet.
    counter->m_bandSaveCount = counter->m_bandSaveCount == std::numeric_limits<int>::max() ? 1
                                                                                          : counter->m_bandSaveCount + 1;
    return counter->m_bandSaveCount;
}

bool TjxEngine::EnableProcessMessages() const
{
    return m_report && m_report->EnableProcessMessages();
}

void TjxEngine::ProcessMessages() const
{
    if (EnableProcessMessages() && QCoreApplication::instance())
        QCoreApplication::processEvents();
}

void TjxEngine::RaisePrintError(const QString& message) const
{
    throw EPrintError(message);
}

void TjxEngine::FireReportEvent(const TMethod& handler, int eventId)
{
    TjxEventParams params;
    handler(m_report, params);
    m_report->SendEventNotify(eventId);
}

TjxBandEngine* TjxEngine::BandEngine(const TjxBand* band) const
{
    for (const auto& engine : m_bandEngines)
        if (engine->Band() == band)
            return engine.get();
    return nullptr;
}

TjxGroupState* TjxEngine::GroupState(int index) const
{
    return index >= 0 && index < int(m_groups.size()) ? m_groups[size_t(index)].get() : nullptr;
}

TjxGroupState* TjxEngine::GroupState(const TjxGroup* group) const
{
    for (const auto& state : m_groups)
        if (state->Group() == group)
            return state.get();
    return nullptr;
}

int TjxEngine::Columns() const
{
    return m_report ? std::max(1, m_report->Columns()) : 1;
}

// ---- page geometry ----

int TjxEngine::GetPageBottom() const
{
    if (!m_report)
        RaisePrintError(GetMessage(msg::EngineWithoutReport));
    const TjxPageDef* def = m_report->PrinterSetup()->PageDef();
    // Worked out exactly; only the result is brought into the int range.
    TjxLength64 bottom = TjxLength64(def->mmHeight()) - def->mmMarginBottom();
    for (TjxBand* band : m_report->Bands())
        if (band->Visible() && (band->BandType() == btColumnFooter || band->BandType() == btFooter))
            bottom -= band->mmHeight();
    return SaturatedLength(bottom);
}

int TjxEngine::PageNo() const
{
    if (m_printing && m_controlGroup) {
        if (m_absolutePageNo == 1 && m_report->FindBand(btTitle) &&
            static_cast<TjxReportBand*>(m_report->FindBand(btTitle))->NewPage())
            return m_absolutePageNo;
        return m_absolutePageNo - m_controlGroup->FirstPage() + 1;
    }
    return m_absolutePageNo;
}

int TjxEngine::PageCount() const
{
    if (m_printing && m_controlGroup) {
        if (m_absolutePageNo == 1 && m_report->FindBand(btTitle) &&
            static_cast<TjxReportBand*>(m_report->FindBand(btTitle))->NewPage())
            return 1;
        return m_controlGroup->LastPage() - m_controlGroup->FirstPage() + 1;
    }
    return m_absolutePageCount;
}

int TjxEngine::ColumnLeft(int column) const
{
    const TjxPageDef* def = m_report->PrinterSetup()->PageDef();
    TStrings* positions = m_report->ColumnPositions();
    if (!positions || positions->Count() == 0)
        return SaturatedLength(TjxLength64(def->mmMarginLeft()) + TjxLength64(m_report->mmColumnWidth()) * column);
    if (column >= positions->Count())
        RaisePrintError(FillMessage(FormatMessage(GetMessage(43)), {QString::number(column + 1)}) + u'.');
    bool ok = false;
    const double value = positions->Strings(column).trimmed().toDouble(&ok);
    if (!ok)
        RaisePrintError(FillMessage(FormatMessage(GetMessage(42)), {QString::number(column + 1)}) + u'.');
    return UnitsToThousandths(float(value), m_report->Units(), axHorizontal);
}

// ---- runs ----

void TjxEngine::Reset(int pageCount)
{
    if (pageCount == 0) {
        m_absolutePageNo = 0;
        m_absolutePageCount = 0;
        m_state = 0;
        m_conditions = 0;
    } else {
        m_absolutePageCount = pageCount;
    }
    m_page->Clear();
    m_passOneBegun = m_passOneDone = m_passTwoBegun = false;
    m_lastPageOfReport = 0;
}

void TjxEngine::Restart()
{
    if (m_printing)
        return;
    ClosePipelines();
    m_page->Clear();
    m_absolutePageNo = m_absolutePageCount = 0;
    m_state = 0;
    m_conditions = 0;
    m_passOneBegun = m_passOneDone = m_passTwoBegun = false;
    m_mainReportBegun = false;
    m_lastPageOfReport = 0;
    m_cache->Clear();
}

void TjxEngine::MarkDataTraversed()
{
    m_dataExhausted = true;
    SetCondition(pcSummary, true);
    SetCondition(pcGroupFooter, true);
}

void TjxEngine::Generate(const TjxPageRequest& request)
{
    if (m_printing || !m_report)
        return;
    m_printing = true;
    m_request.Assign(&request);
    SetComponentsPrinting(true);
    try {
        const bool twoPass = m_report->PassSetting() == psTwoPass && !IsChildReport() && !m_passOneDone;
        if (twoPass) {
            const TjxPageSettingType requested = m_request.PageSetting();
            m_request.SetPageSetting(psAll);
            PageLoop();
            m_request.Assign(&request);
            m_request.SetPageSetting(requested);
            if (!m_stopRequested)
                PageLoop();
        } else {
            PageLoop();
        }
    } catch (...) {
        m_stopRequested = true;
        m_printing = false;
        SetComponentsPrinting(false);
        throw;
    }
    m_printing = false;
    SetComponentsPrinting(false);
}

void TjxEngine::SetComponentsPrinting(bool printing)
{
    // Between runs the components show themselves as the designer does.
    for (const auto& engine : m_bandEngines)
        for (TjxPrintable* component : engine->Components())
            component->SetPrinting(printing);
}

int TjxEngine::LastCachedPage() const
{
    if (LastCachedPageQuery)
        return LastCachedPageQuery();
    return m_cache->CachedPageCount();
}

int TjxEngine::LimitToCache(int page) const
{
    const int limit = LastCachedPage() + 1;
    if (page > limit)
        page = limit;
    // Past the end of a finished report there is nothing to make.
    if (m_lastPageOfReport > 0 && page > m_lastPageOfReport)
        page = m_lastPageOfReport;
    return page;
}

bool TjxEngine::PageListValid(int page) const
{
    return page > 0 && (!m_passOneDone || page <= m_absolutePageCount);
}

int TjxEngine::NextListedPage(int after) const
{
    // The first valid listed page after `after`; pages in between are laid out undrawn.
    const TStrings* list = m_request.PageList();
    int next = 0;
    for (int i = 0; i < list->Count(); ++i) {
        const int page = list->Strings(i).trimmed().toInt();
        if (page > after && PageListValid(page) && (next == 0 || page < next))
            next = page;
    }
    return next;
}

int TjxEngine::SettleRequestedPage()
{
    // A single page past the known end settles on the last page.
    int requested = std::max(1, m_request.PageRequested());
    if (m_passOneDone && requested > m_absolutePageCount)
        requested = m_absolutePageCount;
    if (m_lastPageOfReport > 0 && requested > m_lastPageOfReport)
        requested = m_lastPageOfReport;
    m_request.SetPageRequested(requested);
    return requested;
}

int TjxEngine::FirstPageNumber()
{
    int page = 1;
    switch (m_request.PageSetting()) {
    case psAll:
    case psFirstPage: page = 1; break;
    case psPageList: page = NextListedPage(0); break;
    case psSinglePage: page = SettleRequestedPage(); break;
    case psLastPage: page = m_passOneDone ? m_absolutePageCount : LastCachedPage() + 1; break;
    case psPageRange: page = 0; break;
    }
    if (page <= 0)
        return 0;
    return std::max(1, LimitToCache(page));
}

int TjxEngine::NextPageNumber(int page)
{
    switch (m_request.PageSetting()) {
    case psAll:
        if (m_finalBandDone)
            m_generationDone = true;
        else
            ++page;
        break;
    case psPageList: {
        const int next = NextListedPage(page);
        if (next == 0)
            m_generationDone = true;
        else
            page = next;
        break;
    }
    case psSinglePage:
        if (page == m_request.PageRequested() && m_drawPage) {
            m_generationDone = true;
        } else {
            const int requested = SettleRequestedPage();
            page = page < requested ? page + 1 : requested;
        }
        break;
    case psFirstPage: m_generationDone = true; break;
    case psLastPage:
        if (m_finalBandDone && m_drawPage)
            m_generationDone = true;
        else if (m_passOneDone)
            page = m_absolutePageCount;
        else
            ++page;
        break;
    case psPageRange: m_generationDone = true; break;
    }
    return LimitToCache(page);
}

void TjxEngine::PageLoop()
{
    m_generationDone = false;
    m_stopRequested = false;
    m_finalBandDone = false;
    if (!HasState(esInitialized)) {
        StartOutline();
        InitializeReport();
    } else
        ReopenPipelines();
    SendEventNotify(ciEngineGenerationStarted);
    int page = m_generationDone ? 0 : FirstPageNumber();
    if (page == 0)
        m_generationDone = true;
    while (!m_generationDone && !m_stopRequested) {
        m_spaceUsed = 0;
        const bool secondPass = m_report->PassSetting() != psOnePass && m_passOneDone;
        SetStateBit(esFirstPass, !secondPass);
        SetStateBit(esSecondPass, secondPass);
        if (!secondPass && !m_passOneBegun) {
            m_passOneBegun = true;
            FireReportEvent(m_report->m_onStartFirstPass, ciReportStartFirstPass);
        } else if (secondPass && !m_passTwoBegun) {
            m_passTwoBegun = true;
            FireReportEvent(m_report->m_onStartSecondPass, ciReportStartSecondPass);
        }
        const bool passOneWasDone = m_passOneDone;
        if (page > m_maxPages)
            RaisePrintError(MessageText(msg::PageLimitPassed, {QString::number(m_maxPages)}));
        m_absolutePageNo = page;
        GeneratePage();
        if (!secondPass && !passOneWasDone && m_passOneDone)
            FireReportEvent(m_report->m_onEndFirstPass, ciReportEndFirstPass);
        else if (secondPass && m_finalBandDone && m_absolutePageNo >= m_absolutePageCount)
            FireReportEvent(m_report->m_onEndSecondPass, ciReportEndSecondPass);
        if (m_stopRequested || m_generationDone)
            break;
        page = NextPageNumber(page);
        ProcessMessages();
    }
    // A request that stopped short of the end keeps the pipelines open: the
    // next page continues from its bookmarks instead of reading every record
    // before them again. The producer closes them when its run ends.
    const bool reachedEnd = m_finalBandDone || m_stopRequested || IsChildReport();
    if (m_generationDone && reachedEnd && (m_passOneDone || m_stopRequested) &&
        (m_report->PassSetting() == psOnePass || HasState(esSecondPass) || m_stopRequested))
        ClosePipelines();
}

void TjxEngine::EndRun()
{
    if (!m_printing)
        ClosePipelines();
}

// ---- report initialization ----

void TjxEngine::OpenPipelines()
{
    m_master = dynamic_cast<TjxDataPipeline*>(m_report->DataPipeline());
    m_detail = nullptr;
    m_lookups.clear();
    TjxDataPipelineList list(m_report);
    if (TjxBand* detailBand = m_report->FindBand(btDetail)) {
        const QString name = static_cast<TjxDetailBand*>(detailBand)->DataPipelineName();
        TjxDataPipeline* pipeline = list.FindByName(name);
        if (pipeline && pipeline != m_master)
            m_detail = pipeline;
    }
    for (TjxBand* band : m_report->Bands())
        for (int i = 0; i < band->ChildCount(); ++i) {
            auto* printable = dynamic_cast<TjxPrintable*>(band->Child(i));
            auto* pipeline = printable ? dynamic_cast<TjxDataPipeline*>(printable->DataPipeline()) : nullptr;
            if (pipeline && pipeline != m_master && pipeline != m_detail &&
                std::find(m_lookups.begin(), m_lookups.end(), pipeline) == m_lookups.end())
                m_lookups.push_back(pipeline);
        }
    auto open = [&](TjxDataPipeline* pipeline, bool moveFirst) {
        const QString failed = GetMessage(msg::CouldNotOpenDataSet) + QStringLiteral(": ") + pipeline->NameForMessages();
        try {
            pipeline->Open();
        } catch (const EOrvaneError& e) {
            // The pipeline's own reason says what to fix.
            RaisePrintError(failed + QStringLiteral(". ") + e.Message());
        }
        if (!pipeline->Active())
            RaisePrintError(failed);
        if (moveFirst) {
            pipeline->InitTraversal(&list);
            if (!IsChildReport())
                pipeline->MarkCurrentRecord();
            pipeline->First();
        }
    };
    if (m_master)
        open(m_master, true);
    if (m_detail)
        open(m_detail, true);
    for (TjxDataPipeline* pipeline : m_lookups)
        open(pipeline, false);
}

void TjxEngine::StartOutline()
{
    // Each run of the main report builds its own tree; pages of the last run keep theirs.
    auto* report = dynamic_cast<TjxReport*>(m_report);
    if (!report || IsChildReport() || !report->OutlineSettings()->Enabled()) {
        m_outline.reset();
        return;
    }
    if (!m_outline)
        m_outline = std::make_unique<TjxOutline>(report);
    m_outline->Initialize();
}

void TjxEngine::ReopenPipelines()
{
    // A finished report closed its pipelines; pages made again need them.
    TjxDataPipelineList list(m_report);
    for (TjxDataPipeline* pipeline : {m_master, m_detail})
        if (pipeline && !pipeline->Active()) {
            pipeline->Open();
            pipeline->InitTraversal(&list);
        }
    for (TjxDataPipeline* pipeline : m_lookups)
        if (!pipeline->Active())
            pipeline->Open();
}

void TjxEngine::ClosePipelines()
{
    // Pipelines opened by the report are closed when it finishes.
    for (TjxDataPipeline* pipeline : m_lookups)
        if (pipeline->Active())
            pipeline->Close();
    if (m_detail && m_detail->Active())
        m_detail->Close();
    if (m_master && m_master->Active())
        m_master->Close();
}

bool TjxEngine::HasData() const
{
    if (m_stopRequested)
        return false;
    if (!m_master)
        return true;
    return !(m_master->NoRecords() || (m_master->Bof() && m_master->Eof()));
}

void TjxEngine::InitializeReport()
{
    if (!IsChildReport() && !m_mainReportBegun) {
        m_report->SendEventNotify(ciProducerBeforeInitialize);
        m_report->SendEventNotify(ciReportBeforeOpenDataPipelines);
        m_report->SendEventNotify(ciProducerStartPrint);
    }
    OpenPipelines();
    SetStateBit(esNoData, !HasData());
    if (!IsChildReport())
        m_bandSaveCount = 0;
    if (!IsChildReport() && !m_mainReportBegun) {
        m_mainReportBegun = true;
        m_report->SendEventNotify(ciReportAfterOpenDataPipelines);
    }

    m_state = 0;
    m_conditions = 0;
    SetStateBit(esNoData, !HasData());
    m_passOneBegun = m_passOneDone = m_passTwoBegun = false;
    m_lastPageOfReport = 0;
    m_currentColumn = 0;
    m_columnFilled = m_everyColumnBegun = false;
    m_pageFilled = false;
    m_dataExhausted = false;
    m_nextRecordDue = false;
    m_calcBehind = true;
    m_breakCheckOn = false;
    m_masterMoved = m_master != nullptr;
    m_detailMoved = m_detail != nullptr;
    m_pageStarted = false;
    m_hasContinuePositions = false;
    m_blankReport = false;
    m_emptyPages = 0;

    BuildBandLists();

    m_groups.clear();
    for (int i = 0; i < m_report->GroupCount(); ++i) {
        auto state = std::make_unique<TjxGroupState>(this, m_report->Group(i));
        TjxDataPipelineList list(m_report);
        TjxDataPipeline* pipeline = list.FindByName(m_report->Group(i)->DataPipelineName());
        state->SetPipeline(pipeline ? pipeline : (m_detail ? m_detail : m_master));
        state->ResetBreakState();
        m_groups.push_back(std::move(state));
    }
    m_controlGroup = nullptr;
    m_keepTogetherGroup = nullptr;
    int highestNewPage = -1;
    for (int i = 0; i < int(m_groups.size()); ++i) {
        TjxGroup* group = m_groups[size_t(i)]->Group();
        if (!m_controlGroup && group->NewPage() && group->ResetPageNo())
            m_controlGroup = m_groups[size_t(i)].get();
        if (group->KeepTogether() && !group->NewPage())
            m_keepTogetherGroup = m_groups[size_t(i)].get();
        if (group->NewPage())
            highestNewPage = i;
    }
    if (m_keepTogetherGroup && m_keepTogetherGroup->Index() < highestNewPage)
        m_keepTogetherGroup = nullptr;

    for (const auto& engine : m_bandEngines)
        engine->Initialize();

    m_conditions = pcGroupHeader | pcTitle;
    m_printDateTime = Clock ? Clock() : QDateTime::currentDateTime();
    SetStateBit(esInitialized, true);
    SetStateBit(esFirstPass, true);
    SetStateBit(esNoData, !HasData());
    m_reportBandCount = 0;
    m_pageBandCount = 0;
    m_absolutePageNo = 0;
    m_absolutePageCount = 0;
    m_multiColumnMode = false;
    if (Columns() >= 2) {
        TjxBand* detail = m_report->FindBand(btDetail);
        m_multiColumnMode =
            !detail || static_cast<TjxDetailBand*>(detail)->ColumnTraversal() == ctTopToBottom;
    }
    m_listIndex = blTitle;
    m_bandIndex = 0;

    // Group headers start out breaking; the first one starts a page of its own.
    for (const auto& group : m_groups) {
        if (TjxBandEngine* header = BandEngine(group->Group()->HeaderBand())) {
            header->SetBreaking(true);
            header->SetForcedNewColumn(true);
            header->SetForcedNewPage(true);
        }
    }

    HandleNoDataAtStart();
    BuildCache();
    SaveContinuePositions();
    SavePage(0);
}

void TjxEngine::BuildBandLists()
{
    if (m_report->BandCount() == 0)
        m_report->CreateDefaultBands();
    for (auto& list : m_lists)
        list.clear();
    m_masterList = m_report->Bands();
    std::stable_sort(m_masterList.begin(), m_masterList.end(),
                     [](TjxBand* a, TjxBand* b) { return a->SortKey() < b->SortKey(); });
    m_bandEngines.clear();
    for (TjxBand* band : m_masterList) {
        switch (band->BandType()) {
        case btTitle: m_lists[blTitle].push_back(band); break;
        case btGroupHeader: m_lists[blGroupHeader].push_back(band); break;
        case btPageStyle: m_lists[blPageStyle].push_back(band); break;
        case btHeader: m_lists[blHeader].push_back(band); break;
        case btColumnHeader: m_lists[blColumnHeader].push_back(band); break;
        case btDetail: m_lists[blDetail].push_back(band); break;
        case btGroupFooter: m_lists[blGroupFooter].push_back(band); break;
        case btColumnFooter: m_lists[blColumnFooter].push_back(band); break;
        case btFooter: m_lists[blFooter].push_back(band); break;
        case btSummary: m_lists[blSummary].push_back(band); break;
        }
        std::unique_ptr<TjxBandEngine> engine;
        if (band->BandType() == btDetail) {
            const auto* detail = static_cast<TjxDetailBand*>(band);
            if (detail->ColumnTraversal() == ctLeftToRight && Columns() > 1)
                engine = std::make_unique<TjxHorizontalBandEngine>(this, band);
            else
                engine = std::make_unique<TjxVerticalBandEngine>(this, band);
        } else {
            engine = std::make_unique<TjxBandEngine>(this, band);
        }
        m_bandEngines.push_back(std::move(engine));
    }
    m_lastBand = nullptr;
    if (!m_lists[blSummary].empty())
        m_lastBand = m_lists[blSummary].back();
    else if (!m_lists[blGroupFooter].empty())
        m_lastBand = m_lists[blGroupFooter].back();
    else if (!m_lists[blDetail].empty())
        m_lastBand = m_lists[blDetail].back();
}

void TjxEngine::BuildCache()
{
    // Engine, groups, then every band followed by its components.
    m_cacheables.clear();
    m_cacheables.push_back(this);
    for (const auto& group : m_groups)
        m_cacheables.push_back(group.get());
    for (const auto& engine : m_bandEngines) {
        m_cacheables.push_back(engine.get());
        for (TjxPrintable* component : engine->Components())
            m_cacheables.push_back(component);
    }
    if (!OnSavePage)
        m_cache->Attach(m_cacheables);
}

void TjxEngine::SavePage(int pageIndex)
{
    if (OnSavePage)
        OnSavePage(pageIndex);
    else
        m_cache->SavePage(pageIndex);
}

void TjxEngine::RestorePage(int pageIndex)
{
    if (OnRestorePage)
        OnRestorePage(pageIndex);
    else
        m_cache->RestorePage(pageIndex);
}

bool TjxEngine::IsNewPage() const
{
    return m_absolutePageNo == 0 || m_absolutePageNo > LastCachedPage();
}

void TjxEngine::HandleNoDataAtStart()
{
    if (HasData() || !(m_report->NoDataBehaviors() & (1u << ndBlankPage)))
        return;
    m_generationDone = true;
    m_finalBandDone = true;
    m_mainReportBegun = false;
    TjxEventParams params{{QStringLiteral("aShowDialog"), !m_passTwoBegun, true},
                          {QStringLiteral("aAddDrawCommand"), false, true}};
    m_report->m_onNoData(m_report, params);
    m_report->SendEventNotify(ciReportNoData, &params);
    if (m_report->PassSetting() == psTwoPass)
        m_passTwoBegun = true;
    // The report is one blank page.
    m_generationDone = false;
    m_blankReport = true;
    MarkDataTraversed();
}

// ---- one page ----

void TjxEngine::ApplyContinuePositions()
{
    if (!m_hasContinuePositions)
        return;
    if (m_master && m_master->Active())
        m_master->RestorePosition(m_continueMaster, false);
    if (m_detail && m_detail->Active())
        m_detail->RestorePosition(m_continueDetail, false);
}

void TjxEngine::SaveContinuePositions()
{
    m_hasContinuePositions = true;
    if (m_master && m_master->Active())
        m_continueMaster = m_master->SavePosition();
    if (m_detail && m_detail->Active())
        m_continueDetail = m_detail->SavePosition();
}

void TjxEngine::GeneratePage()
{
    RestorePage(m_absolutePageNo - 1);
    ApplyContinuePositions();
    if (m_blankReport) {
        StartPage();
        m_finalBandDone = true;
        EndPage();
        return;
    }
    if (HasState(esNewPageForSection) || HasState(esSectionGenerating)) {
        StartPage();
        m_pageStarted = false;
    } else {
        m_pageStarted = false;
        StartPage();
        // The page bands leave the place where the body goes on alone.
        const int bodyList = m_listIndex, bodyBand = m_bandIndex;
        if (!m_pageFilled) {
            const uint16_t before = m_conditions;
            SetCondition(pcHeader, true);
            PrintBandList(blPageStyle, 0);
            m_conditions = uint16_t(m_conditions | (before & pcHeader));
            MarkBodyStart();
        }
        if (!m_pageFilled && HasCondition(pcTitle)) {
            PrintBandList(blTitle, 0);
            if (!m_pageFilled)
                SetCondition(pcTitle, false);
        }
        if (!m_pageFilled) {
            SetCondition(pcHeader, true);
            PrintBandList(blHeader, 0);
            if (!m_pageFilled)
                MarkBodyStart();
        }
        m_listIndex = bodyList;
        m_bandIndex = bodyBand;
        if (m_listIndex != blGroupFooter) {
            SynchronizeRecord();
            RefreshPriorBreakValues();
        }
        if (!m_pageFilled) {
            if (m_listIndex <= blColumnHeader || m_listIndex == blDetail) {
                m_listIndex = blGroupHeader;
                m_bandIndex = 0;
            } else if (m_listIndex == blGroupHeader) {
                m_bandIndex = 0;
            } else if (m_listIndex == blGroupFooter && !m_multiColumnMode) {
                PrintPendingGroupFooters();
            }
        }
    }
    if (!m_pageFilled)
        BodyLoop();
}

bool TjxEngine::DecideDrawPage() const
{
    const bool twoPass = m_report->PassSetting() == psTwoPass && !IsChildReport();
    bool draw = (HasState(esFirstPass) && !twoPass) || (HasState(esSecondPass) && twoPass);
    if (!draw)
        return false;
    switch (m_request.PageSetting()) {
    case psPageList: {
        const QString number = QString::number(m_absolutePageNo);
        for (int i = 0; i < m_request.PageList()->Count(); ++i)
            if (m_request.PageList()->Strings(i).trimmed() == number)
                return true;
        return false;
    }
    case psSinglePage: return m_absolutePageNo == m_request.PageRequested();
    case psFirstPage: return m_absolutePageNo == 1;
    case psLastPage: return m_passOneDone && m_absolutePageNo == m_absolutePageCount;
    case psPageRange: return false;
    case psAll: return true;
    }
    return draw;
}

void TjxEngine::FillPageInfo()
{
    TjxPage& page = *m_page;
    // A section's page keeps its own setup, producer and numbers.
    const bool section = HasState(esNewPageForSection) || HasState(esSectionGenerating) || HasState(esSectionEnded);
    if (!section) {
        page.SetPrinterSetup(m_report->PrinterSetup());
        page.SetProducer(m_report);
    }
    page.SetAbsolutePageNo(m_absolutePageNo);
    page.SetAbsolutePageCount(m_absolutePageCount);
    if (!section) {
        page.SetPageNo(PageNo());
        page.SetPageCount(PageCount());
    }
    page.SetDocumentName(m_report->PrinterSetup()->DocumentName());
    page.SetFirstPage(m_absolutePageNo == 1);
    page.SetLastPage(m_lastPageOfReport > 0 && m_absolutePageNo == m_lastPageOfReport);
    page.SetLanguageIndex(m_report->LanguageIndex());
    page.SetPassSetting(m_report->PassSetting());
    // Days since 1899-12-30 in local time, as date-time values are kept everywhere.
    page.SetPrintDateTime(m_printDateTime.isValid()
                              ? double(QDate(1899, 12, 30).daysTo(m_printDateTime.date())) +
                                    m_printDateTime.time().msecsSinceStartOfDay() / 86400000.0
                              : 0.0);
    page.SetFinal(m_drawPage);
    page.SetCalculation(!m_drawPage);
    page.SetControlGroupBreakNo(m_controlGroup ? m_controlGroup->BreakNo() : 0);
}

void TjxEngine::StartPage()
{
    if (!m_lists[blDetail].empty())
        if (auto* detail = dynamic_cast<TjxDetailBandEngine*>(BandEngine(m_lists[blDetail].front())))
            detail->ResetPageCount();
    if (m_absolutePageNo == 1)
        SendEventNotify(ciEngineStartFirstPage);
    FireReportEvent(m_report->m_onStartPage, ciReportStartPage);
    if (m_absolutePageNo == 1)
        SetCondition(pcDetail, true);

    const TjxPageDef* def = m_report->PrinterSetup()->PageDef();
    m_position = {def->mmMarginLeft(), def->mmMarginTop(), def->mmPrintableRight(), def->mmMarginTop()};
    m_detailBegunOnPage = false;
    m_everyColumnBegun = false;
    m_currentColumn = 0;
    m_columnStart = 0;
    m_pageFilled = false;
    m_columnFilled = false;
    m_pageBandCount = 1;
    MarkBodyStart();
    if (!m_passOneDone && m_absolutePageCount < m_absolutePageNo) {
        m_absolutePageCount = m_absolutePageNo;
        UpdateGroupPageNumbers();
    }
    if (m_controlGroup && m_controlGroup->LastPage() < m_absolutePageNo && !m_passOneDone)
        m_controlGroup->SetLastPage(m_absolutePageNo);

    m_page->Clear();
    m_drawPage = false;
    m_drawPage = DecideDrawPage();
    FillPageInfo();
    for (const auto& engine : m_bandEngines)
        for (TjxPrintable* component : engine->Components())
            component->PageStart();
}

void TjxEngine::UpdateGroupPageNumbers()
{
    if (!IsNewPage() || m_listIndex == blGroupFooter || m_listIndex == blSummary)
        return;
    for (const auto& group : m_groups) {
        if (!group->Group()->ResetPageNo())
            continue;
        TjxBandEngine* header = BandEngine(group->Group()->HeaderBand());
        const bool starting = HasCondition(pcTitle) || (header && header->Breaking() && !header->Continuing());
        if (starting)
            group->SetFirstPage(m_absolutePageNo);
        group->SetLastPage(m_absolutePageNo);
    }
}

void TjxEngine::BodyLoop()
{
    // A section asked for this page: the body goes on until it asks again.
    const bool sectionPage = HasState(esNewPageForSection);
    while (m_listIndex <= blGroupFooter && !m_pageFilled && !m_stopRequested &&
           (sectionPage || !HasState(esNewPageForSection))) {
        if (m_multiColumnMode && (m_columnFilled || m_currentColumn == 0)) {
            StartColumn();
            if (m_pageFilled)
                break;
            if (m_listIndex == blGroupFooter) {
                PrintPendingGroupFooters();
            } else if (m_listIndex == blGroupHeader || m_listIndex == blDetail) {
                ReprintGroupHeaders(int(m_groups.size()) - 1, true);
                m_listIndex = blDetail;
                m_bandIndex = 0;
            }
        }
        if (!m_multiColumnMode || !m_columnFilled) {
            const int list = m_listIndex;
            const int bands = m_reportBandCount;
            const bool exhaustedBefore = m_dataExhausted;
            PrintBandList(list, m_bandIndex);
            if (!m_pageFilled && !m_columnFilled) {
                int next = list + 1;
                if (next > blGroupFooter && !m_dataExhausted)
                    next = blGroupHeader;
                // Without a detail band nothing ever advances the data.
                if (list == blDetail && m_lists[blDetail].empty() && !m_dataExhausted)
                    MarkDataTraversed();
                if (list == blGroupFooter && next == blGroupHeader && bands == m_reportBandCount &&
                    exhaustedBefore == m_dataExhausted && m_lists[blDetail].empty())
                    MarkDataTraversed();
                m_listIndex = next;
                m_bandIndex = 0;
            }
        }
        ProcessMessages();
    }
    if (!m_pageFilled && !m_stopRequested && m_dataExhausted && m_listIndex >= blGroupFooter) {
        m_listIndex = blSummary;
        PrintBandList(blSummary, m_bandIndex);
        if (!m_pageFilled && !m_lastBand)
            m_finalBandDone = true;
    }
    if (!m_pageFilled && !m_stopRequested)
        EndColumnOrPage();
}

bool TjxEngine::BodyMadeProgress() const
{
    return m_reportBandCount != m_bodyStart.bands || m_componentPrints != m_bodyStart.components ||
           m_recordAdvances != m_bodyStart.records;
}

void TjxEngine::IncrementBandCounters(bool freshPrint)
{
    if (freshPrint)
        ++m_reportBandCount;
    ++m_pageBandCount;
}

void TjxEngine::PrintBandList(int list, int from)
{
    const std::vector<TjxBand*>& bands = m_lists[size_t(list)];
    const int previousList = m_listIndex;
    const int previousBand = m_bandIndex;
    m_listIndex = list;
    bool stoppedForRoom = false;
    int i = from;
    for (; i < int(bands.size()); ++i) {
        if (m_stopRequested)
            break;
        TjxBand* band = bands[size_t(i)];
        TjxBandEngine* engine = BandEngine(band);
        m_currentBand = band;
        m_bandIndex = i;
        if (!(BandPrintConditions(*band) & m_conditions))
            continue;
        engine->Print();
        if (engine->UsedSpace()) {
            const bool pageBand = list == blTitle || list == blHeader || list == blColumnHeader;
            const bool reprintHeader = band->BandType() == btGroupHeader && band->Group() &&
                                       band->Group()->ReprintOnSubsequentPage();
            if (!pageBand && !reprintHeader)
                m_pageStarted = true;
        }
        m_spaceUsed = std::max(m_spaceUsed, m_position.top);
        if (engine->NoRoom()) {
            if (KeepTogetherRollback(band))
                return;
            stoppedForRoom = true;
            break;
        }
        if (m_dataExhausted && band == m_lastBand)
            m_finalBandDone = true;
        if (m_pageFilled || m_columnFilled)
            break;
    }
    if (list == blGroupHeader && !stoppedForRoom) {
        SetCondition(pcTitle, false);
        SetCondition(pcHeader, false);
        SetCondition(pcColumnHeader, false);
    }
    // Only the body lists and the summary are places generation resumes at.
    if ((list >= blGroupHeader && list <= blGroupFooter) || list == blSummary) {
        m_bandIndex = stoppedForRoom ? i : (i >= int(bands.size()) ? 0 : i);
    } else {
        m_listIndex = previousList;
        m_bandIndex = previousBand;
    }
    // Column footers print while their column ends: one that runs out of room
    // has no further column to go to, and ending the column again would recurse.
    if (stoppedForRoom && !HasCondition(pcFooter) && list != blHeader && list != blPageStyle &&
        list != blColumnFooter)
        EndColumnOrPage();
    else if (stoppedForRoom && (list == blHeader || list == blPageStyle) && !m_pageFilled)
        EndColumnOrPage();
}

void TjxEngine::PrintPendingGroupFooters()
{
    // Footers that open a page repeat the headers of their enclosing groups first.
    int lowest = int(m_groups.size());
    for (int i = 0; i < int(m_groups.size()); ++i) {
        TjxBandEngine* footer = BandEngine(m_groups[size_t(i)]->Group()->FooterBand());
        if (footer && (footer->Breaking() || HasCondition(pcSummary) || footer->Continuing())) {
            lowest = i;
            break;
        }
    }
    if (lowest < int(m_groups.size()))
        ReprintGroupHeaders(lowest, m_groups[size_t(lowest)]->Group()->HeaderForOrphanedFooter());
}

void TjxEngine::ReprintGroupHeaders(int upToGroup, bool includeGroup)
{
    const int saveList = m_listIndex;
    const int saveBand = m_bandIndex;
    const int last = includeGroup ? upToGroup : upToGroup - 1;
    for (int i = 0; i <= last && i < int(m_groups.size()) && !m_pageFilled; ++i) {
        TjxGroupBand* header = m_groups[size_t(i)]->Group()->HeaderBand();
        TjxBandEngine* engine = BandEngine(header);
        if (!engine || !(BandPrintConditions(*header) & m_conditions))
            continue;
        const bool breaking = engine->Breaking();
        engine->SetBreaking(false);
        engine->SetBreakingSuspended(true);
        m_currentBand = header;
        engine->Print();
        engine->SetBreakingSuspended(false);
        engine->SetBreaking(breaking);
        m_spaceUsed = std::max(m_spaceUsed, m_position.top);
        if (engine->NoRoom())
            break;
    }
    m_listIndex = saveList;
    m_bandIndex = saveBand;
}

// ---- columns and page end ----

bool TjxEngine::ColumnValid(int column, int& left) const
{
    const TjxPageDef* def = m_report->PrinterSetup()->PageDef();
    left = ColumnLeft(column);
    const TjxLength64 right = TjxLength64(def->mmWidth()) - def->mmMarginRight();
    TStrings* positions = m_report->ColumnPositions();
    if (!positions || positions->Count() == 0)
        return right >= TjxLength64(left) + m_report->mmColumnWidth();
    return right >= left;
}

void TjxEngine::StartColumn()
{
    if (TitleOrSummaryOnOwnPage())
        return;
    if (m_currentColumn == 0)
        m_columnStart = m_position.top;
    if (m_currentColumn >= Columns()) {
        m_pageFilled = true;
        return;
    }
    ++m_currentColumn;
    m_columnFilled = false;
    int left = 0;
    if (!ColumnValid(m_currentColumn - 1, left)) {
        EndPage();
        return;
    }
    const TjxPageDef* def = m_report->PrinterSetup()->PageDef();
    m_position = {left, m_columnStart, def->mmPrintableRight(),
                  m_columnStart};
    if (!m_everyColumnBegun) {
        FireReportEvent(m_report->m_onStartColumn, ciReportStartColumn);
        SetCondition(pcColumnHeader, true);
        m_pageStarted = false;
        const int saveList = m_listIndex, saveBand = m_bandIndex;
        PrintBandList(blColumnHeader, 0);
        m_listIndex = saveList;
        m_bandIndex = saveBand;
        if (m_currentColumn >= Columns())
            m_everyColumnBegun = true;
    }
}

void TjxEngine::EndColumnOrPage()
{
    if (m_pageFilled)
        return;
    if (m_multiColumnMode && m_currentColumn > 0)
        EndColumn();
    else
        EndPage();
}

void TjxEngine::EndColumn()
{
    m_columnFilled = true;
    bool endPage = m_currentColumn >= Columns() || (m_dataExhausted && m_listIndex >= blSummary) ||
                   HasState(esNewPageForSection);
    int left = 0;
    if (!endPage && m_currentColumn < Columns()) {
        try {
            endPage = !ColumnValid(m_currentColumn, left);
        } catch (const EPrintError&) {
            endPage = false;  // reported when the column starts
        }
    }
    if (!endPage && m_currentBand && m_currentBand->BandType() == btGroupHeader && m_currentBand->Group()) {
        const TjxGroup* group = m_currentBand->Group();
        TjxBandEngine* engine = BandEngine(m_currentBand);
        if (engine && engine->ForcedNewPage() &&
            ((group->NewPage() && !group->NewColumn()) ||
             (group->mmNewPageThreshold() > 0 && group->mmNewColumnThreshold() == 0)))
            endPage = true;
    }
    if (!endPage && m_calcBehind) {
        StepBack();
    }
    if (!(TitleOrSummaryOnOwnPage() && !HasCondition(pcDetail))) {
        SetCondition(pcColumnFooter, true);
        const int saveList = m_listIndex, saveBand = m_bandIndex;
        const TjxPrintPosition save = m_position;
        PrintBandList(blColumnFooter, 0);
        m_listIndex = saveList;
        m_bandIndex = saveBand;
        m_position = save;
        SetCondition(pcColumnFooter, false);
        FireReportEvent(m_report->m_onEndColumn, ciReportEndColumn);
    }
    if (endPage) {
        const TjxPageDef* def = m_report->PrinterSetup()->PageDef();
        m_position.left = def->mmMarginLeft();
        EndPage();
    }
}

void TjxEngine::EndPage()
{
    if (m_pageFilled)
        return;
    m_pageFilled = true;
    // Pages on which nothing fits would follow one another forever.
    constexpr int kEmptyPagesAllowed = 3;
    const bool noBand = m_pageBandCount <= 1 && !m_blankReport;
    m_emptyPages = ((noBand || !BodyMadeProgress()) && !m_finalBandDone) ? m_emptyPages + 1 : 0;
    if (m_emptyPages > kEmptyPagesAllowed)
        RaisePrintError(MessageText(msg::BandCannotFit,
                                    {BandDisplayName(m_currentBand  ? m_currentBand
                                                     : m_lists[blDetail].empty() ? nullptr
                                                                                 : m_lists[blDetail].front())}));
    const bool newPage = IsNewPage();
    m_latestPageMade = m_absolutePageNo;

    // The report ends on this page when the data is through and the last band printed.
    const bool reportEnds = m_finalBandDone ||
                            (m_report->PageLimit() > 0 && m_absolutePageNo >= m_report->PageLimit());
    if (reportEnds && !m_finalBandDone) {
        MarkDataTraversed();
        m_finalBandDone = true;
    }
    if (!m_multiColumnMode || !m_passOneDone)
        SaveContinuePositions();
    if (newPage)
        SavePage(m_absolutePageNo);
    if (m_calcBehind && !m_multiColumnMode)
        StepBack();

    for (const auto& engine : m_bandEngines)
        engine->PageEnd();

    if (!HasCondition(pcFooter) && !HasState(esNewPageForSection) && !HasState(esSectionGenerating) &&
        !HasState(esSectionEnded) && !m_blankReport) {
        SetCondition(pcFooter, true);
        const int saveList = m_listIndex, saveBand = m_bandIndex;
        PrintBandList(blFooter, 0);
        m_listIndex = saveList;
        m_bandIndex = saveBand;
    }
    FireReportEvent(m_report->m_onEndPage, ciReportEndPage);
    if (m_outline) {
        if (m_finalBandDone)
            m_outline->SetComplete(true);
        m_outline->PageEnded();
        m_outline->AddDrawCommand(*m_page);
    }

    if (m_finalBandDone) {
        m_lastPageOfReport = m_absolutePageNo;
        if (HasState(esFirstPass) && !m_passOneDone) {
            m_passOneDone = true;
            m_absolutePageCount = m_absolutePageNo;
            SendEventNotify(ciEngineFirstPassComplete);
        }
    }
    if (m_passOneDone && m_absolutePageNo == m_absolutePageCount && m_drawPage)
        RemoveLastPageBands();
    if (HasState(esNoData) && m_spaceUsed > 0)
        AddNoDataCommand();

    if (OnBeforeSendPage)
        OnBeforeSendPage(*m_page);
    FillPageInfo();
    switch (m_request.PageSetting()) {
    case psPageList:
        if (NextListedPage(m_absolutePageNo) == 0 && m_drawPage)
            m_generationDone = true;
        break;
    case psSinglePage:
        if (m_absolutePageNo == m_request.PageRequested() && m_drawPage)
            m_generationDone = true;
        break;
    case psFirstPage:
        if (m_drawPage)
            m_generationDone = true;
        break;
    case psAll:
    case psLastPage:
        if (m_finalBandDone && m_drawPage && m_absolutePageNo == m_absolutePageCount)
            m_generationDone = true;
        break;
    case psPageRange: break;
    }
    if (OnAfterSendPage)
        OnAfterSendPage(*m_page);
    SendEventNotify(ciEnginePageSent);
    SetCondition(pcFooter, false);
}

void TjxEngine::RemoveLastPageBands()
{
    // Page headers and footers that skip the last page leave it; the rest moves up.
    int headerShift = 0;
    std::vector<TjxBand*> removed;
    for (TjxBand* band : m_lists[blHeader])
        if (!static_cast<TjxPageBand*>(band)->PrintOnLastPage()) {
            removed.push_back(band);
            if (TjxBandEngine* engine = BandEngine(band))
                headerShift = std::max(headerShift, engine->UsedSpace() ? band->mmHeight() : 0);
        }
    int footerShift = 0;
    for (TjxBand* band : m_lists[blFooter])
        if (!static_cast<TjxPageBand*>(band)->PrintOnLastPage()) {
            removed.push_back(band);
            footerShift = std::max(footerShift, band->mmHeight());
        }
    if (removed.empty())
        return;
    for (int i = m_page->DrawCommandCount() - 1; i >= 0; --i) {
        TjxDrawCommand* command = m_page->DrawCommand(i);
        TjxBand* band = command->Band();
        if (std::find(removed.begin(), removed.end(), band) != removed.end()) {
            m_page->RemoveDrawCommand(command);
            delete command;
            continue;
        }
        const int type = band ? int(band->BandType()) : -1;
        if (type == btColumnFooter)
            command->SetTop(SaturatedLength(TjxLength64(command->Top()) + footerShift));
        else if (headerShift > 0 && type != btTitle && type != btFooter && type != btColumnFooter)
            command->SetTop(SaturatedLength(TjxLength64(command->Top()) - headerShift));
    }
}

void TjxEngine::AddNoDataCommand()
{
    const TjxNoDataBehaviors behaviors = m_report->NoDataBehaviors();
    if (!(behaviors & (1u << ndBlankReport)))
        return;
    std::unique_ptr<TjxDrawText> command;
    if (behaviors & (1u << ndMessageOnPage)) {
        command = std::make_unique<TjxDrawText>();
        TFont font;
        font.SetName(QStringLiteral("Arial"));
        font.SetSize(12);
        font.SetColor(clBlack);
        command->SetFont(&font);
        command->SetAutoSize(true);
        command->SetTransparent(true);
        command->SetWordWrap(false);
        command->SetText(GetMessage(1034));
        const int height = UnitsToThousandths(18, utScreenPixels, axVertical);
        const int width = UnitsToThousandths(110, utScreenPixels, axHorizontal);
        const TjxPageDef* def = m_report->PrinterSetup()->PageDef();
        using L = TjxLength64;
        const L printableWidth = m_report->PrintableWidth();
        command->SetBounds(SaturatedLength(def->mmMarginLeft() + (printableWidth - width) / 2),
                           SaturatedLength((L(m_spaceUsed) - height) / 2), width, height);
    }
    TjxEventParams params{{QStringLiteral("aShowDialog"), !m_passTwoBegun, true},
                          {QStringLiteral("aAddDrawCommand"), command != nullptr, true}};
    m_report->m_onNoData(m_report, params);
    m_report->SendEventNotify(ciReportNoData, &params);
    if (command && params.Value(u"aAddDrawCommand").toBool())
        m_page->AddDrawCommand(command.release());
}

// ---- records ----

void TjxEngine::AdvanceRecord()
{
    m_breakCheckOn = true;
    SetCondition(pcHeader, false);
    SetCondition(pcColumnHeader, false);
    SetCondition(pcGroupHeader, false);
    SetCondition(pcDetail, true);
    if (m_dataExhausted)
        return;
    ++m_recordAdvances;
    NextRecord();
    if (m_master && m_master->Eof()) {
        m_dataExhausted = true;
        SetCondition(pcSummary, true);
        SetCondition(pcGroupFooter, true);
        m_master->Last();
        if (m_detail && m_detail->Eof())
            m_detail->Last();
        m_calcBehind = false;
        m_nextRecordDue = false;
    } else if (HasCondition(pcGroupFooter)) {
        StepBack();
    } else {
        m_calcBehind = true;
    }
}

void TjxEngine::SynchronizeRecord()
{
    if (!m_nextRecordDue && !m_calcBehind)
        return;
    m_breakCheckOn = false;
    if (m_nextRecordDue) {
        m_nextRecordDue = false;
        NextRecord();
        BroadcastTraversal();
        if (!HasCondition(pcSummary))
            SetCondition(pcGroupFooter, false);
        SetCondition(pcDetail, true);
        SetCondition(pcGroupHeader, true);
    } else {
        BroadcastTraversal();
    }
    m_calcBehind = false;
    RefreshPriorBreakValues();
}

void TjxEngine::BroadcastTraversal()
{
    if (m_master && m_master->Active())
        m_master->Traversal();
    if (m_detail && m_detail->Active())
        m_detail->Traversal();
    SendEventNotify(ciEngineRecordTraversed);
}

void TjxEngine::NextRecord()
{
    m_lowestBreakIndex = int(m_groups.size());
    if (m_master && m_detail) {
        if (!m_detail->Eof()) {
            m_detail->Next();
            m_detailMoved = true;
            if (!m_detail->Eof()) {
                CheckGroupBreaks(m_detail);
                goto broke;
            }
        }
        m_master->Next();
        m_masterMoved = true;
        if (!m_master->Eof())
            m_detail->First();
        CheckGroupBreaks(m_master);
    } else if (m_master) {
        m_master->Next();
        m_masterMoved = true;
        CheckGroupBreaks(m_master);
    }
broke:
    if (m_lowestBreakIndex < int(m_groups.size())) {
        for (int i = m_lowestBreakIndex; i < int(m_groups.size()); ++i)
            m_groups[size_t(i)]->Break();
        SetCondition(pcGroupHeader, true);
        SetCondition(pcGroupFooter, true);
    }
}

void TjxEngine::CheckGroupBreaks(TjxDataPipeline* moved)
{
    if (!m_breakCheckOn)
        return;
    for (int i = int(m_groups.size()) - 1; i >= 0; --i) {
        TjxGroupState* group = m_groups[size_t(i)].get();
        bool breaks = false;
        if (group->Pipeline() == moved && moved->Eof())
            breaks = true;
        else
            breaks = group->ValueChanged();
        if (breaks)
            m_lowestBreakIndex = std::min(m_lowestBreakIndex, i);
    }
}

void TjxEngine::StepBack()
{
    auto back = [](TjxDataPipeline* pipeline) {
        if (pipeline->Eof())
            pipeline->Last();
        else
            pipeline->Prior();
    };
    if (m_master && m_detail) {
        if (!m_detail->NoRecords() && m_detail->RecordCount() != 0 && !m_detail->Bof())
            back(m_detail);
        else
            back(m_master);
    } else if (m_master) {
        back(m_master);
    }
    m_calcBehind = false;
    m_nextRecordDue = m_master != nullptr;
}

void TjxEngine::RefreshPriorBreakValues()
{
    for (const auto& group : m_groups)
        group->RefreshPriorValue();
}

bool TjxEngine::KeepTogetherRollback(TjxBand* band)
{
    if (!m_keepTogetherGroup || !m_keepTogetherGroup->HasKeepTogetherPoint() || m_keepTogetherGroup->Moved())
        return false;
    const TjxBandType type = band->BandType();
    if (type != btDetail && type != btGroupHeader && type != btGroupFooter)
        return false;
    if (type != btDetail && band->Group() && band->Group()->Index() < m_keepTogetherGroup->Index())
        return false;
    m_keepTogetherGroup->RollBack();
    m_keepTogetherGroup->SetMoved(true);
    EndPage();
    return true;
}

// ---- page cache record ----

namespace {

void WritePosition(QDataStream& s, const TjxPipelinePosition& p)
{
    s << p.noRecords << p.lastRecord << p.firstRecord << qint32(p.traversalCount) << qint32(p.recordIndex)
      << qint64(p.bookmark);
}

void ReadPosition(QDataStream& s, TjxPipelinePosition& p)
{
    qint32 traversal = 0, index = 0;
    qint64 bookmark = 0;
    s >> p.noRecords >> p.lastRecord >> p.firstRecord >> traversal >> index >> bookmark;
    p.traversalCount = traversal;
    p.recordIndex = index;
    p.bookmark = bookmark;
}

constexpr uint16_t kCachedStateBits = esInitialized | esNoData | esTitleOwnPage | esSummaryOwnPage |
                                      esNewPageForSection | esSectionGenerating;
constexpr uint16_t kCachedConditionBits = pcTitle | pcHeader | pcColumnHeader | pcGroupHeader | pcDetail |
                                          pcGroupFooter | pcColumnFooter | pcFooter | pcSummary;

} // namespace

void TjxEngine::WriteState(QDataStream& s) const
{
    TjxCacheable::WriteState(s);
    s << m_nextRecordDue << m_everyColumnBegun << m_dataExhausted << qint32(m_listIndex) << qint32(m_bandIndex)
      << m_calcBehind << qint32(m_reportBandCount) << m_masterMoved << m_detailMoved
      << quint16(m_state & kCachedStateBits) << quint16(m_conditions & kCachedConditionBits)
      << m_hasContinuePositions;
    WritePosition(s, m_continueMaster);
    WritePosition(s, m_continueDetail);
    // A page made again numbers its band prints as the first time.
    s << qint32(m_bandSaveCount);
}

void TjxEngine::ReadState(QDataStream& s)
{
    TjxCacheable::ReadState(s);
    qint32 list = 0, band = 0, bands = 0;
    quint16 state = 0, conditions = 0;
    s >> m_nextRecordDue >> m_everyColumnBegun >> m_dataExhausted >> list >> band >> m_calcBehind >> bands >>
        m_masterMoved >> m_detailMoved >> state >> conditions >> m_hasContinuePositions;
    ReadPosition(s, m_continueMaster);
    ReadPosition(s, m_continueDetail);
    qint32 saveCount = 0;
    s >> saveCount;
    m_bandSaveCount = saveCount;
    m_listIndex = list;
    m_bandIndex = band;
    m_reportBandCount = bands;
    m_state = uint16_t((m_state & ~kCachedStateBits) | (state & kCachedStateBits));
    m_conditions = uint16_t((m_conditions & ~kCachedConditionBits) | (conditions & kCachedConditionBits));
}

// ---- the report's engine ----

void TjxEngineDeleter::operator()(TjxEngine* engine) const
{
    delete engine;
}

TjxEngine* TjxCustomReport::Engine()
{
    if (!m_engine)
        m_engine.reset(new TjxEngine(this));
    return m_engine.get();
}

} // namespace orvane
