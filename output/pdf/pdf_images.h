#pragma once

// The images of a PDF file: each distinct image written once as an image
// object (lossless, with a soft mask for transparency), however many pages
// draw it; JPEG data that is drawn as it was read passes through unchanged.

#include <QByteArray>
#include <QHash>
#include <utility>

class QImage;

namespace orvane {

class TPdfFile;

class TPdfImages {
public:
    explicit TPdfImages(TPdfFile& file) : m_file(file) {}
    // The object number of the image.
    int Object(const QImage& image);
    // The object number of JPEG data that decodes to `image`; 0 for data a
    // PDF reader could not take as it is (not grey or RGB, or not JPEG at all).
    int JpegObject(const QByteArray& jpeg, const QImage& image);

private:
    TPdfFile& m_file;
    QHash<QByteArray, int> m_objects;  // content digest -> object
    // The same image data drawn again is found without reading it: QImage
    // cache keys are never reused, and the kept bytes keep their address taken.
    QHash<qint64, int> m_byImageKey;
    QHash<const char*, std::pair<QByteArray, int>> m_byJpegData;
};

} // namespace orvane
