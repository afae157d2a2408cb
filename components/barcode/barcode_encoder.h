#pragma once

// The symbologies' encoders: data and options in, validity with the message,
// the data with its check digit, the human-readable text and the bar pattern
// out. Patterns are elements in modules or narrow/wide units, so one pattern
// serves every resolution; drawing scales them.

#include <QString>
#include <cstdint>
#include <vector>

namespace orvane {

enum TjxBarCodeType : uint8_t {
    bcUPC_A, bcUPC_E, bcEAN_13, bcEAN_8, bcInt2of5, bcCode128, bcCode39, bcPostnet, bcFIM, bcCodabar, bcMSI
};
enum TjxBarCodeOrientation : uint8_t { orLeftToRight, orRightToLeft, orTopToBottom, orBottomToTop };

inline bool IsUpcEanType(TjxBarCodeType type) { return type <= bcEAN_8; }

// The width an element takes when drawn: a module (the narrow width), the
// wide width, the gap after a Code 39 character (two narrow widths, rounded
// on its own) or the space between POSTNET bars.
enum TjxElementWidth : uint8_t { ewNarrow, ewWide, ewCharGap, ewPostnetSpace };

struct TjxBarElement {
    bool bar = false;
    TjxElementWidth width = ewNarrow;
    bool shortBar = false;  // POSTNET only
    bool operator==(const TjxBarElement&) const = default;
};
using TjxBarPattern = std::vector<TjxBarElement>;

// "1" for a bar module and "0" for a space module (module symbologies).
QString ModuleString(const TjxBarPattern& pattern);
// One letter an element: bars "N"/"W", spaces "n"/"w", the Code 39 gap "g",
// POSTNET bars "T"/"S" and their spaces "s".
QString ElementString(const TjxBarPattern& pattern);

struct TjxBarCodeInput {
    TjxBarCodeType type = bcCode39;
    QString data;
    bool calcCheckDigit = true;
    bool autoEncode = false;
    QString addOnCode;
};

struct TjxBarCodeSymbol {
    bool ok = false;
    int messageId = 0;          // 0: no message (valid, or empty data)
    QString message;            // the full text as shown
    QString data;               // the data as the symbol carries it, check digit included where Data gains one
    QString text;               // what the human-readable row shows
    TjxBarPattern pattern;
    TjxBarPattern addOn;        // UPC/EAN supplement, empty for none
    std::vector<int> values;    // Code 128: start, data symbols and the check symbol
};

TjxBarCodeSymbol EncodeBarCode(const TjxBarCodeInput& input);

// Code 128 data rebuilt with code sets chosen automatically; an error leaves
// `message` set (see EncodeBarCode).
QString Code128AutoEncode(const QString& data, int& messageId, QString& message);

// Check digits as the symbologies define them, over digit strings.
int UpcEanCheckDigit(QStringView digits);   // the last digit weighted 3
int Int2of5CheckDigit(QStringView digits);  // weights 3, 1 from the left
int MsiCheckDigit(QStringView digits);      // modulo 10, every other digit from the right doubled
// The UPC-A digits (11, no check digit) a 6-digit UPC-E body stands for.
QString UpcEToUpcA(QStringView six);

// The sample data a type is set to, and its default narrow width in thousandths of a millimetre.
QString BarCodeSample(TjxBarCodeType type, bool calcCheckDigit, bool dataAware);
int BarCodeDefaultWidth(TjxBarCodeType type);

} // namespace orvane
