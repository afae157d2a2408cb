#pragma once

#include <QRect>
#include <functional>
#include <vector>

class QObject;
class QPainter;

namespace orvane {

class TjxWorkspace;

// An outline zone on the workspace (the rectangle dragged for a band bar or
// a selection): a one-pixel dotted black frame. A change repaints only the
// pixels under the old and the new outline, never the whole workspace.
class TjxBoundsRect {
public:
    TjxBoundsRect();
    ~TjxBoundsRect();
    TjxBoundsRect(const TjxBoundsRect&) = delete;
    TjxBoundsRect& operator=(const TjxBoundsRect&) = delete;

    const QRect& Zone() const { return m_zone; }
    const QRect& PreviousZone() const { return m_previous; }
    void SetZone(int left, int top, int height, int width);
    void SetLeft(int value) { SetZone(value, m_zone.top(), m_zone.height(), m_zone.width()); }
    void SetTop(int value) { SetZone(m_zone.left(), value, m_zone.height(), m_zone.width()); }
    void SetWidth(int value) { SetZone(m_zone.left(), m_zone.top(), m_zone.height(), value); }
    void SetHeight(int value) { SetZone(m_zone.left(), m_zone.top(), value, m_zone.width()); }
    // In thousandths of a millimetre; the zone takes each value in pixels.
    void SetObjectBounds(int mmLeft, int mmTop, int mmWidth, int mmHeight);
    const QRect& ObjectBounds() const { return m_objectBounds; }
    void Assign(const TjxBoundsRect& other);

    // The edges that may not move: TjxDesignControl's TLockedEdge flags.
    int LockedEdges() const { return m_lockedEdges; }
    void SetLockedEdges(int value) { m_lockedEdges = value; }
    int ZOrder() const { return m_zOrder; }
    void SetZOrder(int value) { m_zOrder = value; }
    bool Visible() const { return m_visible; }
    void Show();
    void Hide();

    // The parent must be a workspace; anything else is refused with an error.
    void SetParent(QObject* parent);
    TjxWorkspace* Workspace() const { return m_workspace; }
    // Called by a workspace going away.
    void Detach() { m_workspace = nullptr; }

    // Gives the old outline's pixels back (the workspace repaints them);
    // drawing puts the outline where the zone is now.
    void RestoreBackground();
    void Draw(QPainter& painter) const;
    // Changes several zones as one step: restore all, change, draw all.
    static void UpdateGroup(std::vector<TjxBoundsRect*> zones, const std::function<void()>& change);

private:
    void Repaint(const QRect& zone) const;

    QRect m_zone{10, 10, 100, 100};
    QRect m_previous{10, 10, 100, 100};
    QRect m_objectBounds;
    int m_lockedEdges = 0;
    int m_zOrder = 0;
    bool m_visible = false;
    TjxWorkspace* m_workspace = nullptr;
};

} // namespace orvane
