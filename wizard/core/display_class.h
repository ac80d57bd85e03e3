#pragma once
// The wizard window's size, place and fonts from the screen's density and size.

#include <string>

namespace core {

// One of three display-density classes, chosen by the horizontal logical DPI.
struct DisplayClass {
    int width;
    int height;
    const char* backgroundImage;  // file name in data\ of the class's background picture
};

// 96 or less: 600 x 398; 97 to 125: 750 x 498; 126 to 144: 900 x 597. Denser screens keep the last
// class's picture, and the window grows with the density from 600 x 398 at 96 (MulDiv, rounded to
// nearest), so that the dialog's controls, which grow with the dialog font, stay inside it.
DisplayClass DisplayClassForDpi(int horizontalDpi);

struct WindowOrigin {
    int left;
    int top;
};

// Centred on the screen; the division truncates toward zero, so a screen smaller than the window
// gives a negative origin (799 - 900 gives -50, not -51).
WindowOrigin CentreOnScreen(int screenWidth, int screenHeight, int windowWidth, int windowHeight);

// A font height for a point size: -(points * dpi / 72), rounded to nearest as MulDiv rounds.
int FontHeightForPoints(int points, int verticalDpi);

}  // namespace core
