// Search rectangles against the ink the draw code puts on a 96 dpi image:
// on full-justified lines each word's rectangle sits where the word is drawn.

#include "components/text_layout.h"
#include "document/units.h"
#include "engine/text_search.h"
#include "output/draw_text.h"
#include "platform/canvas.h"
#include "platform/text_measurer.h"

#include <QImage>
#include "tests/support/gui_environment.h"

#include <gtest/gtest.h>

using namespace orvane;

TEST(TextSearchDrawn, JustifiedWordsAreFoundWhereTheyAreDrawn)
{
    QImage image(700, 120, QImage::Format_RGB32);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    image.fill(Qt::white);
    TjxDrawText memo;
    memo.SetBounds(2000, 2000, 170000, 25000);
    memo.Font()->SetName(QStringLiteral("Arial"));
    memo.Font()->SetSize(12);
    memo.Font()->SetColor(clBlack);
    memo.SetTransparent(true);
    memo.SetIsMemo(true);
    memo.SetWordWrap(true);
    memo.SetTextAlignment(taFullJustified);
    // The first line spreads its blanks widely; the second ends the paragraph and does not.
    memo.WrappedText()->SetLines({"ab Vendor cd Vendor", "xy Vendor" + TjxTextMarkup::ParagraphEnd.toString()});
    {
        TjxCanvas canvas(&image);
        memo.CalcDrawRect(canvas);
        ASSERT_TRUE(memo.Draw(canvas));
    }
    const QRect draw = memo.DrawRect();
    const auto column = [](int thousandths) { return ThousandthsToPixels(thousandths, kScreenPixelsPerInch); };
    struct Word {
        int line, pos, length;
    };
    for (const Word w : {Word{1, 0, 2}, Word{1, 3, 6}, Word{1, 10, 2}, Word{1, 13, 6}, Word{2, 3, 6}}) {
        SCOPED_TRACE(testing::Message() << "line " << w.line << " at " << w.pos);
        const QRect r = SearchTextRect(memo, w.line, w.pos, w.length, DefaultTextMeasurer());
        const int left = column(r.left()), right = column(r.left() + r.width());
        const int top = column(r.top()), bottom = column(r.top() + r.height());
        // The ink just around the rectangle: only this word's.
        QRect ink;
        for (int y = std::max(top, draw.top()); y < bottom; ++y)
            for (int x = std::max(left - 2, draw.left()); x < std::min(right + 2, draw.right()); ++x)
                if (image.pixel(x, y) != qRgb(255, 255, 255))
                    ink |= QRect(x, y, 1, 1);
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_GE(ink.left(), left - 1);
        EXPECT_LE(ink.left(), left + 3);
        EXPECT_LE(ink.right(), right + 1);
        EXPECT_GE(ink.right(), right - 4);
    }
}
