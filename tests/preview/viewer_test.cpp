// The viewer: zoom properties, what it paints, scrolling and the wheel,
// navigation that does nothing, drill-down clicks and printing from it.

#include "preview_fixture.h"

#include "../support/printer_fixture.h"

#include "document/errors.h"
#include "document/event_ids.h"
#include "output/publisher.h"
#include "preview/viewer.h"

#include <QFile>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

// Counts the report's page requests (event 140).
class TRequestCounter : public TjxCommunicator {
public:
    explicit TRequestCounter(TjxCommunicator* source) : TjxCommunicator(nullptr)
    {
        AddEventInterest(ciProducerPageRequest);
        source->AddEventNotify(this);
    }
    void EventNotify(TjxCommunicator* sender, int eventId, TjxEventParams* params) override
    {
        TjxCommunicator::EventNotify(sender, eventId, params);
        if (eventId == ciProducerPageRequest)
            ++requests;
    }
    int requests = 0;
};

const QColor kSurround(0xA0, 0xA0, 0xA0);

} // namespace

TEST(Viewer, ZoomPercentageIsClampedAndSwitchesTheSetting)
{
    TjxViewer viewer;
    EXPECT_EQ(viewer.ZoomSetting(), zsWholePage);
    EXPECT_EQ(viewer.ZoomPercentage(), 100);
    EXPECT_EQ(viewer.size(), QSize(320, 120));
    viewer.SetZoomPercentage(10);
    EXPECT_EQ(viewer.ZoomPercentage(), 25);
    EXPECT_EQ(viewer.ZoomSetting(), zsPercentage);
    viewer.SetZoomSetting(zsPageWidth);
    viewer.SetZoomPercentage(400);
    EXPECT_EQ(viewer.ZoomPercentage(), 250);
    EXPECT_EQ(viewer.ZoomSetting(), zsPercentage);
}

TEST(Viewer, PaintsTheWhitePageWithItsOutlineOnTheSurround)
{
    Receipt receipt;
    TjxViewer viewer;
    viewer.resize(800, 600);
    viewer.SetReport(receipt.report);
    viewer.show();
    receipt.report->Generate();
    ASSERT_EQ(viewer.AbsolutePageNo(), 1);
    TjxScreenDevice* device = viewer.ScreenDevice();
    const QImage image = Grab(viewer.ScrollBox()->viewport());
    const QRect page(device->PageLeft(), device->PageTop(), device->PageWidthShown(), device->PageHeightShown());
    ASSERT_EQ(page, QRect(196, 12, 407, 576));
    // The surround on all four sides, the outline on the page's edges.
    EXPECT_TRUE(AllColor(image, QRect(0, 0, page.left(), image.height()), kSurround));
    EXPECT_TRUE(AllColor(image, QRect(page.right() + 1, 0, image.width() - page.right() - 1, image.height()),
                         kSurround));
    EXPECT_TRUE(AllColor(image, QRect(page.left(), 0, page.width(), page.top()), kSurround));
    EXPECT_TRUE(AllColor(image, QRect(page.left(), page.top(), page.width(), 1), Qt::black));
    EXPECT_TRUE(AllColor(image, QRect(page.left(), page.top(), 1, page.height()), Qt::black));
    EXPECT_TRUE(AllColor(image, QRect(page.right(), page.top(), 1, page.height()), Qt::black));
    // Inside: mostly paper, with the receipt's ink on it.
    const QRect inside = page.adjusted(1, 1, -1, -1);
    EXPECT_GT(CountColor(image, inside, Qt::white), inside.width() * inside.height() / 2);
    EXPECT_LT(CountColor(image, inside, Qt::white), inside.width() * inside.height());
}

TEST(Viewer, ScrollsByPagesOfTheBoxAndByTheWheel)
{
    Receipt receipt;
    TjxViewer viewer;
    viewer.resize(600, 400);
    viewer.SetReport(receipt.report);
    viewer.show();
    receipt.report->Generate();
    viewer.SetZoomPercentage(250);
    QScrollBar* vertical = viewer.ScrollBox()->verticalScrollBar();
    QScrollBar* horizontal = viewer.ScrollBox()->horizontalScrollBar();
    ASSERT_EQ(vertical->value(), 0);
    ASSERT_GT(vertical->maximum(), 1000);
    viewer.Scroll(1);
    EXPECT_EQ(vertical->value(), viewer.ScrollBox()->height());
    viewer.Scroll(0);
    EXPECT_EQ(vertical->value(), 0);
    viewer.Scroll(3);
    EXPECT_EQ(horizontal->value(), viewer.ScrollBox()->width());
    viewer.Scroll(2);
    EXPECT_EQ(horizontal->value(), 0);

    // One notch down scrolls 24 pixels down, one notch up brings it back.
    QWidget* viewport = viewer.ScrollBox()->viewport();
    const QPointF at(100, 100);
    QWheelEvent down(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &down);
    EXPECT_EQ(vertical->value(), 24);
    QWheelEvent up(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &up);
    EXPECT_EQ(vertical->value(), 0);

    // Changing the zoom goes back to the top left.
    viewer.Scroll(1);
    viewer.SetZoomSetting(zs100Percent);
    EXPECT_EQ(vertical->value(), 0);
}

TEST(Viewer, ScrollBarsDoNotFeedBackIntoTheLayout)
{
    // At page width the page is laid out for the box less a vertical bar:
    // the bar appears, and neither a horizontal bar nor a second layout follows.
    Receipt receipt;
    TjxViewer viewer;
    viewer.resize(800, 600);
    viewer.SetZoomSetting(zsPageWidth);
    viewer.SetReport(receipt.report);
    viewer.show();
    receipt.report->Generate();
    TjxScreenDevice* device = viewer.ScreenDevice();
    int drawn = 0;
    device->PageDrawnHandler = [&drawn](TjxScreenDevice*) { ++drawn; };
    for (const int width : {810, 700, 640}) {
        drawn = 0;
        viewer.resize(width, 600);
        QApplication::processEvents();
        EXPECT_EQ(drawn, 1) << width;
        EXPECT_EQ(device->ImageSize().width(), width - 14) << width;
        EXPECT_TRUE(viewer.ScrollBox()->verticalScrollBar()->isVisible()) << width;
        EXPECT_FALSE(viewer.ScrollBox()->horizontalScrollBar()->isVisible()) << width;
        EXPECT_EQ(viewer.ScrollBox()->viewport()->width(), width - 14) << width;
    }
    // A window too small for anything still lays out and paints without fault.
    drawn = 0;
    viewer.resize(0, 0);
    viewer.resize(3, 2);
    QApplication::processEvents();
    EXPECT_GE(drawn, 1);
    EXPECT_GE(device->PageWidthShown(), 1);
    EXPECT_GE(device->PageHeightShown(), 1);
}

TEST(Viewer, NavigationThatHasNothingToDoRequestsNothing)
{
    ListReport list(120, false);
    TjxViewer viewer;
    viewer.resize(600, 400);
    viewer.SetReport(list.report);
    viewer.show();
    TRequestCounter counter(list.report);
    list.report->Generate();
    ASSERT_EQ(viewer.AbsolutePageNo(), 1);
    const int afterFirst = counter.requests;
    viewer.PriorPage();
    viewer.FirstPage();
    viewer.GotoPage(1);
    EXPECT_EQ(counter.requests, afterFirst);
    viewer.LastPage();
    const int last = viewer.AbsolutePageNo();
    ASSERT_GT(last, 2);
    EXPECT_TRUE(viewer.CurrentPage()->LastPage());
    const int afterLast = counter.requests;
    viewer.NextPage();
    viewer.LastPage();
    viewer.GotoPage(last);
    EXPECT_EQ(counter.requests, afterLast);
    EXPECT_EQ(viewer.AbsolutePageNo(), last);
    viewer.PriorPage();
    EXPECT_EQ(viewer.AbsolutePageNo(), last - 1);
    EXPECT_TRUE(PageTexts(*viewer.CurrentPage()).contains(QStringLiteral("Page %1").arg(last - 1)));
}

TEST(Viewer, EventsOfAShownPageAndOfAReset)
{
    ListReport list(40, false);
    TjxViewer viewer;
    viewer.resize(600, 400);
    viewer.SetReport(list.report);
    viewer.show();
    std::vector<int> events;
    class TLog : public TjxCommunicator {
    public:
        explicit TLog(std::vector<int>& events) : TjxCommunicator(nullptr), m_events(events)
        {
            for (int id : {int(ciScreenDevicePageDrawFirst), int(ciScreenDevicePageDrawLast), int(ciViewerPageChange),
                           int(ciViewerReset)})
                AddEventInterest(id);
        }
        void EventNotify(TjxCommunicator* sender, int id, TjxEventParams* params) override
        {
            TjxCommunicator::EventNotify(sender, id, params);
            m_events.push_back(id);
        }

    private:
        std::vector<int>& m_events;
    } log(events);
    viewer.AddEventNotify(&log);
    viewer.ScreenDevice()->AddEventNotify(&log);
    list.report->Generate();
    ASSERT_GE(events.size(), 3u);
    const std::vector<int> tail(events.end() - 3, events.end());
    EXPECT_EQ(tail, (std::vector<int>{ciScreenDevicePageDrawFirst, ciScreenDevicePageDrawLast, ciViewerPageChange}));
    events.clear();
    viewer.Reset();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), ciViewerReset);
}

TEST(Viewer, ADrillDownClickMakesTheSamePageAgain)
{
    ListReport list(120, false);
    int clicks = 0;
    auto* title = dynamic_cast<TjxPrintable*>(list.host.FindComponent(QStringLiteral("lblTitle")));
    ASSERT_NE(title, nullptr);
    title->SetOnDrawCommandClick(TMethod{nullptr, {}, [&clicks](TComponent*, TjxEventParams& params) {
                                             ++clicks;
                                             auto* command = dynamic_cast<TjxDrawCommand*>(
                                                 params.At(0).value.value<TPersistent*>());
                                             if (command)
                                                 command->SetRedrawPage(true);
                                         }});
    TjxViewer viewer;
    viewer.resize(800, 1200);
    viewer.SetZoomSetting(zs100Percent);
    viewer.SetReport(list.report);
    viewer.show();
    TRequestCounter counter(list.report);
    list.report->Generate();
    viewer.GotoPage(2);
    ASSERT_EQ(viewer.AbsolutePageNo(), 2);
    const int before = counter.requests;
    TjxDrawCommand* shownTitle = nullptr;
    for (int i = 0; i < viewer.CurrentPage()->ClickableCount(); ++i)
        shownTitle = viewer.CurrentPage()->ClickableAt(i);
    ASSERT_NE(shownTitle, nullptr);
    const TjxDeviceRect r = shownTitle->DeviceRect();
    QTest::mouseClick(viewer.PaintBox(), Qt::LeftButton, Qt::NoModifier, QPoint(r.left + 2, r.top + 2));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(counter.requests, before + 1);
    EXPECT_EQ(viewer.AbsolutePageNo(), 2);
    // A click beside it is no click on the command.
    QTest::mouseClick(viewer.PaintBox(), Qt::LeftButton, Qt::NoModifier, QPoint(r.left - 3, r.top - 3));
    EXPECT_EQ(clicks, 1);
}

TEST(Viewer, AFailingClickIsShownAndTheViewerGoesOn)
{
    ListReport list(120, false);
    auto* title = dynamic_cast<TjxPrintable*>(list.host.FindComponent(QStringLiteral("lblTitle")));
    ASSERT_NE(title, nullptr);
    title->SetOnDrawCommandClick(TMethod{nullptr, {}, [](TComponent*, TjxEventParams&) {
                                             throw EDataError(QStringLiteral("The order is gone."));
                                         }});
    TjxViewer viewer;
    viewer.resize(800, 1200);
    viewer.SetZoomSetting(zs100Percent);
    viewer.SetReport(list.report);
    viewer.show();
    list.report->Generate();
    ASSERT_EQ(viewer.AbsolutePageNo(), 1);
    ASSERT_EQ(viewer.CurrentPage()->ClickableCount(), 1);
    const TjxDeviceRect r = viewer.CurrentPage()->ClickableAt(0)->DeviceRect();
    // The failure comes back as a message box, not through the event loop.
    QString shown;
    AnswerMessageBox(&shown);
    QTest::mouseClick(viewer.PaintBox(), Qt::LeftButton, Qt::NoModifier, QPoint(r.left + 2, r.top + 2));
    EXPECT_EQ(shown, QStringLiteral("The order is gone."));
    EXPECT_FALSE(viewer.Busy());
    viewer.NextPage();
    EXPECT_EQ(viewer.AbsolutePageNo(), 2);
}

// The test printers, and "R" whose queue refuses every document.
class ViewerPrinting : public TestPlatform {
protected:
    void SetUp() override
    {
        TestPlatform::SetUp();
        TjxTestSpooler::Printer refusing{QStringLiteral("R"), kPrinterLocal, OfficePrinterCapabilities(),
                                         OfficeDriverSettings(), Caps600(), false};
        refusing.refuseDocuments = true;
        m_spooler->AddPrinter(refusing);
    }
};

TEST_F(ViewerPrinting, PrintingRestoresTheReportsSettingsHoweverItEnds)
{
    ListReport list(60, false);
    list.report->SetShowPrintDialog(false);
    list.report->SetShowCancelDialog(false);
    list.report->SetShowAutoSearchDialog(true);
    TjxViewer viewer;
    viewer.resize(600, 400);
    viewer.SetReport(list.report);
    viewer.show();
    list.report->Generate();
    viewer.GotoPage(2);
    ASSERT_EQ(viewer.AbsolutePageNo(), 2);

    // Printed on the test printer: the job is there, the settings are back.
    list.report->PrinterSetup()->SetPrinterName(QStringLiteral("P"));
    viewer.Print();
    EXPECT_EQ(list.report->DeviceType(), QStringLiteral("Screen"));
    EXPECT_TRUE(list.report->ShowAutoSearchDialog());
    EXPECT_EQ(list.report->CurrentPage(), 2);
    EXPECT_EQ(viewer.ScreenDevice()->Publisher(), list.report->Publisher());
    ASSERT_EQ(m_spooler->Documents().size(), 1);
    EXPECT_TRUE(m_spooler->Documents().front().ended);

    // A printer that refuses the document fails the run; the settings are back all the same.
    list.report->PrinterSetup()->SetPrinterName(QStringLiteral("R"));
    EXPECT_ANY_THROW(viewer.Print());
    EXPECT_EQ(list.report->DeviceType(), QStringLiteral("Screen"));
    EXPECT_TRUE(list.report->ShowAutoSearchDialog());
    EXPECT_EQ(viewer.ScreenDevice()->Publisher(), list.report->Publisher());
    // A template saved now keeps the screen.
    const QString saved = list.dir.filePath(QStringLiteral("after-print.rtm"));
    list.report->Template()->SetFormat(ftASCII);
    list.report->Template()->SetFileName(saved);
    list.report->Template()->SaveToFile();
    QFile text(saved);
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    const QByteArray stream = text.readAll();
    EXPECT_TRUE(stream.contains("ShowAutoSearchDialog = True"));
    EXPECT_TRUE(stream.contains("DeviceType = 'Screen'")) << stream.constData();
    EXPECT_FALSE(stream.contains("Printer'"));

    // A run cancelled on its second page likewise.
    list.report->PrinterSetup()->SetPrinterName(QStringLiteral("P"));
    TMethod cancelOnSecondPage;
    cancelOnSecondPage.code = [&list](TComponent*, TjxEventParams&) {
        if (list.report->Engine()->AbsolutePageNo() == 2)
            list.report->Cancel();
    };
    list.report->SetOnStartPage(cancelOnSecondPage);
    viewer.Print();
    EXPECT_TRUE(list.report->Cancelled());
    EXPECT_EQ(list.report->DeviceType(), QStringLiteral("Screen"));
    EXPECT_TRUE(list.report->ShowAutoSearchDialog());
    EXPECT_EQ(viewer.ScreenDevice()->Publisher(), list.report->Publisher());
}
