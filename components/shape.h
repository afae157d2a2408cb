#pragma once

// Graphic components that draw with a pen and a brush, and the shape itself.

#include "components/component.h"

namespace orvane {

// The base of shapes and lines: an owned pen and brush; no font.
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

class TjxShape : public TjxCustomGraphic {
    ORVANE_CLASS(TjxShape, TjxCustomGraphic)
public:
    explicit TjxShape(TComponent* owner = nullptr);

    TShapeType Shape() const { return m_shape; }
    void SetShape(TShapeType value);

    QString DesignEditProperty() const override { return QStringLiteral("Shape"); }
    void Loaded() override;

protected:
    void GraphicChanged() override;

private:
    TShapeType m_shape = stRectangle;
};

} // namespace orvane
