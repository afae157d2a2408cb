// Display formats: values to text by data type, date-time and numeric format
// strings, edit masks and the format dialog's predefined lists.

#include "components/display_format.h"

#include <thread>

#include <gtest/gtest.h>

using namespace orvane;

namespace {

const TValueFormatSettings kUs;

TValueFormatSettings German()
{
    TValueFormatSettings fs;
    fs.decimalSeparator = u',';
    fs.thousandSeparator = u'.';
    fs.dateSeparator = u'.';
    fs.shortDateFormat = QStringLiteral("dd/mm/yyyy");
    fs.longTimeFormat = QStringLiteral("hh:nn:ss");
    fs.currencyString = QStringLiteral("€");
    fs.currencyFormat = 3;
    fs.negativeCurrencyFormat = 8;
    fs.longMonthNames[2] = QStringLiteral("März");
    return fs;
}

double Date(int y, int m, int d)
{
    double r = 0;
    EXPECT_TRUE(TryEncodeDate(y, m, d, r));
    return r;
}

double Time(int h, int n, int s)
{
    double r = 0;
    EXPECT_TRUE(TryEncodeTime(h, n, s, 0, r));
    return r;
}

QString Show(const TVarValue& v, TjxDataType type, const char* format, const TValueFormatSettings& fs = kUs)
{
    return FormatDisplayValue(v, type, QString::fromUtf8(format), fs);
}

QString Num(double v, const char* format, const TValueFormatSettings& fs = kUs)
{
    return FormatFloatPattern(QString::fromUtf8(format), v, fs);
}

QString Dt(double v, const char* format, const TValueFormatSettings& fs = kUs)
{
    return FormatDateTimePattern(QString::fromUtf8(format), v, fs);
}

QString Mask(const char* mask, const char* text, const TValueFormatSettings& fs = kUs)
{
    return FormatMaskText(QString::fromUtf8(mask), QString::fromUtf8(text), fs);
}

const char* const kPhone = "!\\(999\\)\\ 000\\-0000;0; ";

} // namespace

TEST(DisplayFormat, NumericSectionsPickByValueAndRoundToZeroAsZero)
{
    EXPECT_EQ(Num(-1234.4, "#,0.00;(#,0.00)"), u"(1,234.40)");
    EXPECT_EQ(Num(1234.4, "#,0.00;(#,0.00)"), u"1,234.40");
    EXPECT_EQ(Num(0, "#,0.00;(#,0.00)"), u"0.00");
    // Without a negative section the positive one gets a minus sign.
    EXPECT_EQ(Num(-1234.4, "#,0.00"), u"-1,234.40");
    EXPECT_EQ(Num(0, "#,0;-#,0;'none'"), u"none");
    EXPECT_EQ(Num(-5, "0;;'none'"), u"-5");
    // A quoted ";" does not split sections.
    EXPECT_EQ(Num(-2, "0' ;';[0]"), u"[2]");
    // Tiny values that show as zero take the zero rules, never "(0.00)" or "-0".
    EXPECT_EQ(Num(-0.001, "#,0.00;(#,0.00)"), u"0.00");
    EXPECT_EQ(Num(-0.4, "0"), u"0");
    EXPECT_EQ(Num(0.001, "0.00;-0.00;'nil'"), u"nil");
    // An empty chosen section falls back to general format.
    EXPECT_EQ(Num(12.5, ";(0)"), u"12.5");
}

// Parsed formats are kept per thread: more formats in turn than are kept, on
// two threads at once, each give what that format gives.
TEST(DisplayFormat, KeptFormatsStayApart)
{
    const std::pair<const char*, const char16_t*> cases[] = {
        {"0", u"-1235"},          {"0.0", u"-1234.6"},      {"0.00", u"-1234.57"},   {"#,0", u"-1,235"},
        {"#,0.00", u"-1,234.57"}, {"0 %", u"-1235 %"},      {"000000", u"-001235"},  {"0.00E+00", u"-1.23E+03"},
        {"'x'0", u"-x1235"},      {"0;(0)", u"(1235)"},     {"#.##", u"-1234.57"},   {"0.0#0", u"-1234.568"}};
    const auto check = [&cases](int rounds) {
        int wrong = 0;
        for (int r = 0; r < rounds; ++r)
            for (const auto& [format, expected] : cases)
                wrong += Num(-1234.5678, format) != QStringView(expected);
        return wrong;
    };
    EXPECT_EQ(check(1), 0);
    int other = -1;
    std::thread worker([&] { other = check(200); });
    const int here = check(200);
    worker.join();
    EXPECT_EQ(here, 0);
    EXPECT_EQ(other, 0);
}

TEST(DisplayFormat, NumericPlaceholdersLiteralsAndRounding)
{
    EXPECT_EQ(Num(-1234.4, "0 %"), u"-1234 %");
    EXPECT_EQ(Num(-1234.4, "0.00 %"), u"-1234.40 %");
    EXPECT_EQ(Num(0.5, "#.##"), u".5");
    EXPECT_EQ(Num(12, "#.##"), u"12");
    EXPECT_EQ(Num(7, "000"), u"007");
    EXPECT_EQ(Num(1.5, "0.0#0"), u"1.500");
    EXPECT_EQ(Num(1.23456, "0.0##"), u"1.235");
    EXPECT_EQ(Num(12.5, ".00"), u"12.50");
    EXPECT_EQ(Num(5551234, "000-0000"), u"555-1234");
    EXPECT_EQ(Num(1234567.891, "#,##0.00"), u"1,234,567.89");
    EXPECT_EQ(Num(999.996, "#,0.00"), u"1,000.00");
    EXPECT_EQ(Num(123, "#,0"), u"123");
    // Halves round away from zero on the decimal digits people see.
    EXPECT_EQ(Num(2.675, "0.00"), u"2.68");
    EXPECT_EQ(Num(-2.5, "0"), u"-3");
    EXPECT_EQ(Num(1e20, "#,0"), u"100,000,000,000,000,000,000");
    EXPECT_EQ(Num(1234.5, "\"Total: \"#,0.0"), u"Total: 1,234.5");
    EXPECT_EQ(Num(1234.4, "#,0.00", German()), u"1.234,40");
}

TEST(DisplayFormat, NumericExponents)
{
    EXPECT_EQ(Num(1234.5, "0.00E+00"), u"1.23E+03");
    EXPECT_EQ(Num(0.00012, "0.0E-0"), u"1.2E-4");
    EXPECT_EQ(Num(12345, "0.0E-0"), u"1.2E4");
    EXPECT_EQ(Num(-1234.5, "00.0e+0"), u"-12.3e+2");
    EXPECT_EQ(Num(0, "0.00E+00"), u"0.00E+00");
    EXPECT_EQ(Num(9.99, "0.0E+0"), u"1.0E+1");
}

TEST(DisplayFormat, NumbersByDataType)
{
    // Integers stay exact beyond a double's 15 digits.
    EXPECT_EQ(Show(VarInt64(INT64_MAX), dtLargeInt, "#,0"), u"9,223,372,036,854,775,807");
    EXPECT_EQ(Show(VarInt64(INT64_MIN), dtLargeInt, ""), u"-9223372036854775808");
    EXPECT_EQ(Show(TVarValue::Integer(42), dtInteger, ""), u"42");
    EXPECT_EQ(Show(TVarValue::Double(1234.4), dtDouble, ""), u"1234.4");
    EXPECT_EQ(Show(TVarValue::Double(0.1 + 0.2), dtDouble, ""), u"0.3");
    // A single shows its own digits, not the double it widens to.
    EXPECT_EQ(Show(VarSingle(0.1f), dtSingle, ""), u"0.1");
    EXPECT_EQ(Show(VarSingle(2.675f), dtSingle, "0.00"), u"2.68");
    EXPECT_EQ(Show(TVarValue::Double(1234.4), dtDouble, "", German()), u"1234,4");
    // Text that reads as a number is formatted; other text gives nothing.
    EXPECT_EQ(Show(TVarValue::WideString("1234.4"), dtDouble, "#,0.00"), u"1,234.40");
    EXPECT_EQ(Show(TVarValue::WideString("abc"), dtInteger, "#,0"), u"");
    EXPECT_EQ(Show(TVarValue::Double(std::numeric_limits<double>::infinity()), dtDouble, "#,0"), u"INF");
}

TEST(DisplayFormat, CurrencyUsesLocaleRulesWhenTheFormatHasADollar)
{
    const TVarValue amount = VarCurrency(-12344000); // -1234.4
    EXPECT_EQ(Show(amount, dtCurrency, ""), u"($1,234.40)");
    EXPECT_EQ(Show(VarCurrency(12344000), dtCurrency, ""), u"$1,234.40");
    // "$" formats take only the decimals from the format.
    EXPECT_EQ(Show(amount, dtCurrency, "$#,0.00;-$#,0.00"), u"($1,234.40)");
    EXPECT_EQ(Show(VarCurrency(12345000), dtCurrency, "$#,0"), u"$1,235");
    EXPECT_EQ(Show(TVarValue::Double(1234.4), dtDouble, "$#,0.000 USD"), u"$1,234.400");
    EXPECT_EQ(Show(TVarValue::Double(-0.001), dtDouble, "$#,0.00"), u"$0.00");
    TValueFormatSettings minus = kUs;
    minus.negativeCurrencyFormat = 1;
    EXPECT_EQ(Show(amount, dtCurrency, "$#,0.00;($#,0.00)", minus), u"-$1,234.40");
    EXPECT_EQ(Show(amount, dtCurrency, "", German()), u"-1.234,40 €");
    EXPECT_EQ(Show(VarCurrency(12344000), dtCurrency, "", German()), u"1.234,40 €");
    // Without "$" a currency goes through the pattern exactly, all four decimals.
    EXPECT_EQ(Show(VarCurrency(-12345678), dtCurrency, "#,0.0000;(#,0.0000)"), u"(1,234.5678)");
    EXPECT_EQ(Show(VarCurrency(INT64_MAX), dtCurrency, "#,0.0000"), u"922,337,203,685,477.5807");
    EXPECT_EQ(FormatCurrencyText(0.125, 2, kUs), u"$0.13");
}

TEST(DisplayFormat, DateTimePatterns)
{
    const double march4 = Date(1995, 3, 4);
    const double afternoon = Time(13, 30, 55);
    EXPECT_EQ(Dt(march4, "mmmm d, yyyy"), u"March 4, 1995");
    EXPECT_EQ(Dt(march4, "mmmm d, yyyy", German()), u"März 4, 1995");
    EXPECT_EQ(Dt(march4, "dddd, ddd dd-mmm-yy"), u"Saturday, Sat 04-Mar-95");
    EXPECT_EQ(Dt(march4, "ddddd"), u"3/4/1995");
    EXPECT_EQ(Dt(march4, "dddddd"), u"Saturday, March 4, 1995");
    EXPECT_EQ(Dt(march4, "ddddd", German()), u"04.03.1995");
    EXPECT_EQ(Dt(afternoon, "h:nn:ss AM/PM"), u"1:30:55 PM");
    EXPECT_EQ(Dt(afternoon, "hh:nn am/pm"), u"01:30 pm");
    EXPECT_EQ(Dt(afternoon, "h:nn:ss"), u"13:30:55");
    EXPECT_EQ(Dt(afternoon, "h a/p"), u"1 p");
    EXPECT_EQ(Dt(afternoon, "h ampm"), u"1 PM");
    // After an hour "m" means minutes.
    EXPECT_EQ(Dt(afternoon, "hh:mm"), u"13:30");
    EXPECT_EQ(Dt(Time(0, 5, 0), "h:nn AM/PM"), u"12:05 AM");
    EXPECT_EQ(Dt(Time(12, 0, 0), "h AM/PM"), u"12 PM");
    // A marker after a later hour does not make the first one 12-hour.
    EXPECT_EQ(Dt(afternoon, "h 'am' h AM/PM"), u"13 am 1 PM");
    EXPECT_EQ(Dt(march4 + afternoon, "t | tt"), u"1:30 PM | 1:30:55 PM");
    EXPECT_EQ(Dt(march4 + afternoon + 0.007 / 86400.0, "s.zzz"), u"55.007");
    EXPECT_EQ(Dt(march4, "yyyy/mm/dd", German()), u"1995.03.04");
    EXPECT_EQ(Dt(march4, "'Date:' d \"of\" m"), u"Date: 4 of 3");
    EXPECT_EQ(Dt(march4, "c"), u"3/4/1995");
    EXPECT_EQ(Dt(march4 + afternoon, "c"), u"3/4/1995 1:30:55 PM");
    // A date outside years 1 to 9999 has no text.
    EXPECT_EQ(Dt(4e6, "c"), u"");
    EXPECT_EQ(Dt(std::nan(""), "c"), u"");
}

TEST(DisplayFormat, DateTimeSettingsThatNameThemselvesStop)
{
    TValueFormatSettings loop = kUs;
    loop.shortDateFormat = QStringLiteral("c ddddd");
    loop.longTimeFormat = QStringLiteral("tt");
    const QString text = Dt(Date(1995, 3, 4) + Time(13, 30, 55), "c", loop);
    EXPECT_LT(text.size(), 100);
}

TEST(DisplayFormat, DatesAndTimesByDataTypeWithEmptyFormats)
{
    const TVarValue when = VarDate(Date(1995, 3, 4) + Time(13, 30, 55));
    EXPECT_EQ(Show(when, dtDate, ""), u"3/4/1995");
    EXPECT_EQ(Show(when, dtTime, ""), u"1:30:55 PM");
    EXPECT_EQ(Show(when, dtDateTime, ""), u"3/4/1995 1:30:55 PM");
    EXPECT_EQ(Show(VarDate(Date(1995, 3, 4)), dtDateTime, ""), u"3/4/1995");
    EXPECT_EQ(Show(when, dtDateTime, "", German()), u"04.03.1995 13:30:55");
    EXPECT_EQ(Show(when, dtDate, "mmm-yy"), u"Mar-95");
    EXPECT_EQ(Show(TVarValue::WideString("3/4/1995"), dtDate, "mmmm d, yyyy"), u"March 4, 1995");
    EXPECT_EQ(Show(TVarValue::WideString("not a date"), dtDate, "mmmm"), u"");
}

TEST(DisplayFormat, EditMasks)
{
    EXPECT_EQ(Mask(kPhone, "5551234567"), u"(555) 123-4567");
    // "!" fills from the right: missing optional digits become leading blanks.
    EXPECT_EQ(Mask(kPhone, "5551234"), u"(   ) 555-1234");
    EXPECT_EQ(Mask("!99999;0; ", "123"), u"  123");
    EXPECT_EQ(Mask("000\\-00\\-0000;0; ", "123456789"), u"123-45-6789");
    EXPECT_EQ(Mask("00000\\-9999;0; ", "12345"), u"12345-    ");
    EXPECT_EQ(Mask("00000\\-9999;0;_", "12345"), u"12345-____");
    EXPECT_EQ(Mask("!99/99/00;0; ", "030495"), u"03/04/95");
    EXPECT_EQ(Mask("!99/99/00;0; ", "030495", German()), u"03.04.95");
    EXPECT_EQ(Mask("!90:00:00\\ >LL;0; ", "013055pm"), u"01:30:55 PM");
    EXPECT_EQ(Mask(">L<ll;0; ", "aBC"), u"Abc");
    // Stored literals are matched, not doubled.
    EXPECT_EQ(Mask("000\\-0000;1; ", "555-1234"), u"555-1234");
    EXPECT_EQ(Mask("000\\-0000", "555-1234"), u"555-1234");
    // Text longer than the mask keeps its extra characters.
    EXPECT_EQ(Mask("00000;0; ", "1234567"), u"1234567");
    EXPECT_EQ(Mask("!00\\-00;0; ", "123456"), u"1234-56");
    EXPECT_EQ(Mask(kPhone, ""), u"(   )    -    ");
}

TEST(DisplayFormat, StringsAndBooleansByDataType)
{
    EXPECT_EQ(Show(TVarValue::WideString("5551234567"), dtString, kPhone), u"(555) 123-4567");
    EXPECT_EQ(Show(TVarValue::WideString("plain"), dtMemo, ""), u"plain");
    EXPECT_EQ(Show(TVarValue::Integer(5551234), dtString, "000\\-0000;0; "), u"555-1234");

    EXPECT_EQ(Show(TVarValue::Boolean(true), dtBoolean, "Yes;No"), u"Yes");
    EXPECT_EQ(Show(TVarValue::Boolean(false), dtBoolean, "Yes;No"), u"No");
    EXPECT_EQ(Show(TVarValue::Boolean(false), dtBoolean, "OK;"), u"");
    EXPECT_EQ(Show(TVarValue::Boolean(true), dtBoolean, ";Not OK"), u"");
    EXPECT_EQ(Show(TVarValue::Boolean(false), dtBoolean, ";Not OK"), u"Not OK");
    EXPECT_EQ(Show(TVarValue::Boolean(true), dtBoolean, "Done"), u"Done");
    EXPECT_EQ(Show(TVarValue::Boolean(false), dtBoolean, "Done"), u"");
    EXPECT_EQ(Show(TVarValue::Boolean(false), dtBoolean, "a;b;c"), u"b;c");
    EXPECT_EQ(Show(TVarValue::Boolean(true), dtBoolean, ""), u"True");
    // A value that is not a boolean prints as itself.
    EXPECT_EQ(Show(TVarValue::WideString("maybe"), dtBoolean, "Yes;No"), u"maybe");
}

TEST(DisplayFormat, NullsAndTypesWithoutTextGiveNothing)
{
    const TjxDataType all[] = {dtBoolean, dtDate, dtTime, dtDateTime, dtInteger, dtSingle, dtDouble,
                               dtExtended, dtCurrency, dtChar, dtString, dtVariant, dtLongint, dtBLOB,
                               dtMemo, dtGraphic, dtNotKnown, dtLargeInt, dtGUID};
    for (TjxDataType type : all) {
        EXPECT_EQ(Show(TVarValue::Null(), type, ""), u"") << DataTypeName(type).toStdString();
        EXPECT_EQ(Show(TVarValue::Null(), type, "Yes;No"), u"") << DataTypeName(type).toStdString();
        EXPECT_EQ(Show(TVarValue(), type, "0"), u"") << DataTypeName(type).toStdString();
    }
    for (TjxDataType type : {dtVariant, dtBLOB, dtGraphic, dtNotKnown})
        EXPECT_EQ(Show(TVarValue::WideString("x"), type, ""), u"");
}

TEST(DisplayFormat, ZeroValuesForBlankWhenZero)
{
    EXPECT_TRUE(IsZeroValue(TVarValue::Integer(0), dtInteger));
    EXPECT_TRUE(IsZeroValue(TVarValue::Double(0), dtDouble));
    EXPECT_TRUE(IsZeroValue(VarCurrency(0), dtCurrency));
    EXPECT_TRUE(IsZeroValue(VarDate(0), dtDateTime));
    EXPECT_FALSE(IsZeroValue(TVarValue::Integer(1), dtInteger));
    EXPECT_FALSE(IsZeroValue(TVarValue::Double(1e-300), dtDouble));
    EXPECT_FALSE(IsZeroValue(TVarValue::WideString("0"), dtString));
    EXPECT_FALSE(IsZeroValue(TVarValue::WideString("0"), dtInteger));
    // A text field whose database hands back the number 0 still prints it.
    EXPECT_FALSE(IsZeroValue(TVarValue::Integer(0), dtString));
    EXPECT_FALSE(IsZeroValue(TVarValue::Boolean(false), dtBoolean));
    EXPECT_FALSE(IsZeroValue(TVarValue::Null(), dtInteger));
}

TEST(DisplayFormat, PredefinedListsAsTheDialogShowsThem)
{
    auto formats = [](TjxDataType type) {
        QStringList out;
        for (const QString& entry : PredefinedDisplayFormats(type)) {
            const QStringList parts = entry.split(QChar(1));
            EXPECT_EQ(parts.size(), 2) << entry.toStdString();
            out.append(parts.value(0) + u'|' + parts.value(1));
        }
        return out;
    };
    EXPECT_EQ(formats(dtBoolean), (QStringList{"Yes|Yes;No", "Y|Y;N", "True|True;False", "T|T;F", "OK|OK;",
                                               "Done|Done;", "|;Not OK", "|;Not Done"}));
    const QStringList dates{"3/4/95|m/d/yy",      "03/04/95|mm/dd/yy",        "03/04/1995|mm/dd/yyyy",
                            "4-Mar-95 |d-mmm-yy", "04-Mar-95 |dd-mmm-yy",     "March 4, 1995|mmmm d, yyyy",
                            "3/4|m/d",            "Mar-95|mmm-yy",            "March-95|mmmm-yy"};
    EXPECT_EQ(formats(dtDate), dates);
    EXPECT_EQ(formats(dtTime), (QStringList{"1:30 PM|h:nn AM/PM", "13:30|h:nn", "1:30:55 PM|h:nn:ss AM/PM",
                                            "13:30:55|h:nn:ss"}));
    EXPECT_EQ(formats(dtDateTime),
              QStringList({"3/4/95 1:30:55 PM|m/d/yy h:nn:ss AM/PM", "3/4/95 13:30:55|m/d/yy h:nn:ss"}) + dates);
    EXPECT_EQ(formats(dtString),
              (QStringList{"Phone|!\\(999\\)\\ 000\\-0000;0; ", "Extension|!99999;0; ",
                           "Social Security|000\\-00\\-0000;0; ", "Short Zip Code|00000;0; ",
                           "Long Zip Code|00000\\-9999;0; ", "Date|!99/99/00;0; ", "Long Time|!90:00:00\\ >LL;0; ",
                           "Short Time|!90:00;0; "}));
    const QStringList numbers{"-1,234|#,0;-#,0",          "-1,234.40|#,0.00;-#,0.00",   "(1,234.40)|#,0.00;(#,0.00)",
                              "($1,234.40)|$#,0.00;($#,0.00)", "-$1,234.40|$#,0.00;-$#,0.00", "-$1,234|$#,0;-$#,0",
                              "($1,234)|$#,0;($#,0)",     "-1234.4 %|0 %",              "-1234.40 %|0.00 %"};
    for (TjxDataType type : {dtInteger, dtSingle, dtDouble, dtExtended, dtCurrency, dtLongint, dtLargeInt})
        EXPECT_EQ(formats(type), numbers) << DataTypeName(type).toStdString();
    for (TjxDataType type : {dtChar, dtMemo, dtGUID, dtVariant, dtBLOB, dtGraphic, dtNotKnown})
        EXPECT_TRUE(PredefinedDisplayFormats(type).isEmpty()) << DataTypeName(type).toStdString();

    // The date and time samples are what their formats make of 4 March 1995, 13:30:55.
    const double when = Date(1995, 3, 4) + Time(13, 30, 55);
    for (const QString& entry : PredefinedDisplayFormats(dtDateTime) + PredefinedDisplayFormats(dtTime)) {
        const QStringList parts = entry.split(QChar(1));
        EXPECT_EQ(FormatDateTimePattern(parts[1], when, kUs), parts[0].trimmed()) << entry.toStdString();
    }
}
