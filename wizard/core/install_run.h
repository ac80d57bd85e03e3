#pragma once

#include "package_outcome.h"

#include <cstdint>
#include <functional>
#include <string>

namespace core {

constexpr const char* kPackageFileName = "Skylark48.exe";
constexpr const char* kDataFolder = "data\\";

constexpr int kSearchAttempts = 20;
constexpr unsigned kSearchPauseMs = 500;
constexpr unsigned kWaitPollMs = 1000;
constexpr unsigned kRunTimerPeriodMs = 100;

// What FindPackageProcess returns when no process list could be taken.
constexpr uint32_t kNoProcessList = 0xFFFFFFFFu;

// Exit codes of the run (and of the wizard, where the run ends it).
constexpr uint32_t kRunCompleted = 0;
constexpr uint32_t kRunRefused = 1;
constexpr uint32_t kRunStartFailed = 2;
constexpr uint32_t kRunFilesChanged = 5;  // the package is not the one released

// The package's end: the exit code of the last of its processes named like it to end.
struct PackageEnd {
    bool codeKnown = false;
    uint32_t code = 0;
};

// The ends of a package's processes, in the order they came. Processes named otherwise (helpers
// the package starts) count only in that the package is not over while they run.
class PackageEnds {
public:
    void Ended(bool packageName, bool codeKnown, uint32_t code) {
        if (!packageName || !codeKnown) return;
        m_end.codeKnown = true;
        m_end.code = code;
    }
    PackageEnd Result() const { return m_end; }

private:
    PackageEnd m_end;
};

// Where the package is started from, once PreparePackage has run.
struct PreparedPackage {
    std::string path;              // the program to start
    std::string workingDirectory;  // its current folder; empty: the wizard's own
};

enum class Preparation {
    Ready,
    FilesChanged,     // a file of the package's is not the one released (the wizard has been told)
    NoPrivateFolder,  // a released program's private folder for the package could not be made (told)
};

// What the run needs from Windows. Called on the worker thread; the timer and wizard calls are
// expected to reach the dialog's thread in the order they are made.
class InstallPlatform {
public:
    virtual ~InstallPlatform() = default;

    // Right before the start. A released program copies the package and every other file its
    // release pinned beyond those the wizard shows into a private folder, checks each copy against
    // its pin and holds it, and starts the package there; any other build starts it where it lies.
    // Anything but Ready: the wizard has been told why, and nothing is started.
    virtual Preparation PreparePackage(const std::string& packagePath, PreparedPackage* prepared) = 0;
    // Starts the package without waiting for it, and follows it from then on: every process it
    // starts, and their exit codes. commandLine is a copy that the process start may write into.
    // On failure, *error holds the system's error code.
    virtual bool StartPackage(const PreparedPackage& package, std::string commandLine, unsigned long* error) = 0;
    // Id of the first process named like the package, 0 if none, kNoProcessList if no list.
    virtual uint32_t FindPackageProcess() = 0;
    // Returns once the last process of the package has ended; a private folder is removed then.
    virtual PackageEnd WaitForPackageEnd() = 0;
    virtual void Sleep(unsigned ms) = 0;
    virtual void ArmTimer(unsigned id, unsigned ms) = 0;
    // The package runs and is followed: the wizard's fallback no longer brings the Finish page.
    virtual void ReportPackageStarted() = 0;
    // What the package's end means. Where the driver was not installed, the wizard tells the user
    // and ends with kRunPackageFailed once the message is closed; else it keeps the verdict for
    // its Finish page, which the run's IDT_FINISH brings.
    virtual void ReportPackageEnd(PackageOutcome outcome, uint32_t code) = 0;
    // The run cannot go on. The wizard stops its timers, tells the user (the refusal; the start
    // failure with the system's text for `error`) and, once the message is closed, ends with
    // kRunRefused or kRunStartFailed. Returns at once: the message is the wizard's, not the run's.
    virtual void ReportRefusal() = 0;
    virtual void ReportStartFailure(unsigned long error) = 0;
};

std::string PackagePath(const std::string& appDir);
// The path is quoted so that a folder with spaces cannot be split into a different program.
std::string PackageCommandLine(const std::string& packagePath);

// The installation run: refuse an unsupported system, start the package, search for its process,
// wait for the last of its processes to end, then tell the wizard what its code means. Returns
// kRunRefused, kRunFilesChanged, kRunStartFailed, kRunPackageFailed, or the exit code the wizard
// ends with after Finish (0, kExitRestartNeeded, kExitRestartStarted).
uint32_t RunInstallation(int osType, const std::string& appDir, PackageCodes codes, InstallPlatform& platform);

// One entry of a process list walk; returns true to stop the walk.
using ProcessVisitor = std::function<bool(const char* exeFile, uint32_t processId)>;
// Walks a fresh list of all processes in order; false when no list could be taken.
using ProcessWalk = std::function<bool(const ProcessVisitor& visit)>;

// Whole-name comparison, folding the case of ASCII letters only (the package name is ASCII).
bool IsPackageFileName(const char* exeFile);
uint32_t FindPackageProcess(const ProcessWalk& walk);

}  // namespace core
