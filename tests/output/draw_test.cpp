// Drawing commands onto a 96 dpi image, checked pixel by pixel, and one page
// of text written to PDF and read back with pdftotext.

#include "document/units.h"
#include "output/draw_image.h"
#include "output/draw_line.h"
#include "output/draw_shape.h"
#include "output/draw_text.h"
#include "platform/canvas.h"

#include <QGuiApplication>
#include <QPdfWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include "tests/support/gui_environment.h"

#include <gtest/gtest.h>

using namespace orvane;

namespace {

QImage WhiteImage(int w = 200, int h = 200)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.setDotsPerMeterX(3780);  // 96 dpi
    image.setDotsPerMeterY(3780);
    image.fill(Qt::white);
    return image;
}

// The smallest rectangle holding every pixel that is not white.
QRect InkExtent(const QImage& image, const QRect& within = {})
{
    const QRect area = within.isNull() ? image.rect() : within;
    QRect extent;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                extent |= QRect(x, y, 1, 1);
    return extent;
}

template <class Command>
void Render(QImage& image, Command& command)
{
    TjxCanvas canvas(&image);
    ASSERT_EQ(canvas.DpiX(), 96);
    command.CalcDrawRect(canvas);
    EXPECT_TRUE(command.Draw(canvas));
}

} // namespace

TEST(Draw, FilledRectangleCoversExactlyItsPixels)
{
    // 10 mm = 37.795 px -> 38; 5 mm -> 19 (18.9); 20 mm from 10 mm: right edge 113 px (113.385).
    TjxDrawShape shape;
    shape.SetBounds(10000, 5000, 20000, 15000);
    shape.Brush()->SetColor(clRed);
    shape.Pen()->SetColor(clBlue);
    QImage image = WhiteImage();
    Render(image, shape);
    const int left = int(ThousandthsToUnits(10000, utScreenPixels));
    const int top = int(ThousandthsToUnits(5000, utScreenPixels));
    const int right = int(ThousandthsToUnits(30000, utScreenPixels));
    const int bottom = int(ThousandthsToUnits(20000, utScreenPixels));
    ASSERT_EQ(left, 38);
    ASSERT_EQ(right, 113);
    EXPECT_EQ(InkExtent(image), QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
    // One pixel of pen, then the brush.
    EXPECT_EQ(image.pixel(left, top + 5), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(right - 1, top + 5), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(left + 1, top + 5), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(left + 10, bottom - 2), qRgb(255, 0, 0));

    // A wider pen stays inside the rectangle; a clear brush leaves the middle alone.
    shape.Pen()->SetWidth(3);
    shape.Brush()->SetStyle(bsClear);
    QImage outline = WhiteImage();
    Render(outline, shape);
    EXPECT_EQ(InkExtent(outline), QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
    EXPECT_EQ(outline.pixel(left + 2, top + 10), qRgb(0, 0, 255));
    EXPECT_EQ(outline.pixel(left + 3, top + 10), qRgb(255, 255, 255));
}

TEST(Draw, LineThicknessFollowsWeightInPoints)
{
    // 3 points at 96 dpi: 4 pixels; a double line repeats them 2t further in.
    TjxDrawLine line;
    line.SetBounds(2000, 2000, 30000, 10000);
    line.SetWeight(3.0f);
    QImage image = WhiteImage();
    Render(image, line);
    const QRect r = line.DrawRect();
    EXPECT_EQ(InkExtent(image), QRect(r.left(), r.top(), r.width(), 4));

    line.SetLineStyle(lsDouble);
    line.SetLinePosition(lpBottom);
    QImage twice = WhiteImage();
    Render(twice, line);
    // First pass: rows bottom-1 .. bottom-4; second: 8 rows further up.
    const int b = r.bottom();
    EXPECT_EQ(InkExtent(twice), QRect(QPoint(r.left(), b - 11), QPoint(r.right(), b)));
    EXPECT_EQ(twice.pixel(r.left() + 3, b - 3), qRgb(0, 0, 0));
    EXPECT_EQ(twice.pixel(r.left() + 3, b - 5), qRgb(255, 255, 255));
    EXPECT_EQ(twice.pixel(r.left() + 3, b - 8), qRgb(0, 0, 0));

    // A weight of 0 still draws one device line; a left line is a column.
    line.SetWeight(0);
    line.SetLineStyle(lsSingle);
    line.SetLinePosition(lpLeft);
    QImage thin = WhiteImage();
    Render(thin, line);
    EXPECT_EQ(InkExtent(thin), QRect(r.left(), r.top(), 1, r.height()));
}

TEST(Draw, BorderOfWeightZeroDrawsTwoLinesPerSide)
{
    TjxDrawShape shape;  // a clear shape: only the border shows
    shape.SetBounds(5000, 5000, 20000, 20000);
    shape.Pen()->SetStyle(psClear);
    shape.Brush()->SetStyle(bsClear);
    TjxDrawImage image;
    image.SetBounds(5000, 5000, 20000, 20000);
    image.Border()->SetVisible(true);
    image.Border()->SetWeight(0);
    image.Border()->SetBorderPositions(1u << bpLeft | 1u << bpTop);
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::white);
    image.Picture()->SetImage(picture);
    QImage out = WhiteImage();
    Render(out, image);
    const QRect r = image.DrawRect();
    EXPECT_EQ(InkExtent(out), r);
    EXPECT_EQ(out.pixel(r.left() + 1, r.center().y()), qRgb(0, 0, 0));
    EXPECT_EQ(out.pixel(r.left() + 2, r.center().y()), qRgb(255, 255, 255));
    EXPECT_EQ(out.pixel(r.center().x(), r.top() + 1), qRgb(0, 0, 0));
    EXPECT_EQ(out.pixel(r.center().x(), r.top() + 2), qRgb(255, 255, 255));
}

TEST(Draw, TextStaysInsideItsRectangle)
{
    TjxDrawText text;
    text.SetBounds(5000, 5000, 15000, 4000);  // narrower than the text
    text.SetText(QStringLiteral("WWWWWWWWWWWWWWWWWWWWWWWWWWWWWW"));
    text.Font()->SetName(QStringLiteral("Arial"));
    text.Font()->SetSize(20);
    text.Font()->SetColor(clBlack);
    text.SetTransparent(true);
    QImage image = WhiteImage();
    Render(image, text);
    const QRect r = text.DrawRect();
    const QRect ink = InkExtent(image);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_TRUE(r.contains(ink)) << ink.x() << "," << ink.y() << " " << ink.width() << "x" << ink.height();
    EXPECT_EQ(ink.left(), r.left());
    EXPECT_EQ(ink.right(), r.right());  // cut at the right edge

    // An opaque text fills its rectangle with its colour.
    text.SetTransparent(false);
    text.SetColor(clYellow);
    QImage filled = WhiteImage();
    Render(filled, text);
    EXPECT_EQ(InkExtent(filled), r);
    EXPECT_EQ(filled.pixel(r.right(), r.top()), qRgb(255, 255, 0));  // above the glyphs

    // Right alignment moves the ink to the right edge.
    TjxDrawText right;
    right.SetBounds(5000, 5000, 40000, 6000);
    right.SetText(QStringLiteral("ab"));
    right.SetTransparent(true);
    right.Font()->SetColor(clBlack);
    right.SetTextAlignment(taRightJustified);
    QImage rightImage = WhiteImage();
    Render(rightImage, right);
    const QRect rr = right.DrawRect();
    const QRect rightInk = InkExtent(rightImage);
    ASSERT_FALSE(rightInk.isEmpty());
    EXPECT_GT(rightInk.left(), rr.center().x());
    EXPECT_LE(rightInk.right(), rr.right());

    // AutoSize with no text draws nothing and keeps its rectangle.
    TjxDrawText empty;
    empty.SetBounds(5000, 5000, 15000, 4000);
    empty.SetAutoSize(true);
    QImage blank = WhiteImage();
    Render(blank, empty);
    EXPECT_TRUE(InkExtent(blank).isEmpty());
    EXPECT_EQ(empty.DrawRect(), r);
}

TEST(Draw, ALineOfMegabytesShowsWhatItsClipShows)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        GTEST_SKIP() << "no GUI application for fonts";
    QString text;
    for (int i = 0; text.size() < 200000; ++i)
        text += QStringLiteral("word%1 Wide MMM iii \U0001F600 ").arg(i);
    TFont font;
    font.SetName(QStringLiteral("Arial"));
    font.SetSize(10);
    font.SetColor(clBlack);
    const QRect clip(20, 10, 300, 30);
    // Drawn whole, a line as long as the part in view, and then the whole
    // line of 200,000 characters, which is cut down to the part in view: the
    // same pixels come out, at the start and from far inside the line.
    // Printer canvases measure fonts at their resolution, the screen at the
    // height it sets: both must cut the line where it is drawn.
    bool screen = false;
    const auto draw = [&](const QString& line, int x) {
        QImage image = WhiteImage(360, 60);
        TjxCanvas canvas(&image);
        canvas.SetFont(font);
        if (screen)
            canvas.SetFontHeight(16);
        canvas.TextRect(clip, x, 12, line);
        return image;
    };
    // Some 5 to 8 px a character: 3900 of them reach past the clip from each start.
    for (bool onScreen : {false, true}) {
        screen = onScreen;
        for (int x : {20, -8000, -15000}) {
            const QImage whole = draw(text.left(3900), x);
            ASSERT_FALSE(InkExtent(whole).isEmpty()) << x << " " << screen;
            EXPECT_TRUE(draw(text, x) == whole) << x << " " << screen;
        }
    }
    screen = false;
    // Ink only where the clip lets it show.
    const QImage far = draw(text, -15000);
    EXPECT_TRUE(clip.contains(InkExtent(far)));
}

TEST(Draw, ImageIsStretchedOrClipped)
{
    QImage picture(2, 2, QImage::Format_RGB32);
    picture.setPixel(0, 0, qRgb(255, 0, 0));
    picture.setPixel(1, 0, qRgb(0, 255, 0));
    picture.setPixel(0, 1, qRgb(0, 0, 255));
    picture.setPixel(1, 1, qRgb(0, 0, 0));
    TjxDrawImage image;
    image.Picture()->SetImage(picture);
    image.SetBounds(10000, 10000, 20000, 10000);
    image.SetStretch(true);
    QImage out = WhiteImage();
    Render(out, image);
    const QRect r = image.DrawRect();
    EXPECT_EQ(InkExtent(out), r);
    EXPECT_EQ(out.pixel(r.left(), r.top()), qRgb(255, 0, 0));
    EXPECT_EQ(out.pixel(r.right(), r.top()), qRgb(0, 255, 0));
    EXPECT_EQ(out.pixel(r.left(), r.bottom()), qRgb(0, 0, 255));
    EXPECT_EQ(out.pixel(r.right(), r.bottom()), qRgb(0, 0, 0));

    // Keeping the aspect ratio: 2x2 in 76x38 becomes 38x38, centred horizontally.
    image.SetMaintainAspectRatio(true);
    image.SetCenter(true);
    QImage kept = WhiteImage();
    Render(kept, image);
    const int side = r.height();
    const int offset = (r.width() - side) / 2;
    EXPECT_EQ(InkExtent(kept), QRect(r.left() + offset, r.top(), side, side));

    // Without stretching a large picture is cut at the rectangle.
    QImage big(400, 400, QImage::Format_RGB32);
    big.fill(Qt::black);
    big.setDotsPerMeterX(3780);
    big.setDotsPerMeterY(3780);
    image.Picture()->SetImage(big);
    image.SetStretch(false);
    image.SetCenter(false);
    QImage clipped = WhiteImage();
    Render(clipped, image);
    EXPECT_EQ(InkExtent(clipped), r);

    // No picture: nothing.
    image.Picture()->SetImage(QImage());
    QImage none = WhiteImage();
    Render(none, image);
    EXPECT_TRUE(InkExtent(none).isEmpty());
}

TEST(Draw, TextReachesPdf)
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("page.pdf"));
    {
        QPdfWriter writer(path);
        writer.setResolution(300);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        TjxCanvas canvas(&writer);
        ASSERT_TRUE(canvas.IsActive());
        ASSERT_EQ(canvas.DpiX(), 300);
        TjxDrawText text;
        text.SetBounds(20000, 30000, 120000, 10000);
        text.SetText(QStringLiteral("Trust receipt 4711"));
        text.Font()->SetName(QStringLiteral("Arial"));
        text.Font()->SetSize(14);
        text.Font()->SetColor(clBlack);
        text.CalcDrawRect(canvas);
        // 20 mm at 300 dpi.
        EXPECT_EQ(text.DrawRect().left(), 236);
        text.Draw(canvas);
    }
    QProcess process;
    process.start(pdftotext, {path, QStringLiteral("-")});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_TRUE(QString::fromUtf8(process.readAllStandardOutput()).contains(QStringLiteral("Trust receipt 4711")));
}
