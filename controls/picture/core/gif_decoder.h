#pragma once

// Decodes the image of a cut frame stream (a GIF of one graphic block, as GifWalker::CutNextFrame
// makes it) into a byte a pixel. The LZW data is decoded here rather than by the system's picture
// loader: Wine's, for one, starts its whole code table afresh at every clear code, which costs an
// image that clears often (as some encoders do every few pixels) a third of a second a frame in a
// 32-bit process, more than many a frame's delay. Here a clear costs as little as any other code.

#include "indexed_frame.h"

#include <cstddef>
#include <cstdint>

namespace core {

// False, with `frame` emptied, when the stream holds no image (a plain-text block, say), no colour
// table for it, an LZW minimum code size outside 1 to 8, no pixels or more than 64 Mi of them, or
// data that is damaged or ends before the last pixel: such a frame is not drawn. Never reads
// outside [stream, stream + size).
bool DecodeGifFrame(const uint8_t* stream, size_t size, IndexedFrame& frame);

}  // namespace core
