#pragma once

// The data type vocabulary of parameters, fields, components and draw
// commands, and the conversions between variant values of those types.

#include "document/property_info.h"
#include "document/var_value.h"

#include <QString>
#include <QStringView>
#include <array>
#include <memory>
#include <cstdint>

namespace orvane {

// Streamed by ordinal name; the order is fixed by existing templates.
enum TjxDataType : uint8_t {
    dtBoolean, dtDate, dtTime, dtDateTime, dtInteger, dtSingle, dtDouble, dtExtended, dtCurrency,
    dtChar, dtString, dtVariant, dtLongint, dtBLOB, dtMemo, dtGraphic, dtNotKnown, dtLargeInt, dtGUID
};

const TTypeInfo& DataTypeType();
// The enumeration name ("dtString").
QString DataTypeName(TjxDataType type);

// How text is read into values and values are shown as text. The process
// locale is never consulted; whoever knows the user's preferences injects them.
// Date and time formats use d, dd, m, mm, yy, yyyy, h, hh, n, nn, s, ss and
// "AMPM"; "/" and ":" stand for the separators. The defaults are en-US.
struct TValueFormatSettings {
    QChar decimalSeparator = u'.';
    QChar thousandSeparator = u',';
    QChar dateSeparator = u'/';
    QChar timeSeparator = u':';
    QString shortDateFormat = QStringLiteral("m/d/yyyy");
    QString longTimeFormat = QStringLiteral("h:nn:ss AMPM");
    QString timeAMString = QStringLiteral("AM");
    QString timePMString = QStringLiteral("PM");
    // Display formats (components/display_format.h) also use these.
    QString longDateFormat = QStringLiteral("dddd, mmmm d, yyyy");
    QString shortTimeFormat = QStringLiteral("h:nn AMPM");
    QString currencyString = QStringLiteral("$");
    // Placement of currency string and sign: 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $";
    // negative 0 "($1)" to 15 "(1 $)" in the platform's order.
    uint8_t currencyFormat = 0;
    uint8_t negativeCurrencyFormat = 0;
    uint8_t currencyDecimals = 2;
    // January first; Sunday first.
    std::array<QString, 12> shortMonthNames = {
        QStringLiteral("Jan"), QStringLiteral("Feb"), QStringLiteral("Mar"), QStringLiteral("Apr"),
        QStringLiteral("May"), QStringLiteral("Jun"), QStringLiteral("Jul"), QStringLiteral("Aug"),
        QStringLiteral("Sep"), QStringLiteral("Oct"), QStringLiteral("Nov"), QStringLiteral("Dec")};
    std::array<QString, 12> longMonthNames = {
        QStringLiteral("January"), QStringLiteral("February"), QStringLiteral("March"), QStringLiteral("April"),
        QStringLiteral("May"), QStringLiteral("June"), QStringLiteral("July"), QStringLiteral("August"),
        QStringLiteral("September"), QStringLiteral("October"), QStringLiteral("November"),
        QStringLiteral("December")};
    std::array<QString, 7> shortDayNames = {QStringLiteral("Sun"), QStringLiteral("Mon"), QStringLiteral("Tue"),
                                            QStringLiteral("Wed"), QStringLiteral("Thu"), QStringLiteral("Fri"),
                                            QStringLiteral("Sat")};
    std::array<QString, 7> longDayNames = {QStringLiteral("Sunday"), QStringLiteral("Monday"),
                                           QStringLiteral("Tuesday"), QStringLiteral("Wednesday"),
                                           QStringLiteral("Thursday"), QStringLiteral("Friday"),
                                           QStringLiteral("Saturday")};
};

TValueFormatSettings ValueFormatSettings();
// The same settings without copying them: values are formatted by the
// thousand, and a copy is dozens of strings. A later Set does not change
// the settings a caller already holds.
std::shared_ptr<const TValueFormatSettings> SharedValueFormatSettings();
void SetValueFormatSettings(const TValueFormatSettings& settings);

// Date-time values are days since 30 December 1899, the time as the fraction.
bool TryEncodeDate(int year, int month, int day, double& result);
bool TryEncodeTime(int hour, int minute, int second, int msec, double& result);
void DecodeDateTime(double value, int& year, int& month, int& day, int& hour, int& minute, int& second, int& msec);

// Text to numbers and dates; blanks around the text are ignored. The Try forms
// answer false for unsuitable text, the others raise EConvertError.
bool TryTextToInteger(QStringView text, int64_t& result);
bool TryTextToFloat(QStringView text, double& result, const TValueFormatSettings& fs);
bool TryTextToCurrency(QStringView text, int64_t& scaled, const TValueFormatSettings& fs);
bool TryTextToDate(QStringView text, double& result, const TValueFormatSettings& fs);
bool TryTextToTime(QStringView text, double& result, const TValueFormatSettings& fs);
bool TryTextToDateTime(QStringView text, double& result, const TValueFormatSettings& fs);
int64_t TextToInteger(QStringView text);
double TextToFloat(QStringView text, const TValueFormatSettings& fs);
int64_t TextToCurrency(QStringView text, const TValueFormatSettings& fs);
double TextToDateTime(QStringView text, const TValueFormatSettings& fs);

// Numbers and dates to text: floats in general format with 15 significant
// digits, currencies with up to four decimals, date-times by the short date
// and long time formats (the date alone at midnight, the time alone on day 0).
QString FloatToText(double value, const TValueFormatSettings& fs);
QString CurrencyToText(int64_t scaled, const TValueFormatSettings& fs);
QString DateTimeToText(double value, const TValueFormatSettings& fs);

// Variant values of the other kinds.
TVarValue VarSingle(float value);
TVarValue VarInt64(int64_t value);
TVarValue VarCurrency(int64_t scaledBy10000);
TVarValue VarDate(double days);

// The kind a data type's values have, and the data type of a kind.
TVarValue::Kind VarKindOfDataType(TjxDataType type);
TjxDataType DataTypeOfVarKind(TVarValue::Kind kind);
QString VarKindName(TVarValue::Kind kind);

bool VarIsNullOrUnassigned(const TVarValue& v);
// True when the value compares equal to the number 0 (false counts as 0).
bool VarEqualsZero(const TVarValue& v);
// The zero of a kind: false, 0, the date 0 or the empty text.
TVarValue VarZero(TVarValue::Kind kind);
// Converts to another kind; unsuitable values raise EConvertError.
TVarValue VarAsKind(const TVarValue& v, TVarValue::Kind kind);
TVarValue VarAsKind(const TVarValue& v, TVarValue::Kind kind, const TValueFormatSettings& fs);
QString VarToText(const TVarValue& v);

} // namespace orvane
