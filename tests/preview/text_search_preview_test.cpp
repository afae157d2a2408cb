#include "preview_fixture.h"

#include "components/rich_text.h"
#include "document/report_settings.h"
#include "document/event_ids.h"
#include "engine/text_search.h"
#include "output/draw_other.h"
#include "output/page.h"
#include "output/publisher.h"
#include "platform/canvas.h"
#include "preview/preview.h"
#include "preview/print_preview.h"
#include "preview/screen_device.h"
#include "preview/text_search_preview.h"
#include "preview/viewer.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

// Counted from the page's own text commands, not by the search.
int CountOnPage(const TjxPage& page, const QString& word, bool wholeWord)
{
    const QString pattern = wholeWord ? QStringLiteral("(?<![A-Za-z0-9_])%1(?![A-Za-z0-9_])").arg(word) : word;
    const QRegularExpression re(pattern, QRegularExpression::CaseInsensitiveOption);
    int count = 0;
    for (const QString& text : PageTexts(page))
        for (auto it = re.globalMatch(text); it.hasNext(); it.next())
            ++count;
    return count;
}

struct ReceiptSearch {
    Receipt receipt;
    TjxViewer viewer;
    TjxTextSearchPreview search{&viewer};

    ReceiptSearch()
    {
        viewer.resize(800, 600);
        viewer.SetZoomPercentage(100);
        viewer.SetReport(receipt.report);
        viewer.show();
        receipt.report->Generate();
        search.SetSettings(receipt.report->TextSearchSettings());
    }
};

// The list report in a viewer with the search beside it.
struct ListSearch {
    ListReport list;
    TjxViewer viewer;
    TjxTextSearchPreview search{&viewer};

    explicit ListSearch(int records) : list(records) { viewer.resize(800, 600); }
    // Makes the report and shows its first page.
    void Show()
    {
        viewer.SetReport(list.report);
        viewer.show();
        list.report->Generate();
        search.SetSettings(list.report->TextSearchSettings());
    }
};

} // namespace

TEST(TextSearchPreview, FindsEveryVendorOnTheReceiptAndWholeWordsOnlyWhenAsked)
{
    ReceiptSearch r;
    ASSERT_EQ(r.viewer.AbsolutePageNo(), 1);
    const TjxPage& page = *r.viewer.CurrentPage();
    const int all = CountOnPage(page, "Vendor", false);
    const int whole = CountOnPage(page, "Vendor", true);
    ASSERT_GT(all, whole);
    ASSERT_GT(whole, 0);

    r.search.Edit()->setText("Vendor");
    r.search.FindAll();
    EXPECT_EQ(r.search.Engine().OccurrenceCount(), all);
    EXPECT_EQ(r.search.MatchList()->count(), all);
    EXPECT_EQ(r.search.StatusText(), QStringLiteral("Found 1 of %1").arg(all));
    // The viewer kept its page; the first match is highlighted over it.
    EXPECT_EQ(r.viewer.AbsolutePageNo(), 1);
    EXPECT_EQ(r.viewer.ScreenDevice()->Highlights().size(), 1u);

    // Whole Word from the panel's popup: stored in the report's settings, and Find searches anew.
    QAction* wholeWordOption = r.search.OptionsMenu()->actions().at(2);
    ASSERT_EQ(wholeWordOption->text(), QStringLiteral("Whole Word"));
    wholeWordOption->trigger();
    EXPECT_TRUE(r.receipt.report->TextSearchSettings()->WholeWord());
    r.search.Search();
    EXPECT_EQ(r.search.Engine().OccurrenceCount(), whole);
    // The page the report made is untouched by the highlights.
    EXPECT_EQ(CountOnPage(*r.viewer.CurrentPage(), "Vendor", false), all);
}

TEST(TextSearchPreview, EachHighlightCoversItsWordOnTheScreen)
{
    ReceiptSearch r;
    r.receipt.report->TextSearchSettings()->SetShowAll(true);
    r.search.Edit()->setText("Vendor");
    r.search.FindAll();
    TjxScreenDevice* device = r.viewer.ScreenDevice();
    const TjxPage& page = *device->ShownPage();
    const auto& highlights = device->Highlights();
    const TjxTextSearchPage* entry = r.search.Engine().PageList().FindPage(1);
    ASSERT_NE(entry, nullptr);
    ASSERT_EQ(int(highlights.size()), entry->Count());
    // Arrows are off while all matches show.
    EXPECT_FALSE(r.search.Button(TjxTextSearchPreview::sbNext)->isEnabled());
    EXPECT_TRUE(r.search.StatusText().startsWith(QStringLiteral("Found %1").arg(entry->Count())));

    const QImage image = device->PageImage();
    for (int i = 0; i < entry->Count(); ++i) {
        const TjxTextSearchOccurrence& occurrence = entry->Occurrences[std::size_t(i)];
        const auto* command = dynamic_cast<const TjxDrawText*>(page.DrawCommand(occurrence.DrawCommandIndex));
        ASSERT_NE(command, nullptr);
        const TjxDeviceRect c = command->DeviceRect();
        const TjxDeviceRect h = highlights[std::size_t(i)]->DeviceRect();
        // The word's own rectangle on the screen: where the command's text
        // starts plus the measured text before it, as wide as the word.
        QFont font(DeviceSubstitution(command->Font()->Name()));
        font.setPixelSize(int(std::lround(command->Font()->Size() * 96.0 / 72.0 * device->ZoomFactorY())));
        font.setBold(command->Font()->HasStyle(fsBold));
        font.setKerning(false);
        const QFontMetricsF metrics(font);
        const QString line = command->Text();
        const int at = int(line.indexOf(QStringLiteral("vendor"), 0, Qt::CaseInsensitive));
        ASSERT_GE(at, 0);
        double left = c.left;
        if (command->TextAlignment() == taRightJustified)
            left = c.right - metrics.horizontalAdvance(line.mid(at));
        else if (command->TextAlignment() == taCentered)
            left = c.left + (c.Width() - metrics.horizontalAdvance(line)) / 2.0 + metrics.horizontalAdvance(line.left(at));
        else
            left += metrics.horizontalAdvance(line.left(at));
        const double width = metrics.horizontalAdvance(line.mid(at, 6));
        SCOPED_TRACE(line.toStdString());
        EXPECT_LE(h.left, int(left) + 1);
        EXPECT_GE(h.right, int(left + width) - 1);
        EXPECT_LE(h.top, c.top + 1);
        EXPECT_GE(h.bottom, std::min(c.bottom, c.top + int(metrics.height())) - 1);
        // Drawn: the highlight colour fills its middle.
        const QPoint middle((h.left + h.right) / 2, (h.top + h.bottom) / 2);
        int blue = 0;
        for (int x = h.left + 1; x < h.right - 1; ++x)
            if (image.pixelColor(x, middle.y()) == QColor(0x33, 0x99, 0xFF))
                ++blue;
        EXPECT_GT(blue, 0);
    }
}

TEST(TextSearchPreview, NextWalksALongReportInPageOrderAndStopsAtTheEnd)
{
    ListSearch f(150);
    f.Show();
    ListReport& list = f.list;
    TjxViewer& viewer = f.viewer;
    TjxTextSearchPreview& search = f.search;
    list.report->TextSearchSettings()->SetWholeWord(true);
    // "Customer 7" as a whole word is one row: 7, not 70..79.
    search.Edit()->setText("Customer 7");
    search.Search();
    ASSERT_EQ(search.Engine().OccurrenceCount(), 1);
    EXPECT_EQ(viewer.AbsolutePageNo(), 1);

    list.report->TextSearchSettings()->SetWholeWord(false);
    search.Edit()->setText("Customer 1");
    search.Search();
    // 1, 10..19, 100..150: every one, in page order, then no more.
    std::vector<std::pair<int, int>> walk;
    for (int index = -1; search.Engine().CurrentGlobalIndex() != index;) {
        index = search.Engine().CurrentGlobalIndex();
        walk.emplace_back(search.Engine().CurrentPageNo(), search.Engine().CurrentOccurrence()->Top);
        EXPECT_EQ(viewer.AbsolutePageNo(), walk.back().first);
        search.Next();
    }
    EXPECT_EQ(int(walk.size()), 1 + 10 + 51);
    EXPECT_TRUE(std::is_sorted(walk.begin(), walk.end()));
    EXPECT_GT(walk.back().first, 1);
    EXPECT_TRUE(search.Engine().AllPagesSearched());
    // At the last match Next stays there.
    const int last = search.Engine().CurrentGlobalIndex();
    search.Next();
    EXPECT_EQ(search.Engine().CurrentGlobalIndex(), last);
    EXPECT_FALSE(search.Button(TjxTextSearchPreview::sbNext)->isEnabled());
    search.First();
    EXPECT_EQ(viewer.AbsolutePageNo(), 1);

    search.FindAll();
    EXPECT_EQ(search.MatchList()->count(), 62);
    search.MatchList()->setCurrentRow(61);
    EXPECT_EQ(viewer.AbsolutePageNo(), walk.back().first);
}

// The same walk over about 3,000 pages, with matches far apart: "Customer 4242"
// is row 4242 and rows 42420 to 42429, more than a thousand pages later.
TEST(TextSearchPreview, NextWalksAThreeThousandPageReportInPageOrder)
{
    ListSearch f(99000);
    f.Show();
    TjxTextSearchPreview& search = f.search;
    search.Edit()->setText("Customer 4242");
    search.Search();
    std::vector<std::pair<int, int>> walk;
    for (int index = -1; search.Engine().CurrentGlobalIndex() != index;) {
        index = search.Engine().CurrentGlobalIndex();
        walk.emplace_back(search.Engine().CurrentPageNo(), search.Engine().CurrentOccurrence()->Top);
        EXPECT_EQ(f.viewer.AbsolutePageNo(), walk.back().first);
        search.Next();
    }
    ASSERT_EQ(int(walk.size()), 11);
    EXPECT_TRUE(std::is_sorted(walk.begin(), walk.end()));
    EXPECT_GT(walk.back().first - walk.front().first, 1000);
    EXPECT_TRUE(search.Engine().AllPagesSearched());
    EXPECT_GE(f.list.report->Engine()->AbsolutePageCount(), 2900);
    const int last = search.Engine().CurrentGlobalIndex();
    search.Next();
    EXPECT_EQ(search.Engine().CurrentGlobalIndex(), last);

    search.FindAll();
    EXPECT_EQ(search.MatchList()->count(), 11);
    search.MatchList()->setCurrentRow(0);
    EXPECT_EQ(f.viewer.AbsolutePageNo(), walk.front().first);
}

TEST(TextSearchPreview, EscapeStopsASearchAndTheViewerStaysUsable)
{
    ListReport list(400);
    QWidget host;
    host.resize(1000, 700);
    TjxPreview preview(&host);
    host.show();
    preview.Start(list.report);
    list.report->Generate();
    ASSERT_EQ(preview.Viewer()->AbsolutePageNo(), 1);
    TjxTextSearchPreview* search = preview.SearchPreview();
    search->Edit()->setText("no such text");
    search->Edit()->setFocus();
    // Delivered while the search lets events through.
    QCoreApplication::postEvent(search->Edit(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    search->Search();
    EXPECT_TRUE(search->Engine().Cancelled());
    EXPECT_FALSE(search->Engine().AllPagesSearched());
    EXPECT_EQ(search->StatusText(), QStringLiteral("Text Search Cancelled"));
    EXPECT_EQ(preview.Viewer()->AbsolutePageNo(), 1);
    EXPECT_TRUE(host.isVisible());
    // The viewer still turns pages, and a new search runs to its end.
    preview.Viewer()->NextPage();
    EXPECT_EQ(preview.Viewer()->AbsolutePageNo(), 2);
    search->Edit()->setText("Customer 399");
    search->Search();
    EXPECT_EQ(search->Engine().OccurrenceCount(), 1);
    EXPECT_GT(preview.Viewer()->AbsolutePageNo(), 2);
}

TEST(TextSearchPreview, EmptyTextFindsNothingAndFindIsOff)
{
    ReceiptSearch r;
    r.search.Edit()->setText(QString());
    EXPECT_FALSE(r.search.FindButton()->isEnabled());
    r.search.Search();
    EXPECT_FALSE(r.search.Engine().HasResult());
    EXPECT_TRUE(r.viewer.ScreenDevice()->Highlights().empty());
    r.search.Edit()->setText("Vendor");
    EXPECT_TRUE(r.search.FindButton()->isEnabled());
}

TEST(TextSearchPreview, TheShownPageIsRepaintedWithItsHighlight)
{
    ReceiptSearch r;
    QApplication::processEvents();
    // Paint events reaching the page once the search has drawn its highlight.
    struct TPaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override
        {
            paints += event->type() == QEvent::Paint;
            return false;
        }
    } counter;
    r.viewer.PaintBox()->installEventFilter(&counter);
    r.search.Edit()->setText("Vendor");
    r.search.Search();
    QApplication::processEvents();
    EXPECT_EQ(r.viewer.ScreenDevice()->Highlights().size(), 1u);
    EXPECT_GT(counter.paints, 0);
}

TEST(TextSearchPreview, ASearchMakesEachPageOnceAndLeavesTheShownPageAlone)
{
    ListReport list(400);
    TjxViewer viewer;
    viewer.resize(800, 600);
    viewer.SetReport(list.report);
    viewer.show();
    list.report->Generate();
    viewer.NextPage();
    ASSERT_EQ(viewer.AbsolutePageNo(), 2);
    const int shownCommands = viewer.ScreenDevice()->ShownPage()->DrawCommandCount();
    ASSERT_GT(shownCommands, 0);

    std::map<int, int> made;
    TjxCommunicator listener;
    listener.AddEventInterest(ciPublisherPagePublished);
    listener.OnEventNotify = [&made](TjxCommunicator*, int, TjxEventParams* params) {
        if (auto* page = dynamic_cast<TjxPage*>(params->Value(QStringLiteral("Page")).value<TPersistent*>()))
            ++made[page->AbsolutePageNo()];
    };
    list.report->Publisher()->AddEventNotify(&listener);
    int shownReceived = 0;
    viewer.ScreenDevice()->ReceivePageHandler = [&shownReceived](TjxDevice*, TjxPage*) { ++shownReceived; };

    TjxTextSearchPreview search(&viewer);
    search.SetSettings(list.report->TextSearchSettings());
    search.Edit()->setText("no such text");
    search.Search();
    list.report->Publisher()->RemoveEventNotify(&listener);
    viewer.ScreenDevice()->ReceivePageHandler = nullptr;

    ASSERT_TRUE(search.Engine().AllPagesSearched());
    EXPECT_EQ(search.Engine().OccurrenceCount(), 0);
    // Every page but the shown one was made once, for the search alone: the
    // viewer's own page was neither made again nor emptied.
    const int pages = viewer.ScreenDevice()->ShownPage()->AbsolutePageCount();
    ASSERT_GT(pages, 3);
    EXPECT_EQ(int(made.size()), pages - 1);
    EXPECT_EQ(made.count(2), 0u);
    for (const auto& [page, times] : made)
        EXPECT_EQ(times, 1) << "page " << page;
    EXPECT_EQ(viewer.AbsolutePageNo(), 2);
    EXPECT_EQ(viewer.ScreenDevice()->ShownPage()->DrawCommandCount(), shownCommands);
    // It saw the pages go by, and kept only its own.
    EXPECT_EQ(shownReceived, pages - 1);
}

namespace {

bool IsRichHighlight(const QColor& c)
{
    return c == QColor(0x0A, 0x24, 0x6A);
}

// The rows of the image inside `r` that hold a pixel passing `test`.
template <typename Test>
QRect PixelsWhere(const QImage& image, const TjxDeviceRect& r, Test test)
{
    QRect found;
    for (int y = std::max(r.top, 0); y <= std::min(r.bottom, image.height() - 1); ++y)
        for (int x = std::max(r.left, 0); x <= std::min(r.right, image.width() - 1); ++x)
            if (test(image.pixelColor(x, y)))
                found |= QRect(x, y, 1, 1);
    return found;
}

// Near-black pixels of `image` on the stretches of each row that `highlighted`
// shows in the highlight's background, from its first such pixel to its last.
int DarkWhereHighlighted(const QImage& image, const QImage& highlighted, const TjxDeviceRect& r)
{
    int dark = 0;
    for (int y = std::max(r.top, 0); y <= std::min(r.bottom, image.height() - 1); ++y) {
        int first = -1, last = -1;
        for (int x = std::max(r.left, 0); x <= std::min(r.right, image.width() - 1); ++x)
            if (IsRichHighlight(highlighted.pixelColor(x, y))) {
                first = first < 0 ? x : first;
                last = x;
            }
        for (int x = first; first >= 0 && x <= last; ++x) {
            const QColor c = image.pixelColor(x, y);
            dark += std::max({c.red(), c.green(), c.blue()}) < 60;
        }
    }
    return dark;
}

} // namespace

TEST(TextSearchPreview, ARichTextMatchIsRecolouredOnTheViewersPageOnlyOnEveryLine)
{
    ListSearch f(60);
    ListReport& list = f.list;
    list.report->SetCachePages(true);
    // A narrow rich text in the page header: the phrase is wider than it.
    TjxBand* header = list.report->Bands().front();
    auto* rich = new TjxRichText(&list.host);
    rich->SetName(QStringLiteral("rtTerms"));
    rich->SetParentComponent(header);
    rich->SetBounds(100000, 0, 11000, 40000);
    rich->LoadFromRTFStream(
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 The Vendor pays the fees of the trust account monthly.\\par}");
    f.viewer.SetZoomPercentage(100);
    f.Show();
    ASSERT_EQ(f.viewer.AbsolutePageNo(), 1);
    TjxScreenDevice* device = f.viewer.ScreenDevice();
    const TjxPage& shown = *device->ShownPage();
    const TjxDrawRichText* command = nullptr;
    for (int i = 0; i < shown.DrawCommandCount() && !command; ++i)
        command = dynamic_cast<const TjxDrawRichText*>(shown.DrawCommand(i));
    ASSERT_NE(command, nullptr);
    const TjxDeviceRect r = command->DeviceRect();
    // The screen draws the rich text (dark text on the page), with no highlight yet.
    const QImage before = device->PageImage();
    EXPECT_FALSE(PixelsWhere(before, r, [](const QColor& c) { return c.lightness() < 80; }).isEmpty());
    EXPECT_TRUE(PixelsWhere(before, r, IsRichHighlight).isEmpty());
    TjxPage* cached = list.report->Publisher()->CachedPage(1);
    ASSERT_NE(cached, nullptr);
    const QByteArray cachedBytes = [&] {
        for (int i = 0; i < cached->DrawCommandCount(); ++i)
            if (auto* c = dynamic_cast<const TjxDrawRichText*>(cached->DrawCommand(i)))
                return c->RichTextStream();
        return QByteArray();
    }();
    ASSERT_FALSE(cachedBytes.isEmpty());

    TjxTextSearchPreview& search = f.search;
    search.Edit()->setText(QStringLiteral("pays the fees of the trust account"));
    search.Search();
    ASSERT_EQ(search.Engine().OccurrenceCount(), 1);
    // Recoloured in a copy drawn in the text's place, not covered by a box.
    EXPECT_TRUE(device->Highlights().empty());
    ASSERT_NE(device->Substitute(command), nullptr);
    const QImage after = device->PageImage();
    const QRect highlighted = PixelsWhere(after, r, IsRichHighlight);
    // Two lines of 10-point text at 96 dpi: well over one line's 16 pixels.
    EXPECT_GT(highlighted.height(), 24);
    // The matched letters, dark before, are light on the highlight now.
    EXPECT_GT(DarkWhereHighlighted(before, after, r), 20);
    EXPECT_EQ(DarkWhereHighlighted(after, after, r), 0);
    // The publisher's page and the viewer's own copy keep their content.
    for (int i = 0; i < cached->DrawCommandCount(); ++i) {
        if (auto* c = dynamic_cast<const TjxDrawRichText*>(cached->DrawCommand(i))) {
            EXPECT_EQ(c->RichTextStream(), cachedBytes);
        }
    }
    EXPECT_EQ(command->RichTextStream(), cachedBytes);

    search.Clear();
    EXPECT_EQ(device->Substitute(command), nullptr);
    EXPECT_TRUE(PixelsWhere(device->PageImage(), r, IsRichHighlight).isEmpty());
}

TEST(TextSearchPreview, TheMatchsPageIsDrawnOnceWithItsHighlight)
{
    ListSearch f(400);
    f.Show();
    TjxViewer& viewer = f.viewer;
    TjxTextSearchPreview& search = f.search;
    int draws = 0;
    viewer.ScreenDevice()->PageDrawnHandler = [&draws](TjxScreenDevice*) { ++draws; };
    search.Edit()->setText(QStringLiteral("Customer 333"));
    search.Search();
    viewer.ScreenDevice()->PageDrawnHandler = nullptr;
    ASSERT_GT(viewer.AbsolutePageNo(), 1);
    EXPECT_EQ(viewer.ScreenDevice()->Highlights().size(), 1u);
    EXPECT_EQ(draws, 1);
    // A page change the preview reports does not draw it again.
    search.PageChanged();
    EXPECT_EQ(draws, 1);
}

TEST(TextSearchPreview, APageThatFailsMidSearchIsShownAndTheViewerStaysUsable)
{
    ListSearch f(400);
    ListReport& list = f.list;
    bool failing = false;
    list.report->SetOnStartPage(TMethod{nullptr, {}, [&list, &failing](TComponent*, TjxEventParams&) {
                                            if (failing && list.report->Engine()->AbsolutePageNo() == 4)
                                                throw EDataError(QStringLiteral("The order is gone."));
                                        }});
    f.Show();
    TjxViewer& viewer = f.viewer;
    TjxTextSearchPreview& search = f.search;
    TjxPublisher* publisher = list.report->Publisher();
    ASSERT_EQ(publisher->DeviceCount(), 1);

    failing = true;
    search.Edit()->setText(QStringLiteral("Customer 399"));
    QString shown;
    AnswerMessageBox(&shown);
    QTest::mouseClick(search.FindButton(), Qt::LeftButton);
    EXPECT_EQ(shown, QStringLiteral("The order is gone."));
    EXPECT_FALSE(search.Searching());
    EXPECT_FALSE(search.Engine().HasResult());
    // The search's own device has left; the viewer's is attached and turns pages.
    EXPECT_EQ(publisher->DeviceCount(), 1);
    EXPECT_EQ(publisher->DeviceAt(0), viewer.ScreenDevice());
    EXPECT_EQ(viewer.AbsolutePageNo(), 1);
    viewer.NextPage();
    EXPECT_EQ(viewer.AbsolutePageNo(), 2);

    failing = false;
    search.Search();
    EXPECT_EQ(search.Engine().OccurrenceCount(), 1);
    EXPECT_GT(viewer.AbsolutePageNo(), 4);
}
