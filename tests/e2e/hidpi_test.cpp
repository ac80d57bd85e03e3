// The real Wi-FiSkylark.exe on screens denser than its display classes: the window grows with the
// density and stays centred, every button and the licence box lie inside it, and a mouse click on
// Next turns the page. One program for every such density; each run's prefix reports its own.
#include "wizard_fixture.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace e2e {
namespace {

struct Density {
    int dpi;
    int width, height;  // of the window
};

// 600 x 398 scaled by dpi / 96, rounded to nearest (696.5 gives 697).
const Density kDensities[] = {
    {168, 1050, 697},
    {192, 1200, 796},
};

const Density* DensityOfThisScreen(int& dpi) {
    dpi = support::ScreenDpi();
    for (const Density& d : kDensities) {
        if (d.dpi == dpi) return &d;
    }
    return nullptr;
}

struct PageCase {
    Page page;
    std::vector<int> expected;  // controls the page shows: a check that finds none proves nothing
};

class HighDensityTest : public WizardFixture {};

TEST_F(HighDensityTest, WindowGrowsWithTheDensityAndHoldsEveryButtonAndTheLicenceBox) {
    int dpi = 0;
    const Density* density = DensityOfThisScreen(dpi);
    ASSERT_NE(density, nullptr) << "no expectations for " << dpi << " DPI";
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    ASSERT_TRUE(screenWidth >= density->width && screenHeight >= density->height)
        << "the screen " << screenWidth << "x" << screenHeight << " cannot hold the window";

    ASSERT_NO_FATAL_FAILURE(Start(ShippedDist()));
    HWND dialog = m_wizard->Dialog();
    RECT window = {};
    ASSERT_TRUE(GetWindowRect(dialog, &window));
    EXPECT_EQ(window.right - window.left, density->width) << RectText(window);
    EXPECT_EQ(window.bottom - window.top, density->height) << RectText(window);
    EXPECT_EQ(window.left, (screenWidth - density->width) / 2) << "screen " << screenWidth << "x" << screenHeight;
    EXPECT_EQ(window.top, (screenHeight - density->height) / 2) << "screen " << screenWidth << "x" << screenHeight;
    RECT client = {};
    ASSERT_TRUE(GetClientRect(dialog, &client));

    const PageCase pages[] = {
        {Page::Welcome, {IDC_WELCOME_NEXT, IDC_WELCOME_CANCEL}},
        {Page::Licence, {IDC_ACCEPT, IDC_LICENSE_CANCEL, IDC_LICENSE_EDIT}},
    };
    for (const PageCase& page : pages) {
        const char* name = ControlsOf(page.page).name;
        SCOPED_TRACE(std::string(name) + " page");
        ASSERT_TRUE(m_wizard->WaitForPage(page.page)) << "the page did not come";
        for (int id : page.expected) {
            EXPECT_TRUE(m_wizard->IsVisible(id)) << "control " << id << " is not shown";
        }
        // The visible controls that a user must reach: every button, and the licence box.
        for (HWND control : VisibleControls(dialog)) {
            const int id = GetDlgCtrlID(control);
            if (ClassName(control) != "Button" && id != IDC_LICENSE_EDIT) continue;
            const RECT r = RectInDialog(dialog, control);
            EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom)
                << "control " << id << " " << WindowText(control) << " at " << RectText(r) << " in a window of "
                << client.right << "x" << client.bottom;
            if (id == IDC_WELCOME_CANCEL || id == IDC_LICENSE_CANCEL) {
                std::printf("%d DPI, %s page: Cancel at %s in %ldx%ld\n", dpi, name, RectText(r).c_str(), client.right,
                            client.bottom);
            }
        }
        if (page.page == Page::Welcome) {
            ASSERT_TRUE(m_wizard->ClickWithMouse(IDC_WELCOME_NEXT)) << "the mouse input was not taken";
        }
    }
    m_wizard->CancelAndExpectExitZero();
}

}  // namespace
}  // namespace e2e
