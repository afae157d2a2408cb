// Numbers as the PDF writer puts them in content streams and dictionaries.

#include "output/pdf/pdf_file.h"

#include <QByteArray>
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

using namespace orvane;

namespace {

QByteArray Number(double value)
{
    QByteArray out("x");
    PdfAppendNumber(out, value);
    return out.mid(1);
}

} // namespace

TEST(PdfNumbers, ThousandthsWithoutTrailingZerosOrExponent)
{
    EXPECT_EQ(Number(0), "0");
    EXPECT_EQ(Number(12), "12");
    EXPECT_EQ(Number(-3), "-3");
    EXPECT_EQ(Number(1.5), "1.5");
    EXPECT_EQ(Number(0.05), "0.05");
    EXPECT_EQ(Number(0.001), "0.001");
    EXPECT_EQ(Number(-0.25), "-0.25");
    EXPECT_EQ(Number(12.345), "12.345");
    EXPECT_EQ(Number(100.1004), "100.1");
    EXPECT_EQ(Number(2.9996), "3");
    // Less than half a thousandth is nothing, and has no sign.
    EXPECT_EQ(Number(-0.0004), "0");
    EXPECT_EQ(Number(1e12), "1000000000000");
    EXPECT_EQ(Number(-123456.789), "-123456.789");
    EXPECT_EQ(Number(std::numeric_limits<double>::quiet_NaN()), "0");
    EXPECT_EQ(Number(std::numeric_limits<double>::infinity()), "0");
    // Every colour component, as a fill colour writes it.
    for (int i = 0; i < 256; ++i) {
        const QByteArray text = Number(i / 255.0);
        EXPECT_NEAR(text.toDouble(), i / 255.0, 0.0005) << i;
        EXPECT_FALSE(text.endsWith('0') && text.contains('.')) << text.constData();
    }
}

TEST(PdfNumbers, ContentAppendsInPlaceAfterWhatIsThere)
{
    TPdfContent content;
    content.append("q ");
    PdfAppendNumber(content, 0.5);
    content.append(' ').append(QByteArray("cm")).append('\n');
    const QByteArray copy = content;
    for (int i = 0; i < 10000; ++i)
        PdfAppendInt(content, i % 10);
    EXPECT_EQ(copy, "q 0.5 cm\n");
    EXPECT_EQ(content.size(), copy.size() + 10000);
    EXPECT_TRUE(content.startsWith(copy));
    EXPECT_EQ(content.mid(copy.size(), 12), "012345678901");
    EXPECT_EQ(content.constData()[content.size()], '\0');
}
