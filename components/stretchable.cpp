#include "components/stretchable.h"

#include "document/band.h"
#include "document/errors.h"
#include "document/messages.h"
#include "document/stream_reader.h"
#include "document/stream_writer.h"

#include <algorithm>

namespace orvane {

namespace {
constexpr int kCyclicShiftRelativeTo = 342;
}

const TClassInfo& TjxStretchable::StaticClass()
{
    using T = TjxStretchable;
    static const TClassInfo info =
        TClassBuilder<T>("TjxStretchable", &TjxComponent::StaticClass())
            .Defined("mmBottomOffset", [](T& c, TReader& r) { c.SetmmBottomOffset(ReadStoredLength(r)); },
                     [](const T& c, TWriter& w) { w.WriteInteger(c.m_mmBottomOffset); }, [](const T&) { return true; })
            .Defined("mmOverFlowOffset", [](T& c, TReader& r) { c.SetmmOverFlowOffset(ReadStoredLength(r)); },
                     [](const T& c, TWriter& w) { w.WriteInteger(c.m_mmOverFlowOffset); },
                     [](const T&) { return true; })
            .Defined("mmStopPosition", [](T& c, TReader& r) { c.SetmmStopPosition(ReadStoredLength(r)); },
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
        throw EInvalidPropertyError(GetMessage(kCyclicShiftRelativeTo));
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
        if (TjxBand* band = Band(); band && band->PrintHeight() == phStatic)
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
    if (m_stretch && (value & (1u << atBottom)))
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

} // namespace orvane
