// The printer setup: sizes, hooks, paper names against the printer's table, streaming.

#include "tests/support/printer_fixture.h"

#include "document/errors.h"
#include "document/printer_setup.h"
#include "document/stream_reader.h"
#include "document/stream_text.h"
#include "document/stream_writer.h"
#include "document/toolkit_component.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

// A component that streams a printer setup the way a report does.
class TSetupHolder : public TComponent {
    ORVANE_CLASS(TSetupHolder, TComponent)
public:
    explicit TSetupHolder(TComponent* owner = nullptr) : TComponent(owner), m_setup(this) {}
    TjxPrinterSetup* PrinterSetup() const { return const_cast<TjxPrinterSetup*>(&m_setup); }
    void SetPrinterSetup(TjxPrinterSetup* value) { m_setup.Assign(value); }

private:
    TjxPrinterSetup m_setup;
};

const TClassInfo& TSetupHolder::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TSetupHolder>("TSetupHolder", &TComponent::StaticClass())
                                       .Prop("PrinterSetup", ClassType(), &TSetupHolder::PrinterSetup,
                                             &TSetupHolder::SetPrinterSetup)
                                       .Component()
                                       .Build();
    return info;
}

struct HookCounts {
    int pageDef = 0;
    int change = 0;
    void Connect(TjxPrinterSetup& s)
    {
        s.OnPageDefChange = [this](TjxPrinterSetup*) { ++pageDef; };
        s.OnChange = [this](TjxPrinterSetup*) { ++change; };
    }
};

} // namespace

using PrinterSetup = TestPlatform;
using PrinterSetupWithoutPrinters = NoPrinterPlatform;

TEST_F(PrinterSetup, NewSetupFollowsTheDecimalSeparator)
{
    TjxPrinterSetup letter;
    EXPECT_EQ(letter.PageDef()->mmWidth(), 215900);
    EXPECT_EQ(letter.PageDef()->mmHeight(), 279401);
    EXPECT_EQ(letter.PageDef()->mmMarginLeft(), 6350);
    EXPECT_EQ(letter.PageDef()->mmMarginBottom(), 6350);
    EXPECT_EQ(letter.Units(), utInches);
    EXPECT_EQ(letter.StoredPaperName(), u"Custom");
    EXPECT_EQ(letter.PaperName(), u"Letter");  // resolved against the default printer P
    EXPECT_EQ(letter.PrinterName(), u"Default");
    EXPECT_EQ(letter.PrinterDescription(), u"P");
    EXPECT_EQ(letter.BinName(), u"Default");
    EXPECT_EQ(letter.Copies(), 1);
    EXPECT_TRUE(letter.Collation());

    SetFormatSettings({u','});
    TjxPrinterSetup a4;
    EXPECT_EQ(a4.PageDef()->mmWidth(), 210000);
    EXPECT_EQ(a4.PageDef()->mmHeight(), 297000);
    EXPECT_EQ(a4.PaperName(), u"A4");
    EXPECT_EQ(a4.PaperNumber(), 9);

    // More than 1 mm off every paper of P: "Custom".
    a4.SetPaperWidth(8.0f);
    EXPECT_EQ(a4.PaperName(), u"Custom");
    EXPECT_EQ(a4.PaperNumber(), 256);
}

TEST_F(PrinterSetupWithoutPrinters, PlaceholderAndScreen)
{
    TjxPrinterSetup s;
    // "Default" without printers is the screen, which knows a few standard papers.
    EXPECT_EQ(s.PrinterInfo()->Name(), u"Screen");
    EXPECT_EQ(s.PaperName(), u"Letter 8 1/2 x 11 in");
    EXPECT_EQ(s.PaperNumber(), 1);
    EXPECT_EQ(s.PaperNames().first(), u"Custom");
    s.SetPrinterName(QStringLiteral("R"));
    EXPECT_EQ(s.PrinterName(), u"Screen");
    EXPECT_EQ(NoPrinterInfo()->GetCapabilities().PaperNames, QStringList({"Custom"}));
    EXPECT_EQ(NoPrinterInfo()->GetCapabilities().BinNames, QStringList({"Default"}));
}

TEST_F(PrinterSetup, InvalidValuesAreIgnored)
{
    TjxPrinterSetup s;
    HookCounts hooks;
    hooks.Connect(s);
    s.SetCopies(3);
    s.SetCopies(0);
    s.SetCopies(-1);
    EXPECT_EQ(s.Copies(), 3);
    EXPECT_EQ(hooks.change, 1);
    s.SetMarginTop(-0.1f);
    s.SetPaperWidth(-1);
    s.SetMarginLeft(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(s.PageDef()->mmMarginTop(), 6350);
    EXPECT_EQ(s.PageDef()->mmWidth(), 215900);
    EXPECT_EQ(s.PageDef()->mmMarginLeft(), 6350);
    EXPECT_EQ(hooks.pageDef, 0);
    // Unchanged values call nothing; "Current" is "Default".
    s.SetCopies(3);
    s.SetBinName(QStringLiteral("Current"));
    s.SetCollation(true);
    s.SetDuplex(dpNone);
    EXPECT_EQ(hooks.change, 1);
    s.SetMarginTop(0.5f);
    EXPECT_EQ(s.PageDef()->mmMarginTop(), 12700);
    EXPECT_EQ(hooks.pageDef, 1);
}

TEST_F(PrinterSetup, OrientationExchangesTheSidesOnce)
{
    SetFormatSettings({u','});
    TjxPrinterSetup s;
    HookCounts hooks;
    hooks.Connect(s);
    s.SetOrientation(poLandscape);
    EXPECT_EQ(s.PageDef()->mmWidth(), 297000);
    EXPECT_EQ(s.PageDef()->mmHeight(), 210000);
    EXPECT_EQ(hooks.pageDef, 1);
    s.SetOrientation(poLandscape);
    EXPECT_EQ(s.PageDef()->mmWidth(), 297000);
    EXPECT_EQ(hooks.pageDef, 1);
    // Still A4: names match in portrait sense.
    EXPECT_EQ(s.PaperName(), u"A4");
}

TEST_F(PrinterSetup, AVetoLeavesEverythingAsItWas)
{
    SetFormatSettings({u','});
    TjxPrinterSetup s;
    EXPECT_EQ(s.PaperName(), u"A4");
    HookCounts hooks;
    hooks.Connect(s);
    int proposals = 0;
    s.OnValidatePageDef = [&](TjxPrinterSetup*, TjxPageDef* proposed, bool& accept) {
        ++proposals;
        EXPECT_EQ(accept, true);
        accept = false;
    };
    s.SetPaperName(QStringLiteral("Legal"));
    s.SetOrientation(poLandscape);
    s.SetMarginLeft(1);
    s.SetPaperHeight(20);
    EXPECT_EQ(proposals, 4);
    EXPECT_EQ(s.PageDef()->mmWidth(), 210000);
    EXPECT_EQ(s.PageDef()->mmHeight(), 297000);
    EXPECT_EQ(s.PageDef()->mmMarginLeft(), 6350);
    EXPECT_EQ(s.Orientation(), poPortrait);
    EXPECT_EQ(s.PaperName(), u"A4");
    EXPECT_EQ(hooks.pageDef + hooks.change, 0);

    // Without hooks enabled nothing is asked and nothing is told.
    s.SetHooksEnabled(false);
    s.SetOrientation(poLandscape);
    EXPECT_EQ(proposals, 4);
    EXPECT_EQ(s.PageDef()->mmWidth(), 297000);
    EXPECT_EQ(hooks.pageDef, 0);
}

TEST_F(PrinterSetup, UnitsRederiveThePaperFromThePrinter)
{
    SetFormatSettings({u','});
    TjxPrinterSetup s;
    s.SetUnits(utMillimeters);
    EXPECT_EQ(s.PageDef()->mmWidth(), 210000);
    HookCounts hooks;
    hooks.Connect(s);
    s.SetUnits(utInches);
    EXPECT_EQ(s.PageDef()->mmWidth(), 210079);
    EXPECT_EQ(s.PageDef()->mmHeight(), 297127);
    EXPECT_FLOAT_EQ(s.PaperWidth(), 8.2708f);
    EXPECT_EQ(hooks.pageDef, 1);
    EXPECT_FLOAT_EQ(s.MarginLeft(), 0.25f);
    EXPECT_FLOAT_EQ(s.PrintableWidth(), 7.7708f);

    // In millimetres a paper from the table comes in whole millimetres.
    s.SetUnits(utMillimeters);
    s.SetPaperName(QStringLiteral("letter"));
    EXPECT_EQ(s.PaperWidth(), 216.0f);
    EXPECT_EQ(s.PaperHeight(), 279.0f);
    EXPECT_EQ(s.PageDef()->mmWidth(), 216000);
    EXPECT_EQ(s.PaperName(), u"letter");
    EXPECT_EQ(s.PaperNumber(), 1);
    // A name the printer does not know keeps the size.
    s.SetPaperName(QStringLiteral("Tabloid"));
    EXPECT_EQ(s.PageDef()->mmWidth(), 216000);
}

TEST_F(PrinterSetup, EnvelopesTurnToLandscapeFirst)
{
    TjxPrinterSetup s;
    s.SetUnits(utMillimeters);
    HookCounts hooks;
    hooks.Connect(s);
    // A vetoed envelope leaves the orientation as well as the size.
    s.OnValidatePageDef = [](TjxPrinterSetup*, TjxPageDef* proposed, bool& accept) {
        EXPECT_EQ(proposed->mmWidth(), 220000);  // proposed in landscape
        accept = false;
    };
    const int width = s.PageDef()->mmWidth();
    s.SetPaperName(QStringLiteral("Envelope DL 110 x 220mm"));
    EXPECT_EQ(s.Orientation(), poPortrait);
    EXPECT_EQ(s.PageDef()->mmWidth(), width);
    EXPECT_EQ(hooks.pageDef, 0);
    s.OnValidatePageDef = nullptr;

    s.SetPaperName(QStringLiteral("Envelope DL 110 x 220mm"));
    EXPECT_EQ(s.Orientation(), poLandscape);
    EXPECT_EQ(s.PageDef()->mmWidth(), 220000);
    EXPECT_EQ(s.PageDef()->mmHeight(), 110000);
    EXPECT_EQ(hooks.pageDef, 1);
    EXPECT_EQ(s.PaperNumber(), 27);
}

TEST_F(PrinterSetup, PrinterNamesResolveThroughTheList)
{
    SetFormatSettings({u','});
    TjxPrinterSetup s;
    HookCounts hooks;
    hooks.Connect(s);
    EXPECT_EQ(s.PrinterNames(), QStringList({"Default", "Screen", "P", "Q"}));
    s.SetPrinterName(QStringLiteral("q"));
    EXPECT_EQ(s.PrinterName(), u"Q");
    EXPECT_EQ(s.PrinterInfo()->Name(), u"Q");
    EXPECT_EQ(hooks.change, 1);
    // Q's driver reports no papers and no bins: only the user-defined paper and the default bin remain.
    EXPECT_EQ(s.PaperNames(), QStringList({"Custom"}));
    EXPECT_EQ(s.PaperName(), u"Custom");
    EXPECT_EQ(s.BinNames(), QStringList({"Default"}));

    s.SetPrinterName(QStringLiteral("Current"));
    EXPECT_EQ(s.PrinterName(), u"Default");
    EXPECT_EQ(s.PrinterDescription(), u"P");
    EXPECT_EQ(s.PaperName(), u"A4");
    s.SetPrinterName(QStringLiteral("Nowhere"));
    EXPECT_EQ(s.PrinterName(), u"P");
    EXPECT_EQ(hooks.change, 3);
}

TEST_F(PrinterSetup, EqualsAssignAndSamePaper)
{
    TjxPrinterSetup a;
    TjxPrinterSetup b;
    EXPECT_TRUE(a.Equals(b));
    HookCounts hooks;
    hooks.Connect(b);
    a.SetCopies(2);
    a.SetDocumentName(QStringLiteral("Receipts"));
    a.SetUnits(utMillimeters);
    a.SetPaperName(QStringLiteral("A4"));
    a.SetDuplex(dpVertical);
    EXPECT_FALSE(a.Equals(b));
    EXPECT_FALSE(a.SamePaper(b));
    b.Assign(&a);
    EXPECT_TRUE(a.Equals(b));
    EXPECT_TRUE(b.SamePaper(a));
    EXPECT_EQ(b.Units(), utMillimeters);
    EXPECT_EQ(hooks.pageDef + hooks.change, 0);
    // The printer description counts, not the name it is reached by.
    b.SetPrinterName(QStringLiteral("P"));
    EXPECT_TRUE(a.Equals(b));

    TPersistent other;
    EXPECT_THROW(b.Assign(&other), EConvertError);
}

TEST_F(PrinterSetup, StreamsAsTheReportStoresIt)
{
    SetFormatSettings({u','});
    TSetupHolder holder;
    holder.SetName(QStringLiteral("Holder"));
    TjxPrinterSetup& s = *holder.PrinterSetup();
    s.SetUnits(utMillimeters);
    s.SetUnits(utInches);  // A4 through inches: 210079 x 297127
    s.SetDocumentName(QStringLiteral("Receipt"));
    s.SetCopies(2);
    QByteArray text;
    ObjectBinaryToText(WriteComponentToBytes(&holder), text);
    EXPECT_EQ(text.toStdString(),
              "object Holder: TSetupHolder\r\n"
              "  PrinterSetup.BinName = 'Default'\r\n"
              "  PrinterSetup.Copies = 2\r\n"
              "  PrinterSetup.DocumentName = 'Receipt'\r\n"
              "  PrinterSetup.PaperName = 'A4'\r\n"
              "  PrinterSetup.PrinterName = 'Default'\r\n"
              "  PrinterSetup.mmMarginBottom = 6350\r\n"
              "  PrinterSetup.mmMarginLeft = 6350\r\n"
              "  PrinterSetup.mmMarginRight = 6350\r\n"
              "  PrinterSetup.mmMarginTop = 6350\r\n"
              "  PrinterSetup.mmPaperHeight = 297127\r\n"
              "  PrinterSetup.mmPaperWidth = 210079\r\n"
              "  PrinterSetup.PaperSize = 9\r\n"
              "end\r\n"
              "");

    // Read back: values stored without hooks while the owner is read; the
    // paper number names the paper by the current printer's own name; a float
    // length is truncated.
    QByteArray stored = text;
    stored.replace("PaperName = 'A4'", "PaperName = 'Whatever'");
    stored.replace("mmPaperWidth = 210079", "mmPaperWidth = 210079.9");
    stored.replace("Copies = 2", "Copies = 0");
    QByteArray binary;
    ObjectTextToBinary(stored, binary);
    TSetupHolder copy;
    HookCounts hooks;
    hooks.Connect(*copy.PrinterSetup());
    ReadComponentFromBytes(binary, &copy);
    TjxPrinterSetup& r = *copy.PrinterSetup();
    EXPECT_EQ(hooks.pageDef + hooks.change, 0);
    EXPECT_EQ(r.PageDef()->mmWidth(), 210079);
    EXPECT_EQ(r.PageDef()->mmHeight(), 297127);
    EXPECT_EQ(r.Copies(), 1);
    EXPECT_EQ(r.PendingPaperNumber(), 9);
    EXPECT_EQ(r.StoredPaperName(), u"Whatever");
    EXPECT_EQ(r.PaperName(), u"A4");
    EXPECT_EQ(r.PendingPaperNumber(), 0);

    // Assigning clears a pending number; AssignWithPending keeps it.
    TSetupHolder again;
    ReadComponentFromBytes(binary, &again);
    TjxPrinterSetup plain;
    plain.Assign(again.PrinterSetup());
    EXPECT_EQ(plain.PendingPaperNumber(), 0);
    EXPECT_EQ(plain.PaperName(), u"Whatever");
    TjxPrinterSetup pending;
    pending.AssignWithPending(*again.PrinterSetup());
    EXPECT_EQ(pending.PaperName(), u"A4");
}

TEST_F(PrinterSetup, LegacyPaperSizeIsConvertedInTheSetupsUnits)
{
    TSetupHolder holder;
    QByteArray binary;
    ObjectTextToBinary("object H: TSetupHolder\r\n"
                       "  PrinterSetup.PaperWidth = 8.5\r\n"
                       "  PrinterSetup.PaperHeight = 11\r\n"
                       "end\r\n",
                       binary);
    ReadComponentFromBytes(binary, &holder);
    TjxPrinterSetup& s = *holder.PrinterSetup();
    EXPECT_EQ(s.PageDef()->mmWidth(), 215900);  // not yet converted
    s.SetPaperWidth(1);
    s.SetPaperHeight(1);
    s.ConvertLegacyPaperSize();
    // The sizes remembered while reading win over the ones set since.
    EXPECT_EQ(s.PageDef()->mmWidth(), 215900);
    EXPECT_EQ(s.PageDef()->mmHeight(), 279401);
}
