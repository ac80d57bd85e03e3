#include "high_contrast.h"

#include "globals.h"

#include <windows.h>

bool HighContrastIsOn() {
    bool answer = false;
    if (HighContrastAnsweredForTest(answer)) return answer;
    HIGHCONTRASTW setting = {};
    setting.cbSize = sizeof setting;
    return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof setting, &setting, 0) &&
           (setting.dwFlags & HCF_HIGHCONTRASTON) != 0;
}
