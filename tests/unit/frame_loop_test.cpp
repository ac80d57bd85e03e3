#include "frame_cache.h"
#include "frame_loop.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <set>
#include <string>
#include <vector>

using namespace core;

namespace {

constexpr char kBackground = '.';
constexpr uint64_t kNever = std::numeric_limits<uint64_t>::max();

// A frame as the control holds it, with a colour standing in for its picture.
struct TestFrame {
    TestFrame(int32_t left, int32_t top, int32_t width, int32_t height, int32_t delay, int32_t disposal, char c)
        : colour(c) {
        info.left = left;
        info.top = top;
        info.width = width;
        info.height = height;
        info.delay = delay;
        info.disposal = disposal;
    }
    GifFrameInfo info;
    char colour;
};

using Grid = std::vector<std::string>;

std::string RectText(const CanvasRect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.width) + "," +
           std::to_string(r.height);
}

// A canvas of one character per pixel and a fake clock in one object, so that a single log shows
// the order of everything the loop does. Stops arrive at a fake time, during a given render or
// during a given wait, as StopAnimation would set the flag and the event from the window's thread.
// With a cache, frames are decoded through it, and only a decoded frame may be drawn.
class Rig : public AnimationCanvas, public StopSignal, public FrameDecoder {
public:
    Rig(int width, int height, std::vector<TestFrame> frames)
        : grid(height, std::string(width, kBackground)),
          m_frames(std::move(frames)),
          m_width(width),
          m_height(height) {}

    void Run(uint32_t& frameIndex) {
        m_stopped = false;
        m_renders = 0;
        m_waits = 0;
        log.clear();
        shown.clear();
        CanvasRect whole;
        whole.width = m_width;
        whole.height = m_height;
        RunAnimation(FrameInfos(m_frames), whole, frameIndex, *this, *this);
        EXPECT_FALSE(m_drawing) << "the drawing lock is still held after the run";
    }

    bool PrepareFrame(size_t index) override { return !cache || cache->Acquire(index, *this); }
    void FrameDone(size_t index) override {
        if (cache) cache->Done(index, *this);
    }
    bool Decode(size_t index) override {
        Note("decode " + std::to_string(index), false);
        now += decodeMs;
        if (index < failingDecode.size() && failingDecode[index]) return false;
        decoded.insert(index);
        return true;
    }
    void Release(size_t index) override {
        Note("drop " + std::to_string(index), false);
        EXPECT_EQ(decoded.erase(index), 1u) << "dropped twice";
    }

    bool RenderFrame(size_t index, const CanvasRect& rect) override {
        Note("render " + std::to_string(index), true);
        if (cache) {
            EXPECT_EQ(decoded.count(index), 1u) << "frame " << index << " drawn undecoded";
        }
        if (++m_renders == stopDuringRender) m_stopped = true;
        if (m_renders > 1000) {  // a loop that never waits would otherwise spin for ever
            ADD_FAILURE() << "runaway loop";
            m_stopped = true;
        }
        if (index < failingRender.size() && failingRender[index]) return false;
        Paint(rect, m_frames.at(index).colour);
        return true;
    }
    void Invalidate() override { Note("invalidate", false); }
    void FillBackground(const CanvasRect& rect) override {
        Note("fill " + RectText(rect), true);
        Paint(rect, kBackground);
    }
    void SaveUnder(const CanvasRect& rect) override {
        Note("save " + RectText(rect), true);
        if (saveFails) return;
        m_saved.clear();
        for (int32_t y = 0; y < rect.height; ++y)
            m_saved.push_back(grid.at(rect.top + y).substr(rect.left, rect.width));
        m_hasSaved = true;
    }
    void RestoreSaved(const CanvasRect& rect) override {
        Note("restore " + RectText(rect), true);
        ASSERT_TRUE(m_hasSaved);
        for (int32_t y = 0; y < rect.height; ++y) grid.at(rect.top + y).replace(rect.left, rect.width, m_saved.at(y));
        m_hasSaved = false;
        afterRestore = grid;
    }
    bool HasSaved() const override { return m_hasSaved; }
    void BeginDrawing() override { m_drawing = Note("lock", false, logLocks); }
    void EndDrawing() override { m_drawing = !Note("unlock", true, logLocks); }

    bool StopRequested() const override { return m_stopped || now >= stopAt; }
    void Wait(unsigned ms) override {
        Note("wait " + std::to_string(ms), false);
        shown.push_back(grid);
        if (++m_waits == stopDuringWait) stopAt = now;
        if (StopRequested()) return;
        // The stop event cuts the wait short at the moment the stop arrives.
        now = stopAt - now <= ms ? stopAt : now + ms;
    }
    uint32_t NowMs() const override { return static_cast<uint32_t>(now); }

    Grid grid;
    std::vector<std::string> log;
    std::vector<Grid> shown;  // what the canvas held during each wait
    Grid afterRestore;
    uint64_t now = 0;
    uint64_t stopAt = kNever;
    int stopDuringRender = 0;  // 1-based count within one Run; 0 for never
    int stopDuringWait = 0;
    std::vector<bool> failingRender;
    bool saveFails = false;
    bool logLocks = false;
    FrameCache* cache = nullptr;
    std::vector<bool> failingDecode;
    std::set<size_t> decoded;
    uint64_t decodeMs = 0;  // fake time each decode takes

private:
    // Logs what the loop did (locks only when asked) and checks that drawing happens under the
    // lock, and a wait, a repaint request or a second lock never does. Returns true, for the lock.
    bool Note(const std::string& entry, bool underLock, bool logged = true) {
        if (logged) log.push_back(entry);
        EXPECT_EQ(m_drawing, underLock) << "at \"" << entry << "\"";
        return true;
    }
    void Paint(const CanvasRect& rect, char colour) {
        for (int32_t y = 0; y < rect.height; ++y)
            grid.at(rect.top + y).replace(rect.left, rect.width, rect.width, colour);
    }

    std::vector<TestFrame> m_frames;
    int m_width;
    int m_height;
    bool m_stopped = false;
    int m_renders = 0;
    int m_waits = 0;
    Grid m_saved;
    bool m_hasSaved = false;
    bool m_drawing = false;
};

TEST(FrameWaitMs, MapsGifDelaysToMilliseconds) {
    const struct {
        int32_t delay;
        unsigned ms;
    } cases[] = {
        {0, 100},
        {4, 100},
        {5, 50},
        {10, 100},
        {250, 2500},
        {-1, 100},  // no graphic control extension
        {std::numeric_limits<int32_t>::min(), 100},
        {65535, 655350},  // the largest delay a file can hold
        {429496729, 4294967290u},
        {429496730, kMaxFrameWaitMs},  // wraps to 4 in 32-bit arithmetic
        {std::numeric_limits<int32_t>::max(), kMaxFrameWaitMs},
    };
    for (const auto& c : cases) EXPECT_EQ(FrameWaitMs(c.delay), c.ms) << "delay " << c.delay;
}

TEST(RunAnimation, TwoFramesAlternateAndTheWrapFillsTheWholeCanvas) {
    Rig rig(4, 2, {{0, 0, 2, 2, 10, 1, 'A'}, {2, 0, 2, 2, 25, 0, 'B'}});
    rig.stopAt = 650;  // during the second showing of frame 1 (450..700)
    uint32_t frameIndex = 0;
    rig.Run(frameIndex);

    const std::vector<std::string> expected = {
        "render 0", "invalidate", "wait 100", "render 1", "invalidate", "wait 250", "fill 0,0,4,2",
        "render 0", "invalidate", "wait 100", "render 1", "invalidate", "wait 250",
    };
    EXPECT_EQ(rig.log, expected);
    const std::vector<Grid> shown = {{"AA..", "AA.."}, {"AABB", "AABB"}, {"AA..", "AA.."}, {"AABB", "AABB"}};
    EXPECT_EQ(rig.shown, shown);
    EXPECT_EQ(frameIndex, 1u);
    EXPECT_EQ(rig.now, 650u);
}

TEST(RunAnimation, DisposalLeavesTheCanvasAsTheMethodSays) {
    // Frames 0 and 1 leave a two-coloured scene; frame 2 covers part of both, so a restore that
    // copies from or to the wrong place shows up as a wrong pixel.
    const std::vector<TestFrame> scene = {
        {0, 0, 4, 4, 10, 1, 'A'},
        {2, 0, 4, 4, 10, 1, 'B'},
    };
    const Grid beneath = {"AABBBB", "AABBBB", "AABBBB", "AABBBB"};
    const Grid covered = {"AABBBB", "ACCCBB", "ACCCBB", "AABBBB"};
    const struct {
        const char* name;
        int32_t disposal;
        bool saveFails;
        Grid whileShown;
        Grid afterDelay;  // as frame 3, a single pixel in the corner, is shown next
    } cases[] = {
        {"leave in place", 1, false, covered, {"AABBBB", "ACCCBB", "ACCCBB", "AABBBD"}},
        {"to background", 2, false, covered, {"AABBBB", "A...BB", "A...BB", "AABBBD"}},
        {"to previous", 3, false, covered, {"AABBBB", "AABBBB", "AABBBB", "AABBBD"}},
        {"to previous, save failed", 3, true, covered, {"AABBBB", "ACCCBB", "ACCCBB", "AABBBD"}},
        {"reserved 7", 7, false, covered, {"AABBBB", "ACCCBB", "ACCCBB", "AABBBD"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<TestFrame> frames = scene;
        frames.push_back({1, 1, 3, 2, 10, c.disposal, 'C'});
        frames.push_back({5, 3, 1, 1, 10, 1, 'D'});
        Rig rig(6, 4, frames);
        rig.saveFails = c.saveFails;
        rig.stopDuringWait = 4;
        uint32_t frameIndex = 0;
        rig.Run(frameIndex);

        ASSERT_EQ(rig.shown.size(), 4u);
        EXPECT_EQ(rig.shown[1], beneath);
        EXPECT_EQ(rig.shown[2], c.whileShown);
        EXPECT_EQ(rig.shown[3], c.afterDelay);
        EXPECT_FALSE(rig.HasSaved());
    }
}

TEST(RunAnimation, RenderAndSaveFailuresKeepTheTimingAndDisposal) {
    const struct {
        const char* name;
        std::vector<bool> failingRender;
        bool saveFails;
        std::vector<std::string> expected;
    } cases[] = {
        {"render of a disposal-2 frame fails",
         {true},
         false,
         {"fill 1,0,2,2", "render 0", "wait 50", "fill 1,0,2,2", "save 0,0,1,1", "render 1", "invalidate", "wait 100",
          "restore 0,0,1,1", "fill 0,0,3,2", "render 0"}},
        {"render of a disposal-3 frame fails",
         {false, true},
         false,
         {"fill 1,0,2,2", "render 0", "invalidate", "wait 50", "fill 1,0,2,2", "save 0,0,1,1", "render 1", "wait 100",
          "restore 0,0,1,1", "fill 0,0,3,2", "render 0", "invalidate"}},
        {"save fails",
         {},
         true,
         {"fill 1,0,2,2", "render 0", "invalidate", "wait 50", "fill 1,0,2,2", "save 0,0,1,1", "render 1", "invalidate",
          "wait 100", "fill 0,0,3,2", "render 0", "invalidate"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(3, 2, {{1, 0, 2, 2, 5, 2, 'A'}, {0, 0, 1, 1, 10, 3, 'B'}});
        rig.failingRender = c.failingRender;
        rig.saveFails = c.saveFails;
        rig.stopDuringRender = 3;
        uint32_t frameIndex = 0;
        rig.Run(frameIndex);
        EXPECT_EQ(rig.log, c.expected);
    }
}

TEST(RunAnimation, StopsWhereverTheStopArrives) {
    // Frame 0 is disposed to background, so any disposal after the stop would show in the log.
    const std::vector<TestFrame> frames = {{0, 0, 2, 1, 1000, 2, 'A'}, {0, 0, 1, 1, 10, 1, 'B'}};
    const struct {
        const char* name;
        uint64_t stopAt;
        int stopDuringRender;
        std::vector<std::string> expected;
        uint64_t endTime;
    } cases[] = {
        {"before the run", 0, 0, {"fill 0,0,2,1"}, 0},
        {"during the render", kNever, 1, {"fill 0,0,2,1", "render 0", "invalidate"}, 0},
        {"during a 10 s delay", 3000, 0, {"fill 0,0,2,1", "render 0", "invalidate", "wait 10000"}, 3000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(2, 1, frames);
        rig.stopAt = c.stopAt;
        rig.stopDuringRender = c.stopDuringRender;
        uint32_t frameIndex = 0;
        rig.Run(frameIndex);
        EXPECT_EQ(rig.log, c.expected);
        EXPECT_EQ(rig.now, c.endTime);
        EXPECT_EQ(frameIndex, 0u);
    }
}

TEST(RunAnimation, ARunAfterAStopFinishesTheDisposalAndRedrawsTheSameFrame) {
    const Grid beneath = {"AAAA", "AAAA", "AAAA"};
    const struct {
        const char* name;
        int32_t disposal;
        bool saveFails;
        std::vector<std::string> resumed;
    } cases[] = {
        {"to previous", 3, false, {"restore 1,1,2,2", "save 1,1,2,2", "render 1", "invalidate"}},
        {"to previous, save failed", 3, true, {"save 1,1,2,2", "render 1", "invalidate"}},
        {"to background", 2, false, {"fill 1,1,2,2", "render 1", "invalidate"}},
        {"leave in place", 1, false, {"render 1", "invalidate"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(4, 3, {{0, 0, 4, 3, 10, 1, 'A'}, {1, 1, 2, 2, 20, c.disposal, 'B'}, {0, 0, 1, 1, 10, 1, 'C'}});
        rig.saveFails = c.saveFails;
        rig.stopDuringWait = 2;
        uint32_t frameIndex = 0;
        rig.Run(frameIndex);
        ASSERT_EQ(frameIndex, 1u);
        EXPECT_EQ(rig.HasSaved(), c.disposal == 3 && !c.saveFails);

        rig.stopAt = kNever;
        rig.stopDuringWait = 0;
        rig.stopDuringRender = 1;
        rig.Run(frameIndex);
        EXPECT_EQ(rig.log, c.resumed);
        EXPECT_EQ(frameIndex, 1u);
        if (c.disposal == 3 && !c.saveFails) {
            EXPECT_EQ(rig.afterRestore, beneath);
        }
    }
}

// A paint takes the lock too: between a disposal and the next frame's drawing it never gets it.
TEST(RunAnimation, TheLockHoldsFromEachDisposalToTheEndOfTheNextDrawing) {
    Rig rig(2, 1, {{0, 0, 1, 1, 10, 2, 'A'}, {1, 0, 1, 1, 10, 3, 'B'}});
    rig.logLocks = true;
    rig.stopDuringWait = 3;
    uint32_t frameIndex = 0;
    rig.Run(frameIndex);
    const std::vector<std::string> expected = {
        "lock",         "fill 0,0,1,1", "render 0",     "unlock",       "invalidate",
        "wait 100",     "lock",         "fill 0,0,1,1", "save 1,0,1,1", "render 1",
        "unlock",       "invalidate",   "wait 100",     "lock",         "restore 1,0,1,1",
        "fill 0,0,2,1", "render 0",     "unlock",       "invalidate",   "wait 100",
    };
    EXPECT_EQ(rig.log, expected);
}

TEST(RunAnimation, AnIndexPastTheFramesStartsAtTheFirst) {
    Rig rig(2, 1, {{0, 0, 1, 1, 10, 2, 'A'}, {1, 0, 1, 1, 10, 2, 'B'}});
    rig.stopDuringRender = 1;
    uint32_t frameIndex = 7;
    rig.Run(frameIndex);
    const std::vector<std::string> expected = {"fill 0,0,1,1", "render 0", "invalidate"};
    EXPECT_EQ(rig.log, expected);
    EXPECT_EQ(frameIndex, 0u);
}

// The budget keeps the first frames decoded while they fit, in the order they were decoded; the
// rest are held only until drawn. A frame that fails is not tried again.
TEST(FrameCache, KeepsTheFirstFramesThatFitAndReleasesTheRestOnceDrawn) {
    std::vector<GifFrameInfo> frames(5);
    // A byte a pixel and a palette of 1024 bytes: 3072, 4096, 1024, 2048 and 2048 bytes decoded.
    const int32_t sizes[][2] = {{64, 32}, {96, 32}, {0, 0}, {32, 32}, {32, 32}};
    for (size_t i = 0; i < frames.size(); ++i) {
        frames[i].width = sizes[i][0];
        frames[i].height = sizes[i][1];
    }
    EXPECT_EQ(DecodedAnimationBytes(frames), 12288u);
    const struct {
        const char* name;
        uint64_t budget;
        std::vector<size_t> order;  // of the first acquisitions
        uint64_t kept;
        std::set<size_t> decodedAgain;  // in a second round
    } cases[] = {
        {"all fit", 12288, {0, 1, 2, 3, 4}, 12288, {}},
        {"the budget is full after frame 1", 7168, {0, 1, 2, 3, 4}, 7168, {2, 3, 4}},
        {"a frame that does not fit leaves room for a later one", 6144, {0, 1, 2, 3, 4}, 6144, {1, 4}},
        {"first decoded, first kept", 4096, {1, 0, 2, 3, 4}, 4096, {0, 2, 3, 4}},
        {"nothing fits", 0, {0, 1, 2, 3, 4}, 0, {0, 1, 2, 3, 4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(1, 1, {});
        rig.failingDecode = {false, false, false, false, false};
        FrameCache cache(frames, c.budget);
        for (size_t i : c.order) {
            EXPECT_TRUE(cache.Acquire(i, rig));
            cache.Done(i, rig);
        }
        EXPECT_EQ(cache.KeptBytes(), c.kept);
        rig.log.clear();
        for (size_t i = 0; i < frames.size(); ++i) {
            EXPECT_TRUE(cache.Acquire(i, rig));
            cache.Done(i, rig);
        }
        std::vector<std::string> again;
        for (size_t i : c.decodedAgain) again.insert(again.end(), {"decode " + std::to_string(i), "drop " + std::to_string(i)});
        EXPECT_EQ(rig.log, again);
        EXPECT_EQ(rig.decoded.size(), frames.size() - c.decodedAgain.size()) << "pictures held after the round";
    }

    Rig rig(1, 1, {});
    rig.failingDecode = {false, true};
    FrameCache cache(frames, 12288);
    EXPECT_FALSE(cache.Acquire(1, rig));
    EXPECT_FALSE(cache.Acquire(1, rig));
    EXPECT_FALSE(cache.Acquire(9, rig));
    EXPECT_EQ(rig.log, std::vector<std::string>{"decode 1"});
    EXPECT_EQ(cache.FailedCount(), 1u);
    EXPECT_EQ(cache.KeptBytes(), 0u);
}

// On the loop's clock: frame 0 was decoded by the load; frames past the budget are decoded while
// the frame before is on show, outside the drawing lock, the time it takes out of that frame's
// delay, and dropped once drawn; a frame that fails to decode is not drawn but keeps its delay.
TEST(RunAnimation, DecodesFramesPastTheBudgetAtTheirTurnAndDropsThemOnceDrawn) {
    std::vector<TestFrame> frames;
    for (char c : std::string("ABCD")) frames.push_back({0, 0, 2, 1, 10, 1, c});
    Rig rig(2, 1, frames);
    rig.failingDecode = {false, false, false, true};
    rig.decodeMs = 30;
    const uint64_t twoFrames = 2 * DecodedFrameBytes(FrameInfos(frames)[0]);
    FrameCache cache(FrameInfos(frames), twoFrames);
    rig.cache = &cache;
    ASSERT_TRUE(cache.Acquire(0, rig));
    rig.now = 0;
    rig.stopAt = 750;  // during the second showing of frame 3 (700..800)
    uint32_t frameIndex = 0;
    rig.Run(frameIndex);

    const std::vector<std::string> expected = {
        "render 0", "invalidate", "decode 1", "wait 70",  "render 1",     "invalidate", "decode 2", "wait 70",
        "render 2", "drop 2",     "invalidate", "decode 3", "wait 70",    "wait 100",   "fill 0,0,2,1",
        "render 0", "invalidate", "wait 100", "render 1", "invalidate",   "decode 2",   "wait 70",
        "render 2", "drop 2",     "invalidate", "wait 100", "wait 100",
    };
    EXPECT_EQ(rig.log, expected);
    EXPECT_EQ(cache.KeptBytes(), twoFrames);
    EXPECT_EQ(rig.decoded, (std::set<size_t>{0, 1}));
    EXPECT_EQ(frameIndex, 3u);
    EXPECT_EQ(rig.now, 750u);
}

}  // namespace
