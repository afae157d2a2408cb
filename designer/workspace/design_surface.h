#pragma once

#include <functional>
#include <memory>

#include <QWidget>

#include "document/units.h"

class QAbstractButton;
class QLineEdit;
class QScrollArea;

namespace orvane {

class TjxBand;
class TjxBandControl;
class TjxBoundsRect;
class TjxCommunicator;
class TjxDesignControlManager;
class TjxCustomReport;
class TjxRuler;
class TjxUndoManager;
class TjxWorkspace;

// The content of the designer's Design tab (pnlDesign): the horizontal ruler
// panel with the select-report button, the vertical ruler panel with one ruler
// per band, and the scroll box holding the workspace with the band bars and
// the design controls of the current report. The designer window owns one and
// forwards the designer notifications that concern the surface to it.
class TjxDesignSurface : public QWidget {
    Q_OBJECT
public:
    explicit TjxDesignSurface(QWidget* parent = nullptr);
    ~TjxDesignSurface() override;

    // Makes a report the one shown (nil shows none): the design control
    // manager is attached to it, its bars and controls are built, the rulers
    // take its units, column mode and workspace width follow its page.
    void SetCurrentReport(TjxCustomReport* report);
    TjxCustomReport* CurrentReport() const;

    void LayoutBands();
    // The band under a workspace y (a bar belongs to the band below it).
    TjxBand* BandAt(int y) const;
    void WorkspaceResize();
    // Workspace width and column areas after a page layout change.
    void UpdateWorkspaceWidth();
    void SetUnits(TjxUnitType units);
    void EraseGuides();
    // The mouse at a workspace point: the horizontal ruler's guide and the
    // guide of the band under it follow (the band left behind loses its guide).
    void MoveGuidesTo(const QPoint& workspacePoint);
    // While a selection is dragged: both its edges on the horizontal ruler
    // and on the ruler of the band under its top.
    void ShowSelectionGuides(const QRect& bounds);
    void ShowWorkspace(bool visible);
    // Both ruler panels; hidden, their room goes to the scroll box.
    void SetRulersVisible(bool visible);
    bool RulersVisible() const;
    // The texts of the select-report hint and the rulers' popups, after a
    // language change.
    void Retranslate();

    // The notifications of the designer-notification table that act on the
    // surface (band height, page layout, units, control and bar creation,
    // band created, removed, destroyed, bounds locks). Answers whether the
    // surface handled it; the window does its own part afterwards.
    bool HandleNotification(int message, TjxCommunicator* object);

    TjxBand* SelectedBand() const;
    void SetSelectedBand(TjxBand* band);

    // Column header and footer bands made or removed for column mode are
    // recorded here.
    void SetUndoManager(TjxUndoManager* undo);

    TjxWorkspace* Workspace() const;
    TjxDesignControlManager* ControlManager() const;
    // The outline shown while a band bar is dragged.
    TjxBoundsRect* BarZone() const;
    // The lowest bar's top: nothing is moved below it.
    int WorkspaceBottom() const;
    // The scroll box's ranges: the workspace's size plus an inch each way.
    QSize ScrollRange() const;
    QWidget* HorizontalRulerPanel() const;
    QWidget* VerticalRulerPanel() const;
    TjxRuler* HorizontalRuler() const;
    QScrollArea* ScrollBox() const;
    // The invisible edit that holds the keyboard focus while designing.
    QLineEdit* FocusEdit() const;
    QAbstractButton* SelectReportButton() const;

    // Set by the window: a unit picked in a ruler popup (after the surface set
    // it on every ruler and on the current report), and the rulers' "&Hide".
    std::function<void(TjxUnitType)> OnUnitsPicked;
    std::function<void()> OnHideRulers;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Places the ruler panels and the scroll box by what is shown.
    void LayoutParts();
    void ScheduleLayout();
    void Scrolled();
    void PlaceBarRuler(TjxBandControl* bar);
    void UnitsPicked(TjxUnitType units);
    void DestroyBand(TjxBand* band);
    void CreateColumnBand(int type);

    struct Parts;
    std::unique_ptr<Parts> m_parts;
};

} // namespace orvane
