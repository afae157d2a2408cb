// What the text components print: their text, their size, their lines, the
// suppression of repeated values and a memo's continuation across pages.

#include "components/db_memo.h"
#include "components/db_text.h"
#include "components/label.h"
#include "components/memo.h"
#include "components/text_production.h"
#include "document/class_registry.h"
#include "document/component_registry.h"
#include "document/messages.h"
#include "engine/memory_pipeline.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QRegularExpression>
#include "tests/support/gui_environment.h"

#include <gtest/gtest.h>

using namespace orvane;

namespace {

// 12 pt at 96 dpi: every character 8 px wide, a line 20 px high.
const TFixedAdvanceMeasurer kFixed{0.5, 1.25};
int Px(double px) { return UnitsToThousandths(float(px), utScreenPixels); }
int PxV(double px) { return UnitsToThousandths(float(px), utScreenPixels, axVertical); }
int Chars(int n) { return Px(8.0 * n); }
int LineH() { return PxV(20); }

class TTextHost : public TComponent {
public:
    explicit TTextHost(TComponent* owner = nullptr) : TComponent(owner) {}
};

template <class C>
C* MakeText(TTextHost& host, const char* name, bool designing = false)
{
    auto* c = new C(&host);
    c->SetName(QString::fromLatin1(name));
    c->SetTextMeasurer(&kFixed);
    c->Font()->SetSize(12);
    // Setters size a text to fit only in the designer.
    if (designing)
        c->IncludeDesignState(dsDesigning);
    return c;
}

QStringList Words(const QString& text)
{
    QString plain = text;
    plain.replace(TjxTextMarkup::ParagraphEnd.toString(), u" "_qs);
    return plain.split(QRegularExpression(u"\\s+"_qs), Qt::SkipEmptyParts);
}

} // namespace

TEST(TextComponentText, GetTextRunsOnGetTextAndItsEventOutsideTheDesigner)
{
    TTextHost host;
    auto* label = MakeText<TjxLabel>(host, "jxLabel1");
    label->SetCaption(u"Total"_qs);
    EXPECT_EQ(label->GetText(), u"Total"_qs);

    TMethod handler;
    handler.name = u"LabelGetText"_qs;
    handler.code = [](TComponent*, TjxEventParams& p) { p.SetValue(u"Text", p.Value(u"Text").toString() + u"!"_qs); };
    label->SetOnGetText(handler);
    TjxCommunicator listener;
    listener.AddEventInterest(ciTextGetText);
    listener.OnEventNotify = [](TjxCommunicator*, int id, TjxEventParams* p) {
        if (id == ciTextGetText)
            p->SetValue(u"Text", u"["_qs + p->Value(u"Text").toString() + u"]"_qs);
    };
    label->AddEventNotify(&listener);
    EXPECT_EQ(label->GetText(), u"[Total!]"_qs);

    // In the designer the caption shows as it is, unless the report prints from there.
    label->IncludeDesignState(dsDesigning);
    EXPECT_EQ(label->GetText(), u"Total"_qs);
    label->SetPrinting(true);
    EXPECT_EQ(label->GetText(), u"[Total!]"_qs);
    label->RemoveEventNotify(&listener);
}

TEST(TextComponentText, DBTextFormatsTheFieldValue)
{
    TTextHost host;
    auto* pipeline = new TjxMemoryPipeline(&host);
    pipeline->SetName(u"plSales"_qs);
    pipeline->AddField(u"qty"_qs, dtInteger);
    pipeline->AddField(u"code"_qs, dtString);
    pipeline->AddField(u"paid"_qs, dtBoolean);
    pipeline->AddField(u"amount"_qs, dtDouble);
    pipeline->AddField(u"due"_qs, dtDate);
    pipeline->AddRow({TVarValue::Integer(0), TVarValue::WideString(u"0"_qs), TVarValue::Boolean(false),
                      TVarValue::Double(1234.4), TVarValue::Null()});
    pipeline->AddRow({TVarValue::Integer(1234), TVarValue::WideString(QString()), TVarValue::Boolean(true),
                      TVarValue::Double(0), TVarValue::Null()});
    auto* text = MakeText<TjxDBText>(host, "jxDBText1");
    text->SetUserName(u"DBText1"_qs);
    text->SetDataPipeline(pipeline);

    // Without data: the user name, then the field's name; nothing while printing.
    EXPECT_EQ(text->GetText(), u"DBText1"_qs);
    text->SetDataField(u"qty"_qs);
    EXPECT_EQ(text->GetText(), u"qty"_qs);
    text->SetPrinting(true);
    EXPECT_EQ(text->GetText(), QString());

    pipeline->Open();
    auto field = [&](const char* name, const char* format = "", bool blank = false) {
        text->SetDataField(QString::fromLatin1(name));
        text->SetDisplayFormat(QString::fromLatin1(format));
        text->SetBlankWhenZero(blank);
        return text->GetText();
    };
    EXPECT_EQ(field("qty"), u"0"_qs);
    EXPECT_EQ(field("qty", "", true), QString());
    // Text reading "0" is not a zero.
    EXPECT_EQ(field("code", "", true), u"0"_qs);
    EXPECT_EQ(field("paid", "Yes;No"), u"No"_qs);
    EXPECT_EQ(field("paid", "OK;"), QString());
    EXPECT_EQ(field("amount", "#,0.00;(#,0.00)"), u"1,234.40"_qs);
    EXPECT_EQ(field("due", "mm/dd/yy"), QString());
    EXPECT_EQ(field("nosuchfield"), QString());

    pipeline->Next();
    EXPECT_EQ(field("qty", "#,0"), u"1,234"_qs);
    EXPECT_EQ(field("paid", "Yes;No"), u"Yes"_qs);
    EXPECT_EQ(field("amount", "0.00", true), QString());
    EXPECT_EQ(field("amount", "0.00"), u"0.00"_qs);

    // OnFormat sees the real format but the default text was made without it.
    QString seenFormat;
    TMethod onFormat;
    onFormat.name = u"TextFormat"_qs;
    onFormat.code = [&](TComponent*, TjxEventParams& p) {
        seenFormat = p.Value(u"DisplayFormat").toString();
        p.SetValue(u"Text", p.Value(u"Text").toString() + u" units"_qs);
    };
    text->SetOnFormat(onFormat);
    EXPECT_EQ(field("qty", "#,0"), u"1234 units"_qs);
    EXPECT_EQ(seenFormat, u"#,0"_qs);
}

TEST(TextComponentText, DBMemoTakesItsLinesFromTheFieldOrOnGetMemo)
{
    TTextHost host;
    auto* pipeline = new TjxMemoryPipeline(&host);
    pipeline->AddField(u"notes"_qs, dtMemo);
    pipeline->AddRow({TVarValue::WideString(u"one\r\ntwo"_qs)});
    pipeline->Open();
    auto* memo = MakeText<TjxDBMemo>(host, "jxDBMemo1");
    memo->SetDataPipeline(pipeline);
    memo->SetDataField(u"notes"_qs);
    EXPECT_EQ(memo->Lines()->Lines(), (QStringList{u"one"_qs, u"two"_qs}));
    EXPECT_EQ(memo->GetText(), u"one\r\ntwo"_qs);

    memo->SetAutoDisplay(false);
    memo->Lines()->SetLines({u"kept"_qs});
    EXPECT_EQ(memo->GetText(), u"kept"_qs);

    TMethod onGetMemo;
    onGetMemo.name = u"MemoGetMemo"_qs;
    onGetMemo.code = [](TComponent*, TjxEventParams& p) {
        static_cast<TStrings*>(p.Value(u"Lines").value<TPersistent*>())->Add(u"from the handler"_qs);
    };
    memo->SetOnGetMemo(onGetMemo);
    memo->SetPrinting(true);
    EXPECT_EQ(memo->GetText(), u"from the handler"_qs);
}

TEST(TextComponentSize, AutoSizeFitsTheTextAndKeepsTheAlignedEdge)
{
    TTextHost host;
    auto* label = MakeText<TjxLabel>(host, "jxLabel1", true);
    label->SetBounds(50000, 1000, 9000, 40000);
    label->SetCaption(u"ABCD"_qs);
    EXPECT_EQ(label->mmLeft(), 50000);
    EXPECT_EQ(label->mmWidth(), Chars(4));
    EXPECT_EQ(label->mmHeight(), LineH());

    // Right-aligned: the right edge stays where it was.
    label->SetAlignment(taRightJustify);
    const int right = label->mmLeft() + label->mmWidth();
    label->SetCaption(u"ABCDEFGH"_qs);
    EXPECT_EQ(label->mmWidth(), Chars(8));
    EXPECT_EQ(label->mmLeft() + label->mmWidth(), right);

    // Centred: the middle stays (halves truncated).
    label->SetAlignment(taCenter);
    const int left = label->mmLeft(), width = label->mmWidth();
    label->SetCaption(u"AB"_qs);
    EXPECT_EQ(label->mmLeft(), left + (width - Chars(2)) / 2);

    // Two lines; a visible border adds its weight once per line drawn.
    label->SetAlignment(taLeftJustify);
    label->Border()->SetWeight(1.5f);
    label->Border()->SetBorderPositions((1u << bpLeft) | (1u << bpTop) | (1u << bpBottom));
    label->Border()->SetVisible(true);
    label->SetCaption(u"AB\r\nABCDE"_qs);
    const int b = Px(2);
    EXPECT_EQ(label->mmWidth(), Chars(5) + b);
    EXPECT_EQ(label->mmHeight(), PxV(40) + 2 * b);

    // Without AutoSize only the height follows, and only without a visible border.
    label->Border()->SetVisible(false);
    label->SetAutoSize(false);
    label->SetBounds(0, 0, 100, 70000);
    label->SetCaption(u"A\r\nB\r\nC"_qs);
    label->SetWordWrap(false);
    label->AdjustBounds();
    EXPECT_EQ(label->mmWidth(), 70000);
    EXPECT_EQ(label->mmHeight(), PxV(60));
}

TEST(TextComponentSize, RightAlignedBoxStaysPutWhenABorderLineIsAdded)
{
    TTextHost host;
    auto* label = MakeText<TjxLabel>(host, "jxLabel1", true);
    label->SetAlignment(taRightJustify);
    label->SetBounds(60000, 0, 5000, 20000);
    label->SetCaption(u"ABC"_qs);
    const int left = label->mmLeft();
    label->Border()->SetVisible(true);
    label->Border()->SetBorderPositions(1u << bpRight);
    EXPECT_EQ(label->mmLeft(), left);
    EXPECT_GT(label->mmWidth(), Chars(3));
}

TEST(TextComponentSize, RotatedAutoSizeSwapsWidthAndHeight)
{
    TTextHost host;
    auto* label = MakeText<TjxLabel>(host, "jxLabel1", true);
    label->SetCaption(u"ABCDEF"_qs);
    const int w = label->mmWidth(), h = label->mmHeight();
    label->SetWordWrap(true);
    label->SetAngle(-270);
    EXPECT_EQ(label->Angle(), 90);
    EXPECT_FALSE(label->WordWrap());
    EXPECT_EQ(label->mmWidth(), h);
    EXPECT_EQ(label->mmHeight(), w);
    label->SetAngle(400);
    EXPECT_EQ(label->Angle(), 90);
    // The text starts at the bottom and runs up.
    EXPECT_EQ(label->RotatedOriginLeft(), label->mmLeft());
    EXPECT_EQ(label->RotatedOriginTop(), label->mmTop() + label->mmHeight());
}

TEST(TextComponentLines, WordAndCharacterWrapFillTheRectangle)
{
    TTextHost host;
    auto* label = MakeText<TjxLabel>(host, "jxLabel1");
    label->SetAutoSize(false);
    label->SetCaption(u"one two three fourfivesix"_qs);
    const TjxRect rect{0, 0, Chars(9), LineH() * 10};
    // A word wider than the line is broken where it stands.
    EXPECT_EQ(label->WrappedText(rect), (QStringList{u"one two"_qs, u"three fou"_qs, u"rfivesix"_qs}));
    label->SetCaption(u"one two three four"_qs);
    EXPECT_EQ(label->WrappedText(rect), (QStringList{u"one two"_qs, u"three"_qs, u"four"_qs}));
    label->SetCharWrap(true);
    EXPECT_EQ(label->WrappedText(rect), (QStringList{u"one two t"_qs, u"hree four"_qs}));
    // The lines that fit, no more.
    EXPECT_EQ(label->WrappedText({0, 0, Chars(9), LineH() - 1}).size(), 0);
    EXPECT_EQ(label->WrappedText({0, 0, Chars(9), LineH()}).size(), 1);

    // CharWrap stays while a report prints.
    label->SetPrinting(true);
    label->SetCharWrap(false);
    EXPECT_TRUE(label->CharWrap());
}

namespace {

// Prints `values` one record after another on pages of `perPage` records and
// returns what printed ("-" for a suppressed value), page by page.
struct TRepeatRun {
    TjxRepeatOptions options;
    std::vector<TjxRepeatState> pageStates;  // state at each page's start

    QStringList Run(TjxRepeatState& state, const QStringList& values, int perPage, int firstPage = 1)
    {
        QStringList printed;
        for (int i = (firstPage - 1) * perPage; i < values.size(); ++i) {
            const int page = i / perPage + 1;
            if (i % perPage == 0) {
                pageStates.push_back(state);
                RepeatPageStart(state, options);
            }
            RepeatRecordChanged(state, values[i], page);
            printed << (RepeatDecidePrint(state, options, values[i], i == 0, page, true) ? values[i] : u"-"_qs);
        }
        return printed;
    }
};

} // namespace

TEST(TextComponentRepeats, RepeatedValuesAreSuppressedAndReprintedPerPage)
{
    const QStringList values{u"A"_qs, u"A"_qs, u"B"_qs, u"B"_qs, u"B"_qs, u"B"_qs, u"Ignore"_qs, u"Ignore"_qs};
    TRepeatRun run;
    TjxRepeatState state;
    ResetPriorValue(state);
    run.options = {true, false};
    EXPECT_EQ(run.Run(state, values, 3), (QStringList{u"A"_qs, u"-"_qs, u"B"_qs, u"-"_qs, u"-"_qs, u"-"_qs,
                                                      u"Ignore"_qs, u"-"_qs}));

    // Reprinted once at the top of every later page.
    TRepeatRun reprint;
    reprint.options = {true, true};
    ResetPriorValue(state);
    const QStringList first = reprint.Run(state, values, 3);
    EXPECT_EQ(first, (QStringList{u"A"_qs, u"-"_qs, u"B"_qs, u"B"_qs, u"-"_qs, u"-"_qs, u"Ignore"_qs, u"-"_qs}));

    // A page regenerated from its saved state prints exactly as it did.
    for (int page = 2; page <= 3; ++page) {
        TRepeatRun again;
        again.options = reprint.options;
        TjxRepeatState restored = reprint.pageStates[size_t(page - 1)];
        EXPECT_EQ(again.Run(restored, values, 3, page), first.mid((page - 1) * 3)) << page;
    }

    // Without suppression every value prints.
    TRepeatRun plain;
    ResetPriorValue(state);
    EXPECT_EQ(plain.Run(state, values, 3), values);
}

TEST(TextComponentRepeats, DBTextSuppressesByItsOwnState)
{
    TTextHost host;
    auto* pipeline = new TjxMemoryPipeline(&host);
    pipeline->AddField(u"city"_qs, dtString);
    for (const char* city : {"Oslo", "Oslo", "Rome"})
        pipeline->AddRow({TVarValue::WideString(QString::fromLatin1(city))});
    pipeline->Open();
    auto* text = MakeText<TjxDBText>(host, "jxDBText1");
    text->SetDataPipeline(pipeline);
    text->SetDataField(u"city"_qs);
    text->SetSuppressRepeatedValues(true);
    text->SetPrinting(true);
    text->ResetPriorValue();
    QStringList printed;
    for (int i = 0; i < 3; ++i, pipeline->Next()) {
        text->RecordChanged(1);
        printed << (text->DecidePrint(i == 0, 1, true) ? text->RepeatState().currentValue : u"-"_qs);
    }
    EXPECT_EQ(printed, (QStringList{u"Oslo"_qs, u"-"_qs, u"Rome"_qs}));
}

namespace {

struct MemoPages : testing::Test {
    TFont font;
    TjxMemoTextStyle style;
    MemoPages()
    {
        font.SetSize(12);
        style.font = &font;
    }
    // A page `chars` wide holding `lines` lines.
    static TjxRect Page(int chars, int lines) { return {0, 0, Chars(chars), LineH() * lines}; }
};

} // namespace

TEST_F(MemoPages, ContinuationSlicesConcatenateToTheText)
{
    const QString text = u"The quick brown fox jumps over the lazy dog.\r\nPack my box with five dozen liquor jugs."_qs;
    QString joined;
    QStringList printedWords;
    int position = 0;
    int pages = 0;
    for (bool complete = false; !complete; ++pages) {
        ASSERT_LT(pages, 3);
        const TjxMemoPage page = LayoutMemoPage(text, Page(12, 3), position, style, kFixed);
        ASSERT_FALSE(page.lines.isEmpty());
        EXPECT_EQ(page.lineHeight, LineH());
        EXPECT_EQ(page.drawHeight, page.lines.size() * LineH());
        joined += text.mid(position, page.endPosition - position);
        printedWords += Words(page.lines.join(u' '));
        complete = page.complete;
        position = page.nextPosition;
    }
    EXPECT_EQ(pages, 3);
    EXPECT_EQ(joined, text);
    EXPECT_EQ(printedWords, Words(text));
    EXPECT_EQ(position, 0);
}

TEST_F(MemoPages, APageWithoutRoomKeepsThePosition)
{
    const QString text = u"alpha beta gamma delta"_qs;
    TjxMemoPage page = LayoutMemoPage(text, Page(11, 1), 0, style, kFixed);
    ASSERT_EQ(page.lines, (QStringList{u"alpha beta"_qs}));
    const int resume = page.nextPosition;
    page = LayoutMemoPage(text, {0, 0, Chars(11), LineH() - 1}, resume, style, kFixed);
    EXPECT_TRUE(page.lines.isEmpty());
    EXPECT_FALSE(page.complete);
    EXPECT_EQ(page.nextPosition, resume);
    page = LayoutMemoPage(text, Page(11, 2), resume, style, kFixed);
    EXPECT_EQ(page.lines, (QStringList{u"gamma delta"_qs}));
    EXPECT_TRUE(page.complete);
}

TEST_F(MemoPages, MemoStretchesOverflowsAndCompletesAtTheLimit)
{
    TTextHost host;
    auto* memo = MakeText<TjxMemo>(host, "jxMemo1");
    memo->SetBounds(0, 0, LineH() * 2, Chars(5));
    memo->Lines()->SetLines({u"aaaa"_qs, u"bbbb"_qs, u"cccc"_qs, u"dddd"_qs});

    // Not stretching: the designed height, what does not fit is dropped.
    memo->ComputeMemoContent(Page(5, 10), false, false);
    EXPECT_EQ(memo->Continuation().printLines, (QStringList{u"aaaa"_qs, u"bbbb"_qs}));
    EXPECT_EQ(memo->Continuation().drawHeight, LineH() * 2);
    EXPECT_FALSE(memo->Continuation().overFlow);

    // Stretching: three lines, then the last one ending exactly at the limit.
    memo->ComputeMemoContent(Page(5, 3), true, false);
    EXPECT_EQ(memo->Continuation().printLines.size(), 3);
    EXPECT_TRUE(memo->Continuation().overFlow);
    memo->ComputeMemoContent(Page(5, 1), true, false);
    EXPECT_EQ(memo->Continuation().printLines, (QStringList{u"dddd"_qs}));
    EXPECT_FALSE(memo->Continuation().overFlow);
    EXPECT_EQ(memo->Continuation().charPos, 0);

    // Kept together: the first attempt moves the whole memo once.
    memo->SetKeepTogether(true);
    memo->ComputeMemoContent(Page(5, 3), true, true);
    EXPECT_TRUE(memo->Continuation().keepTogetherMoved);
    EXPECT_EQ(memo->Continuation().drawHeight, 0);
    EXPECT_EQ(memo->Continuation().charPos, 0);
    memo->ComputeMemoContent(Page(5, 3), true, true);
    EXPECT_EQ(memo->Continuation().printLines.size(), 3);
    EXPECT_GT(memo->Continuation().charPos, 0);
}

TEST(MemoPagesRealFonts, SlicesCoverTheTextWithTheInstalledFonts)
{
    TFont font;
    font.SetName(u"Arial"_qs);
    font.SetSize(10);
    TjxMemoTextStyle style;
    style.font = &font;
    QString text;
    for (int i = 0; i < 40; ++i)
        text += u"Received with thanks the sum of %1 dollars. "_qs.arg(i);
    const TjxRect rect{0, 0, 60000, 30000};
    QString joined;
    QStringList words;
    int position = 0, pages = 0;
    for (bool complete = false; !complete && pages < 100; ++pages) {
        const TjxMemoPage page = LayoutMemoPage(text, rect, position, style, DefaultTextMeasurer());
        ASSERT_FALSE(page.lines.isEmpty());
        joined += text.mid(position, page.endPosition - position);
        words += Words(page.lines.join(u' '));
        complete = page.complete;
        position = page.nextPosition;
    }
    EXPECT_GT(pages, 1);
    EXPECT_EQ(joined, text);
    EXPECT_EQ(words, Words(text));
}

TEST(TextComponentClasses, DataComponentsPublishAndRegister)
{
    const struct {
        const char* cls;
        int position, hint;
    } expected[] = {{"TjxDBText", 0, 167}, {"TjxDBMemo", 1, 166}};
    for (const auto& e : expected) {
        const TjxRegComponent* reg = RegisteredComponents().Find(QString::fromLatin1(e.cls));
        ASSERT_NE(reg, nullptr) << e.cls;
        EXPECT_EQ(reg->paletteName, u"Data Components");
        EXPECT_EQ(reg->position, e.position);
        EXPECT_EQ(reg->Hint(), GetMessage(e.hint));
        EXPECT_NE(FindClass(QString::fromLatin1(e.cls)), nullptr);
    }

    auto names = [](const TClassInfo& info) {
        QStringList list;
        for (const auto& p : info.properties)
            list << p.name;
        return list.join(u',');
    };
    const QString common = u"Name,Tag,UserName,OnPrint,Left,Top,Width,Height,"_qs;
    EXPECT_EQ(names(TjxDBText::StaticClass()),
              common + u"Angle,CharWrap,OnGetText,ReprintOnOverFlow,Save,SaveLength,SaveOrder,Anchors,AutoSize,"
                       u"BlankWhenZero,Border,Color,DataField,DataPipeline,DisplayFormat,Font,OnDrawCommandClick,"
                       u"OnDrawCommandCreate,OnFormat,ParentDataPipeline,ReprintOnSubsequent,ResetGroup,"
                       u"SuppressRepeatedValues,TextAlignment,Transparent,Visible,WordWrap"_qs);
    EXPECT_EQ(names(TjxDBMemo::StaticClass()),
              common + u"ForceJustifyLastLine,KeepTogether,Anchors,AutoDisplay,Border,BottomOffset,CharWrap,Color,"
                       u"DataField,DataPipeline,Font,Leading,OnDrawCommandClick,OnDrawCommandCreate,OnGetMemo,"
                       u"OverFlowOffset,ParentDataPipeline,ReprintOnOverFlow,ShiftRelativeTo,Stretch,"
                       u"SuppressRepeatedValues,TabStopPositions,TextAlignment,Transparent,Visible"_qs);

    TTextHost host;
    TjxDBText text(&host);
    EXPECT_FALSE(text.AutoSize());
    EXPECT_TRUE(text.IsDataAware());
    text.SetUserName(u"DBText1"_qs);
    EXPECT_EQ(text.DisplayName(), u"DBText1"_qs);
}
