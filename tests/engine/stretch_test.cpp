// Growing components through the engine: memos that continue on the next
// page, components that shift relative to them, regions kept together, page
// breaks, and the setter and stream rules that keep the chains sound.

#include "report_fixture.h"

#include "components/db_memo.h"
#include "components/memo.h"
#include "engine/page_break.h"
#include "engine/region.h"
#include "document/component_registry.h"
#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/stream_reader.h"
#include "document/stream_text.h"
#include "engine/db_pipeline.h"
#include "output/draw_shape.h"


using namespace orvane;
using namespace orvane::test;

namespace {

// 12 pt at 96 dpi: a line is 20 px high.
const TFixedAdvanceMeasurer kFixed{0.5, 1.25};
const int kLine = UnitsToThousandths(20, utScreenPixels, axVertical);
// A4 with 13.5 mm margins.
constexpr int kTop = 13500;
constexpr int kLimit = 297000 - 13500;

QStringList Numbered(const QString& stem, int from, int to)
{
    QStringList lines;
    for (int i = from; i <= to; ++i)
        lines << stem + QString::number(i);
    return lines;
}

template <class M>
M* AddMemo(ReportFixture& f, TjxBand* band, const QStringList& lines, int top, int height = 5000)
{
    auto* memo = new M(&f.host);
    memo->SetName(f.report->GetValidName(memo));
    memo->SetBand(band);
    memo->SetBounds(0, top, height, 60000);
    memo->SetTextMeasurer(&kFixed);
    memo->Font()->SetSize(12);
    memo->Lines()->SetLines(lines);
    return memo;
}

// One entry per text command: a memo's lines on the page, a label's text.
struct TextAt {
    QString text;
    int top;
    int left;
};
std::vector<TextAt> TextCommands(const TjxPage& page)
{
    std::vector<TextAt> out;
    for (int i = 0; i < page.DrawCommandCount(); ++i)
        if (auto* t = dynamic_cast<TjxDrawText*>(page.DrawCommand(i)))
            out.push_back({t->IsMemo() ? t->WrappedText()->Lines().join(u'|') : t->Text(), t->Top(), t->Left()});
    return out;
}
QStringList TextsOf(const TjxPage& page)
{
    QStringList texts;
    for (const TextAt& t : TextCommands(page))
        texts << t.text;
    return texts;
}
int ShapeCount(const TjxPage& page)
{
    int n = 0;
    for (int i = 0; i < page.DrawCommandCount(); ++i)
        n += dynamic_cast<TjxDrawShape*>(page.DrawCommand(i)) ? 1 : 0;
    return n;
}
// The index of the page's last region frame, -1 without one.
int LastShape(const TjxPage& page)
{
    int at = -1;
    for (int i = 0; i < page.DrawCommandCount(); ++i)
        if (dynamic_cast<TjxDrawShape*>(page.DrawCommand(i)))
            at = i;
    return at;
}

// A header, then one dynamic detail band (no data: it prints once) holding a
// plain label, a label that reprints on overflow, an 80-line memo and, shifting
// relative to the memo, a one-line memo and a region with a label inside.
struct OverflowReport : ReportFixture {
    TjxMemo* memo = nullptr;
    TjxMemo* after = nullptr;
    TjxRegion* region = nullptr;

    OverflowReport()
    {
        AddLabel(AddBand(btHeader, 10000), QStringLiteral("Header"));
        TjxBand* detail = AddBand(btDetail, 20000, phDynamic);
        AddLabel(detail, QStringLiteral("Plain"));
        AddLabel(detail, QStringLiteral("Again"), 40000)->SetReprintOnOverFlow(true);
        memo = AddMemo<TjxMemo>(*this, detail, Numbered(QStringLiteral("m"), 1, 80), 6000);
        memo->SetStretch(true);
        memo->SetmmBottomOffset(1500);
        memo->SetmmOverFlowOffset(3000);
        after = AddMemo<TjxMemo>(*this, detail, {QStringLiteral("after")}, 12000);
        after->SetStretch(true);
        after->SetmmBottomOffset(700);
        after->SetShiftRelativeTo(memo);
        region = new TjxRegion(&host);
        region->SetName(report->GetValidName(region));
        region->SetBand(detail);
        region->SetBounds(0, 14000, 6000, 80000);
        region->SetShiftRelativeTo(memo);
        region->AddChild(AddLabel(detail, QStringLiteral("Tail"), 2000, 14000));
    }
};

} // namespace

TEST(Stretch, OverflowingMemoContinuesAtTheBandTopWithItsDependentsBelowIt)
{
    OverflowReport f;
    f.report->SetCachePages(false);
    f.Run();
    const auto pages = f.FinalPages();
    ASSERT_EQ(pages.size(), 2u);

    // Page 1: the memo fills the page from its designed top; nothing below it prints yet.
    const int bandTop = kTop + 10000;
    const int firstLines = (kLimit - (bandTop + 6000)) / kLine;
    const auto one = TextCommands(*pages[0]);
    ASSERT_EQ(one.size(), 4u);
    EXPECT_EQ(TextsOf(*pages[0]), QStringList({"Header", "Plain", "Again",
                                                Numbered(QStringLiteral("m"), 1, firstLines).join(u'|')}));
    EXPECT_EQ(one[3].top, bandTop + 6000);
    EXPECT_EQ(ShapeCount(*pages[0]), 0);

    // Page 2: only the reprinting label repeats; the memo goes on below it at
    // its overflow offset, then its dependents stack in the order they were assigned.
    const auto two = TextCommands(*pages[1]);
    ASSERT_EQ(two.size(), 5u);
    EXPECT_EQ(TextsOf(*pages[1]), QStringList({"Header", "Again",
                                                Numbered(QStringLiteral("m"), firstLines + 1, 80).join(u'|'),
                                                "after", "Tail"}));
    const int memoTop = bandTop + 5000 + 3000;
    EXPECT_EQ(two[2].top, memoTop);
    // Right below the memo's last line plus the memo's bottom offset.
    const int afterTop = memoTop + (80 - firstLines) * kLine + 1500;
    EXPECT_EQ(two[3].top, afterTop);
    // The region follows the memo it stacks under, plus that memo's own bottom offset.
    const int regionTop = afterTop + kLine + 700;
    EXPECT_EQ(two[4].top, regionTop);
    EXPECT_EQ(two[4].left, 6350 + 2000);
    ASSERT_EQ(ShapeCount(*pages[1]), 1);
    // The frame comes last but one, so its label draws on top of it.
    const int frame = LastShape(*pages[1]);
    EXPECT_EQ(frame, pages[1]->DrawCommandCount() - 2);
    EXPECT_EQ(pages[1]->DrawCommand(frame)->Top(), regionTop);
    EXPECT_EQ(pages[1]->DrawCommand(frame)->Height(), 6000);

    // The continuation page generated again from the page cache is identical.
    TjxPage second;
    second.Assign(pages[1]);
    second.SetAbsolutePageCount(2);
    second.SetPageCount(2);
    f.pages.clear();
    f.Run(psSinglePage, 2);
    ASSERT_EQ(f.FinalPages().size(), 1u);
    EXPECT_EQ(WriteComponentToBytes(f.pages.back().get()), WriteComponentToBytes(&second));
}

TEST(Stretch, RegionPrintsOnceWhileTheMemoBelowItContinues)
{
    ReportFixture f;
    TjxBand* detail = f.AddBand(btDetail, 20000, phDynamic);
    auto* region = new TjxRegion(&f.host);
    region->SetBand(detail);
    region->SetBounds(0, 0, 8000, 80000);
    region->AddChild(f.AddLabel(detail, QStringLiteral("Boxed")));
    TjxMemo* memo = AddMemo<TjxMemo>(f, detail, Numbered(QStringLiteral("m"), 1, 80), 9000);
    memo->SetStretch(true);
    memo->SetShiftRelativeTo(region);
    f.Run();
    const auto pages = f.FinalPages();
    ASSERT_EQ(pages.size(), 2u);
    // Being a target makes the region stretch: it ends below its label.
    EXPECT_TRUE(region->Stretch());
    const int firstLines = (kLimit - kTop - 5000) / kLine;
    EXPECT_EQ(TextsOf(*pages[0]), QStringList({"Boxed", Numbered(QStringLiteral("m"), 1, firstLines).join(u'|')}));
    EXPECT_EQ(TextCommands(*pages[0])[1].top, kTop + 5000);
    EXPECT_EQ(ShapeCount(*pages[0]), 1);
    // The region is done: the memo goes on at the band top, alone.
    EXPECT_EQ(TextsOf(*pages[1]), QStringList({Numbered(QStringLiteral("m"), firstLines + 1, 80).join(u'|')}));
    EXPECT_EQ(TextCommands(*pages[1])[0].top, kTop);
    EXPECT_EQ(ShapeCount(*pages[1]), 0);
}

TEST(Stretch, MemoInAStaticBandPrintsClippedToItsRectangle)
{
    ReportFixture f;
    TjxBand* detail = f.AddBand(btDetail, 30000);
    TjxMemo* memo = AddMemo<TjxMemo>(f, detail, Numbered(QStringLiteral("s"), 1, 10), 1000, 3 * kLine);
    memo->SetmmBottomOffset(4000);
    f.Run();
    const auto pages = f.FinalPages();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(TextsOf(*pages[0]), QStringList({"s1|s2|s3"}));
    EXPECT_EQ(pages[0]->DrawCommand(0)->Height(), 3 * kLine);

    // A stop position lets it grow down to there, and no further, on every page.
    ReportFixture g;
    TjxBand* band = g.AddBand(btDetail, 30000);
    TjxMemo* stopped = AddMemo<TjxMemo>(g, band, Numbered(QStringLiteral("s"), 1, 10), 2000);
    stopped->SetmmStopPosition(kTop + 2000 + 4 * kLine + 100);
    EXPECT_EQ(band->PrintHeight(), phStatic);
    g.Run();
    const auto stops = g.FinalPages();
    ASSERT_EQ(stops.size(), 3u);
    EXPECT_EQ(TextsOf(*stops[0]), QStringList({"s1|s2|s3|s4"}));
    EXPECT_EQ(TextsOf(*stops[1]), QStringList({"s5|s6|s7|s8"}));
    EXPECT_EQ(TextsOf(*stops[2]), QStringList({"s9|s10"}));
    // The rest moves up to the band top.
    EXPECT_EQ(stops[1]->DrawCommand(0)->Top(), kTop);
}

TEST(Stretch, AMemoThatCanNeverPrintAgainStopsTheReportInsteadOfRunningToThePageLimit)
{
    // A stop position above the page: the memo can never take room, so the
    // header continues it on every page and every page is the same blank one.
    for (const int stop : {-1, 0}) {
        SCOPED_TRACE(stop);
        QByteArray bytes;
        ObjectTextToBinary(QStringLiteral("object rptTest: TjxReport\r\n"
                                          "  Version = '9.01'\r\n"
                                          "  object jxHeaderBand1: TjxHeaderBand\r\n"
                                          "    object jxMemo1: TjxMemo\r\n"
                                          "      mmStopPosition = %1\r\n"
                                          "    end\r\n"
                                          "  end\r\n"
                                          "  object jxDetailBand1: TjxDetailBand\r\n"
                                          "  end\r\n"
                                          "end\r\n")
                               .arg(stop)
                               .toLatin1(),
                           bytes);
        ReportFixture f;
        ASSERT_EQ(ReadComponentFromBytes(bytes, f.report, &f.host), f.report);
        f.report->Engine()->SetMaxPages(100);
        if (stop == 0) {
            f.Run();
            EXPECT_EQ(f.FinalPages().size(), 1u);
            continue;
        }
        try {
            f.Run();
            FAIL() << "no error";
        } catch (const EPrintError& e) {
            EXPECT_EQ(e.Message(), MessageText(msg::BandCannotFit, {f.report->FindBand(btHeader)->UserName()}));
        }
        EXPECT_LE(f.pages.size(), 5u);
    }
}

TEST(Stretch, PageBreakMovesTheComponentsAfterItUpByItsTop)
{
    ReportFixture f;
    TjxBand* detail = f.AddBand(btDetail, 60000);
    f.AddLabel(detail, QStringLiteral("A"));
    f.AddLabel(detail, QStringLiteral("B"), 0, 10000);
    auto* pageBreak = new TjxPageBreak(&f.host);
    pageBreak->SetBand(detail);
    pageBreak->SetmmTop(20000);
    f.AddLabel(detail, QStringLiteral("C"), 0, 30000);
    f.AddLabel(detail, QStringLiteral("D"), 0, 45000);
    EXPECT_EQ(pageBreak->mmWidth(), f.report->PrintableWidth());
    f.Run();
    const auto pages = f.FinalPages();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(TextsOf(*pages[0]), QStringList({"A", "B"}));
    const auto two = TextCommands(*pages[1]);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0].text, u"C");
    EXPECT_EQ(two[0].top, kTop + 10000);
    EXPECT_EQ(two[1].text, u"D");
    EXPECT_EQ(two[1].top, kTop + 25000);
}

TEST(Stretch, PageBreakWithoutRoomForItsHeightBreaksOnce)
{
    // The detail band starts 2 mm above the page limit: the break does not
    // fit its designed height, yet it uses no space and must not leave a blank page.
    ReportFixture f;
    f.AddBand(btTitle, kLimit - kTop - 2000);
    TjxBand* detail = f.AddBand(btDetail, 10000, phDynamic);
    auto* pageBreak = new TjxPageBreak(&f.host);
    pageBreak->SetBand(detail);
    f.AddLabel(detail, QStringLiteral("Next"));
    f.Run();
    const auto pages = f.FinalPages();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(TextsOf(*pages[0]), QStringList());
    EXPECT_EQ(TextsOf(*pages[1]), QStringList({"Next"}));
}

TEST(Stretch, RegionKeptTogetherMovesWholeOnceThenSplits)
{
    // Records with notes of 20, 20, 20, 80 and no lines. Each record is a
    // region holding its name and a stretching memo of its notes.
    const int counts[] = {20, 20, 20, 80, 0};
    std::vector<QVariantList> rows;
    for (int id = 1; id <= 5; ++id)
        rows.push_back({id, QStringLiteral("Name %1").arg(id),
                        Numbered(QStringLiteral("r%1 line ").arg(id), 1, counts[id - 1]).join(u'\n')});
    ReportFixture f;
    TjxDBPipeline* pipeline = f.AddTable(QStringLiteral("plNotes"), QStringLiteral("notes"),
                                         {QStringLiteral("id INTEGER"), QStringLiteral("name VARCHAR(20)"),
                                          QStringLiteral("body TEXT")},
                                         rows);
    f.report->SetDataPipeline(pipeline);
    TjxBand* detail = f.AddBand(btDetail, 12000);
    auto* region = new TjxRegion(&f.host);
    region->SetName(f.report->GetValidName(region));
    region->SetBand(detail);
    region->SetBounds(0, 0, 12000, 90000);
    region->SetKeepTogether(true);
    auto* name = new TjxDBText(&f.host);
    name->SetName(f.report->GetValidName(name));
    name->SetBand(detail);
    name->SetDataPipeline(pipeline);
    name->SetDataField(QStringLiteral("name"));
    name->SetBounds(0, 0, 5000, 30000);
    region->AddChild(name);
    auto* notes = AddMemo<TjxDBMemo>(f, detail, {}, 5000);
    notes->SetDataPipeline(pipeline);
    notes->SetDataField(QStringLiteral("body"));
    notes->SetStretch(true);
    region->AddChild(notes);
    // A stretching child makes the region stretch and its band dynamic.
    EXPECT_TRUE(region->Stretch());
    EXPECT_EQ(detail->PrintHeight(), phDynamic);
    f.Run();

    const auto pages = f.FinalPages();
    ASSERT_EQ(pages.size(), 4u);
    const auto lines = [](int id, int from, int to) {
        return Numbered(QStringLiteral("r%1 line ").arg(id), from, to).join(u'|');
    };
    EXPECT_EQ(TextsOf(*pages[0]), QStringList({"Name 1", lines(1, 1, 20), "Name 2", lines(2, 1, 20)}));
    // Record 3 would have split at the page end: it moved whole, with its own record's data.
    EXPECT_EQ(TextsOf(*pages[1]), QStringList({"Name 3", lines(3, 1, 20)}));
    // Record 4 moved once, and splits on its new page as it cannot fit on any.
    const int onPage = (kLimit - kTop - 5000) / kLine;
    EXPECT_EQ(TextsOf(*pages[2]), QStringList({"Name 4", lines(4, 1, onPage)}));
    EXPECT_EQ(TextsOf(*pages[3]), QStringList({lines(4, onPage + 1, 80), "Name 5"}));
    EXPECT_EQ(TextCommands(*pages[3])[0].top, kTop);
    EXPECT_EQ(ShapeCount(*pages[0]), 2);
    EXPECT_EQ(ShapeCount(*pages[1]), 1);
    // Empty notes take no room, whatever the record before them took.
    ASSERT_EQ(ShapeCount(*pages[3]), 2);
    EXPECT_EQ(pages[3]->DrawCommand(LastShape(*pages[3]))->Height(), 5000);
}

TEST(Stretch, ColumnFooterRunningPastThePageBottomEndsItsColumnOnce)
{
    // Thirty records in two columns of 25; the dynamic column footer has room
    // for three memo lines: a stretching memo goes on in the next column's
    // footer, and a label taller than that room never prints. Either way the
    // column ends once (a footer without room used to end its column again
    // from inside itself until the stack ran out).
    QStringList records;
    for (int i = 1; i <= 30; ++i)
        records << QString::number(i);
    for (bool stretching : {true, false}) {
        SCOPED_TRACE(stretching ? "memo" : "label");
        ReportFixture f;
        f.AddData(30);
        f.report->SetColumns(2);
        f.report->SetmmColumnWidth(90000);
        f.AddField(f.AddBand(btDetail, 10000), "id");
        TjxBand* footer = f.AddBand(btColumnFooter, 20000, phDynamic);
        if (stretching)
            AddMemo<TjxMemo>(f, footer, Numbered(QStringLiteral("f"), 1, 300), 0)->SetStretch(true);
        else
            f.AddLabel(footer, QStringLiteral("tall"))->SetmmHeight(30000);
        f.Run();
        const auto pages = f.FinalPages();
        ASSERT_EQ(pages.size(), 1u);
        QStringList expected = records;
        if (stretching) {
            expected.insert(25, QStringLiteral("f1|f2|f3"));
            expected << QStringLiteral("f4|f5|f6");
        }
        EXPECT_EQ(TextsOf(*pages[0]), expected);
    }
}

TEST(StretchSetters, StretchMakesTheBandDynamicAndCyclesAreRefused)
{
    ReportFixture f;
    TjxBand* detail = f.AddBand(btDetail, 20000);
    TjxMemo* a = AddMemo<TjxMemo>(f, detail, {}, 0);
    a->SetStretch(true);
    EXPECT_EQ(detail->PrintHeight(), phDynamic);

    // A memo joining a fixed region makes the region and then the band stretch.
    TjxBand* header = f.AddBand(btHeader, 20000);
    auto* region = new TjxRegion(&f.host);
    region->SetBand(header);
    TjxMemo* inside = AddMemo<TjxMemo>(f, header, {}, 0);
    inside->SetRegion(region);
    EXPECT_FALSE(region->Stretch());
    inside->SetStretch(true);
    EXPECT_TRUE(region->Stretch());
    EXPECT_EQ(header->PrintHeight(), phDynamic);

    // A cycle raises message 342 and leaves the old target in place.
    TjxMemo* b = AddMemo<TjxMemo>(f, detail, {}, 0);
    TjxMemo* c = AddMemo<TjxMemo>(f, detail, {}, 0);
    b->SetShiftRelativeTo(a);
    a->SetShiftRelativeTo(c);
    try {
        a->SetShiftRelativeTo(b);
        FAIL() << "a cyclic chain was accepted";
    } catch (const EInvalidPropertyError& e) {
        EXPECT_EQ(e.Message(), GetMessage(342));
    }
    EXPECT_EQ(a->ShiftRelativeTo(), c);
    EXPECT_EQ(c->Dependents(), std::vector<TjxStretchable*>{a});
    EXPECT_TRUE(b->Dependents().empty());

    // A region cannot follow a component inside it.
    auto* r2 = new TjxRegion(&f.host);
    r2->SetBand(detail);
    r2->SetShiftRelativeTo(c);
    b->SetRegion(r2);
    EXPECT_EQ(b->ShiftRelativeTo(), nullptr);  // entering a region leaves the chain
    EXPECT_THROW(r2->SetShiftRelativeTo(b), EInvalidPropertyError);
    EXPECT_EQ(r2->ShiftRelativeTo(), c);
    // Regions do not nest, and page breaks stay out of them.
    region->SetRegion(r2);
    EXPECT_EQ(region->Region(), nullptr);
    auto* pageBreak = new TjxPageBreak(&f.host);
    pageBreak->SetBand(detail);
    r2->AddChild(pageBreak);
    EXPECT_EQ(pageBreak->Region(), nullptr);
    EXPECT_EQ(r2->Children(), std::vector<TjxComponent*>{b});
}

TEST(StretchStreaming, CyclicChainInAStreamIsBrokenAtLoadAndTheReportPrints)
{
    QByteArray bytes;
    ObjectTextToBinary("object rptTest: TjxReport\r\n"
                       "  object jxDetailBand1: TjxDetailBand\r\n"
                       "    PrintHeight = phDynamic\r\n"
                       "    object jxMemo1: TjxMemo\r\n      Lines.Strings = (\r\n        'one')\r\n"
                       "      ShiftRelativeTo = jxMemo3\r\n      Stretch = True\r\n    end\r\n"
                       "    object jxMemo2: TjxMemo\r\n      Lines.Strings = (\r\n        'two')\r\n"
                       "      ShiftRelativeTo = jxMemo1\r\n      Stretch = True\r\n    end\r\n"
                       "    object jxMemo3: TjxMemo\r\n      Lines.Strings = (\r\n        'three')\r\n"
                       "      ShiftRelativeTo = jxMemo2\r\n      Stretch = True\r\n    end\r\n"
                       "  end\r\nend\r\n",
                       bytes);
    ReportFixture f;
    ASSERT_EQ(ReadComponentFromBytes(bytes, f.report, &f.host), f.report);
    int links = 0;
    for (const char* name : {"jxMemo1", "jxMemo2", "jxMemo3"}) {
        auto* memo = dynamic_cast<TjxMemo*>(f.host.FindComponent(QString::fromLatin1(name)));
        ASSERT_NE(memo, nullptr);
        links += memo->ShiftRelativeTo() ? 1 : 0;
    }
    EXPECT_EQ(links, 2);
    f.Run();
    ASSERT_EQ(f.FinalPages().size(), 1u);
    QStringList texts = TextsOf(*f.FinalPages()[0]);
    texts.sort();
    EXPECT_EQ(texts, QStringList({"one", "three", "two"}));
}

TEST(StretchStreaming, RegionWritesItsChildrenInsideItselfAndReadsThemBack)
{
    for (const auto& [cls, position, hint] : {std::tuple{"TjxRegion", 0, 368}, std::tuple{"TjxPageBreak", 2, 1151}}) {
        const TjxRegComponent* reg = RegisteredComponents().Find(QString::fromLatin1(cls));
        ASSERT_NE(reg, nullptr) << cls;
        EXPECT_EQ(reg->paletteName, u"Advanced Components");
        EXPECT_EQ(reg->position, position);
        EXPECT_EQ(reg->Hint(), GetMessage(hint));
    }

    ReportFixture f;
    TjxBand* detail = f.AddBand(btDetail, 20000);
    auto* region = new TjxRegion(&f.host);
    region->SetName(QStringLiteral("jxRegion1"));
    region->SetBand(detail);
    region->SetBounds(1000, 2000, 8000, 50000);
    region->Brush()->SetStyle(bsClear);
    EXPECT_TRUE(region->Transparent());
    region->SetKeepTogether(true);
    f.AddLabel(detail, QStringLiteral("Before"));
    // A child joins directly after the region in z-order and moves with it.
    TjxLabel* inside = f.AddLabel(detail, QStringLiteral("Inside"), 3000, 4000);
    region->AddChild(inside);
    EXPECT_EQ(detail->Components(0), region);
    EXPECT_EQ(detail->Components(1), inside);
    region->SetmmTop(3000);
    EXPECT_EQ(inside->mmTop(), 5000);
    auto* pageBreak = new TjxPageBreak(&f.host);
    pageBreak->SetName(QStringLiteral("jxPageBreak1"));
    pageBreak->SetBand(detail);
    pageBreak->SetmmTop(15000);

    QByteArray text;
    ObjectBinaryToText(WriteComponentToBytes(f.report, &f.host), text);
    const qsizetype regionAt = text.indexOf("object jxRegion1: TjxRegion");
    const qsizetype insideAt = text.indexOf("object " + inside->Name().toLatin1());
    ASSERT_GE(regionAt, 0);
    // The child is written once, inside the region.
    EXPECT_GT(insideAt, regionAt);
    EXPECT_EQ(text.count("object " + inside->Name().toLatin1() + ":"), 1);
    EXPECT_TRUE(text.contains("      KeepTogether = True\r\n"));
    EXPECT_TRUE(text.contains("object jxPageBreak1: TjxPageBreak\r\n"));

    ReportFixture copy;
    QByteArray binary;
    ObjectTextToBinary(text, binary);
    ASSERT_EQ(ReadComponentFromBytes(binary, copy.report, &copy.host), copy.report);
    auto* r = dynamic_cast<TjxRegion*>(copy.host.FindComponent(u"jxRegion1"));
    auto* child = dynamic_cast<TjxLabel*>(copy.host.FindComponent(inside->Name()));
    ASSERT_TRUE(r && child);
    EXPECT_EQ(r->Children(), std::vector<TjxComponent*>{child});
    EXPECT_EQ(r->Band()->IndexOfChild(child), r->Band()->IndexOfChild(r) + 1);
    EXPECT_TRUE(r->KeepTogether() && r->Transparent());
    // Written again, the copy gives the same text.
    QByteArray again;
    ObjectBinaryToText(WriteComponentToBytes(copy.report, &copy.host), again);
    EXPECT_EQ(again, text);
}
