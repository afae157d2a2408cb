#pragma once

#include <QPoint>
#include <QPointer>
#include <QWidget>

#include "designer/workspace/ruler.h"
#include <functional>
#include <memory>

namespace orvane {

class TjxBand;
class TjxBoundsRect;
class TjxDesignControlManager;
class TjxEventParams;

inline constexpr int kBandBarHeight = 16;

// The bar below a band's area: its caption with a caret pointing up at the
// area, dragged to change the band's height. It checks and applies height
// changes of its band and keeps the band's ruler and controls in place.
class TjxBandControl : public QWidget {
    Q_OBJECT
public:
    explicit TjxBandControl(TjxDesignControlManager* manager, QWidget* parent = nullptr);
    ~TjxBandControl() override;

    TjxBand* Band() const { return m_band; }
    // Attaches the band: listens to it, takes its name, caption and width,
    // and makes the band's vertical ruler.
    void SetBand(TjxBand* band);
    TjxRuler* Ruler() const { return m_ruler; }

    int BandHeightPixels() const;
    // Workspace y of the band's area; the bar sits right below it.
    int AreaTop() const { return m_barTop - BandHeightPixels(); }
    int BarTop() const { return m_barTop; }
    // Places the area (bar, ruler, and the band's controls) at a workspace y.
    void SetAreaTop(int top);
    void UpdateWidth();
    void UpdateCaption();

    // The outline shown while the bar is dragged (the designer's bar zone).
    void SetDragZone(TjxBoundsRect* zone) { m_dragZone = zone; }
    // Told when a drag starts (the band becomes the selected one) and ends.
    std::function<void(TjxBand*)> OnDragStart;
    std::function<void()> OnDragEnd;
    // The bar's popup (the band's menu), when the window has one.
    std::function<void(const QPoint& globalPos)> OnPopup;
    // Lowest workspace y the bar may be dragged to.
    int DragLowerBound() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    class TListener;
    void BandEvent(int eventId, TjxEventParams* params);
    void BandGone();
    void HeightChanging(TjxEventParams* params);
    void HeightChanged(TjxEventParams* params);
    void ReorderControls(bool toFront);
    int WorkspaceY(const QPoint& local) const;

    TjxDesignControlManager* m_manager;
    TjxBand* m_band = nullptr;
    QPointer<TjxRuler> m_ruler;  // in the ruler panel once the surface placed it
    std::unique_ptr<TListener> m_listener;
    int m_barTop = 0;
    TjxBoundsRect* m_dragZone = nullptr;
    bool m_dragging = false;
    bool m_moved = false;
    QPoint m_dragStart;
    int m_grabOffset = 0;
    int m_newTop = 0;
};

} // namespace orvane
