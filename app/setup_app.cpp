#include "setup_app.h"

#include "globals.h"
#include "module_path.h"
#include "setup_dlg.h"

#include <commctrl.h>
#include <objbase.h>

// Constructed in this order before the entry point runs, destroyed in the reverse order.
CSetupApp theApp;
std::string g_strAppDir;
std::string g_strBkImage = "main96DPI.jpg";

namespace {

// The rich edit classes must exist before the dialog is created: its template holds a
// "RichEdit20A" control. Loaded by full path, so that no copy beside the program is taken.
void LoadRichEditLibrary()
{
    const std::string system = SystemDirectory();
    if (system.empty())
        return;
    ::LoadLibraryA((system + "\\riched32.dll").c_str());
    ::LoadLibraryA((system + "\\riched20.dll").c_str());
}

}  // namespace

BOOL CSetupApp::InitInstance()
{
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&controls);

    LoadRichEditLibrary();

    // Pictures (the background, the animation) are decoded by OLE on this thread.
    const HRESULT com = ::CoInitialize(nullptr);
    {
        CSetupDlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
    }
    if (SUCCEEDED(com))
        ::CoUninitialize();
    return FALSE;
}
