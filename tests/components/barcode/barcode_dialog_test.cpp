// The Configure dialog's values and rules without a window, and what applying
// them does to a barcode.

#include "components/barcode.h"
#include "components/barcode_dialog.h"
#include "document/form.h"
#include "document/messages.h"
#include "document/report.h"

#include <gtest/gtest.h>

using namespace orvane;

namespace {

struct BarCodeDialogTest : ::testing::Test {
    void SetUp() override
    {
        ClearRecordedMessageBoxes();
        report = new TjxReport(&host);
        report->SetUnits(utMillimeters);
        code = new TjxBarCode(&host);
        code->SetBand(report->CreateBand(btDetail));
    }
    TComponent host;
    TjxReport* report = nullptr;
    TjxBarCode* code = nullptr;
    TjxCustomBarCodeDialog dialog;
};

} // namespace

TEST_F(BarCodeDialogTest, TheTypeSetsWidthChecksAndWhatIsEnabled)
{
    dialog.Fill(*code);
    EXPECT_EQ(dialog.Units(), utMillimeters);
    EXPECT_NEAR(dialog.BarWidth(), 0.254, 1e-6);
    EXPECT_FALSE(dialog.AddOnCodeEnabled() || dialog.BearerBarsEnabled() || dialog.AutoEncodeEnabled());
    // Code 39 comes after Interleaved 2 of 5: no check digit.
    EXPECT_FALSE(dialog.CalcCheckDigit());
    EXPECT_FALSE(dialog.CalcCheckDigitEnabled());

    // Choosing EAN-13: 0.013 inch in millimetres, the add-on enabled, no bearer bars.
    dialog.SetBarCodeType(bcEAN_13, true);
    EXPECT_NEAR(dialog.BarWidth(), 0.33, 1e-6);
    EXPECT_TRUE(dialog.AddOnCodeEnabled() && dialog.CalcCheckDigitEnabled());
    EXPECT_FALSE(dialog.BearerBarsEnabled() || dialog.AutoEncode());
    ASSERT_TRUE(dialog.SetAddOnCode(QStringLiteral("12")));

    // Interleaved 2 of 5 keeps check digit and add-on; bearer bars only here.
    dialog.SetCalcCheckDigit(true);
    dialog.SetBarCodeType(bcInt2of5, true);
    EXPECT_NEAR(dialog.BarWidth(), 0.381, 1e-6);
    dialog.SetBearerBars(true);
    EXPECT_TRUE(dialog.BearerBars() && dialog.CalcCheckDigit());
    EXPECT_EQ(dialog.AddOnCode(), u"12");

    // Code 128: Auto Encode checked; the types after Interleaved 2 of 5 clear the rest.
    dialog.SetBarCodeType(bcCode128, true);
    EXPECT_TRUE(dialog.AutoEncode());
    EXPECT_FALSE(dialog.BearerBars() || dialog.CalcCheckDigit());
    EXPECT_TRUE(dialog.AddOnCode().isEmpty());
    dialog.SetBearerBars(true);
    EXPECT_FALSE(dialog.BearerBars());
    dialog.SetBarCodeType(bcPostnet, true);
    EXPECT_NEAR(dialog.BarWidth(), 0.508, 1e-6);
    EXPECT_FALSE(dialog.AutoEncode());
    dialog.SetBarCodeType(bcMSI, true);
    EXPECT_TRUE(dialog.CalcCheckDigit() && dialog.CalcCheckDigitEnabled());

    // Only a type the user picks resets the width.
    dialog.SetBarWidth(0.5);
    dialog.SetBarCodeType(bcFIM, false);
    EXPECT_EQ(dialog.BarWidth(), 0.5);
    EXPECT_TRUE(RecordedMessageBoxes().empty());
}

TEST_F(BarCodeDialogTest, EditsKeepTheirLimits)
{
    dialog.Fill(*code);
    // An add-on of another length is refused with the warning and the old one stays.
    dialog.SetBarCodeType(bcUPC_A, true);
    ASSERT_TRUE(dialog.SetAddOnCode(QStringLiteral("12345")));
    EXPECT_FALSE(dialog.SetAddOnCode(QStringLiteral("123")));
    EXPECT_EQ(dialog.AddOnCode(), u"12345");
    ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(RecordedMessageBoxes()[0].text, GetMessage(424));
    EXPECT_EQ(RecordedMessageBoxes()[0].type, mtWarning);
    EXPECT_TRUE(dialog.SetAddOnCode(QString()));

    // The ratio stays above 0 and steps in exact tenths.
    dialog.SetWideBarRatio(0);
    dialog.SetWideBarRatio(-2);
    EXPECT_EQ(dialog.WideBarRatio(), 3);
    dialog.SetWideBarRatio(0.1);
    dialog.StepWideBarRatio(false);
    EXPECT_EQ(dialog.WideBarRatio(), 0.1);
    dialog.SetWideBarRatio(2.9);
    dialog.StepWideBarRatio(true);
    EXPECT_EQ(dialog.WideBarRatio(), 3.0);

    // The width steps by the fine step of the units and never below 0.
    dialog.SetBarWidth(0.33);
    dialog.StepBarWidth(true);
    EXPECT_NEAR(dialog.BarWidth(), 1.33, 1e-9);
    dialog.StepBarWidth(false);
    dialog.StepBarWidth(false);
    EXPECT_EQ(dialog.BarWidth(), 0);
    dialog.SetUnits(utInches);
    dialog.SetBarWidth(0.05);
    dialog.StepBarWidth(true);
    EXPECT_NEAR(dialog.BarWidth(), 0.15, 1e-9);
    EXPECT_EQ(FineStep(utMMThousandths), 1000);
    EXPECT_EQ(FineStep(utPrinterPixels), 50);
    EXPECT_EQ(FineStep(utScreenPixels), 1);
}

TEST_F(BarCodeDialogTest, ApplyingSetsTheBarcodeAndSizesItOnce)
{
    code->SetData(QStringLiteral("HELLO"));
    const int width = code->mmWidth();
    dialog.Fill(*code);
    // The same type again keeps the user's data.
    dialog.SetOrientation(orTopToBottom);
    dialog.ApplyTo(*code);
    EXPECT_EQ(code->Data(), u"HELLO");
    EXPECT_EQ(code->Orientation(), orTopToBottom);
    EXPECT_EQ(code->mmHeight(), width) << "a vertical symbol swaps width and height";

    // A new type takes its sample, then the dialog's width and add-on.
    dialog.SetBarCodeType(bcEAN_13, true);
    dialog.SetBarWidth(0.5);
    ASSERT_TRUE(dialog.SetAddOnCode(QStringLiteral("12")));
    dialog.ApplyTo(*code);
    EXPECT_EQ(code->BarCodeType(), bcEAN_13);
    EXPECT_EQ(code->Data(), u"0012345678905");
    EXPECT_EQ(code->mmBarWidth(), 500);
    EXPECT_EQ(code->AddOnCode(), u"12");
    EXPECT_TRUE(code->CodeOK());
    // An add-on left over for a type without one is not passed on to be refused.
    dialog.SetBarCodeType(bcInt2of5, true);
    ASSERT_EQ(dialog.AddOnCode(), u"12");
    dialog.ApplyTo(*code);
    EXPECT_TRUE(code->AddOnCode().isEmpty());
    EXPECT_TRUE(RecordedMessageBoxes().empty());

    // Inside an update the size waits for the end.
    const int before = code->mmWidth();
    code->BeginUpdate();
    code->SetData(QStringLiteral("01234567890123456789"));
    EXPECT_EQ(code->mmWidth(), before);
    code->BeginUpdate();
    code->EndUpdate();
    EXPECT_EQ(code->mmWidth(), before);
    code->EndUpdate();
    EXPECT_GT(code->mmWidth(), before);

    // Without a registered window there is no dialog to open.
    EXPECT_FALSE(ConfigureBarCode(*code));
}
