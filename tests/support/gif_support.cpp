#include "gif_support.h"

#include <algorithm>
#include <cstring>

namespace gif_support {

namespace {

uint8_t* AppendCutFrame(void* context, size_t size) {
    auto* frames = static_cast<std::vector<CutFrame>*>(context);
    frames->emplace_back();
    frames->back().stream.resize(size);
    return frames->back().stream.data();
}

}  // namespace

Walk WalkAll(const uint8_t* data, size_t size) {
    Walk walk;
    core::GifWalker walker;
    walk.started = walker.Start(data, size);
    walk.blocks = walker.CountGraphicBlocks();
    size_t length = 0;
    core::GifFrameInfo info;
    while (uint8_t* stream = walker.CutNextFrame(AppendCutFrame, &walk.frames, length, info)) {
        CutFrame& frame = walk.frames.back();
        walk.cutsFillTheirBuffers =
            walk.cutsFillTheirBuffers && stream == frame.stream.data() && length == frame.stream.size();
        frame.info = info;
    }
    return walk;
}

int ReadFromMemory(GifFileType* gif, GifByteType* out, int wanted) {
    if (wanted <= 0) return 0;
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    const size_t n = std::min(size_t(wanted), reader->data->size() - reader->position);
    std::memcpy(out, reader->data->data() + reader->position, n);
    reader->position += n;
    return int(n);
}

}  // namespace gif_support
