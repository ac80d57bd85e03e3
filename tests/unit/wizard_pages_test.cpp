// The wizard's portable pieces: licence text, application folder, progress cycle, page table.
#include "app_dir.h"
#include "control_ids.h"
#include "licence_text.h"
#include "page_table.h"
#include "progress_cycle.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace core;

namespace {

TEST(LicenceText, LineEndsAndSpecialBytes) {
    struct Case {
        const char* name;
        std::string bytes;
        std::string text;
    };
    const std::string line300(300, 'x');
    const Case cases[] = {
        {"LF file", "one\ntwo\n", "one\r\ntwo\r\n"},
        {"CR LF file", "one\r\ntwo\r\n", "one\r\ntwo\r\n"},
        {"last line without line end", "one\ntwo", "one\r\ntwo\r\n"},
        {"empty file", "", ""},
        {"empty lines kept", "a\n\n\nb\n", "a\r\n\r\n\r\nb\r\n"},
        {"only a line end", "\n", "\r\n"},
        {"300-character line", line300 + "\n", line300 + "\r\n"},
        {"Ctrl+Z ends the text",
         "kept\n\x1A"
         "dropped\n",
         "kept\r\n"},
        {"Ctrl+Z inside a line", "ke\x1Apt\n", "ke\r\n"},
        {"lone CR stays", "a\rb\n", "a\rb\r\n"},
        {"CR at the very end", "a\r", "a\r\r\n"},
        {"ANSI bytes unchanged", "\xD0\xED\xBF\xC9\n", "\xD0\xED\xBF\xC9\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(LicenceTextFromBytes(c.bytes), c.text) << c.name;
}

TEST(AppDir, CutAfterLastBackslash) {
    EXPECT_EQ(AppDirFromModulePath("C:\\setup\\Setup.exe"), "C:\\setup\\");
    EXPECT_EQ(AppDirFromModulePath("Setup.exe"), "");
    EXPECT_EQ(AppDirFromModulePath(""), "");
    EXPECT_EQ(AppDirFromModulePath("C:\\"), "C:\\");
    // "C:\Тест\Setup.exe" in UTF-8.
    EXPECT_EQ(AppDirFromModulePath("C:\\\xD0\xA2\xD0\xB5\xD1\x81\xD1\x82\\Setup.exe"),
              "C:\\\xD0\xA2\xD0\xB5\xD1\x81\xD1\x82\\");
}

TEST(ProgressCycle, TwentyOneTicksThenFinish) {
    int32_t step = 0;
    std::vector<int32_t> sent;
    std::vector<int> perTick;
    for (int tick = 0; tick < 21; ++tick) {
        int32_t positions[2];
        const int n = ProgressTick(step, positions);
        perTick.push_back(n);
        sent.insert(sent.end(), positions, positions + n);
    }
    std::vector<int32_t> expected;
    for (int32_t i = 0; i < 20; ++i) expected.push_back(i);
    expected.push_back(0);  // the wrap, within the 20th tick
    expected.push_back(0);  // the 21st tick
    EXPECT_EQ(sent, expected);
    EXPECT_EQ(perTick[19], 2);
    EXPECT_EQ(perTick[20], 1);
    EXPECT_EQ(step, 1);  // the Finish timer leaves the step where it is
}

TEST(PageTable, EveryPageShowsExactlyItsControls) {
    struct Expect {
        int page;
        std::set<int> shown;
        std::set<int> disabled;
        int focus;
    };
    const Expect pages[] = {
        {kPageWelcome,
         {IDC_WELCOME_NEXT, IDC_WELCOME_CANCEL, IDC_WELCOME_TITLE, IDC_WELCOME_TEXT},
         {IDC_WELCOME_BACK},
         IDC_WELCOME_NEXT},
        {kPageLicence, {IDC_ACCEPT, IDC_LICENSE_CANCEL, IDC_LICENSE_EDIT}, {IDC_LICENSE_BACK}, IDC_ACCEPT},
        {kPageInstalling,
         {IDC_INSTALL_NEXT, IDC_INSTALL_CANCEL, IDC_ANIMATION, IDC_INSTALLING},
         {IDC_INSTALL_BACK, IDC_INSTALL_NEXT},
         IDC_INSTALLING},
        {kPageFinish,
         {IDC_FINISH, IDC_FINISH_CANCEL, IDC_FINISH_TITLE, IDC_FINISH_TEXT},
         {IDC_FINISH_BACK, IDC_FINISH_CANCEL},
         IDC_FINISH},
    };
    const int kIdOk = 1, kIdCancel = 2;  // the template's own OK and Cancel, hidden once at start
    const std::set<int> neverTouched = {kIdOk, kIdCancel, IDC_WELCOME_LABEL, IDC_TITLE, IDC_LICENSE_RICHEDIT};
    const std::set<int> backButtons = {IDC_WELCOME_BACK, IDC_INSTALL_BACK, IDC_FINISH_BACK, IDC_LICENSE_BACK};
    const std::set<int> buttons = {IDC_WELCOME_BACK,  IDC_WELCOME_NEXT,   IDC_WELCOME_CANCEL, IDC_INSTALL_BACK,
                                   IDC_INSTALL_NEXT,  IDC_INSTALL_CANCEL, IDC_FINISH_BACK,    IDC_FINISH,
                                   IDC_FINISH_CANCEL, IDC_LICENSE_BACK,   IDC_ACCEPT,         IDC_LICENSE_CANCEL};
    for (const Expect& e : pages) {
        std::set<int> shown, hidden, disabled;
        const PageSteps steps = StepsForPage(e.page);
        bool seenDisable = false;
        for (size_t i = 0; i < steps.count; ++i) {
            const PageStep& s = steps.steps[i];
            EXPECT_EQ(neverTouched.count(s.controlId), 0u) << "page " << e.page << " touches " << s.controlId;
            if (s.action == PageAction::Disable) {
                disabled.insert(s.controlId);
                seenDisable = true;
                continue;
            }
            // Buttons first, then their disabling, then everything else.
            if (seenDisable) {
                EXPECT_EQ(buttons.count(s.controlId), 0u)
                    << "page " << e.page << ": button " << s.controlId << " after the disabling";
            }
            (s.action == PageAction::Show ? shown : hidden).insert(s.controlId);
        }
        EXPECT_EQ(shown, e.shown) << "page " << e.page;
        EXPECT_EQ(disabled, e.disabled) << "page " << e.page;
        for (int id : shown) EXPECT_EQ(hidden.count(id), 0u) << "page " << e.page << " shows and hides " << id;
        for (int id : backButtons) EXPECT_EQ(shown.count(id), 0u) << "a Back button is shown on page " << e.page;
        EXPECT_EQ(FocusControlForPage(e.page), e.focus);
        EXPECT_EQ(shown.count(e.focus), 1u) << "focus goes to a control the page shows";
        // The progress bar is touched on pages 0 and 3 only, and never shown.
        EXPECT_EQ(hidden.count(IDC_PROGRESS), e.page == kPageWelcome || e.page == kPageFinish ? 1u : 0u);
    }
    EXPECT_EQ(StepsForPage(4).count, 0u);
    EXPECT_EQ(StepsForPage(-1).count, 0u);
    EXPECT_EQ(FocusControlForPage(4), 0);
}

}  // namespace
