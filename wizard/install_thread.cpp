#include "install_thread.h"

#include "globals.h"
#include "install_run.h"
#include "kernel_handles.h"
#include "os_version.h"
#include "package_follower.h"
#include "released_files.h"
#include "resource.h"
#include "win_app.h"
#include "worker_thread.h"

namespace {

class Win32InstallPlatform : public core::InstallPlatform {
public:
    bool CheckPackage(const std::string& packagePath, bool* missing) override {
        // Read from the resource here rather than shared with the dialog: the worker may outlive it.
        const core::ReleasePins pins = LoadReleasePins();
        if (!pins.pinned) return true;
        const PinCheck check = CheckAgainstPin(pins, core::kPackageFileName, packagePath, m_heldPackage, nullptr);
        *missing = check == PinCheck::Missing;
        if (check != PinCheck::Matches) return false;
        PackageHeldForTest();
        return true;
    }

    bool StartPackage(const std::string& applicationName, std::string commandLine, unsigned long* error) override {
        DWORD startError = ERROR_SUCCESS;
        const bool started = m_package.Start(applicationName, std::move(commandLine), startError);
        *error = startError;
        // Started: the system has the image open and mapped; what it runs is what was checked.
        m_heldPackage.Close();
        return started;
    }

    uint32_t FindPackageProcess() override { return core::FindPackageProcess(&WalkProcesses); }
    core::PackageEnd WaitForPackageEnd() override { return m_package.WaitForEnd(); }
    void Sleep(unsigned ms) override { ::Sleep(ms); }

    void ArmTimer(unsigned id, unsigned ms) override {
        // SetTimer needs a window of the calling thread: the dialog arms it, in the order asked.
        ::PostMessageA(g_hSetupWnd, WM_APP_ARM_TIMER, id, ms);
    }

    void ReportPackageStarted() override { ::PostMessageA(g_hSetupWnd, WM_APP_PACKAGE_STARTED, 0, 0); }
    void ReportPackageEnd(core::PackageOutcome outcome, uint32_t code) override {
        ::PostMessageA(g_hSetupWnd, WM_APP_PACKAGE_ENDED, static_cast<WPARAM>(outcome), static_cast<LPARAM>(code));
    }
    // The wizard shows the message on its own thread, owned by its window, and ends after it.
    void ReportRefusal() override { ::PostMessageA(g_hSetupWnd, WM_APP_RUN_FAILED, core::kRunRefused, 0); }
    void ReportStartFailure(unsigned long error) override {
        ::PostMessageA(g_hSetupWnd, WM_APP_RUN_FAILED, core::kRunStartFailed, static_cast<LPARAM>(error));
    }
    void ReportChangedPackage(bool missing) override {
        ::PostMessageA(g_hSetupWnd, WM_APP_RUN_FAILED, core::kRunFilesChanged, missing ? ERROR_FILE_NOT_FOUND : 0);
    }

private:
    // From the check until the start: nobody may write, replace or delete the package meanwhile.
    CHandle m_heldPackage;
    CPackageFollower m_package;
};

bool QueryWindowsVersion(unsigned structSize, core::OsVersion& out) {
    OSVERSIONINFOEXA info = {};
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
        ::PostMessageA(g_hSetupWnd, WM_APP_RUN_FAILED, kExitUnexpectedError, 0);
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
