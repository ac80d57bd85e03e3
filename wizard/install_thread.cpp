#include "install_thread.h"

#include "globals.h"
#include "install_run.h"
#include "kernel_handles.h"
#include "os_version.h"
#include "package_follower.h"
#include "private_folder.h"
#include "released_files.h"
#include "resource.h"
#include "win_app.h"
#include "worker_thread.h"

#include <cstring>

namespace {

class Win32InstallPlatform : public core::InstallPlatform {
public:
    core::Preparation PreparePackage(const std::string& packagePath, core::PreparedPackage* prepared) override {
        // Read from the resource here rather than shared with the dialog: the worker may outlive it.
        const core::ReleasePins pins = LoadReleasePins();
        if (!pins.pinned) {
            prepared->path = packagePath;
            return core::Preparation::Ready;
        }
        DWORD error = ERROR_SUCCESS;
        if (!m_private.Create(error)) {
            ::PostMessageW(g_hSetupWnd, WM_APP_PRIVATE_FOLDER_FAILED, 0, static_cast<LPARAM>(error));
            return core::Preparation::NoPrivateFolder;
        }
        const std::string dataDir = packagePath.substr(0, packagePath.size() - std::strlen(core::kPackageFileName));
        core::ChangedFile changed;
        if (!m_private.CopyPackage(pins, dataDir, changed)) {
            m_private.Remove();
            ReportChangedFiles(g_hSetupWnd, {changed});
            return core::Preparation::FilesChanged;
        }
        PackageHeldForTest();
        prepared->path = m_private.Path() + core::kPackageFileName;
        prepared->workingDirectory = m_private.Path();
        return core::Preparation::Ready;
    }

    bool StartPackage(const core::PreparedPackage& package, std::string commandLine, unsigned long* error) override {
        DWORD startError = ERROR_SUCCESS;
        const bool started =
            m_package.Start(package.path, std::move(commandLine), package.workingDirectory, startError);
        *error = startError;
        if (!started) m_private.Remove();
        return started;
    }

    uint32_t FindPackageProcess() override { return core::FindPackageProcess(&WalkProcesses); }
    core::PackageEnd WaitForPackageEnd() override {
        const core::PackageEnd end = m_package.WaitForEnd();
        // The package's last process has ended: nothing runs from its folder any more.
        m_private.Remove();
        return end;
    }
    void Sleep(unsigned ms) override { ::Sleep(ms); }

    void ArmTimer(unsigned id, unsigned ms) override {
        // SetTimer needs a window of the calling thread: the dialog arms it, in the order asked.
        ::PostMessageW(g_hSetupWnd, WM_APP_ARM_TIMER, id, ms);
    }

    void ReportPackageStarted() override { ::PostMessageW(g_hSetupWnd, WM_APP_PACKAGE_STARTED, 0, 0); }
    void ReportPackageEnd(core::PackageOutcome outcome, uint32_t code) override {
        ::PostMessageW(g_hSetupWnd, WM_APP_PACKAGE_ENDED, static_cast<WPARAM>(outcome), static_cast<LPARAM>(code));
    }
    // The wizard shows the message on its own thread, owned by its window, and ends after it.
    void ReportRefusal() override { ::PostMessageW(g_hSetupWnd, WM_APP_RUN_FAILED, core::kRunRefused, 0); }
    void ReportStartFailure(unsigned long error) override {
        ::PostMessageW(g_hSetupWnd, WM_APP_RUN_FAILED, core::kRunStartFailed, static_cast<LPARAM>(error));
    }

private:
    // A released program's copies of the package's files, held until its last process has ended.
    CPrivateFolder m_private;
    CPackageFollower m_package;
};

bool QueryWindowsVersion(unsigned structSize, core::OsVersion& out) {
    OSVERSIONINFOEXA info = {};  // the sizes the portable check asks for are the narrow ones
    info.dwOSVersionInfoSize = structSize;
    if (!::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) return false;
    out.platformId = info.dwPlatformId;
    out.majorVersion = info.dwMajorVersion;
    out.minorVersion = info.dwMinorVersion;
    out.buildNumber = info.dwBuildNumber;
    out.productType = structSize >= sizeof(OSVERSIONINFOEXA) ? info.wProductType : 0;
    return true;
}

}  // namespace

void CheckOsVersion() {
    int osType = g_nOsType;
    core::CheckOsVersion(&QueryWindowsVersion, osType);
    g_nOsType = osType;
}

UINT InstallThreadProc(void*) {
    try {
        ThrowIfWorkerMustFail();
        Win32InstallPlatform platform;
        return core::RunInstallation(g_nOsType, g_strAppDir, LoadReleasePins().packageCodes, platform);
    } catch (...) {
        // Nobody can say what was installed: never the Finish page.
        ::PostMessageW(g_hSetupWnd, WM_APP_RUN_FAILED, kExitUnexpectedError, 0);
        return kExitUnexpectedError;
    }
}

bool StartInstallThread(DWORD& error) {
    if (WorkerStartMustFail()) {
        error = ERROR_NOT_ENOUGH_MEMORY;
        return false;
    }
    if (AfxBeginThread(&InstallThreadProc, nullptr, THREAD_PRIORITY_NORMAL)) return true;
    error = ::GetLastError();
    if (error == ERROR_SUCCESS) error = ERROR_NOT_ENOUGH_MEMORY;  // the start record could not be allocated
    return false;
}
