#pragma once
// Process-wide state of the wizard. Written on the dialog's thread before the installation worker
// starts; the worker only reads g_strAppDir, g_hSetupWnd and g_nOsType. g_strAppDir and
// g_strBkImage are defined in app/setup_app.cpp, right after theApp (they are constructed in that
// order); the scalars in wizard/globals.cpp; the build variant's constant and switches in
// app/build_variant.cpp.

#include <windows.h>

#include <cstdint>
#include <string>

extern std::string g_strAppDir;   // application folder, ending in a backslash
extern std::string g_strBkImage;  // file name of the background picture of the display class
extern int32_t g_nCurPage;        // 0 Welcome, 1 Licence, 2 Installing, 3 Finish
extern int32_t g_nProgressStep;   // next position of the hidden looping progress bar
extern HWND g_hSetupWnd;          // the wizard window, for the worker's timer requests
extern int32_t g_nOsType;         // operating-system class; 8 to 13 are accepted

// Period of the Finish timer armed by Accept as a fallback. 200 000 ms in the shipped program.
extern const UINT kFinishFallbackMs;

// True only in the test build, when its test asks for it: the installation worker's start then
// fails, as it would for want of memory.
bool WorkerStartMustFail();
// Throws only in the test build, when its test asks for it: the installation worker then fails as
// it would on an error nobody expected.
void ThrowIfWorkerMustFail();
// True only in the test build, when its test asks for it: the package is followed by its name, as
// where the system refuses it a job of its own.
bool FollowByNameForTest();
// Called by the worker once a released program holds the checked package, right before it starts
// it. Nothing in the shipped build; in the test build, when its test asks for it, the worker says so
// and waits for the test's word (or 60 s), so that the test can try to change the held package.
void PackageHeldForTest();
// Nothing in the shipped build. In the test build, when its test names an event of its own, the
// wizard's question whether high contrast is on is answered by that event instead of the system
// (which under Wine always says it is off): on while the event is set. True when so answered.
bool HighContrastAnsweredForTest(bool& on);
