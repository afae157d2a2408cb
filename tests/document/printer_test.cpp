// The printer list, paper normalisation and the printer object, on the test printer platform.

#include "tests/support/printer_fixture.h"

#include "document/errors.h"
#include "document/printer.h"
#include "document/printer_list.h"

#include <QPainter>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <thread>
#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

using PrinterList_ = TestPlatform;
using PrinterObject = TestPlatform;
using NoPrinters = NoPrinterPlatform;

TEST_F(PrinterList_, EntriesAndLookups)
{
    TjxPrinterList& list = PrinterList();
    EXPECT_EQ(list.Names(), QStringList({"Default", "Screen", "P", "Q"}));
    EXPECT_EQ(list.DefaultPrinterName(), u"P");
    EXPECT_EQ(list.Find(QStringLiteral("Default"))->Name(), u"P");
    EXPECT_EQ(list.Find(QStringLiteral("p"))->Name(), u"P");
    EXPECT_EQ(list.Find(QStringLiteral("R"))->Name(), u"P");
    EXPECT_EQ(list.Find(QStringLiteral("Q on network"))->Name(), u"Q");
    // "on" inside a word is no "device on port": the default printer, not the "Default" entry.
    EXPECT_EQ(list.Find(QStringLiteral("Canon X"))->Name(), u"P");
    EXPECT_EQ(list.Find(QStringLiteral("Qon"))->Name(), u"P");
    EXPECT_EQ(list.NameOfDevice(QStringLiteral("q")), u"Q");
    EXPECT_EQ(list.NameOfDevice(QString()), u"Default");
    EXPECT_TRUE(list.Find(QStringLiteral("P"))->LocalPrinter());
    EXPECT_FALSE(list.Find(QStringLiteral("Q"))->LocalPrinter());
    EXPECT_NE(SharedPrinter(), nullptr);
    // Built once per platform: the list is the same object until the platform changes.
    EXPECT_EQ(&PrinterList(), &list);
    EXPECT_EQ(m_spooler->Log().count(QStringLiteral("EnumPrinters")), 1);
}

TEST_F(NoPrinters, OnlyThePseudoEntries)
{
    TjxPrinterList& list = PrinterList();
    EXPECT_EQ(list.Names(), QStringList({"Default", "Screen"}));
    EXPECT_EQ(list.Find(QStringLiteral("Default"))->Name(), u"Screen");
    EXPECT_EQ(SharedPrinter(), nullptr);

    // A printer object falls back to the screen: it measures, it does not print.
    TjxPrinter printer;
    EXPECT_EQ(printer.PixelsPerInch(), QPoint(96, 96));
    EXPECT_EQ(printer.PrinterName(), u"Screen");
    try {
        printer.BeginDoc();
        FAIL() << "the screen printed";
    } catch (const EPrintError& e) {
        EXPECT_EQ(e.Message(), u"Screen printer does not support printing.");
    }
    EXPECT_FALSE(printer.Printing());
}

TEST(PaperNormalisation, NamesNumbersSizesAndTheCustomPaper)
{
    TjxPrinterCapabilities caps;
    caps.PaperNames = {"Letter", "A4"};
    caps.PaperNumbers = {"1", "9"};
    caps.PaperWidths = {"2159", "2100"};
    caps.PaperHeights = {"2794", "2970"};
    NormalizePapers(caps);
    EXPECT_EQ(caps.PaperNames, QStringList({"Letter", "A4", "Custom"}));
    EXPECT_EQ(caps.PaperNumbers, QStringList({"1", "9", "256"}));
    EXPECT_EQ(caps.PaperWidths, QStringList({"2159", "2100", "0"}));
    EXPECT_EQ(caps.PaperHeights, QStringList({"2794", "2970", "0"}));

    // A "user" paper becomes Custom and goes last; a paper without a size is dropped.
    caps = {};
    caps.PaperNames = {"User size", "Broken", "A5", "Extra"};
    caps.PaperNumbers = {"300", "301", "11"};
    caps.PaperWidths = {"0", "0", "1480"};
    caps.PaperHeights = {"0", "1000", "2100"};
    NormalizePapers(caps);
    EXPECT_EQ(caps.PaperNames, QStringList({"A5", "Custom"}));
    EXPECT_EQ(caps.PaperNumbers, QStringList({"11", "300"}));

    // Numbers without names are named from the table or by their size.
    caps = {};
    caps.PaperNumbers = {"9", "999", "998"};
    caps.PaperWidths = {"2100", "1000"};
    caps.PaperHeights = {"2970", "2000"};
    NormalizePapers(caps);
    EXPECT_EQ(caps.PaperNames, QStringList({"A4 210 x 297 mm", "100 x 200 mm", "Custom"}));
    EXPECT_EQ(caps.PaperNumbers, QStringList({"9", "999", "256"}));
    caps = {};
    caps.PaperNumbers = {"999", "5"};
    NormalizePapers(caps);
    // "Unknown: 999" has no size and goes; Legal gets its size from the table.
    EXPECT_EQ(caps.PaperNames, QStringList({"Legal 8 12 x 14 in", "Custom"}));
    EXPECT_EQ(caps.PaperWidths, QStringList({"2159", "0"}));
    EXPECT_EQ(caps.PaperHeights, QStringList({"3556", "0"}));

    // A driver that answers nothing: just Custom and Default.
    caps = {};
    NormalizePapers(caps);
    NormalizeBins(caps);
    EXPECT_EQ(caps.PaperNames, QStringList({"Custom"}));
    EXPECT_EQ(caps.BinNames, QStringList({"Default"}));
    EXPECT_EQ(caps.BinNumbers, QStringList({"7"}));
}

TEST(PaperNormalisation, BinsAndTheStandardTable)
{
    TjxPrinterCapabilities caps;
    caps.BinNames = {"Upper", "Lower", "Orphan"};
    caps.BinNumbers = {"1", "2"};
    NormalizeBins(caps);
    EXPECT_EQ(caps.BinNames, QStringList({"Default", "Upper", "Lower"}));
    EXPECT_EQ(caps.BinNumbers, QStringList({"7", "1", "2"}));
    caps.BinNames = {"Tray", "Default"};
    caps.BinNumbers = {"1", "15"};
    NormalizeBins(caps);
    EXPECT_EQ(caps.BinNumbers, QStringList({"1", "15"}));

    // Inch sizes pass through whole screen pixels; millimetre sizes are exact.
    EXPECT_EQ(StandardPaperSize(1), QSize(2159, 2794));
    EXPECT_EQ(StandardPaperSize(9), QSize(2100, 2970));
    EXPECT_EQ(StandardPaperSize(20), QSize(1047, 2413));
    EXPECT_EQ(StandardPaperSize(256), QSize(0, 0));
    EXPECT_EQ(StandardPaperSize(49), QSize(0, 0));
    EXPECT_EQ(StandardPaperName(49), u"Unknown");
    EXPECT_EQ(StandardPaperName(50), QString::fromUtf8("Letter Extra 9 \xC2\xBD x 12 in"));
    EXPECT_EQ(StandardPaperNumbers().size(), 68);
    EXPECT_EQ(PaperSizeName(2159, 2794), u"215 x 279 mm");

    const TjxPrinterCapabilities screen = ScreenCapabilities();
    EXPECT_EQ(screen.PaperNumbers,
              QStringList({"256", "1", "5", "8", "9", "17", "39", "40", "19", "20", "21", "22", "23"}));
    EXPECT_EQ(screen.PaperNames.first(), u"Custom");
    EXPECT_EQ(screen.BinNames, QStringList({"Default"}));
}

TEST_F(PrinterList_, CapabilitiesAreGatheredOnceAndNormalised)
{
    TjxPrinterInfo* p = PrinterList().Find(QStringLiteral("P"));
    const TjxPrinterCapabilities& caps = p->GetCapabilities();
    EXPECT_EQ(caps.PaperNames, QStringList({"Letter", "A4", "Legal", "Envelope DL 110 x 220mm", "Custom"}));
    EXPECT_EQ(caps.PaperNumbers, QStringList({"1", "9", "5", "27", "256"}));
    EXPECT_EQ(caps.BinNames, QStringList({"Default", "Upper tray", "Manual feed"}));
    EXPECT_TRUE(caps.MultipleCopies);
    p->GetCapabilities();
    EXPECT_EQ(m_spooler->Log().count(QStringLiteral("DeviceCapabilities P")), 1);
}

TEST_F(PrinterObject, MeasuresTheDeviceOnAnInformationContext)
{
    TjxPrinter printer;
    printer.SetPrinterName(QStringLiteral("Default"));
    EXPECT_EQ(printer.PrinterName(), u"P");
    EXPECT_EQ(printer.PixelsPerInch(), QPoint(600, 300));
    EXPECT_EQ(printer.PageOffsets(), QMargins(100, 50, 100, 100));
    EXPECT_EQ(printer.PhysicalSize(), QSize(4960, 3508));
    EXPECT_EQ(printer.PrintableSize(), QSize(4760, 3358));
    EXPECT_TRUE(printer.IsColor());
    const QStringList log = m_spooler->Log();
    EXPECT_TRUE(log.contains(QStringLiteral("OpenPrinter P -> 1")));
    EXPECT_TRUE(log.filter(QStringLiteral("CreateIC P fields=0x1303")).size() == 1) << log.join(u'\n').toStdString();
    EXPECT_TRUE(log.filter(QStringLiteral("CreateDC")).isEmpty());

    // Selecting another printer gives everything back first.
    m_spooler->ClearLog();
    printer.SetPrinterName(QStringLiteral("Q"));
    EXPECT_EQ(m_spooler->Log(), QStringList({"DeleteDC P", "ClosePrinter 1"}));
    // Q's driver gives no settings record: the context is made without one.
    EXPECT_EQ(printer.PixelsPerInch(), QPoint(600, 300));
    EXPECT_FALSE(printer.DevMode().has_value());
    EXPECT_TRUE(m_spooler->Log().contains(QStringLiteral("CreateIC Q none")));
}

TEST_F(PrinterObject, SettingsRecordFollowsTheSetup)
{
    TjxPrinter printer;
    TjxPrinterSetup setup;
    setup.SetUnits(utMillimeters);
    setup.SetPaperName(QStringLiteral("A4"));
    setup.SetOrientation(poLandscape);
    setup.SetDuplex(dpVertical);
    setup.SetCopies(3);
    printer.SetPrinterSetup(setup);
    EXPECT_EQ(printer.PaperSizeTenths(), QSize(2100, 2970));
    std::optional<TjxDevMode> record = printer.DevMode();
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->fields, 0x1303u);
    EXPECT_EQ(record->orientation, 2);
    EXPECT_EQ(record->paperSize, 9);
    EXPECT_EQ(record->duplex, 3);
    EXPECT_EQ(record->copies, 1);
    // "Default" gives the driver's own source back, not the number 7.
    EXPECT_EQ(record->defaultSource, 15);
    EXPECT_TRUE(m_spooler->Forms().empty());

    // The same setup again changes nothing on the platform.
    m_spooler->ClearLog();
    printer.SetPrinterSetup(setup);
    EXPECT_TRUE(m_spooler->Log().isEmpty()) << m_spooler->Log().join(u'\n').toStdString();

    setup.SetBinName(QStringLiteral("Manual feed"));
    printer.SetPrinterSetup(setup);
    EXPECT_EQ(printer.DevMode()->defaultSource, 4);

    // Read back from a record the driver changed.
    TjxDevMode changed = *printer.DevMode();
    changed.duplex = 2;
    changed.orientation = 1;
    changed.paperSize = 5;
    changed.defaultSource = 15;
    printer.SetDevMode(changed);
    TjxPrinterSetup* back = printer.PrinterSetup();
    EXPECT_EQ(back->Duplex(), dpHorizontal);
    EXPECT_EQ(back->Orientation(), poPortrait);
    EXPECT_EQ(back->PaperName(), u"Legal");
    EXPECT_EQ(back->PageDef()->mmWidth(), 216000);
    EXPECT_EQ(back->PageDef()->mmHeight(), 356000);
    EXPECT_EQ(back->BinName(), u"Default");
    EXPECT_EQ(back->Copies(), 3);  // copies are not read back
}

TEST_F(PrinterObject, CustomPaperRegistersAForm)
{
    TjxPrinter printer;
    TjxPrinterSetup setup;
    setup.SetUnits(utMillimeters);
    setup.SetPaperWidth(100);
    setup.SetPaperHeight(150);
    EXPECT_EQ(setup.PaperName(), u"Custom");
    printer.SetPrinterSetup(setup);
    const TjxDevMode record = *printer.DevMode();
    EXPECT_EQ(record.fields, 0x130Fu);
    EXPECT_EQ(record.paperSize, 256);
    EXPECT_EQ(record.paperWidth, 1000);
    EXPECT_EQ(record.paperLength, 1500);
    EXPECT_EQ(record.formName, u"Custom");
    ASSERT_EQ(m_spooler->Forms().count(QStringLiteral("Custom")), 1u);
    EXPECT_EQ(m_spooler->Forms().at(QStringLiteral("Custom")).size, QSize(100000, 150000));

    // A form that exists with the same size is left alone; another size replaces it.
    m_spooler->ClearLog();
    setup.SetCopies(2);
    printer.SetPrinterSetup(setup);
    EXPECT_TRUE(m_spooler->Log().filter(QStringLiteral("Form")) == QStringList({"GetForm 1 Custom"}));
    setup.SetPaperHeight(160);
    printer.SetPrinterSetup(setup);
    EXPECT_EQ(m_spooler->Log().filter(QStringLiteral("SetForm")).size(), 1);

    // A user size read back: tenths become the setup's units (millimetres), turned when landscape.
    TjxDevMode user = *printer.DevMode();
    user.paperWidth = 1200;
    user.paperLength = 1800;
    user.orientation = 2;
    printer.SetDevMode(user);
    TjxPrinterSetup* back = printer.PrinterSetup();
    EXPECT_EQ(back->Orientation(), poLandscape);
    EXPECT_EQ(back->PageDef()->mmWidth(), 180000);
    EXPECT_EQ(back->PageDef()->mmHeight(), 120000);
    EXPECT_EQ(back->PaperName(), u"Custom");
}

// The printing thread goes printer -> setup (SetPrinterSetup), the user-interface
// thread setup -> printer (a change of the printer's own setup runs its hook).
TEST_F(PrinterObject, PrinterAndItsSetupShareOneLockOrder)
{
    TjxPrinter printer;
    TjxPrinterSetup* own = printer.PrinterSetup();
    EXPECT_EQ(&own->Lock(), &printer.Lock());

    TjxPrinterSetup portrait, landscape;
    portrait.SetPrinterName(QStringLiteral("P"));
    landscape.Assign(&portrait);
    landscape.SetOrientation(poLandscape);
    std::atomic<bool> done{false};
    auto printing = std::async(std::launch::async, [&] {
        for (int i = 0; i < 2000; ++i)
            printer.SetPrinterSetup(i % 2 ? landscape : portrait);
    });
    auto ui = std::async(std::launch::async, [&] {
        for (int i = 0; i < 2000; ++i)
            own->SetCopies(1 + i % 5);
    });
    std::thread watchdog([&] {
        for (int i = 0; i < 600 && !done; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (!done) {
            std::fputs("PrinterAndItsSetupShareOneLockOrder: deadlock\n", stderr);
            std::_Exit(1);
        }
    });
    printing.get();
    ui.get();
    done = true;
    watchdog.join();
    EXPECT_EQ(printer.PrinterName(), u"P");
}

TEST_F(PrinterObject, DocumentAndPageBrackets)
{
    TjxPrinter printer;
    printer.SetPrinterName(QStringLiteral("P"));
    printer.PixelsPerInch();  // an information context first
    printer.SetDocumentName(QStringLiteral("Receipts"));
    m_spooler->ClearLog();
    printer.BeginDoc();
    EXPECT_TRUE(printer.Printing());
    printer.NewPage();
    ASSERT_NE(printer.Canvas()->Painter(), nullptr);
    printer.Canvas()->Painter()->drawRect(10, 10, 100, 50);
    printer.NewPage();  // ignored: a page is open
    printer.EndPage();
    // A new record while printing takes effect at the next page.
    TjxDevMode landscape = *printer.DevMode();
    landscape.orientation = 2;
    printer.SetDevMode(landscape);
    printer.SetPrinterName(QStringLiteral("Q"));  // ignored while printing
    printer.NewPage();
    EXPECT_EQ(printer.PageCount(), 2);
    printer.EndDoc();
    EXPECT_FALSE(printer.Printing());
    EXPECT_EQ(printer.PrinterName(), u"P");

    const QStringList log = m_spooler->Log();
    QStringList calls;
    for (const QString& line : log)
        calls.append(line.section(u' ', 0, 1));
    EXPECT_EQ(calls, QStringList({"DeleteDC P", "CreateDC P", "ResetDC P", "StartDoc P", "StartPage P",
                                  "EndPage P", "ResetDC P", "StartPage P", "EndPage P", "EndDoc P", "DeleteDC P"}))
        << log.join(u'\n').toStdString();
    const auto docs = m_spooler->Documents();
    ASSERT_EQ(docs.size(), 1);
    EXPECT_EQ(docs[0].name, u"Receipts");
    EXPECT_EQ(docs[0].pages.size(), 2);
    EXPECT_GT(docs[0].pages[0]->size(), 0u);
    ASSERT_EQ(docs[0].resets.size(), 1);  // the one at the second page; the first came before StartDoc
    EXPECT_EQ(docs[0].resets[0].orientation, 2);
    EXPECT_TRUE(docs[0].ended);
}

TEST_F(PrinterObject, ARefusedDocumentLeavesThePrinterIdle)
{
    m_spooler->AddPrinter({QStringLiteral("Stopped"), kPrinterLocal, {}, std::nullopt, Caps600(), false, true});
    TjxPrinter printer;
    printer.SetPrinterName(QStringLiteral("P"));
    m_spooler->ClearLog();
    printer.EndDoc();  // no document started: nothing to end
    printer.EndPage();
    EXPECT_TRUE(m_spooler->Log().isEmpty()) << m_spooler->Log().join(u'\n').toStdString();

    TjxPrinter stopped;
    stopped.SetPrinterName(QStringLiteral("Stopped"));
    EXPECT_EQ(stopped.PrinterName(), u"Stopped");
    m_spooler->ClearLog();
    stopped.BeginDoc();
    EXPECT_FALSE(stopped.Printing());
    EXPECT_EQ(stopped.CurrentDC(), nullptr);  // the device context went with the document
    stopped.NewPage();
    stopped.EndDoc();
    EXPECT_EQ(stopped.PageCount(), 0);
    const QStringList log = m_spooler->Log();
    EXPECT_TRUE(log.filter(QStringLiteral("StartPage")).isEmpty()) << log.join(u'\n').toStdString();
    EXPECT_TRUE(log.filter(QStringLiteral("EndDoc")).isEmpty()) << log.join(u'\n').toStdString();
    EXPECT_TRUE(m_spooler->Documents().isEmpty());
    // Still usable for measuring, on an information context again.
    EXPECT_EQ(stopped.PixelsPerInch(), QPoint(600, 300));
    EXPECT_EQ(stopped.PrinterName(), u"Stopped");
}

TEST_F(PrinterObject, RefusedContextsFallBackToTheScreen)
{
    m_spooler->AddPrinter({QStringLiteral("Broken"), kPrinterLocal, {}, std::nullopt, Caps600(), true});
    SetSpooler(nullptr);
    SetSpooler(m_spooler);  // a fresh list that knows the new printer
    TjxPrinter printer;
    printer.SetPrinterName(QStringLiteral("Broken"));
    EXPECT_EQ(printer.PixelsPerInch(), QPoint(96, 96));
    EXPECT_EQ(printer.PrinterName(), u"Screen");
    EXPECT_FALSE(PrinterList().Find(QStringLiteral("Broken"))->IsValid());
    // An invalid printer is not selected again.
    printer.SetPrinterName(QStringLiteral("Broken"));
    EXPECT_EQ(printer.PrinterName(), u"Screen");
}

TEST_F(PrinterObject, MonochromePrintersPrintColouredTextBlack)
{
    TjxDeviceCaps mono = Caps600();
    mono.sizePalette = 2;
    mono.numColors = 2;
    m_spooler->SetCaps(QStringLiteral("P"), mono);
    TjxPrinter printer;
    printer.SetPrinterName(QStringLiteral("P"));
    EXPECT_FALSE(printer.IsColor());
    TFont& font = printer.Canvas()->Font();
    EXPECT_EQ(font.PixelsPerInch(), 300);
    font.SetColor(clRed);
    EXPECT_EQ(font.Color(), clBlack);
    font.SetColor(clWhite);
    EXPECT_EQ(font.Color(), clWhite);

    printer.SetPrinterName(QStringLiteral("Screen"));
    printer.PixelsPerInch();
    EXPECT_TRUE(printer.IsColor());
    font.SetColor(clRed);
    EXPECT_EQ(font.Color(), clRed);
}
