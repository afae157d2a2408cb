#include "designer/workspace/workspace.h"

#include "designer/controls/design_control.h"
#include "designer/edit/band_layout.h"
#include "designer/workspace/band_control.h"
#include "designer/workspace/bounds_rect.h"
#include "document/graphic_objects.h"
#include "platform/canvas.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

namespace orvane {

TjxWorkspace::TjxWorkspace(QWidget* parent) : QWidget(parent)
{
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

TjxWorkspace::~TjxWorkspace()
{
    for (TjxBoundsRect* zone : m_zones)
        zone->Detach();
}


void TjxWorkspace::SetDisplayGrid(bool value)
{
    if (value == m_displayGrid)
        return;
    m_displayGrid = value;
    DiscardGrid();
}

void TjxWorkspace::SetXGridSpace(int value)
{
    if (value <= 0 || value == m_xGridSpace)
        return;
    m_xGridSpace = value;
    DiscardGrid();
}

void TjxWorkspace::SetYGridSpace(int value)
{
    if (value <= 0 || value == m_yGridSpace)
        return;
    m_yGridSpace = value;
    DiscardGrid();
}

void TjxWorkspace::SetColumnMode(bool value)
{
    if (value == m_columnMode)
        return;
    m_columnMode = value;
    DiscardGrid();
}

void TjxWorkspace::SetColumnArea(const QRect& value)
{
    if (value == m_columnArea)
        return;
    m_columnArea = value;
    if (m_columnMode)
        DiscardGrid();
}

void TjxWorkspace::SetBandHeights(std::vector<int> heights)
{
    if (heights == m_bandHeights)
        return;
    m_bandHeights = std::move(heights);
    DiscardGrid();
}

void TjxWorkspace::DiscardGrid()
{
    m_grid = QImage();
    update();
}

const QImage& TjxWorkspace::GridImage()
{
    if (m_grid.isNull())
        BuildGrid();
    return m_grid;
}

void TjxWorkspace::BuildGrid()
{
    // One bit a pixel: a tall report's grid stays small.
    const QSize size(std::max(1, width()), std::max(1, height()));
    m_grid = QImage(size, QImage::Format_MonoLSB);
    m_grid.setColorTable({ToQColor(clWindow).rgb(), ToQColor(clGray).rgb()});
    m_grid.fill(0);
    int areaTop = 0;
    for (size_t k = 0; k < m_bandHeights.size(); ++k) {
        const int bottom = areaTop + m_bandHeights[k];
        for (int y = k == 0 ? 0 : areaTop - kBandBarHeight + kGridBandGap; y <= bottom && y < size.height();
             y += m_yGridSpace) {
            int right = size.width();
            if (m_columnMode && y >= m_columnArea.top() && y <= m_columnArea.bottom())
                right = std::min(right, m_columnArea.left());
            for (int x = 0; x < right; x += m_xGridSpace)
                m_grid.setPixel(x, y, 1);
        }
        areaTop = bottom + kBandBarHeight;
    }
}

void TjxWorkspace::AddZone(TjxBoundsRect* zone)
{
    if (std::find(m_zones.begin(), m_zones.end(), zone) == m_zones.end())
        m_zones.push_back(zone);
}

void TjxWorkspace::RemoveZone(TjxBoundsRect* zone) { std::erase(m_zones, zone); }

void TjxWorkspace::AddControl(TjxDesignControl* control)
{
    if (std::find(m_controls.begin(), m_controls.end(), control) != m_controls.end())
        return;
    m_controls.push_back(control);
    update(control->Geometry());
}

void TjxWorkspace::RemoveControl(TjxDesignControl* control)
{
    if (std::erase(m_controls, control))
        update(control->Geometry());
}

void TjxWorkspace::BringToFront(TjxDesignControl* control)
{
    auto it = std::find(m_controls.begin(), m_controls.end(), control);
    if (it == m_controls.end())
        return;
    std::rotate(it, it + 1, m_controls.end());
    update(control->Geometry());
}

void TjxWorkspace::SendToBack(TjxDesignControl* control)
{
    auto it = std::find(m_controls.begin(), m_controls.end(), control);
    if (it == m_controls.end())
        return;
    std::rotate(m_controls.begin(), it, it + 1);
    update(control->Geometry());
}

TjxDesignControl* TjxWorkspace::ControlAt(const QPoint& point) const
{
    for (auto it = m_controls.rbegin(); it != m_controls.rend(); ++it)
        if ((*it)->IsVisible() && (*it)->Geometry().contains(point))
            return *it;
    return nullptr;
}

void TjxWorkspace::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    const QRect clip = event->rect();
    p.fillRect(clip, ToQColor(clWindow));
    if (m_displayGrid) {
        const QRect area = clip & rect();
        const QImage& grid = GridImage();
        if (!area.isEmpty())
            p.drawImage(area.topLeft(), grid, area);
    }
    if (m_columnMode && m_columnArea.isValid())
        p.fillRect(m_columnArea & clip, ToQColor(clBtnShadow));
    for (TjxDesignControl* control : m_controls)
        if (control->IsVisible() && control->Geometry().intersects(clip))
            control->Paint(p);
    std::vector<TjxBoundsRect*> zones = m_zones;
    std::stable_sort(zones.begin(), zones.end(),
                     [](const TjxBoundsRect* a, const TjxBoundsRect* b) { return a->ZOrder() < b->ZOrder(); });
    for (TjxBoundsRect* zone : zones)
        if (zone->Visible())
            zone->Draw(p);
    if (OnPaint)
        OnPaint(p);
}

void TjxWorkspace::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    DiscardGrid();
}

void TjxWorkspace::mousePressEvent(QMouseEvent* event)
{
    if (OnMousePress)
        OnMousePress(event);
}

void TjxWorkspace::mouseMoveEvent(QMouseEvent* event)
{
    if (OnMouseMove)
        OnMouseMove(event);
}

void TjxWorkspace::mouseReleaseEvent(QMouseEvent* event)
{
    if (OnMouseRelease)
        OnMouseRelease(event);
}

} // namespace orvane
