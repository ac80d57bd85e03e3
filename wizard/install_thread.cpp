#include "install_thread.h"

#include "globals.h"
#include "install_run.h"
#include "kernel_handles.h"
#include "os_version.h"
#include "released_files.h"
#include "resource.h"
#include "worker_thread.h"

#include <tlhelp32.h>

#include <vector>

namespace {

bool WalkProcesses(const core::ProcessVisitor& visit) {
    const CHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return false;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32First(snapshot.Get(), &entry); more; more = ::Process32Next(snapshot.Get(), &entry)) {
        entry.szExeFile[sizeof(entry.szExeFile) - 1] = '\0';
        if (visit(entry.szExeFile, entry.th32ProcessID)) break;
    }
    return true;
}

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
        std::vector<char> writable(commandLine.begin(), commandLine.end());
        writable.push_back('\0');
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        if (!::CreateProcessA(applicationName.c_str(), writable.data(), nullptr, nullptr, FALSE,
                              CREATE_DEFAULT_ERROR_MODE | NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                              &process)) {
            *error = ::GetLastError();
            m_heldPackage.Close();
            return false;
        }
        // Started: the system has the image open and mapped; what it runs is what was checked.
        m_heldPackage.Close();
        // The package is followed by name in the process list, not through these handles.
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        return true;
    }

    uint32_t FindPackageProcess() override { return core::FindPackageProcess(&WalkProcesses); }
    core::ProcessState IsProcessRunning(uint32_t processId) override {
        return core::IsProcessRunning(&WalkProcesses, processId);
    }
    void Sleep(unsigned ms) override { ::Sleep(ms); }

    void ArmTimer(unsigned id, unsigned ms) override {
        // SetTimer needs a window of the calling thread: the dialog arms it, in the order asked.
        ::PostMessageA(g_hSetupWnd, WM_APP_ARM_TIMER, id, ms);
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
    Win32InstallPlatform platform;
    return core::RunInstallation(g_nOsType, g_strAppDir, platform);
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
