// CPictureEx against Wine's USER, GDI and OLE: a real popup with a "Static" child subclassed by the
// control, checked by what the window shows (its size, its pixels) and by the animation thread's life.
#include "gif_builder.h"
#include "picture_ex.h"
#include "screen_capture.h"
#include "system_info.h"
#include "waiting.h"

#include <gtest/gtest.h>

#include <olectl.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// Generous bounds for what Wine does at its own pace; no test measures speed.
const DWORD kSettleMs = 20000;

// The test GIFs' global colour table (four entries), as the screen shows them.
const COLORREF kPalette[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 255)};
enum ColourIndex : uint8_t { kRed, kGreen, kBlue, kWhite };

struct SolidFrame {
    uint16_t left, top, width, height;
    uint8_t colour;
    uint16_t delay;         // hundredths of a second
    bool decodable = true;  // false: an image with no data, which the picture loader refuses
};

// A GIF89a of solid rectangles: the four-colour global table, a looping application extension,
// then per frame a graphic control extension (disposal 1) and an image.
Bytes SolidGif(uint16_t width, uint16_t height, const std::vector<SolidFrame>& frames) {
    Bytes colours;
    for (COLORREF c : kPalette) colours.insert(colours.end(), {GetRValue(c), GetGValue(c), GetBValue(c)});
    support::GifBuilder gif(0x81, width, height, colours);
    gif.Looping();
    for (const SolidFrame& f : frames) {
        gif.Control(f.delay, 0x04);
        if (f.decodable)
            gif.SolidImage(f.left, f.top, f.width, f.height, f.colour);
        else
            gif.Image(f.left, f.top, f.width, f.height, 0);
    }
    return gif.Trailer().Get();
}

// An animation of solid frames that each cover the whole screen, in the given colours.
Bytes SolidAnimation(uint16_t width, uint16_t height, std::initializer_list<uint8_t> colours, uint16_t delay) {
    std::vector<SolidFrame> frames;
    for (uint8_t colour : colours) frames.push_back({0, 0, width, height, colour, delay});
    return SolidGif(width, height, frames);
}

// A movable block as LoadFromFile makes one; the caller keeps it.
class MovableBlock {
public:
    explicit MovableBlock(const Bytes& bytes) : m_block(GlobalAlloc(GMEM_MOVEABLE, bytes.size())) {
        if (void* p = m_block ? GlobalLock(m_block) : nullptr) {
            std::memcpy(p, bytes.data(), bytes.size());
            GlobalUnlock(m_block);
        }
    }
    ~MovableBlock() { GlobalFree(m_block); }
    MovableBlock(const MovableBlock&) = delete;
    MovableBlock& operator=(const MovableBlock&) = delete;
    HGLOBAL Get() const { return m_block; }

private:
    HGLOBAL m_block;
};

bool Load(CPictureEx& picture, const Bytes& bytes) {
    const MovableBlock block(bytes);
    return picture.LoadFromMemory(block.Get(), static_cast<DWORD>(bytes.size()));
}

std::string TempPath() {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return dir;
}

// The live animation threads of this process: they run at the lowest priority, and nothing else does.
std::vector<DWORD> AnimationThreads() { return support::LowestPriorityThreads(GetCurrentProcessId()); }

// The one animation thread, opened for waiting on; null (and a test failure) unless exactly one runs.
HANDLE OpenAnimationThread() {
    const std::vector<DWORD> ids = AnimationThreads();
    EXPECT_EQ(ids.size(), 1u) << "animation threads running";
    return ids.size() == 1 ? OpenThread(SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, ids[0]) : nullptr;
}

bool HasEnded(HANDLE thread) { return thread && WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }

class PictureExTest : public ::testing::Test {
protected:
    static constexpr int kControlId = 1023;

    void SetUp() override {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
        wc.lpszClassName = "SkylarkPictureHost";
        RegisterClassA(&wc);  // fails harmlessly from the second test on
        m_host = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, 320, 240, nullptr, nullptr,
                                 wc.hInstance, nullptr);
        ASSERT_NE(m_host, nullptr);
        m_static = CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE, 10, 10, 20, 20, m_host,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(kControlId)), wc.hInstance, nullptr);
        ASSERT_NE(m_static, nullptr);
        ASSERT_TRUE(m_picture.SubclassWindow(m_static));
        support::PumpMessages();
    }

    void TearDown() override {
        if (IsWindow(m_host)) DestroyWindow(m_host);
        support::PumpMessages();
    }

    SIZE WindowSize() const {
        RECT r = {};
        GetWindowRect(m_static, &r);
        return SIZE{r.right - r.left, r.bottom - r.top};
    }

    COLORREF PixelAt(int x, int y) const {
        const HDC dc = GetDC(m_static);
        const COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(m_static, dc);
        return c;
    }

    // Repaints now and tells whether the window shows `colour` at (x, y).
    bool Shows(int x, int y, COLORREF colour) {
        return support::PumpUntil([&] { return support::Near(PixelAt(x, y), colour, 8); }, kSettleMs);
    }

    HWND m_host = nullptr;
    HWND m_static = nullptr;
    CPictureEx m_picture;
};

// What a user sees of each kind of picture: the window takes the picture's size, shows the canvas
// colour until Show, then the picture; only two or more frames start a thread.
TEST_F(PictureExTest, LoadSizesTheWindowAndShowDrawsThePicture) {
    ASSERT_EQ(support::ScreenDpi(), 96) << "the prefix is meant to run at 96 DPI";

    struct Case {
        const char* name;
        std::string file;  // loaded with LoadFromFile when set
        Bytes bytes;       // else with LoadFromMemory
        SIZE size;
        POINT probe;  // where the shown picture has `colour`
        COLORREF colour;
        bool animates;
    };
    const Case cases[] = {
        // 2540 x 1270 HIMETRIC, made by `convert -size 96x48 xc:red -density 96 -units PixelsPerInch`
        {"jpeg",
         support::WindowsPathFromUnix(SKYLARK_PICTURE_TEST_DATA "/red-96x48-96dpi.jpg"),
         {},
         {96, 48},
         {48, 24},
         kPalette[kRed],
         false},
        // One image smaller than the screen: the canvas keeps the logical screen size.
        {"one-block gif", "", SolidGif(40, 30, {{5, 5, 10, 8, kBlue, 0}}), {40, 30}, {10, 9}, kPalette[kBlue], false},
        {"three-frame gif",
         "",
         SolidAnimation(50, 20, {kGreen, kBlue, kRed}, 50),
         {50, 20},
         {25, 10},
         kPalette[kGreen],
         true},
        // Frames one and three load; the second, without image data, is dropped.
        {"gif with a broken frame",
         "",
         SolidGif(30, 30, {{0, 0, 30, 30, kWhite, 50}, {0, 0, 30, 30, kRed, 50, false}, {0, 0, 30, 30, kBlue, 50}}),
         {30, 30},
         {15, 15},
         kPalette[kWhite],
         true},
        // Only one frame loads: it is shown still, where its image lies.
        {"gif with one loadable frame",
         "",
         SolidGif(40, 40, {{0, 0, 40, 40, kRed, 50, false}, {10, 20, 20, 10, kGreen, 50}}),
         {40, 40},
         {20, 25},
         kPalette[kGreen],
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool loaded = c.file.empty() ? Load(m_picture, c.bytes) : m_picture.LoadFromFile(c.file);
        ASSERT_TRUE(loaded);
        EXPECT_EQ(WindowSize().cx, c.size.cx);
        EXPECT_EQ(WindowSize().cy, c.size.cy);
        EXPECT_TRUE(Shows(c.size.cx - 1, c.size.cy - 1, GetSysColor(COLOR_MENU)))
            << std::hex << PixelAt(c.size.cx - 1, c.size.cy - 1);

        m_picture.Show();
        EXPECT_TRUE(Shows(c.probe.x, c.probe.y, c.colour)) << std::hex << PixelAt(c.probe.x, c.probe.y);
        EXPECT_EQ(AnimationThreads().size(), c.animates ? 1u : 0u);
        m_picture.StopAnimation();
        EXPECT_TRUE(AnimationThreads().empty());
    }
}

// Loads that fail. A file that cannot be read leaves a running animation running; data that is read
// but not a picture empties the control.
TEST_F(PictureExTest, FailedLoads) {
    const Bytes animation = SolidAnimation(24, 24, {kRed, kGreen, kBlue}, 20);
    char emptyFile[MAX_PATH];
    ASSERT_NE(GetTempFileNameA(TempPath().c_str(), "pic", 0, emptyFile), 0u);  // made empty

    struct Case {
        const char* name;
        std::string file;
        Bytes bytes;
        bool keepsAnimation;
    };
    const Case cases[] = {
        {"missing file", TempPath() + "skylark-no-such-picture.gif", {}, true},
        {"empty file", emptyFile, {}, true},
        {"header and trailer only", "", SolidGif(24, 24, {}), false},
        {"no frame decodes", "", SolidGif(24, 24, {{0, 0, 24, 24, kRed, 20, false}, {0, 0, 24, 24, kGreen, 20, false}}),
         false},
        {"single image that does not decode", "", SolidGif(24, 24, {{0, 0, 24, 24, kRed, 20, false}}), false},
        {"not a picture", "", Bytes(100, 0x5A), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(Load(m_picture, animation));
        m_picture.Show();
        const HANDLE before = OpenAnimationThread();

        const bool loaded = c.file.empty() ? Load(m_picture, c.bytes) : m_picture.LoadFromFile(c.file);
        EXPECT_FALSE(loaded);
        if (c.keepsAnimation) {
            EXPECT_FALSE(HasEnded(before));
            EXPECT_EQ(WindowSize().cx, 24);
        } else {
            EXPECT_TRUE(HasEnded(before));
            // Empty: Show has nothing to show and starts nothing.
            m_picture.Show();
            EXPECT_TRUE(AnimationThreads().empty());
        }
        m_picture.StopAnimation();
        CloseHandle(before);
    }
    DeleteFileA(emptyFile);
}

// The frames reach the window one after another, in file order, round and round.
TEST_F(PictureExTest, AnimationCyclesThroughItsFramesInOrder) {
    ASSERT_TRUE(Load(m_picture, SolidAnimation(32, 32, {kRed, kGreen, kBlue}, 15)));
    m_picture.Show();

    const COLORREF order[] = {kPalette[kRed], kPalette[kGreen], kPalette[kBlue]};
    std::vector<int> seen;  // indices into `order`, one per change of colour
    const bool cycled = support::PumpUntil(
        [&] {
            const COLORREF now = PixelAt(16, 16);
            for (int i = 0; i < 3; ++i) {
                if (support::Near(now, order[i], 8) && (seen.empty() || seen.back() != i)) seen.push_back(i);
            }
            return seen.size() >= 7;  // two whole rounds and back to the start
        },
        kSettleMs);
    m_picture.StopAnimation();
    ASSERT_TRUE(cycled) << seen.size() << " colour changes seen";
    for (size_t i = 1; i < seen.size(); ++i) EXPECT_EQ(seen[i], (seen[i - 1] + 1) % 3) << "change " << i;
}

// A stop does not sit out the frame's delay, and the canvas keeps the frame that was on show.
TEST_F(PictureExTest, StopDuringALongDelayReturnsPromptly) {
    // The second frame stays a minute: a stop that waited for the delay could not pass for a prompt one.
    ASSERT_TRUE(Load(m_picture, SolidGif(16, 16, {{0, 0, 16, 16, kBlue, 5}, {0, 0, 16, 16, kRed, 6000}})));
    m_picture.Show();
    ASSERT_TRUE(Shows(8, 8, kPalette[kRed]));
    const HANDLE thread = OpenAnimationThread();

    const DWORD start = GetTickCount();
    m_picture.StopAnimation();
    EXPECT_LT(GetTickCount() - start, 20000u);
    EXPECT_TRUE(HasEnded(thread));
    CloseHandle(thread);

    InvalidateRect(m_static, nullptr, TRUE);
    EXPECT_TRUE(Shows(8, 8, kPalette[kRed]));
    m_picture.Show();
    EXPECT_EQ(AnimationThreads().size(), 1u);
}

// A load in the background reads on a thread of its own and returns before the read ends; the
// window's thread then shows what was read, as a load and Show would. A read of nothing shows nothing.
TEST_F(PictureExTest, LoadInTheBackgroundReadsOffTheWindowsThreadThenShows) {
    struct Case {
        const char* name;
        Bytes bytes;
        COLORREF colour;  // at the middle of the 36x24 window
        bool animates;
    };
    const Case cases[] = {
        {"animation", SolidAnimation(36, 24, {kBlue, kGreen}, 500), kPalette[kBlue], true},
        {"one-block gif", SolidGif(36, 24, {{0, 0, 36, 24, kRed, 0}}), kPalette[kRed], false},
        {"nothing read", {}, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        std::atomic<DWORD> readOn{0};
        std::atomic<bool> readEnded{false};
        m_picture.LoadAndShowInBackground([&] {
            readOn = GetCurrentThreadId();
            WaitForSingleObject(go, kSettleMs);
            readEnded = true;
            return std::string(c.bytes.begin(), c.bytes.end());
        });
        EXPECT_FALSE(readEnded.load()) << "returned only after its read";
        SetEvent(go);
        ASSERT_TRUE(support::PumpUntil([&] { return readEnded.load(); }, kSettleMs));
        EXPECT_NE(readOn.load(), GetCurrentThreadId());
        if (c.bytes.empty()) {
            support::PumpMessages();
        } else {
            EXPECT_TRUE(Shows(18, 12, c.colour)) << std::hex << PixelAt(18, 12);
            EXPECT_EQ(WindowSize().cx, 36);
        }
        EXPECT_EQ(AnimationThreads().size(), c.animates ? 1u : 0u);
        m_picture.Reset();
        CloseHandle(go);
    }
}

// What a read in the background uses belongs to the control's owner, which may go with the window.
TEST_F(PictureExTest, DestroyingTheWindowWaitsForAReadInTheBackground) {
    const Bytes animation = SolidAnimation(16, 16, {kRed, kGreen}, 5);
    std::atomic<bool> started{false};
    std::atomic<bool> ended{false};
    m_picture.LoadAndShowInBackground([&] {
        started = true;
        Sleep(300);  // long enough for the window to go first, were it not waited for
        ended = true;
        return std::string(animation.begin(), animation.end());
    });
    ASSERT_TRUE(support::PumpUntil([&] { return started.load(); }, kSettleMs));
    DestroyWindow(m_host);
    EXPECT_TRUE(ended.load());
    support::PumpMessages();
    EXPECT_TRUE(AnimationThreads().empty());
}

// Hooked in over the control's own procedure: sees the last message of the window.
struct DestroyWatch {
    static WNDPROC control;
    static HANDLE thread;
    static int ncdestroys;
    static bool threadEndedFirst;

    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_NCDESTROY) {
            ++ncdestroys;
            threadEndedFirst = IsWindow(hwnd) && HasEnded(thread);
        }
        return CallWindowProcA(control, hwnd, msg, wp, lp);
    }
};
WNDPROC DestroyWatch::control = nullptr;
HANDLE DestroyWatch::thread = nullptr;
int DestroyWatch::ncdestroys = 0;
bool DestroyWatch::threadEndedFirst = false;

TEST_F(PictureExTest, DestroyingTheWindowEndsTheThreadBeforeTheWindowGoes) {
    ASSERT_TRUE(Load(m_picture, SolidAnimation(16, 16, {kRed, kGreen}, 5)));
    m_picture.Show();
    ASSERT_TRUE(Shows(8, 8, kPalette[kRed]) || Shows(8, 8, kPalette[kGreen]));
    DestroyWatch::thread = OpenAnimationThread();
    ASSERT_NE(DestroyWatch::thread, nullptr);
    DestroyWatch::control = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(m_static, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DestroyWatch::Proc)));

    DestroyWindow(m_host);
    EXPECT_EQ(DestroyWatch::ncdestroys, 1);
    EXPECT_TRUE(DestroyWatch::threadEndedFirst);
    CloseHandle(DestroyWatch::thread);
}

// Every free of this program passes through the operator delete below. While a watch is on, it
// notes the frees made by any thread but the watched animation thread while that thread still
// runs: memory freed under a live thread is memory it may be drawing from (a frame's pixels).
class FreeWatch {
public:
    FreeWatch() = default;
    ~FreeWatch() { Watch(nullptr); }
    FreeWatch(const FreeWatch&) = delete;
    FreeWatch& operator=(const FreeWatch&) = delete;

    // The animation thread that no frame may outlive; counts start again.
    void Watch(HANDLE thread) {
        s_thread.store(nullptr);
        s_frees = 0;
        s_freesWhileRunning = 0;
        s_threadId = thread ? GetThreadId(thread) : 0;
        s_thread.store(thread);
    }
    int Frees() const { return s_frees; }
    int FreesWhileRunning() const { return s_freesWhileRunning; }

    static void Note() {
        const HANDLE thread = s_thread.load();
        if (!thread || GetCurrentThreadId() == s_threadId) return;
        ++s_frees;
        if (!HasEnded(thread)) ++s_freesWhileRunning;
    }

private:
    static std::atomic<HANDLE> s_thread;
    static DWORD s_threadId;
    static std::atomic<int> s_frees;
    static std::atomic<int> s_freesWhileRunning;
};
std::atomic<HANDLE> FreeWatch::s_thread{nullptr};
DWORD FreeWatch::s_threadId = 0;
std::atomic<int> FreeWatch::s_frees{0};
std::atomic<int> FreeWatch::s_freesWhileRunning{0};

TEST_F(PictureExTest, LoadingWhileAnimatingEndsTheOldThreadBeforeReleasingItsFrames) {
    FreeWatch watch;
    const Bytes frames = SolidAnimation(20, 20, {kRed, kGreen, kBlue}, 0);
    ASSERT_TRUE(Load(m_picture, frames));
    m_picture.Show();

    struct Round {
        const char* name;
        Bytes next;
        bool loads;
    };
    const Round rounds[] = {
        {"same frames again", frames, true},
        {"other frames", SolidAnimation(30, 10, {kBlue, kWhite}, 0), true},
        {"a GIF that fails", SolidGif(20, 20, {}), false},
    };
    for (const Round& r : rounds) {
        SCOPED_TRACE(r.name);
        const HANDLE old = OpenAnimationThread();
        ASSERT_NE(old, nullptr);
        support::PumpMessages();
        watch.Watch(old);
        EXPECT_EQ(Load(m_picture, r.next), r.loads);
        EXPECT_TRUE(HasEnded(old));
        EXPECT_GE(watch.Frees(), 1) << "the old frames";
        EXPECT_EQ(watch.FreesWhileRunning(), 0);
        watch.Watch(nullptr);
        CloseHandle(old);
        m_picture.Show();
    }
}

}  // namespace

// The memory of this program comes from malloc, so that the watch can see each free on its way.
void* operator new(size_t size) {
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
// GCC takes the replaced pair for the built-in one where it inlines them, and warns of a mismatch.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept {
    if (p) FreeWatch::Note();
    std::free(p);
}
#pragma GCC diagnostic pop
void operator delete(void* p, size_t) noexcept { operator delete(p); }
