#pragma once

// Graphic components that draw with a pen and a brush, and the shape itself.

#include "components/component.h"

namespace orvane {

// The base of shapes and lines: an owned pen and brush; no font.
// Brush and pen changes made through the component's colour setters; each
// property that changes is announced to the designer (not while reading).
void ChangeBrushBackground(TjxCommunicator& owner, TBrush& brush, TColor color, bool transparent);
void ChangePenColor(TjxCommunicator& owner, TPen& pen, TColor color, bool clear);
void ChangePenWidth(TjxCommunicator& owner, TPen& pen, int width);

class TjxCustomGraphic : public TjxCustomComponent {
    ORVANE_CLASS(TjxCustomGraphic, TjxCustomComponent)
public:
    explicit TjxCustomGraphic(TComponent* owner = nullptr);
    ~TjxCustomGraphic() override;

    TPen* Pen() const { return m_pen.get(); }
    void SetPen(TPen* value);
    TBrush* Brush() const { return m_brush.get(); }
    void SetBrush(TBrush* value);

    bool UsesFontColor() const override { return false; }
    // The brush is the background and the pen the "font colour".
    void SetBackground(TColor color, bool transparent) override;
    void SetFontColor(TColor color) override;
    void SetPenColor(TColor color, bool clear);
    void SetLineWidth(int width);

protected:
    // A change of pen or brush; subclasses follow it up.
    virtual void GraphicChanged();

private:
    std::unique_ptr<TPen> m_pen;
    std::unique_ptr<TBrush> m_brush;
};

enum TShapeType : uint8_t { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };
const TTypeInfo& ShapeTypeType();

// Where a shape's figure lies, in thousandths of a millimetre on the page.
struct TjxShapeGeometry {
    int left = 0, top = 0, width = 0, height = 0;
    int cornerRound = 0;                 // both radii
    TShapeType shapeType = stRectangle;  // square forms become their general forms
    bool operator==(const TjxShapeGeometry&) const = default;
};

// The figure of a shape widthPx x heightPx screen pixels drawn with a pen
// penWidth pixels wide, placed at (originLeft, originTop). The pen's stroke
// stays inside the rectangle; square forms are centred on the shorter side.
TjxShapeGeometry ShapeGeometry(TShapeType shape, int penWidth, int widthPx, int heightPx, int originLeft,
                               int originTop);

class TjxShape : public TjxCustomGraphic {
    ORVANE_CLASS(TjxShape, TjxCustomGraphic)
public:
    explicit TjxShape(TComponent* owner = nullptr);

    TShapeType Shape() const { return m_shape; }
    void SetShape(TShapeType value);

    QString DesignEditProperty() const override { return QStringLiteral("Shape"); }
    void Loaded() override;

    // The figure in the rectangle a band print gave the shape.
    TjxShapeGeometry PrintGeometry(const TjxRect& printRect) const;
    // The figure at the shape's own size, at (0, 0), as the designer shows it.
    TjxShapeGeometry DesignGeometry() const;

    // Prints as a shape command holding the figure of its PrintRect.
    std::unique_ptr<TjxDrawCommand> NewDrawCommand() const override;
    void PropertiesToDrawCommand(TjxDrawCommand* command) override;

protected:
    void GraphicChanged() override;

private:
    TShapeType m_shape = stRectangle;
};

} // namespace orvane
