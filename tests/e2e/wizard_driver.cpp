#include "wizard_driver.h"

#include "resource.h"

#include <gtest/gtest.h>

namespace e2e {

const PageControls kPages[4] = {
    {Page::Welcome, "Welcome", IDC_WELCOME_TEXT, IDC_WELCOME_NEXT, IDC_WELCOME_CANCEL},
    {Page::Licence, "Licence", IDC_LICENSE_EDIT, IDC_ACCEPT, IDC_LICENSE_CANCEL},
    {Page::Installing, "Installing", IDC_INSTALLING, 0, IDC_INSTALL_CANCEL},
    {Page::Finish, "Finish", IDC_FINISH_TEXT, IDC_FINISH, 0},
};

const PageControls& ControlsOf(Page page) { return kPages[static_cast<int>(page)]; }

bool WizardDriver::WaitForWindow(DWORD timeoutMs) { return WaitForDialogWith(IDC_TITLE, timeoutMs) != nullptr; }

bool WizardDriver::CurrentPage(Page& page) const {
    for (int i = 3; i >= 0; --i) {
        if (IsVisible(kPages[i].shownId)) {
            page = kPages[i].page;
            return true;
        }
    }
    return false;
}

bool WizardDriver::Shows(Page page) const {
    Page shown;
    return CurrentPage(shown) && shown == page;
}

bool WizardDriver::WaitForPage(Page page, DWORD timeoutMs) {
    return WaitUntil([&] { return Shows(page) || !Running(); }, timeoutMs) && Running() && Settle(IDC_LICENSE_EDIT);
}

bool WizardDriver::GoTo(Page page) {
    Page shown = Page::Welcome;
    while (WaitUntil([&] { return CurrentPage(shown) || !Running(); }) && Running() && shown < page) {
        const int forward = ControlsOf(shown).forwardId;
        if (forward) Click(forward);
        const Page from = shown;
        // The page the click brings, or (on the Installing page) the one the run brings.
        if (!WaitUntil([&] { return (CurrentPage(shown) && shown > from) || !Running(); })) return false;
    }
    return Running() && shown >= page && Settle(IDC_LICENSE_EDIT);
}

void WizardDriver::CancelAndExpectExitZero() {
    Page shown;
    ASSERT_TRUE(CurrentPage(shown)) << "no page to cancel";
    ASSERT_NE(ControlsOf(shown).cancelId, 0) << "the " << ControlsOf(shown).name << " page has no Cancel";
    Click(ControlsOf(shown).cancelId);
    EXPECT_EQ(ExpectExit(*this), 0u) << "after Cancel on the " << ControlsOf(shown).name << " page";
}

}  // namespace e2e
