#include "designer/workspace/bounds_rect.h"

#include "designer/workspace/workspace.h"
#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/units.h"

#include <QPainter>
#include <algorithm>

namespace orvane {

TjxBoundsRect::TjxBoundsRect() = default;

TjxBoundsRect::~TjxBoundsRect()
{
    if (m_workspace) {
        if (m_visible)
            Repaint(m_zone);
        m_workspace->RemoveZone(this);
    }
}

void TjxBoundsRect::SetParent(QObject* parent)
{
    auto* workspace = qobject_cast<TjxWorkspace*>(parent);
    if (parent && !workspace)
        throw EDesignError(GetMessage(msg::WorkspaceZoneParent));
    if (workspace == m_workspace)
        return;
    if (m_workspace) {
        if (m_visible)
            Repaint(m_zone);
        m_workspace->RemoveZone(this);
    }
    m_workspace = workspace;
    if (m_workspace) {
        m_workspace->AddZone(this);
        if (m_visible)
            Repaint(m_zone);
    }
}

void TjxBoundsRect::SetZone(int left, int top, int height, int width)
{
    const QRect next(left, top, width, height);
    if (next == m_zone)
        return;
    RestoreBackground();
    m_previous = m_zone;
    m_zone = next;
    if (m_visible)
        Repaint(m_zone);
}

void TjxBoundsRect::SetObjectBounds(int mmLeft, int mmTop, int mmWidth, int mmHeight)
{
    m_objectBounds = QRect(mmLeft, mmTop, mmWidth, mmHeight);
    const int dpi = kScreenPixelsPerInch;
    SetZone(ThousandthsToPixels(mmLeft, dpi), ThousandthsToPixels(mmTop, dpi), ThousandthsToPixels(mmHeight, dpi),
            ThousandthsToPixels(mmWidth, dpi));
}

void TjxBoundsRect::Assign(const TjxBoundsRect& other)
{
    m_objectBounds = other.m_objectBounds;
    m_lockedEdges = other.m_lockedEdges;
    m_zOrder = other.m_zOrder;
    SetZone(other.m_zone.left(), other.m_zone.top(), other.m_zone.height(), other.m_zone.width());
}

void TjxBoundsRect::Show()
{
    if (m_visible)
        return;
    m_visible = true;
    Repaint(m_zone);
}

void TjxBoundsRect::Hide()
{
    if (!m_visible)
        return;
    m_visible = false;
    Repaint(m_zone);
}

void TjxBoundsRect::RestoreBackground()
{
    if (m_visible)
        Repaint(m_zone);
}

void TjxBoundsRect::Repaint(const QRect& zone) const
{
    if (!m_workspace || zone.isEmpty())
        return;
    // Only the outline's pixels: four thin strips.
    const QRect r = zone.adjusted(0, 0, -1, -1);
    m_workspace->update(QRect(r.left(), r.top(), r.width() + 1, 1));
    m_workspace->update(QRect(r.left(), r.bottom(), r.width() + 1, 1));
    m_workspace->update(QRect(r.left(), r.top(), 1, r.height() + 1));
    m_workspace->update(QRect(r.right(), r.top(), 1, r.height() + 1));
}

void TjxBoundsRect::Draw(QPainter& painter) const
{
    if (m_zone.width() <= 0 || m_zone.height() <= 0)
        return;
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.drawRect(m_zone.adjusted(0, 0, -1, -1));
    painter.restore();
}

void TjxBoundsRect::UpdateGroup(std::vector<TjxBoundsRect*> zones, const std::function<void()>& change)
{
    std::stable_sort(zones.begin(), zones.end(),
                     [](const TjxBoundsRect* a, const TjxBoundsRect* b) { return a->m_zOrder < b->m_zOrder; });
    for (TjxBoundsRect* z : zones)
        z->RestoreBackground();
    change();
    for (TjxBoundsRect* z : zones)
        if (z->m_visible)
            z->Repaint(z->m_zone);
}

} // namespace orvane
