// The wizard's pages as a test sees them, and a driver that knows them: which page is up, waiting
// for one, going forward to one, and cancelling. Every program that drives the wizard uses it.
#pragma once

#include "wizard_harness.h"

namespace e2e {

enum class Page { Welcome, Licence, Installing, Finish };

struct PageControls {
    Page page;
    const char* name;
    int shownId;    // shown last of the page's controls: once it is visible, so is the whole page
    int forwardId;  // 0: only the run moves the page on
    int cancelId;   // 0: the page has no Cancel that works
};

// In the order the wizard goes through them.
extern const PageControls kPages[4];
const PageControls& ControlsOf(Page page);

class WizardDriver : public DrivenProcess {
public:
    // Waits for the wizard's window; false if the process ended or the bound passed first.
    bool WaitForWindow(DWORD timeoutMs = kWaitMs);
    // The page on show: the latest whose shown control is visible. False when no page is.
    bool CurrentPage(Page& page) const;
    bool Shows(Page page) const;
    // Waits until page shows and everything posted to the wizard so far has been handled; false if
    // the wizard ended or the bound passed first.
    bool WaitForPage(Page page, DWORD timeoutMs = kWaitMs);
    // Clicks forward from the page on show until page shows, or the page that the run moves on to
    // by itself after it (a short run may end before the Installing page is seen).
    bool GoTo(Page page);
    // Clicks the Cancel of the page on show and expects the wizard to end with 0.
    void CancelAndExpectExitZero();
};

}  // namespace e2e
