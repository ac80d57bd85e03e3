// Display classes, centring and font heights of the wizard window.
#include "display_class.h"

#include <gtest/gtest.h>

#include <string>

using namespace core;

namespace {

// The three classes up to 144 DPI, then the window scaled from 600 x 398 with the last picture.
TEST(DisplayClass, BoundariesAreInclusive) {
    struct Case {
        int dpi;
        int width, height;
        std::string image;
        int screenW, screenH, left, top;
    };
    const Case cases[] = {
        {72, 600, 398, "main96DPI.jpg", 1024, 768, 212, 185},
        {96, 600, 398, "main96DPI.jpg", 1024, 768, 212, 185},
        {97, 750, 498, "main125DPI.jpg", 1366, 768, 308, 135},
        {120, 750, 498, "main125DPI.jpg", 1366, 768, 308, 135},
        {125, 750, 498, "main125DPI.jpg", 1366, 768, 308, 135},
        {126, 900, 597, "main150DPI.jpg", 1920, 1080, 510, 241},
        {144, 900, 597, "main150DPI.jpg", 1920, 1080, 510, 241},
        {145, 906, 601, "main150DPI.jpg", 1920, 1080, 507, 239},   // 906.25 x 601.15
        {168, 1050, 697, "main150DPI.jpg", 2560, 1440, 755, 371},  // 696.5 rounds up
        {192, 1200, 796, "main150DPI.jpg", 2560, 1600, 680, 402},
        {240, 1500, 995, "main150DPI.jpg", 2560, 1600, 530, 302},
        {288, 1800, 1194, "main150DPI.jpg", 1920, 1079, 60, -57},  // -115 / 2
    };
    for (const Case& c : cases) {
        const DisplayClass d = DisplayClassForDpi(c.dpi);
        EXPECT_EQ(d.width, c.width) << c.dpi;
        EXPECT_EQ(d.height, c.height) << c.dpi;
        EXPECT_EQ(d.backgroundImage, c.image) << c.dpi;
        const WindowOrigin o = CentreOnScreen(c.screenW, c.screenH, d.width, d.height);
        EXPECT_EQ(o.left, c.left) << c.dpi;
        EXPECT_EQ(o.top, c.top) << c.dpi;
    }
}

TEST(DisplayClass, CentringTruncatesTowardZero) {
    struct Case {
        int screenW, screenH, dpi, left, top;
    };
    const Case cases[] = {
        {1024, 768, 96, 212, 185},
        {1366, 768, 120, 308, 135},
        {799, 600, 144, -50, 1},
        {640, 480, 192, -280, -158},  // a 1200 x 796 window
    };
    for (const Case& c : cases) {
        const DisplayClass d = DisplayClassForDpi(c.dpi);
        const WindowOrigin o = CentreOnScreen(c.screenW, c.screenH, d.width, d.height);
        EXPECT_EQ(o.left, c.left) << c.screenW << "x" << c.screenH;
        EXPECT_EQ(o.top, c.top) << c.screenW << "x" << c.screenH;
    }
}

TEST(DisplayClass, FontHeightsRoundToNearest) {
    struct Case {
        int points, dpi, height;
    };
    const Case cases[] = {
        {12, 96, -16},  {10, 96, -13},  {12, 120, -20}, {10, 120, -17},
        {12, 144, -24}, {10, 144, -20}, {9, 96, -12},   {11, 120, -18},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FontHeightForPoints(c.points, c.dpi), c.height) << c.points << " pt at " << c.dpi;
}

}  // namespace
