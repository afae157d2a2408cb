#include "document/paper.h"

#include "document/units.h"
#include "platform/spooler.h"

#include <algorithm>

namespace orvane {

namespace {

struct StandardPaper {
    int number;
    const char16_t* name;
    float width;
    float height;
    bool inches;  // else millimetres
};

// The platform's paper numbers with the names and sizes drivers have always
// been given for them, the names' spelling included.
constexpr StandardPaper kStandardPapers[] = {
    {1, u"Letter 8 1/2 x 11 in", 8.5f, 11, true},
    {2, u"Letter 8 1/2 x 11 in", 8.5f, 11, true},
    {3, u"Tabloid 11 x 17 in", 11, 17, true},
    {4, u"Ledger 17 x 11 in", 17, 11, true},
    {5, u"Legal 8 12 x 14 in", 8.5f, 14, true},
    {6, u"Statement 5 1/2 x 8 12 in", 5.5f, 8.5f, true},
    {7, u"Executive 7 14 x 10 1/2 in", 7.25f, 10.5f, true},
    {8, u"A3 297 x 420 mm", 297, 420, false},
    {9, u"A4 210 x 297 mm", 210, 297, false},
    {10, u"A4 Small 210 x 297 mm", 210, 297, false},
    {11, u"A5 148 x 210 mm", 148, 210, false},
    {12, u"B4 (JIS) 250 x 354", 250, 354, false},
    {13, u"B5 (JIS) 182 x 257 mm", 182, 257, false},
    {14, u"Folio 8 1/2 x 13 in", 8.5f, 13, true},
    {15, u"Quarto 215 x 275 mm", 215, 275, false},
    {16, u"10 x 14 in", 10, 14, true},
    {17, u"11 x 17 in", 11, 17, true},
    {18, u"Note 8 1/2 x 11 in", 8.5f, 11, true},
    {19, u"Envelope #9 3 7/8 x 8 7/8", 3.875f, 8.875f, true},
    {20, u"Envelope #10 4 18 x 9 1/2", 4.125f, 9.5f, true},
    {21, u"Envelope #11 4 12 x 10 3/8", 4.5f, 10.375f, true},
    {22, u"Envelope #12 4 276 x 11", 4.75f, 11, true},
    {23, u"Envelope #14 5 x 11 1/2", 5, 11.5f, true},
    {24, u"C size sheet", 17, 22, true},
    {25, u"D size sheet", 22, 34, true},
    {26, u"E size sheet", 34, 44, true},
    {27, u"Envelope DL 110 x 220mm", 110, 220, false},
    {28, u"Envelope C5 162 x 229 mm", 162, 229, false},
    {29, u" Envelope C3  324 x 458 mm", 324, 458, false},
    {30, u"Envelope C4  229 x 324 mm", 229, 324, false},
    {31, u"Envelope C6  114 x 162 mm", 114, 162, false},
    {32, u"Envelope C65 114 x 229 mm", 114, 229, false},
    {33, u"Envelope B4  250 x 353 mm", 250, 353, false},
    {34, u"Envelope B5  176 x 250 mm", 176, 250, false},
    {35, u"Envelope B6  176 x 125 mm", 176, 125, false},
    {36, u"Envelope 110 x 230 mm", 110, 230, false},
    {37, u"Envelope Monarch 3.875 x 7.5 in", 3.875f, 7.5f, true},
    {38, u"6 34 Envelope 3 5/8 x 6 1/2 in", 3.625f, 6.5f, true},
    {39, u"US Std Fanfold 14 7/8 x 11 in", 14.875f, 11, true},
    {40, u"German Std Fanfold 8 1/2 x 12 in", 8.5f, 12, true},
    {41, u"German Legal Fanfold 8 1/2 x 13 in", 8.5f, 13, true},
    {42, u"B4 (ISO) 250 x 353 mm", 250, 353, false},
    {43, u"Japanese Postcard 100 x 148 mm", 100, 148, false},
    {44, u"9 x 11 in", 9, 11, true},
    {45, u"10 x 11 in", 10, 11, true},
    {46, u"15 x 11 in", 15, 11, true},
    {47, u"Envelope Invite 220 x 220 mm", 220, 220, false},
    {50, u"Letter Extra 9 \u00BD x 12 in", 9.275f, 12, true},
    {51, u"Legal Extra 9 \u00BD x 15 in", 9.275f, 15, true},
    {52, u"Tabloid Extra 11.69 x 18 in", 11.69f, 18, true},
    {53, u"A4 Extra 9.27 x 12.69 in", 9.27f, 12.69f, true},
    {54, u"Letter Transverse 8 \u00BD x 11 in", 8.275f, 11, true},
    {55, u"A4 Transverse 210 x 297 mm", 210, 297, false},
    {56, u"Letter Extra Transverse 9\u00BD x 12 in", 9.275f, 12, true},
    {57, u"SuperASuperAA4 227 x 356 mm", 227, 356, false},
    {58, u"SuperBSuperBA3 305 x 487 mm", 305, 487, false},
    {59, u"Letter Plus 8.5 x 12.69 in", 8.5f, 12.69f, true},
    {60, u"A4 Plus 210 x 330 mm", 210, 330, false},
    {61, u"A5 Transverse 148 x 210 mm", 148, 210, false},
    {62, u"B5 (JIS) Transverse 182 x 257 mm", 182, 257, false},
    {63, u"A3 Extra 322 x 445 mm", 322, 445, false},
    {64, u"A5 Extra 174 x 235 mm", 174, 235, false},
    {65, u"B5 (ISO) Extra 201 x 276 mm", 201, 276, false},
    {66, u"A2 420 x 594 mm", 420, 594, false},
    {67, u"A3 Transverse 297 x 420 mm", 297, 420, false},
    {68, u"A3 Extra Transverse 322 x 445 mm", 322, 445, false},
    {118, u"DMPAPER_A3_EXTRA_TRANSVERSE", 0, 0, false},
    {256, u"Custom", 0, 0, false},
};

const StandardPaper* FindStandard(int number)
{
    for (const auto& p : kStandardPapers)
        if (p.number == number)
            return &p;
    return nullptr;
}

int Tenths(float value, bool inches)
{
    return inches ? UnitsToTenths(value, utInches) : int(value) * 10;
}

} // namespace

QString StandardPaperName(int number)
{
    const StandardPaper* p = FindStandard(number);
    return p ? QString::fromUtf16(p->name) : QStringLiteral("Unknown");
}

QSize StandardPaperSize(int number)
{
    const StandardPaper* p = FindStandard(number);
    return p ? QSize(Tenths(p->width, p->inches), Tenths(p->height, p->inches)) : QSize(0, 0);
}

QList<int> StandardPaperNumbers()
{
    QList<int> numbers;
    for (const auto& p : kStandardPapers)
        numbers.append(p.number);
    return numbers;
}

QString PaperSizeName(int widthTenths, int heightTenths)
{
    return QStringLiteral("%1 x %2 mm").arg(widthTenths / 10).arg(heightTenths / 10);
}

void NormalizePapers(TjxPrinterCapabilities& caps)
{
    QStringList& names = caps.PaperNames;
    QStringList& numbers = caps.PaperNumbers;
    QStringList& widths = caps.PaperWidths;
    QStringList& heights = caps.PaperHeights;

    if (numbers.size() < names.size()) {
        names = names.mid(0, numbers.size());
    } else if (names.size() < numbers.size()) {
        names.clear();
        for (int i = 0; i < numbers.size(); ++i) {
            const int number = numbers[i].toInt();
            QString name = StandardPaperName(number);
            if (name == u"Unknown") {
                if (i < widths.size() && i < heights.size())
                    name = PaperSizeName(widths[i].toInt(), heights[i].toInt());
                else
                    name = QStringLiteral("Unknown: ") + numbers[i];
            }
            names.append(name);
        }
    }

    int custom = int(numbers.indexOf(QString::number(kPaperUser)));
    if (custom < 0)
        for (int i = 0; i < names.size(); ++i) {
            const QString upper = names[i].toUpper();
            if (upper.contains(u"CUSTOM") || upper.contains(u"USER")) {
                custom = i;
                break;
            }
        }
    if (custom >= 0 && custom < names.size()) {
        names[custom] = kCustomPaperName;
    } else if (custom < 0) {
        names.append(kCustomPaperName);
        numbers.append(QString::number(kPaperUser));
    }

    for (int i = 0; i < names.size(); ++i) {
        if (i < widths.size() && i < heights.size())
            continue;
        const QSize size = StandardPaperSize(i < numbers.size() ? numbers[i].toInt() : 0);
        while (widths.size() <= i)
            widths.append(QString());
        while (heights.size() <= i)
            heights.append(QString());
        widths[i] = QString::number(size.width());
        heights[i] = QString::number(size.height());
    }

    for (int i = int(names.size()) - 1; i >= 0; --i) {
        if (names[i] == kCustomPaperName || (widths[i] != u"0" && heights[i] != u"0"))
            continue;
        names.removeAt(i);
        numbers.removeAt(i);
        widths.removeAt(i);
        heights.removeAt(i);
    }

    const int at = int(names.indexOf(kCustomPaperName));
    const int last = int(names.size()) - 1;
    if (at >= 0 && at != last) {
        for (QStringList* list : {&names, &numbers, &widths, &heights})
            list->move(at, last);
    }
}

void NormalizeBins(TjxPrinterCapabilities& caps)
{
    const qsizetype n = std::min(caps.BinNames.size(), caps.BinNumbers.size());
    caps.BinNames = caps.BinNames.mid(0, n);
    caps.BinNumbers = caps.BinNumbers.mid(0, n);
    if (!caps.BinNames.contains(kDefaultName)) {
        caps.BinNames.prepend(kDefaultName);
        caps.BinNumbers.prepend(QString::number(kBinAutomatic));
    }
}

TjxPrinterCapabilities ScreenCapabilities()
{
    TjxPrinterCapabilities caps;
    caps.PrinterName = QStringLiteral("Screen");
    caps.BinNames = QStringList{kDefaultName};
    caps.BinNumbers = QStringList{QString::number(kBinAutomatic)};
    for (int number : {256, 1, 5, 8, 9, 17, 39, 40, 19, 20, 21, 22, 23}) {
        const QSize size = StandardPaperSize(number);
        caps.PaperNames.append(StandardPaperName(number));
        caps.PaperNumbers.append(QString::number(number));
        caps.PaperWidths.append(QString::number(size.width()));
        caps.PaperHeights.append(QString::number(size.height()));
    }
    return caps;
}

} // namespace orvane
