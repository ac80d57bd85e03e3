#pragma once
// The installation run on its worker thread, and the operating-system check it relies on.

#include <windows.h>

// Classifies the running Windows release into g_nOsType. Called once by the dialog.
void CheckOsVersion();

// The worker's procedure: refuses an unsupported system, or runs the driver package and follows
// its process; reaches the wizard only by messages posted to g_hSetupWnd.
UINT InstallThreadProc(void* param);

// Starts InstallThreadProc on a worker at normal priority; nobody waits for it. False, with the
// system's reason in `error`, when no worker could be started.
bool StartInstallThread(DWORD& error);
