#pragma once

// Laying plain text out in thousandths of a millimetre with measurements
// taken on a device: tokens, word wrapping with continuation by character
// position, line counts, tab stops, justification and rotated text.

#include "components/printable.h"
#include "document/units.h"
#include "platform/text_measurer.h"

#include <QStringList>
#include <QStringView>
#include <vector>

namespace orvane {

class TFont;
class TjxCustomPrinter;

struct TjxTextMarkup {
    static constexpr QChar Tab{u'\t'};
    static constexpr QChar CarriageReturn{u'\r'};
    static constexpr QChar LineFeed{u'\n'};
    static constexpr QChar Space{u' '};
    static constexpr QStringView LineBreak{u"\r\n"};
    // "$" and the pilcrow (0xB6 in the single-byte code page): ends a paragraph
    // like a line break; at the end of a wrapped line it tells the devices not
    // to justify that line. Never printed.
    static constexpr QStringView ParagraphEnd{u"$\u00B6"};
};

// Splits plain text into words, single spaces, single tabs and line breaks.
// Every kind of line break (CR LF, CR, LF, the paragraph-end marker) comes as
// TjxTextMarkup::LineBreak; a word never contains one, so the two never mix.
class TjxTextTokenizer {
public:
    TjxTextTokenizer() = default;
    explicit TjxTextTokenizer(const QString& text, int position = 0) { SetText(text, position); }

    void SetText(const QString& text, int position = 0);
    // The next token; empty (and AtEnd) once the text is used up.
    QString NextToken();
    // Index of the next character.
    int Position() const { return m_position; }
    // Where the token returned last begins.
    int TokenStart() const { return m_tokenStart; }
    bool AtEnd() const { return m_atEnd; }

private:
    bool IsParagraphEnd(qsizetype i) const;

    QString m_text;
    int m_position = 0;
    int m_tokenStart = 0;
    bool m_atEnd = false;
};

struct TjxWrapMetrics {
    int lineHeight = 0;  // thousandths of mm, leading included
    int widestLine = 0;  // thousandths of mm
};

// Fills `lines` with the lines of `text` from character `position` that fit
// `rect`, and moves `position` to where the rest begins (the text's length
// when all of it was placed; unchanged when not even one line fits). Measures
// on the printer's resolution, or the screen's without one. `tabStops` holds
// integers in thousandths of mm.
TjxWrapMetrics WrapText(const QString& text, const TjxRect& rect, QStringList& lines, int& position,
                        TjxCustomPrinter* printer, const QStringList& tabStops, int leading, bool charWrap,
                        const TFont& font, bool autoSize, TjxTextAlignment alignment,
                        const TTextMeasurer& measurer = DefaultTextMeasurer());

// Lines of the font (plus leading) that fit `availableHeight`, rounded to the
// nearest; `lineHeight` receives one line's height in thousandths of mm.
int LineCount(const TFont& font, int leading, TjxCustomPrinter* printer, int availableHeight, int& lineHeight,
              const TTextMeasurer& measurer = DefaultTextMeasurer());

// Tab stops in thousandths of mm to device pixels (unit utPrinterPixels or
// utScreenPixels; any other unit gives none). Lines that are not integers are
// skipped; at most 100 stops are kept.
std::vector<int> ConvertTabStops(TjxUnitType unit, const QStringList& tabStops, TjxCustomPrinter* printer);

inline constexpr int kMaxTabStops = 100;

// Width in pixels of one line with its tabs expanded: no stops means a stop
// every eight average characters, one stop a stop at every multiple of it,
// more stops those positions; a tab past the last of them adds nothing.
double TabbedWidth(const TTextMeasurer& measurer, const TFont& font, int dpi, QStringView text,
                   const std::vector<int>& tabPositions);

// Removes the paragraph-end marker from the end of a laid-out line; true when it was there.
bool TakeParagraphEnd(QString& line);

// How a device spreads a line over its rectangle: `extra` pixels shared by the
// `breakCount` spaces that follow the first `leadingSpaces` characters.
struct TjxLineJustification {
    int breakCount = 0;
    int leadingSpaces = 0;
    double extra = 0;
    bool Active() const { return breakCount > 0; }
    double ExtraPerBreak() const { return breakCount > 0 ? extra / breakCount : 0; }
};

// Prepares `line` (rewritten to the text to draw: marker and trailing spaces
// removed, a single word spaced out letter by letter) to fill `width` pixels.
// An empty line gives no justification.
TjxLineJustification JustifyLine(const TTextMeasurer& measurer, const TFont& font, int dpi, double width,
                                 const std::vector<int>& tabPositions, QString& line);

struct TjxRotatedText {
    TjxRect box;                 // the box, grown and moved by AutoSize
    int textWidth = 0;           // the text unrotated, as one line
    int textHeight = 0;
    int lineLength = 0;          // along the baseline, as fitted to the box
    int width = 0;               // extents of the rotated text
    int height = 0;
    int originLeft = 0;          // rotated top-left corner of the text cell
    int originTop = 0;
};

// Sizes text turned by `angle` degrees counter-clockwise inside `box` (all in
// thousandths of mm, measured at the screen's resolution). With AutoSize the
// box takes the rotated extents plus the visible border and keeps the corner
// where the text is anchored; without it the line is fitted to the box.
TjxRotatedText SizeRotatedText(const QString& text, const TjxRect& box, const TjxBorder& border,
                               TjxTextAlignment alignment, bool autoSize, int angle, const TFont& font,
                               const TTextMeasurer& measurer = DefaultTextMeasurer());

} // namespace orvane
