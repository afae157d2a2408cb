#include "output/pdf/pdf_images.h"

#include "output/pdf/pdf_file.h"

#include <QCryptographicHash>
#include <QImage>

namespace orvane {

namespace {

QByteArray Digest(const QImage& image)
{
    QCryptographicHash hash(QCryptographicHash::Md5);
    const int head[3] = {image.width(), image.height(), int(image.format())};
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(head), sizeof head));
    const qsizetype row = qsizetype(image.width()) * image.depth() / 8;
    for (int y = 0; y < image.height(); ++y)
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(image.constScanLine(y)), row));
    return hash.result();
}

} // namespace

int TPdfImages::Object(const QImage& source)
{
    if (source.isNull())
        return 0;
    const QByteArray key = Digest(source);
    if (const int found = m_objects.value(key))
        return found;

    const int w = source.width();
    const int h = source.height();
    int smask = 0;
    if (source.hasAlphaChannel()) {
        const QImage argb = source.convertToFormat(QImage::Format_ARGB32);
        QByteArray alpha(qsizetype(w) * h, '\0');
        bool opaque = true;
        for (int y = 0; y < h; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
            for (int x = 0; x < w; ++x) {
                const int a = qAlpha(line[x]);
                alpha[qsizetype(y) * w + x] = char(a);
                opaque = opaque && a == 255;
            }
        }
        if (!opaque) {
            smask = m_file.Reserve();
            QByteArray dict(" /Type /XObject /Subtype /Image /Width ");
            PdfAppendInt(dict, w);
            dict.append(" /Height ");
            PdfAppendInt(dict, h);
            dict.append(" /ColorSpace /DeviceGray /BitsPerComponent 8");
            m_file.WriteStream(smask, dict, alpha);
        }
    }

    const bool gray = source.allGray();
    const QImage pixels = source.convertToFormat(gray ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    const qsizetype row = qsizetype(w) * (gray ? 1 : 3);
    QByteArray data;
    data.reserve(row * h);
    for (int y = 0; y < h; ++y)
        data.append(reinterpret_cast<const char*>(pixels.constScanLine(y)), row);

    const int object = m_file.Reserve();
    QByteArray dict(" /Type /XObject /Subtype /Image /Width ");
    PdfAppendInt(dict, w);
    dict.append(" /Height ");
    PdfAppendInt(dict, h);
    dict.append(gray ? " /ColorSpace /DeviceGray" : " /ColorSpace /DeviceRGB");
    dict.append(" /BitsPerComponent 8");
    if (smask) {
        dict.append(" /SMask ");
        PdfAppendInt(dict, smask);
        dict.append(" 0 R");
    }
    m_file.WriteStream(object, dict, data);
    m_objects.insert(key, object);
    return object;
}

int TPdfImages::JpegObject(const QByteArray& jpeg, const QImage& image)
{
    const QByteArray key = QCryptographicHash::hash(jpeg, QCryptographicHash::Md5) + "jpeg";
    if (const int found = m_objects.value(key))
        return found;
    const int object = m_file.Reserve();
    QByteArray dict(" /Type /XObject /Subtype /Image /Width ");
    PdfAppendInt(dict, image.width());
    dict.append(" /Height ");
    PdfAppendInt(dict, image.height());
    dict.append(image.isGrayscale() ? " /ColorSpace /DeviceGray" : " /ColorSpace /DeviceRGB");
    dict.append(" /BitsPerComponent 8 /Filter /DCTDecode");
    m_file.WriteStream(object, dict, jpeg, false);
    m_objects.insert(key, object);
    return object;
}

} // namespace orvane
