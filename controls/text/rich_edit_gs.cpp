#include "rich_edit_gs.h"

#include <richedit.h>

namespace {
const UINT kUtf16 = 1200;  // the code page rich edit takes for UTF-16 text
}

void CRichEditCtrlGS::SetSelectionRed() {
    // The narrow record (60 bytes), which every rich edit version accepts.
    CHARFORMATA cf = {};
    cf.cbSize = sizeof(cf);
    cf.dwMask = CFM_COLOR;
    SendMessage(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));

    cf.crTextColor = RGB(255, 0, 0);
    cf.dwEffects &= ~static_cast<DWORD>(CFE_AUTOCOLOR);  // otherwise the system colour wins
    cf.cbSize = sizeof(cf);
    SendMessage(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
}

LRESULT CRichEditCtrlGS::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    // The window is a wide one since it was bound: these messages arrive with UTF-16 texts.
    switch (msg) {
        case WM_SETTEXT: {
            SETTEXTEX how = {ST_DEFAULT, kUtf16};
            return SendMessage(EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how), lp) != 0;
        }
        case WM_GETTEXTLENGTH: {
            GETTEXTLENGTHEX how = {GTL_USECRLF | GTL_PRECISE | GTL_NUMCHARS, kUtf16};
            return SendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&how));
        }
        case WM_GETTEXT: {
            if (wp == 0) return 0;
            GETTEXTEX how = {};
            how.cb = static_cast<DWORD>(wp * sizeof(wchar_t));
            how.flags = GT_USECRLF;
            how.codepage = kUtf16;
            return SendMessage(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&how), lp);
        }
    }
    return CRichEditCtrl::WindowProc(msg, wp, lp);
}
