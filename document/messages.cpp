#include "document/messages.h"

#include "document/message_table.h"
#include "document/resource_manager.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace orvane {

namespace {

struct Marker {
    int index = -1;  // explicit "%N:" argument index, -1 for the next one
    bool leftAlign = false;
    int width = 0;
    int precision = -1;
    char16_t conversion = 0;
    qsizetype length = 0;  // characters taken from the format, "%" included
};

int ReadNumber(QStringView text, qsizetype& pos)
{
    int value = 0;
    while (pos < text.size() && text[pos].isDigit() && text[pos].unicode() < 128) {
        value = std::min(value * 10 + (text[pos].unicode() - u'0'), 9999);
        ++pos;
    }
    return value;
}

// Reads "%[index:][-][width][.precision]type" at pos; false when it is not one.
bool ReadMarker(QStringView text, qsizetype start, Marker& marker)
{
    qsizetype pos = start + 1;
    const qsizetype digitsStart = pos;
    int number = ReadNumber(text, pos);
    if (pos > digitsStart && pos < text.size() && text[pos] == u':') {
        marker.index = number;
        ++pos;
    } else {
        pos = digitsStart;
    }
    if (pos < text.size() && text[pos] == u'-') {
        marker.leftAlign = true;
        ++pos;
    }
    marker.width = ReadNumber(text, pos);
    if (pos < text.size() && text[pos] == u'.') {
        ++pos;
        marker.precision = ReadNumber(text, pos);
    }
    if (pos >= text.size())
        return false;
    const char16_t type = text[pos].toLower().unicode();
    if (type != u's' && type != u'd' && type != u'u')
        return false;
    marker.conversion = type;
    marker.length = pos + 1 - start;
    return true;
}

bool IsInteger(QStringView value)
{
    qsizetype i = value.startsWith(u'-') ? 1 : 0;
    if (i == value.size())
        return false;
    for (; i < value.size(); ++i) {
        if (value[i] < u'0' || value[i] > u'9')
            return false;
    }
    return true;
}

QString Convert(const Marker& marker, const QString& value)
{
    QString text = value;
    if (marker.conversion == u's') {
        if (marker.precision >= 0 && text.size() > marker.precision)
            text.truncate(marker.precision);
    } else if (marker.precision > 0 && IsInteger(text)) {
        // Integer precision is the least number of digits.
        const bool negative = text.startsWith(u'-');
        QString digits = negative ? text.mid(1) : text;
        if (digits.size() < marker.precision)
            digits.prepend(QString(marker.precision - digits.size(), u'0'));
        text = negative ? u'-' + digits : digits;
    }
    if (text.size() < marker.width) {
        const QString pad(marker.width - text.size(), u' ');
        text = marker.leftAlign ? text + pad : pad + text;
    }
    return text;
}

bool Prints(char32_t c)
{
    const QChar::Category category = QChar::category(c);
    return QChar::isPrint(c) && category != QChar::Separator_Line && category != QChar::Separator_Paragraph;
}

// The value with every non-printing code written as "#n" (UTF-16 units, as the
// text form writes them); ends receives the end of each piece.
QString Escape(QStringView value, std::vector<qsizetype>& ends)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        const bool pair = c.isHighSurrogate() && i + 1 < value.size() && value[i + 1].isLowSurrogate();
        const char32_t code = pair ? QChar::surrogateToUcs4(c, value[i + 1]) : c.unicode();
        if (!QChar::isSurrogate(code) && Prints(code)) {
            out += c;
            if (pair)
                out += value[++i];
        } else {
            const qsizetype units = pair ? 2 : 1;
            for (qsizetype u = 0; u < units; ++u) {
                out += u'#';
                out += QString::number(value[i + u].unicode());
            }
            i += units - 1;
        }
        ends.push_back(out.size());
    }
    return out;
}

} // namespace

QString MessageValue(QStringView value)
{
    std::vector<qsizetype> ends;
    // Every code gives at least one character, so the first and the last
    // kMaxMessageValue codes are all that can show.
    if (value.size() <= kMaxMessageValue) {
        const QString whole = Escape(value, ends);
        if (whole.size() <= kMaxMessageValue)
            return whole;
    }
    static constexpr qsizetype kCutLength = 3;  // "..."
    const qsizetype tailLength = (kMaxMessageValue - kCutLength) / 4;
    const qsizetype headLength = kMaxMessageValue - kCutLength - tailLength;

    ends.clear();
    const QString head = Escape(value.first(std::min(value.size(), kMaxMessageValue)), ends);
    qsizetype headEnd = 0;
    for (qsizetype end : ends) {
        if (end > headLength)
            break;
        headEnd = end;
    }
    ends.clear();
    const QString tail = Escape(value.last(std::min(value.size(), kMaxMessageValue)), ends);
    qsizetype tailStart = tail.size();
    for (auto it = ends.rbegin(); it != ends.rend(); ++it) {
        // ends holds piece ends; the start of a piece is the end of the one before.
        const qsizetype start = std::next(it) == ends.rend() ? 0 : *std::next(it);
        if (tail.size() - start > tailLength)
            break;
        tailStart = start;
    }
    return head.first(headEnd) + QStringLiteral("...") + tail.sliced(tailStart);
}

QString GetMessage(int n)
{
    return TjxResourceManager::Instance().GetMessage(n);
}

QString FormatMessage(const QString& text)
{
    QString result = text;
    for (const QString& placeholder : MessagePlaceholders())
        result.replace(placeholder, QStringLiteral("%s"));
    return result;
}

QString FillMessage(const QString& format, const QStringList& values)
{
    QString out;
    out.reserve(format.size());
    int next = 0;
    qsizetype i = 0;
    while (i < format.size()) {
        const QChar c = format[i];
        if (c != u'%') {
            out += c;
            ++i;
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == u'%') {
            out += u'%';
            i += 2;
            continue;
        }
        Marker marker;
        if (!ReadMarker(format, i, marker)) {
            // A lone "%" ("100 %") is text, not a marker.
            out += u'%';
            ++i;
            continue;
        }
        const int index = marker.index >= 0 ? marker.index : next;
        next = index + 1;
        // A marker without a value gives nothing rather than failing while an
        // error message is being built.
        out += Convert(marker, index < values.size() ? MessageValue(values.at(index)) : QString());
        i += marker.length;
    }
    return out;
}

QString MessageText(int n, const QStringList& values)
{
    return FillMessage(GetMessage(n), values);
}

} // namespace orvane
