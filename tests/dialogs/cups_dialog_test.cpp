// The dialogs on the real queue: a page list with collated copies chosen in
// the print dialog comes out of cups-pdf in that order, and a run cancelled
// in the cancel dialog leaves no job and no file.

#include "dialog_fixture.h"
#include "tests/support/cups_queue.h"

#include "components/db_text.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/printer.h"
#include "output/printer_device.h"
#include "platform/spooler.h"

#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdlib>
#include <functional>
#include <limits>
#include <memory>

using namespace orvane;
using namespace orvane::test;

namespace {

class CupsDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ORVANE_REQUIRE_CUPS_QUEUE();
        SetSpooler(nullptr);
        m_document = QStringLiteral("OrvaneDialog%1x%2")
                         .arg(QCoreApplication::applicationPid())
                         .arg(QDateTime::currentMSecsSinceEpoch());
    }

    // One record a page, its number printed large enough to tell pages
    // apart in a coarse rendering.
    void MakeReport(int records, int bandHeight = 250000)
    {
        f.AddData(records);
        TjxBand* detail = f.AddBand(btDetail, bandHeight);
        TjxDBText* number = f.AddField(detail, "id", 20000, 20000);
        number->Font()->SetName(QStringLiteral("Arial"));
        number->Font()->SetSize(200);
        number->SetBounds(20000, 20000, 100000, bandHeight - 40000);
        f.report->SetDeviceType(QStringLiteral("Printer"));
        f.report->PrinterSetup()->SetPrinterName(kQueue);
        f.report->PrinterSetup()->SetDocumentName(m_document);
    }

    // Each page as a small grey image.
    static QList<QImage> Pages(const QString& pdf, QTemporaryDir& dir, const QString& prefix)
    {
        Tool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("12"), QStringLiteral("-gray"), pdf,
                                          dir.filePath(prefix)});
        QList<QImage> pages;
        QStringList files = QDir(dir.path()).entryList({prefix + QStringLiteral("*.pgm")}, QDir::Files, QDir::Name);
        for (const QString& file : files)
            pages << QImage(dir.filePath(file)).convertToFormat(QImage::Format_Grayscale8);
        return pages;
    }

    static long long Distance(const QImage& a, const QImage& b)
    {
        if (a.size() != b.size())
            return std::numeric_limits<long long>::max();
        long long sum = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                sum += std::abs(int(a.constScanLine(y)[x]) - int(b.constScanLine(y)[x]));
        return sum;
    }

    // Prints with the print dialog on the queue: `inDialog` sees the print
    // dialog with the queue chosen, `inOptions` the queue's options dialog
    // that its Properties button opens, then both are confirmed.
    void PrintThroughOptions(const std::function<void(QDialog*)>& inDialog,
                             const std::function<void(QDialog*)>& inOptions)
    {
        QPointer<QTimer> answer = WhenDialog(QStringLiteral("printDialog"), [&](QDialog* dialog) {
            auto* printers = Child<QComboBox>(dialog, "printerList");
            printers->setCurrentIndex(printers->findText(kQueue));
            inDialog(dialog);
            QPointer<QTimer> options = WhenDialog(QStringLiteral("printerOptions"), [&](QDialog* optionsDialog) {
                inOptions(optionsDialog);
                Child<QPushButton>(optionsDialog, "okButton")->click();
            });
            Child<QPushButton>(dialog, "propertiesButton")->click();
            delete options;
            Child<QPushButton>(dialog, "okButton")->click();
        });
        f.report->Print();
        delete answer;
    }

    ReportFixture f;
    QString m_document;
};

int CompletedJobs()
{
    return int(Tool(QStringLiteral("lpstat"), {QStringLiteral("-W"), QStringLiteral("completed"), QStringLiteral("-o"),
                                               kQueue})
                   .output.split(u'\n', Qt::SkipEmptyParts)
                   .size());
}

// The resolution a completed job of this name was submitted with, as the
// scheduler keeps it; empty when it has none or no such job.
QString JobResolution(const QString& jobName)
{
    QTemporaryDir dir;
    const QString test = dir.filePath(QStringLiteral("jobs.test"));
    QFile file(test);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write("{\n  NAME \"jobs\"\n  OPERATION Get-Jobs\n  GROUP operation-attributes-tag\n"
               "  ATTR charset attributes-charset utf-8\n  ATTR naturalLanguage attributes-natural-language en\n"
               "  ATTR uri printer-uri $uri\n  ATTR name requesting-user-name $user\n"
               "  ATTR keyword which-jobs completed\n"
               "  ATTR keyword requested-attributes job-id,job-name,printer-resolution\n}\n");
    file.close();
    const QString out =
        Tool(QStringLiteral("ipptool"), {QStringLiteral("-tv"), QStringLiteral("ipp://localhost/printers/") + kQueue, test})
            .output;
    // One job after another, separated; the job's attributes in any order.
    for (const QString& job : out.split(QStringLiteral("-- separator --"))) {
        if (!job.contains(QStringLiteral("job-name (nameWithoutLanguage) = ") + jobName + u'\n'))
            continue;
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("printer-resolution \\(resolution\\) = (\\S+)")).match(job);
        return m.hasMatch() ? m.captured(1) : QStringLiteral("none");
    }
    return {};
}

} // namespace

TEST_F(CupsDialogTest, PageListWithCollatedCopiesComesOutInThatOrder)
{
    MakeReport(6);
    QTemporaryDir dir;
    // The six pages as the printer writes them, to tell the queue's pages apart.
    const QString reference = dir.filePath(QStringLiteral("reference.pdf"));
    f.report->SetShowPrintDialog(false);
    f.report->SetShowCancelDialog(false);
    f.report->OnRunDeviceReady = [&](TjxDevice* device) {
        static_cast<TjxPrinterDevice*>(device)->Printer()->SetOutputName(reference);
    };
    f.report->Print();
    f.report->OnRunDeviceReady = nullptr;
    const QList<QImage> pages = Pages(reference, dir, QStringLiteral("ref"));
    ASSERT_EQ(pages.size(), 6);

    f.report->SetShowPrintDialog(true);
    f.report->SetShowCancelDialog(true);
    const QDateTime since = QDateTime::currentDateTime().addSecs(-1);
    QPointer<QTimer> answer = WhenDialog(QStringLiteral("printDialog"), [](QDialog* dialog) {
        PagesTwoToThreeAndFiveTwiceCollated(dialog, kQueue);
    });
    f.report->Print();
    delete answer;
    const QString pdf = WaitForCupsPdf(since, m_document);
    ASSERT_FALSE(pdf.isEmpty()) << "cups-pdf wrote no PDF into " << CupsPdfOutputFolders().join(u", ").toStdString();
    const QList<QImage> printed = Pages(pdf, dir, QStringLiteral("job"));
    QFile::remove(pdf);
    ASSERT_EQ(printed.size(), 6);
    // Each printed page is the reference page it looks most like.
    QList<int> order;
    for (const QImage& page : printed) {
        int best = 0;
        for (int i = 1; i < pages.size(); ++i)
            if (Distance(page, pages[i]) < Distance(page, pages[best]))
                best = i;
        order << best + 1;
    }
    EXPECT_EQ(order, (QList<int>{2, 3, 5, 2, 3, 5}));
}

TEST_F(CupsDialogTest, CancelLeavesNoJobAndNoFile)
{
    MakeReport(300);
    f.report->SetShowPrintDialog(false);
    const int completedBefore = CompletedJobs();
    const QDateTime since = QDateTime::currentDateTime().addSecs(-1);
    bool cancelled = false;
    QPointer<QTimer> cancel = WhenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QDialog*>(modal);
        if (!dialog || dialog->objectName() != u"cancelDialog" ||
            !Child<QLabel>(dialog, "statusMemo")->text().startsWith(u"Printing page"))
            return false;
        Child<QPushButton>(dialog, "cancelButton")->click();
        cancelled = true;
        return true;
    });
    f.report->Print();
    delete cancel;
    ASSERT_TRUE(cancelled);
    EXPECT_TRUE(f.report->Cancelled());
    // Nothing was handed to the queue: no job of this document, done or
    // waiting, and no file. (Jobs of other programs on the same queue each
    // leave a file of their own name.)
    QThread::msleep(2000);
    int othersFiles = 0;
    bool ours = false;
    for (const QString& folder : CupsPdfOutputFolders()) {
        QDirIterator it(folder, {QStringLiteral("*.pdf")}, QDir::Files);
        while (it.hasNext()) {
            const QFileInfo info(it.next());
            if (info.lastModified() < since)
                continue;
            if (info.fileName().contains(m_document))
                ours = true;
            else
                ++othersFiles;
        }
    }
    EXPECT_FALSE(ours);
    EXPECT_LE(CompletedJobs() - completedBefore, othersFiles);
}

TEST_F(CupsDialogTest, ThePropertiesButtonsPaperReachesTheJob)
{
    // Small enough for the A5 paper chosen below.
    MakeReport(1, 120000);
    f.report->SetShowCancelDialog(false);
    QString paperChosen;
    const QDateTime since = QDateTime::currentDateTime().addSecs(-1);
    PrintThroughOptions([](QDialog*) {},
                        [&](QDialog* optionsDialog) {
                            auto* papers = Child<QComboBox>(optionsDialog, "paperList");
                            const int a5 = papers->findText(QStringLiteral("A5"), Qt::MatchStartsWith);
                            if (a5 >= 0)
                                papers->setCurrentIndex(a5);
                            else
                                ADD_FAILURE() << "the queue offers no A5 paper";
                            paperChosen = papers->currentText();
                        });
    ASSERT_FALSE(paperChosen.isEmpty());
    const QString pdf = WaitForCupsPdf(since, m_document);
    ASSERT_FALSE(pdf.isEmpty());
    const QString info = Tool(QStringLiteral("pdfinfo"), {pdf}).output;
    QFile::remove(pdf);
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+4(19|20|21)(\\.\\d+)? x 595"))))
        << info.toStdString();
    // The report's own setup is back as it was (SavePrinterSetup is off).
    EXPECT_NE(f.report->PrinterSetup()->PaperName(), paperChosen);
}

TEST_F(CupsDialogTest, ThePropertiesResolutionReachesTheJobAndWhereIsTheLocation)
{
    const QString where = QStringLiteral("Orvane test room, second floor");
    ASSERT_EQ(SetQueueLocation(where), QString());
    // The queue is the machine's too: it gets its empty location back.
    const std::unique_ptr<void, void (*)(void*)> restore(this, [](void*) { SetQueueLocation(QString()); });
    SetSpooler(nullptr);
    MakeReport(1, 120000);
    f.report->SetShowCancelDialog(false);
    QString whereShown, chosen, standard;
    const QDateTime since = QDateTime::currentDateTime().addSecs(-1);
    PrintThroughOptions([&](QDialog* dialog) { whereShown = Child<QLabel>(dialog, "whereLabel")->text(); },
                        [&](QDialog* optionsDialog) {
                            auto* resolutions = Child<QComboBox>(optionsDialog, "resolutionList");
                            standard = resolutions->currentText();
                            // Something else than the queue's default.
                            const int pick =
                                resolutions->findText(MessageText(msg::ResolutionDpi, {QStringLiteral("150")}));
                            const int other =
                                resolutions->findText(MessageText(msg::ResolutionDpi, {QStringLiteral("600")}));
                            resolutions->setCurrentIndex(standard == resolutions->itemText(pick) ? other : pick);
                            chosen = resolutions->currentText();
                        });
    EXPECT_EQ(whereShown, where);
    ASSERT_FALSE(chosen.isEmpty());
    EXPECT_NE(chosen, standard);
    const QString pdf = WaitForCupsPdf(since, m_document);
    ASSERT_FALSE(pdf.isEmpty());
    QFile::remove(pdf);
    const QString dots = chosen.section(u' ', 0, 0);
    EXPECT_EQ(JobResolution(m_document), dots + QStringLiteral("dpi"));
}
