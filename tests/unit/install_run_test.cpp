#include "install_run.h"
#include "timer_ids.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

using namespace core;

namespace {

constexpr uint32_t kPackagePid = 4242;
constexpr unsigned kNever = ~0u;
constexpr unsigned kOneHourMs = 3600 * 1000;

// Records every call with the time of a clock that only Sleep advances. The package's process is
// listed from appearsAt (ms after the start) until endsAt; its last process ends with `end`.
class FakePlatform : public InstallPlatform {
public:
    bool startSucceeds = true;
    Preparation preparation = Preparation::Ready;
    std::string runFrom;  // where a released program's copy lies; empty: where the package is
    unsigned long startError = 0;
    unsigned appearsAt = kNever;
    unsigned endsAt = kNever;
    std::vector<unsigned> noListAt;  // times at which no process list can be taken
    PackageEnd end = {true, 0};

    unsigned now = 0;
    std::vector<std::string> log;
    std::string applicationName;
    std::string commandLine;

    Preparation PreparePackage(const std::string& path, PreparedPackage* prepared) override {
        Record("PreparePackage " + path);
        prepared->path = runFrom.empty() ? path : runFrom;
        return preparation;
    }
    bool StartPackage(const PreparedPackage& package, std::string cmd, unsigned long* error) override {
        Record("StartPackage");
        applicationName = package.path;
        commandLine = cmd;
        if (!startSucceeds) *error = startError;
        return startSucceeds;
    }
    uint32_t FindPackageProcess() override {
        const uint32_t result = NoList() ? kNoProcessList : PackageListed() ? kPackagePid : 0;
        Record("Find -> " + (result == kNoProcessList ? std::string("nolist") : std::to_string(result)));
        return result;
    }
    PackageEnd WaitForPackageEnd() override {
        Record("WaitForEnd");
        return end;
    }
    void Sleep(unsigned ms) override {
        Record("Sleep " + std::to_string(ms));
        now += ms;
        // A run that never ends fails the test instead of hanging it.
        if (now > kOneHourMs) throw std::runtime_error("run still going after an hour");
    }
    void ArmTimer(unsigned id, unsigned ms) override {
        Record("ArmTimer " + std::to_string(id) + " " + std::to_string(ms));
    }
    void ReportPackageStarted() override { Record("ReportStarted"); }
    void ReportPackageEnd(PackageOutcome outcome, uint32_t code) override {
        Record("ReportEnd " + std::to_string(static_cast<int>(outcome)) + " " + std::to_string(code));
    }
    void ReportRefusal() override { Record("ReportRefusal"); }
    void ReportStartFailure(unsigned long error) override {
        Record("ReportStartFailure " + applicationName + " " + std::to_string(error));
    }

private:
    bool NoList() const { return std::find(noListAt.begin(), noListAt.end(), now) != noListAt.end(); }
    bool PackageListed() const { return now >= appearsAt && now < endsAt; }
    void Record(const std::string& call) { log.push_back(std::to_string(now) + " " + call); }
};

using Log = std::vector<std::string>;

const std::string kAppDir = "C:\\setup\\";
const std::string kCheck = "0 PreparePackage C:\\setup\\data\\Skylark48.exe";

// Attempts 1..n of the search; only the last one may find something.
Log Search(int attempts, const std::string& lastResult) {
    Log log;
    for (int i = 1; i <= attempts; ++i) {
        log.push_back(std::to_string((i - 1) * 500) + " Sleep 500");
        log.push_back(std::to_string(i * 500) + " Find -> " + (i == attempts ? lastResult : "0"));
    }
    return log;
}

Log Concat(Log a, const Log& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The search ends at the first find (or at a search without a process list) or after twenty;
// then the wait for the package's last process, whose code the wizard hears, and Finish.
TEST(RunInstallationTest, SearchesThenWaitsForTheLastProcessAndReportsItsCode) {
    struct Case {
        const char* name;
        unsigned appearsAt;
        std::vector<unsigned> noListAt;
        Log search;
    };
    const Case cases[] = {
        {"found at the first search", 400, {}, Search(1, "4242")},
        {"found at the seventh", 3400, {}, Search(7, "4242")},
        {"never found", kNever, {}, Search(20, "0")},
        {"shown only after the last search", 10500, {}, Search(20, "0")},
        {"no list at the third", kNever, {1500}, Search(3, "nolist")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform p;
        p.appearsAt = c.appearsAt;
        p.noListAt = c.noListAt;
        p.end = {true, 3010};
        EXPECT_EQ(RunInstallation(8, kAppDir, PackageCodes::Msi, p), kExitRestartNeeded);
        const std::string at = std::to_string(c.search.size() / 2 * 500);  // two entries a search
        EXPECT_EQ(p.log, Concat(Concat({kCheck, "0 StartPackage", "0 ReportStarted"}, c.search),
                                {at + " ArmTimer 5001 100", at + " WaitForEnd", at + " ReportEnd 1 3010",
                                 at + " ArmTimer 5000 100"}));
    }
}

// A package that did not install the driver never gets IDT_FINISH: the wizard's message ends it.
TEST(RunInstallationTest, AFailedPackageGetsNoFinish) {
    const std::pair<PackageEnd, uint32_t> cases[] = {{{true, 1603}, 1603}, {{false, 0}, 0}};
    for (const auto& c : cases) {
        FakePlatform p;
        p.appearsAt = 0;
        p.end = c.first;
        EXPECT_EQ(RunInstallation(8, kAppDir, PackageCodes::Msi, p), kRunPackageFailed);
        ASSERT_GE(p.log.size(), 2u);
        const PackageOutcome outcome = c.first.codeKnown ? PackageOutcome::Failed : PackageOutcome::Unknown;
        EXPECT_EQ(p.log.back(),
                  "500 ReportEnd " + std::to_string(static_cast<int>(outcome)) + " " + std::to_string(c.second));
    }
}

TEST(RunInstallationTest, RefusesClassesOutsideEightToThirteen) {
    for (int osType : {0, 2, 6, 7, 8, 13, 14, 15, -1}) {
        SCOPED_TRACE(osType);
        FakePlatform p;
        p.appearsAt = 0;
        p.endsAt = 0;
        const uint32_t result = RunInstallation(osType, kAppDir, PackageCodes::Msi, p);
        if (osType >= 8 && osType <= 13) {
            EXPECT_EQ(result, kRunCompleted);
            ASSERT_FALSE(p.log.empty());
            EXPECT_EQ(p.log.front(), kCheck);
        } else {
            EXPECT_EQ(result, kRunRefused);
            EXPECT_EQ(p.log, (Log{"0 ReportRefusal"}));
        }
    }
}

// A package whose files could not be prepared is never started; one that was, starts from there.
TEST(RunInstallationTest, APackageIsStartedOnlyWhereItWasPrepared) {
    const std::pair<Preparation, uint32_t> cases[] = {{Preparation::FilesChanged, kRunFilesChanged},
                                                      {Preparation::NoPrivateFolder, kRunStartFailed}};
    for (const auto& c : cases) {
        FakePlatform p;
        p.preparation = c.first;
        EXPECT_EQ(RunInstallation(12, kAppDir, PackageCodes::Msi, p), c.second);
        EXPECT_EQ(p.log, (Log{kCheck}));
    }
    FakePlatform p;
    p.runFrom = "C:\\Windows\\Temp\\Wi-FiSkylark-1\\Skylark48.exe";
    RunInstallation(12, kAppDir, PackageCodes::Msi, p);
    EXPECT_EQ(p.applicationName, p.runFrom);
    EXPECT_EQ(p.commandLine, "\"" + p.runFrom + "\" /s");
}

TEST(RunInstallationTest, StartFailureReportsErrorAndEnds) {
    for (unsigned long error : {2ul, 5ul, 740ul}) {
        FakePlatform p;
        p.startSucceeds = false;
        p.startError = error;
        EXPECT_EQ(RunInstallation(12, kAppDir, PackageCodes::Msi, p), kRunStartFailed);
        EXPECT_EQ(p.log, (Log{
                             kCheck,
                             "0 StartPackage",
                             "0 ReportStartFailure C:\\setup\\data\\Skylark48.exe " + std::to_string(error),
                         }));
    }
}

TEST(RunInstallationTest, PackagePathAndQuotedCommandLine) {
    struct Case {
        std::string appDir, applicationName, commandLine;
    };
    const Case cases[] = {
        {"C:\\setup\\", "C:\\setup\\data\\Skylark48.exe", "\"C:\\setup\\data\\Skylark48.exe\" /s"},
        {"C:\\Program Files\\Skylark Set-up\\", "C:\\Program Files\\Skylark Set-up\\data\\Skylark48.exe",
         "\"C:\\Program Files\\Skylark Set-up\\data\\Skylark48.exe\" /s"},
        {"", "data\\Skylark48.exe", "\"data\\Skylark48.exe\" /s"},
    };
    for (const Case& c : cases) {
        FakePlatform p;
        RunInstallation(8, c.appDir, PackageCodes::Msi, p);
        EXPECT_EQ(p.applicationName, c.applicationName);
        EXPECT_EQ(p.commandLine, c.commandLine);
    }
}

TEST(IsPackageFileNameTest, WholeNameIgnoringAsciiCase) {
    const std::pair<const char*, bool> cases[] = {
        {"Skylark48.exe", true},
        {"SKYLARK48.EXE", true},
        {"skylark48.Exe", true},
        {"Skylark48.exe.bak", false},
        {"Skylark48", false},
        {"Skylark48.ex", false},
        {"Skylark48.exe ", false},
        {"xSkylark48.exe", false},
        {"Skylark49.exe", false},
        {"C:\\setup\\data\\Skylark48.exe", false},
        {"", false},
        {"Skylark\x14\x18\x0e"
         "exe",
         false},  // equal to the name once bit 0x20 is forced on
        {"\xD3kylark48.exe", false},
    };
    for (const auto& [name, matches] : cases) EXPECT_EQ(IsPackageFileName(name), matches) << name;
}

struct FakeProcessList {
    bool available = true;
    std::vector<std::pair<std::string, uint32_t>> entries;
    size_t visited = 0;

    ProcessWalk Walk() {
        return [this](const ProcessVisitor& visit) {
            if (!available) return false;
            for (const auto& [name, pid] : entries) {
                ++visited;
                if (visit(name.c_str(), pid)) break;
            }
            return true;
        };
    }
};

const std::vector<std::pair<std::string, uint32_t>> kProcesses = {
    {"[System Process]", 0}, {"System", 4},           {"explorer.exe", 1200},
    {"SKYLARK48.EXE", 3000}, {"Skylark48.exe", 3100}, {"Skylark48.exe.bak", 3200},
};

TEST(ProcessScanTest, FindPackageProcess) {
    struct Case {
        const char* name;
        bool available;
        std::vector<std::pair<std::string, uint32_t>> entries;
        uint32_t expected;
        size_t expectedVisits;
    };
    const Case cases[] = {
        {"first match wins and ends the walk", true, kProcesses, 3000, 4},
        {"no match", true, {{"System", 4}, {"Skylark48", 10}}, 0, 2},
        {"empty list", true, {}, 0, 0},
        {"no list", false, kProcesses, kNoProcessList, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeProcessList list{c.available, c.entries};
        EXPECT_EQ(FindPackageProcess(list.Walk()), c.expected);
        EXPECT_EQ(list.visited, c.expectedVisits);
    }
}

}  // namespace
