// Where shapes and lines draw inside their rectangle, in thousandths of a millimetre.

#include "components/line.h"
#include "components/shape.h"

#include <gtest/gtest.h>

using namespace orvane;

TEST(ShapeGeometry, SquareFormsAreCentredAndThePenStaysInside)
{
    // 100 x 50 px, pen 3: a 48 px square from (26, 1) px; radii 12 px.
    const TjxShapeGeometry circle = ShapeGeometry(stCircle, 3, 100, 50, 0, 0);
    EXPECT_EQ(circle, (TjxShapeGeometry{6879, 265, 12700, 12700, 3175, stEllipse}));

    // Through the print rectangle: the page position is added, the size comes back from pixels.
    TjxShape shape;
    shape.SetShape(stCircle);
    shape.Pen()->SetWidth(3);
    const int w = UnitsToThousandths(100, utScreenPixels, axHorizontal);
    const int h = UnitsToThousandths(50, utScreenPixels, axVertical);
    EXPECT_EQ(shape.PrintGeometry({10000, 20000, 10000 + w, 20000 + h}),
              (TjxShapeGeometry{16879, 20265, 12700, 12700, 3175, stEllipse}));

    // A tall rounded square, pen 2: (1, 31) to (39, 69) px, radii 10 px.
    EXPECT_EQ(ShapeGeometry(stRoundSquare, 2, 40, 100, 0, 0),
              (TjxShapeGeometry{265, 8202, 10054, 10054, 2646, stRoundRect}));
    // The general forms fill the whole rectangle; an odd pen of 1 insets nothing.
    EXPECT_EQ(ShapeGeometry(stRoundRect, 1, 40, 100, 0, 0), (TjxShapeGeometry{0, 0, 10583, 26458, 2646, stRoundRect}));
    EXPECT_EQ(ShapeGeometry(stSquare, 0, 40, 40, 500, 700).shapeType, stRectangle);
    EXPECT_EQ(ShapeGeometry(stEllipse, 0, 40, 40, 500, 700).shapeType, stEllipse);
}

TEST(ShapeGeometry, APenWiderThanTheShapeLeavesAnEmptyFigure)
{
    const TjxShapeGeometry g = ShapeGeometry(stRectangle, 10, 4, 50, 0, 0);
    EXPECT_EQ(g.width, 0);
    EXPECT_EQ(g.height, UnitsToThousandths(40, utScreenPixels, axVertical));

    TjxShape designed;
    designed.SetBounds(0, 0, UnitsToThousandths(20, utScreenPixels, axVertical),
                       UnitsToThousandths(60, utScreenPixels, axHorizontal));
    designed.SetShape(stSquare);
    // 60 x 20 px at pen 1: a 20 px square 20 px in.
    EXPECT_EQ(designed.DesignGeometry(), (TjxShapeGeometry{5292, 0, 5291, 5292, 1323, stRectangle}));
}

TEST(LineGeometry, EachPositionAndTheSecondLineOfADoubleLine)
{
    const TjxRect r{1000, 2000, 51000, 6000};
    EXPECT_EQ(LineThickness(0.75f), 265);
    EXPECT_EQ(LineThickness(0.0f), 1);  // a hairline, never nothing
    EXPECT_EQ(LineThickness(72.0f), 25400);

    using V = std::vector<TjxRect>;
    EXPECT_EQ(LineStrips(r, lpTop, lsSingle, 0.75f), (V{{1000, 2000, 51000, 2265}}));
    EXPECT_EQ(LineStrips(r, lpBottom, lsSingle, 0.75f), (V{{1000, 5735, 51000, 6000}}));
    EXPECT_EQ(LineStrips(r, lpLeft, lsSingle, 0.75f), (V{{1000, 2000, 1265, 6000}}));
    EXPECT_EQ(LineStrips(r, lpRight, lsSingle, 0.75f), (V{{50735, 2000, 51000, 6000}}));
    // The second line starts two thicknesses in from the edge.
    EXPECT_EQ(LineStrips(r, lpTop, lsDouble, 0.75f), (V{{1000, 2000, 51000, 2265}, {1000, 2530, 51000, 2795}}));
    EXPECT_EQ(LineStrips(r, lpBottom, lsDouble, 0.75f), (V{{1000, 5735, 51000, 6000}, {1000, 5205, 51000, 5470}}));
    EXPECT_EQ(LineStrips(r, lpLeft, lsDouble, 0.75f), (V{{1000, 2000, 1265, 6000}, {1530, 2000, 1795, 6000}}));
    EXPECT_EQ(LineStrips(r, lpRight, lsDouble, 0.75f), (V{{50735, 2000, 51000, 6000}, {50205, 2000, 50470, 6000}}));

    TjxLine line;
    line.SetPosition(lpRight);
    line.SetStyle(lsDouble);
    line.SetWeight(1.5f);
    EXPECT_EQ(line.PrintStrips(r), LineStrips(r, lpRight, lsDouble, 1.5f));
    EXPECT_EQ(line.PrintStrips(r)[1].right, 51000 - 2 * 529);
}
