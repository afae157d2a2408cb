#include "designer/workspace/design_surface.h"

#include "document/printer_setup.h"

#include "components/component.h"
#include "designer/controls/design_control.h"
#include "designer/controls/design_control_manager.h"
#include "designer/edit/band_layout.h"
#include "designer/undo/undo_manager.h"
#include "designer/undo/undoable.h"
#include "designer/workspace/band_control.h"
#include "designer/workspace/bounds_rect.h"
#include "designer/workspace/ruler.h"
#include "designer/workspace/workspace.h"
#include "document/custom_report.h"
#include "document/message_ids.h"
#include "document/messages.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

namespace orvane {

namespace {
constexpr int kRulerPanelSize = 23;
}

struct TjxDesignSurface::Parts {
    TjxCustomReport* report = nullptr;
    TjxBand* selectedBand = nullptr;
    TjxBand* guideBand = nullptr;  // the band whose ruler shows the mouse
    TjxUndoManager* undo = nullptr;
    QWidget* pnlHorizontalRuler = nullptr;
    QWidget* pnlVerticalRuler = nullptr;
    QWidget* verticalRulerHost = nullptr;  // band rulers at workspace y, moved as the box scrolls
    QScrollArea* scrollBox = nullptr;
    QWidget* scrollContent = nullptr;
    TjxWorkspace* workspace = nullptr;
    QLineEdit* focusEdit = nullptr;
    QToolButton* selectReport = nullptr;
    TjxRuler* horizontalRuler = nullptr;
    std::unique_ptr<TjxDesignControlManager> manager;
    std::unique_ptr<TjxBoundsRect> barZone;
    int workspaceBottom = 0;
    bool layoutPending = false;
};

TjxDesignSurface::TjxDesignSurface(QWidget* parent) : QWidget(parent), m_parts(std::make_unique<Parts>())
{
    Parts& p = *m_parts;
    p.pnlHorizontalRuler = new QWidget(this);
    p.pnlHorizontalRuler->setObjectName(QStringLiteral("pnlHorizontalRuler"));
    p.pnlVerticalRuler = new QWidget(this);
    p.pnlVerticalRuler->setObjectName(QStringLiteral("pnlVerticalRuler"));
    p.verticalRulerHost = new QWidget(p.pnlVerticalRuler);
    p.scrollBox = new QScrollArea(this);
    p.scrollBox->setObjectName(QStringLiteral("sbxWorkspace"));
    p.scrollBox->setFrameShape(QFrame::NoFrame);
    p.scrollBox->setWidgetResizable(false);
    p.scrollContent = new QWidget;
    p.workspace = new TjxWorkspace(p.scrollContent);
    p.workspace->setObjectName(QStringLiteral("Workspace"));
    p.workspace->move(0, 0);
    // The rulers' guides follow the mouse over the workspace.
    p.workspace->OnMouseMove = [this](QMouseEvent* event) { MoveGuidesTo(event->position().toPoint()); };
    p.scrollBox->setWidget(p.scrollContent);
    p.focusEdit = new QLineEdit(p.scrollContent);
    p.focusEdit->setFixedSize(0, 0);
    p.focusEdit->setFrame(false);
    p.selectReport = new QToolButton(p.pnlHorizontalRuler);
    p.selectReport->setAutoRaise(true);
    p.selectReport->setGeometry(0, 0, kRulerPanelSize, kRulerPanelSize);
    p.selectReport->setToolTip(GetMessage(msg::DesignerSelectReport));
    p.horizontalRuler = new TjxRuler(roHorizontal, p.pnlHorizontalRuler);
    p.horizontalRuler->OnGetPrinter = [this]() -> TjxCustomPrinter* {
        return m_parts->report ? m_parts->report->PrinterSetup()->GetPrinter() : nullptr;
    };
    p.horizontalRuler->setGeometry(kRulerPanelSize, 0, 100, kRulerPanelSize);
    p.horizontalRuler->OnSetUnits = [this](TjxUnitType u) { UnitsPicked(u); };
    p.horizontalRuler->OnHide = [this] {
        if (OnHideRulers)
            OnHideRulers();
    };

    p.manager = std::make_unique<TjxDesignControlManager>(p.workspace);
    p.manager->OnBarCreated = [this](TjxBandControl* bar) {
        PlaceBarRuler(bar);
        bar->SetDragZone(m_parts->barZone.get());
        bar->OnDragStart = [this](TjxBand* band) { SetSelectedBand(band); };
        bar->OnDragEnd = [this] { m_parts->workspace->update(); };
        ScheduleLayout();
    };
    p.manager->OnBarRemoving = [this](TjxBandControl* bar) {
        if (bar->Band() && bar->Band() == m_parts->selectedBand)
            m_parts->selectedBand = nullptr;
        if (bar->Band() == m_parts->guideBand)
            m_parts->guideBand = nullptr;
        ScheduleLayout();
    };
    p.manager->OnReportDestroyed = [this] {
        m_parts->report = nullptr;
        m_parts->selectedBand = nullptr;
        m_parts->guideBand = nullptr;
    };
    p.barZone = std::make_unique<TjxBoundsRect>();
    p.barZone->SetParent(p.workspace);

    connect(p.scrollBox->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { Scrolled(); });
    connect(p.scrollBox->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { Scrolled(); });
    resize(640, 480);
}

TjxDesignSurface::~TjxDesignSurface()
{
    // Bars and controls go before the workspace they sit on.
    m_parts->manager->SetReport(nullptr);
    m_parts->barZone.reset();
}

void TjxDesignSurface::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    LayoutParts();
}

void TjxDesignSurface::LayoutParts()
{
    Parts& p = *m_parts;
    const int top = p.pnlHorizontalRuler->isHidden() ? 0 : kRulerPanelSize;
    const int left = p.pnlVerticalRuler->isHidden() ? 0 : kRulerPanelSize;
    p.pnlHorizontalRuler->setGeometry(0, 0, width(), kRulerPanelSize);
    p.pnlVerticalRuler->setGeometry(0, top, kRulerPanelSize, std::max(0, height() - top));
    p.scrollBox->setGeometry(left, top, std::max(0, width() - left), std::max(0, height() - top));
    Scrolled();
}

void TjxDesignSurface::SetRulersVisible(bool visible)
{
    Parts& p = *m_parts;
    if (!visible)
        EraseGuides();
    p.pnlHorizontalRuler->setVisible(visible);
    p.pnlVerticalRuler->setVisible(visible);
    LayoutParts();
}

bool TjxDesignSurface::RulersVisible() const { return !m_parts->pnlHorizontalRuler->isHidden(); }

void TjxDesignSurface::SetCurrentReport(TjxCustomReport* report)
{
    Parts& p = *m_parts;
    if (report == p.report)
        return;
    p.workspace->hide();
    p.selectedBand = nullptr;
    EraseGuides();
    p.guideBand = nullptr;
    p.manager->SetReport(nullptr);
    p.report = report;
    if (!report)
        return;
    p.manager->SetReport(report);
    const bool modified = report->IsModified();
    SetUnits(report->Units());
    report->SetModified(modified);
    p.workspace->SetColumnMode(report->Columns() > 1);
    UpdateWorkspaceWidth();  // lays out the bands
    p.workspace->show();
}

void TjxDesignSurface::Retranslate()
{
    Parts& p = *m_parts;
    p.selectReport->setToolTip(GetMessage(msg::DesignerSelectReport));
    p.horizontalRuler->Retranslate();
    for (TjxBandControl* bar : p.manager->Bars())
        if (bar->Ruler())
            bar->Ruler()->Retranslate();
}

TjxCustomReport* TjxDesignSurface::CurrentReport() const { return m_parts->report; }

void TjxDesignSurface::ScheduleLayout()
{
    if (m_parts->layoutPending)
        return;
    m_parts->layoutPending = true;
    QTimer::singleShot(0, this, [this] {
        if (!m_parts->layoutPending)
            return;
        LayoutBands();
    });
}

void TjxDesignSurface::LayoutBands()
{
    Parts& p = *m_parts;
    p.layoutPending = false;
    if (!p.report)
        return;
    int offset = 0;
    int lowest = 0;
    bool any = false;
    for (TjxBand* band : p.report->Bands()) {
        TjxBandControl* bar = p.manager->BarOf(band);
        if (!bar)
            continue;
        bar->SetAreaTop(offset);
        bar->UpdateWidth();
        lowest = bar->BarTop();
        any = true;
        offset += bar->BandHeightPixels() + kBandBarHeight;
    }
    p.workspaceBottom = lowest;
    const int workspaceHeight = any ? lowest + kBandBarHeight : 0;
    p.workspace->resize(p.workspace->width(), std::max(1, workspaceHeight));
    WorkspaceResize();
}

TjxBand* TjxDesignSurface::BandAt(int y) const
{
    const Parts& p = *m_parts;
    if (!p.report)
        return nullptr;
    std::vector<TjxBand*> bands;
    std::vector<int> tops, heights;
    for (TjxBand* band : p.report->Bands())
        if (TjxBandControl* bar = p.manager->BarOf(band)) {
            bands.push_back(band);
            tops.push_back(bar->AreaTop());
            heights.push_back(bar->BandHeightPixels());
        }
    const int i = BandIndexAt(tops, heights, y);
    return i < 0 ? nullptr : bands[size_t(i)];
}

void TjxDesignSurface::WorkspaceResize()
{
    Parts& p = *m_parts;
    std::vector<int> heights;
    TjxBandControl* columnHeader = nullptr;
    TjxBandControl* columnFooter = nullptr;
    if (p.report)
        for (TjxBand* band : p.report->Bands())
            if (TjxBandControl* bar = p.manager->BarOf(band)) {
                heights.push_back(bar->BandHeightPixels());
                if (band->BandType() == btColumnHeader)
                    columnHeader = bar;
                if (band->BandType() == btColumnFooter)
                    columnFooter = bar;
            }
    if (p.workspace->ColumnMode() && p.report && columnHeader && columnFooter) {
        const int dpi = kScreenPixelsPerInch;
        const int left = ThousandthsToPixels(p.report->mmColumnWidth(), dpi);
        p.workspace->SetColumnArea(QRect(QPoint(left, columnHeader->AreaTop()),
                                         QPoint(p.workspace->width() - 1,
                                                columnFooter->BarTop() + kBandBarHeight - 1)));
    }
    p.workspace->SetBandHeights(std::move(heights));
    const QSize range = ScrollRange();
    p.scrollContent->resize(range);
    p.horizontalRuler->setFixedWidth(std::max(1, range.width() - 16));
    p.verticalRulerHost->resize(kRulerPanelSize, range.height());
    Scrolled();
}

QSize TjxDesignSurface::ScrollRange() const
{
    const int dpi = kScreenPixelsPerInch;
    return QSize(m_parts->workspace->width() + dpi, m_parts->workspace->height() + dpi);
}

void TjxDesignSurface::UpdateWorkspaceWidth()
{
    Parts& p = *m_parts;
    if (!p.report)
        return;
    TjxCustomReport* report = p.report;
    const int dpi = kScreenPixelsPerInch;
    p.workspace->resize(ThousandthsToPixels(report->PrintableWidth(), dpi) + 1, std::max(1, p.workspace->height()));
    for (TjxBandControl* bar : p.manager->Bars())
        bar->UpdateWidth();
    // Undo and redo bring the bands back themselves.
    const bool replaying = p.undo && p.undo->CollectingSideEffects();
    if (report->Columns() <= 1) {
        if (p.workspace->ColumnMode()) {
            p.workspace->SetColumnMode(false);
            if (!replaying) {
                if (TjxBand* footer = report->FindBand(btColumnFooter))
                    DestroyBand(footer);
                if (TjxBand* header = report->FindBand(btColumnHeader))
                    DestroyBand(header);
            }
        }
    } else {
        p.workspace->SetColumnMode(true);
        p.workspace->SetFooterPresent(report->FindBand(btFooter) != nullptr);
        if (!replaying) {
            if (!report->FindBand(btColumnHeader))
                CreateColumnBand(btColumnHeader);
            if (!report->FindBand(btColumnFooter))
                CreateColumnBand(btColumnFooter);
        }
    }
    LayoutBands();
    p.workspace->update();
}

void TjxDesignSurface::DestroyBand(TjxBand* band)
{
    TjxUndoManager* undo = m_parts->undo;
    if (undo && undo->Enabled())
        undo->Commit(TjxUndoableClassFactory::Instance().Create(QStringLiteral("DestroyBand"), band));
    TjxUndoDisabledGuard off(undo);
    TComponent* owner = m_parts->report->Owner() ? m_parts->report->Owner() : m_parts->report;
    FreeComponentTrees(owner, {band});
}

void TjxDesignSurface::CreateColumnBand(int type)
{
    TjxBand* band = m_parts->report->CreateBand(TjxBandType(type));
    TjxUndoManager* undo = m_parts->undo;
    if (band && undo && undo->Enabled())
        undo->Commit(TjxUndoableClassFactory::Instance().Create(QStringLiteral("CreateBand"), band));
}

void TjxDesignSurface::SetUnits(TjxUnitType units)
{
    Parts& p = *m_parts;
    p.horizontalRuler->SetUnits(units);
    for (TjxBandControl* bar : p.manager->Bars())
        if (bar->Ruler())
            bar->Ruler()->SetUnits(units);
}

void TjxDesignSurface::UnitsPicked(TjxUnitType units)
{
    SetUnits(units);
    if (m_parts->report)
        m_parts->report->SetUnits(units);
    if (OnUnitsPicked)
        OnUnitsPicked(units);
}

void TjxDesignSurface::EraseGuides()
{
    Parts& p = *m_parts;
    p.horizontalRuler->EraseGuides();
    for (TjxBandControl* bar : p.manager->Bars())
        if (bar->Ruler())
            bar->Ruler()->EraseGuides();
}

void TjxDesignSurface::MoveGuidesTo(const QPoint& workspacePoint)
{
    Parts& p = *m_parts;
    p.horizontalRuler->MoveGuides(workspacePoint.x() - p.horizontalRuler->ScrollOffset());
    TjxBand* band = BandAt(workspacePoint.y());
    TjxBandControl* bar = band ? p.manager->BarOf(band) : nullptr;
    if (band != p.guideBand)
        if (TjxBandControl* old = p.guideBand ? p.manager->BarOf(p.guideBand) : nullptr; old && old->Ruler())
            old->Ruler()->EraseGuides();
    p.guideBand = band;
    if (bar && bar->Ruler())
        bar->Ruler()->MoveGuides(workspacePoint.y() - bar->AreaTop());
}

void TjxDesignSurface::ShowSelectionGuides(const QRect& bounds)
{
    Parts& p = *m_parts;
    const int scroll = p.horizontalRuler->ScrollOffset();
    p.horizontalRuler->MoveGuides(bounds.left() - scroll, bounds.left() + bounds.width() - scroll);
    TjxBand* band = BandAt(bounds.top());
    if (band != p.guideBand)
        if (TjxBandControl* old = p.guideBand ? p.manager->BarOf(p.guideBand) : nullptr; old && old->Ruler())
            old->Ruler()->EraseGuides();
    p.guideBand = band;
    if (TjxBandControl* bar = band ? p.manager->BarOf(band) : nullptr; bar && bar->Ruler())
        bar->Ruler()->MoveGuides(bounds.top() - bar->AreaTop(), bounds.top() + bounds.height() - bar->AreaTop());
}

void TjxDesignSurface::ShowWorkspace(bool visible) { m_parts->workspace->setVisible(visible); }

void TjxDesignSurface::PlaceBarRuler(TjxBandControl* bar)
{
    TjxRuler* ruler = bar->Ruler();
    if (!ruler)
        return;
    if (ruler->parentWidget() != m_parts->verticalRulerHost) {
        ruler->setParent(m_parts->verticalRulerHost);
        ruler->OnSetUnits = [this](TjxUnitType u) { UnitsPicked(u); };
        ruler->OnHide = [this] {
            if (OnHideRulers)
                OnHideRulers();
        };
    }
    ruler->setGeometry(0, bar->AreaTop(), kRulerPanelSize - 1, bar->BandHeightPixels());
    if (m_parts->report)
        ruler->SetUnits(m_parts->report->Units());
    ruler->show();
}

void TjxDesignSurface::Scrolled()
{
    Parts& p = *m_parts;
    const QPoint origin = p.scrollContent->pos();  // negative while scrolled
    p.horizontalRuler->ResetScroll();
    if (origin.x() < 0)
        p.horizontalRuler->ScrollBy(-origin.x());
    p.verticalRulerHost->move(0, origin.y());
    // The focus edit stays in the visible top-left corner, so focusing never scrolls.
    p.focusEdit->move(-origin.x(), -origin.y());
}

bool TjxDesignSurface::HandleNotification(int message, TjxCommunicator* object)
{
    Parts& p = *m_parts;
    switch (message) {
    case dnBandHeightChanged:
        LayoutBands();
        return true;
    case dnPageLayoutChanged:
        UpdateWorkspaceWidth();
        return true;
    case dnUnitsChanged:
        // The unit is read from the report: the object is the report, never a number.
        if (p.report && p.horizontalRuler->Units() != p.report->Units())
            SetUnits(p.report->Units());
        return true;
    case dnPropertyChanged:
        // Columns and their width change the bars and the column area.
        if (p.report && object == p.report &&
            (p.report->Columns() > 1 || p.workspace->ColumnMode()))
            UpdateWorkspaceWidth();
        return false;
    case dnDesignControlCreated:
        return true;
    case dnBandControlCreated:
        if (auto* band = dynamic_cast<TjxBand*>(object))
            if (TjxBandControl* bar = p.manager->BarOf(band))
                PlaceBarRuler(bar);
        return true;
    case dnBandCreated:
        p.selectedBand = nullptr;
        ScheduleLayout();
        return true;
    case dnBandRemoved:
        p.selectedBand = nullptr;
        ScheduleLayout();
        return true;
    case dnBandDestroyed:
        if (auto* band = dynamic_cast<TjxBand*>(object)) {
            if (TjxBandControl* bar = p.manager->BarOf(band); bar && bar->Ruler())
                bar->Ruler()->EraseGuides();
            if (band == p.selectedBand)
                p.selectedBand = nullptr;
            if (band == p.guideBand)
                p.guideBand = nullptr;
        }
        return true;
    case dnBoundsLocksChanged:
        return false;
    default:
        return false;
    }
}

TjxBand* TjxDesignSurface::SelectedBand() const { return m_parts->selectedBand; }
void TjxDesignSurface::SetSelectedBand(TjxBand* band) { m_parts->selectedBand = band; }
void TjxDesignSurface::SetUndoManager(TjxUndoManager* undo) { m_parts->undo = undo; }
TjxWorkspace* TjxDesignSurface::Workspace() const { return m_parts->workspace; }
TjxDesignControlManager* TjxDesignSurface::ControlManager() const { return m_parts->manager.get(); }
TjxBoundsRect* TjxDesignSurface::BarZone() const { return m_parts->barZone.get(); }
int TjxDesignSurface::WorkspaceBottom() const { return m_parts->workspaceBottom; }
TjxRuler* TjxDesignSurface::HorizontalRuler() const { return m_parts->horizontalRuler; }
QScrollArea* TjxDesignSurface::ScrollBox() const { return m_parts->scrollBox; }
QLineEdit* TjxDesignSurface::FocusEdit() const { return m_parts->focusEdit; }
QAbstractButton* TjxDesignSurface::SelectReportButton() const { return m_parts->selectReport; }
QWidget* TjxDesignSurface::HorizontalRulerPanel() const { return m_parts->pnlHorizontalRuler; }
QWidget* TjxDesignSurface::VerticalRulerPanel() const { return m_parts->pnlVerticalRuler; }

} // namespace orvane
