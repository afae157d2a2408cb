#pragma once

// The viewer: one page of a report at a time, scaled to a zoom, with
// scrolling, page navigation and clickable draw commands. It owns the screen
// device; navigating is a page request through it.

#include "document/communicator.h"
#include "document/report_settings.h"
#include "preview/screen_device.h"

#include <QWidget>
#include <functional>
#include <memory>

class QScrollArea;

namespace orvane {

class TjxPrinterSetup;
class TjxProducer;

// The viewer's events on the event channel; the same numbers serve the
// viewer's signals for the preview.
inline constexpr int ciViewerStatusChange = ciViewerStatusFirst;
inline constexpr int ciViewerReset = ciViewerStatusSecond;
inline constexpr int ciViewerMouseDown = ciViewerStatusThird;

class TjxViewerPaintBox;

class TjxViewer : public QWidget, public TjxCommunicator, private TjxScreenView {
    Q_OBJECT
    ORVANE_CLASS(TjxViewer, TjxCommunicator)
public:
    explicit TjxViewer(QWidget* parent = nullptr);
    ~TjxViewer() override;

    TjxScreenDevice* ScreenDevice() const { return m_device; }

    TjxProducer* Report() const { return m_report; }
    // Attaches the screen device to the report's publisher; none detaches.
    void SetReport(TjxProducer* report);

    TjxZoomSettingType ZoomSetting() const override { return m_zoomSetting; }
    void SetZoomSetting(TjxZoomSettingType value);
    int ZoomPercentage() const override { return m_zoomPercentage; }
    // Clamped to 25..250; switches the setting to zsPercentage.
    void SetZoomPercentage(int value);
    TColor PageColor() const override { return m_pageColor; }
    void SetPageColor(TColor value);
    // The designer's preview tab draws on a design surface.
    bool DesignSurface() const { return m_designSurface; }
    void SetDesignSurface(bool value);

    // Navigation: nothing while a job runs or after a cancel.
    void FirstPage();
    void PriorPage();
    void NextPage();
    void LastPage();
    void GotoPage(int pageNo);

    TjxPage* CurrentPage() const { return m_device->ShownPage(); }
    int AbsolutePageNo() const;
    int ZoomPercentageShown() const { return m_device->ZoomPercentageShown(); }
    QString Status() const { return m_device->StatusText(); }
    // A job runs: pages are being made for this viewer.
    bool Busy() const;
    // 0 a page up, 1 a page down, 2 a page left, 3 a page right.
    void Scroll(int kind);
    // The report's cancel.
    void Cancel();
    // Asks the report's search values again (when it has a step for that), then Regenerate.
    void RegenerateReport();
    // Makes the report's pages again from the first one.
    void Regenerate();
    void Reset();
    // Prints the report on its printer from the page shown; the report's
    // device type and search dialog setting are restored afterwards, also
    // when printing fails or is cancelled.
    void Print();

    // Fired before a regeneration.
    std::function<void(TjxViewer*)> ResetHandler;

    // The scroll area (created on first need) and its inner paint box.
    QScrollArea* ScrollBox() const { return m_scrollBox; }
    QWidget* PaintBox() const;

signals:
    void pageChanged();
    void printStateChanged();
    void statusChanged();
    void viewerReset();
    void pageClicked();
    void mouseDown(Qt::MouseButton button, const QPoint& position);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void Notification(TComponent* component, TOperation operation) override;
    void EventNotify(TjxCommunicator* sender, int eventId, TjxEventParams* params) override;

private:
    friend class TjxViewerPaintBox;

    // TjxScreenView
    QSize ClientSize() const override;
    QRect VisibleRect() const override;
    bool ViewEnabled() const override { return isEnabled(); }
    TjxProducer* ViewReport() const override { return m_report; }
    void ImageReplaced() override;
    void PageShown() override;
    void StatusChanged() override;
    void ImageRectChanged(const QRect& rect) override;

    bool CanDraw();
    bool PaintAllowed() const { return m_ready && !m_designSurface && !m_redrawingCommand; }
    void CreateChildren();
    void UpdateScrollBars();
    void PageChangedEvent();
    void PrintStateChangedEvent();
    void PublisherChanged();
    void RestoreAfterPrint();
    void ClickAt(const QPoint& position);
    // The image could not be drawn: says so once, paints the surround.
    void RenderFailed(const std::exception& error);
    void UpdateCursor(const QPoint& position);

    TjxScreenDevice* m_device = nullptr;  // owned through the component tree
    QScrollArea* m_scrollBox = nullptr;
    TjxViewerPaintBox* m_paintBox = nullptr;
    TjxProducer* m_report = nullptr;
    TjxZoomSettingType m_zoomSetting = zsWholePage;
    int m_zoomPercentage = 100;
    TColor m_pageColor = clWindow;
    bool m_designSurface = false;
    bool m_ready = false;
    bool m_resetScrollPosition = true;
    bool m_redrawingCommand = false;
    bool m_destroying = false;
    bool m_renderFailed = false;
    int m_busy = 0;

    // While printing from the viewer.
    struct PrintState;
    std::unique_ptr<PrintState> m_printState;
};

} // namespace orvane
