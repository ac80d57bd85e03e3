#include "message_box.h"

#include "code_page.h"
#include "win_app.h"

namespace {

UINT WithDefaultIcon(UINT type) { return (type & MB_ICONMASK) == 0 ? type | MB_ICONEXCLAMATION : type; }

std::string Caption() {
    const CWinApp* app = AfxGetApp();
    return app ? app->AppName() : std::string();
}

}  // namespace

int AfxMessageBox(const std::string& text, UINT type, HWND owner) {
    return ::MessageBoxA(owner, text.c_str(), Caption().c_str(), WithDefaultIcon(type));
}

int AfxMessageBoxWide(const std::wstring& text, UINT type, HWND owner) {
    return ::MessageBoxW(owner, text.c_str(), AnsiToWide(Caption()).c_str(), WithDefaultIcon(type));
}
