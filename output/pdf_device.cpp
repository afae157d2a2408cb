#include "output/pdf_device.h"

#include "document/errors.h"
#include "document/graphic_objects.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/page_def.h"
#include "document/printer_setup.h"
#include "output/draw_command.h"
#include "output/draw_image.h"
#include "output/draw_other.h"
#include "output/page.h"
#include "output/pdf/pdf_document.h"
#include "output/pdf/pdf_paint_engine.h"
#include "platform/canvas.h"

#include <QPageSize>
#include <QPainter>

namespace orvane {

namespace {

// Deflate level of the streams, by measurement on the 100,000-row list
// report (3,031 pages): level 1 writes 8.0 MB, 3 7.1 MB, 6 6.4 MB, and each
// step up costs about a tenth of the run's time; a third of Qt's size at any level.
constexpr int kDeflateLevel = 1;

[[noreturn]] void ThrowWriteError() { throw EWriteError(GetMessage(msg::StreamWriteError)); }

// The page's paper in thousandths of a millimetre, already turned by its
// orientation (commands are placed from the paper's corner).
QSize PaperOf(const TjxPage& page)
{
    int width = page.PageDef()->mmWidth();
    int height = page.PageDef()->mmHeight();
    if (width <= 0 || height <= 0) {
        const QSizeF a4 = QPageSize(QPageSize::A4).size(QPageSize::Millimeter);
        width = int(a4.width() * 1000);
        height = int(a4.height() * 1000);
        if (page.PrinterSetup()->Orientation() == poLandscape)
            std::swap(width, height);
    }
    return {width, height};
}

void CopyBookmarks(const TjxOutlineNode& node, const QHash<int, int>& pageIndex, std::vector<TPdfBookmark>& out)
{
    for (int i = 0; i < node.NodeCount(); ++i) {
        const TjxOutlineNode* child = node.Node(i);
        TPdfBookmark mark;
        mark.title = child->Caption();
        mark.page = pageIndex.value(child->PageReference(), -1);
        CopyBookmarks(*child, pageIndex, mark.children);
        out.push_back(std::move(mark));
    }
}

} // namespace

const TClassInfo& TjxPDFDevice::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxPDFDevice>("TjxPDFDevice", &TjxFileDevice::StaticClass()).Creatable().Build();
    return info;
}

TjxPDFDevice::TjxPDFDevice(TComponent* owner) : TjxFileDevice(owner) {}

TjxPDFDevice::~TjxPDFDevice() { ReleaseWriter(); }

QString TjxPDFDevice::ClassDescription() { return GetMessage(msg::PdfFileDescription); }

void TjxPDFDevice::SetResolution(int value)
{
    if (!JobRunning() && value > 0)
        m_resolution = value;
}

void TjxPDFDevice::ReleaseWriter()
{
    m_canvas = nullptr;
    m_pageDevice.reset();
    m_document.reset();
    m_pageIndex.clear();
}

void TjxPDFDevice::StartJob()
{
    if (JobRunning())
        return;
    m_pagesWritten = 0;
    TjxFileDevice::StartJob();
    if (!Output()) {
        FailJob();
        ThrowWriteError();
    }
    m_document = std::make_unique<TPdfDocument>(Output(), kDeflateLevel);
    m_pageDevice = std::make_unique<TPdfPageDevice>(*m_document, m_resolution);
}

void TjxPDFDevice::WritePage(TjxPage* page)
{
    try {
        if (!m_document)
            ThrowWriteError();
        if (m_pagesWritten == 0)
            m_document->SetTitle(page->DocumentName());
        const QSize paper = PaperOf(*page);
        m_pageDevice->SetPageSize(paper.width(), paper.height());
        QPainter painter;
        if (!painter.begin(m_pageDevice.get()))
            ThrowWriteError();
        {
            TjxCanvas canvas(&painter, m_resolution, m_resolution);
            m_canvas = &canvas;
            if (page->Color() != clWhite)
                canvas.FillRect(canvas.ThousandthsToPixels(0, 0, paper.width(), paper.height()), page->Color());
            DrawPage(page);
            m_canvas = nullptr;
        }
        if (!painter.end())
            ThrowWriteError();
        m_pageIndex.insert(page->AbsolutePageNo(), m_pagesWritten);
        ++m_pagesWritten;
        // The last page carries the whole outline (earlier pages' copies are never read).
        if (const TjxOutlineDrawCommand* outline = page->LastPage() ? page->OutlineDrawCommand() : nullptr)
            if (const TjxOutlineNode* root = outline->Root()) {
                std::vector<TPdfBookmark> bookmarks;
                CopyBookmarks(*root, m_pageIndex, bookmarks);
                m_document->SetBookmarks(std::move(bookmarks));
            }
    } catch (...) {
        m_canvas = nullptr;
        FailJob();
        throw;
    }
}

bool TjxPDFDevice::DrawCommand(TjxDrawCommand* command)
{
    if (!m_canvas || !command)
        return false;
    command->CalcDrawRect(*m_canvas);
    // A JPEG picture drawn as it is goes into the file as its own data.
    auto* engine = static_cast<TPdfPaintEngine*>(m_pageDevice->paintEngine());
    const auto* image = &command->ClassInfo() == &TjxDrawImage::StaticClass()
                            ? static_cast<const TjxDrawImage*>(command)
                            : nullptr;
    const TGraphic* graphic = image && !image->Transparent() ? image->Picture()->Graphic() : nullptr;
    if (!graphic || &graphic->GraphicClass() != &JPEGImageClass())
        return command->Draw(*m_canvas);
    engine->OfferJpeg(graphic->Image().cacheKey(), graphic->SaveToBytes());
    const bool drawn = command->Draw(*m_canvas);
    engine->OfferJpeg(0, QByteArray());
    return drawn;
}

void TjxPDFDevice::CompleteOutput()
{
    // A PDF without pages is no document: the target keeps what it had.
    if (!m_document || m_pagesWritten == 0)
        throw EPrintError(GetMessage(msg::RenderNoPages));
    const bool finished = m_document->Finish();
    ReleaseWriter();
    if (!finished)
        ThrowWriteError();
}

void TjxPDFDevice::DiscardOutput()
{
    ReleaseWriter();
    TjxFileDevice::DiscardOutput();
}

} // namespace orvane
