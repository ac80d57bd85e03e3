#include "wizard_harness.h"

#include <gtest/gtest.h>

#include <cstring>

namespace e2e {

std::string FoldCase(std::string text) {
    std::wstring wide = WideFromUtf8(text);
    if (!wide.empty()) CharLowerBuffW(&wide[0], static_cast<DWORD>(wide.size()));
    return Utf8FromWide(wide);
}

std::wstring WideFromUtf8(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
    return wide;
}

std::string Utf8FromWide(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], n, nullptr, nullptr);
    return utf8;
}

namespace {

std::string WithBackslash(std::string path) {
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path;
}

bool CopyTree(const std::string& from, const std::string& to, std::string& error) {
    if (!CreateDirectoryW(WideFromUtf8(to).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        error = "cannot create " + to + ": " + LastErrorText();
        return false;
    }
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(WideFromUtf8(from + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        error = "cannot list " + from + ": " + LastErrorText();
        return false;
    }
    bool ok = true;
    do {
        const std::string name = Utf8FromWide(found.cFileName);
        if (name == "." || name == "..") continue;
        const std::string source = from + "\\" + name, target = to + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ok = CopyTree(source, target, error);
        } else if (!CopyFileW(WideFromUtf8(source).c_str(), WideFromUtf8(target).c_str(), FALSE)) {
            error = "cannot copy " + source + ": " + LastErrorText();
            ok = false;
        }
    } while (ok && FindNextFileW(search, &found));
    FindClose(search);
    return ok;
}

bool ProcessImageUnder(DWORD pid, const std::string& folder) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return false;
    wchar_t image[MAX_PATH * 2];
    DWORD size = MAX_PATH * 2;
    const std::string prefix = FoldCase(folder);
    const bool under = QueryFullProcessImageNameW(process, 0, image, &size) &&
                       FoldCase(Utf8FromWide(std::wstring(image, size))).compare(0, prefix.size(), prefix) == 0;
    CloseHandle(process);
    return under;
}

struct DialogSearch {
    DWORD pid;
    int markerId;  // a control the dialog must hold, or 0 for a message box
    bool shownOnly;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<DialogSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->pid || (search->shownOnly && !IsWindowVisible(window)) || ClassName(window) != "#32770")
        return TRUE;
    const bool isMessageBox = GetDlgItem(window, kMessageBoxTextId) != nullptr;
    const bool match = search->markerId ? !isMessageBox && GetDlgItem(window, search->markerId) : isMessageBox;
    if (!match) return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindTopLevelDialog(DWORD pid, int markerId, bool shownOnly = true) {
    DialogSearch search = {pid, markerId, shownOnly, nullptr};
    EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Builds an environment block: this process's variables with the given ones set or removed.
std::string EnvironmentBlock(const Environment& changes) {
    std::vector<std::string> entries;
    if (char* block = GetEnvironmentStringsA()) {
        for (const char* p = block; *p; p += std::strlen(p) + 1) entries.emplace_back(p);
        FreeEnvironmentStringsA(block);
    }
    for (const auto& change : changes) {
        const std::string prefix = change.first + "=";
        for (size_t i = 0; i < entries.size();) {
            if (entries[i].size() >= prefix.size() &&
                _strnicmp(entries[i].c_str(), prefix.c_str(), prefix.size()) == 0) {
                entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(i));
            } else {
                ++i;
            }
        }
        if (!change.second.empty()) entries.push_back(prefix + change.second);
    }
    std::string block;
    for (const auto& entry : entries) {
        block += entry;
        block += '\0';
    }
    block += '\0';
    return block;
}

}  // namespace

std::string LastErrorText() { return "error " + std::to_string(GetLastError()); }

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bytes.clear();
    char buffer[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr) != FALSE) && got > 0) {
        bytes.append(buffer, got);
    }
    CloseHandle(file);
    return ok;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
    CloseHandle(file);
    return ok;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesW(WideFromUtf8(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string FileText(const std::string& path) {
    std::string bytes;
    return ReadWholeFile(path, bytes) ? bytes : std::string();
}

std::string FileTextOnceALineIsWritten(const std::string& path, DWORD timeoutMs) {
    std::string text;
    WaitUntil([&] { return (text = FileText(path)).find('\n') != std::string::npos; }, timeoutMs);
    return text;
}

bool RemoveTree(const std::string& path) {
    const std::wstring wide = WideFromUtf8(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
        return DeleteFileW(wide.c_str()) != FALSE;
    }
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((wide + L"\\*").c_str(), &found);
    bool ok = true;
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = Utf8FromWide(found.cFileName);
            if (name != "." && name != "..") ok = RemoveTree(path + "\\" + name) && ok;
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return RemoveDirectoryW(wide.c_str()) && ok;
}

DistCopy::DistCopy(const std::string& sourceDir, const DistCopyOptions& options) {
    static unsigned s_count = 0;
    char temp[MAX_PATH];
    const DWORD n = GetTempPathA(sizeof temp, temp);
    if (n == 0 || n >= sizeof temp) {
        m_error = "no temporary folder: " + LastErrorText();
        return;
    }
    m_root = WithBackslash(std::string(temp, n)) + "skylark-e2e-" + std::to_string(GetCurrentProcessId()) + "-" +
             std::to_string(++s_count) + "\\";
    RemoveTree(m_root.substr(0, m_root.size() - 1));
    if (!CreateDirectoryW(WideFromUtf8(m_root).c_str(), nullptr)) {
        m_error = "cannot create " + m_root + ": " + LastErrorText();
        return;
    }
    m_appDir = m_root + options.folderName + "\\";
    if (!FileExists(sourceDir + "\\Wi-FiSkylark.exe")) {
        m_error = "no program in " + sourceDir + " (is it built?)";
        return;
    }
    std::string error;
    if (!CopyTree(sourceDir, m_appDir.substr(0, m_appDir.size() - 1), error)) {
        m_error = error;
        return;
    }
    for (const auto& relative : options.removeFiles) {
        if (!RemoveTree(Path(relative))) m_error = "cannot remove " + Path(relative) + ": " + LastErrorText();
    }
    for (const auto& file : options.replaceFiles) {
        if (!WriteWholeFile(Path(file.first), file.second)) {
            m_error = "cannot write " + Path(file.first) + ": " + LastErrorText();
        }
    }
}

DistCopy::~DistCopy() {
    if (m_root.empty()) return;
    TerminateProcessesUnder(m_root);
    // A process that was just ended may still hold its image open for a moment.
    WaitUntil([&] { return RemoveTree(m_root.substr(0, m_root.size() - 1)); }, 10000);
}

std::vector<DWORD> ProcessesUnder(const std::string& folder, const std::string& exeName) {
    std::vector<DWORD> ids;
    for (const PROCESSENTRY32& entry : support::ListedProcesses()) {
        if (entry.th32ProcessID == GetCurrentProcessId()) continue;
        if (!exeName.empty() && lstrcmpiA(entry.szExeFile, exeName.c_str()) != 0) continue;
        if (ProcessImageUnder(entry.th32ProcessID, folder)) ids.push_back(entry.th32ProcessID);
    }
    return ids;
}

std::string PrivatePackageFolders() {
    char windows[MAX_PATH];
    const UINT n = GetSystemWindowsDirectoryA(windows, MAX_PATH);
    return std::string(windows, n) + "\\Temp\\Wi-FiSkylark-";
}

bool IsPrivateCopyStart(const std::string& commandLine) {
    const std::string folded = FoldCase(commandLine), prefix = FoldCase("\"" + PrivatePackageFolders());
    const std::string suffix = FoldCase("\\Skylark48.exe\" /s");
    return folded.size() > prefix.size() + suffix.size() && folded.compare(0, prefix.size(), prefix) == 0 &&
           folded.compare(folded.size() - suffix.size(), suffix.size(), suffix) == 0 &&
           folded.find('\\', prefix.size()) == folded.size() - suffix.size();
}

int TerminateProcessesUnder(const std::string& folder, UINT exitCode) {
    int ended = 0;
    for (DWORD pid : ProcessesUnder(folder)) {
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
            if (TerminateProcess(process, exitCode)) ++ended;
            WaitForSingleObject(process, 10000);
            CloseHandle(process);
        }
    }
    return ended;
}

DrivenProcess::~DrivenProcess() {
    if (m_pi.hProcess) {
        if (m_started && Running()) {
            TerminateProcess(m_pi.hProcess, 0xDEAD);
            WaitForSingleObject(m_pi.hProcess, 10000);
        }
        CloseHandle(m_pi.hProcess);
    }
    if (m_pi.hThread) CloseHandle(m_pi.hThread);
}

bool DrivenProcess::Start(const std::string& exePath, const std::string& arguments, const Environment& env) {
    if (m_pi.hProcess) return false;
    std::wstring commandLine = WideFromUtf8("\"" + exePath + "\"");
    if (!arguments.empty()) commandLine += L" " + WideFromUtf8(arguments);
    const std::wstring folder = WideFromUtf8(exePath.substr(0, exePath.find_last_of('\\') + 1));
    std::string block = EnvironmentBlock(env);  // an ANSI block: no CREATE_UNICODE_ENVIRONMENT
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    m_started = CreateProcessW(WideFromUtf8(exePath).c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, &block[0],
                               folder.empty() ? nullptr : folder.c_str(), &si, &m_pi) != FALSE;
    return m_started;
}

bool DrivenProcess::Start(const std::wstring& exePath, const Environment& env) {
    if (m_pi.hProcess) return false;
    std::wstring commandLine = L"\"" + exePath + L"\"";
    const std::wstring folder = exePath.substr(0, exePath.find_last_of(L'\\') + 1);
    std::string block = EnvironmentBlock(env);  // an ANSI block: no CREATE_UNICODE_ENVIRONMENT
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    m_started = CreateProcessW(exePath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, &block[0],
                               folder.empty() ? nullptr : folder.c_str(), &si, &m_pi) != FALSE;
    return m_started;
}

bool DrivenProcess::Attach(DWORD pid) {
    if (m_pi.hProcess) return false;
    m_pi.hProcess = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    m_pi.dwProcessId = pid;
    return m_pi.hProcess != nullptr;
}

bool DrivenProcess::Running() const { return m_pi.hProcess && WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT; }

bool DrivenProcess::WaitForExit(DWORD& exitCode, DWORD timeoutMs) {
    if (!m_started) return false;
    if (WaitForSingleObject(m_pi.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(m_pi.hProcess, 0xDEAD);
        WaitForSingleObject(m_pi.hProcess, 10000);
        return false;
    }
    return GetExitCodeProcess(m_pi.hProcess, &exitCode) != FALSE;
}

DWORD ExpectExit(DrivenProcess& process) {
    DWORD code = 0xBAD;
    EXPECT_TRUE(process.WaitForExit(code)) << "the program did not end";
    return code;
}

HWND DrivenProcess::FindDialogWith(int markerId) const { return FindTopLevelDialog(Pid(), markerId); }

HWND DrivenProcess::FindMessageBox() const { return FindTopLevelDialog(Pid(), 0); }

HWND DrivenProcess::WaitForDialog(int markerId, bool shownOnly, DWORD timeoutMs, DWORD pollMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopLevelDialog(Pid(), markerId, shownOnly)) != nullptr || !Running(); },
              timeoutMs, pollMs);
    if (found) m_dialog = found;
    return found;
}

HWND DrivenProcess::WaitForDialogWith(int markerId, DWORD timeoutMs) {
    return WaitForDialog(markerId, true, timeoutMs, support::kPollMs);
}

HWND DrivenProcess::WaitForDialogBeingSetUp(int markerId, DWORD timeoutMs) {
    return WaitForDialog(markerId, false, timeoutMs, 1);
}

HWND DrivenProcess::WaitForMessageBox(DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindMessageBox()) != nullptr || !Running(); }, timeoutMs);
    return found;
}

bool DrivenProcess::IsVisible(int id) const {
    HWND control = Control(id);
    return control && IsWindowVisible(control);
}

bool DrivenProcess::IsEnabled(int id) const {
    HWND control = Control(id);
    return control && IsWindowEnabled(control);
}

std::string DrivenProcess::Text(int id) const {
    HWND control = Control(id);
    return control ? WindowText(control) : std::string();
}

void DrivenProcess::Click(int id) const {
    if (HWND control = Control(id)) PostMessageA(control, BM_CLICK, 0, 0);
}

bool DrivenProcess::ClickWithMouse(int id) const {
    HWND control = Control(id);
    RECT r = {};
    if (!control || !GetWindowRect(control, &r)) return false;
    SetForegroundWindow(m_dialog);
    const POINT middle = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    return MoveMouse(middle) && MoveMouse(middle, MOUSEEVENTF_LEFTDOWN) && MoveMouse(middle, MOUSEEVENTF_LEFTUP);
}

HWND DrivenProcess::Focus() const {
    if (!m_dialog) return nullptr;
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(m_dialog, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

int DrivenProcess::FocusId() const {
    HWND focus = Focus();
    return focus && GetParent(focus) == m_dialog ? GetDlgCtrlID(focus) : 0;
}

void DrivenProcess::PressKey(WORD vk) const {
    HWND target = Focus();
    if (!target) target = m_dialog;
    if (!target) return;
    const UINT scan = MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
    const LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
    const LPARAM up = down | (1L << 30) | (1L << 31);  // previous state down, transition up
    // No WM_CHAR: the program's own message loop translates the key, as it would a typed one.
    PostMessageA(target, WM_KEYDOWN, vk, down);
    PostMessageA(target, WM_KEYUP, vk, up);
}

bool DrivenProcess::Settle(int editId) {
    HWND edit = Control(editId);
    if (!edit) return false;
    // Limits far above any text: the text is kept, and each marker is a new value.
    const LPARAM marker = 0x10000000 + (++m_settleCount % 2);
    PostMessageA(edit, EM_SETLIMITTEXT, static_cast<WPARAM>(marker), 0);
    return WaitUntil([&] {
        DWORD_PTR limit = 0;
        return SendMessageTimeoutA(edit, EM_GETLIMITTEXT, 0, 0, SMTO_ABORTIFHUNG, 5000, &limit) &&
               static_cast<LPARAM>(limit) == marker;
    });
}

bool MoveMouse(POINT screenPoint, DWORD buttonFlags) {
    // Absolute input is in 0..65535 over the primary screen.
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(screenPoint.x, 65535, screenWidth - 1);
    input.mi.dy = MulDiv(screenPoint.y, 65535, screenHeight - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttonFlags;
    const bool taken = SendInput(1, &input, sizeof input) == 1;
    Sleep(60);  // paced as a hand would, not asserted on
    return taken;
}

ClientSnapshot DrivenProcess::CaptureClient() const {
    RECT client;
    if (!m_dialog || !GetClientRect(m_dialog, &client)) return {};
    POINT origin = {0, 0};
    ClientToScreen(m_dialog, &origin);
    OffsetRect(&client, origin.x, origin.y);
    return CaptureScreen(client);
}

std::string WindowText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG,
                             5000, &copied)) {
        return {};
    }
    text.resize(copied < text.size() ? copied : text.size() - 1);
    return Utf8FromWide(text);
}

std::vector<HWND> VisibleControls(HWND dialog) {
    std::vector<HWND> controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowVisible(child)) controls.push_back(child);
    }
    return controls;
}

RECT RectInDialog(HWND dialog, HWND control) {
    RECT r = {};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string ClassName(HWND window) {
    char name[64];
    const int n = GetClassNameA(window, name, sizeof name);
    return n > 0 ? std::string(name, static_cast<size_t>(n)) : std::string();
}

void TypeKeyAt(HWND window, WORD vk, WORD modifier) {
    SetForegroundWindow(window);
    std::vector<INPUT> keys;
    auto key = [&](WORD code, bool up) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = code;
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(code, MAPVK_VK_TO_VSC));
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        keys.push_back(input);
    };
    if (modifier) key(modifier, false);
    key(vk, false);
    key(vk, true);
    if (modifier) key(modifier, true);
    SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
}

namespace {
constexpr const char* kVersionKey = "Software\\Wine\\AppDefaults\\Wi-FiSkylark.exe";
}

ReportedVersion::ReportedVersion(const char* version) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kVersionKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return;
    }
    m_ok = RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                          static_cast<DWORD>(lstrlenA(version) + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
}

void ReportedVersion::Clear() { RegDeleteKeyValueA(HKEY_CURRENT_USER, kVersionKey, "Version"); }

void PressMessageBoxOk(HWND box) {
    if (HWND ok = GetDlgItem(box, IDOK)) PostMessageA(ok, BM_CLICK, 0, 0);
}

}  // namespace e2e
