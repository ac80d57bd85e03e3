#pragma once

#include "gif_frame_info.h"

#include <cstddef>
#include <cstdint>

namespace core {

// The kinds of block the walker tells apart by the bytes at the parse position.
enum class GifBlockKind : int {
    Unrecognised = 0,             // anything else, 0x21 with any other label, or no bytes left
    ApplicationExtension = 1,     // 0x21 0xFF
    CommentExtension = 2,         // 0x21 0xFE
    GraphicControlExtension = 3,  // 0x21 0xF9
    PlainTextExtension = 4,       // 0x21 0x01
    ImageDescriptor = 5,          // 0x2C
    Trailer = 6,                  // 0x3B
};

// A block length that runs past the data, or that cannot be known (an unrecognised block).
// Every length check rejects lengths <= 0, so the walk stops here as at a truncated block.
constexpr int64_t kPastEnd = -1;

// Storage for one frame stream: a block of at least `size` bytes, or nullptr. The walker never
// frees what it gets; on Windows this is GlobalAlloc(GMEM_FIXED) so the block can back a stream.
using GifAllocFn = uint8_t* (*)(void* context, size_t size);

// Walks the block structure of a GIF held in memory and cuts it into one self-contained GIF
// stream per graphic block. Decodes no pixel data and never reads outside [data, data + size).
// The bytes are borrowed: they must stay put from Start until Reset or the next Start.
class GifWalker {
public:
    // First three bytes "GIF": the data is to be walked rather than loaded whole.
    static bool IsGif(const uint8_t* data, size_t size);

    // Takes the data, reads the logical screen descriptor and rewinds to the first block.
    // False (and the walker reset) unless the data is a GIF with its 13-byte header whole; the
    // version bytes are not checked. The global colour table may still be cut short: the walk
    // then finds no block.
    bool Start(const uint8_t* data, size_t size);
    // Forgets the data; every walk then fails.
    void Reset();
    // Back to the first block after the header and global colour table.
    void Rewind() { m_offset = FirstBlockOffset(); }

    // The number of graphic blocks that can be passed one after another from the first block.
    // Rewinds before and after.
    size_t CountGraphicBlocks();

    // Cuts the graphic block at the parse position into a new stream (header, logical screen
    // descriptor and global colour table of the source, the graphic block, 0x3B) and moves past
    // it. Returns the stream from `alloc`, now the caller's, with its length in `streamLength`;
    // or nullptr when no further frame can be cut (end of the blocks, an unrecognised or truncated
    // block, or a failed allocation), and the outputs then mean nothing.
    uint8_t* CutNextFrame(GifAllocFn alloc, void* context, size_t& streamLength, GifFrameInfo& frame);

    uint16_t ScreenWidth() const { return m_screenWidth; }
    uint16_t ScreenHeight() const { return m_screenHeight; }
    size_t ColorTableSize() const { return m_colorTableSize; }
    size_t Offset() const { return m_offset; }
    const uint8_t* Data() const { return m_data; }
    size_t DataSize() const { return m_dataSize; }

    // The steps of the walk, each on the block at the parse position. Callers outside the walker
    // normally need only the operations above.
    GifBlockKind ClassifyBlock() const;
    // Length of the sub-block chain at `position` (size bytes, data and the terminating zero), or
    // kPastEnd when the chain is not ended inside the data.
    int64_t SubBlockChainLength(size_t position) const;
    // Length of the block from its first byte, or kPastEnd.
    int64_t BlockLength() const;
    // Moves past the block when it ends inside the data (exactly at its end included).
    bool SkipBlock();
    // Moves past one graphic block: any application and comment extensions before it, an optional
    // graphic control extension with what follows it, and the image or plain text that ends it.
    bool SkipGraphicBlock();

private:
    size_t FirstBlockOffset() const { return 13 + m_colorTableSize; }
    bool SkipLeadingExtensions();
    bool SkipToEndOfGraphicBlock();

    const uint8_t* m_data = nullptr;
    size_t m_dataSize = 0;
    size_t m_offset = 0;
    size_t m_colorTableSize = 0;
    uint16_t m_screenWidth = 0;
    uint16_t m_screenHeight = 0;
};

}  // namespace core
