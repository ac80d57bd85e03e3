#pragma once
// Where one frame of a GIF is drawn, for how long, and how it is disposed of: what the walker reads
// from the frame's blocks, what the frame loop decides by, and what the control keeps beside each
// frame's picture. A plain-text frame has no position or size (all 0).

#include <cstdint>

namespace core {

struct GifFrameInfo {
    int32_t width = 0;
    int32_t height = 0;
    int32_t left = 0;
    int32_t top = 0;
    int32_t delay = -1;    // hundredths of a second; -1 without a graphic control extension
    int32_t disposal = 0;  // 0 to 7; 0 without a graphic control extension
};

}  // namespace core
