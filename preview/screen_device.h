#pragma once

// The screen device: keeps a copy of the page on screen and renders it at the
// viewer's zoom into an off-screen image that the viewer's paint box copies
// from. It reaches the viewer only through TjxScreenView, so that its layout
// and rendering work (and are tested) without widgets.

#include "document/graphic_objects.h"
#include "document/report_settings.h"
#include "engine/text_search.h"
#include "output/device.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace orvane {

class TjxCanvas;
class TjxPage;
class TjxProducer;

// What the device needs of the window that shows its image.
class TjxScreenView {
public:
    virtual ~TjxScreenView() = default;
    // The scroll box's client area without scroll bars.
    virtual QSize ClientSize() const = 0;
    // The part of the image in view, in image coordinates.
    virtual QRect VisibleRect() const = 0;
    virtual TjxZoomSettingType ZoomSetting() const = 0;
    virtual int ZoomPercentage() const = 0;
    virtual TColor PageColor() const = 0;
    virtual bool ViewEnabled() const = 0;
    virtual TjxProducer* ViewReport() const = 0;
    // A new image size: show the scroll box, size the paint box.
    virtual void ImageReplaced() = 0;
    // A requested page was drawn: scroll bars, repaint, page-changed event.
    virtual void PageShown() = 0;
    virtual void StatusChanged() = 0;
    // A part of the image was drawn again and must reach the screen.
    virtual void ImageRectChanged(const QRect& rect) = 0;
};

// Where the page sits in the image at a zoom.
struct TjxScreenLayout {
    QSize image;           // the whole image (the paint box's size)
    int pageLeft = 0;
    int pageTop = 0;
    int pageWidth = 1;     // PageWidthShown
    int pageHeight = 1;    // PageHeightShown
    double zoomX = 1;      // shown size over paper size in screen pixels
    double zoomY = 1;
    int zoomShown = 100;
};

// The layout of a paper of `paper` screen pixels. `client` is the scroll box's
// client size; without a view the page shows at 100 % with its margin.
// Sizes are never below one pixel.
TjxScreenLayout ComputeScreenLayout(TjxZoomSettingType setting, int percentage, bool hasView, QSize client,
                                    QSize paper, int ppi = 96);

// "Calculating page <page> for report <documentname>", the status while a
// page is being made.
QString CalculatingPageText(int pageNo, const QString& documentName);

class TjxScreenDevice : public TjxRasterDevice {
    ORVANE_CLASS(TjxScreenDevice, TjxRasterDevice)
public:
    // Images larger than this are rendered only around the part in view.
    static constexpr qint64 kMaxImagePixels = 16 * 1024 * 1024;
    static constexpr int kMaxImageSide = 16384;

    explicit TjxScreenDevice(TComponent* owner = nullptr);
    ~TjxScreenDevice() override;

    static QString ClassDeviceName() { return QStringLiteral("Screen"); }
    QString DeviceName() const override { return ClassDeviceName(); }
    bool HidesProvisionalPages() const override { return false; }

    // The window showing the image (not owned); none for a device on its own.
    TjxScreenView* View() const { return m_view; }
    void SetView(TjxScreenView* view) { m_view = view; }

    TjxPage* ShownPage() const { return m_shownPage.get(); }
    int PageLeft() const { return m_layout.pageLeft; }
    int PageTop() const { return m_layout.pageTop; }
    int PageWidthShown() const { return m_layout.pageWidth; }
    int PageHeightShown() const { return m_layout.pageHeight; }
    double ZoomFactorX() const { return m_layout.zoomX; }
    double ZoomFactorY() const { return m_layout.zoomY; }
    int ZoomPercentageShown() const { return m_layout.zoomShown; }
    // The whole image's size (what the paint box shows).
    QSize ImageSize() const { return m_layout.image; }
    // The rendered image and the part of the whole image it covers: all of
    // it, unless the image is too large to keep at once.
    const QImage& Image() const { return m_image; }
    QRect ImageRect() const { return m_imageRect; }
    // Renders the image again when `rect` (whole-image coordinates) is not covered.
    void EnsureRendered(const QRect& rect);
    // The rendered image as a whole, when it covers all of it (tests, the search).
    QImage PageImage() const;

    bool ShowStatus() const { return m_showStatus; }
    void SetShowStatus(bool value) { m_showStatus = value; }
    // Off for a device that only reads the pages it asks for (the text
    // search): no image is made of them.
    bool DrawsPages() const { return m_drawsPages; }
    void SetDrawsPages(bool value) { m_drawsPages = value; }

    // The search's highlights of the shown page: commands drawn over it, and
    // copies drawn instead of some of its commands (a rich text with its
    // matches recoloured). The page itself stays as the report made it; a
    // page received for showing drops them.
    const std::vector<std::unique_ptr<TjxDrawCommand>>& Highlights() const { return m_highlights; }
    // The command drawn instead of one of the shown page's, or none.
    const TjxDrawCommand* Substitute(const TjxDrawCommand* command) const;
    void SetHighlights(TjxPageHighlights highlights);
    // Asked for the highlights of each page received for showing, before it
    // is drawn, so that a page is drawn once, with them.
    std::function<TjxPageHighlights(const TjxPage& page)> HighlightsForPage;
    // For a device that only reads the pages it asks for (the search's): a
    // requested page is handed over while it is delivered instead of being
    // copied and kept. The page lives only for the call.
    std::function<void(const TjxPage& page)> PageReader;

    // Fired after the shown page was drawn.
    std::function<void(TjxScreenDevice*)> PageDrawnHandler;

    // Lays the shown page out again at the view's zoom and size and draws it.
    void DrawShownPage();

    // Navigation: nothing while a job runs or after a cancel.
    void FirstPage();
    void LastPage();
    void GotoPage(int pageNo);
    // The first clickable command of the shown page whose device rectangle
    // holds the point (edges included).
    TjxDrawCommand* HitTest(int x, int y) const;

    void Cancel() override;
    bool DrawCommand(TjxDrawCommand* command) override;
    bool RedrawCommand(TjxDrawCommand* command) override;
    void EndJob() override;
    void ReceivePage(TjxPage* page) override;
    void Reset() override;
    void StartJob() override;
    void SetStatusText(const QString& text) override;

    void EventNotify(TjxCommunicator* sender, int eventId, TjxEventParams* params) override;

private:
    // The device rectangle of a command at the zoom.
    void CalcDeviceRect(TjxDrawCommand* command) const;
    void Render(const QRect& area, bool notify);
    QRect RenderArea(const QRect& wanted) const;
    bool ReportCompleted(const TjxPage& page) const;
    int KnownPageCount(const TjxPage& page) const;
    QString PageStatus(const TjxPage& page) const;
    QSize PaperPixels() const;
    void ProcessMessages() const;

    TjxScreenView* m_view = nullptr;
    std::unique_ptr<TjxPage> m_shownPage;
    TjxScreenLayout m_layout;
    QImage m_image;
    QRect m_imageRect;
    TjxCanvas* m_canvas = nullptr;  // while drawing
    bool m_showStatus = true;
    bool m_drawsPages = true;
    void TakeHighlights(TjxPageHighlights highlights);

    std::vector<std::unique_ptr<TjxDrawCommand>> m_highlights;
    std::map<const TjxDrawCommand*, std::unique_ptr<TjxDrawCommand>> m_substitutes;
};

} // namespace orvane
