// Writing and reading component trees through the binary and text forms.

#include "test_classes.h"

#include "document/errors.h"
#include "document/stream_reader.h"
#include "document/stream_text.h"
#include "document/stream_writer.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

QByteArray Hex(const char* hex) { return QByteArray::fromHex(hex); }

// A form holding a band with a label child, every property kind set.
struct Tree {
    TTestForm form;
    TjxTestBand* band;
    TjxTestLabel* label;

    Tree()
    {
        form.SetName(QStringLiteral("Form1"));
        band = new TjxTestBand(&form);
        band->SetName(QStringLiteral("jxBand1"));
        band->SetCaption(QStringLiteral("Caf\u00e9 total"));
        band->SetCount(32768);
        band->SetBig(int64_t(1) << 31);
        band->SetRatio(0.75);
        band->SetVisible(false);
        band->SetKind(tkdBoxed);
        band->SetOptions((1u << toFirst) | (1u << toThird));
        band->SetColor(clBtnFace);
        band->SetLetter(QChar(u'x'));
        band->Font()->SetName(QStringLiteral("Arial"));
        band->Font()->SetSize(12);
        band->Font()->SetStyle(1u << fsBold);
        band->Lines()->Add(QStringLiteral("first"));
        band->Lines()->Add(QString());
        band->Lines()->Add(QStringLiteral("\u20ac 5"));
        auto* item = static_cast<TTestItem*>(band->Items()->Add());
        item->SetTitle(QStringLiteral("one"));
        item = static_cast<TTestItem*>(band->Items()->Add());
        item->SetTitle(QStringLiteral("two"));
        item->SetWidth(25);
        band->SetValue(TVarValue::Double(2.5));
        band->SetBlob(QByteArray("\x01\x02\x03", 3));
        band->SetOnPrint(TMethod{&form, QStringLiteral("ButtonClick"), form.MethodAddress(u"ButtonClick")});
        label = new TjxTestLabel(&form);
        label->SetName(QStringLiteral("jxLabel1"));
        label->SetCaption(QStringLiteral("It's"));
        label->SetParent(band);
        band->SetTarget(label);
    }
};

QByteArray WriteBand(Tree& t) { return WriteComponentToBytes(t.band, &t.form); }

} // namespace

TEST(ComponentStream, WritesPropertiesInListOrderWithTheirEncodings)
{
    TTestForm form;
    auto* band = new TjxTestBand(&form);
    band->SetName(QStringLiteral("jxBand1"));
    band->SetCount(127);
    QByteArray bytes = WriteComponentToBytes(band, &form);
    // Signature, class, name, "Count" 127 as code 2; the font's Charset, Color,
    // Name and Size and Style have no default and are always there.
    EXPECT_TRUE(bytes.startsWith(Hex("54504630") + "\x0bTjxTestBand\x07jxBand1"));
    EXPECT_TRUE(bytes.contains(QByteArray("\x05" "Count" "\x02\x7f", 8)));
    EXPECT_TRUE(bytes.contains(QByteArray("\x0c" "Font.Charset" "\x07\x0f" "DEFAULT_CHARSET")));
    EXPECT_TRUE(bytes.contains(QByteArray("\x0a" "Font.Style" "\x0b\x00", 13)));
    // Defaults and empty values are absent: Visible true, Kind plain, Ratio 0,
    // empty Caption, empty Lines, empty OnPrint, unassigned Value, Height never.
    for (const char* absent : {"Visible", "Kind", "Ratio", "Caption", "Lines", "OnPrint", "Value", "Font.Height",
                               "ReadOnlyValue", "Tag", "Blob"})
        EXPECT_FALSE(bytes.contains(absent)) << absent;

    band->SetCount(128);
    EXPECT_TRUE(WriteComponentToBytes(band, &form).contains(QByteArray("\x05" "Count" "\x03\x80\x00", 9)));
    band->SetCount(32768);
    EXPECT_TRUE(WriteComponentToBytes(band, &form).contains(QByteArray("\x05" "Count" "\x04\x00\x80\x00\x00", 11)));
    band->SetBig(int64_t(1) << 31);
    EXPECT_TRUE(WriteComponentToBytes(band, &form).contains(QByteArray("\x03" "Big" "\x13\x00\x00\x00\x80\x00\x00\x00\x00", 13)));
    band->SetRatio(0.75);
    EXPECT_TRUE(WriteComponentToBytes(band, &form).contains(Hex("05526174696f0500000000000000c0fe3f")));
    band->SetVisible(false);
    band->SetColor(0x00C0C0C1);
    bytes = WriteComponentToBytes(band, &form);
    EXPECT_TRUE(bytes.contains(QByteArray("\x07" "Visible" "\x08")));
    EXPECT_TRUE(bytes.contains(QByteArray("\x05" "Color" "\x04\xc1\xc0\xc0\x00", 11)));
}

// The record from its first entry on, byte for byte: booleans and
// enumerations as codes and names, a set's members, a colour's identifier, a
// character, a sub-object's entries under its path, string-list lines, a
// collection's items, a reference, a handler, a variant, binary data, then the
// child's record and the list ends.
TEST(ComponentStream, RecordIsExactByteForByte)
{
    Tree t;
    const QByteArray bytes = WriteBand(t);

    QByteArray expected = Hex("54504630") + "\x0b" "TjxTestBand" "\x07" "jxBand1";
    expected += QByteArray("\x08" "UserName" "\x06\x05" "Band1");
    expected += QByteArray("\x08" "Position" "\x02\xff");
    expected += QByteArray("\x07" "Caption" "\x14\x0b\x00\x00\x00" "Caf\xc3\xa9 total", 24);
    expected += QByteArray("\x05" "Count" "\x04\x00\x80\x00\x00", 11);
    expected += QByteArray("\x03" "Big" "\x13\x00\x00\x00\x80\x00\x00\x00\x00", 13);
    expected += Hex("05526174696f0500000000000000c0fe3f");
    expected += QByteArray("\x07" "Visible" "\x08");
    expected += QByteArray("\x04" "Kind" "\x07\x08" "tkdBoxed");
    expected += QByteArray("\x07" "Options" "\x0b\x07" "toFirst" "\x07" "toThird") + Hex("00");
    expected += QByteArray("\x05" "Color" "\x07\x09" "clBtnFace");
    expected += QByteArray("\x06" "Letter" "\x06\x01" "x");
    expected += QByteArray("\x0c" "Font.Charset" "\x07\x0f" "DEFAULT_CHARSET");
    expected += QByteArray("\x0a" "Font.Color" "\x07\x0c" "clWindowText");
    expected += QByteArray("\x09" "Font.Name" "\x06\x05" "Arial");
    expected += QByteArray("\x09" "Font.Size" "\x02\x0c");
    expected += QByteArray("\x0a" "Font.Style" "\x0b\x06" "fsBold") + Hex("00");
    expected += QByteArray("\x0d" "Lines.Strings" "\x01\x06\x05" "first") + Hex("0600") + Hex("1405000000e282ac2035") +
                Hex("00");
    expected += QByteArray("\x05" "Items" "\x0e\x01\x05" "Title" "\x06\x03" "one") + Hex("00");
    expected += QByteArray("\x01\x05" "Title" "\x06\x03" "two" "\x05" "Width" "\x02\x19") + Hex("0000");
    expected += QByteArray("\x06" "Target" "\x07\x08" "jxLabel1");
    expected += QByteArray("\x07" "OnPrint" "\x07\x0b" "ButtonClick");
    expected += QByteArray("\x05" "Value") + Hex("0500000000000000a00040");
    expected += QByteArray("\x04" "Blob") + Hex("0a03000000010203") + Hex("00");
    expected += QByteArray("\x0c" "TjxTestLabel" "\x08" "jxLabel1" "\x08" "UserName" "\x06\x06" "Label1");
    expected += QByteArray("\x07" "Caption" "\x06\x04" "It's") + Hex("0000");
    expected += Hex("00");
    EXPECT_EQ(bytes.toHex(' ').toStdString(), expected.toHex(' ').toStdString());
}

TEST(ComponentStream, RoundTripKeepsEveryValueAndTheTree)
{
    Tree t;
    const QByteArray bytes = WriteBand(t);

    TTestForm form2;
    form2.SetName(QStringLiteral("Form1"));
    TReader reader(bytes);
    reader.SetOwner(&form2);
    reader.SetRoot(&form2);
    auto* band = dynamic_cast<TjxTestBand*>(reader.ReadComponent(nullptr));
    ASSERT_NE(band, nullptr);
    EXPECT_EQ(band->Owner(), &form2);
    EXPECT_EQ(band->Name(), u"jxBand1");
    EXPECT_EQ(band->UserName(), u"Band1");
    EXPECT_EQ(band->Caption(), u"Caf\u00e9 total");
    EXPECT_EQ(band->Count(), 32768);
    EXPECT_EQ(band->Big(), int64_t(1) << 31);
    EXPECT_EQ(band->Ratio(), 0.75);
    EXPECT_FALSE(band->Visible());
    EXPECT_EQ(band->Kind(), tkdBoxed);
    EXPECT_EQ(band->Options(), (1u << toFirst) | (1u << toThird));
    EXPECT_EQ(band->Color(), clBtnFace);
    EXPECT_EQ(band->Letter(), QChar(u'x'));
    EXPECT_TRUE(*band->Font() == *t.band->Font());
    EXPECT_EQ(band->Lines()->Lines(), t.band->Lines()->Lines());
    ASSERT_EQ(band->Items()->Count(), 2);
    EXPECT_EQ(static_cast<TTestItem*>(band->Items()->Items(1))->Title(), u"two");
    EXPECT_EQ(static_cast<TTestItem*>(band->Items()->Items(1))->Width(), 25);
    EXPECT_EQ(band->Value(), TVarValue::Double(2.5));
    EXPECT_EQ(band->Blob(), QByteArray("\x01\x02\x03", 3));
    EXPECT_EQ(band->OnPrint().name, u"ButtonClick");
    TjxEventParams none;
    band->OnPrint()(band, none);
    EXPECT_EQ(form2.clicks, 1);
    ASSERT_EQ(band->ChildCount(), 1);
    auto* label = dynamic_cast<TjxTestLabel*>(band->Child(0));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->Owner(), &form2);
    EXPECT_EQ(label->Caption(), u"It's");
    // The reference to a child read later in the same stream is resolved.
    EXPECT_EQ(band->Target(), label);
    EXPECT_FALSE(band->HasState(csLoading | csReading));
    EXPECT_FALSE(label->HasState(csLoading | csReading));

    // Written again, the copy gives the same bytes.
    EXPECT_EQ(WriteComponentToBytes(band, &form2), bytes);
}

TEST(ComponentStream, TextFormIsExactInBothDirections)
{
    Tree t;
    const QByteArray bytes = WriteBand(t);
    QByteArray text;
    ObjectBinaryToText(bytes, text);
    EXPECT_TRUE(text.startsWith("object jxBand1: TjxTestBand\r\n  UserName = 'Band1'\r\n"));
    EXPECT_TRUE(text.contains("  Color = clBtnFace\r\n"));
    EXPECT_TRUE(text.contains("  Options = [toFirst, toThird]\r\n"));
    EXPECT_TRUE(text.contains("  Ratio = 0.750000000000000000\r\n"));
    EXPECT_TRUE(text.contains("  Font.Style = [fsBold]\r\n"));
    EXPECT_TRUE(text.contains("  OnPrint = ButtonClick\r\n"));
    EXPECT_TRUE(text.contains("  Target = jxLabel1\r\n"));
    EXPECT_TRUE(text.contains("    Caption = 'It'#39's'\r\n"));
    EXPECT_TRUE(text.contains("  Items = <\r\n    item\r\n      Title = 'one'\r\n    end\r\n"));
    EXPECT_TRUE(text.contains("  Blob = {010203}\r\n"));
    EXPECT_TRUE(text.endsWith("  end\r\nend\r\n"));
    QByteArray back;
    ObjectTextToBinary(text, back);
    EXPECT_EQ(back, bytes);
}

TEST(ComponentStream, ReferencesAreRelativeToTheLookupRoot)
{
    TTestForm form;
    form.SetName(QStringLiteral("Form1"));
    auto* band = new TjxTestBand(&form);
    band->SetName(QStringLiteral("jxBand1"));
    QByteArray out;
    TWriter w(out);
    w.SetLookupRoot(&form);
    EXPECT_EQ(w.ReferenceText(&form), u"Owner");
    EXPECT_EQ(w.ReferenceText(band), u"jxBand1");
    TComponent nested(band);
    nested.SetName(QStringLiteral("Inner"));
    EXPECT_EQ(w.ReferenceText(&nested), u"jxBand1.Inner");
    TTestForm other;
    other.SetName(QStringLiteral("Form2"));
    auto* foreign = new TjxTestLabel(&other);
    foreign->SetName(QStringLiteral("jxLabel9"));
    EXPECT_EQ(w.ReferenceText(foreign), u"Form2.jxLabel9");
    TjxTestLabel orphan;
    orphan.SetName(QStringLiteral("Lonely"));
    EXPECT_EQ(w.ReferenceText(&orphan), u"Lonely.Owner");
    TjxTestLabel unnamed(&form);
    EXPECT_TRUE(w.ReferenceText(&unnamed).isEmpty());

    // A reference to a component of another root waits until that root exists.
    band->SetTarget(foreign);
    const QByteArray bytes = WriteComponentToBytes(band, &form);
    TTestForm form3;
    auto* copy = static_cast<TjxTestBand*>(ReadComponentFromBytes(bytes, nullptr, &form3));
    EXPECT_EQ(copy->Target(), nullptr);
    TTestForm later;
    auto* target = new TjxTestLabel(&later);
    target->SetName(QStringLiteral("jxLabel9"));
    later.SetName(QStringLiteral("Form2"));  // a root of that name appears
    EXPECT_EQ(copy->Target(), target);
}

TEST(ComponentStream, ErrorHookSkipsUnknownPropertiesAndClasses)
{
    // jxLabel1 with an unknown property between two known ones, then a band
    // of an unregistered class with a child, then a known band.
    const QByteArray text =
        "object Form1: TTestForm\r\n"
        "  object jxLabel1: TjxTestLabel\r\n"
        "    Tag = 3\r\n"
        "    Foo = (1 2 'x')\r\n"
        "    Caption = 'kept'\r\n"
        "  end\r\n"
        "  object jxOdd1: TjxNoSuchBand\r\n"
        "    Caption = 'lost'\r\n"
        "    object jxLabel5: TjxTestLabel\r\n"
        "    end\r\n"
        "  end\r\n"
        "  object jxBand2: TjxTestBand\r\n"
        "    Count = 4\r\n"
        "  end\r\n"
        "end\r\n";
    QByteArray bytes;
    ObjectTextToBinary(text, bytes);

    {
        TTestForm form;
        TReader reader(bytes);
        EXPECT_THROW(reader.ReadRootComponent(&form), EReadError);
        // The objects being read when the error passed were destroyed.
        EXPECT_EQ(form.ComponentCount(), 0);
    }
    {
        TTestForm form;
        TReader reader(bytes);
        try {
            reader.ReadRootComponent(&form);
            FAIL();
        } catch (const EReadError& e) {
            EXPECT_EQ(e.Message(), u"Error reading jxLabel1.Foo: Property Foo does not exist");
        }
    }
    TTestForm form;
    QStringList messages;
    TReader reader(bytes);
    reader.OnError = [&](const QString& m) {
        messages << m;
        return true;
    };
    reader.ReadRootComponent(&form);
    EXPECT_EQ(form.Name(), u"Form1");
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0], u"Error reading jxLabel1.Foo: Property Foo does not exist");
    EXPECT_EQ(messages[1], u"Class TjxNoSuchBand not found");
    auto* label = dynamic_cast<TjxTestLabel*>(form.FindComponent(u"jxLabel1"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->Tag(), 3);
    EXPECT_EQ(label->Caption(), u"kept");
    EXPECT_EQ(form.FindComponent(u"jxLabel5"), nullptr);
    auto* band = dynamic_cast<TjxTestBand*>(form.FindComponent(u"jxBand2"));
    ASSERT_NE(band, nullptr);
    EXPECT_EQ(band->Count(), 4);
    EXPECT_EQ(form.ComponentCount(), 2);
}

TEST(ComponentStream, BadValuesAreReportedAndSkipped)
{
    struct Case {
        const char* entry;
        const char* message;
    } cases[] = {
        {"Kind = tkdNope", "Error reading jxBand1.Kind: Invalid property value"},
        {"Options = [toFirst, toNope]", "Error reading jxBand1.Options: Invalid property value"},
        {"Color = clNoSuchColour", "Error reading jxBand1.Color: Invalid property value"},
        {"Count = 'text'", "Error reading jxBand1.Count: Invalid property value"},
        {"Letter = 'ab'", "Error reading jxBand1.Letter: Invalid property value"},
        {"ReadOnlyValue = 3", "Error reading jxBand1.ReadOnlyValue: Property is read-only"},
        {"Caption.Name = 'x'", "Error reading jxBand1.Caption.Name: Invalid property path"},
        {"OnPrint = NoSuchMethod", "Error reading jxBand1.OnPrint: Invalid property value"},
        {"Ratio = True", "Error reading jxBand1.Ratio: Invalid property value"},
    };
    for (const Case& c : cases) {
        const QByteArray text = QByteArray("object Form1: TTestForm\r\n  object jxBand1: TjxTestBand\r\n    ") + c.entry +
                                "\r\n    Count = 9\r\n  end\r\nend\r\n";
        QByteArray bytes;
        ObjectTextToBinary(text, bytes);
        TTestForm form;
        QStringList messages;
        TReader reader(bytes);
        reader.OnError = [&](const QString& m) {
            messages << m;
            return true;
        };
        reader.ReadRootComponent(&form);
        ASSERT_EQ(messages.size(), 1) << c.entry;
        EXPECT_EQ(messages[0], QString::fromUtf8(c.message));
        auto* band = dynamic_cast<TjxTestBand*>(form.FindComponent(u"jxBand1"));
        ASSERT_NE(band, nullptr);
        EXPECT_EQ(band->Count(), 9) << "the entry after the bad one is still read: " << c.entry;
    }
}

TEST(ComponentStream, BrokenStreamsFailWithTheReaderMessages)
{
    TTestForm form;
    try {
        ReadComponentFromBytes(QByteArray("TPF1xxxx"), nullptr, &form);
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), u"Invalid stream format");
    }
    Tree t;
    const QByteArray bytes = WriteBand(t);
    for (int cut : {4, 10, 40, int(bytes.size()) / 2, int(bytes.size()) - 1}) {
        TTestForm f;
        QStringList handled;
        TReader reader(bytes.left(cut));
        reader.OnError = [&](const QString& m) {
            handled << m;
            return true;
        };
        reader.SetOwner(&f);
        EXPECT_THROW(reader.ReadComponent(nullptr), EReadError) << cut << handled.join(u'|').toStdString();
        // A stream cut short is not something the hook can excuse.
        EXPECT_TRUE(handled.isEmpty() || !handled.last().contains(u"Stream read error")) << cut;
        EXPECT_EQ(f.ComponentCount(), 0) << cut;
    }

    // A name that the owner already uses.
    TTestForm f;
    auto* existing = new TjxTestLabel(&f);
    existing->SetName(QStringLiteral("jxBand1"));
    try {
        ReadComponentFromBytes(bytes, nullptr, &f);
        FAIL();
    } catch (const EOrvaneError& e) {
        EXPECT_EQ(e.Message(), u"A component named jxBand1 already exists");
    }
    EXPECT_EQ(f.ComponentCount(), 1);
}

TEST(ComponentStream, CallerObjectsKeepWhatWasAppliedBeforeAFailure)
{
    const QByteArray text =
        "object jxBand1: TjxTestBand\r\n"
        "  Caption = 'applied'\r\n"
        "  Kind = tkdWrong\r\n"
        "  Count = 5\r\n"
        "end\r\n";
    QByteArray bytes;
    ObjectTextToBinary(text, bytes);
    TTestForm form;
    auto* band = new TjxTestBand(&form);
    EXPECT_THROW(ReadComponentFromBytes(bytes, band, &form), EReadError);
    EXPECT_EQ(band->Caption(), u"applied");
    EXPECT_EQ(band->Count(), 0);
    EXPECT_FALSE(band->HasState(csLoading | csReading));
}

TEST(ComponentStream, LoadedComesChildrenFirstAfterReferences)
{
    const QByteArray text =
        "object Form1: TTestForm\r\n"
        "  object jxBand1: TjxTestBand\r\n"
        "    object jxBand2: TjxTestBand\r\n"
        "      Target = jxBand3\r\n"
        "    end\r\n"
        "  end\r\n"
        "  object jxBand3: TjxTestBand\r\n"
        "  end\r\n"
        "end\r\n";
    QByteArray bytes;
    ObjectTextToBinary(text, bytes);
    std::vector<QString> log;
    TTestForm form;
    TReader reader(bytes);
    reader.OnSetName = [&](TComponent* c, QString&) {
        if (auto* b = dynamic_cast<TjxTestBand*>(c))
            b->loadedLog = &log;
    };
    reader.ReadRootComponent(&form);
    EXPECT_EQ(log, (std::vector<QString>{"jxBand2", "jxBand1", "jxBand3"}));
    auto* b2 = static_cast<TjxTestBand*>(form.FindComponent(u"jxBand2"));
    EXPECT_EQ(b2->Target(), form.FindComponent(u"jxBand3"));
    // The naming and reference hooks may rename.
    TTestForm form2;
    new TjxTestBand(&form2);
    form2.Components(0)->SetName(QStringLiteral("jxBand3"));
    TReader renaming(bytes);
    renaming.OnSetName = [](TComponent*, QString& name) {
        if (name == u"jxBand3")
            name = QStringLiteral("jxBand4");
    };
    renaming.OnReferenceName = [](QString& name) {
        if (name == u"jxBand3")
            name = QStringLiteral("jxBand4");
    };
    renaming.ReadRootComponent(&form2);
    EXPECT_EQ(static_cast<TjxTestBand*>(form2.FindComponent(u"jxBand2"))->Target(), form2.FindComponent(u"jxBand4"));
}

TEST(ComponentStream, OrderedChildrenEndAtTheirStoredPositions)
{
    const QByteArray text =
        "object jxBand1: TjxTestBand\r\n"
        "  object jxBand2: TjxTestBand\r\n"
        "    Position = 2\r\n"
        "  end\r\n"
        "  object jxBand3: TjxTestBand\r\n"
        "    Position = 0\r\n"
        "  end\r\n"
        "  object jxBand4: TjxTestBand\r\n"
        "    Position = 1\r\n"
        "  end\r\n"
        "end\r\n";
    QByteArray bytes;
    ObjectTextToBinary(text, bytes);
    for (bool ordered : {false, true}) {
        TTestForm form;
        auto* root = new TjxTestBand(&form);
        root->SetOrderedChildren(ordered);
        ReadComponentFromBytes(bytes, root, &form);
        ASSERT_EQ(root->ChildCount(), 3);
        QStringList names;
        for (int i = 0; i < 3; ++i)
            names << root->Child(i)->Name();
        EXPECT_EQ(names, ordered ? QStringList({"jxBand3", "jxBand4", "jxBand2"})
                                 : QStringList({"jxBand2", "jxBand3", "jxBand4"}));
    }
}

TEST(ComponentStream, ReadComponentsReadsRecordsUntilTheEndByte)
{
    Tree t;
    QByteArray bytes = WriteBand(t);
    TTestForm source;
    auto* lone = new TjxTestLabel(&source);
    lone->SetName(QStringLiteral("jxLabel7"));
    bytes += WriteComponentToBytes(lone, &source);
    bytes += '\0';

    TTestForm form;
    std::vector<TComponent*> read;
    TReader reader(bytes);
    reader.ReadComponents(&form, nullptr, [&](TComponent* c) { read.push_back(c); });
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0]->Name(), u"jxBand1");
    EXPECT_EQ(read[1]->Name(), u"jxLabel7");
    EXPECT_EQ(form.ComponentCount(), 3);  // the band's label child too
}

TEST(ComponentStream, PrefixFlagsPlaceChildrenAndAdjustExistingComponents)
{
    // The text form carries the flags: a child with a position, an inherited record.
    const QByteArray text =
        "object jxBand1: TjxTestBand\r\n"
        "  object jxBand2: TjxTestBand\r\n"
        "  end\r\n"
        "  object jxBand3: TjxTestBand [0]\r\n"
        "  end\r\n"
        "  inherited jxLabel1: TjxTestLabel\r\n"
        "    Caption = 'adjusted'\r\n"
        "  end\r\n"
        "end\r\n";
    QByteArray bytes;
    ObjectTextToBinary(text, bytes);
    EXPECT_TRUE(bytes.contains(QByteArray("\xf2\x02\x00\x0bTjxTestBand", 15)));
    EXPECT_TRUE(bytes.contains(QByteArray("\xf1\x0cTjxTestLabel", 14)));

    TTestForm form;
    auto* existing = new TjxTestLabel(&form);
    existing->SetName(QStringLiteral("jxLabel1"));
    auto* root = new TjxTestBand(&form);
    ReadComponentFromBytes(bytes, root, &form);
    ASSERT_EQ(root->ChildCount(), 2);
    EXPECT_EQ(root->Child(0)->Name(), u"jxBand3");
    EXPECT_EQ(root->Child(1)->Name(), u"jxBand2");
    EXPECT_EQ(existing->Caption(), u"adjusted");

    // An inherited record whose component does not exist.
    TTestForm empty;
    auto* root2 = new TjxTestBand(&empty);
    try {
        ReadComponentFromBytes(bytes, root2, &empty);
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), u"Ancestor for 'jxLabel1' not found");
    }
    QByteArray back;
    ObjectBinaryToText(bytes, back);
    EXPECT_EQ(back, text);
}

TEST(ComponentStream, RootReadWithoutAnObjectCreatesIt)
{
    Tree t;
    const QByteArray bytes = WriteComponentToBytes(&t.form, &t.form);
    TReader reader(bytes);
    std::unique_ptr<TComponent> root(reader.ReadRootComponent(nullptr));
    auto* form = dynamic_cast<TTestForm*>(root.get());
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->Name(), u"Form1");
    auto* band = dynamic_cast<TjxTestBand*>(form->FindComponent(u"jxBand1"));
    ASSERT_NE(band, nullptr);
    EXPECT_EQ(band->Target(), form->FindComponent(u"jxLabel1"));
    EXPECT_EQ(WriteComponentToBytes(form, form), bytes);
}
