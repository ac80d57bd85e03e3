#pragma once
// The frame loop's canvas over GDI: frames are drawn into the control's memory canvas, and the
// window repaints itself from it.

#include "critical_section.h"
#include "frame_cache.h"
#include "frame_loop.h"
#include "gif_frame.h"
#include "memory_canvas.h"

#include <windows.h>

#include <vector>

// The colour a new canvas is filled with (COLOR_MENU), as a system colour brush value.
HBRUSH CanvasColourBrush();

// Draws a decoded frame into the canvas at (left, top); false when it is not decoded.
bool DrawFrame(const core::GifFrame& frame, int left, int top, const MemoryCanvas& canvas);

class GdiCanvas : public core::AnimationCanvas {
public:
    // Everything is borrowed and must outlive the canvas. A null `background` fills with the
    // colour the canvas was created with. `drawingLock` is the one the window's paint holds.
    // `cache` says which of `frames` are decoded, and decodes the others at their turn.
    GdiCanvas(HWND window, MemoryCanvas& canvas, MemoryCanvas& save, HBRUSH background,
              std::vector<core::GifFrame>& frames, core::FrameCache& cache, CCriticalSection& drawingLock);

    bool PrepareFrame(size_t index) override { return m_cache.Acquire(index, m_decoder); }
    // Frames are drawn at their own size: the rectangle is where they were decoded for.
    bool RenderFrame(size_t index, const core::CanvasRect& rect) override;
    void FrameDone(size_t index) override { m_cache.Done(index, m_decoder); }
    void Invalidate() override;
    void FillBackground(const core::CanvasRect& rect) override;
    void SaveUnder(const core::CanvasRect& rect) override;
    void RestoreSaved(const core::CanvasRect& rect) override;
    bool HasSaved() const override;
    void BeginDrawing() override { m_drawingLock.Lock(); }
    void EndDrawing() override { m_drawingLock.Unlock(); }

private:
    HWND m_window;
    MemoryCanvas& m_canvas;
    MemoryCanvas& m_save;
    HBRUSH m_background;
    const std::vector<core::GifFrame>& m_frames;
    core::FrameCache& m_cache;
    core::GifFrameDecoder m_decoder;
    CCriticalSection& m_drawingLock;
};
