#pragma once

// Text search in rich text draw commands: the matches within the range a
// page prints, placed where the page's layout draws them, and their highlights.

#include "engine/text_search.h"

namespace orvane {

class TjxDrawRichText;

// Appends the matches of `text` in the command's range, in the order they
// come, numbered on from 1, each with its line (1-based in the range) and
// the rectangle of its first line as drawn.
void AppendRichTextOccurrences(std::vector<TjxTextSearchOccurrence>& found, const TjxDrawRichText& command,
                               int commandIndex, const QString& text, const TjxTextSearchOptions& options);

// The highlight of a rich text match: its characters as written, in the
// match's font and the rich text highlight colours, over its rectangle.
// None when the match is no longer in the command's range.
std::unique_ptr<TjxDrawText> CreateRichTextHighlight(const TjxDrawRichText& command,
                                                     const TjxTextSearchOccurrence& occurrence);

} // namespace orvane
