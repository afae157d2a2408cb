#include "document/date_time_format.h"

#include <QDate>

#include <cmath>

namespace orvane {

namespace {

bool IsQuote(QChar c)
{
    return c == u'\'' || c == u'"';
}

// ---- date-time format strings -------------------------------------------------

struct TDateTimeParts {
    int year, month, day, hour, minute, second, msec, dayOfWeek;
};

QString Padded(int value, int width)
{
    return QString::number(value).rightJustified(width, u'0');
}

// Whether an "h" at `from` reads as a 12-hour clock: an AM/PM marker follows
// before the next hour.
bool UsesTwelveHourClock(QStringView format, qsizetype from)
{
    bool quoted = false;
    for (qsizetype i = from; i < format.size(); ++i) {
        const QChar c = format[i];
        if (IsQuote(c)) {
            quoted = !quoted;
        } else if (!quoted && (c == u'a' || c == u'A')) {
            const QStringView rest = format.mid(i);
            return rest.startsWith(u"am/pm", Qt::CaseInsensitive) || rest.startsWith(u"a/p", Qt::CaseInsensitive) ||
                   rest.startsWith(u"ampm", Qt::CaseInsensitive);
        } else if (!quoted && (c == u'h' || c == u'H')) {
            return false;
        }
    }
    return false;
}

void AppendDateTime(QString& out, QStringView format, const TDateTimeParts& t, const TValueFormatSettings& fs,
                    int depth)
{
    // The settings' own formats may name "c", "ddddd" or "t" again; stop there.
    if (depth > 2)
        return;
    QChar lastToken;
    qsizetype i = 0;
    auto runLength = [&](QChar lower) {
        qsizetype n = 0;
        while (i + n < format.size() && format[i + n].toLower() == lower)
            ++n;
        return int(n);
    };
    while (i < format.size()) {
        const QChar c = format[i];
        QChar token = c.toLower();
        if (token >= u'a' && token <= u'z') {
            if (token == u'm' && lastToken == u'h')
                token = u'n';
            lastToken = token;
        }
        if (IsQuote(c)) {
            const qsizetype close = format.indexOf(c, i + 1);
            const qsizetype stop = close < 0 ? format.size() : close;
            out += format.mid(i + 1, stop - i - 1);
            i = stop + 1;
            continue;
        }
        switch (token.unicode()) {
        case u'y': {
            const int n = runLength(c.toLower());
            out += n <= 2 ? Padded(t.year % 100, 2) : Padded(t.year, 4);
            i += n;
            break;
        }
        case u'm': {
            const int n = runLength(u'm');
            if (n <= 2)
                out += Padded(t.month, n);
            else
                out += (n == 3 ? fs.shortMonthNames : fs.longMonthNames)[size_t(t.month - 1)];
            i += n;
            break;
        }
        case u'd': {
            const int n = runLength(u'd');
            if (n <= 2)
                out += Padded(t.day, n);
            else if (n <= 4)
                out += (n == 3 ? fs.shortDayNames : fs.longDayNames)[size_t(t.dayOfWeek)];
            else
                AppendDateTime(out, n == 5 ? fs.shortDateFormat : fs.longDateFormat, t, fs, depth + 1);
            i += n;
            break;
        }
        case u'h': {
            const int n = runLength(u'h');
            int hour = t.hour;
            if (UsesTwelveHourClock(format, i + n))
                hour = hour % 12 == 0 ? 12 : hour % 12;
            out += Padded(hour, std::min(n, 2));
            i += n;
            break;
        }
        case u'n': {
            // An "m" read as minutes runs over "m"s.
            const int n = runLength(c.toLower());
            out += Padded(t.minute, std::min(n, 2));
            i += n;
            break;
        }
        case u's': {
            const int n = runLength(u's');
            out += Padded(t.second, std::min(n, 2));
            i += n;
            break;
        }
        case u'z': {
            const int n = runLength(u'z');
            out += n <= 2 ? QString::number(t.msec) : Padded(t.msec, 3);
            i += n;
            break;
        }
        case u't': {
            const int n = runLength(u't');
            AppendDateTime(out, n == 1 ? fs.shortTimeFormat : fs.longTimeFormat, t, fs, depth + 1);
            i += n;
            break;
        }
        case u'c': {
            i += runLength(u'c');
            AppendDateTime(out, fs.shortDateFormat, t, fs, depth + 1);
            if (t.hour || t.minute || t.second || t.msec) {
                out += u' ';
                AppendDateTime(out, fs.longTimeFormat, t, fs, depth + 1);
            }
            break;
        }
        case u'a': {
            const QStringView rest = format.mid(i);
            const bool pm = t.hour >= 12;
            if (rest.startsWith(u"am/pm", Qt::CaseInsensitive)) {
                out += rest.mid(pm ? 3 : 0, 2);
                i += 5;
            } else if (rest.startsWith(u"a/p", Qt::CaseInsensitive)) {
                out += rest[pm ? 2 : 0];
                i += 3;
            } else if (rest.startsWith(u"ampm", Qt::CaseInsensitive)) {
                out += pm ? fs.timePMString : fs.timeAMString;
                i += 4;
            } else {
                out += c;
                ++i;
            }
            break;
        }
        case u'/':
            out += fs.dateSeparator;
            ++i;
            break;
        case u':':
            out += fs.timeSeparator;
            ++i;
            break;
        default:
            out += c;
            ++i;
            break;
        }
    }
}

} // namespace

QString FormatDateTimePattern(QStringView format, double value, const TValueFormatSettings& settings)
{
    if (!std::isfinite(value))
        return {};
    TDateTimeParts t{};
    DecodeDateTime(value, t.year, t.month, t.day, t.hour, t.minute, t.second, t.msec);
    if (t.year < 1 || t.year > 9999)
        return {};
    t.dayOfWeek = QDate(t.year, t.month, t.day).dayOfWeek() % 7;
    QString out;
    AppendDateTime(out, format, t, settings, 0);
    return out;
}

} // namespace orvane
