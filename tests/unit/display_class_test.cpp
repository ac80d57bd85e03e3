// Display classes, centring and font heights of the wizard window.
#include "display_class.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(DisplayClass, BoundariesAreInclusive)
{
    struct Case {
        int dpi;
        int width, height;
        std::string image;
    };
    const Case cases[] = {
        {72, 600, 398, "main96DPI.jpg"},   {96, 600, 398, "main96DPI.jpg"},
        {97, 750, 498, "main125DPI.jpg"},  {120, 750, 498, "main125DPI.jpg"},
        {125, 750, 498, "main125DPI.jpg"}, {126, 900, 597, "main150DPI.jpg"},
        {144, 900, 597, "main150DPI.jpg"}, {192, 900, 597, "main150DPI.jpg"},
    };
    for (const Case& c : cases) {
        const DisplayClass d = DisplayClassForDpi(c.dpi);
        EXPECT_EQ(d.width, c.width) << c.dpi;
        EXPECT_EQ(d.height, c.height) << c.dpi;
        EXPECT_EQ(d.backgroundImage, c.image) << c.dpi;
    }
}

TEST(DisplayClass, CentringTruncatesTowardZero)
{
    struct Case {
        int screenW, screenH, dpi, left, top;
    };
    const Case cases[] = {
        {1024, 768, 96, 212, 185},
        {1366, 768, 120, 308, 135},
        {799, 600, 144, -50, 1},
        {640, 480, 192, -130, -58},   // -260 / 2 and -117 / 2
    };
    for (const Case& c : cases) {
        const DisplayClass d = DisplayClassForDpi(c.dpi);
        const WindowOrigin o = CentreOnScreen(c.screenW, c.screenH, d.width, d.height);
        EXPECT_EQ(o.left, c.left) << c.screenW << "x" << c.screenH;
        EXPECT_EQ(o.top, c.top) << c.screenW << "x" << c.screenH;
    }
}

TEST(DisplayClass, FontHeightsRoundToNearest)
{
    struct Case {
        int points, dpi, height;
    };
    const Case cases[] = {
        {12, 96, -16}, {10, 96, -13}, {12, 120, -20}, {10, 120, -17},
        {12, 144, -24}, {10, 144, -20}, {9, 96, -12}, {11, 120, -18},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FontHeightForPoints(c.points, c.dpi), c.height) << c.points << " pt at " << c.dpi;
}

}  // namespace
