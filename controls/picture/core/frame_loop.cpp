#include "frame_loop.h"

namespace core {

namespace {

// Delays below 5 hundredths would make a GIF race, and a frame without a graphic control extension
// has no delay at all; both get the pace most viewers use for them.
constexpr int32_t kShortestHonouredDelay = 5;
constexpr unsigned kShortDelayWaitMs = 100;

CanvasRect RectOf(const GifFrameInfo& frame) {
    CanvasRect rect;
    rect.left = frame.left;
    rect.top = frame.top;
    rect.width = frame.width;
    rect.height = frame.height;
    return rect;
}

void FinishDisposal(const GifFrameInfo& frame, AnimationCanvas& canvas) {
    if (frame.disposal == kDisposeToBackground)
        canvas.FillBackground(RectOf(frame));
    else if (frame.disposal == kDisposeToPrevious && canvas.HasSaved())
        canvas.RestoreSaved(RectOf(frame));
}

// The canvas's drawing lock, released on every way out of the loop.
class DrawingLock {
public:
    explicit DrawingLock(AnimationCanvas& canvas) : m_canvas(canvas) { Lock(); }
    ~DrawingLock() { Unlock(); }
    DrawingLock(const DrawingLock&) = delete;
    DrawingLock& operator=(const DrawingLock&) = delete;

    void Lock() {
        if (m_held) return;
        m_canvas.BeginDrawing();
        m_held = true;
    }
    void Unlock() {
        if (!m_held) return;
        m_held = false;
        m_canvas.EndDrawing();
    }

private:
    AnimationCanvas& m_canvas;
    bool m_held = false;
};

}  // namespace

unsigned FrameWaitMs(int32_t delay) {
    if (delay < kShortestHonouredDelay) return kShortDelayWaitMs;
    // A file holds at most 65535 (655 350 ms), but the record is 32-bit: widen before scaling.
    const uint64_t ms = static_cast<uint64_t>(delay) * 10u;
    return ms < kMaxFrameWaitMs ? static_cast<unsigned>(ms) : kMaxFrameWaitMs;
}

void RunAnimation(const std::vector<GifFrameInfo>& frames, const CanvasRect& canvasRect, uint32_t& frameIndex,
                  AnimationCanvas& canvas, StopSignal& stop) {
    if (frames.empty()) return;
    if (frameIndex >= frames.size()) frameIndex = 0;

    bool ready = canvas.PrepareFrame(frameIndex);
    // A disposal and the drawing of the next frame are one step to a paint, which would otherwise
    // show the canvas with neither frame.
    DrawingLock drawing(canvas);
    // A stop that came while this frame was on show left its disposal undone.
    FinishDisposal(frames[frameIndex], canvas);

    while (!stop.StopRequested()) {
        const GifFrameInfo& frame = frames[frameIndex];
        const CanvasRect rect = RectOf(frame);
        if (frame.disposal == kDisposeToPrevious) canvas.SaveUnder(rect);
        const bool drawn = ready && canvas.RenderFrame(frameIndex, rect);
        drawing.Unlock();
        canvas.FrameDone(frameIndex);
        if (drawn) canvas.Invalidate();
        if (stop.StopRequested()) break;
        const uint32_t next = frameIndex + 1 < frames.size() ? frameIndex + 1 : 0;
        const uint32_t preparing = stop.NowMs();
        ready = canvas.PrepareFrame(next);
        const uint32_t spent = stop.NowMs() - preparing;
        if (stop.StopRequested()) break;
        const unsigned wait = FrameWaitMs(frame.delay);
        stop.Wait(wait > spent ? wait - spent : 0);
        // Stopping here leaves the frame on show with its disposal pending, for the next run.
        if (stop.StopRequested()) break;
        drawing.Lock();
        FinishDisposal(frame, canvas);
        frameIndex = next;
        if (frameIndex == 0) canvas.FillBackground(canvasRect);
    }
}

}  // namespace core
