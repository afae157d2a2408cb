#include "engine/band_engine.h"

#include "components/component.h"
#include "components/custom_text.h"
#include "engine/stretchable.h"
#include "engine/subreport.h"
#include "document/class_registry.h"
#include "document/errors.h"
#include "document/event_ids.h"
#include "document/group.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/page_def.h"
#include "document/printer_setup.h"
#include "engine/engine.h"
#include "output/draw_text.h"
#include "output/page.h"

#include <algorithm>

namespace orvane {

namespace {

bool IsStretching(const TjxPrintable* component)
{
    const auto* stretchable = dynamic_cast<const TjxStretchable*>(component);
    return stretchable && stretchable->Stretch();
}

} // namespace

// ---- TjxBandEngine ----

const TClassInfo& TjxBandEngine::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TjxBandEngine>("TjxBandEngine", &TjxCacheable::StaticClass()).Build();
    return info;
}

TjxBandEngine::TjxBandEngine(TjxEngine* engine, TjxBand* band) : TjxCacheable(nullptr), m_engine(engine)
{
    if (band)
        TjxBandEngine::SetBand(band);
}

TjxBandEngine::~TjxBandEngine() = default;

void TjxBandEngine::SetBand(TjxBand* band)
{
    m_band = band;
}

void TjxBandEngine::Initialize()
{
    m_components.clear();
    for (auto& category : m_categories)
        category.clear();
    for (int i = 0; i < m_band->ComponentCount(); ++i) {
        auto* component = dynamic_cast<TjxPrintable*>(m_band->Components(i));
        if (!component)
            continue;
        component->SetIndexInBand(i);
        component->SetPrinting(true);
        component->InitGeneration();
        m_components.push_back(component);
        const auto* placed = dynamic_cast<TjxComponent*>(component);
        const auto* stretchable = dynamic_cast<TjxStretchable*>(component);
        // Region children print with their region, shifting ones with their target.
        if ((placed && placed->Region()) || (stretchable && stretchable->ShiftRelativeTo()))
            continue;
        int category = 0;
        if (stretchable && stretchable->Stretch())
            category = 1;
        else if (component->StretchWithParent())
            category = 2;
        else if (placed && placed->IsBottomAnchored())
            category = 3;
        m_categories[size_t(category)].push_back(component);
    }
    m_printCount = 0;
    m_firstIncompleteCategory = 0;
    m_firstIncompleteIndex = 0;
    m_continueStretch = false;
    m_continueSplit = false;
    m_continuationOffset = m_band->mmHeight();
    m_lastPagePrinted = 0;
    m_printPositionToggle = false;
    m_breaking = false;
    m_forcedNewPage = false;
    m_forcedNewColumn = false;
    m_newPageDone = false;
    m_pageBreakPending = false;
}

TjxGroupState* TjxBandEngine::GroupState() const
{
    return m_band->Group() ? m_engine->GroupState(m_band->Group()) : nullptr;
}

bool TjxBandEngine::IsPageBand() const
{
    return m_band->BandType() == btHeader || m_band->BandType() == btFooter;
}

void TjxBandEngine::FireBandEvent(const TMethod& handler, int eventId)
{
    TjxEventParams params;
    handler(m_band, params);
    m_band->SendEventNotify(eventId);
}

int TjxBandEngine::PageBottomLimit() const
{
    return SaturatedLength(TjxLength64(m_engine->GetPageBottom()) - m_band->mmBottomOffset());
}

void TjxBandEngine::Print()
{
    m_generating = true;
    m_done = false;
    m_noRoom = false;
    m_printCount = 0;
    m_usedSpace = false;
    m_printedOnPage = false;
    BeforeLoop();
    m_usedHeight = 0;
    while (!m_done) {
        m_allComplete = true;
        m_lowestStretchable = nullptr;
        m_lowestStretchBottom = 0;
        m_foundIncomplete = false;
        m_firstIncompleteStretching = false;
        m_printed.clear();
        m_usedHeight = 0;
        m_freshPrint = !Continuing();
        BeforePrintStep();
        SpaceStep();
        if (m_band->Visible()) {
            if (!m_noRoom) {
                m_engine->IncrementBandCounters(m_freshPrint);
                ++m_printCount;
                // Before the components generate: a child report printing
                // inside this band numbers its band prints after this one.
                m_bandSaveNo = m_engine->NextBandSaveNo();
                FireBandEvent(m_band->BeforeGenerate(), ciBandBeforeGenerate);
                // Variables may calculate or reset before a group's band generates.
                if (TjxGroup* group = m_band->Group(); group && (m_band->BandType() == btGroupHeader ||
                                                                 m_band->BandType() == btGroupFooter))
                    group->SendEventNotify(m_band->BandType() == btGroupHeader ? ciGroupHeaderGenerated
                                                                                : ciGroupFooterGenerated);
                GenerateComponents();
                AfterGenerateStep();
                FireBandEvent(m_band->AfterGenerate(), ciBandAfterGenerate);
                AdvancePosition();
            }
            EmitDrawCommands();
        } else {
            m_done = true;
        }
        AfterPrintStep();
        m_engine->ProcessMessages();
        if (LoopEnds())
            break;
    }
    AfterLoop();
    m_generating = false;
}

bool TjxBandEngine::LoopEnds() const
{
    return m_done || m_engine->StopRequested() || m_noRoom || m_printCount >= 1 ||
           !(BandPrintConditions(*m_band) & m_engine->PrintConditions());
}

bool TjxBandEngine::SkipPageBand() const
{
    const auto* band = static_cast<const TjxPageBand*>(m_band);
    if (m_engine->AbsolutePageNo() == 1 && !band->PrintOnFirstPage())
        return true;
    if (!band->PrintOnLastPage()) {
        if (m_engine->FirstPass() && (m_engine->m_finalBandDone || m_engine->HasState(esSummaryOwnPage)))
            return true;
        if (m_engine->SecondPass() && m_engine->AbsolutePageNo() == m_engine->AbsolutePageCount())
            return true;
    }
    return false;
}

void TjxBandEngine::BeforeLoop()
{
    switch (m_band->BandType()) {
    case btHeader:
    case btFooter:
        if (SkipPageBand())
            m_done = true;
        break;
    case btTitle:
        if (static_cast<TjxReportBand*>(m_band)->NewPage()) {
            if (m_newPageDone)
                m_done = true;  // printed on the page before
            else
                m_engine->SetStateBit(esTitleOwnPage, true);
        }
        break;
    case btSummary:
        if (static_cast<TjxReportBand*>(m_band)->NewPage() && m_newPageDone)
            m_engine->SetStateBit(esSummaryOwnPage, true);
        break;
    case btGroupHeader: {
        TjxGroupState* group = GroupState();
        if (!group)
            break;
        if (m_breaking && !m_breakingSuspended && group == m_engine->m_keepTogetherGroup && m_engine->PageStarted() &&
            !Continuing())
            group->TakeKeepTogetherPoint();
        if (m_breaking || Continuing())
            break;
        const TjxGroup* g = group->Group();
        const int page = m_engine->AbsolutePageNo();
        const bool reprintPage = m_engine->HasCondition(pcHeader) && g->ReprintOnSubsequentPage() &&
                                 page >= group->HeaderPage();
        const bool reprintColumn =
            m_engine->HasCondition(pcColumnHeader) && g->ReprintOnSubsequentColumn() &&
            (group->HeaderPage() < page ||
             (group->HeaderPage() == page && group->HeaderColumn() < m_engine->CurrentColumn()));
        if (!(reprintPage || reprintColumn) || m_engine->TitleOrSummaryOnOwnPage())
            m_done = true;
        break;
    }
    case btGroupFooter:
        if (!m_breaking && !m_engine->HasCondition(pcSummary) && !Continuing())
            m_done = true;
        break;
    default: break;
    }
}

void TjxBandEngine::BeforePrintStep()
{
    for (TjxPrintable* component : m_components)
        component->BeforeGenerate(m_freshPrint);
    if (m_band->BandType() == btGroupHeader && m_breaking && !Continuing())
        if (TjxGroupState* group = GroupState()) {
            TjxEventParams params;
            group->Group()->BeforeGroupBreak()(group->Group(), params);
            group->Group()->SendEventNotify(ciGroupBeforeGroupBreak);
        }
    FireBandEvent(m_band->BeforePrint(), ciBandBeforePrint);
}

void TjxBandEngine::BasicSpaceStep(int limit, int bandTop)
{
    using L = TjxLength64;
    m_limit = limit;
    const L height = m_band->mmHeight();
    const bool dynamic = IsDynamic();
    const int position = m_band->mmPrintPosition();
    if (position != 0) {
        if (position >= limit)
            throw EPrintError(GetMessage(415) + u'.');
        if (position >= bandTop && (dynamic || limit >= position + height)) {
            bandTop = position;
            m_printPositionToggle = false;
        } else if (m_printPositionToggle) {
            m_printPositionToggle = false;
        } else {
            m_noRoom = true;
            m_printPositionToggle = true;
            return;
        }
    }
    if (m_band->Visible() && limit < bandTop + (dynamic ? 0 : height)) {
        m_noRoom = true;
        return;
    }
    const TjxPrintPosition& at = m_engine->PrintPosition();
    m_bandTop = bandTop;
    m_bandRect = {at.left, bandTop, at.right, SaturatedLength(dynamic ? L(limit) : bandTop + height)};
    m_currentBottom = bandTop;
    m_lowestStretchBottom = 0;
}

void TjxBandEngine::SpaceStep()
{
    const TjxPageDef* def = m_engine->Report()->PrinterSetup()->PageDef();
    switch (m_band->BandType()) {
    case btFooter: {
        const int limit = def->mmPrintableBottom();
        const int top = SaturatedLength(TjxLength64(limit) - m_band->mmHeight());
        m_limit = limit;
        m_bandTop = top;
        const TjxPrintPosition& at = m_engine->PrintPosition();
        m_bandRect = {at.left, top, at.right, limit};
        m_currentBottom = top;
        return;
    }
    case btColumnFooter: {
        const int limit = def->mmPrintableBottom();
        const int top = m_engine->GetPageBottom();
        m_limit = limit;
        m_bandTop = top;
        const TjxPrintPosition& at = m_engine->PrintPosition();
        m_bandRect = {at.left, top, at.right, SaturatedLength(TjxLength64(top) + m_band->mmHeight())};
        m_currentBottom = top;
        return;
    }
    case btSummary:
        if (static_cast<TjxReportBand*>(m_band)->NewPage() && !m_newPageDone) {
            // The summary starts a page of its own.
            m_newPageDone = true;
            m_noRoom = true;
            return;
        }
        if (m_engine->MultiColumnMode() &&
            m_engine->PrintPosition().left != def->mmMarginLeft()) {
            m_noRoom = true;
            return;
        }
        if (m_engine->Columns() > 1 && !m_engine->MultiColumnMode()) {
            TjxPrintPosition at = m_engine->PrintPosition();
            at.left = def->mmMarginLeft();
            m_engine->SetPrintPosition(at);
        }
        break;
    default: break;
    }
    BasicSpaceStep(PageBottomLimit(), m_engine->PrintPosition().top);
    if (m_band->BandType() == btGroupHeader)
        GroupHeaderSpaceRules();
}

void TjxBandEngine::ForceNewPage()
{
    m_forcedNewPage = true;
    m_noRoom = true;
}

void TjxBandEngine::ForceNewColumn()
{
    m_forcedNewColumn = true;
    m_noRoom = true;
}

void TjxBandEngine::GroupHeaderSpaceRules()
{
    TjxGroupState* state = GroupState();
    if (!state)
        return;
    const TjxGroup* group = state->Group();
    if (!m_noRoom && m_breaking && !m_breakingSuspended && !Continuing()) {
        const bool columns = m_engine->Columns() > 1;
        const TjxLength64 spaceLeft = TjxLength64(m_limit) - m_bandTop;
        if (columns && group->NewColumn() && !m_forcedNewColumn)
            ForceNewColumn();
        else if (group->NewPage() && !m_forcedNewPage)
            ForceNewPage();
        else if (m_engine->PageStarted() && columns && !m_forcedNewColumn && group->mmNewColumnThreshold() > 0 &&
                 spaceLeft < group->mmNewColumnThreshold())
            ForceNewColumn();
        else if (m_engine->PageStarted() && !m_forcedNewPage && group->mmNewPageThreshold() > 0 &&
                 spaceLeft < group->mmNewPageThreshold())
            ForceNewPage();
    }
    if (!m_noRoom && (m_breaking || m_engine->HasCondition(pcTitle)) && !Continuing() && !m_breakingSuspended) {
        state->SetHeaderPrinted(m_engine->AbsolutePageNo(), m_engine->CurrentColumn());
        m_engine->SynchronizeRecord();
    } else if (!m_noRoom && m_breakingSuspended) {
        state->SetHeaderPrinted(m_engine->AbsolutePageNo(), m_engine->CurrentColumn());
    }
}

void TjxBandEngine::GenerateComponents()
{
    TjxPrintParent parent;
    parent.printRect = m_bandRect;
    parent.pageLimit = m_limit;
    parent.dynamicHeight = IsDynamic();
    parent.overFlow = !m_freshPrint;
    parent.overFlowOffset = m_continueSplit ? m_continuationOffset : 0;
    parent.designHeight = m_band->mmHeight();
    parent.split = m_continueSplit;
    parent.continueStretch = m_continueStretch;
    parent.bandEngine = this;

    const bool wasStretch = m_continueStretch;
    const int startCategory = m_firstIncompleteCategory;
    const int startIndex = m_firstIncompleteIndex;
    m_continuationOffset = m_band->mmHeight();
    int firstCategory = 0, firstIndex = 0;
    bool anyPrinted = false;

    // A section subreport asked for a new page: an unfinished component ends
    // the band here; otherwise, unless another section follows, the rest of
    // the page belongs to the section.
    auto sectionStep = [&](TjxPrintable* component, int category, int index) {
        if (!component->Complete()) {
            m_done = true;
            return;
        }
        const auto& list = m_categories[size_t(category)];
        const size_t following = size_t(index) + 1;
        const auto* next = following < list.size() ? dynamic_cast<TjxSubReport*>(list[following]) : nullptr;
        if (next && next->PrintBehavior() == pbSection) {
            if (component->Visible())
                m_usedHeight = component->DrawHeight();
            return;
        }
        m_currentBottom = m_limit;
        m_bandRect.top = m_bandRect.bottom = m_limit;
        m_usedHeight = SaturatedLength(TjxLength64(m_limit) - m_bandTop);
        m_pageBreakPending = false;
        m_continueSplit = false;
        if (IsDynamic())
            m_continuationOffset = -1;
    };

    auto generate = [&](TjxPrintable* component, int category, int index) {
        parent.currentBottom = m_currentBottom;
        parent.spaceUsed = m_usedHeight;
        parent.lowestStretched = m_lowestStretchable;
        const bool failedBefore = component->NoRoom();
        component->Generate(parent);
        if (component->DrawHeight() > 0) {
            m_printed.push_back(component);
            m_engine->CountComponentPrint();
            anyPrinted = true;
        }
        if (!component->Complete() && !failedBefore) {
            if (!m_foundIncomplete) {
                m_foundIncomplete = true;
                firstCategory = category;
                firstIndex = index;
                m_firstIncompleteStretching = IsStretching(component);
            }
            m_allComplete = false;
            m_continuationOffset = std::min(m_continuationOffset, component->mmTop());
        }
        if (IsDynamic() && component->DrawHeight() > 0) {
            const int bottom = SaturatedLength(TjxLength64(component->PrintRect().top) + component->DrawHeight());
            if (IsStretching(component) && (!m_lowestStretchable || bottom > m_lowestStretchBottom)) {
                m_lowestStretchable = component;
                m_lowestStretchBottom = bottom;
            }
            m_currentBottom = std::max(m_currentBottom, bottom);
        }
        if (m_pageBreakPending)
            sectionStep(component, category, index);
        m_engine->ProcessMessages();
    };

    // An overflow continuing from a later category reprints the first one.
    if (wasStretch && startCategory > 0 && !m_pageBreakPending)
        for (int i = 0; i < int(m_categories[0].size()); ++i)
            generate(m_categories[0][size_t(i)], 0, i);

    for (int category = startCategory; category < 4 && !m_done; ++category) {
        const auto& list = m_categories[size_t(category)];
        const int from = category == startCategory ? startIndex : 0;
        for (int i = from; i < int(list.size()) && !m_done; ++i)
            generate(list[size_t(i)], category, i);
        if (m_currentBottom > m_bandTop)
            m_usedHeight = SaturatedLength(TjxLength64(m_currentBottom) - m_bandTop);
        if (category == 1 && IsDynamic() && m_usedHeight == 0 && m_components.size() > 0 &&
            (m_categories[0].size() + m_categories[1].size()) > 0)
            break;
        if (m_pageBreakPending)
            break;
    }

    m_printedOnPage = m_printedOnPage || anyPrinted || !m_foundIncomplete;
    m_continueStretch = m_foundIncomplete && m_firstIncompleteStretching && anyPrinted;
    m_continueSplit = !m_allComplete && !m_continueStretch;
    if (m_continueSplit && !anyPrinted)
        m_continuationOffset = 0;
    if (!m_continueSplit)
        m_continuationOffset = m_band->mmHeight();
    if (m_allComplete) {
        m_firstIncompleteCategory = 0;
        m_firstIncompleteIndex = 0;
    } else {
        m_firstIncompleteCategory = firstCategory;
        m_firstIncompleteIndex = firstIndex;
    }
    if (Continuing())
        m_noRoom = true;
}

void TjxBandEngine::AdvancePosition()
{
    using L = TjxLength64;
    L used = IsDynamic() ? m_usedHeight : m_band->mmHeight();
    if (m_band->BandType() == btFooter || m_band->BandType() == btColumnFooter)
        return;  // they sit at the page bottom
    if (Continuing())
        used = std::max(used, L(m_limit) - m_bandTop);
    // A section that ended in this band owns the rest of the page.
    if (!IsDynamic() && m_bandRect.top >= m_limit && m_usedHeight > used)
        used = m_usedHeight;
    used += m_band->mmBottomOffset();
    TjxPrintPosition at = m_engine->PrintPosition();
    at.top = at.bottom = SaturatedLength(m_bandTop + used);
    m_engine->SetPrintPosition(at);
    m_engine->GrowSpaceUsed(SaturatedLength(used));
    if (used > 0)
        m_usedSpace = true;
}

void TjxBandEngine::EmitDrawCommands()
{
    if (!m_engine->DrawPage() || m_printed.empty())
        return;
    std::stable_sort(m_printed.begin(), m_printed.end(),
                     [](TjxPrintable* a, TjxPrintable* b) { return a->IndexInBand() < b->IndexInBand(); });
    TjxPage* page = m_engine->Page();
    const int first = page->DrawCommandCount();
    for (TjxPrintable* component : m_printed) {
        component->PrintToPage(page);
        m_engine->ProcessMessages();
    }
    // A child report's texts that moved onto the page carry their own band prints.
    for (int i = first; i < page->DrawCommandCount(); ++i)
        if (auto* text = dynamic_cast<TjxDrawText*>(page->DrawCommand(i)); text && text->BandSaveNo() == 0) {
            text->SetBandSave(m_band->Save());
            text->SetBandSaveNo(m_bandSaveNo);
        }
}

void TjxBandEngine::AfterPrintStep()
{
    for (TjxPrintable* component : m_components)
        component->AfterGenerate();
    if (IsDynamic() && m_noRoom && m_usedHeight == 0 && !Continuing())
        m_engine->SendEventNotify(ciBandEngineTraversal);
    const bool printed = !m_noRoom || m_continueStretch;
    if (printed && m_band->Visible())
        FireBandEvent(m_band->AfterPrint(), ciBandAfterPrint);

    const bool complete = !m_noRoom && !Continuing() && m_band->Visible();
    switch (m_band->BandType()) {
    case btTitle:
        if (static_cast<TjxReportBand*>(m_band)->NewPage() && complete && !m_newPageDone) {
            // The title has the page to itself.
            m_newPageDone = true;
            m_noRoom = true;
            m_engine->SetStateBit(esTitleOwnPage, false);
        }
        break;
    case btGroupHeader:
        if (complete && !m_breakingSuspended) {
            m_breaking = false;
            m_forcedNewPage = false;
            m_forcedNewColumn = false;
        }
        break;
    case btGroupFooter:
        if (complete) {
            m_breaking = false;
            if (TjxGroupState* group = GroupState()) {
                TjxEventParams params;
                group->Group()->AfterGroupBreak()(group->Group(), params);
                group->Group()->SendEventNotify(ciGroupAfterGroupBreak);
                group->CountBreak();
                if (group == m_engine->m_keepTogetherGroup) {
                    group->SetMoved(false);
                    group->ClearKeepTogetherPoint();
                }
            }
        }
        break;
    default: break;
    }
}

void TjxBandEngine::WriteState(QDataStream& s) const
{
    TjxCacheable::WriteState(s);
    s << m_continueStretch << m_continueSplit << qint32(m_continuationOffset) << qint32(m_firstIncompleteCategory)
      << qint32(m_firstIncompleteIndex) << m_printPositionToggle << qint32(m_lastPagePrinted) << m_breaking
      << m_forcedNewPage << m_forcedNewColumn << m_newPageDone << m_pageBreakPending;
}

void TjxBandEngine::ReadState(QDataStream& s)
{
    TjxCacheable::ReadState(s);
    qint32 offset = 0, category = 0, index = 0, lastPage = 0;
    s >> m_continueStretch >> m_continueSplit >> offset >> category >> index >> m_printPositionToggle >> lastPage >>
        m_breaking >> m_forcedNewPage >> m_forcedNewColumn >> m_newPageDone >> m_pageBreakPending;
    m_continuationOffset = offset;
    m_firstIncompleteCategory = category;
    m_firstIncompleteIndex = index;
    m_lastPagePrinted = lastPage;
}

// ---- TjxDetailBandEngine ----

const TClassInfo& TjxDetailBandEngine::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxDetailBandEngine>("TjxDetailBandEngine", &TjxBandEngine::StaticClass()).Build();
    return info;
}

void TjxDetailBandEngine::SetBand(TjxBand* band)
{
    if (band && !dynamic_cast<TjxDetailBand*>(band))
        throw EOrvaneError(GetMessage(msg::DetailEngineWrongBand));
    TjxBandEngine::SetBand(band);
}

void TjxDetailBandEngine::Initialize()
{
    TjxBandEngine::Initialize();
    m_printsPerRecord = 1;
    m_pagePrintCount = 0;
}

void TjxDetailBandEngine::BeforePrintStep()
{
    FireBandEvent(m_band->BeforePrint(), ciBandBeforePrint);
    if (!m_band->Visible())
        m_engine->SynchronizeRecord();
    for (TjxPrintable* component : m_components)
        component->BeforeGenerate(m_freshPrint);
}

void TjxDetailBandEngine::SpaceStep()
{
    // PrintPosition applies to the first detail band of a page only.
    const int limit = PageBottomLimit();
    const int top = m_engine->PrintPosition().top;
    if (m_pagePrintCount > 0 && m_band->mmPrintPosition() != 0) {
        m_limit = limit;
        const bool dynamic = IsDynamic();
        const TjxLength64 needed = TjxLength64(top) + (dynamic ? 0 : m_band->mmHeight());
        if (m_band->Visible() && limit < needed) {
            m_noRoom = true;
            return;
        }
        const TjxPrintPosition& at = m_engine->PrintPosition();
        m_bandTop = top;
        m_bandRect = {at.left, top, at.right, dynamic ? limit : SaturatedLength(needed)};
        m_currentBottom = top;
    } else {
        BasicSpaceStep(limit, top);
    }
    if (!m_noRoom && m_band->Visible() && m_freshPrint)
        m_engine->SynchronizeRecord();
}

void TjxDetailBandEngine::AfterGenerateStep()
{
    if (!m_continueStretch && m_engine->DataExhausted())
        m_done = true;
    if (m_pageBreakPending && !m_engine->HasState(esSectionEnded))
        m_noRoom = true;
    m_engine->SetDetailBegunOnPage();
    m_engine->PageHasContent();
}

void TjxDetailBandEngine::AfterPrintStep()
{
    TjxBandEngine::AfterPrintStep();
    if (m_noRoom || Continuing() || !m_band->Visible())
        return;
    ++m_pagePrintCount;
    m_lastPagePrinted = m_engine->AbsolutePageNo();
    const auto* detail = static_cast<TjxDetailBand*>(m_band);
    const TjxCustomReport* report = m_engine->Report();
    const bool withoutPipeline = m_engine->MasterPipeline() == nullptr;
    if (m_printsPerRecord < detail->BandsPerRecord()) {
        ++m_printsPerRecord;
    } else {
        m_engine->AdvanceRecord();
        m_printsPerRecord = 1;
    }
    if (m_engine->DataExhausted() || m_engine->HasCondition(pcGroupFooter))
        m_done = true;
    if (!m_done && withoutPipeline) {
        // Without data the band prints once. With AutoStop off it repeats only
        // up to the report's PageLimit, the one thing that could end it, and
        // only when it takes room: otherwise it could never fill a page.
        const bool repeats = !report->AutoStop() && report->PageLimit() > 0 && m_usedSpace;
        if (!repeats) {
            m_done = true;
            m_engine->MarkDataTraversed();
        }
    }
    if (!m_done && detail->PrintCount() > 0 && m_pagePrintCount >= detail->PrintCount())
        m_noRoom = true;
}

void TjxDetailBandEngine::AfterLoop()
{
    // A band that prints on no page for this long can never fit.
    constexpr int kPagesWithoutPrint = 3;
    // A dynamic band that only carried unfinished components over printed nothing.
    const bool printed = m_printCount > 0 && m_printedOnPage;
    if (printed || !m_band->Visible() || !m_engine->HasCondition(pcDetail)) {
        if (printed)
            m_lastPagePrinted = m_engine->AbsolutePageNo();
        return;
    }
    if (m_engine->AbsolutePageNo() - m_lastPagePrinted > kPagesWithoutPrint)
        throw EPrintError(GetMessage(IsDynamic() ? msg::DetailBandCannotFit : msg::StaticBandCannotFit));
}

bool TjxDetailBandEngine::LoopEnds() const
{
    return m_done || m_engine->StopRequested() || m_noRoom ||
           !(BandPrintConditions(*m_band) & m_engine->PrintConditions());
}

void TjxDetailBandEngine::WriteState(QDataStream& s) const
{
    TjxBandEngine::WriteState(s);
    s << qint32(m_printsPerRecord);
}

void TjxDetailBandEngine::ReadState(QDataStream& s)
{
    TjxBandEngine::ReadState(s);
    qint32 prints = 1;
    s >> prints;
    m_printsPerRecord = prints;
}

const TClassInfo& TjxVerticalBandEngine::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxVerticalBandEngine>("TjxVerticalBandEngine", &TjxDetailBandEngine::StaticClass()).Build();
    return info;
}

// ---- TjxHorizontalBandEngine ----

const TClassInfo& TjxHorizontalBandEngine::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxHorizontalBandEngine>("TjxHorizontalBandEngine", &TjxDetailBandEngine::StaticClass())
            .Build();
    return info;
}

void TjxHorizontalBandEngine::Initialize()
{
    TjxDetailBandEngine::Initialize();
    m_started.assign(size_t(m_engine->Columns()), false);
    m_finished.assign(size_t(m_engine->Columns()), false);
}

void TjxHorizontalBandEngine::BeforeLoop()
{
    m_savedLeft = m_engine->PrintPosition().left;
    std::fill(m_started.begin(), m_started.end(), false);
    std::fill(m_finished.begin(), m_finished.end(), false);
    if (m_pagePrintCount == 0)
        m_engine->m_currentColumn = 0;
}

void TjxHorizontalBandEngine::BeforePrintStep()
{
    TjxDetailBandEngine::BeforePrintStep();
    if (!m_freshPrint)
        return;
    int& column = m_engine->m_currentColumn;
    if (m_pagePrintCount == 0) {
        column = 0;
    } else if (++column >= m_engine->Columns()) {
        // A new row.
        column = 0;
        TjxPrintPosition at = m_engine->PrintPosition();
        at.top = at.bottom = SaturatedLength(TjxLength64(m_bandRect.bottom) + m_band->mmBottomOffset());
        m_engine->SetPrintPosition(at);
    }
    m_columnHeaderHeight = 0;
    if (!m_started[size_t(column)] && !m_engine->BandList(blColumnHeader).empty())
        PrintColumnHeader(column);
}

void TjxHorizontalBandEngine::PrintColumnHeader(int column)
{
    const TjxPrintPosition saved = m_engine->PrintPosition();
    const int savedSpace = m_engine->m_spaceUsed;
    m_engine->SetCondition(pcColumnHeader, true);
    TjxPrintPosition at = saved;
    at.left = m_engine->ColumnLeft(column);
    m_engine->SetPrintPosition(at);
    m_engine->FireReportEvent(m_engine->Report()->m_onStartColumn, ciReportStartColumn);
    for (TjxBand* band : m_engine->BandList(blColumnHeader))
        if (TjxBandEngine* engine = m_engine->BandEngine(band))
            engine->Print();
    m_columnHeaderHeight = SaturatedLength(TjxLength64(m_engine->PrintPosition().top) - saved.top);
    m_engine->SetCondition(pcColumnHeader, false);
    m_engine->SetPrintPosition(saved);
    m_engine->m_spaceUsed = savedSpace;
}

void TjxHorizontalBandEngine::SpaceStep()
{
    const int column = m_engine->CurrentColumn();
    const int limit = PageBottomLimit();
    m_limit = limit;
    int top = m_engine->PrintPosition().top;
    if (!m_started[size_t(column)])
        top = SaturatedLength(TjxLength64(top) + m_columnHeaderHeight);
    const TjxLength64 bottom = TjxLength64(top) + m_band->mmHeight();
    if (m_band->Visible() && limit < bottom) {
        m_noRoom = true;
        return;
    }
    const int left = m_engine->ColumnLeft(column);
    m_bandTop = top;
    m_bandRect = {left, top, m_engine->PrintPosition().right, SaturatedLength(bottom)};
    m_currentBottom = top;
    if (m_band->Visible() && m_freshPrint)
        m_engine->SynchronizeRecord();
}

void TjxHorizontalBandEngine::AfterGenerateStep()
{
    const int column = m_engine->CurrentColumn();
    m_started[size_t(column)] = true;
    if (m_limit < TjxLength64(m_band->mmHeight()) + m_bandRect.bottom)
        PrintColumnFooter(column);
    TjxDetailBandEngine::AfterGenerateStep();
}

void TjxHorizontalBandEngine::PrintColumnFooter(int column)
{
    if (m_finished[size_t(column)])
        return;
    if (m_engine->TitleOrSummaryOnOwnPage() && !m_engine->HasCondition(pcDetail))
        return;
    const TjxPrintPosition saved = m_engine->PrintPosition();
    m_engine->SetCondition(pcColumnFooter, true);
    TjxPrintPosition at = saved;
    at.left = m_engine->ColumnLeft(column);
    m_engine->SetPrintPosition(at);
    for (TjxBand* band : m_engine->BandList(blColumnFooter))
        if (TjxBandEngine* engine = m_engine->BandEngine(band))
            engine->Print();
    m_engine->FireReportEvent(m_engine->Report()->m_onEndColumn, ciReportEndColumn);
    m_engine->SetCondition(pcColumnFooter, false);
    m_engine->SetPrintPosition(saved);
    m_finished[size_t(column)] = true;
}

void TjxHorizontalBandEngine::AdvancePosition()
{
    // Only the first column of a row takes vertical space.
    if (m_engine->CurrentColumn() != 0)
        return;
    const int used = SaturatedLength(TjxLength64(m_band->mmHeight()) + m_band->mmBottomOffset());
    m_engine->GrowSpaceUsed(used);
    m_usedSpace = true;
}

void TjxHorizontalBandEngine::AfterLoop()
{
    TjxDetailBandEngine::AfterLoop();
    TjxPrintPosition at = m_engine->PrintPosition();
    at.left = m_savedLeft;
    if (m_printCount > 0 || m_pagePrintCount > 0)
        at.top = at.bottom =
            std::max(at.top, SaturatedLength(TjxLength64(m_bandRect.bottom) + m_band->mmBottomOffset()));
    m_engine->SetPrintPosition(at);
}

void TjxHorizontalBandEngine::PageEnd()
{
    for (int column = 0; column < int(m_finished.size()); ++column)
        if (m_started[size_t(column)] && !m_finished[size_t(column)])
            PrintColumnFooter(column);
}

void TjxHorizontalBandEngine::WriteState(QDataStream& s) const
{
    TjxDetailBandEngine::WriteState(s);
}

void TjxHorizontalBandEngine::ReadState(QDataStream& s)
{
    TjxDetailBandEngine::ReadState(s);
}

// ---- TjxGroupState ----

const TClassInfo& TjxGroupState::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TjxGroupState>("TjxGroupState", &TjxCacheable::StaticClass()).Build();
    return info;
}

TjxGroupState::TjxGroupState(TjxEngine* engine, TjxGroup* group) : TjxCacheable(nullptr), m_engine(engine), m_group(group)
{
}

TjxGroupState::~TjxGroupState() = default;

int TjxGroupState::Index() const
{
    return m_group ? m_group->Index() : -1;
}

QString TjxGroupState::BreakValue()
{
    QString value;
    if (m_group->BreakType() == btDataField) {
        if (m_pipeline && m_pipeline->Active() && !m_group->BreakName().isEmpty()) {
            try {
                value = m_pipeline->GetFieldAsString(m_group->BreakName());
            } catch (const EOrvaneError&) {
                value.clear();
            }
        }
    } else if (TjxCustomReport* report = m_group->Report()) {
        for (TjxBand* band : report->Bands())
            for (int i = 0; i < band->ComponentCount(); ++i)
                if (auto* text = dynamic_cast<TjxCustomText*>(band->Components(i));
                    text && text->Name().compare(m_group->BreakName(), Qt::CaseInsensitive) == 0)
                    value = text->GetText();
    }
    if (m_group->OnGetBreakValue().IsAssigned()) {
        TjxEventParams params{{QStringLiteral("BreakValue"), value, true}};
        m_group->OnGetBreakValue()(m_group, params);
        value = params.Value(u"BreakValue").toString();
    }
    m_group->SendEventNotify(ciGroupGetBreakValue);
    return value;
}

void TjxGroupState::ResetBreakState()
{
    m_priorValue.clear();
    m_breakNo = 0;
    m_firstPage = 0;
    m_lastPage = 0;
    m_headerPage = 0;
    m_headerColumn = 0;
    m_moved = false;
    m_hasPoint = false;
    m_group->SendEventNotify(ciGroupBreakStateReset);
}

void TjxGroupState::Break()
{
    if (TjxBandEngine* header = m_engine->BandEngine(m_group->HeaderBand())) {
        header->SetBreaking(true);
        header->SetForcedNewPage(false);
        header->SetForcedNewColumn(false);
    }
    if (TjxBandEngine* footer = m_engine->BandEngine(m_group->FooterBand()))
        footer->SetBreaking(true);
    m_group->SendEventNotify(ciGroupBreakStateReset);
}

void TjxGroupState::TakeKeepTogetherPoint()
{
    m_pointStates.clear();
    for (TjxCacheable* cacheable : m_engine->m_cacheables)
        m_pointStates.push_back(cacheable->SaveState());
    m_pointPage = std::make_unique<TjxPage>();
    m_pointPage->Assign(m_engine->Page());
    if (TjxDataPipeline* master = m_engine->MasterPipeline())
        m_pointMaster = master->SavePosition();
    if (TjxDataPipeline* detail = m_engine->DetailPipeline())
        m_pointDetail = detail->SavePosition();
    m_pointPosition = m_engine->PrintPosition();
    m_hasPoint = true;
}

void TjxGroupState::RollBack()
{
    if (!m_hasPoint)
        return;
    for (size_t i = 0; i < m_pointStates.size() && i < m_engine->m_cacheables.size(); ++i)
        m_engine->m_cacheables[i]->RestoreState(m_pointStates[i]);
    m_engine->Page()->Assign(m_pointPage.get());
    if (TjxDataPipeline* master = m_engine->MasterPipeline())
        master->RestorePosition(m_pointMaster, false);
    if (TjxDataPipeline* detail = m_engine->DetailPipeline())
        detail->RestorePosition(m_pointDetail, false);
    m_engine->SetPrintPosition(m_pointPosition);
    m_hasPoint = false;
}

void TjxGroupState::WriteState(QDataStream& s) const
{
    TjxCacheable::WriteState(s);
    s << m_priorValue << qint32(m_breakNo) << qint32(m_firstPage) << qint32(m_lastPage) << qint32(m_headerPage)
      << qint32(m_headerColumn) << m_moved;
}

void TjxGroupState::ReadState(QDataStream& s)
{
    TjxCacheable::ReadState(s);
    qint32 breakNo = 0, first = 0, last = 0, headerPage = 0, headerColumn = 0;
    s >> m_priorValue >> breakNo >> first >> last >> headerPage >> headerColumn >> m_moved;
    m_breakNo = breakNo;
    m_firstPage = first;
    m_lastPage = last;
    m_headerPage = headerPage;
    m_headerColumn = headerColumn;
}

} // namespace orvane
