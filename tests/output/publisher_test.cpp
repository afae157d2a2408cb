// The publisher between devices and a report: merged requests, the page
// cache, device stacks and the single-page correction.

#include "output/null_device.h"
#include "output/page.h"
#include "output/publisher.h"

#include <gtest/gtest.h>

using namespace orvane;

namespace {

// Plays the report's part: makes pages 1..pageCount of a one-pass report (the
// count is known on the last page only) until the publisher has what it asked for.
struct Report {
    int pageCount = 6;
    int runs = 0;
    int generated = 0;
    bool generating = false;
    TjxPageSettingType setting = psAll;
    QStringList list;

    explicit Report(TjxPublisher& publisher, int pages = 6) : pageCount(pages)
    {
        publisher.PageRequestHandler = [this](TjxPublisher* p, TjxPageRequest* request) {
            ++runs;
            setting = request->PageSetting();
            list = request->PageList()->Lines();
            generating = true;
            for (int n = 1; n <= pageCount; ++n) {
                TjxPage page;
                page.SetAbsolutePageNo(n);
                page.SetFirstPage(n == 1);
                page.SetLastPage(n == pageCount);
                page.SetAbsolutePageCount(n == pageCount ? pageCount : 0);
                page.SetFinal(true);
                ++generated;
                p->ReceivePage(&page);
                if (p->RequestsGranted())
                    break;
            }
            generating = false;
        };
    }
};

// A device that notes the requested pages it received and whether they came
// while the report was generating.
struct Recorder {
    TjxNullDevice device;
    std::vector<int> pages;
    std::vector<bool> fromReport;
    int received = 0;

    explicit Recorder(const Report* report = nullptr)
    {
        device.ReceivePageHandler = [this, report](TjxDevice* d, TjxPage* page) {
            ++received;
            if (d->PageIsRequested() && !d->PageIsNotice()) {
                pages.push_back(page->AbsolutePageNo());
                fromReport.push_back(report && report->generating);
            }
        };
    }
    void Want(TjxPageSettingType setting, int page = 1)
    {
        device.PageRequest()->SetPageSetting(setting);
        device.PageRequest()->SetPageRequested(page);
    }
};

void RunJob(TjxPublisher& publisher)
{
    publisher.StartJob();
    publisher.RequestPages();
    publisher.EndJob();
}

// Hands the report's final page `number` to the publisher outside any run.
void Publish(TjxPublisher& publisher, int number, bool calculation = false, bool final = true)
{
    TjxPage page;
    page.SetAbsolutePageNo(number);
    page.SetFirstPage(number == 1);
    page.SetCalculation(calculation);
    page.SetFinal(final);
    publisher.ReceivePage(&page);
}

} // namespace

TEST(Publisher, MergesTheRequestsOfItsDevices)
{
    TjxPublisher publisher;
    Report report(publisher);
    Recorder a, b;
    a.Want(psSinglePage, 2);
    b.Want(psSinglePage, 5);
    a.device.SetPublisher(&publisher);
    b.device.SetPublisher(&publisher);
    RunJob(publisher);
    EXPECT_EQ(report.setting, psPageList);
    EXPECT_EQ(report.list, QStringList({"2", "5"}));
    EXPECT_EQ(a.pages, std::vector<int>{2});
    EXPECT_EQ(b.pages, std::vector<int>{5});
    // A stopped waiting after its page; the report stopped after the last one asked for.
    EXPECT_EQ(a.received, 2);
    EXPECT_EQ(report.generated, 5);

    // A request for everything wins, whichever device asks first, and stays.
    for (bool allFirst : {true, false}) {
        a.Want(allFirst ? psAll : psSinglePage, 3);
        b.Want(allFirst ? psSinglePage : psAll, 3);
        Recorder c;
        c.Want(psSinglePage, 4);
        c.device.SetPublisher(&publisher);
        RunJob(publisher);
        EXPECT_EQ(report.setting, psAll) << allFirst;
        EXPECT_TRUE(report.list.isEmpty());
        EXPECT_EQ(c.pages, std::vector<int>{4});
    }
}

TEST(Publisher, CacheServesACompletedRunWithoutTheReport)
{
    TjxPublisher publisher;
    publisher.SetCachePages(true);
    Report report(publisher, 4);
    Recorder a(&report);
    a.device.SetPublisher(&publisher);
    std::map<int, int> events;
    TjxCommunicator listener;
    for (int id : {ciPublisherPagePublished, ciPublisherPagesRequested, ciPublisherReset})
        listener.AddEventInterest(id);
    listener.OnEventNotify = [&events](TjxCommunicator*, int id, TjxEventParams*) { ++events[id]; };
    publisher.AddEventNotify(&listener);

    a.device.RequestPages();
    EXPECT_FALSE(a.device.JobRunning());
    EXPECT_EQ(report.runs, 1);
    EXPECT_EQ(a.pages, std::vector<int>({1, 2, 3, 4}));
    ASSERT_EQ(publisher.CachedPageCount(), 4);
    EXPECT_TRUE(publisher.RunComplete());
    EXPECT_EQ(publisher.AbsolutePageCount(), 4);
    // The count, known only on the last page, reached every cached copy.
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(publisher.CachedPageAt(i)->AbsolutePageNo(), i + 1);
        EXPECT_EQ(publisher.CachedPageAt(i)->AbsolutePageCount(), 4);
    }
    EXPECT_EQ(publisher.CachedPage(3), publisher.CachedPageAt(2));
    EXPECT_EQ(publisher.CachedPage(9), nullptr);

    a.pages.clear();
    a.fromReport.clear();
    a.device.RequestPages();
    EXPECT_EQ(report.runs, 1);
    EXPECT_EQ(a.pages, std::vector<int>({1, 2, 3, 4}));
    EXPECT_EQ(a.fromReport, std::vector<bool>(4, false));
    EXPECT_EQ(events[ciPublisherPagePublished], 8);
    EXPECT_EQ(events[ciPublisherPagesRequested], 1);

    // Calculation and provisional pages are never cached; Reset empties the cache.
    Publish(publisher, 5, true);
    Publish(publisher, 6, false, false);
    EXPECT_EQ(publisher.CachedPageCount(), 4);
    publisher.Reset();
    EXPECT_EQ(publisher.CachedPageCount(), 0);
    EXPECT_FALSE(publisher.RunComplete());
    EXPECT_EQ(events[ciPublisherReset], 1);
}

TEST(Publisher, PageListWithUncachedPagesAsksTheReportAndDeliversEachPageOnce)
{
    TjxPublisher publisher;
    publisher.SetCachePages(true);
    Report report(publisher, 6);
    Publish(publisher, 2);
    Publish(publisher, 3);
    Recorder a(&report);
    a.device.PageRequest()->SetPageSetting(psPageList);
    a.device.PageRequest()->PageList()->SetLines({"2", "3", "5"});
    a.device.SetPublisher(&publisher);
    a.device.RequestPages();
    EXPECT_EQ(report.runs, 1);
    EXPECT_EQ(a.pages, std::vector<int>({2, 3, 5}));
    EXPECT_EQ(a.fromReport, std::vector<bool>({false, false, true}));
    EXPECT_FALSE(a.device.JobRunning());

    // A cached page after a missing one waits for the report, so the order holds.
    publisher.ClearCache();
    Publish(publisher, 5);
    a.pages.clear();
    a.device.PageRequest()->PageList()->SetLines({"2", "5"});
    a.device.RequestPages();
    EXPECT_EQ(report.runs, 2);
    EXPECT_EQ(a.pages, std::vector<int>({2, 5}));
}

TEST(Publisher, OnlyTheTopDeviceOfAStackReceives)
{
    TjxPublisher publisher;
    Report report(publisher, 3);
    Recorder first, second;
    for (Recorder* r : {&first, &second}) {
        r->device.SetInStack(true);
        r->device.SetStackKey(QStringLiteral("Printer"));
        r->device.SetPublisher(&publisher);
    }
    ASSERT_EQ(publisher.DeviceCount(), 1);
    EXPECT_EQ(publisher.DeviceAt(0), &second.device);
    EXPECT_EQ(publisher.StackedDevices(QStringLiteral("Printer")),
              std::vector<TjxDevice*>({&second.device, &first.device}));
    RunJob(publisher);
    EXPECT_TRUE(first.pages.empty());
    EXPECT_EQ(second.pages, std::vector<int>({1, 2, 3}));

    second.device.SetPublisher(nullptr);
    ASSERT_EQ(publisher.DeviceCount(), 1);
    EXPECT_EQ(publisher.DeviceAt(0), &first.device);
    RunJob(publisher);
    EXPECT_EQ(first.pages, std::vector<int>({1, 2, 3}));

    // A destroyed top device gives the stack back to the one below.
    auto* third = new TjxNullDevice;
    third->SetInStack(true);
    third->SetStackKey(QStringLiteral("Printer"));
    third->SetPublisher(&publisher);
    EXPECT_EQ(publisher.DeviceAt(0), third);
    delete third;
    ASSERT_EQ(publisher.DeviceCount(), 1);
    EXPECT_EQ(publisher.DeviceAt(0), &first.device);

    // A top device that leaves when its job ends: the one below it, back in
    // the list, ends its job in the same broadcast.
    TjxNullDevice top;
    top.SetInStack(true);
    top.SetStackKey(QStringLiteral("Printer"));
    top.EndJobHandler = [](TjxDevice* d) { d->SetPublisher(nullptr); };
    top.SetPublisher(&publisher);
    publisher.StartJob();
    first.device.StartJob();  // started while it was underneath
    publisher.EndJob();
    EXPECT_EQ(top.Publisher(), nullptr);
    EXPECT_FALSE(first.device.JobRunning());
}

TEST(Publisher, PageRangesAndSinglePages)
{
    TjxPublisher publisher;
    Report report(publisher, 6);
    Recorder a;
    a.device.PageRequest()->SetPageRange(prEvenPages);
    a.device.SetPublisher(&publisher);
    RunJob(publisher);
    EXPECT_EQ(a.pages, std::vector<int>({2, 4, 6}));

    // A page past the end settles on the last page, which ends the job.
    report.pageCount = 3;
    a.pages.clear();
    a.device.PageRequest()->Clear();
    a.Want(psSinglePage, 99);
    a.device.RequestPages();
    EXPECT_EQ(a.pages, std::vector<int>{3});
    EXPECT_EQ(a.device.PageRequest()->PageRequested(), 3);
    EXPECT_FALSE(a.device.JobRunning());

    a.pages.clear();
    a.Want(psSinglePage, 0);
    a.device.RequestPages();
    EXPECT_EQ(a.pages, std::vector<int>{1});
    EXPECT_FALSE(a.device.JobRunning());
}
