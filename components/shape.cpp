#include "components/shape.h"
#include "output/draw_shape.h"

#include "document/class_registry.h"
#include "document/component_registry.h"

#include <algorithm>

namespace orvane {

// ---- TjxCustomGraphic ----

const TClassInfo& TjxCustomGraphic::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxCustomGraphic>("TjxCustomGraphic", &TjxCustomComponent::StaticClass()).Build();
    return info;
}

TjxCustomGraphic::TjxCustomGraphic(TComponent* owner)
    : TjxCustomComponent(owner), m_pen(std::make_unique<TPen>()), m_brush(std::make_unique<TBrush>())
{
    SetInitialSize(UnitsToThousandths(50, utScreenPixels, axHorizontal),
                   UnitsToThousandths(50, utScreenPixels, axVertical));
    m_pen->OnChange = [this] { GraphicChanged(); };
    m_brush->OnChange = [this] { GraphicChanged(); };
}

TjxCustomGraphic::~TjxCustomGraphic()
{
    m_pen->OnChange = nullptr;
    m_brush->OnChange = nullptr;
}

void TjxCustomGraphic::SetPen(TPen* value)
{
    if (!value || *value == *m_pen)
        return;
    if (!IsReadingOrLoading())
        NotifyDesignerPropertyChange(QStringLiteral("Pen"));
    m_pen->Assign(value);
}

void TjxCustomGraphic::SetBrush(TBrush* value)
{
    if (!value || *value == *m_brush)
        return;
    if (!IsReadingOrLoading())
        NotifyDesignerPropertyChange(QStringLiteral("Brush"));
    m_brush->Assign(value);
}

void TjxCustomGraphic::GraphicChanged()
{
    if (IsReadingOrLoading())
        return;
    AfterChange(true);
}

namespace {

bool Reading(const TjxCommunicator& owner)
{
    return owner.HasState(csReading | csLoading);
}

} // namespace

void ChangeBrushBackground(TjxCommunicator& owner, TBrush& brush, TColor color, bool transparent)
{
    if (color != brush.Color() && !transparent) {
        if (!Reading(owner))
            owner.NotifyDesignerPropertyChange(QStringLiteral("Brush.Color"));
        brush.SetColor(color);
    }
    const TBrushStyle style = transparent ? bsClear : bsSolid;
    if (style != brush.Style()) {
        if (!Reading(owner))
            owner.NotifyDesignerPropertyChange(QStringLiteral("Brush.Style"));
        brush.SetStyle(style);
    }
}

void ChangePenColor(TjxCommunicator& owner, TPen& pen, TColor color, bool clear)
{
    if (color != pen.Color() && !clear) {
        if (!Reading(owner))
            owner.NotifyDesignerPropertyChange(QStringLiteral("Pen.Color"));
        pen.SetColor(color);
    }
    const TPenStyle style = clear ? psClear : psSolid;
    if (style != pen.Style()) {
        if (!Reading(owner))
            owner.NotifyDesignerPropertyChange(QStringLiteral("Pen.Style"));
        pen.SetStyle(style);
    }
}

void ChangePenWidth(TjxCommunicator& owner, TPen& pen, int width)
{
    if (width == pen.Width())
        return;
    if (!Reading(owner))
        owner.NotifyDesignerPropertyChange(QStringLiteral("Pen.Width"));
    pen.SetWidth(width);
}

void TjxCustomGraphic::SetBackground(TColor color, bool transparent)
{
    ChangeBrushBackground(*this, *m_brush, color, transparent);
}

void TjxCustomGraphic::SetPenColor(TColor color, bool clear)
{
    ChangePenColor(*this, *m_pen, color, clear);
}

void TjxCustomGraphic::SetFontColor(TColor color)
{
    SetPenColor(color, false);
}

void TjxCustomGraphic::SetLineWidth(int width)
{
    ChangePenWidth(*this, *m_pen, width);
}

// ---- TjxShape ----

const TTypeInfo& ShapeTypeType()
{
    static const TTypeInfo& t =
        EnumType("TShapeType", {"stRectangle", "stSquare", "stRoundRect", "stRoundSquare", "stEllipse", "stCircle"});
    return t;
}

const TClassInfo& TjxShape::StaticClass()
{
    using T = TjxShape;
    using P = TjxPublish<T>;
    static const TClassInfo info = [] {
        TClassBuilder<T> b("TjxShape", &TjxCustomGraphic::StaticClass());
        b.Creatable();
        P::Base(b);
        P::Anchors(b);
        b.Prop("Brush", ClassType(), &T::Brush, &T::SetBrush);
        P::OnDrawCommandClick(b);
        P::OnDrawCommandCreate(b);
        P::ParentHeight(b);
        P::ParentWidth(b);
        b.Prop("Pen", ClassType(), &T::Pen, &T::SetPen);
        P::ReprintOnOverFlow(b);
        b.Prop("Shape", ShapeTypeType(), &T::Shape, &T::SetShape).Default(stRectangle);
        P::StretchWithParent(b);
        P::Visible(b);
        return b.Build();
    }();
    return info;
}

TjxShape::TjxShape(TComponent* owner) : TjxCustomGraphic(owner) {}

void TjxShape::SetShape(TShapeType value)
{
    if (value > stCircle)
        return;
    if (IsReadingOrLoading()) {
        m_shape = value;
        return;
    }
    NotifyDesignerPropertyChange(QStringLiteral("Shape"));
    m_shape = value;
    GraphicChanged();
}

void TjxShape::Loaded()
{
    TjxCustomGraphic::Loaded();
    // A clear brush read from a stream is what makes a shape transparent.
    SetInitialTransparent(Brush()->Style() == bsClear);
}

void TjxShape::GraphicChanged()
{
    TjxCustomGraphic::GraphicChanged();
    if (!IsReadingOrLoading())
        SetTransparent(Brush()->Style() == bsClear);
}

TjxShapeGeometry ShapeGeometry(TShapeType shape, int penWidth, int widthPx, int heightPx, int originLeft,
                               int originTop)
{
    const int q = penWidth / 2;
    int left = q, top = q, right = widthPx - q, bottom = heightPx - q;
    const int m = std::min(widthPx, heightPx);
    if (shape == stSquare || shape == stRoundSquare || shape == stCircle) {
        const int dx = (widthPx - m) / 2;
        const int dy = (heightPx - m) / 2;
        left += dx;
        top += dy;
        right -= dx;
        bottom -= dy;
    }
    // A pen wider than the shape leaves nothing to fill rather than a figure turned inside out.
    right = std::max(right, left);
    bottom = std::max(bottom, top);
    const auto th = [](int px) { return UnitsToThousandths(float(px), utScreenPixels, axVertical); };
    TjxShapeGeometry g;
    // Origins may sit at the ends of the length range: work in 64 bits.
    g.left = SaturatedLength(TjxLength64(th(left)) + originLeft);
    g.top = SaturatedLength(TjxLength64(th(top)) + originTop);
    g.width = SaturatedLength(TjxLength64(th(right)) + originLeft - g.left);
    g.height = SaturatedLength(TjxLength64(th(bottom)) + originTop - g.top);
    g.cornerRound = th(m / 4);
    switch (shape) {
    case stSquare: g.shapeType = stRectangle; break;
    case stRoundSquare: g.shapeType = stRoundRect; break;
    case stCircle: g.shapeType = stEllipse; break;
    default: g.shapeType = shape; break;
    }
    return g;
}

TjxShapeGeometry TjxShape::PrintGeometry(const TjxRect& printRect) const
{
    const int w = UnitsToScreenPixels(float(printRect.Width()), utMMThousandths, axHorizontal);
    const int h = UnitsToScreenPixels(float(printRect.Height()), utMMThousandths, axVertical);
    return ShapeGeometry(m_shape, Pen()->Width(), w, h, printRect.left, printRect.top);
}

TjxShapeGeometry TjxShape::DesignGeometry() const
{
    const int w = UnitsToScreenPixels(float(mmWidth()), utMMThousandths, axHorizontal);
    const int h = UnitsToScreenPixels(float(mmHeight()), utMMThousandths, axVertical);
    return ShapeGeometry(m_shape, Pen()->Width(), w, h, 0, 0);
}

ORVANE_REGISTER_COMPONENT(TjxShape, "Standard Components", 6, 178);

ORVANE_REGISTER_CLASS(TjxShape);

std::unique_ptr<TjxDrawCommand> TjxShape::NewDrawCommand() const
{
    return std::make_unique<TjxDrawShape>();
}

void TjxShape::PropertiesToDrawCommand(TjxDrawCommand* command)
{
    TjxCustomGraphic::PropertiesToDrawCommand(command);
    auto* draw = dynamic_cast<TjxDrawShape*>(command);
    if (!draw)
        return;
    const TjxShapeGeometry g = PrintGeometry(PrintRect());
    draw->SetBounds(g.left, g.top, g.width, g.height);
    draw->SetShapeType(g.shapeType);
    draw->SetXCornerRound(g.cornerRound);
    draw->SetYCornerRound(g.cornerRound);
    draw->SetPen(Pen());
    draw->SetBrush(Brush());
}

} // namespace orvane
