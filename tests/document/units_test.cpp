// Conversions between thousandths of a millimetre and the units users see.

#include "tests/support/printer_fixture.h"

#include "document/printer.h"
#include "document/units.h"

#include <gtest/gtest.h>

using namespace orvane;

TEST(Units, WorkedValuesAtNinetySixPixelsPerInch)
{
    EXPECT_FLOAT_EQ(ThousandthsToUnits(6350, utInches), 0.25f);
    EXPECT_EQ(UnitsToThousandths(0.5f, utInches), 12700);
    EXPECT_EQ(ThousandthsToUnits(210000, utScreenPixels), 794.0f);
    EXPECT_FLOAT_EQ(ThousandthsToUnits(13229, utInches), 0.5208f);
    EXPECT_EQ(ThousandthsToUnits(13229, utScreenPixels), 50.0f);
    // Letter: the constant is 0.03937 as a single, so 11 in is 279401 th, not 279400.
    EXPECT_EQ(UnitsToThousandths(8.5f, utInches), 215900);
    EXPECT_EQ(UnitsToThousandths(11.0f, utInches), 279401);
    // A4 as tenths, through whole screen pixels to inches, and on to thousandths.
    const float w = TenthsToUnits(2100, utInches);
    const float h = TenthsToUnits(2970, utInches);
    EXPECT_FLOAT_EQ(w, 8.2708f);
    EXPECT_FLOAT_EQ(h, 11.6979f);
    EXPECT_EQ(UnitsToThousandths(w, utInches), 210079);
    EXPECT_EQ(UnitsToThousandths(h, utInches), 297127);
}

TEST(Units, EveryUnitBothWays)
{
    EXPECT_FLOAT_EQ(ThousandthsToUnits(12345, utMillimeters), 12.345f);
    EXPECT_EQ(ThousandthsToUnits(-12345, utMMThousandths), -12345.0f);
    EXPECT_EQ(UnitsToThousandths(12.3456f, utMillimeters), 12346);
    EXPECT_EQ(UnitsToThousandths(50, utScreenPixels), 13229);
    // Thousandths are truncated, not rounded.
    EXPECT_EQ(UnitsToThousandths(12.9f, utMMThousandths), 12);
    EXPECT_EQ(UnitsToThousandths(-12.9f, utMMThousandths), -12);
    // Screen pixels truncate after the round trip through thousandths.
    EXPECT_EQ(UnitsToScreenPixels(0.5f, utInches), 48);
    EXPECT_FLOAT_EQ(ScreenPixelsToUnits(48, utInches), 0.5f);
    // Without a printer, printer pixels are screen pixels.
    EXPECT_EQ(ThousandthsToUnits(210000, utPrinterPixels), 794.0f);
}

TEST(Units, RoundingIsHalfToEven)
{
    EXPECT_EQ(RoundHalfEven(2.5L), 2);
    EXPECT_EQ(RoundHalfEven(3.5L), 4);
    EXPECT_EQ(RoundHalfEven(-2.5L), -2);
    EXPECT_EQ(RoundHalfEven(-2.51L), -3);
    EXPECT_EQ(Truncate(-1.7L), -1);
    EXPECT_EQ(UnitsToTenths(215950, utMMThousandths), 2160);       // 2159.5 goes to 2160
    EXPECT_EQ(UnitsToTenths(216050, utMMThousandths), 2160);       // 2160.5 goes to 2160
    EXPECT_EQ(UnitsToTenths(250, utMMThousandths), 2);
}

TEST(Units, TenthsOfAMillimetre)
{
    EXPECT_EQ(UnitsToTenths(8.5f, utInches), 2159);
    EXPECT_EQ(UnitsToTenths(11.0f, utInches), 2794);
    EXPECT_EQ(UnitsToTenths(215.94f, utMillimeters), 2159);
    // Pixels go through thousandths and then divide, truncating.
    EXPECT_EQ(UnitsToTenths(100, utScreenPixels), 264);
    // Millimetres come back whole; ties to even.
    EXPECT_EQ(TenthsToUnits(2159, utMillimeters), 216.0f);
    EXPECT_EQ(TenthsToUnits(2794, utMillimeters), 279.0f);
    EXPECT_EQ(TenthsToUnits(2165, utMillimeters), 216.0f);
    EXPECT_EQ(TenthsToUnits(2159, utMMThousandths), 215900.0f);
    EXPECT_EQ(TenthsToUnits(2100, utScreenPixels), 794.0f);
}

TEST(Units, ListsUseTheUsersDecimalSeparator)
{
    const TjxFormatSettings previous = SetFormatSettings({u','});
    EXPECT_EQ(ThousandthsListToUnits({"6350", "abc", "13229", " 210000", "25400000000"}, utInches),
              QStringList({"0,25", "0", "0,5208", "8,2677", "999998"}));
    EXPECT_EQ(UnitsListToThousandths({"0,5", "x", "1.5", " 2 ", "-0,25"}, utInches),
              QStringList({"12700", "0", "0", "50800", "-6350"}));
    EXPECT_EQ(LocalizeDecimalPoint({"1.5.2", "3", ""}), QStringList({"1,5.2", "3", ""}));
    SetFormatSettings({u'.'});
    EXPECT_EQ(ThousandthsListToUnits({"12345"}, utMillimeters), QStringList({"12.345"}));
    EXPECT_EQ(UnitsListToThousandths({"1,5"}, utMillimeters), QStringList({"0"}));
    SetFormatSettings(previous);
}

TEST(Units, GeneralFormatWithSevenDigits)
{
    const auto general = [](double v) {
        QString text;
        return FormatGeneral(v, 7, u'.', text) ? text : QStringLiteral("fails");
    };
    EXPECT_EQ(general(0), u"0");
    EXPECT_EQ(general(1234567), u"1234567");
    EXPECT_EQ(general(12345678), u"1.234568E+7");
    EXPECT_EQ(general(0.00001), u"0.00001");
    EXPECT_EQ(general(0.000001), u"1E-6");
    EXPECT_EQ(general(-2.5), u"-2.5");
    EXPECT_EQ(general(double(8.2708f)), u"8.2708");
    EXPECT_EQ(general(std::numeric_limits<double>::infinity()), u"fails");
}

using PrinterUnits = orvane::test::TestPlatform;

TEST_F(PrinterUnits, PrinterPixelsUseTheResolutionOfTheAxis)
{
    TjxPrinter printer;
    printer.SetPrinterName(QStringLiteral("P"));  // 600 x 300 dpi
    EXPECT_EQ(ThousandthsToUnits(25400, utPrinterPixels, axHorizontal, &printer), 600.0f);
    EXPECT_EQ(ThousandthsToUnits(25400, utPrinterPixels, axVertical, &printer), 300.0f);
    EXPECT_EQ(UnitsToThousandths(600, utPrinterPixels, axHorizontal, &printer), 25400);
    EXPECT_EQ(UnitsToThousandths(600, utPrinterPixels, axVertical, &printer), 50800);
    EXPECT_EQ(UnitsToTenths(600, utPrinterPixels, axVertical, &printer), 508);
}
