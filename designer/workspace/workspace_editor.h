#pragma once

#include "designer/edit_commands.h"

#include <QPoint>
#include <QRect>
#include <QString>
#include <array>
#include <functional>
#include <vector>

class QKeyEvent;
class QMouseEvent;
class QPainter;

namespace orvane {

class TjxComponent;
class TjxDesignSurface;
class TjxDesignerSelection;

// What the workspace needs of the component palette: whether the select
// (arrow) tool is down, and the class the active creation tool makes.
class TjxToolState {
public:
    virtual ~TjxToolState() = default;
    virtual bool ArrowDown() const = 0;
    virtual QString ActiveClassName() const = 0;
    // Creation ends: the arrow goes down again.
    virtual void SelectArrow() = 0;
};

// The tool state while no palette drives it.
class TjxPlainToolState : public TjxToolState {
public:
    bool ArrowDown() const override { return m_className.isEmpty(); }
    QString ActiveClassName() const override { return m_className; }
    void SelectArrow() override { m_className.clear(); }
    void SetActiveClassName(const QString& name) { m_className = name; }

private:
    QString m_className;
};

inline constexpr int kHandleSize = 7;

// Sizing handle `index` (0 to 7: the corners and edge centres, clockwise
// rows top, middle, bottom) of a zone, and the four corner marks of a
// component selected with others.
QRect SizingHandleRect(int index, const QRect& zone);
std::array<QRect, 4> SelectionHandleRects(const QRect& zone);

// A drag of a sizing handle to a workspace point: the new zone, flipped past
// the opposite edge rather than negative, at least one pixel each way.
// Locked edges (TjxDesignControl's TLockedEdge) keep width or height.
QRect ResizedZone(const QRect& zone, int handle, const QPoint& point, int lockedEdges);

// Selection, moves, resizes, the rubber band and creation on the workspace
// of a design surface, with the mouse and the keys; every change goes
// through the edit commands, each gesture one Undo step.
class TjxWorkspaceEditor {
public:
    enum TDragState { dsNone, dsMoving, dsRubberBand, dsResizing };

    TjxWorkspaceEditor(TjxDesignSurface* surface, TjxDesignerSelection* selection, TjxEditCommands* commands);
    ~TjxWorkspaceEditor();
    TjxWorkspaceEditor(const TjxWorkspaceEditor&) = delete;
    TjxWorkspaceEditor& operator=(const TjxWorkspaceEditor&) = delete;

    TjxToolState* Tools() const { return m_tools; }
    // Nil gives back the plain one.
    void SetTools(TjxToolState* tools);

    bool SnapToGrid() const { return SnapSource ? SnapSource() : m_snapToGrid; }
    void SetSnapToGrid(bool value) { m_snapToGrid = value; }
    // Where the setting lives when the window keeps it.
    std::function<bool()> SnapSource;
    // Runs a gesture: the window's command runner shows its errors; without
    // one they are shown here. Nothing thrown reaches the event loop.
    std::function<void(const std::function<void()>&)> RunCommand;
    // What a new component gets unless it is a shape or a line.
    QString defaultFontName = QStringLiteral("Arial");
    int defaultFontSize = 10;

    // Adds to the selection: a component whose control is hidden is ignored;
    // one without a design control raises EDesignError.
    void AddSelection(TjxComponent* component);
    void SelectAll();
    // Tab moves on to the next component of the report (Shift+Tab back).
    void SelectNext(bool forward);

    TDragState DragState() const { return m_state; }
    const QRect& RubberBand() const { return m_rubber; }
    // The outline of a selected component while it is dragged; else its control.
    QRect ZoneOf(const TjxComponent* component) const;
    // Ends a drag without applying it.
    void CancelDrag();
    // A move or resize under way, past the drag threshold.
    bool Dragging() const;
    // The selection's outline in workspace pixels: where the drag has it
    // now, and where it started.
    QRect DragBounds() const;
    QRect DragStartBounds() const { return m_startBounds; }

    // Undo and Redo move what is selected: the marks are hidden while they
    // run and drawn afresh where the components ended up.
    void HideMarks();
    void ShowMarks();
    bool MarksVisible() const { return m_marksVisible; }
    TjxPasteCascade& Cascade() { return m_cascade; }

    // The workspace's mouse, in workspace pixels.
    void MousePress(QMouseEvent* event);
    void MouseMove(QMouseEvent* event);
    void MouseRelease(QMouseEvent* event);
    // Tab and Escape; answers whether the key was taken.
    bool KeyPress(QKeyEvent* event);
    void Paint(QPainter& painter) const;

    // Runs a change of many selection entries as one (the window raises its
    // update lock around it, so the selection is announced once).
    std::function<void(const std::function<void()>&)> RunBatch;
    // After a gesture changed the report, and after a new component.
    std::function<void()> OnModified;
    // After every step of a move or resize and when it ends (the status
    // bar follows the outline).
    std::function<void()> OnDragged;
    // A new component, set up and placed; then asked whether it is kept
    // (false frees it again and leaves nothing to undo).
    std::function<void(TjxComponent*)> OnCreateComponent;
    std::function<bool(TjxComponent*)> OnValidateComponent;

private:
    void StartMove(const QPoint& point);
    void Move(const QPoint& point);
    void FinishMove();
    void FinishRubberBand(bool shift);
    void FinishResize();
    void Create(const QPoint& point);
    void TakeZones();
    void Modified();
    void Dragged();
    void Run(const std::function<void()>& gesture);
    void Repaint() const;
    std::vector<TjxComponent*> AllComponents() const;

    TjxDesignSurface* m_surface;
    std::function<void(QMouseEvent*)> m_surfaceMove;  // the surface's own move handler, given back at the end
    TjxDesignerSelection* m_selection;
    TjxEditCommands* m_commands;
    TjxPlainToolState m_plainTools;
    TjxToolState* m_tools;
    bool m_snapToGrid = false;
    TjxPasteCascade m_cascade;

    TDragState m_state = dsNone;
    bool m_moved = false;
    bool m_shift = false;
    QPoint m_origin;
    QPoint m_grab;
    int m_handle = -1;
    QRect m_rubber;
    int m_lockedEdges = 0;
    QRect m_startBounds;
    bool m_marksVisible = true;
    std::vector<std::pair<TjxComponent*, QRect>> m_zones;
};

} // namespace orvane
