#include "install_run.h"

#include "os_version.h"
#include "timer_ids.h"

namespace core {

namespace {

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringAsciiCase(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (FoldAscii(*a) != FoldAscii(*b)) return false;
    }
    return *a == *b;
}

// Up to kSearchAttempts searches, each after a pause; 0 when the package's process never showed.
uint32_t SearchPackageProcess(InstallPlatform& platform) {
    uint32_t processId = 0;
    for (int attempt = 0; attempt < kSearchAttempts && processId == 0; ++attempt) {
        platform.Sleep(kSearchPauseMs);
        processId = platform.FindPackageProcess();
    }
    return processId;
}

}  // namespace

std::string PackagePath(const std::string& appDir) { return appDir + kDataFolder + kPackageFileName; }

std::string PackageCommandLine(const std::string& packagePath) { return "\"" + packagePath + "\" /s"; }

uint32_t RunInstallation(int osType, const std::string& appDir, InstallPlatform& platform) {
    if (!IsAcceptedOsType(osType)) {
        platform.ReportRefusal();
        return kRunRefused;
    }

    const std::string packagePath = PackagePath(appDir);
    bool missing = false;
    if (!platform.CheckPackage(packagePath, &missing)) {
        platform.ReportChangedPackage(missing);
        return kRunFilesChanged;
    }
    unsigned long error = 0;
    if (!platform.StartPackage(packagePath, PackageCommandLine(packagePath), &error)) {
        platform.ReportStartFailure(error);
        return kRunStartFailed;
    }

    const uint32_t processId = SearchPackageProcess(platform);
    platform.ArmTimer(IDT_PROGRESS, kRunTimerPeriodMs);
    // Id 0 means the package never showed in twenty searches (or came and went between two):
    // it is over. Waiting on it would follow the system idle process, which never ends.
    if (processId != 0) {
        // A poll without a process list tells nothing: the wait goes on.
        while (platform.IsProcessRunning(processId) != ProcessState::NotRunning) platform.Sleep(kWaitPollMs);
    }
    platform.ArmTimer(IDT_FINISH, kRunTimerPeriodMs);
    return kRunCompleted;
}

bool IsPackageFileName(const char* exeFile) { return EqualIgnoringAsciiCase(exeFile, kPackageFileName); }

uint32_t FindPackageProcess(const ProcessWalk& walk) {
    uint32_t found = 0;
    const bool listed = walk([&found](const char* exeFile, uint32_t processId) {
        if (!IsPackageFileName(exeFile)) return false;
        found = processId;
        return true;
    });
    return listed ? found : kNoProcessList;
}

ProcessState IsProcessRunning(const ProcessWalk& walk, uint32_t processId) {
    bool running = false;
    const bool listed = walk([&running, processId](const char*, uint32_t id) {
        running = id == processId;
        return running;
    });
    if (!listed) return ProcessState::NoProcessList;
    return running ? ProcessState::Running : ProcessState::NotRunning;
}

}  // namespace core
