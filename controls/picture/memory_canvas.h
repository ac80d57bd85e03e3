#pragma once
// MemoryCanvas: a memory device context with a bitmap of its own selected into it.

#include <windows.h>

class MemoryCanvas {
public:
    MemoryCanvas() = default;
    ~MemoryCanvas() { Destroy(); }
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;

    // A cx by cy bitmap in the format of `like`. False, and nothing held, when either object fails.
    bool Create(HDC like, int cx, int cy) {
        Destroy();
        m_dc = ::CreateCompatibleDC(like);
        if (!m_dc) return false;
        m_bitmap = ::CreateCompatibleBitmap(like, cx, cy);
        if (!m_bitmap) {
            ::DeleteDC(m_dc);
            m_dc = nullptr;
            return false;
        }
        m_oldBitmap = ::SelectObject(m_dc, m_bitmap);
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
    }

    HDC Get() const { return m_dc; }
    explicit operator bool() const { return m_dc != nullptr; }

private:
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
};
