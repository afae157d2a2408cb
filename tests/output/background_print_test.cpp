// Background printing: jobs queued on the user-interface thread print on a
// worker from a copy of the report's container, one after the other.

#include "../support/gui_environment.h"
#include "../support/cups_pdf.h"
#include "../support/process_run.h"
#include "background_jobs.h"

#include "document/errors.h"
#include "document/form.h"
#include "document/printer.h"
#include "document/printer_setup.h"
#include "platform/spooler.h"
#include "output/background_print.h"
#include "output/page_request.h"
#include "engine/pipeline_list.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

// Page count and the text of each page, blanks and line breaks made single blanks.
struct PdfContent {
    int pages = -1;
    QStringList texts;
};

PdfContent ReadPdf(const QString& file)
{
    PdfContent content;
    const ProcessRun info = RunProgramPiped(QStringLiteral("pdfinfo"), {file});
    const qsizetype at = info.out.indexOf(u"Pages:");
    if (info.exitCode != 0 || at < 0)
        return content;
    content.pages = info.out.mid(at + 6).section(u'\n', 0, 0).trimmed().toInt();
    content.texts = RunProgramPiped(QStringLiteral("pdftotext"), {file, QStringLiteral("-")}).out.split(u'\f');
    for (QString& text : content.texts)
        text = text.simplified();
    content.texts.removeLast();  // what follows the last form feed
    return content;
}

class BackgroundPrint : public ::testing::Test {
protected:
    void SetUp() override
    {
        TjxBackgroundPrintManager& manager = TjxBackgroundPrintManager::Instance();
        manager.ErrorHandler = [this](const QString& message) { m_errors << message; };
        manager.ThreadEndedHandler = [this] { ++m_ended; };
        manager.AllThreadsEndedHandler = nullptr;
    }
    void TearDown() override
    {
        TjxBackgroundPrintManager& manager = TjxBackgroundPrintManager::Instance();
        manager.Flush();
        WaitUntilIdle();
        manager.ErrorHandler = nullptr;
        manager.ThreadEndedHandler = nullptr;
    }

    QStringList m_errors;
    int m_ended = 0;
    BackgroundJobs m_jobs;
};

TEST_F(BackgroundPrint, AlternatingJobsEachPrintCompleteAndOnce)
{
    // Shorter lists where the sanitizers slow every page down.
    const int jobs = 100;
    const int listPages = kSanitized ? 10 : 300;
    m_jobs.MakeListData(listPages * 3);
    QStringList files;
    for (int i = 0; i < jobs; ++i) {
        const QString file = m_jobs.dir.filePath(QStringLiteral("job%1.pdf").arg(i, 3, 10, QChar(u'0')));
        files << file;
        m_jobs.Queue(i % 2 ? m_jobs.List() : m_jobs.Receipt(), file);
    }
    // The user-interface thread queued them all while the first printed.
    EXPECT_GT(TjxBackgroundPrintManager::Instance().RequestCount(), 0);
    ASSERT_TRUE(WaitUntilIdle(600000));
    EXPECT_EQ(m_errors, QStringList());
    EXPECT_EQ(m_ended, jobs);
    EXPECT_EQ(ReportWorkerCount().load(), 0);
    for (int i = 0; i < jobs; ++i) {
        const PdfContent pdf = ReadPdf(files[i]);
        if (i % 2) {
            ASSERT_EQ(pdf.pages, listPages) << files[i].toStdString();
            EXPECT_EQ(pdf.texts.first(), u"Item 1 Item 2 Item 3");
            EXPECT_EQ(pdf.texts.last(), QStringLiteral("Item %1 Item %2 Item %3")
                                            .arg(listPages * 3 - 2)
                                            .arg(listPages * 3 - 1)
                                            .arg(listPages * 3));
        } else {
            ASSERT_EQ(pdf.texts, QStringList({"Trust account receipt 1", "Trust account receipt 2"}))
                << files[i].toStdString();
        }
    }
    // Nothing but the jobs' files was written.
    EXPECT_EQ(QDir(m_jobs.dir.path()).entryList({QStringLiteral("*.pdf")}, QDir::Files).size(), jobs);
}

TEST_F(BackgroundPrint, TheCopyPrintsWhileTheUserGoesOnWorking)
{
    const int listPages = kSanitized ? 15 : 60;
    m_jobs.MakeListData(listPages * 3);
    int ticksWhileBusy = 0;
    QTimer timer;
    timer.setInterval(50);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (TjxBackgroundPrintManager::Instance().RequestCount() > 0)
            ++ticksWhileBusy;
    });
    timer.start();
    TjxReport* list = m_jobs.List();
    const QString first = m_jobs.dir.filePath(QStringLiteral("first.pdf"));
    for (int i = 0; i < 10; ++i)
        m_jobs.Queue(list, i == 0 ? first : m_jobs.dir.filePath(QStringLiteral("job%1.pdf").arg(i)));
    // Later changes to the report reach no queued job: each has its own copy.
    list->Template()->LoadFromFile();  // the same layout again, a new tree
    list->PrinterSetup()->SetDocumentName(QStringLiteral("Changed"));
    ASSERT_TRUE(WaitUntilIdle(600000));
    timer.stop();
    EXPECT_EQ(m_errors, QStringList());
    EXPECT_EQ(m_ended, 10);
    EXPECT_GT(ticksWhileBusy, 0) << "the event loop never ran while jobs printed";
    EXPECT_EQ(ReadPdf(first).pages, listPages);
    EXPECT_FALSE(list->Producing());
}

TEST_F(BackgroundPrint, RequestChecksNameTheProblemAndLeaveTheQueueAlone)
{
    const int listPages = kSanitized ? 30 : 300;
    m_jobs.MakeListData(listPages * 3);
    const QString running = m_jobs.dir.filePath(QStringLiteral("running.pdf"));
    const QString queued = m_jobs.dir.filePath(QStringLiteral("queued.pdf"));
    m_jobs.Queue(m_jobs.List(), running);
    m_jobs.Queue(m_jobs.Receipt(), queued);
    TjxBackgroundPrintManager& manager = TjxBackgroundPrintManager::Instance();

    const auto messageOf = [&](auto&& call) -> QString {
        try {
            call();
        } catch (const EBackgroundPrintError& e) {
            return e.Message();
        }
        return {};
    };
    // A report without owner, a producer that is no report, the screen.
    TjxReport orphan;
    orphan.SetName(QStringLiteral("rptOrphan"));
    EXPECT_EQ(messageOf([&] { manager.Print(&orphan, nullptr, {}, {}, QStringLiteral("PDFFile")); }),
              u"TjxBackgroundPrintRequest.Create: Owner of producer cannot be nil for background printing.");
    TjxProducer bare;
    EXPECT_EQ(messageOf([&] { manager.Print(&bare, nullptr, {}, {}, QStringLiteral("PDFFile")); }),
              u"TjxBackgroundPrintManager.Print: Background printing not supported for TjxProducer");
    EXPECT_EQ(messageOf([&] { manager.Print(nullptr, nullptr, {}, {}, QStringLiteral("PDFFile")); }),
              u"TjxBackgroundPrintManager.Print: Background printing not supported for ");
    EXPECT_EQ(messageOf([&] { manager.Print(m_jobs.Receipt(), nullptr, {}, {}, QStringLiteral("Screen")); }),
              u"TjxBackgroundPrintRequest.Create: The producer's device cannot be a screen device for background "
              u"printing.");
    EXPECT_EQ(messageOf([&] { m_jobs.Receipt()->InternalPrintInBackground(nullptr, QStringLiteral("Screen"), {}, {}); }),
              u"TjxProducer.InternalPrintInBackground: Cannot print to the screen in the background.");
    EXPECT_EQ(messageOf([] {
                  TjxBackgroundPrintRequest(nullptr, {}, {}, QStringLiteral("PDFFile"), nullptr);
              }),
              u"TjxBackgroundPrintRequest.Create: Producer cannot be nil for background printing.");
    TjxPageRequest notAProducer;
    EXPECT_EQ(messageOf([&] {
                  TjxBackgroundPrintRequest(&notAProducer, {}, {}, QStringLiteral("PDFFile"), nullptr);
              }),
              u"TjxBackgroundPrintRequest.Create: Object passed as producer is not a TjxProducer but rather a "
              u"TjxPageRequest");
    // A missing request is the queue's error, reported with the next job's end.
    manager.Queue().Add(nullptr);

    // The jobs queued before are still there and print.
    EXPECT_EQ(manager.RequestCount(), 2);
    ASSERT_TRUE(WaitUntilIdle(600000));
    EXPECT_EQ(ReadPdf(running).pages, listPages);
    EXPECT_EQ(ReadPdf(queued).pages, 2);
    EXPECT_EQ(m_errors, QStringList({"TjxBackgroundPrintQueue.Add: The background print request may not be nil."}));
}

TEST_F(BackgroundPrint, FlushCancelsTheRunningJobAndDropsTheQueued)
{
    m_jobs.MakeListData(3000 * 3);
    const QString running = m_jobs.dir.filePath(QStringLiteral("running.pdf"));
    m_jobs.Queue(m_jobs.List(), running);
    for (int i = 0; i < 3; ++i)
        m_jobs.Queue(m_jobs.Receipt(), m_jobs.dir.filePath(QStringLiteral("dropped%1.pdf").arg(i)));
    TjxBackgroundPrintManager& manager = TjxBackgroundPrintManager::Instance();
    EXPECT_EQ(manager.RequestCount(), 4);
    manager.Flush();
    // The running job stays counted until its worker has ended.
    EXPECT_EQ(manager.RequestCount(), 1);
    // A job queued right after the flush waits for the cancelled worker.
    const QString after = m_jobs.dir.filePath(QStringLiteral("after.pdf"));
    m_jobs.Queue(m_jobs.Receipt(), after);
    EXPECT_EQ(manager.RequestCount(), 2);
    ASSERT_TRUE(WaitUntilIdle(600000));
    EXPECT_EQ(m_errors, QStringList());
    EXPECT_EQ(m_ended, 2);
    // A cancelled run leaves no file; the dropped jobs never started.
    EXPECT_FALSE(QFile::exists(running));
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(QFile::exists(m_jobs.dir.filePath(QStringLiteral("dropped%1.pdf").arg(i))));
    EXPECT_EQ(ReadPdf(after).pages, 2);
}

TEST_F(BackgroundPrint, AJobsOwnFailuresReachTheUserAfterItEnded)
{
    // The data file is gone by the time the copy opens it.
    m_jobs.MakeListData(30);
    TjxReport* list = m_jobs.List();
    QFile::remove(m_jobs.data);
    m_jobs.Queue(list, m_jobs.dir.filePath(QStringLiteral("nodata.pdf")));
    // A container without the report.
    m_jobs.nameOverride = QStringLiteral("rptElsewhere");
    m_jobs.Queue(m_jobs.Receipt(), m_jobs.dir.filePath(QStringLiteral("noreport.pdf")));
    m_jobs.nameOverride.clear();
    // A container whose making fails.
    m_jobs.failCreation = true;
    m_jobs.Queue(m_jobs.Receipt(), m_jobs.dir.filePath(QStringLiteral("nocontainer.pdf")));
    m_jobs.failCreation = false;
    ASSERT_TRUE(WaitUntilIdle(600000));
    ASSERT_EQ(m_errors.size(), 3);
    EXPECT_TRUE(m_errors[0].startsWith(u"TjxBackgroundReportGenerator.ProcessRequest: Cannot Generate Report\r\n"))
        << m_errors[0].toStdString();
    EXPECT_TRUE(m_errors[0].contains(m_jobs.data)) << m_errors[0].toStdString();
    EXPECT_EQ(m_errors[1], u"TjxBackgroundContainerAdapter.CreateContainer: Cannot find producer in owner: "
                           u"rptReceipt");
    EXPECT_EQ(m_errors[2], u"EReadError: The container's description cannot be read.");
    EXPECT_TRUE(QDir(m_jobs.dir.path()).entryList({QStringLiteral("*.pdf")}, QDir::Files).isEmpty());
    EXPECT_EQ(ReportWorkerCount().load(), 0);
}

TEST_F(BackgroundPrint, ATimeoutNoticeKeepsTheJobsOwnError)
{
    TjxBackgroundPrintManager& manager = TjxBackgroundPrintManager::Instance();
    manager.Queue().ContainerTimeoutMs = 300;
    m_jobs.creationDelayMs = 900;
    m_jobs.nameOverride = QStringLiteral("rptElsewhere");
    QElapsedTimer waited;
    waited.start();
    m_jobs.Queue(m_jobs.Receipt(), m_jobs.dir.filePath(QStringLiteral("late.pdf")));
    m_jobs.nameOverride.clear();
    m_jobs.creationDelayMs = 0;
    manager.Queue().ContainerTimeoutMs = 10000;
    ASSERT_TRUE(WaitUntilIdle(60000));
    ASSERT_EQ(m_errors.size(), 1);
    EXPECT_EQ(m_errors[0],
              u"TjxBackgroundPrintThread.PrintInBackground: 0.3 second timeout exceeded for background printing "
              u"thread to create report container\r\n"
              u"TjxBackgroundContainerAdapter.CreateContainer: Cannot find producer in owner: rptReceipt");
}

TEST_F(BackgroundPrint, PagesSettingsAndDialogsComeFromTheRequest)
{
    m_jobs.MakeListData(10 * 3);
    TjxReport* list = m_jobs.List();
    // The background copy prints pages 2 to 3 only, and no box reaches a window.
    TjxPageRequest pages;
    pages.SetPageSetting(psPageList);
    pages.PageList()->SetLines({"2", "3"});
    const QString file = m_jobs.dir.filePath(QStringLiteral("pages.pdf"));
    TjxBackgroundPrintManager::Instance().Print(list, &pages, file, {}, QStringLiteral("PDFFile"));
    ASSERT_TRUE(WaitUntilIdle(60000));
    EXPECT_EQ(m_errors, QStringList());
    const PdfContent pdf = ReadPdf(file);
    EXPECT_EQ(pdf.texts, QStringList({"Item 4 Item 5 Item 6", "Item 7 Item 8 Item 9"}));

    // Settings: without Enabled, Active stays false and the run is the report's own.
    TjxReport* receipt = m_jobs.Receipt();
    receipt->BackgroundPrintSettings()->SetEnabled(false);
    receipt->BackgroundPrintSettings()->SetActive(true);
    EXPECT_FALSE(receipt->BackgroundPrintSettings()->Active());
    const QString foreground = m_jobs.dir.filePath(QStringLiteral("foreground.pdf"));
    receipt->SetShowPrintDialog(false);
    receipt->SetShowCancelDialog(false);
    receipt->SetDeviceType(QStringLiteral("PDFFile"));
    receipt->SetTextFileName(foreground);
    receipt->Print();
    EXPECT_EQ(TjxBackgroundPrintManager::Instance().RequestCount(), 0);
    EXPECT_EQ(ReadPdf(foreground).pages, 2);
    // The screen device never goes to the background.
    receipt->BackgroundPrintSettings()->SetEnabled(true);
    receipt->BackgroundPrintSettings()->SetActive(true);
    receipt->SetDeviceType(QStringLiteral("Screen"));
    receipt->Print();
    EXPECT_EQ(TjxBackgroundPrintManager::Instance().RequestCount(), 0);
}

TEST_F(BackgroundPrint, ClosingTheProgramCancelsJoinsAndFrees)
{
    m_jobs.MakeListData(3000 * 3);
    const QString running = m_jobs.dir.filePath(QStringLiteral("running.pdf"));
    {
        TjxBackgroundPrintQueue queue;
        int changes = 0;
        queue.ChangeHandler = [&] { ++changes; };
        queue.Add(m_jobs.Request(m_jobs.List(), running));
        queue.Add(m_jobs.Request(m_jobs.Receipt(), m_jobs.dir.filePath(QStringLiteral("queued.pdf"))));
        EXPECT_EQ(queue.RequestCount(), 2);
        EXPECT_EQ(ReportWorkerCount().load(), 1);
        queue.Shutdown();
        EXPECT_EQ(queue.RequestCount(), 0);
        EXPECT_EQ(ReportWorkerCount().load(), 0);
        // Nothing is started once closing began; the worker's end is never reported on.
        queue.Add(m_jobs.Request(m_jobs.Receipt(), m_jobs.dir.filePath(QStringLiteral("late.pdf"))));
        EXPECT_EQ(queue.RequestCount(), 0);
        QCoreApplication::processEvents();
        EXPECT_EQ(changes, 0);
    }
    // The queue is gone: a late wake-up finds nobody.
    QCoreApplication::processEvents();
    EXPECT_TRUE(QDir(m_jobs.dir.path()).entryList({QStringLiteral("*.pdf")}, QDir::Files).isEmpty());
}

// Waits, letting events run, until a copy prints on its worker.
bool WaitForCopyPrinting()
{
    QElapsedTimer timer;
    timer.start();
    while (!Copies().printing) {
        if (timer.elapsed() > 120000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

TEST_F(BackgroundPrint, AFlushStopsTheCopyWithoutItsOnCancel)
{
    m_jobs.MakeListData(3000 * 3);
    TjxReport* list = m_jobs.List();
    BindEvent(*list, u"OnCancel", QStringLiteral("ReportCancelled"));
    BindEvent(*list, u"BeforePrint", QStringLiteral("ReportPrinting"));
    Copies().cancels = 0;
    Copies().printing = false;
    const QString running = m_jobs.dir.filePath(QStringLiteral("running.pdf"));
    m_jobs.Queue(list, running);
    // The handlers the layout names are the copy's: they run on the worker.
    ASSERT_TRUE(WaitForCopyPrinting());
    TjxBackgroundPrintManager::Instance().Flush();
    ASSERT_TRUE(WaitUntilIdle(600000));
    EXPECT_EQ(m_errors, QStringList());
    EXPECT_EQ(m_ended, 1);
    EXPECT_FALSE(QFile::exists(running));
    EXPECT_EQ(Copies().cancels.load(), 0);

    // A copy that cancels itself does tell its handler.
    Copies().cancelOnPrint = true;
    m_jobs.Queue(list, running);
    ASSERT_TRUE(WaitUntilIdle(600000));
    Copies().cancelOnPrint = false;
    EXPECT_EQ(Copies().cancels.load(), 1);
}

TEST_F(BackgroundPrint, TheCopysFormIsOpenOnItsWorkerAlone)
{
    m_jobs.MakeListData(3000 * 3);
    // The user's form is open on the user-interface thread.
    TjxOpenContainerGuard open(m_jobs.container.get(), ckForm);
    TjxReport* list = m_jobs.List();
    BindEvent(*list, u"BeforePrint", QStringLiteral("ReportPrinting"));
    Copies().printing = false;
    m_jobs.Queue(list, m_jobs.dir.filePath(QStringLiteral("running.pdf")));
    ASSERT_TRUE(WaitForCopyPrinting());
    // While the copy prints, this thread's lists hold the user's pipeline only...
    TjxReport loose;
    const TjxDataPipelineList here(&loose);
    ASSERT_EQ(here.Count(), 1);
    EXPECT_EQ(here.Pipelines(0), m_jobs.container->FindComponent(u"plItems"));
    // ...and the worker's the copy's only.
    {
        std::lock_guard guard(Copies().lock);
        EXPECT_EQ(Copies().workerList, (QList<QPair<QString, bool>>{{QStringLiteral("plItems"), true}}));
    }
    TjxBackgroundPrintManager::Instance().Flush();
    ASSERT_TRUE(WaitUntilIdle(600000));
    EXPECT_EQ(m_errors, QStringList());
}

TEST_F(BackgroundPrint, AWindowIsNeverCopiedOnAWorker)
{
    const QString refused =
        QStringLiteral("TjxBackgroundContainerAdapter.CreateContainer: Cannot create container: TjxForm");
    TjxForm window;
    window.SetName(QStringLiteral("frmDialog"));
    auto* onWindow = new TjxReport(&window);
    onWindow->SetName(QStringLiteral("rptOnWindow"));
    const QString file = m_jobs.dir.filePath(QStringLiteral("window.pdf"));
    try {
        TjxBackgroundPrintRequest request(onWindow, file, {}, QStringLiteral("PDFFile"), nullptr);
        ADD_FAILURE() << "a report on a window was queued";
    } catch (const EBackgroundPrintError& e) {
        EXPECT_EQ(e.Message(), refused);
    }
    // The caller hears it; the job already queued goes on.
    const QString receipt = m_jobs.dir.filePath(QStringLiteral("receipt.pdf"));
    m_jobs.Queue(m_jobs.Receipt(), receipt);
    EXPECT_THROW(TjxBackgroundPrintManager::Instance().Print(onWindow, nullptr, file, {}, QStringLiteral("PDFFile")),
                 EBackgroundPrintError);
    ASSERT_TRUE(WaitUntilIdle(60000));
    EXPECT_EQ(m_errors, QStringList());
    EXPECT_EQ(ReadPdf(receipt).pages, 2);

    // A request that names a window class is refused on the worker before
    // anything is made there.
    bool made = false;
    RegisterContainerFactory(QStringLiteral("TjxForm"), [&made]() -> TComponent* {
        made = true;
        return nullptr;
    });
    QStringList errors;
    {
        TjxBackgroundPrintQueue queue;
        queue.ChangeHandler = [&] { errors << queue.TakeError(); };
        auto request = m_jobs.Request(m_jobs.Receipt(), file);
        request->OwnerClass = &TjxForm::StaticClass();
        queue.Add(std::move(request));
        QElapsedTimer timer;
        timer.start();
        while (queue.RequestCount() > 0 && timer.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    UnregisterContainerFactory(QStringLiteral("TjxForm"));
    EXPECT_EQ(errors, QStringList({refused}));
    EXPECT_FALSE(made);
    EXPECT_FALSE(QFile::exists(file));
}

TEST_F(BackgroundPrint, JobsReachTheCupsQueue)
{
    const QString queue = QStringLiteral("OrvanePDF");
    if (RunProgramPiped(QStringLiteral("lpstat"), {QStringLiteral("-p"), queue}).exitCode != 0) {
        if (qEnvironmentVariable("CI") == u"true")
            FAIL() << "CI needs the CUPS queue " << queue.toStdString() << " (scripts/start-cups)";
        GTEST_SKIP() << "no CUPS queue " << queue.toStdString() << "; scripts/test starts one";
    }
    SetSpooler(nullptr);  // the CUPS spooler
    m_jobs.MakeListData(5 * 3);
    const QString stamp = QStringLiteral("%1x%2").arg(QCoreApplication::applicationPid()).arg(
        QDateTime::currentMSecsSinceEpoch());
    const QDateTime since = QDateTime::currentDateTime().addSecs(-1);
    const struct {
        TjxReport* report;
        QString document;
        int pages;
    } jobs[] = {{m_jobs.Receipt(), QStringLiteral("OrvaneBgReceipt") + stamp, 2},
                {m_jobs.List(), QStringLiteral("OrvaneBgList") + stamp, 5}};
    for (const auto& job : jobs) {
        job.report->PrinterSetup()->SetPrinterName(queue);
        job.report->PrinterSetup()->SetDocumentName(job.document);
        job.report->SetShowPrintDialog(false);
        job.report->SetShowCancelDialog(false);
        job.report->SetDeviceType(QStringLiteral("Printer"));
        job.report->BackgroundPrintSettings()->SetEnabled(true);
        job.report->BackgroundPrintSettings()->SetActive(true);
        job.report->Print();
    }
    ASSERT_TRUE(WaitUntilIdle(300000));
    EXPECT_EQ(m_errors, QStringList());
    for (const auto& job : jobs) {
        // Only this job's file counts: other programs print to the queue too.
        const QString pdf = WaitForCupsPdf(since, job.document, 90, false);
        ASSERT_FALSE(pdf.isEmpty()) << job.document.toStdString();
        EXPECT_EQ(ReadPdf(pdf).pages, job.pages) << pdf.toStdString();
        QFile::remove(pdf);
    }
}

} // namespace
