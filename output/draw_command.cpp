#include "output/draw_command.h"

#include "document/class_registry.h"
#include "document/units.h"
#include "output/page.h"
#include "platform/canvas.h"

namespace orvane {

const TClassInfo& TjxDrawCommand::StaticClass()
{
    using T = TjxDrawCommand;
    static const TClassInfo info =
        TClassBuilder<T>("TjxDrawCommand", &TjxRelative::StaticClass())
            .Prop("Border", ClassType(), &T::Border, &T::SetBorder)
            .StoredIf([](const T& c) { return c.m_border->Visible(); })
            .Prop("Clickable", BooleanType(), &T::Clickable, &T::SetClickable).Default(0)
            .Prop("DataType", DataTypeType(), &T::DataType, &T::SetDataType).Default(dtString)
            .Prop("Left", IntegerType(), &T::Left, &T::SetLeft)
            .Prop("Height", IntegerType(), &T::Height, &T::SetHeight)
            .Prop("Top", IntegerType(), &T::Top, &T::SetTop)
            .Prop("Width", IntegerType(), &T::Width, &T::SetWidth)
            .Build();
    return info;
}

TjxDrawCommand::TjxDrawCommand(TComponent* owner) : TjxRelative(owner), m_border(std::make_unique<TjxBorder>()) {}

TjxDrawCommand::~TjxDrawCommand()
{
    SetPage(nullptr);
}

QRect TjxDrawCommand::DrawRect() const
{
    return QRect(QPoint(m_drawRect.left, m_drawRect.top), QPoint(m_drawRect.right - 1, m_drawRect.bottom - 1));
}

void TjxDrawCommand::SetDrawRect(const QRect& rect)
{
    m_drawRect = {rect.left(), rect.left() + rect.width(), rect.top(), rect.top() + rect.height()};
}

void TjxDrawCommand::CalcDrawRect(const TjxCanvas& canvas)
{
    SetDrawRect(canvas.ThousandthsToPixels(m_left, m_top, m_width, m_height));
}

void TjxDrawCommand::SetPage(TjxPage* page)
{
    if (page == m_page)
        return;
    if (m_page) {
        TjxPage* old = m_page;
        m_page = nullptr;
        old->RemoveDrawCommand(this);
    }
    if (page)
        page->AddDrawCommand(this);
}

bool TjxDrawCommand::Draw(TjxCanvas&)
{
    return false;
}

bool TjxDrawCommand::IsSameAs(const TjxDrawCommand* other) const
{
    return other && m_left == other->m_left && m_height == other->m_height && m_top == other->m_top &&
           m_width == other->m_width;
}

void TjxDrawCommand::Assign(const TPersistent* source)
{
    const auto* other = dynamic_cast<const TjxDrawCommand*>(source);
    if (!other)
        return TjxRelative::Assign(source);
    m_border->Assign(other->m_border.get());
    m_clickable = other->m_clickable;
    m_dataType = other->m_dataType;
    m_left = other->m_left;
    m_height = other->m_height;
    m_top = other->m_top;
    m_width = other->m_width;
    m_band = other->m_band;
    m_drawRect = other->m_drawRect;
    m_expansionKey = other->m_expansionKey;
    m_clickHandler = other->m_clickHandler;
    m_redrawPage = other->m_redrawPage;
    SetTag(other->Tag());
}

double DeviceUnitsPerPoint(int dpi)
{
    return dpi / 72.0;
}

int PointsToDevicePixels(double points, int dpi)
{
    return std::max<int>(1, int(RoundHalfEven(static_cast<long double>(points) * DeviceUnitsPerPoint(dpi))));
}

void TjxDrawCommand::DrawBorder(TjxCanvas& canvas, const TjxBorder& border, const TjxDeviceRect& r)
{
    if (!border.Visible() || border.BorderPositions() == 0)
        return;
    canvas.SetPen(border.Color(), border.Style(), 1);
    const int h = canvas.ThicknessX(border.Weight());
    const int v = canvas.ThicknessY(border.Weight());
    // Edges are inclusive here: the last pixel column of the rectangle is right - 1.
    const int right = r.right - 1;
    const int bottom = r.bottom - 1;
    for (int k = 0; k <= h; ++k) {
        if (border.HasPosition(bpLeft))
            canvas.Line(r.left + k, r.top, r.left + k, bottom + 1);
        if (border.HasPosition(bpRight))
            canvas.Line(right - k, r.top, right - k, bottom + 1);
    }
    for (int k = 0; k <= v; ++k) {
        if (border.HasPosition(bpTop))
            canvas.Line(r.left, r.top + k, right + 1, r.top + k);
        if (border.HasPosition(bpBottom))
            canvas.Line(r.left, bottom - k, right + 1, bottom - k);
    }
}

} // namespace orvane
