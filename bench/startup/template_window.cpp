// The floor that the wizard's design sets: the libraries its dialog template needs, loaded from the
// system folder as the wizard loads them, and that very template shown by a dialog procedure that
// does nothing. What the wizard takes above this is its own set-up of the first page.
#include "resource.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace {

HMODULE LoadFromSystemFolder(const char* name) {
    char folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    return ::LoadLibraryA((std::string(folder) + "\\" + name).c_str());
}

INT_PTR CALLBACK DoNothing(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    typedef BOOL(WINAPI * InitFn)(const INITCOMMONCONTROLSEX*);
    const HMODULE commonControls = LoadFromSystemFolder("comctl32.dll");
    const auto init = commonControls ? reinterpret_cast<InitFn>(reinterpret_cast<void (*)()>(
                                           ::GetProcAddress(commonControls, "InitCommonControlsEx")))
                                     : nullptr;
    const INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_WIN95_CLASSES};
    if (init) init(&classes);
    LoadFromSystemFolder("riched32.dll");
    LoadFromSystemFolder("riched20.dll");
    ::DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SETUP_DIALOG), nullptr, &DoNothing, 0);
    return 0;
}
