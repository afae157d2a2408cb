#include "components/rich_edit.h"
#include "components/rich_text_engine.h"
#include "components/rtf.h"

#include <QImage>
#include <QPainter>
#include "tests/support/gui_environment.h"
#include "tests/support/long_rtf.h"

#include <gtest/gtest.h>

#include <QThread>

#include <memory>

using namespace orvane;
using orvane::test::LongRtf;

namespace {

struct TRange {
    int start;
    int end;
};

std::vector<TRange> Pages(const TjxRichEdit& edit, int width, int height)
{
    std::vector<TRange> pages;
    const int last = edit.CharCount() - 1;
    int start = 0;
    while (start <= last) {
        const TjxRichTextMeasure m = TjxRTFEngine::Measure(edit, width, height, start, last);
        if (m.fits) {
            pages.push_back({start, last});
            break;
        }
        if (m.lastChar < start)
            break;
        pages.push_back({start, m.lastChar});
        start = m.lastChar + 1;
    }
    return pages;
}

} // namespace

TEST(RichTextEngine, PageRangesTileTheTextAndFillEachPage)
{
    TjxRichEdit edit;
    edit.LoadFromBytes(LongRtf(80));
    const int width = 6 * 1440, height = 3 * 1440;
    const std::vector<TRange> pages = Pages(edit, width, height);
    ASSERT_GT(pages.size(), 3u);
    QString joined;
    for (size_t i = 0; i < pages.size(); ++i) {
        const TRange& r = pages[i];
        joined += edit.TextRange(r.start, r.end - r.start + 1);
        if (i > 0) {
            EXPECT_EQ(r.start, pages[i - 1].end + 1);
        }
        EXPECT_LE(TjxRTFEngine::RangeHeight(edit, width, r.start, r.end), height);
        // One more line would not have fitted.
        if (i + 1 < pages.size()) {
            EXPECT_GT(TjxRTFEngine::RangeHeight(edit, width, r.start, r.end + 1), height);
        }
    }
    EXPECT_EQ(joined, edit.PlainText());
    EXPECT_EQ(pages.back().end, edit.CharCount() - 1);

    // The same split whatever device later draws it: the layout's own width decides.
    TjxRichEdit again;
    again.LoadFromBytes(edit.SaveToBytes());
    const std::vector<TRange> second = Pages(again, width, height);
    ASSERT_EQ(second.size(), pages.size());
    for (size_t i = 0; i < pages.size(); ++i)
        EXPECT_EQ(second[i].end, pages[i].end);
}

TEST(RichTextEngine, EdgesOfMeasuring)
{
    TjxRichEdit edit;
    edit.LoadFromBytes("{\\rtf1\\fs24 One line\\par\\par}");
    ASSERT_EQ(edit.PlainText(), QStringLiteral("One line\n"));
    const int line = TjxRTFEngine::RangeHeight(edit, 8000, 0, 0);
    ASSERT_GT(line, 200);
    // The paragraph end left over fits with the line.
    TjxRichTextMeasure m = TjxRTFEngine::Measure(edit, 8000, line, 0, edit.CharCount() - 1);
    EXPECT_TRUE(m.fits);
    EXPECT_EQ(m.lastChar, edit.CharCount() - 1);
    // Not even one line.
    m = TjxRTFEngine::Measure(edit, 8000, line - 10, 0, edit.CharCount() - 1);
    EXPECT_FALSE(m.fits);
    EXPECT_EQ(m.lastChar, -1);
    EXPECT_EQ(TjxRTFEngine::FormatRange(edit, 8000, 0, 8, 0), 0);
    // Zero height, zero width, empty document: answers, no loops.
    TjxRichEdit empty;
    EXPECT_EQ(empty.CharCount(), 0);
    m = TjxRTFEngine::Measure(empty, 0, 0, 0, -1);
    EXPECT_TRUE(m.fits);
}

TEST(RichTextEngine, RendersOnlyTheRangeScaledToTheDevice)
{
    TjxRichEdit edit;
    edit.LoadFromBytes(LongRtf(10));
    const int width = 4 * 1440;
    const int last = TjxRTFEngine::FormatRange(edit, width, 0, edit.CharCount() - 1, 1440) - 1;
    const int height = TjxRTFEngine::RangeHeight(edit, width, 0, last);
    for (const int dpi : {96, 300}) {
        QImage image(4 * dpi, 2 * dpi, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            TjxRTFEngine::Render(edit, painter, QRectF(0, 0, image.width(), image.height()), width, dpi, dpi, 0,
                                 last);
        }
        const int rangeBottom = (height * dpi + 1439) / 1440;
        int lowestInk = -1;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixel(x, y) != qRgb(255, 255, 255))
                    lowestInk = y;
            }
        }
        EXPECT_GT(lowestInk, rangeBottom / 2) << dpi;
        // The line after the range stays off the picture although the rectangle has room.
        EXPECT_LE(lowestInk, rangeBottom) << dpi;
    }
}

TEST(RichTextEngine, ThreadsMeasureTheirOwnDocumentsAtOnce)
{
    const QByteArray rtf = LongRtf(40);
    TjxRichEdit edit;
    edit.LoadFromBytes(rtf);
    const std::vector<TRange> expected = Pages(edit, 7000, 3000);
    std::vector<std::vector<TRange>> results(3);
    // Printing threads are Qt threads: the layout's timers need one.
    std::vector<std::unique_ptr<QThread>> threads;
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back(QThread::create([&, t] {
            TjxRichEdit own;
            own.LoadFromBytes(rtf);
            for (int round = 0; round < 3; ++round)
                results[size_t(t)] = Pages(own, 7000, 3000);
        }));
        threads.back()->start();
    }
    for (const auto& thread : threads)
        thread->wait();
    for (const auto& result : results) {
        ASSERT_EQ(result.size(), expected.size());
        for (size_t i = 0; i < result.size(); ++i)
            EXPECT_EQ(result[i].end, expected[i].end);
    }
}
