#pragma once
// CWnd: one window handle bound to one C++ object, with a virtual message dispatch.
//
// A window is bound by subclassing (controls, and dialogs at WM_INITDIALOG). Each class answers the
// messages it cares about in its WindowProc override and hands the rest to its base class; CWnd
// finally passes them to the window's original procedure. No exception unwinds through user32.

#include <windows.h>

#include <string>

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }

    // Binds this object to an existing window by replacing its window procedure.
    bool SubclassWindow(HWND hwnd);
    static CWnd* FromHandle(HWND hwnd);

    BOOL ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }
    BOOL EnableWindow(BOOL enable) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    // Window texts are UTF-8 here and wide in the window.
    void SetWindowText(const std::string& text);
    std::string GetWindowText() const;
    LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) { return ::SendMessageW(m_hWnd, msg, wp, lp); }
    void SetFont(HFONT font, BOOL redraw = TRUE) { SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw); }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    // The name that screen readers speak for the window, where its text does not say what it is
    // (a box with no label, a picture).
    void SetAccessibleName(const std::wstring& name) { m_accessibleName = name; }

protected:
    // The one dispatch of each class: answer a message or hand it to the base class.
    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);

    // WM_COMMAND, split up; true when handled.
    virtual bool OnCommand(UINT id, UINT code, HWND control);

    // WM_CTLCOLOR*: offers the message to the control first (reflection), then the default answer.
    virtual HBRUSH OnCtlColor(HDC dc, CWnd* control, UINT kind);

    // The reflected colour message, answered by the control itself; nullptr when it has no answer.
    virtual HBRUSH CtlColor(HDC dc, UINT kind);

    // The original procedure's answer to the message being dispatched now.
    LRESULT Default();

    HWND m_hWnd = nullptr;

private:
    struct CurrentMessage {
        UINT msg;
        WPARAM wp;
        LPARAM lp;
    };

    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void Unsubclass();

    WNDPROC m_oldProc = nullptr;
    CurrentMessage m_current = {};
    std::wstring m_accessibleName;  // empty: none of its own
};
