#pragma once

// Pages of a PDF rasterised with poppler, and the share of pixels in which two
// page images differ: how the PDF tests hold a PDF's look against the raster
// devices' drawing of the same pages.

#include "tests/support/process_run.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QStandardPaths>

#include <cstdlib>
#include <vector>

namespace orvane::test {

// poppler's and qpdf's tools, which the PDF tests read their files with.
inline bool HavePdfTools()
{
    for (const char* tool : {"pdftoppm", "pdftotext", "pdffonts", "qpdf"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            return false;
    return true;
}

// Every page of `pdf` at `dpi`, in page order; the images land beside `prefix`.
inline std::vector<QImage> RasterisePdf(const QString& pdf, const QString& prefix, int dpi)
{
    RunProgram(QStringLiteral("pdftoppm"),
               {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"), pdf, prefix});
    const QFileInfo base(prefix);
    const QDir dir = base.dir();
    // pdftoppm pads the page numbers to one width, so the names sort in page order.
    const QStringList files =
        dir.entryList({base.fileName() + QStringLiteral("-*.png")}, QDir::Files, QDir::Name);
    std::vector<QImage> images;
    for (const QString& file : files)
        images.push_back(QImage(dir.filePath(file)).convertToFormat(QImage::Format_RGB32));
    return images;
}

// The share of pixels with a channel off by more than `tolerance`; anti-aliased
// edges differ between two rasterisers by less than a missing or misplaced
// element. Poppler rounds the page's size in points up to whole pixels: a
// pixel more is no difference, more than that differs everywhere.
inline double DifferingShare(const QImage& a, const QImage& b, int tolerance = 96)
{
    if (a.isNull() || b.isNull() || std::abs(a.width() - b.width()) > 1 || std::abs(a.height() - b.height()) > 1)
        return 1.0;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    const int width = std::min(x.width(), y.width());
    const int height = std::min(x.height(), y.height());
    qint64 differing = 0;
    for (int row = 0; row < height; ++row) {
        const auto* la = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const auto* lb = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int col = 0; col < width; ++col)
            if (std::abs(qRed(la[col]) - qRed(lb[col])) > tolerance ||
                std::abs(qGreen(la[col]) - qGreen(lb[col])) > tolerance ||
                std::abs(qBlue(la[col]) - qBlue(lb[col])) > tolerance)
                ++differing;
    }
    return double(differing) / (qint64(width) * height);
}

} // namespace orvane::test
