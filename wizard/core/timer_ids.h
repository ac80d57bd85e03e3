#pragma once

// Timers on the wizard window. Plain defines so that res/resource.h can include this file and
// windres can read it.
#define IDT_FINISH   5000
#define IDT_PROGRESS 5001

