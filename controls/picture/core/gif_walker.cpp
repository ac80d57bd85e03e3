#include "gif_walker.h"

#include <cstring>

namespace core {

namespace {

constexpr size_t kScreenHeaderSize = 13;  // header and logical screen descriptor
constexpr size_t kGraphicControlSize = 8;
constexpr size_t kApplicationHeaderSize = 14;  // 0x21 0xFF 0x0B, identifier and auth code
constexpr size_t kCommentHeaderSize = 2;
constexpr size_t kPlainTextHeaderSize = 15;  // 0x21 0x01 0x0C and twelve bytes of grid
constexpr size_t kImageDescriptorSize = 10;
constexpr uint8_t kTrailer = 0x3B;

uint16_t ReadLe16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }

// A colour table flag in bit 7 and its size n in bits 0-2: 3 x 2^(n+1) bytes.
size_t ColorTableBytes(uint8_t packed) { return (packed & 0x80) ? size_t(3) << ((packed & 7) + 1) : 0; }

// Eight full sub-blocks, each a size byte 255 and 255 bytes of data.
constexpr size_t kFullSubBlock = 256;
constexpr size_t kRunSubBlocks = 8;
constexpr size_t kFullRunBytes = kRunSubBlocks * kFullSubBlock;

// True when the kRunSubBlocks sub-blocks from `run` are all full; the caller has checked that
// they lie inside the data. Every size byte is read whatever the others hold, so the reads do not
// wait on each other.
bool IsFullRun(const uint8_t* run) {
    unsigned full = 1;
    for (size_t i = 0; i < kRunSubBlocks; ++i) full &= run[i * kFullSubBlock] == 255;
    return full != 0;
}

bool IsLeadingExtension(GifBlockKind kind) {
    return kind == GifBlockKind::ApplicationExtension || kind == GifBlockKind::CommentExtension;
}

bool EndsGraphicBlock(GifBlockKind kind) {
    return kind == GifBlockKind::ImageDescriptor || kind == GifBlockKind::PlainTextExtension;
}

}  // namespace

bool GifWalker::IsGif(const uint8_t* data, size_t size) {
    return data && size >= 3 && data[0] == 'G' && data[1] == 'I' && data[2] == 'F';
}

bool GifWalker::Start(const uint8_t* data, size_t size) {
    Reset();
    if (!IsGif(data, size) || size < kScreenHeaderSize) return false;
    // Header and logical screen descriptor: +0 "GIF"  +3 version  +6 width  +8 height (LE)
    //   +10 packed (bit 7 global colour table, bits 0-2 n)  +11 background index  +12 aspect
    m_data = data;
    m_dataSize = size;
    m_screenWidth = ReadLe16(data + 6);
    m_screenHeight = ReadLe16(data + 8);
    m_colorTableSize = ColorTableBytes(data[10]);
    Rewind();
    return true;
}

void GifWalker::Reset() { *this = GifWalker(); }

size_t GifWalker::CountGraphicBlocks() {
    Rewind();
    size_t count = 0;
    while (SkipGraphicBlock()) ++count;
    Rewind();
    return count;
}

GifBlockKind GifWalker::ClassifyBlock() const {
    if (!m_data || m_offset >= m_dataSize) return GifBlockKind::Unrecognised;
    switch (m_data[m_offset]) {
        case 0x2C:
            return GifBlockKind::ImageDescriptor;
        case kTrailer:
            return GifBlockKind::Trailer;
        case 0x21:
            break;
        default:
            return GifBlockKind::Unrecognised;
    }
    if (m_dataSize - m_offset < 2) return GifBlockKind::Unrecognised;  // label cut off
    switch (m_data[m_offset + 1]) {
        case 0xFF:
            return GifBlockKind::ApplicationExtension;
        case 0xFE:
            return GifBlockKind::CommentExtension;
        case 0xF9:
            return GifBlockKind::GraphicControlExtension;
        case 0x01:
            return GifBlockKind::PlainTextExtension;
        default:
            return GifBlockKind::Unrecognised;
    }
}

int64_t GifWalker::SubBlockChainLength(size_t position) const {
    if (!m_data) return kPastEnd;
    const size_t start = position;
    while (position < m_dataSize) {
        // Image data is mostly runs of full 255-byte sub-blocks. Stepping one size byte at a time
        // waits on each load before the next address is known, which dominates a cut from
        // memory that is not in cache; reading a run's size bytes at once lets the loads overlap.
        // When one of them is not 255 the run is not taken (its later bytes were image data).
        if (kFullRunBytes <= m_dataSize - position && IsFullRun(m_data + position)) {
            position += kFullRunBytes;
            continue;
        }
        const size_t n = m_data[position];
        if (n == 0) return int64_t(position - start) + 1;  // size bytes, data, terminator
        if (n >= m_dataSize - position) return kPastEnd;   // needs n + 1 bytes from here
        position += n + 1;
    }
    return kPastEnd;  // the size byte itself is missing
}

int64_t GifWalker::BlockLength() const {
    // A fixed-size head, then a sub-block chain. The head sizes hold whatever the block-size byte
    // inside an extension says, so a lying size byte cannot move the walk.
    const auto headAndChain = [this](size_t head) -> int64_t {
        if (head >= m_dataSize - m_offset) return kPastEnd;  // the chain has no byte left
        const int64_t chain = SubBlockChainLength(m_offset + head);
        return chain == kPastEnd ? kPastEnd : int64_t(head) + chain;
    };
    switch (ClassifyBlock()) {
        case GifBlockKind::ApplicationExtension:
            return headAndChain(kApplicationHeaderSize);
        case GifBlockKind::CommentExtension:
            return headAndChain(kCommentHeaderSize);
        case GifBlockKind::GraphicControlExtension:
            return int64_t(kGraphicControlSize);
        case GifBlockKind::PlainTextExtension:
            return headAndChain(kPlainTextHeaderSize);
        case GifBlockKind::ImageDescriptor: {
            // Image descriptor: +0 0x2C  +1 left  +3 top  +5 width  +7 height (LE)
            //   +9 packed (bit 7 local colour table, bits 0-2 n)  +10 local colour table,
            //   then one byte of LZW minimum code size, then the image data chain
            if (m_dataSize - m_offset < kImageDescriptorSize) return kPastEnd;
            const size_t localTable = ColorTableBytes(m_data[m_offset + 9]);
            return headAndChain(kImageDescriptorSize + localTable + 1);
        }
        case GifBlockKind::Trailer:
            return 1;
        case GifBlockKind::Unrecognised:
            break;
    }
    return kPastEnd;
}

bool GifWalker::SkipBlock() {
    if (!m_data) return false;
    const int64_t length = BlockLength();
    if (length <= 0) return false;
    if (m_offset > m_dataSize || uint64_t(length) > m_dataSize - m_offset) return false;
    m_offset += size_t(length);
    return true;
}

bool GifWalker::SkipLeadingExtensions() {
    while (IsLeadingExtension(ClassifyBlock())) {
        if (!SkipBlock()) return false;
    }
    return true;
}

// From just after a graphic control extension to the image or plain text that ends its graphic
// block, left unpassed. Extensions on the way, further graphic control extensions included, are
// part of the graphic block.
bool GifWalker::SkipToEndOfGraphicBlock() {
    for (;;) {
        const GifBlockKind kind = ClassifyBlock();
        if (EndsGraphicBlock(kind)) return true;
        if (kind == GifBlockKind::Trailer || kind == GifBlockKind::Unrecognised) return false;
        if (!SkipBlock()) return false;
    }
}

bool GifWalker::SkipGraphicBlock() {
    if (!m_data || !SkipLeadingExtensions()) return false;
    const GifBlockKind kind = ClassifyBlock();
    if (kind == GifBlockKind::GraphicControlExtension) {
        if (!SkipBlock() || !SkipToEndOfGraphicBlock()) return false;
        return SkipBlock();
    }
    return EndsGraphicBlock(kind) && SkipBlock();
}

uint8_t* GifWalker::CutNextFrame(GifAllocFn alloc, void* context, size_t& streamLength, GifFrameInfo& frame) {
    streamLength = 0;
    frame = GifFrameInfo();
    if (!m_data || !alloc || !SkipLeadingExtensions()) return nullptr;

    const size_t start = m_offset;
    GifBlockKind kind = ClassifyBlock();
    if (kind == GifBlockKind::GraphicControlExtension) {
        if (!SkipBlock()) return nullptr;  // its eight bytes are there before they are read
        // Graphic control extension: +0 0x21  +1 0xF9  +2 size  +3 packed (disposal = bits 2-4)
        //   +4 delay (1/100 s, LE)  +6 transparent index  +7 terminator
        const uint8_t* control = m_data + start;
        frame.disposal = (control[3] >> 2) & 7;
        frame.delay = ReadLe16(control + 4);
        if (!SkipToEndOfGraphicBlock()) return nullptr;
        kind = ClassifyBlock();
    } else if (!EndsGraphicBlock(kind)) {
        return nullptr;
    }

    const size_t ending = m_offset;
    if (!SkipBlock()) return nullptr;
    if (kind == GifBlockKind::ImageDescriptor) {
        const uint8_t* image = m_data + ending;  // layout in BlockLength
        frame.left = ReadLe16(image + 1);
        frame.top = ReadLe16(image + 3);
        frame.width = ReadLe16(image + 5);
        frame.height = ReadLe16(image + 7);
    }

    // The walk only moves forward from the first block, so the source's header and global colour
    // table lie wholly before `start`, and the stream is at most one byte longer than the data.
    const size_t head = FirstBlockOffset();
    const size_t span = m_offset - start;
    const size_t length = head + span + 1;
    uint8_t* stream = alloc(context, length);
    if (!stream) return nullptr;
    std::memcpy(stream, m_data, head);
    std::memcpy(stream + head, m_data + start, span);
    stream[head + span] = kTrailer;
    streamLength = length;
    return stream;
}

}  // namespace core
