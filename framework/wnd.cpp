#include "wnd.h"

#include "accessible_name.h"
#include "utf8.h"

#include <vector>

namespace {
const wchar_t kObjectProperty[] = L"SkylarkCWnd";
}

CWnd::~CWnd() {
    // The window normally goes first; if the object goes first, give the window its own procedure back.
    if (m_hWnd && ::IsWindow(m_hWnd)) Unsubclass();
}

bool CWnd::SubclassWindow(HWND hwnd) {
    if (!hwnd || m_hWnd || FromHandle(hwnd)) return false;
    if (!::SetPropW(hwnd, kObjectProperty, this)) return false;
    m_hWnd = hwnd;
    m_oldProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::SubclassProc)));
    return true;
}

CWnd* CWnd::FromHandle(HWND hwnd) { return hwnd ? static_cast<CWnd*>(::GetPropW(hwnd, kObjectProperty)) : nullptr; }

void CWnd::Unsubclass() {
    if (m_oldProc) ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_oldProc));
    ::RemovePropW(m_hWnd, kObjectProperty);
    m_hWnd = nullptr;
    m_oldProc = nullptr;
}

void CWnd::SetWindowText(const std::string& text) { ::SetWindowTextW(m_hWnd, Widen(text).c_str()); }

std::string CWnd::GetWindowText() const {
    const int length = ::GetWindowTextLengthW(m_hWnd);
    if (length <= 0) return std::string();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    const int got = ::GetWindowTextW(m_hWnd, buffer.data(), length + 1);
    return Utf8(std::wstring(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0));
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    CWnd* self = FromHandle(hwnd);
    if (!self) return ::DefWindowProcW(hwnd, msg, wp, lp);

    const CurrentMessage saved = self->m_current;  // messages nest: restore the outer one after
    self->m_current = {msg, wp, lp};
    LRESULT result = 0;
    try {
        result = self->WindowProc(msg, wp, lp);
    } catch (...) {
        result = self->Default();
    }
    self->m_current = saved;

    if (msg == WM_NCDESTROY) {
        // The last message of the window: hand it back to its own procedure and forget the handle.
        const WNDPROC old = self->m_oldProc;
        self->Unsubclass();
        if (old) return ::CallWindowProcW(old, hwnd, msg, wp, lp);
    }
    return result;
}

LRESULT CWnd::Default() {
    if (!m_oldProc) return ::DefWindowProcW(m_hWnd, m_current.msg, m_current.wp, m_current.lp);
    return ::CallWindowProcW(m_oldProc, m_hWnd, m_current.msg, m_current.wp, m_current.lp);
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND:
            if (OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp))) return 0;
            break;
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
            return reinterpret_cast<LRESULT>(
                OnCtlColor(reinterpret_cast<HDC>(wp), FromHandle(reinterpret_cast<HWND>(lp)), msg - WM_CTLCOLORMSGBOX));
        case WM_GETOBJECT: {
            LRESULT named = 0;
            if (!m_accessibleName.empty() && AnswerGetObjectWithName(m_hWnd, wp, lp, m_accessibleName.c_str(), named))
                return named;
            break;
        }
        case WM_NCDESTROY:
            break;
    }
    return Default();
}

bool CWnd::OnCommand(UINT, UINT, HWND) { return false; }

HBRUSH CWnd::OnCtlColor(HDC dc, CWnd* control, UINT kind) {
    if (control && control != this) {
        if (HBRUSH reflected = control->CtlColor(dc, kind)) return reflected;
    }
    return reinterpret_cast<HBRUSH>(Default());
}

HBRUSH CWnd::CtlColor(HDC, UINT) { return nullptr; }
