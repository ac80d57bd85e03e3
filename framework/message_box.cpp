#include "message_box.h"

#include "utf8.h"
#include "win_app.h"

namespace {

UINT WithDefaultIcon(UINT type) { return (type & MB_ICONMASK) == 0 ? type | MB_ICONEXCLAMATION : type; }

std::string Caption() {
    const CWinApp* app = AfxGetApp();
    return app ? app->AppName() : std::string();
}

}  // namespace

int AfxMessageBox(const std::string& text, UINT type, HWND owner) {
    return ::MessageBoxW(owner, Widen(text).c_str(), Widen(Caption()).c_str(), WithDefaultIcon(type));
}
