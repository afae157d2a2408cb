// The symbologies' encoders against zint's patterns, check digits, Code 128
// symbol values and the validation messages.

#include "components/barcode/barcode_encoder.h"
#include "document/messages.h"
#include "output/draw_other.h"

#include <QFile>
#include <QTextStream>

#include <gtest/gtest.h>

using namespace orvane;

namespace {

TjxBarCodeSymbol Encode(TjxBarCodeType type, const QString& data, bool calc = true, bool autoEncode = false,
                        const QString& addOn = {})
{
    return EncodeBarCode({type, data, calc, autoEncode, addOn});
}

QString TrimSpaces(QString bits)
{
    while (bits.endsWith(u'0'))
        bits.chop(1);
    return bits;
}

// Runs of a module string as narrow ("n", one module) and wide ("w") elements.
QString RunsOf(const QString& bits)
{
    QString out;
    for (qsizetype i = 0; i < bits.size();) {
        qsizetype j = i;
        while (j < bits.size() && bits[j] == bits[i])
            ++j;
        out += j - i == 1 ? u'n' : u'w';
        i = j;
    }
    return out;
}

QString Code128(std::initializer_list<char16_t> symbols, const char* rest = "")
{
    QString s;
    for (char16_t c : symbols)
        s += QChar(c);
    return s + QString::fromLatin1(rest);
}

TjxBarCodeType TypeNamed(const QString& name)
{
    return TjxBarCodeType(BarCodeTypeType().EnumValue(name));
}

} // namespace

TEST(BarCodeEncoder, PatternsEqualZintsOnEverySymbology)
{
    QFile file(QStringLiteral(ORVANE_TEST_DATA "/barcode/zint_patterns.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    int cases = 0;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QStringList f = in.readLine().split(u'\t');
        ASSERT_GE(f.size(), 6);
        const TjxBarCodeType type = TypeNamed(f[0]);
        const TjxBarCodeSymbol s = Encode(type, f[3], f[1] == u"1", f[2] == u"1", f[4]);
        SCOPED_TRACE((f[0] + u' ' + f[3]).toStdString());
        ASSERT_TRUE(s.ok) << s.message.toStdString();
        switch (type) {
        case bcInt2of5: case bcCode39: case bcCodabar: {
            // zint draws its own ratio and a one-module Code 39 gap: compare narrow and wide.
            QString ours = ElementString(s.pattern).toLower().replace(u'g', u'n');
            while (ours.endsWith(u'n') && ours.size() % 2 == 0)
                ours.chop(1);
            EXPECT_EQ(ours, RunsOf(f[5]));
            break;
        }
        case bcPostnet: {
            QString zint;
            for (qsizetype i = 0; i < f[6].size(); ++i)
                if (f[6][i] == u'1')
                    zint += i < f[5].size() && f[5][i] == u'1' ? u'T' : u'S';
            EXPECT_EQ(ElementString(s.pattern).remove(u's'), zint);
            break;
        }
        default: {
            QString ours = ModuleString(s.pattern);
            if (!s.addOn.empty())
                ours += QString(9, u'0') + ModuleString(s.addOn);
            EXPECT_EQ(TrimSpaces(ours), f[5]);
        }
        }
        ++cases;
    }
    EXPECT_GE(cases, 30);
}

TEST(BarCodeEncoder, CheckDigitsJoinTheDataWhereTheSymbologySaysSo)
{
    EXPECT_EQ(Encode(bcUPC_A, "01234567890").data, "012345678905");
    // Twelve digits with the check digit on: the last is computed again.
    EXPECT_EQ(Encode(bcUPC_A, "012345678909").data, "012345678905");
    EXPECT_EQ(Encode(bcUPC_A, "012345678909", false).data, "012345678909");
    EXPECT_EQ(Encode(bcUPC_E, "012345").data, "0123457");
    EXPECT_EQ(UpcEToUpcA(u"012345"), "00123400005");
    EXPECT_EQ(Encode(bcEAN_8, "2012345").data, "20123451");
    EXPECT_EQ(Encode(bcEAN_13, "590123412345").data, "5901234123457");
    EXPECT_EQ(Encode(bcInt2of5, "12345").data, "123457");
    EXPECT_EQ(Encode(bcInt2of5, "1234").data, "1234");
    // MSI's check digit goes into the symbol only.
    const TjxBarCodeSymbol msi = Encode(bcMSI, "0139725");
    EXPECT_EQ(msi.data, "0139725");
    EXPECT_EQ(MsiCheckDigit(u"0139725"), 6);
    EXPECT_EQ(ModuleString(msi.pattern).size(), 3 + 8 * 12 + 6);
    EXPECT_EQ(ModuleString(msi.pattern).mid(3 + 7 * 12, 12), "100110110100");  // 6 = 0110
    EXPECT_EQ(ModuleString(Encode(bcMSI, "0139725", false).pattern).size(), 3 + 7 * 12 + 6);
    // POSTNET always adds its correction digit: 0+1+...+8 = 36, so 4.
    const QString postnet = ElementString(Encode(bcPostnet, "012345678").pattern).remove(u's');
    EXPECT_EQ(postnet.size(), 2 + 10 * 5);
    EXPECT_EQ(postnet.mid(1 + 9 * 5, 5), "STSST");
    EXPECT_EQ(ElementString(Encode(bcPostnet, "01234-5678").pattern), ElementString(Encode(bcPostnet, "012345678").pattern));
    // The samples are valid with the check digit either way.
    for (int t = bcUPC_A; t <= bcMSI; ++t)
        for (bool calc : {true, false}) {
            const TjxBarCodeSymbol s = Encode(TjxBarCodeType(t), BarCodeSample(TjxBarCodeType(t), calc, false), calc,
                                              t == bcCode128);
            EXPECT_TRUE(s.ok) << t << ' ' << calc << ' ' << s.message.toStdString();
        }
    EXPECT_EQ(Encode(bcUPC_E, BarCodeSample(bcUPC_E, false, false), false).data,
              Encode(bcUPC_E, BarCodeSample(bcUPC_E, true, false)).data);
}

TEST(BarCodeEncoder, AddOnsFollowTheirParityRules)
{
    // "12": 12 mod 4 = 0, both digits of set L.
    EXPECT_EQ(ModuleString(Encode(bcUPC_A, "01234567890", true, false, "12").addOn),
              "1011" "0011001" "01" "0010011");
    // "12345": weighted check 1, parity GLGLL.
    EXPECT_EQ(ModuleString(Encode(bcEAN_13, "590123412345", true, false, "12345").addOn),
              "1011" "0110011" "01" "0010011" "01" "0100001" "01" "0100011" "01" "0110001");
    // Only UPC and EAN take one; elsewhere it is ignored.
    EXPECT_TRUE(Encode(bcCode39, "ABC", true, false, "12").addOn.empty());
    // A supplement that never passed a setter is checked here.
    const TjxBarCodeSymbol bad = Encode(bcUPC_A, "01234567890", true, false, "1A");
    EXPECT_FALSE(bad.ok);
    EXPECT_EQ(bad.message, GetMessage(424));
}

TEST(BarCodeEncoder, Code128ValuesAndCheckSymbol)
{
    // START C 12 34, CODE B, " abcd": check (105 + 12 + 68 + 300 + 0 + 325 + 396 + 469 + 544) mod 103.
    const TjxBarCodeSymbol sample = Encode(bcCode128, BarCodeSample(bcCode128, true, false));
    ASSERT_TRUE(sample.ok);
    EXPECT_EQ(sample.values, (std::vector<int>{105, 12, 34, 100, 0, 65, 66, 67, 68, 56}));
    EXPECT_EQ(sample.text, "1234 abcd");
    EXPECT_TRUE(ModuleString(sample.pattern).endsWith("1100011101011"));
    EXPECT_EQ(ModuleString(sample.pattern).size(), 11 * 10 + 13);

    EXPECT_EQ(Encode(bcCode128, "1234", true, true).values, (std::vector<int>{105, 12, 34, 82}));
    // A final pair goes to code C.
    EXPECT_EQ(Encode(bcCode128, "AB12", true, true).values, (std::vector<int>{104, 33, 34, 99, 12, 35}));
    // An odd run keeps its first digit in the present set.
    const TjxBarCodeSymbol odd = Encode(bcCode128, "A12345", true, true);
    EXPECT_EQ(std::vector<int>(odd.values.begin(), odd.values.end() - 1),
              (std::vector<int>{104, 33, 17, 99, 23, 45}));
    // A single control character is shifted; a run of them switches to set A.
    int id = 0;
    QString text;
    EXPECT_EQ(Code128AutoEncode(QStringLiteral("ab") + QChar(9) + "cd", id, text),
              Code128({209}, "ab") + QChar(203) + QChar(9) + "cd");
    EXPECT_EQ(Code128AutoEncode(QStringLiteral("a") + QChar(9) + QChar(10) + "B", id, text),
              Code128({209}, "a") + QChar(206) + QChar(9) + QChar(10) + "B");
    EXPECT_EQ(Code128AutoEncode(QString(QChar(9)) + "A", id, text), Code128({208}) + QChar(9) + "A");
    // The symbols typed into the data are the encoder's to choose.
    EXPECT_EQ(Code128AutoEncode(Code128({209, 207}, "12"), id, text), Code128({210}, "12"));

    // Manual sets: SHIFT, control characters in A, lower case in B.
    const TjxBarCodeSymbol shifted = Encode(bcCode128, Code128({208}, "A") + QChar(203) + "a" + QChar(211));
    ASSERT_TRUE(shifted.ok) << shifted.message.toStdString();
    EXPECT_EQ(std::vector<int>(shifted.values.begin(), shifted.values.end() - 1),
              (std::vector<int>{103, 33, 98, 65, 64}));
}

TEST(BarCodeEncoder, Code128RefusesWhatItCannotEncode)
{
    const auto message = [](const QString& data, bool autoEncode = false) {
        const TjxBarCodeSymbol s = Encode(bcCode128, data, true, autoEncode);
        EXPECT_FALSE(s.ok) << data.toStdString();
        EXPECT_TRUE(s.pattern.empty());
        return s.message;
    };
    EXPECT_EQ(message("1234"), GetMessage(451));
    EXPECT_EQ(message(Code128({209}, "A") + QChar(209)), GetMessage(452));
    EXPECT_EQ(message(Code128({208}, "Ab")), "Only Code B can contain the character b");
    EXPECT_EQ(message(Code128({209}) + QChar(215)), GetMessage(454));
    EXPECT_EQ(message(Code128({210}, "123")), GetMessage(455));
    EXPECT_EQ(message(Code128({210}, "12AB")), GetMessage(456));
    EXPECT_EQ(message(Code128({210}, "12") + QChar(203)), GetMessage(457));
    EXPECT_EQ(message(Code128({209}) + QChar(203) + QChar(203) + "a"), GetMessage(458));
    // A SHIFT at the end would read past the data; characters outside the sets are never dropped.
    EXPECT_EQ(message(Code128({209}, "a") + QChar(203)), GetMessage(2602));
    EXPECT_EQ(message(Code128({209}, "caf") + QChar(0x0085)), "Code 128 cannot encode the character #133");
    EXPECT_EQ(message(Code128({209}) + QChar(0x4E2D)), GetMessage(2601).replace("%s", QChar(0x4E2D)));
    EXPECT_EQ(message(QStringLiteral("na\u00EFve"), true), GetMessage(2601).replace("%s", QChar(0x00EF)));
}

TEST(BarCodeEncoder, ValidationMessagesPerType)
{
    const auto message = [](TjxBarCodeType type, const QString& data, bool calc = true) {
        const TjxBarCodeSymbol s = Encode(type, data, calc);
        EXPECT_FALSE(s.ok) << data.toStdString();
        return s.messageId;
    };
    EXPECT_EQ(message(bcUPC_A, "0123456789"), 438);
    EXPECT_EQ(message(bcUPC_A, "01234567890", false), 439);
    EXPECT_EQ(message(bcUPC_A, "0123456789A"), 440);
    EXPECT_EQ(message(bcUPC_E, "01234"), 648);
    EXPECT_EQ(message(bcUPC_E, "012345", false), 649);
    EXPECT_EQ(message(bcUPC_E, "01234/"), 650);
    EXPECT_EQ(message(bcEAN_13, "12345678901"), 431);
    EXPECT_EQ(message(bcEAN_13, "123456789012", false), 432);
    EXPECT_EQ(message(bcEAN_13, "12345678901:"), 433);
    EXPECT_EQ(message(bcEAN_8, "123456789"), 645);
    EXPECT_EQ(message(bcEAN_8, "1234567", false), 646);
    EXPECT_EQ(message(bcEAN_8, "123 567"), 647);
    EXPECT_EQ(message(bcInt2of5, "12a4"), 434);
    EXPECT_EQ(message(bcInt2of5, "123", false), 435);
    EXPECT_EQ(message(bcCode39, "AB*C"), 430);
    EXPECT_EQ(message(bcCode39, "ab_c"), 430);
    EXPECT_EQ(message(bcPostnet, "1234 5"), 436);
    EXPECT_EQ(message(bcFIM, "D"), 651);
    EXPECT_EQ(message(bcFIM, "AB"), 651);
    EXPECT_EQ(message(bcCodabar, "A12E4B"), 652);
    EXPECT_EQ(message(bcCodabar, "012B"), 653);
    EXPECT_EQ(message(bcCodabar, "A"), 653);
    EXPECT_EQ(message(bcCodabar, "A1C2B"), 654);
    EXPECT_EQ(Encode(bcCodabar, "A1C2B").message, GetMessage(654) + u' ' + GetMessage(655));
    EXPECT_EQ(message(bcMSI, "12-3"), 2600);
    // Empty data is invalid without a message.
    const TjxBarCodeSymbol empty = Encode(bcCode39, "");
    EXPECT_FALSE(empty.ok);
    EXPECT_EQ(empty.messageId, 0);
    // Digits beyond ASCII are not digits.
    EXPECT_EQ(message(bcUPC_A, QStringLiteral("0123456789\u0661")), 440);
    // Code 39 takes "*" only at the ends and upper-cases letters.
    EXPECT_EQ(ElementString(Encode(bcCode39, "*abc*").pattern), ElementString(Encode(bcCode39, "ABC").pattern));
    EXPECT_EQ(Encode(bcFIM, "b").pattern, Encode(bcFIM, "B").pattern);
    EXPECT_EQ(Encode(bcCodabar, "a12d").pattern, Encode(bcCodabar, "A12D").pattern);
}
