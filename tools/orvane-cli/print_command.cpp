// orvane-cli print: runs a template's report headless into a print job.

#include "tools/orvane-cli/commands.h"

#include "document/custom_report.h"
#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/printer.h"
#include "document/printer_setup.h"
#include "output/page_request.h"
#include "output/printer_device.h"
#include "output/publisher.h"
#include "platform/file_io.h"

#include <cstdio>

namespace orvane {

namespace {

int CopiesOf(const QString& text)
{
    if (text.isEmpty())
        return 0;
    bool ok = false;
    const int copies = text.toInt(&ok);
    if (!ok || copies < 1 || copies > 999)
        throw EOrvaneError(MessageText(msg::InvalidCopies, {text}));
    return copies;
}

} // namespace

int PrintCommand(const QStringList& arguments)
{
    QStringList args = arguments;
    const QString database = TakeDatabaseOption(args);
    const QString printerName = TakeOption(args, QStringLiteral("--printer"));
    const int copies = CopiesOf(TakeOption(args, QStringLiteral("--copies")));
    const bool collate = TakeFlag(args, QStringLiteral("--collate"));
    const QString pages = TakeOption(args, QStringLiteral("--pages"));
    const QString out = TakeOption(args, QStringLiteral("-o"));
    if (ReportUnknownOption(args) || args.size() != 1) {
        std::fputs("usage: orvane-cli print TEMPLATE [--printer NAME] [--copies N] [--collate] [--db FILE.sqlite] "
                   "[--pages LIST] [-o FILE.pdf]\n",
                   stderr);
        return 2;
    }
    TjxPageRequest request;
    const int firstPage = SetPageListRequest(request, pages);
    // The file's own problem, with the file system's reason, rather than the printer's.
    if (!out.isEmpty())
        CheckOutputFile(ResolveFileName(out), args[0]);
    // The screen named outright is the problem, whatever else the system lacks.
    if (printerName.compare(u"Screen", Qt::CaseInsensitive) == 0)
        throw EPrintError(GetMessage(msg::ScreenPrinterCannotPrint));

    TComponent host;
    TjxCustomReport* report = ReadReportToRun(args[0], host, database);

    // The pages carry the report's setup, copies included: the choices go there.
    TjxPrinterSetup* setup = report->PrinterSetup();
    if (!printerName.isEmpty())
        setup->SetPrinterName(printerName);
    if (copies > 0) {
        setup->SetCopies(copies);
        setup->SetCollation(collate);
    }
    TjxPrinterDevice device;
    // Stacked, as the producer's: a section printing as a job of its own goes above it.
    device.SetInStack(true);
    device.SetPrinterSetup(*setup);
    TjxPrinter* printer = device.Printer();
    // A name the system does not know would quietly print elsewhere.
    if (!printerName.isEmpty() && printerName.compare(u"Default", Qt::CaseInsensitive) != 0 &&
        printer->PrinterName().compare(printerName, Qt::CaseInsensitive) != 0)
        throw EPrintError(MessageText(msg::NoPrinterNamed, {printerName}));
    device.RequireUsablePrinter();
    if (!out.isEmpty())
        printer->SetOutputName(ResolveFileName(out));
    // A page list past the end prints nothing (the spooler drops an empty
    // document): that is no print job.
    if (GenerateTo(*report, device, request) < firstPage)
        throw EPrintError(GetMessage(msg::RenderNoPages));
    return 0;
}

} // namespace orvane
