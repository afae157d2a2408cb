#pragma once

// A single or double line along one edge of its rectangle.

#include "components/shape.h"

#include <vector>

namespace orvane {

enum TjxLinePositionType : uint8_t { lpTop, lpBottom, lpLeft, lpRight };
enum TjxLineStyleType : uint8_t { lsSingle, lsDouble };
const TTypeInfo& LinePositionTypeType();
const TTypeInfo& LineStyleTypeType();

// A line's thickness in thousandths of a millimetre: Weight points, at least 1.
int LineThickness(float weight);
// The strips a line fills along one edge of its rectangle, in thousandths of a
// millimetre: one, or for a double line a second one two thicknesses further in.
std::vector<TjxRect> LineStrips(const TjxRect& rect, TjxLinePositionType position, TjxLineStyleType style,
                                float weight);

class TjxLine : public TjxCustomGraphic {
    ORVANE_CLASS(TjxLine, TjxCustomGraphic)
public:
    explicit TjxLine(TComponent* owner = nullptr);

    // Hides the relative's index among its siblings, as the published name demands.
    TjxLinePositionType Position() const { return m_position; }
    void SetPosition(TjxLinePositionType value);
    TjxLineStyleType Style() const { return m_style; }
    void SetStyle(TjxLineStyleType value);
    // Thickness in points; the pen's width in screen pixels follows it and
    // it follows the pen. Negative and non-numeric weights are ignored.
    float Weight() const { return m_weight; }
    void SetWeight(float value);

    bool UsesColor() const override { return false; }
    QString DesignEditProperty() const override { return QStringLiteral("Position"); }
    void ConvertVersion(int version) override;
    void Loaded() override;

    // The strips in the rectangle a band print gave the line.
    std::vector<TjxRect> PrintStrips(const TjxRect& printRect) const
    {
        return LineStrips(printRect, m_position, m_style, m_weight);
    }

    // Prints as a line command along the chosen edge of its PrintRect.
    std::unique_ptr<TjxDrawCommand> NewDrawCommand() const override;
    void PropertiesToDrawCommand(TjxDrawCommand* command) override;

protected:
    void GraphicChanged() override;

private:
    TjxLinePositionType m_position = lpTop;
    TjxLineStyleType m_style = lsSingle;
    float m_weight = 0.75f;
    int m_lastPenWidth = 1;
    bool m_settingWeight = false;
};

} // namespace orvane
