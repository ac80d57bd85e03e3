#pragma once
// Which control each wizard page shows, hides or disables, in the order the calls are made.

#include <cstddef>

namespace core {

enum class PageAction { Show, Hide, Disable };

struct PageStep {
    int controlId;
    PageAction action;
};

enum WizardPage { kPageWelcome = 0, kPageLicence = 1, kPageInstalling = 2, kPageFinish = 3 };
// A page number past the last: the Installing page's Next sets it, and nothing changes.
constexpr int kPageNone = 4;

// The steps of one page; count 0 for a number that names no page (4, say).
struct PageSteps {
    const PageStep* steps;
    size_t count;
};
PageSteps StepsForPage(int page);

// The control that takes the focus when the page is shown: its forward button, or on the
// Installing page a label, so that no button (visible or hidden) keeps it. 0 for no page.
int FocusControlForPage(int page);

}  // namespace core
