#pragma once

// The preview: a toolbar, the viewer and its status, turning buttons, keys
// and viewer events into viewer operations. It is not a window, so that the
// preview window and the designer's preview tab can both hold one.

#include "document/communicator.h"
#include "preview/status_bar.h"
#include "preview/viewer.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class QButtonGroup;
class QKeyEvent;
class QLineEdit;
class QSplitter;
class QToolButton;
class QWidget;

namespace orvane {

class TjxProducer;
class TjxOutlineViewer;
class TjxTextSearchPreview;

// Toolbar actions by tag.
enum TjxPreviewAction : int {
    paPrint = 0,
    paAutoSearch = 1,
    paFindText = 2,
    paWholePage = 3,
    paPageWidth = 4,
    pa100Percent = 5,
    paFirstPage = 6,
    paPriorPage = 7,
    paNextPage = 8,
    paLastPage = 9,
    paCancel = 10,
    paClose = 11,
};

class TjxCustomPreview : public TjxCommunicator {
    ORVANE_CLASS(TjxCustomPreview, TjxCommunicator)
public:
    // The viewer fills `parent` (subclasses lay out more around it).
    explicit TjxCustomPreview(QWidget* parent);
    ~TjxCustomPreview() override;

    QWidget* Parent() const { return m_parent; }
    TjxViewer* Viewer() const { return m_viewer; }
    TjxProducer* Report() const { return m_report; }
    // The status bar the preview writes to (not owned); none writes nowhere.
    TjxStatusBar* StatusBar() const { return m_statusBar; }
    void SetStatusBar(TjxStatusBar* bar);

    // Shows the report: its pages come to the viewer from now on.
    virtual void Start(TjxProducer* report);
    // Runs a toolbar action; failures are shown, never passed on.
    virtual void PerformAction(int action);
    // A key the window received; true when the preview used it.
    virtual bool KeyDown(QKeyEvent* event);
    // Something of the preview is on the call stack (pages being made,
    // printing): the window must not go away yet.
    bool InUse() const { return m_inUse > 0; }

    std::function<void(TjxCustomPreview*)> CloseHandler;
    std::function<void(TjxCustomPreview*)> BeforePreviewPrintHandler;
    std::function<void(TjxCustomPreview*)> AfterPreviewPrintHandler;
    std::function<void(TjxCustomPreview*)> ZoomChangedHandler;

    // Keeps InUse true for a scope.
    class TUseScope {
    public:
        explicit TUseScope(TjxCustomPreview* preview) : m_preview(preview) { ++m_preview->m_inUse; }
        ~TUseScope() { --m_preview->m_inUse; }
        TUseScope(const TUseScope&) = delete;
        TUseScope& operator=(const TUseScope&) = delete;

    private:
        TjxCustomPreview* m_preview;
    };

protected:
    // Viewer events.
    virtual void PageChanged() {}
    virtual void PrintStateChanged() {}
    virtual void StatusChanged();
    virtual void ViewerReset() {}
    // The viewer of a subclass goes where the subclass puts it.
    QWidget* ViewerParent() const;
    // Runs fn; an error is shown in a message box.
    static void Guarded(const std::function<void()>& fn);

    QObject* Context() const { return m_context.get(); }

private:
    QPointer<QWidget> m_parent;
    QPointer<TjxViewer> m_viewer;
    QPointer<TjxStatusBar> m_statusBar;
    TjxProducer* m_report = nullptr;
    int m_inUse = 0;
    // Connections die with the preview.
    std::unique_ptr<QObject> m_context;

protected:
    void Notification(TComponent* component, TOperation operation) override;
};

// The preview with its toolbar.
class TjxPreview : public TjxCustomPreview {
    ORVANE_CLASS(TjxPreview, TjxCustomPreview)
public:
    explicit TjxPreview(QWidget* parent);
    ~TjxPreview() override;

    void Start(TjxProducer* report) override;
    bool KeyDown(QKeyEvent* event) override;
    void PerformAction(int action) override;

    // Hints and captions in the current language.
    void Retranslate();

    QWidget* ToolPanel() const { return m_toolPanel; }
    QToolButton* Button(int action) const;
    QLineEdit* PageEdit() const { return m_pageEdit; }
    QLineEdit* ZoomEdit() const { return m_zoomEdit; }
    QLineEdit* FocusEdit() const { return m_focusEdit; }
    QWidget* LeftPanel() const { return m_leftPanel; }
    TjxOutlineViewer* OutlineViewer() const { return m_outlineViewer; }
    // The search toolbar (shown while the Find Text button is down) and its match list.
    TjxTextSearchPreview* SearchPreview() const { return m_search; }
    // Shows or hides the outline panel (the designer's preview tab follows the report's setting).
    void SetOutlineVisible(bool visible);

    void EventNotify(TjxCommunicator* sender, int eventId, TjxEventParams* params) override;

protected:
    void PageChanged() override;
    void PrintStateChanged() override;
    void ViewerReset() override;

private:
    class TKeyFilter;

    void BuildToolbar();
    void ButtonClicked(int action);
    void PageEditEntered();
    void ZoomEditEntered();
    void UpdateZoomButtons();
    void SetNavigationEnabled(bool first, bool prior, bool next, bool last, bool edit);
    void UpdateLeftPanel();
    void StartPendingAutomaticSearch();
    void RefreshVisibility();

    QWidget* m_toolPanel = nullptr;
    QWidget* m_innerPanel = nullptr;
    QWidget* m_leftPanel = nullptr;
    TjxOutlineViewer* m_outlineViewer = nullptr;
    TjxTextSearchPreview* m_search = nullptr;
    bool m_automaticSearchDone = false;
    bool m_automaticSearchPending = false;
    bool m_outlineWanted = false;
    QSplitter* m_splitter = nullptr;
    QToolButton* m_buttons[11] = {};
    QButtonGroup* m_zoomGroup = nullptr;
    QLineEdit* m_pageEdit = nullptr;
    QLineEdit* m_zoomEdit = nullptr;
    QLineEdit* m_focusEdit = nullptr;
    std::unique_ptr<TKeyFilter> m_keyFilter;
    bool m_starting = false;
    bool m_cancelled = false;
};

// The preview class registry: one slot, set when the user-interface library
// loads. Creating a preview makes an instance of the registered class.
using TjxPreviewFactory = std::function<TjxCustomPreview*(QWidget* parent)>;
void RegisterPreviewClass(TjxPreviewFactory factory);
void UnregisterPreviewClass();
// None when no class is registered.
TjxCustomPreview* CreatePreview(QWidget* parent);

} // namespace orvane
