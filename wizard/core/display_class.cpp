#include "display_class.h"

#include <cstdint>

DisplayClass DisplayClassForDpi(int horizontalDpi)
{
    if (horizontalDpi <= 96)
        return DisplayClass{600, 398, "main96DPI.jpg"};
    if (horizontalDpi <= 125)
        return DisplayClass{750, 498, "main125DPI.jpg"};
    return DisplayClass{900, 597, "main150DPI.jpg"};
}

WindowOrigin CentreOnScreen(int screenWidth, int screenHeight, int windowWidth, int windowHeight)
{
    // C++ integer division truncates toward zero, as the placement needs.
    return WindowOrigin{(screenWidth - windowWidth) / 2, (screenHeight - windowHeight) / 2};
}

int FontHeightForPoints(int points, int verticalDpi)
{
    // MulDiv(points, dpi, 72): the product in 64 bits, halves rounded away from zero.
    const int64_t product = static_cast<int64_t>(points) * verticalDpi;
    const int64_t rounded = product >= 0 ? (product + 36) / 72 : (product - 36) / 72;
    return -static_cast<int>(rounded);
}
