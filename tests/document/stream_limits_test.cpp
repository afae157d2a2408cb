// What the writer, the loader and both converters accept is one and the same:
// one nesting limit, no special floats, stored lengths within 10 m; and the
// errors about broken streams say where, in text a terminal shows safely.

#include "test_classes.h"

#include "document/binary_value_reader.h"
#include "document/binary_value_writer.h"
#include "document/errors.h"
#include "document/extended_float.h"
#include "document/report.h"
#include "document/stream_reader.h"
#include "document/stream_text.h"
#include "document/stream_writer.h"
#include "tests/support/test_basics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace orvane;
using namespace orvane::test;
using namespace Qt::StringLiterals;

namespace {

// Reads a stream into a fresh form; the messages the hook was offered go to
// `offered` (the hook excuses them), or, without `offered`, nothing is excused.
QString Load(const QByteArray& binary, QStringList* offered = nullptr, int* components = nullptr)
{
    TTestForm form;
    TReader reader(binary);
    if (offered)
        reader.OnError = [offered](const QString& message) {
            offered->append(message);
            return true;
        };
    const QString error = ErrorOf([&] { reader.ReadRootComponent(&form); });
    if (components)
        *components = form.ComponentCount();
    return error;
}

// A form holding a chain of `bands` bands, each the parent of the next;
// `innermost` writes entries of the last band.
struct DeepStream {
    QByteArray binary;
    qsizetype lastRecord = 0;  // where the last band's record starts

    DeepStream(int bands, const std::function<void(TBinaryValueWriter&)>& innermost = {})
    {
        TBinaryValueWriter w(binary);
        w.WriteSignature();
        w.WriteShortString(u"TTestForm");
        w.WriteShortString(u"Form1");
        w.WriteListEnd();
        for (int i = 1; i <= bands; ++i) {
            lastRecord = w.Position();
            w.WriteShortString(u"TjxTestBand");
            w.WriteShortString(u"jxBand"_s + QString::number(i));
            if (i == bands && innermost)
                innermost(w);
            w.WriteListEnd();
        }
        for (int i = 0; i <= bands; ++i)
            w.WriteListEnd();
    }
};

// The same chain in text form, written by hand so that it can go deeper than
// any converter would write.
QByteArray DeepText(int bands, const QByteArray& innermost = {})
{
    QByteArray text = "object Form1: TTestForm\r\n";
    for (int i = 1; i <= bands; ++i)
        text += "object jxBand" + QByteArray::number(i) + ": TjxTestBand\r\n";
    text += innermost;
    for (int i = 0; i <= bands; ++i)
        text += "end\r\n";
    return text;
}

QString Nesting()
{
    return QStringLiteral("Nesting too deep: more than %1 levels").arg(kMaxStreamNesting);
}

} // namespace

TEST(StreamLimits, OneNestingLimitForWriterLoaderAndConverters)
{
    // The form and 255 bands: every part takes it, and the forms agree.
    const int deepest = kMaxStreamNesting - 1;
    const DeepStream ok(deepest);
    EXPECT_EQ(ToBinary(ToText(ok.binary)), ok.binary);
    EXPECT_EQ(ToBinary(DeepText(deepest)), ok.binary);
    int components = 0;
    EXPECT_EQ(Load(ok.binary, nullptr, &components), QString());
    EXPECT_EQ(components, deepest);
    {
        TTestForm form;
        form.SetName(u"Form1"_s);
        // Each band writes its (empty) collection one level below itself.
        TjxRelative* parent = nullptr;
        for (int i = 1; i <= deepest; ++i) {
            auto* band = new TjxTestBand(&form);
            band->SetName(u"jxBand"_s + QString::number(i));
            band->SetParent(parent);
            parent = band;
            if (i == deepest - 1) {
                int read = 0;
                EXPECT_EQ(Load(WriteComponentToBytes(&form, &form), nullptr, &read), QString());
                EXPECT_EQ(read, deepest - 1);
            }
        }
        // One more level is a tree no reader would take back: not written.
        EXPECT_EQ(ErrorOf([&] { WriteComponentToBytes(&form, &form); }), Nesting());
    }

    // One more record: each part refuses, and says why and where.
    const DeepStream tooDeep(deepest + 1);
    const QString where = u" at byte "_s + QString::number(tooDeep.lastRecord);
    for (const QString& error : {ErrorOf([&] { ToText(tooDeep.binary); }), Load(tooDeep.binary)}) {
        EXPECT_TRUE(error.startsWith(Nesting() + u" in Form1.jxBand1.jxBand2."_s)) << error.toStdString();
        EXPECT_TRUE(error.endsWith(u".jxBand255"_s + where)) << error.toStdString();
        EXPECT_TRUE(error.contains(u"..."_s)) << "a path of 256 names is cut";
    }
    EXPECT_EQ(ErrorOf([&] { ToBinary(DeepText(deepest + 1)); }),
              Nesting() + u" on line "_s + QString::number(kMaxStreamNesting + 1));

    // Collections and the lists of defined properties count as levels too,
    // the same way in each part: at the deepest record neither fits.
    struct Entry {
        std::function<void(TBinaryValueWriter&)> write;
        QByteArray text;
    } entries[] = {
        {[](TBinaryValueWriter& w) {
             w.WriteShortString(u"Items");
             w.WriteValueType(svCollection);
             w.WriteValueType(svList);
             w.WriteListEnd();
             w.WriteListEnd();
         },
         "Items = <item end>\r\n"},
        {[](TBinaryValueWriter& w) {
             w.WriteShortString(u"Lines.Strings");
             w.WriteValueType(svList);
             w.WriteString(u"x");
             w.WriteListEnd();
         },
         "Lines.Strings = ('x')\r\n"},
    };
    for (const Entry& entry : entries) {
        const DeepStream fits(deepest - 1, entry.write);
        EXPECT_EQ(Load(fits.binary), QString()) << entry.text.constData();
        EXPECT_EQ(ToBinary(ToText(fits.binary)), fits.binary);
        EXPECT_EQ(ToBinary(DeepText(deepest - 1, entry.text)), fits.binary);
        const DeepStream over(deepest, entry.write);
        EXPECT_TRUE(ErrorOf([&] { ToText(over.binary); }).contains(Nesting())) << entry.text.constData();
        EXPECT_TRUE(Load(over.binary).contains(Nesting())) << entry.text.constData();
        EXPECT_EQ(ErrorOf([&] { ToBinary(DeepText(deepest, entry.text)); }),
                  Nesting() + u" on line "_s + QString::number(kMaxStreamNesting + 1));
    }
}

TEST(StreamLimits, SpecialFloatsAreNoStreamValues)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    // A finite 80-bit value beyond the double range is no better.
    const uint8_t beyondDouble[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x43};
    struct Case {
        const char* what;
        std::function<void(TBinaryValueWriter&)> value;
        const char* property;
    } cases[] = {
        {"NaN", [&](TBinaryValueWriter& w) { w.WriteValueType(svExtended); uint8_t b[10]; EncodeExtended(nan, b); w.WriteBytes(QByteArrayView(b, 10)); }, "Ratio"},
        {"+inf", [&](TBinaryValueWriter& w) { w.WriteValueType(svExtended); uint8_t b[10]; EncodeExtended(inf, b); w.WriteBytes(QByteArrayView(b, 10)); }, "Ratio"},
        {"-inf", [&](TBinaryValueWriter& w) { w.WriteValueType(svExtended); uint8_t b[10]; EncodeExtended(-inf, b); w.WriteBytes(QByteArrayView(b, 10)); }, "Ratio"},
        {"1e4933", [&](TBinaryValueWriter& w) { w.WriteValueType(svExtended); w.WriteBytes(QByteArrayView(beyondDouble, 10)); }, "Ratio"},
        {"single NaN", [](TBinaryValueWriter& w) { w.WriteValueType(svSingle); w.WriteBytes(QByteArray("\x00\x00\xc0\x7f", 4)); }, "Value"},
        {"date inf", [](TBinaryValueWriter& w) { w.WriteValueType(svDate); w.WriteBytes(QByteArray("\0\0\0\0\0\0\xf0\x7f", 8)); }, "Value"},
    };
    for (const Case& c : cases) {
        const DeepStream stream(1, [&](TBinaryValueWriter& w) {
            w.WriteShortString(QString::fromLatin1(c.property));
            c.value(w);
            w.WriteShortString(u"Count");
            w.WriteInteger(9);
        });
        const QString expected = u"Error reading jxBand1."_s + QString::fromLatin1(c.property) + u": Invalid property value"_s;
        EXPECT_EQ(ErrorOf([&] { ToText(stream.binary); }), expected) << c.what;
        EXPECT_EQ(Load(stream.binary), expected) << c.what;
        // As any bad value, it is offered to the hook and skipped.
        QStringList offered;
        EXPECT_EQ(Load(stream.binary, &offered), QString()) << c.what;
        EXPECT_EQ(offered, QStringList{expected}) << c.what;
    }

    // The text form has no way to write them either.
    for (const char* value : {"1e400", "-1.5E+309", "1e39s", "1e309d"})
        EXPECT_EQ(ErrorOf([&] { ToBinary("object T\r\n  P = " + QByteArray(value) + "\r\nend"); }),
                  u"Invalid property value on line 2"_s)
            << value;
    // Underflow is an ordinary zero.
    EXPECT_NO_THROW(ToBinary("object T\r\n  P = 1e-400\r\nend"));

    // And nothing writes a stream that would then not load.
    TTestForm form;
    auto* band = new TjxTestBand(&form);
    band->SetName(u"jxBand1"_s);
    for (double value : {nan, inf, -inf}) {
        band->SetRatio(value);
        EXPECT_EQ(ErrorOf([&] { WriteComponentToBytes(&form, &form); }), u"Stream write error"_s) << value;
    }
    band->SetRatio(std::numeric_limits<double>::max());
    EXPECT_EQ(Load(WriteComponentToBytes(&form, &form)), QString());
}

TEST(StreamLimits, BrokenStructuresSayWhere)
{
    const DeepStream stream(2, [](TBinaryValueWriter& w) {
        w.WriteShortString(u"Caption");
        w.WriteString(u"abc");
    });
    // Cut right after the caption: the band's entries never end.
    const qsizetype afterCaption = stream.lastRecord + 1 + 11 + 1 + 7 + 1 + 7 + 1 + 1 + 3;
    ASSERT_EQ(stream.binary.at(afterCaption), '\0');
    const QByteArray cut = stream.binary.left(afterCaption);
    const QString expected = u"Stream read error in Form1.jxBand1.jxBand2 at byte "_s + QString::number(afterCaption);
    EXPECT_EQ(Load(cut), expected);
    EXPECT_EQ(ErrorOf([&] { ToText(cut); }), expected);
    // Cut inside the caption: the entry names the place.
    EXPECT_EQ(Load(stream.binary.left(afterCaption - 1)), u"Error reading jxBand2.Caption: Stream read error"_s);

    // A record whose list of children holds a byte that starts no record.
    QByteArray stray = stream.binary;
    stray.insert(afterCaption + 1, '\x07');
    const QString strayError = Load(stray);
    EXPECT_TRUE(strayError.startsWith(u"Stream read error in Form1.jxBand1.jxBand2"_s)) << strayError.toStdString();

    // The same bytes before any record: only the offset.
    EXPECT_EQ(Load(QByteArray("TPF0\x09TTestForm")), u"Stream read error at byte 14"_s);
}

TEST(StreamLimits, NamesFromCorruptStreamsReachMessagesEscaped)
{
    // An escape sequence in a class name, a bell in a component name, a
    // right-to-left override in a property name: none reaches the message raw.
    const auto record = [](const QByteArray& className, const QByteArray& name, const QByteArray& property) {
        QByteArray binary;
        TBinaryValueWriter w(binary);
        w.WriteSignature();
        w.WriteShortString(u"TTestForm");
        w.WriteShortString(u"Form1");
        w.WriteListEnd();
        w.WriteShortStringBytes(className);
        w.WriteShortStringBytes(name);
        if (!property.isEmpty()) {
            w.WriteShortStringBytes(property);
            w.WriteInteger(1);
        }
        w.WriteListEnd();
        w.WriteListEnd();
        w.WriteListEnd();
        return binary;
    };
    EXPECT_EQ(Load(record("Tjx\x1b[2JBand", "jxBand1", {})), u"Class Tjx#27[2JBand not found"_s);
    EXPECT_EQ(Load(record("TjxTestBand", "jx\x07" "Band", {})), u"'jx#7Band' is not a valid component name"_s);
    const QString property = Load(record("TjxTestBand", "jxBand1", "Count\x9b"));
    EXPECT_EQ(property, u"Error reading jxBand1.Count\u203a: Property Count\u203a does not exist"_s)
        << "byte 155 is a printable character of the code page";
    const QString control = Load(record("TjxTestBand", "jxBand1", "Count\x01\x7f"));
    EXPECT_EQ(control, u"Error reading jxBand1.Count#1#127: Property Count#1#127 does not exist"_s);

    // The text form cannot hold such names at all: the converter says so
    // instead of writing text that would not parse back.
    EXPECT_EQ(ErrorOf([&] { ToText(record("Tjx\x1b[2JBand", "jxBand1", {})); }),
              u"Identifier expected in Form1 at byte 21"_s);
    EXPECT_EQ(ErrorOf([&] { ToText(record("TjxTestBand", "jxBand1", "Count\x01\x7f")); }),
              u"Error reading jxBand1.Count#1#127: Identifier expected"_s);
    EXPECT_EQ(ErrorOf([&] { ToText(record("TjxTestBand", "jxBand1", "End")); }),
              u"Error reading jxBand1.End: Identifier expected"_s);
    const QByteArray fine = record("TjxTestBand", "jxBand1", "Font.Size");
    EXPECT_EQ(ToBinary(ToText(fine)), fine);

    // A name of 239 control bytes (the longest that is no prefix byte) is
    // cut, not printed as seven hundred characters.
    const QString longName = Load(record(QByteArray(239, '\x1b'), "x", {}));
    EXPECT_LE(longName.size(), 300);
    EXPECT_TRUE(longName.startsWith(u"Class #27#27"_s)) << longName.toStdString();
    EXPECT_TRUE(longName.contains(u"#27...#27"_s)) << longName.toStdString();
    for (QChar c : longName)
        EXPECT_TRUE(c.isPrint()) << longName.toStdString();
}

TEST(StreamLimits, StoredLengthsStayWithinTenMetres)
{
    const auto report = [](const QByteArray& entries) {
        return ToBinary("object rpt: TjxReport\r\n  Version = '9.01'\r\n" + entries + "end\r\n");
    };
    const auto load = [](const QByteArray& binary, TComponent& host) {
        TReader reader(binary);
        reader.SetOwner(&host);
        reader.SetRoot(&host);
        return ErrorOf([&] { reader.ReadComponent(nullptr); });
    };
    for (const char* value : {"10000000", "-10000000", "9999999.9"}) {
        TComponent host;
        EXPECT_EQ(load(report("  PrinterSetup.mmPaperHeight = " + QByteArray(value) + "\r\n"), host), QString())
            << value;
    }
    for (const char* value : {"10000001", "-10000001", "2147483647", "$7FFFFFFFFFFF", "1.0E+10"}) {
        TComponent host;
        EXPECT_EQ(load(report("  PrinterSetup.mmPaperHeight = " + QByteArray(value) + "\r\n"), host),
                  u"Error reading rpt.PrinterSetup.mmPaperHeight: Length out of range: more than 10 m"_s)
            << value;
        EXPECT_EQ(host.ComponentCount(), 0) << "nothing half read stays";
    }
    // Bands and groups store their lengths the same way.
    TComponent host;
    EXPECT_EQ(load(report("  object jxDetailBand1: TjxDetailBand\r\n    mmHeight = 20000000\r\n  end\r\n"), host),
              u"Error reading jxDetailBand1.mmHeight: Length out of range: more than 10 m"_s);
}
