// The GIF walker on streams built byte by byte, where a case needs exact bytes.
#include "gif_walker.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// Appends GIF blocks; every helper documents the bytes it writes from the block's first byte.
class GifBuilder {
public:
    // +0 "GIF89a"  +6 width  +8 height  +10 packed  +11 background  +12 aspect, then the global
    // colour table the packed byte announces, filled with a recognisable pattern.
    explicit GifBuilder(uint8_t packed = 0x00, uint16_t width = 16, uint16_t height = 8) {
        Raw({'G', 'I', 'F', '8', '9', 'a'});
        Le16(width);
        Le16(height);
        Raw({packed, 0x00, 0x00});
        Table(packed);
    }

    // +0 0x21 +1 0xF9 +2 0x04 +3 packed (disposal in bits 2-4) +4 delay +6 transparent +7 0x00
    GifBuilder& Control(uint16_t delay, uint8_t packed) {
        Raw({0x21, 0xF9, 0x04, packed});
        Le16(delay);
        return Raw({0x00, 0x00});
    }

    // +0 0x2C +1 left +3 top +5 width +7 height +9 packed +10 local table, LZW code size, chain
    GifBuilder& Image(uint16_t left, uint16_t top, uint16_t width, uint16_t height,
                      size_t dataBytes = 3, uint8_t packed = 0x00) {
        Raw({0x2C});
        Le16(left);
        Le16(top);
        Le16(width);
        Le16(height);
        Raw({packed});
        Table(packed);
        Raw({0x02});
        return Chain(dataBytes);
    }

    // +0 0x21 +1 0x01 +2 0x0C +3 twelve bytes of text grid, then the text chain
    GifBuilder& PlainText(const std::string& text) {
        Raw({0x21, 0x01, 0x0C, 0, 0, 0, 0, 8, 0, 8, 0, 8, 8, 1, 0});
        return Text(text);
    }

    // +0 0x21 +1 0xFE, then the comment chain
    GifBuilder& Comment(const std::string& text) {
        Raw({0x21, 0xFE});
        return Text(text);
    }

    // +0 0x21 +1 0xFF +2 0x0B +3 "NETSCAPE2.0", then the loop-count chain
    GifBuilder& Looping() {
        Raw({0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'});
        return Raw({0x03, 0x01, 0x00, 0x00, 0x00});
    }

    GifBuilder& Trailer() { return Raw({0x3B}); }

    GifBuilder& Raw(std::initializer_list<uint8_t> bytes) {
        m_bytes.insert(m_bytes.end(), bytes);
        return *this;
    }

    // Sub-blocks of 255 bytes and one shorter one, then the terminator.
    GifBuilder& Chain(size_t dataBytes) {
        while (dataBytes > 0) {
            const size_t n = dataBytes < 255 ? dataBytes : 255;
            m_bytes.push_back(uint8_t(n));
            for (size_t i = 0; i < n; ++i) m_bytes.push_back(uint8_t(0x40 + i % 64));
            dataBytes -= n;
        }
        m_bytes.push_back(0x00);
        return *this;
    }

    size_t Size() const { return m_bytes.size(); }
    const Bytes& Get() const { return m_bytes; }

private:
    GifBuilder& Text(const std::string& text) {
        m_bytes.push_back(uint8_t(text.size()));
        m_bytes.insert(m_bytes.end(), text.begin(), text.end());
        m_bytes.push_back(0x00);
        return *this;
    }

    void Le16(uint16_t v) { Raw({uint8_t(v & 0xFF), uint8_t(v >> 8)}); }

    void Table(uint8_t packed) {
        if (!(packed & 0x80)) return;
        const size_t bytes = size_t(3) << ((packed & 7) + 1);
        for (size_t i = 0; i < bytes; ++i) m_bytes.push_back(uint8_t(i * 7));
    }

    Bytes m_bytes;
};

struct CutFrame {
    Bytes stream;
    GifFrameInfo info;
};

uint8_t* AllocVector(void* context, size_t size) {
    auto* frames = static_cast<std::vector<CutFrame>*>(context);
    frames->emplace_back();
    frames->back().stream.resize(size);
    return frames->back().stream.data();
}

uint8_t* AllocNothing(void*, size_t) { return nullptr; }

struct Walk {
    bool started = false;
    size_t blocks = 0;
    std::vector<CutFrame> frames;
};

// What the picture control does with a stream: start, count, rewind, cut until none.
Walk WalkAll(const uint8_t* data, size_t size) {
    Walk walk;
    GifWalker walker;
    walk.started = walker.Start(data, size);
    walk.blocks = walker.CountGraphicBlocks();
    for (;;) {
        size_t length = 0;
        GifFrameInfo info;
        uint8_t* stream = walker.CutNextFrame(AllocVector, &walk.frames, length, info);
        if (!stream) break;
        EXPECT_EQ(walk.frames.back().stream.data(), stream);
        EXPECT_EQ(walk.frames.back().stream.size(), length);
        walk.frames.back().info = info;
    }
    return walk;
}

Walk WalkAll(const Bytes& data) { return WalkAll(data.data(), data.size()); }

void ExpectInfo(const GifFrameInfo& got, const GifFrameInfo& want) {
    EXPECT_EQ(got.left, want.left);
    EXPECT_EQ(got.top, want.top);
    EXPECT_EQ(got.width, want.width);
    EXPECT_EQ(got.height, want.height);
    EXPECT_EQ(got.delay, want.delay);
    EXPECT_EQ(got.disposal, want.disposal);
}

GifFrameInfo Info(int32_t left, int32_t top, int32_t width, int32_t height, int32_t delay,
                  int32_t disposal) {
    GifFrameInfo info;
    info.left = left;
    info.top = top;
    info.width = width;
    info.height = height;
    info.delay = delay;
    info.disposal = disposal;
    return info;
}

// A cut stream is a GIF of exactly one graphic block that cuts to itself again.
void ExpectSelfContained(const CutFrame& frame) {
    const Walk again = WalkAll(frame.stream);
    ASSERT_TRUE(again.started);
    EXPECT_EQ(again.blocks, 1u);
    ASSERT_EQ(again.frames.size(), 1u);
    EXPECT_EQ(again.frames[0].stream, frame.stream);
    ExpectInfo(again.frames[0].info, frame.info);
}

Bytes Slice(const Bytes& data, size_t from, size_t to) {
    return Bytes(data.begin() + std::ptrdiff_t(from), data.begin() + std::ptrdiff_t(to));
}

TEST(GifWalkerStart, RecognisesSignatureAndWholeHeader) {
    const struct {
        const char* name;
        Bytes data;
        bool started;
    } cases[] = {
        {"empty", {}, false},
        {"signature only", {'G', 'I', 'F'}, false},
        {"header one byte short", Slice(GifBuilder().Get(), 0, 12), false},
        {"header whole", Slice(GifBuilder().Get(), 0, 13), true},
        {"other signature", {'G', 'I', 'G', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x3B}, false},
        {"lower-case signature", {'g', 'i', 'f', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x3B}, false},
        {"unknown version", {'G', 'I', 'F', '0', '0', 'x', 1, 0, 1, 0, 0, 0, 0, 0x3B}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GifWalker walker;
        EXPECT_EQ(walker.Start(c.data.data(), c.data.size()), c.started);
        EXPECT_EQ(walker.Data() != nullptr, c.started);
    }
    GifWalker walker;
    EXPECT_FALSE(walker.Start(nullptr, 20));
}

TEST(GifWalkerStart, ReadsScreenAndColourTableSize) {
    const struct {
        uint8_t packed;
        size_t tableBytes;
    } cases[] = {
        {0x00, 0}, {0x07, 0}, {0x7F, 0},  // no flag: no table whatever n says
        {0x80, 6}, {0x81, 12}, {0x84, 96}, {0xF4, 96}, {0x87, 768}, {0xFF, 768},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "packed 0x" << std::hex << int(c.packed));
        const Bytes gif = GifBuilder(c.packed, 0x1234, 0x0201).Image(0, 0, 1, 1).Trailer().Get();
        GifWalker walker;
        ASSERT_TRUE(walker.Start(gif.data(), gif.size()));
        EXPECT_EQ(walker.ScreenWidth(), 0x1234);
        EXPECT_EQ(walker.ScreenHeight(), 0x0201);
        EXPECT_EQ(walker.ColorTableSize(), c.tableBytes);
        EXPECT_EQ(walker.Offset(), 13 + c.tableBytes);
        EXPECT_EQ(walker.ClassifyBlock(), GifBlockKind::ImageDescriptor);
        EXPECT_EQ(walker.CountGraphicBlocks(), 1u);
    }
}

TEST(GifWalkerStart, ColourTableCutShortFindsNoBlock) {
    const Bytes gif = Slice(GifBuilder(0x87).Image(0, 0, 1, 1).Trailer().Get(), 0, 400);
    const Walk walk = WalkAll(gif);
    EXPECT_TRUE(walk.started);
    EXPECT_EQ(walk.blocks, 0u);
    EXPECT_TRUE(walk.frames.empty());
}

// The walker positioned on the bytes that follow a 13-byte header without colour table.
struct Positioned {
    Bytes data;
    GifWalker walker;
    explicit Positioned(std::initializer_list<uint8_t> block) : data(GifBuilder().Get()) {
        data.insert(data.end(), block);
        walker.Start(data.data(), data.size());
    }
};

TEST(GifWalkerBlocks, ClassifiesByIntroducerAndLabel) {
    const struct {
        const char* name;
        std::initializer_list<uint8_t> bytes;
        GifBlockKind kind;
    } cases[] = {
        {"image", {0x2C}, GifBlockKind::ImageDescriptor},
        {"trailer", {0x3B}, GifBlockKind::Trailer},
        {"application", {0x21, 0xFF}, GifBlockKind::ApplicationExtension},
        {"comment", {0x21, 0xFE}, GifBlockKind::CommentExtension},
        {"graphic control", {0x21, 0xF9}, GifBlockKind::GraphicControlExtension},
        {"plain text", {0x21, 0x01}, GifBlockKind::PlainTextExtension},
        {"unknown label", {0x21, 0x02}, GifBlockKind::Unrecognised},
        {"label 0xF8", {0x21, 0xF8}, GifBlockKind::Unrecognised},
        {"introducer without label", {0x21}, GifBlockKind::Unrecognised},
        {"zero byte", {0x00, 0x3B}, GifBlockKind::Unrecognised},
        {"nothing left", {}, GifBlockKind::Unrecognised},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Positioned p(c.bytes);
        EXPECT_EQ(p.walker.ClassifyBlock(), c.kind);
    }
}

TEST(GifWalkerBlocks, BlockLengthFromHeadersAndSizeBytes) {
    const struct {
        const char* name;
        std::initializer_list<uint8_t> bytes;
        int64_t length;
    } cases[] = {
        {"trailer", {0x3B}, 1},
        {"graphic control", {0x21, 0xF9, 0x04, 0, 0, 0, 0, 0}, 8},
        {"graphic control, size byte ignored", {0x21, 0xF9, 0x09, 0, 0, 0, 0, 0, 0, 0, 0}, 8},
        {"comment, empty chain", {0x21, 0xFE, 0x00}, 3},
        {"comment, two sub-blocks", {0x21, 0xFE, 1, 'a', 2, 'b', 'c', 0}, 8},
        {"application, size byte ignored",
         {0x21, 0xFF, 0x05, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 9, 9, 0}, 18},
        {"plain text", {0x21, 0x01, 0x0C, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 'x', 0}, 18},
        {"image, no local table", {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x00, 2, 1, 7, 0}, 14},
        {"image, local table n=0",
         {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x80, 1, 2, 3, 4, 5, 6, 2, 1, 7, 0}, 20},
        {"image, flag clear ignores n", {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x47, 2, 0}, 12},
        {"unknown label", {0x21, 0x02, 0x00}, kPastEnd},
        {"nothing left", {}, kPastEnd},
        {"comment without terminator", {0x21, 0xFE, 2, 'a', 'b'}, kPastEnd},
        {"comment, sub-block runs off", {0x21, 0xFE, 5, 'a', 'b'}, kPastEnd},
        {"comment, no chain byte", {0x21, 0xFE}, kPastEnd},
        {"image, descriptor cut", {0x2C, 0, 0, 0, 0, 1, 0, 1, 0}, kPastEnd},
        {"image, local table cut", {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x80, 1, 2, 3, 4, 5, 6}, kPastEnd},
        {"image, no code size byte", {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x00}, kPastEnd},
        {"image, no chain", {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x00, 2}, kPastEnd},
        {"application head cut", {0x21, 0xFF, 0x0B, 'N', 'E', 'T'}, kPastEnd},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Positioned p(c.bytes);
        EXPECT_EQ(p.walker.BlockLength(), c.length);
    }
}

TEST(GifWalkerBlocks, SubBlockChainLength) {
    const struct {
        const char* name;
        std::initializer_list<uint8_t> bytes;
        int64_t length;
    } cases[] = {
        {"empty chain", {0}, 1},
        {"one sub-block", {3, 'a', 'b', 'c', 0}, 5},
        {"two sub-blocks", {1, 'a', 1, 'b', 0, 0x3B}, 5},
        {"no terminator", {3, 'a', 'b', 'c'}, kPastEnd},
        {"data cut", {3, 'a', 'b'}, kPastEnd},
        {"size byte at the last byte", {3}, kPastEnd},
        {"nothing", {}, kPastEnd},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Positioned p(c.bytes);
        EXPECT_EQ(p.walker.SubBlockChainLength(13), c.length);
    }
    Positioned p({0});
    EXPECT_EQ(p.walker.SubBlockChainLength(14), kPastEnd);
    EXPECT_EQ(p.walker.SubBlockChainLength(1000), kPastEnd);
}

// Long chains: runs of full 255-byte sub-blocks are taken several at a time, so lengths and every
// truncation must come out as for one sub-block at a time.
TEST(GifWalkerBlocks, LongChainsAndTheirTruncations) {
    const std::vector<size_t> full8(8, 255), full7(7, 255);
    const struct {
        const char* name;
        std::vector<std::vector<size_t>> parts;   // sub-block sizes, concatenated
    } cases[] = {
        {"eight full", {full8}},
        {"nine full", {full8, {255}}},
        {"seven full", {full7}},
        {"sixteen full and a short one", {full8, full8, {17}}},
        {"eighth not full", {full7, {254}, full8, {3}}},
        {"full after short ones", {{1, 2, 3}, full8, full8, full7}},
        {"short ones only", {{200, 100, 1, 1, 1, 1, 1, 1, 1, 1, 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes chain;
        for (const auto& part : c.parts) {
            for (size_t n : part) {
                chain.push_back(uint8_t(n));
                chain.insert(chain.end(), n, uint8_t(0xFF));   // data bytes that look like sizes
            }
        }
        chain.push_back(0x00);
        for (size_t size = 0; size <= chain.size(); ++size) {
            Bytes data = GifBuilder().Get();
            data.insert(data.end(), chain.begin(), chain.begin() + std::ptrdiff_t(size));
            std::unique_ptr<uint8_t[]> exact(new uint8_t[data.size()]);
            std::memcpy(exact.get(), data.data(), data.size());
            GifWalker walker;
            ASSERT_TRUE(walker.Start(exact.get(), data.size()));
            const int64_t want = size == chain.size() ? int64_t(chain.size()) : kPastEnd;
            ASSERT_EQ(walker.SubBlockChainLength(13), want) << size << " of " << chain.size();
        }
    }
}

TEST(GifWalkerBlocks, SkipBlockPassesOnlyWhatEndsInsideTheData) {
    const Bytes comment = {0x21, 0xFE, 2, 'h', 'i', 0};
    for (size_t cut = 0; cut <= comment.size(); ++cut) {
        SCOPED_TRACE(testing::Message() << "comment bytes present: " << cut);
        Bytes data = GifBuilder().Get();
        data.insert(data.end(), comment.begin(), comment.begin() + std::ptrdiff_t(cut));
        GifWalker walker;
        ASSERT_TRUE(walker.Start(data.data(), data.size()));
        const bool whole = cut == comment.size();
        EXPECT_EQ(walker.SkipBlock(), whole);
        EXPECT_EQ(walker.Offset(), whole ? data.size() : 13u);
    }
    const Bytes control = {0x21, 0xF9, 4, 0, 0, 0, 0};  // one byte short of eight
    Bytes data = GifBuilder().Get();
    data.insert(data.end(), control.begin(), control.end());
    GifWalker walker;
    ASSERT_TRUE(walker.Start(data.data(), data.size()));
    EXPECT_EQ(walker.BlockLength(), 8);
    EXPECT_FALSE(walker.SkipBlock());
    EXPECT_EQ(walker.Offset(), 13u);
}

TEST(GifWalkerBlocks, NothingWorksWithoutData) {
    GifWalker walker;
    EXPECT_EQ(walker.ClassifyBlock(), GifBlockKind::Unrecognised);
    EXPECT_EQ(walker.BlockLength(), kPastEnd);
    EXPECT_EQ(walker.SubBlockChainLength(0), kPastEnd);
    EXPECT_FALSE(walker.SkipBlock());
    EXPECT_FALSE(walker.SkipGraphicBlock());
    EXPECT_EQ(walker.CountGraphicBlocks(), 0u);
    size_t length = 1;
    GifFrameInfo info;
    std::vector<CutFrame> frames;
    EXPECT_EQ(walker.CutNextFrame(AllocVector, &frames, length, info), nullptr);
    EXPECT_TRUE(frames.empty());

    const Bytes gif = GifBuilder().Image(0, 0, 1, 1).Trailer().Get();
    ASSERT_TRUE(walker.Start(gif.data(), gif.size()));
    walker.Reset();
    EXPECT_EQ(walker.CountGraphicBlocks(), 0u);
    EXPECT_EQ(walker.DataSize(), 0u);
}

TEST(GifWalkerCut, FrameStreamIsHeadSpanAndTrailer) {
    // 768-byte global table: every stream starts with the source's first 781 bytes. Image of
    // 10 + 1 + (3 x 256 + 220) + 1 = 1000 bytes: 984 data bytes in four sub-blocks.
    GifBuilder gif(0x87, 64, 48);
    gif.Looping();
    const size_t firstFrame = gif.Size();
    gif.Control(25, 0x08).Image(2, 3, 40, 30, 984);
    const size_t secondFrame = gif.Size();
    gif.Control(7, 0x0D).Image(0, 0, 64, 48, 984);
    const size_t thirdFrame = gif.Size();
    gif.Control(0, 0x00).Image(1, 1, 2, 2, 984).Trailer();
    ASSERT_EQ(secondFrame - firstFrame, 1008u);

    const Bytes& src = gif.Get();
    const Walk walk = WalkAll(src);
    ASSERT_TRUE(walk.started);
    EXPECT_EQ(walk.blocks, 3u);
    ASSERT_EQ(walk.frames.size(), 3u);
    const size_t spans[][2] = {
        {firstFrame, secondFrame}, {secondFrame, thirdFrame}, {thirdFrame, src.size() - 1}};
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(testing::Message() << "frame " << i);
        const Bytes& stream = walk.frames[i].stream;
        ASSERT_EQ(stream.size(), 1790u);
        EXPECT_EQ(Slice(stream, 0, 781), Slice(src, 0, 781));
        EXPECT_EQ(Slice(stream, 781, 1789), Slice(src, spans[i][0], spans[i][1]));
        EXPECT_EQ(stream.back(), 0x3B);
        ExpectSelfContained(walk.frames[i]);
    }
    ExpectInfo(walk.frames[0].info, Info(2, 3, 40, 30, 25, 2));
    ExpectInfo(walk.frames[1].info, Info(0, 0, 64, 48, 7, 3));
    ExpectInfo(walk.frames[2].info, Info(1, 1, 2, 2, 0, 0));
}

TEST(GifWalkerCut, WhatTheSpanHolds) {
    // Each case: the blocks of one frame, whether the source's bytes before the frame (leading
    // extensions) stay out, and the frame's info. The span always runs to the end of the image.
    struct Case {
        const char* name;
        GifBuilder lead;     // blocks before the frame, not in its stream
        GifBuilder frame;    // blocks of the frame, in its stream (builder's header skipped)
        GifFrameInfo info;
    };
    const auto frame = [] { return GifBuilder(); };
    Case cases[] = {
        {"comment between control and image", frame(),
         frame().Control(30, 0x04).Comment("inside").Image(1, 2, 3, 4), Info(1, 2, 3, 4, 30, 1)},
        {"no graphic control extension", frame(), frame().Image(5, 6, 7, 8),
         Info(5, 6, 7, 8, -1, 0)},
        {"two graphic control extensions, the first counts", frame(),
         frame().Control(11, 0x0C).Control(99, 0x04).Image(0, 0, 2, 2), Info(0, 0, 2, 2, 11, 3)},
        {"application extension inside", frame(),
         frame().Control(3, 0x00).Looping().Image(0, 0, 1, 1), Info(0, 0, 1, 1, 3, 0)},
        {"leading looping and comment stay out", frame().Looping().Comment("lead"),
         frame().Control(4, 0x08).Image(0, 0, 1, 1), Info(0, 0, 1, 1, 4, 2)},
        {"plain text has no position or size", frame(),
         frame().Control(6, 0x08).PlainText("hello"), Info(0, 0, 0, 0, 6, 2)},
        {"plain text without control", frame(), frame().PlainText("hi"), Info(0, 0, 0, 0, -1, 0)},
        {"local colour table", frame(), frame().Image(0, 0, 4, 4, 300, 0x82),
         Info(0, 0, 4, 4, -1, 0)},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes lead = Slice(c.lead.Get(), 13, c.lead.Size());
        const Bytes body = Slice(c.frame.Get(), 13, c.frame.Size());
        Bytes src = GifBuilder(0x81).Get();
        src.insert(src.end(), lead.begin(), lead.end());
        src.insert(src.end(), body.begin(), body.end());
        src.push_back(0x3B);

        const Walk walk = WalkAll(src);
        EXPECT_EQ(walk.blocks, 1u);
        ASSERT_EQ(walk.frames.size(), 1u);
        Bytes expected = GifBuilder(0x81).Get();
        expected.insert(expected.end(), body.begin(), body.end());
        expected.push_back(0x3B);
        EXPECT_EQ(walk.frames[0].stream, expected);
        ExpectInfo(walk.frames[0].info, c.info);
        ExpectSelfContained(walk.frames[0]);
    }
}

TEST(GifWalkerCut, DisposalIsBitsTwoToFour) {
    const struct {
        uint8_t packed;
        int32_t disposal;
    } cases[] = {{0x00, 0}, {0x04, 1}, {0x10, 4}, {0x1C, 7}, {0xE3, 0}, {0xFF, 7}, {0x19, 6}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "packed 0x" << std::hex << int(c.packed));
        const Bytes gif = GifBuilder().Control(0xFFFF, c.packed).Image(0, 0, 1, 1).Trailer().Get();
        const Walk walk = WalkAll(gif);
        ASSERT_EQ(walk.frames.size(), 1u);
        EXPECT_EQ(walk.frames[0].info.disposal, c.disposal);
        EXPECT_EQ(walk.frames[0].info.delay, 0xFFFF);
    }
}

TEST(GifWalkerCut, WalkEndsWhereTheBlocksStopMakingSense) {
    // Each source: two good frames, then what ends the walk. Both loops stop at the same place.
    const Bytes good = [] {
        GifBuilder two;
        two.Control(1, 0).Image(0, 0, 1, 1).Image(0, 0, 2, 2);
        return Slice(two.Get(), 13, two.Size());
    }();
    const struct {
        const char* name;
        Bytes tail;
    } cases[] = {
        {"trailer", {0x3B}},
        {"end of data", {}},
        {"unknown label", {0x21, 0x02, 0x00, 0x3B}},
        {"unknown label after control", {0x21, 0xF9, 4, 0, 0, 0, 0, 0, 0x21, 0x02, 0x00, 0x3B}},
        {"control then trailer", {0x21, 0xF9, 4, 0, 0, 0, 0, 0, 0x3B}},
        {"control, trailer, image",
         {0x21, 0xF9, 4, 0, 0, 0, 0, 0, 0x3B, 0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 1, 7, 0}},
        {"control at the end", {0x21, 0xF9, 4, 0, 0, 0, 0, 0}},
        {"stray byte", {0x00, 0x2C}},
        {"comment then trailer", {0x21, 0xFE, 1, 'x', 0, 0x3B}},
        {"image descriptor cut", {0x2C, 0, 0, 0}},
        {"introducer at the end", {0x21}},
        {"plain text cut", {0x21, 0x01, 0x0C, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes src = GifBuilder().Get();
        src.insert(src.end(), good.begin(), good.end());
        src.insert(src.end(), c.tail.begin(), c.tail.end());
        const Walk walk = WalkAll(src);
        EXPECT_EQ(walk.blocks, 2u);
        EXPECT_EQ(walk.frames.size(), 2u);
    }
}

TEST(GifWalkerCut, TruncatedInThirdImageGivesTwoFrames) {
    GifBuilder gif(0x80);
    gif.Looping().Control(10, 0x04).Image(0, 0, 4, 4, 600).Control(10, 0x04).Image(0, 0, 4, 4, 600);
    const size_t third = gif.Size();
    gif.Control(10, 0x04).Image(0, 0, 4, 4, 600).Trailer();
    const size_t imageStart = third + 8;
    // Cut inside the third frame's control, its descriptor, its code size byte, mid data, and just
    // before its terminator.
    for (size_t size : {third + 1, imageStart + 5, imageStart + 10, imageStart + 300,
                        gif.Size() - 2}) {
        SCOPED_TRACE(testing::Message() << "cut at " << size << " of " << gif.Size());
        const Walk walk = WalkAll(Slice(gif.Get(), 0, size));
        EXPECT_EQ(walk.blocks, 2u);
        ASSERT_EQ(walk.frames.size(), 2u);
        EXPECT_EQ(walk.frames[1].info.delay, 10);
    }
    EXPECT_EQ(WalkAll(gif.Get()).frames.size(), 3u);
    // The trailer is not needed: an image that ends exactly at the end of the data passes.
    EXPECT_EQ(WalkAll(Slice(gif.Get(), 0, gif.Size() - 1)).frames.size(), 3u);
}

TEST(GifWalkerCut, HeaderAndTrailerOnly) {
    for (uint8_t packed : {0x00, 0x87}) {
        const Walk walk = WalkAll(GifBuilder(packed).Trailer().Get());
        EXPECT_TRUE(walk.started);
        EXPECT_EQ(walk.blocks, 0u);
        EXPECT_TRUE(walk.frames.empty());
    }
}

TEST(GifWalkerCut, FailedAllocationEndsTheCut) {
    const Bytes gif = GifBuilder().Image(0, 0, 1, 1).Image(0, 0, 1, 1).Trailer().Get();
    GifWalker walker;
    ASSERT_TRUE(walker.Start(gif.data(), gif.size()));
    size_t length = 0;
    GifFrameInfo info;
    EXPECT_EQ(walker.CutNextFrame(AllocNothing, nullptr, length, info), nullptr);
    EXPECT_EQ(walker.CutNextFrame(nullptr, nullptr, length, info), nullptr);
    walker.Rewind();
    std::vector<CutFrame> frames;
    EXPECT_NE(walker.CutNextFrame(AllocVector, &frames, length, info), nullptr);
}

TEST(GifWalkerCut, CountAndCutStartFromTheFirstBlockEachTime) {
    const Bytes gif = GifBuilder(0x80).Image(0, 0, 1, 1).Image(0, 0, 2, 2).Trailer().Get();
    GifWalker walker;
    ASSERT_TRUE(walker.Start(gif.data(), gif.size()));
    EXPECT_EQ(walker.CountGraphicBlocks(), 2u);
    EXPECT_EQ(walker.CountGraphicBlocks(), 2u);
    EXPECT_EQ(walker.Offset(), 19u);
    std::vector<CutFrame> frames;
    size_t length = 0;
    GifFrameInfo info;
    while (walker.CutNextFrame(AllocVector, &frames, length, info)) {}
    EXPECT_EQ(frames.size(), 2u);
    walker.Rewind();
    ASSERT_NE(walker.CutNextFrame(AllocVector, &frames, length, info), nullptr);
    EXPECT_EQ(info.width, 1);
}

// Every prefix, copied into a heap block of exactly its size, walks without reading past it and
// keeps exactly the frames that end inside it, byte for byte as the whole file cuts them.
TEST(GifWalkerPrefixes, EveryPrefixWalksCleanly) {
    GifBuilder gif(0x81, 20, 20);
    gif.Looping().Comment("lead").Control(5, 0x08).Comment("in").Image(1, 1, 4, 4, 260)
        .Image(0, 0, 2, 2, 3, 0x80).Control(1, 0).Image(0, 0, 9, 9, 17 * 255 + 40).Control(2, 0x0C).Control(3, 0).PlainText("text")
        .Control(9, 0x04).Image(3, 3, 5, 5, 1).Trailer();
    const Bytes& src = gif.Get();
    const Walk whole = WalkAll(src);
    ASSERT_EQ(whole.frames.size(), 5u);

    std::vector<size_t> ends;   // where each graphic block ends in the source
    GifWalker walker;
    ASSERT_TRUE(walker.Start(src.data(), src.size()));
    while (walker.SkipGraphicBlock()) ends.push_back(walker.Offset());
    ASSERT_EQ(ends.size(), 5u);

    for (size_t size = 0; size <= src.size(); ++size) {
        SCOPED_TRACE(testing::Message() << "prefix of " << size << " bytes");
        std::unique_ptr<uint8_t[]> exact(new uint8_t[size]);
        if (size > 0) std::memcpy(exact.get(), src.data(), size);
        const Walk walk = WalkAll(exact.get(), size);
        EXPECT_EQ(walk.started, size >= 13);
        size_t expected = 0;
        while (expected < ends.size() && ends[expected] <= size) ++expected;
        EXPECT_EQ(walk.blocks, expected);
        ASSERT_EQ(walk.frames.size(), expected);
        for (size_t i = 0; i < expected; ++i) EXPECT_EQ(walk.frames[i].stream, whole.frames[i].stream);
    }
}

}  // namespace
