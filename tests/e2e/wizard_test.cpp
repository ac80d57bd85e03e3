// The real Wi-FiSkylark.exe, started from a temporary copy of its dist folder and driven as a user
// would: what each page shows, how the wizard ends, the keyboard, the licence text.
#include "wizard_fixture.h"

#include "gif_builder.h"
#include "language.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <vector>

namespace e2e {
namespace {

const int kAllIds[] = {IDOK,
                       IDCANCEL,
                       IDC_WELCOME_BACK,
                       IDC_WELCOME_NEXT,
                       IDC_WELCOME_CANCEL,
                       IDC_PROGRESS,
                       IDC_INSTALL_BACK,
                       IDC_INSTALL_NEXT,
                       IDC_INSTALL_CANCEL,
                       IDC_FINISH_BACK,
                       IDC_FINISH,
                       IDC_FINISH_CANCEL,
                       IDC_WELCOME_TITLE,
                       IDC_WELCOME_TEXT,
                       IDC_INSTALL_TITLE,
                       IDC_FINISH_TITLE,
                       IDC_FINISH_TEXT,
                       IDC_WELCOME_LABEL,
                       IDC_TITLE,
                       IDC_LICENSE_BACK,
                       IDC_ACCEPT,
                       IDC_LICENSE_CANCEL,
                       IDC_LICENSE_EDIT,
                       IDC_LICENSE_RICHEDIT,
                       IDC_INSTALLING,
                       IDC_ANIMATION};

// What a page shows: these controls visible and every other one hidden; these disabled (a button
// once disabled stays so) and every other visible one enabled; the control that has the focus.
struct PageView {
    Page page;
    std::set<int> visible;
    std::set<int> disabled;
    int focus;  // 0: no push button may have it
};

const PageView kWelcome = {Page::Welcome,
                           {IDC_TITLE, IDC_WELCOME_TITLE, IDC_WELCOME_TEXT, IDC_WELCOME_NEXT, IDC_WELCOME_CANCEL},
                           {IDC_WELCOME_BACK},
                           IDC_WELCOME_NEXT};
const PageView kLicence = {Page::Licence,
                           {IDC_TITLE, IDC_LICENSE_EDIT, IDC_ACCEPT, IDC_LICENSE_CANCEL},
                           {IDC_WELCOME_BACK, IDC_LICENSE_BACK},
                           IDC_ACCEPT};
const PageView kInstalling = {Page::Installing,
                              {IDC_TITLE, IDC_INSTALLING, IDC_ANIMATION, IDC_INSTALL_NEXT, IDC_INSTALL_CANCEL},
                              {IDC_WELCOME_BACK, IDC_LICENSE_BACK, IDC_INSTALL_BACK, IDC_INSTALL_NEXT},
                              0};
const PageView kFinish = {
    Page::Finish,
    {IDC_TITLE, IDC_FINISH_TITLE, IDC_FINISH_TEXT, IDC_FINISH, IDC_FINISH_CANCEL},
    {IDC_WELCOME_BACK, IDC_LICENSE_BACK, IDC_INSTALL_BACK, IDC_INSTALL_NEXT, IDC_FINISH_BACK, IDC_FINISH_CANCEL},
    IDC_FINISH};

// The licence text as the box must show it: every line of the file (CR LF or LF ends, text up to
// a Ctrl+Z) followed by CR LF.
std::string ExpectedLicenceText(const std::string& file) {
    const std::string text = file.substr(0, file.find('\x1A'));
    std::string expected;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        const bool lastLine = end == std::string::npos;
        if (lastLine) end = text.size();
        size_t lineEnd = end;
        if (!lastLine && lineEnd > start && text[lineEnd - 1] == '\r') --lineEnd;
        expected.append(text, start, lineEnd - start);
        expected += "\r\n";
        start = end + 1;
    }
    return expected;
}

size_t CountLines(const std::string& text) {
    size_t n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

class WizardTest : public WizardFixture {
protected:
    std::string Mismatches(const PageView& page) const {
        std::string out;
        for (int id : kAllIds) {
            if (!m_wizard->Exists(id)) {
                out += " " + std::to_string(id) + " missing;";
                continue;
            }
            const bool shouldShow = page.visible.count(id) > 0;
            const bool shown = m_wizard->IsVisible(id);
            if (shown != shouldShow) out += " " + std::to_string(id) + (shown ? " visible;" : " hidden;");
            const bool enabled = m_wizard->IsEnabled(id);
            if (page.disabled.count(id) && enabled) out += " " + std::to_string(id) + " enabled;";
            if (shouldShow && !page.disabled.count(id) && !enabled) out += " " + std::to_string(id) + " disabled;";
        }
        return out;
    }

    // Waits until the wizard shows page (or the bound passes) and then checks it whole.
    void ExpectPage(const PageView& page) {
        const char* name = ControlsOf(page.page).name;
        SCOPED_TRACE(name);
        WaitUntil([&] { return Mismatches(page).empty() || !m_wizard->Running() || m_wizard->FindMessageBox(); });
        ASSERT_EQ(Mismatches(page), "") << "on the " << name << " page" << Unexpected();
        if (page.focus) {
            WaitUntil([&] { return m_wizard->FocusId() == page.focus || !m_wizard->Running(); });
            EXPECT_EQ(m_wizard->FocusId(), page.focus) << "focus on the " << name << " page";
        } else {
            HWND focus = m_wizard->Focus();
            EXPECT_TRUE(!focus || ClassName(focus) != "Button")
                << "a button has the focus on the " << name << " page: " << GetDlgCtrlID(focus);
        }
    }

    // Forward to page, which must show whole.
    void GoTo(const PageView& page) {
        ASSERT_TRUE(m_wizard->GoTo(page.page)) << Unexpected();
        ASSERT_NO_FATAL_FAILURE(ExpectPage(page));
    }

    bool OnPage(const PageView& page) const { return Mismatches(page).empty(); }

    // Presses Tab until control id has the focus; false if it never gets it.
    bool TabTo(int id) {
        for (int i = 0; i < 8 && m_wizard->FocusId() != id; ++i) {
            const int before = m_wizard->FocusId();
            m_wizard->PressKey(VK_TAB);
            WaitUntil([&] { return m_wizard->FocusId() != before; }, 20000);
        }
        return m_wizard->FocusId() == id;
    }

    // What else the wizard shows or did, for a failure's message.
    std::string Unexpected() const {
        std::string out;
        if (HWND box = m_wizard->FindMessageBox()) {
            out += "\nmessage box: " + WindowText(GetDlgItem(box, kMessageBoxTextId));
        }
        if (!m_wizard->Running()) out += "\nthe wizard has ended";
        return out;
    }
};

TEST(Dist, HoldsTheProgramAndEverythingItReads) {
    const char* const files[] = {
        "Wi-FiSkylark.exe",    "data\\License.txt",    "data\\Skylark48.exe", "data\\zv_reset_animation.gif",
        "data\\main96DPI.jpg", "data\\main125DPI.jpg", "data\\main150DPI.jpg"};
    for (const std::string& dist : {TestDist(), ShippedDist()}) {
        for (const char* file : files) EXPECT_TRUE(FileExists(dist + "\\" + file)) << dist << "\\" << file;
    }
}

TEST_F(WizardTest, EachPageShowsItsControlsAndFinishEndsWithZero) {
    ASSERT_NO_FATAL_FAILURE(Start(TestDist()));
    EXPECT_EQ(WindowText(m_wizard->Dialog()), "Wi-FiSkylark.exe");
    ASSERT_NO_FATAL_FAILURE(ExpectPage(kWelcome));
    ASSERT_NO_FATAL_FAILURE(GoTo(kLicence));
    ASSERT_NO_FATAL_FAILURE(GoTo(kInstalling));
    // The package ends as one that installed the driver: the run brings the Finish page.
    ASSERT_NO_FATAL_FAILURE(EndPackage());
    ASSERT_NO_FATAL_FAILURE(ExpectPage(kFinish));
    m_wizard->Click(IDC_FINISH);
    EXPECT_EQ(ExpectExit(*m_wizard), 0u);
    EXPECT_EQ(CountLines(FileTextOnceALineIsWritten(m_record)), 1u);
}

TEST_F(WizardTest, CancelOnEachPageEndsWithZero) {
    for (const PageView* page : {&kWelcome, &kLicence, &kInstalling}) {
        SCOPED_TRACE(ControlsOf(page->page).name);
        ASSERT_NO_FATAL_FAILURE(Start(ShippedDist()));
        ASSERT_NO_FATAL_FAILURE(GoTo(*page));
        m_wizard->CancelAndExpectExitZero();
    }
}

TEST_F(WizardTest, EscapeOnTheInstallingPageEndsWithZero) {
    ASSERT_NO_FATAL_FAILURE(Start(ShippedDist()));
    ASSERT_NO_FATAL_FAILURE(GoTo(kInstalling));
    m_wizard->PressKey(VK_ESCAPE);
    EXPECT_EQ(ExpectExit(*m_wizard), 0u);
}

TEST_F(WizardTest, EnterMovesForwardOnlyFromAForwardButton) {
    // The shipped build: its Installing page stays until the package ends, whatever the test's pace.
    ASSERT_NO_FATAL_FAILURE(Start(ShippedDist(), {}, "20"));
    ASSERT_NO_FATAL_FAILURE(ExpectPage(kWelcome));
    m_wizard->PressKey(VK_RETURN);
    ASSERT_NO_FATAL_FAILURE(ExpectPage(kLicence));

    // With the focus in the licence box, Enter neither accepts nor cancels.
    ASSERT_TRUE(TabTo(IDC_LICENSE_EDIT)) << "Tab never reached the licence box";
    m_wizard->PressKey(VK_RETURN);
    ASSERT_TRUE(m_wizard->Settle(IDC_LICENSE_EDIT));
    EXPECT_TRUE(OnPage(kLicence)) << Mismatches(kLicence);
    EXPECT_TRUE(m_wizard->Running());
    EXPECT_EQ(PackageStarts(), "");

    ASSERT_TRUE(TabTo(IDC_ACCEPT)) << "Tab never reached Accept";
    m_wizard->PressKey(VK_RETURN);
    ASSERT_NO_FATAL_FAILURE(ExpectPage(kInstalling));

    // On the Installing page Enter does nothing: no second run, no end.
    m_wizard->PressKey(VK_RETURN);
    m_wizard->PressKey(VK_RETURN);
    ASSERT_TRUE(m_wizard->Settle(IDC_LICENSE_EDIT));
    EXPECT_TRUE(OnPage(kInstalling) || OnPage(kFinish)) << Mismatches(kInstalling);
    EXPECT_TRUE(m_wizard->Running());

    // When the package ends, the run brings the Finish page, where Enter finishes.
    ASSERT_NO_FATAL_FAILURE(ExpectPage(kFinish));
    EXPECT_EQ(CountLines(PackageStarts()), 1u) << PackageStarts();
    m_wizard->PressKey(VK_RETURN);
    EXPECT_EQ(ExpectExit(*m_wizard), 0u);
}

struct LicenceCase {
    const char* label;
    std::string folderName;
    const char* replacement;  // null: the shipped sample licence
};

TEST_F(WizardTest, LicenceBoxShowsTheFileText) {
    const LicenceCase cases[] = {
        {"sample licence", "Skylark", nullptr},
        {"folder with spaces and non-ASCII", "Wi-Fi Set\xC3\xA9up 48", nullptr},
        {"LF ends, empty line, no end on the last line", "Skylark", "First line\n\nThird line"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        DistCopyOptions options;
        options.folderName = c.folderName;
        if (c.replacement) options.replaceFiles = {{"data\\License.txt", c.replacement}};
        ASSERT_NO_FATAL_FAILURE(Start(ShippedDist(), options));
        std::string file;
        ASSERT_TRUE(ReadWholeFile(m_copy->Path("data\\License.txt"), file));
        ASSERT_FALSE(file.empty());
        ASSERT_NO_FATAL_FAILURE(GoTo(kLicence));
        EXPECT_EQ(m_wizard->Text(IDC_LICENSE_EDIT), ExpectedLicenceText(file));
        m_wizard->CancelAndExpectExitZero();
    }
}

// The wizard speaks the user's language where it carries it, else English; its window text stays
// the program's name. Run under each locale of tests/e2e/CMakeLists.txt, which says in
// SKYLARK_EXPECT_LANGUAGE whose texts must show (Wine takes the language from the locale it starts in).
TEST_F(WizardTest, EachUserSeesTheWizardInTheirLanguage) {
    char tag[16] = "en";
    GetEnvironmentVariableA("SKYLARK_EXPECT_LANGUAGE", tag, sizeof tag);
    core::Language language;
    if (std::string(tag) != "en") {
        std::string bytes;
        ASSERT_TRUE(ReadWholeFile(WindowsPathFromUnix(std::string(SKYLARK_LANGUAGES_DIR) + "/" + tag + ".txt"), bytes));
        const core::LanguageFile file = core::ParseLanguageFile(tag, bytes);
        ASSERT_TRUE(file.Ok());
        language = file.language;
    }
    ASSERT_NO_FATAL_FAILURE(Start(ShippedDist()));
    for (const auto& control :
         {std::make_pair(IDC_TITLE, core::Text::Title), std::make_pair(IDC_WELCOME_TITLE, core::Text::WelcomeTitle),
          std::make_pair(IDC_WELCOME_TEXT, core::Text::WelcomeText), std::make_pair(IDC_WELCOME_NEXT, core::Text::Next),
          std::make_pair(IDC_WELCOME_CANCEL, core::Text::Cancel), std::make_pair(IDC_ACCEPT, core::Text::Accept)}) {
        const std::string& text = language[control.second];
        EXPECT_EQ(m_wizard->Text(control.first), language.RightToLeft() ? core::EmbeddedRightToLeft(text) : text)
            << core::TextKey(control.second);
    }
    EXPECT_EQ(WindowText(m_wizard->Dialog()), "Wi-FiSkylark.exe");
    m_wizard->CancelAndExpectExitZero();
}

// Work that no page shows at first is done after the window is up, on a message the wizard posts
// to itself. A click sent straight to Next while the window is still being set up is handled
// before that message: the Licence page it brings must still hold the licence.
TEST_F(WizardTest, NextSentWhileTheWindowIsSetUpFindsTheLicenceInItsBox) {
    // Whether the click comes before the window is up is a race with the wizard's own thread: on a
    // busy machine the test may lose it, and then starts again (at most five times; a new start ends
    // the one before).
    bool sentWhileHidden = false;
    DWORD_PTR length = 0;
    for (int attempt = 0; attempt < 5 && !sentWhileHidden; ++attempt) {
        ASSERT_NO_FATAL_FAILURE(Launch(ShippedDist(), {}, kLongRun));
        // The licence box is made after the Next button.
        HWND dialog = m_wizard->WaitForDialogBeingSetUp(IDC_LICENSE_EDIT);
        ASSERT_NE(dialog, nullptr) << Unexpected();
        // The click is sent without waiting and the question right behind it: the wizard takes sent
        // messages in the order they came, before anything posted.
        SendNotifyMessageA(GetDlgItem(dialog, IDC_WELCOME_NEXT), BM_CLICK, 0, 0);
        sentWhileHidden = !IsWindowVisible(dialog);
        ASSERT_NE(SendMessageTimeoutA(GetDlgItem(dialog, IDC_LICENSE_EDIT), WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL,
                                      kWaitMs, &length),
                  0)
            << Unexpected();
        ASSERT_TRUE(m_wizard->WaitForWindow()) << Unexpected();
    }
    ASSERT_TRUE(sentWhileHidden) << "the window was up before the click was sent, five times: nothing was tested";

    std::string file;
    ASSERT_TRUE(ReadWholeFile(m_copy->Path("data\\License.txt"), file));
    EXPECT_EQ(length, ExpectedLicenceText(file).size()) << "the licence box right after the click";
    ASSERT_NO_FATAL_FAILURE(ExpectPage(kLicence));
    EXPECT_EQ(m_wizard->Text(IDC_LICENSE_EDIT), ExpectedLicenceText(file));
    m_wizard->CancelAndExpectExitZero();
}

struct MissingLicenceCase {
    const char* label;
    std::string folderName;
    bool folderInItsPlace;
};

TEST_F(WizardTest, MissingLicenceIsNamedAndEndsWithThree) {
    const MissingLicenceCase cases[] = {
        {"missing", "Skylark", false},
        {"a folder in its place", "Skylark", true},
        {"missing, in a folder with spaces and non-ASCII", "Wi-Fi Set\xC3\xA9up 48", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        DistCopyOptions options;
        options.folderName = c.folderName;
        options.removeFiles = {"data\\License.txt"};
        ASSERT_NO_FATAL_FAILURE(MakeCopy(ShippedDist(), options));
        const std::string licence = m_copy->Path("data\\License.txt");
        if (c.folderInItsPlace) {
            ASSERT_TRUE(CreateDirectoryA(licence.c_str(), nullptr));
        }
        ASSERT_TRUE(m_wizard->Start(m_copy->ExePath()));

        HWND box = m_wizard->WaitForMessageBox();
        ASSERT_NE(box, nullptr) << "no message box";
        const std::string text = WindowText(GetDlgItem(box, kMessageBoxTextId));
        EXPECT_NE(text.find(licence), std::string::npos) << "message: " << text << "\nfile: " << licence;
        EXPECT_EQ(m_wizard->FindDialogWith(IDC_TITLE), nullptr) << "a page is shown behind the message";
        PressMessageBoxOk(box);
        EXPECT_EQ(ExpectExit(*m_wizard), 3u);
    }
}

// An exception out of start-up (the test build's switch throws one): exit code 6, which is none of
// the codes the program gives itself.
TEST_F(WizardTest, StartUpThatThrowsEndsWithSix) {
    ASSERT_NO_FATAL_FAILURE(MakeCopy(TestDist(), {}));
    ASSERT_TRUE(m_wizard->Start(m_copy->ExePath(), "", {{"SKYLARK_TEST_FAIL_START", "1"}})) << LastErrorText();
    EXPECT_EQ(ExpectExit(*m_wizard), 6u);
}

// An animation past the frames' memory budget plays on the Installing page, frame after frame in
// file order, round after round, and the window answers all the while. Two rounds take 9.6 s: the
// watch's 30 s leave a slow or busy machine twice as much again.
TEST_F(WizardTest, ALargeAnimationPlaysInOrderAndTheWindowAnswers) {
    const COLORREF palette[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 255)};
    support::GifBuilder::Bytes colours;
    for (COLORREF c : palette) colours.insert(colours.end(), {GetRValue(c), GetGValue(c), GetBValue(c)});
    // 32 frames of 1024x1024, 150 ms each, take just over 32 MB decoded: the last is decoded anew
    // each round. A clear code every two pixels, as some encoders write, makes each slow to decode
    // for a decoder that starts its table afresh at every clear.
    support::GifBuilder gif(0x81, 1024, 1024, colours);
    gif.Looping();
    const int kFrames = 32;
    for (int i = 0; i < kFrames; ++i) gif.Control(15, 0x04).SolidImage(0, 0, 1024, 1024, uint8_t(i % 4));
    const support::GifBuilder::Bytes& bytes = gif.Trailer().Get();
    DistCopyOptions options;
    options.replaceFiles = {{"data\\zv_reset_animation.gif", std::string(bytes.begin(), bytes.end())}};
    Start(ShippedDist(), options);
    ASSERT_TRUE(m_wizard->GoTo(Page::Installing)) << Unexpected();
    HWND animation = m_wizard->Control(IDC_ANIMATION);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(animation) != FALSE; }));
    RECT probe = {};
    GetWindowRect(animation, &probe);
    probe = {probe.left + 8, probe.top + 8, probe.left + 9, probe.top + 9};

    std::vector<int> seen;  // indices into `palette`, one per change of colour
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 30000 && seen.size() < 2 * size_t(kFrames)) {
        DWORD_PTR answer = 0;
        // Five seconds is when Windows calls a window "Not Responding".
        ASSERT_NE(SendMessageTimeoutA(m_wizard->Dialog(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer), 0)
            << "the window does not answer";
        const COLORREF now = CaptureScreen(probe).At(0, 0);
        for (int i = 0; i < 4; ++i) {
            if (support::Near(now, palette[i], 8) && (seen.empty() || seen.back() != i)) seen.push_back(i);
        }
        Sleep(5);
    }
    // Two rounds' worth of changes: every frame is seen a second time, wherever the page came in.
    EXPECT_EQ(seen.size(), 2 * size_t(kFrames)) << "colour changes seen";
    for (size_t i = 1; i < seen.size(); ++i) EXPECT_EQ(seen[i], (seen[i - 1] + 1) % 4) << "change " << i;
    m_wizard->CancelAndExpectExitZero();
}

}  // namespace
}  // namespace e2e
