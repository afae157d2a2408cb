// The printable components' data model: what they stream, in which order,
// how they attach to their band, and the rules of their setters.

#include "components/db_text.h"
#include "components/label.h"
#include "components/line.h"
#include "components/memo.h"
#include "components/shape.h"
#include "document/class_registry.h"
#include "document/component_registry.h"
#include "document/errors.h"
#include "document/messages.h"
#include "document/report.h"
#include "document/stream_reader.h"
#include "document/stream_text.h"
#include "document/stream_writer.h"

#include <gtest/gtest.h>

using namespace orvane;

namespace {

// A window-like owner that streams the components it owns without a parent.
class TReportHost : public TComponent {
public:
    explicit TReportHost(TComponent* owner = nullptr) : TComponent(owner) {}
    void GetChildren(const TGetChildProc& proc, TComponent*) const override
    {
        for (int i = 0; i < ComponentCount(); ++i)
            if (!Components(i)->HasParent())
                proc(Components(i));
    }
};

struct TReceipt {
    TReportHost host;
    TjxReport* report = nullptr;
    TjxBand* header = nullptr;

    TReceipt()
    {
        report = new TjxReport(&host);
        report->SetName(QStringLiteral("rptReceipt"));
        header = report->CreateBand(btHeader);
        header->SetName(QStringLiteral("jxHeaderBand14"));
        header->SetmmHeight(266171);
    }

    template <class C>
    C* Add(const char* name, const char* userName, TjxBand* band = nullptr)
    {
        auto* c = new C(&host);
        c->SetName(QString::fromLatin1(name));
        c->SetBand(band ? band : header);
        c->SetUserName(QString::fromLatin1(userName));
        return c;
    }
};

void ReceiptText(TjxPrintable* c, const char* caption, int size, int left, int top, int width, int height)
{
    c->SetCaption(QString::fromLatin1(caption));
    c->Font()->SetName(QStringLiteral("Arial"));
    c->Font()->SetSize(size);
    c->Font()->SetColor(clBlack);
    c->SetTransparent(true);
    c->SetBounds(left, top, height, width);
}

QByteArray StreamText(TComponent* c, TComponent* root)
{
    QByteArray text;
    ObjectBinaryToText(WriteComponentToBytes(c, root), text);
    return text;
}

QByteArray Lines(std::initializer_list<const char*> lines)
{
    QByteArray out;
    for (const char* line : lines)
        out += QByteArray(line) + "\r\n";
    return out;
}

const QByteArray kHiddenBorder = Lines({"  Border.BorderPositions = []", "  Border.Color = clBlack",
                                        "  Border.Style = psSolid", "  Border.Visible = False",
                                        "  Border.Weight = 1.000000000000000000"});

// Reads a report stream into a fresh host; the report it holds.
TjxReport* ReadReport(const QByteArray& bytes, TReportHost& host)
{
    return dynamic_cast<TjxReport*>(ReadComponentFromBytes(bytes, nullptr, &host));
}

} // namespace

TEST(ComponentStreaming, ReceiptRowsWriteExactlyTheirNonDefaultValues)
{
    TReceipt r;
    auto* signed_ = r.Add<TjxLabel>("jxLabel191", "jxLabReceiptNumber1");
    ReceiptText(signed_, "Signed: ..............................................................................................",
                10, 1588, 222515, 140759, 12965);
    signed_->SetWordWrap(true);
    EXPECT_EQ(StreamText(signed_, &r.host),
              "object jxLabel191: TjxLabel\r\n"
              "  UserName = 'jxLabReceiptNumber1'\r\n" + kHiddenBorder +
              Lines({"  Caption = ", "    'Signed: ........................................................' +",
                     "    '......................................'", "  Font.Charset = DEFAULT_CHARSET",
                     "  Font.Color = clBlack", "  Font.Name = 'Arial'", "  Font.Size = 10", "  Font.Style = []",
                     "  Transparent = True", "  WordWrap = True", "  mmHeight = 12965", "  mmLeft = 1588",
                     "  mmTop = 222515", "  mmWidth = 140759", "  BandType = 0", "end"}));

    // A centred title that keeps its size: AutoSize false is written, the bold style too.
    auto* title = r.Add<TjxLabel>("jxLabel192", "Label192");
    ReceiptText(title, "Duplicate", 12, 0, 143404, 196057, 5292);
    title->Font()->SetStyle(1u << fsBold);
    title->SetAutoSize(false);
    title->SetTextAlignment(taCentered);
    const QByteArray titleText = StreamText(title, &r.host);
    EXPECT_TRUE(titleText.contains("  AutoSize = False\r\n" + kHiddenBorder + "  Caption = 'Duplicate'\r\n"));
    EXPECT_TRUE(titleText.contains("  Font.Style = [fsBold]\r\n  TextAlignment = taCentered\r\n  Transparent = True\r\n"));

    auto* memo = r.Add<TjxMemo>("jxMemoReceiptFrom", "MemoReceiptFrom");
    ReceiptText(memo, "MemoReceiptFrom", 10, 1588, 173832, 102659, 37571);
    EXPECT_EQ(StreamText(memo, &r.host),
              "object jxMemoReceiptFrom: TjxMemo\r\n"
              "  UserName = 'MemoReceiptFrom'\r\n" + kHiddenBorder +
              Lines({"  Caption = 'MemoReceiptFrom'", "  CharWrap = False", "  Font.Charset = DEFAULT_CHARSET",
                     "  Font.Color = clBlack", "  Font.Name = 'Arial'", "  Font.Size = 10", "  Font.Style = []",
                     "  Transparent = True", "  mmHeight = 37571", "  mmLeft = 1588", "  mmTop = 173832",
                     "  mmWidth = 102659", "  BandType = 0", "  mmBottomOffset = 0", "  mmOverFlowOffset = 0",
                     "  mmStopPosition = 0", "  mmLeading = 0", "end"}));

    auto* line = r.Add<TjxLine>("jxLine64", "Line64");
    line->Pen()->SetStyle(psDashDotDot);
    line->SetBounds(265, 141552, 1588, 202407);
    EXPECT_EQ(StreamText(line, &r.host),
              "object jxLine64: TjxLine\r\n"
              "  UserName = 'Line64'\r\n" + kHiddenBorder +
              Lines({"  Pen.Style = psDashDotDot", "  Weight = 0.750000000000000000", "  mmHeight = 1588",
                     "  mmLeft = 265", "  mmTop = 141552", "  mmWidth = 202407", "  BandType = 0", "end"}));
}

TEST(ComponentStreaming, EveryClassRoundTripsThroughBinaryAndText)
{
    TReceipt r;
    r.report->SetUnits(utMillimeters);
    auto* label = r.Add<TjxLabel>("jxLabel1", "Total");
    label->SetCaption(QStringLiteral("Total: ’é"));
    label->SetAngle(90);
    label->SetRotatedOrigin(120, 340);
    label->SetCharWrap(true);
    label->SetSave(true);
    label->SetSaveLength(12);
    label->SetSaveOrder(3);
    label->SetAnchors((1u << atRight) | (1u << atBottom));
    label->SetAutoSize(false);
    label->Border()->SetBorderPositions((1u << bpLeft) | (1u << bpBottom));
    label->Border()->SetVisible(true);
    label->Border()->SetWeight(2.25f);
    label->SetColor(clYellow);
    label->SetTextAlignment(taRightJustified);
    label->SetVisible(false);
    label->SetTag(7);

    auto* memo = r.Add<TjxMemo>("jxMemo1", "Notes");
    memo->Lines()->SetText(u"first line\r\nsecond line");
    memo->SetCharWrap(true);
    memo->SetmmLeading(500);
    memo->SetKeepTogether(true);
    memo->SetForceJustifyLastLine(true);
    memo->SetTextAlignment(taFullJustified);
    memo->SetmmBottomOffset(1000);
    memo->SetmmOverFlowOffset(2000);
    memo->SetmmStopPosition(3000);
    memo->StoredTabStopPositions()->SetLines({"12700", "25400"});
    auto* below = r.Add<TjxMemo>("jxMemo2", "Below");
    below->SetShiftRelativeTo(memo);

    auto* shape = r.Add<TjxShape>("jxShape1", "Box");
    shape->SetShape(stRoundSquare);
    shape->Brush()->SetColor(clSilver);
    shape->Pen()->SetWidth(3);
    shape->SetParentWidth(true);
    shape->SetStretchWithParent(true);
    shape->SetReprintOnOverFlow(true);

    auto* line = r.Add<TjxLine>("jxLine1", "Rule");
    line->SetPosition(lpRight);
    line->SetStyle(lsDouble);
    line->SetWeight(1.5f);
    line->SetParentHeight(true);

    const QByteArray bytes = WriteComponentToBytes(r.report, &r.host);
    QByteArray text, fromText;
    ObjectBinaryToText(bytes, text);
    ObjectTextToBinary(text, fromText);
    EXPECT_EQ(fromText, bytes);

    TReportHost host;
    TjxReport* copy = ReadReport(fromText, host);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(WriteComponentToBytes(copy, &host), bytes);
    TjxBand* band = copy->FindBand(btHeader);
    ASSERT_EQ(band->ComponentCount(), 5);

    auto* l = dynamic_cast<TjxLabel*>(band->Components(0));
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->Caption(), u"Total: ’é");
    EXPECT_EQ(l->Angle(), 90);
    EXPECT_EQ(l->RotatedOriginLeft(), 120);
    EXPECT_EQ(l->RotatedOriginTop(), 340);
    EXPECT_TRUE(l->CharWrap() && l->Save() && !l->AutoSize() && !l->Visible());
    EXPECT_EQ(l->SaveLength(), 12);
    // The only saved text of its band: order 3 was past the list's end.
    EXPECT_EQ(l->SaveOrder(), 0);
    EXPECT_EQ(l->Anchors(), (1u << atRight) | (1u << atBottom));
    EXPECT_EQ(*l->Border(), *label->Border());
    EXPECT_EQ(l->Color(), clYellow);
    EXPECT_EQ(l->TextAlignment(), taRightJustified);
    EXPECT_EQ(l->Alignment(), taRightJustify);
    EXPECT_EQ(l->Tag(), 7);
    EXPECT_EQ(l->UserName(), u"Total");

    auto* m = dynamic_cast<TjxMemo*>(band->Components(1));
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->Lines()->Lines(), QStringList({"first line", "second line"}));
    EXPECT_TRUE(m->CharWrap() && m->KeepTogether() && m->ForceJustifyLastLine());
    EXPECT_EQ(m->TextAlignment(), taFullJustified);
    EXPECT_EQ(m->mmLeading(), 500);
    EXPECT_EQ(m->mmBottomOffset(), 1000);
    EXPECT_EQ(m->mmOverFlowOffset(), 2000);
    EXPECT_EQ(m->mmStopPosition(), 3000);
    EXPECT_EQ(m->StoredTabStopPositions()->Lines(), QStringList({"12700", "25400"}));
    EXPECT_EQ(m->TabStopPositions()->Lines(), QStringList({"12.7", "25.4"}));  // the report's millimetres
    auto* b = dynamic_cast<TjxMemo*>(band->Components(2));
    EXPECT_EQ(b->ShiftRelativeTo(), m);
    EXPECT_TRUE(m->Stretch());
    ASSERT_EQ(m->Dependents().size(), 1u);

    auto* s = dynamic_cast<TjxShape*>(band->Components(3));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Shape(), stRoundSquare);
    EXPECT_EQ(s->Brush()->Color(), clSilver);
    EXPECT_EQ(s->Pen()->Width(), 3);
    EXPECT_TRUE(s->ParentWidth() && s->StretchWithParent() && s->ReprintOnOverFlow());
    EXPECT_EQ(s->mmWidth(), shape->mmWidth());

    auto* ln = dynamic_cast<TjxLine*>(band->Components(4));
    ASSERT_NE(ln, nullptr);
    EXPECT_EQ(ln->Position(), lpRight);
    EXPECT_EQ(ln->Style(), lsDouble);
    EXPECT_EQ(ln->Weight(), 1.5f);
    EXPECT_EQ(ln->Pen()->Width(), 2);
    EXPECT_TRUE(ln->ParentHeight());
    EXPECT_TRUE(ln->Transparent());
}

TEST(ComponentStreaming, BandTypeAndGroupNoComeFromTheBand)
{
    TReceipt r;
    r.report->EnsureBands();
    for (const char* name : {"Region", "Branch", "Client"}) {
        auto* group = new TjxGroup(&r.host);
        group->SetName(r.report->GetValidName(group));
        group->SetReport(r.report);
        group->SetBreakName(QString::fromLatin1(name));
    }
    r.report->EnsureBands();
    auto* inGroup = r.Add<TjxLabel>("jxLabel1", "Label1", r.report->FindBand(btGroupHeader, 2));
    auto* inDetail = r.Add<TjxLabel>("jxLabel2", "Label2", r.report->FindBand(btDetail));
    const QByteArray groupText = StreamText(inGroup, &r.host);
    EXPECT_TRUE(groupText.contains("  BandType = 3\r\n  GroupNo = 2\r\nend"));
    const QByteArray detailText = StreamText(inDetail, &r.host);
    EXPECT_TRUE(detailText.contains("  BandType = 4\r\nend"));
    EXPECT_FALSE(detailText.contains("GroupNo"));

    // Read back, the label sits in the third group's header again.
    TReportHost host;
    TjxReport* copy = ReadReport(WriteComponentToBytes(r.report, &r.host), host);
    TjxBand* header2 = copy->FindBand(btGroupHeader, 2);
    ASSERT_EQ(header2->ComponentCount(), 1);
    auto* label = dynamic_cast<TjxComponent*>(header2->Components(0));
    EXPECT_EQ(label->Name(), u"jxLabel1");
    EXPECT_EQ(label->Band(), header2);
    EXPECT_EQ(label->GroupNo(), 2);

    // Moving the component moves its band values with it.
    inGroup->SetBand(r.report->FindBand(btGroupFooter, 0));
    EXPECT_EQ(inGroup->BandType(), 5);
    EXPECT_EQ(inGroup->GroupNo(), 0);
    inGroup->SetBand(r.report->CreateBand(btFooter));
    EXPECT_EQ(inGroup->BandType(), 8);
    EXPECT_EQ(inGroup->GroupNo(), -1);

    // The stored values only count for a component read without a band; one
    // read into a band ignores them.
    QByteArray lone;
    ObjectTextToBinary("object jxLabel9: TjxLabel\r\n  BandType = 3\r\n  GroupNo = 2\r\nend\r\n", lone);
    TReportHost host2;
    auto* loose = dynamic_cast<TjxLabel*>(ReadComponentFromBytes(lone, nullptr, &host2));
    EXPECT_EQ(loose->BandType(), 3);
    EXPECT_EQ(loose->GroupNo(), 2);
    auto* placed = dynamic_cast<TjxLabel*>(ReadComponentFromBytes(lone, nullptr, &r.host, r.header));
    EXPECT_EQ(placed->Band(), r.header);
    EXPECT_EQ(placed->BandType(), 0);
    EXPECT_EQ(placed->GroupNo(), -1);
}

TEST(ComponentStreaming, ReadingKeepsStoredLengthsAndTruncatesOldFloats)
{
    // A parent-sized shape still gets its stored geometry back, and a float
    // length of an older stream is cut toward zero.
    QByteArray bytes;
    ObjectTextToBinary("object jxShape1: TjxShape\r\n  ParentWidth = True\r\n  mmHeight = 5000.9\r\n"
                       "  mmLeft = 1234\r\n  mmTop = -10\r\n  mmWidth = 80000\r\nend\r\n",
                       bytes);
    TReportHost host;
    auto* shape = dynamic_cast<TjxShape*>(ReadComponentFromBytes(bytes, nullptr, &host));
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->mmLeft(), 1234);
    EXPECT_EQ(shape->mmWidth(), 80000);
    EXPECT_EQ(shape->mmHeight(), 5000);
    EXPECT_EQ(shape->mmTop(), -10);
    EXPECT_EQ(shape->UserName(), u"Shape1");

    // A label read without a caption keeps it empty: the caption does not
    // follow the user name while reading.
    ObjectTextToBinary("object jxLabel4: TjxLabel\r\n  UserName = 'Label4'\r\nend\r\n", bytes);
    auto* label = dynamic_cast<TjxLabel*>(ReadComponentFromBytes(bytes, nullptr, &host));
    EXPECT_EQ(label->Caption(), u"");
    label->SetCaption(QStringLiteral("Label4"));
    label->SetUserName(QStringLiteral("Amount"));
    EXPECT_EQ(label->Caption(), u"Amount");
    label->SetUserName(QStringLiteral("Total"));
    label->SetCaption(QStringLiteral("Sum"));
    label->SetUserName(QStringLiteral("Grand"));
    EXPECT_EQ(label->Caption(), u"Sum");

    // A legacy "ShiftWithParent" anchors to the bottom instead of the top.
    ObjectTextToBinary("object jxLabel5: TjxLabel\r\n  ShiftWithParent = True\r\nend\r\n", bytes);
    label = dynamic_cast<TjxLabel*>(ReadComponentFromBytes(bytes, nullptr, &host));
    EXPECT_EQ(label->Anchors(), (1u << atLeft) | (1u << atBottom));
}

TEST(ComponentSetters, GeometryRejectsInvalidValues)
{
    TReceipt r;
    const int printable = r.report->PrintableWidth();
    auto* label = r.Add<TjxLabel>("jxLabel1", "Label1");
    label->SetmmLeft(-50);
    label->SetmmTop(-1);
    label->SetmmWidth(-2);
    label->SetmmHeight(-3);
    EXPECT_EQ(label->mmLeft(), 0);
    EXPECT_EQ(label->mmTop(), 0);
    EXPECT_EQ(label->mmWidth(), 0);
    EXPECT_EQ(label->mmHeight(), 0);
    label->SetmmLeft(printable + 5000);
    EXPECT_EQ(label->mmLeft(), printable);

    // Below the band only the designer clamps.
    label->SetmmTop(300000);
    EXPECT_EQ(label->mmTop(), 300000);
    label->SetDesigning(true);
    label->SetmmTop(300001);
    EXPECT_EQ(label->mmTop(), 266171);
    label->SetBounds(-5, 400000, 100, 200);
    EXPECT_EQ(label->mmLeft(), 0);
    EXPECT_EQ(label->mmTop(), 266171);

    // A parent-sized shape takes the band's width and ignores its own.
    auto* shape = r.Add<TjxShape>("jxShape1", "Shape1");
    shape->SetmmLeft(1000);
    shape->SetParentWidth(true);
    EXPECT_EQ(shape->mmLeft(), 0);
    EXPECT_EQ(shape->mmWidth(), printable);
    shape->SetmmLeft(500);
    shape->SetmmWidth(500);
    EXPECT_EQ(shape->mmLeft(), 0);
    EXPECT_EQ(shape->mmWidth(), printable);

    // Anchors to opposite edges are refused.
    label->SetAnchors((1u << atTop) | (1u << atBottom));
    label->SetAnchors((1u << atLeft) | (1u << atRight));
    EXPECT_EQ(label->Anchors(), kDefaultAnchors);
    label->SetShiftWithParent(true);
    EXPECT_EQ(label->Anchors(), (1u << atLeft) | (1u << atBottom));

    // Lengths in the report's units.
    r.report->SetUnits(utMillimeters);
    label->SetLeft(25.4);
    EXPECT_EQ(label->mmLeft(), 25400);
    EXPECT_FLOAT_EQ(float(label->Left()), 25.4f);
    r.report->SetUnits(utInches);
    EXPECT_NEAR(label->Left(), 1.0, 1e-4);
}

TEST(ComponentSetters, TextRules)
{
    TjxLabel label;
    // Angles: a negative angle is a turn more, anything beyond a turn is ignored,
    // and a rotated text never wraps.
    label.SetWordWrap(true);
    label.SetAngle(-90);
    EXPECT_EQ(label.Angle(), 270);
    EXPECT_FALSE(label.WordWrap());
    label.SetAngle(400);
    EXPECT_EQ(label.Angle(), 270);
    label.SetWordWrap(true);
    EXPECT_FALSE(label.WordWrap());
    label.SetAngle(0);
    label.SetWordWrap(true);
    EXPECT_TRUE(label.WordWrap());

    // Full justification is for memos only; Alignment follows TextAlignment and back.
    label.SetTextAlignment(taFullJustified);
    EXPECT_EQ(label.TextAlignment(), taLeftJustified);
    label.SetAlignment(taCenter);
    EXPECT_EQ(label.TextAlignment(), taCentered);
    TjxMemo memo;
    memo.SetTextAlignment(taFullJustified);
    EXPECT_EQ(memo.TextAlignment(), taFullJustified);
    EXPECT_EQ(memo.Alignment(), taLeftJustify);

    // An empty memo caption takes the user name, a different one stays.
    memo.SetUserName(QStringLiteral("Notes"));
    EXPECT_EQ(memo.Caption(), u"Notes");
    memo.SetCaption(QStringLiteral("Remarks"));
    memo.SetUserName(QStringLiteral("Comments"));
    EXPECT_EQ(memo.Caption(), u"Remarks");

    label.SetSaveOrder(-4);
    EXPECT_EQ(label.SaveOrder(), 0);
    EXPECT_TRUE(label.AutoSize());
    EXPECT_FALSE(memo.AutoSize());

    // A line has no background colour; its border ignores negative weights.
    TjxLine line;
    line.SetColor(clRed);
    EXPECT_EQ(line.Color(), clWhite);
    line.Border()->SetWeight(-1.0f);
    EXPECT_EQ(line.Border()->Weight(), 1.0f);
}

TEST(ComponentSetters, LineWeightAndPenWidthFollowEachOther)
{
    TjxLine line;
    EXPECT_EQ(line.Weight(), 0.75f);
    EXPECT_EQ(line.Pen()->Width(), 1);
    line.SetWeight(1.5f);
    EXPECT_EQ(line.Pen()->Width(), 2);
    line.Pen()->SetWidth(4);
    EXPECT_EQ(line.Weight(), 3.0f);
    // 0.375 pt is half a pixel: the tie goes to the even width.
    line.SetWeight(0.375f);
    EXPECT_EQ(line.Pen()->Width(), 0);
    line.SetWeight(-2.0f);
    EXPECT_EQ(line.Weight(), 0.375f);

    // A clear brush makes a shape transparent, and so does reading one.
    TjxShape shape;
    shape.SetBackground(clRed, true);
    EXPECT_TRUE(shape.Transparent());
    EXPECT_EQ(shape.Brush()->Color(), clWhite);
    shape.SetBackground(clRed, false);
    EXPECT_FALSE(shape.Transparent());
    EXPECT_EQ(shape.Brush()->Color(), clRed);
    QByteArray bytes;
    ObjectTextToBinary("object jxShape1: TjxShape\r\n  Brush.Style = bsClear\r\nend\r\n", bytes);
    TReportHost host;
    auto* read = dynamic_cast<TjxShape*>(ReadComponentFromBytes(bytes, nullptr, &host));
    EXPECT_TRUE(read->Transparent());
}

TEST(ComponentSetters, ShiftRelativeToChains)
{
    TReceipt r;
    auto* a = r.Add<TjxMemo>("jxMemo1", "Memo1");
    auto* b = r.Add<TjxMemo>("jxMemo2", "Memo2");
    auto* c = r.Add<TjxMemo>("jxMemo3", "Memo3");
    c->SetReprintOnOverFlow(true);
    c->SetShiftRelativeTo(b);
    b->SetShiftRelativeTo(a);
    EXPECT_FALSE(c->ReprintOnOverFlow());
    EXPECT_TRUE(a->Stretch() && b->Stretch());
    EXPECT_EQ(r.header->PrintHeight(), phDynamic);

    // A cycle is refused and changes nothing.
    try {
        a->SetShiftRelativeTo(c);
        FAIL() << "a cyclic chain was accepted";
    } catch (const EInvalidPropertyError& e) {
        EXPECT_EQ(e.Message(), GetMessage(342));
    }
    EXPECT_EQ(a->ShiftRelativeTo(), nullptr);

    // A target with dependents keeps stretching, and cannot anchor to the bottom.
    a->SetStretch(false);
    EXPECT_TRUE(a->Stretch());
    a->SetAnchors(1u << atBottom);
    EXPECT_EQ(a->Anchors(), kDefaultAnchors);
    // Taking up another setting leaves the chain.
    b->SetStretchWithParent(true);
    EXPECT_EQ(b->ShiftRelativeTo(), nullptr);
    EXPECT_TRUE(a->Dependents().empty());
    EXPECT_TRUE(b->Stretch());  // c still shifts relative to b

    // A destroyed target leaves no dangling link; a target in another band is none.
    delete b;
    EXPECT_EQ(c->ShiftRelativeTo(), nullptr);
    c->SetShiftRelativeTo(a);
    c->SetBand(r.report->CreateBand(btDetail));
    EXPECT_EQ(c->ShiftRelativeTo(), nullptr);
    EXPECT_TRUE(a->Dependents().empty());

    // A stream that closes a cycle loses that link but loads.
    QByteArray bytes;
    ObjectTextToBinary("object rptX: TjxReport\r\n  object jxHeaderBand1: TjxHeaderBand\r\n"
                       "    object jxMemo1: TjxMemo\r\n      ShiftRelativeTo = jxMemo2\r\n    end\r\n"
                       "    object jxMemo2: TjxMemo\r\n      ShiftRelativeTo = jxMemo1\r\n    end\r\n"
                       "  end\r\nend\r\n",
                       bytes);
    TReportHost host;
    TjxReport* report = ReadReport(bytes, host);
    auto* m1 = dynamic_cast<TjxMemo*>(host.FindComponent(u"jxMemo1"));
    auto* m2 = dynamic_cast<TjxMemo*>(host.FindComponent(u"jxMemo2"));
    ASSERT_TRUE(report && m1 && m2);
    EXPECT_EQ(m1->ShiftRelativeTo(), m2);
    EXPECT_EQ(m2->ShiftRelativeTo(), nullptr);
}

TEST(ComponentRegistry, PaletteAndStreamingKnowTheComponents)
{
    const struct {
        const char* cls;
        int position, hint;
    } expected[] = {{"TjxLabel", 0, 172}, {"TjxMemo", 1, 175}, {"TjxShape", 6, 178}, {"TjxLine", 7, 174}};
    for (const auto& e : expected) {
        const TjxRegComponent* reg = RegisteredComponents().Find(QString::fromLatin1(e.cls));
        ASSERT_NE(reg, nullptr) << e.cls;
        EXPECT_EQ(reg->paletteName, u"Standard Components");
        EXPECT_EQ(reg->position, e.position);
        EXPECT_EQ(reg->Hint(), GetMessage(e.hint));
        EXPECT_NE(FindClass(QString::fromLatin1(e.cls)), nullptr);
    }
}

TEST(ComponentStreaming, PipelineNameIsWrittenOnlyWhileBound)
{
    TReceipt r;
    auto* pipeline = new TjxCommunicator(&r.host);
    pipeline->SetName(QStringLiteral("plCustomers"));
    auto* label = r.Add<TjxLabel>("jxLabel1", "Label1");
    label->SetDataPipeline(pipeline);
    EXPECT_TRUE(StreamText(label, &r.host).contains("  DataPipelineName = 'plCustomers'\r\n  mmHeight = "));
    EXPECT_EQ(label->DataPipelineName(), u"plCustomers");

    // The pipeline going away leaves no dangling reference and no stored name.
    delete pipeline;
    EXPECT_EQ(label->DataPipeline(), nullptr);
    EXPECT_FALSE(StreamText(label, &r.host).contains("DataPipelineName"));
}

TEST(ComponentStreaming, OlderLengthsAreConverted)
{
    // Up to version 2096 lengths were screen pixels (only those the stream
    // held: the height it lacks is a default, already in thousandths); line
    // weights followed the pen until version 3000, memo leading was in pixels too.
    QByteArray bytes;
    ObjectTextToBinary("object jxLabel3: TjxLabel\r\n  mmLeft = 96\r\n  mmTop = 48\r\n  mmWidth = 192\r\nend\r\n", bytes);
    TReportHost labelHost;
    auto& label = *dynamic_cast<TjxLabel*>(ReadComponentFromBytes(bytes, nullptr, &labelHost));
    const int defaultHeight = TjxLabel().mmHeight();
    label.ConvertVersion(2096);
    EXPECT_EQ(label.mmLeft(), 25400);
    EXPECT_EQ(label.mmTop(), 12700);
    EXPECT_EQ(label.mmWidth(), 50800);
    EXPECT_EQ(label.mmHeight(), defaultHeight);
    EXPECT_EQ(label.UserName(), u"jxLabel3");
    label.ConvertVersion(2096);
    EXPECT_EQ(label.mmLeft(), 25400) << "converted once";

    ObjectTextToBinary("object jxLine1: TjxLine\r\n  Pen.Width = 2\r\nend\r\n", bytes);
    TReportHost host;
    auto* line = dynamic_cast<TjxLine*>(ReadComponentFromBytes(bytes, nullptr, &host));
    EXPECT_EQ(line->Weight(), 0.75f);
    line->ConvertVersion(3000);
    EXPECT_EQ(line->Weight(), 0.75f);
    line->ConvertVersion(2999);
    EXPECT_EQ(line->Weight(), 1.5f);

    TjxMemo memo;
    memo.SetmmLeading(96);
    memo.ConvertVersion(3000);
    EXPECT_EQ(memo.mmLeading(), 96);
    memo.ConvertVersion(2999);
    EXPECT_EQ(memo.mmLeading(), 25400);
}

TEST(ComponentSetters, DefaultSizesComeFromScreenPixels)
{
    TjxLabel label;
    EXPECT_EQ(label.mmWidth(), 17198);   // 65 screen pixels
    EXPECT_EQ(label.mmHeight(), 4498);   // 17 screen pixels
    TjxLine line;
    EXPECT_EQ(line.mmWidth(), 13229);
    EXPECT_EQ(line.mmHeight(), 3969);
    label.SetmmLeft(-5);
    EXPECT_EQ(label.mmLeft(), 0);
}

TEST(ComponentSaveList, SaveAndSaveOrderKeepTheBandsListNumbered)
{
    TReceipt r;
    auto* a = r.Add<TjxLabel>("jxLabel1", "A");
    auto* b = r.Add<TjxLabel>("jxLabel2", "B");
    auto* c = r.Add<TjxDBText>("jxDBText1", "C");
    auto* loose = r.Add<TjxLabel>("jxLabel3", "Loose");
    const auto list = [&](TjxBand* band) { return SavedComponents(band); };
    using L = std::vector<TjxCustomText*>;

    // Saving appends in the order of the calls, not the drawing order.
    a->SetSave(true);
    c->SetSave(true);
    b->SetSave(true);
    EXPECT_EQ(list(r.header), L({a, c, b}));
    EXPECT_EQ(b->SaveOrder(), 2);
    EXPECT_EQ(loose->SaveOrder(), -1);

    // Moving: negative goes to the front, past the end to the back; the others close up.
    b->SetSaveOrder(-3);
    EXPECT_EQ(list(r.header), L({b, a, c}));
    a->SetSaveOrder(99);
    EXPECT_EQ(list(r.header), L({b, c, a}));
    EXPECT_EQ(a->SaveOrder(), 2);
    c->SetSaveOrder(0);
    EXPECT_EQ(list(r.header), L({c, b, a}));

    // Unsaving removes it and renumbers the rest; an unsaved text's order is only recorded.
    b->SetSave(false);
    EXPECT_EQ(b->SaveOrder(), -1);
    EXPECT_EQ(list(r.header), L({c, a}));
    EXPECT_EQ(a->SaveOrder(), 1);
    b->SetSaveOrder(5);
    EXPECT_EQ(list(r.header), L({c, a}));
    b->SetSave(true);
    EXPECT_EQ(list(r.header), L({c, a, b}));

    // A saved text put in another band joins the end of that band's list.
    TjxBand* detail = r.report->CreateBand(btDetail);
    auto* d = r.Add<TjxLabel>("jxLabel4", "D", detail);
    d->SetSave(true);
    c->SetBand(detail);
    EXPECT_EQ(list(detail), L({d, c}));
    EXPECT_EQ(c->SaveOrder(), 1);
    EXPECT_EQ(list(r.header), L({a, b}));

    // A freed member is simply gone from the list.
    delete a;
    EXPECT_EQ(list(r.header), L({b}));
    b->SetSaveOrder(3);
    EXPECT_EQ(b->SaveOrder(), 0);
}

TEST(ComponentSaveList, AStreamsOrdersAreKeptUntilTheListChanges)
{
    TReceipt r;
    auto* a = r.Add<TjxLabel>("jxLabel1", "A");
    auto* b = r.Add<TjxLabel>("jxLabel2", "B");
    a->SetSave(true);
    b->SetSave(true);
    a->SetSaveOrder(1);
    QByteArray text = StreamText(r.report, &r.host);
    // An older stream with gaps in the orders: B at 7, A at 4.
    text.replace("SaveOrder = 0", "SaveOrder = 7").replace("SaveOrder = 1", "SaveOrder = 4");
    QByteArray bytes;
    ObjectTextToBinary(text, bytes);
    TReportHost host;
    TjxReport* read = ReadReport(bytes, host);
    ASSERT_NE(read, nullptr);
    TjxBand* band = read->Bands()[0];
    auto* ra = dynamic_cast<TjxLabel*>(band->Components(0));
    auto* rb = dynamic_cast<TjxLabel*>(band->Components(1));
    ASSERT_TRUE(ra && rb);
    // Reading records the orders: a load and save gives the same stream.
    EXPECT_EQ(ra->SaveOrder(), 4);
    EXPECT_EQ(rb->SaveOrder(), 7);
    EXPECT_EQ(StreamText(read, &host), text);
    EXPECT_EQ(SavedComponents(band), std::vector<TjxCustomText*>({ra, rb}));
    // The first change numbers the list from 0 again.
    auto* c = new TjxLabel(&host);
    c->SetBand(band);
    c->SetSave(true);
    EXPECT_EQ(ra->SaveOrder(), 0);
    EXPECT_EQ(rb->SaveOrder(), 1);
    EXPECT_EQ(c->SaveOrder(), 2);
}
