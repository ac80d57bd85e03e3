#include "edit_ex.h"

#include "win_app.h"

namespace {

class MenuHandle {
public:
    explicit MenuHandle(HMENU menu) : m_menu(menu) {}
    ~MenuHandle() {
        if (m_menu) ::DestroyMenu(m_menu);
    }
    MenuHandle(const MenuHandle&) = delete;
    MenuHandle& operator=(const MenuHandle&) = delete;
    HMENU Get() const { return m_menu; }

private:
    HMENU m_menu;
};

}  // namespace

CEditEx::CEditEx() : m_crBkgnd(::GetSysColor(COLOR_WINDOW)), m_crText(::GetSysColor(COLOR_WINDOWTEXT)) {
    m_brBkgnd.CreateSolidBrush(m_crBkgnd);
}

CEditEx::~CEditEx() {
    m_pFont.reset();
    m_pCharFilter.reset();
    m_brBkgnd.DeleteObject();
}

void CEditEx::SetBkColor(COLORREF cr) {
    m_crBkgnd = cr;
    m_brBkgnd.DeleteObject();
    UpdateBrush();
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CEditEx::SetTextColor(COLORREF cr) {
    m_crText = cr;
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CEditEx::UpdateBrush() { m_brBkgnd.CreateSolidBrush(m_crBkgnd); }

void CEditEx::SetEditFont() {
    m_pFont.reset();
    m_pFont = std::make_unique<CFont>();

    // A pixel height, not points: the same 17 px at every DPI. Character set 0 is ANSI.
    LOGFONTW lf = {};
    lf.lfHeight = -17;
    lf.lfWeight = FW_NORMAL;
    ::lstrcpynW(lf.lfFaceName, L"MS Sans Serif", LF_FACESIZE);
    m_pFont->CreateFontIndirect(lf);

    SetFont(m_pFont->Get(), TRUE);
}

LRESULT CEditEx::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CHAR:
            OnChar(static_cast<UINT>(wp), LOWORD(lp), HIWORD(lp));
            return 0;
        case WM_CONTEXTMENU: {
            // Screen coordinates, signed on a multi-monitor desktop; (-1, -1) from the keyboard.
            const POINT point = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
            OnContextMenu(CWnd::FromHandle(reinterpret_cast<HWND>(wp)), point);
            return 0;
        }
        case WM_GETDLGCODE:
            // Tabbing into a multi-line box must not select its whole text: the caret would go to
            // the end, and the box would show the end of a long text to someone about to read it.
            if (::GetWindowLongW(m_hWnd, GWL_STYLE) & ES_MULTILINE) return Default() & ~DLGC_HASSETSEL;
            break;
    }
    return CEdit::WindowProc(msg, wp, lp);
}

void CEditEx::OnChar(UINT nChar, UINT, UINT) {
    if (m_pCharFilter && !m_pCharFilter->IsCharAllowed(nChar)) {
        ::MessageBeep(0);
        return;
    }
    Default();
}

void CEditEx::OnContextMenu(CWnd*, POINT point) {
    if (m_nMenuID == 0) {
        Default();
        return;
    }
    const MenuHandle menu(::LoadMenuW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(m_nMenuID)));
    if (!menu.Get()) {
        Default();
        return;
    }
    // Owned by the control, so a chosen command arrives here as WM_COMMAND.
    if (const HMENU popup = ::GetSubMenu(menu.Get(), 0))
        ::TrackPopupMenu(popup, TPM_RIGHTBUTTON, point.x, point.y, 0, m_hWnd, nullptr);
}

HBRUSH CEditEx::CtlColor(HDC dc, UINT) {
    // The same answer for every kind: a read-only or disabled edit asks as a static.
    ::SetTextColor(dc, m_crText);
    ::SetBkColor(dc, m_crBkgnd);
    return m_brBkgnd.Get();
}
