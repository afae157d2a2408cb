// Text layout against a fixed-advance measurer (exact) and the real fonts.

#include "components/text_layout.h"
#include "document/graphic_objects.h"

#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QRegularExpression>
#include "tests/support/gui_environment.h"

#include <gtest/gtest.h>

using namespace orvane;

namespace {

// 12 pt at 96 dpi is a 16 px em: every character is 8 px wide and a line 20 px high.
constexpr double kAdvancePx = 8;
constexpr double kLinePx = 20;

int LayoutPx(double px) { return UnitsToThousandths(float(px), utScreenPixels); }
int LayoutChars(int n) { return LayoutPx(kAdvancePx * n); }

struct FixedLayout : testing::Test {
    TFixedAdvanceMeasurer measurer{0.5, 1.25};
    TFont font;
    QStringList tabStops;
    bool charWrap = false;
    TjxTextAlignment alignment = taLeftJustified;
    TjxWrapMetrics metrics;

    FixedLayout() { font.SetSize(12); }

    int LineHeight() const { return LayoutPx(kLinePx); }
    // A box `chars` characters wide and `lines` lines high.
    TjxRect Box(int chars, int lines) const { return TjxRect{0, 0, LayoutChars(chars), LineHeight() * lines}; }

    QStringList Wrap(const QString& text, const TjxRect& rect, int& position)
    {
        QStringList lines;
        metrics = WrapText(text, rect, lines, position, nullptr, tabStops, 0, charWrap, font, false, alignment,
                           measurer);
        return lines;
    }
    QStringList Wrap(const QString& text, int chars, int maxLines = 100)
    {
        int position = 0;
        QStringList lines = Wrap(text, Box(chars, maxLines), position);
        EXPECT_EQ(position, text.size()) << text.toStdString();
        return lines;
    }
};

QStringList Tokens(const QString& text, QList<int>* starts = nullptr)
{
    TjxTextTokenizer tokenizer(text);
    QStringList tokens;
    for (QString t = tokenizer.NextToken(); !t.isEmpty(); t = tokenizer.NextToken()) {
        tokens << t;
        if (starts)
            *starts << tokenizer.TokenStart();
    }
    EXPECT_TRUE(tokenizer.AtEnd());
    EXPECT_EQ(tokenizer.Position(), text.size());
    return tokens;
}

QStringList LayoutWords(const QString& text)
{
    QString plain = text;
    plain.replace(TjxTextMarkup::ParagraphEnd.toString(), u" "_qs);
    return plain.split(QRegularExpression(u"\\s+"_qs), Qt::SkipEmptyParts);
}

// What a text prints, blanks and line breaks aside.
QString Ink(const QStringList& parts)
{
    QString ink = LayoutWords(parts.join(u' ')).join(QString());
    return ink;
}

} // namespace

TEST(TextTokenizer, SplitsWordsBlanksAndEveryKindOfLineBreak)
{
    const QString brk = TjxTextMarkup::LineBreak.toString();
    QList<int> starts;
    EXPECT_EQ(Tokens(u"ab  c\td\r\ne\rf\ng$\u00B6h"_qs, &starts),
              (QStringList{u"ab"_qs, u" "_qs, u" "_qs, u"c"_qs, u"\t"_qs, u"d"_qs, brk, u"e"_qs, brk, u"f"_qs, brk,
                           u"g"_qs, brk, u"h"_qs}));
    EXPECT_EQ(starts, (QList<int>{0, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13, 14, 16}));
    // Half a marker, a lone pilcrow and NUL are ordinary characters of a word.
    EXPECT_EQ(Tokens(u"a$b \u00B6c x\u0000y"_qs), (QStringList{u"a$b"_qs, u" "_qs, u"\u00B6c"_qs, u" "_qs,
                                                               QStringView(u"x\u0000y", 3).toString()}));
    EXPECT_EQ(Tokens(u"\r\n\n$\u00B6"_qs), (QStringList{brk, brk, brk}));
    EXPECT_TRUE(Tokens(QString()).isEmpty());

    TjxTextTokenizer fromMiddle(u"abc def"_qs, 5);
    EXPECT_EQ(fromMiddle.NextToken(), u"ef"_qs);
    EXPECT_EQ(fromMiddle.TokenStart(), 5);
}

TEST_F(FixedLayout, ParagraphEndBreaksLikeCrLf)
{
    EXPECT_EQ(Wrap(u"a$\u00B6b"_qs, 10), Wrap(u"a\r\nb"_qs, 10));
    EXPECT_EQ(Wrap(u"a$\u00B6b"_qs, 10), (QStringList{u"a"_qs, u"b"_qs}));

    // Full justification marks every paragraph's last line, never a wrapped one.
    alignment = taFullJustified;
    const QString marker = TjxTextMarkup::ParagraphEnd.toString();
    EXPECT_EQ(Wrap(u"a$\u00B6b"_qs, 10), (QStringList{u"a"_qs + marker, u"b"_qs + marker}));
    EXPECT_EQ(Wrap(u"aa bb cc\r\ndd"_qs, 5), (QStringList{u"aa bb"_qs, u"cc"_qs + marker, u"dd"_qs + marker}));
    EXPECT_EQ(metrics.widestLine, LayoutChars(5));
}

TEST_F(FixedLayout, EveryLineIncludingTheFirstNeedsItsWholeHeight)
{
    int position = 0;
    EXPECT_EQ(Wrap(u"one two"_qs, Box(3, 1), position), (QStringList{u"one"_qs}));
    EXPECT_EQ(position, 3);
    EXPECT_EQ(metrics.lineHeight, LineHeight());

    TjxRect shorter = Box(3, 1);
    --shorter.bottom;
    position = 0;
    EXPECT_TRUE(Wrap(u"one two"_qs, shorter, position).isEmpty());
    EXPECT_EQ(position, 0);
    position = 4;  // the continuation is kept when nothing fits
    EXPECT_TRUE(Wrap(u"one two"_qs, shorter, position).isEmpty());
    EXPECT_EQ(position, 4);

    position = 0;
    TjxRect offset{0, 5000, LayoutChars(3), 5000 + 2 * LineHeight()};
    EXPECT_EQ(Wrap(u"one two six"_qs, offset, position), (QStringList{u"one"_qs, u"two"_qs}));
    EXPECT_EQ(position, 7);  // at the space that did not fit

    // A word that waits for the next page continues from the space before it.
    position = 0;
    EXPECT_EQ(Wrap(u"one two six"_qs, Box(4, 1), position), (QStringList{u"one"_qs}));
    EXPECT_EQ(position, 3);
    // ...but never from a character printed already: here the tab that waits.
    position = 0;
    EXPECT_EQ(Wrap(u"one\ttwo"_qs, Box(4, 1), position), (QStringList{u"one"_qs}));
    EXPECT_EQ(position, 3);
}

TEST_F(FixedLayout, WrapsAtWordsAndSplitsWordsWiderThanALine)
{
    EXPECT_EQ(Wrap(u"aaa bbb ccc"_qs, 7), (QStringList{u"aaa bbb"_qs, u"ccc"_qs}));
    EXPECT_EQ(Wrap(u"aaa bbb ccc"_qs, 5), (QStringList{u"aaa"_qs, u"bbb"_qs, u"ccc"_qs}));
    EXPECT_EQ(Wrap(u"abcdefghij"_qs, 4), (QStringList{u"abcd"_qs, u"efgh"_qs, u"ij"_qs}));
    // A word that fits no line fills the current one first.
    EXPECT_EQ(Wrap(u"ab cdefghij"_qs, 4), (QStringList{u"ab c"_qs, u"defg"_qs, u"hij"_qs}));

    // Narrower than one character: each line still takes one, so layout advances.
    int position = 0;
    TjxRect sliver = Box(1, 10);
    sliver.right -= 1;
    EXPECT_EQ(Wrap(u"abc"_qs, sliver, position), (QStringList{u"a"_qs, u"b"_qs, u"c"_qs}));
    EXPECT_EQ(position, 3);
    // A surrogate pair is one character here.
    EXPECT_EQ(Wrap(u"\U0001D11Ex"_qs, sliver, position = 0), (QStringList{u"\U0001D11E"_qs, u"x"_qs}));

    // Split by character position when the page fills inside a word.
    position = 0;
    EXPECT_EQ(Wrap(u"abcdefghij"_qs, Box(4, 2), position), (QStringList{u"abcd"_qs, u"efgh"_qs}));
    EXPECT_EQ(position, 8);

    charWrap = true;
    EXPECT_EQ(Wrap(u"aaa bbbbb"_qs, 6), (QStringList{u"aaa bb"_qs, u"bbb"_qs}));
    charWrap = false;
    EXPECT_EQ(Wrap(u"aaa bbbbb"_qs, 6), (QStringList{u"aaa"_qs, u"bbbbb"_qs}));
}

TEST_F(FixedLayout, OneOrTwoSpacesAfterASoftWrapAreDroppedThreeAreKept)
{
    EXPECT_EQ(Wrap(u"aaaaaaaa bb"_qs, 8), (QStringList{u"aaaaaaaa"_qs, u"bb"_qs}));
    EXPECT_EQ(Wrap(u"aaaaaaaa  bb"_qs, 8), (QStringList{u"aaaaaaaa"_qs, u"bb"_qs}));
    EXPECT_EQ(Wrap(u"aaaaaaaa   bb"_qs, 8), (QStringList{u"aaaaaaaa"_qs, u"   bb"_qs}));
    // After a hard break, and in the middle of a line, spaces are the text's own.
    EXPECT_EQ(Wrap(u"a\r\n  b"_qs, 8), (QStringList{u"a"_qs, u"  b"_qs}));
    EXPECT_EQ(Wrap(u"a  b"_qs, 8), (QStringList{u"a  b"_qs}));
    // Trailing spaces are trimmed; spaces left after the last wrap make no line.
    EXPECT_EQ(Wrap(u"aaaa  "_qs, 8), (QStringList{u"aaaa"_qs}));
    EXPECT_EQ(Wrap(u"aaaaaaaa "_qs, 8), (QStringList{u"aaaaaaaa"_qs}));

    // A continuation drops the spaces it starts with.
    int position = 8;
    EXPECT_EQ(Wrap(u"aaaaaaaa bb"_qs, Box(8, 5), position), (QStringList{u"bb"_qs}));
}

TEST_F(FixedLayout, TabsExpandToTheirStops)
{
    // Stops at 48 and 96 px, given in thousandths of a millimetre.
    tabStops = QStringList{QString::number(LayoutPx(48)), u"x"_qs, QString::number(LayoutPx(96))};
    EXPECT_EQ(ConvertTabStops(utScreenPixels, tabStops, nullptr), (std::vector<int>{48, 96}));
    EXPECT_TRUE(ConvertTabStops(utMillimeters, tabStops, nullptr).empty());
    EXPECT_EQ(ConvertTabStops(utScreenPixels, QStringList(150, u"1000"_qs), nullptr).size(), size_t(kMaxTabStops));
    EXPECT_EQ(ConvertTabStops(utScreenPixels, {u"1.5"_qs, u" 1000 "_qs}, nullptr).size(), size_t(1));

    EXPECT_EQ(Wrap(u"ab\tcd\tef"_qs, 14), (QStringList{u"ab\tcd\tef"_qs}));
    EXPECT_EQ(metrics.widestLine, LayoutPx(112));
    EXPECT_EQ(Wrap(u"ab\tcd\tef"_qs, 13), (QStringList{u"ab\tcd\t"_qs, u"ef"_qs}));

    // No stops: every eight average characters; one stop: its multiples; past the last stop: nothing.
    EXPECT_EQ(TabbedWidth(measurer, font, 96, u"ab\tc", {}), 64 + kAdvancePx);
    EXPECT_EQ(TabbedWidth(measurer, font, 96, u"ab\t\tc", {20}), 40 + kAdvancePx);
    EXPECT_EQ(TabbedWidth(measurer, font, 96, u"abcdefg\tc", {20, 40}), 7 * kAdvancePx + kAdvancePx);
}

TEST_F(FixedLayout, PagesByCharacterPositionLoseAndRepeatNothing)
{
    // 16 four-letter words, two to a 9-character line: eight lines, three pages of three.
    QString text;
    for (int i = 0; i < 16; ++i) {
        const QString word = u"w%1"_qs.arg(i, 3, 10, QChar(u'0'));
        text += word;
        if (i == 15)
            break;
        text += i == 5 ? u"\r\n"_qs : i == 9 ? u"$\u00B6"_qs : i == 11 ? u"  "_qs : u" "_qs;
    }
    // Other widths end pages on waiting words, split words and spaces.
    for (int width : {9, 10, 11, 12, 3}) {
        charWrap = width == 11;
        QStringList pageWords;
        QString rejoined;
        int position = 0, pages = 0;
        while (position < text.size() && pages < 20) {
            const int start = position;
            const QStringList lines = Wrap(text, Box(width, 3), position);
            ASSERT_GT(position, start) << width;
            ++pages;
            // A page prints exactly the words of its slice of the text.
            const QString slice = text.mid(start, position - start);
            EXPECT_EQ(Ink(lines), Ink({slice})) << width << ": " << slice.toStdString();
            pageWords << LayoutWords(lines.join(u'\n'));
            rejoined += slice;
        }
        if (width == 9)
            EXPECT_EQ(pages, 3);
        EXPECT_EQ(rejoined, text) << width;
        EXPECT_EQ(Ink(pageWords), Ink({text})) << width;
        if (width != 3 && !charWrap)
            EXPECT_EQ(pageWords, LayoutWords(text)) << width;
    }
}

namespace {

// Wrapping worked out by counting characters, for words between single
// spaces when every character is as wide as every other: a word goes on the
// line when it fits; else it starts the next line when it fits one (no
// CharWrap) or fills the line up and goes on there; a space that does not
// fit ends the line and is dropped.
QStringList ReferenceWrap(const QStringList& words, int width, bool charWrap)
{
    QStringList lines;
    QString line;
    auto push = [&] {
        while (line.endsWith(u' '))
            line.chop(1);
        lines << line;
        line.clear();
    };
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (i > 0) {
            if (line.size() + 1 <= width)
                line += u' ';
            else
                push();
        }
        // The rest of the word is a view: copying it for every line made
        // the reference quadratic in a word of megabytes.
        QStringView rest = words[i];
        while (!rest.isEmpty()) {
            if (line.size() + rest.size() <= width) {
                line += rest;
                break;
            }
            if (!line.isEmpty() && !charWrap && rest.size() <= width) {
                push();
                continue;
            }
            const qsizetype room = width - line.size();
            if (room <= 0) {
                push();
                continue;
            }
            line += rest.left(room);
            rest = rest.mid(room);
            push();
        }
    }
    if (!line.isEmpty())
        push();
    return lines;
}

// Words of 1 to 2 widths and a few much longer, between single spaces.
QStringList RandomWords(QRandomGenerator& random, int width, qsizetype totalChars, qsizetype longWord)
{
    QStringList words;
    qsizetype total = 0;
    while (total < totalChars) {
        qsizetype length = 1 + qsizetype(random.bounded(quint32(2 * width + 3)));
        if (random.bounded(200u) == 0)
            length = longWord;
        QString word(length, QChar(u'a' + int(random.bounded(26u))));
        word[0] = QChar(u'A' + int(words.size() % 26));  // tells the words apart
        words << word;
        total += length + 1;
    }
    return words;
}

} // namespace

TEST_F(FixedLayout, LongTextsAndLongWordsWrapAsCountedByHand)
{
    QRandomGenerator random(2024);
    for (int width : {1, 3, 7, 20, 61}) {
        for (bool wrapChars : {false, true}) {
            charWrap = wrapChars;
            const QStringList words = RandomWords(random, width, 60000, 5000);
            const QString text = words.join(u' ');
            const QStringList expected = ReferenceWrap(words, width, wrapChars);
            ASSERT_EQ(Wrap(text, width, int(expected.size()) + 1), expected) << width << " " << wrapChars;

            // Page by page, seven lines at a time, the same lines come out.
            QStringList paged;
            int position = 0;
            for (int pages = 0; position < text.size() && pages < 100000; ++pages) {
                const int before = position;
                paged << Wrap(text, Box(width, 7), position);
                ASSERT_GT(position, before);
            }
            EXPECT_EQ(paged, expected) << width << " " << wrapChars;
        }
    }

    // One word of two million characters, alone and between others.
    charWrap = false;
    const QString huge(2000000, u'w');
    QStringList expected = ReferenceWrap({huge}, 61, false);
    EXPECT_EQ(expected.size(), 2000000 / 61 + 1);
    EXPECT_EQ(Wrap(huge, 61, int(expected.size()) + 1), expected);
    const QStringList around{u"one"_qs, huge, u"two"_qs, u"three"_qs};
    expected = ReferenceWrap(around, 40, false);
    EXPECT_EQ(Wrap(around.join(u' '), 40, int(expected.size()) + 1), expected);
    // A page of it costs what the page holds: the continuation is where its last line ended.
    int position = 4 + 61 * 1000;
    const QStringList page = Wrap(around.join(u' '), Box(61, 5), position);
    EXPECT_EQ(page, QStringList(5, QString(61, u'w')));
    EXPECT_EQ(position, 4 + 61 * 1005);
    // In a box wider than itself (200,000 characters are some 423 m), it is one line as wide as itself.
    position = 0;
    const QString wide(200000, u'w');
    const QStringList unbounded = Wrap(wide + u"\r\nend"_qs, TjxRect{0, 0, 1 << 29, 1 << 29}, position);
    ASSERT_EQ(unbounded.size(), 2);
    EXPECT_EQ(unbounded[0], wide);
    EXPECT_EQ(metrics.widestLine, LayoutPx(kAdvancePx * wide.size()));
}

TEST_F(FixedLayout, LineCountRoundsAndSurvivesACancellingLeading)
{
    int lineHeight = 0;
    EXPECT_EQ(LineCount(font, 0, nullptr, LayoutPx(100), lineHeight, measurer), 5);
    EXPECT_EQ(lineHeight, LayoutPx(20));
    EXPECT_EQ(LineCount(font, LayoutPx(5), nullptr, LayoutPx(100), lineHeight, measurer), 4);
    EXPECT_EQ(lineHeight, LayoutPx(25));
    EXPECT_EQ(LineCount(font, 0, nullptr, LayoutPx(111), lineHeight, measurer), 6);
    EXPECT_EQ(LineCount(font, -LayoutPx(20), nullptr, LayoutPx(100), lineHeight, measurer), 0);
}

TEST_F(FixedLayout, JustificationSpreadsTheRestOverTheSpaces)
{
    QString line = u"ab cd ef"_qs;
    TjxLineJustification j = JustifyLine(measurer, font, 96, 100, {}, line);
    EXPECT_EQ(line, u"ab cd ef"_qs);
    EXPECT_EQ(j.breakCount, 2);
    EXPECT_DOUBLE_EQ(j.ExtraPerBreak(), (100 - 8 * kAdvancePx) / 2);

    line = u"abc"_qs;
    j = JustifyLine(measurer, font, 96, 100, {}, line);
    EXPECT_EQ(line, u"a b c"_qs);
    EXPECT_EQ(j.breakCount, 2);
    EXPECT_DOUBLE_EQ(j.extra, 100 - 5 * kAdvancePx);

    // Leading spaces are drawn but take no extra; the marker and trailing spaces go.
    line = u"  ab cd  $\u00B6"_qs;
    j = JustifyLine(measurer, font, 96, 100, {}, line);
    EXPECT_EQ(line, u"  ab cd"_qs);
    EXPECT_EQ(j.leadingSpaces, 2);
    EXPECT_EQ(j.breakCount, 1);
    EXPECT_DOUBLE_EQ(j.extra, 100 - 7 * kAdvancePx);

    for (QString nothing : {QString(), u"   "_qs, u"x"_qs}) {
        j = JustifyLine(measurer, font, 96, 100, {}, nothing);
        EXPECT_FALSE(j.Active());
        EXPECT_EQ(j.ExtraPerBreak(), 0);
    }
}

TEST_F(FixedLayout, RotatedTextTakesTheTurnedExtents)
{
    const QString text = u"abcd"_qs;
    const int W = LayoutPx(4 * kAdvancePx), H = LayoutPx(kLinePx);
    TjxBorder border;
    const TjxRect box{1000, 20000, 1000 + W, 20000 + H};

    TjxRotatedText r = SizeRotatedText(text, box, border, taLeftJustified, true, 0, font, measurer);
    EXPECT_EQ(r.box, box);
    EXPECT_EQ(r.originLeft, box.left);
    EXPECT_EQ(r.originTop, box.top);

    for (int angle : {90, -90, 270}) {
        r = SizeRotatedText(text, box, border, taLeftJustified, true, angle, font, measurer);
        EXPECT_EQ(r.box.Width(), H) << angle;
        EXPECT_EQ(r.box.Height(), W) << angle;
    }
    // Reading upwards from the bottom-left corner, which stays put.
    r = SizeRotatedText(text, box, border, taLeftJustified, true, 90, font, measurer);
    EXPECT_EQ(r.box.left, box.left);
    EXPECT_EQ(r.box.bottom, box.bottom);
    EXPECT_EQ(r.originLeft, box.left);
    EXPECT_EQ(r.originTop, box.bottom);
    // Right-aligned keeps the end, which at 90 degrees is at the top right.
    r = SizeRotatedText(text, box, border, taRightJustified, true, 90, font, measurer);
    EXPECT_EQ(r.box.right, box.right);
    EXPECT_EQ(r.box.top, box.top);

    r = SizeRotatedText(text, box, border, taLeftJustified, true, 180, font, measurer);
    EXPECT_EQ(r.box, box);
    EXPECT_EQ(r.originLeft, box.left + W);
    EXPECT_EQ(r.originTop, box.bottom);

    r = SizeRotatedText(text, box, border, taLeftJustified, true, 45, font, measurer);
    EXPECT_EQ(r.width, int(RoundHalfEven(0.707L * W + 0.707L * H)));
    EXPECT_EQ(r.height, r.width);
    border.SetVisible(true);
    border.SetWeight(1);
    const int b = UnitsToThousandths(96.0f / 72.0f, utScreenPixels);
    r = SizeRotatedText(text, box, border, taLeftJustified, true, 90, font, measurer);
    EXPECT_EQ(r.box.Width(), H + 2 * b);
    EXPECT_EQ(r.box.Height(), W + 2 * b);
}

TEST_F(FixedLayout, RotatedTextFitsAFixedBox)
{
    const QString text = u"abcd"_qs;
    const int W = LayoutPx(4 * kAdvancePx), H = LayoutPx(kLinePx);
    const TjxBorder border;

    // Unrotated in a wide box: the line is the box's width; right alignment ends at its right edge.
    const TjxRect wide{0, 0, 4 * W, H};
    TjxRotatedText r = SizeRotatedText(text, wide, border, taRightJustified, false, 0, font, measurer);
    EXPECT_EQ(r.box, wide);
    EXPECT_EQ(r.lineLength, 4 * W);
    EXPECT_EQ(r.originLeft, 3 * W);
    EXPECT_EQ(r.originTop, 0);

    // Upright text in a box lower than wide and narrower than the font is high:
    // the line runs the box's height, nothing divides by a vertical tangent.
    const TjxRect squat{0, 0, H / 2, H / 3};
    for (int angle : {90, 270}) {
        r = SizeRotatedText(text, squat, border, taLeftJustified, false, angle, font, measurer);
        EXPECT_EQ(r.lineLength, squat.Height()) << angle;
        EXPECT_EQ(r.width, H) << angle;
        EXPECT_EQ(r.height, squat.Height()) << angle;
    }

    // Right-aligned upright text in a tall box ends at the top.
    const TjxRect tall{0, 0, H, 3 * W};
    r = SizeRotatedText(text, tall, border, taRightJustified, false, 90, font, measurer);
    EXPECT_EQ(r.originLeft, 0);
    EXPECT_EQ(r.originTop, W);
    r = SizeRotatedText(text, tall, border, taCentered, false, 90, font, measurer);
    EXPECT_EQ(r.originTop, 2 * W);
}

TEST(RealFonts, ArialIsMeasuredAsTheFontItself)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        GTEST_SKIP() << "no GUI application for fonts";
    TFont font;
    font.SetName(u"Arial"_qs);
    font.SetSize(10);
    QFont direct(u"Arial"_qs);
    direct.setPixelSize(-font.Height());  // the font's height at 96 dpi
    EXPECT_EQ(QFontInfo(direct).family(), u"Liberation Sans"_qs);
    const QFontMetrics metrics(direct);

    const TQtTextMeasurer measurer;
    for (const QString& s : {u"W"_qs, u"Hello, world"_qs, u"Trust Account Receipt"_qs, u"0123456789"_qs})
        EXPECT_NEAR(measurer.TextWidth(font, 96, s), metrics.horizontalAdvance(s), 1.0) << s.toStdString();
    EXPECT_NEAR(measurer.LineHeight(font, 96), metrics.ascent() + metrics.descent(), 1.0);
    // Without kerning a line is as wide as its tokens together.
    double sum = 0;
    for (QChar c : u"AVATAR"_qs)
        sum += measurer.TextWidth(font, 96, QStringView(&c, 1));
    EXPECT_NEAR(measurer.TextWidth(font, 96, u"AVATAR"), sum, 0.01);
    // The font follows the resolution, a whole number of pixels high (53 at 384 dpi).
    font.SetPixelsPerInch(384);
    EXPECT_NEAR(measurer.TextWidth(font, 384, u"Hello, world"),
                measurer.TextWidth(font, 96, u"Hello, world") * -font.Height() / 13.0, 2.0);


    // Wrapped with the real font, every line fits and the words survive.
    const QString text = u"The quick brown fox jumps over the lazy dog, twice and again."_qs;
    QStringList lines;
    int position = 0;
    const TjxRect rect{0, 0, 20000, 100000};
    WrapText(text, rect, lines, position, nullptr, {}, 0, false, font, false, taLeftJustified, measurer);
    EXPECT_EQ(position, text.size());
    EXPECT_GT(lines.size(), 1);
    for (const QString& line : lines)
        EXPECT_LE(UnitsToThousandths(float(measurer.TextWidth(font, 96, line)), utScreenPixels), rect.right);
    EXPECT_EQ(lines.join(u' '), text);

    // A word of 300,000 characters breaks where the next character would no longer fit.
    const QString word = QString(300000, u'm') + u"i"_qs.repeated(1000);
    position = 0;
    WrapText(word, TjxRect{0, 0, 150000, 200000000}, lines, position, nullptr, {}, 0, false, font, false,
             taLeftJustified, measurer);
    EXPECT_EQ(position, word.size());
    EXPECT_EQ(lines.join(QString()), word);
    const auto width = [&](const QString& s) { return UnitsToThousandths(float(measurer.TextWidth(font, 96, s)), utScreenPixels); };
    qsizetype offset = 0;
    for (qsizetype i = 0; i + 1 < lines.size(); offset += lines[i++].size()) {
        EXPECT_LE(width(lines[i]), 150000) << i;
        EXPECT_GT(width(lines[i] + word[offset + lines[i].size()]), 150000) << i;
    }
}
