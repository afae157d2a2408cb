#pragma once

#include <QImage>
#include <QWidget>
#include <functional>
#include <vector>

namespace orvane {

class TjxBoundsRect;
class TjxDesignControl;

// The panel the bands of the current report are stacked on: grid dots, the
// shaded column area, the design controls in z-order, then the zones. Band
// bars are child widgets on top of it.
class TjxWorkspace : public QWidget {
    Q_OBJECT
public:
    explicit TjxWorkspace(QWidget* parent = nullptr);
    ~TjxWorkspace() override;

    bool DisplayGrid() const { return m_displayGrid; }
    void SetDisplayGrid(bool value);
    int XGridSpace() const { return m_xGridSpace; }
    // Values of 0 or less are ignored.
    void SetXGridSpace(int value);
    int YGridSpace() const { return m_yGridSpace; }
    void SetYGridSpace(int value);
    bool ColumnMode() const { return m_columnMode; }
    void SetColumnMode(bool value);
    const QRect& ColumnArea() const { return m_columnArea; }
    void SetColumnArea(const QRect& value);
    bool FooterPresent() const { return m_footerPresent; }
    void SetFooterPresent(bool value) { m_footerPresent = value; }
    // Pixel heights of the bands, top to bottom.
    const std::vector<int>& BandHeights() const { return m_bandHeights; }
    void SetBandHeights(std::vector<int> heights);

    // The grid as it is painted, built when missing.
    const QImage& GridImage();
    bool HasGridImage() const { return !m_grid.isNull(); }

    // Zones registered on the workspace, painted last in ascending z-order.
    void AddZone(TjxBoundsRect* zone);
    void RemoveZone(TjxBoundsRect* zone);
    const std::vector<TjxBoundsRect*>& Zones() const { return m_zones; }

    // Design controls, back to front.
    void AddControl(TjxDesignControl* control);
    void RemoveControl(TjxDesignControl* control);
    void BringToFront(TjxDesignControl* control);
    void SendToBack(TjxDesignControl* control);
    const std::vector<TjxDesignControl*>& Controls() const { return m_controls; }
    // The front-most visible control under a workspace point.
    TjxDesignControl* ControlAt(const QPoint& point) const;

    // Run at the end of every paint.
    std::function<void(QPainter&)> OnPaint;
    // Mouse events the window routes (selection and band drags).
    std::function<void(QMouseEvent*)> OnMousePress, OnMouseMove, OnMouseRelease;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void DiscardGrid();
    void BuildGrid();

    bool m_displayGrid = true;
    int m_xGridSpace = 8;
    int m_yGridSpace = 8;
    bool m_columnMode = false;
    QRect m_columnArea;
    bool m_footerPresent = false;
    std::vector<int> m_bandHeights;
    QImage m_grid;
    std::vector<TjxBoundsRect*> m_zones;
    std::vector<TjxDesignControl*> m_controls;
};

} // namespace orvane
