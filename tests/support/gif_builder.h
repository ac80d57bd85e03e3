#pragma once

// GIF streams built block by block, for the tests of every tree: each method gives the offsets of
// what it writes from the block's first byte. No Windows headers: the native tests use it too.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace support {

class GifBuilder {
public:
    using Bytes = std::vector<uint8_t>;

    // +0 "GIF89a" +6 width +8 height +10 packed +11 background +12 aspect, then the global colour
    // table the packed byte announces, every entry 0x777777 until GlobalColour sets it.
    explicit GifBuilder(uint8_t packed = 0x00, uint16_t width = 16, uint16_t height = 8);
    GifBuilder& GlobalColour(size_t index, uint8_t red, uint8_t green, uint8_t blue);
    // +0 0x21 +1 0xF9 +2 0x04 +3 packed (disposal in bits 2-4) +4 delay +6 transparent +7 0x00
    GifBuilder& Control(uint16_t delay, uint8_t packed);
    // +0 0x2C +1 left +3 top +5 width +7 height +9 packed +10 local table, LZW code size 2, then a
    // chain of dataBytes bytes that are no LZW (the walker never decodes them; the picture loader
    // refuses an image without any)
    GifBuilder& Image(uint16_t left, uint16_t top, uint16_t width, uint16_t height, size_t dataBytes = 3,
                      uint8_t packed = 0x00);
    // The same with real LZW data: every pixel colour `index` of the global table (at most 3).
    GifBuilder& SolidImage(uint16_t left, uint16_t top, uint16_t width, uint16_t height, uint8_t index);
    // +0 0x21 +1 0x01 +2 0x0C +3 twelve bytes of text grid, then the text chain
    GifBuilder& PlainText(size_t textBytes);
    // +0 0x21 +1 0xFE, then the comment chain
    GifBuilder& Comment(size_t textBytes) { return Raw({0x21, 0xFE}).Chain(textBytes); }
    // +0 0x21 +1 0xFF +2 0x0B +3 "NETSCAPE2.0" +14 the loop-count chain
    GifBuilder& Looping();
    GifBuilder& Trailer() { return Raw({0x3B}); }
    GifBuilder& Raw(std::initializer_list<uint8_t> bytes);
    // Sub-blocks of 255 bytes and one shorter one, then the terminator.
    GifBuilder& Chain(size_t dataBytes);

    size_t Size() const { return m_bytes.size(); }
    const Bytes& Get() const { return m_bytes; }

private:
    void Le16(uint16_t value);
    void Table(uint8_t packed);
    void ChainOf(const Bytes& data);
    void ImageDescriptor(uint16_t left, uint16_t top, uint16_t width, uint16_t height, uint8_t packed);

    Bytes m_bytes;
};

}  // namespace support
