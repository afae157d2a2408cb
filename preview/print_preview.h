#pragma once

// The preview window the producer opens for reports printed to "Screen": a
// window with the preview and a status bar, registered for
// "TjxCustomPreviewer". Closing it while pages are made stops the run first;
// the window goes once nothing of it is on the call stack.

#include "output/previewer.h"

#include <QPointer>
#include <memory>

class QDialog;

namespace orvane {

class TjxCustomPreview;
class TjxPrintPreviewWindow;
class TjxStatusBar;
class TjxViewer;

class TjxPrintPreview : public TjxCustomPreviewer {
    ORVANE_CLASS(TjxPrintPreview, TjxCustomPreviewer)
public:
    explicit TjxPrintPreview(TComponent* owner = nullptr);
    ~TjxPrintPreview() override;

    TComponent* Viewer() const override;
    TjxViewer* PreviewViewer() const;
    TjxCustomPreview* Preview() const { return m_preview.get(); }
    QDialog* Window() const;
    TjxStatusBar* StatusBar() const { return m_statusBar; }

    void SetZoomSetting(TjxZoomSettingType value) override;
    void SetZoomPercentage(int value) override;
    void Show() override;
    TModalResult ShowModal() override;
    // Stops a running job first and closes once it has unwound.
    void Close() override;
    bool IsShowing() const override;
    void SetWindowState(TWindowState state) override;
    void SetIcon(const TIcon& icon) override;

    // The window's size before it is maximised or when it is not.
    static constexpr int kDefaultWidth = 800;
    static constexpr int kDefaultHeight = 600;

protected:
    void LanguageChanged() override;
    void ReportChanged() override;

private:
    friend class TjxPrintPreviewWindow;
    void Activated();
    bool Busy() const;
    void ScheduleClose(int delayMs);

    QPointer<TjxPrintPreviewWindow> m_window;
    TjxStatusBar* m_statusBar = nullptr;
    std::unique_ptr<TjxCustomPreview> m_preview;
    std::shared_ptr<bool> m_alive;
    bool m_activated = false;
    bool m_closing = false;
    bool m_closed = false;
    bool m_modal = false;
};

} // namespace orvane
