#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <random>

#include "document/binary_value_reader.h"
#include "document/binary_value_writer.h"
#include "document/code_page.h"
#include "document/errors.h"
#include "document/extended_float.h"
#include "document/stream_text.h"
#include "tests/support/test_basics.h"

using namespace orvane;
using namespace orvane::test;
using namespace Qt::StringLiterals;

namespace {

QByteArray Hex(const char* hex)
{
    return QByteArray::fromHex(hex);
}

template <typename Write>
QByteArray Written(Write write)
{
    QByteArray bytes;
    TBinaryValueWriter writer(bytes);
    write(writer);
    return bytes;
}

QByteArray Lines(std::initializer_list<const char*> lines)
{
    QByteArray text;
    for (const char* line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

// A stream holding one component with one property written by `value`.
template <typename Write>
QByteArray OneProperty(Write value)
{
    return Written([&](TBinaryValueWriter& w) {
        w.WriteSignature();
        w.WriteShortString(u"TBox");
        w.WriteShortString(u"");
        w.WriteShortString(u"P");
        value(w);
        w.WriteListEnd();
        w.WriteListEnd();
    });
}

// The text after "P = " up to the closing "end".
QByteArray ValueText(const QByteArray& binary)
{
    const QByteArray text = ToText(binary);
    const qsizetype start = text.indexOf(" = ") + 3;
    return text.mid(start, text.lastIndexOf("\r\nend") - start);
}

// A component tree that uses every value code and record form.
QByteArray RichStream()
{
    return Written([](TBinaryValueWriter& w) {
        w.WriteSignature();
        w.WriteShortString(u"TjxReport");
        w.WriteShortString(u"Report1");
        w.WriteShortString(u"Caption");
        w.WriteString(u"It's");
        w.WriteShortString(u"Lines.Strings");
        w.WriteValueType(svList);
        w.WriteListItemString(u"first");
        w.WriteListItemString(u"");
        w.WriteListItemString(u"Caf\u00e9");
        w.WriteListEnd();
        w.WriteShortString(u"Font.Style");
        w.WriteSet({});
        w.WriteShortString(u"Options");
        w.WriteSet({u"opA"_s, u"opB"_s});
        w.WriteShortString(u"Font.Color");
        w.WriteInteger(12632257);
        w.WriteShortString(u"Color");
        w.WriteIdent(u"clRed");
        w.WriteShortString(u"Visible");
        w.WriteIdent(u"true");
        w.WriteShortString(u"Enabled");
        w.WriteBoolean(false);
        w.WriteShortString(u"Ref");
        w.WriteNil();
        w.WriteShortString(u"Blank");
        w.WriteNull();
        w.WriteShortString(u"Width");
        w.WriteExtended(1.0);
        w.WriteShortString(u"Ratio");
        w.WriteExtended(-0.75);
        w.WriteShortString(u"Scale");
        w.WriteSingle(1.5f);
        w.WriteShortString(u"Price");
        w.WriteCurrency(-125000);
        w.WriteShortString(u"When");
        w.WriteDate(45000.25);
        w.WriteShortString(u"Big");
        w.WriteInt64(int64_t(1) << 31);
        w.WriteShortString(u"Wide");
        w.WriteString(u"\u65e5\u672c");
        w.WriteShortString(u"Small");
        w.WriteBinary(QByteArray(31, '\x5a'));
        w.WriteShortString(u"Items");
        w.WriteValueType(svCollection);
        w.WriteValueType(svList);
        w.WriteShortString(u"Name");
        w.WriteString(u"a");
        w.WriteListEnd();
        w.WriteInteger(3);
        w.WriteValueType(svList);
        w.WriteShortString(u"Size");
        w.WriteInteger(-5);
        w.WriteListEnd();
        w.WriteListEnd();
        w.WriteListEnd();
        // children
        w.WriteShortString(u"TjxBand");
        w.WriteShortString(u"Band1");
        w.WriteListEnd();
        w.WriteShortString(u"TjxLabel");
        w.WriteShortString(u"");
        w.WriteListEnd();
        w.WriteListEnd();
        w.WriteListEnd();
        w.WritePrefix(cfInherited | cfChildPos, 2);
        w.WriteShortString(u"TjxLabel");
        w.WriteShortString(u"Old");
        w.WriteListEnd();
        w.WriteListEnd();
        w.WritePrefix(cfInline, 0);
        w.WriteShortString(u"TjxFrame");
        w.WriteShortString(u"Frame1");
        w.WriteListEnd();
        w.WriteListEnd();
        w.WriteListEnd();
    });
}

const QByteArray kRichText = Lines({
    "object Report1: TjxReport",
    "  Caption = 'It'#39's'",
    "  Lines.Strings = (",
    "    'first'",
    "    ''",
    "    'Caf'#233)",
    "  Font.Style = []",
    "  Options = [opA, opB]",
    "  Font.Color = 12632257",
    "  Color = clRed",
    "  Visible = True",
    "  Enabled = False",
    "  Ref = nil",
    "  Blank = Null",
    "  Width = 1.000000000000000000",
    "  Ratio = -0.750000000000000000",
    "  Scale = 1.5s",
    "  Price = -12.5c",
    "  When = 45000.25d",
    "  Big = 2147483648",
    "  Wide = #26085#26412",
    "  Small = {ZZ}",
    "  Items = <",
    "    item",
    "      Name = 'a'",
    "    end",
    "    item [3]",
    "      Size = -5",
    "    end>",
    "  object Band1: TjxBand",
    "    object TjxLabel",
    "    end",
    "  end",
    "  inherited Old: TjxLabel [2]",
    "  end",
    "  inline Frame1: TjxFrame",
    "  end",
    "end",
});

QByteArray RichText()
{
    QByteArray text = kRichText;
    text.replace("{ZZ}", "{" + QByteArray(31, '\x5a').toHex().toUpper() + "}");
    return text;
}

} // namespace

TEST(StreamBytesWriter, IntegerCodesTakeTheSmallestForm)
{
    const auto integer = [](int64_t value) { return Written([&](TBinaryValueWriter& w) { w.WriteInteger(value); }); };
    EXPECT_EQ(integer(127), Hex("027f"));
    EXPECT_EQ(integer(-128), Hex("0280"));
    EXPECT_EQ(integer(128), Hex("038000"));
    EXPECT_EQ(integer(-129), Hex("037fff"));
    EXPECT_EQ(integer(32767), Hex("03ff7f"));
    EXPECT_EQ(integer(32768), Hex("0400800000"));
    EXPECT_EQ(integer(-32769), Hex("04ff7fffff"));
    EXPECT_EQ(integer(std::numeric_limits<int32_t>::min()), Hex("0400000080"));
    EXPECT_EQ(Written([](TBinaryValueWriter& w) { w.WriteInt64(int64_t(1) << 31); }), Hex("130000008000000000"));
    EXPECT_EQ(integer(-(int64_t(1) << 31) - 1), Hex("13ffffff7fffffffff"));
    EXPECT_EQ(integer(std::numeric_limits<int64_t>::min()), Hex("130000000000000080"));
}

TEST(StreamBytesWriter, StringRulesPickTheEncoding)
{
    const auto str = [](QStringView text) { return Written([&](TBinaryValueWriter& w) { w.WriteString(text); }); };
    const auto item = [](QStringView text) { return Written([&](TBinaryValueWriter& w) { w.WriteListItemString(text); }); };

    EXPECT_EQ(str(u"It's"), Hex("06") + "\x04It's");
    EXPECT_EQ(str(u"Caf\u00e9"), Hex("1405000000436166c3a9"));
    // One unit that needs two UTF-8 bytes is not shorter than twice the units.
    EXPECT_EQ(str(u"\u00e9"), Hex("1201000000e900"));
    EXPECT_EQ(str(u"\u65e5"), Hex("1201000000e565"));
    EXPECT_EQ(str(u""), Hex("0600"));
    EXPECT_EQ(str(QString(255, u'a')), Hex("06ff") + QByteArray(255, 'a'));
    EXPECT_EQ(str(QString(256, u'a')), Hex("0c00010000") + QByteArray(256, 'a'));

    EXPECT_EQ(item(u""), Hex("0600"));
    EXPECT_EQ(item(u"\u00e9"), Hex("1402000000c3a9"));
    EXPECT_EQ(item(u"\u65e5"), Hex("1403000000e697a5"));
    EXPECT_EQ(item(QString(300, u'x')), Hex("0c2c010000") + QByteArray(300, 'x'));
}

TEST(StreamBytesWriter, IdentifiersSetsPrefixesAndShortStrings)
{
    EXPECT_EQ(Written([](TBinaryValueWriter& w) {
                  w.WriteIdent(u"TRUE");
                  w.WriteIdent(u"false");
                  w.WriteIdent(u"NIL");
                  w.WriteIdent(u"null");
                  w.WriteIdent(u"clRed");
                  w.WriteRawIdent(u"True");
              }),
              Hex("09080d00") + "\x07\x05" "clRed" "\x07\x04" "True");
    EXPECT_EQ(Written([](TBinaryValueWriter& w) { w.WriteSet({u"fsBold"_s, QString(), u"fsItalic"_s}); }),
              "\x0b\x06" "fsBold" "\x08" "fsItalic" + Hex("00"));
    EXPECT_EQ(Written([](TBinaryValueWriter& w) { w.WritePrefix(0, 7); }), QByteArray());
    EXPECT_EQ(Written([](TBinaryValueWriter& w) { w.WritePrefix(cfInline, 7); }), Hex("f4"));
    EXPECT_EQ(Written([](TBinaryValueWriter& w) { w.WritePrefix(cfInherited | cfChildPos, 300); }), Hex("f3032c01"));
    EXPECT_EQ(Written([](TBinaryValueWriter& w) { w.WriteShortString(QString(300, u'n')); }),
              Hex("ff") + QByteArray(255, 'n'));
    EXPECT_EQ(Written([](TBinaryValueWriter& w) { w.WriteShortString(u"\u20ac\u65e5"); }), Hex("02803f"));
    // A character outside the basic plane is one '?', not two.
    EXPECT_EQ(Written([](TBinaryValueWriter& w) { w.WriteShortString(u"\U0001F600x"); }), Hex("023f78"));
    // A property path and its name: one short string, cut at 255 as a whole.
    EXPECT_EQ(Written([](TBinaryValueWriter& w) { w.WriteShortString(u"Font.", u"Name"); }), "\x09" "Font.Name");
    EXPECT_EQ(Written([](TBinaryValueWriter& w) { w.WriteShortString(QString(250, u'p'), u"\u20acNames"); }),
              Hex("ff") + QByteArray(250, 'p') + "\x80Name");
    EXPECT_EQ(Written([](TBinaryValueWriter& w) { w.WriteShortString(QString(300, u'p'), u"Name"); }),
              Hex("ff") + QByteArray(255, 'p'));
    EXPECT_EQ(Written([](TBinaryValueWriter& w) { w.WriteBinary(Hex("0102")); }), Hex("0a020000000102"));
    EXPECT_EQ(Written([](TBinaryValueWriter& w) {
                  w.WriteSingle(1.5f);
                  w.WriteCurrency(-1);
                  w.WriteDate(1.0);
              }),
              Hex("0f0000c03f" "10ffffffffffffffff" "11000000000000f03f"));
}

TEST(StreamBytesWriter, AppendsToItsOwnArrayOnly)
{
    // A copy taken while writing keeps what it saw; the array itself gets
    // every byte, its terminating zero included, across many regrowths.
    QByteArray bytes("TPF0");
    const QByteArray before = bytes;
    TBinaryValueWriter writer(bytes);
    writer.WriteShortString(u"Page");
    const QByteArray snapshot = bytes;
    QByteArray expected = QByteArray("TPF0\x04Page");
    for (int i = 0; i < 5000; ++i) {
        writer.WriteInteger(i % 100);
        expected.append(char(svInt8)).append(char(i % 100));
    }
    EXPECT_EQ(before, "TPF0");
    EXPECT_EQ(snapshot, "TPF0\x04Page");
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(bytes.constData()[bytes.size()], '\0');
    EXPECT_EQ(qstrlen(QByteArray(bytes).append('x').constData() + bytes.size()), 1u);
}

TEST(StreamBytesExtended, KnownEncodings)
{
    const auto encoded = [](double value) {
        uint8_t bytes[10];
        EncodeExtended(value, bytes);
        return QByteArray(reinterpret_cast<const char*>(bytes), 10);
    };
    EXPECT_EQ(encoded(0.75), Hex("00000000000000c0fe3f"));
    EXPECT_EQ(encoded(1.0), Hex("0000000000000080ff3f"));
    EXPECT_EQ(encoded(-2.0), Hex("000000000000008000c0"));
    EXPECT_EQ(encoded(0.0), Hex("00000000000000000000"));
    EXPECT_EQ(encoded(-0.0), Hex("00000000000000000080"));
    EXPECT_EQ(encoded(std::numeric_limits<double>::infinity()), Hex("0000000000000080ff7f"));
    // The smallest double denormal is 2^-1074, normal in the extended range.
    EXPECT_EQ(encoded(std::numeric_limits<double>::denorm_min()), Hex("0000000000000080cd3b"));
    EXPECT_EQ(Written([](TBinaryValueWriter& w) { w.WriteExtended(0.75); }), Hex("0500000000000000c0fe3f"));
}

TEST(StreamBytesExtended, DecodeRoundsToNearestEvenAndSaturates)
{
    const auto decoded = [](const char* hex) {
        const QByteArray bytes = Hex(hex);
        return DecodeExtended(reinterpret_cast<const uint8_t*>(bytes.constData()));
    };
    const double one = 1.0;
    EXPECT_EQ(decoded("0004000000000080ff3f"), one);                              // tie, even stays
    EXPECT_EQ(decoded("000c000000000080ff3f"), std::nextafter(one, 2.0) + 0x1p-52); // tie, odd goes up
    EXPECT_EQ(decoded("0104000000000080ff3f"), std::nextafter(one, 2.0));           // above the tie
    EXPECT_EQ(decoded("ffffffffffffffffff3f"), 2.0);                               // carry into the exponent
    EXPECT_EQ(decoded("0000000000000040ff3f"), 0.5);                               // unnormal
    EXPECT_EQ(decoded("0000000000000080ff7f"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(decoded("0000000000000080ff43"), std::numeric_limits<double>::infinity()); // 2^1024
    EXPECT_EQ(decoded("0000000000000080ffc3"), -std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(decoded("0100000000000080ff7f")));
    EXPECT_TRUE(std::isnan(decoded("000000000000c0ffff7f")));
    // 2^-1075 is half the smallest denormal: ties to zero; a hair more rounds up.
    EXPECT_EQ(decoded("0000000000000080cc3b"), 0.0);
    EXPECT_EQ(decoded("0100000000000080cc3b"), std::numeric_limits<double>::denorm_min());
    EXPECT_TRUE(std::signbit(decoded("00000000000000800180"))); // underflow keeps the sign
    EXPECT_EQ(decoded("00000000000000800100"), 0.0); // far below the double range
    EXPECT_EQ(decoded("01000000000000000000"), 0.0); // extended denormal
    // Rounding that carries a denormal into the smallest normal number.
    EXPECT_EQ(decoded("00f8ffffffffffff003c"), std::numeric_limits<double>::min());
}

TEST(StreamBytesExtended, EveryDoubleRoundTrips)
{
    std::vector<double> values = {0.0, -0.0, 1.0, -1.0, 0.1, M_PI, 1e300, -1e-300, 12345.678,
                                  std::numeric_limits<double>::max(), std::numeric_limits<double>::lowest(),
                                  std::numeric_limits<double>::min(), std::numeric_limits<double>::denorm_min(),
                                  std::numeric_limits<double>::min() / 3, -std::numeric_limits<double>::infinity()};
    std::mt19937_64 random(20240611);
    for (int i = 0; i < 20000; ++i)
        values.push_back(std::bit_cast<double>(random()));
    for (double value : values) {
        uint8_t bytes[10];
        EncodeExtended(value, bytes);
        const double back = DecodeExtended(bytes);
        if (std::isnan(value))
            EXPECT_TRUE(std::isnan(back));
        else
            EXPECT_EQ(std::bit_cast<uint64_t>(back), std::bit_cast<uint64_t>(value)) << value;
    }
}

TEST(StreamBytesCodePage, MapsBothWays)
{
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all += char(i);
    const QString text = FromCodePage(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(ToCodePage(text), all);
    EXPECT_TRUE(IsCodePageRepresentable(text));
    EXPECT_EQ(text[0x80], QChar(0x20AC));
    EXPECT_EQ(text[0x81], QChar(0x0081));
    EXPECT_EQ(text[0x8D], QChar(0x008D));
    EXPECT_EQ(text[0x92], QChar(0x2019));
    EXPECT_EQ(text[0x9F], QChar(0x0178));
    EXPECT_EQ(text[0xE9], QChar(0x00E9));

    // U+0080 has no byte (0x80 is the euro sign); a surrogate pair is one '?'.
    EXPECT_EQ(ToCodePage(u"a\u0080\u00e4\u65e5\U0001F600z"), Hex("613fe43f3f7a"));
    EXPECT_FALSE(IsCodePageRepresentable(u"\u0080"));
    EXPECT_FALSE(IsCodePageRepresentable(u"\u65e5"));
}

TEST(StreamBytesReader, ReadsBackWhatTheWriterWrote)
{
    const QByteArray bytes = Written([](TBinaryValueWriter& w) {
        w.WriteInteger(-70000);
        w.WriteInteger(int64_t(1) << 40);
        w.WriteExtended(0.1);
        w.WriteInteger(3); // read as a float
        w.WriteSingle(2.5f);
        w.WriteCurrency(123456);
        w.WriteDate(45000.5);
        w.WriteBoolean(true);
        w.WriteIdent(u"nil");
        w.WriteIdent(u"clBlue");
        w.WriteString(u"It's");
        w.WriteString(QString(300, u'q'));
        w.WriteString(u"Caf\u00e9");
        w.WriteString(u"\u65e5\u672c");
        w.WriteSet({u"a"_s, u"b"_s});
        w.WriteBinary(Hex("00ff"));
        w.WritePrefix(cfChildPos, -3);
        w.WriteShortString(u"\u20ac");
    });
    TBinaryValueReader r(bytes);
    EXPECT_EQ(r.ReadInteger(), -70000);
    EXPECT_EQ(r.ReadInteger(), int64_t(1) << 40);
    EXPECT_EQ(r.ReadFloat(), 0.1);
    EXPECT_EQ(r.ReadFloat(), 3.0);
    EXPECT_EQ(r.ReadSingle(), 2.5f);
    EXPECT_EQ(r.ReadCurrency(), 123456);
    EXPECT_EQ(r.ReadDate(), 45000.5);
    EXPECT_TRUE(r.ReadBoolean());
    EXPECT_EQ(r.ReadIdent(), u"nil"_s);
    EXPECT_EQ(r.ReadIdent(), u"clBlue"_s);
    EXPECT_EQ(r.ReadString(), u"It's"_s);
    EXPECT_EQ(r.ReadString(), QString(300, u'q'));
    EXPECT_EQ(r.ReadString(), u"Caf\u00e9"_s);
    EXPECT_EQ(r.ReadString(), u"\u65e5\u672c"_s);
    EXPECT_EQ(r.ReadSet(), QStringList({u"a"_s, u"b"_s}));
    EXPECT_EQ(r.ReadBinary(), Hex("00ff"));
    uint8_t flags = 0;
    int position = 0;
    r.ReadPrefix(flags, position);
    EXPECT_EQ(flags, cfChildPos);
    EXPECT_EQ(position, -3);
    EXPECT_EQ(r.ReadShortString(), u"\u20ac"_s);
    EXPECT_TRUE(r.AtEnd());
    EXPECT_EQ(ErrorOf([&] { r.ReadByte(); }), u"Stream read error"_s);

    const QByteArray plain = Hex("0454");
    TBinaryValueReader noPrefix(plain);
    noPrefix.ReadPrefix(flags, position);
    EXPECT_EQ(flags, 0);
    EXPECT_EQ(noPrefix.Position(), 0);
}

TEST(StreamBytesReader, WrongKindConsumesNothingAndTruncationFails)
{
    const QByteArray bytes = Hex("0603616263027f");
    TBinaryValueReader r(bytes);
    EXPECT_EQ(ErrorOf([&] { r.ReadInteger(); }), u"Invalid property value"_s);
    EXPECT_EQ(ErrorOf([&] { r.ReadBoolean(); }), u"Invalid property value"_s);
    EXPECT_EQ(ErrorOf([&] { r.ReadSet(); }), u"Invalid property value"_s);
    EXPECT_EQ(r.Position(), 0);
    r.SkipValue();
    EXPECT_EQ(r.ReadInteger(), 127);

    // Counts larger than the data fail before anything is allocated.
    for (const char* hex : {"0affffffff", "12ffffff7f", "0cffffff7f00", "14ffffffff", "0603ab", "0400", "05000000"}) {
        const QByteArray bytes = Hex(hex);
        TBinaryValueReader truncated(bytes);
        EXPECT_EQ(ErrorOf([&] { truncated.SkipValue(); }), u"Stream read error"_s) << hex;
    }
    const QByteArray code21 = Hex("15");
    TBinaryValueReader unknown(code21);
    EXPECT_EQ(ErrorOf([&] { unknown.SkipValue(); }), u"Invalid property value"_s);
    const QByteArray list = Hex("01");
    TBinaryValueReader listEnd(list);
    EXPECT_EQ(ErrorOf([&] { listEnd.ReadListEnd(); }), u"Invalid property value"_s);

    TBinaryValueReader other("XPF0");
    EXPECT_EQ(ErrorOf([&] { other.ReadSignature(); }), u"Invalid stream format"_s);
    TBinaryValueReader shortStream("TP");
    EXPECT_EQ(ErrorOf([&] { shortStream.ReadSignature(); }), u"Stream read error"_s);
}

TEST(StreamBytesReader, SkipsExactlyAndCapsNesting)
{
    const QByteArray rich = RichStream();
    const QByteArray withTail = rich + "tail";
    TBinaryValueReader r(withTail);
    r.ReadSignature();
    r.SkipComponent(true);
    EXPECT_EQ(r.Position(), rich.size());

    // Every value in a list of all codes is skipped to the byte.
    const QByteArray list = Written([](TBinaryValueWriter& w) {
        w.WriteValueType(svList);
        w.WriteInteger(1);
        w.WriteInteger(1000);
        w.WriteInteger(100000);
        w.WriteInteger(int64_t(1) << 40);
        w.WriteExtended(2.0);
        w.WriteString(u"s");
        w.WriteString(QString(256, u's'));
        w.WriteString(u"\u00e9");
        w.WriteString(u"Caf\u00e9");
        w.WriteIdent(u"x");
        w.WriteBoolean(true);
        w.WriteNil(); // code 0 cannot be an item: it ends the list
        w.WriteSet({u"m"_s});
        w.WriteBinary(Hex("010203"));
        w.WriteSingle(1);
        w.WriteCurrency(1);
        w.WriteDate(1);
        w.WriteListEnd();
    });
    const QByteArray listAndMore = list + Hex("2a");
    TBinaryValueReader values(listAndMore);
    values.SkipValue();
    EXPECT_EQ(values.ReadByte(), 0x2a);

    const auto nested = [](int depth) { return QByteArray(depth, '\x01') + QByteArray(depth, '\x00'); };
    const QByteArray deepest = nested(TBinaryValueReader::kMaxNesting);
    TBinaryValueReader deepOk(deepest);
    EXPECT_NO_THROW(deepOk.SkipValue());
    const QByteArray deeper = nested(TBinaryValueReader::kMaxNesting + 1);
    TBinaryValueReader tooDeep(deeper);
    EXPECT_EQ(ErrorOf([&] { tooDeep.SkipValue(); }), u"Nesting too deep: more than 256 levels"_s);
}

TEST(StreamBytesText, BinaryToTextWritesTheTextForm)
{
    EXPECT_EQ(ToText(RichStream() + "ignored"), RichText());
    EXPECT_EQ(ToBinary(RichText()), RichStream());
}

TEST(StreamBytesText, LongStringsAndBinaryBlocksBreakLines)
{
    const QString hundred = QString(64, u'a') + QString(36, u'b');
    EXPECT_EQ(ValueText(OneProperty([&](TBinaryValueWriter& w) { w.WriteString(hundred); })),
              "\r\n    '" + QByteArray(64, 'a') + "' +\r\n    '" + QByteArray(36, 'b') + "'");
    EXPECT_EQ(ValueText(OneProperty([](TBinaryValueWriter& w) { w.WriteString(QString(64, u'c')); })),
              "'" + QByteArray(64, 'c') + "'");
    // A #code counts as one character of the line.
    const QString quotes = QString(63, u'x') + u"'y"_s;
    EXPECT_EQ(ValueText(OneProperty([&](TBinaryValueWriter& w) { w.WriteString(quotes); })),
              "\r\n    '" + QByteArray(63, 'x') + "'#39 +\r\n    'y'");

    const QByteArray block(32, '\xab');
    EXPECT_EQ(ValueText(OneProperty([&](TBinaryValueWriter& w) { w.WriteBinary(block); })),
              "{\r\n    " + block.toHex().toUpper() + "}");
    EXPECT_EQ(ValueText(OneProperty([&](TBinaryValueWriter& w) { w.WriteBinary(block + '\x01'); })),
              "{\r\n    " + block.toHex().toUpper() + "\r\n    01}");
    EXPECT_EQ(ValueText(OneProperty([](TBinaryValueWriter& w) { w.WriteBinary({}); })), "{}");
    EXPECT_EQ(ValueText(OneProperty([](TBinaryValueWriter& w) {
                  w.WriteValueType(svList);
                  w.WriteListEnd();
              })),
              "()");
    EXPECT_EQ(ValueText(OneProperty([](TBinaryValueWriter& w) {
                  w.WriteValueType(svCollection);
                  w.WriteListEnd();
              })),
              "<>");
    EXPECT_EQ(ValueText(OneProperty([](TBinaryValueWriter& w) { w.WriteString(u"\ttab\u20ac"); })),
              "#9'tab'#8364");
}

TEST(StreamBytesText, FloatForms)
{
    const auto extended = [](double value) {
        return ValueText(OneProperty([&](TBinaryValueWriter& w) { w.WriteExtended(value); }));
    };
    EXPECT_EQ(extended(1.0), "1.000000000000000000");
    EXPECT_EQ(extended(0.75), "0.750000000000000000");
    EXPECT_EQ(extended(0.1), "0.100000000000000000");
    EXPECT_EQ(extended(1.0 / 3), "0.333333333333333300");
    EXPECT_EQ(extended(-1234.5), "-1234.500000000000000000");
    EXPECT_EQ(extended(0.0001), "0.000100000000000000");
    EXPECT_EQ(extended(0.0), "0.000000000000000000");
    EXPECT_EQ(extended(9999999999999998.0), "9999999999999998.000000000000000000");
    EXPECT_EQ(extended(1e15), "1000000000000000.000000000000000000");
    EXPECT_EQ(extended(1e16), "1.0E+16");
    EXPECT_EQ(extended(-2.5e300), "-2.5E+300");
    EXPECT_EQ(extended(1e-20), "1.0E-20");
    EXPECT_EQ(extended(0.30000000000000004), "0.300000000000000040");

    const auto single = [](float value) {
        return ValueText(OneProperty([&](TBinaryValueWriter& w) { w.WriteSingle(value); }));
    };
    EXPECT_EQ(single(0.1f), "0.1s");
    EXPECT_EQ(single(-3.0f), "-3s");
    const auto currency = [](int64_t value) {
        return ValueText(OneProperty([&](TBinaryValueWriter& w) { w.WriteCurrency(value); }));
    };
    EXPECT_EQ(currency(10000), "1c");
    EXPECT_EQ(currency(std::numeric_limits<int64_t>::min()), "-922337203685477.5808c");

    // Each printed form parses back to the same bits.
    const std::vector<double> values = {1.0, 0.1, 1.0 / 3, 0.30000000000000004, 1e16, 1e-20, -2.5e300,
                                        std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::max(),
                                        -0.0, 123456789.123456789};
    for (double value : values) {
        for (auto write : {+[](TBinaryValueWriter& w, double v) { w.WriteExtended(v); },
                           +[](TBinaryValueWriter& w, double v) { w.WriteDate(v); },
                           +[](TBinaryValueWriter& w, double v) {
                               constexpr double kMax = std::numeric_limits<float>::max();
                               w.WriteSingle(float(std::clamp(v, -kMax, kMax)));
                           }}) {
            const QByteArray binary = OneProperty([&](TBinaryValueWriter& w) { write(w, value); });
            EXPECT_EQ(ToBinary(ToText(binary)), binary) << value;
        }
    }
    for (int64_t value : {int64_t(0), int64_t(-1), int64_t(123456789012345678), std::numeric_limits<int64_t>::max()}) {
        const QByteArray binary = OneProperty([&](TBinaryValueWriter& w) { w.WriteCurrency(value); });
        EXPECT_EQ(ToBinary(ToText(binary)), binary) << value;
    }
    const QByteArray nan = OneProperty([](TBinaryValueWriter& w) {
        uint8_t bytes[10];
        EncodeExtended(std::nan(""), bytes);
        w.WriteValueType(svExtended);
        w.WriteBytes(QByteArrayView(bytes, 10));
    });
    EXPECT_EQ(ErrorOf([&] { ToText(nan); }), u"Error reading TBox.P: Invalid property value"_s);
}

TEST(StreamBytesText, ParserAcceptsTheWholeGrammar)
{
    const QByteArray text = Lines({
        "OBJECT Form1: TForm [ 4 ]",
        "  Caption = 'It''s' + ",
        "    ' ok'#13#10",
        "  Font.Style = [ ]",
        "  Mask = [1, fsBold]",
        "  Hex = $FF",
        "  On = TRUE",
        "  Link = Form2.Button1",
        "  Cur = 2.50005C",
        "  Day = 2D",
        "  Sgl = 1E3s",
        "  Huge = 1e300",
        "  Wide = 'Caf'#233",
        "  Ansi = 'Caf\xe9'",
        "  Data = {01 0a",
        "          FF}",
        "  Items = <ITEM [2] A = 1 END item end>",
        "  Lines = ('' 'x')",
        "  Inherited Sub: TSub End",
        "end trailing words are ignored",
    });
    const QByteArray expected = Written([](TBinaryValueWriter& w) {
        w.WriteSignature();
        w.WritePrefix(cfChildPos, 4);
        w.WriteShortString(u"TForm");
        w.WriteShortString(u"Form1");
        w.WriteShortString(u"Caption");
        w.WriteString(u"It's ok\r\n");
        w.WriteShortString(u"Font.Style");
        w.WriteSet({});
        w.WriteShortString(u"Mask");
        w.WriteSet({u"1"_s, u"fsBold"_s});
        w.WriteShortString(u"Hex");
        w.WriteInteger(255);
        w.WriteShortString(u"On");
        w.WriteBoolean(true);
        w.WriteShortString(u"Link");
        w.WriteRawIdent(u"Form2.Button1");
        w.WriteShortString(u"Cur");
        w.WriteCurrency(25000); // 2.50005 ties to even
        w.WriteShortString(u"Day");
        w.WriteDate(2);
        w.WriteShortString(u"Sgl");
        w.WriteSingle(1000);
        w.WriteShortString(u"Huge");
        w.WriteExtended(1e300);
        w.WriteShortString(u"Wide");
        w.WriteString(u"Caf\u00e9");
        w.WriteShortString(u"Ansi");
        w.WriteString(u"Caf\u00e9");
        w.WriteShortString(u"Data");
        w.WriteBinary(Hex("010aff"));
        w.WriteShortString(u"Items");
        w.WriteValueType(svCollection);
        w.WriteInteger(2);
        w.WriteValueType(svList);
        w.WriteShortString(u"A");
        w.WriteInteger(1);
        w.WriteListEnd();
        w.WriteValueType(svList);
        w.WriteListEnd();
        w.WriteListEnd();
        w.WriteShortString(u"Lines");
        w.WriteValueType(svList);
        w.WriteString(u"");
        w.WriteString(u"x");
        w.WriteListEnd();
        w.WriteListEnd();
        w.WritePrefix(cfInherited, 0);
        w.WriteShortString(u"TSub");
        w.WriteShortString(u"Sub");
        w.WriteListEnd();
        w.WriteListEnd();
        w.WriteListEnd();
    });
    EXPECT_EQ(ToBinary(text), expected);

    // #codes of 128 and more make quoted bytes UTF-16 units, not code-page bytes.
    const QByteArray wide = ToBinary("object T P = '\x80'#8364 end");
    TBinaryValueReader r(wide, 4 + 2 + 1 + 2);
    EXPECT_EQ(r.ReadString(), u"\u0080\u20ac"_s);
    const QByteArray ansi = ToBinary("object T P = '\x80'#65 end");
    TBinaryValueReader r2(ansi, 4 + 2 + 1 + 2);
    EXPECT_EQ(r2.ReadString(), u"\u20acA"_s);
}

TEST(StreamBytesText, ParserErrorsNameTheLine)
{
    const auto error = [](const QByteArray& text) { return ErrorOf([&] { ToBinary(text); }); };
    EXPECT_EQ(error("thing T\r\nend"), u"object expected on line 1"_s);
    EXPECT_EQ(error("object\r\n  = 1\r\nend"), u"Identifier expected on line 2"_s);
    EXPECT_EQ(error("object T\r\n  A = 1\r\n  B 2\r\nend"), u"'=' expected on line 3"_s);
    EXPECT_EQ(error("object T\r\n  A = 'open\r\nend"), u"Invalid string constant on line 2"_s);
    EXPECT_EQ(error("object T\n  A = #\nend"), u"Invalid string constant on line 2"_s);
    EXPECT_EQ(error("object T\n  A = 'x' +\n  B\nend"), u"String expected on line 3"_s);
    EXPECT_EQ(error("object T\n  A = {00\n  0G}\nend"), u"Invalid binary value on line 3"_s);
    EXPECT_EQ(error("object T\n  A = {0}\nend"), u"Invalid binary value on line 2"_s);
    EXPECT_EQ(error("object T\n  A = 1.2.3x\nend"), u"Number expected on line 2"_s);
    EXPECT_EQ(error("object T\n  A = )\nend"), u"Invalid property value on line 2"_s);
    EXPECT_EQ(error("object T\n  A = <\n    thing\n  >\nend"), u"item expected on line 3"_s);
    EXPECT_EQ(error("object T\n  A = (1\n"), u"')' expected on line 3"_s);
    EXPECT_EQ(error("object T\n  A = [a b]\nend"), u"']' expected on line 2"_s);
    EXPECT_EQ(error("object T\n  A = 1\n"), u"Identifier expected on line 3"_s);
    EXPECT_EQ(error("object T\n  object U\n  end\n  A = 1\nend"), u"end expected on line 4"_s);
    EXPECT_EQ(error("object T\n  A = 'x'\r\n  B = '" + QByteArray(5000, 'x') + "'\nend"),
              u"Line too long on line 3"_s);
    EXPECT_NO_THROW(ToBinary("object T\r\n  B = '" + QByteArray(4096 - 8, 'x') + "'\r\nend"));
    EXPECT_EQ(error("object T\r\n  B = '" + QByteArray(4096 - 7, 'x') + "'\r\nend"), u"Line too long on line 2"_s);
    EXPECT_EQ(error(QByteArray(600, '(').prepend("object T A = ")), u"Nesting too deep: more than 256 levels on line 1"_s);

    QByteArray kept = "unchanged";
    EXPECT_THROW(ObjectTextToBinary("object T A = end", kept), EParserError);
    EXPECT_EQ(kept, "unchanged");
}

TEST(StreamBytesText, BinaryErrorsAndGarbageOnlyThrowStreamErrors)
{
    const QByteArray unknown = OneProperty([](TBinaryValueWriter& w) { w.WriteByte(21); });
    EXPECT_EQ(ErrorOf([&] { ToText(unknown); }), u"Error reading TBox.P: 21"_s);
    QByteArray kept = "unchanged";
    EXPECT_THROW(ObjectBinaryToText(unknown, kept), EReadError);
    EXPECT_EQ(kept, "unchanged");
    EXPECT_EQ(ErrorOf([&] { ToText("TPF1"); }), u"Invalid stream format"_s);

    const QByteArray original = RichStream();
    std::mt19937 random(7);
    int converted = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes = original;
        const int edits = 1 + int(random() % 4);
        for (int e = 0; e < edits; ++e) {
            const qsizetype at = 4 + qsizetype(random() % uint32_t(bytes.size() - 4));
            switch (random() % 4) {
            case 0: bytes[at] = char(random()); break;
            case 1: bytes.truncate(at); break;
            case 2: bytes.insert(at, char(random() % 24)); break;
            default: bytes.remove(at, 1 + qsizetype(random() % 8)); break;
            }
            if (bytes.size() <= 4)
                break;
        }
        try {
            TBinaryValueReader reader(bytes);
            reader.ReadSignature();
            reader.SkipComponent(true);
        } catch (const EOrvaneError&) {
        }
        QByteArray again;
        try {
            again = ToBinary(ToText(bytes));
        } catch (const EOrvaneError&) {
            continue;
        }
        // Text that parses gives a stream whose text form parses back to it.
        try {
            EXPECT_EQ(ToBinary(ToText(again)), again) << round;
        } catch (const EOrvaneError& error) {
            ADD_FAILURE() << round << ": " << error.what();
        }
        ++converted;
    }
    EXPECT_GT(converted, 100);

    // Mutated text either fails with a parser error or gives a sound record.
    const QByteArray text = RichText();
    static constexpr char kTokens[] = "()[]<>{}'#+=.,:$-019aeEsZ \r\n";
    int parsed = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray mutated = text;
        for (int e = 1 + int(random() % 3); e > 0; --e) {
            const qsizetype at = qsizetype(random() % uint32_t(mutated.size()));
            if (random() % 2)
                mutated[at] = kTokens[random() % (sizeof(kTokens) - 1)];
            else
                mutated.remove(at, 1 + qsizetype(random() % 4));
        }
        QByteArray binary;
        try {
            ObjectTextToBinary(mutated, binary);
        } catch (const EParserError&) {
            continue;
        }
        TBinaryValueReader reader(binary);
        reader.ReadSignature();
        EXPECT_NO_THROW(reader.SkipComponent(true)) << mutated.toStdString();
        EXPECT_TRUE(reader.AtEnd());
        ++parsed;
    }
    EXPECT_GT(parsed, 100);
}
