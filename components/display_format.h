#pragma once

// Display formats: how every text component turns a value into text. All
// separators, names and currency rules come from TValueFormatSettings; the
// process locale is never consulted.

#include "document/data_type.h"
#include "document/date_time_format.h"
#include "document/var_value.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>

namespace orvane {

// The value as text under the display format for its data type. A null value,
// a value that does not convert to the data type's kind, and the types that
// have no text form give empty text.
QString FormatDisplayValue(const TVarValue& value, TjxDataType dataType, const QString& displayFormat,
                           const TValueFormatSettings& settings);
QString FormatDisplayValue(const TVarValue& value, TjxDataType dataType, const QString& displayFormat);

// True when BlankWhenZero should blank the value: a number or date equal to 0
// on a field that is not textual. Text such as "0" never counts as zero.
bool IsZeroValue(const TVarValue& value, TjxDataType dataType);


// Numeric format strings: "0" and "#" digit placeholders, "." decimal point,
// "," thousands separators, "E+"/"E-" exponents, quoted text, and up to three
// ";" sections for positive, negative and zero values. A value that rounds to
// zero is shown by the zero rules, never as "-0".
QString FormatFloatPattern(QStringView format, double value, const TValueFormatSettings& settings);
QString FormatCurrencyPattern(QStringView format, int64_t scaledBy10000, const TValueFormatSettings& settings);

// The settings' currency format with the given number of decimals.
QString FormatCurrencyText(double value, int decimals, const TValueFormatSettings& settings);

// An edit mask "mask;save literals;blank" applied to text for display.
QString FormatMaskText(QStringView editMask, QStringView text, const TValueFormatSettings& settings);

// The formats the format dialog offers for a data type, each as the sample,
// the character 1 and the format.
QStringList PredefinedDisplayFormats(TjxDataType dataType);

} // namespace orvane
