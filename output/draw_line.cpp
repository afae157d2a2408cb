#include "output/draw_line.h"

#include "document/class_registry.h"
#include "platform/canvas.h"

namespace orvane {

const TClassInfo& TjxDrawLine::StaticClass()
{
    using T = TjxDrawLine;
    static const TClassInfo info =
        TClassBuilder<T>("TjxDrawLine", &TjxDrawCommand::StaticClass())
            .Creatable()
            .Prop("DataType", DataTypeType(), &T::DataType, &T::SetDataType).Default(dtGraphic)
            .Prop("LinePosition", LinePositionTypeType(), &T::LinePosition, &T::SetLinePosition).Default(lpTop)
            .Prop("LineStyle", LineStyleTypeType(), &T::LineStyle, &T::SetLineStyle).Default(lsSingle)
            .Prop("Pen", ClassType(), &T::Pen, &T::SetPen)
            .Prop("Weight", FloatType(), &T::Weight, &T::SetWeight)
            .Build();
    return info;
}

TjxDrawLine::TjxDrawLine(TComponent* owner) : TjxDrawCommand(owner), m_pen(std::make_unique<TPen>())
{
    SetDataType(dtGraphic);
}

TjxDrawLine::~TjxDrawLine() = default;

bool TjxDrawLine::Draw(TjxCanvas& canvas)
{
    const bool vertical = m_linePosition == lpLeft || m_linePosition == lpRight;
    const int t = vertical ? canvas.ThicknessX(m_weight) : canvas.ThicknessY(m_weight);
    canvas.SetPen(m_pen->Color(), m_pen->Style(), 1);
    TjxDeviceRect r = DeviceRect();
    // Right and bottom are exclusive: the last pixel inside is one less.
    if (m_linePosition == lpBottom)
        --r.bottom;
    if (m_linePosition == lpRight)
        --r.right;
    const int passes = m_lineStyle == lsDouble ? 2 : 1;
    for (int p = 0; p < passes; ++p) {
        const int g = p == 0 ? 0 : 2 * t;
        for (int k = 0; k < t; ++k) {
            switch (m_linePosition) {
            case lpTop: canvas.Line(r.left, r.top + g + k, r.right, r.top + g + k); break;
            case lpBottom: canvas.Line(r.left, r.bottom - g - k, r.right, r.bottom - g - k); break;
            case lpLeft: canvas.Line(r.left + g + k, r.top, r.left + g + k, r.bottom); break;
            case lpRight: canvas.Line(r.right - g - k, r.top, r.right - g - k, r.bottom); break;
            }
        }
    }
    return true;
}

bool TjxDrawLine::IsSameAs(const TjxDrawCommand* other) const
{
    const auto* o = dynamic_cast<const TjxDrawLine*>(other);
    return o && TjxDrawCommand::IsSameAs(other) && m_linePosition == o->m_linePosition &&
           m_lineStyle == o->m_lineStyle && m_pen->Color() == o->m_pen->Color() &&
           m_pen->Style() == o->m_pen->Style() && m_pen->Width() == o->m_pen->Width();
}

void TjxDrawLine::Assign(const TPersistent* source)
{
    TjxDrawCommand::Assign(source);
    const auto* o = dynamic_cast<const TjxDrawLine*>(source);
    if (!o)
        return;
    m_linePosition = o->m_linePosition;
    m_lineStyle = o->m_lineStyle;
    m_pen->Assign(o->m_pen.get());
    m_weight = o->m_weight;
}

ORVANE_REGISTER_CLASS(TjxDrawLine);

} // namespace orvane
