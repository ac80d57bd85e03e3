#pragma once
// One loaded frame of a multi-frame GIF: its own picture and where and how long it is shown.

#include "com_ptr.h"

#include <windows.h>
#include <ocidl.h>

#include <cstdint>

struct GifFrame {
    ComPtr<IPicture> picture;
    int32_t width = 0;
    int32_t height = 0;
    int32_t left = 0;
    int32_t top = 0;
    int32_t delay = -1;    // hundredths of a second; -1 without a graphic control extension
    int32_t disposal = 0;
};
