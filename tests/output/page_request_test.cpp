// Page requests: which pages a device wants, merging, and the typed page list.

#include "output/page.h"
#include "output/page_request.h"

#include <gtest/gtest.h>

using namespace orvane;

namespace {

void Number(TjxPage& page, int no, int count)
{
    page.SetAbsolutePageNo(no);
    page.SetAbsolutePageCount(count);
    page.SetFirstPage(no == 1);
    page.SetLastPage(no == count);
}

} // namespace

TEST(PageRequest, SelectsPagesBySetting)
{
    TjxPage page;
    TjxPageRequest r;
    Number(page, 3, 5);
    EXPECT_TRUE(r.IsRequested(page));
    r.SetPageRange(prEvenPages);
    EXPECT_FALSE(r.IsRequested(page));
    r.SetPageRange(prOddPages);
    EXPECT_TRUE(r.IsRequested(page));

    r.Clear();
    r.SetPageSetting(psPageList);
    r.PageList()->SetLines({"2", "3"});
    EXPECT_TRUE(r.IsRequested(page));
    EXPECT_TRUE(r.IsLastRequested(page));
    Number(page, 4, 5);
    EXPECT_FALSE(r.IsRequested(page));

    // A single page past the end settles on the last page.
    r.Clear();
    r.SetPageSetting(psSinglePage);
    r.SetPageRequested(9);
    Number(page, 5, 5);
    EXPECT_TRUE(r.IsRequested(page));
    EXPECT_EQ(r.PageRequested(), 5);

    r.SetPageSetting(psFirstPage);
    Number(page, 1, 5);
    EXPECT_TRUE(r.IsRequested(page));
    r.SetPageSetting(psPageRange);  // accepted, matches nothing
    EXPECT_FALSE(r.IsRequested(page));
}

TEST(PageRequest, MergeCollectsSinglePagesAndWidensOthers)
{
    TjxPageRequest a, b;
    a.SetPageSetting(psSinglePage);
    a.SetPageRequested(2);
    b.SetPageSetting(psSinglePage);
    b.SetPageRequested(7);
    a.Merge(b);
    EXPECT_EQ(a.PageSetting(), psPageList);
    EXPECT_EQ(a.PageList()->Lines(), QStringList({"2", "7"}));
    b.SetPageRequested(9);
    a.Merge(b);
    a.Merge(b);
    EXPECT_EQ(a.PageList()->Lines(), QStringList({"2", "7", "9"}));
    TjxPageRequest all;
    a.Merge(all);
    EXPECT_EQ(a.PageSetting(), psAll);

    TjxPageRequest copy;
    copy.Assign(&b);
    EXPECT_EQ(copy.PageSetting(), psSinglePage);
    EXPECT_EQ(copy.PageRequested(), 9);
}

TEST(PageRequest, TypedPageLists)
{
    EXPECT_EQ(TextToPageList(u"1,3,5-12"), QStringList({"1", "3", "5", "6", "7", "8", "9", "10", "11", "12"}));
    EXPECT_EQ(TextToPageList(u"12, 3 - 5, 3"), QStringList({"3", "3", "4", "5", "12"}));
    EXPECT_EQ(TextToPageList(u"9-4"), QStringList({"4", "9"}));
    EXPECT_EQ(TextToPageList(u"-4, 7-"), QStringList({"4", "7"}));
    EXPECT_TRUE(TextToPageList(u"none").isEmpty());
    EXPECT_EQ(TextToPageList(u"1-2000000000").size(), 100001);  // a typed huge range is capped
}
