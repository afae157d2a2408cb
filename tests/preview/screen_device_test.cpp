// The screen device on its own (no viewer) and with a viewer of a given
// size: the page's layout at each zoom, the page as orvane-cli renders it,
// zoomed text and lines, statuses, the page count brought in place, and
// hit testing.

#include "preview_fixture.h"

#include "../support/process_run.h"

#include "document/units.h"
#include "output/draw_line.h"
#include "output/draw_other.h"
#include "output/draw_shape.h"
#include "output/publisher.h"
#include "preview/screen_device.h"
#include "preview/viewer.h"

#include <QScrollArea>
#include <cmath>
#include <map>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

// Rounding as lengths use it: halves to the even neighbour.
int R(double value) { return int(std::nearbyint(value)); }

struct Geometry {
    QSize image;
    int left = 0, top = 0, width = 0, height = 0, zoom = 0;
};

// The layout of a page of pw x ph screen pixels in a scroll box of bw x bh,
// written down from the formulas of the zoom modes (96 pixels per inch).
Geometry Expected(TjxZoomSettingType mode, int percentage, int bw, int bh, int pw, int ph)
{
    Geometry g;
    int W = 0, H = 0;
    if (mode == zsWholePage) {
        const int q = R(96 * 0.25);
        g.image = QSize(bw, bh);
        H = bh - q;
        W = R(double(H) * pw / ph);
        if (bh > R(96 * 0.5) && bw > R(96 * 0.5))
            while (W >= bw) {
                H -= q;
                W = R(double(H) * pw / ph);
            }
    } else if (mode == zsPageWidth) {
        const int m = 2 * R(96 * 0.125);
        W = bw - m - R(96 * 0.1458);
        H = R(W / (double(pw) / ph));
        g.image = QSize(m + W, std::max(bh, m + H));
    } else {
        const int p = mode == zsPercentage ? percentage : 100;
        const int m = 2 * R(96 * 0.25);
        H = R(ph * p / 100.0);
        W = R(pw * p / 100.0);
        g.image = QSize(std::max(bw, W + m), std::max(bh, H + m));
    }
    g.width = W;
    g.height = H;
    g.left = (g.image.width() - W) / 2;
    g.top = (g.image.height() - H) / 2;
    g.zoom = R(double(H) / ph * 100);
    return g;
}

Geometry Shown(const TjxScreenDevice& device)
{
    return {device.ImageSize(),       device.PageLeft(),       device.PageTop(),
            device.PageWidthShown(), device.PageHeightShown(), device.ZoomPercentageShown()};
}

void ExpectGeometry(const Geometry& expected, const Geometry& shown, const char* what)
{
    EXPECT_EQ(shown.image, expected.image) << what;
    EXPECT_EQ(shown.left, expected.left) << what;
    EXPECT_EQ(shown.top, expected.top) << what;
    EXPECT_EQ(shown.width, expected.width) << what;
    EXPECT_EQ(shown.height, expected.height) << what;
    EXPECT_EQ(shown.zoom, expected.zoom) << what;
}

// A device on its own, attached to the report and given one page request.
struct LoneDevice {
    TjxScreenDevice device;
    explicit LoneDevice(TjxReport* report) { device.SetPublisher(report->Publisher()); }
    ~LoneDevice() { device.SetPublisher(nullptr); }
    void Show(TjxReport* report, int pageNo)
    {
        device.PageRequest()->SetPageSetting(psSinglePage);
        device.PageRequest()->SetPageRequested(pageNo);
        report->Generate();
    }
};

// The device's page (inside its margin of 24 pixels) against orvane-cli's
// PNG of the same page: the same pixels, but for the outline the screen
// draws around the page where the paper shows.
void ExpectSameAsCli(const TjxScreenDevice& device, const QString& templateFile, const QString& database, int pageNo)
{
    QTemporaryDir out;
    const QString png = out.filePath(QStringLiteral("page.png"));
    QStringList args{QStringLiteral("render"), templateFile, QStringLiteral("--to"), QStringLiteral("png"),
                     QStringLiteral("-o"),     png,          QStringLiteral("--dpi"), QStringLiteral("96"),
                     QStringLiteral("--pages"), QString::number(pageNo)};
    if (!database.isEmpty())
        args << QStringLiteral("--db") << database;
    const ProcessRun run = RunCli(args);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QImage cli = QImage(png).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(cli.isNull());
    const QImage whole = device.PageImage();
    ASSERT_FALSE(whole.isNull());
    ASSERT_EQ(device.PageLeft(), 24);
    ASSERT_EQ(device.PageTop(), 24);
    ASSERT_EQ(QSize(device.PageWidthShown(), device.PageHeightShown()), cli.size());
    const QImage page = whole.copy(QRect(QPoint(24, 24), cli.size()));
    int inked = 0, differing = 0;
    for (int y = 0; y < cli.height(); ++y)
        for (int x = 0; x < cli.width(); ++x) {
            const QRgb a = page.pixel(x, y) & 0xFFFFFF, b = cli.pixel(x, y) & 0xFFFFFF;
            const bool edge = x == 0 || y == 0 || x == cli.width() - 1 || y == cli.height() - 1;
            if (b != 0xFFFFFF)
                ++inked;
            if (a != b && !(edge && a == 0 && b == 0xFFFFFF))
                ++differing;
        }
    EXPECT_EQ(differing, 0);
    // ORVANE_KEEP_IMAGES=1 keeps both pages under /tmp when they differ.
    if (differing && qEnvironmentVariableIsSet("ORVANE_KEEP_IMAGES")) {
        page.save(QStringLiteral("/tmp/screen-%1.png").arg(pageNo));
        cli.save(QStringLiteral("/tmp/cli-%1.png").arg(pageNo));
    }
    EXPECT_GT(inked, 500) << "the page has something on it";
}

} // namespace

TEST(ScreenLayout, ViewerGeometryFollowsTheZoomModesOnA4BothWays)
{
    THost host;
    auto* report = new TjxReport(&host);
    TjxViewer viewer;
    viewer.SetReport(report);
    viewer.show();
    for (const bool landscape : {false, true}) {
        SetA4(report, landscape);
        viewer.SetReport(nullptr);
        viewer.SetReport(report);
        const int pw = landscape ? 1123 : 794, ph = landscape ? 794 : 1123;
        ASSERT_EQ(ThousandthsToPixels(landscape ? 297127 : 210079, 96), pw);
        for (const QSize box : {QSize(800, 600), QSize(300, 600), QSize(1024, 700), QSize(640, 900)}) {
            viewer.resize(box);
            for (const auto mode : {zsWholePage, zsPageWidth, zs100Percent}) {
                viewer.SetZoomSetting(mode);
                const std::string what = (landscape ? "landscape " : "portrait ") + std::to_string(box.width()) +
                                         "x" + std::to_string(box.height()) + " mode " + std::to_string(int(mode));
                ExpectGeometry(Expected(mode, 100, box.width(), box.height(), pw, ph), Shown(*viewer.ScreenDevice()),
                               what.c_str());
            }
            for (const int percentage : {25, 51, 250}) {
                viewer.SetZoomPercentage(percentage);
                ExpectGeometry(Expected(zsPercentage, percentage, box.width(), box.height(), pw, ph),
                               Shown(*viewer.ScreenDevice()), "percentage");
            }
        }
    }
    // The worked figures of the whole-page mode: A4 in 800 x 600, and a
    // landscape page shrinking in quarter inches in a narrow box.
    SetA4(report);
    viewer.SetReport(nullptr);
    viewer.SetReport(report);
    viewer.resize(800, 600);
    viewer.SetZoomSetting(zsWholePage);
    ASSERT_EQ(ThousandthsToPixels(297127, 96), 1123);
    EXPECT_EQ(Shown(*viewer.ScreenDevice()).height, 576);
    EXPECT_EQ(viewer.ScreenDevice()->PageLeft(), 196);
    EXPECT_EQ(viewer.ZoomPercentageShown(), 51);
}

TEST(ScreenLayout, TinyWindowsAndHugePagesStayBounded)
{
    for (const QSize box : {QSize(0, 0), QSize(10, 10), QSize(5000, 3)}) {
        for (const auto mode : {zsWholePage, zsPageWidth, zs100Percent, zsPercentage}) {
            const TjxScreenLayout l = ComputeScreenLayout(mode, 250, true, box, QSize(794, 1123));
            EXPECT_GE(l.pageWidth, 1);
            EXPECT_GE(l.pageHeight, 1);
            EXPECT_GE(l.image.width(), 1);
            EXPECT_GE(l.image.height(), 1);
            EXPECT_GT(l.zoomX, 0);
        }
    }
    // A very wide page in a small whole-page box does not loop below nothing.
    const TjxScreenLayout wide = ComputeScreenLayout(zsWholePage, 100, true, QSize(60, 60), QSize(18898, 38));
    EXPECT_GE(wide.pageHeight, 1);

    // 250 % of a page five metres square: the image is rendered around the
    // part in view, never as a whole.
    THost host;
    auto* report = new TjxReport(&host);
    report->PrinterSetup()->PageDef()->SetmmWidth(5000000);
    report->PrinterSetup()->PageDef()->SetmmHeight(5000000);
    TjxViewer viewer;
    viewer.resize(400, 300);
    viewer.SetReport(report);
    viewer.show();
    viewer.SetZoomPercentage(250);
    TjxScreenDevice* device = viewer.ScreenDevice();
    device->StartJob();  // the viewer paints once a job has started
    device->EndJob();
    EXPECT_GT(qint64(device->ImageSize().width()) * device->ImageSize().height(), TjxScreenDevice::kMaxImagePixels);
    EXPECT_LE(qint64(device->Image().width()) * device->Image().height(), TjxScreenDevice::kMaxImagePixels);
    EXPECT_TRUE(device->PageImage().isNull());
    // Scrolling to the far corner renders that part.
    viewer.ScrollBox()->horizontalScrollBar()->setValue(viewer.ScrollBox()->horizontalScrollBar()->maximum());
    viewer.ScrollBox()->verticalScrollBar()->setValue(viewer.ScrollBox()->verticalScrollBar()->maximum());
    const QImage grabbed = Grab(viewer.ScrollBox()->viewport());
    EXPECT_TRUE(device->ImageRect().contains(QRect(QPoint(viewer.ScrollBox()->horizontalScrollBar()->value(),
                                                          viewer.ScrollBox()->verticalScrollBar()->value()),
                                                   viewer.ScrollBox()->viewport()->size())));
    // The bottom-right of the page: its outline, the surround beyond.
    EXPECT_GT(CountColor(grabbed, grabbed.rect(), QColor(0xA0, 0xA0, 0xA0)), 0);
}

TEST(ScreenDevice, AtFullSizeThePageIsOrvaneCliRendering)
{
    {
        Receipt receipt;
        LoneDevice lone(receipt.report);
        lone.Show(receipt.report, 1);
        ASSERT_EQ(lone.device.ShownPage()->AbsolutePageNo(), 1);
        ExpectSameAsCli(lone.device, receipt.file, QString(), 1);
    }
    {
        ListReport list(200);
        const QString file = list.SaveTemplate();
        LoneDevice lone(list.report);
        lone.Show(list.report, 2);
        ASSERT_EQ(lone.device.ShownPage()->AbsolutePageNo(), 2);
        const int count = lone.device.ShownPage()->AbsolutePageCount();
        EXPECT_GT(count, 2);
        EXPECT_TRUE(PageTexts(*lone.device.ShownPage()).contains(QStringLiteral("Page 2 of %1").arg(count)))
            << PageTexts(*lone.device.ShownPage()).join(u'|').toStdString();
        ExpectSameAsCli(lone.device, file, list.DataFile(), 2);
    }
}

TEST(ScreenDevice, StatusesOfATwoPassRun)
{
    ListReport list(200);
    LoneDevice lone(list.report);
    QStringList statuses;
    lone.device.StatusTextHandler = [&statuses](TjxDevice*, const QString& text) { statuses << text; };
    lone.device.PageRequest()->SetPageSetting(psFirstPage);
    list.report->Generate();
    ASSERT_FALSE(statuses.isEmpty());
    EXPECT_EQ(statuses.first(), QStringLiteral("Accessing data..."));
    const QString documentName = list.report->PrinterSetup()->DocumentName();
    EXPECT_TRUE(statuses.contains(QStringLiteral("Calculating page 3 for report ") + documentName))
        << statuses.join(u'|').toStdString();
    const QString pageOne = QStringLiteral("Page 1 of %1").arg(lone.device.ShownPage()->AbsolutePageCount());
    EXPECT_GT(lone.device.ShownPage()->AbsolutePageCount(), 3);
    EXPECT_EQ(statuses.last(), pageOne);
    EXPECT_EQ(lone.device.StatusText(), pageOne);

    // A cancelled job says which page it stopped at; navigation then does nothing.
    lone.device.StartJob();
    lone.device.Cancel();
    EXPECT_TRUE(lone.device.JobCancelled());
    const QStringList before = statuses;
    lone.device.GotoPage(4);
    lone.device.LastPage();
    EXPECT_EQ(statuses, before);
}

TEST(ScreenDevice, APageCountFromALaterPageIsDrawnInPlace)
{
    TjxPublisher publisher;
    TjxScreenDevice device;
    device.SetPublisher(&publisher);
    int requests = 0;
    publisher.PageRequestHandler = [&requests](TjxPublisher*, TjxPageRequest*) { ++requests; };

    // Page 1 with "Page 1 of ?" as the first pass made it: no count yet.
    TjxPage page;
    page.PageDef()->SetmmWidth(210079);
    page.PageDef()->SetmmHeight(297127);
    page.SetAbsolutePageNo(1);
    page.SetPageNo(1);
    page.SetFirstPage(true);
    page.SetFinal(true);
    auto* count = new TjxDrawCalc;
    count->SetCalcType(ctPageSetDesc);
    count->SetBounds(20000, 20000, 60000, 6000);
    count->Font()->SetName(QStringLiteral("Arial"));
    count->Font()->SetSize(12);
    count->Font()->SetColor(clBlack);
    count->SetText(QStringLiteral("Page 1 of 0"));
    page.AddDrawCommand(count);
    device.StartJob();
    device.ReceivePage(&page);
    ASSERT_EQ(device.ShownPage()->AbsolutePageNo(), 1);
    const QImage before = device.PageImage();

    // A calculation page that was not asked for brings the count.
    TjxPage later;
    later.SetAbsolutePageNo(9);
    later.SetAbsolutePageCount(9);
    later.SetPageCount(9);
    later.SetCalculation(true);
    device.ReceivePage(&later);
    EXPECT_EQ(device.ShownPage()->AbsolutePageCount(), 9);
    auto* shown = dynamic_cast<TjxDrawCalc*>(device.ShownPage()->DrawCommand(0));
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->Text(), QStringLiteral("Page 1 of 9"));
    EXPECT_EQ(requests, 0);
    // Only the command's rectangle changed in the image.
    const QImage after = device.PageImage();
    const QRect r = shown->DrawRect();
    int changedInside = 0, changedOutside = 0;
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            if (before.pixel(x, y) != after.pixel(x, y))
                ++(r.contains(x, y) ? changedInside : changedOutside);
    EXPECT_GT(changedInside, 0);
    EXPECT_EQ(changedOutside, 0);
    device.SetPublisher(nullptr);
}

TEST(ScreenDevice, HitTestTakesTheFirstClickableCommandEdgesIncluded)
{
    TjxScreenDevice device;
    TjxPage page;
    page.PageDef()->SetmmWidth(210079);
    page.PageDef()->SetmmHeight(297127);
    page.SetAbsolutePageNo(1);
    page.SetFirstPage(true);
    page.SetFinal(true);
    const auto add = [&page](int left, bool clickable) {
        auto* shape = new TjxDrawShape;
        shape->SetBounds(left, 10000, 20000, 10000);
        shape->SetClickable(clickable);
        page.AddDrawCommand(shape);
        return shape;
    };
    TjxDrawShape* first = add(10000, true);
    TjxDrawShape* second = add(20000, true);  // overlaps the first
    add(60000, false);
    device.StartJob();
    device.ReceivePage(&page);
    auto* shownFirst = device.ShownPage()->DrawCommand(0);
    auto* shownSecond = device.ShownPage()->DrawCommand(1);
    const TjxDeviceRect a = shownFirst->DeviceRect();
    EXPECT_EQ(device.HitTest(a.left, a.top), shownFirst);
    EXPECT_EQ(device.HitTest(a.right, a.bottom), shownFirst);
    EXPECT_EQ(device.HitTest(a.left - 1, a.top), nullptr);
    // Where both lie the first in the list wins.
    const TjxDeviceRect b = shownSecond->DeviceRect();
    EXPECT_EQ(device.HitTest(b.left + 1, b.top + 1), shownFirst);
    EXPECT_EQ(device.HitTest(a.right + 1, b.top + 1), shownSecond);
    // A command that is not clickable is never hit.
    const TjxDeviceRect c = device.ShownPage()->DrawCommand(2)->DeviceRect();
    EXPECT_EQ(device.HitTest(c.left + 2, c.top + 2), nullptr);
    (void)first;
    (void)second;
}

TEST(ScreenDevice, TextAndLinesFollowTheZoom)
{
    // A 10-point label (13 screen pixels high at 100 %) and a memo at the
    // viewer's zooms: the font height recorded is the zoomed one.
    THost host;
    auto* report = new TjxReport(&host);
    SetA4(report);
    TjxViewer viewer;
    viewer.resize(800, 600);
    viewer.SetReport(report);
    viewer.show();
    TjxScreenDevice* device = viewer.ScreenDevice();
    TjxPage page;
    page.PageDef()->SetmmWidth(210079);
    page.PageDef()->SetmmHeight(297127);
    page.SetAbsolutePageNo(1);
    page.SetFirstPage(true);
    page.SetFinal(true);
    auto* label = new TjxDrawText;
    label->SetBounds(20000, 20000, 80000, 6000);
    label->Font()->SetName(QStringLiteral("Arial"));
    label->Font()->SetSize(10);
    label->Font()->SetColor(clBlack);
    label->SetText(QStringLiteral("Vendor"));
    label->SetTransparent(true);
    page.AddDrawCommand(label);
    auto* line = new TjxDrawLine;
    line->SetBounds(20000, 60000, 100000, 1000);
    line->SetWeight(3);  // points
    page.AddDrawCommand(line);
    const int height96 = -MulDiv(10, 96, 72);
    for (const int percentage : {25, 51, 100, 250}) {
        viewer.SetZoomPercentage(percentage);
        device->StartJob();
        device->ReceivePage(&page);
        device->EndJob();
        const auto* shown = dynamic_cast<TjxDrawText*>(device->ShownPage()->DrawCommand(0));
        ASSERT_NE(shown, nullptr);
        int expected = R(height96 * device->ZoomFactorY());
        if (expected == 0)
            expected = -1;
        EXPECT_EQ(shown->ScreenFontHeight(), expected) << percentage;
        // The line is weight x 96/72 x zoom pixels thick.
        const QImage image = device->PageImage();
        const auto* shownLine = device->ShownPage()->DrawCommand(1);
        const TjxDeviceRect r = shownLine->DeviceRect();
        int thickness = 0;
        for (int y = r.top; y < r.bottom; ++y)
            thickness += (image.pixel((r.left + r.right) / 2, y) & 0xFFFFFF) == 0 ? 1 : 0;
        EXPECT_EQ(thickness, std::max(1, R(3 * 96 / 72.0 * device->ZoomFactorX()))) << percentage;
    }
}

TEST(ScreenDevice, AMemoIsFittedIntoItsRectangleAtSmallZooms)
{
    THost host;
    auto* report = new TjxReport(&host);
    SetA4(report);
    TjxViewer viewer;
    viewer.resize(800, 600);
    viewer.SetReport(report);
    viewer.show();
    TjxScreenDevice* device = viewer.ScreenDevice();
    TjxPage page;
    page.PageDef()->SetmmWidth(210079);
    page.PageDef()->SetmmHeight(297127);
    page.SetAbsolutePageNo(1);
    page.SetFirstPage(true);
    page.SetFinal(true);
    auto* memo = new TjxDrawText;
    memo->SetBounds(20000, 20000, 60000, 30000);
    memo->Font()->SetName(QStringLiteral("Arial"));
    memo->Font()->SetSize(12);
    memo->Font()->SetColor(clBlack);
    memo->SetIsMemo(true);
    memo->SetWordWrap(true);
    memo->SetLeading(2000);
    auto* lines = new TStrings;
    for (int i = 1; i <= 5; ++i)
        lines->Add(QStringLiteral("Line number %1 of the memo").arg(i));
    memo->SetWrappedText(lines);
    delete lines;
    page.AddDrawCommand(memo);
    // Three lines with room to spare: nothing is fitted, so its line height
    // is the font's and the leading's at the zoom.
    auto* roomy = new TjxDrawText;
    roomy->Assign(memo);
    roomy->SetBounds(120000, 20000, 60000, 30000);
    auto* three = new TStrings;
    for (int i = 1; i <= 3; ++i)
        three->Add(QStringLiteral("Line %1").arg(i));
    roomy->SetWrappedText(three);
    delete three;
    page.AddDrawCommand(roomy);
    std::map<int, int> roomyLineHeight;
    for (const int percentage : {25, 40, 100, 200}) {
        viewer.SetZoomPercentage(percentage);
        device->StartJob();
        device->ReceivePage(&page);
        device->EndJob();
        const auto* shown = dynamic_cast<TjxDrawText*>(device->ShownPage()->DrawCommand(0));
        const TjxDeviceRect r = shown->DeviceRect();
        // Five lines of the recorded height fit the rectangle, within a pixel a line.
        const int lineHeight = ThousandthsToPixels(shown->ScreenLineHeight(), 96);
        EXPECT_LE(5 * lineHeight, r.Height() + 5) << percentage;
        EXPECT_NE(shown->ScreenFontHeight(), 0);
        // Nothing is drawn below the rectangle.
        const QImage image = device->PageImage();
        const QRect below(r.left, r.bottom, r.Width(), 20);
        EXPECT_EQ(CountColor(image, below, Qt::white), below.width() * below.height()) << percentage;
        const QRect inside(r.left, r.top, r.Width(), r.Height());
        EXPECT_LT(CountColor(image, inside, Qt::white), inside.width() * inside.height()) << percentage;
        const auto* shownRoomy = dynamic_cast<TjxDrawText*>(device->ShownPage()->DrawCommand(1));
        roomyLineHeight[percentage] = ThousandthsToPixels(shownRoomy->ScreenLineHeight(), 96);
    }
    // The leading grows with the zoom as the font does (2 mm are 8 pixels at
    // 100 %), so lines keep their spacing at large zooms.
    EXPECT_NEAR(roomyLineHeight[200], 2 * roomyLineHeight[100], 2);
}
