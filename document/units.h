#pragma once

// Lengths are integers in thousandths of a millimetre ("th"). These are the
// only conversions between th and the units a user sees, and the platform's
// paper unit, tenths of a millimetre.

#include "document/property_info.h"

#include <QChar>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>

namespace orvane {

class TjxCustomPrinter;

enum TjxUnitType : uint8_t { utScreenPixels, utInches, utMillimeters, utPrinterPixels, utMMThousandths };

const TTypeInfo& UnitTypeType();

// Which resolution of a printer applies: only printer pixels tell the axes apart.
enum TjxAxis : uint8_t { axHorizontal, axVertical };

// One millimetre in inches, held as a single-precision float as the stored
// layouts were computed with it (0.03937000036239624); never 1/25.4.
inline constexpr float kInchesPerMillimeter = 0.03937f;

// The screen's logical resolution, for every screen-pixel conversion.
inline constexpr int kScreenPixelsPerInch = 96;

// The user's number format: only the decimal separator matters here. Numbers
// in streams and files never use it.
struct TjxFormatSettings {
    QChar decimalSeparator = u'.';
};

// The settings in force: the user's locale's unless some were installed.
TjxFormatSettings FormatSettings();
// Installs settings for the process (tests, or a user preference); returns the previous ones.
TjxFormatSettings SetFormatSettings(const TjxFormatSettings& settings);
// Back to the user's locale.
void ResetFormatSettings();

// Rounding as lengths need it: to the nearest integer with ties to the even
// neighbour, and truncation toward zero. Values outside the integer range clamp.
int64_t RoundHalfEven(long double value);
int64_t Truncate(long double value);

// Conversions. The printer is used only for printer pixels; without one the
// screen's resolution serves for both axes.
float ThousandthsToUnits(int64_t value, TjxUnitType unit, TjxAxis axis = axHorizontal,
                         TjxCustomPrinter* printer = nullptr);
int UnitsToThousandths(float value, TjxUnitType unit, TjxAxis axis = axHorizontal,
                       TjxCustomPrinter* printer = nullptr);
int UnitsToScreenPixels(float value, TjxUnitType unit, TjxAxis axis = axHorizontal,
                        TjxCustomPrinter* printer = nullptr);
float ScreenPixelsToUnits(float pixels, TjxUnitType unit, TjxAxis axis = axHorizontal,
                          TjxCustomPrinter* printer = nullptr);
// Device pixels at a resolution: Round(th / 1000 x 0.03937 x dpi), as screen
// pixels are at 96 dpi.
int ThousandthsToPixels(int64_t value, int dotsPerInch);
// The inverse: device pixels at a resolution to thousandths, rounded.
int PixelsToThousandths(int64_t pixels, int dotsPerInch);
// The smallest length in thousandths that is at least `pixels` again at a
// resolution, for a box that must cover what was measured in pixels.
int CoveringThousandths(int pixels, int dotsPerInch);

// Tenths of a millimetre, the platform's paper unit. Inch values pass through
// whole screen pixels, so 8.5 in and 2159 tenths meet where they always did.
int UnitsToTenths(float value, TjxUnitType unit, TjxAxis axis = axHorizontal,
                  TjxCustomPrinter* printer = nullptr);
float TenthsToUnits(int tenths, TjxUnitType unit, TjxAxis axis = axHorizontal,
                    TjxCustomPrinter* printer = nullptr);

// Lists of values as the inspector edits them, one a line. Integers in th to
// units written with 7 significant digits and the user's decimal separator;
// units (read with that separator) to integers in th. A line that is not a
// number counts as 0.
QStringList ThousandthsListToUnits(const QStringList& list, TjxUnitType unit, TjxAxis axis = axHorizontal,
                                   TjxCustomPrinter* printer = nullptr);
QStringList UnitsListToThousandths(const QStringList& list, TjxUnitType unit, TjxAxis axis = axHorizontal,
                                   TjxCustomPrinter* printer = nullptr);
// Replaces the first "." of each line with the user's decimal separator.
QStringList LocalizeDecimalPoint(const QStringList& list);

// A float as general text with `digits` significant digits and the given
// decimal separator ("0.25", "794", "1.5E+20"); false for values without one.
bool FormatGeneral(double value, int digits, QChar decimalSeparator, QString& text);
// A float written with the given decimal separator (blanks around it allowed).
bool ParseFloat(QStringView text, QChar decimalSeparator, double& value);

// Lengths are kept as int, but code and the designer may set any int in each of them,
// so sums and differences of lengths can pass that range: positions are
// worked out in 64 bits and saturate where they are kept as a length.
using TjxLength64 = int64_t;
constexpr int SaturatedLength(TjxLength64 value)
{
    return int(std::clamp<TjxLength64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace orvane
