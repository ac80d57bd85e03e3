// Stands in for the vendor's driver package. It takes /s like the real one, "installs" by sleeping
// and exits 0. Tests steer it through its environment, which it inherits from the wizard:
//   SKYLARK_STANDIN_SECONDS    how long to run (decimals allowed; default 3)
//   SKYLARK_STANDIN_EXIT_CODE  the code it exits with (decimal, or hexadecimal after 0x; default 0)
//   SKYLARK_STANDIN_HANDOVER   when 1, it hands its work to a copy of itself (handover\Skylark48.exe
//                              beside it, started without this variable) and exits 0 at once, as
//                              silent installers often do
//   SKYLARK_STANDIN_LOAD       a DLL it loads by name, as a package loads one of its own beside it
//   SKYLARK_STANDIN_RECORD     a file to which each start appends its command line and a newline
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr double kDefaultSeconds = 3.0;
// Bounds a mistyped value: a test never wants the package to outlive its own time-out.
constexpr double kMaxSeconds = 3600.0;

bool ReadEnvironment(const char* name, std::string& value) {
    char small[512];
    DWORD n = GetEnvironmentVariableA(name, small, sizeof small);
    if (n == 0) return false;
    if (n < sizeof small) {
        value.assign(small, n);
        return true;
    }
    value.assign(n, '\0');  // n counts the terminator when the buffer was too small
    n = GetEnvironmentVariableA(name, &value[0], n);
    value.resize(n);
    return true;
}

double RunSeconds() {
    std::string text;
    if (!ReadEnvironment("SKYLARK_STANDIN_SECONDS", text)) return kDefaultSeconds;
    char* end = nullptr;
    const double seconds = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || !(seconds >= 0.0)) return kDefaultSeconds;
    return seconds < kMaxSeconds ? seconds : kMaxSeconds;
}

void RecordStart() {
    std::string path;
    if (!ReadEnvironment("SKYLARK_STANDIN_RECORD", path) || path.empty()) return;
    // FILE_APPEND_DATA alone makes every write land at the end, even with two starts at once.
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    // In UTF-8: the folder it was started from may be one that the ANSI code page cannot spell.
    const wchar_t* wide = GetCommandLineW();
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string line(length > 0 ? static_cast<size_t>(length - 1) : 0, '\0');
    if (length > 1) WideCharToMultiByte(CP_UTF8, 0, wide, -1, &line[0], length, nullptr, nullptr);
    line += '\n';
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}

UINT ExitCode() {
    std::string text;
    if (!ReadEnvironment("SKYLARK_STANDIN_EXIT_CODE", text)) return 0;
    return static_cast<UINT>(std::strtoul(text.c_str(), nullptr, 0));
}

// Copies this program into handover\ beside it and starts the copy with the same command line.
bool HandOver() {
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    std::string folder(self, length);
    folder.erase(folder.find_last_of('\\') + 1);
    folder += "handover\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string copy = folder + "Skylark48.exe";
    if (!CopyFileA(self, copy.c_str(), FALSE)) return false;
    SetEnvironmentVariableA("SKYLARK_STANDIN_HANDOVER", nullptr);
    std::string commandLine = "\"" + copy + "\" /s";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(copy.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RecordStart();
    std::string library;
    if (ReadEnvironment("SKYLARK_STANDIN_LOAD", library)) LoadLibraryA(library.c_str());
    std::string handOver;
    if (ReadEnvironment("SKYLARK_STANDIN_HANDOVER", handOver) && handOver == "1") return HandOver() ? 0 : 1;
    Sleep(static_cast<DWORD>(RunSeconds() * 1000.0 + 0.5));
    return static_cast<int>(ExitCode());
}
