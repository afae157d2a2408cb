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

double TabbedWidth(const TTextMeasurer& measurer, const TFont& font, int dpi, QStringView text,
                   const std::vector<int>& tabPositions)
{
    double interval = 0;
    if (tabPositions.empty())
        interval = 8 * measurer.AverageCharWidth(font, dpi);
    else if (tabPositions.size() == 1)
        interval = tabPositions[0] > 0 ? tabPositions[0] : 8 * measurer.AverageCharWidth(font, dpi);
    const bool regular = tabPositions.size() <= 1;

    double x = 0;
    qsizetype segment = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != TjxTextMarkup::Tab)
            continue;
        x += measurer.TextWidth(font, dpi, text.mid(segment, i - segment));
        if (i == text.size())
            break;
        if (regular) {
            if (interval > 0)
                x = (std::floor(x / interval) + 1) * interval;
        } else {
            const auto next = std::find_if(tabPositions.begin(), tabPositions.end(), [x](int p) { return p > x; });
            if (next != tabPositions.end())
                x = *next;
        }
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
    int HeightToThousandths(double px) const { return UnitsToThousandths(float(px), unit, axVertical, printer); }
};

class TWrapper {
public:
    TWrapper(const TTextMeasurer& measurer, const TFont& font, const TDevice& device, std::vector<int> tabs)
        : m_measurer(measurer), m_font(font), m_device(device), m_tabs(std::move(tabs))
    {
    }

    int Width(QStringView text) const
    {
        const double px = text.contains(TjxTextMarkup::Tab) ? TabbedWidth(m_measurer, m_font, m_device.dpiX, text, m_tabs)
                                                             : m_measurer.TextWidth(m_font, m_device.dpiX, text);
        return m_device.WidthToThousandths(px);
    }

    // The longest prefix of `token` that still fits after `line`. Widths grow
    // with length, so a binary search finds what adding one character at a
    // time would; a surrogate pair is never split.
    qsizetype FittingPrefix(const QString& line, const QString& token, int available) const
    {
        qsizetype lo = 0, hi = token.size();
        while (lo < hi) {
            const qsizetype mid = (lo + hi + 1) / 2;
            if (Width(QString(line + token.left(mid))) <= available)
                lo = mid;
            else
                hi = mid - 1;
        }
        if (lo > 0 && lo < token.size() && token[lo - 1].isHighSurrogate())
            --lo;
        return lo;
    }

private:
    const TTextMeasurer& m_measurer;
    const TFont& m_font;
    const TDevice& m_device;
    std::vector<int> m_tabs;
};

} // namespace

TjxWrapMetrics WrapText(const QString& text, const TjxRect& rect, QStringList& lines, int& position,
                        TjxCustomPrinter* printer, const QStringList& tabStops, int leading, bool charWrap,
                        const TFont& font, bool autoSize, TjxTextAlignment alignment, const TTextMeasurer& measurer)
{
    lines.clear();
    TjxWrapMetrics metrics;
    const TDevice device(printer);
    const TWrapper wrapper(measurer, font, device,
                           tabStops.isEmpty() ? std::vector<int>{} : ConvertTabStops(device.unit, tabStops, printer));

    const int lineHeight = device.HeightToThousandths(measurer.LineHeight(font, device.dpiY)) + leading;
    metrics.lineHeight = lineHeight;
    // An auto-sized box was sized to the measured text; the slack keeps rounding
    // from wrapping its last word.
    const int slack = autoSize ? int(RoundHalfEven(0.3L * wrapper.Width(u" "))) : 0;
    const int available = rect.right - rect.left + slack;

    // The first line must fit like every other: a box exactly one line high holds it.
    if (int64_t(rect.top) + lineHeight > rect.bottom)
        return metrics;

    const int start = std::clamp(position, 0, int(text.size()));
    const bool fullJustified = alignment == taFullJustified;
    TjxTextTokenizer tokenizer(text, start);
    bool justWrapped = start != 0;
    int spaces = 0;
    QString line;
    bool full = false;
    int pos = start;

    auto addLine = [&](QString added, bool paragraphEnd) {
        if (added.endsWith(TjxTextMarkup::Space)) {
            qsizetype n = added.size();
            while (n > 0 && added[n - 1].unicode() <= u' ')
                --n;
            added.truncate(n);
        }
        metrics.widestLine = std::max(metrics.widestLine, wrapper.Width(added));
        if (paragraphEnd)
            added += TjxTextMarkup::ParagraphEnd;
        lines.append(added);
        justWrapped = true;
        full = int64_t(rect.top) + int64_t(lines.size() + 1) * lineHeight > rect.bottom;
    };

    QString pending;     // the part of a split word that goes to the next line
    int pendingStart = 0;
    QString waiting;     // a whole token that goes to the next line
    int waitingStart = 0;
    // A waiting word continues on the next page from the space before it, which
    // that page drops; never from anything printed already.
    auto waitingContinuation = [&] {
        if (waiting != TjxTextMarkup::Space && waitingStart > 0 && text[waitingStart - 1] == TjxTextMarkup::Space)
            return waitingStart - 1;
        return waitingStart;
    };

    QString token = tokenizer.NextToken();
    int tokenStart = tokenizer.TokenStart();
    while (!token.isEmpty() && !full) {
        if (token == TjxTextMarkup::LineBreak) {
            addLine(line, fullJustified);
            pos = tokenizer.Position();
            line.clear();
            justWrapped = false;
            spaces = 0;
        } else {
            if (justWrapped) {
                // One or two spaces left over from a wrap are dropped; three are meant.
                if (token == TjxTextMarkup::Space) {
                    if (++spaces >= 3) {
                        justWrapped = false;
                        spaces = 0;
                    }
                } else {
                    line.remove(0, spaces);
                    spaces = 0;
                    justWrapped = false;
                }
            }
            if (wrapper.Width(QString(line + token)) <= available) {
                line += token;
            } else if (!charWrap && !line.isEmpty() && wrapper.Width(token) <= available) {
                addLine(line, false);
                line.clear();
                waiting = token;
                waitingStart = tokenStart;
                pos = full ? waitingContinuation() : tokenStart;
            } else {
                qsizetype n = wrapper.FittingPrefix(line, token, available);
                if (n == 0 && !line.isEmpty()) {
                    addLine(line, false);
                    line.clear();
                    waiting = token;
                    waitingStart = tokenStart;
                    pos = full ? waitingContinuation() : tokenStart;
                } else {
                    // An empty line takes at least one character, so the layout always advances.
                    if (n == 0)
                        n = token.size() > 1 && token[0].isHighSurrogate() ? 2 : 1;
                    line += token.left(n);
                    pos = tokenStart + int(n);
                    if (n < token.size()) {
                        pending = token.mid(n);
                        pendingStart = pos;
                    }
                    addLine(line, false);
                    line.clear();
                }
            }
        }
        if (full)
            break;
        if (!pending.isEmpty()) {
            token = std::exchange(pending, QString());
            tokenStart = pendingStart;
        } else if (!waiting.isEmpty()) {
            token = std::exchange(waiting, QString());
            tokenStart = waitingStart;
        } else {
            token = tokenizer.NextToken();
            tokenStart = tokenizer.TokenStart();
        }
    }
    if (!full) {
        // Spaces still counted for dropping at the end of the text make no line.
        if (!line.isEmpty() && !(justWrapped && line.size() == spaces))
            addLine(line, fullJustified);
        pos = tokenizer.Position();
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
