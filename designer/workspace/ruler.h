#pragma once

#include "document/message_ids.h"
#include "document/units.h"

#include <QWidget>
#include <functional>

class QMenu;

namespace orvane {

class TjxCustomPrinter;

enum TjxRulerOrientation : uint8_t { roHorizontal, roVertical };

// The units a user picks from, in the order of the ruler popup and of the
// designer's Report > Units menu, with their captions and menu item names.
struct TjxUnitChoice {
    TjxUnitType unit;
    int message;
    const char* menuItemName;
};
inline constexpr TjxUnitChoice kUnitChoices[] = {
    {utScreenPixels, msg::DesignerScreenPixels, "mniUnitsScreenPixels"},
    {utPrinterPixels, msg::DesignerPrinterPixels, "mniUnitsPrinterPixels"},
    {utInches, msg::DesignerInches, "mniUnitsInches"},
    {utMillimeters, msg::DesignerMillimeters, "mniUnitsMillimeters"},
    {utMMThousandths, msg::DesignerMMThousandths, "mniUnitsMMThousandths"}};

// A ruler beside the workspace: ticks and labels in the chosen units, up to
// two guides drawn inverted, and a popup to pick the units or hide the rulers.
// Position 0 of a horizontal ruler is the workspace's x = 0, of a band's
// vertical ruler the band area's top.
class TjxRuler : public QWidget {
    Q_OBJECT
public:
    explicit TjxRuler(TjxRulerOrientation orientation = roHorizontal, QWidget* parent = nullptr);
    ~TjxRuler() override;

    TjxRulerOrientation Orientation() const { return m_orientation; }
    void SetOrientation(TjxRulerOrientation value);
    TjxUnitType Units() const { return m_units; }
    void SetUnits(TjxUnitType value);
    bool DualGuides() const { return m_dualGuides; }
    void SetDualGuides(bool value) { m_dualGuides = value; }
    // Reloads the popup's captions from the message table.
    void Retranslate() { BuildPopup(); }

    // The tick scheme of the units at the screen's resolution.
    double TickSpacing() const { return m_tickSpacing; }
    int TicksPerDivision() const { return m_ticksPerDivision; }
    double ValuePerTick() const { return m_valuePerTick; }
    bool HalfTicks() const { return m_halfTicks; }
    // Pixel position of tick i (scroll offset applied).
    int TickPosition(int i) const;
    // The label written at labelled tick i.
    QString LabelText(int i) const;
    // The inner area the ticks are drawn in.
    QRect InnerRect() const;

    // Guides: -1 for none.
    void MoveGuides(int first, int second = -1);
    void EraseGuides() { MoveGuides(-1, -1); }
    int Guide(int index) const { return m_guides[index]; }
    int GuideLength() const;

    void ScrollBy(int pixels);
    void ResetScroll();
    int ScrollOffset() const { return m_scrollOffset; }

    QMenu* PopupMenu() const { return m_popup; }

    std::function<TjxCustomPrinter*()> OnGetPrinter;
    std::function<void()> OnHide;
    std::function<void(TjxUnitType)> OnSetUnits;
    std::function<void(QPainter&)> OnPaint;

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void UpdateScheme();
    void BuildPopup();
    QRect GuideRect(int position) const;

    TjxRulerOrientation m_orientation;
    TjxUnitType m_units = utInches;
    bool m_dualGuides = false;
    int m_scrollOffset = 0;
    double m_tickSpacing = 12;
    int m_ticksPerDivision = 8;
    double m_valuePerTick = 0.125;
    bool m_halfTicks = true;
    int m_guides[2] = {-1, -1};
    QMenu* m_popup = nullptr;
};

} // namespace orvane
