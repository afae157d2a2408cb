#pragma once

// Where a full-justified line puts its pieces: one rule for drawing the line
// and for finding a word on it again.

#include <QString>

#include <functional>

namespace orvane {

// Walks `text` as drawn from x = 0 with `extra` pixels shared by the blanks
// after the first `leadingSpaces` characters (`breaks` of them; the first
// blanks take the remainder of the whole pixels). Each piece ends after a
// blank or at the end of the text; `piece` gets its start index, its text and
// its x. `width` measures a text.
void ForEachJustifiedPiece(const QString& text, int leadingSpaces, int breaks, double extra,
                           const std::function<double(QStringView)>& width,
                           const std::function<void(qsizetype start, const QString& piece, double x)>& piece);

// The x of character `index` of such a line (the text's width for the end).
double JustifiedCharPosition(const QString& text, int leadingSpaces, int breaks, double extra, qsizetype index,
                             const std::function<double(QStringView)>& width);

} // namespace orvane
