#pragma once

// Text search in rich text draw commands: the matches within the range a
// page prints, placed where the page's layout draws them, and their highlights.

#include "engine/text_search.h"

namespace orvane {

class TjxDrawRichText;

// Appends the matches of `text` in the command's range, in the order they
// come, numbered on from 1, each with its line (1-based in the range) and
// the rectangle of its first line as drawn (the sort key).
void AppendRichTextOccurrences(std::vector<TjxTextSearchOccurrence>& found, const TjxDrawRichText& command,
                               int commandIndex, const QString& text, const TjxTextSearchOptions& options);

// The highlight of rich text matches: a copy of the command, drawn in its
// place, whose matched characters (on every line they run over) are in the
// rich text highlight colours. The command and its content are not changed,
// so nothing needs restoring. None when a match is outside the range.
std::unique_ptr<TjxDrawRichText> CreateRichTextHighlight(const TjxDrawRichText& command,
                                                         const std::vector<const TjxTextSearchOccurrence*>& occurrences);

} // namespace orvane
