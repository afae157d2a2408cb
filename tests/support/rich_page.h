#pragma once

// A rich text draw command drawn alone on a white A4 page image.

#include "document/units.h"
#include "output/draw_other.h"
#include "platform/canvas.h"

#include <QImage>
#include <QPainter>

namespace orvane::test {

inline QImage DrawnRichPage(const TjxDrawRichText& command, int dpi)
{
    TjxDrawRichText copy;
    copy.Assign(&command);
    QImage image(ThousandthsToPixels(210000, dpi), ThousandthsToPixels(297000, dpi), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    TjxCanvas canvas(&painter, dpi, dpi);
    copy.CalcDrawRect(canvas);
    copy.Draw(canvas);
    return image;
}

} // namespace orvane::test
