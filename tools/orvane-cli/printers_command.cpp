// orvane-cli printers: the printer list, and one printer's papers and bins.

#include "document/printer.h"
#include "document/printer_list.h"

#include <QStringList>
#include <cstdio>

namespace orvane {

namespace {

void Print(const QString& line)
{
    std::fputs(line.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
}

// One printer as the printer layer sees it: measured, with normalised papers and bins.
int ShowPrinter(TjxPrinterInfo& info)
{
    const TjxPrinterCapabilities& caps = info.GetCapabilities();
    TjxPrinter printer;
    printer.SetPrinterName(info.Name());
    const QPoint ppi = printer.PixelsPerInch();
    const QSize physical = printer.PhysicalSize();
    const QMargins offsets = printer.PageOffsets();
    Print(QStringLiteral("Printer: %1").arg(info.Name()));
    Print(QStringLiteral("Selected: %1").arg(printer.PrinterName()));
    Print(QStringLiteral("Resolution: %1 x %2 dpi").arg(ppi.x()).arg(ppi.y()));
    Print(QStringLiteral("Paper: %1 x %2 pixels, unprintable %3 %4 %5 %6")
              .arg(physical.width())
              .arg(physical.height())
              .arg(offsets.left())
              .arg(offsets.top())
              .arg(offsets.right())
              .arg(offsets.bottom()));
    Print(QStringLiteral("Colour: %1").arg(printer.IsColor() ? QStringLiteral("yes") : QStringLiteral("no")));
    Print(QStringLiteral("Papers (number, width x height in tenths of a millimetre, name):"));
    for (int i = 0; i < caps.PaperNames.size(); ++i)
        Print(QStringLiteral("  %1  %2 x %3  %4")
                  .arg(caps.PaperNumbers.value(i), 5)
                  .arg(caps.PaperWidths.value(i), 5)
                  .arg(caps.PaperHeights.value(i), -5)
                  .arg(caps.PaperNames[i]));
    Print(QStringLiteral("Bins (number, name):"));
    for (int i = 0; i < caps.BinNames.size(); ++i)
        Print(QStringLiteral("  %1  %2").arg(caps.BinNumbers.value(i), 5).arg(caps.BinNames[i]));
    return 0;
}

} // namespace

int PrintersCommand(const QStringList& args)
{
    TjxPrinterList& list = PrinterList();
    if (args.isEmpty()) {
        // One entry a line: name, local or network, "default" on the system's
        // default printer; the pseudo-entry "Default" names the printer it stands for.
        const QString defaultName = list.DefaultPrinterName();
        for (int i = 0; i < list.Count(); ++i) {
            const TjxPrinterInfo* info = list.Info(i);
            const QString kind = info->LocalPrinter() ? QStringLiteral("local") : QStringLiteral("network");
            if (i == 0)
                Print(QStringLiteral("%1\t-> %2").arg(info->Name(), defaultName));
            else if (info->Name() == defaultName)
                Print(QStringLiteral("%1\t%2\tdefault").arg(info->Name(), kind));
            else
                Print(QStringLiteral("%1\t%2").arg(info->Name(), kind));
        }
        return 0;
    }
    if (args.size() != 1 || args[0].startsWith(u'-')) {
        std::fputs("usage: orvane-cli printers [--papers NAME]\n", stderr);
        return 2;
    }
    // Only a name in the list: the list's fallback to the default printer would hide a typing error.
    const int index = int(list.Names().indexOf(args[0], 0));
    TjxPrinterInfo* info = index >= 0 ? list.Info(index) : nullptr;
    if (!info) {
        for (int i = 0; i < list.Count() && !info; ++i)
            if (list.Info(i)->Name().compare(args[0], Qt::CaseInsensitive) == 0)
                info = list.Info(i);
    }
    if (!info) {
        std::fprintf(stderr, "orvane-cli: no printer named %s; the list is:\n", args[0].toLocal8Bit().constData());
        for (const QString& name : list.Names())
            std::fprintf(stderr, "  %s\n", name.toLocal8Bit().constData());
        return 1;
    }
    return ShowPrinter(*info);
}

} // namespace orvane
