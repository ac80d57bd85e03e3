#pragma once
// The frame loop's canvas over GDI: frames are rendered into the control's memory canvas, and the
// window repaints itself from it.

// Before any Windows header: user32's FrameRect function hides the loop's FrameRect type from there
// on, which is then named as `struct FrameRect`.
#include "frame_loop.h"

#include "gif_frame.h"
#include "memory_canvas.h"

#include <windows.h>

#include <vector>

class GdiCanvas : public AnimationCanvas {
public:
    // Everything is borrowed and must outlive the canvas. A null `background` fills with the
    // colour the canvas was created with.
    GdiCanvas(HWND window, HDC canvas, MemoryCanvas& save, HBRUSH background,
              const std::vector<GifFrame>& frames);

    bool RenderFrame(size_t index, const struct FrameRect& rect) override;
    void Invalidate() override;
    void FillBackground(const struct FrameRect& rect) override;
    void SaveUnder(const struct FrameRect& rect) override;
    void RestoreSaved(const struct FrameRect& rect) override;
    bool HasSaved() const override;

private:
    HWND m_window;
    HDC m_canvas;
    MemoryCanvas& m_save;
    HBRUSH m_background;
    const std::vector<GifFrame>& m_frames;
};
