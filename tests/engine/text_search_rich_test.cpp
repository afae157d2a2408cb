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

// Where the ink of characters [from, from + length) falls when the command is
// drawn with every other character blank, in pixels at kDpi.
QRect InkOf(const TjxDrawRichText& command, int from, int length)
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
    const QImage image = DrawnRichPage(copy, kDpi);
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

TEST(TextSearchRichText, HighlightsCoverTheWordWhereThePageDrawsIt)
{
    RichSearchReport f;
    const auto pages = f.FinalPages();
    ASSERT_GE(pages.size(), 2u);
    int checked = 0;
    for (const TjxPage* page : {pages[0], pages[1]}) {
        const TjxDrawRichText* rich = RichOf(*page);
        const auto found = SearchPageOccurrences(*page, QStringLiteral("vendor"), {}, DefaultTextMeasurer());
        int previousTop = INT_MIN;
        for (const TjxTextSearchOccurrence& o : found) {
            // In page order: top to bottom.
            EXPECT_GE(o.Top, previousTop);
            previousTop = o.Top;
            // Each drawing costs a layout: a dozen and a half matches tell.
            if (page->DrawCommand(o.DrawCommandIndex) != rich || checked >= 18)
                continue;
            const auto highlight = CreateHighlightDrawCommand(*page, o);
            ASSERT_TRUE(highlight);
            // The characters as the text has them, whatever the search's case.
            EXPECT_EQ(highlight->Text().compare(QStringLiteral("vendor"), Qt::CaseInsensitive), 0);
            EXPECT_EQ(highlight->Text(), RangeText(*rich).mid(o.CharPos - rich->StartCharPos(), 6));
            const QRect box = ToPixels(QRect(highlight->Left(), highlight->Top(), highlight->Width(), highlight->Height()));
            const QRect ink = InkOf(*rich, o.CharPos, o.Length);
            ASSERT_FALSE(ink.isEmpty());
            // Italics lean out of their advance by a pixel or two.
            EXPECT_TRUE(box.adjusted(-2, -1, 2, 1).contains(ink))
                << "page " << page->AbsolutePageNo() << " at " << o.CharPos << ": box " << box.x() << ","
                << box.y() << " " << box.width() << "x" << box.height() << " ink " << ink.x() << "," << ink.y()
                << " " << ink.width() << "x" << ink.height();
            // And not much more than the word.
            EXPECT_LE(box.width(), ink.width() + 12);
            EXPECT_LE(box.height(), ink.height() * 3);
            ++checked;
        }
    }
    EXPECT_GT(checked, 10);
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
    engine.SetPageSource([&pages](int n) -> TjxPage* {
        return n >= 1 && n <= int(pages.size()) ? const_cast<TjxPage*>(pages[size_t(n - 1)]) : nullptr;
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
