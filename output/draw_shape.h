#pragma once

#include "components/shape.h"
#include "output/draw_command.h"

namespace orvane {

// A rectangle, rounded rectangle or ellipse with a pen and a brush.
class TjxDrawShape : public TjxDrawCommand {
    ORVANE_CLASS(TjxDrawShape, TjxDrawCommand)
public:
    explicit TjxDrawShape(TComponent* owner = nullptr);
    ~TjxDrawShape() override;

    TBrush* Brush() const { return m_brush.get(); }
    void SetBrush(TBrush* value) { if (value) m_brush->Assign(value); }
    TPen* Pen() const { return m_pen.get(); }
    void SetPen(TPen* value) { if (value) m_pen->Assign(value); }
    TShapeType ShapeType() const { return m_shapeType; }
    void SetShapeType(TShapeType value) { m_shapeType = value; }
    // Corner ellipse of a rounded rectangle, in thousandths of a millimetre.
    int XCornerRound() const { return m_xCornerRound; }
    void SetXCornerRound(int value) { m_xCornerRound = value; }
    int YCornerRound() const { return m_yCornerRound; }
    void SetYCornerRound(int value) { m_yCornerRound = value; }

    bool Draw(TjxCanvas& canvas) override;
    bool IsSameAs(const TjxDrawCommand* other) const override;
    void Assign(const TPersistent* source) override;

private:
    std::unique_ptr<TBrush> m_brush;
    std::unique_ptr<TPen> m_pen;
    TShapeType m_shapeType = stRectangle;
    int m_xCornerRound = 0;
    int m_yCornerRound = 0;
};

// A pen width in screen pixels on a device of `dpi`: a width of 0 draws one pixel.
int ScreenPenWidthToDevice(int width, int dpi);

} // namespace orvane
