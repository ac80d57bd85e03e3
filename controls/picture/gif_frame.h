#pragma once
// One loaded frame of a multi-frame GIF: its own picture and where and how long it is shown.

#include "com_ptr.h"
#include "gif_frame_info.h"

#include <windows.h>
#include <ocidl.h>

struct GifFrame {
    ComPtr<IPicture> picture;
    core::GifFrameInfo info;
};
