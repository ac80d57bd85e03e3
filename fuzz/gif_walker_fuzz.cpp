// libFuzzer target: what the picture control does with untrusted GIF bytes (start, count the
// graphic blocks, rewind, cut every frame, decode and draw each), checking what must hold for
// every input.
#include "gif_decoder.h"
#include "gif_walker.h"

#include <cstdlib>
#include <cstring>
#include <vector>

using namespace core;

namespace {

uint8_t* AllocVector(void* context, size_t size) {
    auto* buffer = static_cast<std::vector<uint8_t>*>(context);
    buffer->assign(size, 0);
    return buffer->data();
}

void Require(bool condition) {
    if (!condition) std::abort();
}

bool SameInfo(const GifFrameInfo& a, const GifFrameInfo& b) {
    return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height && a.delay == b.delay &&
           a.disposal == b.disposal;
}

// A cut stream is a GIF of one graphic block that cuts to itself again.
void CheckFrame(const std::vector<uint8_t>& stream, const GifFrameInfo& info, const uint8_t* source, size_t head) {
    Require(stream.size() > head + 1);
    Require(std::memcmp(stream.data(), source, head) == 0);
    Require(stream.back() == 0x3B);
    Require(info.disposal >= 0 && info.disposal <= 7 && info.delay >= -1 && info.delay <= 0xFFFF);

    GifWalker again;
    Require(again.Start(stream.data(), stream.size()));
    Require(again.CountGraphicBlocks() == 1);
    std::vector<uint8_t> recut;
    size_t length = 0;
    GifFrameInfo recutInfo;
    Require(again.CutNextFrame(AllocVector, &recut, length, recutInfo) != nullptr);
    Require(length == stream.size() && recut == stream && SameInfo(recutInfo, info));
    Require(again.CutNextFrame(AllocVector, &recut, length, recutInfo) == nullptr);

    // A frame decodes to the size its descriptor says, and draws anywhere without a stray write.
    IndexedFrame frame;
    if (!DecodeGifFrame(stream.data(), stream.size(), frame)) return;
    Require(frame.width == info.width && frame.height == info.height);
    Require(frame.indices.size() == size_t(frame.width) * size_t(frame.height));
    Require(frame.transparentIndex >= -1 && frame.transparentIndex <= 255);
    std::vector<uint32_t> canvas(24 * 16);
    DrawIndexedFrame(frame, info.left % 32 - 8, info.top % 24 - 8, canvas.data(), 24, 16);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    GifWalker walker;
    if (!walker.Start(data, size)) return 0;
    const size_t blocks = walker.CountGraphicBlocks();
    const size_t head = 13 + walker.ColorTableSize();

    size_t frames = 0;
    std::vector<uint8_t> stream;
    size_t length = 0;
    GifFrameInfo info;
    while (walker.CutNextFrame(AllocVector, &stream, length, info)) {
        Require(length == stream.size());
        CheckFrame(stream, info, data, head);
        ++frames;
    }
    Require(frames == blocks);
    // Only a global colour table cut short leaves the parse position beyond the data.
    Require(walker.Offset() <= size || (frames == 0 && head > size));
    return 0;
}
