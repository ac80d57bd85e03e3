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
// listed from appearsAt (ms after the start) until endsAt.
class FakePlatform : public InstallPlatform {
public:
    bool startSucceeds = true;
    int packageCheck = 0;  // 0 as released, 1 changed, 2 missing
    unsigned long startError = 0;
    unsigned appearsAt = kNever;
    unsigned endsAt = kNever;
    std::vector<unsigned> noListAt;  // times at which no process list can be taken

    unsigned now = 0;
    std::vector<std::string> log;
    std::string applicationName;
    std::string commandLine;

    bool CheckPackage(const std::string& path, bool* missing) override {
        Record("CheckPackage " + path);
        *missing = packageCheck == 2;
        return packageCheck == 0;
    }
    bool StartPackage(const std::string& app, std::string cmd, unsigned long* error) override {
        Record("StartPackage");
        applicationName = app;
        commandLine = cmd;
        if (!startSucceeds) *error = startError;
        return startSucceeds;
    }
    uint32_t FindPackageProcess() override {
        const uint32_t result = NoList() ? kNoProcessList : PackageListed() ? kPackagePid : 0;
        Record("Find -> " + Id(result));
        return result;
    }
    ProcessState IsProcessRunning(uint32_t pid) override {
        const ProcessState result = NoList()                                ? ProcessState::NoProcessList
                                    : pid == kPackagePid && PackageListed() ? ProcessState::Running
                                                                            : ProcessState::NotRunning;
        Record("Running " + Id(pid) + " -> " + State(result));
        return result;
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
    void ReportRefusal() override { Record("ReportRefusal"); }
    void ReportChangedPackage(bool missing) override { Record(missing ? "ReportMissing" : "ReportChanged"); }
    void ReportStartFailure(unsigned long error) override {
        Record("ReportStartFailure " + applicationName + " " + std::to_string(error));
    }

private:
    static std::string Id(uint32_t v) { return v == kNoProcessList ? "nolist" : std::to_string(v); }
    static std::string State(ProcessState s) {
        return s == ProcessState::NoProcessList ? "nolist" : s == ProcessState::Running ? "1" : "0";
    }
    bool NoList() const { return std::find(noListAt.begin(), noListAt.end(), now) != noListAt.end(); }
    bool PackageListed() const { return now >= appearsAt && now < endsAt; }
    void Record(const std::string& call) { log.push_back(std::to_string(now) + " " + call); }
};

using Log = std::vector<std::string>;

const std::string kAppDir = "C:\\setup\\";
const std::string kCheck = "0 CheckPackage C:\\setup\\data\\Skylark48.exe";

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

TEST(RunInstallationTest, SearchThenWaitForTheEnd) {
    struct Case {
        int foundAt;       // attempt
        unsigned runsFor;  // ms after it was found
        Log wait;
    };
    const Case cases[] = {
        {1,
         800,
         {"500 ArmTimer 5001 100", "500 Running 4242 -> 1", "500 Sleep 1000", "1500 Running 4242 -> 0",
          "1500 ArmTimer 5000 100"}},
        {7,
         1500,
         {"3500 ArmTimer 5001 100", "3500 Running 4242 -> 1", "3500 Sleep 1000", "4500 Running 4242 -> 1",
          "4500 Sleep 1000", "5500 Running 4242 -> 0", "5500 ArmTimer 5000 100"}},
        {20,
         1,
         {"10000 ArmTimer 5001 100", "10000 Running 4242 -> 1", "10000 Sleep 1000", "11000 Running 4242 -> 0",
          "11000 ArmTimer 5000 100"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.foundAt);
        FakePlatform p;
        p.appearsAt = 500u * c.foundAt - 100;
        p.endsAt = 500u * c.foundAt + c.runsFor;
        EXPECT_EQ(RunInstallation(8, kAppDir, p), kRunCompleted);
        EXPECT_EQ(p.log, Concat(Concat({kCheck, "0 StartPackage"}, Search(c.foundAt, "4242")), c.wait));
    }
}

// Id 0 from every search: the package never showed, or only after the last one. Nothing is polled.
TEST(RunInstallationTest, NeverFoundFinishesAfterSearch) {
    for (unsigned appearsAt : {kNever, 10500u}) {
        FakePlatform p;
        p.appearsAt = appearsAt;
        EXPECT_EQ(RunInstallation(8, kAppDir, p), kRunCompleted);
        EXPECT_EQ(p.log, Concat(Concat({kCheck, "0 StartPackage"}, Search(20, "0")), {
                                                                                 "10000 ArmTimer 5001 100",
                                                                                 "10000 ArmTimer 5000 100",
                                                                             }));
    }
}

// No list during the search ends it like a find; the wait then polls an id no process has, and
// keeps polling while no list can be taken.
TEST(RunInstallationTest, NoProcessListDuringSearch) {
    FakePlatform p;
    p.noListAt = {1500, 2500};
    EXPECT_EQ(RunInstallation(8, kAppDir, p), kRunCompleted);
    EXPECT_EQ(p.log, Concat(Concat({kCheck, "0 StartPackage"}, Search(3, "nolist")), {
                                                                                 "1500 ArmTimer 5001 100",
                                                                                 "1500 Running nolist -> nolist",
                                                                                 "1500 Sleep 1000",
                                                                                 "2500 Running nolist -> nolist",
                                                                                 "2500 Sleep 1000",
                                                                                 "3500 Running nolist -> 0",
                                                                                 "3500 ArmTimer 5000 100",
                                                                             }));
}

TEST(RunInstallationTest, NoProcessListDuringWaitCountsAsRunning) {
    FakePlatform p;
    p.appearsAt = 0;
    p.endsAt = 1000;
    p.noListAt = {1500};
    EXPECT_EQ(RunInstallation(8, kAppDir, p), kRunCompleted);
    EXPECT_EQ(p.log, (Log{
                         kCheck,
                         "0 StartPackage",
                         "0 Sleep 500",
                         "500 Find -> 4242",
                         "500 ArmTimer 5001 100",
                         "500 Running 4242 -> 1",
                         "500 Sleep 1000",
                         "1500 Running 4242 -> nolist",
                         "1500 Sleep 1000",
                         "2500 Running 4242 -> 0",
                         "2500 ArmTimer 5000 100",
                     }));
}

TEST(RunInstallationTest, RefusesClassesOutsideEightToThirteen) {
    for (int osType : {0, 2, 6, 7, 8, 13, 14, 15, -1}) {
        SCOPED_TRACE(osType);
        FakePlatform p;
        p.appearsAt = 0;
        p.endsAt = 0;
        const uint32_t result = RunInstallation(osType, kAppDir, p);
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

TEST(RunInstallationTest, ChangedOrMissingPackageIsNeverStarted) {
    const std::pair<int, const char*> cases[] = {{1, "0 ReportChanged"}, {2, "0 ReportMissing"}};
    for (const auto& c : cases) {
        FakePlatform p;
        p.packageCheck = c.first;
        EXPECT_EQ(RunInstallation(12, kAppDir, p), kRunFilesChanged);
        EXPECT_EQ(p.log, (Log{kCheck, c.second}));
    }
}

TEST(RunInstallationTest, StartFailureReportsErrorAndEnds) {
    for (unsigned long error : {2ul, 5ul, 740ul}) {
        FakePlatform p;
        p.startSucceeds = false;
        p.startError = error;
        EXPECT_EQ(RunInstallation(12, kAppDir, p), kRunStartFailed);
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
        RunInstallation(8, c.appDir, p);
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

TEST(ProcessScanTest, IsProcessRunning) {
    struct Case {
        bool available;
        uint32_t pid;
        ProcessState expected;
    };
    constexpr ProcessState kRunning = ProcessState::Running, kNotRunning = ProcessState::NotRunning;
    const Case cases[] = {
        {true, 3100, kRunning},
        {true, 3200, kRunning},
        {true, 0, kRunning},
        {true, 3150, kNotRunning},
        {true, kNoProcessList, kNotRunning},
        {false, 3100, ProcessState::NoProcessList},
    };
    for (const Case& c : cases) {
        FakeProcessList list{c.available, kProcesses};
        EXPECT_EQ(IsProcessRunning(list.Walk(), c.pid), c.expected) << c.pid;
    }
}

}  // namespace
