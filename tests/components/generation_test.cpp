// How components lay themselves out in a band print and emit their draw
// commands to a page, and how their print state survives a page cache round trip.

#include "components/db_memo.h"
#include "components/db_text.h"
#include "components/image.h"
#include "components/label.h"
#include "components/line.h"
#include "components/memo.h"
#include "components/shape.h"
#include "document/event_ids.h"
#include "document/report.h"
#include "output/draw_image.h"
#include "output/draw_line.h"
#include "output/draw_shape.h"
#include "output/draw_text.h"
#include "output/page.h"

#include <gtest/gtest.h>
#include <stdexcept>

using namespace orvane;

namespace {

// 12 pt at 96 dpi: every character 8 px wide, a line 20 px high.
const TFixedAdvanceMeasurer kFixed{0.5, 1.25};

struct TBandPrint {
    TComponent host;
    TjxReport* report = nullptr;
    TjxBand* band = nullptr;
    TjxPage page;

    TBandPrint()
    {
        report = new TjxReport(&host);
        band = report->CreateBand(btDetail);
        band->SetmmHeight(50000);
    }
    template <class C>
    C* Add(int left, int top, int width, int height)
    {
        auto* c = new C(&host);
        c->SetBand(band);
        c->SetBounds(left, top, height, width);
        return c;
    }
    // The band at page position (10000, 20000), 50 mm high, with a page limit far below.
    static TjxPrintParent Parent()
    {
        TjxPrintParent p;
        p.printRect = {10000, 20000, 200000, 70000};
        p.currentBottom = 70000;
        p.pageLimit = 280000;
        p.spaceUsed = 50000;
        p.designHeight = 50000;
        p.dynamicHeight = true;
        return p;
    }
    // One band print as the engine runs it.
    static void Print(TjxPrintable& c, const TjxPrintParent& parent, bool fresh = true)
    {
        c.BeforeGenerate(fresh);
        c.Generate(parent);
    }
};

// Listens to one component's events and records their order.
class TEventLog : public TjxCommunicator {
public:
    QStringList log;
    TjxPage* pageAtCreate = nullptr;
    void EventNotify(TjxCommunicator*, int eventId, TjxEventParams* params) override
    {
        log << QString::number(eventId);
        if (eventId == ciComponentDrawCommandCreate && params) {
            auto* command = dynamic_cast<TjxDrawCommand*>(params->Value(u"aDrawCommand").value<TPersistent*>());
            pageAtCreate = command ? command->Page() : nullptr;
        }
    }
    void Listen(TjxCommunicator& c, std::initializer_list<int> events)
    {
        for (int e : events)
            AddEventInterest(e);
        c.AddEventNotify(this);
    }
};

TEST(Generation, FlagsMoveThroughABandPrintAndTheComponentIsPlacedInItsBand)
{
    TBandPrint b;
    auto* label = b.Add<TjxLabel>(5000, 3000, 40000, 6000);
    label->SetOverFlow(true);
    label->InitGeneration();
    EXPECT_FALSE(label->OverFlow());

    TBandPrint::Print(*label, TBandPrint::Parent());
    EXPECT_TRUE(label->ToPrint());
    EXPECT_TRUE(label->Complete());
    EXPECT_FALSE(label->NoRoom());
    EXPECT_EQ(label->PrintRect(), (TjxRect{15000, 23000, 55000, 29000}));
    EXPECT_EQ(label->DrawHeight(), 6000);
    label->AfterGenerate();
    EXPECT_FALSE(label->ToPrint());

    // The continuation of an overflowing band does not print it again...
    TjxPrintParent continuation = TBandPrint::Parent();
    continuation.overFlow = true;
    continuation.overFlowOffset = 2000;
    TBandPrint::Print(*label, continuation, false);
    EXPECT_FALSE(label->ToPrint());
    EXPECT_EQ(label->DrawHeight(), 0);
    EXPECT_TRUE(label->Complete());

    // ...unless asked to, and then it moves up with the continuation.
    label->SetReprintOnOverFlow(true);
    TBandPrint::Print(*label, continuation, false);
    EXPECT_TRUE(label->ToPrint());
    EXPECT_EQ(label->PrintRect().top, 21000);

    // Inside a region the designed offset from the region's top is kept.
    TjxPrintParent region = TBandPrint::Parent();
    region.isRegion = true;
    region.regionPageTop = 40000;
    region.regionmmTop = 1000;
    TBandPrint::Print(*label, region);
    EXPECT_EQ(label->PrintRect().top, 42000);
}

TEST(Generation, NoRoomOnlyWhenMoreThanOneThousandthPastThePageLimitOfADynamicBand)
{
    TBandPrint b;
    auto* label = b.Add<TjxLabel>(0, 3000, 40000, 6000);
    TjxPrintParent parent = TBandPrint::Parent();  // bottom at 29000

    parent.pageLimit = 28999;  // one thousandth over still prints
    TBandPrint::Print(*label, parent);
    EXPECT_FALSE(label->NoRoom());
    EXPECT_TRUE(label->Complete());
    EXPECT_EQ(label->PrintRect().bottom, 29000);
    label->AfterGenerate();

    parent.pageLimit = 28998;
    TBandPrint::Print(*label, parent);
    EXPECT_TRUE(label->NoRoom());
    EXPECT_FALSE(label->Complete());
    EXPECT_EQ(label->DrawHeight(), 0);
    label->AfterGenerate();
    EXPECT_TRUE(label->ToPrint()) << "a component without room prints on the next page";

    // A band of static height prints what it holds regardless.
    parent.dynamicHeight = false;
    TBandPrint::Print(*label, parent);
    EXPECT_FALSE(label->NoRoom());
    EXPECT_TRUE(label->Complete());
}

TEST(Generation, BottomAnchoredAndStretchingComponentsFollowTheirGrownBand)
{
    TBandPrint b;
    auto* memo = b.Add<TjxMemo>(0, 5000, 40000, 10000);
    auto* below = b.Add<TjxLabel>(0, 20000, 40000, 5000);
    below->SetAnchors(1u << atBottom);

    // The memo grew by 10 mm: the label keeps its designed 5 mm below it.
    memo->SetPrintRect({10000, 25000, 50000, 45000});
    memo->SetDrawHeight(20000);
    TjxPrintParent parent = TBandPrint::Parent();
    parent.lowestStretched = memo;
    TBandPrint::Print(*below, parent);
    EXPECT_EQ(below->PrintRect().top, 50000);

    // Without a stretched sibling it moves down by the band's growth.
    parent.lowestStretched = nullptr;
    parent.spaceUsed = 57000;
    TBandPrint::Print(*below, parent);
    EXPECT_EQ(below->PrintRect().top, 47000);

    // A line stretching with the band ends at the band's contents...
    auto* line = b.Add<TjxLine>(0, 2000, 1000, 3000);
    line->SetStretchWithParent(true);
    parent = TBandPrint::Parent();
    parent.currentBottom = 60000;
    TBandPrint::Print(*line, parent);
    EXPECT_EQ(line->PrintRect(), (TjxRect{10000, 22000, 11000, 60000}));
    // ...or at the page limit when that comes first.
    parent.pageLimit = 50000;
    TBandPrint::Print(*line, parent);
    EXPECT_EQ(line->PrintRect().bottom, 50000);
    EXPECT_FALSE(line->NoRoom());
}

TEST(Generation, OnPrintFiresForInvisibleComponentsAndMayShowThem)
{
    TBandPrint b;
    auto* label = b.Add<TjxLabel>(0, 0, 40000, 6000);
    label->SetVisible(false);
    TEventLog events;
    events.Listen(*label, {ciComponentPrint});
    QStringList order;
    int calls = 0;
    label->SetOnPrint({nullptr, {}, [&](TComponent*, TjxEventParams&) {
                           order << QStringLiteral("OnPrint") + QString::number(events.log.size());
                           ++calls;
                       }});

    TBandPrint::Print(*label, TBandPrint::Parent());
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(order, QStringList{"OnPrint0"}) << "the handler runs before the event";
    EXPECT_EQ(events.log, QStringList{"32"});
    EXPECT_EQ(label->DrawHeight(), 0);
    label->PrintToPage(&b.page);
    EXPECT_EQ(b.page.DrawCommandCount(), 0);
    label->AfterGenerate();
    EXPECT_FALSE(label->ToPrint());

    // Shown by the handler during a band print in which it was not due.
    label->SetOnPrint({nullptr, {}, [&](TComponent*, TjxEventParams&) { label->SetVisible(true); }});
    TBandPrint::Print(*label, TBandPrint::Parent(), false);
    EXPECT_TRUE(label->ToPrint());
    EXPECT_EQ(label->DrawHeight(), 6000);
    label->PrintToPage(&b.page);
    EXPECT_EQ(b.page.DrawCommandCount(), 1);
}

TEST(Generation, TextCommandsCarryTheProducedTextAndTheComponentsRectangle)
{
    TBandPrint b;
    auto* label = b.Add<TjxLabel>(5000, 3000, 40000, 6000);
    label->SetTextMeasurer(&kFixed);
    label->Font()->SetSize(12);
    label->SetCaption(QStringLiteral("Receipt"));
    label->SetTextAlignment(taCentered);
    label->SetTag(7);
    label->Border()->SetVisible(true);
    label->Border()->SetBorderPositions(1u << bpBottom);
    label->SetOnGetText({nullptr, {}, [](TComponent*, TjxEventParams& p) {
                             p.SetValue(u"Text", p.Value(u"Text").toString() + QStringLiteral(" No. 12"));
                         }});
    TEventLog events;
    events.Listen(*label, {ciComponentDrawCommandCreate});
    TjxPage* pageInHandler = &b.page;
    label->SetOnDrawCommandCreate({nullptr, {}, [&](TComponent*, TjxEventParams& p) {
                                       auto* c = dynamic_cast<TjxDrawCommand*>(p.Value(u"aDrawCommand").value<TPersistent*>());
                                       pageInHandler = c ? c->Page() : &b.page;
                                   }});

    TBandPrint::Print(*label, TBandPrint::Parent());
    label->PrintToPage(&b.page);
    ASSERT_EQ(b.page.DrawCommandCount(), 1);
    auto* text = dynamic_cast<TjxDrawText*>(b.page.DrawCommand(0));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->Text(), u"Receipt No. 12");
    EXPECT_EQ(text->TextAlignment(), taCentered);
    EXPECT_EQ(text->Font()->Size(), 12);
    EXPECT_EQ((TjxRect{text->Left(), text->Top(), text->Left() + text->Width(), text->Top() + text->Height()}),
              (TjxRect{15000, 23000, 55000, 29000}));
    EXPECT_EQ(text->Band(), b.band);
    EXPECT_EQ(text->Tag(), 7);
    EXPECT_TRUE(*text->Border() == *label->Border());
    EXPECT_FALSE(text->Clickable());
    EXPECT_EQ(text->TextComponent(), label);
    // The handler sees the command before the page has it; the event after.
    EXPECT_EQ(pageInHandler, nullptr);
    EXPECT_EQ(events.log, QStringList{"84"});
    EXPECT_EQ(events.pageAtCreate, &b.page);

    // Wrapped in the print rectangle: 5 characters a line in 40 px.
    label->SetWordWrap(true);
    label->SetOnGetText({});
    label->SetCaption(QStringLiteral("aaaa bbbb cccc"));
    label->SetmmWidth(UnitsToThousandths(40, utScreenPixels));
    label->SetmmHeight(UnitsToThousandths(61, utScreenPixels, axVertical));
    int clicks = 0;
    label->SetOnDrawCommandClick({nullptr, {}, [&](TComponent*, TjxEventParams&) { ++clicks; }});
    TBandPrint::Print(*label, TBandPrint::Parent());
    auto* wrapped = dynamic_cast<TjxDrawText*>(label->CreateDrawCommand(&b.page));
    ASSERT_NE(wrapped, nullptr);
    EXPECT_TRUE(wrapped->WordWrap());
    EXPECT_EQ(wrapped->WrappedText()->Lines(), (QStringList{"aaaa", "bbbb", "cccc"}));
    ASSERT_TRUE(wrapped->Clickable());
    wrapped->ClickHandler()(wrapped);
    label->DrawCommandClick(label);  // not a draw command: ignored
    EXPECT_EQ(clicks, 1);

    // The page outlives its component (a preview kept open while the template
    // is loaded again): the click finds nobody and does nothing, even when a
    // new component takes the old one's place in memory.
    TjxDrawCommand* orphan = label->CreateDrawCommand(&b.page);
    ASSERT_NE(orphan, nullptr);
    delete label;
    auto* successor = b.Add<TjxLabel>(0, 0, 40000, 6000);
    successor->SetOnDrawCommandClick({nullptr, {}, [&](TComponent*, TjxEventParams&) { clicks += 100; }});
    orphan->ClickHandler()(orphan);
    EXPECT_EQ(clicks, 1);
}

TEST(Generation, AFailingCreateHandlerLeavesThePageAsItWas)
{
    TBandPrint b;
    auto* label = b.Add<TjxLabel>(0, 0, 40000, 6000);
    label->SetOnDrawCommandCreate(
        {nullptr, {}, [](TComponent*, TjxEventParams&) { throw std::runtime_error("handler failed"); }});
    TBandPrint::Print(*label, TBandPrint::Parent());
    EXPECT_THROW(label->PrintToPage(&b.page), std::runtime_error);
    EXPECT_EQ(b.page.DrawCommandCount(), 0);
}

TEST(Generation, MemoShapeLineAndImageCommands)
{
    TBandPrint b;
    auto* memo = b.Add<TjxMemo>(0, 0, 40000, 30000);
    memo->SetmmLeading(500);
    TjxMemoContinuation continuation;
    continuation.printLines = {QStringLiteral("second page line 1"), QStringLiteral("line 2")};
    memo->SetContinuation(continuation);
    memo->BeforeGenerate();
    memo->SetPrintRect({1000, 2000, 41000, 12000});
    memo->SetDrawHeight(10000);
    memo->PrintToPage(&b.page);
    auto* memoText = dynamic_cast<TjxDrawText*>(b.page.DrawCommand(0));
    ASSERT_NE(memoText, nullptr);
    EXPECT_TRUE(memoText->IsMemo());
    EXPECT_TRUE(memoText->WordWrap());
    EXPECT_EQ(memoText->WrappedText()->Lines(), continuation.printLines);
    EXPECT_EQ(memoText->Leading(), 500);
    EXPECT_EQ(memoText->Height(), 10000);

    auto* shape = b.Add<TjxShape>(1000, 1000, 30000, 20000);
    shape->SetShape(stCircle);
    shape->Brush()->SetColor(TColor(0x0000FF));
    TBandPrint::Print(*shape, TBandPrint::Parent());
    shape->PrintToPage(&b.page);
    auto* drawShape = dynamic_cast<TjxDrawShape*>(b.page.DrawCommand(1));
    ASSERT_NE(drawShape, nullptr);
    const TjxShapeGeometry g = shape->PrintGeometry(shape->PrintRect());
    EXPECT_EQ(drawShape->ShapeType(), stEllipse);
    EXPECT_EQ((TjxShapeGeometry{drawShape->Left(), drawShape->Top(), drawShape->Width(), drawShape->Height(),
                                drawShape->XCornerRound(), drawShape->ShapeType()}),
              g);
    EXPECT_EQ(drawShape->Brush()->Color(), TColor(0x0000FF));

    auto* line = b.Add<TjxLine>(0, 4000, 30000, 2000);
    line->SetPosition(lpBottom);
    line->SetStyle(lsDouble);
    line->SetWeight(2.0f);
    TBandPrint::Print(*line, TBandPrint::Parent());
    line->PrintToPage(&b.page);
    auto* drawLine = dynamic_cast<TjxDrawLine*>(b.page.DrawCommand(2));
    ASSERT_NE(drawLine, nullptr);
    EXPECT_EQ(drawLine->LinePosition(), lpBottom);
    EXPECT_EQ(drawLine->LineStyle(), lsDouble);
    EXPECT_FLOAT_EQ(drawLine->Weight(), 2.0f);
    EXPECT_EQ(drawLine->Top(), 24000);
    EXPECT_EQ(drawLine->Height(), 2000);

    auto* image = b.Add<TjxImage>(0, 0, 20000, 20000);
    QImage pixels(4, 3, QImage::Format_RGB32);
    pixels.fill(Qt::red);
    image->Picture()->SetImage(pixels);
    image->SetStretch(true);
    TBandPrint::Print(*image, TBandPrint::Parent());
    image->PrintToPage(&b.page);
    auto* drawImage = dynamic_cast<TjxDrawImage*>(b.page.DrawCommand(3));
    ASSERT_NE(drawImage, nullptr);
    EXPECT_TRUE(*drawImage->Picture() == *image->Picture());
    EXPECT_NE(drawImage->Picture(), image->Picture()) << "the page keeps its own copy";
    EXPECT_TRUE(drawImage->Stretch());
    EXPECT_TRUE(drawImage->Center());
}

TEST(Generation, StateRecordsRestoreThePageStartAndRejectDamagedRecords)
{
    TBandPrint b;
    auto* dbText = b.Add<TjxDBText>(0, 0, 40000, 6000);
    TjxRepeatState repeat;
    repeat.priorValue = QStringLiteral("Smith");
    repeat.lastPrintPage = 3;
    repeat.alreadyPrinted = true;
    repeat.repeatReset = false;
    dbText->SetRepeatState(repeat);
    dbText->SetToPrint(true);
    dbText->SetOverFlow(true);
    dbText->SetPrintRect({1, 2, 3, 4});
    dbText->SaveState(0);
    const QByteArray saved = dbText->SaveState();

    dbText->SetRepeatState({});
    dbText->SetToPrint(false);
    dbText->SetOverFlow(false);
    dbText->SetPrintRect({});
    dbText->RestoreState(0);
    EXPECT_EQ(dbText->RepeatState(), repeat);
    EXPECT_TRUE(dbText->ToPrint());
    EXPECT_TRUE(dbText->OverFlow());
    EXPECT_EQ(dbText->PrintRect(), (TjxRect{1, 2, 3, 4}));

    // A page never saved restores nothing; saving a page again forgets the later ones.
    dbText->SetToPrint(false);
    dbText->RestoreState(4);
    EXPECT_FALSE(dbText->ToPrint());
    dbText->SaveState(1);
    dbText->SaveState(0);
    EXPECT_EQ(dbText->CachePageCount(), 0);
    dbText->DiscardFrom(0);
    EXPECT_EQ(dbText->CachePageCount(), -1);

    // A record cut short or of another version changes nothing.
    dbText->SetRepeatState({});
    EXPECT_FALSE(dbText->RestoreState(saved.left(saved.size() - 3)));
    EXPECT_FALSE(dbText->ToPrint());
    EXPECT_EQ(dbText->RepeatState(), TjxRepeatState{});
    QByteArray otherVersion = saved;
    otherVersion[0] = char(TjxCacheable::kStateRecordVersion + 1);
    EXPECT_FALSE(dbText->RestoreState(otherVersion));
    EXPECT_FALSE(dbText->RestoreState(saved + QByteArray(1, '\0'))) << "trailing bytes belong to another layout";
    // A changed value in a record of the right length and shape is caught too.
    QByteArray altered = saved;
    const qsizetype name = altered.indexOf(QByteArray("\0S\0m\0i", 6));
    ASSERT_GT(name, 0);
    altered[name + 1] = 'J';
    EXPECT_FALSE(dbText->RestoreState(altered));
    EXPECT_EQ(dbText->RepeatState(), TjxRepeatState{});
    EXPECT_TRUE(dbText->RestoreState(saved));
    EXPECT_EQ(dbText->RepeatState(), repeat);

    auto* dbMemo = b.Add<TjxDBMemo>(0, 0, 40000, 6000);
    TjxMemoContinuation c{12, true, true, {QStringLiteral("x")}, 4000};
    dbMemo->SetContinuation(c);
    dbMemo->SetRepeatState(repeat);
    const QByteArray memoRecord = dbMemo->SaveState();
    dbMemo->ResetContinuation();
    dbMemo->SetRepeatState({});
    ASSERT_TRUE(dbMemo->RestoreState(memoRecord));
    EXPECT_EQ(dbMemo->Continuation().charPos, 12);
    EXPECT_TRUE(dbMemo->Continuation().keepTogetherMoved);
    EXPECT_EQ(dbMemo->Continuation().printLines, QStringList{"x"});
    EXPECT_EQ(dbMemo->Continuation().drawHeight, 4000);
    EXPECT_EQ(dbMemo->RepeatState(), repeat);
}

TEST(Generation, APageGeneratedAgainFromItsSavedStateGivesTheSameCommands)
{
    TBandPrint b;
    auto* memo = b.Add<TjxMemo>(0, 0, 40000, 30000);
    memo->SetTextMeasurer(&kFixed);
    memo->Font()->SetSize(12);
    QStringList lines;
    for (int i = 0; i < 12; ++i)
        lines << QStringLiteral("line %1").arg(i);
    memo->Lines()->SetLines(lines);
    memo->InitGeneration();
    memo->ResetContinuation();

    const int lineHeight = UnitsToThousandths(20, utScreenPixels, axVertical);
    const TjxRect pageRect{0, 0, 60000, 4 * lineHeight};
    // Generates one page of the memo and returns its command's lines.
    const auto generatePage = [&](TjxPage& page) {
        memo->BeforeGenerate();
        memo->ComputeMemoContent(pageRect, true, false);
        memo->SetPrintRect(pageRect);
        memo->SetDrawHeight(memo->Continuation().drawHeight);
        memo->PrintToPage(&page);
        auto* text = dynamic_cast<TjxDrawText*>(page.DrawCommand(page.DrawCommandCount() - 1));
        return text ? text->WrappedText()->Lines() : QStringList{};
    };

    TjxPage page1, page2, page2Again;
    EXPECT_EQ(generatePage(page1), lines.mid(0, 4));
    memo->SaveState(1);
    const QStringList second = generatePage(page2);
    EXPECT_EQ(second, lines.mid(4, 4));
    generatePage(page2Again);  // the third page: the state moved on

    memo->RestoreState(1);
    TjxPage regenerated;
    EXPECT_EQ(generatePage(regenerated), second);
    EXPECT_TRUE(regenerated.DrawCommand(0)->IsSameAs(page2.DrawCommand(0)));
}

} // namespace
