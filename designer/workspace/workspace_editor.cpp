#include "designer/workspace/workspace_editor.h"

#include "components/component.h"
#include "components/custom_text.h"
#include "components/shape.h"
#include "designer/controls/design_control.h"
#include "designer/controls/design_control_manager.h"
#include "designer/edit/band_layout.h"
#include "designer/undo/undo_hooks.h"
#include "designer/window/selection.h"
#include "designer/workspace/band_control.h"
#include "designer/workspace/design_surface.h"
#include "designer/workspace/workspace.h"
#include "document/band.h"
#include "document/class_registry.h"
#include "document/custom_report.h"
#include "document/errors.h"
#include "document/form.h"
#include "document/graphic_objects.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "engine/data_pipeline.h"
#include "engine/pipeline_list.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace orvane {

QRect SizingHandleRect(int index, const QRect& zone)
{
    const int l = zone.left(), t = zone.top(), w = zone.width(), h = zone.height();
    static constexpr int kColumn[8] = {0, 1, 2, 0, 2, 0, 1, 2};
    static constexpr int kRow[8] = {0, 0, 0, 1, 1, 2, 2, 2};
    const int x = kColumn[index] == 0 ? l - 5 : kColumn[index] == 1 ? l + w / 2 - 3 : l + w - 1;
    const int y = kRow[index] == 0 ? t - 5 : kRow[index] == 1 ? t + h / 2 - 3 : t + h - 1;
    return QRect(x, y, kHandleSize, kHandleSize);
}

std::array<QRect, 4> SelectionHandleRects(const QRect& zone)
{
    const int l = zone.left(), t = zone.top(), w = zone.width(), h = zone.height();
    const QSize size(kHandleSize, kHandleSize);
    return {QRect(QPoint(l - 4, t - 4), size), QRect(QPoint(l + w - 2, t - 4), size),
            QRect(QPoint(l - 4, t + h - 2), size), QRect(QPoint(l + w - 2, t + h - 2), size)};
}

QRect ResizedZone(const QRect& zone, int handle, const QPoint& point, int lockedEdges)
{
    int l = zone.left(), t = zone.top(), w = zone.width(), h = zone.height();
    const int x = point.x(), y = point.y();
    if (handle <= 2) {
        if (y > t + h) {
            t = t + h - 1;
            h = y - t + 1;
        } else {
            h += t - y;
            t = y;
        }
    } else if (handle >= 5) {
        if (y < t) {
            h = t - y + 1;
            t = y;
        } else {
            h = y - t;
        }
    }
    if (handle == 0 || handle == 3 || handle == 5) {
        if (x > l + w) {
            l = l + w - 1;
            w = x - l;
        } else {
            w += l - x;
            l = x;
        }
    } else if (handle == 2 || handle == 4 || handle == 7) {
        if (x < l) {
            w = l - x + 1;
            l = x;
        } else {
            w = x - l;
        }
    }
    if (lockedEdges & TjxDesignControl::leWidth) {
        l = zone.left();
        w = zone.width();
    }
    if (lockedEdges & TjxDesignControl::leHeight) {
        t = zone.top();
        h = zone.height();
    }
    return QRect(l, t, std::max(1, w), std::max(1, h));
}

TjxWorkspaceEditor::TjxWorkspaceEditor(TjxDesignSurface* surface, TjxDesignerSelection* selection,
                                       TjxEditCommands* commands)
    : m_surface(surface), m_selection(selection), m_commands(commands), m_tools(&m_plainTools)
{
    TjxWorkspace* workspace = surface->Workspace();
    // The surface's own move handler (the rulers' guides) keeps running.
    m_surfaceMove = workspace->OnMouseMove;
    auto guides = m_surfaceMove;
    workspace->OnMousePress = [this](QMouseEvent* e) { Run([&] { MousePress(e); }); };
    workspace->OnMouseMove = [this, guides](QMouseEvent* e) {
        if (guides)
            guides(e);
        Run([&] { MouseMove(e); });
    };
    workspace->OnMouseRelease = [this](QMouseEvent* e) { Run([&] { MouseRelease(e); }); };
    workspace->OnPaint = [this](QPainter& p) { Paint(p); };
}

TjxWorkspaceEditor::~TjxWorkspaceEditor()
{
    TjxWorkspace* workspace = m_surface->Workspace();
    workspace->OnMousePress = nullptr;
    workspace->OnMouseMove = m_surfaceMove;
    workspace->OnMouseRelease = nullptr;
    workspace->OnPaint = nullptr;
}

void TjxWorkspaceEditor::SetTools(TjxToolState* tools) { m_tools = tools ? tools : &m_plainTools; }

void TjxWorkspaceEditor::Modified()
{
    if (OnModified)
        OnModified();
}

void TjxWorkspaceEditor::Run(const std::function<void()>& gesture)
{
    if (RunCommand) {
        RunCommand(gesture);
        return;
    }
    try {
        gesture();
    } catch (const std::exception& error) {
        CancelDrag();
        ShowErrorMessage(error);
    }
}

void TjxWorkspaceEditor::Dragged()
{
    if (OnDragged)
        OnDragged();
}

bool TjxWorkspaceEditor::Dragging() const { return (m_state == dsMoving || m_state == dsResizing) && m_moved; }

QRect TjxWorkspaceEditor::DragBounds() const
{
    QRect bounds;
    for (const auto& [c, zone] : m_zones)
        bounds = bounds.united(zone);
    return bounds;
}

void TjxWorkspaceEditor::HideMarks()
{
    m_marksVisible = false;
    Repaint();
}

void TjxWorkspaceEditor::ShowMarks()
{
    m_marksVisible = true;
    Repaint();
}

void TjxWorkspaceEditor::Repaint() const { m_surface->Workspace()->update(); }

std::vector<TjxComponent*> TjxWorkspaceEditor::AllComponents() const
{
    std::vector<TjxComponent*> all;
    if (TjxCustomReport* report = m_surface->CurrentReport())
        for (TjxBand* band : report->Bands())
            for (int i = 0; i < band->ChildCount(); ++i)
                if (auto* c = dynamic_cast<TjxComponent*>(band->Child(i)))
                    all.push_back(c);
    return all;
}

void TjxWorkspaceEditor::AddSelection(TjxComponent* component)
{
    if (!component || !m_surface->CurrentReport() || m_selection->Contains(component))
        return;
    TjxDesignControl* control = m_surface->ControlManager()->DesignControlOf(component);
    if (!control)
        throw EDesignError(GetMessage(msg::AddSelectionNoControl));
    if (!control->IsVisible())
        return;
    m_selection->Add(component);
    // The keys of the Design tab act on what was just selected.
    if (QWidget* focus = m_surface->FocusEdit(); focus && focus->window()->isVisible())
        focus->setFocus();
    Repaint();
}

void TjxWorkspaceEditor::SelectAll()
{
    const auto all = [this] {
        m_selection->Clear();
        for (TjxComponent* c : AllComponents())
            AddSelection(c);
    };
    if (RunBatch)
        RunBatch(all);
    else
        all();
    Repaint();
}

void TjxWorkspaceEditor::SelectNext(bool forward)
{
    std::vector<TjxComponent*> all;
    for (TjxComponent* c : AllComponents())
        if (TjxDesignControl* control = m_surface->ControlManager()->DesignControlOf(c); control && control->IsVisible())
            all.push_back(c);
    if (all.empty())
        return;
    const auto it = std::find(all.begin(), all.end(), m_selection->Primary());
    size_t next = 0;
    if (it != all.end()) {
        const size_t at = size_t(it - all.begin());
        next = forward ? (at + 1) % all.size() : (at + all.size() - 1) % all.size();
    } else if (!forward) {
        next = all.size() - 1;
    }
    m_selection->Clear();
    AddSelection(all[next]);
    Repaint();
}

QRect TjxWorkspaceEditor::ZoneOf(const TjxComponent* component) const
{
    for (const auto& [c, zone] : m_zones)
        if (c == component)
            return zone;
    TjxDesignControl* control = m_surface->ControlManager()->DesignControlOf(component);
    return control ? control->Geometry() : QRect();
}

void TjxWorkspaceEditor::TakeZones()
{
    m_zones.clear();
    m_lockedEdges = 0;
    for (TjxComponent* c : m_selection->Components()) {
        TjxDesignControl* control = m_surface->ControlManager()->DesignControlOf(c);
        if (!control)
            continue;
        m_zones.emplace_back(c, control->Geometry());
        m_lockedEdges |= control->LockedEdges();
    }
    m_startBounds = DragBounds();
}

void TjxWorkspaceEditor::CancelDrag()
{
    const bool dragged = m_moved && !m_zones.empty();
    m_state = dsNone;
    m_moved = false;
    m_zones.clear();
    m_rubber = QRect();
    m_surface->EraseGuides();
    Repaint();
    if (dragged)
        Dragged();
}

void TjxWorkspaceEditor::MousePress(QMouseEvent* event)
{
    if (!m_surface->CurrentReport())
        return;
    const QPoint p = event->position().toPoint();
    // The keys go to the invisible edit while designing.
    if (QWidget* focus = m_surface->FocusEdit(); focus && focus->window()->isVisible())
        focus->setFocus();
    if (event->button() == Qt::RightButton) {
        // The popup of the band under the pointer.
        if (TjxBand* band = m_surface->BandAt(p.y()))
            if (TjxBandControl* bar = m_surface->ControlManager()->BarOf(band); bar && bar->OnPopup)
                bar->OnPopup(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton || !m_tools->ArrowDown())
        return;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    m_moved = false;
    m_origin = p;
    // A handle of the only selected component starts a resize.
    if (m_selection->Count() == 1) {
        const QRect zone = ZoneOf(m_selection->Primary());
        for (int i = 0; i < 8; ++i)
            if (SizingHandleRect(i, zone).contains(p)) {
                TakeZones();
                m_handle = i;
                m_state = dsResizing;
                Repaint();
                return;
            }
    }
    TjxDesignControl* control = m_surface->Workspace()->ControlAt(p);
    if (!control || (event->modifiers() & Qt::ControlModifier)) {
        m_state = dsRubberBand;
        m_shift = shift;
        m_rubber = QRect(p, p);
        return;
    }
    TjxComponent* clicked = control->GetComponent();
    if (shift) {
        if (m_selection->Contains(clicked))
            m_selection->Remove(clicked);
        else
            AddSelection(clicked);
    } else if (m_selection->Count() > 1 && m_selection->Contains(clicked)) {
        m_selection->SetPrimary(clicked);
    } else if (!(m_selection->Count() == 1 && m_selection->Contains(clicked))) {
        m_selection->Clear();
        AddSelection(clicked);
    }
    Repaint();
    if (m_selection->Primary())
        StartMove(p);
}

void TjxWorkspaceEditor::StartMove(const QPoint& point)
{
    TakeZones();
    m_grab = point - ZoneOf(m_selection->Primary()).topLeft();
    m_state = dsMoving;
}

void TjxWorkspaceEditor::MouseMove(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    switch (m_state) {
    case dsMoving:
        Move(p);
        break;
    case dsRubberBand:
        m_rubber.setBottomRight(p);
        Repaint();
        break;
    case dsResizing: {
        TjxComponent* c = m_selection->Primary();
        if (!c || m_zones.empty())
            break;
        // From the component's own place, not the outline's.
        const QRect own(c->spLeft(), m_surface->ControlManager()->BandAreaTop(c->Band()) + c->spTop(), c->spWidth(),
                        c->spHeight());
        const QRect zone = ResizedZone(own, m_handle, p, m_lockedEdges);
        for (auto& [component, z] : m_zones)
            if (component == c)
                z = zone;
        m_moved = true;
        m_surface->ShowSelectionGuides(zone);
        Repaint();
        Dragged();
        break;
    }
    case dsNone:
        break;
    }
}

void TjxWorkspaceEditor::Move(const QPoint& p)
{
    if (!m_moved) {
        // A click is not a drag.
        const int threshold = QApplication::startDragDistance();
        if (std::abs(p.x() - m_origin.x()) < threshold && std::abs(p.y() - m_origin.y()) < threshold)
            return;
        m_moved = true;
    }
    const QRect primary = ZoneOf(m_selection->Primary());
    const QRect bounds = DragBounds();
    int dx = (m_lockedEdges & TjxDesignControl::leLeft) ? 0 : p.x() - m_grab.x() - primary.left();
    int dy = (m_lockedEdges & TjxDesignControl::leTop) ? 0 : p.y() - m_grab.y() - primary.top();
    if (bounds.left() + dx < 0)
        dx = -bounds.left();
    const int bottom = m_surface->WorkspaceBottom();
    if (bounds.top() + dy + bounds.height() > bottom)
        dy = bottom - bounds.height() - bounds.top();
    if (bounds.top() + dy < 0)
        dy = -bounds.top();
    if (SnapToGrid()) {
        TjxWorkspace* workspace = m_surface->Workspace();
        if (!(m_lockedEdges & TjxDesignControl::leLeft))
            dx = orvane::SnapToGrid(primary.left() + dx, workspace->XGridSpace(), false, workspace->BandHeights()) -
                 primary.left();
        if (!(m_lockedEdges & TjxDesignControl::leTop))
            dy = orvane::SnapToGrid(primary.top() + dy, workspace->YGridSpace(), true, workspace->BandHeights()) -
                 primary.top();
    }
    for (auto& [c, zone] : m_zones)
        zone.translate(dx, dy);
    m_surface->ShowSelectionGuides(bounds.translated(dx, dy));
    Repaint();
    Dragged();
}

void TjxWorkspaceEditor::MouseRelease(QMouseEvent* event)
{
    const TDragState state = m_state;
    m_state = dsNone;
    if (!m_surface->CurrentReport())
        return;
    if (event->button() != Qt::LeftButton) {
        CancelDrag();
        return;
    }
    try {
        switch (state) {
        case dsMoving:
            if (m_moved)
                FinishMove();
            break;
        case dsRubberBand:
            FinishRubberBand(m_shift);
            break;
        case dsResizing:
            if (m_moved)
                FinishResize();
            break;
        case dsNone:
            if (!m_tools->ArrowDown())
                Create(event->position().toPoint());
            break;
        }
    } catch (...) {
        CancelDrag();
        throw;
    }
    CancelDrag();
}

void TjxWorkspaceEditor::FinishMove()
{
    TjxDesignControlManager* manager = m_surface->ControlManager();
    const std::vector<std::pair<TjxComponent*, QRect>> zones = m_zones;
    {
        TjxUndoCommandScope task(m_commands->Hooks());
        for (TjxComponent* c : TopLevelComponents(m_selection->Components())) {
            QRect zone;
            for (const auto& [component, z] : zones)
                if (component == c)
                    zone = z;
            if (zone.isNull())
                continue;
            TjxBand* band = m_surface->BandAt(zone.top());
            const bool parentChanged = band && band != c->Band();
            if (parentChanged)
                m_commands->MoveToBand(c, band);
            int left = zone.left();
            int top = zone.top() - manager->BandAreaTop(c->Band());
            if (parentChanged && c->ParentWidth())
                left = c->spLeft();
            if (parentChanged && c->ParentHeight())
                top = c->spTop();
            m_commands->SetPixelBounds(c, left, top, c->spWidth(), c->spHeight());
            m_commands->PlaceInRegion(c);
        }
    }
    Modified();
}

void TjxWorkspaceEditor::FinishResize()
{
    TjxComponent* c = m_selection->Primary();
    if (!c)
        return;
    const QRect zone = ZoneOf(c);
    const int top = zone.top() - m_surface->ControlManager()->BandAreaTop(c->Band());
    m_commands->SetPixelBounds(c, zone.left(), top, zone.width(), zone.height());
    Modified();
}

void TjxWorkspaceEditor::FinishRubberBand(bool shift)
{
    const QRect band = m_rubber.normalized();
    const auto toggle = [&] {
        if (!shift)
            m_selection->Clear();
        for (TjxComponent* c : AllComponents()) {
            TjxDesignControl* control = m_surface->ControlManager()->DesignControlOf(c);
            if (!control || !control->IsVisible() || !control->Geometry().intersects(band))
                continue;
            if (m_selection->Contains(c))
                m_selection->Remove(c);
            else
                AddSelection(c);
        }
    };
    if (RunBatch)
        RunBatch(toggle);
    else
        toggle();
    Repaint();
}

namespace {

// The pipeline a band prints from: a detail band's own, else its report's.
TjxCommunicator* BandPipeline(TjxBand* band)
{
    TjxCustomReport* report = band->Report();
    if (const auto* detail = dynamic_cast<const TjxDetailBand*>(band); detail && !detail->DataPipelineName().isEmpty())
        if (TjxDataPipeline* own = TjxDataPipelineList(report).FindByName(detail->DataPipelineName()))
            return own;
    return report->DataPipeline();
}

} // namespace

void TjxWorkspaceEditor::Create(const QPoint& point)
{
    const TClassInfo* cls = FindClass(m_tools->ActiveClassName());
    if (!cls || !cls->InheritsFrom(TjxComponent::StaticClass()))
        return;
    TjxBand* band = m_surface->BandAt(point.y());
    if (!band)
        return;
    const auto create = [&] {
        m_selection->Clear();
        const int top = point.y() - m_surface->ControlManager()->BandAreaTop(band);
        TjxComponent* made = m_commands->CreateComponent(
            *cls, band, UnitsToThousandths(float(point.x()), utScreenPixels, axHorizontal),
            UnitsToThousandths(float(top), utScreenPixels, axVertical), 0, 0, [&](TjxComponent* c) {
                if (!dynamic_cast<TjxCustomGraphic*>(c)) {
                    TFont font;
                    font.Assign(c->Font());
                    font.SetName(defaultFontName);
                    font.SetSize(defaultFontSize);
                    font.SetColor(clBlack);
                    font.SetStyle(0);
                    c->SetFont(&font);
                    c->SetTextAlignment(taLeftJustified);
                    c->SetTransparent(true);
                    // A new text shows its name, so it has a size to grab.
                    if (dynamic_cast<TjxCustomText*>(c) && c->Caption().isEmpty())
                        c->SetCaption(c->UserName());
                }
                if (c->IsDataAware())
                    if (TjxCommunicator* pipeline = BandPipeline(band))
                        c->SetDataPipeline(pipeline);
                m_commands->PlaceInRegion(c);
                if (OnCreateComponent)
                    OnCreateComponent(c);
                return !OnValidateComponent || OnValidateComponent(c);
            });
        if (!made)
            return;
        Modified();
        AddSelection(made);
        m_tools->SelectArrow();
    };
    // One announcement of the selection, for the new component.
    if (RunBatch)
        RunBatch(create);
    else
        create();
}

bool TjxWorkspaceEditor::KeyPress(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        SelectNext(event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier));
        return true;
    case Qt::Key_Escape:
        if (m_state != dsNone)
            CancelDrag();
        else
            m_selection->Clear();
        Repaint();
        return true;
    default:
        return false;
    }
}

void TjxWorkspaceEditor::Paint(QPainter& painter) const
{
    painter.save();
    QPen dotted(Qt::black, 1, Qt::DotLine);
    const bool dragging = (m_state == dsMoving && m_moved) || m_state == dsResizing;
    if (!m_marksVisible) {
        painter.restore();
        return;
    }
    if (dragging) {
        painter.setPen(dotted);
        painter.setBrush(Qt::NoBrush);
        for (const auto& [c, zone] : m_zones)
            painter.drawRect(zone.adjusted(0, 0, -1, -1));
    }
    if (m_state == dsRubberBand && m_rubber.normalized().width() + m_rubber.normalized().height() > 0) {
        painter.setPen(dotted);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(m_rubber.normalized());
    }
    if (!dragging) {
        if (m_selection->Count() == 1) {
            painter.setPen(QPen(Qt::black, 1));
            painter.setBrush(Qt::white);
            const QRect zone = ZoneOf(m_selection->Primary());
            for (int i = 0; i < 8; ++i)
                painter.drawEllipse(SizingHandleRect(i, zone).adjusted(0, 0, -1, -1));
        } else {
            const QColor grey(0xC0, 0xC0, 0xC0);
            painter.setPen(QPen(grey, 1));
            painter.setBrush(grey);
            for (TjxComponent* c : m_selection->Components())
                for (const QRect& r : SelectionHandleRects(ZoneOf(c)))
                    painter.drawEllipse(r.adjusted(0, 0, -1, -1));
        }
    }
    painter.restore();
}

} // namespace orvane
