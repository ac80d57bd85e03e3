#pragma once
// CEditEx: an edit control that paints in colours of its own, can carry a font of its own, passes
// typed characters through an optional filter and can show a context menu from a menu resource.
//
// The colours are answered through the parent's reflected WM_CTLCOLOR* (CtlColor), so the parent
// must itself be a CWnd. Our framework has no run-time class information or dynamic creation,
// and nothing here needs them.

#include "controls.h"
#include "gdi.h"

#include <memory>

// Asked about every character message the control receives, control characters included.
class CEditCharFilter {
public:
    virtual BOOL IsCharAllowed(UINT nChar) = 0;
    virtual ~CEditCharFilter() = default;
};

class CEditEx : public CEdit {
public:
    CEditEx();
    ~CEditEx() override;

    // These three need the control's window.
    void SetBkColor(COLORREF cr);
    void SetTextColor(COLORREF cr);
    // Gives the control a font of its own ("MS Sans Serif", 17 px); a later WM_SETFONT from the
    // owner replaces what is displayed, while this font lives on until the control is destroyed.
    void SetEditFont();

    // The control owns the filter; nullptr removes it.
    void SetCharFilter(std::unique_ptr<CEditCharFilter> filter) { m_pCharFilter = std::move(filter); }
    // A menu resource of this module whose first submenu becomes the context menu; 0: the standard one.
    void SetContextMenuId(UINT id) { m_nMenuID = id; }

protected:
    // Makes m_brBkgnd a solid brush of m_crBkgnd. Expects it to hold none; does not repaint.
    virtual void UpdateBrush();

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    HBRUSH CtlColor(HDC dc, UINT kind) override;

    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnContextMenu(CWnd* pWnd, POINT point);

    CBrush m_brBkgnd;
    COLORREF m_crBkgnd;
    COLORREF m_crText;
    std::unique_ptr<CEditCharFilter> m_pCharFilter;
    std::unique_ptr<CFont> m_pFont;
    UINT m_nMenuID = 0;
};
