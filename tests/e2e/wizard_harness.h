// Drives a Windows program from outside, as a user would: copies a dist folder, starts the program,
// finds its dialog and message boxes, reads and clicks controls by id, presses keys, samples pixels
// and reads the exit code. Every wait polls with a generous bound: under Wine on a loaded machine a
// start can take many seconds, and a test never asserts on how long anything took.
#pragma once

#include "screen_capture.h"
#include "system_info.h"
#include "waiting.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

using support::CaptureScreen;
using support::kWaitMs;  // a window to appear, a page to change, a process to end
using support::Between;
using support::Near;
using support::RectText;
using support::WaitUntil;
using support::WindowsPathFromUnix;
using ClientSnapshot = support::Snapshot;

constexpr int kMessageBoxTextId = 0xFFFF;  // the static that holds a message box's text

using Environment = std::vector<std::pair<std::string, std::string>>;

bool ReadWholeFile(const std::string& path, std::string& bytes);
bool WriteWholeFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
std::string FileText(const std::string& path);  // "" if it cannot be read (a record not yet written)
// The file's text once it holds a whole line, or what it holds when the wait runs out: a process is
// listed, and may even outlive its starter, before its own code has run and written a record.
std::string FileTextOnceALineIsWritten(const std::string& path, DWORD timeoutMs = 30000);
bool RemoveTree(const std::string& path);  // a file, or a folder with everything in it
std::string FoldCase(std::string text);    // lower case (UTF-8)
// The program's texts are UTF-8 here, as the wizard keeps them.
std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const std::wstring& text);
std::string LastErrorText();

struct DistCopyOptions {
    std::string folderName = "Skylark";    // spaces, non-ASCII (in the ANSI code page) and long names allowed
    std::vector<std::string> removeFiles;  // relative paths: "data\\License.txt"
    std::vector<std::pair<std::string, std::string>> replaceFiles;  // relative path, new contents
};

// A copy of a dist folder under a fresh temporary folder, removed with everything in it (and any
// process still running from it) when the object goes.
class DistCopy {
public:
    DistCopy(const std::string& sourceDir, const DistCopyOptions& options = {});
    ~DistCopy();
    DistCopy(const DistCopy&) = delete;
    DistCopy& operator=(const DistCopy&) = delete;

    bool Ok() const { return m_error.empty(); }
    const std::string& Error() const { return m_error; }
    const std::string& Root() const { return m_root; }      // the temporary folder, with backslash
    const std::string& AppDir() const { return m_appDir; }  // the copy, with backslash
    std::string Path(const std::string& relative) const { return m_appDir + relative; }
    std::string ExePath() const { return Path("Wi-FiSkylark.exe"); }

private:
    std::string m_root, m_appDir, m_error;
};

// Ids of the listed processes, this one aside, whose image lies under folder (which ends in a
// backslash) and, if exeName is given, whose executable has that name (any letter case).
std::vector<DWORD> ProcessesUnder(const std::string& folder, const std::string& exeName = "");

// Where a released wizard's private copies of its package lie, as a path prefix:
// "<Windows>\Temp\Wi-FiSkylark-".
std::string PrivatePackageFolders();
// A start of the package from such a copy, as the stand-in records it: "\"<copy>\Skylark48.exe\" /s".
bool IsPrivateCopyStart(const std::string& commandLine);

// Ends every process whose executable lies under folder (which ends in a backslash) with exitCode;
// returns how many it ended.
int TerminateProcessesUnder(const std::string& folder, UINT exitCode = 0xDEAD);

// Moves the mouse to a screen point through the input queue, with any button flags
// (MOUSEEVENTF_LEFTDOWN, ...) at that point; paced as a hand would. False if the input was not taken.
bool MoveMouse(POINT screenPoint, DWORD buttonFlags = 0);

// A program started by the test, with its windows. Ends the process if it is still running.
class DrivenProcess {
public:
    DrivenProcess() = default;
    ~DrivenProcess();
    DrivenProcess(const DrivenProcess&) = delete;
    DrivenProcess& operator=(const DrivenProcess&) = delete;

    // Starts exePath in its own folder with the given variables added to (or, for an empty value,
    // removed from) this process's environment.
    bool Start(const std::string& exePath, const std::string& arguments = "", const Environment& env = {});
    // The same by the program's Unicode path, as Explorer starts a program.
    bool Start(const std::wstring& exePath, const Environment& env);
    // Follows a process that this object did not start (and so never ends it).
    bool Attach(DWORD pid);
    DWORD Pid() const { return m_pi.dwProcessId; }
    bool Running() const;

    // Waits for the process's exit code; on time-out ends the process and returns false.
    bool WaitForExit(DWORD& exitCode, DWORD timeoutMs = kWaitMs);

    // The visible top-level dialogs ("#32770") of the process: the one that holds control
    // markerId, and message boxes (those that hold the text static 0xFFFF).
    HWND FindDialogWith(int markerId) const;
    HWND FindMessageBox() const;
    HWND WaitForDialogWith(int markerId, DWORD timeoutMs = kWaitMs);  // also ends the wait if the process ends
    HWND WaitForMessageBox(DWORD timeoutMs = kWaitMs);
    // The dialog that holds control markerId as soon as it exists, shown or not: polls every
    // millisecond, to find it while the program is still setting it up.
    HWND WaitForDialogBeingSetUp(int markerId, DWORD timeoutMs = kWaitMs);

    // Controls of the dialog found last (or of the given window).
    HWND Dialog() const { return m_dialog; }
    HWND Control(int id) const { return m_dialog ? GetDlgItem(m_dialog, id) : nullptr; }
    bool Exists(int id) const { return Control(id) != nullptr; }
    bool IsVisible(int id) const;
    bool IsEnabled(int id) const;
    std::string Text(int id) const;
    void Click(int id) const;  // posts BM_CLICK
    // Brings the dialog to the front and clicks the middle of control id with the mouse, as a
    // hand would: input through the window system, not a message. False if there is no such
    // control, or the input was not taken.
    bool ClickWithMouse(int id) const;
    void PressKey(WORD vk) const;          // to the focused control of the dialog's thread
    HWND Focus() const;                    // the keyboard focus of the dialog's thread, or null
    int FocusId() const;                   // its control id, or 0 when no control of the dialog has it
    ClientSnapshot CaptureClient() const;  // the dialog's client area as it is on the screen

    // Makes sure everything posted to the dialog's thread so far has been handled: posts a marker
    // behind it (a selection change of edit control editId, which every page keeps) and waits
    // until the marker has been handled.
    bool Settle(int editId);

private:
    HWND WaitForDialog(int markerId, bool shownOnly, DWORD timeoutMs, DWORD pollMs);

    PROCESS_INFORMATION m_pi = {};
    bool m_started = false;
    HWND m_dialog = nullptr;
    int m_settleCount = 0;
};

// The process's exit code once it has ended; a test failure (and 0xBAD) if it does not end in time.
DWORD ExpectExit(DrivenProcess& process);

// A key typed on the keyboard (with a modifier key held, VK_MENU or VK_SHIFT, if one is given)
// while `window` is brought to the front: input goes where the system sends it, not straight into a
// window's queue.
void TypeKeyAt(HWND window, WORD vk, WORD modifier = 0);

// Wine's reported Windows version for the wizard alone, for as long as the object lives.
class ReportedVersion {
public:
    explicit ReportedVersion(const char* version);
    ~ReportedVersion() { Clear(); }
    ReportedVersion(const ReportedVersion&) = delete;
    ReportedVersion& operator=(const ReportedVersion&) = delete;
    bool Ok() const { return m_ok; }

    // Back to the prefix's own version (Windows 7), also after a run that was cut short. Other
    // settings for the program stay.
    static void Clear();

private:
    bool m_ok = false;
};

std::vector<HWND> VisibleControls(HWND dialog);
RECT RectInDialog(HWND dialog, HWND control);  // its outer rectangle in the dialog's client coordinates
std::string WindowText(HWND window);           // by WM_GETTEXT, so that it works across processes
std::string ClassName(HWND window);
void PressMessageBoxOk(HWND box);

}  // namespace e2e
