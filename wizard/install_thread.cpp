#include "install_thread.h"

#include "globals.h"
#include "install_run.h"
#include "message_box.h"
#include "os_version.h"
#include "resource.h"
#include "worker_thread.h"

#include <tlhelp32.h>

#include <vector>

namespace {

// A Toolhelp snapshot handle, closed on every path.
class Snapshot {
public:
    Snapshot() : m_h(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0)) {}
    ~Snapshot()
    {
        if (m_h != INVALID_HANDLE_VALUE)
            ::CloseHandle(m_h);
    }
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;
    bool Valid() const { return m_h != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_h; }

private:
    HANDLE m_h;
};

bool WalkProcesses(const ProcessVisitor& visit)
{
    Snapshot snapshot;
    if (!snapshot.Valid())
        return false;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32First(snapshot.Get(), &entry); more; more = ::Process32Next(snapshot.Get(), &entry)) {
        entry.szExeFile[sizeof(entry.szExeFile) - 1] = '\0';
        if (visit(entry.szExeFile, entry.th32ProcessID))
            break;
    }
    return true;
}

// The system's text for an error; an insert in it ("Bad EXE format for %1.") names `subject`.
std::string SystemErrorText(DWORD error, const std::string& subject)
{
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
        0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result;
    if (length && text)
        result.assign(text, length);
    if (text)
        ::LocalFree(text);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == ' '))
        result.pop_back();
    if (result.empty())
        result = "Error " + std::to_string(error) + ".";
    for (size_t at = result.find("%1"); at != std::string::npos; at = result.find("%1", at + subject.size()))
        result.replace(at, 2, subject);
    return result;
}

class Win32InstallPlatform : public InstallPlatform {
public:
    bool StartPackage(const std::string& applicationName, std::string commandLine, unsigned long* error) override
    {
        std::vector<char> writable(commandLine.begin(), commandLine.end());
        writable.push_back('\0');
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        if (!::CreateProcessA(applicationName.c_str(), writable.data(), nullptr, nullptr, FALSE,
                              CREATE_DEFAULT_ERROR_MODE | NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                              &process)) {
            *error = ::GetLastError();
            return false;
        }
        // The package is followed by name in the process list, not through these handles.
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        return true;
    }

    uint32_t FindPackageProcess() override { return ::FindPackageProcess(&WalkProcesses); }
    uint32_t IsProcessRunning(uint32_t processId) override { return ::IsProcessRunning(&WalkProcesses, processId); }
    void Sleep(unsigned ms) override { ::Sleep(ms); }

    void ArmTimer(unsigned id, unsigned ms) override
    {
        // SetTimer needs a window of the calling thread: the dialog arms it, in the order asked.
        ::PostMessageA(g_hSetupWnd, WM_APP_ARM_TIMER, id, ms);
    }

    void ShowRefusal() override
    {
        StopFinishTimers();
        AfxMessageBox("Driver not support Current OS type!", MB_OK);
    }

    void ShowStartFailure(const std::string& packagePath, unsigned long error) override
    {
        StopFinishTimers();
        AfxMessageBox("The driver package could not be started:\r\n" + packagePath + "\r\n\r\n" +
                          SystemErrorText(error, packagePath),
                      MB_OK | MB_ICONSTOP);
    }

    // A failed run must never reach the Finish page, not even while its message waits for the user:
    // the dialog stops its timers first. Posted messages come before timer messages, so the
    // fallback cannot slip in between.
    static void StopFinishTimers() { ::PostMessageA(g_hSetupWnd, WM_APP_RUN_FAILED, 0, 0); }

    void EndWizard(int exitCode) override { ::PostMessageA(g_hSetupWnd, WM_APP_END_WIZARD, exitCode, 0); }
};

bool QueryWindowsVersion(unsigned structSize, OsVersion& out)
{
    OSVERSIONINFOEXA info = {};
    info.dwOSVersionInfoSize = structSize;
    if (!::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info)))
        return false;
    out.platformId = info.dwPlatformId;
    out.majorVersion = info.dwMajorVersion;
    out.minorVersion = info.dwMinorVersion;
    out.buildNumber = info.dwBuildNumber;
    out.productType = structSize >= sizeof(OSVERSIONINFOEXA) ? info.wProductType : 0;
    return true;
}

}  // namespace

void CheckOsVersion()
{
    int osType = g_nOsType;
    ::CheckOsVersion(&QueryWindowsVersion, osType);
    g_nOsType = osType;
}

UINT InstallThreadProc(void*)
{
    Win32InstallPlatform platform;
    return RunInstallation(g_nOsType, g_strAppDir, platform);
}

void StartInstallThread()
{
    // A worker that cannot start is not reported: the fallback timer still brings the Finish page.
    AfxBeginThread(&InstallThreadProc, nullptr, THREAD_PRIORITY_NORMAL);
}
