#pragma once

#include "designer/designer.h"
#include "designer/settings/designer_settings.h"
#include "designer/settings/doc_history.h"
#include "designer/window/selection.h"
#include "document/designer_interface.h"
#include "document/units.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class QAction;
class QEventLoop;
class QMenu;
class QTabBar;
class QTabWidget;

namespace orvane {

class TjxCustomPreview;
class TjxCustomReport;
class TjxDesignSurface;
class TjxEditCommands;
class TjxStatusBar;
class TjxUndoDesignerHooks;
class TjxUndoManager;
class TjxWorkspaceEditor;

enum TjxBandType : int;

enum TjxDockSide : int { dsTop, dsBottom, dsLeft, dsRight };

// The designer window: the Design tab with the design surface, the Preview
// tab with a preview of the main report, the tab set of the main report and
// the child reports of its subreports, the main menu and a five-panel status
// bar. It is the component designer of the report it designs: the report's
// notifications reach it through the undo hooks it owns.
class TjxDesignerWindow : public QMainWindow, public TjxCustomDesignerWindow, public TjxComponentDesigner {
    Q_OBJECT
public:
    explicit TjxDesignerWindow(TjxDesigner* designer = nullptr, QWidget* parent = nullptr);
    ~TjxDesignerWindow() override;

    // ---- the designer component's part
    TComponent* EventSender() override { return m_sender.get(); }
    void SetReport(TjxReport* report) override;
    TjxReport* MainReport() const override { return m_mainReport; }
    void LoadSettings() override;
    void ShowModal() override;
    bool Modal() const override { return m_modal; }
    void Release() override;
    void SetTabsVisible(bool value) override;
    bool TabsVisible() const { return m_tabsVisible; }
    void SetAllowDataSettingsChange(bool value) override { m_allowDataSettingsChange = value; }
    void SetAllowSaveToFile(bool value) override;
    bool AllowSaveToFile() const { return m_allowSaveToFile; }
    void SetBaseCaption(const QString& value) override;
    void SetDataSettings(const TjxDataSettings& value) override { m_dataSettings.Assign(&value); }
    void SetIcon(const TIcon& icon) override;
    void SetPosition(TPosition value) override { m_position = value; }
    bool ShowData() const override { return m_showData; }
    void SetShowData(bool value) override;
    QRect Bounds() const override;
    void SetBounds(const QRect& bounds) override;
    TWindowState WindowState() const override;
    void SetWindowState(TWindowState value) override;
    int Tag() const override { return m_tag; }
    void SetTag(int value) override { m_tag = value; }
    bool Visible() const override { return isVisible(); }
    void SetVisible(bool value) override { setVisible(value); }
    void SetEvents(const TjxDesignerWindowEvents& events) override { m_events = events; }
    void SetPaletteClasses(const QStringList& classNames) override { m_paletteClasses = classNames; }
    const QStringList& PaletteClasses() const { return m_paletteClasses; }

    TjxDesignerInterface* DesignerInterface() const override;

    // ---- state
    TjxCustomReport* CurrentReport() const { return m_currentReport; }
    void SelectReport(TjxCustomReport* report);
    void ReportModified();
    void UpdateCaption();
    void UpdateStatusBar();
    void RefreshState();
    void LoadLanguage();
    // Writes the window's settings in one update; raises EOrvaneError when
    // they cannot be written.
    void SaveSettings();
    bool PreviewActive() const { return m_previewActive; }
    bool Printing() const { return m_printing; }
    bool ReportUpdating() const { return m_reportUpdating; }
    int UpdateLock() const { return m_updateLock; }
    void BeginUpdateLock() { ++m_updateLock; }
    // The decrement that reaches 0 refreshes.
    void EndUpdateLock();

    // ---- selection
    TjxDesignerSelection& Selection() { return m_selection; }
    // Raises EDesignError for a component without a design control.
    void AddSelection(TjxComponent* component);
    void RemoveSelection(TjxComponent* component) { m_selection.Remove(component); }
    void ClearSelection();

    // The objects OnSelectionChanged was last given: the selected components,
    // else the selected band, else the current report.
    const std::vector<TComponent*>& SelectionList() const { return m_selectionList; }

    TjxUndoManager* UndoManager() const { return m_undo.get(); }
    TjxUndoDesignerHooks* UndoHooks() const { return m_hooks.get(); }
    TjxEditCommands* EditCommands() const { return m_commands.get(); }
    // Selection, mouse and keys on the workspace.
    TjxWorkspaceEditor* Editor() const { return m_editor.get(); }
    TjxDocHistory& History() { return m_history; }

    // ---- commands
    bool CanCloseDesigner();
    bool ConfirmSave(TjxCustomReport* report);
    bool SaveLayout(TjxCustomReport* report);
    bool SaveLayoutAs(TjxCustomReport* report);
    void WriteLayout(TjxCustomReport* report);
    void ReadReport(TjxCustomReport* report);
    void OpenHistoryItem(int index);
    // File > Open (report: MainReport) and Load SubReport (CurrentReport).
    void OpenTemplate(TjxCustomReport* report);
    void NewReport();
    // Load From File and Load SubReport From File: a template file read
    // whatever the template's SaveTo; SaveTo, Offset and the file name are
    // put back afterwards, also when the load fails.
    void LoadFromFile(TjxCustomReport* report);
    // Save To File (text form, for the main report) and Save SubReport To
    // File (the template's own format): a copy in a file; what the template
    // and the report's modified flag were is put back, also on errors.
    void SaveToFile(TjxCustomReport* report, bool textForm);
    // The Report menu's band items: makes or frees the current report's band
    // of the kind, one undo task.
    void SetBandExists(TjxBandType type, bool exists);
    void SetRulersVisible(bool visible);
    bool RulersVisible() const;
    // A dialog of the dialog registry on a report: nothing without a
    // registered class; answers whether it was confirmed.
    bool RunReportDialog(const QString& abstractClass, TjxCustomReport* report);
    void About();
    // Enabling, visibility and checks of every menu, as opening each menu
    // sets them; shortcuts see the same state.
    void UpdateMenuState();
    void Print();
    // Edit > Undo and Redo on the current report: the selection marks are
    // hidden while it runs and shown again where the components are then.
    void UndoOrRedo(bool redo);
    void CutSelection();
    void CopySelection();
    void PasteComponents();
    void SelectAll();
    // The Design tab's Shift and Ctrl arrows: one screen pixel of size or place.
    void NudgeSelection(int key, Qt::KeyboardModifiers modifiers);
    void Help(const QString& keyPhrase);

    // ---- parts
    QTabWidget* Notebook() const { return m_notebook; }
    QWidget* DesignSheet() const { return m_designSheet; }
    QWidget* PreviewSheet() const { return m_previewSheet; }
    QTabBar* ReportTabs() const { return m_reportTabs; }
    TjxStatusBar* StatusBar() const { return m_statusBar; }
    TjxDesignSurface* Surface() const { return m_surface; }
    TjxCustomPreview* Preview() const { return m_preview.get(); }
    QWidget* DockSite(TjxDockSide side) const { return m_docks[side]; }
    QMenu* Menu(const QString& name) const;
    QAction* MenuItem(const QString& name) const;
    QList<QAction*> HistoryItems() const { return m_historyItems; }

    // The designer-notification receiver.
    void HandleNotification(int message, int code, TjxCommunicator* object);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class THandlerScope;

    void BuildParts();
    void BuildMenus();
    void BuildStatusBar();
    void LayoutStatusPanels();
    QAction* AddItem(QMenu* menu, const char* name, int message, const QKeySequence& shortcut = {});
    void SetMenuCaptions();
    // The template file dialog; an empty name when cancelled.
    QString ChooseTemplateFile(bool save, const QString& fileName);
    void FileMenuOpening();
    // Paste by the clipboard, Undo and Redo by their counts.
    void EditMenuOpening();
    void UpdateUndoItems();
    void ViewMenuOpening();
    void ReportMenuOpening();
    void RebuildHistoryItems();
    void SetPreviewMenusEnabled(bool enabled);
    void RebuildReportTabs();
    void ActivateReportTab(TjxCustomReport* report);
    void RemoveReportTab(TjxCustomReport* report);
    QString ReportTabCaption(TjxCustomReport* report) const;
    void ReportTabChanged(int index);
    void NotebookChanged(int index);
    bool EnterPage(int index);
    void LeavePage(int index);
    bool EnterPreview();
    void LeavePreview();
    void EnterDesign();
    void NotifySelection();
    // The selection's bounds where a move or resize has its outline now.
    TjxSelectionBounds DragSelectionBounds() const;
    void DeleteSelection();
    void SetUnits(TjxUnitType units);
    void ApplyShowData();
    // Runs a menu command: refused while a tab or report switch runs; an
    // error is shown, never passed on.
    void Command(const std::function<void()>& fn);
    TjxDesignerWindowSettings CurrentSettings() const;
    void FreeLater();
    // A window event of the designer's, with this window as Sender; its errors are shown.
    void FireEvent(const TMethod& handler);

    TjxDesigner* m_designer;
    std::unique_ptr<TComponent> m_sender;
    std::unique_ptr<TjxUndoManager> m_undo;
    std::unique_ptr<TjxUndoDesignerHooks> m_hooks;
    std::unique_ptr<TjxEditCommands> m_commands;
    std::unique_ptr<TjxWorkspaceEditor> m_editor;
    TjxDesignerSelection m_selection;
    TjxDocHistory m_history;
    std::unique_ptr<TjxCustomPreview> m_preview;
    std::vector<TComponent*> m_selectionList;  // what OnSelectionChanged was last given

    TjxReport* m_mainReport = nullptr;
    TjxCustomReport* m_currentReport = nullptr;
    TjxDesignerWindowEvents m_events;
    TjxDataSettings m_dataSettings;
    QStringList m_paletteClasses;
    QString m_baseCaption;
    TPosition m_position = poScreenCenter;
    bool m_tabsVisible = true;
    bool m_allowDataSettingsChange = false;
    bool m_allowSaveToFile = true;
    bool m_showData = true;
    // Kept: refreshed after every command and clipboard change.
    QAction* m_undoItem = nullptr;
    QAction* m_redoItem = nullptr;
    QAction* m_pasteItem = nullptr;
    bool m_snapToGrid = false;
    QString m_defaultFontName;
    int m_defaultFontSize = 10;
    int m_tag = 0;
    int m_updateLock = 0;

    bool m_modal = false;
    bool m_previewActive = false;
    bool m_printing = false;
    bool m_reportUpdating = false;
    bool m_destroying = false;
    bool m_released = false;
    bool m_switching = false;   // a tab or report switch runs: commands wait
    bool m_settingReport = false;
    int m_handlerDepth = 0;     // handlers of this window on the stack
    int m_previousPage = 0;
    QEventLoop* m_loop = nullptr;

    QTabWidget* m_notebook = nullptr;
    QWidget* m_designSheet = nullptr;
    QWidget* m_previewSheet = nullptr;
    QTabBar* m_reportTabs = nullptr;
    std::vector<TjxCustomReport*> m_tabReports;
    TjxDesignSurface* m_surface = nullptr;
    TjxStatusBar* m_statusBar = nullptr;
    QWidget* m_docks[4] = {};
    QList<QAction*> m_historyItems;
    QAction* m_historySeparator = nullptr;
    QMenu* m_fileMenu = nullptr;
};

} // namespace orvane
