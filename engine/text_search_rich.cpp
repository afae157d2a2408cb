#include "engine/text_search_rich.h"

#include "components/rich_edit.h"
#include "components/rich_text_engine.h"
#include "components/rtf.h"
#include "document/units.h"
#include "output/draw_other.h"
#include "platform/canvas.h"

#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

namespace orvane {

namespace {

constexpr TColor kRichHighlightText = clCream;
constexpr TColor kRichHighlightBackground = 0x6A240A;

// The last character of the command's range; below `start` when it has none.
int RangeLast(const TjxDrawRichText& command, const TjxRichEdit& edit)
{
    return std::min(command.EndCharPos(), edit.CharCount() - 1);
}

int TwipsToThousandths(double twips)
{
    return PixelsToThousandths(std::llround(twips), kRichTextDpi);
}

// The rectangle of the match's first line on the page, in thousandths.
QRect MatchRect(const TjxDrawRichText& command, const TjxRichEdit& edit, int from, int length, int* lineNo)
{
    const int start = command.StartCharPos();
    const auto rects = TjxRTFEngine::TextRects(edit, command.LayoutWidth(), start, RangeLast(command, edit), from, length);
    if (rects.empty())
        return {};
    const QRectF first = rects.front().rect;
    if (lineNo) {
        // Lines above it in the range, counted by their tops.
        const auto before =
            TjxRTFEngine::TextRects(edit, command.LayoutWidth(), start, RangeLast(command, edit), start, from - start);
        *lineNo = 1 + int(std::count_if(before.begin(), before.end(),
                                        [&](const auto& r) { return r.rect.top() < first.top() - 0.5; }));
    }
    const QPoint origin = command.TextOrigin();
    const int left = origin.x() + TwipsToThousandths(first.left());
    const int top = origin.y() + TwipsToThousandths(first.top());
    const int right = origin.x() + TwipsToThousandths(first.right());
    const int bottom = origin.y() + TwipsToThousandths(first.bottom());
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

} // namespace

void AppendRichTextOccurrences(std::vector<TjxTextSearchOccurrence>& found, const TjxDrawRichText& command,
                               int commandIndex, const QString& text, const TjxTextSearchOptions& options)
{
    const int start = command.StartCharPos();
    if (text.isEmpty() || start < 0)
        return;
    const std::shared_ptr<const TjxRichEdit> edit = command.Document();
    const int last = RangeLast(command, *edit);
    if (last < start)
        return;
    const QString range = edit->TextRange(start, last - start + 1);
    int running = 0;
    int from = 0;
    while (const int at = TjxTextSearchToolbox::Find(range, text, options.WholeWord, options.CaseSensitive, from)) {
        TjxTextSearchOccurrence occurrence;
        occurrence.DrawCommandIndex = commandIndex;
        occurrence.OccurrenceNo = ++running;
        occurrence.CharPos = start + at - 1;
        occurrence.Length = int(text.size());
        occurrence.TextRect = MatchRect(command, *edit, occurrence.CharPos, occurrence.Length, &occurrence.LineNo);
        if (occurrence.TextRect.isNull())
            occurrence.TextRect = QRect(command.Left(), command.Top(), command.Width(), command.Height());
        occurrence.Top = occurrence.TextRect.top();
        occurrence.Left = occurrence.TextRect.left();
        found.push_back(occurrence);
        from = at - 1 + int(text.size());
    }
}

std::unique_ptr<TjxDrawRichText> CreateRichTextHighlight(const TjxDrawRichText& command,
                                                         const std::vector<const TjxTextSearchOccurrence*>& occurrences)
{
    std::lock_guard lock(RichTextLock());
    const std::shared_ptr<const TjxRichEdit> source = command.Document();
    const int start = command.StartCharPos();
    const int last = RangeLast(command, *source);
    for (const TjxTextSearchOccurrence* occurrence : occurrences)
        if (start < 0 || occurrence->Length <= 0 || occurrence->CharPos < start ||
            occurrence->CharPos + occurrence->Length - 1 > last)
            return nullptr;
    // The matched range of a copy is recoloured as a selection is: the
    // layout stays the page's, so the copy draws the same lines.
    auto edit = std::make_shared<TjxRichEdit>();
    edit->Assign(*source);
    QTextCharFormat format;
    format.setForeground(ToQColor(kRichHighlightText));
    format.setBackground(ToQColor(kRichHighlightBackground));
    for (const TjxTextSearchOccurrence* occurrence : occurrences) {
        QTextCursor cursor(&edit->Document());
        cursor.setPosition(occurrence->CharPos);
        cursor.setPosition(occurrence->CharPos + occurrence->Length, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(format);
    }
    auto highlight = std::make_unique<TjxDrawRichText>();
    highlight->Assign(&command);
    highlight->SetRichTextContent(std::make_shared<const TjxRichTextContent>(std::move(edit)));
    return highlight;
}

} // namespace orvane
