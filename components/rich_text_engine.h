#pragma once

// Measuring and rendering character ranges of rich text. The document is laid
// out once, in twips, at the width of the rectangle; every device renders that
// layout scaled, so that lines and page ranges are the same on the printer,
// in PDF, in images and on the screen. Ranges are whole lines.

#include "document/graphic_objects.h"

#include <QByteArray>
#include <QRectF>

#include <memory>
#include <mutex>
#include <vector>

class QPainter;

namespace orvane {

class TjxRichEdit;

// Held by every rich text operation, so that threads format one at a time.
std::recursive_mutex& RichTextLock();

struct TjxRichTextMeasure {
    bool fits = false;
    int usedHeight = 0; // twips
    int lastChar = -1;  // the last character that fits
};

class TjxRTFEngine {
public:
    // Lengths in twips. `end` is the last character of the range (inclusive).
    // The first character not formatted when the lines from the one holding
    // `start` fill `height`; `start` when not even that line fits.
    static int FormatRange(const TjxRichEdit& edit, int width, int start, int end, int height);
    // Whether the range fits into the rectangle: a rest of only paragraph or
    // line ends fits. When not, the last character that fits (start − 1 when
    // none) and the rectangle's height.
    static TjxRichTextMeasure Measure(const TjxRichEdit& edit, int width, int height, int start, int end);
    // The height of the lines holding the range.
    static int RangeHeight(const TjxRichEdit& edit, int width, int start, int end);
    // Draws the lines holding the range, laid out at `width`, from the top
    // left of `target` (device coordinates of the painter at the given
    // resolution), clipped to it.
    static void Render(const TjxRichEdit& edit, QPainter& painter, const QRectF& target, int width, double dpiX,
                       double dpiY, int start, int end);

    // Where characters [from, from + length) of the range are drawn by
    // Render: one rectangle per line they fall on, in twips from the top left
    // of the range. Characters outside the range have none.
    struct TTextRect {
        QRectF rect;
        int start = 0; // the characters on this line
        int end = 0;
    };
    static std::vector<TTextRect> TextRects(const TjxRichEdit& edit, int width, int start, int end, int from,
                                            int length);

    // A document read from rich text bytes, shared by the holders of the
    // same bytes in one thread, so that the pages of one text parse it once.
    static std::shared_ptr<const TjxRichEdit> CachedDocument(const QByteArray& bytes);
};

// The content one text prints with: the document its pages were measured on,
// which no longer changes, shared by the draw commands of those pages so that
// they draw from the same layout. Its rich text is written when first asked
// for, once for all pages.
class TjxRichTextContent {
public:
    explicit TjxRichTextContent(std::shared_ptr<const TjxRichEdit> edit);

    const TjxRichEdit& Edit() const { return *m_edit; }
    const QByteArray& Bytes() const;
    // Whether the document may be used by the calling thread (a document
    // belongs to the thread that made it).
    bool UsableHere() const;

private:
    std::shared_ptr<const TjxRichEdit> m_edit;
    mutable QByteArray m_bytes;
    mutable bool m_written = false;
};

} // namespace orvane
