#include "engine/region.h"
#include "components/shape.h"

#include "document/band.h"
#include "document/class_registry.h"
#include "document/component_registry.h"
#include "document/designer_interface.h"
#include "document/errors.h"
#include "document/messages.h"
#include "engine/cache_manager.h"
#include "engine/engine.h"
#include "output/draw_shape.h"
#include "output/page.h"

#include <algorithm>

namespace orvane {

namespace {

// A section subreport asked for a new page, or a section is printing or just ended.
constexpr uint16_t kSectionStates = esNewPageForSection | esSectionGenerating | esSectionEnded;

bool IsStretching(const TjxPrintable* component)
{
    const auto* stretchable = dynamic_cast<const TjxStretchable*>(component);
    return stretchable && stretchable->Stretch();
}

} // namespace

// ---- TjxCustomRegion ----

const TClassInfo& TjxCustomRegion::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxCustomRegion>("TjxCustomRegion", &TjxStretchable::StaticClass()).Build();
    return info;
}

TjxCustomRegion::TjxCustomRegion(TComponent* owner)
    : TjxStretchable(owner), m_brush(std::make_unique<TBrush>()), m_pen(std::make_unique<TPen>())
{
    m_brush->OnChange = [this] { GraphicChanged(); };
    m_pen->OnChange = [this] { GraphicChanged(); };
    m_savedRect = BoundsRect();
    m_continuationOffset = mmHeight();
}

TjxCustomRegion::~TjxCustomRegion()
{
    m_brush->OnChange = nullptr;
    m_pen->OnChange = nullptr;
}

// ---- pen and brush ----

void TjxCustomRegion::SetBrush(TBrush* value)
{
    if (!value || *value == *m_brush)
        return;
    if (!IsReadingOrLoading())
        NotifyDesignerPropertyChange(QStringLiteral("Brush"));
    m_brush->Assign(value);
}

void TjxCustomRegion::SetPen(TPen* value)
{
    if (!value || *value == *m_pen)
        return;
    if (!IsReadingOrLoading())
        NotifyDesignerPropertyChange(QStringLiteral("Pen"));
    m_pen->Assign(value);
}

void TjxCustomRegion::GraphicChanged()
{
    if (IsReadingOrLoading())
        return;
    // A clear brush is what makes the region transparent.
    const bool clear = m_brush->Style() == bsClear;
    if (Transparent() != clear)
        TjxStretchable::SetTransparent(clear);
    AfterChange(false);
}

void TjxCustomRegion::SetTransparent(bool value)
{
    if (!IsReadingOrLoading()) {
        if (value && m_brush->Style() != bsClear)
            m_brush->SetStyle(bsClear);
        else if (!value && m_brush->Style() == bsClear)
            m_brush->SetStyle(bsSolid);
    }
    TjxStretchable::SetTransparent(value);
}

void TjxCustomRegion::SetBackground(TColor color, bool transparent)
{
    ChangeBrushBackground(*this, *m_brush, color, transparent);
}

void TjxCustomRegion::SetPenColor(TColor color, bool clear)
{
    ChangePenColor(*this, *m_pen, color, clear);
}

void TjxCustomRegion::SetFontColor(TColor color)
{
    SetPenColor(color, false);
}

void TjxCustomRegion::SetLineWidth(int width)
{
    ChangePenWidth(*this, *m_pen, width);
}

// ---- children ----

void TjxCustomRegion::AddChild(TjxComponent* component)
{
    if (component && component != this)
        component->SetRegion(this);
}

void TjxCustomRegion::RemoveChild(TjxComponent* component)
{
    if (component && component->Region() == this)
        component->SetRegion(nullptr);
}

void TjxCustomRegion::MoveAfter(TjxComponent* child, TjxComponent* anchor)
{
    TjxBand* band = Band();
    const int from = band->IndexOfChild(child);
    const int at = band->IndexOfChild(anchor);
    if (from < 0 || at < 0 || from == at + 1)
        return;
    // Taking the child out first shifts the anchor when the child stood before it.
    band->MoveComponent(from, from < at ? at : at + 1);
}

void TjxCustomRegion::ChildJoined(TjxComponent* child)
{
    if (std::find(m_children.begin(), m_children.end(), child) != m_children.end())
        return;
    m_children.push_back(child);
    m_rollbackAttached = false;
    if (Band() && child->Band() != Band())
        child->SetBand(Band());
    if (IsReadingOrLoading() || child->HasState(csReading | csLoading))
        return;
    if (TjxBand* band = Band()) {
        // Directly after the region's last child, so the region's children always follow it.
        TjxComponent* anchor = this;
        for (TjxComponent* other : m_children)
            if (other != child && band->IndexOfChild(other) > band->IndexOfChild(anchor))
                anchor = other;
        MoveAfter(child, anchor);
    }
    if (IsStretching(child))
        SetStretch(true);
    LayoutChanged();
    NotifyDesigner(dnChildChanged, kDesignerNotifyCode, child);
}

void TjxCustomRegion::Forget(TjxComponent* child)
{
    m_children.erase(std::remove(m_children.begin(), m_children.end(), child), m_children.end());
    const auto isChild = [child](const TKeyed& k) { return k.second == child; };
    for (auto& category : m_categories)
        category.erase(std::remove_if(category.begin(), category.end(), isChild), category.end());
    m_printedChildren.erase(std::remove_if(m_printedChildren.begin(), m_printedChildren.end(), isChild),
                            m_printedChildren.end());
    if (m_lowestStretching == child)
        m_lowestStretching = nullptr;
    m_rollbackAttached = false;
}

void TjxCustomRegion::ChildLeft(TjxComponent* child, bool destroying)
{
    Forget(child);
    if (IsReadingOrLoading())
        return;
    LayoutChanged();
    if (!destroying)
        NotifyDesigner(dnChildChanged, kDesignerNotifyCode, child);
}

void TjxCustomRegion::Notify(TjxCommunicator* sender, int operation)
{
    if (operation == ntDestroying)
        if (auto* child = dynamic_cast<TjxComponent*>(sender);
            child && std::find(m_children.begin(), m_children.end(), child) != m_children.end())
            ChildLeft(child, true);
    TjxStretchable::Notify(sender, operation);
}

void TjxCustomRegion::SetRegion(TjxComponent* region)
{
    if (region && !Band())
        SetBand(region->Band());
}

void TjxCustomRegion::SetShiftRelativeTo(TjxStretchable* target)
{
    if (target && target->Region() == this) {
        if (IsReadingOrLoading())
            return;
        throw EInvalidPropertyError(GetMessage(kCyclicShiftMessage));
    }
    TjxStretchable::SetShiftRelativeTo(target);
}

void TjxCustomRegion::SetBand(TjxBand* band)
{
    TjxStretchable::SetBand(band);
    for (TjxComponent* child : std::vector<TjxComponent*>(m_children))
        child->SetBand(band);
}

void TjxCustomRegion::BringToFront()
{
    TjxBand* band = Band();
    if (!band)
        return;
    TjxStretchable::BringToFront();
    TjxComponent* anchor = this;
    for (TjxComponent* child : m_children) {
        MoveAfter(child, anchor);
        anchor = child;
    }
}

void TjxCustomRegion::SendToBack()
{
    TjxBand* band = Band();
    if (!band)
        return;
    TjxStretchable::SendToBack();
    TjxComponent* anchor = this;
    for (TjxComponent* child : m_children) {
        MoveAfter(child, anchor);
        anchor = child;
    }
}

void TjxCustomRegion::RealignChildren()
{
    if (IsReadingOrLoading())
        return;
    const TjxRect now = BoundsRect();
    if (now == m_savedRect)
        return;
    // RealignToParent reads the saved rectangle, so it changes only afterwards.
    if (m_savedRect.Width() > 0 && m_savedRect.Height() > 0)
        for (TjxComponent* child : std::vector<TjxComponent*>(m_children))
            child->RealignToParent();
    m_savedRect = now;
}

void TjxCustomRegion::BoundsChanged()
{
    TjxStretchable::BoundsChanged();
    RealignChildren();
}

void TjxCustomRegion::Loaded()
{
    TjxStretchable::Loaded();
    // Read bounds were never aligned to.
    m_savedRect = BoundsRect();
}

void TjxCustomRegion::GetChildren(const TGetChildProc& proc, TComponent*) const
{
    for (TjxComponent* child : std::vector<TjxComponent*>(m_children))
        proc(child);
}

// ---- generation ----

void TjxCustomRegion::InitGeneration()
{
    TjxStretchable::InitGeneration();
    m_firstIncompleteCategory = 0;
    m_firstIncompleteIndex = 0;
    m_continuationOffset = mmHeight();
    m_lowestStretching = nullptr;
    m_printedChildren.clear();
    m_rollbackAttached = false;
    for (auto& category : m_categories)
        category.clear();
    for (int i = 0; i < int(m_children.size()); ++i) {
        TjxComponent* child = m_children[size_t(i)];
        child->InitGeneration();
        const auto* stretchable = dynamic_cast<TjxStretchable*>(child);
        // Shifting children print with their target.
        if (stretchable ? stretchable->ShiftRelativeTo() != nullptr : !dynamic_cast<TjxCustomComponent*>(child))
            continue;
        int category = 0;
        if (stretchable && stretchable->Stretch())
            category = 1;
        else if (child->StretchWithParent())
            category = 2;
        else if (child->IsBottomAnchored())
            category = 3;
        m_categories[size_t(category)].emplace_back(i, child);
    }
}

void TjxCustomRegion::BeforeGenerate(bool freshBandPrint)
{
    TjxStretchable::BeforeGenerate(freshBandPrint);
    // A region that only prints its dependents on this page draws none of its children.
    m_printedChildren.clear();
}

void TjxCustomRegion::Reprint()
{
    TjxStretchable::Reprint();
    for (TjxComponent* child : m_children)
        child->SetToPrint(true);
}

void TjxCustomRegion::ComputeContent(const TjxPrintParent& parent)
{
    const bool snapshot = !KeptMoved() && KeepTogetherPossible(parent);
    if (snapshot)
        TakeSnapshot();
    GenerateChildren(parent);
    if (snapshot && OverFlow())
        RollBack();
    else if (!OverFlow())
        SetKeptMoved(false);
}

void TjxCustomRegion::GenerateChildren(const TjxPrintParent& parent)
{
    TjxEngine* engine = GenerationEngine();
    const int top = PrintRect().top;
    const bool stretching = CanStretch(parent);
    const bool wasOverFlow = OverFlow();
    const bool wasSplit = Split();

    // What the children see of the region.
    TjxPrintParent cp = parent;
    cp.isRegion = true;
    cp.regionPageTop = top;
    cp.regionmmTop = mmTop();
    cp.printRect = {parent.printRect.left, top, parent.printRect.right, PrintLimit()};
    cp.pageLimit = PrintLimit();
    cp.dynamicHeight = parent.dynamicHeight && Stretch();
    cp.overFlow = wasOverFlow;
    cp.continueStretch = wasOverFlow;
    cp.split = wasSplit;
    cp.overFlowOffset = wasSplit ? m_continuationOffset : 0;
    cp.designHeight = mmHeight();

    const int startCategory = m_firstIncompleteCategory;
    const int startIndex = m_firstIncompleteIndex;
    m_continuationOffset = mmHeight();
    m_lowestStretching = nullptr;
    int lowestBottom = 0;
    m_printedChildren.clear();
    bool found = false, firstStretching = false, anyPrinted = false, allComplete = true, stop = false;
    int firstCategory = 0, firstIndex = 0;
    const bool sectionBreak = engine && engine->HasState(kSectionStates);

    const auto generateList = [&](int category, int from) {
        const std::vector<TKeyed>& list = m_categories[size_t(category)];
        int running = CurrentPosition();
        for (int i = from; i < int(list.size()); ++i) {
            TjxComponent* child = list[size_t(i)].second;
            cp.currentBottom = CurrentPosition();
            cp.spaceUsed = DrawHeight();
            cp.lowestStretched = m_lowestStretching;
            const bool failedBefore = child->NoRoom();
            child->Generate(cp);
            const int bottom = SaturatedLength(TjxLength64(child->PrintRect().top) + child->DrawHeight());
            if (child->DrawHeight() > 0) {
                m_printedChildren.push_back(list[size_t(i)]);
                anyPrinted = true;
                if (stretching)
                    running = std::max(running, bottom);
            }
            if (!child->Complete() && !failedBefore) {
                if (!found) {
                    found = true;
                    firstCategory = category;
                    firstIndex = i;
                    firstStretching = IsStretching(child);
                }
                allComplete = false;
                m_continuationOffset =
                    std::min(m_continuationOffset, SaturatedLength(TjxLength64(child->mmTop()) - mmTop()));
            }
            if (IsStretching(child) &&
                (!m_lowestStretching || (stretching && child->DrawHeight() > 0 && bottom > lowestBottom))) {
                m_lowestStretching = child;
                lowestBottom = bottom;
            }
            if (engine)
                engine->ProcessMessages();
            // A section break ends the page here; what is left starts the next section.
            if (sectionBreak && !child->Complete() && i + 1 < int(list.size())) {
                stop = true;
                break;
            }
        }
        if (running > CurrentPosition()) {
            SetCurrentPosition(running);
            SetDrawHeight(SaturatedLength(TjxLength64(running) - top));
        }
    };

    // An overflow resuming after the first category prints that one again (its reprinting children).
    if (wasOverFlow && !wasSplit && startCategory > 0)
        generateList(0, 0);
    for (int category = startCategory; category < 4 && !stop; ++category) {
        generateList(category, category == startCategory ? startIndex : 0);
        if (sectionBreak)
            break;
        if (category == 1 && DrawHeight() == 0)
            break;
    }
    if (stop) {
        found = false;
        firstStretching = false;
        allComplete = true;
    }

    SetOverFlow(firstStretching);
    SetSplit(!(allComplete || firstStretching));
    if (Split() && !anyPrinted)
        m_continuationOffset = 0;
    if (!Split())
        m_continuationOffset = mmHeight();
    if (allComplete) {
        m_firstIncompleteCategory = 0;
        m_firstIncompleteIndex = 0;
    } else {
        m_firstIncompleteCategory = firstCategory;
        m_firstIncompleteIndex = firstIndex;
    }
    if (Split())
        SetOverFlow(true);
}

void TjxCustomRegion::TakeSnapshot()
{
    if (!m_rollbackCache)
        m_rollbackCache = std::make_unique<TjxCacheManager>();
    if (!m_rollbackAttached) {
        m_rollbackCache->Attach(std::vector<TjxCacheable*>(m_children.begin(), m_children.end()));
        m_rollbackAttached = true;
    }
    m_rollbackCache->SavePage(0);
    m_hasRollbackPage = false;
    TjxEngine* engine = GenerationEngine();
    if (!engine)
        return;
    if (!m_rollbackPage)
        m_rollbackPage = std::make_unique<TjxPage>();
    m_rollbackPage->Assign(engine->Page());
    m_hasRollbackPage = true;
    // Where the data stands now: a region moved whole prints the same records on the next page.
    if (TjxDataPipeline* master = engine->MasterPipeline(); master && master->Active())
        m_rollbackMaster = master->SavePosition();
    if (TjxDataPipeline* detail = engine->DetailPipeline(); detail && detail->Active())
        m_rollbackDetail = detail->SavePosition();
}

void TjxCustomRegion::RollBack()
{
    m_rollbackCache->RestorePage(0);
    if (TjxEngine* engine = GenerationEngine(); engine && m_hasRollbackPage) {
        if (TjxDataPipeline* master = engine->MasterPipeline(); master && master->Active())
            master->RestorePosition(m_rollbackMaster, false);
        if (TjxDataPipeline* detail = engine->DetailPipeline(); detail && detail->Active())
            detail->RestorePosition(m_rollbackDetail, false);
        engine->Page()->Assign(m_rollbackPage.get());
    }
    SetDrawHeight(0);
    SetKeptMoved(true);
    for (TjxComponent* child : m_children) {
        child->SetToPrint(true);
        child->SetComplete(false);
    }
    m_printedChildren.clear();
    m_firstIncompleteCategory = 0;
    m_firstIncompleteIndex = 0;
    SetSplit(false);
    m_continuationOffset = mmHeight();
}

void TjxCustomRegion::PrintContentsToPage(TjxPage* page)
{
    // Above the frame, in the region's child order.
    std::stable_sort(m_printedChildren.begin(), m_printedChildren.end(),
                     [](const TKeyed& a, const TKeyed& b) { return a.first < b.first; });
    TjxEngine* engine = GenerationEngine();
    for (const TKeyed& entry : m_printedChildren) {
        entry.second->PrintToPage(page);
        if (engine)
            engine->ProcessMessages();
    }
}

std::unique_ptr<TjxDrawCommand> TjxCustomRegion::NewDrawCommand() const
{
    return std::make_unique<TjxDrawShape>();
}

void TjxCustomRegion::PropertiesToDrawCommand(TjxDrawCommand* command)
{
    TjxStretchable::PropertiesToDrawCommand(command);
    auto* draw = dynamic_cast<TjxDrawShape*>(command);
    if (!draw)
        return;
    // The frame's stroke stays inside the printed rectangle.
    const TjxRect& r = PrintRect();
    using L = TjxLength64;
    const L inset = m_pen->Width() / 2;
    draw->SetBrush(m_brush.get());
    draw->SetPen(m_pen.get());
    draw->SetBounds(SaturatedLength(r.left + inset), SaturatedLength(r.top + inset),
                    SaturatedLength(r.Width() - 2 * inset), SaturatedLength(r.Height() - 2 * inset));
    draw->SetShapeType(stRectangle);
    const int round = std::min(r.Width(), r.Height()) / 4;
    draw->SetXCornerRound(round);
    draw->SetYCornerRound(round);
}

void TjxCustomRegion::WriteState(QDataStream& stream) const
{
    TjxStretchable::WriteState(stream);
    stream << qint32(m_firstIncompleteCategory) << qint32(m_firstIncompleteIndex) << qint32(m_continuationOffset);
}

void TjxCustomRegion::ReadState(QDataStream& stream)
{
    TjxStretchable::ReadState(stream);
    qint32 category = 0, index = 0, offset = 0;
    stream >> category >> index >> offset;
    m_firstIncompleteCategory = category;
    m_firstIncompleteIndex = index;
    m_continuationOffset = offset;
}

// ---- TjxRegion ----

const TClassInfo& TjxRegion::StaticClass()
{
    using T = TjxRegion;
    using P = TjxPublish<T>;
    static const TClassInfo info = [] {
        TClassBuilder<T> b("TjxRegion", &TjxCustomRegion::StaticClass());
        b.Creatable();
        P::Base(b);
        P::Anchors(b);
        b.Prop("BottomOffset", FloatType(), &T::BottomOffset, &T::SetBottomOffset).NeverStored();
        b.Prop("Brush", ClassType(), &T::Brush, &T::SetBrush);
        P::Caption(b);
        b.Prop("KeepTogether", BooleanType(), &T::KeepTogether, &T::SetKeepTogether).Default(0);
        P::OnDrawCommandClick(b);
        P::OnDrawCommandCreate(b);
        b.Prop("OverFlowOffset", FloatType(), &T::OverFlowOffset, &T::SetOverFlowOffset).NeverStored();
        P::ParentHeight(b);
        P::ParentWidth(b);
        b.Prop("Pen", ClassType(), &T::Pen, &T::SetPen);
        P::ReprintOnOverFlow(b);
        b.Prop("ShiftRelativeTo", ClassType(), &T::ShiftRelativeTo, &T::SetShiftRelativeTo);
        b.Prop("Stretch", BooleanType(), &T::Stretch, &T::SetStretch).Default(0);
        P::StretchWithParent(b);
        P::Transparent(b);
        P::Visible(b);
        return b.Build();
    }();
    return info;
}

TjxRegion::TjxRegion(TComponent* owner) : TjxCustomRegion(owner) {}

ORVANE_REGISTER_COMPONENT(TjxRegion, "Advanced Components", 0, 368);

ORVANE_REGISTER_CLASS(TjxRegion);

} // namespace orvane
