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

// Up to kSearchAttempts searches, each after a pause, until the package's process shows.
void SearchPackageProcess(InstallPlatform& platform) {
    for (int attempt = 0; attempt < kSearchAttempts; ++attempt) {
        platform.Sleep(kSearchPauseMs);
        if (platform.FindPackageProcess() != 0) return;
    }
}

}  // namespace

std::string PackagePath(const std::string& appDir) { return appDir + kDataFolder + kPackageFileName; }

std::string PackageCommandLine(const std::string& packagePath) { return "\"" + packagePath + "\" /s"; }

uint32_t RunInstallation(int osType, const std::string& appDir, PackageCodes codes, InstallPlatform& platform) {
    if (!IsAcceptedOsType(osType)) {
        platform.ReportRefusal();
        return kRunRefused;
    }

    PreparedPackage package;
    switch (platform.PreparePackage(PackagePath(appDir), &package)) {
        case Preparation::Ready:
            break;
        case Preparation::FilesChanged:
            return kRunFilesChanged;
        case Preparation::NoPrivateFolder:
            return kRunStartFailed;
    }
    unsigned long error = 0;
    if (!platform.StartPackage(package, PackageCommandLine(package.path), &error)) {
        platform.ReportStartFailure(error);
        return kRunStartFailed;
    }
    platform.ReportPackageStarted();

    SearchPackageProcess(platform);
    platform.ArmTimer(IDT_PROGRESS, kRunTimerPeriodMs);
    // Whatever the search found, the package is over only when the last of its processes is: a
    // package may hand its work to a copy of itself and end at once.
    const PackageEnd end = platform.WaitForPackageEnd();
    const PackageVerdict verdict = VerdictFor(codes, end.codeKnown, end.code);
    platform.ReportPackageEnd(verdict.outcome, end.code);
    if (!verdict.installed) return kRunPackageFailed;
    platform.ArmTimer(IDT_FINISH, kRunTimerPeriodMs);
    return verdict.exitCode;
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

}  // namespace core
