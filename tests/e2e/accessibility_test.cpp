// The wizard for people who cannot use it as drawn: in high contrast (the test build's switch
// answers the wizard's question, which Wine always answers "off"), through a screen reader's
// names, and with the keyboard alone. Also that without high contrast every page looks as before.
#include "wizard_fixture.h"

#include "resource.h"

#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <set>

namespace e2e {
namespace {

// Two schemes of the kind high-contrast themes have, neither of them Wine's own colours.
struct Scheme {
    COLORREF window, text;
};
constexpr Scheme kYellowOnBlack = {RGB(0, 0, 0), RGB(255, 255, 0)};
constexpr Scheme kBlueOnWhite = {RGB(255, 255, 255), RGB(0, 0, 160)};

// The system's window colours for as long as the object lives; SetSysColors tells every window.
class SystemColours {
public:
    SystemColours() : m_saved{GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT)} {}
    ~SystemColours() { Set({m_saved[0], m_saved[1]}); }
    SystemColours(const SystemColours&) = delete;
    SystemColours& operator=(const SystemColours&) = delete;
    static bool Set(const Scheme& scheme) {
        const INT elements[] = {COLOR_WINDOW, COLOR_WINDOWTEXT};
        const COLORREF values[] = {scheme.window, scheme.text};
        return SetSysColors(2, elements, values) != FALSE;
    }

private:
    COLORREF m_saved[2];
};

bool Between(COLORREF c, COLORREF a, COLORREF b) {
    auto in = [](int v, int x, int y) { return v >= std::min(x, y) - 2 && v <= std::max(x, y) + 2; };
    return in(GetRValue(c), GetRValue(a), GetRValue(b)) && in(GetGValue(c), GetGValue(a), GetGValue(b)) &&
           in(GetBValue(c), GetBValue(a), GetBValue(b));
}

// How a page is drawn in a scheme: the background outside the controls in the window colour only,
// and the labels and the licence box in the text colour over it (anti-aliasing gives only colours
// between the two).
struct SchemeCheck {
    int background = 0, wrongBackground = 0, text = 0, wrongText = 0;
    std::string examples;
};

bool IsTextControl(HWND control) {
    const int id = GetDlgCtrlID(control);
    return ClassName(control) == "Static" ? id != IDC_ANIMATION : id == IDC_LICENSE_EDIT;
}

SchemeCheck CheckScheme(const ClientSnapshot& shot, HWND dialog, const Scheme& scheme) {
    SchemeCheck check;
    // Each control's rectangle, and the part of it judged as text (empty for the others); the
    // system draws the licence box's border and scroll bar.
    std::vector<std::pair<RECT, RECT>> controls;
    for (HWND control : VisibleControls(dialog)) {
        const RECT outer = RectInDialog(dialog, control);
        RECT text = {};
        if (IsTextControl(control)) {
            text = outer;
            if (ClassName(control) == "Edit") {
                InflateRect(&text, -2, -2);
                text.right -= GetSystemMetrics(SM_CXVSCROLL);
            }
        }
        controls.push_back({outer, text});
    }
    auto note = [&](int x, int y, COLORREF c) {
        char text[64];
        snprintf(text, sizeof text, " (%d,%d) %06lX;", x, y, static_cast<unsigned long>(c));
        if (check.examples.size() < 200) check.examples += text;
    };
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            const COLORREF c = shot.At(x, y);
            const POINT p = {x, y};
            // A pixel of another control (the animation lies over the label above it) is not text.
            bool overControl = false, overText = false, overOther = false;
            for (const auto& control : controls) {
                overControl = overControl || PtInRect(&control.first, p);
                overText = overText || PtInRect(&control.second, p);
                overOther = overOther || (PtInRect(&control.first, p) && IsRectEmpty(&control.second));
            }
            overText = overText && !overOther;
            if (!overControl) {
                ++check.background;
                if (c != scheme.window) ++check.wrongBackground, note(x, y, c);
            } else if (overText) {
                check.text += c == scheme.text;
                if (!Between(c, scheme.text, scheme.window)) ++check.wrongText, note(x, y, c);
            }
        }
    }
    return check;
}

uint64_t Fingerprint(const ClientSnapshot& shot) {
    uint64_t hash = 1469598103934665603ull;
    for (uint32_t p : shot.pixels) hash = (hash ^ p) * 1099511628211ull;
    return hash;
}

// A fingerprint of a page as drawn, with the controls that move by themselves (the animation, the
// progress bar) left out.
uint64_t PageFingerprint(const ClientSnapshot& shot, HWND dialog) {
    ClientSnapshot masked = shot;
    for (int id : {IDC_ANIMATION, IDC_PROGRESS}) {
        const RECT r = RectInDialog(dialog, GetDlgItem(dialog, id));
        for (int y = std::max<int>(r.top, 0); y < std::min<int>(r.bottom, shot.height); ++y) {
            for (int x = std::max<int>(r.left, 0); x < std::min<int>(r.right, shot.width); ++x)
                masked.pixels[static_cast<size_t>(y) * shot.width + x] = 0;
        }
    }
    return Fingerprint(masked);
}

// The pages at 96 DPI as the wizard drew them before it knew of high contrast: recorded from that
// build's test folder, with SKYLARK_E2E_RECORD_DIST naming it (a Unix path), by the test below.
const std::map<Page, uint64_t> kPagesAsBefore = {
    {Page::Welcome, 0x714E0C6B747CBDA8ull},
    {Page::Licence, 0x469359B8887530F4ull},
    {Page::Installing, 0xE81B23E2BE773449ull},
    {Page::Finish, 0x7D2BA8FB83DB6D0Dull},
};

// The name a screen reader speaks for a control, asked of the wizard's process as one would.
std::string AccessibleName(HWND control) {
    IAccessible* accessible = nullptr;
    const HRESULT found = AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                                     reinterpret_cast<void**>(&accessible));
    if (FAILED(found) || !accessible) {
        char text[48];
        snprintf(text, sizeof text, "(no object: %08lX)", static_cast<unsigned long>(found));
        return text;
    }
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    const HRESULT got = accessible->get_accName(self, &name);
    accessible->Release();
    std::string text;
    if (SUCCEEDED(got) && name) {
        char buffer[512] = {};
        WideCharToMultiByte(CP_ACP, 0, name, -1, buffer, sizeof buffer - 1, nullptr, nullptr);
        text = buffer;
    }
    SysFreeString(name);
    return text;
}

class AccessibilityTest : public WizardFixture {
protected:
    static void SetUpTestSuite() { CoInitialize(nullptr); }
    static void TearDownTestSuite() { CoUninitialize(); }

    // Starts the test build with high contrast answered by an event of this test's, set or not.
    void StartWithSwitch(bool on) {
        char name[64];
        snprintf(name, sizeof name, "skylark-high-contrast-%lu", GetCurrentProcessId());
        m_highContrast.reset(CreateEventA(nullptr, TRUE, on, name));
        ASSERT_TRUE(m_highContrast) << LastErrorText();
        ASSERT_NO_FATAL_FAILURE(MakeCopy(TestDist(), {}));
        ASSERT_TRUE(m_wizard->Start(m_copy->ExePath(), "",
                                    {{"SKYLARK_TEST_HIGH_CONTRAST", name},
                                     {"SKYLARK_STANDIN_SECONDS", kLongRun},
                                     {"SKYLARK_STANDIN_RECORD", m_record}}));
        ASSERT_TRUE(m_wizard->WaitForWindow());
    }

    ClientSnapshot CaptureWhen(const std::function<bool(const ClientSnapshot&)>& good) {
        ClientSnapshot shot;
        WaitUntil([&] { return good(shot = m_wizard->CaptureClient()); }, 10000);
        return shot;
    }

    // On the page on show, which must still be on show once it is drawn so.
    void ExpectDrawnIn(const Scheme& scheme, Page page, const char* when = "") {
        SCOPED_TRACE(std::string(ControlsOf(page).name) + when);
        const HWND dialog = m_wizard->Dialog();
        const ClientSnapshot shot = CaptureWhen([&](const ClientSnapshot& s) {
            const SchemeCheck c = CheckScheme(s, dialog, scheme);
            return c.wrongBackground == 0 && c.wrongText == 0 && c.text > 0;
        });
        ASSERT_TRUE(m_wizard->Shows(page)) << "the page changed before it was drawn";
        // With SKYLARK_E2E_SHOTS naming a folder (a Unix path), the pictures of the pages in docs/.
        const char* shots = std::getenv("SKYLARK_E2E_SHOTS");
        if (shots && !*when)
            shot.SaveBmp(WindowsPathFromUnix(shots) + "\\high-contrast-" + ControlsOf(page).name + ".bmp");
        const SchemeCheck check = CheckScheme(shot, dialog, scheme);
        EXPECT_GT(check.background, shot.width * shot.height / 3);
        EXPECT_EQ(check.wrongBackground, 0) << "background pixels not in the window colour:" << check.examples;
        EXPECT_EQ(check.wrongText, 0) << "text pixels neither text nor window colour:" << check.examples;
        EXPECT_GE(check.text, 50) << "too few pixels in the text colour";
    }

    // Ends the package, so that the run brings the Finish page.
    void EndPackage() {
        ASSERT_NE(FileTextOnceALineIsWritten(m_record, kWaitMs), "") << "the package never ran";
        ASSERT_GT(TerminateProcessesUnder(m_copy->Path("data\\")), 0);
    }

    struct EventCloser {
        void operator()(HANDLE h) const { CloseHandle(h); }
    };
    std::unique_ptr<void, EventCloser> m_highContrast;
};

TEST_F(AccessibilityTest, HighContrastDrawsEveryPageInTheSystemColoursOnly) {
    SystemColours colours;
    ASSERT_TRUE(SystemColours::Set(kYellowOnBlack));
    StartWithSwitch(true);
    ExpectDrawnIn(kYellowOnBlack, Page::Welcome);
    ASSERT_TRUE(m_wizard->GoTo(Page::Licence));
    ExpectDrawnIn(kYellowOnBlack, Page::Licence);
    ASSERT_TRUE(m_wizard->GoTo(Page::Installing));
    ExpectDrawnIn(kYellowOnBlack, Page::Installing);
    RECT frame = {};
    GetWindowRect(m_wizard->Control(IDC_ANIMATION), &frame);
    // Eight frames of 100 ms, and the test build's Finish fallback a few seconds after Accept.
    std::set<uint64_t> frames;
    WaitUntil([&] { return frames.insert(Fingerprint(CaptureScreen(frame))).second && frames.size() >= 3; }, 2500, 20);
    ASSERT_TRUE(m_wizard->Shows(Page::Installing)) << "the Finish page came before the animation was seen";
    EXPECT_GE(frames.size(), 3u) << "the animation does not play";

    ASSERT_NO_FATAL_FAILURE(EndPackage());
    ASSERT_TRUE(m_wizard->WaitForPage(Page::Finish));
    ExpectDrawnIn(kYellowOnBlack, Page::Finish);
    m_wizard->Click(IDC_FINISH);
    EXPECT_EQ(ExpectExit(*m_wizard), 0u);
}

// Wine's processes keep the system colours they read first, so a running wizard cannot be shown
// new ones by SetSysColors here; what it must do on either message is ask again and repaint, which
// switching high contrast itself shows.
TEST_F(AccessibilityTest, HighContrastSwitchedWhileRunningRepaintsAtEitherMessage) {
    SystemColours colours;
    ASSERT_TRUE(SystemColours::Set(kBlueOnWhite));
    StartWithSwitch(false);
    ASSERT_TRUE(m_wizard->GoTo(Page::Licence));
    const struct {
        bool on;
        UINT message;
        WPARAM wp;
    } steps[] = {
        {true, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST},
        {false, WM_SYSCOLORCHANGE, 0},
        {true, WM_SYSCOLORCHANGE, 0},
        {false, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(std::string(step.on ? "on" : "off") + " at message " + std::to_string(step.message));
        step.on ? SetEvent(m_highContrast.get()) : ResetEvent(m_highContrast.get());
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(m_wizard->Dialog(), step.message, step.wp, 0, SMTO_ABORTIFHUNG, 10000, &ignored);
        if (step.on) {
            ExpectDrawnIn(kBlueOnWhite, Page::Licence, ", switched on");
            continue;
        }
        const HWND dialog = m_wizard->Dialog();
        const ClientSnapshot off = CaptureWhen([&](const ClientSnapshot& s) {
            return CheckScheme(s, dialog, kBlueOnWhite).wrongBackground > s.width * s.height / 3;
        });
        EXPECT_GT(CheckScheme(off, dialog, kBlueOnWhite).wrongBackground, off.width * off.height / 3)
            << "switched off, the picture did not come back";
    }
    m_wizard->CancelAndExpectExitZero();
}

// What a screen reader says for each control a page shows: buttons and labels by their text, the
// controls whose text says nothing by the names the wizard gives them.
TEST_F(AccessibilityTest, EveryControlAPageShowsHasANameThatSaysWhatItIs) {
    const std::map<int, std::string> given = {{IDC_LICENSE_EDIT, "Licence agreement"},
                                              {IDC_PROGRESS, "Installation progress"},
                                              {IDC_ANIMATION, "Installing"}};
    Start(ShippedDist());
    for (Page page : {Page::Welcome, Page::Licence, Page::Installing, Page::Finish}) {
        SCOPED_TRACE(ControlsOf(page).name);
        if (page == Page::Finish) ASSERT_NO_FATAL_FAILURE(EndPackage());
        ASSERT_TRUE(m_wizard->GoTo(page));
        for (HWND control : VisibleControls(m_wizard->Dialog())) {
            const int id = GetDlgCtrlID(control);
            const auto name = given.find(id);
            EXPECT_EQ(AccessibleName(control), name != given.end() ? name->second : WindowText(control))
                << "control " << id;
        }
    }
    m_wizard->Click(IDC_FINISH);
    EXPECT_EQ(ExpectExit(*m_wizard), 0u);
}

TEST_F(AccessibilityTest, WithoutHighContrastEveryPageIsDrawnAsBefore) {
    const char* recordFrom = std::getenv("SKYLARK_E2E_RECORD_DIST");
    Start(recordFrom ? WindowsPathFromUnix(recordFrom) : TestDist());
    for (const auto& before : kPagesAsBefore) {
        SCOPED_TRACE(ControlsOf(before.first).name);
        ASSERT_TRUE(m_wizard->GoTo(before.first));
        const HWND dialog = m_wizard->Dialog();
        // Until it matches, or has stayed the same across a few captures once the page is drawn.
        uint64_t drawn = 0;
        for (int same = 0; same < 5; Sleep(100)) {
            const uint64_t last = drawn;
            drawn = PageFingerprint(m_wizard->CaptureClient(), dialog);
            if (!recordFrom && drawn == before.second) break;
            same = drawn == last ? same + 1 : 0;
        }
        if (recordFrom) std::printf("{Page::%s, 0x%016llXull},\n", ControlsOf(before.first).name,
                                    static_cast<unsigned long long>(drawn));
        else
            EXPECT_EQ(drawn, before.second) << std::hex << "drawn " << drawn;
    }
    m_wizard->Click(IDC_FINISH);
    EXPECT_EQ(ExpectExit(*m_wizard), 0u);
}

// The controls that Tab must visit on the page on show, in the dialog's order: visible, enabled
// and with a tab stop.
std::vector<int> TabStops(HWND dialog) {
    std::vector<int> ids;
    for (HWND control : VisibleControls(dialog)) {
        if (IsWindowEnabled(control) && (GetWindowLongA(control, GWL_STYLE) & WS_TABSTOP))
            ids.push_back(GetDlgCtrlID(control));
    }
    return ids;
}

class KeyboardTest : public AccessibilityTest {
protected:
    // Types the key (with Shift, if asked) and waits until the focus is on `expected`; the focus then.
    // Where the focus should stay where it is, nothing shows that the key has been handled: the
    // wizard is given a moment first.
    int Type(WORD vk, int expected, bool shift = false) {
        const bool stays = m_wizard->FocusId() == expected;
        TypeKeyAt(m_wizard->Dialog(), vk, shift ? VK_SHIFT : 0);
        if (stays) Sleep(500);
        WaitUntil([&] { return m_wizard->FocusId() == expected; }, 10000);
        return m_wizard->FocusId();
    }

    // Tab around the page and back with Shift+Tab: each way visits every tab stop once, in the
    // dialog's order (or its reverse), and comes round to where it began.
    void ExpectTabCycles() {
        const std::vector<int> stops = TabStops(m_wizard->Dialog());
        ASSERT_FALSE(stops.empty());
        // From wherever the page put the focus (a label, on the Installing page) onto the first stop.
        const int start = m_wizard->FocusId();
        size_t at = std::find(stops.begin(), stops.end(), start) - stops.begin();
        if (at == stops.size()) {
            at = 0;
            ASSERT_EQ(Type(VK_TAB, stops[0]), stops[0]) << "Tab from control " << start;
        }
        for (size_t i = 1; i <= stops.size(); ++i) {
            const int next = stops[(at + i) % stops.size()];
            EXPECT_EQ(Type(VK_TAB, next), next) << "Tab number " << i;
        }
        for (size_t i = 1; i <= stops.size(); ++i) {
            const int previous = stops[(at + stops.size() * 2 - i) % stops.size()];
            EXPECT_EQ(Type(VK_TAB, previous, true), previous) << "Shift+Tab number " << i;
        }
    }

    int FirstVisibleLine() const {
        return static_cast<int>(SendMessageA(m_wizard->Control(IDC_LICENSE_EDIT), EM_GETFIRSTVISIBLELINE, 0, 0));
    }
    // Types the key and waits until the licence box's first visible line passes `beyond` (or comes
    // back before it, for the keys that scroll up).
    int ScrollWith(WORD vk, int beyond, bool up = false) {
        TypeKeyAt(m_wizard->Dialog(), vk);
        WaitUntil([&] { return up ? FirstVisibleLine() < beyond : FirstVisibleLine() > beyond; }, 5000);
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
    const int top = FirstVisibleLine();
    EXPECT_EQ(top, 0) << "Tab into the licence box moved its text";
    const int paged = ScrollWith(VK_NEXT, top);
    EXPECT_GT(paged, top) << "Page Down";
    const int down = ScrollWith(VK_DOWN, paged);
    int line = down;
    // The caret may first walk to the bottom of the view before the text moves.
    for (int i = 0; i < 40 && line == paged; ++i) line = ScrollWith(VK_DOWN, paged);
    EXPECT_GT(line, paged) << "Down arrow";
    EXPECT_LT(ScrollWith(VK_PRIOR, line, true), line) << "Page Up";
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
