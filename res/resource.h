// Resource identifiers, shared by the resource script and the program.
#pragma once

// Dialog template and icon
#define IDD_SETUP_DIALOG 102
#define IDR_MAINFRAME    128
// The release's pins (RCDATA), only in a released program
#define IDR_RELEASE_PINS 200

// Controls of the wizard dialog
#include "control_ids.h"

// Private messages to the wizard window, posted by the installation worker
#define WM_APP_ARM_TIMER  (WM_APP + 1)
#define WM_APP_RUN_FAILED (WM_APP + 3)  // wParam: exit code; lParam: the system's error
#define WM_APP_PACKAGE_STARTED (WM_APP + 5)  // the package runs and is followed
#define WM_APP_PACKAGE_ENDED   (WM_APP + 6)  // wParam: core::PackageOutcome; lParam: the package's code
// Posted by the installation worker or by the picture control's reading thread
#define WM_APP_FILES_CHANGED         (WM_APP + 7)  // lParam: ReportChangedFiles's list, the wizard's to free
#define WM_APP_PRIVATE_FOLDER_FAILED (WM_APP + 8)  // lParam: the system's error
#define WM_APP_ANIMATION_CHECKED     (WM_APP + 9)  // the animation matched its pin (or had none to)
// Posted by the wizard window to itself: work that its first showing does not wait for
#define WM_APP_AFTER_FIRST_SHOW (WM_APP + 4)
