#pragma once

#include "document/persistent.h"
#include "document/units.h"

#include <QRect>

namespace orvane {

// Paper size and margins in thousandths of a millimetre. Width and height are
// in the oriented sense: a landscape page has its long side as the width.
class TjxPageDef : public TPersistent {
    ORVANE_CLASS(TjxPageDef, TPersistent)
public:
    TjxPageDef() = default;

    int mmHeight() const { return m_height; }
    void SetmmHeight(int v) { m_height = v; }
    int mmWidth() const { return m_width; }
    void SetmmWidth(int v) { m_width = v; }
    int mmMarginLeft() const { return m_marginLeft; }
    void SetmmMarginLeft(int v) { m_marginLeft = v; }
    int mmMarginRight() const { return m_marginRight; }
    void SetmmMarginRight(int v) { m_marginRight = v; }
    int mmMarginTop() const { return m_marginTop; }
    void SetmmMarginTop(int v) { m_marginTop = v; }
    int mmMarginBottom() const { return m_marginBottom; }
    void SetmmMarginBottom(int v) { m_marginBottom = v; }

    // From (left margin, top margin), PrintableWidth wide and PrintableHeight
    // high: its far edges are width - right margin and height - bottom margin.
    // Code may set any int in each length, so these saturate instead of wrapping.
    QRect PrintableRect() const { return QRect(m_marginLeft, m_marginTop, PrintableWidth(), PrintableHeight()); }
    int PrintableWidth() const { return SaturatedLength(TjxLength64(m_width) - m_marginLeft - m_marginRight); }
    int PrintableHeight() const { return SaturatedLength(TjxLength64(m_height) - m_marginTop - m_marginBottom); }
    int mmPrintableRight() const { return SaturatedLength(TjxLength64(m_width) - m_marginRight); }
    int mmPrintableBottom() const { return SaturatedLength(TjxLength64(m_height) - m_marginBottom); }

    // The same values in whole screen pixels.
    int spWidth() const;
    int spHeight() const;
    int spPrintableWidth() const;
    int spMarginLeft() const;
    int spMarginRight() const;
    int spMarginTop() const;
    int spMarginBottom() const;

    bool Equals(const TjxPageDef& other) const;
    void Assign(const TPersistent* source) override;

private:
    int m_height = 0;
    int m_width = 0;
    int m_marginLeft = 0;
    int m_marginRight = 0;
    int m_marginTop = 0;
    int m_marginBottom = 0;
};

} // namespace orvane
