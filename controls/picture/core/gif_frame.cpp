#include "gif_frame.h"

#include "gif_decoder.h"

namespace core {

bool GifFrameDecoder::Decode(size_t index) {
    if (index >= m_frames.size()) return false;
    GifFrame& frame = m_frames[index];
    frame.decoded = DecodeGifFrame(frame.stream.data(), frame.stream.size(), frame.pixels);
    return frame.decoded;
}

void GifFrameDecoder::Release(size_t index) {
    if (index >= m_frames.size()) return;
    m_frames[index].decoded = false;
    m_frames[index].pixels = IndexedFrame();  // gives its memory back
}

}  // namespace core
