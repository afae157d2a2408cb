#include "components/component.h"
#include "engine/region.h"
#include "output/draw_command.h"

#include "document/band.h"
#include "document/custom_report.h"
#include "document/designer_interface.h"
#include "document/group.h"
#include "document/report.h"
#include "document/stream_reader.h"
#include "document/stream_writer.h"

#include <algorithm>

namespace orvane {

const TTypeInfo& AnchorsType()
{
    static const TTypeInfo& t =
        SetType("TjxAnchors", EnumType("TjxAnchorType", {"atLeft", "atTop", "atRight", "atBottom"}));
    return t;
}

namespace {

constexpr TjxAnchors kTopAndBottom = (1u << atTop) | (1u << atBottom);
constexpr TjxAnchors kLeftAndRight = (1u << atLeft) | (1u << atRight);

bool IsRegion(const TjxComponent* c)
{
    for (const TClassInfo* cls = &c->ClassInfo(); cls; cls = cls->parent)
        if (cls->className == u"TjxRegion")
            return true;
    return false;
}

} // namespace

// ---- TjxComponent ----

const TClassInfo& TjxComponent::StaticClass()
{
    using T = TjxComponent;
    static const TClassInfo info =
        TClassBuilder<T>("TjxComponent", &TjxPrintable::StaticClass())
            // A component read into a band takes its band's values; the ones
            // read count only for a component without a band.
            .Defined("BandType",
                     [](T& c, TReader& r) {
                         const int v = int(r.ReadInteger());
                         if (!c.Band())
                             c.m_bandType = v;
                     },
                     [](const T& c, TWriter& w) { w.WriteInteger(c.BandType()); }, [](const T&) { return true; })
            .Defined("GroupNo",
                     [](T& c, TReader& r) {
                         const int v = int(r.ReadInteger());
                         if (!c.Band())
                             c.m_groupNo = v;
                     },
                     [](const T& c, TWriter& w) { w.WriteInteger(c.GroupNo()); },
                     [](const T& c) { return c.GroupNo() >= 0; })
            .Defined("ShiftWithParent",
                     [](T& c, TReader& r) {
                         if (r.ReadBoolean())
                             c.m_anchors = (c.m_anchors & ~kTopAndBottom) | (1u << atBottom);
                     },
                     nullptr, [](const T&) { return false; })
            .Build();
    return info;
}

TjxComponent::TjxComponent(TComponent* owner) : TjxPrintable(owner) {}

TjxComponent::~TjxComponent()
{
    // The region must forget its child now: by the time the notify links
    // report the destruction, this is no longer a component it recognises.
    if (auto* region = dynamic_cast<TjxCustomRegion*>(m_region)) {
        RemoveNotify(region);
        m_region = nullptr;
        region->ChildLeft(this, true);
    }
    TjxBand* band = Band();
    if (band && !band->FreeingChildren())
        NotifyDesigner(dnComponentDestroyed, kDesignerNotifyCode, this);
    SetParent(nullptr);
}

TjxBand* TjxComponent::Band() const
{
    TjxRelative* parent = Parent();
    return parent ? parent->AsBand() : nullptr;
}

int TjxComponent::BandType() const
{
    const TjxBand* band = Band();
    return band ? int(band->BandType()) : m_bandType;
}

int TjxComponent::GroupNo() const
{
    const TjxBand* band = Band();
    if (!band)
        return m_groupNo;
    const TjxBandType type = band->BandType();
    return type == btGroupHeader || type == btGroupFooter ? band->GroupIndex() : -1;
}

void TjxComponent::RequireTwoPasses()
{
    TjxCustomReport* report = Band() ? Band()->Report() : nullptr;
    if (!report)
        return;
    report->SetPassSetting(psTwoPass);
    if (auto* child = dynamic_cast<TjxChildReport*>(report))
        if (TjxCustomReport* main = child->MainReport())
            main->SetPassSetting(psTwoPass);
}

void TjxComponent::SetParent(TjxRelative* parent)
{
    TjxBand* old = Band();
    TjxPrintable::SetParent(parent);
    if (const TjxBand* band = Band()) {
        m_bandType = BandType();
        m_groupNo = GroupNo();
        if (band->Report())
            SetUnits(band->ReportUnits());
    }
    TjxBand* band = Band();
    if (band == old)
        return;
    BandChanged();
    // A band taken apart as a whole is announced once, by the band.
    if (IsReadingOrLoading())
        return;
    if (old && !old->FreeingChildren())
        old->NotifyDesigner(dnChildRemoved, kDesignerNotifyCode, this);
    if (band)
        band->NotifyDesigner(dnChildAdded, kDesignerNotifyCode, this);
}

void TjxComponent::SetParentComponent(TComponent* parent)
{
    if (auto* band = dynamic_cast<TjxBand*>(parent))
        SetBand(band);
    else if (auto* region = dynamic_cast<TjxCustomRegion*>(parent))
        SetRegion(region);
    else
        TjxPrintable::SetParentComponent(parent);
}

TComponent* TjxComponent::GetParentComponent() const
{
    return m_region ? m_region : TjxPrintable::GetParentComponent();
}

void TjxComponent::SetBand(TjxBand* band)
{
    if (band == Band() && Parent() == band)
        return;
    const bool reading = IsReadingOrLoading();
    if (!reading)
        NotifyDesignerPropertyChange(QStringLiteral("Band"));
    TjxBand* old = Band();
    SetParent(band);
    // A report being designed tells the designer which band lost and which
    // gained a component, so that its design control follows.
    if (old != band && !reading) {
        TjxEventParams params{{QStringLiteral("Component"), QVariant::fromValue(static_cast<void*>(this)), false}};
        if (old && old->Report() && (old->Report()->DesignState() & dsDesigning))
            old->Report()->SendEventNotify(ciBandComponentAttachmentSecond, &params);
        if (band && band->Report() && (band->Report()->DesignState() & dsDesigning))
            band->Report()->SendEventNotify(ciBandComponentAttachmentFirst, &params);
    }
    if (band) {
        if (band->DesignState() & dsShowingData)
            IncludeDesignState(dsShowingData);
        else
            ExcludeDesignState(dsShowingData);
    }
    if (reading)
        return;
    if (band && (ParentWidth() || ParentHeight()))
        RealignToParent();
    if (old)
        old->LayoutChanged();
    AfterChange(true);
}

TjxUnitType TjxComponent::Units() const
{
    const TjxBand* band = Band();
    return band && band->Report() ? band->ReportUnits() : TjxPrintable::Units();
}

int TjxComponent::BandWidth() const
{
    const TjxBand* band = Band();
    return band && band->Report() ? band->Report()->PrintableWidth() : 0;
}

int TjxComponent::BandHeight() const
{
    const TjxBand* band = Band();
    return band ? band->mmHeight() : 0;
}

TjxRect TjxComponent::GetParentRect() const
{
    if (const auto* region = dynamic_cast<const TjxCustomRegion*>(m_region))
        return region->BoundsRect();
    return TjxRect{0, 0, BandWidth(), BandHeight()};
}

TjxRect TjxComponent::GetParentSavedRect() const
{
    if (const auto* region = dynamic_cast<const TjxCustomRegion*>(m_region))
        return region->SavedRect();
    return GetParentRect();
}

void TjxComponent::SetAnchors(TjxAnchors value)
{
    value &= 0xF;
    if ((value & kTopAndBottom) == kTopAndBottom || (value & kLeftAndRight) == kLeftAndRight)
        return;
    Change(m_anchors, value, "Anchors", true);
}

void TjxComponent::SetShiftWithParent(bool value)
{
    SetAnchors((m_anchors & ~kTopAndBottom) | (1u << (value ? atBottom : atTop)));
}

TjxDesignerInterface* TjxComponent::GetDesignerInterface() const
{
    if (TjxDesignerInterface* own = TjxPrintable::GetDesignerInterface())
        return own;
    const TjxBand* band = Band();
    return band ? band->GetDesignerInterface() : nullptr;
}

void TjxComponent::LayoutChanged()
{
    if (IsReadingOrLoading())
        return;
    if (TjxBand* band = Band())
        band->LayoutChanged();
}

// While a stream is read every length is stored as it stands: a component
// sized to its parent still gets its stored size back.
void TjxComponent::SetmmLeft(int value)
{
    if (!IsReadingOrLoading()) {
        if (ParentWidth())
            return;
        value = std::max(0, value);
        if (const int width = BandWidth(); width > 0)
            value = std::min(value, width);
    }
    TjxPrintable::SetmmLeft(value);
}

void TjxComponent::SetmmTop(int value)
{
    if (!IsReadingOrLoading()) {
        if (ParentHeight())
            return;
        value = std::max(0, value);
        if (IsDesigning() && Band())
            value = std::min(value, BandHeight());
    }
    TjxPrintable::SetmmTop(value);
}

void TjxComponent::SetmmWidth(int value)
{
    if (!IsReadingOrLoading()) {
        if (ParentWidth())
            return;
        value = std::max(0, value);
    }
    TjxPrintable::SetmmWidth(value);
}

void TjxComponent::SetmmHeight(int value)
{
    if (!IsReadingOrLoading()) {
        if (ParentHeight())
            return;
        value = std::max(0, value);
    }
    TjxPrintable::SetmmHeight(value);
}

void TjxComponent::SetBounds(int left, int top, int height, int width)
{
    if (!IsReadingOrLoading()) {
        width = std::max(0, width);
        height = std::max(0, height);
        if (IsDesigning() && Band()) {
            top = std::clamp(top, 0, std::max(0, BandHeight()));
            left = std::max(0, left);
            if (const int bandWidth = BandWidth(); bandWidth > 0)
                left = std::min(left, bandWidth);
        }
    }
    TjxPrintable::SetBounds(left, top, height, width);
}

void TjxComponent::SetParentWidth(bool value)
{
    if (value == ParentWidth())
        return;
    TjxPrintable::SetParentWidth(value);
    if (IsReadingOrLoading())
        return;
    if (value)
        RealignToParent();
    SendEventNotify(ciParentWidthChanged);
}

void TjxComponent::SetParentHeight(bool value)
{
    if (value == ParentHeight())
        return;
    TjxPrintable::SetParentHeight(value);
    if (IsReadingOrLoading())
        return;
    if (value)
        RealignToParent();
    SendEventNotify(ciParentHeightChanged);
}

void TjxComponent::RealignToParent()
{
    // Without a report the band's width is unknown.
    const TjxBand* band = Band();
    if (IsReadingOrLoading() || !band || !band->Report())
        return;
    if (m_anchors == 0 && !ParentWidth() && !ParentHeight())
        return;
    const TjxRect n = GetParentRect();
    const TjxRect p = GetParentSavedRect();
    using L = TjxLength64;
    L left = mmLeft(), top = mmTop();
    int width = mmWidth(), height = mmHeight();
    if (HasAnchor(atLeft))
        left += L(n.left) - p.left;
    if (HasAnchor(atTop))
        top += L(n.top) - p.top;
    if (HasAnchor(atRight))
        left += L(n.right) - p.right;
    if (HasAnchor(atBottom))
        top += L(n.bottom) - p.bottom;
    if (ParentWidth()) {
        left = n.left;
        width = n.Width();
    }
    if (ParentHeight()) {
        top = n.top;
        height = n.Height();
    }
    SetBounds(SaturatedLength(left), SaturatedLength(top), height, width);
}

void TjxComponent::BringToFront()
{
    TjxBand* band = Band();
    if (!band)
        return;
    NotifyDesignerPropertyChange(QStringLiteral("BringToFront"));
    band->BringToFront(this);
    band->NotifyDesigner(dnChildChanged, kDesignerNotifyCode, this);
}

void TjxComponent::SendToBack()
{
    TjxBand* band = Band();
    if (!band)
        return;
    NotifyDesignerPropertyChange(QStringLiteral("SendToBack"));
    band->SendToBack(this);
    band->NotifyDesigner(dnChildChanged, kDesignerNotifyCode, this);
}

void TjxComponent::SetDataPipeline(TjxCommunicator* value)
{
    if (value == DataPipeline())
        return;
    TjxPrintable::SetDataPipeline(value);
    if (IsReadingOrLoading() || (DesignState() & dsPasting))
        return;
    const TjxBand* band = Band();
    TjxCommunicator* bandPipeline = band && band->Report() ? band->Report()->DataPipeline() : nullptr;
    // Announced, so that the designer's undo puts the flag back too.
    if (value != bandPipeline)
        Change(m_parentDataPipeline, false, "ParentDataPipeline");
}

void TjxComponent::SetParentDataPipeline(bool value)
{
    if (!Change(m_parentDataPipeline, value, "ParentDataPipeline") || !value || IsReadingOrLoading())
        return;
    const TjxBand* band = Band();
    SetDataPipeline(band && band->Report() ? band->Report()->DataPipeline() : nullptr);
}

void TjxComponent::SetResetGroup(TjxGroup* value)
{
    if (value == m_resetGroup)
        return;
    if (!IsReadingOrLoading())
        NotifyDesignerPropertyChange(QStringLiteral("ResetGroup"));
    if (m_resetGroup)
        m_resetGroup->RemoveEventNotify(this);
    m_resetGroup = value;
    if (value)
        value->AddEventNotify(this);
    if (!IsReadingOrLoading())
        AfterChange(false);
}

void TjxComponent::SetRegion(TjxComponent* region)
{
    if (region == m_region || region == this || (region && !IsRegion(region)))
        return;
    if (!IsReadingOrLoading())
        NotifyDesignerPropertyChange(QStringLiteral("Region"));
    auto* old = dynamic_cast<TjxCustomRegion*>(m_region);
    if (m_region)
        RemoveNotify(m_region);
    m_region = region;
    if (old)
        old->ChildLeft(this, false);
    if (auto* joined = dynamic_cast<TjxCustomRegion*>(region)) {
        AddNotify(joined);
        joined->ChildJoined(this);
    }
    if (!IsReadingOrLoading()) {
        if (ParentWidth() || ParentHeight())
            RealignToParent();
        AfterChange(true);
    }
}

void TjxComponent::Notify(TjxCommunicator* sender, int operation)
{
    if (operation == ntDestroying) {
        if (sender == m_resetGroup)
            m_resetGroup = nullptr;
        if (sender == m_region)
            m_region = nullptr;
    }
    TjxPrintable::Notify(sender, operation);
}

// ---- TjxCustomComponent ----

const TClassInfo& TjxCustomComponent::StaticClass()
{
    using T = TjxCustomComponent;
    static const TClassInfo info =
        TClassBuilder<T>("TjxCustomComponent", &TjxComponent::StaticClass())
            .Defined("ShiftWithBand", [](T& c, TReader& r) { c.SetShiftWithParent(r.ReadBoolean()); }, nullptr,
                     [](const T&) { return false; })
            .Defined("StretchWithBand", [](T& c, TReader& r) { c.SetStretchWithParent(r.ReadBoolean()); }, nullptr,
                     [](const T&) { return false; })
            .Build();
    return info;
}

void TjxComponent::PropertiesToDrawCommand(TjxDrawCommand* command)
{
    TjxPrintable::PropertiesToDrawCommand(command);
    command->SetBand(Band());
}

// ---- TjxCustomComponent ----

TjxCustomComponent::TjxCustomComponent(TComponent* owner) : TjxComponent(owner)
{
    SetCacheRecordSize(1);
}

void TjxCustomComponent::Generate(const TjxPrintParent& parent)
{
    if (ReprintOnOverFlow() && parent.overFlow)
        Reprint();
    // Invisible components hear OnPrint too: the handler may show them.
    FirePrint();
    if (ToPrint() && Visible()) {
        ComputePosition(parent);
        if (NoRoom())
            return;
    }
    SetComplete(true);
}

void TjxCustomComponent::ComputePosition(const TjxPrintParent& parent)
{
    using L = TjxLength64;
    const L x = L(parent.printRect.left) + mmLeft();
    L h = mmHeight();
    L y = parent.isRegion ? L(mmTop()) + (L(parent.regionPageTop) - parent.regionmmTop)
                          : L(parent.printRect.top) + mmTop();
    if (parent.overFlow)
        y -= parent.overFlowOffset;
    if (IsBottomAnchored()) {
        // Keep the designed distance below the lowest stretched sibling, or follow the parent's growth.
        if (const TjxPrintable* child = parent.lowestStretched)
            y = L(child->PrintRect().top) + child->DrawHeight() + (L(mmTop()) - child->mmTop() - child->mmHeight());
        else
            y += L(parent.spaceUsed) - parent.designHeight;
    }
    if (StretchWithParent()) {
        if (y < parent.currentBottom)
            h = parent.currentBottom - y;
        if (y < parent.pageLimit && parent.pageLimit < y + h)
            h = parent.pageLimit - y;
    }
    // One thousandth of slack absorbs rounding in the positions above.
    if (parent.dynamicHeight && L(parent.pageLimit) + 1 < y + h) {
        SetNoRoom(true);
        return;
    }
    const int top = SaturatedLength(y);
    SetPrintRect({SaturatedLength(x), top, SaturatedLength(x + mmWidth()), SaturatedLength(y + h)});
    SetDrawHeight(SaturatedLength(h));
    ComputeContent();
    TjxRect rect = PrintRect();
    rect.bottom = SaturatedLength(L(top) + DrawHeight());
    SetPrintRect(rect);
}

} // namespace orvane
