// The wizard for people who cannot use it as drawn: in high contrast (the test build's switch
// answers the wizard's question, which Wine always answers "off"), through a screen reader's
// names, and with the keyboard alone; and without high contrast, every page as it was before.
#include "wizard_fixture.h"

#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace e2e {
namespace {

// Window and text colours of the kind high-contrast themes have, not Wine's own.
constexpr COLORREF kBlack = RGB(0, 0, 0), kYellow = RGB(255, 255, 0);

// The system's window colours as this test sets them, and as they were once it is over.
class SystemColours {
public:
    SystemColours(COLORREF window, COLORREF text) : m_saved{GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT)} {
        m_ok = Set(window, text);
    }
    ~SystemColours() { Set(m_saved[0], m_saved[1]); }
    SystemColours(const SystemColours&) = delete;
    SystemColours& operator=(const SystemColours&) = delete;
    bool Ok() const { return m_ok; }

private:
    static bool Set(COLORREF window, COLORREF text) {
        const INT elements[] = {COLOR_WINDOW, COLOR_WINDOWTEXT};
        const COLORREF values[] = {window, text};
        return SetSysColors(2, elements, values) != FALSE;
    }
    COLORREF m_saved[2];
    bool m_ok = false;
};

// Yellow on black, as drawn: outside the controls only black; over the labels and inside the
// licence box's border only what anti-aliased yellow text on black gives. The buttons, the licence
// box's border and scroll bar, the progress bar and the animation are the system's or the GIF's.
struct SchemeCheck {
    int background = 0, wrongBackground = 0, text = 0, wrongText = 0;
};

SchemeCheck CheckScheme(const ClientSnapshot& shot, HWND dialog) {
    std::vector<RECT> controls, texts;
    for (HWND control : VisibleControls(dialog)) {
        controls.push_back(RectInDialog(dialog, control));
        const std::string kind = ClassName(control);
        const int id = GetDlgCtrlID(control);
        RECT text = controls.back();
        if (kind == "Edit") InflateRect(&text, -2, -2), text.right -= GetSystemMetrics(SM_CXVSCROLL);
        if (kind == "Edit" || (kind == "Static" && id != IDC_ANIMATION)) texts.push_back(text);
    }
    auto over = [](const std::vector<RECT>& rects, POINT p) {
        return std::any_of(rects.begin(), rects.end(), [&](const RECT& r) { return PtInRect(&r, p) != FALSE; });
    };
    // The animation lies over the label above it: its pixels are not text.
    const HWND animationWindow = GetDlgItem(dialog, IDC_ANIMATION);
    const RECT animation = IsWindowVisible(animationWindow) ? RectInDialog(dialog, animationWindow) : RECT{};
    SchemeCheck check;
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            const POINT p = {x, y};
            const COLORREF c = shot.At(x, y);
            if (!over(controls, p)) {
                ++check.background;
                check.wrongBackground += c != kBlack;
            } else if (over(texts, p) && !PtInRect(&animation, p)) {
                check.text += c == kYellow;
                check.wrongText += !Between(c, kYellow, kBlack, 2);
            }
        }
    }
    return check;
}

// A page as drawn, leaving out the two controls that move by themselves.
uint64_t PageFingerprint(ClientSnapshot shot, HWND dialog) {
    for (int id : {IDC_ANIMATION, IDC_PROGRESS}) {
        const RECT r = RectInDialog(dialog, GetDlgItem(dialog, id));
        for (int y = std::max<int>(r.top, 0); y < std::min<int>(r.bottom, shot.height); ++y) {
            for (int x = std::max<int>(r.left, 0); x < std::min<int>(r.right, shot.width); ++x)
                shot.pixels[static_cast<size_t>(y) * shot.width + x] = 0;
        }
    }
    return shot.Fingerprint();
}

// The pages at 96 DPI as the wizard drew them before it knew of high contrast: recorded by the test
// below from a folder of that build, named (a Unix path) by SKYLARK_E2E_RECORD_DIST.
const std::map<Page, uint64_t> kPagesAsBefore = {
    {Page::Welcome, 0x714E0C6B747CBDA8ull},
    {Page::Licence, 0x469359B8887530F4ull},
    {Page::Installing, 0xE81B23E2BE773449ull},
    {Page::Finish, 0x7D2BA8FB83DB6D0Dull},
};

// The name a screen reader hears for a control, asked of the wizard's process as a reader asks.
std::string AccessibleName(HWND control) {
    IAccessible* accessible = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&accessible))))
        return "(no accessible object)";
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::string text;
    if (SUCCEEDED(accessible->get_accName(self, &name)) && name) {
        char buffer[512] = {};
        WideCharToMultiByte(CP_ACP, 0, name, -1, buffer, sizeof buffer - 1, nullptr, nullptr);
        text = buffer;
    }
    SysFreeString(name);
    accessible->Release();
    return text;
}

class AccessibilityTest : public WizardFixture {
protected:
    static void SetUpTestSuite() { CoInitialize(nullptr); }
    static void TearDownTestSuite() { CoUninitialize(); }
    void TearDown() override {
        if (m_highContrast) CloseHandle(m_highContrast);
    }

    // Starts the test build with high contrast answered by an event of this test's, on or off.
    void StartWithHighContrast(bool on) {
        m_highContrast = CreateEventA(nullptr, TRUE, on, "skylark-test-high-contrast");
        ASSERT_TRUE(m_highContrast) << LastErrorText();
        ASSERT_NO_FATAL_FAILURE(MakeCopy(TestDist(), {}));
        ASSERT_TRUE(m_wizard->Start(m_copy->ExePath(), "",
                                    {{"SKYLARK_TEST_HIGH_CONTRAST", "skylark-test-high-contrast"},
                                     {"SKYLARK_STANDIN_SECONDS", kLongRun},
                                     {"SKYLARK_STANDIN_RECORD", m_record}}));
        ASSERT_TRUE(m_wizard->WaitForWindow());
    }

    // On the page on show, which must still be on show once it is seen drawn so.
    void ExpectHighContrast(Page page, const char* when = "") {
        SCOPED_TRACE(std::string(ControlsOf(page).name) + when);
        const ClientSnapshot shot = CaptureWhen([&](const ClientSnapshot& s) {
            const SchemeCheck c = CheckScheme(s, m_wizard->Dialog());
            return c.wrongBackground == 0 && c.wrongText == 0 && c.text > 0;
        });
        ASSERT_TRUE(m_wizard->Shows(page)) << "the page changed before it was drawn";
        // With SKYLARK_E2E_SHOTS naming a folder (a Unix path), the pictures of the pages in docs/.
        if (const char* shots = std::getenv("SKYLARK_E2E_SHOTS"))
            shot.SaveBmp(WindowsPathFromUnix(shots) + "\\high-contrast-" + ControlsOf(page).name + ".bmp");
        const SchemeCheck check = CheckScheme(shot, m_wizard->Dialog());
        EXPECT_GT(check.background, shot.width * shot.height / 3);
        EXPECT_EQ(check.wrongBackground, 0) << "background pixels not in the window colour";
        EXPECT_EQ(check.wrongText, 0) << "text pixels neither of the text nor of the window colour";
        EXPECT_GE(check.text, 50) << "too few pixels in the text colour";
    }

    HANDLE m_highContrast = nullptr;
};

TEST_F(AccessibilityTest, HighContrastDrawsEveryPageInTheSystemColoursAndFollowsItsSwitch) {
    const SystemColours colours(kBlack, kYellow);
    ASSERT_TRUE(colours.Ok());
    ASSERT_NO_FATAL_FAILURE(StartWithHighContrast(true));
    ExpectHighContrast(Page::Welcome);
    ASSERT_TRUE(m_wizard->GoTo(Page::Licence));
    ExpectHighContrast(Page::Licence);
    // Switched off and on while the wizard runs, announced by either message. (Wine's processes
    // keep the system colours they read first, so new colours from SetSysColors cannot be shown
    // to a running wizard here; on either message it asks again and repaints.)
    for (const UINT message : {WM_SETTINGCHANGE, WM_SYSCOLORCHANGE}) {
        SCOPED_TRACE(message == WM_SYSCOLORCHANGE ? "WM_SYSCOLORCHANGE" : "WM_SETTINGCHANGE");
        const WPARAM what = message == WM_SETTINGCHANGE ? SPI_SETHIGHCONTRAST : 0;
        DWORD_PTR ignored = 0;
        ResetEvent(m_highContrast);
        SendMessageTimeoutA(m_wizard->Dialog(), message, what, 0, SMTO_ABORTIFHUNG, 10000, &ignored);
        const auto pictureShows = [&](const ClientSnapshot& s) {
            return CheckScheme(s, m_wizard->Dialog()).wrongBackground > s.width * s.height / 3;
        };
        EXPECT_TRUE(pictureShows(CaptureWhen(pictureShows))) << "switched off, the picture did not come back";
        SetEvent(m_highContrast);
        SendMessageTimeoutA(m_wizard->Dialog(), message, what, 0, SMTO_ABORTIFHUNG, 10000, &ignored);
        ExpectHighContrast(Page::Licence, ", switched on again");
    }
    ASSERT_TRUE(m_wizard->GoTo(Page::Installing));
    EXPECT_GE(DistinctAnimationFrames(), 3u) << "the animation does not play";
    ExpectHighContrast(Page::Installing);
    ASSERT_NO_FATAL_FAILURE(EndPackage());
    ASSERT_TRUE(m_wizard->WaitForPage(Page::Finish));
    ExpectHighContrast(Page::Finish);
    m_wizard->Click(IDC_FINISH);
    EXPECT_EQ(ExpectExit(*m_wizard), 0u);
}

// Without high contrast each page as it was drawn before; and on each, what a screen reader hears:
// buttons and labels by their text, the controls whose text says nothing by the wizard's names.
TEST_F(AccessibilityTest, EveryPageAsBeforeAndEveryControlOnItNamed) {
    const std::map<int, std::string> given = {{IDC_LICENSE_EDIT, "Licence agreement"},
                                              {IDC_PROGRESS, "Installation progress"},
                                              {IDC_ANIMATION, "Installing"}};
    const char* recordFrom = std::getenv("SKYLARK_E2E_RECORD_DIST");
    Start(recordFrom ? WindowsPathFromUnix(recordFrom) : ShippedDist());
    for (const auto& before : kPagesAsBefore) {
        SCOPED_TRACE(ControlsOf(before.first).name);
        if (before.first == Page::Finish) {
            ASSERT_NO_FATAL_FAILURE(EndPackage());
        }
        ASSERT_TRUE(m_wizard->GoTo(before.first));
        // Until it matches, or has stayed the same over a few captures.
        uint64_t drawn = 0;
        for (int same = 0; same < 5; Sleep(100)) {
            const uint64_t last = drawn;
            drawn = PageFingerprint(m_wizard->CaptureClient(), m_wizard->Dialog());
            if (!recordFrom && drawn == before.second) break;
            same = drawn == last ? same + 1 : 0;
        }
        if (recordFrom) {
            std::printf("{Page::%s, 0x%016llXull},\n", ControlsOf(before.first).name,
                        static_cast<unsigned long long>(drawn));
            continue;
        }
        EXPECT_EQ(drawn, before.second) << std::hex << "drawn " << drawn;
        for (HWND control : VisibleControls(m_wizard->Dialog())) {
            const auto name = given.find(GetDlgCtrlID(control));
            EXPECT_EQ(AccessibleName(control), name != given.end() ? name->second : WindowText(control))
                << "control " << GetDlgCtrlID(control);
        }
    }
    m_wizard->Click(IDC_FINISH);
    EXPECT_EQ(ExpectExit(*m_wizard), 0u);
}

class KeyboardTest : public AccessibilityTest {
protected:
    // Types the key (with Shift, if asked) and waits until the focus is on `expected`. Where the
    // focus should stay, nothing shows that the key was handled: the wizard is given a moment.
    int Type(WORD vk, int expected, bool shift = false) {
        const bool stays = m_wizard->FocusId() == expected;
        TypeKeyAt(m_wizard->Dialog(), vk, shift ? VK_SHIFT : 0);
        if (stays) Sleep(500);
        WaitUntil([&] { return m_wizard->FocusId() == expected; }, 10000);
        return m_wizard->FocusId();
    }

    // Round the page with Tab and back with Shift+Tab: each way visits every visible, enabled
    // control with a tab stop once, in the dialog's order or its reverse, and ends where it began.
    void ExpectTabCycles() {
        std::vector<int> stops;
        for (HWND control : VisibleControls(m_wizard->Dialog())) {
            if (IsWindowEnabled(control) && (GetWindowLongA(control, GWL_STYLE) & WS_TABSTOP))
                stops.push_back(GetDlgCtrlID(control));
        }
        ASSERT_FALSE(stops.empty());
        size_t at = std::find(stops.begin(), stops.end(), m_wizard->FocusId()) - stops.begin();
        if (at == stops.size()) {
            ASSERT_EQ(Type(VK_TAB, stops[at = 0]), stops[0]) << "from a label";
        }
        for (size_t i = 1; i <= stops.size(); ++i)
            EXPECT_EQ(Type(VK_TAB, stops[(at + i) % stops.size()]), stops[(at + i) % stops.size()]) << "Tab " << i;
        for (size_t i = 1; i <= stops.size(); ++i) {
            const int previous = stops[(at + stops.size() - i % stops.size()) % stops.size()];
            EXPECT_EQ(Type(VK_TAB, previous, true), previous) << "Shift+Tab " << i;
        }
    }

    int FirstVisibleLine() const {
        return static_cast<int>(SendMessageA(m_wizard->Control(IDC_LICENSE_EDIT), EM_GETFIRSTVISIBLELINE, 0, 0));
    }
    // Types the key until the licence box's first visible line moves (at most `times`); the line then.
    int ScrollWith(WORD vk, int times = 1) {
        const int from = FirstVisibleLine();
        for (int i = 0; i < times && FirstVisibleLine() == from; ++i) {
            TypeKeyAt(m_wizard->Dialog(), vk);
            WaitUntil([&] { return FirstVisibleLine() != from; }, 2000);
        }
        return FirstVisibleLine();
    }
};

TEST_F(KeyboardTest, WelcomeToFinishWithTheKeyboardAlone) {
    Start(ShippedDist());
    ASSERT_TRUE(m_wizard->WaitForPage(Page::Welcome));
    ExpectTabCycles();
    ASSERT_EQ(m_wizard->FocusId(), IDC_WELCOME_NEXT);
    TypeKeyAt(m_wizard->Dialog(), VK_SPACE);
    ASSERT_TRUE(m_wizard->WaitForPage(Page::Licence)) << "Space on Next";

    ExpectTabCycles();
    ASSERT_EQ(m_wizard->FocusId(), IDC_ACCEPT);
    ASSERT_EQ(Type(VK_TAB, IDC_LICENSE_CANCEL), IDC_LICENSE_CANCEL);
    ASSERT_EQ(Type(VK_TAB, IDC_LICENSE_EDIT), IDC_LICENSE_EDIT);
    const std::string text = m_wizard->Text(IDC_LICENSE_EDIT);
    EXPECT_EQ(FirstVisibleLine(), 0) << "Tab into the licence box moved its text";
    const int paged = ScrollWith(VK_NEXT);
    EXPECT_GT(paged, 0) << "Page Down";
    // The caret walks down to the bottom of the view before the text moves.
    const int arrowed = ScrollWith(VK_DOWN, 40);
    EXPECT_GT(arrowed, paged) << "Down arrow";
    EXPECT_LT(ScrollWith(VK_PRIOR), arrowed) << "Page Up";
    EXPECT_EQ(m_wizard->Text(IDC_LICENSE_EDIT), text) << "the keys changed the licence text";
    ASSERT_EQ(Type(VK_TAB, IDC_ACCEPT), IDC_ACCEPT);
    TypeKeyAt(m_wizard->Dialog(), VK_RETURN);
    ASSERT_TRUE(m_wizard->WaitForPage(Page::Installing)) << "Enter on Accept";

    ExpectTabCycles();
    ASSERT_NO_FATAL_FAILURE(EndPackage());
    ASSERT_TRUE(m_wizard->WaitForPage(Page::Finish));
    ExpectTabCycles();
    ASSERT_EQ(m_wizard->FocusId(), IDC_FINISH);
    TypeKeyAt(m_wizard->Dialog(), VK_RETURN);
    EXPECT_EQ(ExpectExit(*m_wizard), 0u) << "Enter on Finish";
}

}  // namespace
}  // namespace e2e
