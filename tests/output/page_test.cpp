// Pages as data: command bookkeeping, Assign and Clear, and streams of a page
// with every kind of command through the binary and the text form.

#include "document/errors.h"
#include "document/stream_reader.h"
#include "document/stream_text.h"
#include "document/stream_writer.h"
#include "output/draw_image.h"
#include "output/draw_line.h"
#include "output/draw_other.h"
#include "output/draw_shape.h"
#include "output/page.h"

#include <gtest/gtest.h>

using namespace orvane;

namespace {

// A page holding one command of every class, each with values off their defaults.
void FillPage(TjxPage& page)
{
    page.SetAbsolutePageNo(3);
    page.SetAbsolutePageCount(7);
    page.SetDocumentName(QStringLiteral("Receipts"));
    page.SetPassSetting(psTwoPass);
    page.SetLastPage(true);
    page.SetPrintDateTime(45000.25);
    page.PrinterSetup()->SetCopies(2);

    auto* text = new TjxDrawText;
    text->SetBounds(1000, 2000, 30000, 5000);
    text->SetText(QStringLiteral("Amount: 1,250.00"));
    text->SetTextAlignment(taCentered);
    text->SetAngle(90);
    text->SetRotatedOriginLeft(123);
    text->SetRotatedOriginTop(456);
    text->Font()->SetName(QStringLiteral("Arial"));
    text->Font()->SetSize(14);
    text->WrappedText()->SetLines({QStringLiteral("one"), QStringLiteral("two")});
    text->TabStopPositions()->SetLines({QStringLiteral("5000")});
    text->SetClickable(true);
    text->Border()->SetVisible(true);
    text->Border()->SetBorderPositions(1u << bpLeft | 1u << bpBottom);
    text->SetBandSaveNo(4);
    page.AddDrawCommand(text);

    auto* var = new TjxDrawVar;
    var->SetVarType(vtPageNo);
    var->SetText(QStringLiteral("3"));
    page.AddDrawCommand(var);
    auto* calc = new TjxDrawCalc;
    calc->SetCalcType(ctPageSet);
    page.AddDrawCommand(calc);
    page.AddDrawCommand(new TjxDrawVariable);

    auto* shape = new TjxDrawShape;
    shape->SetShapeType(stRoundRect);
    shape->SetXCornerRound(2500);
    shape->Brush()->SetColor(clYellow);
    shape->Pen()->SetWidth(3);
    page.AddDrawCommand(shape);

    auto* line = new TjxDrawLine;
    line->SetLinePosition(lpRight);
    line->SetLineStyle(lsDouble);
    line->SetWeight(1.5f);
    page.AddDrawCommand(line);

    auto* image = new TjxDrawImage;
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(Qt::red);
    picture.setPixel(2, 1, qRgb(0, 0, 255));
    image->Picture()->SetImage(picture);
    image->SetStretch(true);
    image->SetImageName(QStringLiteral("logo"));
    page.AddDrawCommand(image);

    auto* rich = new TjxDrawRichText;
    rich->SetRichTextStream(QByteArray("{\\rtf1 hello}"));
    rich->SetEndCharPos(5);
    page.AddDrawCommand(rich);

    auto* barcode = new TjxDrawBarCode;
    barcode->SetBarCodeType(bcCode128);
    barcode->SetData(QStringLiteral("ABC-123"));
    barcode->SetWideBarRatio(2.5f);
    page.AddDrawCommand(barcode);

    auto* outline = new TjxOutlineDrawCommand;
    outline->SetCompleted(true);
    TjxOutlineNode* root = outline->CreateRoot();
    root->SetNodeType(ntRoot);
    root->SetCaption(QStringLiteral("Report"));
    TjxOutlineNode* child = root->AddNode();
    child->SetCaption(QStringLiteral("Page 3"));
    child->SetPageReference(3);
    page.AddDrawCommand(outline);
}

void ExpectSamePage(const TjxPage& a, const TjxPage& b)
{
    EXPECT_EQ(a.AbsolutePageNo(), b.AbsolutePageNo());
    EXPECT_EQ(a.AbsolutePageCount(), b.AbsolutePageCount());
    EXPECT_EQ(a.DocumentName(), b.DocumentName());
    EXPECT_EQ(a.PassSetting(), b.PassSetting());
    EXPECT_EQ(a.LastPage(), b.LastPage());
    EXPECT_EQ(a.Color(), b.Color());
    EXPECT_DOUBLE_EQ(a.PrintDateTime(), b.PrintDateTime());
    EXPECT_EQ(a.PrinterSetup()->Copies(), b.PrinterSetup()->Copies());
    ASSERT_EQ(a.DrawCommandCount(), b.DrawCommandCount());
    for (int i = 0; i < a.DrawCommandCount(); ++i) {
        const TjxDrawCommand* x = a.DrawCommand(i);
        const TjxDrawCommand* y = b.DrawCommand(i);
        ASSERT_EQ(x->ClassInfo().className, y->ClassInfo().className);
        EXPECT_EQ(y->Page(), &b);
        EXPECT_EQ(x->Clickable(), y->Clickable()) << i;
        EXPECT_EQ(x->DataType(), y->DataType()) << i;
        // Clock variables compare equal whatever they hold; everything else must match.
        EXPECT_TRUE(y->IsSameAs(x)) << x->ClassInfo().className.toStdString();
    }
    const auto* ta = static_cast<const TjxDrawText*>(a.DrawCommand(0));
    const auto* tb = static_cast<const TjxDrawText*>(b.DrawCommand(0));
    EXPECT_EQ(tb->Angle(), 90);
    EXPECT_EQ(tb->RotatedOriginLeft(), ta->RotatedOriginLeft());
    EXPECT_EQ(tb->RotatedOriginTop(), ta->RotatedOriginTop());
    EXPECT_EQ(tb->Font()->Name(), QStringLiteral("Arial"));
    EXPECT_EQ(tb->Alignment(), taCenter);
    EXPECT_EQ(tb->Border()->BorderPositions(), ta->Border()->BorderPositions());
    EXPECT_EQ(tb->SaveKey(), ta->SaveKey());
    EXPECT_EQ(static_cast<const TjxDrawVar*>(b.DrawCommand(1))->VarType(), vtPageNo);
    EXPECT_EQ(static_cast<const TjxDrawCalc*>(b.DrawCommand(2))->CalcType(), ctPageSet);
    EXPECT_EQ(static_cast<const TjxDrawLine*>(b.DrawCommand(5))->Weight(), 1.5f);
    const auto* ia = static_cast<const TjxDrawImage*>(a.DrawCommand(6));
    const auto* ib = static_cast<const TjxDrawImage*>(b.DrawCommand(6));
    EXPECT_EQ(ib->Picture()->Graphic()->Image().convertToFormat(QImage::Format_RGB32),
              ia->Picture()->Graphic()->Image().convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(ib->ImageName(), QStringLiteral("logo"));
    EXPECT_EQ(static_cast<const TjxDrawRichText*>(b.DrawCommand(7))->RichTextStream(), QByteArray("{\\rtf1 hello}"));
    EXPECT_EQ(static_cast<const TjxDrawBarCode*>(b.DrawCommand(8))->Data(), QStringLiteral("ABC-123"));
    const TjxOutlineDrawCommand* outline = b.OutlineDrawCommand();
    ASSERT_NE(outline, nullptr);
    ASSERT_NE(outline->Root(), nullptr);
    EXPECT_EQ(outline->Root()->NodeCount(), 1);
    EXPECT_EQ(outline->Root()->Node(0)->PageReference(), 3);
    // The clickable list is rebuilt for commands read from a stream.
    EXPECT_EQ(b.ClickableCount(), a.ClickableCount());
    EXPECT_EQ(b.UpdateableCount(), a.UpdateableCount());
}

} // namespace

TEST(Page, StreamsEveryCommandThroughBinaryAndTextForm)
{
    TjxPage page;
    FillPage(page);
    const QByteArray binary = WriteComponentToBytes(&page);
    QByteArray text;
    ObjectBinaryToText(binary, text);

    // Defaults are left out, white is always written, the rotated origin only with an angle.
    EXPECT_TRUE(text.contains("Color = 16777215")) << text.constData();
    EXPECT_TRUE(text.contains("RotatedOriginLeft = 123"));
    EXPECT_TRUE(text.contains("Border.Visible = True"));
    EXPECT_TRUE(text.contains("Picture.Data = {"));
    EXPECT_TRUE(text.contains("RTFStream = {"));
    EXPECT_TRUE(text.contains("ShapeType = stRoundRect"));
    EXPECT_FALSE(text.contains("TextAlignment = taLeftJustified"));
    EXPECT_FALSE(text.contains("PageDef"));
    EXPECT_EQ(text.count("DataType = dtGraphic"), 0);  // the graphic commands' own default
    EXPECT_EQ(text.count("object "), 13);              // page, ten commands, outline root and its child
    EXPECT_EQ(text.count("Border.Visible"), 1);         // borders that do not show are not stored

    TjxPage fromBinary;
    ReadComponentFromBytes(binary, &fromBinary);
    ExpectSamePage(page, fromBinary);

    QByteArray back;
    ObjectTextToBinary(text, back);
    EXPECT_EQ(back, binary);
    TjxPage fromText;
    ReadComponentFromBytes(back, &fromText);
    ExpectSamePage(page, fromText);
}

TEST(Page, ReadsOlderAlignmentAndSkipsRotatedOriginWithoutAngle)
{
    TjxPage page;
    auto* text = new TjxDrawText;
    text->SetRotatedOriginLeft(500);
    page.AddDrawCommand(text);
    QByteArray stream;
    ObjectBinaryToText(WriteComponentToBytes(&page), stream);
    EXPECT_FALSE(stream.contains("RotatedOrigin"));

    stream.replace("object TjxDrawText", "object TjxDrawText\n      Alignment = taRightJustify");
    QByteArray binary;
    ObjectTextToBinary(stream, binary);
    TjxPage read;
    ReadComponentFromBytes(binary, &read);
    const auto* t = static_cast<TjxDrawText*>(read.DrawCommand(0));
    EXPECT_EQ(t->TextAlignment(), taRightJustified);
    EXPECT_EQ(t->Alignment(), taRightJustify);
}

TEST(Page, ClickableAndUpdateableListsFollowTheCommands)
{
    TjxPage page;
    EXPECT_EQ(page.ClickableCount(), 0);
    EXPECT_FALSE(page.HasClickableList());
    EXPECT_EQ(page.ClickableAt(0), nullptr);

    auto* clickable = new TjxDrawShape;
    clickable->SetClickable(true);
    clickable->SetPage(&page);
    EXPECT_EQ(clickable->Owner(), &page);
    EXPECT_EQ(page.ClickableCount(), 1);
    EXPECT_EQ(page.ClickableAt(0), clickable);

    auto* pageNo = new TjxDrawVar;
    pageNo->SetVarType(vtPageNo);
    auto* date = new TjxDrawVar;
    page.AddDrawCommand(pageNo);
    page.AddDrawCommand(date);
    EXPECT_EQ(page.UpdateableCount(), 1);
    EXPECT_EQ(page.UpdateableAt(0), pageNo);

    // Moving a command to another page takes it out of this one's lists.
    TjxPage other;
    clickable->SetPage(&other);
    EXPECT_FALSE(page.HasClickableList());
    EXPECT_EQ(other.ClickableCount(), 1);
    EXPECT_EQ(clickable->Owner(), &other);
    EXPECT_EQ(page.DrawCommandCount(), 2);

    // Destroying a command detaches it.
    delete pageNo;
    EXPECT_FALSE(page.HasUpdateableList());
    EXPECT_EQ(page.DrawCommandCount(), 1);
    page.RemoveDrawCommand(date);
    EXPECT_EQ(date->Page(), nullptr);
    EXPECT_EQ(date->Owner(), nullptr);
    delete date;
}

TEST(Page, SecondOutlineCommandIsRefused)
{
    TjxPage page;
    page.AddDrawCommand(new TjxOutlineDrawCommand);
    auto* second = new TjxOutlineDrawCommand;
    EXPECT_THROW(page.AddDrawCommand(second), EOutlineError);
    EXPECT_EQ(page.DrawCommandCount(), 1);
    EXPECT_EQ(second->Page(), nullptr);
    delete second;
    EXPECT_EQ(page.FindDrawCommand(TjxDrawCommand::StaticClass()), page.OutlineDrawCommand());
}

TEST(Page, AssignCopiesCommandsAndClearResetsNumbers)
{
    TjxPage source;
    FillPage(source);
    source.DrawCommand(0)->SetTag(42);
    TjxPage copy;
    copy.AddDrawCommand(new TjxDrawLine);
    copy.Assign(&source);
    ExpectSamePage(source, copy);
    EXPECT_EQ(copy.DrawCommand(0)->Tag(), 42);
    EXPECT_NE(copy.DrawCommand(0), source.DrawCommand(0));
    EXPECT_EQ(source.DrawCommandCount(), 10);  // the source keeps its own commands
    EXPECT_NE(copy.PrinterSetup(), source.PrinterSetup());

    TjxDrawLine notAPage;
    EXPECT_THROW(copy.Assign(&notAPage), EConvertError);

    copy.Clear();
    EXPECT_EQ(copy.DrawCommandCount(), 0);
    EXPECT_EQ(copy.ClickableCount(), 0);
    EXPECT_EQ(copy.AbsolutePageNo(), 0);
    EXPECT_EQ(copy.DocumentName(), QString());
    EXPECT_FALSE(copy.LastPage());
    EXPECT_EQ(copy.PassSetting(), psTwoPass);  // not among the values Clear resets
    copy.SetAbsolutePageNo(2);
    copy.SetAbsolutePageCount(9);
    EXPECT_EQ(copy.PageOfPagesText(), QStringLiteral("Page 2 of 9"));
    EXPECT_EQ(copy.PageNumberText(), QStringLiteral("Page 2"));
}

TEST(DrawCommand, SameAsRules)
{
    TjxDrawVar date, time;
    date.SetVarType(vtDate);
    date.SetText(QStringLiteral("1/2/2025"));
    time.SetVarType(vtTime);
    time.SetText(QStringLiteral("10:00"));
    time.SetLeft(999);
    EXPECT_TRUE(date.IsSameAs(&time));

    TjxDrawVar a, b;
    a.SetVarType(vtPageNo);
    b.SetVarType(vtPageNo);
    a.SetText(QStringLiteral("1"));
    b.SetText(QStringLiteral("2"));
    EXPECT_FALSE(a.IsSameAs(&b));
    b.SetText(QStringLiteral("1"));
    EXPECT_TRUE(a.IsSameAs(&b));

    TjxDrawText t1, t2;
    t2.Font()->SetSize(9);
    EXPECT_FALSE(t1.IsSameAs(&t2));
    TjxDrawShape s1, s2;
    s2.Pen()->SetWidth(2);
    EXPECT_FALSE(s1.IsSameAs(&s2));
    EXPECT_FALSE(s1.IsSameAs(&t1));
}
