#pragma once

// Timers on the wizard window. Plain defines, without <windows.h>: the portable installation run
// and the dialog both arm them.
#define IDT_FINISH   5000
#define IDT_PROGRESS 5001
