#pragma once

// A single or double line along one edge of its rectangle.

#include "components/shape.h"

namespace orvane {

enum TjxLinePositionType : uint8_t { lpTop, lpBottom, lpLeft, lpRight };
enum TjxLineStyleType : uint8_t { lsSingle, lsDouble };
const TTypeInfo& LinePositionTypeType();
const TTypeInfo& LineStyleTypeType();

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
