#include "picture_ex.h"

#include "com_scope.h"
#include "file_reader.h"
#include "gdi_canvas.h"
#include "global_memory.h"
#include "ole_picture.h"

#include <olectl.h>

#include <utility>

namespace {

const DWORD kStopWaitMs = 5000;
const int kHimetricPerInch = 2540;

// The control's own message: a load in the background has cut its picture (wParam: which load).
const UINT kBackgroundCutDone = WM_APP + 0x70;

class EventStopSignal : public core::StopSignal {
public:
    EventStopSignal(HANDLE event, const std::atomic<LONG>& flag) : m_event(event), m_flag(flag) {}
    bool StopRequested() const override { return m_flag.load() != 0; }
    void Wait(unsigned ms) override { ::WaitForSingleObject(m_event, ms); }
    uint32_t NowMs() const override { return ::GetTickCount(); }

private:
    HANDLE m_event;
    const std::atomic<LONG>& m_flag;
};

}  // namespace

CPictureEx::CPictureEx() : m_stopEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

CPictureEx::~CPictureEx() { Reset(); }

bool CPictureEx::LoadFromFile(const std::string& path) {
    const FileReadResult file = ReadWholeFile(path);
    if (!file.ok || file.bytes.empty()) return false;
    Reset();
    CutPicture cut;
    return CutPictureBytes(file.bytes, cut) && Install(cut, cut.copy.Get());
}

bool CPictureEx::LoadFromMemory(HGLOBAL block, DWORD size) {
    Reset();
    CutPicture cut;
    {
        const CGlobalLock lock(block);
        const auto* data = static_cast<const uint8_t*>(lock.Get());
        if (!data) return false;
        cut = CutPictureData(data, size);
    }
    return Install(cut, block);
}

bool CPictureEx::LoadAndShowInBackground(BackgroundCut::ReadBytes read) {
    Reset();
    // A message of a load since reset may still be queued: only the current one's is taken.
    return m_backgroundCut.Start(std::move(read), m_hWnd, kBackgroundCutDone, ++m_backgroundLoad);
}

void CPictureEx::OnBackgroundCutDone(WPARAM load) {
    if (load != m_backgroundLoad || !m_backgroundCut.Running()) return;
    CutPicture cut;
    if (m_backgroundCut.Take(cut) && Install(cut, cut.copy.Get())) Show();
}

bool CPictureEx::Install(CutPicture& cut, HGLOBAL wholeBlock) {
    const ComScope com;
    m_width = cut.width;
    m_height = cut.height;
    switch (cut.kind) {
        case CutPicture::Kind::Whole: {
            if (!LoadSinglePicture(wholeBlock, cut.size)) return false;
            long width = 0, height = 0;
            if (!PictureSize(m_picture.Get(), width, height)) return false;
            const CClientDC dc(m_hWnd);
            if (!dc.Get()) return false;
            m_width = ::MulDiv(width, ::GetDeviceCaps(dc.Get(), LOGPIXELSX), kHimetricPerInch);
            m_height = ::MulDiv(height, ::GetDeviceCaps(dc.Get(), LOGPIXELSY), kHimetricPerInch);
            return CreateCanvas(m_width, m_height);
        }
        case CutPicture::Kind::EmptyGif:
            return false;
        case CutPicture::Kind::StillGif:
            // The loader decodes a one-image GIF whole; the canvas keeps the logical screen size.
            return LoadSinglePicture(wholeBlock, cut.size) && CreateCanvas(m_width, m_height);
        case CutPicture::Kind::Animation:
            m_frames = std::move(cut.frames);
            return DecodeFirstFrame() && CreateCanvas(m_width, m_height);
    }
    return false;
}

// Only the first frame that decodes is decoded here, on the window's thread, so that the animation
// starts at once; the animation thread decodes the others.
bool CPictureEx::DecodeFirstFrame() {
    m_frameCache = core::FrameCache(core::FrameInfos(m_frames), core::kDecodedFramesBudget);
    core::GifFrameDecoder decoder(m_frames);
    for (size_t i = 0; i < m_frames.size(); ++i) {
        if (m_frameCache.Acquire(i, decoder)) return true;
    }
    // Not one frame decodes: nothing to show.
    m_frames.clear();
    m_frameCache = core::FrameCache();
    return false;
}

bool CPictureEx::LoadSinglePicture(HGLOBAL block, DWORD size) {
    m_picture = LoadPictureFromGlobal(block, size);
    return static_cast<bool>(m_picture);
}

bool CPictureEx::CreateCanvas(int width, int height) {
    if (!m_hWnd) return false;  // the screen's DC would do, but a canvas nobody paints from is no picture
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    const CClientDC window(m_hWnd);
    if (!window.Get()) return false;
    if (!m_canvasDC.Create(window.Get(), width, height)) return false;
    const RECT whole = {0, 0, width, height};
    ::FillRect(m_canvasDC.Get(), &whole, CanvasColourBrush());
    m_canvasReady = true;
    // A window made smaller is not repainted, and would keep showing the picture loaded before.
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    return true;
}

void CPictureEx::Reset() {
    m_backgroundCut.Cancel();
    // The thread draws with the pictures and canvases released below: it ends first.
    StopAnimation();
    m_picture.Reset();
    m_frames.clear();  // keeps its storage for the next load
    m_frameCache = core::FrameCache();
    m_canvasDC.Destroy();
    m_saveDC.Destroy();
    m_canvasReady = false;
    m_backgroundBrush.DeleteObject();
    m_frameIndex = 0;
}

void CPictureEx::Show() {
    if (!m_canvasReady || m_thread) return;

    // Frames that failed to decode at the load do not count; those not tried yet do.
    if (core::ShouldAnimate(m_frames.size() - m_frameCache.FailedCount())) {
        // Without the event the thread could neither sleep between frames nor be stopped.
        if (!m_stopEvent) return;
        // Lowered before its first instruction: it never runs at normal priority.
        m_thread.Create(&CPictureEx::AnimationThreadProc, this, THREAD_PRIORITY_LOWEST);
        return;
    }

    if (m_picture) {
        RenderStill(m_picture.Get(), 0, 0, m_width, m_height);
        return;
    }
    // Of a GIF whose other frames all failed to load, the one that loaded is shown still.
    for (const core::GifFrame& frame : m_frames) {
        if (DrawFrame(frame, frame.info.left, frame.info.top, m_canvasDC)) ::InvalidateRect(m_hWnd, nullptr, FALSE);
    }
}

void CPictureEx::RenderStill(IPicture* picture, int left, int top, int width, int height) {
    if (RenderPicture(picture, m_canvasDC.Get(), left, top, width, height)) ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CPictureEx::StopAnimation() {
    m_stopRequested.store(1);
    ::SetEvent(m_stopEvent.Get());
    if (m_thread) {
        // Whoever called this releases what the thread draws with next: a wait that runs out goes on.
        if (::WaitForSingleObject(m_thread.Get(), kStopWaitMs) == WAIT_TIMEOUT)
            ::WaitForSingleObject(m_thread.Get(), INFINITE);
        m_thread.Close();
    }
    ::ResetEvent(m_stopEvent.Get());
    m_stopRequested.store(0);
}

unsigned __stdcall CPictureEx::AnimationThreadProc(void* param) {
    try {
        static_cast<CPictureEx*>(param)->RunAnimation();
    } catch (...) {
        // Nothing may unwind out of a thread: the animation just ends.
    }
    return 0;
}

void CPictureEx::RunAnimation() {
    // The frames not yet decoded are decoded on this thread.
    const ComScope com;
    GdiCanvas canvas(m_hWnd, m_canvasDC, m_saveDC, m_backgroundBrush.Get(), m_frames, m_frameCache, m_canvasLock);
    EventStopSignal stop(m_stopEvent.Get(), m_stopRequested);
    core::CanvasRect whole;
    whole.width = m_width;
    whole.height = m_height;
    core::RunAnimation(core::FrameInfos(m_frames), whole, m_frameIndex, canvas, stop);
}

LRESULT CPictureEx::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_DESTROY:
            // The threads post to and invalidate this window: they end while the handle is still
            // good, and a read in the background ends before what its owner gave it to read with.
            m_backgroundCut.Cancel();
            StopAnimation();
            break;
        case kBackgroundCutDone:
            OnBackgroundCutDone(wp);
            return 0;
        case WM_PAINT:
            OnPaint();
            return 0;
    }
    return CStatic::WindowProc(msg, wp, lp);
}

void CPictureEx::OnPaint() {
    // The window has the canvas's size, so one copy covers whatever needs painting.
    const CPaintDC dc(m_hWnd);
    const CSingleLock drawing(m_canvasLock);
    if (!m_canvasReady) return;
    ::BitBlt(dc.Get(), 0, 0, m_width, m_height, m_canvasDC.Get(), 0, 0, SRCCOPY);
    // Done before the lock is let go: the animation thread writes the canvas's pixels directly.
    ::GdiFlush();
}
