#include "document/data_type.h"

#include "document/date_time_format.h"

#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"

#include <QDate>
#include <charconv>
#include <cmath>
#include <limits>
#include <mutex>
#include <string>

namespace orvane {

const TTypeInfo& DataTypeType()
{
    static const TTypeInfo& t =
        EnumType("TjxDataType", {"dtBoolean", "dtDate", "dtTime", "dtDateTime", "dtInteger", "dtSingle", "dtDouble",
                                 "dtExtended", "dtCurrency", "dtChar", "dtString", "dtVariant", "dtLongint", "dtBLOB",
                                 "dtMemo", "dtGraphic", "dtNotKnown", "dtLargeInt", "dtGUID"});
    return t;
}

QString DataTypeName(TjxDataType type)
{
    return DataTypeType().EnumName(type);
}

// ---- format settings ------------------------------------------------------

namespace {

std::mutex& SettingsLock()
{
    static std::mutex lock;
    return lock;
}

// Replaced whole on every change, so a snapshot handed out never changes.
std::shared_ptr<const TValueFormatSettings>& SettingsStore()
{
    static std::shared_ptr<const TValueFormatSettings> settings = std::make_shared<const TValueFormatSettings>();
    return settings;
}

} // namespace

TValueFormatSettings ValueFormatSettings() { return *SharedValueFormatSettings(); }

std::shared_ptr<const TValueFormatSettings> SharedValueFormatSettings()
{
    std::lock_guard guard(SettingsLock());
    return SettingsStore();
}

void SetValueFormatSettings(const TValueFormatSettings& settings)
{
    auto replacement = std::make_shared<const TValueFormatSettings>(settings);
    std::lock_guard guard(SettingsLock());
    SettingsStore() = std::move(replacement);
}

// ---- dates and times ------------------------------------------------------

namespace {

constexpr double kMsecPerDay = 86400000.0;

qint64 BaseJulianDay()
{
    static const qint64 base = QDate(1899, 12, 30).toJulianDay();
    return base;
}

int CurrentYear()
{
    return QDate::currentDate().year();
}

// Two-digit years fall into the 100 years that end 49 years after this one.
int ExpandYear(int year, int digits)
{
    if (digits > 2)
        return year;
    const int current = CurrentYear();
    year += current / 100 * 100;
    if (year < current - 50)
        year += 100;
    return year;
}

QStringView Trimmed(QStringView text)
{
    return text.trimmed();
}

struct NumberToken {
    int value = 0;
    int digits = 0;
};

// Reads unsigned decimal digits at pos (at most 9); false when there are none.
bool ReadDigits(QStringView text, qsizetype& pos, NumberToken& token)
{
    token = {};
    while (pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9') {
        if (token.digits >= 9)
            return false;
        token.value = token.value * 10 + (text[pos].unicode() - u'0');
        ++token.digits;
        ++pos;
    }
    return token.digits > 0;
}

void SkipBlanks(QStringView text, qsizetype& pos)
{
    while (pos < text.size() && text[pos] == u' ')
        ++pos;
}

// The order of day, month and year in a date format: "MDY", "DMY" or "YMD".
QString DateOrder(const QString& format)
{
    QString order;
    for (QChar c : format) {
        const QChar u = c.toUpper();
        if ((u == u'D' || u == u'M' || u == u'Y') && !order.contains(u))
            order.append(u);
    }
    return order.size() == 3 ? order : QStringLiteral("MDY");
}

bool ScanDate(QStringView text, qsizetype& pos, double& result, const TValueFormatSettings& fs)
{
    NumberToken n[3];
    int count = 0;
    SkipBlanks(text, pos);
    for (;;) {
        if (!ReadDigits(text, pos, n[count]))
            return false;
        ++count;
        if (count == 3 || pos >= text.size() || text[pos] != fs.dateSeparator)
            break;
        ++pos;
    }
    if (count < 2)
        return false;
    const QString order = DateOrder(fs.shortDateFormat);
    int year = 0, month = 0, day = 0;
    if (count == 2) {
        year = CurrentYear();
        if (order == u"DMY") {
            day = n[0].value;
            month = n[1].value;
        } else {
            month = n[0].value;
            day = n[1].value;
        }
    } else {
        for (int i = 0; i < 3; ++i) {
            switch (order[i].unicode()) {
            case u'D': day = n[i].value; break;
            case u'M': month = n[i].value; break;
            default: year = ExpandYear(n[i].value, n[i].digits); break;
            }
        }
    }
    return TryEncodeDate(year, month, day, result);
}

// An AM or PM marker at pos; returns 0 for none, 1 for AM, 2 for PM.
int ScanAmPm(QStringView text, qsizetype& pos, const TValueFormatSettings& fs)
{
    SkipBlanks(text, pos);
    const QStringView rest = text.mid(pos);
    const QString candidates[] = {fs.timeAMString, fs.timePMString, QStringLiteral("AM"), QStringLiteral("PM"),
                                  QStringLiteral("A"), QStringLiteral("P")};
    for (int i = 0; i < 6; ++i) {
        const QString& c = candidates[i];
        if (!c.isEmpty() && rest.startsWith(c, Qt::CaseInsensitive)) {
            pos += c.size();
            return (i % 2) + 1;
        }
    }
    return 0;
}

bool ScanTime(QStringView text, qsizetype& pos, double& result, const TValueFormatSettings& fs)
{
    SkipBlanks(text, pos);
    const int leadingAmPm = ScanAmPm(text, pos, fs);
    SkipBlanks(text, pos);
    NumberToken hour, minute, second, msec;
    if (!ReadDigits(text, pos, hour))
        return false;
    if (pos < text.size() && text[pos] == fs.timeSeparator) {
        ++pos;
        if (!ReadDigits(text, pos, minute))
            return false;
        if (pos < text.size() && text[pos] == fs.timeSeparator) {
            ++pos;
            if (!ReadDigits(text, pos, second))
                return false;
            if (pos < text.size() && text[pos] == fs.decimalSeparator) {
                ++pos;
                if (!ReadDigits(text, pos, msec) || msec.digits > 3)
                    return false;
                while (msec.digits < 3) {
                    msec.value *= 10;
                    ++msec.digits;
                }
            }
        }
    }
    const int ampm = leadingAmPm ? leadingAmPm : ScanAmPm(text, pos, fs);
    int h = hour.value;
    if (ampm) {
        if (h < 1 || h > 12)
            return false;
        if (ampm == 1 && h == 12)
            h = 0;
        else if (ampm == 2 && h != 12)
            h += 12;
    }
    return TryEncodeTime(h, minute.value, second.value, msec.value, result);
}

double CombineDateTime(double date, double time)
{
    return date < 0 ? date - time : date + time;
}

} // namespace

bool TryEncodeDate(int year, int month, int day, double& result)
{
    if (year < 1 || year > 9999)
        return false;
    const QDate date(year, month, day);
    if (!date.isValid())
        return false;
    result = double(date.toJulianDay() - BaseJulianDay());
    return true;
}

bool TryEncodeTime(int hour, int minute, int second, int msec, double& result)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 || msec > 999)
        return false;
    result = (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + msec) / kMsecPerDay;
    return true;
}

void DecodeDateTime(double value, int& year, int& month, int& day, int& hour, int& minute, int& second, int& msec)
{
    year = month = day = hour = minute = second = msec = 0;
    if (!std::isfinite(value) || std::fabs(value) > 3e6)
        return;
    double whole = std::trunc(value);
    int64_t ms = int64_t(std::llround(std::fabs(value - whole) * kMsecPerDay));
    if (ms >= int64_t(kMsecPerDay)) {
        ms -= int64_t(kMsecPerDay);
        whole += value < 0 ? -1 : 1;
    }
    const QDate date = QDate::fromJulianDay(BaseJulianDay() + qint64(whole));
    year = date.year();
    month = date.month();
    day = date.day();
    hour = int(ms / 3600000);
    minute = int(ms / 60000 % 60);
    second = int(ms / 1000 % 60);
    msec = int(ms % 1000);
}

bool TryTextToDate(QStringView text, double& result, const TValueFormatSettings& fs)
{
    const QStringView t = Trimmed(text);
    qsizetype pos = 0;
    double date = 0;
    if (!ScanDate(t, pos, date, fs) || pos != t.size())
        return false;
    result = date;
    return true;
}

bool TryTextToTime(QStringView text, double& result, const TValueFormatSettings& fs)
{
    const QStringView t = Trimmed(text);
    qsizetype pos = 0;
    double time = 0;
    if (!ScanTime(t, pos, time, fs))
        return false;
    SkipBlanks(t, pos);
    if (pos != t.size())
        return false;
    result = time;
    return true;
}

bool TryTextToDateTime(QStringView text, double& result, const TValueFormatSettings& fs)
{
    const QStringView t = Trimmed(text);
    qsizetype pos = 0;
    double date = 0;
    if (ScanDate(t, pos, date, fs)) {
        if (pos == t.size()) {
            result = date;
            return true;
        }
        double time = 0;
        if (!ScanTime(t, pos, time, fs))
            return false;
        SkipBlanks(t, pos);
        if (pos != t.size())
            return false;
        result = CombineDateTime(date, time);
        return true;
    }
    return TryTextToTime(t, result, fs);
}

// ---- numbers ----------------------------------------------------------------

bool TryTextToInteger(QStringView text, int64_t& result)
{
    const QStringView t = Trimmed(text);
    qsizetype pos = 0;
    bool negative = false;
    if (pos < t.size() && (t[pos] == u'-' || t[pos] == u'+'))
        negative = t[pos++] == u'-';
    if (pos == t.size())
        return false;
    uint64_t magnitude = 0;
    const uint64_t limit = negative ? uint64_t(std::numeric_limits<int64_t>::max()) + 1
                                    : uint64_t(std::numeric_limits<int64_t>::max());
    for (; pos < t.size(); ++pos) {
        if (t[pos] < u'0' || t[pos] > u'9')
            return false;
        const uint64_t digit = t[pos].unicode() - u'0';
        if (magnitude > (limit - digit) / 10)
            return false;
        magnitude = magnitude * 10 + digit;
    }
    result = negative ? int64_t(0 - magnitude) : int64_t(magnitude);
    return true;
}

namespace {

// The text with the user's decimal separator turned into "." for from_chars;
// empty when the text holds anything a plain decimal number cannot.
std::string PlainNumber(QStringView text, const TValueFormatSettings& fs)
{
    std::string out;
    out.reserve(size_t(text.size()));
    bool exponent = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == fs.decimalSeparator && !exponent) {
            out.push_back('.');
        } else if (c >= u'0' && c <= u'9') {
            out.push_back(char(c.unicode()));
        } else if ((c == u'e' || c == u'E') && !exponent && !out.empty()) {
            exponent = true;
            out.push_back('e');
        } else if ((c == u'+' || c == u'-') && (i == 0 || out.back() == 'e')) {
            if (c == u'-')
                out.push_back('-');
        } else {
            return {};
        }
    }
    return out;
}

} // namespace

bool TryTextToFloat(QStringView text, double& result, const TValueFormatSettings& fs)
{
    const std::string plain = PlainNumber(Trimmed(text), fs);
    if (plain.empty())
        return false;
    double value = 0;
    const char* end = plain.data() + plain.size();
    const auto [ptr, ec] = std::from_chars(plain.data(), end, value, std::chars_format::general);
    if (ec != std::errc() || ptr != end || !std::isfinite(value))
        return false;
    result = value;
    return true;
}

namespace {

constexpr double kCurrencyLimit = 922337203685477.5807;

bool ScaleToCurrency(double value, int64_t& scaled)
{
    if (!std::isfinite(value) || std::fabs(value) > kCurrencyLimit)
        return false;
    // Rounds half to even, like every other conversion to currency.
    const double s = std::nearbyint(value * 10000.0);
    if (s >= 9223372036854775807.0 || s < -9223372036854775807.0)
        return false;
    scaled = int64_t(s);
    return true;
}

} // namespace

bool TryTextToCurrency(QStringView text, int64_t& scaled, const TValueFormatSettings& fs)
{
    const QStringView t = Trimmed(text);
    // Plain decimals are read exactly; anything with an exponent goes through a double.
    qsizetype pos = 0;
    bool negative = false;
    if (pos < t.size() && (t[pos] == u'-' || t[pos] == u'+'))
        negative = t[pos++] == u'-';
    uint64_t whole = 0;
    int wholeDigits = 0;
    for (; pos < t.size() && t[pos] >= u'0' && t[pos] <= u'9'; ++pos, ++wholeDigits) {
        if (whole > 922337203685477ull)
            return false;
        whole = whole * 10 + (t[pos].unicode() - u'0');
    }
    uint64_t fraction = 0;
    int fractionDigits = 0;
    int roundDirection = 0;  // beyond four decimals: -1 below half, 0 exactly half, 1 above
    bool beyond = false;
    if (pos < t.size() && t[pos] == fs.decimalSeparator) {
        ++pos;
        for (; pos < t.size() && t[pos] >= u'0' && t[pos] <= u'9'; ++pos, ++fractionDigits) {
            const int digit = t[pos].unicode() - u'0';
            if (fractionDigits < 4) {
                fraction = fraction * 10 + uint64_t(digit);
            } else if (fractionDigits == 4) {
                beyond = true;
                roundDirection = digit > 5 ? 1 : digit < 5 ? -1 : 0;
            } else if (digit != 0 && roundDirection == 0) {
                roundDirection = 1;
            }
        }
    }
    if (pos != t.size()) {
        double value = 0;
        return TryTextToFloat(text, value, fs) && ScaleToCurrency(value, scaled);
    }
    if (wholeDigits + fractionDigits == 0)
        return false;
    for (int i = fractionDigits; i < 4; ++i)
        fraction *= 10;
    uint64_t magnitude = whole * 10000 + fraction;
    if (beyond && (roundDirection > 0 || (roundDirection == 0 && (magnitude & 1))))
        ++magnitude;
    if (magnitude > uint64_t(std::numeric_limits<int64_t>::max()) + (negative ? 1 : 0))
        return false;
    scaled = negative ? int64_t(0 - magnitude) : int64_t(magnitude);
    return true;
}

int64_t TextToInteger(QStringView text)
{
    int64_t result = 0;
    if (!TryTextToInteger(text, result))
        throw EConvertError(MessageText(msg::InvalidIntegerText, {text.toString()}));
    return result;
}

double TextToFloat(QStringView text, const TValueFormatSettings& fs)
{
    double result = 0;
    if (!TryTextToFloat(text, result, fs))
        throw EConvertError(MessageText(msg::InvalidFloatText, {text.toString()}));
    return result;
}

int64_t TextToCurrency(QStringView text, const TValueFormatSettings& fs)
{
    int64_t result = 0;
    if (!TryTextToCurrency(text, result, fs))
        throw EConvertError(MessageText(msg::InvalidFloatText, {text.toString()}));
    return result;
}

double TextToDateTime(QStringView text, const TValueFormatSettings& fs)
{
    double result = 0;
    if (!TryTextToDateTime(text, result, fs))
        throw EConvertError(MessageText(msg::InvalidDateTimeText, {text.toString()}));
    return result;
}

namespace {

QString FloatToTextPrecision(double value, int precision, const TValueFormatSettings& fs)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (value == 0)
        return QStringLiteral("0");
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
    std::string text(buffer, ec == std::errc() ? end : buffer);
    QString out;
    const size_t e = text.find('e');
    const std::string mantissa = text.substr(0, e);
    for (char c : mantissa)
        out.append(c == '.' ? fs.decimalSeparator : QChar(char16_t(c)));
    if (e != std::string::npos) {
        // "1e+20" becomes "1E20", "1.5e-05" becomes "1.5E-5".
        out.append(u'E');
        size_t i = e + 1;
        if (text[i] == '-')
            out.append(u'-');
        if (text[i] == '-' || text[i] == '+')
            ++i;
        while (i + 1 < text.size() && text[i] == '0')
            ++i;
        out.append(QString::fromLatin1(text.data() + i, qsizetype(text.size() - i)));
    }
    return out;
}

} // namespace

QString FloatToText(double value, const TValueFormatSettings& fs)
{
    return FloatToTextPrecision(value, 15, fs);
}

QString CurrencyToText(int64_t scaled, const TValueFormatSettings& fs)
{
    const bool negative = scaled < 0;
    const uint64_t magnitude = negative ? 0 - uint64_t(scaled) : uint64_t(scaled);
    QString out = negative ? QStringLiteral("-") : QString();
    out += QString::number(magnitude / 10000);
    uint64_t fraction = magnitude % 10000;
    if (fraction) {
        QString digits = QString::number(fraction).rightJustified(4, u'0');
        while (digits.endsWith(u'0'))
            digits.chop(1);
        out += fs.decimalSeparator;
        out += digits;
    }
    return out;
}


QString DateTimeToText(double value, const TValueFormatSettings& fs)
{
    const double whole = std::trunc(value);
    const bool hasTime = value != whole;
    if (whole == 0 && hasTime)
        return FormatDateTimePattern(fs.longTimeFormat, value, fs);
    if (!hasTime)
        return FormatDateTimePattern(fs.shortDateFormat, value, fs);
    return FormatDateTimePattern(fs.shortDateFormat, value, fs) + u' ' + FormatDateTimePattern(fs.longTimeFormat, value, fs);
}

// ---- variants -----------------------------------------------------------------

TVarValue VarSingle(float value)
{
    TVarValue r;
    r.kind = TVarValue::vtSingle;
    r.real = value;
    return r;
}

TVarValue VarInt64(int64_t value)
{
    TVarValue r;
    r.kind = TVarValue::vtInt64;
    r.integer = value;
    return r;
}

TVarValue VarCurrency(int64_t scaledBy10000)
{
    TVarValue r;
    r.kind = TVarValue::vtCurrency;
    r.integer = scaledBy10000;
    return r;
}

TVarValue VarDate(double days)
{
    TVarValue r;
    r.kind = TVarValue::vtDate;
    r.real = days;
    return r;
}

TVarValue::Kind VarKindOfDataType(TjxDataType type)
{
    switch (type) {
    case dtBoolean: return TVarValue::vtBoolean;
    case dtDateTime: return TVarValue::vtDate;
    case dtInteger: return TVarValue::vtInteger;
    case dtSingle: return TVarValue::vtSingle;
    case dtDouble: return TVarValue::vtDouble;
    case dtCurrency: return TVarValue::vtCurrency;
    case dtString: return TVarValue::vtWideString;
    case dtLargeInt: return TVarValue::vtInt64;
    default: return TVarValue::vtUnassigned;
    }
}

TjxDataType DataTypeOfVarKind(TVarValue::Kind kind)
{
    switch (kind) {
    case TVarValue::vtShortInt: case TVarValue::vtSmallInt: case TVarValue::vtInteger: return dtInteger;
    case TVarValue::vtSingle: return dtSingle;
    case TVarValue::vtDouble: return dtDouble;
    case TVarValue::vtCurrency: return dtCurrency;
    case TVarValue::vtDate: return dtDateTime;
    case TVarValue::vtWideString: case TVarValue::vtString: return dtString;
    case TVarValue::vtBoolean: return dtBoolean;
    case TVarValue::vtInt64: return dtLargeInt;
    default: return dtNotKnown;
    }
}

QString VarKindName(TVarValue::Kind kind)
{
    switch (kind) {
    case TVarValue::vtUnassigned: return QStringLiteral("Empty");
    case TVarValue::vtNull: return QStringLiteral("Null");
    case TVarValue::vtShortInt: return QStringLiteral("ShortInt");
    case TVarValue::vtSmallInt: return QStringLiteral("SmallInt");
    case TVarValue::vtInteger: return QStringLiteral("Integer");
    case TVarValue::vtInt64: return QStringLiteral("Int64");
    case TVarValue::vtSingle: return QStringLiteral("Single");
    case TVarValue::vtDouble: return QStringLiteral("Double");
    case TVarValue::vtCurrency: return QStringLiteral("Currency");
    case TVarValue::vtDate: return QStringLiteral("Date");
    case TVarValue::vtBoolean: return QStringLiteral("Boolean");
    case TVarValue::vtWideString: return QStringLiteral("UnicodeString");
    case TVarValue::vtString: return QStringLiteral("String");
    case TVarValue::vtArray: return QStringLiteral("Array");
    }
    return {};
}

bool VarIsNullOrUnassigned(const TVarValue& v)
{
    return v.kind == TVarValue::vtNull || v.kind == TVarValue::vtUnassigned;
}

bool VarEqualsZero(const TVarValue& v)
{
    switch (v.kind) {
    case TVarValue::vtShortInt: case TVarValue::vtSmallInt: case TVarValue::vtInteger: case TVarValue::vtInt64:
    case TVarValue::vtCurrency: case TVarValue::vtBoolean:
        return v.integer == 0;
    case TVarValue::vtSingle: case TVarValue::vtDouble: case TVarValue::vtDate:
        return v.real == 0;
    default:
        return false;
    }
}

TVarValue VarZero(TVarValue::Kind kind)
{
    TVarValue r;
    r.kind = kind;
    return r;
}

namespace {

bool IsIntegerKind(TVarValue::Kind k)
{
    return k == TVarValue::vtShortInt || k == TVarValue::vtSmallInt || k == TVarValue::vtInteger ||
           k == TVarValue::vtInt64;
}

bool IsStringKind(TVarValue::Kind k)
{
    return k == TVarValue::vtWideString || k == TVarValue::vtString;
}

[[noreturn]] void CastError(TVarValue::Kind from, TVarValue::Kind to)
{
    throw EConvertError(MessageText(msg::VariantConvertError, {VarKindName(from), VarKindName(to)}));
}

int64_t LimitOf(TVarValue::Kind k, bool upper)
{
    switch (k) {
    case TVarValue::vtShortInt: return upper ? 127 : -128;
    case TVarValue::vtSmallInt: return upper ? 32767 : -32768;
    case TVarValue::vtInteger: return upper ? std::numeric_limits<int32_t>::max() : std::numeric_limits<int32_t>::min();
    default: return upper ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
    }
}

// Currency to a whole number, halves to the even neighbour.
int64_t RoundCurrency(int64_t scaled)
{
    int64_t q = scaled / 10000;
    const int64_t r = scaled % 10000;
    if (r > 5000 || (r == 5000 && (q & 1)))
        ++q;
    else if (r < -5000 || (r == -5000 && (q & 1)))
        --q;
    return q;
}

bool RoundToInteger(double value, int64_t& result)
{
    if (!std::isfinite(value))
        return false;
    const double r = std::nearbyint(value);
    if (r >= 9223372036854775807.0 || r < -9223372036854775807.0)
        return false;
    result = int64_t(r);
    return true;
}

double AsDouble(const TVarValue& v, TVarValue::Kind target, const TValueFormatSettings& fs)
{
    if (IsIntegerKind(v.kind) || v.kind == TVarValue::vtBoolean)
        return double(v.integer);
    switch (v.kind) {
    case TVarValue::vtSingle: case TVarValue::vtDouble: case TVarValue::vtDate: return v.real;
    case TVarValue::vtCurrency: return double(v.integer) / 10000.0;
    case TVarValue::vtWideString: case TVarValue::vtString: {
        double d = 0;
        if (target == TVarValue::vtDate ? TryTextToDateTime(v.text, d, fs) : TryTextToFloat(v.text, d, fs))
            return d;
        break;
    }
    default: break;
    }
    CastError(v.kind, target);
}

} // namespace

QString VarToText(const TVarValue& v)
{
    const auto settings = SharedValueFormatSettings();
    const TValueFormatSettings& fs = *settings;
    switch (v.kind) {
    case TVarValue::vtUnassigned: case TVarValue::vtNull: case TVarValue::vtArray: return {};
    case TVarValue::vtShortInt: case TVarValue::vtSmallInt: case TVarValue::vtInteger: case TVarValue::vtInt64:
        return QString::number(v.integer);
    case TVarValue::vtSingle: return FloatToTextPrecision(v.real, 7, fs);
    case TVarValue::vtDouble: return FloatToText(v.real, fs);
    case TVarValue::vtCurrency: return CurrencyToText(v.integer, fs);
    case TVarValue::vtDate: return DateTimeToText(v.real, fs);
    case TVarValue::vtBoolean: return v.integer ? QStringLiteral("True") : QStringLiteral("False");
    case TVarValue::vtWideString: case TVarValue::vtString: return v.text;
    }
    return {};
}

TVarValue VarAsKind(const TVarValue& v, TVarValue::Kind kind)
{
    return VarAsKind(v, kind, *SharedValueFormatSettings());
}

TVarValue VarAsKind(const TVarValue& v, TVarValue::Kind kind, const TValueFormatSettings& fs)
{
    if (kind == TVarValue::vtUnassigned || kind == TVarValue::vtNull)
        return VarZero(kind);
    if (v.kind == kind)
        return v;
    if (v.kind == TVarValue::vtUnassigned)
        return VarZero(kind);
    if (v.kind == TVarValue::vtNull || v.kind == TVarValue::vtArray || kind == TVarValue::vtArray)
        CastError(v.kind, kind);

    TVarValue r;
    r.kind = kind;
    if (IsStringKind(kind)) {
        r.text = IsStringKind(v.kind) ? v.text : VarToText(v);
        return r;
    }
    if (kind == TVarValue::vtBoolean) {
        if (IsStringKind(v.kind)) {
            const QStringView t = Trimmed(v.text);
            if (t.compare(u"true", Qt::CaseInsensitive) == 0) {
                r.integer = 1;
                return r;
            }
            if (t.compare(u"false", Qt::CaseInsensitive) == 0)
                return r;
        }
        if (v.kind == TVarValue::vtCurrency || IsIntegerKind(v.kind))
            r.integer = v.integer != 0;
        else
            r.integer = AsDouble(v, kind, fs) != 0;
        return r;
    }
    if (IsIntegerKind(kind)) {
        int64_t value = 0;
        if (IsIntegerKind(v.kind) || v.kind == TVarValue::vtBoolean)
            value = v.integer;
        else if (v.kind == TVarValue::vtCurrency)
            value = RoundCurrency(v.integer);
        else if (!(IsStringKind(v.kind) && TryTextToInteger(v.text, value)) &&
                 !RoundToInteger(AsDouble(v, kind, fs), value))
            CastError(v.kind, kind);
        if (value < LimitOf(kind, false) || value > LimitOf(kind, true))
            CastError(v.kind, kind);
        r.integer = value;
        return r;
    }
    if (kind == TVarValue::vtCurrency) {
        if (IsIntegerKind(v.kind) || v.kind == TVarValue::vtBoolean) {
            if (v.integer > std::numeric_limits<int64_t>::max() / 10000 ||
                v.integer < std::numeric_limits<int64_t>::min() / 10000)
                CastError(v.kind, kind);
            r.integer = v.integer * 10000;
        } else if (IsStringKind(v.kind)) {
            if (!TryTextToCurrency(v.text, r.integer, fs))
                CastError(v.kind, kind);
        } else if (!ScaleToCurrency(AsDouble(v, kind, fs), r.integer)) {
            CastError(v.kind, kind);
        }
        return r;
    }
    // Single, double and date.
    const double d = AsDouble(v, kind, fs);
    if (kind == TVarValue::vtSingle) {
        if (std::fabs(d) > double(std::numeric_limits<float>::max()))
            CastError(v.kind, kind);
        r.real = float(d);
    } else {
        r.real = d;
    }
    return r;
}

} // namespace orvane
