#include "platform/justified_text.h"

#include <cmath>

namespace orvane {

void ForEachJustifiedPiece(const QString& text, int leadingSpaces, int breaks, double extra,
                           const std::function<double(QStringView)>& width,
                           const std::function<void(qsizetype start, const QString& piece, double x)>& piece)
{
    const int whole = breaks > 0 ? int(std::floor(extra)) : 0;
    const int perBreak = breaks > 0 ? whole / breaks : 0;
    int remainder = breaks > 0 ? whole % breaks : 0;
    double x = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool blank = i < text.size() && i >= leadingSpaces && text[i] == u' ';
        if (!blank && i < text.size())
            continue;
        const QString part = text.mid(start, i - start + (blank ? 1 : 0));
        piece(start, part, x);
        x += width(part);
        if (blank) {
            x += perBreak + (remainder > 0 ? 1 : 0);
            if (remainder > 0)
                --remainder;
        }
        start = i + 1;
    }
}

double JustifiedCharPosition(const QString& text, int leadingSpaces, int breaks, double extra, qsizetype index,
                             const std::function<double(QStringView)>& width)
{
    double at = width(text);
    bool found = false;
    ForEachJustifiedPiece(text, leadingSpaces, breaks, extra, width,
                          [&](qsizetype start, const QString& piece, double x) {
                              if (found || index >= start + piece.size())
                                  return;
                              at = x + width(QStringView(piece).left(std::max<qsizetype>(index - start, 0)));
                              found = true;
                          });
    return at;
}

} // namespace orvane
