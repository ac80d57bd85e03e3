#include "win_app.h"

#include "module_path.h"

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp() { g_app = this; }

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

int CWinApp::ExitInstance() {
    MSG msg;
    if (::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return static_cast<int>(msg.wParam);
    return 0;
}

CWinApp* AfxGetApp() { return g_app; }

HINSTANCE AfxGetInstanceHandle() { return g_app ? g_app->m_hInstance : ::GetModuleHandleW(nullptr); }

int RunApplication(HINSTANCE instance) {
    CWinApp* app = AfxGetApp();
    if (!app) return kExitUnexpectedError;
    app->m_hInstance = instance;
    app->m_appName = ModuleBaseName(ModuleFileName(nullptr));
    try {
        // Whatever InitInstance answers, this framework runs no loop of its own after it.
        app->InitInstance();
        return app->ExitInstance();
    } catch (...) {
        return kExitUnexpectedError;
    }
}
