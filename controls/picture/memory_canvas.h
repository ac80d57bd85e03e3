#pragma once
// MemoryCanvas: a memory device context with a 32-bit DIB section of its own selected into it, so
// that both GDI and the program's own code can draw into it.

#include <windows.h>

#include <cstdint>

class MemoryCanvas {
public:
    MemoryCanvas() = default;
    ~MemoryCanvas() { Destroy(); }
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;

    // A cx by cy canvas of 32-bit pixels (0x00RRGGBB, top row first), its context like `like`.
    // False, and nothing held, when either object fails. A canvas of no pixels still has a
    // bitmap of one, which nothing draws into.
    bool Create(HDC like, int cx, int cy) {
        Destroy();
        if (cx < 0 || cy < 0) return false;
        m_dc = ::CreateCompatibleDC(like);
        if (!m_dc) return false;
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = cx > 0 ? cx : 1;
        info.bmiHeader.biHeight = -(cy > 0 ? cy : 1);  // negative: top row first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        m_bitmap = ::CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!m_bitmap || !bits) {
            if (m_bitmap) ::DeleteObject(m_bitmap);
            ::DeleteDC(m_dc);
            m_dc = nullptr;
            m_bitmap = nullptr;
            return false;
        }
        m_oldBitmap = ::SelectObject(m_dc, m_bitmap);
        m_pixels = static_cast<uint32_t*>(bits);
        m_width = cx;
        m_height = cy;
        return true;
    }

    // The bitmap leaves the context before the context and then the bitmap are deleted.
    void Destroy() {
        if (!m_dc) return;
        ::SelectObject(m_dc, m_oldBitmap);
        ::DeleteDC(m_dc);
        ::DeleteObject(m_bitmap);
        m_dc = nullptr;
        m_bitmap = nullptr;
        m_oldBitmap = nullptr;
        m_pixels = nullptr;
        m_width = 0;
        m_height = 0;
    }

    HDC Get() const { return m_dc; }
    explicit operator bool() const { return m_dc != nullptr; }
    // Written by the program only after GdiFlush, so that no GDI drawing of this thread is pending.
    uint32_t* Pixels() const { return m_pixels; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

private:
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
    uint32_t* m_pixels = nullptr;
    int m_width = 0;
    int m_height = 0;
};
