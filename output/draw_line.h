#pragma once

#include "components/line.h"
#include "output/draw_command.h"

namespace orvane {

// A single or double line along one edge of the command's rectangle.
class TjxDrawLine : public TjxDrawCommand {
    ORVANE_CLASS(TjxDrawLine, TjxDrawCommand)
public:
    explicit TjxDrawLine(TComponent* owner = nullptr);
    ~TjxDrawLine() override;

    TjxLinePositionType LinePosition() const { return m_linePosition; }
    void SetLinePosition(TjxLinePositionType value) { m_linePosition = value; }
    TjxLineStyleType LineStyle() const { return m_lineStyle; }
    void SetLineStyle(TjxLineStyleType value) { m_lineStyle = value; }
    TPen* Pen() const { return m_pen.get(); }
    void SetPen(TPen* value) { if (value) m_pen->Assign(value); }
    // Thickness in points.
    float Weight() const { return m_weight; }
    void SetWeight(float value) { m_weight = value; }

    bool Draw(TjxCanvas& canvas) override;
    bool IsSameAs(const TjxDrawCommand* other) const override;
    void Assign(const TPersistent* source) override;

private:
    TjxLinePositionType m_linePosition = lpTop;
    TjxLineStyleType m_lineStyle = lsSingle;
    std::unique_ptr<TPen> m_pen;
    float m_weight = 0;
};

} // namespace orvane
