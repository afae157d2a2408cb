#include "components/rich_text_engine.h"

#include "components/rich_edit.h"
#include "components/rtf.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <thread>
#include <vector>

namespace orvane {

std::recursive_mutex& RichTextLock()
{
    static std::recursive_mutex lock;
    return lock;
}

const std::vector<TjxRichEdit::TLine>& TjxRichEdit::Lines(int width) const
{
    QTextDocument& document = *m_document;
    width = std::max(width, 1);
    if (m_linesWidth == width && m_linesRevision == document.revision())
        return m_lines;
    document.setTextWidth(width);
    // Lays the whole document out now.
    document.documentLayout()->documentSize();
    m_lines.clear();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        const double y = layout->position().y();
        const int count = layout->lineCount();
        for (int i = 0; i < count; ++i) {
            const QTextLine line = layout->lineAt(i);
            TLine entry;
            entry.top = y + line.y();
            entry.bottom = entry.top + line.height();
            entry.start = block.position() + line.textStart();
            entry.end = i + 1 < count ? block.position() + layout->lineAt(i + 1).textStart()
                                      : block.position() + block.length();
            m_lines.push_back(entry);
        }
        if (count == 0) {
            // A block without lines (never expected) still owns its characters.
            const QRectF rect = document.documentLayout()->blockBoundingRect(block);
            m_lines.push_back({rect.top(), rect.top(), block.position(), block.position() + block.length()});
        }
    }
    m_linesWidth = width;
    m_linesRevision = document.revision();
    return m_lines;
}

namespace {

using TLines = std::vector<TjxRichEdit::TLine>;

// The line holding character `pos` (the last line for positions beyond).
size_t LineOf(const TLines& lines, int pos)
{
    const auto it = std::upper_bound(lines.begin(), lines.end(), pos,
                                     [](int p, const TjxRichEdit::TLine& line) { return p < line.end; });
    if (it == lines.end())
        return lines.empty() ? 0 : lines.size() - 1;
    return size_t(it - lines.begin());
}

// Layout coordinates are exact to a thousandth of a twip; rounding noise of the
// layout must not push a line off a page it fits on.
constexpr double kSlack = 0.001;

} // namespace

int TjxRTFEngine::FormatRange(const TjxRichEdit& edit, int width, int start, int end, int height)
{
    std::lock_guard lock(RichTextLock());
    const TLines& lines = edit.Lines(width);
    if (lines.empty())
        return start;
    const size_t first = LineOf(lines, start);
    const size_t last = LineOf(lines, std::max(start, end));
    const double top = lines[first].top;
    int result = start;
    for (size_t i = first; i <= last; ++i) {
        if (lines[i].bottom - top > height + kSlack)
            break;
        result = lines[i].end;
    }
    return result;
}

int TjxRTFEngine::RangeHeight(const TjxRichEdit& edit, int width, int start, int end)
{
    std::lock_guard lock(RichTextLock());
    const TLines& lines = edit.Lines(width);
    if (lines.empty())
        return 0;
    const size_t first = LineOf(lines, start);
    const size_t last = LineOf(lines, std::max(start, end));
    return int(std::ceil(lines[last].bottom - lines[first].top - kSlack));
}

TjxRichTextMeasure TjxRTFEngine::Measure(const TjxRichEdit& edit, int width, int height, int start, int end)
{
    std::lock_guard lock(RichTextLock());
    TjxRichTextMeasure result;
    const int next = FormatRange(edit, width, start, end, height);
    if (next > end) {
        result.fits = true;
        result.usedHeight = RangeHeight(edit, width, start, end);
        result.lastChar = end;
        return result;
    }
    // Only paragraph or line ends left: they print as nothing. Read in place,
    // within the plain text (the document's closing separator is not in it).
    const QTextDocument& document = edit.Document();
    const int restEnd = std::min(end, edit.CharCount() - 1);
    bool onlyBreaks = true;
    for (int i = std::max(next, 0); i <= restEnd && onlyBreaks; ++i) {
        const QChar c = document.characterAt(i);
        onlyBreaks = c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
    }
    if (next > start && onlyBreaks) {
        result.fits = true;
        result.usedHeight = RangeHeight(edit, width, start, next - 1);
        result.lastChar = end;
        return result;
    }
    result.fits = false;
    result.lastChar = next - 1;
    result.usedHeight = height;
    return result;
}

void TjxRTFEngine::Render(const TjxRichEdit& edit, QPainter& painter, const QRectF& target, int width, double dpiX,
                          double dpiY, int start, int end)
{
    std::lock_guard lock(RichTextLock());
    if (dpiX <= 0 || dpiY <= 0 || target.isEmpty())
        return;
    const double sx = dpiX / kRichTextDpi;
    const double sy = dpiY / kRichTextDpi;
    width = std::max(width, 1);
    const TLines& lines = edit.Lines(width);
    if (lines.empty() || start < 0)
        return;
    const size_t first = LineOf(lines, start);
    const size_t last = LineOf(lines, std::max(start, end));
    const double top = lines[first].top;
    const double bottom = lines[last].bottom;

    painter.save();
    painter.setClipRect(target, Qt::IntersectClip);
    painter.translate(target.topLeft());
    painter.scale(sx, sy);
    painter.translate(0, -top);
    painter.setClipRect(QRectF(0, top, width, bottom - top), Qt::IntersectClip);
    painter.setPen(Qt::black);

    // A range that starts inside a paragraph: that paragraph's lines from
    // the range's first, one by one. The layout would emit the paragraph's
    // earlier lines too, clipped away but still text in a PDF.
    double from = top;
    const QTextBlock firstBlock = edit.Document().findBlock(lines[first].start);
    size_t i = first;
    if (firstBlock.isValid() && lines[first].start > firstBlock.position()) {
        const QTextLayout* layout = firstBlock.layout();
        const int blockEnd = firstBlock.position() + firstBlock.length();
        for (; i <= last && lines[i].start < blockEnd; ++i) {
            const QTextLine line = layout->lineForTextPosition(lines[i].start - firstBlock.position());
            if (line.isValid())
                line.draw(&painter, layout->position());
        }
        if (i <= last)
            from = lines[i].top;
    }
    if (i <= last) {
        QAbstractTextDocumentLayout::PaintContext context;
        // Lines that only meet the clip's edge are drawn too: a twip inside,
        // the range's neighbours stay out.
        context.clip = QRectF(0, from, width, bottom - from).adjusted(0, 1, 0, -1);
        context.palette.setColor(QPalette::Text, Qt::black);
        edit.Document().documentLayout()->draw(&painter, context);
    }
    painter.restore();
}

std::vector<TjxRTFEngine::TTextRect> TjxRTFEngine::TextRects(const TjxRichEdit& edit, int width, int start, int end,
                                                             int from, int length)
{
    std::lock_guard lock(RichTextLock());
    std::vector<TTextRect> rects;
    const TLines& lines = edit.Lines(std::max(width, 1));
    if (lines.empty() || start < 0 || length <= 0)
        return rects;
    const size_t first = LineOf(lines, start);
    const size_t last = LineOf(lines, std::max(start, end));
    const int rangeFrom = lines[first].start;
    const int rangeTo = lines[last].end;
    const int to = std::min(from + length, rangeTo);
    from = std::max(from, rangeFrom);
    if (from >= to)
        return rects;
    const double top = lines[first].top;
    const QTextDocument& document = edit.Document();
    for (size_t i = LineOf(lines, from); i <= last && lines[i].start < to; ++i) {
        const int a = std::max(from, lines[i].start);
        const int b = std::min(to, lines[i].end);
        if (a >= b)
            continue;
        const QTextBlock block = document.findBlock(a);
        const QTextLayout* layout = block.isValid() ? block.layout() : nullptr;
        if (!layout)
            continue;
        const QTextLine line = layout->lineForTextPosition(a - block.position());
        if (!line.isValid())
            continue;
        // The paragraph end has no width of its own.
        const int lineEnd = line.textStart() + line.textLength();
        const double x1 = line.cursorToX(a - block.position());
        const double x2 = line.cursorToX(std::min(b - block.position(), lineEnd));
        rects.push_back({QRectF(layout->position().x() + std::min(x1, x2), lines[i].top - top, std::abs(x2 - x1),
                                lines[i].bottom - lines[i].top),
                         a, b});
    }
    return rects;
}

namespace {

// The documents live as long as someone holds them (the draw commands of one
// text's pages); each thread reads its own.
struct TCachedEntry {
    std::thread::id thread;
    QByteArray bytes;
    std::weak_ptr<const TjxRichEdit> edit;
};

std::vector<TCachedEntry>& CachedEntries()
{
    static std::vector<TCachedEntry> entries;
    std::erase_if(entries, [](const TCachedEntry& e) { return e.edit.expired(); });
    return entries;
}

} // namespace

TjxRichTextContent::TjxRichTextContent(std::shared_ptr<const TjxRichEdit> edit) : m_edit(std::move(edit)) {}

const QByteArray& TjxRichTextContent::Bytes() const
{
    std::lock_guard lock(RichTextLock());
    if (!m_written) {
        m_bytes = m_edit->SaveToBytes();
        m_written = true;
        // Pages read back from a stream in this thread find the document
        // rather than reading the bytes again.
        if (UsableHere())
            CachedEntries().push_back({std::this_thread::get_id(), m_bytes, m_edit});
    }
    return m_bytes;
}

bool TjxRichTextContent::UsableHere() const
{
    return m_edit->Document().thread() == QThread::currentThread();
}

std::shared_ptr<const TjxRichEdit> TjxRTFEngine::CachedDocument(const QByteArray& bytes)
{
    using TEntry = TCachedEntry;
    std::lock_guard lock(RichTextLock());
    std::vector<TEntry>& entries = CachedEntries();
    const std::thread::id thread = std::this_thread::get_id();
    for (const TEntry& e : entries) {
        if (e.thread == thread && (e.bytes.isSharedWith(bytes) || e.bytes == bytes)) {
            if (auto edit = e.edit.lock())
                return edit;
        }
    }
    auto edit = std::make_shared<TjxRichEdit>();
    try {
        edit->LoadFromBytes(bytes);
    } catch (const std::exception&) {
        // What cannot be read draws nothing.
    }
    entries.push_back({thread, bytes, edit});
    return edit;
}

} // namespace orvane
