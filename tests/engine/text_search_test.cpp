#include "engine/text_search.h"

#include "components/text_layout.h"
#include "document/report_settings.h"
#include "document/units.h"
#include "output/draw_text.h"
#include "output/page.h"
#include "platform/text_measurer.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

using namespace orvane;

namespace {

int Find(const QString& text, const QString& pattern, bool wholeWord = false, bool caseSensitive = false,
         int from = 0)
{
    return TjxTextSearchToolbox::Find(text, pattern, wholeWord, caseSensitive, from);
}

TjxDrawText* AddText(TjxPage& page, const QString& text, int left, int top, int width = 50000, int height = 5000)
{
    auto* command = new TjxDrawText();
    command->SetText(text);
    command->SetLeft(left);
    command->SetTop(top);
    command->SetWidth(width);
    command->SetHeight(height);
    command->Font()->SetName(QStringLiteral("Arial"));
    command->Font()->SetSize(10);
    page.AddDrawCommand(command);
    return command;
}

// A report of pages built in code; `texts[n]` are the texts of page n + 1.
struct Pages {
    std::vector<std::unique_ptr<TjxPage>> pages;
    int requests = 0;

    explicit Pages(const std::vector<QStringList>& texts)
    {
        for (std::size_t n = 0; n < texts.size(); ++n) {
            auto page = std::make_unique<TjxPage>();
            page->SetAbsolutePageNo(int(n) + 1);
            page->SetLastPage(n + 1 == texts.size());
            int top = 10000;
            for (const QString& text : texts[n]) {
                AddText(*page, text, 10000, top);
                top += 6000;
            }
            pages.push_back(std::move(page));
        }
    }
    TjxTextSearchEngine::TPageSource Source()
    {
        return [this](int pageNo, const TjxTextSearchEngine::TPageReader& read) {
            ++requests;
            if (pageNo < 1 || pageNo > int(pages.size()))
                return false;
            read(*pages[std::size_t(pageNo - 1)]);
            return true;
        };
    }
};

} // namespace

TEST(TextSearchFind, WholeWordsEndAtTheDelimitersAndDelimiterPatternsMatchAnywhere)
{
    EXPECT_EQ(Find("net.total", "net", true), 1);
    EXPECT_EQ(Find("network", "net", true), 0);
    EXPECT_EQ(Find("network net", "net", true), 9);
    // A match one character before the end counts only when that character ends a word.
    EXPECT_EQ(Find("a nets", "net", true), 0);
    EXPECT_EQ(Find("a net!", "net", true), 3);
    EXPECT_EQ(Find("(net)", "net", true), 2);
    EXPECT_EQ(Find("a\\net", "net", true), 3);
    EXPECT_EQ(Find("a_net", "net", true), 0);
    // A single delimiter as pattern finds every occurrence of it.
    EXPECT_EQ(Find("well-known x-ray", "-", true), 5);
    EXPECT_EQ(Find("well-known x-ray", "-", true, false, 5), 13);
    for (QChar c : QStringView(u" \".',?;:()!@#$%^&*-+={}[]/~`|\\"))
        EXPECT_TRUE(IsSearchDelimiter(c)) << QString(c).toStdString();
    EXPECT_FALSE(IsSearchDelimiter(u'_'));
    EXPECT_FALSE(IsSearchDelimiter(u'<'));
}

TEST(TextSearchFind, CaseFoldingKeepsPositionsAndEmptyPatternsFindNothing)
{
    EXPECT_EQ(Find("Grand Total", "TOTAL"), 7);
    EXPECT_EQ(Find("Grand Total", "TOTAL", false, true), 0);
    // Upper-casing "straße" makes it one character longer; the position of
    // what follows must still be its position in the text as written.
    EXPECT_EQ(Find(QStringLiteral("Straße Nord"), "NORD"), 8);
    EXPECT_EQ(Find(QStringLiteral("Straße Nord"), QStringLiteral("STRASSE")), 0);
    EXPECT_EQ(Find(QStringLiteral("ÄRGER ärger"), QStringLiteral("ärger"), false, true), 7);
    EXPECT_EQ(Find(QStringLiteral("ÄRGER ärger"), QStringLiteral("ärger")), 1);
    EXPECT_EQ(Find("text", ""), 0);
    EXPECT_EQ(Find("", "x"), 0);
    EXPECT_EQ(Find("abc", "c", false, false, 3), 0);
}

TEST(TextSearchPage, MatchesAreNumberedPerCommandAndLineAndSortedByPosition)
{
    TjxPage page;
    page.SetAbsolutePageNo(4);
    AddText(page, "total below", 10000, 30000);
    TjxDrawText* memo = AddText(page, "", 10000, 10000, 80000, 12000);
    memo->SetIsMemo(true);
    memo->SetWordWrap(true);
    TStrings lines;
    lines.SetText(QStringLiteral("first line\nthe total and the total\nTotal"));
    memo->SetWrappedText(&lines);

    const std::vector<TjxTextSearchOccurrence> found =
        SearchPageOccurrences(page, "total", {}, DefaultTextMeasurer());
    ASSERT_EQ(found.size(), 4u);
    // The memo's line 2 (two matches, by Left), then its line 3, then the text below.
    EXPECT_EQ(found[0].DrawCommandIndex, 1);
    EXPECT_EQ(found[0].LineNo, 2);
    EXPECT_EQ(found[0].OccurrenceNo, 1);
    EXPECT_EQ(found[0].CharPos, 4);
    EXPECT_EQ(found[1].OccurrenceNo, 2);
    EXPECT_EQ(found[1].CharPos, 18);
    EXPECT_EQ(found[0].Left + 1, found[1].Left);
    EXPECT_EQ(found[2].LineNo, 3);
    EXPECT_EQ(found[2].OccurrenceNo, 3);
    EXPECT_EQ(found[3].DrawCommandIndex, 0);
    // The memo's height over its lines is within a tenth of the font's line: the lines are that far apart.
    EXPECT_EQ(found[2].TextRect.top() - found[0].TextRect.top(), 4000);
    EXPECT_EQ(found[0].TextRect.top(), 14000);
    // Later matches on a line lie further right, and within the command.
    EXPECT_GT(found[1].TextRect.left(), found[0].TextRect.right());
    EXPECT_LE(found[1].TextRect.right(), memo->Left() + memo->Width());

    EXPECT_TRUE(SearchPageOccurrences(page, "", {}, DefaultTextMeasurer()).empty());
    TjxTextSearchOptions exact;
    exact.CaseSensitive = true;
    EXPECT_EQ(SearchPageOccurrences(page, "Total", exact, DefaultTextMeasurer()).size(), 1u);
}

TEST(TextSearchPage, TheRectangleFollowsTheAlignment)
{
    const TFixedAdvanceMeasurer measurer;
    TjxPage page;
    TjxDrawText* left = AddText(page, "ab Vendor cd", 10000, 10000);
    TjxDrawText* right = AddText(page, "ab Vendor cd", 10000, 20000);
    right->SetTextAlignment(taRightJustified);
    TjxDrawText* centred = AddText(page, "ab Vendor cd", 10000, 30000);
    centred->SetTextAlignment(taCentered);
    const auto found = SearchPageOccurrences(page, "Vendor", {}, measurer);
    ASSERT_EQ(found.size(), 3u);
    const QRect a = found[0].TextRect, b = found[1].TextRect, c = found[2].TextRect;
    // The same word is as wide in each; right-aligned it ends " cd" short of the right edge.
    EXPECT_EQ(a.width(), b.width());
    EXPECT_EQ(a.width(), c.width());
    const int twoChars = SearchTextRect(*left, 1, 0, 2, measurer).width();
    EXPECT_EQ(a.left(), left->Left() + twoChars + SearchTextRect(*left, 1, 2, 1, measurer).width());
    EXPECT_EQ(b.left() + b.width(), right->Left() + right->Width() - SearchTextRect(*right, 1, 9, 3, measurer).width());
    // Centred, the word's middle is the command's middle (the text around it is balanced).
    EXPECT_NEAR(c.center().x(), centred->Left() + centred->Width() / 2, 2);
    EXPECT_EQ(b.top(), 20000);
}

TEST(TextSearchPage, FullJustifiedRectanglesFollowTheSpreadWords)
{
    // 10 pt at 96 dpi: every character 20/3 px; the command is 189 px wide.
    const TFixedAdvanceMeasurer measurer;
    const double a = 20.0 / 3;
    TjxPage page;
    TjxDrawText* memo = AddText(page, QString(), 10000, 10000, 50000, 20000);
    memo->SetIsMemo(true);
    memo->SetWordWrap(true);
    memo->SetTextAlignment(taFullJustified);
    const QString end = TjxTextMarkup::ParagraphEnd.toString();
    memo->WrappedText()->SetLines({"ab Vendor cd", "Vendors", "Vendor xy" + end});
    const auto px = [](double v) { return UnitsToThousandths(float(v), utScreenPixels); };
    const auto expectSpan = [&](const QRect& r, double from, double to) {
        EXPECT_NEAR(r.left(), memo->Left() + px(from), 2);
        EXPECT_NEAR(r.right() + 1, memo->Left() + px(to), 2);
    };

    // Two blanks share 189 - 12a = 109 px: 55 after "ab", 54 after "Vendor".
    auto found = SearchPageOccurrences(page, "Vendor", {}, measurer);
    ASSERT_EQ(found.size(), 3u);
    expectSpan(found[0].TextRect, 3 * a + 55, 9 * a + 55);
    expectSpan(SearchTextRect(*memo, 1, 10, 2, measurer), 10 * a + 109, 189);
    // A single word is spread letter by letter: six blanks of 17 px.
    expectSpan(SearchTextRect(*memo, 2, 1, 3, measurer), 2 * a + 17, 7 * a + 3 * 17);
    // The paragraph's last line stays left-aligned, unless it is forced to justify.
    expectSpan(found[2].TextRect, 0, 6 * a);
    expectSpan(SearchTextRect(*memo, 3, 7, 2, measurer), 7 * a, 9 * a);
    memo->SetForceJustifyLastLine(true);
    expectSpan(SearchTextRect(*memo, 3, 7, 2, measurer), 189 - 2 * a, 189);
    EXPECT_EQ(found[2].TextRect.top(), memo->Top() + 2 * found[2].TextRect.height());
}

TEST(TextSearchEngine, StopsAtTheFirstPageWithMatchesAndWalksOnInPageOrder)
{
    Pages pages({{"nothing"}, {"Vendor one", "Vendor two"}, {"none"}, {"a Vendor"}, {"end"}});
    TjxTextSearchSettings settings;
    TjxTextSearchEngine engine;
    engine.SetSettings(&settings);
    engine.SetPageSource(pages.Source());

    ASSERT_TRUE(engine.Search("vendor"));
    EXPECT_EQ(engine.HighestPageSearched(), 2);
    EXPECT_FALSE(engine.AllPagesSearched());
    EXPECT_EQ(engine.PageToGoTo(), 2);
    EXPECT_EQ(engine.OccurrenceCount(), 2);
    EXPECT_EQ(engine.StatusText(), "Found 1 of 2 ...more...");

    std::vector<std::pair<int, int>> walk{{engine.CurrentPageNo(), engine.CurrentOccurrence()->Top}};
    while (engine.NextOccurrence())
        walk.emplace_back(engine.CurrentPageNo(), engine.CurrentOccurrence()->Top);
    EXPECT_EQ(walk, (std::vector<std::pair<int, int>>{{2, 10000}, {2, 16000}, {4, 10000}}));
    EXPECT_TRUE(engine.AllPagesSearched());
    EXPECT_EQ(engine.CurrentGlobalIndex(), 2);
    // At the end, next stays; prior and first walk back.
    EXPECT_FALSE(engine.NextOccurrence());
    EXPECT_EQ(engine.StatusText(), "Found 3 of 3");
    EXPECT_TRUE(engine.PriorOccurrence());
    EXPECT_EQ(engine.CurrentPageNo(), 2);
    EXPECT_TRUE(engine.FirstOccurrence());
    EXPECT_FALSE(engine.PriorOccurrence());
    EXPECT_TRUE(engine.LastOccurrence());
    EXPECT_EQ(engine.CurrentGlobalIndex(), 2);

    settings.SetShowAll(true);
    settings.SetWholeWord(true);
    EXPECT_EQ(engine.StatusText(), "Found 3          Show All          Whole Word");
}

TEST(TextSearchEngine, LastSearchesTheRestAndFindAllFillsTheList)
{
    Pages pages({{"x Vendor"}, {"Vendor", "Vendors"}, {"vendor"}});
    TjxTextSearchSettings settings;
    settings.SetWholeWord(true);
    settings.SetCaseSensitive(true);
    TjxTextSearchEngine engine;
    engine.SetSettings(&settings);
    engine.SetPageSource(pages.Source());
    ASSERT_TRUE(engine.Search("Vendor", 1, true));
    EXPECT_TRUE(engine.AllPagesSearched());
    EXPECT_EQ(engine.PageList().PageCount(), 2);
    EXPECT_EQ(engine.OccurrenceCount(), 2);

    ASSERT_TRUE(engine.Search("Vendor"));
    EXPECT_EQ(engine.OccurrenceCount(), 1);
    ASSERT_TRUE(engine.LastOccurrence());
    EXPECT_EQ(engine.CurrentPageNo(), 2);
    EXPECT_EQ(engine.CurrentGlobalIndex(), 1);

    // From the current page on, the first page is not looked at.
    pages.requests = 0;
    ASSERT_TRUE(engine.Search("Vendor", 2));
    EXPECT_EQ(engine.PageToGoTo(), 2);
    EXPECT_EQ(pages.requests, 1);
}

TEST(TextSearchEngine, EmptyTextCancelAndFailingPagesLeaveTheEngineUsable)
{
    Pages pages({{"a"}, {"b"}, {"c Vendor"}});
    TjxTextSearchEngine engine;
    engine.SetPageSource(pages.Source());
    EXPECT_FALSE(engine.Search(""));
    EXPECT_EQ(pages.requests, 0);
    EXPECT_FALSE(engine.HasResult());

    // Cancelled while page 1 is searched: no result, the pages stay unsearched.
    engine.ProgressHandler = [&engine](int) { engine.CancelSearch(); };
    EXPECT_FALSE(engine.Search("Vendor"));
    EXPECT_TRUE(engine.Cancelled());
    EXPECT_FALSE(engine.Searching());
    EXPECT_EQ(engine.OccurrenceCount(), 0);
    EXPECT_EQ(engine.StatusText(), "Text Search Cancelled");
    engine.ProgressHandler = nullptr;

    // A search asked for while one runs is refused; the running one ends whole.
    bool nested = true;
    engine.ProgressHandler = [&engine, &nested](int) { nested = engine.Search("a", 1, true); };
    EXPECT_TRUE(engine.Search("Vendor", 1, true));
    EXPECT_FALSE(nested);
    EXPECT_TRUE(engine.AllPagesSearched());
    EXPECT_EQ(engine.SearchText(), "Vendor");
    EXPECT_EQ(engine.CurrentPageNo(), 3);
    engine.ProgressHandler = nullptr;

    // A page that cannot be made: the error comes out and the engine searches again afterwards.
    engine.SetPageSource([&pages](int pageNo, const TjxTextSearchEngine::TPageReader& read) {
        if (pageNo == 2)
            throw ESearchEngineError("no page");
        return pages.Source()(pageNo, read);
    });
    EXPECT_THROW(engine.Search("Vendor"), ESearchEngineError);
    EXPECT_FALSE(engine.Searching());
    engine.SetPageSource(pages.Source());
    EXPECT_TRUE(engine.Search("Vendor"));
    EXPECT_EQ(engine.CurrentPageNo(), 3);
}

TEST(TextSearchPageList, ErrorsNameThePageAndTheIndex)
{
    TjxTextSearchPageList list;
    EXPECT_FALSE(list.First());
    EXPECT_FALSE(list.Next());
    try {
        list.Last();
        FAIL();
    } catch (const ESearchError& error) {
        EXPECT_EQ(error.Message(),
                  "TjxTextSearchPageList.LastTextSearchPage: Current page search object list is empty.");
    }
    TjxTextSearchPage page;
    page.PageNo = 7;
    page.Occurrences.resize(3);
    list.Append(page);
    page.PageNo = 9;
    page.Occurrences.resize(2);
    list.Append(page);
    list.SetGlobalIndex(4);
    EXPECT_EQ(list.CurrentPageIndex(), 1);
    EXPECT_EQ(list.CurrentOccurrenceIndex(), 1);
    EXPECT_TRUE(list.OnLast());
    list.GotoPage(7);
    EXPECT_EQ(list.GlobalIndex(), 0);
    try {
        list.GotoPage(8);
        FAIL();
    } catch (const ESearchError& error) {
        EXPECT_EQ(error.Message(), "TjxTextSearchPageList.GotoPage: Cannot find the page number 8 in the list of "
                                   "page info objects of (1-2).");
    }
    EXPECT_THROW(list.SetGlobalIndex(5), ESearchError);
    EXPECT_THROW(list.Page(0).At(3), ESearchError);
}
