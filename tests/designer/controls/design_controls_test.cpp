// Design controls of barcodes and rich text: each component class gets its
// own control, which draws what the page draws.

#include "../workspace/surface_fixture.h"

#include "components/barcode.h"
#include "components/db_rich_text.h"
#include "components/rich_text.h"
#include "designer/controls/design_controls.h"
#include "output/draw_barcode.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

template <class C>
C* Place(TReceiptRig& rig, const char* name, int left, int top, int width, int height)
{
    auto* c = new C(&rig.host);
    c->SetName(QString::fromLatin1(name));
    c->SetBand(rig.report->FindBand(btHeader));
    c->SetBounds(left, top, height, width);
    return c;
}

bool Dark(QRgb p) { return qGray(p) < 96; }

int DarkRunsInRow(const QImage& image, int y)
{
    int runs = 0;
    bool in = false;
    for (int x = 0; x < image.width(); ++x) {
        const bool dark = Dark(image.pixel(x, y));
        runs += dark && !in ? 1 : 0;
        in = dark;
    }
    return runs;
}

int CountWhere(const QImage& image, const std::function<bool(QRgb)>& test)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += test(image.pixel(x, y)) ? 1 : 0;
    return n;
}

} // namespace

TEST(DesignControls, BarcodesAndRichTextHaveTheirOwnControls)
{
    TReceiptRig rig;
    TjxDesignControlManager* m = rig.Manager();
    EXPECT_NE(qobject_cast<TjxBarCodeControl*>(m->DesignControlOf(Place<TjxBarCode>(rig, "bc1", 0, 0, 20000, 10000))),
              nullptr);
    EXPECT_NE(qobject_cast<TjxDBBarCodeControl*>(
                  m->DesignControlOf(Place<TjxDBBarCode>(rig, "dbc1", 0, 0, 20000, 10000))),
              nullptr);
    EXPECT_NE(qobject_cast<TjxRichTextControl*>(
                  m->DesignControlOf(Place<TjxRichText>(rig, "rt1", 0, 0, 20000, 10000))),
              nullptr);
    EXPECT_NE(qobject_cast<TjxDBRichTextControl*>(
                  m->DesignControlOf(Place<TjxDBRichText>(rig, "drt1", 0, 0, 20000, 10000))),
              nullptr);
}

TEST(DesignControls, ABarcodeControlShowsEveryBarOfTheSymbol)
{
    TReceiptRig rig;
    auto* barcode = Place<TjxBarCode>(rig, "jxBarCode1", 2000, 2000, 20000, 10000);
    // Bars three pixels wide stay apart when the symbol is stretched by a pixel.
    barcode->SetmmBarWidth(762);
    barcode->SetData(QStringLiteral("12345"));
    ASSERT_TRUE(barcode->CodeOK());
    TjxDesignControl* control = rig.Manager()->DesignControlOf(barcode);
    ASSERT_NE(control, nullptr);
    rig.Settle();
    const QImage image = control->Image().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(image.isNull());

    TjxDrawBarCode command;
    barcode->PropertiesToDrawCommand(&command);
    const TjxBarCodeLayout layout = command.Layout(96, 96, barcode->TextMeasurer());
    ASSERT_TRUE(layout.valid);
    ASSERT_GT(layout.bars.size(), 20u);
    // Across the bars, above the human-readable text.
    EXPECT_EQ(DarkRunsInRow(image, image.height() / 4), int(layout.bars.size()));

    // Vertical: the bars run across the control's height instead.
    barcode->SetOrientation(orTopToBottom);
    rig.Settle();
    // The text column is at the left then: down the right half, every bar.
    const QImage turned = control->Image().transformed(QTransform().rotate(-90)).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(DarkRunsInRow(turned, turned.height() / 4), int(layout.bars.size()));

    // Data the symbology refuses: nothing is drawn.
    barcode->SetOrientation(orLeftToRight);
    barcode->SetBarCodeType(bcEAN_13);
    barcode->SetData(QStringLiteral("ABC"));
    ASSERT_FALSE(barcode->CodeOK());
    rig.Settle();
    const QImage refused = control->Image().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(CountWhere(refused, Dark), 0);
}

TEST(DesignControls, ARichTextControlDrawsItsTextOrItsCaption)
{
    TReceiptRig rig;
    auto* rich = Place<TjxRichText>(rig, "jxRichText1", 2000, 2000, 60000, 15000);
    rich->SetRichText(QStringLiteral("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\cf1\\fs40 WWW MMM}"));
    TjxDesignControl* control = rig.Manager()->DesignControlOf(rich);
    ASSERT_NE(control, nullptr);
    rig.Settle();
    const auto red = [](QRgb p) { return qRed(p) > 200 && qGreen(p) < 80 && qBlue(p) < 80; };
    QImage image = control->Image().convertToFormat(QImage::Format_RGB32);
    const int redPixels = CountWhere(image, red);
    EXPECT_GT(redPixels, 100);
    // The text starts at the top left, inside the control.
    int leftmost = image.width();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (red(image.pixel(x, y)))
                leftmost = std::min(leftmost, x);
    EXPECT_LT(leftmost, 10);

    // A longer line in a narrow control wraps onto more rows.
    rich->SetmmWidth(15000);
    rig.Settle();
    image = control->Image().convertToFormat(QImage::Format_RGB32);
    int rows = 0;
    bool inRow = false;
    for (int y = 0; y < image.height(); ++y) {
        bool any = false;
        for (int x = 0; x < image.width() && !any; ++x)
            any = red(image.pixel(x, y));
        rows += any && !inRow ? 1 : 0;
        inRow = any;
    }
    EXPECT_EQ(rows, 2);

    // Without text nothing of it is left.
    rich->SetRichText(QString());
    rig.Settle();
    image = control->Image().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(CountWhere(image, red), 0);
}
