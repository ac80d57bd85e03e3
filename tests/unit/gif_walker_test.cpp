// The GIF walker on streams built byte by byte, where a case needs exact bytes.
#include "gif_builder.h"
#include "gif_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

using namespace core;

namespace {

using gif_support::Bytes;
using gif_support::CutFrame;
using gif_support::Walk;

using support::GifBuilder;

Bytes Slice(const Bytes& data, size_t from, size_t to) {
    return Bytes(data.begin() + std::ptrdiff_t(from), data.begin() + std::ptrdiff_t(to));
}

// Every cut is also checked to come back in the buffer allocated for it.
Walk WalkAll(const uint8_t* data, size_t size) {
    Walk walk = gif_support::WalkAll(data, size);
    EXPECT_TRUE(walk.cutsFillTheirBuffers);
    return walk;
}
Walk WalkAll(const Bytes& data) { return WalkAll(data.data(), data.size()); }

// left, top, width, height, delay, disposal
std::tuple<int, int, int, int, int, int> Fields(const GifFrameInfo& f) {
    return {f.left, f.top, f.width, f.height, f.delay, f.disposal};
}

// A cut stream is a GIF of exactly one graphic block that cuts to itself again.
void ExpectSelfContained(const CutFrame& frame) {
    const Walk again = WalkAll(frame.stream);
    EXPECT_EQ(again.blocks, 1u);
    ASSERT_EQ(again.frames.size(), 1u);
    EXPECT_EQ(again.frames[0].stream, frame.stream);
    EXPECT_EQ(Fields(again.frames[0].info), Fields(frame.info));
}

TEST(GifWalkerStart, NeedsSignatureAndWholeHeader) {
    const Bytes header = GifBuilder().Trailer().Get();
    const struct {
        const char* name;
        Bytes data;
        bool started;
    } cases[] = {
        {"empty", {}, false},
        {"header one byte short", Slice(header, 0, 12), false},
        {"header whole", Slice(header, 0, 13), true},
        {"other signature", {'G', 'I', 'G', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x3B}, false},
        {"unknown version", {'G', 'I', 'F', '0', '0', 'x', 1, 0, 1, 0, 0, 0, 0, 0x3B}, true},
    };
    for (const auto& c : cases) {
        GifWalker walker;
        EXPECT_EQ(walker.Start(c.data.data(), c.data.size()), c.started) << c.name;
    }
}

TEST(GifWalkerStart, ColourTableSize) {
    const struct {
        uint8_t packed;
        size_t bytes;
    } cases[] = {{0x00, 0}, {0x07, 0}, {0x7F, 0}, {0x80, 6}, {0x81, 12}, {0xF4, 96}, {0x87, 768}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "packed 0x" << std::hex << int(c.packed));
        const Bytes gif = GifBuilder(c.packed).Image(0, 0, 1, 1).Trailer().Get();
        GifWalker walker;
        ASSERT_TRUE(walker.Start(gif.data(), gif.size()));
        EXPECT_EQ(walker.ColorTableSize(), c.bytes);
        EXPECT_EQ(walker.Offset(), 13 + c.bytes);
        EXPECT_EQ(walker.CountGraphicBlocks(), 1u);
    }
}

TEST(GifWalkerBlocks, KindAndLength) {
    const struct {
        const char* name;
        Bytes bytes;
        GifBlockKind kind;
        int64_t length;
    } cases[] = {
        {"trailer", {0x3B}, GifBlockKind::Trailer, 1},
        {"graphic control, size byte ignored",
         {0x21, 0xF9, 9, 0, 0, 0, 0, 0, 0, 0},
         GifBlockKind::GraphicControlExtension,
         8},
        {"comment, empty chain", {0x21, 0xFE, 0}, GifBlockKind::CommentExtension, 3},
        {"comment, two sub-blocks", {0x21, 0xFE, 1, 'a', 2, 'b', 'c', 0}, GifBlockKind::CommentExtension, 8},
        {"application, size byte ignored",
         {0x21, 0xFF, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 9, 9, 0},
         GifBlockKind::ApplicationExtension,
         18},
        {"plain text",
         {0x21, 0x01, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 'x', 0},
         GifBlockKind::PlainTextExtension,
         18},
        {"image", {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x00, 2, 1, 7, 0}, GifBlockKind::ImageDescriptor, 14},
        {"image with local table",
         {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x80, 1, 2, 3, 4, 5, 6, 2, 1, 7, 0},
         GifBlockKind::ImageDescriptor,
         20},
        {"image, table size without flag",
         {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x47, 2, 0},
         GifBlockKind::ImageDescriptor,
         12},
        {"unknown label", {0x21, 0x02, 0}, GifBlockKind::Unrecognised, kPastEnd},
        {"introducer without label", {0x21}, GifBlockKind::Unrecognised, kPastEnd},
        {"stray byte", {0x00, 0x3B}, GifBlockKind::Unrecognised, kPastEnd},
        {"nothing left", {}, GifBlockKind::Unrecognised, kPastEnd},
        {"comment, no chain byte", {0x21, 0xFE}, GifBlockKind::CommentExtension, kPastEnd},
        {"comment, sub-block runs off", {0x21, 0xFE, 5, 'a', 'b'}, GifBlockKind::CommentExtension, kPastEnd},
        {"image, descriptor cut", {0x2C, 0, 0, 0, 0, 1, 0, 1, 0}, GifBlockKind::ImageDescriptor, kPastEnd},
        {"image, local table cut",
         {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x80, 1, 2, 3, 4, 5, 6},
         GifBlockKind::ImageDescriptor,
         kPastEnd},
        {"image, no chain", {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x00, 2}, GifBlockKind::ImageDescriptor, kPastEnd},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes data = GifBuilder().Get();
        data.insert(data.end(), c.bytes.begin(), c.bytes.end());
        GifWalker walker;
        ASSERT_TRUE(walker.Start(data.data(), data.size()));
        EXPECT_EQ(walker.ClassifyBlock(), c.kind);
        EXPECT_EQ(walker.BlockLength(), c.length);
    }
}

// Runs of full 255-byte sub-blocks are read several at a time; lengths and every truncation must
// come out as for one sub-block at a time. The data bytes are 0xFF, as a size byte could be.
TEST(GifWalkerBlocks, ChainLengthsAndTruncations) {
    const std::vector<size_t> full8(8, 255), full7(7, 255);
    const std::vector<std::vector<size_t>> cases[] = {
        {{}},
        {full8},
        {full8, {255}},
        {full7},
        {full8, full8, {17}},
        {full7, {254}, full8, {3}},
        {{1, 2, 3}, full8, full8, full7},
        {{200, 100, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
    };
    for (const auto& parts : cases) {
        Bytes chain;
        for (const auto& part : parts) {
            for (size_t n : part) {
                chain.push_back(uint8_t(n));
                chain.insert(chain.end(), n, uint8_t(0xFF));
            }
        }
        chain.push_back(0x00);
        for (size_t size = 0; size <= chain.size(); ++size) {
            std::unique_ptr<uint8_t[]> exact(new uint8_t[13 + size]);
            std::memcpy(exact.get(), GifBuilder().Get().data(), 13);
            if (size > 0) std::memcpy(exact.get() + 13, chain.data(), size);
            GifWalker walker;
            ASSERT_TRUE(walker.Start(exact.get(), 13 + size));
            const int64_t want = size == chain.size() ? int64_t(size) : kPastEnd;
            ASSERT_EQ(walker.SubBlockChainLength(13), want) << size << " of " << chain.size();
        }
    }
}

TEST(GifWalkerCut, FrameStreamIsHeadSpanAndTrailer) {
    // 768-byte global table, so every stream starts with the source's first 781 bytes. Each frame
    // is an 8-byte control and a 1000-byte image: 10 + 1 + 984 data bytes in 4 sub-blocks + 1.
    GifBuilder gif(0x87);
    gif.Looping();
    const size_t starts[] = {gif.Size(), gif.Control(25, 0x08).Image(2, 3, 40, 30, 984).Size(),
                             gif.Control(7, 0x0D).Image(0, 0, 64, 48, 984).Size(),
                             gif.Control(0, 0x00).Image(1, 1, 2, 2, 984).Size()};
    gif.Trailer();
    const Walk walk = WalkAll(gif.Get());
    EXPECT_EQ(walk.blocks, 3u);
    ASSERT_EQ(walk.frames.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(testing::Message() << "frame " << i);
        const Bytes& stream = walk.frames[i].stream;
        ASSERT_EQ(stream.size(), 781u + 1008u + 1u);
        EXPECT_EQ(Slice(stream, 0, 781), Slice(gif.Get(), 0, 781));
        EXPECT_EQ(Slice(stream, 781, 1789), Slice(gif.Get(), starts[i], starts[i + 1]));
        EXPECT_EQ(stream.back(), 0x3B);
        ExpectSelfContained(walk.frames[i]);
    }
    EXPECT_EQ(Fields(walk.frames[0].info), std::make_tuple(2, 3, 40, 30, 25, 2));
    EXPECT_EQ(Fields(walk.frames[1].info), std::make_tuple(0, 0, 64, 48, 7, 3));
    EXPECT_EQ(Fields(walk.frames[2].info), std::make_tuple(1, 1, 2, 2, 0, 0));
}

// Each case: blocks before the frame (never in its stream), the frame's own blocks (its span),
// and the frame's left, top, width, height, delay and disposal.
TEST(GifWalkerCut, WhatTheSpanHolds) {
    const auto blocks = [] { return GifBuilder(); };
    const struct {
        const char* name;
        GifBuilder lead;
        GifBuilder frame;
        std::tuple<int, int, int, int, int, int> fields;
    } cases[] = {
        {"comment between control and image",
         blocks(),
         blocks().Control(30, 0x04).Comment(6).Image(1, 2, 3, 4),
         {1, 2, 3, 4, 30, 1}},
        {"no graphic control extension", blocks(), blocks().Image(5, 6, 7, 8), {5, 6, 7, 8, -1, 0}},
        {"two graphic control extensions, the first counts",
         blocks(),
         blocks().Control(11, 0x0C).Control(99, 0x04).Image(0, 0, 2, 2),
         {0, 0, 2, 2, 11, 3}},
        {"application extension after the control",
         blocks(),
         blocks().Control(3, 0x00).Looping().Image(0, 0, 1, 1),
         {0, 0, 1, 1, 3, 0}},
        {"looping and comment before the control stay out",
         blocks().Looping().Comment(4),
         blocks().Control(4, 0x08).Image(0, 0, 1, 1),
         {0, 0, 1, 1, 4, 2}},
        {"plain text has no position or size", blocks(), blocks().Control(6, 0x08).PlainText(5), {0, 0, 0, 0, 6, 2}},
        {"plain text without control", blocks(), blocks().PlainText(2), {0, 0, 0, 0, -1, 0}},
        {"local colour table", blocks(), blocks().Image(0, 0, 4, 4, 300, 0x82), {0, 0, 4, 4, -1, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes head = GifBuilder(0x81).Get();
        const Bytes span = Slice(c.frame.Get(), 13, c.frame.Size());
        Bytes src = head;
        src.insert(src.end(), c.lead.Get().begin() + 13, c.lead.Get().end());
        src.insert(src.end(), span.begin(), span.end());
        src.push_back(0x3B);
        Bytes expected = head;
        expected.insert(expected.end(), span.begin(), span.end());
        expected.push_back(0x3B);

        const Walk walk = WalkAll(src);
        EXPECT_EQ(walk.blocks, 1u);
        ASSERT_EQ(walk.frames.size(), 1u);
        EXPECT_EQ(walk.frames[0].stream, expected);
        EXPECT_EQ(Fields(walk.frames[0].info), c.fields);
        ExpectSelfContained(walk.frames[0]);
    }
}

TEST(GifWalkerCut, DisposalIsBitsTwoToFour) {
    const int disposal[][2] = {{0x04, 1}, {0x10, 4}, {0x1C, 7}, {0xE3, 0}, {0xFF, 7}, {0x19, 6}};
    for (const auto& d : disposal) {
        const Walk walk = WalkAll(GifBuilder().Control(0xFFFF, uint8_t(d[0])).Image(0, 0, 1, 1).Get());
        ASSERT_EQ(walk.frames.size(), 1u);
        EXPECT_EQ(walk.frames[0].info.disposal, d[1]) << "packed " << d[0];
        EXPECT_EQ(walk.frames[0].info.delay, 0xFFFF);
    }
}

// Two good frames, then what ends the walk; the count and the cut stop at the same place.
TEST(GifWalkerCut, WalkEndsWhereTheBlocksStopMakingSense) {
    const GifBuilder good = GifBuilder().Control(1, 0).Image(0, 0, 1, 1).Image(0, 0, 2, 2);
    const struct {
        const char* name;
        Bytes tail;
    } cases[] = {
        {"trailer", {0x3B}},
        {"end of data", {}},
        {"unknown label", {0x21, 0x02, 0x00, 0x3B}},
        {"unknown label after control", {0x21, 0xF9, 4, 0, 0, 0, 0, 0, 0x21, 0x02, 0x00, 0x3B}},
        {"control, trailer, image", {0x21, 0xF9, 4, 0, 0, 0, 0, 0, 0x3B, 0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 1, 7, 0}},
        {"control at the end", {0x21, 0xF9, 4, 0, 0, 0, 0, 0}},
        {"stray byte", {0x00, 0x2C}},
        {"comment then trailer", {0x21, 0xFE, 1, 'x', 0, 0x3B}},
        {"image descriptor cut", {0x2C, 0, 0, 0}},
        {"introducer at the end", {0x21}},
        {"plain text cut", {0x21, 0x01, 0x0C, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        Bytes src = good.Get();
        src.insert(src.end(), c.tail.begin(), c.tail.end());
        const Walk walk = WalkAll(src);
        EXPECT_EQ(walk.blocks, 2u) << c.name;
        EXPECT_EQ(walk.frames.size(), 2u) << c.name;
    }
    for (uint8_t packed : {0x00, 0x87}) {
        const Walk walk = WalkAll(GifBuilder(packed).Trailer().Get());
        EXPECT_TRUE(walk.started);
        EXPECT_EQ(walk.blocks, 0u) << "header and trailer only";
        EXPECT_TRUE(walk.frames.empty());
    }
}

TEST(GifWalkerCut, TruncatedInThirdImageGivesTwoFrames) {
    GifBuilder gif(0x80);
    gif.Looping().Control(10, 0x04).Image(0, 0, 4, 4, 600).Control(10, 0x04).Image(0, 0, 4, 4, 600);
    const size_t third = gif.Size();
    gif.Control(10, 0x04).Image(0, 0, 4, 4, 600).Trailer();
    // Inside the control, the descriptor, the code size byte, the data, before the terminator.
    for (size_t size : {third + 1, third + 13, third + 18, third + 300, gif.Size() - 2}) {
        const Walk walk = WalkAll(Slice(gif.Get(), 0, size));
        EXPECT_EQ(walk.blocks, 2u) << "cut at " << size;
        EXPECT_EQ(walk.frames.size(), 2u) << "cut at " << size;
    }
    EXPECT_EQ(WalkAll(Slice(gif.Get(), 0, gif.Size() - 1)).frames.size(), 3u) << "no trailer";
}

TEST(GifWalkerCut, FailedAllocationGivesNoFrame) {
    const Bytes gif = GifBuilder().Image(0, 0, 1, 1).Trailer().Get();
    GifWalker walker;
    ASSERT_TRUE(walker.Start(gif.data(), gif.size()));
    size_t length = 0;
    GifFrameInfo info;
    const GifAllocFn refuse = [](void*, size_t) -> uint8_t* { return nullptr; };
    EXPECT_EQ(walker.CutNextFrame(refuse, nullptr, length, info), nullptr);
}

// Every prefix, copied into a heap block of exactly its size, walks without reading past it and
// keeps exactly the frames that end inside it, byte for byte as the whole data cuts them.
TEST(GifWalkerPrefixes, EveryPrefixWalksCleanly) {
    GifBuilder gif(0x81);
    gif.Looping()
        .Comment(4)
        .Control(5, 0x08)
        .Comment(2)
        .Image(1, 1, 4, 4, 260)
        .Image(0, 0, 2, 2, 3, 0x80)
        .Control(1, 0)
        .Image(0, 0, 9, 9, 17 * 255 + 40)
        .Control(2, 0x0C)
        .Control(3, 0)
        .PlainText(4)
        .Control(9, 0x04)
        .Image(3, 3, 5, 5, 1)
        .Trailer();
    const Bytes& src = gif.Get();
    const Walk whole = WalkAll(src);
    std::vector<size_t> ends;  // where each graphic block ends
    GifWalker walker;
    ASSERT_TRUE(walker.Start(src.data(), src.size()));
    while (walker.SkipGraphicBlock()) ends.push_back(walker.Offset());
    ASSERT_EQ(ends.size(), 5u);
    ASSERT_EQ(whole.frames.size(), 5u);

    for (size_t size = 0; size <= src.size(); ++size) {
        std::unique_ptr<uint8_t[]> exact(new uint8_t[size]);
        if (size > 0) std::memcpy(exact.get(), src.data(), size);
        const Walk walk = WalkAll(exact.get(), size);
        size_t expected = 0;
        while (expected < ends.size() && ends[expected] <= size) ++expected;
        ASSERT_EQ(walk.started, size >= 13) << "prefix of " << size;
        ASSERT_EQ(walk.blocks, expected) << "prefix of " << size;
        ASSERT_EQ(walk.frames.size(), expected) << "prefix of " << size;
        for (size_t i = 0; i < expected; ++i) ASSERT_EQ(walk.frames[i].stream, whole.frames[i].stream);
    }
}

}  // namespace
