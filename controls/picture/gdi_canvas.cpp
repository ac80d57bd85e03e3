#include "gdi_canvas.h"

#include "ole_picture.h"

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

bool GifFrameDecoder::Decode(size_t index) {
    if (index >= m_frames.size()) return false;
    GifFrame& frame = m_frames[index];
    // Each decode reads the stream from its start, through a stream object of its own.
    frame.picture = LoadPictureFromGlobal(frame.stream.Get(), frame.streamLength);
    return static_cast<bool>(frame.picture);
}

void GifFrameDecoder::Release(size_t index) {
    if (index < m_frames.size()) m_frames[index].picture.Reset();
}

GdiCanvas::GdiCanvas(HWND window, HDC canvas, MemoryCanvas& save, HBRUSH background, std::vector<GifFrame>& frames,
                     core::FrameCache& cache, CCriticalSection& drawingLock)
    : m_window(window),
      m_canvas(canvas),
      m_save(save),
      m_background(background ? background : CanvasColourBrush()),
      m_frames(frames),
      m_cache(cache),
      m_decoder(frames),
      m_drawingLock(drawingLock) {}

bool GdiCanvas::RenderFrame(size_t index, const core::CanvasRect& rect) {
    if (index >= m_frames.size() || !m_frames[index].picture) return false;
    return RenderPicture(m_frames[index].picture.Get(), m_canvas, rect.left, rect.top, rect.width, rect.height);
}

void GdiCanvas::Invalidate() { ::InvalidateRect(m_window, nullptr, FALSE); }

void GdiCanvas::FillBackground(const core::CanvasRect& rect) {
    const RECT r = ToRect(rect);
    ::FillRect(m_canvas, &r, m_background);
}

void GdiCanvas::SaveUnder(const core::CanvasRect& rect) {
    if (!m_save.Create(m_canvas, rect.width, rect.height)) return;
    ::BitBlt(m_save.Get(), 0, 0, rect.width, rect.height, m_canvas, rect.left, rect.top, SRCCOPY);
}

void GdiCanvas::RestoreSaved(const core::CanvasRect& rect) {
    if (!m_save) return;
    ::BitBlt(m_canvas, rect.left, rect.top, rect.width, rect.height, m_save.Get(), 0, 0, SRCCOPY);
    m_save.Destroy();
}

bool GdiCanvas::HasSaved() const { return static_cast<bool>(m_save); }
