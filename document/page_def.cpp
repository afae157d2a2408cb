#include "document/page_def.h"

#include "document/units.h"

namespace orvane {

const TClassInfo& TjxPageDef::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TjxPageDef>("TjxPageDef", &TPersistent::StaticClass())
        .Prop("mmHeight", IntegerType(), &TjxPageDef::mmHeight, &TjxPageDef::SetmmHeight)
        .Prop("mmWidth", IntegerType(), &TjxPageDef::mmWidth, &TjxPageDef::SetmmWidth)
        .Prop("mmMarginLeft", IntegerType(), &TjxPageDef::mmMarginLeft, &TjxPageDef::SetmmMarginLeft)
        .Prop("mmMarginRight", IntegerType(), &TjxPageDef::mmMarginRight, &TjxPageDef::SetmmMarginRight)
        .Prop("mmMarginTop", IntegerType(), &TjxPageDef::mmMarginTop, &TjxPageDef::SetmmMarginTop)
        .Prop("mmMarginBottom", IntegerType(), &TjxPageDef::mmMarginBottom, &TjxPageDef::SetmmMarginBottom)
        .Build();
    return info;
}

namespace {
int Pixels(int th, TjxAxis axis)
{
    return int(Truncate(ThousandthsToUnits(th, utScreenPixels, axis)));
}
} // namespace

int TjxPageDef::spWidth() const { return Pixels(m_width, axHorizontal); }
int TjxPageDef::spHeight() const { return Pixels(m_height, axVertical); }
int TjxPageDef::spPrintableWidth() const { return Pixels(PrintableWidth(), axHorizontal); }
int TjxPageDef::spMarginLeft() const { return Pixels(m_marginLeft, axHorizontal); }
int TjxPageDef::spMarginRight() const { return Pixels(m_marginRight, axHorizontal); }
int TjxPageDef::spMarginTop() const { return Pixels(m_marginTop, axVertical); }
int TjxPageDef::spMarginBottom() const { return Pixels(m_marginBottom, axVertical); }

bool TjxPageDef::Equals(const TjxPageDef& other) const
{
    return m_height == other.m_height && m_width == other.m_width && m_marginLeft == other.m_marginLeft &&
           m_marginRight == other.m_marginRight && m_marginTop == other.m_marginTop &&
           m_marginBottom == other.m_marginBottom;
}

void TjxPageDef::Assign(const TPersistent* source)
{
    if (const auto* other = dynamic_cast<const TjxPageDef*>(source)) {
        m_height = other->m_height;
        m_width = other->m_width;
        m_marginLeft = other->m_marginLeft;
        m_marginRight = other->m_marginRight;
        m_marginTop = other->m_marginTop;
        m_marginBottom = other->m_marginBottom;
        return;
    }
    TPersistent::Assign(source);
}

} // namespace orvane
