#include "output/pdf_device.h"

#include "document/errors.h"
#include "document/graphic_objects.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/page_def.h"
#include "document/printer_setup.h"
#include "output/draw_command.h"
#include "output/page.h"
#include "platform/canvas.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace orvane {

namespace {

[[noreturn]] void ThrowWriteError() { throw EWriteError(GetMessage(msg::StreamWriteError)); }

// The page's paper as the PDF page: its size in thousandths of a millimetre,
// already turned by its orientation, with no margins (commands are placed
// from the paper's corner).
QPageLayout PageLayoutOf(const TjxPage& page)
{
    double width = page.PageDef()->mmWidth() / 1000.0;
    double height = page.PageDef()->mmHeight() / 1000.0;
    if (width <= 0 || height <= 0) {
        const QSizeF a4 = QPageSize(QPageSize::A4).size(QPageSize::Millimeter);
        width = a4.width();
        height = a4.height();
        if (page.PrinterSetup()->Orientation() == poLandscape)
            std::swap(width, height);
    }
    const bool landscape = width > height;
    const QSizeF portrait = landscape ? QSizeF(height, width) : QSizeF(width, height);
    return QPageLayout(QPageSize(portrait, QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch),
                       landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF());
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
    // The painter writes into the writer, which writes into the file: in that order.
    if (m_painter && m_painter->isActive())
        m_painter->end();
    m_painter.reset();
    m_writer.reset();
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
    m_writer = std::make_unique<QPdfWriter>(Output());
    m_writer->setResolution(m_resolution);
    m_writer->setCreator(QStringLiteral("Orvane"));
}

void TjxPDFDevice::WritePage(TjxPage* page)
{
    try {
        if (!m_writer)
            ThrowWriteError();
        const QPageLayout layout = PageLayoutOf(*page);
        if (!m_painter) {
            m_writer->setTitle(page->DocumentName());
            m_writer->setPageLayout(layout);
            m_painter = std::make_unique<QPainter>();
            if (!m_painter->begin(m_writer.get()))
                ThrowWriteError();
        } else {
            // Takes effect on the page that newPage starts.
            m_writer->setPageLayout(layout);
            if (!m_writer->newPage())
                ThrowWriteError();
        }
        TjxCanvas canvas(m_painter.get(), m_resolution, m_resolution);
        m_canvas = &canvas;
        if (page->Color() != clWhite) {
            const QRect paper =
                canvas.ThousandthsToPixels(0, 0, page->PageDef()->mmWidth(), page->PageDef()->mmHeight());
            canvas.FillRect(paper, page->Color());
        }
        DrawPage(page);
        m_canvas = nullptr;
        ++m_pagesWritten;
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
    return command->Draw(*m_canvas);
}

void TjxPDFDevice::CompleteOutput()
{
    // A PDF without pages is no document: the target keeps what it had.
    if (!m_painter)
        throw EPrintError(GetMessage(msg::RenderNoPages));
    const bool ended = m_painter->end();
    ReleaseWriter();
    if (!ended)
        ThrowWriteError();
}

void TjxPDFDevice::DiscardOutput()
{
    ReleaseWriter();
    TjxFileDevice::DiscardOutput();
}

} // namespace orvane
