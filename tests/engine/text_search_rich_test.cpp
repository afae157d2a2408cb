#include "tests/engine/report_fixture.h"
#include "tests/support/rich_page.h"

#include "components/rich_edit.h"
#include "components/rich_text.h"
#include "document/report_settings.h"
#include "engine/text_search.h"
#include "output/draw_other.h"
#include "platform/canvas.h"
#include "platform/text_measurer.h"

#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

constexpr int kDpi = 150;

// Paragraphs in several sizes and faces, "Vendor" among them as a whole
// word, inside longer words and in other cases; long enough for three pages.
QByteArray VendorRtf()
{
    QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1 Times New Roman;}}\\f0\\fs20 ";
    for (int i = 0; i < 150; ++i) {
        rtf += "\\pard";
        if (i % 4 == 1)
            rtf += "\\qc";
        if (i % 4 == 2)
            rtf += "\\qr\\li720";
        rtf += " Line " + QByteArray::number(i) + ": ";
        if (i % 3 == 0)
            rtf += "the {\\b\\fs32 Vendor} signs, ";
        if (i % 5 == 0)
            rtf += "{\\f1\\i vendors} and the VENDOR, ";
        if (i % 7 == 0)
            rtf += "Vendor-owned stock ";
        rtf += "and some words to fill the line up to its end so that it wraps once or twice\\par\n";
    }
    return rtf + "}";
}

struct RichSearchReport : ReportFixture {
    TjxRichText* rich = nullptr;

    RichSearchReport()
    {
        AddData(1);
        AddLabel(AddBand(btHeader, 8000), QStringLiteral("Vendor label"), 0, 0);
        TjxBand* detail = AddBand(btDetail, 30000, phDynamic);
        rich = new TjxRichText(&host);
        rich->SetName(report->GetValidName(rich));
        rich->SetBand(detail);
        rich->SetBounds(5000, 0, 20000, 150000);
        rich->SetStretch(true);
        rich->LoadFromRTFStream(VendorRtf());
        Run();
    }
};

const TjxDrawRichText* RichOf(const TjxPage& page)
{
    for (int i = 0; i < page.DrawCommandCount(); ++i)
        if (auto* rich = dynamic_cast<const TjxDrawRichText*>(page.DrawCommand(i)))
            return rich;
    return nullptr;
}

// The page's range of text, read from the command's bytes.
QString RangeText(const TjxDrawRichText& command)
{
    TjxRichEdit edit;
    edit.LoadFromBytes(command.RichTextStream());
    const int last = std::min(command.EndCharPos(), edit.CharCount() - 1);
    return edit.TextRange(command.StartCharPos(), last - command.StartCharPos() + 1);
}

QRect ToPixels(const QRect& thousandths)
{
    return QRect(QPoint(ThousandthsToPixels(thousandths.left(), kDpi), ThousandthsToPixels(thousandths.top(), kDpi)),
                 QPoint(ThousandthsToPixels(thousandths.right(), kDpi), ThousandthsToPixels(thousandths.bottom(), kDpi)));
}

// The command drawn with every character blank but [from, from + length), at kDpi.
QImage MatchOnlyImage(const TjxDrawRichText& command, int from, int length)
{
    TjxRichEdit only;
    only.Assign(*command.Document());
    QTextCursor all(&only.Document());
    all.select(QTextCursor::Document);
    QTextCharFormat white;
    white.setForeground(Qt::white);
    all.mergeCharFormat(white);
    QTextCursor match(&only.Document());
    match.setPosition(from);
    match.setPosition(from + length, QTextCursor::KeepAnchor);
    QTextCharFormat black;
    black.setForeground(Qt::black);
    match.mergeCharFormat(black);

    TjxDrawRichText copy;
    copy.Assign(&command);
    copy.SetRichTextStream(only.SaveToBytes());
    return DrawnRichPage(copy, kDpi);
}

// Where the ink of characters [from, from + length) falls when the command is
// drawn with every other character blank, in pixels at kDpi.
QRect InkOf(const TjxDrawRichText& command, int from, int length)
{
    const QImage image = MatchOnlyImage(command, from, length);
    // It draws nowhere else.
    const QRect area = ToPixels(QRect(command.Left(), command.Top(), command.Width(), command.Height())) & image.rect();
    QRect ink;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(row[x]) < 128)
                ink |= QRect(x, y, 1, 1);
    }
    return ink;
}

} // namespace

TEST(TextSearchRichText, FindsEveryOccurrenceOfEachPageRangeAndNoMore)
{
    RichSearchReport f;
    const auto pages = f.FinalPages();
    ASSERT_GE(pages.size(), 3u);
    int total = 0, totalWhole = 0, totalExact = 0;
    for (const TjxPage* page : pages) {
        const TjxDrawRichText* rich = RichOf(*page);
        ASSERT_TRUE(rich);
        const QString text = RangeText(*rich);
        // Counted in the page's own text: any case, and whole words only.
        const int anyCase = int(text.count(QStringLiteral("vendor"), Qt::CaseInsensitive));
        const int whole = int(text.count(QRegularExpression(QStringLiteral("(?<![\\w])[Vv][Ee][Nn][Dd][Oo][Rr](?![\\w])"))));
        const int exact = int(text.count(QRegularExpression(QStringLiteral("(?<![\\w])Vendor(?![\\w])"))));
        totalWhole += whole;
        totalExact += exact;

        const auto richOnly = [&](const TjxTextSearchOptions& options, const QString& pattern) {
            int n = 0;
            for (const auto& o : SearchPageOccurrences(*page, pattern, options, DefaultTextMeasurer()))
                n += page->DrawCommand(o.DrawCommandIndex) == rich;
            return n;
        };
        EXPECT_EQ(richOnly({}, QStringLiteral("vendor")), anyCase);
        EXPECT_EQ(richOnly({false, true}, QStringLiteral("vendor")), whole);
        EXPECT_EQ(richOnly({true, true}, QStringLiteral("Vendor")), exact);
        total += anyCase;
    }
    EXPECT_EQ(total, int(f.rich->PlainText().count(QStringLiteral("vendor"), Qt::CaseInsensitive)));
    // The text holds all three kinds, so each option leaves some out.
    EXPECT_GT(total, totalWhole);
    EXPECT_GT(totalWhole, totalExact);
    EXPECT_GT(totalExact, 0);
}

namespace {

bool IsHighlightBackground(QRgb pixel)
{
    return qRed(pixel) == 0x0A && qGreen(pixel) == 0x24 && qBlue(pixel) == 0x6A;
}

// Checks the rich text's highlight of one match: drawn in the command's
// place, every ink pixel of the match is light text on the highlight
// background, on every line it runs over, and the page's own drawing has no
// such background. Answers the match's ink and the background's extent.
struct TRecoloured {
    QRect ink, background;
};
TRecoloured CheckRecoloured(const TjxPage& page, const TjxTextSearchOccurrence& o)
{
    const auto* rich = dynamic_cast<const TjxDrawRichText*>(page.DrawCommand(o.DrawCommandIndex));
    const QByteArray bytesBefore = rich->RichTextStream();
    TjxPageHighlights highlights = CreatePageHighlights(page, {&o});
    EXPECT_TRUE(highlights.Overlays.empty());
    EXPECT_EQ(highlights.Substitutes.size(), 1u);
    const auto* substitute = dynamic_cast<const TjxDrawRichText*>(highlights.Substitutes[o.DrawCommandIndex].get());
    if (!substitute)
        return {};
    // The page's command and its content are untouched.
    EXPECT_EQ(rich->RichTextStream(), bytesBefore);
    EXPECT_EQ(QRect(substitute->Left(), substitute->Top(), substitute->Width(), substitute->Height()),
              QRect(rich->Left(), rich->Top(), rich->Width(), rich->Height()));

    const QImage drawn = DrawnRichPage(*substitute, kDpi);
    const QImage plain = DrawnRichPage(*rich, kDpi);
    const QRect ink = InkOf(*rich, o.CharPos, o.Length);
    EXPECT_FALSE(ink.isEmpty());
    // The match alone, as the page draws it.
    const QImage matchOnly = MatchOnlyImage(*rich, o.CharPos, o.Length);
    int uncovered = 0, inkPixels = 0;
    for (int y = ink.top(); y <= ink.bottom(); ++y)
        for (int x = ink.left(); x <= ink.right(); ++x) {
            if (qGray(matchOnly.pixel(x, y)) >= 128)
                continue;
            ++inkPixels;
            // Light text there now (the page draws it dark), or the
            // background beside it.
            bool covered = qGray(drawn.pixel(x, y)) >= 128;
            for (int dy = -1; dy <= 1 && !covered; ++dy)
                for (int dx = -1; dx <= 1 && !covered; ++dx)
                    covered = IsHighlightBackground(drawn.pixel(x + dx, y + dy));
            uncovered += !covered;
        }
    EXPECT_GT(inkPixels, 0);
    EXPECT_EQ(uncovered, 0) << "at " << o.CharPos;
    // The background lies under the match; the page's own drawing has none.
    QRect background;
    int plainBackground = 0;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x) {
            if (IsHighlightBackground(drawn.pixel(x, y)))
                background |= QRect(x, y, 1, 1);
            plainBackground += IsHighlightBackground(plain.pixel(x, y));
        }
    EXPECT_EQ(plainBackground, 0);
    EXPECT_TRUE(background.contains(ink.adjusted(1, 1, -1, -1)));
    return {ink, background};
}

} // namespace

TEST(TextSearchRichText, AMatchIsRecolouredInACopyOnEveryLineItRunsOver)
{
    RichSearchReport f;
    const auto pages = f.FinalPages();
    ASSERT_GE(pages.size(), 2u);
    const TjxPage& page = *pages[0];
    const TjxDrawRichText* rich = RichOf(page);
    ASSERT_TRUE(rich);
    // Words in several sizes and faces, in page order.
    const auto words = SearchPageOccurrences(page, QStringLiteral("vendor"), {}, DefaultTextMeasurer());
    int previousTop = INT_MIN, checked = 0;
    for (const TjxTextSearchOccurrence& o : words) {
        EXPECT_GE(o.Top, previousTop);
        previousTop = o.Top;
        if (page.DrawCommand(o.DrawCommandIndex) != rich || checked >= 4)
            continue;
        // On one line: the background is the word's width.
        const TRecoloured r = CheckRecoloured(page, o);
        EXPECT_LE(r.background.width(), r.ink.width() + 6);
        ++checked;
    }
    EXPECT_EQ(checked, 4);
    // Each paragraph wraps: the phrase runs over two lines in some of them,
    // and is recoloured on each line. A line of this text is at most 21
    // pixels of ink (10 points at 150 dpi).
    const auto phrase = SearchPageOccurrences(
        page, QStringLiteral("and some words to fill the line up to its end so that it wraps"), {}, DefaultTextMeasurer());
    ASSERT_GE(phrase.size(), 2u);
    int wrapped = 0;
    for (std::size_t i = 0; i < std::min<std::size_t>(phrase.size(), 6); ++i)
        wrapped += CheckRecoloured(page, phrase[i]).ink.height() > 30;
    EXPECT_GT(wrapped, 0);

    // Two matches of one text are one copy; a match out of the page's range has none.
    const auto firstTwo = std::vector<const TjxTextSearchOccurrence*>{&phrase[0], &phrase[1]};
    EXPECT_EQ(CreatePageHighlights(page, firstTwo).Substitutes.size(), 1u);
    TjxTextSearchOccurrence outside = phrase.front();
    outside.CharPos = rich->EndCharPos() + 5;
    EXPECT_THROW(CreatePageHighlights(page, {&outside}), ESearchError);
}

TEST(TextSearchRichText, TheEngineWalksRichMatchesAcrossPages)
{
    RichSearchReport f;
    const auto pages = f.FinalPages();
    TjxTextSearchSettings settings;
    settings.SetWholeWord(true);
    settings.SetCaseSensitive(true);
    TjxTextSearchEngine engine;
    engine.SetSettings(&settings);
    engine.SetPageSource([&pages](int n, const TjxTextSearchEngine::TPageReader& read) {
        if (n < 1 || n > int(pages.size()))
            return false;
        read(*pages[size_t(n - 1)]);
        return true;
    });
    ASSERT_TRUE(engine.Search(QStringLiteral("Vendor"), 1, true));
    // The label on each page and the rich text's whole, exact words.
    int expected = 0;
    for (const TjxPage* page : pages)
        expected += 1 + int(RangeText(*RichOf(*page)).count(QRegularExpression(QStringLiteral("(?<![\\w])Vendor(?![\\w])"))));
    EXPECT_EQ(engine.OccurrenceCount(), expected);
    int lastPage = 0, steps = 1;
    while (engine.NextOccurrence()) {
        EXPECT_GE(engine.CurrentPageNo(), lastPage);
        lastPage = engine.CurrentPageNo();
        ++steps;
    }
    EXPECT_EQ(steps, expected);
    EXPECT_EQ(lastPage, int(pages.size()));
}
