#pragma once
// CSetupApp: the application object. Its InitInstance runs the wizard and returns false, so the
// program ends as soon as the wizard does.

#include "win_app.h"

class CSetupApp : public CWinApp {
public:
    BOOL InitInstance() override;
};
