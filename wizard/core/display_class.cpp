#include "display_class.h"

#include <cstdint>

namespace core {

namespace {

struct ClassRow {
    int maxDpi;  // inclusive
    DisplayClass display;
};

const ClassRow kClasses[] = {
    {96, {600, 398, "main96DPI.jpg"}},
    {125, {750, 498, "main125DPI.jpg"}},
    {144, {900, 597, "main150DPI.jpg"}},
};

// MulDiv(value, numerator, denominator) for positive denominators: the product in 64 bits, halves
// rounded away from zero.
int ScaleRounded(int value, int numerator, int denominator) {
    const int64_t product = static_cast<int64_t>(value) * numerator;
    const int64_t half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

}  // namespace

DisplayClass DisplayClassForDpi(int horizontalDpi) {
    for (const ClassRow& row : kClasses) {
        if (horizontalDpi <= row.maxDpi) return row.display;
    }
    // Beyond the table the dialog-unit layout would outgrow the last class's window: the window
    // scales from the first class by the density, which gives the table's own sizes at 96, 120
    // and 144, and keeps the last class's picture, stretched as every picture is.
    const DisplayClass& base = kClasses[0].display;
    const DisplayClass& last = kClasses[sizeof kClasses / sizeof kClasses[0] - 1].display;
    return DisplayClass{ScaleRounded(base.width, horizontalDpi, 96), ScaleRounded(base.height, horizontalDpi, 96),
                        last.backgroundImage};
}

WindowOrigin CentreOnScreen(int screenWidth, int screenHeight, int windowWidth, int windowHeight) {
    // C++ integer division truncates toward zero, as the placement needs.
    return WindowOrigin{(screenWidth - windowWidth) / 2, (screenHeight - windowHeight) / 2};
}

int FontHeightForPoints(int points, int verticalDpi) { return -ScaleRounded(points, verticalDpi, 72); }

}  // namespace core
