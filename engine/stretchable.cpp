#include "engine/stretchable.h"

#include "engine/region.h"
#include "engine/subreport.h"
#include "document/band.h"
#include "document/report.h"
#include "document/errors.h"
#include "document/messages.h"
#include "document/stream_reader.h"
#include "document/stream_writer.h"
#include "engine/band_engine.h"
#include "engine/engine.h"
#include "output/draw_command.h"

#include <algorithm>

namespace orvane {

const TClassInfo& TjxStretchable::StaticClass()
{
    using T = TjxStretchable;
    static const TClassInfo info =
        TClassBuilder<T>("TjxStretchable", &TjxComponent::StaticClass())
            .Defined("mmBottomOffset", [](T& c, TReader& r) { c.SetmmBottomOffset(r.ReadThousandths()); },
                     [](const T& c, TWriter& w) { w.WriteInteger(c.m_mmBottomOffset); }, [](const T&) { return true; })
            .Defined("mmOverFlowOffset", [](T& c, TReader& r) { c.SetmmOverFlowOffset(r.ReadThousandths()); },
                     [](const T& c, TWriter& w) { w.WriteInteger(c.m_mmOverFlowOffset); },
                     [](const T&) { return true; })
            .Defined("mmStopPosition", [](T& c, TReader& r) { c.SetmmStopPosition(r.ReadThousandths()); },
                     [](const T& c, TWriter& w) { w.WriteInteger(c.m_mmStopPosition); }, [](const T&) { return true; })
            .Build();
    return info;
}

TjxStretchable::TjxStretchable(TComponent* owner) : TjxComponent(owner)
{
    SetInitialSize(UnitsToThousandths(185, utScreenPixels, axHorizontal),
                   UnitsToThousandths(89, utScreenPixels, axVertical));
}

TjxStretchable::~TjxStretchable()
{
    DropTarget();
    for (TjxStretchable* dependent : std::vector<TjxStretchable*>(m_dependents))
        dependent->DropTarget();
}

TjxStretchable* TjxStretchable::ShiftRelativeTo() const
{
    if (m_shiftRelativeTo && !IsWriting() && m_shiftRelativeTo->Band() != Band())
        return nullptr;
    return m_shiftRelativeTo;
}

void TjxStretchable::DropTarget()
{
    if (!m_shiftRelativeTo)
        return;
    TjxStretchable* target = m_shiftRelativeTo;
    m_shiftRelativeTo = nullptr;
    target->m_dependents.erase(std::remove(target->m_dependents.begin(), target->m_dependents.end(), this),
                               target->m_dependents.end());
    RemoveNotify(target);
}

void TjxStretchable::SetShiftRelativeTo(TjxStretchable* target)
{
    if (target == m_shiftRelativeTo)
        return;
    const bool reading = IsReadingOrLoading();
    for (const TjxStretchable* t = target; t; t = t->m_shiftRelativeTo) {
        if (t != this)
            continue;
        // A cycle would make printing chase its own tail; a stream that holds
        // one loses the link rather than the whole load.
        if (reading)
            return;
        throw EInvalidPropertyError(GetMessage(kCyclicShiftMessage));
    }
    if (!reading)
        NotifyDesignerPropertyChange(QStringLiteral("ShiftRelativeTo"));
    DropTarget();
    m_shiftRelativeTo = target;
    if (target) {
        target->m_dependents.push_back(this);
        AddNotify(target);
        target->SetStretch(true);
        TjxComponent::SetReprintOnOverFlow(false);
        TjxComponent::SetShiftWithParent(false);
        TjxComponent::SetStretchWithParent(false);
    }
    if (!reading)
        AfterChange(true);
}

void TjxStretchable::SetStretch(bool value)
{
    if (value == m_stretch)
        return;
    if (IsReadingOrLoading()) {
        m_stretch = value;
        return;
    }
    if (!value && !m_dependents.empty())
        return;
    NotifyDesignerPropertyChange(QStringLiteral("Stretch"));
    m_stretch = value;
    if (value) {
        if (HasAnchor(atBottom))
            TjxComponent::SetAnchors((Anchors() & ~(1u << atBottom)) | (1u << atTop));
        TjxComponent::SetReprintOnOverFlow(false);
        TjxComponent::SetStretchWithParent(false);
        // A region grows with its children; the band grows with the region.
        if (auto* region = dynamic_cast<TjxCustomRegion*>(Region()); region && !region->Stretch())
            region->SetStretch(true);
        else if (TjxBand* band = Band(); band && band->PrintHeight() == phStatic)
            band->SetPrintHeight(phDynamic);
    }
    AfterChange(true);
}

void TjxStretchable::SetKeepTogether(bool value)
{
    Change(m_keepTogether, value, "KeepTogether", true);
}

void TjxStretchable::StoreLength(int& field, int value, const char* propertyName)
{
    if (value < 0 && !IsReadingOrLoading())
        return;
    Change(field, value, propertyName, true);
}

void TjxStretchable::SetmmBottomOffset(int value) { StoreLength(m_mmBottomOffset, value, "BottomOffset"); }
void TjxStretchable::SetmmOverFlowOffset(int value) { StoreLength(m_mmOverFlowOffset, value, "OverFlowOffset"); }
void TjxStretchable::SetmmStopPosition(int value) { StoreLength(m_mmStopPosition, value, "StopPosition"); }

void TjxStretchable::SetUserName(const QString& value)
{
    const QString old = UserName();
    TjxComponent::SetUserName(value);
    if (!IsReadingOrLoading() && UserName() != old && (Caption().isEmpty() || Caption() == old))
        SetCaption(UserName());
}

void TjxStretchable::SetAnchors(TjxAnchors value)
{
    // A stream keeps what was saved: its anchors come before the behaviour
    // that decides whether the component stretches.
    if (m_stretch && (value & (1u << atBottom)) && !IsReadingOrLoading())
        return;
    TjxComponent::SetAnchors(value);
}

void TjxStretchable::LeaveChain()
{
    if (IsReadingOrLoading())
        return;
    SetShiftRelativeTo(nullptr);
    SetStretch(false);
}

void TjxStretchable::SetReprintOnOverFlow(bool value)
{
    if (value && value != ReprintOnOverFlow())
        LeaveChain();
    TjxComponent::SetReprintOnOverFlow(value);
}

void TjxStretchable::SetShiftWithParent(bool value)
{
    if (value && !IsBottomAnchored())
        LeaveChain();
    TjxComponent::SetShiftWithParent(value);
}

void TjxStretchable::SetStretchWithParent(bool value)
{
    if (value && value != StretchWithParent())
        LeaveChain();
    TjxComponent::SetStretchWithParent(value);
}

void TjxStretchable::SetRegion(TjxComponent* region)
{
    if (region == Region())
        return;
    TjxComponent::SetRegion(region);
    if (Region() != region || IsReadingOrLoading())
        return;
    SetShiftRelativeTo(nullptr);
    if (auto* r = dynamic_cast<TjxStretchable*>(region); r && r->ShiftRelativeTo() == this)
        r->SetShiftRelativeTo(nullptr);
}

void TjxStretchable::BandChanged()
{
    TjxComponent::BandChanged();
    if (m_shiftRelativeTo && m_shiftRelativeTo->Band() != Band())
        DropTarget();
    for (TjxStretchable* dependent : std::vector<TjxStretchable*>(m_dependents))
        if (dependent->Band() != Band())
            dependent->DropTarget();
}

void TjxStretchable::Notify(TjxCommunicator* sender, int operation)
{
    if (operation == ntDestroying) {
        if (sender == m_shiftRelativeTo)
            m_shiftRelativeTo = nullptr;
        m_dependents.erase(std::remove(m_dependents.begin(), m_dependents.end(), sender), m_dependents.end());
    }
    TjxComponent::Notify(sender, operation);
}

// ---- Generation ----

bool TjxStretchable::CanStretch(const TjxPrintParent& parent) const
{
    return (parent.dynamicHeight && m_stretch) || m_mmStopPosition != 0;
}

bool TjxStretchable::KeepTogetherPossible(const TjxPrintParent& parent) const
{
    if (!m_keepTogether)
        return false;
    if (const TjxStretchable* target = ShiftRelativeTo()) {
        TjxLength64 above = 0;
        // Chains are acyclic by construction; the count only bounds a damaged one.
        int steps = Band() ? Band()->ComponentCount() : 0;
        for (const TjxStretchable* t = target; t && steps-- >= 0; t = t->ShiftRelativeTo())
            above += t->DrawHeight();
        return above != 0;
    }
    const TjxEngine* engine = parent.bandEngine ? parent.bandEngine->Engine() : nullptr;
    if ((engine && engine->PageStarted()) || parent.spaceUsed > 0)
        return true;
    // A child report that flows in its parent's page starts no page of its own.
    const auto* child = Band() ? dynamic_cast<const TjxChildReport*>(Band()->Report()) : nullptr;
    while (child) {
        const auto* sub = dynamic_cast<const TjxSubReport*>(child->Parent());
        // A section has pages of its own; a fixed box shows its first page
        // only, so content moved out of it would never show.
        if (!sub || sub->PrintBehavior() == pbSection ||
            (sub->PrintBehavior() == pbFixed && !sub->TraverseAllData()))
            return false;
        TjxCustomReport* report = child->ParentReport();
        TjxEngine* outer = report && report->HasEngine() ? report->Engine() : nullptr;
        if (!outer)
            return false;
        if (outer->PageStarted())
            return true;
        // Something of the subreport's own band printed above it.
        if (const TjxBandEngine* band = outer->BandEngine(sub->Band()); band && sub->PrintRect().top > band->BandTop())
            return true;
        child = dynamic_cast<const TjxChildReport*>(report);
    }
    return false;
}

void TjxStretchable::InitGeneration()
{
    TjxComponent::InitGeneration();
    m_dependentsToPrint = false;
    m_keptMoved = false;
    m_firstIncompleteIndex = 0;
    m_split = false;
}

void TjxStretchable::BeforeGenerate(bool freshBandPrint)
{
    TjxComponent::BeforeGenerate(freshBandPrint);
    m_allComplete = true;
    m_currentPosition = 0;
    m_limit = 0;
    m_printed.clear();
}

void TjxStretchable::Generate(const TjxPrintParent& parent)
{
    m_engine = parent.bandEngine ? parent.bandEngine->Engine() : nullptr;
    if (ReprintOnOverFlow() && parent.continueStretch)
        Reprint();
    FirePrint();
    Layout(parent);
    if (NoRoom())
        return;
    if (ToPrint() && !OverFlow() && !m_dependentsToPrint) {
        m_dependentsToPrint = true;
        for (TjxStretchable* dependent : m_dependents)
            dependent->SetToPrint(true);
    }
    if (m_dependentsToPrint)
        PrintDependents(parent);
    if (!OverFlow() && !m_split)
        SetComplete(true);
}

int TjxStretchable::PlaceTop(const TjxPrintParent& parent)
{
    using L = TjxLength64;
    const TjxStretchable* target = ShiftRelativeTo();
    L start = 0, minTop = 0, offset = 0, growth = 0, currentBottom = 0;
    bool split = false;
    const TjxPrintable* lowest = nullptr;
    if (target) {
        // Right below the lowest point the target and its earlier dependents reached.
        start = currentBottom = target->m_currentPosition;
    } else {
        minTop = parent.isRegion ? parent.regionPageTop : parent.printRect.top;
        start = parent.isRegion ? L(parent.regionPageTop) + (L(mmTop()) - parent.regionmmTop)
                                : L(parent.printRect.top) + mmTop();
        split = parent.split;
        offset = parent.overFlowOffset;
        currentBottom = parent.currentBottom;
        if (parent.spaceUsed > 0) {
            growth = L(parent.spaceUsed) - parent.designHeight;
            lowest = parent.lowestStretched;
        }
    }
    L y = start;
    if (split)
        y = start - offset;
    else if (OverFlow() && m_mmStopPosition == 0)
        y = currentBottom + (target ? 0 : m_mmOverFlowOffset);
    else if (IsBottomAnchored() && !target)
        y = lowest ? L(lowest->PrintRect().top) + lowest->DrawHeight() +
                         (L(mmTop()) - lowest->mmTop() - lowest->mmHeight())
                   : start + growth;
    const int top = SaturatedLength(std::max(y, minTop));
    m_currentPosition = top;
    const int parentLimit = parent.pageLimit;
    const int stop = StopPositionAt(top);
    m_limit = SaturatedLength(L(stop != 0 && stop < parentLimit ? stop : parentLimit) - m_mmBottomOffset);
    return top;
}

void TjxStretchable::Layout(const TjxPrintParent& parent)
{
    using L = TjxLength64;
    const bool printing = ToPrint() && Visible();
    const L x = L(parent.printRect.left) + (printing ? mmLeft() : 0);
    const int y = PlaceTop(parent);
    // After placement: a stop position may come with the top.
    const bool stretching = CanStretch(parent);
    L h = printing && !stretching ? mmHeight() : 0;
    if (StretchWithParent()) {
        if (y < parent.currentBottom)
            h = L(parent.currentBottom) - y;
        if (y < m_limit && m_limit < y + h)
            h = L(m_limit) - y;
    }
    SetPrintRect({SaturatedLength(x), y, SaturatedLength(x + mmWidth()), stretching ? m_limit : SaturatedLength(y + h)});
    // One thousandth of slack absorbs rounding, as for fixed components.
    if (printing && L(m_limit) + 1 < y + h) {
        SetNoRoom(true);
        return;
    }
    if (printing) {
        if (!stretching)
            SetDrawHeight(SaturatedLength(h));
        ComputeContent(parent);
    }
    TjxRect rect = PrintRect();
    rect.bottom = SaturatedLength(L(y) + DrawHeight());
    SetPrintRect(rect);
    // The band sees the offset as used space; the drawn rectangle leaves it out.
    if (printing && DrawHeight() > 0)
        SetDrawHeight(SaturatedLength(L(DrawHeight()) + m_mmBottomOffset));
}

void TjxStretchable::PrintDependents(const TjxPrintParent& parent)
{
    using L = TjxLength64;
    const int top = PrintRect().top;
    m_currentPosition = SaturatedLength(L(top) + DrawHeight());
    m_limit = SaturatedLength(L(m_limit) + m_mmBottomOffset);
    bool found = false, firstStretching = false;
    int firstIndex = 0;
    for (int i = m_firstIncompleteIndex; i < int(m_dependents.size()); ++i) {
        TjxStretchable* dependent = m_dependents[size_t(i)];
        dependent->Generate(parent);
        if (dependent->DrawHeight() > 0) {
            m_printed.emplace_back(dependent->IndexInBand(), dependent);
            // The next dependent stacks below the lowest point reached so far.
            m_currentPosition = std::max(
                m_currentPosition, SaturatedLength(L(dependent->PrintRect().top) + dependent->DrawHeight()));
        }
        if (!dependent->Complete()) {
            if (!found) {
                found = true;
                firstIndex = i;
                firstStretching = dependent->Stretch();
            }
            m_allComplete = false;
        }
        if (m_engine)
            m_engine->ProcessMessages();
    }
    // The component now covers its dependents, so the band sees the whole chain.
    if (m_currentPosition > L(top) + DrawHeight())
        SetDrawHeight(SaturatedLength(L(m_currentPosition) - top));
    SetOverFlow(firstStretching);
    m_split = !(m_allComplete || firstStretching);
    if (found)
        m_firstIncompleteIndex = firstIndex;
}

void TjxStretchable::AfterGenerate()
{
    TjxComponent::AfterGenerate();
    // Only the dependents remain to print.
    if (ToPrint() && m_dependentsToPrint)
        SetToPrint(false);
    if (!OverFlow() && !m_split)
        m_dependentsToPrint = false;
    if (m_allComplete)
        m_firstIncompleteIndex = 0;
}

void TjxStretchable::PrintToPage(TjxPage* page)
{
    // When only dependents printed on this page, the component has nothing of its own to draw.
    if (PrintRect().Height() > 0)
        TjxComponent::PrintToPage(page);
    PrintContentsToPage(page);
    std::stable_sort(m_printed.begin(), m_printed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& entry : m_printed) {
        entry.second->PrintToPage(page);
        if (m_engine)
            m_engine->ProcessMessages();
    }
}

void TjxStretchable::PropertiesToDrawCommand(TjxDrawCommand* command)
{
    TjxComponent::PropertiesToDrawCommand(command);
    // DrawHeight also holds the bottom offset and the dependents; the drawing is the component alone.
    const TjxRect& r = PrintRect();
    command->SetBounds(r.left, r.top, r.Width(), r.Height());
}

void TjxStretchable::WriteState(QDataStream& stream) const
{
    TjxComponent::WriteState(stream);
    stream << m_dependentsToPrint << qint32(m_firstIncompleteIndex) << m_split << m_keptMoved;
}

void TjxStretchable::ReadState(QDataStream& stream)
{
    TjxComponent::ReadState(stream);
    qint32 index = 0;
    stream >> m_dependentsToPrint >> index >> m_split >> m_keptMoved;
    m_firstIncompleteIndex = index;
}

} // namespace orvane
