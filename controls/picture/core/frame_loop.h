#pragma once

// The animation thread's frame loop: which frame to draw, what to dispose, how long to wait.
// The drawing itself (GDI canvas, IPicture::Render) and the stop event belong to the Win32 side,
// which implements AnimationCanvas and StopSignal.

#include "gif_frame_info.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace core {

struct CanvasRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// GIF89a disposal methods the loop acts on; every other value leaves the frame in place.
constexpr int32_t kDisposeToBackground = 2;
constexpr int32_t kDisposeToPrevious = 3;

// The frame records out of any records that hold one as `info`, as GifFrame does.
template <class Records>
std::vector<GifFrameInfo> FrameInfos(const Records& records) {
    std::vector<GifFrameInfo> out;
    out.reserve(records.size());
    for (const auto& r : records) out.push_back(r.info);
    return out;
}

class AnimationCanvas {
public:
    virtual ~AnimationCanvas() = default;

    // Makes frame `index` ready to draw, which may mean decoding it: called outside the drawing
    // lock, so that a paint need not wait, and for the next frame while the one before is on show,
    // its time taken out of that frame's delay. False when it cannot be: the frame is then not
    // drawn, and its delay and disposal apply as for a frame whose render fails.
    virtual bool PrepareFrame(size_t /*index*/) { return true; }
    // Draws frame `index` scaled into `rect`; true when it was drawn.
    virtual bool RenderFrame(size_t index, const CanvasRect& rect) = 0;
    // After the frame's drawing, outside the lock: what drew it may be let go.
    virtual void FrameDone(size_t /*index*/) {}
    // Asks the window to repaint from the canvas, without erasing.
    virtual void Invalidate() = 0;
    virtual void FillBackground(const CanvasRect& rect) = 0;
    // Creates the save canvas, the size of `rect`, and copies the canvas under `rect` into it.
    // When that cannot be done nothing is saved and HasSaved() stays false.
    virtual void SaveUnder(const CanvasRect& rect) = 0;
    // Copies the save canvas back into `rect` and deletes it.
    virtual void RestoreSaved(const CanvasRect& rect) = 0;
    // The save canvas outlives a stop, so the next run can finish the restore.
    virtual bool HasSaved() const = 0;
    // Held from the disposal of the frame on show to the end of the next frame's drawing, never
    // across Invalidate or a wait: a paint that copies the canvas holds it too, and so shows
    // whole frames only.
    virtual void BeginDrawing() = 0;
    virtual void EndDrawing() = 0;
};

class StopSignal {
public:
    virtual ~StopSignal() = default;
    virtual bool StopRequested() const = 0;
    // Sleeps up to `ms`, returning early once a stop is requested.
    virtual void Wait(unsigned ms) = 0;
    // A millisecond clock, for the time a frame's preparation takes out of its delay; it may wrap.
    virtual uint32_t NowMs() const = 0;
};

// The longest wait handed out: one below WaitForSingleObject's INFINITE.
constexpr unsigned kMaxFrameWaitMs = 0xFFFFFFFEu;

// How long a frame stays on show for its GIF delay (hundredths of a second).
unsigned FrameWaitMs(int32_t delay);

// A single frame is shown still; only two or more make an animation.
inline bool ShouldAnimate(size_t frameCount) { return frameCount >= 2; }

// Runs until `stop` asks it to end. `frameIndex` is the control's m_frameIndex: it names the frame on
// show and survives a stop, so a later run first finishes that frame's disposal and then draws it anew.
// `canvasRect` is the whole canvas, filled with the background when the frames wrap around.
void RunAnimation(const std::vector<GifFrameInfo>& frames, const CanvasRect& canvasRect, uint32_t& frameIndex,
                  AnimationCanvas& canvas, StopSignal& stop);

}  // namespace core
