#pragma once

// What the GIF tests and the benchmark share: the walker's cuts kept in buffers of their own, and
// giflib reading a file from memory.
#include "gif_walker.h"

#include <gif_lib.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gif_support {

using Bytes = std::vector<uint8_t>;

struct CutFrame {
    Bytes stream;
    core::GifFrameInfo info;
};

struct Walk {
    bool started = false;
    size_t blocks = 0;
    std::vector<CutFrame> frames;
    // Every cut came back in the buffer allocated for it, with that buffer's length.
    bool cutsFillTheirBuffers = true;
};

// What the picture control does with a stream: start, count, cut from the first block until none.
Walk WalkAll(const uint8_t* data, size_t size);
inline Walk WalkAll(const Bytes& data) { return WalkAll(data.data(), data.size()); }

// giflib's input function over bytes in memory; DGifOpen's user data is a MemoryReader.
struct MemoryReader {
    const Bytes* data;
    size_t position;
};
int ReadFromMemory(GifFileType* gif, GifByteType* out, int wanted);

}  // namespace gif_support
