// The frame decoder on streams built block by block, with giflib as the second opinion where the
// LZW data is out of the ordinary; real encoders' files are in gif_samples_test.cpp.
#include "gif_builder.h"
#include "gif_decoder.h"
#include "gif_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace core;
using support::GifBuilder;

namespace {

const GifBuilder::Bytes kColours = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
constexpr uint32_t kRed = 0xFF0000, kBlue = 0x0000FF, kLocal = 0x777777, o = 0x2E;

// A frame stream as the walker cuts it: header, global table, graphic block, trailer.
GifBuilder::Bytes Solid(uint16_t width, uint16_t height, uint8_t index, uint8_t control, uint8_t imagePacked) {
    GifBuilder gif(0x81, 8, 8, kColours);
    if (control) gif.Control(10, control);
    return gif.SolidImage(0, 0, width, height, index, imagePacked).Trailer().Get();
}

std::vector<uint32_t> DrawnOver(const IndexedFrame& frame, int left, int top, int width, int height) {
    std::vector<uint32_t> canvas(size_t(width) * height, o);
    DrawIndexedFrame(frame, left, top, canvas.data(), width, height);
    return canvas;
}

// A clear before every second pixel, as some encoders write: each frame decodes whole, in the
// table it names, with the transparency its control says, and draws only inside the canvas.
TEST(GifDecoder, DecodesEveryPixelInItsTableAndDrawsWhatIsInside) {
    const struct {
        const char* name;
        uint8_t control, imagePacked;
        uint32_t colour;
        int32_t transparent;
    } cases[] = {
        {"global table", 0x00, 0x00, kBlue, -1},
        {"local table", 0x00, 0x81, kLocal, -1},
        {"interlaced", 0x04, 0x40, kBlue, -1},
        {"its index transparent", 0x01, 0x00, kBlue, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const GifBuilder::Bytes stream = Solid(3, 5, 2, c.control, c.imagePacked);
        IndexedFrame frame;
        ASSERT_TRUE(DecodeGifFrame(stream.data(), stream.size(), frame));
        EXPECT_EQ(frame.indices, std::vector<uint8_t>(15, 2));
        EXPECT_EQ(frame.palette[2], c.colour);
        EXPECT_EQ(frame.palette[0], c.imagePacked & 0x80 ? kLocal : kRed);
        EXPECT_EQ(frame.transparentIndex, c.transparent);
    }

    IndexedFrame frame;
    frame.width = 3;
    frame.height = 2;
    frame.palette[0] = kRed;
    frame.palette[1] = kBlue;
    frame.transparentIndex = 2;
    frame.indices = {0, 1, 2, 1, 2, 0};  // red, blue, a hole; blue, a hole, red
    EXPECT_EQ(DrawnOver(frame, 1, 0, 4, 2), (std::vector<uint32_t>{o, kRed, kBlue, o, o, kBlue, o, kRed}));
    EXPECT_EQ(DrawnOver(frame, 2, 1, 3, 2), (std::vector<uint32_t>{o, o, o, o, o, kRed}));
    EXPECT_EQ(DrawnOver(frame, -1, -1, 2, 2), (std::vector<uint32_t>{o, kRed, o, o}));
    EXPECT_EQ(DrawnOver(frame, 3, 0, 3, 2), std::vector<uint32_t>(6, o));
}

// A frame that cannot be shown whole is not decoded, and no cut of it reads past its end (each
// prefix in a buffer of its own size, for AddressSanitizer).
TEST(GifDecoder, RefusesWhatItCannotShowWhole) {
    const GifBuilder::Bytes whole = Solid(4, 4, 1, 0x00, 0x00);
    const size_t descriptor = 13 + 12;  // after the header and the global table
    GifBuilder::Bytes shortData = Solid(4, 2, 1, 0x00, 0x00);
    shortData[descriptor + 7] = 4;  // says four rows: the data's end comes after two
    GifBuilder::Bytes codeSize0 = whole, codeSize9 = whole;
    codeSize0[descriptor + 10] = 0;
    codeSize9[descriptor + 10] = 9;
    const struct {
        const char* name;
        GifBuilder::Bytes stream;
    } cases[] = {
        {"the data ends before the last pixel", shortData},
        {"no colour table", GifBuilder(0x00, 4, 4).SolidImage(0, 0, 4, 4, 1).Trailer().Get()},
        {"a code past the table", GifBuilder(0x81, 4, 1, kColours).CodedImage(4, 1, {4, 0, 7, 0, 0}).Trailer().Get()},
        {"minimum code size 0", codeSize0},
        {"minimum code size 9", codeSize9},
        {"a plain text block", GifBuilder(0x81, 4, 4, kColours).PlainText(4).Trailer().Get()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        IndexedFrame frame;
        EXPECT_FALSE(DecodeGifFrame(c.stream.data(), c.stream.size(), frame));
        EXPECT_TRUE(frame.indices.empty());
    }
    for (size_t size = 0; size < whole.size(); ++size) {
        const std::vector<uint8_t> prefix(whole.begin(), whole.begin() + std::ptrdiff_t(size));
        IndexedFrame frame;
        // Only the trailer may go: the image is whole without it.
        EXPECT_EQ(DecodeGifFrame(prefix.data(), prefix.size(), frame), size == whole.size() - 1) << size;
    }
}

// A table that fills up and is used on without a clear (a "deferred clear"), and codes that name
// the entry being made: giflib's pixels.
TEST(GifDecoder, AgreesWithGiflibOnAFullTableAndOnCodesNotYetMade) {
    std::vector<uint16_t> codes = {4};
    for (int i = 0; i < 5000; ++i) codes.push_back(uint16_t(i % 4));  // 5000 pixels, 4090 entries and on
    codes.insert(codes.end(), {4, 1, 6, 7, 8, 5});                    // "1", "11", "111", "1111": 5010
    const GifBuilder::Bytes stream = GifBuilder(0x81, 167, 30, kColours).CodedImage(167, 30, codes).Trailer().Get();

    IndexedFrame frame;
    ASSERT_TRUE(DecodeGifFrame(stream.data(), stream.size(), frame));
    gif_support::MemoryReader reader = {&stream, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, gif_support::ReadFromMemory, &error);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK) << GifErrorString(gif->Error);
    EXPECT_EQ(frame.indices,
              std::vector<uint8_t>(gif->SavedImages[0].RasterBits, gif->SavedImages[0].RasterBits + 5010));
    DGifCloseFile(gif, nullptr);
}

}  // namespace
