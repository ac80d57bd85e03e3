#pragma once
// CRichEditCtrlGS: a rich edit control that can colour its selection red.

#include "controls.h"

class CRichEditCtrlGS : public CRichEditCtrl {
public:
    // Colours the selection, or on an empty selection the insertion point's format, red. A selection
    // of mixed colours stays as it is: the control leaves the colour out of the mask it answers.
    void SetSelectionRed();
};
