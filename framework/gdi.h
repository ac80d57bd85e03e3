#pragma once
// Owners of GDI objects and device contexts. Each deletes or releases what it holds exactly once;
// none converts implicitly to its handle (a temporary's handle would be dead on arrival).

#include <windows.h>

class CFont {
public:
    CFont() = default;
    ~CFont() { DeleteObject(); }
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    bool CreateFontIndirect(const LOGFONTA& lf)
    {
        DeleteObject();
        m_font = ::CreateFontIndirectA(&lf);
        return m_font != nullptr;
    }
    void DeleteObject()
    {
        if (m_font)
            ::DeleteObject(m_font);
        m_font = nullptr;
    }
    HFONT Get() const { return m_font; }

private:
    HFONT m_font = nullptr;
};

class CBrush {
public:
    CBrush() = default;
    ~CBrush() { DeleteObject(); }
    CBrush(const CBrush&) = delete;
    CBrush& operator=(const CBrush&) = delete;

    bool CreateSolidBrush(COLORREF color)
    {
        DeleteObject();
        m_brush = ::CreateSolidBrush(color);
        return m_brush != nullptr;
    }
    void DeleteObject()
    {
        if (m_brush)
            ::DeleteObject(m_brush);
        m_brush = nullptr;
    }
    HBRUSH Get() const { return m_brush; }

private:
    HBRUSH m_brush = nullptr;
};

// BeginPaint/EndPaint for one WM_PAINT.
class CPaintDC {
public:
    explicit CPaintDC(HWND hwnd) : m_hwnd(hwnd) { m_dc = ::BeginPaint(hwnd, &m_ps); }
    ~CPaintDC() { ::EndPaint(m_hwnd, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    HDC Get() const { return m_dc; }

private:
    HWND m_hwnd;
    PAINTSTRUCT m_ps = {};
    HDC m_dc = nullptr;
};

// GetDC/ReleaseDC; a null window means the whole screen.
class CWindowDC {
public:
    explicit CWindowDC(HWND hwnd) : m_hwnd(hwnd), m_dc(::GetDC(hwnd)) {}
    ~CWindowDC()
    {
        if (m_dc)
            ::ReleaseDC(m_hwnd, m_dc);
    }
    CWindowDC(const CWindowDC&) = delete;
    CWindowDC& operator=(const CWindowDC&) = delete;
    HDC Get() const { return m_dc; }

private:
    HWND m_hwnd;
    HDC m_dc;
};
