#include "output/draw_shape.h"

#include "document/class_registry.h"
#include "document/units.h"
#include "platform/canvas.h"

namespace orvane {

const TClassInfo& TjxDrawShape::StaticClass()
{
    using T = TjxDrawShape;
    static const TClassInfo info =
        TClassBuilder<T>("TjxDrawShape", &TjxDrawCommand::StaticClass())
            .Creatable()
            .Prop("DataType", DataTypeType(), &T::DataType, &T::SetDataType).Default(dtGraphic)
            .Prop("Brush", ClassType(), &T::Brush, &T::SetBrush)
            .Prop("Pen", ClassType(), &T::Pen, &T::SetPen)
            .Prop("ShapeType", ShapeTypeType(), &T::ShapeType, &T::SetShapeType).Default(stRectangle)
            .Prop("XCornerRound", IntegerType(), &T::XCornerRound, &T::SetXCornerRound).Default(0)
            .Prop("YCornerRound", IntegerType(), &T::YCornerRound, &T::SetYCornerRound).Default(0)
            .Build();
    return info;
}

TjxDrawShape::TjxDrawShape(TComponent* owner)
    : TjxDrawCommand(owner), m_brush(std::make_unique<TBrush>()), m_pen(std::make_unique<TPen>())
{
    SetDataType(dtGraphic);
}

TjxDrawShape::~TjxDrawShape() = default;

int ScreenPenWidthToDevice(int width, int dpi)
{
    if (width <= 0)
        return 1;
    if (dpi == kScreenPixelsPerInch)
        return width;
    return std::max(1, int(RoundHalfEven(static_cast<long double>(width) * dpi / kScreenPixelsPerInch)));
}

bool TjxDrawShape::Draw(TjxCanvas& canvas)
{
    const TjxDeviceRect r = DeviceRect();
    const int penWidth = canvas.IsScreen()
                             ? int(RoundHalfEven(static_cast<long double>(m_pen->Width()) * canvas.ZoomX()))
                             : ScreenPenWidthToDevice(m_pen->Width(), canvas.DpiX());
    canvas.SetPen(m_pen->Color(), m_pen->Style(), penWidth);
    canvas.SetBrush(*m_brush);
    switch (m_shapeType) {
    case stRoundRect: case stRoundSquare:
        canvas.RoundRect(r.left, r.top, r.right, r.bottom, canvas.ScaledPixelsX(m_xCornerRound),
                         canvas.ScaledPixelsY(m_yCornerRound));
        break;
    case stEllipse: case stCircle:
        canvas.Ellipse(r.left, r.top, r.right, r.bottom);
        break;
    default:
        canvas.Rectangle(r.left, r.top, r.right, r.bottom);
        break;
    }
    return true;
}

bool TjxDrawShape::IsSameAs(const TjxDrawCommand* other) const
{
    const auto* o = dynamic_cast<const TjxDrawShape*>(other);
    return o && TjxDrawCommand::IsSameAs(other) && m_brush->Color() == o->m_brush->Color() &&
           m_brush->Style() == o->m_brush->Style() && m_pen->Color() == o->m_pen->Color() &&
           m_pen->Style() == o->m_pen->Style() && m_pen->Width() == o->m_pen->Width() &&
           m_shapeType == o->m_shapeType && m_xCornerRound == o->m_xCornerRound &&
           m_yCornerRound == o->m_yCornerRound;
}

void TjxDrawShape::Assign(const TPersistent* source)
{
    TjxDrawCommand::Assign(source);
    const auto* o = dynamic_cast<const TjxDrawShape*>(source);
    if (!o)
        return;
    m_brush->Assign(o->m_brush.get());
    m_pen->Assign(o->m_pen.get());
    m_shapeType = o->m_shapeType;
    m_xCornerRound = o->m_xCornerRound;
    m_yCornerRound = o->m_yCornerRound;
}

ORVANE_REGISTER_CLASS(TjxDrawShape);

} // namespace orvane
