#include "output/printer_device.h"

#include "document/custom_report.h"
#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/printer.h"
#include "document/printer_list.h"
#include "document/printer_setup.h"
#include "engine/engine.h"
#include "output/draw_command.h"
#include "output/page.h"
#include "output/publisher.h"
#include "platform/canvas.h"

namespace orvane {

namespace {

// Status messages of the table.
constexpr int kAccessingData = 2;
constexpr int kPrintingPage = 27;
constexpr int kPrintingPageOf = 28;
// "There are no printers connected to your computer."
constexpr int kNoPrinters = 8;

} // namespace

const TClassInfo& TjxPrinterDevice::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxPrinterDevice>("TjxPrinterDevice", &TjxRasterDevice::StaticClass()).Creatable().Build();
    return info;
}

TjxPrinterDevice::TjxPrinterDevice(TComponent* owner)
    : TjxRasterDevice(owner), m_printer(std::make_unique<TjxPrinter>())
{
}

TjxPrinterDevice::~TjxPrinterDevice()
{
    // A device freed in the middle of a job (an error unwinding the run)
    // leaves no half document in the queue.
    CloseDocument(false);
}

void TjxPrinterDevice::SetPrinterSetup(const TjxPrinterSetup& setup)
{
    m_requestedPrinter = setup.PrinterName();
    m_printer->SetPrinterSetup(setup);
}

void TjxPrinterDevice::RequireUsablePrinter()
{
    // A printer that cannot be opened hands over to the screen.
    const bool opened = m_printer->DC() != nullptr;
    if (opened && m_printer->PrinterName() != u"Screen")
        return;
    // A setup takes an unknown name for the default printer, and without one
    // for the screen: name what is missing rather than the setup in general.
    const TjxPrinterList& list = PrinterList();
    const QString defaultName = list.DefaultPrinterName();
    const bool noDefault = defaultName.isEmpty() || defaultName == u"Screen";
    const QString wanted = m_requestedPrinter;
    if (wanted.compare(u"Screen", Qt::CaseInsensitive) == 0 && !noDefault)
        throw EPrintError(GetMessage(msg::ScreenPrinterCannotPrint));
    const bool isDefault = wanted.isEmpty() || wanted.compare(u"Default", Qt::CaseInsensitive) == 0 ||
                           wanted.compare(u"Screen", Qt::CaseInsensitive) == 0;
    if (!isDefault && !list.Names().contains(wanted, Qt::CaseInsensitive))
        throw EPrintError(MessageText(msg::NoPrinterNamed, {wanted}));
    if (isDefault && noDefault) {
        // The list holds "Default" and "Screen" before the system's printers.
        if (list.Count() <= 2)
            throw EPrintError(GetMessage(kNoPrinters));
        throw EPrintError(GetMessage(msg::NoDefaultPrinter));
    }
    throw EPrintError(MessageText(msg::PrinterCannotOpen, {isDefault ? defaultName : wanted}));
}

void TjxPrinterDevice::StartJob()
{
    if (JobRunning())
        return;
    TjxRasterDevice::StartJob();
    ShowStatus(nullptr);
    try {
        // The spooler may say why itself (an output file that cannot be made).
        m_printer->BeginDoc();
    } catch (...) {
        AbandonJob();
        throw;
    }
    if (!m_printer->Printing()) {
        AbandonJob();
        throw EPrintError(MessageText(msg::PrinterRefusedDocument, {m_printer->PrinterName()}));
    }
    m_copiesLeft = 1;
    m_firstPageOfJob = true;
    const TjxPrinterSetup* setup = m_printer->PrinterSetup();
    m_collated = setup->Collation();
    m_jobCopies = std::max(1, setup->Copies());
}

void TjxPrinterDevice::ReceivePage(TjxPage* page)
{
    TjxRasterDevice::ReceivePage(page);
    if (!JobRunning() || JobCancelled() || !PageIsRequested())
        return;
    ShowStatus(page);
    // The status line lets the user cancel: then no page opens on the
    // dropped document.
    if (PageIsNotice() || !JobRunning() || JobCancelled())
        return;
    const int copies = m_collated           ? 1
                       : m_pageCopies > 0 ? m_pageCopies
                                          : std::max(1, page->PrinterSetup()->Copies());
    for (int copy = 0; copy < copies; ++copy) {
        StartPrinterPage(page);
        DrawOnPrinter(page);
        EndPrinterPage(page);
    }
}

void TjxPrinterDevice::DrawOnPrinter(TjxPage* page)
{
    // A start-page hook may have cancelled the job: then no page is open.
    QPainter* painter = m_printer->PageOpen() ? m_printer->Canvas()->Painter() : nullptr;
    if (!painter)
        return;
    const QPoint dpi = m_printer->PixelsPerInch();
    TjxCanvas canvas(painter, dpi.x(), dpi.y());
    canvas.SetMonochromeText(!m_printer->IsColor());
    m_canvas = &canvas;
    try {
        DrawPage(page);
    } catch (...) {
        m_canvas = nullptr;
        throw;
    }
    m_canvas = nullptr;
}

void TjxPrinterDevice::StartPrinterPage(TjxPage* page)
{
    if (m_firstPageOfJob) {
        if (m_collated)
            m_copiesLeft = m_jobCopies;
        m_firstPageOfJob = false;
    }
    m_printer->SetPrinterSetup(*page->PrinterSetup());
    m_printer->NewPage();
    const QMargins offsets = m_printer->PageOffsets();
    m_offsetX = -offsets.left();
    m_offsetY = -offsets.top();
    if (StartPageHandler)
        StartPageHandler(this, page);
}

void TjxPrinterDevice::EndPrinterPage(TjxPage* page)
{
    m_printer->EndPage();
    if (EndPageHandler)
        EndPageHandler(this, page);
}

bool TjxPrinterDevice::DrawCommand(TjxDrawCommand* command)
{
    if (!command || !m_canvas || !m_printer->PageOpen())
        return false;
    command->CalcDrawRect(*m_canvas);
    command->SetDrawRect(command->DrawRect().translated(m_offsetX, m_offsetY));
    return command->Draw(*m_canvas);
}

bool TjxPrinterDevice::CopiesDone()
{
    if (m_copiesLeft == 1)
        return true;
    --m_copiesLeft;
    RequestPages();
    // The pass is this device's: it ends also when its last page went to
    // another device (a section printing as a job of its own).
    if (JobRunning() && AwaitingPages() && Publisher())
        Publisher()->EndJob();
    return false;
}

void TjxPrinterDevice::EndJob()
{
    // Each further collated copy runs the report again and ends the job from
    // inside CopiesDone; only the last one closes the document.
    if (!JobRunning() || !CopiesDone())
        return;
    try {
        CloseDocument(true);
    } catch (...) {
        AbandonJob();
        throw;
    }
    TjxRasterDevice::EndJob();
}

void TjxPrinterDevice::Cancel()
{
    CloseDocument(false);
    TjxRasterDevice::Cancel();
}

void TjxPrinterDevice::CloseDocument(bool print)
{
    if (!m_printer || !m_printer->Printing())
        return;
    if (print)
        m_printer->EndDoc();
    else
        m_printer->Abort();
}

bool TjxPrinterDevice::ReportCompleted(const TjxPage* page) const
{
    const TjxPublisher* publisher = Publisher();
    if (!publisher || publisher->RunComplete())
        return true;
    // A two-pass report knows its page count once its first pass is through.
    auto* report = page ? dynamic_cast<TjxCustomReport*>(page->Producer()) : nullptr;
    return report && report->HasEngine() && report->Engine()->PassOneDone();
}

QString TjxPrinterDevice::PageStatus(const TjxPage* page) const
{
    if (!page)
        return GetMessage(kAccessingData);
    const QString printer = m_printer->PrinterName();
    if (ReportCompleted(page))
        return FillMessage(FormatMessage(GetMessage(kPrintingPageOf)),
                           {QString::number(page->AbsolutePageNo()), QString::number(page->AbsolutePageCount()),
                            page->DocumentName(), printer});
    return FillMessage(FormatMessage(GetMessage(kPrintingPage)),
                       {QString::number(page->AbsolutePageNo()), page->DocumentName(), printer});
}

void TjxPrinterDevice::ShowStatus(const TjxPage* page)
{
    if (!CancelDialog())
        return;
    // A page that only reports progress keeps the dialog's text until the
    // report knows its page count.
    if (page && PageIsNotice() && !ReportCompleted(page))
        return;
    ShowDialogStatus(PageStatus(page));
}

} // namespace orvane
