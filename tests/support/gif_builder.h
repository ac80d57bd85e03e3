#pragma once

// GIF streams built block by block, for the tests of every tree (no Windows headers). Each method
// gives the offsets of what it writes from the block's first byte.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace support {

class GifBuilder {
public:
    using Bytes = std::vector<uint8_t>;

    // +0 "GIF89a" +6 width +8 height +10 packed +11 background +12 aspect, then the global colour
    // table the packed byte announces: `colours` (red, green, blue of each entry), the rest 0x77.
    explicit GifBuilder(uint8_t packed = 0x00, uint16_t width = 16, uint16_t height = 8, const Bytes& colours = {}) {
        Raw({'G', 'I', 'F', '8', '9', 'a'}).Le16(width).Le16(height).Raw({packed, 0, 0}).Table(packed);
        std::copy(colours.begin(), colours.begin() + std::min(colours.size(), m_bytes.size() - 13),
                  m_bytes.begin() + 13);
    }
    // +0 0x21 +1 0xF9 +2 0x04 +3 packed (disposal in bits 2-4) +4 delay +6 transparent +7 0x00
    GifBuilder& Control(uint16_t delay, uint8_t packed) {
        return Raw({0x21, 0xF9, 0x04, packed}).Le16(delay).Raw({0, 0});
    }
    // +0 0x2C +1 left +3 top +5 width +7 height +9 packed +10 local table, LZW code size 2, then
    // dataBytes bytes that are no LZW data (the walker never decodes; the picture loader refuses)
    GifBuilder& Image(uint16_t left, uint16_t top, uint16_t width, uint16_t height, size_t dataBytes = 3,
                      uint8_t packed = 0x00) {
        return Raw({0x2C}).Le16(left).Le16(top).Le16(width).Le16(height).Raw({packed}).Table(packed).Raw({0x02}).Chain(
            Filler(dataBytes));
    }
    // The same with real LZW data: every pixel colour `index` (0 to 3) of the global table (or of a
    // local one, as `packed` says).
    GifBuilder& SolidImage(uint16_t left, uint16_t top, uint16_t width, uint16_t height, uint8_t index,
                           uint8_t packed = 0x00) {
        return Raw({0x2C}).Le16(left).Le16(top).Le16(width).Le16(height).Raw({packed}).Table(packed).Raw({0x02}).Chain(
            SolidLzw(size_t(width) * height, index));
    }
    // An image whose LZW data is `codes`, each as wide as a decoder expects it (GIF89a appendix F:
    // one entry more after every code but a clear and the first after it; a code wider at each
    // power of two, up to 12 bits), minimum code size 2.
    GifBuilder& CodedImage(uint16_t width, uint16_t height, const std::vector<uint16_t>& codes) {
        Bytes out;
        uint32_t bits = 0;
        int count = 0, codeBits = 3, next = 6;
        bool first = true;
        for (uint16_t code : codes) {
            bits |= uint32_t(code) << count;
            for (count += codeBits; count >= 8; count -= 8, bits >>= 8) out.push_back(uint8_t(bits & 0xFF));
            if (code == 4) {
                codeBits = 3, next = 6, first = true;
                continue;
            }
            if (!first && next < 4096 && ++next == (1 << codeBits) && codeBits < 12) ++codeBits;
            first = false;
        }
        if (count > 0) out.push_back(uint8_t(bits));
        return Raw({0x2C}).Le16(0).Le16(0).Le16(width).Le16(height).Raw({0x00, 0x02}).Chain(out);
    }
    // +0 0x21 +1 0x01 +2 0x0C +3 twelve bytes of text grid, then the text chain
    GifBuilder& PlainText(size_t textBytes) {
        return Raw({0x21, 0x01, 0x0C, 0, 0, 0, 0, 8, 0, 8, 0, 8, 8, 1, 0}).Chain(Filler(textBytes));
    }
    // +0 0x21 +1 0xFE, then the comment chain
    GifBuilder& Comment(size_t textBytes) { return Raw({0x21, 0xFE}).Chain(Filler(textBytes)); }
    // +0 0x21 +1 0xFF +2 0x0B +3 "NETSCAPE2.0" +14 the loop-count chain
    GifBuilder& Looping() {
        return Raw({0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0});
    }
    GifBuilder& Trailer() { return Raw({0x3B}); }
    GifBuilder& Raw(std::initializer_list<uint8_t> bytes) {
        m_bytes.insert(m_bytes.end(), bytes);
        return *this;
    }

    size_t Size() const { return m_bytes.size(); }
    const Bytes& Get() const { return m_bytes; }

private:
    GifBuilder& Le16(uint16_t value) { return Raw({uint8_t(value & 0xFF), uint8_t(value >> 8)}); }
    GifBuilder& Table(uint8_t packed) {
        if (packed & 0x80) m_bytes.insert(m_bytes.end(), size_t(3) << ((packed & 7) + 1), 0x77);
        return *this;
    }
    // Sub-blocks of 255 bytes and one shorter one, then the terminator.
    GifBuilder& Chain(const Bytes& data) {
        for (size_t at = 0; at < data.size(); at += 255) {
            const size_t n = std::min<size_t>(data.size() - at, 255);
            m_bytes.push_back(uint8_t(n));
            m_bytes.insert(m_bytes.end(), data.begin() + std::ptrdiff_t(at), data.begin() + std::ptrdiff_t(at + n));
        }
        m_bytes.push_back(0x00);
        return *this;
    }
    // Bytes that tell the length of their sub-block, so that a cut in the wrong place shows.
    static Bytes Filler(size_t count) {
        Bytes data(count);
        for (size_t at = 0; at < count; at += 255) {
            const size_t n = std::min<size_t>(count - at, 255);
            std::fill_n(data.begin() + std::ptrdiff_t(at), n, uint8_t(0x40 + n % 64));
        }
        return data;
    }
    // LZW data of `pixels` pixels of one colour, minimum code size 2: codes 0-3 are the colours,
    // 4 clears the table, 5 ends. A clear before every second pixel keeps the table from growing,
    // so every code is 3 bits wide. Packed least significant bit first, as GIF89a appendix F says.
    static Bytes SolidLzw(size_t pixels, uint8_t colour) {
        Bytes out;
        uint32_t bits = 0;
        int count = 0;
        const auto put = [&](uint32_t code) {
            bits |= code << count;
            for (count += 3; count >= 8; count -= 8, bits >>= 8) out.push_back(uint8_t(bits & 0xFF));
        };
        for (size_t i = 0; i < pixels; ++i) {
            if (i % 2 == 0) put(4);
            put(colour);
        }
        put(5);
        if (count > 0) out.push_back(uint8_t(bits));
        return out;
    }

    Bytes m_bytes;
};

}  // namespace support
