#pragma once

// The auto-search dialog: one panel per search field, in one scroll box or,
// with two or more groups, one tab per group.

#include "document/auto_search_dialog.h"

#include <QDialog>
#include <QPointer>
#include <vector>

class QMenu;
class QTabWidget;
class QWidget;

namespace orvane {

class TjxAutoSearchPanel;

class TjxAutoSearchDialog : public TjxCustomAutoSearchDialog {
    ORVANE_CLASS(TjxAutoSearchDialog, TjxCustomAutoSearchDialog)
public:
    explicit TjxAutoSearchDialog(TComponent* owner = nullptr);
    ~TjxAutoSearchDialog() override;

    TModalResult ShowModal() override;
    void Close() override;
    bool IsShowing() const override;

    QDialog* Window() const { return m_window; }
    // Builds the panels for the groups' fields (done when shown).
    void BuildPanels();
    // OK: every panel is checked; closes only when all are valid. Pages
    // with an invalid entry get the error bullet on their tab.
    bool OkClicked();
    QTabWidget* Tabs() const { return m_tabs; }
    // The tabs' menu while the report is being designed (none otherwise):
    // moves the tab left or right, writing the new order into the groups.
    QMenu* TabMenu(int tab);
    void MoveTab(int from, int to);

private:
    QPointer<QDialog> m_window;
    QWidget* m_body = nullptr;
    QWidget* m_requiredPanel = nullptr;
    QTabWidget* m_tabs = nullptr;
    std::vector<TjxAutoSearchPanel*> m_panels;
    std::vector<int> m_panelPage;
};

} // namespace orvane
