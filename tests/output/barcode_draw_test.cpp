// The barcode draw command: pixel geometry, whole-pixel bars, the four
// orientations, and symbols zbarimg reads back from images of the real drawing.

#include "output/draw_barcode.h"
#include "platform/canvas.h"
#include "platform/text_measurer.h"

#include <QImage>
#include <QTemporaryDir>
#include <QTransform>

#include <gtest/gtest.h>

#include "tests/support/process_run.h"

using namespace orvane;
using namespace orvane::test;

namespace {

void Set(TjxDrawBarCode& c, TjxBarCodeType type, const QString& data, int barWidth, bool text = true)
{
    c.SetBarCodeType(type);
    c.SetData(data);
    c.SetBarWidth(barWidth);
    c.SetPrintHumanReadable(text);
    c.SetAutoEncode(type == bcCode128);
    c.Font()->SetName(QStringLiteral("Liberation Sans"));
    c.Font()->SetSize(10);
}

// Draws the command through the printer path onto a white image with a margin around it.
QImage Render(TjxDrawBarCode& c, int dpi, int margin = 0)
{
    const QSize size = c.MeasureSymbol(dpi, DefaultTextMeasurer());
    QImage image(size.width() + 2 * margin, size.height() + 2 * margin, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    TjxCanvas canvas(&painter, dpi, dpi);
    c.SetDeviceRect({margin, margin + size.width(), margin, margin + size.height()});
    EXPECT_TRUE(c.Draw(canvas));
    return image;
}

// One character a pixel column along row y: "1" black, "0" white, "?" anything else.
QString Row(const QImage& image, int y)
{
    QString s;
    for (int x = 0; x < image.width(); ++x) {
        const QRgb p = image.pixel(x, y);
        s += p == qRgb(0, 0, 0) ? u'1' : p == qRgb(255, 255, 255) ? u'0' : u'?';
    }
    return s;
}

QString Scaled(const QString& modules, int n)
{
    QString s;
    for (QChar c : modules)
        s += QString(n, c);
    return s;
}

QString Decode(const QImage& image, const QString& name)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(name + QStringLiteral(".png"));
    image.save(path);
    return ZbarRead(path, {"-Sean2.enable", "-Si25.enable", "-Scodabar.enable"}).out.trimmed();
}

} // namespace

TEST(BarCodeDraw, SizesAtScreenResolution)
{
    TjxDrawBarCode code39;
    Set(code39, bcCode39, "BarCode", 254);
    TjxBarCodeLayout l = code39.Layout(96, 96, DefaultTextMeasurer());
    EXPECT_EQ(l.width, 153);
    EXPECT_EQ(l.barHeight, 38);
    EXPECT_GT(l.height, 38);  // the text row below the bars

    TjxDrawBarCode upc;
    Set(upc, bcUPC_A, "01234567890", 330);
    l = upc.Layout(96, 96, DefaultTextMeasurer());
    EXPECT_EQ(l.quietZone, 11);
    EXPECT_EQ(l.width, 117);
    EXPECT_EQ(l.barHeight, 92);

    TjxDrawBarCode i25;
    Set(i25, bcInt2of5, "0123456789", 381);
    l = i25.Layout(96, 96, DefaultTextMeasurer());
    EXPECT_EQ(l.width, 126);
    EXPECT_EQ(l.barHeight, 76);

    // Without AutoSize the bars end one text line above the component's bottom.
    i25.SetAutoSize(false);
    i25.SetHeight(25400);  // one inch
    l = i25.Layout(96, 96, DefaultTextMeasurer());
    EXPECT_EQ(l.height, 96);
    EXPECT_LT(l.barBottom, 96);
    // A text row taller than the component still leaves bars.
    i25.SetHeight(100);
    EXPECT_GE(i25.Layout(96, 96, DefaultTextMeasurer()).barBottom, 1);

    // Vertical orientations swap the measured size.
    code39.SetOrientation(orTopToBottom);
    const QSize v = code39.MeasureSymbol(96, DefaultTextMeasurer());
    code39.SetOrientation(orLeftToRight);
    EXPECT_EQ(v.transposed(), code39.MeasureSymbol(96, DefaultTextMeasurer()));
}

TEST(BarCodeDraw, NarrowAndWideStayApartAtEveryResolution)
{
    // 0.004 inch at 96 dpi would round to 0 pixels.
    TjxBarCodeMetrics m = BarCodeMetrics(bcCode39, 102, 3, 96, 96);
    EXPECT_EQ(m.narrow, 1);
    EXPECT_GT(m.wide, m.narrow);
    m = BarCodeMetrics(bcCode39, 102, 1.2f, 96, 96);
    EXPECT_EQ(m.wide, 2);
    // Values read from a stream are clamped: no width, or no ratio.
    m = BarCodeMetrics(bcInt2of5, 0, 0, 600, 600);
    EXPECT_EQ(m.narrow, 9);   // 0.015 inch
    EXPECT_EQ(m.wide, 27);
    m = BarCodeMetrics(bcCode39, -5, std::numeric_limits<float>::quiet_NaN(), 96, 96);
    EXPECT_EQ(m.wide, 3);
    EXPECT_EQ(BarCodeMetrics(bcCode39, 1000000, 1e9f, 600, 600).narrow, 60);
}

TEST(BarCodeDraw, BarsAreWholePixelColumnsOfThePattern)
{
    TjxDrawBarCode upc;
    Set(upc, bcUPC_A, "01234567890", 330, false);
    upc.SetColor(clWhite);
    for (int dpi : {96, 300}) {
        const QImage image = Render(upc, dpi);
        const TjxBarCodeLayout l = upc.Layout(dpi, dpi, DefaultTextMeasurer());
        const int n = BarCodeMetrics(bcUPC_A, 330, 3, dpi, dpi).narrow;
        const QString expected = QString(l.quietZone, u'0') + Scaled(ModuleString(upc.Encode().pattern), n) +
                                 QString(l.quietZone, u'0');
        for (int y : {0, image.height() / 2, image.height() - 1})
            EXPECT_EQ(Row(image, y), expected) << dpi << ' ' << y;
    }
}

TEST(BarCodeDraw, NoColumnCapAtHighResolutions)
{
    // 9 x 11 modules of 0.1 inch at 1200 dpi: far past any fixed buffer.
    TjxDrawBarCode c;
    Set(c, bcCode128, "ABCDEFGHIJ0123456789abcdefghij", 2540, false);
    const TjxBarCodeLayout l = c.Layout(1200, 1200, DefaultTextMeasurer());
    const int modules = int(c.Encode().pattern.size());
    EXPECT_EQ(l.width, modules * 120);
    ASSERT_FALSE(l.bars.empty());
    EXPECT_EQ(l.bars.back().left() + l.bars.back().width(), l.width);
}

TEST(BarCodeDraw, InvalidDataShowsOnlyTheBackground)
{
    TjxDrawBarCode c;
    Set(c, bcCode128, QStringLiteral("1234"), 254);
    c.SetAutoEncode(false);  // no start symbol
    c.SetColor(0x00FF00);
    const auto render = [&] {
        QImage image(60, 30, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        TjxCanvas canvas(&painter, 96, 96);
        c.SetDeviceRect({5, 55, 5, 25});
        c.Draw(canvas);
        return image;
    };
    const QImage image = render();
    for (int y = 0; y < image.height(); ++y)
        EXPECT_EQ(Row(image, y).count(u'1'), 0);
    EXPECT_EQ(image.pixel(5, 5), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(54, 24), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(55, 25), qRgb(255, 255, 255));
    // Transparent: nothing at all.
    c.SetTransparent(true);
    EXPECT_EQ(render().pixel(10, 10), qRgb(255, 255, 255));
    // CodeOK false from the component, valid data: the background only as well.
    TjxDrawBarCode off;
    Set(off, bcCode39, "ABC", 254);
    off.SetCodeOK(false);
    EXPECT_TRUE(off.Layout(96, 96, DefaultTextMeasurer()).bars.empty());
}

TEST(BarCodeDraw, OrientationsRotateTheSameSymbol)
{
    TjxDrawBarCode c;
    Set(c, bcCode39, "ORIENT", 254, false);
    const QImage base = Render(c, 96);
    const std::pair<TjxBarCodeOrientation, int> turns[] = {{orRightToLeft, 180}, {orTopToBottom, 90},
                                                           {orBottomToTop, 270}};
    for (const auto& [orientation, degrees] : turns) {
        c.SetOrientation(orientation);
        const QImage turned = Render(c, 96);
        EXPECT_EQ(turned, base.transformed(QTransform().rotate(degrees))) << orientation;
    }
}

TEST(BarCodeDraw, TextSitsUnderItsModules)
{
    TFixedAdvanceMeasurer fixed(0.5, 1.0);
    TjxDrawBarCode upc;
    Set(upc, bcUPC_A, "01234567890", 330);
    const TjxBarCodeLayout l = upc.Layout(600, 600, fixed);
    const int n = 8, q = l.quietZone;
    ASSERT_EQ(l.texts.size(), 4u);
    EXPECT_EQ(l.texts[0].text, "0");
    EXPECT_EQ(l.texts[1].text, "12345");
    EXPECT_EQ(l.texts[2].text, "67890");
    EXPECT_EQ(l.texts[3].text, "5");
    EXPECT_EQ(l.texts[3].fontSize, l.texts[1].fontSize - 2);
    EXPECT_LT(l.texts[0].x + 1, q);
    // The groups sit inside modules 10-45 and 50-85.
    const int size = l.texts[1].fontSize;
    const int groupWidth = int(std::ceil(5 * 0.5 * size * 600 / 72.0));
    EXPECT_GE(l.texts[1].x, q + 10 * n);
    EXPECT_LE(l.texts[1].x + groupWidth, q + 45 * n);
    EXPECT_GE(l.texts[2].x, q + 50 * n);
    EXPECT_LE(l.texts[2].x + groupWidth, q + 85 * n);
    // Guard bars reach into the text row, the digits' bars do not.
    int longBars = 0;
    for (const QRect& bar : l.bars)
        longBars += bar.bottom() + 1 > l.barBottom;
    EXPECT_EQ(longBars, 3 * 2 + 2 * 2);  // three guards and the outer digits' bars

    TjxDrawBarCode code39;
    Set(code39, bcCode39, "ABC", 254);
    code39.SetAlignment(taRightJustify);
    TjxBarCodeLayout c = code39.Layout(600, 600, fixed);
    ASSERT_EQ(c.texts.size(), 1u);
    EXPECT_EQ(c.texts[0].x + int(std::ceil(3 * 0.5 * c.texts[0].fontSize * 600 / 72.0)), c.width);
    code39.SetAlignment(taCenter);
    c = code39.Layout(600, 600, fixed);
    EXPECT_NEAR(c.texts[0].x * 2 + 3 * 0.5 * c.texts[0].fontSize * 600 / 72.0, c.width, 2);
}

TEST(BarCodeDraw, ZbarReadsEverySupportedSymbologyInAllOrientations)
{
    struct Case {
        TjxBarCodeType type;
        QString data, addOn, expected;
        int width;
    };
    const Case cases[] = {
        {bcUPC_A, "01234567890", "", "EAN-13:0012345678905", 330},
        {bcUPC_E, "012345", "", "EAN-13:0001234000057", 330},  // read as its UPC-A form
        {bcEAN_13, "590123412345", "", "EAN-13:5901234123457", 330},
        {bcEAN_8, "2012345", "", "EAN-8:20123451", 330},
        {bcInt2of5, "12345", "", "I2/5:123457", 381},
        {bcCode39, "BarCode", "", "CODE-39:BARCODE", 254},
        {bcCodabar, "A01234B", "", "Codabar:A01234B", 254},
        {bcCode128, BarCodeSample(bcCode128, true, false), "", "CODE-128:1234 abcd", 254},
        {bcCode128, "AB12", "", "CODE-128:AB12", 254},
        {bcEAN_13, "590123412345", "12345", "EAN-5:12345", 330},
        {bcUPC_A, "01234567890", "12", "EAN-2:12", 330},
    };
    for (const Case& k : cases) {
        for (TjxBarCodeOrientation o : {orLeftToRight, orRightToLeft, orTopToBottom, orBottomToTop}) {
            TjxDrawBarCode c;
            Set(c, k.type, k.data, k.width);
            c.SetAutoEncode(k.type == bcCode128 && k.data == u"AB12");
            c.SetAddOnCode(k.addOn);
            c.SetOrientation(o);
            const QString out = Decode(Render(c, 300, 40), QStringLiteral("symbol"));
            EXPECT_TRUE(out.split(u'\n').contains(k.expected))
                << k.expected.toStdString() << " orientation " << o << ": " << out.toStdString();
        }
    }
}

TEST(BarCodeDraw, ScreenStretchesTheSymbolIntoTheZoomedRectangle)
{
    TjxDrawBarCode c;
    Set(c, bcCode39, "ZOOM", 254, false);
    const QSize natural = c.MeasureSymbol(96, DefaultTextMeasurer());
    QImage image(natural.width() * 2 + 20, natural.height() * 2 + 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        TjxCanvas canvas(&painter, 96, 96);
        canvas.SetScreenZoom(2, 2);
        c.SetDeviceRect({10, 10 + 2 * natural.width(), 10, 10 + 2 * natural.height()});
        EXPECT_TRUE(c.Draw(canvas));
    }
    // Each column of the symbol at 96 dpi is two columns here, and nothing is grey.
    const QImage plain = Render(c, 96);
    const QString row = Row(image, 10 + natural.height());
    EXPECT_EQ(row.count(u'?'), 0);
    EXPECT_EQ(row.mid(10, 2 * natural.width()), Scaled(Row(plain, natural.height() / 2), 2));
}
