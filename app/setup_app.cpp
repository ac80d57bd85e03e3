#include "setup_app.h"

#include "build_variant.h"
#include "com_scope.h"
#include "globals.h"
#include "module_path.h"
#include "setup_dlg.h"

#include <commctrl.h>

// Constructed in this order before the entry point runs, destroyed in the reverse order.
CSetupApp theApp;
std::string g_strAppDir;
std::string g_strBkImage = "main96DPI.jpg";

namespace {

// LOAD_LIBRARY_SEARCH_SYSTEM32 of the Windows 8 SDK; the program is built against XP's headers.
const DWORD kSearchSystem32 = 0x00000800;

typedef BOOL(WINAPI* SetDefaultDllDirectoriesFn)(DWORD);
typedef BOOL(WINAPI* SetDllDirectoryAFn)(LPCSTR);
typedef BOOL(WINAPI* InitCommonControlsExFn)(const INITCOMMONCONTROLSEX*);

// The program is run from a download folder, beside whatever else lies there: a DLL loaded by name
// must come from the system folder. Windows 8 (and 7 or Vista with KB2533623) can say so for the
// whole process; XP SP1 and later can at least take the current folder out of the search. Returns
// whether the search is now the system folder only.
bool RestrictDllSearch() {
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    if (const auto setDefault = FindFunction<SetDefaultDllDirectoriesFn>(kernel, "SetDefaultDllDirectories")) {
        if (setDefault(kSearchSystem32)) return true;
    }
    if (const auto setDirectory = FindFunction<SetDllDirectoryAFn>(kernel, "SetDllDirectoryA")) setDirectory("");
    return false;
}

}  // namespace

BOOL CSetupApp::InitInstance() {
    ThrowIfStartMustFail();
    const bool searchRestricted = RestrictDllSearch();

    // The common controls are not a Known DLL: imported, they would be looked for beside the
    // program before anything here could run. The dialog's progress bar needs their classes.
    const HMODULE commonControls = LoadSystemLibrary("comctl32.dll", searchRestricted);
    if (const auto init = FindFunction<InitCommonControlsExFn>(commonControls, "InitCommonControlsEx")) {
        INITCOMMONCONTROLSEX controls = {};
        controls.dwSize = sizeof(controls);
        controls.dwICC = ICC_WIN95_CLASSES;
        init(&controls);
    }

    // The dialog template holds a "RichEdit20A" control: its class must exist before the dialog.
    LoadSystemLibrary("riched32.dll", searchRestricted);
    LoadSystemLibrary("riched20.dll", searchRestricted);

    // Pictures (the background, the animation) are decoded by OLE on this thread.
    const ComScope com;
    CSetupDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
