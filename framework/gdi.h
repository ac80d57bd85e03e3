#pragma once
// Owners of GDI objects and device contexts. Each deletes or releases what it holds exactly once;
// none converts implicitly to its handle (a temporary's handle would be dead on arrival).

#include <windows.h>

// One GDI object (font, brush) of the handle type H.
template <class H>
class CGdiObject {
public:
    CGdiObject() = default;
    ~CGdiObject() { DeleteObject(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    void DeleteObject() {
        if (m_object) ::DeleteObject(m_object);
        m_object = nullptr;
    }
    H Get() const { return m_object; }

protected:
    // Deletes what was held before, then keeps `object`; false when it is null (creation failed).
    bool Take(H object) {
        DeleteObject();
        m_object = object;
        return m_object != nullptr;
    }

private:
    H m_object = nullptr;
};

class CFont : public CGdiObject<HFONT> {
public:
    bool CreateFontIndirect(const LOGFONTW& lf) { return Take(::CreateFontIndirectW(&lf)); }
};

class CBrush : public CGdiObject<HBRUSH> {
public:
    bool CreateSolidBrush(COLORREF color) { return Take(::CreateSolidBrush(color)); }
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

// GetDC/ReleaseDC: the window's client area; a null window means the whole screen.
class CClientDC {
public:
    explicit CClientDC(HWND hwnd) : m_hwnd(hwnd), m_dc(::GetDC(hwnd)) {}
    ~CClientDC() {
        if (m_dc) ::ReleaseDC(m_hwnd, m_dc);
    }
    CClientDC(const CClientDC&) = delete;
    CClientDC& operator=(const CClientDC&) = delete;
    HDC Get() const { return m_dc; }

private:
    HWND m_hwnd;
    HDC m_dc;
};
