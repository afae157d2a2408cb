// The canvas realises each font once per resolution and keeps it across
// canvases: what it draws must still be the font asked for, at the canvas's
// own resolution.

#include "document/graphic_objects.h"
#include "platform/canvas.h"
#include "tests/support/gui_environment.h"

#include <QImage>

#include <gtest/gtest.h>

using namespace orvane;

namespace {

QImage Page(int dpi, int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    const int dpm = int(dpi / 0.0254 + 0.5);
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    image.fill(Qt::white);
    return image;
}

QRect Ink(const QImage& image)
{
    QRect extent;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                extent |= QRect(x, y, 1, 1);
    return extent;
}

struct FontChoice {
    int size;
    TFontStyles style = 0;
};

void SetFont(TjxCanvas& canvas, FontChoice choice)
{
    TFont font;
    font.SetName(QStringLiteral("Arial"));
    font.SetSize(choice.size);
    font.SetStyle(choice.style);
    canvas.SetFont(font);
}

// "H" drawn with each font in turn on one canvas, each on its own strip.
std::vector<QImage> Draw(int dpi, const std::vector<FontChoice>& fonts)
{
    std::vector<QImage> strips;
    for (const FontChoice& font : fonts) {
        QImage image = Page(dpi, dpi, dpi);
        TjxCanvas canvas(&image);
        SetFont(canvas, font);
        canvas.TextRect(image.rect(), 2, 2, QStringLiteral("H"));
        strips.push_back(image);
    }
    return strips;
}

} // namespace

TEST(CanvasFonts, EachCanvasDrawsTheFontAtItsOwnResolution)
{
    const std::vector<FontChoice> fonts{{10}, {20}, {10, 1u << fsBold}, {10}};
    const std::vector<QImage> at96 = Draw(96, fonts);
    const std::vector<QImage> at192 = Draw(192, fonts);
    const std::vector<QImage> again96 = Draw(96, fonts);
    for (size_t i = 0; i < fonts.size(); ++i) {
        SCOPED_TRACE(i);
        const QRect small = Ink(at96[i]);
        const QRect large = Ink(at192[i]);
        ASSERT_FALSE(small.isEmpty());
        // Twice the resolution, twice the letter (within a pixel of rounding each way).
        EXPECT_NEAR(large.height(), 2 * small.height(), 2);
        EXPECT_NEAR(large.top() - 2, 2 * (small.top() - 2), 2);
        // A font realised before draws exactly as the first time.
        EXPECT_EQ(again96[i], at96[i]);
    }
    // Size and weight are told apart: 20 pt is twice 10 pt, bold is wider.
    EXPECT_NEAR(Ink(at96[1]).height(), 2 * Ink(at96[0]).height(), 2);
    EXPECT_GT(Ink(at96[2]).width(), Ink(at96[0]).width());
    EXPECT_EQ(at96[3], at96[0]);
}

TEST(CanvasFonts, LeadingAndHeightFollowTheResolution)
{
    QImage low = Page(96, 10, 10);
    QImage high = Page(288, 10, 10);
    TjxCanvas a(&low);
    TjxCanvas b(&high);
    SetFont(a, {30});
    SetFont(b, {30});
    const double leading96 = a.ExternalLeading();
    const double leading288 = b.ExternalLeading();
    EXPECT_GE(leading96, 0);
    EXPECT_NEAR(leading288, 3 * leading96, 3);
    EXPECT_NEAR(b.TextHeight(), 3 * a.TextHeight(), 3);
    // Another font on the same canvas, then the first again.
    SetFont(a, {60});
    EXPECT_NEAR(a.TextHeight(), 2 * b.TextHeight() / 3, 2);
    SetFont(a, {30});
    EXPECT_EQ(a.ExternalLeading(), leading96);
}
