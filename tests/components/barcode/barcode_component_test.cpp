// The barcode components: defaults, setter rules and their messages, the type
// cascade, sizing to the symbol, streaming and the draw command they emit.

#include "components/barcode.h"
#include "document/component_registry.h"
#include "document/form.h"
#include "document/messages.h"
#include "document/stream_reader.h"
#include "document/stream_text.h"
#include "document/stream_writer.h"
#include "platform/text_measurer.h"

#include <gtest/gtest.h>

using namespace orvane;

namespace {

// Message boxes shown since the last call.
std::vector<QString> Boxes()
{
    std::vector<QString> texts;
    for (const TjxMessageBoxCall& call : RecordedMessageBoxes())
        texts.push_back(call.text);
    ClearRecordedMessageBoxes();
    return texts;
}

QByteArray Text(TComponent* c)
{
    QByteArray text;
    ObjectBinaryToText(WriteComponentToBytes(c), text);
    return text;
}

struct BarCodeTest : ::testing::Test {
    void SetUp() override { ClearRecordedMessageBoxes(); }
    TComponent host;
};

} // namespace

TEST_F(BarCodeTest, Defaults)
{
    auto* c = new TjxBarCode(&host);
    EXPECT_EQ(c->BarCodeType(), bcCode39);
    EXPECT_EQ(c->Data(), "Barcode");
    EXPECT_EQ(c->mmBarWidth(), 254);
    EXPECT_FLOAT_EQ(c->BarWidth(), 0.01f);
    EXPECT_EQ(c->WideBarRatio(), 3.0f);
    EXPECT_TRUE(c->CalcCheckDigit());
    EXPECT_TRUE(c->AutoSizeFont());
    EXPECT_FALSE(c->AutoEncode());
    EXPECT_TRUE(c->PrintHumanReadable());
    EXPECT_TRUE(c->AutoSize());
    EXPECT_EQ(c->Color(), TColor(16777215));
    EXPECT_EQ(c->Font()->Name(), "Courier New");
    EXPECT_EQ(c->mmWidth(), UnitsToThousandths(1.53f, utInches));
    EXPECT_EQ(c->mmHeight(), UnitsToThousandths(0.5083f, utInches));
    EXPECT_EQ((new TjxDBBarCode(&host))->CurrentData(), "DBBarCode");

    const TjxRegComponent* reg = RegisteredComponents().Find(u"TjxBarCode");
    ASSERT_NE(reg, nullptr);
    EXPECT_EQ(reg->paletteName, "Standard Components");
    EXPECT_EQ(reg->Hint(), "BarCode");
    reg = RegisteredComponents().Find(u"TjxDBBarCode");
    ASSERT_NE(reg, nullptr);
    EXPECT_EQ(reg->paletteName, "Data Components");
    EXPECT_EQ(reg->Hint(), "DBBarCode");
}

TEST_F(BarCodeTest, SettersRefuseWithTheirMessages)
{
    auto* c = new TjxBarCode(&host);
    c->SetAddOnCode(QStringLiteral("12"));
    EXPECT_EQ(c->AddOnCode(), "");
    EXPECT_EQ(Boxes(), std::vector<QString>{GetMessage(423)});
    c->SetBearerBars(true);
    EXPECT_FALSE(c->BearerBars());
    EXPECT_EQ(Boxes(), std::vector<QString>{GetMessage(429)});

    // BarWidth in the report's units (inches here).
    c->SetBarWidth(0.003);
    EXPECT_EQ(c->mmBarWidth(), 254);
    EXPECT_EQ(Boxes(), std::vector<QString>{"BarWidth must be at least 0.004"});
    c->SetBarWidth(0.11);
    EXPECT_EQ(Boxes(), std::vector<QString>{"BarWidth can be no more than 0.1"});
    // The limits themselves pass.
    c->SetBarWidth(0.004);
    EXPECT_EQ(c->mmBarWidth(), 102);
    c->SetBarWidth(0.1);
    EXPECT_EQ(c->mmBarWidth(), 2540);
    EXPECT_TRUE(Boxes().empty());

    c->SetWideBarRatio(0);
    c->SetWideBarRatio(-2);
    EXPECT_EQ(c->WideBarRatio(), 3.0f);
    c->SetWideBarRatio(2.5f);
    EXPECT_EQ(c->WideBarRatio(), 2.5f);

    c->SetBarCodeType(bcUPC_A);
    c->SetAddOnCode(QStringLiteral("123"));
    c->SetAddOnCode(QStringLiteral("1A"));
    EXPECT_EQ(Boxes(), (std::vector<QString>{GetMessage(424), GetMessage(424)}));
    c->SetAddOnCode(QStringLiteral("12345"));
    EXPECT_EQ(c->AddOnCode(), "12345");
    c->SetAutoSizeFont(false);
    EXPECT_TRUE(c->AutoSizeFont());
    EXPECT_EQ(Boxes(), std::vector<QString>{GetMessage(426)});

    c->SetBarCodeType(bcPostnet);
    c->SetAutoSize(false);
    EXPECT_TRUE(c->AutoSize());
    EXPECT_EQ(Boxes(), std::vector<QString>{GetMessage(425)});
    // AutoEncode is for Code 128 only, ignored silently elsewhere.
    c->SetAutoEncode(true);
    EXPECT_FALSE(c->AutoEncode());
    EXPECT_TRUE(Boxes().empty());

    // Data is checked again: invalid data gives the message and CodeOK false.
    c->SetBarCodeType(bcEAN_8);
    c->SetData(QStringLiteral("123"));
    EXPECT_FALSE(c->CodeOK());
    EXPECT_EQ(Boxes(), std::vector<QString>{GetMessage(645)});
    c->SetData(QStringLiteral("2012345"));
    EXPECT_TRUE(c->CodeOK());
    c->SetCalcCheckDigit(false);
    EXPECT_FALSE(c->CodeOK());
    EXPECT_EQ(Boxes(), std::vector<QString>{GetMessage(646)});

    // Code 128 is checked here, once, not while drawing.
    c->SetBarCodeType(bcCode128);
    c->SetAutoEncode(false);
    c->SetData(QStringLiteral("1234"));
    EXPECT_FALSE(c->CodeOK());
    EXPECT_EQ(Boxes(), std::vector<QString>{GetMessage(451)});
}

TEST_F(BarCodeTest, TypeCascadeAndTheSameTypeKeepingTheData)
{
    auto* c = new TjxBarCode(&host);
    c->SetData(QStringLiteral("MY DATA"));
    c->SetBarCodeType(bcCode39);
    EXPECT_EQ(c->Data(), "MY DATA");

    c->SetBarCodeType(bcPostnet);
    EXPECT_EQ(c->Data(), "012345678");
    EXPECT_FALSE(c->PrintHumanReadable());
    EXPECT_EQ(c->mmBarWidth(), 508);
    c->SetBarCodeType(bcCode128);
    EXPECT_TRUE(c->AutoEncode());
    EXPECT_EQ(c->mmBarWidth(), 254);
    EXPECT_TRUE(c->CodeOK());
    c->SetBarCodeType(bcFIM);
    EXPECT_EQ(c->Data(), "A");
    EXPECT_EQ(c->mmBarWidth(), 787);
    c->SetCalcCheckDigit(false);
    c->SetBarCodeType(bcUPC_E);
    EXPECT_EQ(c->Data(), "0123457");
    EXPECT_TRUE(c->CodeOK());
    EXPECT_TRUE(Boxes().empty());

    // The bar colour and the font colour follow each other.
    c->SetBarColor(0x0000FF);
    EXPECT_EQ(c->Font()->Color(), TColor(0x0000FF));
    c->Font()->SetColor(0x00FF00);
    EXPECT_EQ(c->BarColor(), TColor(0x00FF00));
}

TEST_F(BarCodeTest, AutoSizeTakesTheSymbolsSize)
{
    TFixedAdvanceMeasurer fixed;
    auto* c = new TjxBarCode(&host);
    c->SetTextMeasurer(&fixed);
    c->SetData(QStringLiteral("BARCODE1"));
    const int w = c->mmWidth(), h = c->mmHeight();
    // 10 characters of 16 narrow widths of 0.01 inch at the reference resolution: 1.6 inch.
    EXPECT_EQ(ThousandthsToPixels(w, kBarCodeReferenceDpi), 10 * (6 * 6 + 3 * 18 + 12));
    c->SetOrientation(orTopToBottom);
    EXPECT_EQ(c->mmWidth(), h);
    EXPECT_EQ(c->mmHeight(), w);
    // Invalid data keeps the size it has.
    c->SetData(QStringLiteral("bad_data"));
    EXPECT_EQ(c->mmWidth(), h);
    Boxes();
}

TEST_F(BarCodeTest, StreamEntriesAndReadingWithoutBoxes)
{
    auto* c = new TjxBarCode(&host);
    c->SetName(QStringLiteral("jxBarCode1"));
    c->SetWideBarRatio(2.5f);
    QByteArray text = Text(c);
    EXPECT_TRUE(text.contains("  mmBarWidth = 254\r\n")) << text.constData();
    EXPECT_TRUE(text.contains("  mmWideBarRatio = 63500\r\n"));
    EXPECT_FALSE(text.contains("  BarWidth ="));
    c->SetWideBarRatio(2.2f);
    EXPECT_TRUE(Text(c).contains("  mmWideBarRatio = 55880\r\n"));

    // Reading takes values the setters would refuse, without a box; drawing clamps them.
    QByteArray bytes;
    ObjectTextToBinary("object jxBarCode2: TjxBarCode\r\n  BarCodeType = bcCode39\r\n  BearerBars = True\r\n"
                       "  Data = 'abc_'\r\n  mmBarWidth = 0\r\n  mmWideBarRatio = -5\r\nend\r\n",
                       bytes);
    TComponent host2;
    auto* read = dynamic_cast<TjxBarCode*>(ReadComponentFromBytes(bytes, nullptr, &host2));
    ASSERT_NE(read, nullptr);
    EXPECT_TRUE(read->BearerBars());
    EXPECT_EQ(read->mmBarWidth(), 0);
    EXPECT_EQ(read->Data(), "abc_");
    EXPECT_FALSE(read->CodeOK());
    EXPECT_TRUE(Boxes().empty());

    // The draw command carries everything and streams back.
    read->SetData(QStringLiteral("ABC"));
    Boxes();
    auto command = read->NewDrawCommand();
    read->PropertiesToDrawCommand(command.get());
    auto* draw = dynamic_cast<TjxDrawBarCode*>(command.get());
    ASSERT_NE(draw, nullptr);
    EXPECT_EQ(draw->Data(), "ABC");
    EXPECT_TRUE(draw->CodeOK());
    EXPECT_EQ(draw->WideBarRatio(), read->WideBarRatio());
    EXPECT_GT(draw->Width(), 0);
    TjxDrawBarCode copy;
    ReadComponentFromBytes(WriteComponentToBytes(draw), &copy);
    EXPECT_TRUE(copy.IsSameAs(draw));
}

TEST_F(BarCodeTest, WidthEntriesAgainstAnAncestor)
{
    const auto inherited = [](TjxCustomBarCode* c, const TPersistent* ancestor) {
        QByteArray bytes;
        TWriter writer(bytes);
        writer.SetAncestor(ancestor);
        writer.WriteDescendent(c);
        QByteArray text;
        ObjectBinaryToText(bytes, text);
        return text;
    };
    auto* c = new TjxBarCode(&host);
    c->SetName(QStringLiteral("jxBarCode1"));
    auto* same = new TjxBarCode(&host);
    same->SetName(QStringLiteral("jxBarCode2"));

    // Equal to an ancestor of its class: neither entry.
    QByteArray text = inherited(c, same);
    EXPECT_FALSE(text.contains("mmBarWidth")) << text.constData();
    EXPECT_FALSE(text.contains("mmWideBarRatio"));

    // Each entry returns on its own once it differs.
    c->SetWideBarRatio(2.5f);
    text = inherited(c, same);
    EXPECT_FALSE(text.contains("mmBarWidth")) << text.constData();
    EXPECT_TRUE(text.contains("  mmWideBarRatio = 63500\r\n"));
    c->SetmmBarWidth(330);
    EXPECT_TRUE(inherited(c, same).contains("  mmBarWidth = 330\r\n"));

    // An ancestor of another class is no ancestor for them: both are written, as without one.
    c->SetWideBarRatio(3.0f);
    c->SetmmBarWidth(254);
    TjxDBBarCode other(&host);
    TComponent unrelated;
    const TPersistent* ancestors[] = {&other, &unrelated, nullptr};
    for (const TPersistent* ancestor : ancestors) {
        text = inherited(c, ancestor);
        EXPECT_TRUE(text.contains("  mmBarWidth = 254\r\n")) << text.constData();
        EXPECT_TRUE(text.contains("  mmWideBarRatio = 76200\r\n"));
    }
}
