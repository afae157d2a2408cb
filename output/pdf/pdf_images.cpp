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
    const qsizetype row = (qsizetype(image.width()) * image.depth() + 7) / 8;
    for (int y = 0; y < image.height(); ++y)
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(image.constScanLine(y)), row));
    return hash.result();
}

// The number of colour components of baseline or progressive JPEG data
// (from its frame header); 0 when the data is not JPEG.
int JpegComponents(const QByteArray& jpeg)
{
    const auto* d = reinterpret_cast<const uchar*>(jpeg.constData());
    const qsizetype n = jpeg.size();
    if (n < 4 || d[0] != 0xFF || d[1] != 0xD8)
        return 0;
    qsizetype i = 2;
    while (i + 4 <= n) {
        if (d[i] != 0xFF)
            return 0;
        const uchar marker = d[i + 1];
        if (marker == 0xFF) {
            ++i;
            continue;
        }
        const int length = (d[i + 2] << 8) | d[i + 3];
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame)
            return i + 9 < n ? d[i + 9] : 0;
        if (marker == 0xD9 || marker == 0xDA || length < 2)
            return 0;
        i += 2 + length;
    }
    return 0;
}

} // namespace

int TPdfImages::Object(const QImage& source)
{
    if (source.isNull())
        return 0;
    if (const int found = m_byImageKey.value(source.cacheKey()))
        return found;
    const QByteArray key = Digest(source);
    if (const int found = m_objects.value(key)) {
        m_byImageKey.insert(source.cacheKey(), found);
        return found;
    }

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
    m_byImageKey.insert(source.cacheKey(), object);
    return object;
}

int TPdfImages::JpegObject(const QByteArray& jpeg, const QImage& image)
{
    const auto known = m_byJpegData.constFind(jpeg.constData());
    if (known != m_byJpegData.cend() && known->first.size() == jpeg.size())
        return known->second;
    const int components = JpegComponents(jpeg);
    if (components != 1 && components != 3)
        return 0;
    const QByteArray key = QCryptographicHash::hash(jpeg, QCryptographicHash::Md5) + "jpeg";
    if (const int found = m_objects.value(key)) {
        m_byJpegData.insert(jpeg.constData(), {jpeg, found});
        return found;
    }
    const int object = m_file.Reserve();
    QByteArray dict(" /Type /XObject /Subtype /Image /Width ");
    PdfAppendInt(dict, image.width());
    dict.append(" /Height ");
    PdfAppendInt(dict, image.height());
    dict.append(components == 1 ? " /ColorSpace /DeviceGray" : " /ColorSpace /DeviceRGB");
    dict.append(" /BitsPerComponent 8 /Filter /DCTDecode");
    m_file.WriteStream(object, dict, jpeg, false);
    m_objects.insert(key, object);
    m_byJpegData.insert(jpeg.constData(), {jpeg, object});
    return object;
}

} // namespace orvane
