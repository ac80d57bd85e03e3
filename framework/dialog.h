#pragma once
// CDialog: a dialog from a template in the program's resources, run modally by its own loop.
//
// The modal run ends when the dialog calls EndDialog (Escape and Close reach OnCancel, which does)
// or when the thread's quit message arrives: the quit message is then posted again, so that the
// code that started the run sees it too, and the window with its controls is destroyed.

#include "wnd.h"

#include <exception>

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, HWND parent = nullptr) : m_templateId(templateId), m_parent(parent) {}

    // Returns the value given to EndDialog, or -1 when the run ended without one (a quit message,
    // or a dialog that could not be created or destroyed itself while initialising). An exception
    // out of OnInitDialog is stopped before it reaches the system and comes out of DoModal.
    INT_PTR DoModal();
    void EndDialog(INT_PTR result);

protected:
    virtual void DoDataExchange() {}
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    // Binds a member to the template's control with this id (subclassing it).
    bool BindControl(CWnd& control, int id);

    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    UINT m_templateId;
    HWND m_parent;
    bool m_running = false;
    INT_PTR m_result = -1;
    std::exception_ptr m_initError;
};
