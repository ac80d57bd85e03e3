#include "dialog.h"

#include "win_app.h"

#include <utility>

INT_PTR CDialog::DoModal() {
    m_result = -1;
    m_running = true;
    const HWND hwnd = ::CreateDialogParamW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(m_templateId), m_parent,
                                           &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    if (!hwnd || !::IsWindow(hwnd)) {
        m_running = false;
        // Out of user32's frames now, OnInitDialog's exception goes on to the caller.
        if (m_initError) std::rethrow_exception(std::exchange(m_initError, nullptr));
        return -1;
    }

    MSG msg;
    while (m_running) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1) break;
        if (!::IsDialogMessageW(hwnd, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    m_running = false;
    if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
    return m_result;
}

void CDialog::EndDialog(INT_PTR result) {
    m_result = result;
    m_running = false;
    // Wakes the loop if it is waiting, so that it notices the end at once.
    if (m_hWnd) ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM, LPARAM lp) {
    if (msg != WM_INITDIALOG)
        return FALSE;  // everything else is answered by the subclass procedure, or by the dialog manager
    CDialog* self = reinterpret_cast<CDialog*>(lp);
    if (!self || !self->SubclassWindow(hwnd)) return TRUE;
    try {
        return self->OnInitDialog();
    } catch (...) {
        self->m_initError = std::current_exception();
        self->EndDialog(-1);
        ::DestroyWindow(hwnd);
        return FALSE;
    }
}

BOOL CDialog::OnInitDialog() {
    DoDataExchange();
    return TRUE;
}

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

bool CDialog::BindControl(CWnd& control, int id) { return control.SubclassWindow(GetDlgItem(id)); }

bool CDialog::OnCommand(UINT id, UINT code, HWND control) {
    // IDOK and IDCANCEL come from the keyboard (Enter, Escape), the Close command and buttons 1 and 2.
    if (code == BN_CLICKED || control == nullptr) {
        if (id == IDOK) {
            OnOK();
            return true;
        }
        if (id == IDCANCEL) {
            OnCancel();
            return true;
        }
    }
    return CWnd::OnCommand(id, code, control);
}
