// Printing for real: through the CUPS scheduler to the OrvanePDF queue, whose
// cups-pdf backend writes a PDF file that poppler reads back.

#include "components/label.h"
#include "document/band.h"
#include "document/errors.h"
#include "document/printer.h"
#include "document/printer_list.h"
#include "document/report.h"
#include "output/page.h"
#include "output/printer_device.h"
#include "output/publisher.h"
#include "platform/cups_spooler.h"
#include "platform/spooler.h"
#include "tests/support/cups_queue.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace orvane;
using namespace orvane::test;

namespace {

// Painting text on a printer needs the application's fonts.
class GuiEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (!QCoreApplication::instance())
            m_app = std::make_unique<QGuiApplication>(m_argc, m_argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    int m_argc = 1;
    char m_name[16] = "test_platform";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QGuiApplication> m_app;
};

const auto* const g_gui = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

} // namespace

TEST(CupsPrinting, PrintsTwoPagesThroughCupsPdf)
{
    const QString problem = PrepareQueue();
    if (!problem.isEmpty()) {
        if (qEnvironmentVariable("CI") == u"true")
            FAIL() << "CI needs a CUPS scheduler with the " << kQueue.toStdString()
                   << " queue for the printing test, and there is none: " << problem.toStdString();
        GTEST_SKIP() << "no CUPS queue to print to (" << problem.toStdString()
                     << "); scripts/test starts one with scripts/start-cups";
    }
    SetSpooler(nullptr);  // the CUPS spooler

    // The queue as the printer layer sees it.
    TjxPrinterInfo* info = PrinterList().Find(kQueue);
    ASSERT_NE(info, nullptr);
    ASSERT_EQ(info->Name(), kQueue);
    const TjxPrinterCapabilities& caps = info->GetCapabilities();
    const int a4 = int(caps.PaperNumbers.indexOf(QStringLiteral("9")));
    ASSERT_GE(a4, 0) << caps.PaperNames.join(u", ").toStdString();
    EXPECT_NEAR(caps.PaperWidths[a4].toInt(), 2100, 2);
    EXPECT_NEAR(caps.PaperHeights[a4].toInt(), 2970, 2);
    EXPECT_EQ(caps.PaperNames.last(), u"Custom");
    EXPECT_TRUE(caps.BinNames.contains(QStringLiteral("Default")));
    // Papers without a platform number get one above 1000 that another
    // spooler (another run) gives them again.
    const TjxDriverCapabilities again = TjxCupsSpooler().DeviceCapabilities(kQueue);
    QStringList numbers;
    for (int n : again.paperNumbers) {
        EXPECT_TRUE(n < kPaperUser || n > 1000) << n;
        numbers.append(QString::number(n));
    }
    numbers.append(QStringLiteral("256"));
    EXPECT_EQ(QSet<QString>(numbers.begin(), numbers.end()),
              QSet<QString>(caps.PaperNumbers.begin(), caps.PaperNumbers.end()));

    TjxPrinter printer;
    TjxPrinterSetup setup;
    setup.SetPrinterName(kQueue);
    setup.SetUnits(utMillimeters);
    setup.SetPaperName(caps.PaperNames[a4]);
    const QString documentName =
        QStringLiteral("OrvaneCupsTest%1x%2").arg(QCoreApplication::applicationPid()).arg(QDateTime::currentMSecsSinceEpoch());
    setup.SetDocumentName(documentName);
    printer.SetPrinterSetup(setup);
    EXPECT_EQ(printer.PrinterName(), kQueue);
    EXPECT_EQ(printer.DevMode()->paperSize, 9);
    const QPoint ppi = printer.PixelsPerInch();
    EXPECT_GT(ppi.x(), 0);
    // A4 at the device's resolution.
    EXPECT_NEAR(printer.PhysicalSize().width(), 210.0 / 25.4 * ppi.x(), 3);

    const auto printTwoPages = [&](const QString& outputName) {
        printer.SetOutputName(outputName);
        printer.BeginDoc();
        for (const char* text : {"Orvane page one", "Orvane page two"}) {
            printer.NewPage();
            QPainter* painter = printer.Canvas()->Painter();
            ASSERT_NE(painter, nullptr);
            QFont font(QStringLiteral("DejaVu Sans"));
            font.setPointSize(20);
            painter->setFont(font);
            painter->drawText(QPoint(ppi.x(), ppi.y()), QString::fromLatin1(text));
            printer.EndPage();
        }
        printer.EndDoc();
        EXPECT_FALSE(printer.Printing());
    };
    const auto pageCountAndSize = [](const QString& pdf) {
        const QString pdfInfo = Tool(QStringLiteral("pdfinfo"), {pdf}).output;
        EXPECT_TRUE(pdfInfo.contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n")))) << pdfInfo.toStdString();
        EXPECT_TRUE(pdfInfo.contains(QRegularExpression(QStringLiteral("Page size:\\s+59[45](\\.\\d+)? x 84[12]"))))
            << pdfInfo.toStdString();
    };

    // Through the queue. cups-pdf distils the job again by way of PostScript,
    // which turns the fonts into Type 3 fonts whose character codes no longer
    // spell the text: so here each page must carry text, and the words are
    // checked on the document as the printer object writes it (below).
    const QDateTime since = QDateTime::currentDateTime().addSecs(-1);
    printTwoPages(QString());
    const QString pdf = WaitForCupsPdf(since, documentName);
    ASSERT_FALSE(pdf.isEmpty()) << "cups-pdf wrote no PDF within 60 s into "
                                << CupsPdfOutputFolders().join(u", ").toStdString();
    pageCountAndSize(pdf);
    const QStringList pages = Tool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}).output.split(u'\f');
    ASSERT_GE(pages.size(), 2);
    EXPECT_FALSE(pages[0].trimmed().isEmpty());
    EXPECT_FALSE(pages[1].trimmed().isEmpty());
    QFile::remove(pdf);

    // The same document to a file: the job the queue was given, word for word.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("job.pdf"));
    printTwoPages(file);
    pageCountAndSize(file);
    const QStringList words = Tool(QStringLiteral("pdftotext"), {file, QStringLiteral("-")}).output.split(u'\f');
    ASSERT_GE(words.size(), 2);
    EXPECT_EQ(words[0].trimmed(), u"Orvane page one");
    EXPECT_EQ(words[1].trimmed(), u"Orvane page two");
}

// A report through the printer device on the real queue's driver: the words
// of its labels come out on the pages, and a cancelled job leaves no file.
TEST(CupsPrinting, PrintsAReportThroughThePrinterDevice)
{
    ORVANE_REQUIRE_CUPS_QUEUE();
    SetSpooler(nullptr);

    TComponent host;
    auto* report = new TjxReport(&host);
    report->SetName(QStringLiteral("rptCups"));
    report->PrinterSetup()->SetPrinterName(kQueue);
    report->PrinterSetup()->SetDocumentName(QStringLiteral("OrvaneReportJob"));
    TjxBand* header = report->CreateBand(btHeader);
    header->SetmmHeight(20000);
    auto* label = new TjxLabel(&host);
    label->SetBand(header);
    label->SetCaption(QStringLiteral("Trust account receipt"));
    label->SetAutoSize(true);
    report->CreateBand(btDetail)->SetmmHeight(200000);
    report->SetPageLimit(2);
    report->SetAutoStop(false);

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("report.pdf"));
    TjxPrinterDevice device;
    device.SetPrinterSetup(*report->PrinterSetup());
    device.Printer()->SetOutputName(file);
    device.SetPublisher(report->Publisher());
    report->Generate();
    device.SetPublisher(nullptr);
    const QStringList pages = Tool(QStringLiteral("pdftotext"), {file, QStringLiteral("-")}).output.split(u'\f');
    ASSERT_GE(pages.size(), 2) << file.toStdString();
    EXPECT_EQ(pages[0].trimmed(), u"Trust account receipt");
    EXPECT_EQ(pages[1].trimmed(), u"Trust account receipt");

    // Cancelled on its first page: the document is dropped.
    QFile::remove(file);
    device.SetPublisher(report->Publisher());
    device.StartPageHandler = [](TjxDevice* d, TjxPage*) { d->Publisher()->CancelJob(); };
    report->ResetRun();
    report->Generate();
    device.SetPublisher(nullptr);
    EXPECT_FALSE(device.Printer()->Printing());
    EXPECT_FALSE(QFile::exists(file));
    // Nor its spool file.
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty())
        << QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).join(u", ").toStdString();

    // An output file that may not be written says why, and stays as it was.
    device.StartPageHandler = nullptr;
    const QString fifo = dir.filePath(QStringLiteral("fifo.pdf"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    const QString missing = dir.filePath(QStringLiteral("missing/report.pdf"));
    for (const auto& [target, reason] : {std::pair{fifo, QStringLiteral("Not a regular file.")},
                                         std::pair{missing, QStringLiteral("No such file or directory")}}) {
        device.Printer()->SetOutputName(target);
        device.SetPublisher(report->Publisher());
        report->ResetRun();
        try {
            report->Generate();
            ADD_FAILURE() << "printed to " << target.toStdString();
        } catch (const EOrvaneError& e) {
            EXPECT_EQ(e.Message(), "Cannot create file \"" + target + "\". " + reason);
        }
        device.SetPublisher(nullptr);
        EXPECT_FALSE(device.Printer()->Printing());
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList{"fifo.pdf"});
}

TEST(CupsPrinting, TheQueuesResolutionsAreMeasuredAsChosen)
{
    ORVANE_REQUIRE_CUPS_QUEUE();
    SetSpooler(nullptr);
    // The choices the queue's driver offers, each measured as chosen; a
    // resolution it does not offer is not taken.
    std::shared_ptr<TjxSpooler> spooler = Spooler();
    const QList<QSize> offered = spooler->DeviceCapabilities(kQueue).resolutions;
    for (const int dpi : {150, 300, 600})
        EXPECT_TRUE(offered.contains(QSize(dpi, dpi))) << dpi;
    const int handle = spooler->OpenPrinter(kQueue);
    std::optional<TjxDevMode> record = spooler->DocumentProperties(handle);
    spooler->ClosePrinter(handle);
    ASSERT_TRUE(record);
    ASSERT_TRUE(record->fields & dmfPrintQuality);
    const int standard = record->printQuality;
    EXPECT_TRUE(offered.contains(QSize(standard, record->yResolution)));
    const int other = standard == 150 ? 600 : 150;
    record->printQuality = record->yResolution = other;
    EXPECT_EQ(spooler->CreateIC(kQueue, &*record)->Caps().logPixelsX, other);
    record->printQuality = record->yResolution = 123;
    EXPECT_EQ(spooler->CreateIC(kQueue, &*record)->Caps().logPixelsY, standard);
}
