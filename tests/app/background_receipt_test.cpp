// Ravelle's receipt printed in the background: a form of its own prints it
// while the window goes on answering.

#include "app/main_window.h"
#include "app/receipt_form.h"
#include "document/printer.h"
#include "document/report.h"
#include "output/background_print.h"
#include "tests/support/process_run.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace orvane;

namespace {

QString PdfText(const QString& file)
{
    return test::RunProgram(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")}).out;
}

void PrintToPdf(TjxReport* report, const QString& file, bool background)
{
    report->SetShowPrintDialog(false);
    report->SetShowCancelDialog(false);
    report->SetDeviceType(QStringLiteral("PDFFile"));
    report->SetTextFileName(file);
    report->BackgroundPrintSettings()->SetEnabled(background);
    report->BackgroundPrintSettings()->SetActive(background);
    report->Print();
}

} // namespace

TEST(RavelleBackground, TheReceiptPrintsFromACopyWhileTheWindowAnswers)
{
    QTemporaryDir dir;
    TRavelleWindow window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    TjxReport* receipt = window.Form()->Receipt();
    TjxBackgroundPrintManager& manager = TjxBackgroundPrintManager::Instance();
    QStringList errors;
    manager.ErrorHandler = [&](const QString& message) { errors << message; };

    int ticksWhileBusy = 0;
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (manager.RequestCount() > 0)
            ++ticksWhileBusy;
    });
    timer.start();
    const QString background = dir.filePath(QStringLiteral("background.pdf"));
    for (int i = 0; i < 3; ++i)
        PrintToPdf(receipt, i == 2 ? background : dir.filePath(QStringLiteral("r%1.pdf").arg(i)), true);
    // The window's receipt is done with its part at once.
    EXPECT_FALSE(receipt->Producing());
    QElapsedTimer waited;
    waited.start();
    while (manager.RequestCount() > 0 && waited.elapsed() < 120000)
        QTest::qWait(10);
    timer.stop();
    ASSERT_EQ(manager.RequestCount(), 0);
    EXPECT_EQ(errors, QStringList());
    EXPECT_GT(ticksWhileBusy, 0) << "the window's event loop never ran while the receipt printed";
    EXPECT_EQ(ReportWorkerCount().load(), 0);

    // The copy prints what the window's own receipt prints.
    const QString foreground = dir.filePath(QStringLiteral("foreground.pdf"));
    PrintToPdf(receipt, foreground, false);
    EXPECT_EQ(manager.RequestCount(), 0);
    const QString expected = PdfText(foreground);
    EXPECT_FALSE(expected.trimmed().isEmpty());
    EXPECT_EQ(PdfText(background), expected);
    manager.ErrorHandler = nullptr;
}
