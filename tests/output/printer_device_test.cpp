// Reports printed through the printer device on the test printer platform:
// the print job, its pages and copies, placement on the printable area, the
// status line, and jobs that fail or are cancelled.

#include "tests/engine/report_fixture.h"
#include "tests/support/printer_fixture.h"

#include "document/errors.h"
#include "document/printer.h"
#include "document/printer_setup.h"
#include "output/cancel_dialog.h"
#include "output/printer_device.h"
#include "output/publisher.h"

#include <QImage>
#include <QObject>
#include <QPainter>
#include <QPicture>

using namespace orvane;
using namespace orvane::test;

namespace {

// Nine records, three to a page: three pages, each printed with its own
// numbers so that pages can be told apart by what was painted.
struct PrintedReport : TestPlatform {
    ReportFixture f;

    void SetUp() override
    {
        TestPlatform::SetUp();
        f.AddData(9);
        TjxBand* detail = f.AddBand(btDetail, 90000);
        f.AddField(detail, "id");
        f.report->PrinterSetup()->SetDocumentName(QStringLiteral("Receipts"));
        f.report->SetDeviceType(QStringLiteral("Printer"));
        f.report->SetShowPrintDialog(false);
        f.report->SetShowCancelDialog(false);
    }

    QList<TjxTestSpooler::Document> Documents() const { return m_spooler->Documents(); }

    // The painted bytes of each page of a document.
    static QList<QByteArray> Pictures(const TjxTestSpooler::Document& document)
    {
        QList<QByteArray> pictures;
        for (const auto& page : document.pages)
            pictures.append(QByteArray(page->data(), int(page->size())));
        return pictures;
    }
};

// The status line of a cancel dialog, as its window would show it.
struct StatusLine : QObject, TjxCancelDialogStatus {
    QStringList shown;
    QString StatusText() const override { return shown.isEmpty() ? QString() : shown.last(); }
    void ShowStatusText(const QString& text) override { shown.append(text); }
};

} // namespace

TEST_F(PrintedReport, PagesFormOneJobOnTheChosenPrinter)
{
    f.report->Print();
    EXPECT_FALSE(f.report->Producing());
    EXPECT_EQ(f.report->PrinterDevice(), nullptr);
    const auto documents = Documents();
    ASSERT_EQ(documents.size(), 1);
    EXPECT_EQ(documents[0].printer, u"P");
    EXPECT_EQ(documents[0].name, u"Receipts");
    EXPECT_TRUE(documents[0].ended);
    EXPECT_FALSE(documents[0].aborted);
    const QList<QByteArray> pictures = Pictures(documents[0]);
    ASSERT_EQ(pictures.size(), 3);
    EXPECT_NE(pictures[0], pictures[1]);
    EXPECT_NE(pictures[1], pictures[2]);
}

TEST_F(PrintedReport, CollatedCopiesRunTheReportAgainUncollatedRepeatEachPage)
{
    f.report->PrinterSetup()->SetCopies(2);
    f.report->PrinterSetup()->SetCollation(true);
    f.report->Print();
    auto documents = Documents();
    ASSERT_EQ(documents.size(), 1);
    QList<QByteArray> pictures = Pictures(documents[0]);
    ASSERT_EQ(pictures.size(), 6);
    EXPECT_EQ(pictures.mid(0, 3), pictures.mid(3, 3));
    EXPECT_NE(pictures[0], pictures[1]);
    EXPECT_TRUE(documents[0].ended);

    f.report->PrinterSetup()->SetCopies(3);
    f.report->PrinterSetup()->SetCollation(false);
    f.report->Print();
    documents = Documents();
    ASSERT_EQ(documents.size(), 2);
    pictures = Pictures(documents[1]);
    ASSERT_EQ(pictures.size(), 9);
    for (int page = 0; page < 3; ++page) {
        EXPECT_EQ(pictures[3 * page], pictures[3 * page + 1]) << page;
        EXPECT_EQ(pictures[3 * page], pictures[3 * page + 2]) << page;
    }
    EXPECT_NE(pictures[0], pictures[3]);
    // The driver is never asked for copies: the device makes them.
    for (const TjxDevMode& reset : documents[1].resets)
        EXPECT_EQ(reset.copies, 1);
}

TEST_F(PrintedReport, EachPageBringsItsOwnPaperAndOrientation)
{
    // Pages as a report hands them on: the second one landscape on Legal.
    TjxPublisher publisher;
    TjxPrinterDevice device;
    device.SetPrinterSetup(*f.report->PrinterSetup());
    device.SetPublisher(&publisher);
    publisher.StartJob();
    for (int n = 1; n <= 3; ++n) {
        TjxPage page;
        page.SetPrinterSetup(f.report->PrinterSetup());
        if (n == 2) {
            page.PrinterSetup()->SetPaperName(QStringLiteral("Legal"));
            page.PrinterSetup()->SetOrientation(poLandscape);
        }
        page.SetAbsolutePageNo(n);
        page.SetFirstPage(n == 1);
        page.SetLastPage(n == 3);
        page.SetFinal(true);
        publisher.ReceivePage(&page);
    }
    publisher.EndJob();
    device.SetPublisher(nullptr);

    const auto documents = Documents();
    ASSERT_EQ(documents.size(), 1);
    EXPECT_EQ(documents[0].pages.size(), 3);
    // The driver takes a new record before page 2 and the first one back before page 3.
    const QStringList log = m_spooler->Log();
    QStringList beforePages;
    for (int i = 1; i < log.size(); ++i)
        if (log[i].startsWith(QStringLiteral("StartPage")))
            beforePages.append(log[i - 1].startsWith(QStringLiteral("ResetDC")) ? log[i - 1].section(u' ', 3, 4)
                                                                                 : QStringLiteral("same"));
    ASSERT_EQ(beforePages.size(), 3) << log.join(u'\n').toStdString();
    EXPECT_EQ(beforePages[1], u"orientation=2 paper=5");
    EXPECT_EQ(beforePages[2], u"orientation=1 paper=9");
    EXPECT_TRUE(documents[0].ended);
}

TEST_F(PrintedReport, CommandsArePlacedFromThePapersCorner)
{
    // Caps600: 600 x 300 pixels an inch, printable area from (100, 50).
    TjxPrinterDevice device;
    device.SetPrinterSetup(*f.report->PrinterSetup());
    device.PageRequest()->SetPageRange(prOddPages);
    QList<int> printed;
    QRect firstRect;
    device.EndPageHandler = [&](TjxDevice*, TjxPage* page) {
        printed.append(page->AbsolutePageNo());
        if (printed.size() == 1)
            firstRect = page->DrawCommand(0)->DrawRect();
    };
    StatusLine status;
    device.SetCancelDialog(&status);
    device.SetPublisher(f.report->Publisher());
    f.report->Generate();
    device.SetPublisher(nullptr);

    EXPECT_EQ(printed, QList<int>({1, 3}));
    EXPECT_EQ(device.OffsetX(), -100);
    EXPECT_EQ(device.OffsetY(), -50);
    // The field sits on the left margin (6350) at the page's top margin (13500).
    EXPECT_EQ(firstRect.left(), ThousandthsToPixels(6350, 600) - 100);
    EXPECT_EQ(firstRect.top(), ThousandthsToPixels(13500, 300) - 50);

    // A one-pass report does not know its page count before its last page.
    ASSERT_GE(status.shown.size(), 3);
    EXPECT_EQ(status.shown.first(), u"Accessing data...");
    EXPECT_EQ(status.shown[1], u"Printing page 1 for report Receipts on the P");
    EXPECT_EQ(status.shown.last(), u"Printing page 3 of 3 for report Receipts on the P");
}

TEST_F(PrintedReport, TwoPassReportsShowThePageCountOnceTheFirstPassIsThrough)
{
    f.report->SetPassSetting(psTwoPass);
    TjxPrinterDevice device;
    device.SetPrinterSetup(*f.report->PrinterSetup());
    StatusLine status;
    device.SetCancelDialog(&status);
    device.SetPublisher(f.report->Publisher());
    f.report->Generate();
    device.SetPublisher(nullptr);
    // The first pass's pages change nothing until the pass is through.
    EXPECT_EQ(status.shown, QStringList({"Accessing data...", "Printing page 3 of 3 for report Receipts on the P",
                                         "Printing page 1 of 3 for report Receipts on the P",
                                         "Printing page 2 of 3 for report Receipts on the P",
                                         "Printing page 3 of 3 for report Receipts on the P"}));
    ASSERT_EQ(Documents().size(), 1);
    EXPECT_EQ(Documents()[0].pages.size(), 3);
}

TEST_F(PrintedReport, CancelledOrFailedJobsNeverReachThePaper)
{
    TMethod cancelOnSecondPage;
    cancelOnSecondPage.code = [&](TComponent*, TjxEventParams&) {
        if (f.report->Engine()->AbsolutePageNo() == 2)
            f.report->Cancel();
    };
    f.report->SetOnStartPage(cancelOnSecondPage);
    f.report->Print();
    EXPECT_TRUE(f.report->Cancelled());
    auto documents = Documents();
    ASSERT_EQ(documents.size(), 1);
    EXPECT_TRUE(documents[0].aborted);
    EXPECT_FALSE(documents[0].ended);

    // A band taller than the page stops the run with an error.
    f.report->SetOnStartPage(TMethod());
    f.report->FindBand(btDetail)->SetmmHeight(280000);
    EXPECT_THROW(f.report->Print(), EPrintError);
    EXPECT_FALSE(f.report->Producing());
    documents = Documents();
    ASSERT_EQ(documents.size(), 2);
    EXPECT_TRUE(documents[1].aborted);
    EXPECT_FALSE(documents[1].ended);
    EXPECT_TRUE(m_spooler->Log().filter(QStringLiteral("EndDoc")).isEmpty());
}

TEST_F(PrintedReport, APrinterThatRefusesTheDocumentIsAnError)
{
    m_spooler->AddPrinter({QStringLiteral("Stopped"), kPrinterLocal, {}, std::nullopt, Caps600(), false, true});
    f.report->PrinterSetup()->SetPrinterName(QStringLiteral("Stopped"));
    try {
        f.report->Print();
        FAIL() << "printed on a stopped printer";
    } catch (const EPrintError& e) {
        EXPECT_EQ(e.Message(), u"The printer Stopped did not accept the document.");
    }
    EXPECT_FALSE(f.report->Producing());
    EXPECT_TRUE(Documents().isEmpty());
    // The report keeps its own setup.
    EXPECT_EQ(f.report->PrinterSetup()->PrinterName(), u"Stopped");
}

using NoPrinterReport = NoPrinterPlatform;

TEST_F(NoPrinterReport, PrintingWithoutAPrinterSaysSo)
{
    ReportFixture f;
    f.AddData(3);
    f.AddField(f.AddBand(btDetail, 90000), "id");
    f.report->SetDeviceType(QStringLiteral("Printer"));
    f.report->SetShowPrintDialog(false);
    try {
        f.report->Print();
        FAIL() << "printed without a printer";
    } catch (const EPrintError& e) {
        EXPECT_EQ(e.Message(), u"There are no printers connected to your computer.");
    }
    EXPECT_FALSE(f.report->Producing());
    EXPECT_EQ(f.report->PrinterDevice(), nullptr);
    EXPECT_TRUE(m_spooler->Documents().isEmpty());
}

TEST_F(PrintedReport, WhatMakesAPrinterUnusableIsNamed)
{
    m_spooler->AddPrinter({QStringLiteral("Broken"), kPrinterLocal, {}, std::nullopt, Caps600(), true, false});
    const auto problemWith = [](const QString& printerName) {
        TjxPrinterSetup setup;
        setup.SetPrinterName(printerName);
        TjxPrinterDevice device;
        device.SetPrinterSetup(setup);
        try {
            device.RequireUsablePrinter();
        } catch (const EPrintError& e) {
            return e.Message();
        }
        return QString();
    };
    EXPECT_EQ(problemWith(QStringLiteral("Q")), u"");
    EXPECT_EQ(problemWith(QStringLiteral("Default")), u"");
    // An unknown name falls back to the default printer, which prints.
    EXPECT_EQ(problemWith(QStringLiteral("Gone")), u"");
    EXPECT_EQ(problemWith(QStringLiteral("Screen")), u"Screen printer does not support printing.");
    EXPECT_EQ(problemWith(QStringLiteral("Broken")), u"The printer Broken cannot be opened.");

    // Without a default printer, nothing is left to fall back on.
    m_spooler->SetDefaultPrinter(QString());
    for (const QString& name : {QStringLiteral("Default"), QString(), QStringLiteral("Gone"), QStringLiteral("Screen")})
        EXPECT_EQ(problemWith(name), u"There is no default printer.") << name.toStdString();
    EXPECT_EQ(problemWith(QStringLiteral("P")), u"");
    EXPECT_TRUE(Documents().isEmpty());
}

TEST_F(PrintedReport, APrinterWithoutColourPrintsColouredTextBlack)
{
    TjxTestSpooler::Printer mono{QStringLiteral("Mono"), kPrinterLocal, OfficePrinterCapabilities(),
                                 OfficeDriverSettings(), Caps600(), false};
    mono.caps.sizePalette = 2;
    mono.caps.numColors = 2;
    m_spooler->AddPrinter(mono);
    ReportFixture r;
    TjxLabel* label = r.AddLabel(r.AddBand(btTitle, 20000), QStringLiteral("Overdue"));
    label->Font()->SetSize(24);
    label->Font()->SetColor(clRed);
    r.report->SetDeviceType(QStringLiteral("Printer"));
    r.report->SetShowPrintDialog(false);

    // The pixels each printer's page shows: red ones and dark ones.
    const auto inks = [&](const QString& printer) {
        r.report->PrinterSetup()->SetPrinterName(printer);
        r.report->Print();
        const auto page = Documents().last().pages.value(0);
        const QRect box = page ? page->boundingRect() : QRect();
        QImage image(box.size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        image.fill(Qt::white);
        if (page) {
            QPainter painter(&image);
            painter.translate(-box.topLeft());
            painter.drawPicture(0, 0, *page);
        }
        int red = 0, dark = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                red += c.red() > 200 && c.green() < 80 && c.blue() < 80;
                dark += c.red() < 80 && c.green() < 80 && c.blue() < 80;
            }
        return std::pair(red, dark);
    };
    const auto [colourRed, colourDark] = inks(QStringLiteral("P"));
    EXPECT_GT(colourRed, 50);
    EXPECT_EQ(colourDark, 0);
    const auto [monoRed, monoDark] = inks(QStringLiteral("Mono"));
    EXPECT_EQ(monoRed, 0);
    EXPECT_GT(monoDark, 50);
}
