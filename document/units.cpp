#include "document/units.h"

#include "document/printer.h"

#include <QLocale>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <mutex>
#include <optional>

namespace orvane {

const TTypeInfo& UnitTypeType()
{
    static const TTypeInfo& t =
        EnumType("TjxUnitType", {"utScreenPixels", "utInches", "utMillimeters", "utPrinterPixels", "utMMThousandths"});
    return t;
}

namespace {

std::mutex g_formatLock;
std::optional<TjxFormatSettings> g_formatSettings;

TjxFormatSettings LocaleFormatSettings()
{
    TjxFormatSettings settings;
    const QString point = QLocale::system().decimalPoint();
    if (!point.isEmpty())
        settings.decimalSeparator = point.at(0);
    return settings;
}

// The constant as the conversions use it: the single value, widened.
constexpr long double kInch = kInchesPerMillimeter;

int ClampInt(int64_t v)
{
    if (v > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (v < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return int(v);
}

long double PixelsPerInch(TjxAxis axis, TjxCustomPrinter* printer)
{
    if (!printer)
        return kScreenPixelsPerInch;
    const QPoint ppi = printer->PixelsPerInch();
    const int v = axis == axVertical ? ppi.y() : ppi.x();
    return v > 0 ? v : kScreenPixelsPerInch;
}

// Integer as StrToIntDef reads it: blanks before, a sign, decimal digits.
bool ParseInteger(QStringView text, int64_t& value)
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

TjxFormatSettings FormatSettings()
{
    std::lock_guard guard(g_formatLock);
    if (!g_formatSettings)
        g_formatSettings = LocaleFormatSettings();
    return *g_formatSettings;
}

TjxFormatSettings SetFormatSettings(const TjxFormatSettings& settings)
{
    std::lock_guard guard(g_formatLock);
    const TjxFormatSettings previous = g_formatSettings ? *g_formatSettings : LocaleFormatSettings();
    g_formatSettings = settings;
    return previous;
}

void ResetFormatSettings()
{
    std::lock_guard guard(g_formatLock);
    g_formatSettings.reset();
}

int64_t RoundHalfEven(long double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 9.2e18L)
        return std::numeric_limits<int64_t>::max();
    if (value <= -9.2e18L)
        return std::numeric_limits<int64_t>::min();
    const long double floor = std::floor(value);
    const long double diff = value - floor;
    int64_t result = int64_t(floor);
    if (diff > 0.5L || (diff == 0.5L && (result & 1) != 0))
        ++result;
    return result;
}

int64_t Truncate(long double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 9.2e18L)
        return std::numeric_limits<int64_t>::max();
    if (value <= -9.2e18L)
        return std::numeric_limits<int64_t>::min();
    return int64_t(std::trunc(value));
}

float ThousandthsToUnits(int64_t value, TjxUnitType unit, TjxAxis axis, TjxCustomPrinter* printer)
{
    const long double m = static_cast<long double>(value) / 1000.0L;
    switch (unit) {
    case utScreenPixels:
        return float(RoundHalfEven(m * kInch * kScreenPixelsPerInch));
    case utInches:
        return float(static_cast<long double>(RoundHalfEven(m * kInch * 10000.0L)) / 10000.0L);
    case utMillimeters:
        return float(m);
    case utPrinterPixels:
        return float(RoundHalfEven(m * kInch * PixelsPerInch(axis, printer)));
    case utMMThousandths:
        return float(value);
    }
    return 0;
}

int UnitsToThousandths(float value, TjxUnitType unit, TjxAxis axis, TjxCustomPrinter* printer)
{
    const long double x = value;
    switch (unit) {
    case utScreenPixels:
        return ClampInt(RoundHalfEven(x / kScreenPixelsPerInch / kInch * 1000.0L));
    case utInches:
        return ClampInt(RoundHalfEven(x / kInch * 1000.0L));
    case utMillimeters:
        return ClampInt(RoundHalfEven(x * 1000.0L));
    case utPrinterPixels:
        return ClampInt(RoundHalfEven(x / PixelsPerInch(axis, printer) / kInch * 1000.0L));
    case utMMThousandths:
        return ClampInt(Truncate(x));
    }
    return 0;
}

int UnitsToScreenPixels(float value, TjxUnitType unit, TjxAxis axis, TjxCustomPrinter* printer)
{
    return ClampInt(Truncate(ThousandthsToUnits(UnitsToThousandths(value, unit, axis, printer), utScreenPixels)));
}

float ScreenPixelsToUnits(float pixels, TjxUnitType unit, TjxAxis axis, TjxCustomPrinter* printer)
{
    return ThousandthsToUnits(UnitsToThousandths(pixels, utScreenPixels), unit, axis, printer);
}

int UnitsToTenths(float value, TjxUnitType unit, TjxAxis axis, TjxCustomPrinter* printer)
{
    switch (unit) {
    case utInches: {
        const float th = ScreenPixelsToUnits(float(UnitsToScreenPixels(value, utInches)), utMMThousandths);
        return ClampInt(Truncate(static_cast<long double>(th) / 100.0L));
    }
    case utMillimeters:
        return ClampInt(RoundHalfEven(static_cast<long double>(value) * 10.0L));
    case utMMThousandths:
        return ClampInt(RoundHalfEven(static_cast<long double>(value) / 100.0L));
    case utScreenPixels:
    case utPrinterPixels:
        return UnitsToThousandths(value, unit, axis, printer) / 100;
    }
    return 0;
}

float TenthsToUnits(int tenths, TjxUnitType unit, TjxAxis axis, TjxCustomPrinter* printer)
{
    const int64_t th = int64_t(tenths) * 100;
    switch (unit) {
    case utInches:
        return ScreenPixelsToUnits(float(UnitsToScreenPixels(float(th), utMMThousandths)), utInches);
    case utMillimeters:
        return float(RoundHalfEven(static_cast<long double>(tenths) / 10.0L));
    case utMMThousandths:
        return float(th);
    case utScreenPixels:
    case utPrinterPixels:
        return ThousandthsToUnits(th, unit, axis, printer);
    }
    return 0;
}

bool FormatGeneral(double value, int digits, QChar decimalSeparator, QString& text)
{
    if (!std::isfinite(value) || digits < 1 || digits > 18)
        return false;
    if (value == 0) {
        text = QStringLiteral("0");
        return true;
    }
    // The significant digits and the exponent of the rounded value.
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, digits - 1);
    if (ec != std::errc())
        return false;
    const std::string_view sci(buffer, size_t(end - buffer));
    const size_t e = sci.find('e');
    const bool negative = sci.front() == '-';
    std::string mantissa;
    for (char c : sci.substr(negative ? 1 : 0, e - (negative ? 1 : 0)))
        if (c != '.')
            mantissa += c;
    const int exponent = std::atoi(std::string(sci.substr(e + 1)).c_str());
    while (mantissa.size() > 1 && mantissa.back() == '0')
        mantissa.pop_back();

    QString out = negative ? QStringLiteral("-") : QString();
    const auto appendDigits = [&out](std::string_view d) { out += QLatin1String(d.data(), qsizetype(d.size())); };
    if (exponent >= digits || exponent < -5) {
        appendDigits(std::string_view(mantissa).substr(0, 1));
        if (mantissa.size() > 1) {
            out += decimalSeparator;
            appendDigits(std::string_view(mantissa).substr(1));
        }
        out += exponent < 0 ? QStringLiteral("E-") : QStringLiteral("E+");
        out += QString::number(std::abs(exponent));
    } else if (exponent < 0) {
        out += u'0';
        out += decimalSeparator;
        out += QString(-exponent - 1, u'0');
        appendDigits(mantissa);
    } else {
        const size_t whole = size_t(exponent) + 1;
        if (mantissa.size() <= whole) {
            appendDigits(mantissa);
            out += QString(qsizetype(whole - mantissa.size()), u'0');
        } else {
            appendDigits(std::string_view(mantissa).substr(0, whole));
            out += decimalSeparator;
            appendDigits(std::string_view(mantissa).substr(whole));
        }
    }
    text = out;
    return true;
}

bool ParseFloat(QStringView text, QChar decimalSeparator, double& value)
{
    const QStringView trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return false;
    QByteArray latin;
    latin.reserve(trimmed.size());
    for (const QChar c : trimmed) {
        if (c == decimalSeparator)
            latin += '.';
        else if (c == u'.' || c.unicode() > 127)
            return false;  // a point is no separator where the user's is a comma
        else
            latin += char(c.unicode());
    }
    const char* begin = latin.constData();
    const char* end = begin + latin.size();
    if (*begin == '+')
        ++begin;
    const auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::general);
    return begin != end && ec == std::errc() && ptr == end && std::isfinite(value);
}

QStringList ThousandthsListToUnits(const QStringList& list, TjxUnitType unit, TjxAxis axis, TjxCustomPrinter* printer)
{
    const QChar separator = FormatSettings().decimalSeparator;
    QStringList result;
    result.reserve(list.size());
    for (const QString& line : list) {
        int64_t th = 0;
        if (!ParseInteger(line, th))
            th = 0;
        QString text;
        if (!FormatGeneral(ThousandthsToUnits(th, unit, axis, printer), 7, separator, text))
            text = QStringLiteral("0.0");
        result.append(text);
    }
    return result;
}

QStringList UnitsListToThousandths(const QStringList& list, TjxUnitType unit, TjxAxis axis, TjxCustomPrinter* printer)
{
    const QChar separator = FormatSettings().decimalSeparator;
    QStringList result;
    result.reserve(list.size());
    for (const QString& line : list) {
        double value = 0;
        if (!ParseFloat(line, separator, value))
            value = 0;
        const float single = float(value);
        if (!std::isfinite(single)) {
            result.append(QStringLiteral("0"));
            continue;
        }
        result.append(QString::number(UnitsToThousandths(single, unit, axis, printer)));
    }
    return result;
}

QStringList LocalizeDecimalPoint(const QStringList& list)
{
    const QChar separator = FormatSettings().decimalSeparator;
    QStringList result = list;
    for (QString& line : result) {
        const qsizetype dot = line.indexOf(u'.');
        if (dot >= 0)
            line[dot] = separator;
    }
    return result;
}

int ThousandthsToPixels(int64_t value, int dotsPerInch)
{
    return int(RoundHalfEven(static_cast<long double>(value) / 1000.0L * static_cast<long double>(kInchesPerMillimeter) *
                             dotsPerInch));
}

int PixelsToThousandths(int64_t pixels, int dotsPerInch)
{
    if (dotsPerInch <= 0)
        return 0;
    const long double value =
        static_cast<long double>(pixels) / dotsPerInch / static_cast<long double>(kInchesPerMillimeter) * 1000.0L;
    return int(std::clamp<int64_t>(RoundHalfEven(value), INT32_MIN, INT32_MAX));
}

int CoveringThousandths(int pixels, int dotsPerInch)
{
    int th = UnitsToThousandths(float(pixels) / float(dotsPerInch), utInches);
    while (ThousandthsToPixels(th, dotsPerInch) < pixels)
        ++th;
    return th;
}

} // namespace orvane
