#include "message_box.h"

#include "win_app.h"

int AfxMessageBox(const std::string& text, UINT type, HWND owner)
{
    if ((type & MB_ICONMASK) == 0)
        type |= MB_ICONEXCLAMATION;
    const CWinApp* app = AfxGetApp();
    const std::string caption = app ? app->AppName() : std::string();
    return ::MessageBoxA(owner, text.c_str(), caption.c_str(), type);
}
