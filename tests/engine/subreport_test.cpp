// Subreports through the engine: child reports flowing across the parent's
// pages, sections with their own pages and numbering, fixed boxes, nested
// drill-downs, pages made again from the page cache, and streaming.

#include "report_fixture.h"
#include "tests/support/printer_fixture.h"

#include "components/db_calc.h"
#include "components/label.h"
#include "components/memo.h"
#include "engine/subreport.h"
#include "document/component_registry.h"
#include "document/errors.h"
#include "document/resource_manager.h"
#include "document/stream_reader.h"
#include "document/stream_text.h"
#include "engine/band_engine.h"
#include "engine/db_pipeline.h"
#include "engine/master_field_link.h"
#include "engine/pipeline_list.h"
#include "output/draw_other.h"
#include "output/null_device.h"
#include "output/printer_device.h"
#include "output/publisher.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace orvane;
using namespace orvane::test;

namespace {

// Masters "Master 1".. and, linked to each, details "m-1".. in field "text".
struct SubReportFixture : ReportFixture {
    TjxDataPipeline* masters = nullptr;
    TjxDataPipeline* details = nullptr;

    explicit SubReportFixture(const std::vector<int>& detailsPerMaster = {})
    {
        std::vector<QVariantList> masterRows, detailRows;
        for (int m = 1; m <= int(detailsPerMaster.size()); ++m) {
            masterRows.push_back({m, QStringLiteral("Master %1").arg(m)});
            for (int l = 1; l <= detailsPerMaster[size_t(m - 1)]; ++l)
                detailRows.push_back({m, QStringLiteral("%1-%2").arg(m).arg(l)});
        }
        masters = AddTable(QStringLiteral("plMaster"), QStringLiteral("masters"),
                           {QStringLiteral("id INTEGER"), QStringLiteral("name TEXT")}, masterRows);
        details = AddTable(QStringLiteral("plDetail"), QStringLiteral("details"),
                           {QStringLiteral("master INTEGER"), QStringLiteral("text TEXT")}, detailRows);
        details->AddLink(QStringLiteral("id"), QStringLiteral("master"));
        details->SetMasterDataPipeline(masters);
        report->SetDataPipeline(masters);
    }

    TjxDBText* AddText(TjxBand* band, TjxDataPipeline* pipeline, const char* field, int top = 0, int height = 5000)
    {
        auto* text = new TjxDBText(&host);
        text->SetName(report->GetValidName(text));
        text->SetParentComponent(band);
        text->SetDataPipeline(pipeline);
        text->SetDataField(QString::fromLatin1(field));
        text->SetBounds(0, top, height, 30000);
        return text;
    }

    TjxSubReport* AddSubReport(TjxBand* band, int top, TjxDataPipeline* pipeline)
    {
        auto* sub = new TjxSubReport(&host);
        sub->SetName(report->GetValidName(sub));
        sub->SetParentComponent(band);
        sub->SetmmTop(top);
        sub->SetDataPipeline(pipeline);
        return sub;
    }

    static TjxBand* ChildBand(TjxSubReport* sub, TjxBandType type, int height, TjxPrintHeightType print = phStatic)
    {
        TjxBand* band = sub->Report()->CreateBand(type);
        band->SetmmHeight(height);
        band->SetPrintHeight(print);
        return band;
    }

    // The usual master/detail layout: the master's name, the child below it
    // listing its details in rows of the given height.
    TjxSubReport* MasterDetail(int rowHeight)
    {
        TjxBand* detail = AddBand(btDetail, 10000, phDynamic);
        AddText(detail, masters, "name");
        TjxSubReport* sub = AddSubReport(detail, 5000, details);
        AddText(ChildBand(sub, btDetail, rowHeight), details, "text");
        return sub;
    }

    std::vector<QStringList> PageTexts() const
    {
        std::vector<QStringList> result;
        for (const TjxPage* page : FinalPages())
            result.push_back(Texts(*page));
        return result;
    }

    const TjxDrawText* Find(const TjxPage& page, const QString& text) const
    {
        for (int i = 0; i < page.DrawCommandCount(); ++i)
            if (auto* t = dynamic_cast<TjxDrawText*>(page.DrawCommand(i)); t && t->Text() == text)
                return t;
        return nullptr;
    }
};

// A subreport placed in `band`, normally a band of a child report.
TjxSubReport* NestSubReport(SubReportFixture& f, TjxBand* band, int top = 0)
{
    auto* inner = new TjxSubReport(&f.host);
    inner->SetName(f.report->GetValidName(inner));
    inner->SetParentComponent(band);
    inner->SetmmTop(top);
    return inner;
}

// German texts while the guard lives; English and the old search path again afterwards.
class GermanModule {
public:
    GermanModule() : m_oldPath(TjxResourceManager::Instance().SearchPath())
    {
        QFile file(QDir(m_dir.path()).filePath(QStringLiteral("lxPrint.deu")));
        if (file.open(QIODevice::WriteOnly))
            file.write("43018=Seite\n");
        file.close();
        TjxResourceManager::Instance().SetSearchPath({m_dir.path()});
    }
    ~GermanModule()
    {
        TjxResourceManager::Instance().SetSearchPath(m_oldPath);
        TjxResourceManager::Instance().SetLanguage(lgDefault);
    }

private:
    QTemporaryDir m_dir;
    QStringList m_oldPath;
};

QStringList Range(int master, int from, int to)
{
    QStringList list;
    for (int l = from; l <= to; ++l)
        list << QStringLiteral("%1-%2").arg(master).arg(l);
    return list;
}

} // namespace

TEST(SubReport, ChildFlowsAcrossPagesAndCountsCompletedRuns)
{
    SubReportFixture f({10, 10, 10});
    TjxSubReport* sub = f.MasterDetail(30000);
    ASSERT_NE(sub->Report(), nullptr);
    EXPECT_EQ(sub->Report()->DataPipeline(), f.details);
    f.Run();

    // 270000 per page: the child gets the rest of the page below each name
    // and continues at the top of the next one.
    const auto pages = f.PageTexts();
    ASSERT_EQ(pages.size(), 4u);
    EXPECT_EQ(pages[0], QStringList{"Master 1"} + Range(1, 1, 8));
    EXPECT_EQ(pages[1], Range(1, 9, 10) + QStringList{"Master 2"} + Range(2, 1, 6));
    EXPECT_EQ(pages[2], Range(2, 7, 10) + QStringList{"Master 3"} + Range(3, 1, 4));
    EXPECT_EQ(pages[3], Range(3, 5, 10));
    EXPECT_EQ(sub->Count(), 3);

    // Child commands sit in the subreport's box: below the name, at the page top when continuing.
    EXPECT_EQ(f.Find(*f.FinalPages()[0], "1-1")->Top(), 13500 + 5000);
    EXPECT_EQ(f.Find(*f.FinalPages()[0], "1-2")->Top(), 13500 + 5000 + 30000);
    EXPECT_EQ(f.Find(*f.FinalPages()[0], "1-1")->Left(), 6350);
    EXPECT_EQ(f.Find(*f.FinalPages()[1], "1-9")->Top(), 13500);
    EXPECT_EQ(f.Find(*f.FinalPages()[1], "2-1")->Top(), 13500 + 60000 + 5000);

    // Any page made again from the cache comes out the same, with the child where it was.
    for (int page : {2, 3, 1, 4}) {
        TjxPage first;
        first.Assign(f.FinalPages()[size_t(page - 1)]);
        f.pages.clear();
        f.Run(psSinglePage, page);
        ASSERT_EQ(f.FinalPages().size(), 1u) << page;
        TjxPage again;
        again.Assign(f.FinalPages()[0]);
        again.SetAbsolutePageCount(first.AbsolutePageCount());
        again.SetPageCount(first.PageCount());
        again.SetLastPage(first.LastPage());
        EXPECT_EQ(WriteComponentToBytes(&again), WriteComponentToBytes(&first)) << page;
        f.pages.clear();
        f.Run();
    }
}

TEST(SubReport, MastersWithoutDetailsStaySkippedAfterAChildRun)
{
    // The child closes its pipeline when it ends; the parent still needs it
    // open to skip masters without details.
    SubReportFixture f({3, 0, 3});
    TjxSubReport* sub = f.MasterDetail(30000);
    f.Run();
    ASSERT_EQ(f.FinalPages().size(), 1u);
    EXPECT_EQ(f.PageTexts()[0], QStringList{"Master 1"} + Range(1, 1, 3) + QStringList{"Master 3"} + Range(3, 1, 3));
    EXPECT_EQ(sub->Count(), 2);
}

TEST(SubReport, KeepTogetherMovesTheChildWholeOnce)
{
    for (bool keep : {false, true}) {
        SubReportFixture f({3, 10});
        TjxSubReport* sub = f.MasterDetail(30000);
        sub->SetKeepTogether(keep);
        f.Run();
        const auto pages = f.PageTexts();
        if (!keep) {
            ASSERT_EQ(pages.size(), 2u);
            EXPECT_EQ(pages[0], QStringList{"Master 1"} + Range(1, 1, 3) + QStringList{"Master 2"} + Range(2, 1, 5));
            continue;
        }
        // The second child would split: it starts on the next page, and splits there.
        ASSERT_EQ(pages.size(), 3u);
        EXPECT_EQ(pages[0], QStringList{"Master 1"} + Range(1, 1, 3) + QStringList{"Master 2"});
        EXPECT_EQ(pages[1], Range(2, 1, 9));
        EXPECT_EQ(pages[2], Range(2, 10, 10));
        EXPECT_EQ(sub->Count(), 2);
    }
}

TEST(SubReport, KeepTogetherInsideAChildCountsWhatTheParentPrinted)
{
    // The second master's child starts low on a page that the first master
    // filled: its memo, kept together, moves whole although the child's own
    // page is still empty.
    for (bool keep : {false, true}) {
        SubReportFixture f({0, 0});
        TjxBand* detail = f.AddBand(btDetail, 10000, phDynamic);
        f.AddText(detail, f.masters, "name");
        TjxSubReport* sub = f.AddSubReport(detail, 5000, nullptr);
        TjxBand* childDetail = SubReportFixture::ChildBand(sub, btDetail, 5000, phDynamic);
        auto* memo = new TjxMemo(&f.host);
        memo->SetName(f.report->GetValidName(memo));
        memo->SetBand(childDetail);
        memo->SetBounds(0, 0, 5000, 60000);
        QStringList lines;
        for (int i = 1; i <= 40; ++i)
            lines << QStringLiteral("line %1").arg(i);
        memo->Lines()->SetLines(lines);
        memo->SetStretch(true);
        memo->SetKeepTogether(keep);
        f.Run();
        const auto pages = f.PageTexts();
        ASSERT_EQ(pages.size(), 2u) << keep;
        EXPECT_EQ(pages[0].size(), keep ? 3 : 4) << keep;
        EXPECT_EQ(pages[0].value(2), u"Master 2") << keep;
    }
    // Below a title that leaves little room, the master's name above the
    // subreport in its own band is what the page holds: the memo moves too.
    SubReportFixture f({0});
    f.AddLabel(f.AddBand(btTitle, 240000), QStringLiteral("Title"));
    TjxBand* detail = f.AddBand(btDetail, 10000, phDynamic);
    f.AddText(detail, f.masters, "name");
    TjxSubReport* sub = f.AddSubReport(detail, 5000, nullptr);
    auto* memo = new TjxMemo(&f.host);
    memo->SetName(f.report->GetValidName(memo));
    memo->SetBand(SubReportFixture::ChildBand(sub, btDetail, 5000, phDynamic));
    memo->SetBounds(0, 0, 5000, 60000);
    QStringList lines;
    for (int i = 1; i <= 30; ++i)
        lines << QStringLiteral("line %1").arg(i);
    memo->Lines()->SetLines(lines);
    memo->SetStretch(true);
    memo->SetKeepTogether(true);
    f.Run();
    const auto pages = f.PageTexts();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0], QStringList({"Title", "Master 1"}));
}

TEST(SubReport, SectionsNumberTheirOwnPagesWithoutBlankPages)
{
    for (bool reset : {true, false}) {
        SubReportFixture f({5, 5, 5});
        TjxBand* detail = f.AddBand(btDetail, 5027);
        TjxSubReport* sub = f.AddSubReport(detail, 0, f.details);
        sub->SetPrintBehavior(pbSection);
        sub->SetResetPageNo(reset);
        EXPECT_FALSE(sub->Stretch());
        // Both kinds of band give the rest of the section's last page to it.
        detail->SetPrintHeight(reset ? phStatic : phDynamic);
        f.AddText(SubReportFixture::ChildBand(sub, btDetail, 80000), f.details, "text");
        f.Run();

        // Three rows fit on a page: each section takes two pages of its own, the
        // first section starting on page 1.
        const auto pages = f.FinalPages();
        ASSERT_EQ(pages.size(), 6u);
        const std::vector<QStringList> expected{Range(1, 1, 3), Range(1, 4, 5), Range(2, 1, 3),
                                                Range(2, 4, 5), Range(3, 1, 3), Range(3, 4, 5)};
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(f.Texts(*pages[size_t(i)]), expected[size_t(i)]) << i;
            EXPECT_EQ(pages[size_t(i)]->AbsolutePageNo(), i + 1);
            EXPECT_EQ(pages[size_t(i)]->PageNo(), reset ? i % 2 + 1 : i + 1) << i;
        }
        EXPECT_EQ(f.Find(*pages[0], "1-1")->Top(), 13500);
        EXPECT_EQ(sub->Count(), 3);
        EXPECT_TRUE(pages[5]->LastPage());

        // Section pages made again from the cache, a continuation and a section start.
        for (int page : {4, 2, 5}) {
            f.pages.clear();
            f.Run(psSinglePage, page);
            ASSERT_EQ(f.FinalPages().size(), 1u) << page;
            EXPECT_EQ(f.Texts(*f.FinalPages()[0]), expected[size_t(page - 1)]) << page;
            EXPECT_EQ(f.FinalPages()[0]->PageNo(), reset ? (page - 1) % 2 + 1 : page) << page;
        }
    }
}

TEST(SubReport, LandscapeSectionBetweenPortraitPages)
{
    SubReportFixture f({5, 5, 5});
    f.AddLabel(f.AddBand(btTitle, 20000), QStringLiteral("Title"));
    f.AddLabel(f.AddBand(btSummary, 20000), QStringLiteral("Summary"));
    f.AddLabel(f.AddBand(btFooter, 10000), QStringLiteral("Footer"));
    TjxBand* detail = f.AddBand(btDetail, 5027);
    TjxSubReport* sub = f.AddSubReport(detail, 0, f.details);
    sub->SetPrintBehavior(pbSection);
    detail->SetPrintHeight(phStatic);
    f.AddText(SubReportFixture::ChildBand(sub, btDetail, 80000), f.details, "text");
    // A page of its own turns the parent's setup off.
    sub->Report()->PrinterSetup()->SetOrientation(poLandscape);
    EXPECT_FALSE(sub->ParentPrinterSetup());
    f.Run();

    // Title page, three landscape pages per section (two rows each), summary page.
    const auto pages = f.FinalPages();
    ASSERT_EQ(pages.size(), 11u);
    // A page that a section asks to end has no footer: the section is starting.
    EXPECT_EQ(f.Texts(*pages[0]), QStringList({"Title"}));
    EXPECT_EQ(f.Texts(*pages[10]), QStringList({"Summary", "Footer"}));
    for (const TjxPage* page : {pages[0], pages[10]}) {
        EXPECT_EQ(page->PrinterSetup()->Orientation(), poPortrait);
        EXPECT_EQ(page->PageDef()->mmWidth(), 210000);
        EXPECT_EQ(page->Producer(), f.report);
    }
    for (int i = 1; i <= 9; ++i) {
        const TjxPage* page = pages[size_t(i)];
        EXPECT_EQ(page->PrinterSetup()->Orientation(), poLandscape) << i;
        EXPECT_EQ(page->PageDef()->mmWidth(), 297000) << i;
        EXPECT_EQ(page->Producer(), sub->Report()) << i;
        EXPECT_EQ(page->PageNo(), (i - 1) % 3 + 1) << i;
        // No parent footer on a section's page.
        EXPECT_FALSE(f.Texts(*page).contains(QStringLiteral("Footer"))) << i;
    }
    EXPECT_EQ(f.Texts(*pages[3]), QStringList{"1-5"});
    EXPECT_EQ(f.Texts(*pages[4]), Range(2, 1, 2));
}

TEST(SubReport, FixedBoxShowsTheFirstChildPageOrWalksTheData)
{
    {
        SubReportFixture f({10, 10, 10});
        TjxBand* detail = f.AddBand(btDetail, 70000);
        f.AddText(detail, f.masters, "name");
        TjxSubReport* sub = f.AddSubReport(detail, 5000, f.details);
        sub->SetPrintBehavior(pbFixed);
        sub->SetmmHeight(60000);
        f.AddText(SubReportFixture::ChildBand(sub, btDetail, 30000), f.details, "text");
        f.Run();
        const auto pages = f.PageTexts();
        ASSERT_EQ(pages.size(), 1u);
        // Every occurrence shows the first two rows of its own child.
        EXPECT_EQ(pages[0],
                  QStringList({"Master 1", "1-1", "1-2", "Master 2", "2-1", "2-2", "Master 3", "3-1", "3-2"}));
        // The band grew with the child (made dynamic while it was one) and ends with the box.
        EXPECT_EQ(f.Find(*f.FinalPages()[0], "2-2")->Top(), 13500 + 65000 + 5000 + 30000);
        EXPECT_EQ(sub->Count(), 3);
    }
    {
        SubReportFixture f({6});
        TjxBand* detail = f.AddBand(btDetail, 70000);
        f.AddText(detail, f.masters, "name");
        TjxSubReport* sub = f.AddSubReport(detail, 5000, f.details);
        sub->SetPrintBehavior(pbFixed);
        sub->SetTraverseAllData(true);
        sub->SetmmHeight(60000);
        f.AddText(SubReportFixture::ChildBand(sub, btDetail, 30000), f.details, "text");
        f.Run();
        const auto pages = f.PageTexts();
        ASSERT_EQ(pages.size(), 3u);
        EXPECT_EQ(pages[0], QStringList({"Master 1", "1-1", "1-2"}));
        EXPECT_EQ(pages[1], QStringList({"1-3", "1-4"}));
        EXPECT_EQ(pages[2], QStringList({"1-5", "1-6"}));
        EXPECT_EQ(f.Find(*f.FinalPages()[1], "1-4")->Top(), 13500 + 30000);
        EXPECT_EQ(sub->Count(), 1);
    }
}

TEST(SubReport, NestedDrillDownKeysExpandOneOccurrence)
{
    SubReportFixture f({1, 1});
    TjxBand* detail = f.AddBand(btDetail, 10000, phDynamic);
    f.AddText(detail, f.masters, "name");
    TjxSubReport* outer = f.AddSubReport(detail, 5000, nullptr);
    TjxBand* outerBand = SubReportFixture::ChildBand(outer, btDetail, 10000, phDynamic);
    TjxLabel* open = f.AddLabel(outerBand, QStringLiteral("Open"));
    auto* inner = new TjxSubReport(&f.host);
    inner->SetName(f.report->GetValidName(inner));
    inner->SetParentComponent(outerBand);
    inner->SetmmTop(5000);
    ASSERT_NE(inner->Report(), nullptr);
    f.AddLabel(SubReportFixture::ChildBand(inner, btDetail, 10000), QStringLiteral("Inner"));
    inner->SetDrillDownComponent(open);
    EXPECT_EQ(inner->DrillDownComponent(), open);
    EXPECT_EQ(inner->CurrentReportKey(), QStringLiteral("       0|"));
    f.Run();

    // Collapsed everywhere; each occurrence of the inner subreport has its own key.
    ASSERT_EQ(f.FinalPages().size(), 1u);
    const TjxPage& page = *f.FinalPages()[0];
    EXPECT_EQ(f.Texts(page), QStringList({"Master 1", "Open", "Master 2", "Open"}));
    auto opensOf = [](const TjxPage& p) {
        std::vector<TjxDrawCommand*> found;
        for (int i = 0; i < p.DrawCommandCount(); ++i)
            if (auto* t = dynamic_cast<TjxDrawText*>(p.DrawCommand(i)); t && t->Text() == u"Open")
                found.push_back(t);
        return found;
    };
    std::vector<TjxDrawCommand*> opens = opensOf(page);
    ASSERT_EQ(opens.size(), 2u);
    EXPECT_EQ(opens[0]->ExpansionKey(), QStringLiteral("       0|       0"));
    EXPECT_EQ(opens[1]->ExpansionKey(), QStringLiteral("       1|       0"));
    EXPECT_EQ(outer->Count(), 2);

    // A click expands that occurrence alone; the page is made again from the cache.
    ASSERT_TRUE(opens[1]->Clickable());
    opens[1]->ClickHandler()(opens[1]);
    EXPECT_EQ(inner->ExpansionCount(), 1);
    EXPECT_EQ(inner->Expansions(0), QStringLiteral("       1|       0"));
    EXPECT_TRUE(opens[1]->RedrawPage());
    f.pages.clear();
    f.Run(psSinglePage, 1);
    ASSERT_EQ(f.FinalPages().size(), 1u);
    EXPECT_EQ(f.Texts(*f.FinalPages()[0]), QStringList({"Master 1", "Open", "Master 2", "Open", "Inner"}));

    // Clicking again collapses it; ExpandAll opens every occurrence.
    opens = opensOf(*f.FinalPages()[0]);
    ASSERT_EQ(opens.size(), 2u);
    EXPECT_EQ(opens[1]->ExpansionKey(), QStringLiteral("       1|       0"));
    opens[1]->ClickHandler()(opens[1]);
    EXPECT_EQ(inner->ExpansionCount(), 0);
    inner->SetExpandAll(true);
    f.report->Engine()->Restart();
    f.pages.clear();
    f.Run();
    EXPECT_EQ(f.Texts(*f.FinalPages()[0]),
              QStringList({"Master 1", "Open", "Inner", "Master 2", "Open", "Inner"}));
}

TEST(SubReport, ChildRunLeavesTheChildReportAsDesigned)
{
    SubReportFixture f({4});
    TjxSubReport* sub = f.MasterDetail(30000);
    TjxChildReport* child = sub->Report();
    TjxBand* header = SubReportFixture::ChildBand(sub, btHeader, 10000);
    f.AddLabel(header, QStringLiteral("Child header"));
    child->SetPassSetting(psTwoPass);
    TjxPageDef before;
    before.Assign(child->PrinterSetup()->PageDef());
    f.Run();
    // The child flows in the parent's page: no page bands, its own design untouched.
    EXPECT_EQ(f.PageTexts()[0], QStringList{"Master 1"} + Range(1, 1, 4));
    EXPECT_TRUE(header->Visible());
    EXPECT_EQ(child->PassSetting(), psTwoPass);
    EXPECT_TRUE(child->PrinterSetup()->PageDef()->Equals(before));
    EXPECT_FALSE(child->Engine()->OnSavePage);

    // A failure inside the child reaches the caller with the child put back.
    static_cast<TjxBand*>(child->FindBand(btDetail))->SetmmPrintPosition(400000);
    f.report->Engine()->Restart();
    EXPECT_THROW(f.Run(), EPrintError);
    EXPECT_FALSE(child->Engine()->OnSavePage);
    EXPECT_FALSE(child->Engine()->OnRestorePage);
    EXPECT_FALSE(child->Engine()->LastCachedPageQuery);
    EXPECT_TRUE(child->PrinterSetup()->PageDef()->Equals(before));
    EXPECT_TRUE(header->Visible());
}

TEST(SubReport, SettersKeepBehaviourConsistent)
{
    SubReportFixture f;
    TjxBand* detail = f.AddBand(btDetail, 10000);
    TjxLabel* label = f.AddLabel(detail, QStringLiteral("Label"));
    TjxSubReport* sub = f.AddSubReport(detail, 5000, f.details);
    TjxChildReport* child = sub->Report();
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->Name(), QStringLiteral("jxChildReport1"));
    EXPECT_EQ(child->Parent(), sub);
    EXPECT_EQ(child->ParentReport(), f.report);
    EXPECT_EQ(child->MainReport(), f.report);
    // A stretching child makes its band dynamic and spans it.
    EXPECT_TRUE(sub->Stretch());
    EXPECT_EQ(detail->PrintHeight(), phDynamic);
    EXPECT_TRUE(sub->ParentWidth());
    EXPECT_EQ(sub->mmWidth(), f.report->PrintableWidth());
    EXPECT_EQ(child->AutomaticBandTypes(), (1u << btTitle) | (1u << btDetail) | (1u << btSummary));
    EXPECT_EQ(sub->DesignCaption(), sub->UserName() + QStringLiteral(": ") + f.details->UserName());
    sub->SetDataPipeline(nullptr);
    EXPECT_EQ(sub->DesignCaption(), sub->UserName() + QStringLiteral(": No Data Pipeline Assigned"));
    sub->SetDataPipeline(f.details);

    // Drill-down only for a child; a section drops it and the rest of a child's settings.
    sub->SetResetPageNo(false);
    EXPECT_TRUE(sub->ResetPageNo());
    sub->SetDrillDownComponent(label);
    sub->SetKeepTogether(true);
    sub->SetPrintBehavior(pbSection);
    EXPECT_EQ(sub->DrillDownComponent(), nullptr);
    EXPECT_FALSE(sub->Stretch());
    EXPECT_EQ(child->AutomaticBandTypes(), (1u << btHeader) | (1u << btDetail) | (1u << btFooter));
    sub->SetParentWidth(false);
    EXPECT_TRUE(sub->ParentWidth());
    sub->SetDrillDownComponent(label);
    EXPECT_EQ(sub->DrillDownComponent(), nullptr);
    sub->SetResetPageNo(false);
    EXPECT_FALSE(sub->ResetPageNo());
    sub->SetmmStopPosition(1000);
    sub->SetPrintBehavior(pbFixed);
    EXPECT_FALSE(sub->KeepTogether());
    EXPECT_EQ(sub->mmStopPosition(), 0);
    sub->SetNewPrintJob(true);
    EXPECT_EQ(sub->PrintBehavior(), pbSection);

    // The drill-down component goes when it leaves the band or is destroyed.
    sub->SetPrintBehavior(pbChild);
    sub->SetDrillDownComponent(label);
    TjxBand* other = f.AddBand(btSummary, 10000);
    label->SetBand(other);
    EXPECT_EQ(sub->DrillDownComponent(), nullptr);
    label->SetBand(detail);
    sub->SetDrillDownComponent(label);
    delete label;
    EXPECT_EQ(sub->DrillDownComponent(), nullptr);

    // The child's setup follows the parent's until it is changed on its own.
    sub->SetParentPrinterSetup(true);
    f.report->PrinterSetup()->PageDef()->SetmmMarginTop(20000);
    sub->SetParentPrinterSetup(true);
    EXPECT_EQ(child->PrinterSetup()->PageDef()->mmMarginTop(), 20000);
    child->PrinterSetup()->SetMarginBottom(1.0f);
    EXPECT_FALSE(sub->ParentPrinterSetup());

    // The data pipeline is the child's.
    sub->SetDataPipeline(f.masters);
    EXPECT_EQ(child->DataPipeline(), f.masters);

    const TjxRegComponent* reg = RegisteredComponents().Find(u"TjxSubReport");
    ASSERT_NE(reg, nullptr);
    EXPECT_EQ(reg->paletteName, QStringLiteral("Advanced Components"));
    EXPECT_EQ(reg->position, 1);
    EXPECT_EQ(reg->hintMessage, 369);

    // Freed with the subreport.
    TReportHost* host = &f.host;
    const int before = host->ComponentCount();
    delete sub;
    EXPECT_EQ(host->ComponentCount(), before - 2);
}

TEST(SubReport, StreamsWithItsChildReport)
{
    TReportHost host;
    auto* report = new TjxReport(&host);
    report->SetName(QStringLiteral("rptMain"));
    auto* pipeline = new TjxMemoryPipeline(&host);
    pipeline->SetName(QStringLiteral("plItems"));
    TjxBand* detail = report->CreateBand(btDetail);
    auto* sub = new TjxSubReport(&host);
    sub->SetName(QStringLiteral("jxSubReport1"));
    sub->SetParentComponent(detail);
    sub->SetDataPipeline(pipeline);
    sub->SetPrintBehavior(pbSection);
    sub->SetResetPageNo(false);
    TjxBand* childDetail = sub->Report()->CreateBand(btDetail);
    auto* label = new TjxLabel(&host);
    label->SetName(QStringLiteral("jxLabel1"));
    label->SetParentComponent(childDetail);
    label->SetCaption(QStringLiteral("Row"));

    const QByteArray bytes = WriteComponentToBytes(report, &host);
    QByteArray text;
    ObjectBinaryToText(bytes, text);
    QStringList objects;
    for (const QByteArray& line : text.split('\n'))
        if (line.trimmed().startsWith("object "))
            objects << QString::fromLatin1(line.trimmed());
    EXPECT_EQ(objects, QStringList({"object rptMain: TjxReport", "object jxDetailBand1: TjxDetailBand",
                                    "object jxSubReport1: TjxSubReport", "object jxChildReport1: TjxChildReport",
                                    "object jxDetailBand2: TjxDetailBand", "object jxLabel1: TjxLabel"}));
    EXPECT_TRUE(text.contains("      PrintBehavior = pbSection\r\n"));
    EXPECT_TRUE(text.contains("      ResetPageNo = False\r\n"));
    EXPECT_TRUE(text.contains("      DataPipeline = plItems\r\n"));
    EXPECT_FALSE(text.contains("ParentPrinterSetup"));

    // The text form reads back into the same tree, byte for byte, with an old caption ignored.
    QByteArray withCaption = text;
    withCaption.replace("      PrintBehavior = pbSection\r\n",
                        "      Caption = 'Old'\r\n      PrintBehavior = pbSection\r\n");
    QByteArray again;
    ObjectTextToBinary(withCaption, again);
    TReportHost host2;
    auto* pipeline2 = new TjxMemoryPipeline(&host2);
    pipeline2->SetName(QStringLiteral("plItems"));
    auto* copy = dynamic_cast<TjxReport*>(ReadComponentFromBytes(again, nullptr, &host2));
    ASSERT_NE(copy, nullptr);
    auto* subCopy = dynamic_cast<TjxSubReport*>(copy->FindBand(btDetail)->Child(0));
    ASSERT_NE(subCopy, nullptr);
    EXPECT_EQ(subCopy->PrintBehavior(), pbSection);
    EXPECT_FALSE(subCopy->Stretch());
    EXPECT_FALSE(subCopy->ResetPageNo());
    EXPECT_EQ(subCopy->DataPipeline(), pipeline2);
    ASSERT_NE(subCopy->Report(), nullptr);
    EXPECT_EQ(subCopy->Report()->DataPipeline(), pipeline2);
    ASSERT_EQ(subCopy->Report()->BandCount(), 1);
    EXPECT_EQ(subCopy->Report()->ParentReport(), copy);
    const auto* labelCopy = dynamic_cast<TjxLabel*>(subCopy->Report()->Band(0)->Child(0));
    ASSERT_NE(labelCopy, nullptr);
    EXPECT_EQ(labelCopy->Caption(), QStringLiteral("Row"));
    EXPECT_EQ(WriteComponentToBytes(copy, &host2), bytes);
}

TEST(SubReport, ChildOverSqliteMasterDetail)
{
    // A primary key and a link field of another name than the fixture's tables.
    std::vector<QVariantList> orderRows, lineRows;
    for (int m = 1; m <= 3; ++m) {
        orderRows.push_back({m, QStringLiteral("Master %1").arg(m)});
        for (int l = 1; l <= 10; ++l)
            lineRows.push_back({m, QStringLiteral("%1-%2").arg(m).arg(l)});
    }
    SubReportFixture f;
    TjxDBPipeline* orders = f.AddTable(QStringLiteral("plOrders"), QStringLiteral("orders"),
                                       {QStringLiteral("id INTEGER PRIMARY KEY"), QStringLiteral("name TEXT")},
                                       orderRows);
    TjxDBPipeline* lines = f.AddTable(QStringLiteral("plLines"), QStringLiteral("lines"),
                                      {QStringLiteral("order_id INTEGER"), QStringLiteral("text TEXT")}, lineRows);
    lines->AddLink(QStringLiteral("id"), QStringLiteral("order_id"));
    lines->SetMasterDataPipeline(orders);
    f.report->SetDataPipeline(orders);
    TjxBand* detail = f.AddBand(btDetail, 10000, phDynamic);
    f.AddText(detail, orders, "name");
    TjxSubReport* sub = f.AddSubReport(detail, 5000, lines);
    f.AddText(SubReportFixture::ChildBand(sub, btDetail, 30000), lines, "text");
    f.Run();

    QStringList all;
    for (const TjxPage* page : f.FinalPages())
        all += f.Texts(*page);
    QStringList expected;
    for (int m = 1; m <= 3; ++m)
        expected += QStringList{QStringLiteral("Master %1").arg(m)} + Range(m, 1, 10);
    EXPECT_EQ(all, expected);
    EXPECT_EQ(f.FinalPages().size(), 4u);
    EXPECT_EQ(sub->Count(), 3);
}

TEST(SubReport, SummaryMovedToTheNextPageDoesNotRepeatTheLastRecord)
{
    // The summary starts the next page when the last one is full; that page
    // must not print the last record again (a section there would start over
    // on every page).
    ReportFixture f;
    f.AddData(3);
    f.AddField(f.AddBand(btDetail, 90000), "id");
    f.AddLabel(f.AddBand(btSummary, 20000), QStringLiteral("Summary"));
    f.Run();
    ASSERT_EQ(f.FinalPages().size(), 2u);
    EXPECT_EQ(f.Texts(*f.FinalPages()[1]), QStringList{"Summary"});
}


namespace {

// Sections printed to the test printer platform, each as a print job of its own.
struct SectionJobs : TestPlatform {
    std::unique_ptr<SubReportFixture> f;
    TjxSubReport* sub = nullptr;

    void SetUp() override
    {
        TestPlatform::SetUp();
        f = std::make_unique<SubReportFixture>(std::vector<int>{5, 5, 5});
        f->AddLabel(f->AddBand(btTitle, 20000), QStringLiteral("Title"));
        f->AddLabel(f->AddBand(btSummary, 20000), QStringLiteral("Summary"));
        TjxBand* detail = f->AddBand(btDetail, 5027);
        sub = f->AddSubReport(detail, 0, f->details);
        sub->SetNewPrintJob(true);
        f->AddText(SubReportFixture::ChildBand(sub, btDetail, 80000), f->details, "text");
        sub->Report()->PrinterSetup()->SetOrientation(poLandscape);
        sub->Report()->PrinterSetup()->SetDocumentName(QStringLiteral("Statement"));
        f->report->PrinterSetup()->SetDocumentName(QStringLiteral("Statements"));
        f->report->SetDeviceType(QStringLiteral("Printer"));
        f->report->SetShowPrintDialog(false);
    }

    void StopOnPage(int pageNo, bool cancel)
    {
        TMethod stop;
        stop.code = [this, pageNo, cancel](TComponent*, TjxEventParams&) {
            if (f->report->Engine()->AbsolutePageNo() != pageNo)
                return;
            if (cancel)
                f->report->Cancel();
            else
                throw EPrintError(QStringLiteral("stopped"));
        };
        f->report->SetOnStartPage(stop);
    }
};

} // namespace

TEST_F(SectionJobs, EachSectionIsAPrintJobOfItsOwn)
{
    EXPECT_EQ(sub->PrintBehavior(), pbSection);
    f->report->Print();
    const auto documents = m_spooler->Documents();
    // The run's job (title and summary) and one per section, in the order they began.
    ASSERT_EQ(documents.size(), 4);
    EXPECT_EQ(documents[0].name, u"Statements");
    EXPECT_EQ(documents[0].pages.size(), 2);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(documents[i].name, u"Statement") << i;
        EXPECT_EQ(documents[i].pages.size(), 3) << i;
        ASSERT_FALSE(documents[i].resets.isEmpty()) << i;
        EXPECT_EQ(documents[i].resets.last().orientation, 2) << i;
    }
    for (const auto& document : documents) {
        EXPECT_TRUE(document.ended);
        EXPECT_FALSE(document.aborted);
    }
    EXPECT_EQ(f->report->Publisher()->DeviceCount(), 0);

    // To a file the sections stay in the report's own output.
    QTemporaryDir dir;
    f->report->SetDeviceType(QStringLiteral("ArchiveFile"));
    f->report->SetArchiveFileName(dir.filePath(QStringLiteral("all.raf")));
    f->report->Print();
    EXPECT_EQ(m_spooler->Documents().size(), 4);
}

TEST_F(SectionJobs, CancelledOrFailedRunsDropTheOpenJobs)
{
    // Page 6 is the second section's second page.
    for (bool cancel : {true, false}) {
        const qsizetype before = m_spooler->Documents().size();
        StopOnPage(6, cancel);
        if (cancel)
            f->report->Print();
        else
            EXPECT_THROW(f->report->Print(), EPrintError);
        EXPECT_FALSE(f->report->Producing());
        const auto documents = m_spooler->Documents().mid(before);
        ASSERT_EQ(documents.size(), 3) << cancel;
        EXPECT_TRUE(documents[0].aborted) << cancel;   // the run's own job
        EXPECT_TRUE(documents[1].ended) << cancel;     // the first section was through
        EXPECT_EQ(documents[1].pages.size(), 3) << cancel;
        EXPECT_TRUE(documents[2].aborted) << cancel;   // the second was not
        EXPECT_FALSE(documents[2].ended) << cancel;
        EXPECT_EQ(f->report->Publisher()->DeviceCount(), 0) << cancel;
    }
}

TEST_F(SectionJobs, ARunEndingInsideASectionEndsBothJobs)
{
    // The page limit ends the run on the second section's first page.
    f->report->SetPageLimit(5);
    f->report->Print();
    const auto documents = m_spooler->Documents();
    ASSERT_EQ(documents.size(), 3);
    EXPECT_EQ(documents[0].pages.size(), 1);  // the title
    EXPECT_EQ(documents[1].pages.size(), 3);
    EXPECT_EQ(documents[2].pages.size(), 1);
    for (const auto& document : documents) {
        EXPECT_TRUE(document.ended);
        EXPECT_FALSE(document.aborted);
    }
    EXPECT_EQ(f->report->Publisher()->DeviceCount(), 0);
}

TEST(SubReport, ChildReportsSpeakTheirParentsLanguage)
{
    GermanModule german;
    SubReportFixture f;
    ASSERT_EQ(f.report->Language(), lgDefault);
    f.report->SetLanguage(lgGerman);
    ASSERT_EQ(f.report->Language(), lgGerman);

    // Made in a German report, down to a child inside a child.
    TjxBand* detail = f.AddBand(btDetail, 10000, phDynamic);
    TjxSubReport* outer = f.AddSubReport(detail, 0, nullptr);
    TjxSubReport* inner = NestSubReport(f, SubReportFixture::ChildBand(outer, btDetail, 10000, phDynamic));
    EXPECT_EQ(outer->Report()->Language(), lgGerman);
    EXPECT_EQ(inner->Report()->Language(), lgGerman);

    // Later changes reach every level.
    f.report->SetLanguage(lgDefault);
    EXPECT_EQ(outer->Report()->Language(), lgDefault);
    EXPECT_EQ(inner->Report()->Language(), lgDefault);
    f.report->SetLanguage(lgGerman);
    EXPECT_EQ(inner->Report()->Language(), lgGerman);

    // Read back from a stream the children take the language read (it is not stored with them).
    const QByteArray bytes = WriteComponentToBytes(f.report, &f.host);
    {
        TReportHost host2;
        auto* copy = dynamic_cast<TjxReport*>(ReadComponentFromBytes(bytes, nullptr, &host2));
        ASSERT_NE(copy, nullptr);
        auto* outerCopy = dynamic_cast<TjxSubReport*>(copy->FindBand(btDetail)->Child(0));
        ASSERT_NE(outerCopy, nullptr);
        auto* innerCopy = dynamic_cast<TjxSubReport*>(outerCopy->Report()->FindBand(btDetail)->Child(0));
        ASSERT_NE(innerCopy, nullptr);
        EXPECT_EQ(innerCopy->Report()->Language(), lgGerman);
        copy->SetLanguage(lgDefault);
        EXPECT_EQ(innerCopy->Report()->Language(), lgDefault);
    }

    // Moved into another report's band, the subreport follows that report only.
    auto* other = new TjxReport(&f.host);
    other->SetName(QStringLiteral("rptOther"));
    TjxBand* otherDetail = other->CreateBand(btDetail);
    outer->SetBand(otherDetail);
    EXPECT_EQ(inner->Report()->Language(), lgDefault);
    f.report->SetLanguage(lgDefault);
    f.report->SetLanguage(lgGerman);
    EXPECT_EQ(inner->Report()->Language(), lgDefault);
    other->SetLanguage(lgGerman);
    EXPECT_EQ(inner->Report()->Language(), lgGerman);

    // Content taken over from a report that is then freed (a template load)
    // listens to the report it landed in.
    other->SetLanguage(lgDefault);
    f.report->TakeOverContent(other);
    delete other;
    ASSERT_EQ(outer->ParentReport(), f.report);
    f.report->SetLanguage(lgGerman);
    EXPECT_EQ(outer->Report()->Language(), lgGerman);
    EXPECT_EQ(inner->Report()->Language(), lgGerman);
}

TEST(SubReport, UserNamesAreUniqueAcrossTheReportTree)
{
    SubReportFixture f;
    TjxBand* detail = f.AddBand(btDetail, 10000, phDynamic);
    TjxLabel* mainLabel = f.AddLabel(detail, QStringLiteral("Main"));
    TjxSubReport* outer = f.AddSubReport(detail, 5000, nullptr);
    TjxBand* outerBand = SubReportFixture::ChildBand(outer, btDetail, 10000, phDynamic);
    TjxLabel* childLabel = f.AddLabel(outerBand, QStringLiteral("Child"));
    TjxSubReport* inner = NestSubReport(f, outerBand, 5000);
    TjxBand* innerBand = SubReportFixture::ChildBand(inner, btDetail, 10000);
    TjxLabel* innerLabel = f.AddLabel(innerBand, QStringLiteral("Inner"));
    ASSERT_EQ(mainLabel->UserName(), u"Label1");
    ASSERT_EQ(childLabel->UserName(), u"Label2");
    ASSERT_EQ(innerLabel->UserName(), u"Label3");
    ASSERT_EQ(inner->UserName(), u"SubReport2");

    // Free numbers count the whole tree, whichever level asks.
    TjxLabel fresh;
    TjxSubReport freshSub;
    const std::vector<const TjxCommunicator*> askers{f.report, outerBand, innerLabel};
    for (const TjxCommunicator* asker : askers) {
        EXPECT_EQ(asker->GetValidUserName(&fresh), u"Label4");
        EXPECT_EQ(asker->GetValidUserName(&freshSub), u"SubReport3");
    }
    EXPECT_EQ(f.report->FindUserName(QStringLiteral("label3")), innerLabel);
    EXPECT_EQ(innerLabel->FindUserName(QStringLiteral("Label1")), mainLabel);

    // A name used anywhere in the tree is taken by nobody else.
    mainLabel->SetUserName(QStringLiteral("Total"));
    childLabel->SetUserName(QStringLiteral("Total"));
    EXPECT_EQ(childLabel->UserName(), u"Total1");
    innerLabel->SetUserName(QStringLiteral("total"));
    EXPECT_EQ(innerLabel->UserName(), u"total2");
    innerLabel->SetUserName(QStringLiteral("Amount"));
    mainLabel->SetUserName(QStringLiteral("amount"));
    EXPECT_EQ(mainLabel->UserName(), u"amount1");
    // A child report not placed in any band keeps its names to itself.
    inner->SetBand(nullptr);
    EXPECT_TRUE(innerLabel->IsValidUserName(QStringLiteral("amount1")));
    EXPECT_FALSE(childLabel->IsValidUserName(QStringLiteral("amount1")));
}

TEST(SubReport, ParentPipelineListsHoldTheChildReportsPipelines)
{
    // The child reads details kept in another container than the report's:
    // the master still skips the record that has none.
    SubReportFixture f({0, 0, 0});
    f.details->SetMasterDataPipeline(nullptr);
    TReportHost elsewhere;
    auto makeLines = [&](const char* name) {
        auto* lines = new TjxMemoryPipeline(&elsewhere);
        lines->SetName(QString::fromLatin1(name));
        lines->AddField(QStringLiteral("master"), dtInteger);
        lines->AddField(QStringLiteral("text"), dtString);
        for (int m : {1, 3})
            for (int l = 1; l <= 2; ++l)
                lines->AddRow({TVarValue::Integer(m), TVarValue::WideString(QStringLiteral("%1-%2").arg(m).arg(l))});
        lines->AddLink(QStringLiteral("id"), QStringLiteral("master"));
        lines->SetMasterDataPipeline(f.masters);
        return lines;
    };
    TjxMemoryPipeline* lines = makeLines("plLines");
    TjxBand* detail = f.AddBand(btDetail, 10000, phDynamic);
    TjxDBText* name = f.AddText(detail, f.masters, "name");
    TjxSubReport* sub = f.AddSubReport(detail, 5000, lines);
    TjxBand* childDetail = SubReportFixture::ChildBand(sub, btDetail, 10000, phDynamic);
    TjxDBText* line = f.AddText(childDetail, lines, "text");
    // A nested child's pipeline counts as well; an invisible one never.
    auto* notes = new TjxMemoryPipeline(&elsewhere);
    notes->SetName(QStringLiteral("plNotes"));
    auto* hidden = new TjxMemoryPipeline(&elsewhere);
    hidden->SetName(QStringLiteral("plHidden"));
    hidden->SetVisible(false);
    TjxSubReport* inner = NestSubReport(f, childDetail, 5000);
    inner->SetDataPipeline(notes);
    f.AddText(SubReportFixture::ChildBand(inner, btDetail, 5000), hidden, "text");

    const TjxDataPipelineList list(f.report);
    EXPECT_EQ(list.FindByName(QStringLiteral("plLines")), lines);
    EXPECT_EQ(list.FindByName(QStringLiteral("plNotes")), notes);
    EXPECT_EQ(list.FindByName(QStringLiteral("plHidden")), nullptr);
    EXPECT_EQ(list.FindByName(QStringLiteral("plDetail")), f.details);  // beside the report
    delete inner;
    f.Run();
    ASSERT_EQ(f.FinalPages().size(), 1u);
    EXPECT_EQ(f.PageTexts()[0], QStringList({"Master 1", "1-1", "1-2", "Master 3", "3-1", "3-2"}));

    // Renamed fields follow down the tree, for their own pipeline only.
    UpdateReportDataFieldName(*f.report, lines, QStringLiteral("TEXT"), QStringLiteral("line"));
    EXPECT_EQ(line->DataField(), u"line");
    EXPECT_EQ(name->DataField(), u"name");
    UpdateReportDataFieldName(*f.report, lines, QStringLiteral("name"), QStringLiteral("title"));
    EXPECT_EQ(name->DataField(), u"name");

    // A pipeline that takes the place of another by its user name is bound
    // wherever the old one was, the child report included.
    TjxMemoryPipeline* newLines = makeLines("plNewLines");
    ReplaceReportDataPipeline(*f.report, newLines, lines->UserName());
    EXPECT_EQ(sub->DataPipeline(), newLines);
    EXPECT_EQ(sub->Report()->DataPipeline(), newLines);
    EXPECT_EQ(line->DataPipeline(), newLines);
    EXPECT_EQ(name->DataPipeline(), f.masters);
    EXPECT_EQ(f.report->DataPipeline(), f.masters);
}

TEST(SubReport, LookAheadValuesStayWithTheirOccurrence)
{
    // Each occurrence of the child counts its own details ahead of them, also
    // when it runs over to the next page and when it has a single one.
    for (int rowHeight : {30000, 100000}) {
        SubReportFixture f({2, 1, 3});
        TjxSubReport* sub = f.MasterDetail(rowHeight);
        TjxBand* title = SubReportFixture::ChildBand(sub, btTitle, 5000);
        auto* count = new TjxDBCalc(&f.host);
        count->SetName(f.report->GetValidName(count));
        count->SetParentComponent(title);
        count->SetBounds(0, 0, 5000, 30000);
        count->SetDataPipeline(f.details);
        count->SetDataField(QStringLiteral("text"));
        count->SetDBCalcType(dcCount);
        count->SetLookAhead(true);
        // The child runs in its main report's passes: that one needs two.
        EXPECT_EQ(f.report->PassSetting(), psTwoPass);
        f.Run();
        QStringList all;
        for (const QStringList& page : f.PageTexts())
            all += page;
        EXPECT_EQ(all, QStringList({"Master 1", "2", "1-1", "1-2", "Master 2", "1", "2-1", "Master 3", "3", "3-1",
                                    "3-2", "3-3"}))
            << rowHeight;
        EXPECT_EQ(count->LookAheadValues().Count(), 3);
        // The child prints in the main report's second pass: final values that wait for nothing.
        for (const TjxPage* page : f.FinalPages())
            for (int i = 0; i < page->DrawCommandCount(); ++i) {
                auto* command = dynamic_cast<TjxDrawVariable*>(page->DrawCommand(i));
                EXPECT_TRUE(!command || !command->LookAhead()) << rowHeight;
            }
        // A run that starts again does not keep the values of the last one.
        f.report->Engine()->Restart();
        f.pages.clear();
        f.Run();
        EXPECT_EQ(count->LookAheadValues().Count(), 3);
        QStringList again;
        for (const QStringList& page : f.PageTexts())
            again += page;
        EXPECT_EQ(again, all);
    }
}

TEST_F(SectionJobs, CollatedCopiesAndPageRangesCarryIntoTheSectionJobs)
{
    // The report ends in its last section: the run's own device never sees the last page.
    delete f->report->FindBand(btSummary);
    // Two collated copies: the report runs twice, each run with its own section jobs.
    f->report->PrinterSetup()->SetCopies(2);
    f->report->PrinterSetup()->SetCollation(true);
    f->report->Print();
    auto documents = m_spooler->Documents();
    ASSERT_EQ(documents.size(), 7);
    EXPECT_EQ(documents[0].pages.size(), 2);  // the title, twice
    for (int i = 1; i <= 6; ++i)
        EXPECT_EQ(documents[i].pages.size(), 3) << i;
    for (const auto& document : documents)
        EXPECT_TRUE(document.ended && !document.aborted);

    // Uncollated, the sections repeat their pages as often as the run does,
    // although the child's own setup asks for one copy.
    f->report->PrinterSetup()->SetCollation(false);
    f->report->Print();
    documents = m_spooler->Documents().mid(7);
    ASSERT_EQ(documents.size(), 4);
    EXPECT_EQ(documents[0].pages.size(), 2);
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(documents[i].pages.size(), 6) << i;

    // Odd pages only, on a device stacked as the producer's: page 1 is the
    // run's, 3, 5, 7 and 9 the sections'.
    f->report->PrinterSetup()->SetCopies(1);
    TjxPrinterDevice device;
    device.SetInStack(true);
    device.SetPrinterSetup(*f->report->PrinterSetup());
    device.PageRequest()->SetPageRange(prOddPages);
    device.SetPublisher(f->report->Publisher());
    f->report->ResetRun();
    f->report->Generate();
    device.SetPublisher(nullptr);
    documents = m_spooler->Documents().mid(11);
    ASSERT_EQ(documents.size(), 4);
    QList<qsizetype> counts;
    for (const auto& document : documents)
        counts.append(document.pages.size());
    EXPECT_EQ(counts, QList<qsizetype>({1, 1, 2, 1}));

    // A run to any other device keeps the sections in its own output.
    TjxNullDevice other;
    int received = 0;
    other.ReceivePageHandler = [&](TjxDevice* d, TjxPage*) { received += d->PageIsRequested(); };
    other.SetPublisher(f->report->Publisher());
    f->report->ResetRun();
    f->report->Generate();
    other.SetPublisher(nullptr);
    EXPECT_EQ(received, 10);
    EXPECT_EQ(m_spooler->Documents().size(), 15);
}
