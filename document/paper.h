#pragma once

// Papers and paper sources of a printer, as the printer layer keeps them:
// parallel lists of decimal texts, with a user-defined "Custom" paper and a
// "Default" source always present after normalisation.

#include <QSize>
#include <QStringList>

namespace orvane {

// The user-defined paper, and the driver's own source; "Default" is also the
// printer entry that stands for the system's default printer.
inline const QString kCustomPaperName = QStringLiteral("Custom");
inline const QString kDefaultName = QStringLiteral("Default");

struct TjxPrinterCapabilities {
    QStringList BinNumbers;    // platform paper-source numbers
    QStringList BinNames;      // same order
    QStringList PaperHeights;  // tenths of a millimetre
    QStringList PaperNames;
    QStringList PaperNumbers;  // platform paper numbers
    QStringList PaperWidths;   // tenths of a millimetre
    QString PrinterName;
    bool MultipleCopies = false;  // the driver makes more than two copies itself
};

// The standard paper table, by platform paper number: the name a driver that
// does not name a paper gets, and the size (tenths, portrait) when it gives
// none. Numbers outside the table are "Unknown", 0 x 0.
QString StandardPaperName(int number);
QSize StandardPaperSize(int number);
// The numbers in the table, ascending.
QList<int> StandardPaperNumbers();

// "215 x 279 mm" for 2159 x 2794 tenths (whole millimetres, truncated).
QString PaperSizeName(int widthTenths, int heightTenths);

// Brings a driver's paper lists to the form every caller relies on: names for
// every number, sizes for every paper, no paper without a size except the
// user-defined one, which is named "Custom" (number 256) and comes last.
void NormalizePapers(TjxPrinterCapabilities& caps);
// Parallel bin lists with a "Default" source (number 7) in them.
void NormalizeBins(TjxPrinterCapabilities& caps);

// The fixed capabilities of the screen: no bins but "Default", a few standard papers.
TjxPrinterCapabilities ScreenCapabilities();

} // namespace orvane
