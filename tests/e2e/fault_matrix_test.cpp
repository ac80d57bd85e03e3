// The fault matrix: the real Wi-FiSkylark.exe under the faults a user's machine brings, each case
// driven as a user would (Next, Accept, OK on every message, Finish) until the program ends. For
// every case: no crash, no hang, a message naming the file where the user must act, the exit code
// that the README lists, no Finish page after a failure, and nothing new in the application folder.
//
// Each observed outcome is also written as a row of docs/robustness.md, to the file named by
// SKYLARK_ROBUSTNESS_ROWS (tests/e2e/robustness_report.py puts the rows of every run together).
// Cases named *ChineseCodePage* need Wine under a Chinese locale, and those named *WesternCodePage*
// under a Western one: each kind runs in a registration of its own; the DLL-planting case needs WINEDLLOVERRIDES from its registration (CMakeLists.txt).
#include "wizard_fixture.h"

#include "gif_walker.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <vector>

namespace e2e {
namespace {

// Started again as a child by the DLL-planting case, from the planted folder: it loads the DLLs
// named in SKYLARK_LOAD_BY_NAME by name only, as a careless program would, and ends.
const bool kCarelessLoaderChild = [] {
    char names[512];
    const DWORD n = GetEnvironmentVariableA("SKYLARK_LOAD_BY_NAME", names, sizeof names);
    if (n == 0 || n >= sizeof names) return false;
    std::istringstream list(names);
    for (std::string name; std::getline(list, name, ';');) LoadLibraryA(name.c_str());
    ExitProcess(0);
}();

constexpr DWORD kCaseBoundMs = 240000;   // a case that has not ended by then hangs
constexpr DWORD kRetryActionMs = 20000;  // a click that changed nothing is made again
constexpr const char* kQuickRun = "1";   // seconds the stand-in package runs in most cases
const char* const kPlantedNames[] = {"riched32.dll", "riched20.dll", "comctl32.dll"};

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); !from.empty() && at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

// Every file and folder under dir (which ends in a backslash), with the sizes of the files.
void ListTree(const std::string& dir, const std::string& relative, std::map<std::string, uint64_t>& out) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(WideFromUtf8(dir + relative + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = Utf8FromWide(found.cFileName);
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out[relative + name + "\\"] = 0;
            ListTree(dir, relative + name + "\\", out);
        } else {
            out[relative + name] = (uint64_t(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

std::map<std::string, uint64_t> ListTree(const std::string& dir) {
    std::map<std::string, uint64_t> out;
    ListTree(dir, "", out);
    return out;
}

// Bytes that are no known format, the same in every run.
std::string Garbage(size_t size) {
    std::string bytes(size, '\0');
    uint32_t state = 0x2545F491;
    for (char& c : bytes) {
        state = state * 1664525u + 1013904223u;
        c = static_cast<char>(state >> 24);
    }
    return bytes;
}

// The GIF cut off in the middle of the image data of its second frame.
std::string TruncatedMidFrame(const std::string& gif) {
    const auto* d = reinterpret_cast<const uint8_t*>(gif.data());
    core::GifWalker walker;
    if (!walker.Start(d, gif.size()) || !walker.SkipGraphicBlock()) return std::string();
    while (walker.ClassifyBlock() != core::GifBlockKind::ImageDescriptor) {
        if (!walker.SkipBlock()) return std::string();
    }
    // Image descriptor: 10 bytes, +9 packed (bit 7: a local table, bits 0-2: its size), then the
    // LZW minimum code size and the data.
    const size_t image = walker.Offset();
    if (!walker.SkipBlock() || walker.Offset() >= gif.size()) return std::string();
    const uint8_t packed = d[image + 9];
    const size_t dataStart = image + 10 + ((packed & 0x80) ? 3u << ((packed & 7) + 1) : 0) + 1;
    return gif.substr(0, dataStart + (walker.Offset() - dataStart) / 2);
}

// What the user saw and what the program left.
struct Outcome {
    std::vector<Page> pages;            // in the order they came
    std::vector<std::string> messages;  // the text of each message box
    bool ended = false;                 // false: still running at the bound, then ended by force
    DWORD exitCode = 0;
    bool packageRunningAtFinish = false;
    std::string licenceText;                 // the licence box's text on the Licence page
    std::string hiddenLicenceText;           // the hidden rich edit's text then
    std::vector<std::string> modalFaults;    // a message the wizard window did not wait behind
    std::vector<std::string> keyNotes;       // what keys typed at the wizard did to a message
    std::vector<std::string> folderChanges;  // names added to, removed from or changed in the folder
    bool Saw(Page page) const {
        for (Page p : pages) {
            if (p == page) return true;
        }
        return false;
    }
};

// A user who clicks forward wherever the wizard lets them, answers each message with OK and
// clicks Finish at the end. Step() looks at the screen once and acts at most once.
class User {
public:
    explicit User(const std::string& appDir) : m_appDir(appDir) {}

    bool Start(const std::string& exePath, const Environment& env) {
        m_deadline = GetTickCount64() + kCaseBoundMs;
        return m_wizard.Start(exePath, "", env);
    }
    bool Start(const std::wstring& exePath, const Environment& env) {
        m_deadline = GetTickCount64() + kCaseBoundMs;
        return m_wizard.Start(exePath, env);
    }

    // True once the program has ended (or been ended at the bound).
    bool Step() {
        if (m_done) return true;
        if (!m_wizard.Running()) {
            m_outcome.ended = m_wizard.WaitForExit(m_outcome.exitCode, 0);
            return m_done = true;
        }
        if (GetTickCount64() >= m_deadline) {
            DWORD ignored = 0;
            m_wizard.WaitForExit(ignored, 0);  // ends it
            return m_done = true;
        }
        // Nothing is clicked on a page while a message box is up: the page waits behind it.
        if (HWND box = m_wizard.FindMessageBox()) {
            if (m_answered.insert(box).second) {
                const std::string text = WindowText(GetDlgItem(box, kMessageBoxTextId));
                m_outcome.messages.push_back(text);
                if (HWND wizard = m_wizard.FindDialogWith(IDC_TITLE)) {
                    Page behind;
                    NotePage(behind);
                    TryToGetPast(box, wizard, text);
                }
            }
            if (IsWindow(box)) PressMessageBoxOk(box);
            return false;
        }
        if (!m_wizard.WaitForDialogWith(IDC_TITLE, 0)) return false;
        Page page;
        if (!NotePage(page)) return false;
        const ULONGLONG now = GetTickCount64();
        if (m_lastAction == 0 || now - m_lastAction >= kRetryActionMs) {
            m_lastAction = now;
            if (const int forward = ControlsOf(page).forwardId) m_wizard.Click(forward);
        }
        return false;
    }

    Outcome& Result() { return m_outcome; }

private:
    // A message shown while the wizard window is up must belong to it: owned by it, with the wizard
    // disabled behind it. Then the user's impatient Escape and Alt+F4, typed at the wizard, can at
    // most close the message: they never end the wizard with another exit code.
    void TryToGetPast(HWND box, HWND wizard, const std::string& text) {
        if (GetWindow(box, GW_OWNER) != wizard) m_outcome.modalFaults.push_back("not owned by the wizard: " + text);
        if (IsWindowEnabled(wizard)) m_outcome.modalFaults.push_back("the wizard stayed enabled behind: " + text);
        const auto boxGoneOrEnded = [&] { return !IsWindow(box) || !m_wizard.Running(); };
        TypeKeyAt(wizard, VK_ESCAPE);
        if (WaitUntil(boxGoneOrEnded, 2000)) {
            m_outcome.keyNotes.push_back("Escape typed at the wizard closed the message");
            return;
        }
        TypeKeyAt(wizard, VK_F4, VK_MENU);
        m_outcome.keyNotes.push_back(WaitUntil(boxGoneOrEnded, 2000)
                                         ? "Alt+F4 typed at the wizard closed the message"
                                         : "the message stayed through Escape and Alt+F4 typed at the wizard");
    }

    // The page the wizard shows now, noted when it is new; false when no page shows.
    bool NotePage(Page& page) {
        if (!m_wizard.CurrentPage(page)) return false;
        if (m_outcome.pages.empty() || m_outcome.pages.back() != page) {
            m_outcome.pages.push_back(page);
            if (page == Page::Licence) {
                m_outcome.licenceText = m_wizard.Text(IDC_LICENSE_EDIT);
                m_outcome.hiddenLicenceText = m_wizard.Text(IDC_LICENSE_RICHEDIT);
            }
            if (page == Page::Finish)
                m_outcome.packageRunningAtFinish = !ProcessesUnder(m_appDir, "Skylark48.exe").empty();
            m_lastAction = 0;
        }
        return true;
    }

    std::string m_appDir;
    WizardDriver m_wizard;
    Outcome m_outcome;
    std::set<HWND> m_answered;
    ULONGLONG m_deadline = 0;
    ULONGLONG m_lastAction = 0;
    bool m_done = false;
};

// Runs users side by side until every program has ended.
void RunAll(std::vector<User*> users) {
    WaitUntil(
        [&] {
            bool all = true;
            for (User* user : users) all = user->Step() && all;
            return all;
        },
        kCaseBoundMs + 30000);
}

// What a case must show. A case that fails must name the file the user has to see to.
struct Expected {
    DWORD exitCode = 0;
    const char* namedFile = nullptr;  // relative to the folder: a message must give its full path
    const char* message = nullptr;    // or the one message's whole text
    std::string licenceText;          // what the licence box must show, if the case says
};

Expected Completes() { return {}; }
Expected CompletesAfterMessage(const char* file) { return {0, file, nullptr, {}}; }
Expected FailsNaming(DWORD code, const char* file) { return {code, file, nullptr, {}}; }
Expected FailsSaying(DWORD code, const char* message) { return {code, nullptr, message, {}}; }
Expected CompletesShowingLicence(const std::string& text) { return {0, nullptr, nullptr, text}; }

// Rows of docs/robustness.md, in the order the cases ran. Everything given is UTF-8, with the
// application folder's path spelt out; the row has "<folder>" for it (inside code spans, where
// Markdown shows it as it is).
void ReportRow(const std::string& label, const Outcome& outcome, const std::string& appDir, const std::string& notes,
               bool passed) {
    char path[MAX_PATH * 2];
    const DWORD n = GetEnvironmentVariableA("SKYLARK_ROBUSTNESS_ROWS", path, sizeof path);
    if (n == 0 || n >= sizeof path) return;
    std::string file = path;
    if (file[0] == '/') file = WindowsPathFromUnix(file);

    auto cell = [&](std::string text) {
        ReplaceAll(text, appDir, "<folder>\\");
        ReplaceAll(text, "\r\n", " ");
        ReplaceAll(text, "|", "\\|");
        return text;
    };
    const std::string arrow = " \xE2\x86\x92 ";
    std::string pages;
    for (Page p : outcome.pages) pages += (pages.empty() ? "" : arrow) + ControlsOf(p).name;
    std::string messages;
    for (const auto& m : outcome.messages) messages += (messages.empty() ? "" : "; ") + ("`" + cell(m) + "`");
    std::string exit = "did not end";
    if (outcome.ended) {
        char code[16];
        wsprintfA(code, outcome.exitCode > 0xFFFF ? "0x%08lX" : "%lu", outcome.exitCode);
        exit = code;
    }
    const std::string row = "| " + cell(label) + " | " + (pages.empty() ? "none" : pages) + " | " +
                            (messages.empty() ? "none" : messages) + " | " + exit + " | " +
                            (outcome.folderChanges.empty() ? "yes" : "no") + " | " + cell(notes) + " | " +
                            (passed ? "pass" : "**FAIL**") + " |\n";

    static bool s_first = true;  // the first row of a run starts the file afresh
    HANDLE out = CreateFileA(file.c_str(), s_first ? GENERIC_WRITE : FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                             s_first ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    s_first = false;
    if (out == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(out, row.data(), static_cast<DWORD>(row.size()), &written, nullptr);
    CloseHandle(out);
}

class FaultMatrix : public ::testing::Test {
protected:
    // One case: a fresh copy of dist (with options), the user's run through it, the checks, a row.
    // Returns how many times the package started, or a program from data\ ran (what was still
    // running at the end, the stand-in aside, never wrote a record).
    size_t RunCase(const std::string& label, const std::string& dist, const DistCopyOptions& options,
                   const Expected& expected, const char* standInSeconds = kQuickRun, const Environment& env = {}) {
        auto copy = std::make_unique<DistCopy>(dist, options);
        EXPECT_TRUE(copy->Ok()) << copy->Error();
        if (!copy->Ok()) return 0;
        return Check(label, *copy, copy->AppDir(), expected, standInSeconds, 1, "", env) + m_leftRunning;
    }

    int m_leftRunning = 0;  // programs under data\ that the last case's end found still running

    // Starts `copies` wizards at once from appDir (by its Unicode path wideExe, if given) and
    // checks each of them; returns the number of package starts.
    size_t Check(const std::string& label, const DistCopy& copy, const std::string& appDir, const Expected& expected,
                 const char* standInSeconds, int copies, const std::string& extraNotes = "",
                 const Environment& extraEnv = {}, const std::wstring& wideExe = L"") {
        SCOPED_TRACE(label);
        const std::string record = copy.Root() + "package-starts.txt";
        const auto before = ListTree(appDir);
        std::vector<std::unique_ptr<User>> users;
        std::vector<User*> running;
        for (int i = 0; i < copies; ++i) {
            users.push_back(std::make_unique<User>(appDir));
            Environment env = {{"SKYLARK_STANDIN_SECONDS", standInSeconds}, {"SKYLARK_STANDIN_RECORD", record}};
            env.insert(env.end(), extraEnv.begin(), extraEnv.end());
            const bool started = wideExe.empty() ? users.back()->Start(appDir + "Wi-FiSkylark.exe", env)
                                                 : users.back()->Start(wideExe, env);
            EXPECT_TRUE(started) << LastErrorText();
            running.push_back(users.back().get());
        }
        RunAll(running);
        // A package still running is no change the wizard made; it is ended before the folder is read.
        m_leftRunning = TerminateProcessesUnder(appDir + "data\\") + TerminateProcessesUnder(PrivatePackageFolders());
        const auto after = ListTree(appDir);

        // Every start of the package, from any copy, has the quoted command line: of data\, or of
        // a released program's private copy.
        std::string starts;
        ReadWholeFile(record, starts);
        const std::string commandLine = "\"" + appDir + "data\\Skylark48.exe\" /s";
        size_t startCount = 0;
        bool passed = true;
        std::istringstream lines(starts);
        for (std::string line; std::getline(lines, line); ++startCount) {
            const bool quoted = line == commandLine || IsPrivateCopyStart(line);
            EXPECT_TRUE(quoted) << "the package's command line: " << line;
            passed = passed && quoted;
        }

        for (auto& user : users) {
            Outcome& outcome = user->Result();
            for (const auto& entry : after) {
                const auto was = before.find(entry.first);
                if (was == before.end())
                    outcome.folderChanges.push_back("added " + entry.first);
                else if (was->second != entry.second)
                    outcome.folderChanges.push_back("changed " + entry.first);
            }
            for (const auto& entry : before) {
                if (!after.count(entry.first)) outcome.folderChanges.push_back("removed " + entry.first);
            }
            passed = Verify(outcome, appDir, expected) && passed;
        }

        std::string notes = extraNotes;
        auto addNote = [&](const std::string& note) { notes += (notes.empty() ? "" : "; ") + note; };
        if (copies > 1) addNote(std::to_string(copies) + " copies, each as shown");
        addNote("package started " + std::to_string(startCount) + " time" + (startCount == 1 ? "" : "s"));
        if (users.front()->Result().packageRunningAtFinish) addNote("package still running at Finish");
        for (const auto& note : users.front()->Result().keyNotes) addNote(note);
        ReportRow(label, users.front()->Result(), appDir, notes, passed);
        return startCount;
    }

    // The checks every case makes; false if any failed.
    static bool Verify(const Outcome& outcome, const std::string& appDir, const Expected& expected) {
        bool ok = true;
        auto check = [&](bool good, const std::string& what) {
            if (!good) ADD_FAILURE() << what;
            ok = ok && good;
        };
        check(outcome.ended, "the wizard hung: still running after " + std::to_string(kCaseBoundMs) + " ms");
        check(outcome.exitCode == expected.exitCode, "exit code " + std::to_string(outcome.exitCode) + ", not " +
                                                         std::to_string(expected.exitCode) +
                                                         " (a crash shows as an exception code)");
        if (expected.exitCode != 0) {
            check(!outcome.Saw(Page::Finish), "a failed run showed the Finish page");
        } else {
            check(outcome.Saw(Page::Finish), "the wizard ended without its Finish page");
        }
        if (expected.namedFile) {
            const std::string path = appDir + expected.namedFile;
            bool named = false;
            for (const auto& m : outcome.messages) named = named || m.find(path) != std::string::npos;
            check(named && outcome.messages.size() == 1, "not one message naming " + path);
        } else if (expected.message) {
            check(outcome.messages.size() == 1 && outcome.messages.front() == expected.message,
                  std::string("not the one message \"") + expected.message + "\"");
        } else {
            check(outcome.messages.empty(), "a message: " + (outcome.messages.empty() ? "" : outcome.messages.front()));
        }
        if (!expected.licenceText.empty()) {
            check(outcome.licenceText == expected.licenceText,
                  "the licence box showed \"" + outcome.licenceText + "\"");
            // The rich edit keeps paragraphs with a lone CR: the same text, line ends aside.
            std::string hidden = outcome.hiddenLicenceText, shown = expected.licenceText;
            ReplaceAll(hidden, "\r\n", "\r");
            ReplaceAll(shown, "\r\n", "\r");
            check(hidden == shown, "the hidden rich edit held \"" + outcome.hiddenLicenceText + "\"");
        }
        for (const auto& fault : outcome.modalFaults) check(false, "message box " + fault);
        for (const auto& change : outcome.folderChanges) check(false, "application folder: " + change);
        return ok;
    }
};

struct DataFault {
    const char* file;  // in data\ (the relative path)
    Expected missing, empty, garbage;
};

TEST_F(FaultMatrix, EachDataFileMissingEmptyOrGarbage) {
    // The test prefix reports 96 DPI: the 125 and 150 DPI pictures are not read at all there.
    const DataFault faults[] = {
        {"data\\License.txt", FailsNaming(3, "data\\License.txt"), Completes(), Completes()},
        {"data\\main96DPI.jpg", CompletesAfterMessage("data\\main96DPI.jpg"), Completes(), Completes()},
        {"data\\main125DPI.jpg", Completes(), Completes(), Completes()},
        {"data\\main150DPI.jpg", Completes(), Completes(), Completes()},
        {"data\\zv_reset_animation.gif", Completes(), Completes(), Completes()},
        {"data\\Skylark48.exe", FailsNaming(2, "data\\Skylark48.exe"), FailsNaming(2, "data\\Skylark48.exe"),
         FailsNaming(2, "data\\Skylark48.exe")},
    };
    for (const auto& fault : faults) {
        const std::string name = std::string(fault.file).substr(5);
        DistCopyOptions missing;
        missing.removeFiles = {fault.file};
        RunCase(name + " missing", ShippedDist(), missing, fault.missing);
        DistCopyOptions empty;
        empty.replaceFiles = {{fault.file, ""}};
        RunCase(name + " empty", ShippedDist(), empty, fault.empty);
        DistCopyOptions garbage;
        garbage.replaceFiles = {{fault.file, Garbage(4096)}};
        RunCase(name + " replaced by garbage", ShippedDist(), garbage, fault.garbage);
    }
}

TEST_F(FaultMatrix, AnimationCutOffMidFrame) {
    std::string gif;
    ASSERT_TRUE(ReadWholeFile(ShippedDist() + "\\data\\zv_reset_animation.gif", gif));
    const std::string cut = TruncatedMidFrame(gif);
    ASSERT_FALSE(cut.empty()) << "the sample animation has no second frame to cut";
    DistCopyOptions options;
    options.replaceFiles = {{"data\\zv_reset_animation.gif", cut}};
    RunCase("zv_reset_animation.gif cut off in its second frame", ShippedDist(), options, Completes());
}

// The released program (the test build pinned to its own folder) uses only the files released:
// anything else is refused with one message naming it, exit code 5, and the package never starts.
TEST_F(FaultMatrix, ReleasedFolderRefusesEveryChangedFile) {
    EXPECT_EQ(RunCase("released folder, as released", PinnedTestDist(), {}, Completes()), 1u);

    std::string package, wizard, licence, picture;
    ASSERT_TRUE(ReadWholeFile(PinnedTestDist() + "\\data\\Skylark48.exe", package));
    ASSERT_TRUE(ReadWholeFile(PinnedTestDist() + "\\Wi-FiSkylark.exe", wizard));
    ASSERT_TRUE(ReadWholeFile(PinnedTestDist() + "\\data\\License.txt", licence));
    ASSERT_TRUE(ReadWholeFile(PinnedTestDist() + "\\data\\main125DPI.jpg", picture));
    std::string changedPackage = package;
    changedPackage[changedPackage.size() / 2] ^= 1;
    // The smallest GIF there is: one white pixel.
    const std::string otherGif("GIF89a\x01\0\x01\0\x80\0\0\0\0\0\xff\xff\xff,\0\0\0\0\x01\0\x01\0\0\x02\x02\x44\x01\0;", 35);

    struct Damage {
        const char* label;
        const char* file;
        bool removed;
        std::string replacement;
    };
    const Damage damages[] = {
        {"one byte of the package changed", "data\\Skylark48.exe", false, changedPackage},
        {"package swapped for another program", "data\\Skylark48.exe", false, wizard},
        {"package missing", "data\\Skylark48.exe", true, ""},
        {"licence with one more line", "data\\License.txt", false, licence + "One more line.\r\n"},
        {"main96DPI.jpg swapped for another picture", "data\\main96DPI.jpg", false, picture},
        {"animation swapped for another GIF", "data\\zv_reset_animation.gif", false, otherGif},
        {"main150DPI.jpg missing (not even read at 96 DPI)", "data\\main150DPI.jpg", true, ""},
    };
    for (const Damage& damage : damages) {
        DistCopyOptions options;
        if (damage.removed)
            options.removeFiles = {damage.file};
        else
            options.replaceFiles = {{damage.file, damage.replacement}};
        const size_t ran = RunCase(std::string("released folder: ") + damage.label, PinnedTestDist(), options,
                                   FailsNaming(5, damage.file));
        EXPECT_EQ(ran, 0u) << damage.label << ": the package started";
    }
}

TEST_F(FaultMatrix, PackageThatExitsAtOnce) { RunCase("package exits at once", ShippedDist(), {}, Completes(), "0"); }

TEST_F(FaultMatrix, PackageThatOutlivesTheFallback) {
    // The test build: its Finish fallback would fire long before this package ends, were the
    // package not followed.
    RunCase("package runs longer than the Finish fallback (test build)", TestDist(), {}, Completes(), "12");
}

TEST_F(FaultMatrix, FolderWithSpaces) {
    DistCopyOptions options;
    options.folderName = "Wi-Fi Skylark 48 Set-up";
    auto copy = std::make_unique<DistCopy>(ShippedDist(), options);
    ASSERT_TRUE(copy->Ok()) << copy->Error();
    Check("application folder with spaces", *copy, copy->AppDir(), Completes(), kQuickRun, 1,
          "command line `\"" + copy->Path("data\\Skylark48.exe") + "\" /s`");
}

TEST_F(FaultMatrix, PathCloseToMaxPath) {
    auto copy = std::make_unique<DistCopy>(ShippedDist(), DistCopyOptions{});
    ASSERT_TRUE(copy->Ok()) << copy->Error();
    // Renamed so that the longest path the wizard opens, its animation, is MAX_PATH - 1 characters.
    const std::string longest = "data\\zv_reset_animation.gif";
    const size_t folderLength = MAX_PATH - 1 - longest.size() - copy->Root().size() - 1;
    std::string folder;
    while (folder.size() < folderLength) folder += "Skylark Set-up ";
    folder.resize(folderLength);
    folder.back() = 'x';  // a name does not end in a space
    const std::string appDir = copy->Root() + folder + "\\";
    ASSERT_TRUE(MoveFileA(copy->AppDir().c_str(), appDir.c_str())) << LastErrorText();
    ASSERT_EQ((appDir + longest).size(), size_t(MAX_PATH - 1));
    Check("folder path of " + std::to_string(appDir.size()) + " characters: the longest file path is MAX_PATH - 1",
          *copy, appDir, Completes(), kQuickRun, 1);
}

TEST_F(FaultMatrix, TwoCopiesAtOnce) {
    auto copy = std::make_unique<DistCopy>(ShippedDist(), DistCopyOptions{});
    ASSERT_TRUE(copy->Ok()) << copy->Error();
    EXPECT_EQ(Check("two copies started at once", *copy, copy->AppDir(), Completes(), kQuickRun, 2), 2u);
}

TEST_F(FaultMatrix, PlantedDllsAreNeverLoaded) {
    std::string dll, self;
    ASSERT_TRUE(ReadWholeFile(WindowsPathFromUnix(SKYLARK_PLANTED_DLL), dll));
    char selfPath[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, selfPath, MAX_PATH);
    ASSERT_TRUE(n > 0 && n < MAX_PATH);
    ASSERT_TRUE(ReadWholeFile(selfPath, self));

    DistCopyOptions options;
    std::string names, overrides;
    for (const char* name : kPlantedNames) {
        options.replaceFiles.push_back({name, dll});
        names += (names.empty() ? "" : ";") + std::string(name);
        overrides += (overrides.empty() ? "" : ",") + std::string(name).substr(0, std::string(name).find('.'));
    }
    auto copy = std::make_unique<DistCopy>(ShippedDist(), options);
    ASSERT_TRUE(copy->Ok()) << copy->Error();
    std::string label = "DLLs planted beside the program:";
    for (const char* name : kPlantedNames) label += std::string(" ") + name;
    // A marker the DLL leaves is a file added to the folder: the check of every case catches it.
    Check(label, *copy, copy->AppDir(), Completes(), kQuickRun, 1, "no planted DLL loaded");

    // The control: a program in the same folder that loads these names by name gets the planted
    // copies. Without that, Wine took its own DLLs whatever the search, and the run above proves nothing.
    const std::string loader = copy->Path("careless-loader.exe");
    ASSERT_TRUE(WriteWholeFile(loader, self));
    DrivenProcess careless;
    ASSERT_TRUE(careless.Start(loader, "", {{"SKYLARK_LOAD_BY_NAME", names}})) << LastErrorText();
    DWORD code = 0;
    ASSERT_TRUE(careless.WaitForExit(code));
    for (const char* name : kPlantedNames) {
        EXPECT_TRUE(FileExists(copy->Path(name) + ".loaded"))
            << name << " by name did not load the planted copy: is WINEDLLOVERRIDES=" << overrides
            << "=n,b set for this test?";
    }
}

TEST_F(FaultMatrix, NonAsciiFolderUnderChineseCodePage) {
    ASSERT_EQ(GetACP(), 936u) << "Wine must run under a Chinese locale (LANG=zh_CN.UTF-8, made by scripts/bootstrap)";
    // "淺水 无线网卡驱动": in GBK the first character's second byte is 0x5C, the value of a backslash.
    DistCopyOptions options;
    options.folderName = "\xE6\xB7\xBA\xE6\xB0\xB4 \xE6\x97\xA0\xE7\xBA\xBF\xE7\xBD\x91\xE5\x8D\xA1\xE9\xA9\xB1\xE5\x8A\xA8";
    auto copy = std::make_unique<DistCopy>(ShippedDist(), options);
    ASSERT_TRUE(copy->Ok()) << copy->Error();
    Check("non-ASCII folder \"" + options.folderName + "\" under ANSI code page 936 (a trail byte 0x5C)", *copy,
          copy->AppDir(), Completes(), kQuickRun, 1);
}

TEST_F(FaultMatrix, OperatingSystemRefused) {
    ReportedVersion version("win2k");
    ASSERT_TRUE(version.Ok());
    RunCase("Windows 2000 reported: refused", ShippedDist(), {}, FailsSaying(1, "Driver not support Current OS type!"));
}

TEST_F(FaultMatrix, InstallationWorkerThatCannotStart) {
    RunCase("installation worker cannot be started (test build's switch)", TestDist(), {},
            FailsNaming(2, "data\\Skylark48.exe"), kQuickRun, {{"SKYLARK_TEST_FAIL_WORKER_START", "1"}});
}

// "© “Skylark” café", then Russian, Greek and Chinese lines: code page 1252 spells only the first.
const char kUtf8Licence[] =
    "\xC2\xA9 \xE2\x80\x9CSkylark\xE2\x80\x9D caf\xC3\xA9\r\n"
    "\xD0\x9B\xD0\xB8\xD1\x86\xD0\xB5\xD0\xBD\xD0\xB7\xD0\xB8\xD1\x8F\r\n"  // Лицензия
    "\xCE\x86\xCE\xB4\xCE\xB5\xCE\xB9\xCE\xB1\r\n"                          // Άδεια
    "\xE8\xAE\xB8\xE5\x8F\xAF\xE5\x8D\x8F\xE8\xAE\xAE\r\n";                 // 许可协议

std::string Utf16LeWithMark(const std::string& utf8) {
    const std::wstring wide = WideFromUtf8(utf8);
    std::string bytes = "\xFF\xFE";
    for (wchar_t unit : wide) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

TEST_F(FaultMatrix, UnicodeLicencesUnderWesternCodePage) {
    ASSERT_EQ(GetACP(), 1252u) << "Wine must run under a Western locale (LANG=en_US.UTF-8, made by scripts/bootstrap)";
    const std::pair<const char*, std::string> licences[] = {
        {"License.txt saved as UTF-16 with a mark (Notepad's Unicode)", Utf16LeWithMark(kUtf8Licence)},
        {"License.txt saved as UTF-8 with a mark", std::string("\xEF\xBB\xBF") + kUtf8Licence},
        {"License.txt saved as UTF-8 without a mark", kUtf8Licence},
    };
    for (const auto& licence : licences) {
        DistCopyOptions options;
        options.replaceFiles = {{"data\\License.txt", licence.second}};
        RunCase(std::string(licence.first) + ", code page 1252", ShippedDist(), options,
                CompletesShowingLicence(kUtf8Licence));
    }
}

TEST_F(FaultMatrix, CyrillicFolderUnderWesternCodePage) {
    ASSERT_EQ(GetACP(), 1252u) << "Wine must run under a Western locale (LANG=en_US.UTF-8, made by scripts/bootstrap)";
    auto copy = std::make_unique<DistCopy>(ShippedDist(), DistCopyOptions{});
    ASSERT_TRUE(copy->Ok()) << copy->Error();
    // "Тест папка": the ANSI form of this name is "???? ?????", a folder that does not exist.
    const std::wstring asCopied = WideFromUtf8(copy->AppDir().substr(0, copy->AppDir().size() - 1));
    const std::wstring cyrillic =
        WideFromUtf8(copy->Root()) + L"\x0422\x0435\x0441\x0442 \x043F\x0430\x043F\x043A\x0430";
    ASSERT_TRUE(MoveFileW(asCopied.c_str(), cyrillic.c_str())) << LastErrorText();
    std::string licence;
    ASSERT_TRUE(ReadWholeFile(ShippedDist() + "\\data\\License.txt", licence));
    ReplaceAll(licence, "\n", "\r\n");

    Check("folder with a Cyrillic name under code page 1252", *copy, Utf8FromWide(cyrillic) + "\\",
          CompletesShowingLicence(licence), kQuickRun, 1, "the package is started by the folder's own name", {},
          cyrillic + L"\\Wi-FiSkylark.exe");
    // Back to the name that the copy's clean-up knows.
    EXPECT_TRUE(MoveFileW(cyrillic.c_str(), asCopied.c_str())) << LastErrorText();
}

}  // namespace
}  // namespace e2e
