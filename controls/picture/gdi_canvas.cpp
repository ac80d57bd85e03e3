#include "gdi_canvas.h"

HBRUSH CanvasColourBrush() { return reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_MENU + 1)); }

namespace {

RECT ToRect(const core::CanvasRect& r) {
    RECT rect;
    rect.left = r.left;
    rect.top = r.top;
    rect.right = r.left + r.width;
    rect.bottom = r.top + r.height;
    return rect;
}

}  // namespace

bool DrawFrame(const core::GifFrame& frame, int left, int top, const MemoryCanvas& canvas) {
    if (!frame.decoded || !canvas) return false;
    // GDI's drawing on this thread may still be batched: it lands before the frame, not on it.
    ::GdiFlush();
    core::DrawIndexedFrame(frame.pixels, left, top, canvas.Pixels(), canvas.Width(), canvas.Height());
    return true;
}

GdiCanvas::GdiCanvas(HWND window, MemoryCanvas& canvas, MemoryCanvas& save, HBRUSH background,
                     std::vector<core::GifFrame>& frames, core::FrameCache& cache, CCriticalSection& drawingLock)
    : m_window(window),
      m_canvas(canvas),
      m_save(save),
      m_background(background ? background : CanvasColourBrush()),
      m_frames(frames),
      m_cache(cache),
      m_decoder(frames),
      m_drawingLock(drawingLock) {}

bool GdiCanvas::RenderFrame(size_t index, const core::CanvasRect& rect) {
    return index < m_frames.size() && DrawFrame(m_frames[index], rect.left, rect.top, m_canvas);
}

void GdiCanvas::Invalidate() { ::InvalidateRect(m_window, nullptr, FALSE); }

void GdiCanvas::FillBackground(const core::CanvasRect& rect) {
    const RECT r = ToRect(rect);
    ::FillRect(m_canvas.Get(), &r, m_background);
}

void GdiCanvas::SaveUnder(const core::CanvasRect& rect) {
    if (!m_save.Create(m_canvas.Get(), rect.width, rect.height)) return;
    ::BitBlt(m_save.Get(), 0, 0, rect.width, rect.height, m_canvas.Get(), rect.left, rect.top, SRCCOPY);
}

void GdiCanvas::RestoreSaved(const core::CanvasRect& rect) {
    if (!m_save) return;
    ::BitBlt(m_canvas.Get(), rect.left, rect.top, rect.width, rect.height, m_save.Get(), 0, 0, SRCCOPY);
    m_save.Destroy();
}

bool GdiCanvas::HasSaved() const { return static_cast<bool>(m_save); }
