// The installation run of the real Wi-FiSkylark.exe under Wine: how the package is started, when
// the Finish page comes, which Windows versions are refused, and how a failed run ends.
#include "wizard_fixture.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

// The shipped program's Finish fallback: app/build_variant.cpp as the shipped program compiles it,
// linked into this test. The runs here wait for the test build's, so nothing else sees this one.
extern const UINT kFinishFallbackMs;

namespace e2e {
namespace {

// Long enough after Accept that the test build's fallback (SKYLARK_E2E_TEST_FALLBACK_MS) would
// have fired, with room for a slow machine.
constexpr DWORD kPastTestFallbackMs = 2 * SKYLARK_E2E_TEST_FALLBACK_MS + 4000;

constexpr const char* kShortRun = "1";
constexpr const char* kCaption = "Wi-FiSkylark";
constexpr const char* kRefusal = "Driver not support Current OS type!";

bool IsListed(DWORD pid) {
    const auto processes = support::ListedProcesses();
    return std::any_of(processes.begin(), processes.end(), [&](const auto& p) { return p.th32ProcessID == pid; });
}

class InstallRunTest : public WizardFixture {
protected:
    void SetUp() override { ReportedVersion::Clear(); }

    // Welcome -> Licence -> Accept: the Installing page, with the run under way (or already done).
    void Accept() { ASSERT_TRUE(m_wizard->GoTo(Page::Installing)) << "the wizard ended on its way there"; }

    // The wizard from a fresh copy of dist, with env, through to the Installing page; the stand-in
    // records its starts in the copy's m_record.
    void StartAndAccept(const std::string& dist, const DistCopyOptions& options, Environment env) {
        ASSERT_NO_FATAL_FAILURE(MakeCopy(dist, options));
        env.push_back({"SKYLARK_STANDIN_RECORD", m_record});
        ASSERT_TRUE(m_wizard->Start(m_copy->ExePath(), "", env)) << LastErrorText();
        ASSERT_TRUE(m_wizard->WaitForWindow());
        ASSERT_NO_FATAL_FAILURE(Accept());
    }

    // Watches the wizard for ms, or until it ends; true as soon as its Finish page shows.
    bool FinishShowsWithin(DWORD ms) const {
        return WaitUntil([&] { return m_wizard->Shows(Page::Finish) || !m_wizard->Running(); }, ms) &&
               m_wizard->Running();
    }

    // A failed run, once its message is closed: the wizard ends with code and never shows Finish.
    void ExpectEndsWithoutFinish(DWORD code) {
        if (FinishShowsWithin(kWaitMs)) {
            ADD_FAILURE() << "the Finish page showed after the message was closed";
            return;  // a wizard on its Finish page would not end by itself
        }
        EXPECT_EQ(ExpectExit(*m_wizard), code);
    }

    std::string PackagePath() const { return m_copy->Path("data\\Skylark48.exe"); }
    // A process of the package runs: from data\ of this wizard's folder, or from a private copy.
    bool PackageRuns() const {
        return !ProcessesUnder(m_copy->Root(), "Skylark48.exe").empty() ||
               !ProcessesUnder(PrivatePackageFolders(), "Skylark48.exe").empty();
    }
    std::string ExpectedCommandLine() const { return "\"" + PackagePath() + "\" /s\n"; }

    // The package's process started by this wizard; 0 if it did not show within the bound.
    DWORD WaitForPackageProcess() const {
        DWORD pid = 0;
        WaitUntil([&] {
            const auto ids = ProcessesUnder(m_copy->Root(), "Skylark48.exe");
            if (!ids.empty()) pid = ids.front();
            return pid != 0 || !m_wizard->Running();
        });
        return pid;
    }

    // The message of a failed run; null if the wizard ended or showed its Finish page instead.
    HWND WaitForRunMessage() const {
        HWND box = nullptr;
        WaitUntil([&] {
            box = m_wizard->FindMessageBox();
            return box || m_wizard->Shows(Page::Finish) || !m_wizard->Running();
        });
        return box;
    }

    static std::string MessageText(HWND box) {
        EXPECT_EQ(WindowText(box), kCaption);
        return WindowText(GetDlgItem(box, kMessageBoxTextId));
    }
};

TEST_F(InstallRunTest, PackageStartsQuotedAndFinishWaitsForItsEnd) {
    ASSERT_NO_FATAL_FAILURE(Start(ShippedDist(), {}, "4"));
    ASSERT_NO_FATAL_FAILURE(Accept());
    const DWORD pid = WaitForPackageProcess();
    ASSERT_NE(pid, 0u) << "the package never started; record: " << PackageStarts();
    DrivenProcess package;
    ASSERT_TRUE(package.Attach(pid)) << LastErrorText();

    // Read the page before asking after the package: a Finish page seen while the package is still
    // listed afterwards came too early.
    bool finishTooEarly = false, installingLeft = false;
    WaitUntil([&] {
        const bool finish = m_wizard->Shows(Page::Finish), installing = m_wizard->Shows(Page::Installing);
        if (!package.Running()) return true;
        finishTooEarly = finishTooEarly || finish;
        installingLeft = installingLeft || !installing;
        return false;
    });
    EXPECT_FALSE(package.Running()) << "the package outlived the bound";
    EXPECT_FALSE(finishTooEarly) << "the Finish page showed while the package was still running";
    EXPECT_FALSE(installingLeft) << "the Installing page went away while the package was still running";

    EXPECT_TRUE(WaitUntil([&] { return m_wizard->Shows(Page::Finish) || !m_wizard->Running(); }))
        << "no Finish page after the package ended";
    EXPECT_TRUE(m_wizard->Shows(Page::Finish)) << "the wizard ended without its Finish page";
    m_wizard->Click(IDC_FINISH);
    EXPECT_EQ(ExpectExit(*m_wizard), 0u);
    EXPECT_EQ(FoldCase(PackageStarts()), FoldCase(ExpectedCommandLine()));
}

struct VersionCase {
    const char* version;
    const char* reported;  // what wine64 reports to a program without a supported-OS manifest
};

TEST_F(InstallRunTest, AcceptedVersionsRunThePackageToFinish) {
    const VersionCase cases[] = {
        {"winxp", "5.1"}, {"win2003", "5.2 server"}, {"vista", "6.0"}, {"win7", "6.1"},
        {"win8", "6.2"},  {"win81", "6.2"},          {"win10", "6.2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.version) + ", reported as " + c.reported);
        ReportedVersion version(c.version);
        ASSERT_TRUE(version.Ok());
        ASSERT_NO_FATAL_FAILURE(Start(ShippedDist(), {}, kShortRun));
        ASSERT_NO_FATAL_FAILURE(Accept());
        if (HWND box = WaitForRunMessage()) {
            ADD_FAILURE() << "the run failed with: " << MessageText(box);
            continue;
        }
        EXPECT_TRUE(m_wizard->Shows(Page::Finish)) << "no Finish page";
        EXPECT_EQ(FoldCase(PackageStarts()), FoldCase(ExpectedCommandLine()));
        m_wizard->Click(IDC_FINISH);
        EXPECT_EQ(ExpectExit(*m_wizard), 0u);
    }
}

TEST_F(InstallRunTest, RefusedVersionsEndWithOneAndStartNothing) {
    const VersionCase cases[] = {{"win2k", "5.0"}, {"nt40", "4.0"}, {"win98", "4.10 build 2222"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.version) + ", reported as " + c.reported);
        ReportedVersion version(c.version);
        ASSERT_TRUE(version.Ok());
        ASSERT_NO_FATAL_FAILURE(Start(TestDist(), {}, kShortRun));
        ASSERT_NO_FATAL_FAILURE(Accept());
        HWND box = WaitForRunMessage();
        ASSERT_NE(box, nullptr) << "no message"
                                << (m_wizard->Shows(Page::Finish) ? "; the Finish page came instead" : "");
        EXPECT_EQ(MessageText(box), kRefusal);

        // The message waits for the user, and the fallback timer must not bring the Finish page
        // behind it meanwhile.
        EXPECT_FALSE(FinishShowsWithin(kPastTestFallbackMs)) << "the Finish page showed after a refusal";
        EXPECT_TRUE(m_wizard->Running()) << "the wizard ended before the user closed the message";
        PressMessageBoxOk(box);
        ExpectEndsWithoutFinish(1u);
        EXPECT_EQ(PackageStarts(), "") << "the package was started";
    }
}

struct StartFailureCase {
    const char* label;
    bool folderInItsPlace;
};

TEST_F(InstallRunTest, PackageThatCannotStartIsNamedAndEndsWithTwo) {
    const StartFailureCase cases[] = {{"missing", false}, {"a folder in its place", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        DistCopyOptions options;
        options.removeFiles = {"data\\Skylark48.exe"};
        ASSERT_NO_FATAL_FAILURE(Start(TestDist(), options, kShortRun));
        if (c.folderInItsPlace) {
            ASSERT_TRUE(CreateDirectoryA(PackagePath().c_str(), nullptr)) << LastErrorText();
        }
        ASSERT_NO_FATAL_FAILURE(Accept());
        HWND box = WaitForRunMessage();
        ASSERT_NE(box, nullptr) << "no message"
                                << (m_wizard->Shows(Page::Finish) ? "; the Finish page came instead" : "");
        const std::string text = MessageText(box);
        EXPECT_NE(FoldCase(text).find(FoldCase(PackagePath())), std::string::npos)
            << "message: " << text << "\npackage: " << PackagePath();

        EXPECT_FALSE(FinishShowsWithin(kPastTestFallbackMs)) << "the Finish page showed after a failed start";
        EXPECT_TRUE(m_wizard->Running()) << "the wizard ended before the user closed the message";
        PressMessageBoxOk(box);
        ExpectEndsWithoutFinish(2u);
    }
}

// A released program holds the package it checked until it has started it: meanwhile nobody can
// write, delete or rename it (the test build pauses while it holds it, when told to).
TEST_F(InstallRunTest, ReleasedPackageIsHeldFromItsCheckUntilItStarts) {
    const std::string events = "skylark-hold-" + std::to_string(GetCurrentProcessId());
    const HANDLE held = CreateEventA(nullptr, TRUE, FALSE, (events + "-held").c_str());
    const HANDLE go = CreateEventA(nullptr, TRUE, FALSE, (events + "-go").c_str());
    ASSERT_TRUE(held && go) << LastErrorText();
    ASSERT_NO_FATAL_FAILURE(MakeCopy(PinnedTestDist(), {}));
    ASSERT_TRUE(m_wizard->Start(m_copy->ExePath(), "",
                                {{"SKYLARK_STANDIN_SECONDS", kShortRun},
                                 {"SKYLARK_STANDIN_RECORD", m_record},
                                 {"SKYLARK_TEST_HOLD_EVENTS", events}}))
        << LastErrorText();
    ASSERT_NE(m_wizard->WaitForDialogWith(IDC_TITLE), nullptr) << "no wizard window";
    ASSERT_NO_FATAL_FAILURE(Accept());
    ASSERT_EQ(WaitForSingleObject(held, kWaitMs), WAIT_OBJECT_0) << "the package was never held";

    const HANDLE writer = CreateFileA(PackagePath().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE) << "opened for writing while held";
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
    EXPECT_FALSE(DeleteFileA(PackagePath().c_str())) << "deleted while held";
    EXPECT_FALSE(MoveFileA(PackagePath().c_str(), (PackagePath() + ".old").c_str())) << "renamed while held";
    EXPECT_TRUE(FileExists(PackagePath()));

    SetEvent(go);
    // Started from its private copy, which the worker holds too.
    EXPECT_NE(FoldCase(FileTextOnceALineIsWritten(m_record)).find(FoldCase(PrivatePackageFolders())), std::string::npos)
        << "the held package did not start from its private copy";
    EXPECT_TRUE(FinishShowsWithin(kWaitMs));
    CloseHandle(held);
    CloseHandle(go);
}

TEST_F(InstallRunTest, FolderWithSpacesNeverRunsAProgramAtItsPrefix) {
    DistCopyOptions options;
    options.folderName = "dir with space";
    ASSERT_NO_FATAL_FAILURE(Start(ShippedDist(), options, "4"));
    // Where an unquoted "<parent>\dir with space\data\Skylark48.exe /s" would lead Windows first.
    const std::string planted = m_copy->Root() + "dir.exe";
    ASSERT_TRUE(CopyFileA(PackagePath().c_str(), planted.c_str(), FALSE)) << LastErrorText();

    ASSERT_NO_FATAL_FAILURE(Accept());
    bool plantedRan = false;
    const bool ended = WaitUntil([&] {
        plantedRan = plantedRan || !ProcessesUnder(m_copy->Root(), "dir.exe").empty();
        return m_wizard->Shows(Page::Finish) || !m_wizard->Running();
    });
    EXPECT_TRUE(ended && m_wizard->Shows(Page::Finish)) << "no Finish page";
    EXPECT_FALSE(plantedRan) << "the program planted at " << planted << " was run";
    EXPECT_EQ(FoldCase(PackageStarts()), FoldCase(ExpectedCommandLine()));
    m_wizard->Click(IDC_FINISH);
    EXPECT_EQ(ExpectExit(*m_wizard), 0u);

    // The trap is real: the unquoted command line, started as Windows would parse it, runs the
    // planted program (this is what the check above would have seen).
    std::string unquoted = PackagePath() + " /s";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &unquoted[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        << LastErrorText();
    char image[MAX_PATH * 2];
    DWORD size = sizeof image;
    const bool named = QueryFullProcessImageNameA(pi.hProcess, 0, image, &size) != FALSE;
    TerminateProcess(pi.hProcess, 0);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    ASSERT_TRUE(named) << LastErrorText();
    EXPECT_EQ(FoldCase(std::string(image, size)), FoldCase(planted))
        << "the unquoted line did not lead to the planted program: the check above proves nothing here";
}

struct OutcomeCase {
    const char* label;
    std::string dist;
    const char* exitCode;  // the stand-in's, or the copy's it hands over to
    bool handOver;
    bool byName;           // the test build follows the package by name, as where a job is refused
    const char* expected;  // in the Finish page's title, or in the message
    DWORD wizardExit;
};

// What the package's code says: the Finish page (asking for a restart where one is needed) or the
// failure's message, the wizard's exit code, and neither before the last of its processes ended.
TEST_F(InstallRunTest, ThePackagesLastProcessAndItsCodeDecideTheEnd) {
    const OutcomeCase cases[] = {
        {"0: done", ShippedDist(), "0", false, false, "now plug your wireless", 0},
        {"3010: done, restart needed", ShippedDist(), "3010", false, false, "restart your computer", 3010},
        {"1603: failed", ShippedDist(), "1603", false, false, "code 1603.", 7},
        {"a crash", ShippedDist(), "0xC0000005", false, false, "code 3221225477 (0xC0000005).", 7},
        {"handed over to a copy that fails", ShippedDist(), "1603", true, false, "code 1603.", 7},
        {"the same, followed by name", TestDist(), "1603", true, true, "code 1603.", 7},
        {"1603 released with --package-codes none", PinnedNoneTestDist(), "1603", false, false, "now plug", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_NO_FATAL_FAILURE(StartAndAccept(c.dist, {},
                                               {{"SKYLARK_STANDIN_SECONDS", "3"},
                                                {"SKYLARK_STANDIN_EXIT_CODE", c.exitCode},
                                                {"SKYLARK_STANDIN_HANDOVER", c.handOver ? "1" : ""},
                                                {"SKYLARK_TEST_FOLLOW_BY_NAME", c.byName ? "1" : ""}}));
        // Neither the Finish page nor a message while any of the package's processes is listed.
        bool tooEarly = false, packageSeen = false;
        HWND box = nullptr;
        WaitUntil([&] {
            const bool running = PackageRuns();
            box = m_wizard->FindMessageBox();
            const bool ended = box || m_wizard->Shows(Page::Finish) || !m_wizard->Running();
            packageSeen = packageSeen || running;
            tooEarly = tooEarly || (ended && running);
            return ended && !running;
        });
        EXPECT_TRUE(packageSeen) << "the package was never seen running";
        EXPECT_FALSE(tooEarly) << "the run ended while the package still ran";
        const std::string text = box ? MessageText(box) : m_wizard->Text(IDC_FINISH_TITLE);
        EXPECT_NE(text.find(c.expected), std::string::npos) << (box ? "message: " : "Finish page: ") << text;
        EXPECT_EQ(box == nullptr, c.wizardExit != 7) << "the Finish page and a failure";
        if (box) {
            PressMessageBoxOk(box);
            ExpectEndsWithoutFinish(c.wizardExit);
        } else {
            if (c.wizardExit != 0) {
                EXPECT_NE(m_wizard->Text(IDC_FINISH_TEXT).find("restart"), std::string::npos);
            }
            m_wizard->Click(IDC_FINISH);
            EXPECT_EQ(ExpectExit(*m_wizard), c.wizardExit);
        }
    }
}

// An exception on the installation worker (the test build's switch throws one): a message and
// exit code 6, never the Finish page.
TEST_F(InstallRunTest, AWorkerThatThrowsEndsWithSixAfterItsMessage) {
    ASSERT_NO_FATAL_FAILURE(StartAndAccept(TestDist(), {}, {{"SKYLARK_TEST_FAIL_WORKER", "1"}}));
    HWND box = WaitForRunMessage();
    ASSERT_NE(box, nullptr) << (m_wizard->Shows(Page::Finish) ? "the Finish page came instead" : "no message");
    EXPECT_NE(MessageText(box).find("did not expect"), std::string::npos);
    EXPECT_FALSE(FinishShowsWithin(kPastTestFallbackMs)) << "the Finish page showed behind the message";
    PressMessageBoxOk(box);
    ExpectEndsWithoutFinish(6u);
}

// A released program runs its package from a copy under the Windows temporary folder, never from
// data\, where a DLL nobody released would be found first; the copy is gone once the package is.
// The test build, not released, runs it from data\: the trap is real.
TEST_F(InstallRunTest, AReleasedPackageRunsFromItsPrivateCopy) {
    std::string dll;
    ASSERT_TRUE(ReadWholeFile(WindowsPathFromUnix(SKYLARK_PLANTED_DLL), dll));
    for (const bool released : {true, false}) {
        SCOPED_TRACE(released ? "released" : "not released");
        DistCopyOptions options;
        options.replaceFiles = {{"data\\skylark-helper.dll", dll}};
        ASSERT_NO_FATAL_FAILURE(StartAndAccept(released ? PinnedTestDist() : TestDist(), options,
                                               {{"SKYLARK_STANDIN_SECONDS", kShortRun},
                                                {"SKYLARK_STANDIN_LOAD", "skylark-helper.dll"}}));
        ASSERT_TRUE(FinishShowsWithin(kWaitMs)) << "no Finish page";
        const std::string started = FoldCase(FileTextOnceALineIsWritten(m_record));
        const bool planted = FileExists(m_copy->Path("data\\skylark-helper.dll.loaded"));
        if (!released) {
            EXPECT_EQ(started, FoldCase(ExpectedCommandLine()));
            EXPECT_TRUE(planted) << "run from data\\, the package did not load what lies beside it";
            continue;
        }
        ASSERT_EQ(started.find(FoldCase("\"" + PrivatePackageFolders())), 0u)
            << "not run from a private folder: " << started;
        EXPECT_EQ(started.find(FoldCase(m_copy->AppDir())), std::string::npos) << started;
        EXPECT_FALSE(planted) << "the package loaded the DLL planted in data\\";
        // "<folder>\Skylark48.exe" /s: the folder, once the package has gone.
        const std::string folder = started.substr(1, started.find("\\skylark48.exe") - 1);
        EXPECT_TRUE(WaitUntil([&] { return !FileExists(folder); }, 10000)) << folder << " is still there";
    }
}

// A released file another program holds is said to be in use, not changed.
TEST_F(InstallRunTest, AReleasedFileInUseIsSaidToBeInUse) {
    ASSERT_NO_FATAL_FAILURE(MakeCopy(PinnedTestDist(), {}));
    const std::string licence = m_copy->Path("data\\License.txt");
    const HANDLE other = CreateFileA(licence.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE) << LastErrorText();
    ASSERT_TRUE(m_wizard->Start(m_copy->ExePath(), "", {}));
    HWND box = m_wizard->WaitForMessageBox();
    ASSERT_NE(box, nullptr) << "no message";
    const std::string text = MessageText(box);
    EXPECT_NE(text.find(licence + " (in use by another program: close it and start set-up again)"), std::string::npos)
        << text;
    EXPECT_EQ(text.find("changed"), std::string::npos) << text;
    PressMessageBoxOk(box);
    EXPECT_EQ(ExpectExit(*m_wizard), 5u);
    CloseHandle(other);
}

TEST_F(InstallRunTest, CancelWhileThePackageRunsEndsWithZeroAndLeavesItRunning) {
    ASSERT_NO_FATAL_FAILURE(Start(ShippedDist(), {}, kLongRun));
    ASSERT_NO_FATAL_FAILURE(Accept());
    const DWORD pid = WaitForPackageProcess();
    ASSERT_NE(pid, 0u) << "the package never started";
    ASSERT_TRUE(m_wizard->Shows(Page::Installing));
    m_wizard->CancelAndExpectExitZero();
    EXPECT_TRUE(IsListed(pid)) << "the package ended with the wizard";
    const std::string starts = FileTextOnceALineIsWritten(m_record);
    EXPECT_EQ(std::count(starts.begin(), starts.end(), '\n'), 1) << "not one start: " << starts;
}

TEST(ShippedFallbackTest, IsTwoHundredSeconds) { EXPECT_EQ(kFinishFallbackMs, 200000u); }

}  // namespace
}  // namespace e2e
