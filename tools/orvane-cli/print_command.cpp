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
    // A name the system does not know would quietly print elsewhere: said
    // before anything else the printer lacks.
    if (!printerName.isEmpty() && printerName.compare(u"Default", Qt::CaseInsensitive) != 0) {
        TjxPrinterDevice probe;
        probe.SetPrinterSetup(*setup);
        if (probe.Printer()->PrinterName().compare(printerName, Qt::CaseInsensitive) != 0)
            throw EPrintError(MessageText(msg::NoPrinterNamed, {printerName}));
    }
    // The report's own print run, with no window to ask or show anything.
    report->SetShowPrintDialog(false);
    report->SetShowCancelDialog(false);
    report->SetDeviceType(TjxPrinterDevice::ClassDeviceName());
    report->OnRunDeviceReady = [&](TjxDevice* device) {
        device->AssignPageRequest(&request);
        auto* printerDevice = dynamic_cast<TjxPrinterDevice*>(device);
        if (printerDevice && !out.isEmpty())
            printerDevice->Printer()->SetOutputName(ResolveFileName(out));
    };
    // A page list past the end prints nothing (the spooler drops an empty
    // document): that is no print job.
    if (WatchedRun(*report, [report] { report->Print(); }) < firstPage)
        throw EPrintError(GetMessage(msg::RenderNoPages));
    return 0;
}

} // namespace orvane
