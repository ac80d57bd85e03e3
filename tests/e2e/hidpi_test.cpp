// The real Wi-FiSkylark.exe on screens denser than its display classes: the window grows with the
// density and stays centred, every button and the licence box lie inside it, and a mouse click on
// Next turns the page. One program for every such density; each run's prefix reports its own.
#include "wizard_fixture.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
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
    HDC screen = GetDC(nullptr);
    dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    for (const Density& d : kDensities) {
        if (d.dpi == dpi) return &d;
    }
    return nullptr;
}

std::string Describe(const RECT& r) {
    std::ostringstream out;
    out << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
    return out.str();
}

struct Page {
    const char* name;
    int shownId;                // visible once the page is up
    std::vector<int> expected;  // controls the page shows: a check that finds none proves nothing
};

// The visible controls that a user must reach: every button, and the licence box.
std::vector<HWND> ButtonsAndLicenceBox(HWND dialog) {
    std::vector<HWND> controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowVisible(child) && (ClassName(child) == "Button" || GetDlgCtrlID(child) == IDC_LICENSE_EDIT))
            controls.push_back(child);
    }
    return controls;
}

class HighDensityTest : public WizardFixture {};

TEST_F(HighDensityTest, WindowGrowsWithTheDensityAndHoldsEveryButtonAndTheLicenceBox) {
    int dpi = 0;
    const Density* density = DensityOfThisScreen(dpi);
    ASSERT_NE(density, nullptr) << "no expectations for " << dpi << " DPI";
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    ASSERT_TRUE(screenWidth >= density->width && screenHeight >= density->height)
        << "the screen " << screenWidth << "x" << screenHeight << " cannot hold the window";

    ASSERT_NO_FATAL_FAILURE(Launch(ShippedDist(), {}, kLongRun));
    HWND dialog = m_wizard->WaitForDialogWith(IDC_TITLE);
    ASSERT_NE(dialog, nullptr) << "no wizard window";
    RECT window = {};
    ASSERT_TRUE(GetWindowRect(dialog, &window));
    EXPECT_EQ(window.right - window.left, density->width) << Describe(window);
    EXPECT_EQ(window.bottom - window.top, density->height) << Describe(window);
    EXPECT_EQ(window.left, (screenWidth - density->width) / 2) << "screen " << screenWidth << "x" << screenHeight;
    EXPECT_EQ(window.top, (screenHeight - density->height) / 2) << "screen " << screenWidth << "x" << screenHeight;
    RECT client = {};
    ASSERT_TRUE(GetClientRect(dialog, &client));

    const Page pages[] = {
        {"Welcome", IDC_WELCOME_NEXT, {IDC_WELCOME_NEXT, IDC_WELCOME_CANCEL}},
        {"Licence", IDC_ACCEPT, {IDC_ACCEPT, IDC_LICENSE_CANCEL, IDC_LICENSE_EDIT}},
    };
    for (const Page& page : pages) {
        SCOPED_TRACE(std::string(page.name) + " page");
        ASSERT_TRUE(WaitUntil([&] { return m_wizard->IsVisible(page.shownId) || !m_wizard->Running(); }))
            << "the page did not come";
        ASSERT_TRUE(m_wizard->Running());
        ASSERT_TRUE(m_wizard->Settle(IDC_LICENSE_EDIT));
        const std::vector<HWND> controls = ButtonsAndLicenceBox(dialog);
        for (int id : page.expected) {
            EXPECT_TRUE(m_wizard->IsVisible(id)) << "control " << id << " is not shown";
        }
        for (HWND control : controls) {
            const int id = GetDlgCtrlID(control);
            RECT r = {};
            ASSERT_TRUE(GetWindowRect(control, &r));
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
            EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom)
                << "control " << id << " " << WindowText(control) << " at " << Describe(r) << " in a window of "
                << client.right << "x" << client.bottom;
            if (id == IDC_WELCOME_CANCEL || id == IDC_LICENSE_CANCEL) {
                std::printf("%d DPI, %s page: Cancel at %s in %ldx%ld\n", dpi, page.name, Describe(r).c_str(),
                            client.right, client.bottom);
            }
        }
        if (page.shownId == IDC_WELCOME_NEXT) {
            ASSERT_TRUE(m_wizard->ClickWithMouse(IDC_WELCOME_NEXT)) << "the mouse input was not taken";
        }
    }
    m_wizard->Click(IDC_LICENSE_CANCEL);
    EXPECT_EQ(ExpectExit(*m_wizard), 0u);
}

}  // namespace
}  // namespace e2e
