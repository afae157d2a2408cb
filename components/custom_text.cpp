#include "components/custom_text.h"

#include "document/stream_reader.h"
#include "document/stream_writer.h"

#include <algorithm>
#include <limits>

namespace orvane {

const TClassInfo& TjxCustomText::StaticClass()
{
    using T = TjxCustomText;
    using P = TjxPublish<T>;
    static const TClassInfo info = [] {
        TClassBuilder<T> b("TjxCustomText", &TjxCustomComponent::StaticClass());
        P::Base(b);
        b.Prop("Angle", IntegerType(), &T::Angle, &T::SetAngle).Default(0);
        b.Prop("CharWrap", BooleanType(), &T::CharWrap, &T::SetCharWrap).Default(0);
        b.Prop("OnGetText", MethodType(), &T::OnGetText, &T::SetOnGetText);
        P::ReprintOnOverFlow(b);
        b.Prop("Save", BooleanType(), &T::Save, &T::SetSave).Default(0);
        b.Prop("SaveLength", IntegerType(), &T::SaveLength, &T::SetSaveLength).Default(0);
        b.Prop("SaveOrder", IntegerType(), &T::SaveOrder, &T::SetSaveOrder).Default(-1);
        // The origin of rotated text only means something for rotated text.
        b.Defined("RotatedOriginLeft", [](T& c, TReader& r) { c.m_rotatedOriginLeft = ReadStoredLength(r); },
                  [](const T& c, TWriter& w) { w.WriteInteger(c.m_rotatedOriginLeft); },
                  [](const T& c) { return c.m_angle != 0; });
        b.Defined("RotatedOriginTop", [](T& c, TReader& r) { c.m_rotatedOriginTop = ReadStoredLength(r); },
                  [](const T& c, TWriter& w) { w.WriteInteger(c.m_rotatedOriginTop); },
                  [](const T& c) { return c.m_angle != 0; });
        b.Defined("OnSave", [](T& c, TReader& r) { c.m_legacySaveHandlerName = r.ReadIdent(); }, nullptr,
                  [](const T&) { return false; });
        return b.Build();
    }();
    return info;
}

TjxCustomText::TjxCustomText(TComponent* owner) : TjxCustomComponent(owner)
{
    SetInitialAutoSize(true);
}

void TjxCustomText::SetAngle(int value)
{
    if (value >= -359 && value <= -1)
        value += 360;
    else if (value < 0 || value > 359)
        return;
    if (!Change(m_angle, value, "Angle", true))
        return;
    if (value != 0)
        TjxCustomComponent::SetWordWrap(false);
    if (!IsReadingOrLoading())
        AdjustBounds();
}

void TjxCustomText::SetWordWrap(bool value)
{
    TjxCustomComponent::SetWordWrap(m_angle != 0 ? false : value);
}

void TjxCustomText::SetCaption(const QString& value)
{
    const bool changed = value != Caption();
    TjxCustomComponent::SetCaption(value);
    if (changed && !AutoSize() && m_angle != 0 && !IsReadingOrLoading())
        AdjustBounds();
}

void TjxCustomText::FontChanged()
{
    TjxCustomComponent::FontChanged();
    if (!IsReadingOrLoading())
        AdjustBounds();
}

void TjxCustomText::SetCharWrap(bool value)
{
    if (Change(m_charWrap, value, "CharWrap", true) && !IsReadingOrLoading())
        AdjustBounds();
}

void TjxCustomText::SetDisplayFormat(const QString& value)
{
    Change(m_displayFormat, value, "DisplayFormat", true);
}

void TjxCustomText::SetRotatedOrigin(int left, int top)
{
    m_rotatedOriginLeft = left;
    m_rotatedOriginTop = top;
}

void TjxCustomText::SetSave(bool value)
{
    Change(m_save, value, "Save");
}

void TjxCustomText::SetSaveLength(int value)
{
    Change(m_saveLength, value, "SaveLength");
}

void TjxCustomText::SetSaveOrder(int value)
{
    if (!IsReadingOrLoading() && value < 0)
        value = 0;
    // The order is a 16-bit number in the band's list of saved components.
    value = std::clamp(value, int(std::numeric_limits<int16_t>::min()), int(std::numeric_limits<int16_t>::max()));
    Change(m_saveOrder, int16_t(value), "SaveOrder");
}

} // namespace orvane
