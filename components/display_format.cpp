#include "components/display_format.h"

#include "document/errors.h"

#include <QDate>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

namespace {

// ---- exact decimal numbers --------------------------------------------------

// 0.digits times 10^exponent, without leading or trailing zeros; no digits is
// zero. Working in decimal keeps currency and 64-bit integers exact and rounds
// halves the way people read them (2.675 to 2.68), not by the binary value.
struct TDecimal {
    bool negative = false;
    std::string digits;
    int exponent = 0;

    bool IsZero() const { return digits.empty(); }
};

void Normalize(TDecimal& d)
{
    const size_t lead = d.digits.find_first_not_of('0');
    if (lead == std::string::npos) {
        d.digits.clear();
        d.exponent = 0;
        return;
    }
    d.digits.erase(0, lead);
    d.exponent -= int(lead);
    d.digits.resize(d.digits.find_last_not_of('0') + 1);
}

// The shortest digits that read back as the same value; finite values only.
template <typename T>
TDecimal DecimalFromFloat(T value)
{
    TDecimal d;
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    const std::string_view text(buffer, size_t(result.ptr - buffer));
    size_t i = 0;
    if (!text.empty() && text[0] == '-') {
        d.negative = true;
        i = 1;
    }
    const size_t e = text.find('e');
    for (; i < e && i < text.size(); ++i)
        if (text[i] != '.')
            d.digits.push_back(text[i]);
    int exponent = 0;
    if (e != std::string_view::npos) {
        size_t p = e + 1;
        if (p < text.size() && text[p] == '+')
            ++p;
        std::from_chars(text.data() + p, text.data() + text.size(), exponent);
    }
    d.exponent = exponent + 1;
    Normalize(d);
    return d;
}

// An integer divided by 10^scale.
TDecimal DecimalFromScaled(int64_t value, int scale)
{
    TDecimal d;
    d.negative = value < 0;
    const uint64_t magnitude = d.negative ? 0 - uint64_t(value) : uint64_t(value);
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude);
    d.digits.assign(buffer, result.ptr);
    d.exponent = int(d.digits.size()) - scale;
    Normalize(d);
    return d;
}

// Keeps `count` significant digits, halves away from zero.
void RoundToDigits(TDecimal& d, int count)
{
    if (count >= int(d.digits.size()))
        return;
    if (count < 0) {
        d.digits.clear();
        Normalize(d);
        return;
    }
    const bool up = d.digits[size_t(count)] >= '5';
    d.digits.resize(size_t(count));
    if (up) {
        int i = count - 1;
        while (i >= 0 && d.digits[size_t(i)] == '9')
            d.digits[size_t(i--)] = '0';
        if (i < 0) {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        } else {
            ++d.digits[size_t(i)];
        }
    }
    Normalize(d);
}

void RoundToDecimals(TDecimal& d, int decimals)
{
    if (!d.IsZero())
        RoundToDigits(d, d.exponent + decimals);
}

QString IntegerDigits(const TDecimal& d)
{
    QString out;
    for (int i = 0; i < d.exponent; ++i)
        out += i < int(d.digits.size()) ? QChar(char16_t(d.digits[size_t(i)])) : u'0';
    return out;
}

QString FractionDigits(const TDecimal& d, int count)
{
    QString out;
    for (int j = 0; j < count; ++j) {
        const int index = d.exponent + j;
        out += index >= 0 && index < int(d.digits.size()) ? QChar(char16_t(d.digits[size_t(index)])) : u'0';
    }
    return out;
}

QString Grouped(const QString& digits, QChar separator)
{
    QString out;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        out += digits[i];
        const qsizetype fromRight = digits.size() - 1 - i;
        if (fromRight > 0 && fromRight % 3 == 0)
            out += separator;
    }
    return out;
}

// ---- numeric format strings -------------------------------------------------

bool IsQuote(QChar c)
{
    return c == u'"' || c == u'\'';
}

std::vector<QStringView> SplitSections(QStringView format)
{
    std::vector<QStringView> sections;
    qsizetype start = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (IsQuote(format[i])) {
            const qsizetype close = format.indexOf(format[i], i + 1);
            i = close < 0 ? format.size() - 1 : close;
        } else if (format[i] == u';') {
            sections.push_back(format.mid(start, i - start));
            start = i + 1;
        }
    }
    sections.push_back(format.mid(start));
    return sections;
}

struct TPatternToken {
    enum Kind { Literal, IntDigit, Point, FracDigit, Exponent } kind;
    QString text;
    int index = 0;
};

struct TPattern {
    std::vector<TPatternToken> tokens;
    int intCount = 0;
    int fracCount = 0;
    int minInt = 0;
    int minFrac = 0;
    bool thousands = false;
    bool scientific = false;
    bool exponentPlus = false;
    int exponentDigits = 0;
};

TPattern ParsePattern(QStringView section)
{
    TPattern p;
    bool afterPoint = false;
    int firstIntZero = -1;
    auto literal = [&](QStringView text) {
        if (!p.tokens.empty() && p.tokens.back().kind == TPatternToken::Literal)
            p.tokens.back().text += text;
        else
            p.tokens.push_back({TPatternToken::Literal, text.toString()});
    };
    for (qsizetype i = 0; i < section.size(); ++i) {
        const QChar c = section[i];
        if (IsQuote(c)) {
            const qsizetype close = section.indexOf(c, i + 1);
            const qsizetype stop = close < 0 ? section.size() : close;
            literal(section.mid(i + 1, stop - i - 1));
            i = stop;
        } else if (c == u'0' || c == u'#') {
            if (afterPoint) {
                p.tokens.push_back({TPatternToken::FracDigit, {}, p.fracCount++});
                if (c == u'0')
                    p.minFrac = p.fracCount;
            } else {
                if (c == u'0' && firstIntZero < 0)
                    firstIntZero = p.intCount;
                p.tokens.push_back({TPatternToken::IntDigit, {}, p.intCount++});
            }
        } else if (c == u'.') {
            if (!afterPoint) {
                afterPoint = true;
                p.tokens.push_back({TPatternToken::Point, {}});
            }
        } else if (c == u',') {
            p.thousands = true;
        } else if ((c == u'E' || c == u'e') && !p.scientific && i + 1 < section.size() &&
                   (section[i + 1] == u'+' || section[i + 1] == u'-')) {
            p.scientific = true;
            p.exponentPlus = section[i + 1] == u'+';
            p.tokens.push_back({TPatternToken::Exponent, QString(c)});
            i += 2;
            while (i < section.size() && section[i] == u'0') {
                p.exponentDigits = std::min(p.exponentDigits + 1, 4);
                ++i;
            }
            --i;
        } else {
            literal(section.mid(i, 1));
        }
    }
    if (firstIntZero >= 0)
        p.minInt = p.intCount - firstIntZero;
    return p;
}

// A format's sections parsed; none for an empty section.
struct TParsedFormat {
    QString format;
    std::vector<std::optional<TPattern>> sections;
};

// A report formats every value of a column with the same few formats: each
// thread keeps the last ones it parsed.
const TParsedFormat& ParsedFormat(QStringView format)
{
    thread_local std::array<TParsedFormat, 8> cache;
    thread_local size_t next = 0;
    for (const TParsedFormat& parsed : cache)
        if (!parsed.sections.empty() && parsed.format == format)
            return parsed;
    TParsedFormat& slot = cache[next];
    next = (next + 1) % cache.size();
    slot.format = format.toString();
    slot.sections.clear();
    for (QStringView section : SplitSections(slot.format))
        slot.sections.push_back(section.isEmpty() ? std::nullopt : std::optional(ParsePattern(section)));
    return slot;
}

// Nothing when the value's section is empty: the value's general text stands then.
std::optional<QString> FormatDecimalPattern(QStringView format, const TDecimal& value,
                                            const TValueFormatSettings& fs)
{
    const TParsedFormat& parsed = ParsedFormat(format);
    size_t index = value.IsZero() ? 2 : value.negative ? 1 : 0;
    if (index >= parsed.sections.size() || !parsed.sections[index])
        index = 0;
    if (!parsed.sections[index])
        return std::nullopt;
    const TPattern& p = *parsed.sections[index];

    TDecimal d = value;
    int shownExponent = 0;
    if (p.scientific) {
        RoundToDigits(d, std::max(1, p.intCount + p.fracCount));
        if (!d.IsZero()) {
            shownExponent = d.exponent - p.intCount;
            d.exponent = p.intCount;
        }
    } else {
        RoundToDecimals(d, p.fracCount);
    }
    // What rounds to nothing is shown as zero: no "-0.00" and no "(0.00)".
    if (d.IsZero() && !value.IsZero())
        return FormatDecimalPattern(format, TDecimal{}, fs);

    QString intDigits = IntegerDigits(d);
    if (intDigits.size() < p.minInt)
        intDigits = intDigits.rightJustified(p.minInt, u'0');
    QString fracDigits = FractionDigits(d, p.fracCount);
    while (fracDigits.size() > p.minFrac && fracDigits.endsWith(u'0'))
        fracDigits.chop(1);
    const bool grouping = p.thousands && !p.scientific;
    const qsizetype n = intDigits.size();

    QString out;
    if (value.negative && !value.IsZero() && index == 0)
        out += u'-';
    auto putIntDigit = [&](qsizetype fromRight) {
        out += intDigits[n - 1 - fromRight];
        if (grouping && fromRight > 0 && fromRight % 3 == 0)
            out += fs.thousandSeparator;
    };
    for (const TPatternToken& t : p.tokens) {
        switch (t.kind) {
        case TPatternToken::Literal:
            out += t.text;
            break;
        case TPatternToken::IntDigit: {
            const qsizetype fromRight = p.intCount - 1 - t.index;
            // Digits beyond the placeholders go where the first one stands.
            if (t.index == 0)
                for (qsizetype r = n - 1; r > fromRight; --r)
                    putIntDigit(r);
            if (fromRight < n)
                putIntDigit(fromRight);
            break;
        }
        case TPatternToken::Point:
            if (p.intCount == 0)
                for (qsizetype r = n - 1; r >= 0; --r)
                    putIntDigit(r);
            if (!fracDigits.isEmpty())
                out += fs.decimalSeparator;
            break;
        case TPatternToken::FracDigit:
            if (t.index < fracDigits.size())
                out += fracDigits[t.index];
            break;
        case TPatternToken::Exponent:
            out += t.text;
            if (shownExponent < 0)
                out += u'-';
            else if (p.exponentPlus)
                out += u'+';
            out += QString::number(std::abs(shownExponent)).rightJustified(p.exponentDigits, u'0');
            break;
        }
    }
    return out;
}

QString ApplyCurrencyFormat(const QString& number, bool negative, const TValueFormatSettings& fs)
{
    const QString& c = fs.currencyString;
    if (!negative) {
        switch (fs.currencyFormat) {
        case 1: return number + c;
        case 2: return c + u' ' + number;
        case 3: return number + u' ' + c;
        default: return c + number;
        }
    }
    switch (fs.negativeCurrencyFormat) {
    case 1: return u'-' + c + number;
    case 2: return c + u'-' + number;
    case 3: return c + number + u'-';
    case 4: return u'(' + number + c + u')';
    case 5: return u'-' + number + c;
    case 6: return number + u'-' + c;
    case 7: return number + c + u'-';
    case 8: return u'-' + number + u' ' + c;
    case 9: return u'-' + c + u' ' + number;
    case 10: return number + u' ' + c + u'-';
    case 11: return c + u' ' + number + u'-';
    case 12: return c + u' ' + u'-' + number;
    case 13: return number + u'-' + u' ' + c;
    case 14: return u'(' + c + u' ' + number + u')';
    case 15: return u'(' + number + u' ' + c + u')';
    default: return u'(' + c + number + u')';
    }
}

QString CurrencyFromDecimal(TDecimal d, int decimals, const TValueFormatSettings& fs)
{
    decimals = std::clamp(decimals, 0, 18);
    RoundToDigits(d, 15);
    RoundToDecimals(d, decimals);
    QString digits = IntegerDigits(d);
    if (digits.isEmpty())
        digits = QStringLiteral("0");
    QString number = Grouped(digits, fs.thousandSeparator);
    if (decimals > 0)
        number += fs.decimalSeparator + FractionDigits(d, decimals);
    return ApplyCurrencyFormat(number, d.negative && !d.IsZero(), fs);
}

// ---- values of each kind ------------------------------------------------------

bool IsIntegerKind(TVarValue::Kind k)
{
    return k == TVarValue::vtShortInt || k == TVarValue::vtSmallInt || k == TVarValue::vtInteger ||
           k == TVarValue::vtInt64;
}

// A single holds fewer digits than a double shows; read back its own shortest form.
double SingleAsShownDouble(double real)
{
    const float f = float(real);
    if (!std::isfinite(f))
        return real;
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, f);
    double d = real;
    std::from_chars(buffer, result.ptr, d);
    return d;
}

// A number value as an exact decimal (and as a double when it is not an
// integer or currency); false for infinities and not-a-number, which only the
// general text can show.
bool NumericValue(const TVarValue& v, const TValueFormatSettings& fs, TDecimal& decimal, double& real)
{
    if (IsIntegerKind(v.kind)) {
        decimal = DecimalFromScaled(v.integer, 0);
        return true;
    }
    if (v.kind == TVarValue::vtCurrency) {
        decimal = DecimalFromScaled(v.integer, 4);
        return true;
    }
    if (v.kind == TVarValue::vtSingle)
        real = SingleAsShownDouble(v.real);
    else if (v.kind == TVarValue::vtDouble || v.kind == TVarValue::vtDate)
        real = v.real;
    else
        real = VarAsKind(v, TVarValue::vtDouble, fs).real;
    if (!std::isfinite(real))
        return false;
    decimal = v.kind == TVarValue::vtSingle ? DecimalFromFloat(float(real)) : DecimalFromFloat(real);
    return true;
}

// The text of a number without a format; `real` as NumericValue gave it.
QString GeneralNumberText(const TVarValue& v, double real, const TValueFormatSettings& fs)
{
    if (IsIntegerKind(v.kind))
        return QString::number(v.integer);
    if (v.kind == TVarValue::vtCurrency)
        return CurrencyToText(v.integer, fs);
    return FloatToText(real, fs);
}

QString DateTimeText(double value, const TValueFormatSettings& fs)
{
    if (std::trunc(value) == 0 && value != 0)
        return FormatDateTimePattern(fs.longTimeFormat, value, fs);
    return FormatDateTimePattern(u"c", value, fs);
}

// The value as plain text, as a string field would show it.
QString ValueText(const TVarValue& v, const TValueFormatSettings& fs)
{
    switch (v.kind) {
    case TVarValue::vtShortInt: case TVarValue::vtSmallInt: case TVarValue::vtInteger: case TVarValue::vtInt64:
        return QString::number(v.integer);
    case TVarValue::vtSingle: return FloatToText(SingleAsShownDouble(v.real), fs);
    case TVarValue::vtDouble: return FloatToText(v.real, fs);
    case TVarValue::vtCurrency: return CurrencyToText(v.integer, fs);
    case TVarValue::vtDate: return DateTimeText(v.real, fs);
    case TVarValue::vtBoolean: return v.integer ? QStringLiteral("True") : QStringLiteral("False");
    case TVarValue::vtWideString: case TVarValue::vtString: return v.text;
    default: return {};
    }
}

// Decimals of a "$" format: the placeholders after the first "." of its first section.
int CurrencyFormatDecimals(QStringView format)
{
    const qsizetype semicolon = format.indexOf(u';');
    const QStringView first = semicolon < 0 ? format : format.left(semicolon);
    const qsizetype point = first.indexOf(u'.');
    if (point < 0)
        return 0;
    int count = 0;
    for (qsizetype i = point + 1; i < first.size() && (first[i] == u'0' || first[i] == u'#'); ++i)
        ++count;
    return count;
}

QString FormatNumber(const TVarValue& value, TjxDataType dataType, const QString& format,
                     const TValueFormatSettings& fs)
{
    const bool usesCurrency = format.isEmpty() ? dataType == dtCurrency : format.contains(u'$');
    if (!format.isEmpty() && !usesCurrency && dataType == dtCurrency) {
        const int64_t scaled =
            value.kind == TVarValue::vtCurrency ? value.integer : VarAsKind(value, TVarValue::vtCurrency, fs).integer;
        return FormatCurrencyPattern(format, scaled, fs);
    }
    TDecimal decimal;
    double real = 0;
    if (!NumericValue(value, fs, decimal, real))
        return GeneralNumberText(value, real, fs);
    if (usesCurrency)
        return CurrencyFromDecimal(decimal, format.isEmpty() ? fs.currencyDecimals : CurrencyFormatDecimals(format),
                                   fs);
    if (!format.isEmpty())
        if (std::optional<QString> text = FormatDecimalPattern(format, decimal, fs))
            return *std::move(text);
    return GeneralNumberText(value, real, fs);
}

QString FormatBoolean(const TVarValue& value, const QString& format, const TValueFormatSettings& fs)
{
    if (format.isEmpty() || value.kind != TVarValue::vtBoolean)
        return ValueText(value, fs);
    const qsizetype semicolon = format.indexOf(u';');
    if (value.integer)
        return semicolon < 0 ? format : format.left(semicolon);
    return semicolon < 0 ? QString() : format.mid(semicolon + 1);
}

QString FormatDate(const TVarValue& value, TjxDataType dataType, const QString& format,
                   const TValueFormatSettings& fs)
{
    const double days = value.kind == TVarValue::vtDate || value.kind == TVarValue::vtDouble
                            ? value.real
                            : VarAsKind(value, TVarValue::vtDate, fs).real;
    if (!format.isEmpty())
        return FormatDateTimePattern(format, days, fs);
    switch (dataType) {
    case dtDate: return FormatDateTimePattern(fs.shortDateFormat, days, fs);
    case dtTime: return FormatDateTimePattern(fs.longTimeFormat, days, fs);
    default: return FormatDateTimePattern(u"c", days, fs);
    }
}

} // namespace

// ---- public operations ----------------------------------------------------------

QString FormatFloatPattern(QStringView format, double value, const TValueFormatSettings& settings)
{
    if (format.isEmpty() || !std::isfinite(value))
        return FloatToText(value, settings);
    std::optional<QString> text = FormatDecimalPattern(format, DecimalFromFloat(value), settings);
    return text ? *std::move(text) : FloatToText(value, settings);
}

QString FormatCurrencyPattern(QStringView format, int64_t scaledBy10000, const TValueFormatSettings& settings)
{
    if (format.isEmpty())
        return CurrencyToText(scaledBy10000, settings);
    std::optional<QString> text = FormatDecimalPattern(format, DecimalFromScaled(scaledBy10000, 4), settings);
    return text ? *std::move(text) : CurrencyToText(scaledBy10000, settings);
}

QString FormatCurrencyText(double value, int decimals, const TValueFormatSettings& settings)
{
    if (!std::isfinite(value))
        return FloatToText(value, settings);
    return CurrencyFromDecimal(DecimalFromFloat(value), decimals, settings);
}

QString FormatMaskText(QStringView editMask, QStringView text, const TValueFormatSettings& settings)
{
    // Fields: the mask, "0" when the text is stored without the literals, the blank.
    qsizetype maskEnd = editMask.size();
    for (qsizetype i = 0; i < editMask.size(); ++i) {
        if (editMask[i] == u'\\') {
            ++i;
        } else if (editMask[i] == u';') {
            maskEnd = i;
            break;
        }
    }
    bool literalsStored = true;
    QChar blank = u' ';
    if (maskEnd < editMask.size()) {
        const QStringView rest = editMask.mid(maskEnd + 1);
        const qsizetype semicolon = rest.indexOf(u';');
        literalsStored = !rest.startsWith(u'0');
        if (semicolon >= 0 && semicolon + 1 < rest.size())
            blank = rest[semicolon + 1];
    }

    enum CaseMode { caseNone, caseUpper, caseLower };
    struct Item {
        bool slot;
        QChar literal;
        CaseMode caseMode;
    };
    std::vector<Item> items;
    bool reverse = false;
    CaseMode caseMode = caseNone;
    const QStringView mask = editMask.left(maskEnd);
    for (qsizetype i = 0; i < mask.size(); ++i) {
        const QChar c = mask[i];
        switch (c.unicode()) {
        case u'\\':
            if (i + 1 < mask.size())
                items.push_back({false, mask[++i], caseNone});
            break;
        case u'!': reverse = true; break;
        case u'>': caseMode = caseUpper; break;
        case u'<':
            if (i + 1 < mask.size() && mask[i + 1] == u'>') {
                caseMode = caseNone;
                ++i;
            } else {
                caseMode = caseLower;
            }
            break;
        case u'L': case u'l': case u'A': case u'a': case u'C': case u'c': case u'0': case u'9': case u'#':
            items.push_back({true, {}, caseMode});
            break;
        case u':': items.push_back({false, settings.timeSeparator, caseNone}); break;
        case u'/': items.push_back({false, settings.dateSeparator, caseNone}); break;
        case u'_': items.push_back({false, u' ', caseNone}); break;
        default: items.push_back({false, c, caseNone}); break;
        }
    }

    auto cased = [](QChar c, CaseMode mode) {
        return mode == caseUpper ? c.toUpper() : mode == caseLower ? c.toLower() : c;
    };
    // Text longer than the mask keeps its extra characters at the open end,
    // so a wrong mask never hides data.
    QString out;
    if (!reverse) {
        qsizetype pos = 0;
        for (const Item& item : items) {
            if (!item.slot) {
                out += item.literal;
                if (literalsStored && pos < text.size() && text[pos] == item.literal)
                    ++pos;
            } else {
                out += pos < text.size() ? cased(text[pos++], item.caseMode) : blank;
            }
        }
        out += text.mid(pos);
    } else {
        qsizetype pos = text.size() - 1;
        for (auto it = items.rbegin(); it != items.rend(); ++it) {
            if (!it->slot) {
                out.prepend(it->literal);
                if (literalsStored && pos >= 0 && text[pos] == it->literal)
                    --pos;
            } else {
                out.prepend(pos >= 0 ? cased(text[pos--], it->caseMode) : blank);
            }
        }
        out.prepend(text.left(pos + 1));
    }
    return out;
}

bool IsZeroValue(const TVarValue& value, TjxDataType dataType)
{
    if (dataType == dtChar || dataType == dtString || dataType == dtMemo || dataType == dtGUID)
        return false;
    switch (value.kind) {
    case TVarValue::vtShortInt: case TVarValue::vtSmallInt: case TVarValue::vtInteger: case TVarValue::vtInt64:
    case TVarValue::vtCurrency:
        return value.integer == 0;
    case TVarValue::vtSingle: case TVarValue::vtDouble: case TVarValue::vtDate:
        return value.real == 0;
    default:
        return false;
    }
}

QString FormatDisplayValue(const TVarValue& value, TjxDataType dataType, const QString& displayFormat,
                           const TValueFormatSettings& settings)
{
    if (VarIsNullOrUnassigned(value) || value.kind == TVarValue::vtArray)
        return {};
    try {
        switch (dataType) {
        case dtBoolean:
            return FormatBoolean(value, displayFormat, settings);
        case dtDate: case dtTime: case dtDateTime:
            return FormatDate(value, dataType, displayFormat, settings);
        case dtInteger: case dtSingle: case dtDouble: case dtExtended: case dtCurrency: case dtLongint:
        case dtLargeInt:
            return FormatNumber(value, dataType, displayFormat, settings);
        case dtChar: case dtString: case dtMemo: case dtGUID: {
            const QString text = ValueText(value, settings);
            return displayFormat.isEmpty() ? text : FormatMaskText(displayFormat, text, settings);
        }
        default:
            return {};
        }
    } catch (const EConvertError&) {
        // A value that does not convert to the field's type prints nothing.
        return {};
    }
}

QString FormatDisplayValue(const TVarValue& value, TjxDataType dataType, const QString& displayFormat)
{
    return FormatDisplayValue(value, dataType, displayFormat, *SharedValueFormatSettings());
}

QStringList PredefinedDisplayFormats(TjxDataType dataType)
{
    struct Entry {
        const char16_t* sample;
        const char16_t* format;
    };
    static const Entry booleans[] = {{u"Yes", u"Yes;No"}, {u"Y", u"Y;N"},       {u"True", u"True;False"},
                                     {u"T", u"T;F"},      {u"OK", u"OK;"},      {u"Done", u"Done;"},
                                     {u"", u";Not OK"},   {u"", u";Not Done"}};
    static const Entry dates[] = {{u"3/4/95", u"m/d/yy"},           {u"03/04/95", u"mm/dd/yy"},
                                  {u"03/04/1995", u"mm/dd/yyyy"},   {u"4-Mar-95 ", u"d-mmm-yy"},
                                  {u"04-Mar-95 ", u"dd-mmm-yy"},    {u"March 4, 1995", u"mmmm d, yyyy"},
                                  {u"3/4", u"m/d"},                 {u"Mar-95", u"mmm-yy"},
                                  {u"March-95", u"mmmm-yy"}};
    static const Entry times[] = {{u"1:30 PM", u"h:nn AM/PM"},
                                  {u"13:30", u"h:nn"},
                                  {u"1:30:55 PM", u"h:nn:ss AM/PM"},
                                  {u"13:30:55", u"h:nn:ss"}};
    static const Entry dateTimes[] = {{u"3/4/95 1:30:55 PM", u"m/d/yy h:nn:ss AM/PM"},
                                      {u"3/4/95 13:30:55", u"m/d/yy h:nn:ss"}};
    static const Entry strings[] = {{u"Phone", u"!\\(999\\)\\ 000\\-0000;0; "},
                                    {u"Extension", u"!99999;0; "},
                                    {u"Social Security", u"000\\-00\\-0000;0; "},
                                    {u"Short Zip Code", u"00000;0; "},
                                    {u"Long Zip Code", u"00000\\-9999;0; "},
                                    {u"Date", u"!99/99/00;0; "},
                                    {u"Long Time", u"!90:00:00\\ >LL;0; "},
                                    {u"Short Time", u"!90:00;0; "}};
    static const Entry numbers[] = {{u"-1,234", u"#,0;-#,0"},
                                    {u"-1,234.40", u"#,0.00;-#,0.00"},
                                    {u"(1,234.40)", u"#,0.00;(#,0.00)"},
                                    {u"($1,234.40)", u"$#,0.00;($#,0.00)"},
                                    {u"-$1,234.40", u"$#,0.00;-$#,0.00"},
                                    {u"-$1,234", u"$#,0;-$#,0"},
                                    {u"($1,234)", u"$#,0;($#,0)"},
                                    {u"-1234.4 %", u"0 %"},
                                    {u"-1234.40 %", u"0.00 %"}};

    QStringList list;
    auto add = [&list](const auto& entries) {
        for (const Entry& e : entries)
            list.append(QString::fromUtf16(e.sample) + QChar(1) + QString::fromUtf16(e.format));
    };
    switch (dataType) {
    case dtBoolean: add(booleans); break;
    case dtDate: add(dates); break;
    case dtTime: add(times); break;
    case dtDateTime: add(dateTimes); add(dates); break;
    case dtString: add(strings); break;
    case dtInteger: case dtSingle: case dtDouble: case dtExtended: case dtCurrency: case dtLongint: case dtLargeInt:
        add(numbers);
        break;
    default: break;
    }
    return list;
}

} // namespace orvane
