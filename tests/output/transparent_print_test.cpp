// A transparent image on a device without raster operations (the printer's
// recorded pages, PDF): its white pixels leave what lies below visible, as
// on the screen; an opaque one covers it.

#include "tests/support/gui_environment.h"

#include "platform/canvas.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPicture>

#include <gtest/gtest.h>

using namespace orvane;

namespace {

// Red below, then a white image with a black square in its middle, replayed
// onto white paper.
QImage PrintedOverRed(TjxCopyMode mode)
{
    QImage image(20, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 5; y < 15; ++y)
        for (int x = 5; x < 15; ++x)
            image.setPixel(x, y, qRgb(0, 0, 0));
    QPicture picture;
    {
        QPainter painter(&picture);
        EXPECT_NE(painter.paintEngine()->type(), QPaintEngine::Raster);
        TjxCanvas canvas(&painter, 300, 300);
        painter.fillRect(QRect(0, 0, 40, 40), Qt::red);
        canvas.StretchDraw(QRect(0, 0, 40, 40), image, mode);
    }
    QImage paper(40, 40, QImage::Format_RGB32);
    paper.fill(Qt::white);
    QPainter replay(&paper);
    replay.drawPicture(0, 0, picture);
    replay.end();
    return paper;
}

} // namespace

TEST(TransparentPrinting, WhitePixelsAreLeftOut)
{
    const QImage transparent = PrintedOverRed(cmSrcAnd);
    EXPECT_EQ(transparent.pixel(2, 2), qRgb(255, 0, 0));
    EXPECT_EQ(transparent.pixel(20, 20), qRgb(0, 0, 0));
    const QImage opaque = PrintedOverRed(cmSrcCopy);
    EXPECT_EQ(opaque.pixel(2, 2), qRgb(255, 255, 255));
    EXPECT_EQ(opaque.pixel(20, 20), qRgb(0, 0, 0));
}
