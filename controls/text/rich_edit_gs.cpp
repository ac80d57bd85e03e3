#include "rich_edit_gs.h"

#include <richedit.h>

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
