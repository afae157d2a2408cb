#include "components/text_layout.h"

#include "document/graphic_objects.h"
#include "document/printer.h"

#include <QPoint>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>
#include <utility>

namespace orvane {

// --- Tokens ---------------------------------------------------------------

void TjxTextTokenizer::SetText(const QString& text, int position)
{
    m_text = text;
    m_position = std::clamp(position, 0, int(text.size()));
    m_tokenStart = m_position;
    m_atEnd = false;
}

bool TjxTextTokenizer::IsParagraphEnd(qsizetype i) const
{
    return i + 1 < m_text.size() && m_text[i] == TjxTextMarkup::ParagraphEnd[0] &&
           m_text[i + 1] == TjxTextMarkup::ParagraphEnd[1];
}

QString TjxTextTokenizer::NextToken()
{
    m_tokenStart = m_position;
    const qsizetype length = m_text.size();
    if (m_position >= length) {
        m_atEnd = true;
        return {};
    }
    const QChar c = m_text[m_position];
    if (c == TjxTextMarkup::Space || c == TjxTextMarkup::Tab) {
        ++m_position;
        return QString(c);
    }
    if (c == TjxTextMarkup::CarriageReturn) {
        ++m_position;
        if (m_position < length && m_text[m_position] == TjxTextMarkup::LineFeed)
            ++m_position;
        return TjxTextMarkup::LineBreak.toString();
    }
    if (c == TjxTextMarkup::LineFeed) {
        ++m_position;
        return TjxTextMarkup::LineBreak.toString();
    }
    if (IsParagraphEnd(m_position)) {
        m_position += 2;
        return TjxTextMarkup::LineBreak.toString();
    }
    qsizetype end = m_position;
    while (end < length) {
        const QChar d = m_text[end];
        if (d == TjxTextMarkup::Space || d == TjxTextMarkup::Tab || d == TjxTextMarkup::CarriageReturn ||
            d == TjxTextMarkup::LineFeed || IsParagraphEnd(end))
            break;
        ++end;
    }
    const QString word = m_text.mid(m_position, end - m_position);
    m_position = int(end);
    return word;
}

// --- Tab stops --------------------------------------------------------------

namespace {

bool ParseInteger(const QString& text, int& value)
{
    const QByteArray latin = text.trimmed().toLatin1();
    const char* begin = latin.constData();
    const char* end = begin + latin.size();
    if (begin != end && *begin == '+')
        ++begin;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    return begin != end && ec == std::errc() && ptr == end;
}

} // namespace

std::vector<int> ConvertTabStops(TjxUnitType unit, const QStringList& tabStops, TjxCustomPrinter* printer)
{
    std::vector<int> positions;
    if (unit != utPrinterPixels && unit != utScreenPixels)
        return positions;
    for (const QString& stop : tabStops) {
        if (int(positions.size()) >= kMaxTabStops)
            break;
        int th = 0;
        if (ParseInteger(stop, th))
            positions.push_back(int(ThousandthsToUnits(th, unit, axHorizontal, printer)));
    }
    return positions;
}

namespace {

// How a tab moves the pen: no stops means a stop every eight average
// characters, one stop a stop at every multiple of it, more stops those
// positions; a tab past the last of them does not move it.
struct TTabRule {
    double interval = 0;
    bool regular = true;
    const std::vector<int>* positions = nullptr;

    TTabRule(const TTextMeasurer& measurer, const TFont& font, int dpi, const std::vector<int>& tabPositions)
        : regular(tabPositions.size() <= 1), positions(&tabPositions)
    {
        if (tabPositions.empty())
            interval = 8 * measurer.AverageCharWidth(font, dpi);
        else if (tabPositions.size() == 1)
            interval = tabPositions[0] > 0 ? tabPositions[0] : 8 * measurer.AverageCharWidth(font, dpi);
    }

    double Next(double x) const
    {
        if (regular)
            return interval > 0 ? (std::floor(x / interval) + 1) * interval : x;
        const auto next = std::find_if(positions->begin(), positions->end(), [x](int p) { return p > x; });
        return next != positions->end() ? *next : x;
    }
};

} // namespace

double TabbedWidth(const TTextMeasurer& measurer, const TFont& font, int dpi, QStringView text,
                   const std::vector<int>& tabPositions)
{
    if (!text.contains(TjxTextMarkup::Tab))
        return measurer.TextWidth(font, dpi, text);
    const TTabRule tabs(measurer, font, dpi, tabPositions);
    double x = 0;
    qsizetype segment = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != TjxTextMarkup::Tab)
            continue;
        x += measurer.TextWidth(font, dpi, text.mid(segment, i - segment));
        if (i == text.size())
            break;
        x = tabs.Next(x);
        segment = i + 1;
    }
    return x;
}

// --- Measuring on a device --------------------------------------------------

namespace {

// The resolution and unit of the device measured on: the printer's when given.
struct TDevice {
    TjxCustomPrinter* printer = nullptr;
    TjxUnitType unit = utScreenPixels;
    int dpiX = kScreenPixelsPerInch;
    int dpiY = kScreenPixelsPerInch;

    explicit TDevice(TjxCustomPrinter* p) : printer(p)
    {
        if (!printer)
            return;
        unit = utPrinterPixels;
        const QPoint ppi = printer->PixelsPerInch();
        dpiX = ppi.x() > 0 ? ppi.x() : kScreenPixelsPerInch;
        dpiY = ppi.y() > 0 ? ppi.y() : kScreenPixelsPerInch;
    }
    int WidthToThousandths(double px) const { return UnitsToThousandths(float(px), unit, axHorizontal, printer); }
    double WidthToPx(int th) const { return ThousandthsToUnits(th, unit, axHorizontal, printer); }
    int HeightToThousandths(double px) const { return UnitsToThousandths(float(px), unit, axVertical, printer); }
};

enum class TTokenKind : uint8_t { End, Word, Space, Tab, LineBreak };

struct TToken {
    TTokenKind kind = TTokenKind::End;
    qsizetype start = 0;
    qsizetype end = -1;  // a word's end is asked of the scanner
};

// The tokens of TjxTextTokenizer as places in the text. A word's end is only
// looked for as far as the layout needs it, so that a word of megabytes costs
// a page what the page holds of it.
class TScanner {
public:
    TScanner(QStringView text, qsizetype position) : m_text(text), m_next(position) {}

    TToken Next()
    {
        if (m_wordOpen)
            WordReach(m_text.size());
        TToken t;
        t.start = m_next;
        const qsizetype length = m_text.size();
        if (m_next >= length) {
            t.end = m_next;
            return t;
        }
        const QChar c = m_text[m_next];
        if (c == TjxTextMarkup::Space || c == TjxTextMarkup::Tab) {
            t.kind = c == TjxTextMarkup::Space ? TTokenKind::Space : TTokenKind::Tab;
            t.end = m_next + 1;
        } else if (c == TjxTextMarkup::CarriageReturn) {
            t.kind = TTokenKind::LineBreak;
            t.end = m_next + 1 < length && m_text[m_next + 1] == TjxTextMarkup::LineFeed ? m_next + 2 : m_next + 1;
        } else if (c == TjxTextMarkup::LineFeed) {
            t.kind = TTokenKind::LineBreak;
            t.end = m_next + 1;
        } else if (IsParagraphEnd(m_next)) {
            t.kind = TTokenKind::LineBreak;
            t.end = m_next + 2;
        } else {
            t.kind = TTokenKind::Word;
            m_wordOpen = true;
            m_scanned = m_next;
            return t;
        }
        m_next = t.end;
        return t;
    }

    // Where the last word ends, or `limit` when it goes on at least that far.
    qsizetype WordReach(qsizetype limit)
    {
        if (!m_wordOpen)
            return std::min(limit, m_next);
        limit = std::min(limit, m_text.size());
        while (m_scanned < limit && !EndsWord(m_scanned))
            ++m_scanned;
        if (m_scanned < limit || m_scanned == m_text.size()) {
            m_wordOpen = false;
            m_next = m_scanned;
        }
        return m_scanned;
    }

    // Past the last token.
    qsizetype Position() { return m_wordOpen ? WordReach(m_text.size()) : m_next; }

private:
    bool IsParagraphEnd(qsizetype i) const
    {
        return i + 1 < m_text.size() && m_text[i] == TjxTextMarkup::ParagraphEnd[0] &&
               m_text[i + 1] == TjxTextMarkup::ParagraphEnd[1];
    }
    bool EndsWord(qsizetype i) const
    {
        const QChar d = m_text[i];
        return d == TjxTextMarkup::Space || d == TjxTextMarkup::Tab || d == TjxTextMarkup::CarriageReturn ||
               d == TjxTextMarkup::LineFeed || IsParagraphEnd(i);
    }

    QStringView m_text;
    qsizetype m_next;          // where the next token starts, unless a word is open
    qsizetype m_scanned = 0;   // an open word's characters are known up to here
    bool m_wordOpen = false;
};

// Widths on the device: pixels as the measurer gives them, thousandths of mm
// as the layout compares them.
class TMeasure {
public:
    TMeasure(const TTextMeasurer& measurer, const TFont& font, const TDevice& device, std::vector<int> tabs)
        : m_measurer(measurer), m_font(font), m_device(device), m_tabs(std::move(tabs)),
          m_tabRule(measurer, font, device.dpiX, m_tabs)
    {
    }

    double Px(QStringView text) const { return m_measurer.TextWidth(m_font, m_device.dpiX, text); }
    // As drawing sees a whole line: with its tabs expanded.
    double LinePx(QStringView text) const { return TabbedWidth(m_measurer, m_font, m_device.dpiX, text, m_tabs); }
    double SpacePx() const
    {
        if (m_spacePx < 0)
            m_spacePx = Px(u" ");
        return m_spacePx;
    }
    double NextTab(double x) const { return m_tabRule.Next(x); }
    int Th(double px) const { return m_device.WidthToThousandths(px); }

private:
    const TTextMeasurer& m_measurer;
    const TFont& m_font;
    const TDevice& m_device;
    std::vector<int> m_tabs;
    TTabRule m_tabRule;
    mutable double m_spacePx = -1;
};

// A word may be measured whole up to this length; a longer one is measured
// by growing prefixes, never further than the line could take.
constexpr qsizetype kLongWord = 1024;
// Token widths are added up; where the sum comes this close to the edge the
// line is measured as one piece, so that the decision is the one that
// measuring whole lines would give.
constexpr double kEstimateSlackPx = 0.5;
// A guess at where a word breaks walks at most this many characters.
constexpr qsizetype kGuessWalk = 1 << 16;

} // namespace

TjxWrapMetrics WrapText(const QString& text, const TjxRect& rect, QStringList& lines, int& position,
                        TjxCustomPrinter* printer, const QStringList& tabStops, int leading, bool charWrap,
                        const TFont& font, bool autoSize, TjxTextAlignment alignment, const TTextMeasurer& measurer)
{
    lines.clear();
    TjxWrapMetrics metrics;
    const TDevice device(printer);
    const TMeasure measure(measurer, font, device,
                           tabStops.isEmpty() ? std::vector<int>{} : ConvertTabStops(device.unit, tabStops, printer));

    const int lineHeight = device.HeightToThousandths(measurer.LineHeight(font, device.dpiY)) + leading;
    metrics.lineHeight = lineHeight;
    // An auto-sized box was sized to the measured text; the slack keeps rounding
    // from wrapping its last word.
    const int slack = autoSize ? int(RoundHalfEven(0.3L * measure.Th(measure.SpacePx()))) : 0;
    const int available = rect.right - rect.left + slack;

    // The first line must fit like every other: a box exactly one line high holds it.
    if (int64_t(rect.top) + lineHeight > rect.bottom)
        return metrics;

    const QStringView all(text);
    const int start = std::clamp(position, 0, int(text.size()));
    const bool fullJustified = alignment == taFullJustified;
    TScanner scanner(all, start);
    bool justWrapped = start != 0;
    int spaces = 0;
    bool full = false;
    int pos = start;

    // The line being filled is always one piece of the text.
    struct TLine {
        qsizetype start = 0, end = 0;
        double px = 0;
        bool Empty() const { return end <= start; }
        qsizetype Length() const { return end - start; }
    } line;

    auto addLine = [&](bool paragraphEnd) {
        QStringView added = all.mid(line.start, line.Length());
        if (added.endsWith(TjxTextMarkup::Space)) {
            qsizetype n = added.size();
            while (n > 0 && added[n - 1].unicode() <= u' ')
                --n;
            added.truncate(n);
        }
        // Only a line that may be the widest is measured whole; the line's
        // width as added up, spaces at its end included, says which may be.
        if (measure.Th(line.px + kEstimateSlackPx) > metrics.widestLine)
            metrics.widestLine = std::max(metrics.widestLine, measure.Th(measure.LinePx(added)));
        QString stored = added.toString();
        if (paragraphEnd)
            stored += TjxTextMarkup::ParagraphEnd;
        lines.append(stored);
        justWrapped = true;
        full = int64_t(rect.top) + int64_t(lines.size() + 1) * lineHeight > rect.bottom;
    };

    // The characters of a token known up to `length`: all of them when it is shorter.
    auto reach = [&](const TToken& t, qsizetype length) -> qsizetype {
        if (t.kind == TTokenKind::Word)
            return scanner.WordReach(t.start + length) - t.start;
        return std::min(length, t.end - t.start);
    };
    auto tokenEnd = [&](const TToken& t) { return t.start + reach(t, all.size()); };
    // The pen after the first `n` characters of a token, starting at `basePx`.
    auto prefixPx = [&](double basePx, const TToken& t, qsizetype n) {
        if (n == 0)
            return basePx;
        switch (t.kind) {
        case TTokenKind::Tab:
            return measure.NextTab(basePx);
        case TTokenKind::Space:
            return basePx + measure.SpacePx();
        default:
            return basePx + measure.Px(all.mid(t.start, n));
        }
    };
    // Whether all[from, to), estimated `px` wide, fits the line.
    auto fits = [&](double px, qsizetype from, qsizetype to) {
        if (measure.Th(px + kEstimateSlackPx) <= available)
            return true;
        if (measure.Th(px - kEstimateSlackPx) > available)
            return false;
        return measure.Th(measure.LinePx(all.mid(from, to - from))) <= available;
    };
    // A first guess at the longest prefix of a word that fits: the advances
    // of its characters one by one (each measured once per font), walked no
    // further than the line takes.
    // Compared in pixels: a guess need not round as the layout does.
    const double availablePx = device.WidthToPx(available);
    auto guessPrefix = [&](double basePx, const TToken& t) -> qsizetype {
        if (t.kind != TTokenKind::Word)
            return 0;
        double x = basePx;
        qsizetype n = 0;
        while (n < kGuessWalk) {
            const qsizetype step = reach(t, n + 2) > n + 1 && all[t.start + n].isHighSurrogate() ? 2 : 1;
            if (reach(t, n + step) < n + step)
                break;
            x += measure.Px(all.mid(t.start + n, step));
            if (x > availablePx)
                break;
            n += step;
        }
        return n;
    };
    // The longest prefix of a token that fits after all[from, token) of width
    // `basePx`. Widths grow with length, so galloping from the guess and then
    // halving finds what adding one character at a time would; a surrogate
    // pair is never split.
    // A long word is asked whether it fits whole and then where it breaks: answer the second from the first.
    struct {
        qsizetype tokenStart = -1, from = -1;
        double basePx = 0;
        qsizetype n = 0;
        double px = 0;
    } lastFit;
    auto fittingPrefix = [&](qsizetype from, double basePx, const TToken& t, double& px) {
        if (t.start == lastFit.tokenStart && from == lastFit.from && basePx == lastFit.basePx) {
            px = lastFit.px;
            return lastFit.n;
        }
        auto tryLength = [&](qsizetype n, double& nPx) {
            nPx = prefixPx(basePx, t, n);
            return fits(nPx, from, t.start + n);
        };
        // Everything up to lo fits (nothing always does); nothing past hi does.
        qsizetype lo = 0, hi = 0;
        double loPx = basePx;
        const qsizetype guess = guessPrefix(basePx, t);
        double guessPx = basePx;
        if (guess > 0 && !tryLength(guess, guessPx)) {
            hi = guess - 1;
            for (qsizetype step = 1;; step *= 2) {
                const qsizetype m = hi + 1 - step;
                if (m <= 0)
                    break;
                double mPx = 0;
                if (tryLength(m, mPx)) {
                    lo = m;
                    loPx = mPx;
                    break;
                }
                hi = m - 1;
            }
        } else {
            lo = guess;
            loPx = guessPx;
            for (qsizetype step = 1;; step *= 2) {
                const qsizetype m = lo + step;
                const qsizetype r = reach(t, m);
                if (r < m) {
                    // The token ends before m: its whole length is the last candidate.
                    hi = lo;
                    double rPx = 0;
                    if (r > lo) {
                        if (tryLength(r, rPx)) {
                            lo = hi = r;
                            loPx = rPx;
                        } else {
                            hi = r - 1;
                        }
                    }
                    break;
                }
                double mPx = 0;
                if (!tryLength(m, mPx)) {
                    hi = m - 1;
                    break;
                }
                lo = m;
                loPx = mPx;
            }
        }
        while (lo < hi) {
            const qsizetype mid = (lo + hi + 1) / 2;
            double midPx = 0;
            if (tryLength(mid, midPx)) {
                lo = mid;
                loPx = midPx;
            } else {
                hi = mid - 1;
            }
        }
        if (lo > 0 && reach(t, lo + 1) > lo && all[t.start + lo - 1].isHighSurrogate()) {
            --lo;
            loPx = prefixPx(basePx, t, lo);
        }
        px = loPx;
        lastFit = {t.start, from, basePx, lo, loPx};
        return lo;
    };
    // Whether the whole token fits after all[from, token) of width `basePx`.
    auto wholeFits = [&](qsizetype from, double basePx, const TToken& t, double& px) {
        const qsizetype known = reach(t, kLongWord);
        if (t.kind != TTokenKind::Word || known < kLongWord) {
            px = prefixPx(basePx, t, known);
            return fits(px, from, t.start + known);
        }
        const qsizetype n = fittingPrefix(from, basePx, t, px);
        return reach(t, n + 1) == n;
    };

    TToken pending;     // the part of a split word that goes to the next line
    TToken waiting;     // a whole token that goes to the next line
    // A waiting word continues on the next page from the space before it, which
    // that page drops; never from anything printed already.
    auto waitingContinuation = [&] {
        const qsizetype s = waiting.start;
        if (waiting.kind != TTokenKind::Space && s > 0 && all[s - 1] == TjxTextMarkup::Space)
            return int(s - 1);
        return int(s);
    };
    auto wait = [&](const TToken& t) {
        addLine(false);
        line = TLine{};
        waiting = t;
        pos = full ? waitingContinuation() : int(t.start);
    };

    TToken token = scanner.Next();
    while (token.kind != TTokenKind::End && !full) {
        if (token.kind == TTokenKind::LineBreak) {
            addLine(fullJustified);
            pos = int(token.end);
            line = TLine{};
            justWrapped = false;
            spaces = 0;
        } else {
            if (justWrapped) {
                // One or two spaces left over from a wrap are dropped; three are meant.
                if (token.kind == TTokenKind::Space) {
                    if (++spaces >= 3) {
                        justWrapped = false;
                        spaces = 0;
                    }
                } else {
                    if (spaces > 0 && !line.Empty()) {
                        line.start = std::min(line.start + spaces, line.end);
                        line.px = line.Empty() ? 0 : measure.LinePx(all.mid(line.start, line.Length()));
                    }
                    spaces = 0;
                    justWrapped = false;
                }
            }
            const qsizetype from = line.Empty() ? token.start : line.start;
            const double basePx = line.Empty() ? 0 : line.px;
            double px = 0;
            if (wholeFits(from, basePx, token, px)) {
                line.start = from;
                line.end = tokenEnd(token);
                line.px = px;
            } else if (double alone = 0; !charWrap && !line.Empty() && wholeFits(token.start, 0, token, alone)) {
                wait(token);
            } else {
                qsizetype n = fittingPrefix(from, basePx, token, px);
                if (n == 0 && !line.Empty()) {
                    wait(token);
                } else {
                    // An empty line takes at least one character, so the layout always advances.
                    if (n == 0) {
                        n = reach(token, 2) > 1 && all[token.start].isHighSurrogate() ? 2 : 1;
                        px = prefixPx(basePx, token, n);
                    }
                    line.start = from;
                    line.end = token.start + n;
                    line.px = px;
                    pos = int(token.start + n);
                    if (reach(token, n + 1) > n)
                        pending = TToken{token.kind, token.start + n, token.end};
                    addLine(false);
                    line = TLine{};
                }
            }
        }
        if (full)
            break;
        if (pending.kind != TTokenKind::End) {
            token = std::exchange(pending, TToken{});
        } else if (waiting.kind != TTokenKind::End) {
            token = std::exchange(waiting, TToken{});
        } else {
            token = scanner.Next();
        }
    }
    if (!full) {
        // Spaces still counted for dropping at the end of the text make no line.
        if (!line.Empty() && !(justWrapped && line.Length() == spaces))
            addLine(fullJustified);
        pos = int(scanner.Position());
    }
    position = pos;
    return metrics;
}

int LineCount(const TFont& font, int leading, TjxCustomPrinter* printer, int availableHeight, int& lineHeight,
              const TTextMeasurer& measurer)
{
    const TDevice device(printer);
    const double perLine = measurer.LineHeight(font, device.dpiY) +
                           ThousandthsToUnits(leading, device.unit, axVertical, printer);
    lineHeight = device.HeightToThousandths(perLine);
    // A leading that cancels the font's height would divide by zero.
    if (perLine <= 0)
        return 0;
    const double available = ThousandthsToUnits(availableHeight, device.unit, axVertical, printer);
    return int(std::max<int64_t>(0, RoundHalfEven(available / perLine)));
}

// --- Justification ----------------------------------------------------------

bool TakeParagraphEnd(QString& line)
{
    if (!line.endsWith(TjxTextMarkup::ParagraphEnd))
        return false;
    line.chop(TjxTextMarkup::ParagraphEnd.size());
    return true;
}

TjxLineJustification JustifyLine(const TTextMeasurer& measurer, const TFont& font, int dpi, double width,
                                 const std::vector<int>& tabPositions, QString& line)
{
    TjxLineJustification result;
    TakeParagraphEnd(line);
    while (line.endsWith(TjxTextMarkup::Space))
        line.chop(1);
    qsizetype first = 0;
    while (first < line.size() && line[first] == TjxTextMarkup::Space)
        ++first;
    if (first == line.size())
        return result;

    int breaks = int(line.mid(first).count(TjxTextMarkup::Space));
    if (breaks == 0) {
        // A single word is spread letter by letter.
        QString spaced = line.left(first);
        for (qsizetype i = first; i < line.size(); ++i) {
            if (i > first && !line[i].isLowSurrogate())
                spaced += TjxTextMarkup::Space;
            spaced += line[i];
        }
        breaks = int(spaced.size() - line.size());
        line = spaced;
    }
    result.leadingSpaces = int(first);
    if (breaks == 0)
        return result;
    // Leading spaces are drawn, so they count in the width but take no extra.
    result.breakCount = breaks;
    result.extra = width - TabbedWidth(measurer, font, dpi, line, tabPositions);
    return result;
}

// --- Rotated text -----------------------------------------------------------

namespace {

double Round3(double v) { return double(RoundHalfEven(static_cast<long double>(v) * 1000.0L)) / 1000.0; }

int Sign(double v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

} // namespace

TjxRotatedText SizeRotatedText(const QString& text, const TjxRect& box, const TjxBorder& border,
                               TjxTextAlignment alignment, bool autoSize, int angle, const TFont& font,
                               const TTextMeasurer& measurer)
{
    TjxRotatedText r;
    r.box = box;
    angle = ((angle % 360) + 360) % 360;

    const double radians = angle * std::numbers::pi / 180.0;
    const double c = Round3(std::cos(radians));
    const double s = Round3(std::sin(radians));
    // Vertical text has no finite tangent; the branches below never divide by it then.
    const double t = (s != 0 && c != 0) ? Round3(s / c) : 0;

    const double W = r.textWidth =
        UnitsToThousandths(float(TabbedWidth(measurer, font, kScreenPixelsPerInch, text, {})), utScreenPixels);
    const double H = r.textHeight =
        UnitsToThousandths(float(measurer.LineHeight(font, kScreenPixelsPerInch)), utScreenPixels, axVertical);
    const double hSin = std::abs(H * s);
    const double hCos = std::abs(H * c);
    const double bw = box.Width();
    const double bh = box.Height();

    double p = 0, q = 0;
    if (autoSize) {
        p = W * c;
        q = W * s;
    } else if (c == 0) {
        // Upright text: the line runs the box's whole height, whatever its width.
        p = 0;
        q = bh - hCos;
    } else if (bh < bw) {
        if (t == 0) {
            p = bw;
            q = 0;
        } else {
            q = bh - hCos;
            p = q / t;
        }
        if (std::abs(p) + hSin > bw) {
            p = bw - hSin;
            q = p * t;
        }
    } else {
        p = bw - hSin;
        q = p * t;
        if (hCos + std::abs(q) > bh) {
            q = bh - hCos;
            p = t == 0 ? 0 : q / t;
        }
    }
    const int64_t length = RoundHalfEven(std::sqrt(p * p + q * q));
    r.lineLength = length != 0 ? int(length) : box.Width();
    r.width = int(RoundHalfEven(std::abs(p) + hSin));
    r.height = int(RoundHalfEven(hCos + std::abs(q)));

    if (autoSize) {
        const int b = border.Visible() ? UnitsToThousandths(border.Weight() * kScreenPixelsPerInch / 72.0f, utScreenPixels)
                                       : 0;
        const int newWidth = r.width + 2 * b;
        const int newHeight = r.height + 2 * b;
        const int dW = newWidth - box.Width();
        const int dH = newHeight - box.Height();
        int left = box.left, top = box.top;
        // The corner where the text is anchored stays put.
        const bool q1 = angle >= 1 && angle <= 90, q2 = angle >= 91 && angle <= 180, q3 = angle >= 181 && angle <= 270;
        switch (alignment) {
        case taCentered:
            left -= dW / 2;
            top -= dH / 2;
            break;
        case taRightJustified:
            if (q1) {
                left -= dW;
            } else if (q3) {
                top -= dH;
            } else if (!q2) {
                top -= dH;
                left -= dW;
            }
            break;
        default:
            if (q1) {
                top -= dH;
            } else if (q2) {
                top -= dH;
                left -= dW;
            } else if (q3) {
                left -= dW;
            }
            break;
        }
        r.box = TjxRect{left, top, left + newWidth, top + newHeight};
    }

    const double L = r.box.left, T = r.box.top, Bw = r.box.Width(), Bh = r.box.Height();
    double x = 0, y = 0;
    if (angle <= 90) {
        x = L;
        y = T + Bh - hCos;
    } else if (angle <= 180) {
        x = L + Bw - hSin;
        y = T + Bh;
    } else if (angle <= 270) {
        x = L + Bw;
        y = T + hCos;
    } else {
        x = L + hSin;
        y = T;
    }
    if (alignment == taRightJustified || alignment == taCentered) {
        // Along the text's direction (y grows downwards) by the part of the line the text leaves unused.
        double dx = Sign(c) * (std::abs(p) - W * std::abs(c));
        double dy = -Sign(s) * (std::abs(q) - W * std::abs(s));
        if (alignment == taCentered) {
            dx /= 2;
            dy /= 2;
        }
        x += dx;
        y += dy;
    }
    r.originLeft = int(RoundHalfEven(x));
    r.originTop = int(RoundHalfEven(y));
    return r;
}

} // namespace orvane
