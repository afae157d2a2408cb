// The layout measures a line as it grows and halves its way into long words;
// it must break exactly where measuring every candidate line whole breaks.
// The whole-line wrapper below is that plain rule, kept as the reference, and
// both run over texts made to be awkward: long words, tabs, every kind of
// line break, empty lines, runs of spaces, surrogate pairs, in the installed
// fonts and in the fixed-advance measurer.

#include "components/text_layout.h"
#include "document/units.h"

#include <QGuiApplication>
#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace orvane;

namespace {

struct TReferenceResult {
    QStringList lines;
    int position = 0;
    TjxWrapMetrics metrics;
};

// Every decision measures the whole candidate line, tabs expanded.
TReferenceResult WholeLineWrap(const QString& text, const TjxRect& rect, int position, const QStringList& tabStops,
                               bool charWrap, const TFont& font, bool autoSize, TjxTextAlignment alignment,
                               const TTextMeasurer& measurer)
{
    TReferenceResult result;
    const std::vector<int> tabs = ConvertTabStops(utScreenPixels, tabStops, nullptr);
    const auto width = [&](const QString& s) {
        return UnitsToThousandths(float(TabbedWidth(measurer, font, kScreenPixelsPerInch, s, tabs)), utScreenPixels);
    };
    // Widths grow with length: halving finds the longest prefix that fits.
    const auto fittingPrefix = [&](const QString& line, const QString& token, int available) {
        qsizetype lo = 0, hi = token.size();
        while (lo < hi) {
            const qsizetype mid = (lo + hi + 1) / 2;
            if (width(line + token.left(mid)) <= available)
                lo = mid;
            else
                hi = mid - 1;
        }
        if (lo > 0 && lo < token.size() && token[lo - 1].isHighSurrogate())
            --lo;
        return lo;
    };

    const int lineHeight =
        UnitsToThousandths(float(measurer.LineHeight(font, kScreenPixelsPerInch)), utScreenPixels, axVertical);
    result.metrics.lineHeight = lineHeight;
    const int slack = autoSize ? int(RoundHalfEven(0.3L * width(u" "_qs))) : 0;
    const int available = rect.right - rect.left + slack;
    result.position = position;
    if (int64_t(rect.top) + lineHeight > rect.bottom)
        return result;

    const int start = std::clamp(position, 0, int(text.size()));
    TjxTextTokenizer tokenizer(text, start);
    bool justWrapped = start != 0;
    int spaces = 0;
    QString line;
    bool full = false;
    int pos = start;
    QStringList& lines = result.lines;
    auto addLine = [&](QString added, bool paragraphEnd) {
        if (added.endsWith(TjxTextMarkup::Space)) {
            qsizetype n = added.size();
            while (n > 0 && added[n - 1].unicode() <= u' ')
                --n;
            added.truncate(n);
        }
        result.metrics.widestLine = std::max(result.metrics.widestLine, width(added));
        if (paragraphEnd)
            added += TjxTextMarkup::ParagraphEnd;
        lines.append(added);
        justWrapped = true;
        full = int64_t(rect.top) + int64_t(lines.size() + 1) * lineHeight > rect.bottom;
    };
    QString pending, waiting;
    int pendingStart = 0, waitingStart = 0;
    auto waitingContinuation = [&] {
        if (waiting != TjxTextMarkup::Space && waitingStart > 0 && text[waitingStart - 1] == TjxTextMarkup::Space)
            return waitingStart - 1;
        return waitingStart;
    };
    auto wait = [&](const QString& token, int tokenStart) {
        addLine(line, false);
        line.clear();
        waiting = token;
        waitingStart = tokenStart;
        pos = full ? waitingContinuation() : tokenStart;
    };

    QString token = tokenizer.NextToken();
    int tokenStart = tokenizer.TokenStart();
    while (!token.isEmpty() && !full) {
        if (token == TjxTextMarkup::LineBreak) {
            addLine(line, alignment == taFullJustified);
            pos = tokenizer.Position();
            line.clear();
            justWrapped = false;
            spaces = 0;
        } else {
            if (justWrapped) {
                if (token == TjxTextMarkup::Space) {
                    if (++spaces >= 3) {
                        justWrapped = false;
                        spaces = 0;
                    }
                } else {
                    line.remove(0, spaces);
                    spaces = 0;
                    justWrapped = false;
                }
            }
            if (width(line + token) <= available) {
                line += token;
            } else if (!charWrap && !line.isEmpty() && width(token) <= available) {
                wait(token, tokenStart);
            } else {
                qsizetype n = fittingPrefix(line, token, available);
                if (n == 0 && !line.isEmpty()) {
                    wait(token, tokenStart);
                } else {
                    if (n == 0)
                        n = token.size() > 1 && token[0].isHighSurrogate() ? 2 : 1;
                    line += token.left(n);
                    pos = tokenStart + int(n);
                    if (n < token.size()) {
                        pending = token.mid(n);
                        pendingStart = pos;
                    }
                    addLine(line, false);
                    line.clear();
                }
            }
        }
        if (full)
            break;
        if (!pending.isEmpty()) {
            token = std::exchange(pending, QString());
            tokenStart = pendingStart;
        } else if (!waiting.isEmpty()) {
            token = std::exchange(waiting, QString());
            tokenStart = waitingStart;
        } else {
            token = tokenizer.NextToken();
            tokenStart = tokenizer.TokenStart();
        }
    }
    if (!full) {
        if (!line.isEmpty() && !(justWrapped && line.size() == spaces))
            addLine(line, alignment == taFullJustified);
        pos = tokenizer.Position();
    }
    result.position = pos;
    return result;
}

// A text of awkward pieces: words short and long (some longer than any line,
// a few past a thousand characters), runs of spaces, tabs, CR LF, lone CR and
// LF, LF CR, the paragraph-end marker, empty lines, characters outside the
// basic plane and letters of differing widths.
QString AwkwardText(QRandomGenerator& random, qsizetype length)
{
    static const QStringList letters{u"i"_qs, u"l"_qs, u"m"_qs, u"W"_qs, u"a"_qs, u"e"_qs, u"f"_qs, u"."_qs,
                                     u"1"_qs, u"\u00e9"_qs, u"\U0001F600"_qs, u"\u4e2d"_qs, u"-"_qs};
    static const QStringList breaks{u" "_qs,    u"  "_qs,   u"   "_qs,   u"    "_qs, u"\t"_qs,
                                    u"\t\t"_qs, u" \t "_qs, u"\r\n"_qs, u"\r"_qs,   u"\n"_qs,
                                    u"\n\r"_qs, u"\r\n\r\n"_qs, u"\n\n\n"_qs, u"$\u00B6"_qs, u" \r\n "_qs};
    QString text;
    while (text.size() < length) {
        qsizetype wordLength = 1 + random.bounded(12);
        const quint32 kind = random.bounded(40u);
        if (kind == 0)
            wordLength = 1000 + random.bounded(1500);
        else if (kind < 5)
            wordLength = 20 + random.bounded(120);
        QString word;
        const bool plain = random.bounded(2u) == 0;
        const QString letter = letters[random.bounded(qsizetype(letters.size()))];
        for (qsizetype i = 0; i < wordLength; ++i)
            word += plain ? letter : letters[random.bounded(qsizetype(letters.size()))];
        text += word;
        // Mostly a single space, as real text has.
        text += random.bounded(3u) != 0 ? u" "_qs : breaks[random.bounded(qsizetype(breaks.size()))];
    }
    return text;
}

struct TCase {
    int width = 0;
    int lines = 0;
    QStringList tabStops;
    bool charWrap = false;
    bool autoSize = false;
    TjxTextAlignment alignment = taLeftJustified;
};

// The text laid out page by page in both ways: every page's lines, position and widest line agree.
void ExpectSameLayout(const QString& text, const TCase& c, const TFont& font, const TTextMeasurer& measurer,
                      const std::string& what)
{
    const TjxRect rect{0, 0, c.width,
                       c.lines * UnitsToThousandths(float(measurer.LineHeight(font, kScreenPixelsPerInch)),
                                                    utScreenPixels, axVertical)};
    int position = 0;
    for (int page = 0; page < 100000; ++page) {
        const TReferenceResult expected =
            WholeLineWrap(text, rect, position, c.tabStops, c.charWrap, font, c.autoSize, c.alignment, measurer);
        QStringList lines;
        int actualPosition = position;
        const TjxWrapMetrics metrics = WrapText(text, rect, lines, actualPosition, nullptr, c.tabStops, 0, c.charWrap,
                                                font, c.autoSize, c.alignment, measurer);
        ASSERT_EQ(lines, expected.lines) << what << " width " << c.width << " page " << page << " from " << position;
        ASSERT_EQ(actualPosition, expected.position) << what << " width " << c.width << " page " << page;
        ASSERT_EQ(metrics.widestLine, expected.metrics.widestLine) << what << " width " << c.width;
        ASSERT_EQ(metrics.lineHeight, expected.metrics.lineHeight) << what;
        if (actualPosition >= text.size() || actualPosition == position)
            return;
        position = actualPosition;
    }
}

std::vector<TCase> Cases(QRandomGenerator& random, int count)
{
    static const std::vector<QStringList> tabChoices{
        {}, {u"12700"_qs}, {u"5000"_qs, u"12000"_qs, u"30000"_qs}, {u"0"_qs}, {u"40000"_qs, u"41000"_qs}};
    static const TjxTextAlignment alignments[] = {taLeftJustified, taRightJustified, taCentered, taFullJustified};
    std::vector<TCase> cases;
    for (int i = 0; i < count; ++i) {
        TCase c;
        // From under a character to a wide page, in thousandths of mm.
        c.width = random.bounded(6u) == 0 ? int(random.bounded(1, 3000)) : int(random.bounded(3000, 200000));
        c.lines = int(random.bounded(1, 40));
        c.tabStops = tabChoices[random.bounded(quint32(tabChoices.size()))];
        c.charWrap = random.bounded(3u) == 0;
        c.autoSize = random.bounded(4u) == 0;
        c.alignment = alignments[random.bounded(4u)];
        cases.push_back(c);
    }
    return cases;
}

} // namespace

TEST(WrapEquality, InstalledFontsBreakWhereWholeLinesWould)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        GTEST_SKIP() << "no GUI application for fonts";
    const TQtTextMeasurer measurer;
    QRandomGenerator random(31);
    int round = 0;
    for (const QString& name : {u"Arial"_qs, u"Times New Roman"_qs, u"Courier New"_qs}) {
        for (int size : {7, 10, 13}) {
            TFont font;
            font.SetName(name);
            font.SetSize(size);
            font.SetStyle(size == 13 ? TFontStyles(1u << fsBold) : TFontStyles(0));
            for (const TCase& c : Cases(random, 4)) {
                const QString text = AwkwardText(random, 2000);
                ExpectSameLayout(text, c, font, measurer,
                                 (name + u' ' + QString::number(size) + u" #"_qs + QString::number(round++)).toStdString());
                if (testing::Test::HasFatalFailure())
                    return;
            }
        }
    }
}

TEST(WrapEquality, FixedAdvancesBreakWhereWholeLinesWould)
{
    const TFixedAdvanceMeasurer measurer{0.5, 1.25};
    TFont font;
    font.SetSize(12);
    QRandomGenerator random(57);
    for (const TCase& c : Cases(random, 40)) {
        ExpectSameLayout(AwkwardText(random, 3000), c, font, measurer, "fixed");
        if (HasFatalFailure())
            return;
    }
}

TEST(WrapEquality, HandPickedTextsBreakWhereWholeLinesWould)
{
    const TFixedAdvanceMeasurer fixed{0.5, 1.25};
    const TQtTextMeasurer installed;
    const bool fonts = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    TFont font;
    font.SetName(u"Arial"_qs);
    font.SetSize(10);
    // Past the length from which a word is measured by growing prefixes.
    const QString longWord = QString(1100, u'm') + u"iii"_qs;
    const QStringList texts{
        QString(),
        u" "_qs,
        u"\r\n"_qs,
        u"\r\n\r\n\r\n"_qs,
        u"\n\r\r\n\n"_qs,
        u"   leading and trailing   "_qs,
        u"one\ttwo\t\tthree\t"_qs,
        u"\tstarts with a tab\r\n\tand again\n\n\tand once more"_qs,
        u"a$\u00B6b$\u00B6$\u00B6c"_qs,
        u"word \r\n\r\n  \r\n word  "_qs,
        longWord,
        u"before "_qs + longWord + u" after\r\n"_qs + longWord + u"\t"_qs + longWord,
        u"\U0001F600"_qs.repeated(200),
        u"x\U0001F600"_qs.repeated(100) + u" \U0001F600y"_qs,
        u"a b c d e f g h i j k l m n o p q r s t u v w x y z "_qs.repeated(10),
    };
    for (int width : {1, 2117, 10000, 33333, 190000}) {
        for (const QString& text : texts) {
            for (bool charWrap : {false, true}) {
                for (const QStringList& tabs : {QStringList{}, QStringList{u"7000"_qs, u"9000"_qs}}) {
                    TCase c;
                    c.width = width;
                    c.lines = width < 2000 ? 60 : 7;
                    c.charWrap = charWrap;
                    c.tabStops = tabs;
                    TFont fixedFont;
                    fixedFont.SetSize(12);
                    ExpectSameLayout(text, c, fixedFont, fixed, "fixed");
                    // Under a character's width both take one character a line.
                    if (fonts && width > 1)
                        ExpectSameLayout(text, c, font, installed, "Arial");
                    if (HasFatalFailure())
                        return;
                }
            }
        }
    }
}
