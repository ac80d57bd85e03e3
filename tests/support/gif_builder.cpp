#include "gif_builder.h"

#include <algorithm>

namespace support {

namespace {

// LZW data of `pixels` pixels of one colour, minimum code size 2: codes 0-3 are the colours,
// 4 clears the table, 5 ends. A clear before every second pixel keeps the table from growing, so
// every code is 3 bits wide. Packed least significant bit first, as GIF89a appendix F says.
GifBuilder::Bytes SolidLzw(size_t pixels, uint8_t colour) {
    GifBuilder::Bytes out;
    uint32_t bits = 0;
    int count = 0;
    const auto put = [&](uint32_t code) {
        bits |= code << count;
        count += 3;
        while (count >= 8) {
            out.push_back(uint8_t(bits & 0xFF));
            bits >>= 8;
            count -= 8;
        }
    };
    for (size_t i = 0; i < pixels; ++i) {
        if (i % 2 == 0) put(4);
        put(colour);
    }
    put(5);
    if (count > 0) out.push_back(uint8_t(bits));
    return out;
}

}  // namespace

GifBuilder::GifBuilder(uint8_t packed, uint16_t width, uint16_t height) {
    Raw({'G', 'I', 'F', '8', '9', 'a'});
    Le16(width);
    Le16(height);
    Raw({packed, 0, 0});
    Table(packed);
}

GifBuilder& GifBuilder::GlobalColour(size_t index, uint8_t red, uint8_t green, uint8_t blue) {
    const size_t at = 13 + 3 * index;
    if ((m_bytes[10] & 0x80) && index < (size_t(2) << (m_bytes[10] & 7))) {
        m_bytes[at] = red;
        m_bytes[at + 1] = green;
        m_bytes[at + 2] = blue;
    }
    return *this;
}

GifBuilder& GifBuilder::Control(uint16_t delay, uint8_t packed) {
    Raw({0x21, 0xF9, 0x04, packed});
    Le16(delay);
    return Raw({0, 0});
}

GifBuilder& GifBuilder::Image(uint16_t left, uint16_t top, uint16_t width, uint16_t height, size_t dataBytes,
                              uint8_t packed) {
    ImageDescriptor(left, top, width, height, packed);
    return Chain(dataBytes);
}

GifBuilder& GifBuilder::SolidImage(uint16_t left, uint16_t top, uint16_t width, uint16_t height, uint8_t index) {
    ImageDescriptor(left, top, width, height, 0x00);
    ChainOf(SolidLzw(size_t(width) * height, index));
    return *this;
}

GifBuilder& GifBuilder::PlainText(size_t textBytes) {
    return Raw({0x21, 0x01, 0x0C, 0, 0, 0, 0, 8, 0, 8, 0, 8, 8, 1, 0}).Chain(textBytes);
}

GifBuilder& GifBuilder::Looping() {
    return Raw({0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 0x03, 0x01, 0x00, 0x00, 0x00});
}

GifBuilder& GifBuilder::Raw(std::initializer_list<uint8_t> bytes) {
    m_bytes.insert(m_bytes.end(), bytes);
    return *this;
}

GifBuilder& GifBuilder::Chain(size_t dataBytes) {
    // Each sub-block's bytes tell its length, so a cut in the wrong place shows in a comparison.
    Bytes data;
    for (size_t at = 0; at < dataBytes; at += 255) {
        const size_t n = std::min<size_t>(dataBytes - at, 255);
        data.insert(data.end(), n, uint8_t(0x40 + n % 64));
    }
    ChainOf(data);
    return *this;
}

void GifBuilder::Le16(uint16_t value) { Raw({uint8_t(value & 0xFF), uint8_t(value >> 8)}); }

void GifBuilder::Table(uint8_t packed) {
    if (packed & 0x80) m_bytes.insert(m_bytes.end(), size_t(3) << ((packed & 7) + 1), 0x77);
}

void GifBuilder::ChainOf(const Bytes& data) {
    for (size_t at = 0; at < data.size(); at += 255) {
        const size_t n = std::min<size_t>(data.size() - at, 255);
        m_bytes.push_back(uint8_t(n));
        m_bytes.insert(m_bytes.end(), data.begin() + std::ptrdiff_t(at), data.begin() + std::ptrdiff_t(at + n));
    }
    m_bytes.push_back(0x00);
}

void GifBuilder::ImageDescriptor(uint16_t left, uint16_t top, uint16_t width, uint16_t height, uint8_t packed) {
    Raw({0x2C});
    for (uint16_t value : {left, top, width, height}) Le16(value);
    Raw({packed});
    Table(packed);
    Raw({0x02});
}

}  // namespace support
