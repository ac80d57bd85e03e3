#pragma once
// One frame of a multi-frame GIF: its cut stream, its picture while decoded, and where and how long
// it is shown.

#include "com_ptr.h"
#include "frame_cache.h"
#include "gif_frame_info.h"
#include "global_memory.h"

#include <windows.h>
#include <ocidl.h>

#include <vector>

struct GifFrame {
    CGlobalMemory stream;  // the frame's own GIF, kept for as long as the frame may be decoded again
    DWORD streamLength = 0;
    ComPtr<IPicture> picture;  // null while not decoded
    core::GifFrameInfo info;
};

// Decodes the frames' pictures from their streams with the OLE picture loader. Whoever decodes
// owns the frames for the while: the window's thread during a load, the animation thread after.
class GifFrameDecoder : public core::FrameDecoder {
public:
    explicit GifFrameDecoder(std::vector<GifFrame>& frames) : m_frames(frames) {}
    bool Decode(size_t index) override;
    void Release(size_t index) override;

private:
    std::vector<GifFrame>& m_frames;
};
