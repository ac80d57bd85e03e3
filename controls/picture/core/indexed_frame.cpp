#include "indexed_frame.h"

#include <algorithm>

namespace core {

void DrawIndexedFrame(const IndexedFrame& frame, int32_t left, int32_t top, uint32_t* canvas, int32_t canvasWidth,
                      int32_t canvasHeight) {
    if (frame.width <= 0 || frame.height <= 0 ||
        frame.indices.size() < static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height))
        return;
    // The part of the frame inside the canvas, in 64 bits: a position may be anything a file says.
    const int64_t x0 = left < 0 ? -static_cast<int64_t>(left) : 0;
    const int64_t y0 = top < 0 ? -static_cast<int64_t>(top) : 0;
    const int64_t x1 = std::min<int64_t>(frame.width, static_cast<int64_t>(canvasWidth) - left);
    const int64_t y1 = std::min<int64_t>(frame.height, static_cast<int64_t>(canvasHeight) - top);
    if (x0 >= x1 || y0 >= y1) return;
    const size_t frameWidth = static_cast<size_t>(frame.width);
    const size_t stride = static_cast<size_t>(canvasWidth);
    const size_t count = static_cast<size_t>(x1 - x0);
    const int32_t transparent = frame.transparentIndex;
    for (int64_t y = y0; y < y1; ++y) {
        const uint8_t* from = frame.indices.data() + static_cast<size_t>(y) * frameWidth + static_cast<size_t>(x0);
        uint32_t* to = canvas + static_cast<size_t>(y + top) * stride + static_cast<size_t>(x0 + left);
        for (size_t x = 0; x < count; ++x) {
            if (from[x] != transparent) to[x] = frame.palette[from[x]];
        }
    }
}

}  // namespace core
