#pragma once
// A name for a control that screen readers speak, given through Active Accessibility: the
// control's answer to WM_GETOBJECT is the system's standard object for it, with the name replaced.

#include <windows.h>

// The answer to WM_GETOBJECT (wp, lp) for window, its client object named `name`; false when the
// message asks for another object or the system has no accessibility library, and the window
// should answer as it would without a name.
bool AnswerGetObjectWithName(HWND window, WPARAM wp, LPARAM lp, const wchar_t* name, LRESULT& answer);

struct IAccessible;
// The object that answer hands out: the window's standard client object, named `name`, whichever
// of its interfaces a client asks through. Null without the system's accessibility library. The
// caller owns the reference.
IAccessible* CreateNamedAccessible(HWND window, const wchar_t* name);
