#include "engine/page_break.h"

#include "document/class_registry.h"
#include "document/component_registry.h"
#include "engine/band_engine.h"

namespace orvane {

const TClassInfo& TjxPageBreak::StaticClass()
{
    using T = TjxPageBreak;
    using P = TjxPublish<T>;
    static const TClassInfo info = [] {
        TClassBuilder<T> b("TjxPageBreak", &TjxStretchable::StaticClass());
        b.Creatable();
        b.Prop("UserName", StringType(), &T::UserName, &T::SetUserName);
        P::OnPrint(b);
        P::Top(b);
        b.Prop("ShiftRelativeTo", ClassType(), &T::ShiftRelativeTo, &T::SetShiftRelativeTo);
        P::Visible(b);
        return b.Build();
    }();
    return info;
}

TjxPageBreak::TjxPageBreak(TComponent* owner) : TjxStretchable(owner)
{
    SetInitialSize(mmWidth(), UnitsToThousandths(13, utScreenPixels, axVertical));
    SetParentWidth(true);
}

void TjxPageBreak::SetRegion(TjxComponent* region)
{
    if (region && !Band())
        SetBand(region->Band());
}

void TjxPageBreak::SetShiftRelativeTo(TjxStretchable* target)
{
    TjxStretchable::SetShiftRelativeTo(target);
    if (ShiftRelativeTo() == target)
        SetStretch(target != nullptr);
}

namespace {

// The band stops generating and continues on the next page from here.
void EndBand(const TjxPrintParent& parent)
{
    if (parent.bandEngine) {
        parent.bandEngine->SetNoRoom(true);
        parent.bandEngine->SetDone(true);
    }
}

} // namespace

void TjxPageBreak::Generate(const TjxPrintParent& parent)
{
    TjxStretchable::Generate(parent);
    if (!NoRoom())
        return;
    // A break uses no space, so not fitting its designed height changes nothing.
    SetNoRoom(false);
    if (OverFlow()) {
        SetOverFlow(false);
        SetComplete(!Split());
    } else {
        EndBand(parent);
        SetOverFlow(true);
    }
}

void TjxPageBreak::ComputeContent(const TjxPrintParent& parent)
{
    SetDrawHeight(0);
    if (OverFlow()) {
        SetOverFlow(false);
        return;
    }
    EndBand(parent);
    SetOverFlow(true);
}

ORVANE_REGISTER_COMPONENT(TjxPageBreak, "Advanced Components", 2, 1151);

ORVANE_REGISTER_CLASS(TjxPageBreak);

} // namespace orvane
