// The GIF walker on real animated GIFs (made by tests/unit/data/make-gif-samples.sh, and the
// shipped animation), with giflib as the second opinion on what the frames are.
#include "gif_decoder.h"
#include "gif_support.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

using namespace core;

namespace {

using gif_support::Bytes;
using gif_support::MemoryReader;
using gif_support::ReadFromMemory;
using gif_support::Walk;
using gif_support::WalkAll;

const char* const kSamples[] = {
    "gif-disposal.gif",        "gif-local-tables.gif", "gif-interlaced.gif",
    "gif-no-global-table.gif", "gif-optimized.gif",    "../../../data/zv_reset_animation.gif",
};

Bytes ReadSample(const std::string& name) {
    std::ifstream in(std::string(SKYLARK_TEST_DATA_DIR) + "/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// giflib reading from memory, slurped whole.
struct GifCloser {
    void operator()(GifFileType* gif) const { DGifCloseFile(gif, nullptr); }
};
using Slurped = std::unique_ptr<GifFileType, GifCloser>;

// The bytes and giflib's reader live as long as the slurped file, which points at them.
struct Decoded {
    Bytes bytes;
    MemoryReader reader;
    Slurped gif;
};

std::unique_ptr<Decoded> Slurp(Bytes data) {
    auto decoded = std::make_unique<Decoded>();
    decoded->bytes = std::move(data);
    decoded->reader = {&decoded->bytes, 0};
    int error = 0;
    decoded->gif.reset(DGifOpen(&decoded->reader, ReadFromMemory, &error));
    if (!decoded->gif) {
        ADD_FAILURE() << "DGifOpen: " << GifErrorString(error);
        return nullptr;
    }
    if (DGifSlurp(decoded->gif.get()) != GIF_OK) {
        ADD_FAILURE() << "DGifSlurp: " << GifErrorString(decoded->gif->Error);
        return nullptr;
    }
    return decoded;
}

// The colour table giflib decodes an image with (its local one, else the global one), as RGB.
std::vector<uint32_t> ColoursOf(const GifFileType* gif, int image) {
    const ColorMapObject* map = gif->SavedImages[image].ImageDesc.ColorMap;
    if (!map) map = gif->SColorMap;
    std::vector<uint32_t> colours;
    for (int i = 0; map && i < map->ColorCount; ++i) {
        const GifColorType& c = map->Colors[i];
        colours.push_back(uint32_t(c.Red) << 16 | uint32_t(c.Green) << 8 | c.Blue);
    }
    return colours;
}

class GifSample : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        m_data = ReadSample(GetParam());
        ASSERT_GT(m_data.size(), 13u) << GetParam();
    }
    Bytes m_data;
};

std::string SampleName(const testing::TestParamInfo<const char*>& info) {
    const std::string path = info.param;
    const std::string file = path.substr(path.find_last_of('/') + 1);
    std::string name;
    for (char c : file.substr(0, file.find('.'))) {
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    }
    return name;
}

// Frame count, positions, sizes, delays and disposal as giflib reads them; and each cut stream,
// decoded by giflib on its own, gives that frame's colours and pixels.
TEST_P(GifSample, FramesAgreeWithGiflib) {
    const auto reference = Slurp(m_data);
    ASSERT_TRUE(reference);
    GifFileType* gif = reference->gif.get();
    const Walk walk = WalkAll(m_data.data(), m_data.size());
    EXPECT_EQ(walk.blocks, size_t(gif->ImageCount));
    ASSERT_EQ(walk.frames.size(), size_t(gif->ImageCount));
    for (int i = 0; i < gif->ImageCount; ++i) {
        SCOPED_TRACE(testing::Message() << "frame " << i);
        const GifImageDesc& want = gif->SavedImages[i].ImageDesc;
        const GifFrameInfo& info = walk.frames[size_t(i)].info;
        EXPECT_EQ(info.left, want.Left);
        EXPECT_EQ(info.top, want.Top);
        EXPECT_EQ(info.width, want.Width);
        EXPECT_EQ(info.height, want.Height);
        GraphicsControlBlock control;
        const bool hasControl = DGifSavedExtensionToGCB(gif, i, &control) == GIF_OK;
        EXPECT_EQ(info.delay, hasControl ? control.DelayTime : -1);
        EXPECT_EQ(info.disposal, hasControl ? control.DisposalMode : 0);

        const auto cut = Slurp(walk.frames[size_t(i)].stream);
        ASSERT_TRUE(cut);
        const GifFileType* frame = cut->gif.get();
        ASSERT_EQ(frame->ImageCount, 1);
        EXPECT_EQ(frame->SWidth, gif->SWidth);
        EXPECT_EQ(frame->SHeight, gif->SHeight);
        const GifImageDesc& got = frame->SavedImages[0].ImageDesc;
        ASSERT_EQ(std::make_tuple(got.Left, got.Top, got.Width, got.Height),
                  std::make_tuple(want.Left, want.Top, want.Width, want.Height));
        EXPECT_EQ(ColoursOf(frame, 0), ColoursOf(gif, i));
        const size_t pixels = size_t(want.Width) * size_t(want.Height);
        EXPECT_EQ(0, std::memcmp(frame->SavedImages[0].RasterBits, gif->SavedImages[i].RasterBits, pixels));

        // The control's own decode of the cut: giflib's pixels, colours and transparency.
        IndexedFrame decoded;
        const Bytes& stream = walk.frames[size_t(i)].stream;
        ASSERT_TRUE(DecodeGifFrame(stream.data(), stream.size(), decoded));
        EXPECT_EQ(Bytes(decoded.indices),
                  Bytes(gif->SavedImages[i].RasterBits, gif->SavedImages[i].RasterBits + pixels));
        const std::vector<uint32_t> colours = ColoursOf(gif, i);
        EXPECT_EQ(std::vector<uint32_t>(decoded.palette.begin(), decoded.palette.begin() + colours.size()), colours);
        EXPECT_EQ(decoded.transparentIndex, hasControl ? control.TransparentColor : -1);
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, GifSample, testing::ValuesIn(kSamples), SampleName);

// The samples hold what the tests above are meant to cover.
TEST(GifSamples, CoverWhatTheyAreMadeFor) {
    const auto slurp = [](const char* name) { return Slurp(ReadSample(name)); };
    const auto disposal = slurp("gif-disposal.gif");
    const auto local = slurp("gif-local-tables.gif");
    const auto noGlobal = slurp("gif-no-global-table.gif");
    const auto interlaced = slurp("gif-interlaced.gif");
    const auto optimized = slurp("gif-optimized.gif");
    ASSERT_TRUE(disposal && local && noGlobal && interlaced && optimized);
    std::vector<int> modes;
    for (int i = 0; i < disposal->gif->ImageCount; ++i) {
        GraphicsControlBlock control;
        ASSERT_EQ(DGifSavedExtensionToGCB(disposal->gif.get(), i, &control), GIF_OK);
        modes.push_back(control.DisposalMode);
    }
    EXPECT_EQ(modes, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_NE(local->gif->SavedImages[1].ImageDesc.ColorMap, nullptr);
    EXPECT_EQ(noGlobal->gif->SColorMap, nullptr);
    EXPECT_TRUE(interlaced->gif->SavedImages[0].ImageDesc.Interlace);
    EXPECT_GT(optimized->gif->SavedImages[1].ImageDesc.Left, 0);
}

}  // namespace
