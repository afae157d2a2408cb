#include "preview/screen_device.h"

#include "document/custom_report.h"
#include "document/messages.h"
#include "document/page_def.h"
#include "document/printer_setup.h"
#include "document/units.h"
#include "output/draw_barcode.h"
#include "output/draw_image.h"
#include "output/draw_line.h"
#include "output/draw_other.h"
#include "output/draw_shape.h"
#include "output/draw_text.h"
#include "output/page.h"
#include "output/publisher.h"
#include "platform/canvas.h"

#include <QCoreApplication>
#include <QPainter>
#include <algorithm>

namespace orvane {

QString CalculatingPageText(int pageNo, const QString& documentName)
{
    return FillMessage(FormatMessage(GetMessage(4)), {QString::number(pageNo), documentName});
}

const TClassInfo& TjxScreenDevice::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxScreenDevice>("TjxScreenDevice", &TjxRasterDevice::StaticClass()).Build();
    return info;
}

namespace {

int Round(long double value) { return int(RoundHalfEven(value)); }

} // namespace

TjxScreenLayout ComputeScreenLayout(TjxZoomSettingType setting, int percentage, bool hasView, QSize client,
                                    QSize paper, int ppi)
{
    TjxScreenLayout l;
    const int pw = std::max(1, paper.width());
    const int ph = std::max(1, paper.height());
    const int bw = std::max(0, client.width());
    const int bh = std::max(0, client.height());
    int W = 1, H = 1;
    int imageW = 1, imageH = 1;
    if (!hasView || setting == zs100Percent || setting == zsPercentage) {
        const int p = hasView && setting == zsPercentage ? percentage : 100;
        H = Round(static_cast<long double>(ph) * p / 100);
        W = Round(static_cast<long double>(pw) * p / 100);
        const int m = 2 * Round(ppi * 0.25L);
        imageH = hasView ? std::max(bh, H + m) : ph + m;
        imageW = hasView ? std::max(bw, W + m) : pw + m;
    } else if (setting == zsWholePage) {
        imageH = bh;
        imageW = bw;
        const int q = Round(ppi * 0.25L);
        H = bh - q;
        W = Round(static_cast<long double>(H) * pw / ph);
        if (imageH > Round(ppi * 0.5L) && imageW > Round(ppi * 0.5L)) {
            // A wide page in a narrow window: quarter inches off the height
            // until it fits across (and never below nothing).
            while (W >= imageW && H > q) {
                H -= q;
                W = Round(static_cast<long double>(H) * pw / ph);
            }
        }
    } else {
        const int m = 2 * Round(ppi * 0.125L);
        W = bw - m - Round(ppi * 0.1458L);
        H = Round(static_cast<long double>(W) / (static_cast<long double>(pw) / ph));
        imageH = std::max(bh, m + H);
        imageW = m + W;
    }
    // A tiny window still shows a page of one pixel rather than a negative one.
    l.pageWidth = std::max(1, W);
    l.pageHeight = std::max(1, H);
    l.image = QSize(std::max(1, imageW), std::max(1, imageH));
    l.pageLeft = (l.image.width() - l.pageWidth) / 2;
    l.pageTop = (l.image.height() - l.pageHeight) / 2;
    l.zoomX = double(l.pageWidth) / pw;
    l.zoomY = double(l.pageHeight) / ph;
    l.zoomShown = Round(static_cast<long double>(l.pageHeight) / ph * 100);
    return l;
}

TjxScreenDevice::TjxScreenDevice(TComponent* owner)
    : TjxRasterDevice(owner), m_shownPage(std::make_unique<TjxPage>())
{
    PageRequest()->SetPageSetting(psFirstPage);
    PageRequest()->SetPageRequested(1);
    AddEventInterest(ciReportNoData);
    m_layout = ComputeScreenLayout(zsWholePage, 100, false, QSize(), PaperPixels());
}

TjxScreenDevice::~TjxScreenDevice() = default;

QSize TjxScreenDevice::PaperPixels() const
{
    const TjxPageDef* def = m_shownPage->PageDef();
    return QSize(ThousandthsToPixels(def->mmWidth(), kScreenPixelsPerInch),
                 ThousandthsToPixels(def->mmHeight(), kScreenPixelsPerInch));
}

void TjxScreenDevice::ProcessMessages() const
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

// ---- layout and rendering ----

void TjxScreenDevice::DrawShownPage()
{
    const QSize paper = PaperPixels();
    if (paper.width() <= 0 || paper.height() <= 0)
        return;
    const bool hasView = m_view != nullptr;
    m_layout = ComputeScreenLayout(hasView ? m_view->ZoomSetting() : zs100Percent,
                                   hasView ? m_view->ZoomPercentage() : 100, hasView,
                                   hasView ? m_view->ClientSize() : QSize(), paper);
    if (m_view)
        m_view->ImageReplaced();
    const QRect whole(QPoint(0, 0), m_layout.image);
    Render(RenderArea(m_view ? m_view->VisibleRect() : whole), true);
    if (PageDrawnHandler)
        PageDrawnHandler(this);
}

QRect TjxScreenDevice::RenderArea(const QRect& wanted) const
{
    const QRect whole(QPoint(0, 0), m_layout.image);
    if (qint64(whole.width()) * whole.height() <= kMaxImagePixels && whole.width() <= kMaxImageSide &&
        whole.height() <= kMaxImageSide)
        return whole;
    // Too large to keep: the part in view and half a view around it.
    QRect visible = wanted.intersected(whole);
    if (visible.isEmpty())
        visible = QRect(QPoint(0, 0), QSize(1024, 768)).intersected(whole);
    QRect area = visible.adjusted(-visible.width() / 2, -visible.height() / 2, visible.width() / 2,
                                  visible.height() / 2);
    area = area.intersected(whole);
    area.setWidth(std::min(area.width(), kMaxImageSide));
    area.setHeight(std::min(area.height(), kMaxImageSide));
    while (qint64(area.width()) * area.height() > kMaxImagePixels)
        area.setHeight(area.height() / 2);
    return area;
}

void TjxScreenDevice::EnsureRendered(const QRect& rect)
{
    if (m_image.isNull() || m_imageRect.contains(rect.intersected(QRect(QPoint(0, 0), m_layout.image))))
        return;
    Render(RenderArea(rect), false);
}

QImage TjxScreenDevice::PageImage() const
{
    return m_imageRect == QRect(QPoint(0, 0), m_layout.image) ? m_image : QImage();
}

void TjxScreenDevice::Render(const QRect& area, bool notify)
{
    QImage image(area.size(), QImage::Format_RGB32);
    if (image.isNull())
        return;  // no memory for it: the old image stays
    m_image = std::move(image);
    m_imageRect = area;
    m_image.fill(ToQColor(clBtnShadow));
    QPainter painter(&m_image);
    painter.translate(-area.left(), -area.top());
    TjxCanvas canvas(&painter, kScreenPixelsPerInch, kScreenPixelsPerInch);
    canvas.SetScreenZoom(m_layout.zoomX, m_layout.zoomY);
    canvas.SetBrush(m_view ? m_view->PageColor() : clWhite, bsSolid);
    canvas.SetPen(clBlack, psSolid, 1);
    canvas.Rectangle(m_layout.pageLeft, m_layout.pageTop, m_layout.pageLeft + m_layout.pageWidth,
                     m_layout.pageTop + m_layout.pageHeight);
    if (notify)
        SendEventNotify(ciScreenDevicePageDrawFirst);
    m_canvas = &canvas;
    try {
        DrawPage(m_shownPage.get());
        for (const auto& highlight : m_highlights)
            DrawCommand(highlight.get());
    } catch (...) {
        m_canvas = nullptr;
        throw;
    }
    m_canvas = nullptr;
    if (notify)
        SendEventNotify(ciScreenDevicePageDrawLast);
}

void TjxScreenDevice::TakeHighlights(TjxPageHighlights highlights)
{
    m_highlights = std::move(highlights.Overlays);
    m_substitutes.clear();
    for (auto& [index, command] : highlights.Substitutes)
        if (index >= 0 && index < m_shownPage->DrawCommandCount())
            m_substitutes.emplace(m_shownPage->DrawCommand(index), std::move(command));
}

void TjxScreenDevice::SetHighlights(TjxPageHighlights highlights)
{
    const bool had = !m_highlights.empty() || !m_substitutes.empty();
    TakeHighlights(std::move(highlights));
    // Nothing drawn and nothing to draw: the image stands.
    if (!had && m_highlights.empty() && m_substitutes.empty())
        return;
    if (m_shownPage && m_shownPage->AbsolutePageNo() > 0)
        DrawShownPage();
}

const TjxDrawCommand* TjxScreenDevice::Substitute(const TjxDrawCommand* command) const
{
    const auto it = m_substitutes.find(command);
    return it == m_substitutes.end() ? nullptr : it->second.get();
}

void TjxScreenDevice::CalcDeviceRect(TjxDrawCommand* command) const
{
    // Each edge is converted to screen pixels first, then zoomed, so that at
    // 100 % the page is the printed page at the screen's resolution.
    const auto x = [](int th) { return ThousandthsToPixels(th, kScreenPixelsPerInch); };
    TjxDeviceRect r;
    r.left = Round(x(command->Left()) * static_cast<long double>(m_layout.zoomX)) + m_layout.pageLeft;
    r.right = Round(x(command->Left() + command->Width()) * static_cast<long double>(m_layout.zoomX)) +
              m_layout.pageLeft;
    r.top = Round(x(command->Top()) * static_cast<long double>(m_layout.zoomY)) + m_layout.pageTop;
    r.bottom = Round(x(command->Top() + command->Height()) * static_cast<long double>(m_layout.zoomY)) +
               m_layout.pageTop;
    command->SetDeviceRect(r);
}

bool TjxScreenDevice::DrawCommand(TjxDrawCommand* command)
{
    if (!m_canvas)
        return false;
    const TClassInfo& cls = command->ClassInfo();
    if (!cls.InheritsFrom(TjxDrawText::StaticClass()) && !cls.InheritsFrom(TjxDrawShape::StaticClass()) &&
        !cls.InheritsFrom(TjxDrawBarCode::StaticClass()) && !cls.InheritsFrom(TjxDrawLine::StaticClass()) &&
        !cls.InheritsFrom(TjxDrawImage::StaticClass()) && !cls.InheritsFrom(TjxDrawRichText::StaticClass()))
        return false;
    CalcDeviceRect(command);
    if (!m_substitutes.empty())
        if (const auto it = m_substitutes.find(command); it != m_substitutes.end()) {
            // Drawn in the page command's place; the page's command keeps its
            // device rectangle for clicks.
            CalcDeviceRect(it->second.get());
            return it->second->Draw(*m_canvas);
        }
    return command->Draw(*m_canvas);
}

bool TjxScreenDevice::RedrawCommand(TjxDrawCommand* command)
{
    if (m_image.isNull())
        return true;
    QPainter painter(&m_image);
    painter.translate(-m_imageRect.left(), -m_imageRect.top());
    TjxCanvas canvas(&painter, kScreenPixelsPerInch, kScreenPixelsPerInch);
    canvas.SetScreenZoom(m_layout.zoomX, m_layout.zoomY);
    m_canvas = &canvas;
    bool drawn = false;
    // Drawn opaque so that the old text goes.
    auto* text = dynamic_cast<TjxDrawText*>(command);
    const bool transparent = text && text->Transparent();
    if (transparent)
        text->SetTransparent(false);
    try {
        drawn = DrawCommand(command);
    } catch (...) {
        m_canvas = nullptr;
        if (transparent)
            text->SetTransparent(true);
        throw;
    }
    m_canvas = nullptr;
    if (transparent)
        text->SetTransparent(true);
    if (drawn && m_view)
        m_view->ImageRectChanged(command->DrawRect());
    return drawn;
}

// ---- jobs and pages ----

bool TjxScreenDevice::ReportCompleted(const TjxPage& page) const
{
    return page.AbsolutePageCount() > 0 || (Publisher() && Publisher()->RunComplete());
}

int TjxScreenDevice::KnownPageCount(const TjxPage& page) const
{
    if (page.AbsolutePageCount() > 0)
        return page.AbsolutePageCount();
    return Publisher() ? Publisher()->AbsolutePageCount() : 0;
}

QString TjxScreenDevice::PageStatus(const TjxPage& page) const
{
    return ReportCompleted(page) ? page.PageOfPagesText() : page.PageNumberText();
}

void TjxScreenDevice::SetStatusText(const QString& text)
{
    if (!m_showStatus)
        return;
    TjxRasterDevice::SetStatusText(text);
    if (m_view)
        m_view->StatusChanged();
    ProcessMessages();
}

void TjxScreenDevice::StartJob()
{
    TjxRasterDevice::StartJob();
    SetStatusText(GetMessage(2));
    // The substitutes go by the commands they stand in for.
    m_substitutes.clear();
    m_shownPage->Clear();
}

void TjxScreenDevice::Cancel()
{
    SetStatusText(m_shownPage->PageNumberText());
    TjxRasterDevice::Cancel();
}

void TjxScreenDevice::EndJob()
{
    SetStatusText(PageStatus(*m_shownPage));
    TjxRasterDevice::EndJob();
}

void TjxScreenDevice::Reset()
{
    TjxRasterDevice::Reset();
    if (m_view && m_view->ViewEnabled()) {
        m_substitutes.clear();
        m_shownPage->Clear();
        if (TjxProducer* report = m_view->ViewReport())
            m_shownPage->SetPrinterSetup(report->PrinterSetup());
        DrawShownPage();
        m_view->ImageRectChanged(QRect(QPoint(0, 0), m_layout.image));
    }
    PageRequest()->SetPageSetting(psFirstPage);
    PageRequest()->SetPageRequested(1);
}

void TjxScreenDevice::ReceivePage(TjxPage* page)
{
    TjxRasterDevice::ReceivePage(page);
    if (PageIsRequested() && PageIsNotice()) {
        const QString format = FormatMessage(GetMessage(ReportCompleted(*page) ? 10 : 4));
        QStringList values{QString::number(page->AbsolutePageNo())};
        if (ReportCompleted(*page))
            values << QString::number(KnownPageCount(*page));
        values << page->DocumentName();
        SetStatusText(FillMessage(format, values));
    } else if (PageIsRequested() && PageReader) {
        PageReader(*page);
    } else if (PageIsRequested()) {
        m_highlights.clear();
        m_substitutes.clear();
        m_shownPage->Assign(page);
        if (m_shownPage->AbsolutePageCount() == 0)
            m_shownPage->SetAbsolutePageCount(KnownPageCount(*page));
        if (HighlightsForPage)
            TakeHighlights(HighlightsForPage(*m_shownPage));
        if (m_drawsPages)
            DrawShownPage();
        if (m_view) {
            SetStatusText(PageStatus(*m_shownPage));
            m_view->PageShown();
        }
    } else if (page->Calculation()) {
        SetStatusText(CalculatingPageText(page->AbsolutePageNo(), page->DocumentName()));
        // A later page brings the page count: texts that show it are drawn
        // again in place, without making the shown page again.
        bool changed = false;
        if (page->AbsolutePageCount() != m_shownPage->AbsolutePageCount() && m_shownPage->AbsolutePageNo() > 0) {
            m_shownPage->SetAbsolutePageCount(page->AbsolutePageCount());
            if (page->ControlGroupBreakNo() == m_shownPage->ControlGroupBreakNo() &&
                page->PageCount() != m_shownPage->PageCount())
                m_shownPage->SetPageCount(page->PageCount());
            changed = true;
        }
        if (changed && m_shownPage->UpdateableCount() > 0)
            for (TjxDrawCommand* command : m_shownPage->RefreshUpdateables())
                RedrawCommand(command);
        ProcessMessages();
    }
}

void TjxScreenDevice::EventNotify(TjxCommunicator* sender, int eventId, TjxEventParams* params)
{
    TjxRasterDevice::EventNotify(sender, eventId, params);
    if (eventId == ciReportNoData)
        DrawShownPage();
}

// ---- navigation ----

void TjxScreenDevice::FirstPage()
{
    if (JobRunning() || JobCancelled() || m_shownPage->AbsolutePageNo() == 1)
        return;
    PageRequest()->SetPageSetting(psFirstPage);
    PageRequest()->SetPageRequested(1);
    RequestPages();
}

void TjxScreenDevice::LastPage()
{
    if (JobRunning() || JobCancelled() || m_shownPage->LastPage())
        return;
    PageRequest()->SetPageSetting(psLastPage);
    RequestPages();
}

void TjxScreenDevice::GotoPage(int pageNo)
{
    if (JobRunning() || JobCancelled() || m_shownPage->AbsolutePageNo() == pageNo)
        return;
    PageRequest()->SetPageSetting(psSinglePage);
    PageRequest()->SetPageRequested(pageNo);
    RequestPages();
}

TjxDrawCommand* TjxScreenDevice::HitTest(int x, int y) const
{
    for (int i = 0; i < m_shownPage->ClickableCount(); ++i) {
        TjxDrawCommand* command = m_shownPage->ClickableAt(i);
        const TjxDeviceRect& r = command->DeviceRect();
        if (command->Clickable() && x >= r.left && x <= r.right && y >= r.top && y <= r.bottom)
            return command;
    }
    return nullptr;
}

} // namespace orvane
