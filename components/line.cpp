#include "components/line.h"
#include "output/draw_line.h"

#include "document/class_registry.h"
#include "document/component_registry.h"

#include <cmath>

namespace orvane {

namespace {

float WeightOfPenWidth(int width)
{
    return float(double(width) / kScreenPixelsPerInch * 72.0);
}

} // namespace

int LineThickness(float weight)
{
    const int t = UnitsToThousandths(weight / 72.0f, utInches, axVertical);
    return t < 1 ? 1 : t;
}

std::vector<TjxRect> LineStrips(const TjxRect& rect, TjxLinePositionType position, TjxLineStyleType style,
                                float weight)
{
    const int t = LineThickness(weight);
    std::vector<TjxRect> strips;
    for (int pass = 0; pass < (style == lsDouble ? 2 : 1); ++pass) {
        const int g = pass * 2 * t;
        switch (position) {
        case lpTop: strips.push_back({rect.left, rect.top + g, rect.right, rect.top + g + t}); break;
        case lpBottom: strips.push_back({rect.left, rect.bottom - g - t, rect.right, rect.bottom - g}); break;
        case lpLeft: strips.push_back({rect.left + g, rect.top, rect.left + g + t, rect.bottom}); break;
        case lpRight: strips.push_back({rect.right - g - t, rect.top, rect.right - g, rect.bottom}); break;
        }
    }
    return strips;
}

const TTypeInfo& LinePositionTypeType()
{
    static const TTypeInfo& t = EnumType("TjxLinePositionType", {"lpTop", "lpBottom", "lpLeft", "lpRight"});
    return t;
}

const TTypeInfo& LineStyleTypeType()
{
    static const TTypeInfo& t = EnumType("TjxLineStyleType", {"lsSingle", "lsDouble"});
    return t;
}

const TClassInfo& TjxLine::StaticClass()
{
    using T = TjxLine;
    using P = TjxPublish<T>;
    static const TClassInfo info = [] {
        TClassBuilder<T> b("TjxLine", &TjxCustomGraphic::StaticClass());
        b.Creatable();
        P::Base(b);
        P::Anchors(b);
        P::Border(b);
        P::OnDrawCommandClick(b);
        P::OnDrawCommandCreate(b);
        P::ParentHeight(b);
        P::ParentWidth(b);
        b.Prop("Pen", ClassType(), &T::Pen, &T::SetPen);
        b.Prop("Position", LinePositionTypeType(), &T::Position, &T::SetPosition).Default(lpTop);
        P::ReprintOnOverFlow(b);
        P::StretchWithParent(b);
        b.Prop("Style", LineStyleTypeType(), &T::Style, &T::SetStyle).Default(lsSingle);
        P::Visible(b);
        // Always stored (a float of 0 is the only value left out).
        b.Prop("Weight", FloatType(), &T::Weight, &T::SetWeight);
        return b.Build();
    }();
    return info;
}

TjxLine::TjxLine(TComponent* owner) : TjxCustomGraphic(owner)
{
    Brush()->OnChange = nullptr;
    Brush()->SetStyle(bsClear);
    Brush()->OnChange = [this] { GraphicChanged(); };
    SetInitialTransparent(true);
    SetInitialSize(UnitsToThousandths(50, utScreenPixels, axHorizontal),
                   UnitsToThousandths(15, utScreenPixels, axVertical));
    m_lastPenWidth = Pen()->Width();
}

void TjxLine::SetPosition(TjxLinePositionType value)
{
    if (value == m_position || value > lpRight)
        return;
    if (IsReadingOrLoading()) {
        m_position = value;
        return;
    }
    NotifyDesignerPropertyChange(QStringLiteral("Position"));
    m_position = value;
    GraphicChanged();
}

void TjxLine::SetStyle(TjxLineStyleType value)
{
    if (value > lsDouble)
        return;
    if (IsReadingOrLoading()) {
        m_style = value;
        return;
    }
    NotifyDesignerPropertyChange(QStringLiteral("Style"));
    m_style = value;
    GraphicChanged();
    NotifyDesignerModified();
}

void TjxLine::SetWeight(float value)
{
    if (value == m_weight || !(value >= 0) || std::isinf(value))
        return;
    if (!IsReadingOrLoading())
        NotifyDesignerPropertyChange(QStringLiteral("Weight"));
    m_settingWeight = true;
    m_weight = value;
    Pen()->SetWidth(int(RoundHalfEven(double(value) * kScreenPixelsPerInch / 72.0)));
    m_lastPenWidth = Pen()->Width();
    m_settingWeight = false;
}

void TjxLine::GraphicChanged()
{
    TjxCustomGraphic::GraphicChanged();
    if (IsReadingOrLoading() || m_settingWeight)
        return;
    if (Pen()->Width() != m_lastPenWidth) {
        m_lastPenWidth = Pen()->Width();
        m_weight = WeightOfPenWidth(m_lastPenWidth);
    }
}

void TjxLine::Loaded()
{
    TjxCustomGraphic::Loaded();
    // The weight read is the truth; a later pen change is measured from the pen read with it.
    m_lastPenWidth = Pen()->Width();
}

void TjxLine::ConvertVersion(int version)
{
    TjxCustomGraphic::ConvertVersion(version);
    if (version < 3000) {
        m_weight = WeightOfPenWidth(Pen()->Width());
        m_lastPenWidth = Pen()->Width();
    }
}

ORVANE_REGISTER_COMPONENT(TjxLine, "Standard Components", 7, 174);

ORVANE_REGISTER_CLASS(TjxLine);

std::unique_ptr<TjxDrawCommand> TjxLine::NewDrawCommand() const
{
    return std::make_unique<TjxDrawLine>();
}

void TjxLine::PropertiesToDrawCommand(TjxDrawCommand* command)
{
    TjxCustomGraphic::PropertiesToDrawCommand(command);
    auto* draw = dynamic_cast<TjxDrawLine*>(command);
    if (!draw)
        return;
    draw->SetLinePosition(m_position);
    draw->SetLineStyle(m_style);
    draw->SetPen(Pen());
    draw->SetWeight(m_weight);
}

} // namespace orvane
