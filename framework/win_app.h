#pragma once
// CWinApp: the one application object of the process and the GUI entry point that drives it.
//
// The entry point calls InitInstance once; when it returns false the program ends at once, with
// the code of a quit message still waiting in the thread's queue (0 when there is none). An
// exception out of InitInstance ends it with kExitUnexpectedError.

#include <windows.h>

#include <string>

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return FALSE; }
    virtual int ExitInstance();

    // The executable's file name without its extension: the caption of the program's message boxes.
    const std::string& AppName() const { return m_appName; }

    HINSTANCE m_hInstance = nullptr;
    void* m_pMainWnd = nullptr;

private:
    friend int RunApplication(HINSTANCE instance);
    std::string m_appName;
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();

// The exit code of a start-up that an exception ended: a code of its own, so that nobody reads it
// as one of the program's (the README lists them all).
constexpr int kExitUnexpectedError = 6;

// The body of WinMain: the program's entry point file calls it.
int RunApplication(HINSTANCE instance);
