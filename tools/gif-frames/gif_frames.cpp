// gif-frames [--budget] FILE [OUTDIR]: shows how the picture control walks and cuts a GIF, and with
// OUTDIR writes each cut frame stream to OUTDIR/frame-<i>.gif. With --budget, for two or more
// frames it ends with what the frames take decoded and the control's budget for keeping them;
// without it the output is only the walk's, line for line as scripts have always read it.
#include "frame_cache.h"
#include "gif_walker.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

using namespace core;

namespace {

constexpr int kExitFound = 0;
constexpr int kExitNoGraphicBlock = 1;
constexpr int kExitError = 2;

bool ReadWholeFile(const char* path, std::vector<uint8_t>& out, std::string& error) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
        error = std::strerror(errno);
        return false;
    }
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) out.insert(out.end(), chunk, chunk + n);
    // A folder opens on some systems and fails only at the first read.
    const bool failed = std::ferror(file) != 0;
    if (failed) error = errno ? std::strerror(errno) : "read error";
    std::fclose(file);
    return !failed;
}

uint8_t* AllocFromVector(void* context, size_t size) {
    auto* buffer = static_cast<std::vector<uint8_t>*>(context);
    buffer->resize(size);
    return buffer->data();
}

bool WriteFile(const std::filesystem::path& path, const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(path.string().c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
    const bool budget = argc > 1 && std::strcmp(argv[1], "--budget") == 0;
    if (budget) {
        --argc;
        ++argv;
    }
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: gif-frames [--budget] FILE [OUTDIR]\n");
        return kExitError;
    }
    std::vector<uint8_t> data;
    std::string error;
    if (!ReadWholeFile(argv[1], data, error)) {
        std::fprintf(stderr, "gif-frames: cannot read %s: %s\n", argv[1], error.c_str());
        return kExitError;
    }

    GifWalker walker;
    if (!walker.Start(data.data(), data.size())) return kExitNoGraphicBlock;

    std::filesystem::path outDir;
    if (argc == 3) {
        outDir = argv[2];
        std::error_code ec;
        std::filesystem::create_directories(outDir, ec);
        if (ec || !std::filesystem::is_directory(outDir)) {
            std::fprintf(stderr, "gif-frames: cannot use %s as output folder\n", argv[2]);
            return kExitError;
        }
    }

    std::printf("screen %u %u colortable %zu\n", unsigned(walker.ScreenWidth()), unsigned(walker.ScreenHeight()),
                walker.ColorTableSize());
    const size_t blocks = walker.CountGraphicBlocks();
    std::printf("blocks %zu\n", blocks);

    size_t frames = 0;
    std::vector<uint8_t> stream;
    size_t length = 0;
    GifFrameInfo frame;
    std::vector<GifFrameInfo> cut;
    while (walker.CutNextFrame(AllocFromVector, &stream, length, frame)) {
        cut.push_back(frame);
        std::printf("frame %zu left %d top %d width %d height %d delay %d disposal %d bytes %zu\n", frames,
                    int(frame.left), int(frame.top), int(frame.width), int(frame.height), int(frame.delay),
                    int(frame.disposal), length);
        if (!outDir.empty()) {
            const auto path = outDir / ("frame-" + std::to_string(frames) + ".gif");
            if (!WriteFile(path, stream.data(), length)) {
                std::fflush(stdout);
                std::fprintf(stderr, "gif-frames: cannot write %s\n", path.string().c_str());
                return kExitError;
            }
        }
        ++frames;
    }
    std::printf("frames %zu\n", frames);
    if (budget && frames >= 2)
        std::printf("decoded %llu budget %llu\n", static_cast<unsigned long long>(core::DecodedAnimationBytes(cut)),
                    static_cast<unsigned long long>(core::kDecodedFramesBudget));
    return blocks > 0 ? kExitFound : kExitNoGraphicBlock;
}
