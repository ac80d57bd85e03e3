#include "globals.h"

int32_t g_nCurPage = 0;
int32_t g_nProgressStep = 0;
HWND g_hSetupWnd = nullptr;
int32_t g_nOsType = 0;
