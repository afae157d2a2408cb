#include "report_fixture.h"

#include "document/errors.h"
#include "document/messages.h"
#include "document/message_ids.h"
#include "engine/band_engine.h"
#include "engine/cache_manager.h"

#include <QDir>
#include <QTemporaryDir>

#include <csignal>
#include <limits>
#include <unistd.h>

using namespace orvane;
using namespace orvane::test;

namespace {

QStringList Ids(const TjxPage& page)
{
    return ReportFixture::Texts(page);
}

// Static detail bands of a given height over twelve records, nothing else.
struct ListReport : ReportFixture {
    explicit ListReport(int bandHeight, int records = 12)
    {
        AddData(records);
        TjxBand* detail = AddBand(btDetail, bandHeight);
        AddField(detail, "id");
    }
};

} // namespace

TEST(Engine, StaticDetailBandsFillPagesExactly)
{
    // 297000 - 2 x 13500 leaves 270000: three bands of 90000 fit exactly.
    ListReport fits(90000);
    fits.Run();
    ASSERT_EQ(fits.FinalPages().size(), 4u);
    EXPECT_EQ(Ids(*fits.FinalPages()[0]), QStringList({"1", "2", "3"}));
    EXPECT_EQ(Ids(*fits.FinalPages()[3]), QStringList({"10", "11", "12"}));
    EXPECT_TRUE(fits.FinalPages()[3]->LastPage());
    EXPECT_FALSE(fits.FinalPages()[2]->LastPage());

    // One thousandth more and only two fit.
    ListReport tooTall(90001);
    tooTall.Run();
    ASSERT_EQ(tooTall.FinalPages().size(), 6u);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(Ids(*tooTall.FinalPages()[size_t(i)]),
                  QStringList({QString::number(2 * i + 1), QString::number(2 * i + 2)}));
    // Records start at the top margin, one band below another.
    const TjxDrawCommand* second = tooTall.FinalPages()[0]->DrawCommand(1);
    EXPECT_EQ(second->Top(), 13500 + 90001);
}

TEST(Engine, TwoPassKnowsThePageCountAndOnePassMakesARequestedPageAlone)
{
    ListReport twoPass(90000);
    twoPass.report->SetPassSetting(psTwoPass);
    twoPass.Run();
    const auto pages = twoPass.FinalPages();
    ASSERT_EQ(pages.size(), 4u);
    EXPECT_EQ(pages[1]->AbsolutePageNo(), 2);
    EXPECT_EQ(pages[1]->AbsolutePageCount(), 4);
    EXPECT_EQ(pages[1]->PageOfPagesText().contains(QStringLiteral("4")), true);
    // The first pass only counts: its pages are calculation pages.
    int calculation = 0;
    for (const auto& page : twoPass.pages)
        calculation += page->Calculation() ? 1 : 0;
    EXPECT_EQ(calculation, 4);

    ListReport onePass(90000);
    onePass.Run(psSinglePage, 3);
    const auto drawn = onePass.FinalPages();
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0]->AbsolutePageNo(), 3);
    EXPECT_EQ(Ids(*drawn[0]), QStringList({"7", "8", "9"}));
    // Pages 1 and 2 were laid out but not drawn.
    EXPECT_EQ(onePass.pages.size(), 3u);
    EXPECT_EQ(onePass.pages[0]->DrawCommandCount(), 0);
}

TEST(Engine, RegeneratedPageIsByteIdentical)
{
    for (TjxPassSettingType passes : {psTwoPass, psOnePass}) {
        ListReport report(90000);
        report.report->SetCachePages(false);
        report.report->SetPassSetting(passes);
        report.Run(psAll);
        ASSERT_EQ(report.FinalPages().size(), 4u);
        TjxPage first;
        first.Assign(report.FinalPages()[1]);
        // A one-pass page learns the page count only later, as the publisher tells cached pages.
        first.SetAbsolutePageCount(4);
        first.SetPageCount(4);
        report.pages.clear();
        report.Run(psSinglePage, 2);
        ASSERT_EQ(report.FinalPages().size(), 1u);
        EXPECT_EQ(WriteComponentToBytes(report.pages.back().get()), WriteComponentToBytes(&first));
        EXPECT_EQ(Ids(*report.pages.back()), QStringList({"4", "5", "6"}));
    }
}

TEST(Engine, SinglePagePastTheEndOfAOnePassReportEndsAtTheLastPage)
{
    ListReport report(90000);
    report.Run(psSinglePage, 10);
    const auto drawn = report.FinalPages();
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0]->AbsolutePageNo(), 4);
    EXPECT_TRUE(drawn[0]->LastPage());
    EXPECT_EQ(Ids(*drawn[0]), QStringList({"10", "11", "12"}));
}

TEST(Engine, NoDataBehaviours)
{
    {
        ReportFixture f;
        f.AddData(0);
        f.report->PrinterSetup()->PageDef()->SetmmMarginTop(0);
        f.report->PrinterSetup()->PageDef()->SetmmMarginBottom(0);
        f.report->PrinterSetup()->PageDef()->SetmmMarginLeft(0);
        f.report->PrinterSetup()->PageDef()->SetmmMarginRight(0);
        TjxBand* detail = f.AddBand(btDetail, 20000);
        f.AddField(detail, "name");
        f.report->SetNoDataBehaviors((1u << ndMessageOnPage) | (1u << ndBlankReport));
        f.Run();
        ASSERT_EQ(f.FinalPages().size(), 1u);
        const TjxPage& page = *f.FinalPages()[0];
        const TjxDrawText* message = nullptr;
        for (int i = 0; i < page.DrawCommandCount(); ++i)
            if (auto* text = dynamic_cast<TjxDrawText*>(page.DrawCommand(i)); text && text->Text() == GetMessage(1034))
                message = text;
        ASSERT_NE(message, nullptr);
        EXPECT_EQ(message->Width(), 29104);
        EXPECT_EQ(message->Height(), 4763);
        EXPECT_EQ(message->Left(), (210000 - 29104) / 2);
        EXPECT_EQ(message->Text(), QStringLiteral("No Data Found"));
    }
    {
        ReportFixture f;
        f.AddData(0);
        TjxBand* detail = f.AddBand(btDetail, 20000);
        f.AddField(detail, "name");
        f.AddLabel(f.AddBand(btHeader, 10000), QStringLiteral("Heading"));
        TMethod handler;
        int handlerCalls = 0;
        handler.code = [&](TComponent*, TjxEventParams&) { ++handlerCalls; };
        f.report->SetOnNoData(handler);
        f.Run();
        ASSERT_EQ(f.FinalPages().size(), 1u);
        EXPECT_EQ(f.FinalPages()[0]->DrawCommandCount(), 0);
        EXPECT_EQ(handlerCalls, 1);
    }
}

TEST(Engine, ColumnsLeftToRightStartAtTheirColumnLefts)
{
    ListReport f(20000, 7);
    f.report->SetColumns(3);
    f.report->SetmmColumnWidth(60000);
    static_cast<TjxDetailBand*>(f.report->FindBand(btDetail))->SetColumnTraversal(ctLeftToRight);
    f.Run();
    ASSERT_EQ(f.FinalPages().size(), 1u);
    const TjxPage& page = *f.FinalPages()[0];
    ASSERT_EQ(page.DrawCommandCount(), 7);
    const int expected[] = {6350, 66350, 126350, 6350, 66350, 126350, 6350};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(page.DrawCommand(i)->Left(), expected[i]) << i;
    // A row of three, then the next row one band lower.
    EXPECT_EQ(page.DrawCommand(0)->Top(), page.DrawCommand(2)->Top());
    EXPECT_EQ(page.DrawCommand(3)->Top(), page.DrawCommand(0)->Top() + 20000);
}

TEST(Engine, ColumnsTopToBottomFillAColumnThenTheNext)
{
    ListReport f(90000, 7);
    f.report->SetColumns(2);
    f.report->SetmmColumnWidth(90000);
    f.Run();
    ASSERT_EQ(f.FinalPages().size(), 2u);
    const TjxPage& page = *f.FinalPages()[0];
    ASSERT_EQ(Ids(page), QStringList({"1", "2", "3", "4", "5", "6"}));
    EXPECT_EQ(page.DrawCommand(0)->Left(), 6350);
    EXPECT_EQ(page.DrawCommand(3)->Left(), 6350 + 90000);
    EXPECT_EQ(page.DrawCommand(3)->Top(), 13500);
}

TEST(Engine, AutoStopEndsOnlyReportsWithoutData)
{
    // With a pipeline AutoStop changes nothing: every record prints.
    ListReport withData(20000, 5);
    withData.report->SetAutoStop(true);
    withData.Run();
    ASSERT_EQ(withData.FinalPages().size(), 1u);
    EXPECT_EQ(Ids(*withData.FinalPages()[0]).size(), 5);

    // Without one the detail band prints once.
    ReportFixture once;
    once.AddLabel(once.AddBand(btDetail, 20000), QStringLiteral("Once"));
    once.Run();
    ASSERT_EQ(once.FinalPages().size(), 1u);
    EXPECT_EQ(Ids(*once.FinalPages()[0]), QStringList({"Once"}));
}

TEST(Engine, EmptyDynamicDetailWithoutPipelineFinishes)
{
    // The receipt's shape: one tall header, an empty dynamic detail band,
    // AutoStop off and two passes. It must end with a single page.
    ReportFixture f;
    f.report->SetAutoStop(false);
    f.report->SetPassSetting(psTwoPass);
    f.AddLabel(f.AddBand(btHeader, 266171), QStringLiteral("Receipt"));
    f.AddBand(btDetail, 0, phDynamic);
    f.Run();
    ASSERT_EQ(f.FinalPages().size(), 1u);
    EXPECT_EQ(Ids(*f.FinalPages()[0]), QStringList({"Receipt"}));
    EXPECT_TRUE(f.FinalPages()[0]->LastPage());

    // AutoStop off with nothing to end the repetition: the band prints once,
    // in one pass and in two.
    for (TjxPassSettingType passes : {psOnePass, psTwoPass}) {
        SCOPED_TRACE(passes == psOnePass ? "one pass" : "two passes");
        ReportFixture once;
        once.report->SetAutoStop(false);
        once.report->SetPassSetting(passes);
        once.report->Engine()->SetMaxPages(50);
        once.AddLabel(once.AddBand(btDetail, 100000), QStringLiteral("Once"));
        once.Run();
        ASSERT_EQ(once.FinalPages().size(), 1u);
        EXPECT_EQ(Ids(*once.FinalPages()[0]), QStringList({"Once"}));
        EXPECT_TRUE(once.FinalPages()[0]->LastPage());
    }

    // A detail band that uses space still repeats until a limit ends it.
    ReportFixture repeat;
    repeat.report->SetAutoStop(false);
    repeat.report->SetPageLimit(2);
    repeat.AddLabel(repeat.AddBand(btDetail, 100000), QStringLiteral("Again"));
    repeat.Run();
    ASSERT_EQ(repeat.FinalPages().size(), 2u);
    EXPECT_EQ(Ids(*repeat.FinalPages()[0]).size(), 2);
    EXPECT_TRUE(repeat.FinalPages()[1]->LastPage());
}

TEST(Engine, PageLimitEndsTheReport)
{
    ListReport f(90000, 30);
    f.report->SetPageLimit(3);
    f.Run();
    ASSERT_EQ(f.FinalPages().size(), 3u);
    EXPECT_TRUE(f.FinalPages()[2]->LastPage());
}

TEST(Engine, BandsThatCanNeverFitStopTheReport)
{
    ListReport tooTall(280000, 3);
    EXPECT_THROW(tooTall.Run(), EPrintError);
    EXPECT_LE(tooTall.pages.size(), 4u);

    // A dynamic band with a component taller than any page stops the same way.
    ReportFixture f;
    f.AddData(3);
    TjxBand* detail = f.AddBand(btDetail, 0, phDynamic);
    f.AddField(detail, "id")->SetBounds(0, 0, 280000, 30000);
    try {
        f.Run();
        FAIL() << "no error";
    } catch (const EPrintError& e) {
        EXPECT_EQ(e.Message(), GetMessage(msg::DetailBandCannotFit));
    }
    EXPECT_LE(f.pages.size(), 4u);

    // So does a page header taller than the page; the message names it by
    // its user name, else by its component name, else by its class.
    ReportFixture header;
    TjxBand* tall = header.AddBand(btHeader, 280000);
    header.AddLabel(tall, QStringLiteral("H"));
    header.AddBand(btDetail, 10000);
    try {
        header.Run();
        FAIL() << "no error";
    } catch (const EPrintError& e) {
        EXPECT_EQ(e.Message(), MessageText(msg::BandCannotFit, {tall->UserName()}));
        EXPECT_EQ(e.Message(), u"Band Header cannot fit on page");
    }
    EXPECT_LE(header.pages.size(), 4u);
}

// A band whose user name is empty (as a language without band captions leaves it).
class TUnnamedHeaderBand : public TjxHeaderBand {
public:
    using TjxHeaderBand::TjxHeaderBand;
    QString Caption() const override { return QString(); }
};

TEST(Engine, ABandThatCannotFitIsNamedEvenWithoutAUserName)
{
    for (const QString& name : {QStringLiteral("jxTallHeader"), QString()}) {
        ReportFixture f;
        auto* band = new TUnnamedHeaderBand(&f.host);
        band->SetName(name);
        band->SetReport(f.report);
        band->SetmmHeight(280000);
        f.AddLabel(band, QStringLiteral("H"));
        f.AddBand(btDetail, 10000);
        try {
            f.Run();
            FAIL() << "no error";
        } catch (const EPrintError& e) {
            EXPECT_EQ(e.Message(),
                      MessageText(msg::BandCannotFit, {name.isEmpty() ? QStringLiteral("TjxHeaderBand") : name}));
        }
    }
}

TEST(Engine, ARunPastThePageLimitStopsWithAMessage)
{
    EXPECT_EQ(TjxEngine::kMaxPages, 1'000'000);
    EXPECT_EQ(TjxEngine().MaxPages(), TjxEngine::kMaxPages);

    // Ten pages of three records each: a limit of ten lets them through.
    for (TjxPassSettingType passes : {psOnePass, psTwoPass}) {
        SCOPED_TRACE(passes == psOnePass ? "one pass" : "two passes");
        ListReport fits(90000, 30);
        fits.report->SetPassSetting(passes);
        fits.report->Engine()->SetMaxPages(10);
        fits.Run();
        EXPECT_EQ(fits.FinalPages().size(), 10u);

        ListReport over(90000, 31);
        over.report->SetPassSetting(passes);
        over.report->Engine()->SetMaxPages(10);
        try {
            over.Run();
            FAIL() << "no error";
        } catch (const EPrintError& e) {
            EXPECT_EQ(e.Message(), u"The report was stopped: it passed the limit of 10 pages.");
        }
        EXPECT_EQ(over.pages.size(), 10u) << "no page past the limit";
        EXPECT_FALSE(over.report->Engine()->Printing());
    }

    // A report that repeats its band for ever is stopped the same way.
    ReportFixture endless;
    endless.report->SetAutoStop(false);
    endless.report->SetPageLimit(std::numeric_limits<int>::max());
    endless.report->Engine()->SetMaxPages(7);
    endless.AddLabel(endless.AddBand(btDetail, 100000), QStringLiteral("Again"));
    EXPECT_THROW(endless.Run(), EPrintError);
    EXPECT_EQ(endless.pages.size(), 7u);

    // The setter keeps the limit within 1 and the default.
    TjxEngine engine;
    engine.SetMaxPages(0);
    EXPECT_EQ(engine.MaxPages(), TjxEngine::kMaxPages);
    engine.SetMaxPages(TjxEngine::kMaxPages + 1);
    EXPECT_EQ(engine.MaxPages(), TjxEngine::kMaxPages);
}

TEST(Engine, HeadersFootersAndTitleInPageOrder)
{
    ListReport f(90000, 5);
    TjxBand* header = f.AddBand(btHeader, 10000);
    f.AddLabel(header, QStringLiteral("H"));
    f.AddLabel(f.AddBand(btFooter, 10000), QStringLiteral("F"));
    f.AddLabel(f.AddBand(btTitle, 20000), QStringLiteral("T"));
    f.AddLabel(f.AddBand(btSummary, 20000), QStringLiteral("S"));
    f.report->SortBands();
    f.Run();
    const auto pages = f.FinalPages();
    // The title opens the report above the page header; two details fill page 1.
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(Ids(*pages[0]), QStringList({"T", "H", "1", "2", "F"}));
    EXPECT_EQ(Ids(*pages[1]), QStringList({"H", "3", "4", "F"}));
    EXPECT_EQ(Ids(*pages[2]), QStringList({"H", "5", "S", "F"}));
    // The footer sits at the bottom of the page.
    const TjxPage& page = *pages[0];
    EXPECT_EQ(page.DrawCommand(page.DrawCommandCount() - 1)->Top(), 297000 - 13500 - 10000);
}

TEST(Engine, GroupsBreakWithHeadersAndFooters)
{
    ReportFixture f;
    f.AddData(8);
    TjxBand* detail = f.AddBand(btDetail, 10000);
    f.AddField(detail, "id");
    TjxGroup* group = f.AddGroup("grp");
    group->SetDataPipelineName(QStringLiteral("plData"));
    f.report->EnsureBands();
    f.AddField(group->HeaderBand(), "grp")->SetBounds(0, 0, 5000, 10000);
    f.AddLabel(group->FooterBand(), QStringLiteral("end"));
    f.Run();
    ASSERT_EQ(f.FinalPages().size(), 1u);
    EXPECT_EQ(Ids(*f.FinalPages()[0]),
              QStringList({"0", "1", "2", "3", "4", "end", "1", "5", "6", "7", "8", "end"}));
}

TEST(Engine, DetailPrintModes)
{
    // Each record twice before the record advances.
    ListReport twice(10000, 3);
    static_cast<TjxDetailBand*>(twice.report->FindBand(btDetail))->SetBandsPerRecord(2);
    twice.Run();
    ASSERT_EQ(twice.FinalPages().size(), 1u);
    EXPECT_EQ(Ids(*twice.FinalPages()[0]), QStringList({"1", "1", "2", "2", "3", "3"}));

    // Five detail bands end a page.
    ListReport five(10000, 12);
    static_cast<TjxDetailBand*>(five.report->FindBand(btDetail))->SetPrintCount(5);
    five.Run();
    ASSERT_EQ(five.FinalPages().size(), 3u);
    EXPECT_EQ(Ids(*five.FinalPages()[0]).size(), 5);
    EXPECT_EQ(Ids(*five.FinalPages()[2]), QStringList({"11", "12"}));
}

TEST(Engine, PrintPositionOfABand)
{
    // Below the current position: printed there on the same page.
    ListReport below(10000, 1);
    below.report->FindBand(btDetail)->SetmmPrintPosition(100000);
    below.Run();
    ASSERT_EQ(below.FinalPages().size(), 1u);
    EXPECT_EQ(below.FinalPages()[0]->DrawCommand(0)->Top(), 100000);

    // Already passed: printed at that position on the next page.
    ReportFixture passed;
    passed.AddData(1);
    passed.AddBand(btHeader, 150000);
    TjxBand* detail = passed.AddBand(btDetail, 10000);
    passed.AddField(detail, "id");
    detail->SetmmPrintPosition(100000);
    passed.Run();
    ASSERT_EQ(passed.FinalPages().size(), 2u);
    EXPECT_EQ(Ids(*passed.FinalPages()[0]), QStringList());
    ASSERT_EQ(Ids(*passed.FinalPages()[1]), QStringList({"1"}));

    // At or below the usable bottom: the report fails with the position error.
    ListReport outside(10000, 1);
    outside.report->FindBand(btDetail)->SetmmPrintPosition(290000);
    try {
        outside.Run();
        FAIL() << "no error";
    } catch (const EPrintError& e) {
        EXPECT_EQ(e.Message(), GetMessage(415) + u'.');
    }
}

TEST(Engine, PageHeaderOffTheLastPageMovesItsContentUp)
{
    ListReport f(80000, 4);
    f.report->SetPassSetting(psTwoPass);
    TjxBand* header = f.AddBand(btHeader, 20000);
    f.AddLabel(header, QStringLiteral("H"));
    static_cast<TjxPageBand*>(header)->SetPrintOnLastPage(false);
    f.report->SortBands();
    f.Run();
    const auto pages = f.FinalPages();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(Ids(*pages[0]), QStringList({"H", "1", "2", "3"}));
    ASSERT_EQ(Ids(*pages[1]), QStringList({"4"}));
    EXPECT_EQ(pages[1]->DrawCommand(0)->Top(), 13500);
}

TEST(Engine, ColumnPositionsMustCoverEveryColumn)
{
    ListReport f(90000, 7);
    f.report->SetColumns(2);
    TStrings positions;
    positions.Add(QStringLiteral("0.25"));
    f.report->SetColumnPositions(&positions);
    try {
        f.Run();
        FAIL() << "no error";
    } catch (const EPrintError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Unable to find position for column 2."));
    }
}

TEST(Engine, GroupThresholdsAndKeepTogetherMoveTheGroupToANewPage)
{
    // A group header finding less space left than its threshold starts a page.
    ReportFixture threshold;
    threshold.AddData(8);
    threshold.AddField(threshold.AddBand(btDetail, 50000), "id");
    TjxGroup* group = threshold.AddGroup("grp");
    group->SetDataPipelineName(QStringLiteral("plData"));
    group->SetmmNewPageThreshold(80000);
    threshold.report->EnsureBands();
    group->HeaderBand()->SetmmHeight(10000);
    group->FooterBand()->SetmmHeight(0);
    threshold.Run();
    // Page 1: header 10000 + 4 x 50000 = 210000; 60000 left < 80000.
    ASSERT_EQ(threshold.FinalPages().size(), 2u);
    EXPECT_EQ(Ids(*threshold.FinalPages()[1]), QStringList({"5", "6", "7", "8"}));

    ReportFixture together;
    together.AddData(8);
    together.AddField(together.AddBand(btDetail, 40000), "id");
    TjxGroup* kept = together.AddGroup("grp");
    kept->SetDataPipelineName(QStringLiteral("plData"));
    kept->SetKeepTogether(true);
    together.report->EnsureBands();
    kept->HeaderBand()->SetmmHeight(10000);
    kept->FooterBand()->SetmmHeight(0);
    together.Run();
    // The second group would split after two records; it moves whole.
    const auto pages = together.FinalPages();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(Ids(*pages[0]), QStringList({"1", "2", "3", "4"}));
    EXPECT_EQ(Ids(*pages[1]), QStringList({"5", "6", "7", "8"}));
}

TEST(Engine, RepeatedValuesAreSuppressed)
{
    ReportFixture f;
    f.AddData(8);
    TjxBand* detail = f.AddBand(btDetail, 10000);
    f.AddField(detail, "id");
    f.AddField(detail, "grp", 40000)->SetSuppressRepeatedValues(true);
    f.Run();
    ASSERT_EQ(f.FinalPages().size(), 1u);
    EXPECT_EQ(Ids(*f.FinalPages()[0]),
              QStringList({"1", "0", "2", "3", "4", "5", "1", "6", "7", "8"}));
}

TEST(Engine, AKilledRunLeavesNoPageCacheFile)
{
    // The run keeps its page cache in files from the first page and is killed
    // on its fifth page, as an interrupted print would be.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray oldTemp = qgetenv("TMPDIR");
    qputenv("TMPDIR", dir.path().toLocal8Bit());
    EXPECT_EXIT(
        {
            ListReport f(10000, 500);
            TjxCacheManager* cache = f.report->Engine()->CacheManager();
            cache->SetMemoryLimit(0);
            f.report->Engine()->OnAfterSendPage = [cache](TjxPage& page) {
                if (page.AbsolutePageNo() < 5)
                    return;
                if (cache->StorageKind() != skFiles || cache->FileHandles().size() != 2)
                    _exit(1);
                std::raise(SIGKILL);
            };
            f.Run();
            _exit(2);
        },
        ::testing::KilledBySignal(SIGKILL), "");
    oldTemp.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", oldTemp);
    // The fixture's own data folder stays; no file does.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList());
}
