#pragma once
// Thin wrappers of the standard controls the program binds: each is a CWnd with the messages it
// needs named as operations.

#include "wnd.h"

#include <commctrl.h>

class CStatic : public CWnd {};

class CButton : public CWnd {};

class CEdit : public CWnd {};

class CProgressCtrl : public CWnd {
public:
    void SetRange(int lower, int upper) { SendMessage(PBM_SETRANGE, 0, MAKELPARAM(lower, upper)); }
    int SetPos(int pos) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(pos))); }
};

class CRichEditCtrl : public CWnd {};
