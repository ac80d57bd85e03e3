// The load path of an animated GIF (start, count, cut every frame) on a large file made at run
// time with giflib, against a plain memcpy of the same bytes and against giflib's DGifSlurp.
// Beside them, the release check's SHA-256 (a released program hashes its data files, the package
// among them, before use) against Debian's sha256sum over the same bytes in a file.
// Run: bench_gif [--benchmark_filter=...]; compare the bytes_per_second columns.
#include "gif_support.h"
#include "gif_walker.h"
#include "sha256.h"

#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace core;

namespace {

constexpr int kFrames = 400;
constexpr int kSide = 96;

int WriteToVector(GifFileType* gif, const GifByteType* bytes, int n) {
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), bytes, bytes + n);
    return n;
}

// Noise frames with a 256-colour global table and a graphic control extension each: LZW barely
// compresses noise, so the file is several megabytes of image data chains.
std::vector<uint8_t> MakeAnimation() {
    std::vector<uint8_t> out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, WriteToVector, &error);
    if (!gif) std::abort();
    EGifSetGifVersion(gif, true);
    GifColorType colours[256];
    for (int i = 0; i < 256; ++i) colours[i] = {GifByteType(i), GifByteType(255 - i), GifByteType(i * 7)};
    ColorMapObject* map = GifMakeMapObject(256, colours);
    bool ok = EGifPutScreenDesc(gif, kSide, kSide, 8, 0, map) == GIF_OK;

    uint32_t seed = 12345;
    std::vector<GifPixelType> line(kSide);
    for (int frame = 0; ok && frame < kFrames; ++frame) {
        GraphicsControlBlock control = {DISPOSE_DO_NOT, false, 4, NO_TRANSPARENT_COLOR};
        GifByteType extension[4];
        const size_t length = EGifGCBToExtension(&control, extension);
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), extension) == GIF_OK &&
             EGifPutImageDesc(gif, 0, 0, kSide, kSide, false, nullptr) == GIF_OK;
        for (int y = 0; ok && y < kSide; ++y) {
            for (auto& pixel : line) {
                seed = seed * 1664525u + 1013904223u;
                pixel = GifPixelType(seed >> 24);
            }
            ok = EGifPutLine(gif, line.data(), kSide) == GIF_OK;
        }
    }
    GifFreeMapObject(map);
    if (EGifCloseFile(gif, &error) != GIF_OK || !ok) std::abort();
    return out;
}

const std::vector<uint8_t>& Animation() {
    static const std::vector<uint8_t> animation = MakeAnimation();
    return animation;
}

// One block for all frame streams of a pass, touched once up front, as a stand-in for the
// allocator so that the benchmark measures the walker and not the first touch of fresh pages.
struct Arena {
    std::vector<uint8_t> memory;
    size_t used = 0;
};

uint8_t* AllocFromArena(void* context, size_t size) {
    auto* arena = static_cast<Arena*>(context);
    if (size > arena->memory.size() - arena->used) return nullptr;
    uint8_t* block = arena->memory.data() + arena->used;
    arena->used += size;
    return block;
}

uint8_t* AllocWithMalloc(void* context, size_t size) {
    auto* blocks = static_cast<std::vector<void*>*>(context);
    void* block = std::malloc(size);
    if (block) blocks->push_back(block);
    return static_cast<uint8_t*>(block);
}

size_t CutAll(GifWalker& walker, GifAllocFn alloc, void* context) {
    size_t frames = 0;
    size_t length = 0;
    GifFrameInfo info;
    while (walker.CutNextFrame(alloc, context, length, info)) ++frames;
    return frames;
}

void BM_WalkAndCut(benchmark::State& state) {
    const auto& gif = Animation();
    Arena arena;
    arena.memory.assign(gif.size() + kFrames * (13 + 768 + 1), 0);
    for (auto _ : state) {
        arena.used = 0;
        GifWalker walker;
        walker.Start(gif.data(), gif.size());
        const size_t blocks = walker.CountGraphicBlocks();
        const size_t frames = CutAll(walker, AllocFromArena, &arena);
        if (blocks != kFrames || frames != kFrames) state.SkipWithError("wrong frame count");
        benchmark::DoNotOptimize(arena.memory.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(gif.size()));
    state.counters["file_MB"] = double(gif.size()) / 1e6;
}
BENCHMARK(BM_WalkAndCut)->Unit(benchmark::kMicrosecond);

void BM_WalkAndCutMalloc(benchmark::State& state) {
    const auto& gif = Animation();
    std::vector<void*> blocks;
    blocks.reserve(kFrames);
    for (auto _ : state) {
        GifWalker walker;
        walker.Start(gif.data(), gif.size());
        walker.CountGraphicBlocks();
        CutAll(walker, AllocWithMalloc, &blocks);
        for (void* block : blocks) std::free(block);
        blocks.clear();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(gif.size()));
}
BENCHMARK(BM_WalkAndCutMalloc)->Unit(benchmark::kMicrosecond);

void BM_CountOnly(benchmark::State& state) {
    const auto& gif = Animation();
    for (auto _ : state) {
        GifWalker walker;
        walker.Start(gif.data(), gif.size());
        benchmark::DoNotOptimize(walker.CountGraphicBlocks());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(gif.size()));
}
BENCHMARK(BM_CountOnly)->Unit(benchmark::kMicrosecond);

void BM_Memcpy(benchmark::State& state) {
    const auto& gif = Animation();
    std::vector<uint8_t> copy(gif.size(), 0);
    for (auto _ : state) {
        std::memcpy(copy.data(), gif.data(), gif.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(gif.size()));
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMicrosecond);

void BM_GiflibSlurp(benchmark::State& state) {
    const auto& gif = Animation();
    for (auto _ : state) {
        gif_support::MemoryReader reader = {&gif, 0};
        int error = 0;
        GifFileType* file = DGifOpen(&reader, gif_support::ReadFromMemory, &error);
        if (!file || DGifSlurp(file) != GIF_OK || file->ImageCount != kFrames) {
            state.SkipWithError("giflib failed");
        }
        if (file) DGifCloseFile(file, &error);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(gif.size()));
}
BENCHMARK(BM_GiflibSlurp)->Unit(benchmark::kMicrosecond);

void BM_Sha256(benchmark::State& state) {
    const auto& gif = Animation();
    for (auto _ : state) benchmark::DoNotOptimize(Sha256Of(gif.data(), gif.size()));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(gif.size()));
}
BENCHMARK(BM_Sha256)->Unit(benchmark::kMicrosecond);

// The whole command, its start included, as a release check would run it over a file.
void BM_Sha256sumCommand(benchmark::State& state) {
    const auto& gif = Animation();
    char path[] = "/tmp/skylark-bench-XXXXXX";
    const int fd = mkstemp(path);
    FILE* file = fd < 0 ? nullptr : fdopen(fd, "wb");
    if (!file || std::fwrite(gif.data(), 1, gif.size(), file) != gif.size()) state.SkipWithError("no file");
    if (file) std::fclose(file);
    const std::string command = std::string("sha256sum ") + path + " >/dev/null";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) state.SkipWithError("sha256sum failed");
    }
    std::remove(path);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(gif.size()));
}
BENCHMARK(BM_Sha256sumCommand)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
