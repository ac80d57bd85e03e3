#pragma once

// One frame of a multi-frame GIF, as the picture control holds it: its cut stream, its pixels
// while decoded, and where and how long it is shown.

#include "frame_cache.h"
#include "gif_frame_info.h"
#include "indexed_frame.h"

#include <cstdint>
#include <vector>

namespace core {

struct GifFrame {
    std::vector<uint8_t> stream;  // the frame's own GIF, kept for as long as it may be decoded again
    bool decoded = false;
    IndexedFrame pixels;  // while decoded
    GifFrameInfo info;
};

// Decodes the frames from their streams. Whoever decodes owns the frames for the while: the
// window's thread during a load, the animation thread after.
class GifFrameDecoder : public FrameDecoder {
public:
    explicit GifFrameDecoder(std::vector<GifFrame>& frames) : m_frames(frames) {}
    bool Decode(size_t index) override;
    void Release(size_t index) override;

private:
    std::vector<GifFrame>& m_frames;
};

}  // namespace core
