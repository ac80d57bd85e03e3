#pragma once

// A decoded frame as the animation keeps it: a byte a pixel into its colour table. A GIF frame never
// has more than 256 colours, so this keeps a frame in a quarter of the memory of 32-bit pixels.
// Canvas pixels are 32-bit values as a top-down Windows DIB holds them (0x00RRGGBB).

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace core {

constexpr size_t kMaxFrameColours = 256;

struct IndexedFrame {
    int32_t width = 0;
    int32_t height = 0;
    // Every byte value has an entry, so that no index can point past the table: the entries a
    // GIF's table does not fill are black.
    std::array<uint32_t, kMaxFrameColours> palette = {};  // 0x00RRGGBB
    int32_t transparentIndex = -1;  // the index of the pixels that leave the canvas as it is, or -1
    std::vector<uint8_t> indices;   // width * height, top row first
};

// Draws `frame` with its top left at (left, top) of a canvas of canvasWidth x canvasHeight pixels
// (top row first), leaving the canvas as it was under transparent pixels and outside the frame.
void DrawIndexedFrame(const IndexedFrame& frame, int32_t left, int32_t top, uint32_t* canvas, int32_t canvasWidth,
                      int32_t canvasHeight);

}  // namespace core
