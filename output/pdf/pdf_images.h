#pragma once

// The images of a PDF file: each distinct image written once as an image
// object (lossless, with a soft mask for transparency), however many pages
// draw it; JPEG data that is drawn as it was read passes through unchanged.

#include <QByteArray>
#include <QHash>

class QImage;

namespace orvane {

class TPdfFile;

class TPdfImages {
public:
    explicit TPdfImages(TPdfFile& file) : m_file(file) {}
    // The object number of the image.
    int Object(const QImage& image);
    // The object number of JPEG data that decodes to `image` (its size and colours).
    int JpegObject(const QByteArray& jpeg, const QImage& image);

private:
    TPdfFile& m_file;
    QHash<QByteArray, int> m_objects;  // content digest -> object
};

// The JPEG data an image drew from, handed to the PDF writer with the image
// (an image's text key under this name holds nothing else).
inline constexpr const char* kPdfJpegKey = "orvane-jpeg";

} // namespace orvane
