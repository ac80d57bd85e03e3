#include "gif_decoder.h"

#include "gif_walker.h"

#include <new>
#include <utility>

namespace core {

namespace {

constexpr size_t kMaxCodes = 4096;  // GIF89a appendix F: codes are at most 12 bits wide
constexpr int kMaxCodeBits = 12;
constexpr int kNoCode = -1;
// No frame for a 64x60 animation area comes near; a file that says more is refused, not allocated.
constexpr size_t kMaxFramePixels = size_t(1) << 26;

uint16_t ReadLe16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }

size_t ColorTableBytes(uint8_t packed) { return (packed & 0x80) ? size_t(3) << ((packed & 7) + 1) : 0; }

// Colour table entries (red, green, blue) into the palette; the rest stay black.
void ReadColorTable(const uint8_t* table, size_t bytes, IndexedFrame& frame) {
    for (size_t i = 0; i < bytes / 3 && i < kMaxFrameColours; ++i)
        frame.palette[i] = uint32_t(table[3 * i]) << 16 | uint32_t(table[3 * i + 1]) << 8 | table[3 * i + 2];
}

// The data bytes of a sub-block chain, one after another, without its size bytes.
class ChainReader {
public:
    ChainReader(const uint8_t* data, size_t size, size_t position) : m_data(data), m_size(size), m_position(position) {}

    // False at the chain's end, or where it runs past the data.
    bool Next(uint8_t& byte) {
        if (m_left == 0) {
            if (m_ended || m_position >= m_size) return false;
            m_left = m_data[m_position++];
            if (m_left == 0 || m_left > m_size - m_position) {
                m_ended = true;
                return false;
            }
        }
        --m_left;
        byte = m_data[m_position++];
        return true;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_position;
    size_t m_left = 0;
    bool m_ended = false;
};

// Where each decoded pixel goes: rows in order, or an interlaced image's four passes (GIF89a
// appendix E: every 8th row from 0, every 8th from 4, every 4th from 2, every 2nd from 1).
class PixelSink {
public:
    PixelSink(IndexedFrame& frame, bool interlaced) : m_frame(frame), m_interlaced(interlaced) {}

    bool Full() const { return m_row >= m_frame.height; }

    // Writes the pixels while the image has room; the rest are dropped.
    void Put(const uint8_t* pixels, size_t count) {
        for (size_t i = 0; i < count && !Full(); ++i) {
            m_frame.indices[size_t(m_row) * size_t(m_frame.width) + size_t(m_x)] = pixels[i];
            if (++m_x == m_frame.width) NextRow();
        }
    }

private:
    void NextRow() {
        m_x = 0;
        if (!m_interlaced) {
            ++m_row;
            return;
        }
        static const int32_t kStart[] = {0, 4, 2, 1};
        static const int32_t kStep[] = {8, 8, 4, 2};
        m_row += kStep[m_pass];
        while (m_row >= m_frame.height && m_pass < 3) m_row = kStart[++m_pass];
    }

    IndexedFrame& m_frame;
    bool m_interlaced;
    int32_t m_row = 0;
    int32_t m_x = 0;
    int m_pass = 0;
};

// GIF89a appendix F's variable-length LZW, codes least significant bit first. False when the data
// ends or goes wrong before every pixel has its value.
bool DecodeLzw(ChainReader& chain, int minCodeSize, PixelSink& sink) {
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    // A string is its last byte and the code of the string before it; its first byte is kept
    // beside, for the entry the next code adds.
    uint16_t prefix[kMaxCodes];
    uint8_t suffix[kMaxCodes];
    uint8_t first[kMaxCodes];
    uint8_t string[kMaxCodes];
    for (int code = 0; code < clear; ++code) {
        prefix[code] = 0;
        suffix[code] = first[code] = uint8_t(code);
    }
    int codeBits = minCodeSize + 1;
    int next = clear + 2;
    int previous = kNoCode;
    uint32_t bits = 0;
    int bitCount = 0;
    while (!sink.Full()) {
        while (bitCount < codeBits) {
            uint8_t byte = 0;
            if (!chain.Next(byte)) return false;
            bits |= uint32_t(byte) << bitCount;
            bitCount += 8;
        }
        const int code = int(bits & ((1u << codeBits) - 1));
        bits >>= codeBits;
        bitCount -= codeBits;

        if (code == clear) {
            // Only the counters start again: the entries past them are written before they are read.
            codeBits = minCodeSize + 1;
            next = clear + 2;
            previous = kNoCode;
            continue;
        }
        if (code == end) return false;  // the image is not whole
        if (previous == kNoCode) {
            if (code >= clear) return false;
            const uint8_t pixel = uint8_t(code);
            sink.Put(&pixel, 1);
            previous = code;
            continue;
        }
        // A code not yet in the table may only be the one being added: the previous string and
        // its own first byte.
        if (code > next) return false;
        const int known = code < next ? code : previous;
        size_t length = 0;
        if (code == next) string[kMaxCodes - ++length] = first[previous];
        for (int at = known;; at = prefix[at]) {
            string[kMaxCodes - ++length] = suffix[at];
            if (at < clear) break;
        }
        sink.Put(string + kMaxCodes - length, length);
        // A full table takes no more entries until the next clear (a "deferred clear").
        if (next < int(kMaxCodes)) {
            prefix[next] = uint16_t(previous);
            suffix[next] = first[known];
            first[next] = first[previous];
            ++next;
            if (next == (1 << codeBits) && codeBits < kMaxCodeBits) ++codeBits;
        }
        previous = code;
    }
    return true;
}

}  // namespace

bool DecodeGifFrame(const uint8_t* stream, size_t size, IndexedFrame& frame) {
    frame = IndexedFrame();
    GifWalker walker;
    if (!walker.Start(stream, size) || walker.ColorTableSize() > size - 13) return false;
    IndexedFrame out;
    ReadColorTable(stream + 13, walker.ColorTableSize(), out);
    bool hasTable = walker.ColorTableSize() > 0;

    // Up to the image: extensions, of which the first graphic control extension says what is
    // transparent (as it says the frame's delay).
    bool controlSeen = false;
    for (;;) {
        const GifBlockKind kind = walker.ClassifyBlock();
        if (kind == GifBlockKind::ImageDescriptor) break;
        if (kind == GifBlockKind::Trailer || kind == GifBlockKind::Unrecognised ||
            kind == GifBlockKind::PlainTextExtension)
            return false;
        const size_t at = walker.Offset();
        if (!walker.SkipBlock()) return false;
        if (kind == GifBlockKind::GraphicControlExtension && !controlSeen) {
            // +3 packed (bit 0: transparent index given)  +6 transparent index; the block is whole
            controlSeen = true;
            if (stream[at + 3] & 1) out.transparentIndex = stream[at + 6];
        }
    }

    // Image descriptor: +1 left +3 top +5 width +7 height (LE) +9 packed (bit 7 local colour
    // table, bit 6 interlaced, bits 0-2 n) +10 local colour table, then the LZW minimum code size
    // and the data chain. SkipBlock checks that all of it lies in the data.
    const size_t image = walker.Offset();
    if (!walker.SkipBlock()) return false;
    const uint8_t packed = stream[image + 9];
    const size_t localTable = ColorTableBytes(packed);
    if (localTable > 0) {
        out.palette.fill(0);
        ReadColorTable(stream + image + 10, localTable, out);
        hasTable = true;
    }
    const int minCodeSize = stream[image + 10 + localTable];
    if (!hasTable || minCodeSize < 1 || minCodeSize > 8) return false;
    out.width = ReadLe16(stream + image + 5);
    out.height = ReadLe16(stream + image + 7);
    const size_t pixels = size_t(out.width) * size_t(out.height);
    // An image of no rows or no columns has nothing to show.
    if (pixels == 0 || pixels > kMaxFramePixels) return false;
    try {
        out.indices.assign(pixels, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    ChainReader chain(stream, size, image + 11 + localTable);
    PixelSink sink(out, (packed & 0x40) != 0);
    if (!DecodeLzw(chain, minCodeSize, sink)) return false;
    frame = std::move(out);
    return true;
}

}  // namespace core
