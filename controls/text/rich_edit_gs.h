#pragma once
// CRichEditCtrlGS: a rich edit control that can colour its selection red.
//
// The template's class is the narrow "RichEdit20A", whose window text would pass through the ANSI
// code page both ways: this control takes and gives its window text as UTF-16, every character.

#include "controls.h"

class CRichEditCtrlGS : public CRichEditCtrl {
public:
    // Colours the selection, or on an empty selection the insertion point's format, red. A selection
    // of mixed colours stays as it is: the control leaves the colour out of the mask it answers.
    void SetSelectionRed();

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
};
