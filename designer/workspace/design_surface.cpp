#include "designer/workspace/design_surface.h"

#include <QLineEdit>
#include <QScrollArea>
#include <QToolButton>

namespace orvane {

// Placeholder parts until the workspace lands: empty panels, nothing shown.
struct TjxDesignSurface::Parts {
    TjxCustomReport* report = nullptr;
    TjxBand* selectedBand = nullptr;
    QScrollArea* scrollBox = nullptr;
    QLineEdit* focusEdit = nullptr;
    QToolButton* selectReport = nullptr;
};

TjxDesignSurface::TjxDesignSurface(QWidget* parent) : QWidget(parent), m_parts(std::make_unique<Parts>())
{
    m_parts->scrollBox = new QScrollArea(this);
    m_parts->focusEdit = new QLineEdit(this);
    m_parts->focusEdit->setFixedSize(0, 0);
    m_parts->selectReport = new QToolButton(this);
}

TjxDesignSurface::~TjxDesignSurface() = default;

void TjxDesignSurface::SetCurrentReport(TjxCustomReport* report) { m_parts->report = report; }
TjxCustomReport* TjxDesignSurface::CurrentReport() const { return m_parts->report; }
void TjxDesignSurface::LayoutBands() {}
TjxBand* TjxDesignSurface::BandAt(int) const { return nullptr; }
void TjxDesignSurface::WorkspaceResize() {}
void TjxDesignSurface::UpdateWorkspaceWidth() {}
void TjxDesignSurface::SetUnits(TjxUnitType) {}
void TjxDesignSurface::EraseGuides() {}
void TjxDesignSurface::ShowWorkspace(bool) {}
bool TjxDesignSurface::HandleNotification(int, TjxCommunicator*) { return false; }
TjxBand* TjxDesignSurface::SelectedBand() const { return m_parts->selectedBand; }
void TjxDesignSurface::SetSelectedBand(TjxBand* band) { m_parts->selectedBand = band; }
void TjxDesignSurface::SetUndoManager(TjxUndoManager*) {}
TjxWorkspace* TjxDesignSurface::Workspace() const { return nullptr; }
TjxRuler* TjxDesignSurface::HorizontalRuler() const { return nullptr; }
QScrollArea* TjxDesignSurface::ScrollBox() const { return m_parts->scrollBox; }
QLineEdit* TjxDesignSurface::FocusEdit() const { return m_parts->focusEdit; }
QAbstractButton* TjxDesignSurface::SelectReportButton() const { return m_parts->selectReport; }

} // namespace orvane
