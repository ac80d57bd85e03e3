// The harness on its own, before it meets the wizard: the stand-in package started through
// copies of a dist folder, and a dialog of this process's own driven from another thread.
#include "wizard_harness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace e2e {
namespace {

constexpr DWORD kShortMs = 3000;

// A dist folder made of the stand-in package: "Wi-FiSkylark.exe" is the stand-in itself, so a
// started "wizard" records its command line and ends.
class FakeDist {
public:
    FakeDist() {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        m_dir = std::string(temp) + "skylark-fake-dist-" + std::to_string(GetCurrentProcessId());
        RemoveTree(m_dir);
        const std::string standIn = WindowsPathFromUnix(SKYLARK_STANDIN_EXE);
        m_ok = CreateDirectoryA(m_dir.c_str(), nullptr) && CreateDirectoryA((m_dir + "\\data").c_str(), nullptr) &&
               CopyFileA(standIn.c_str(), (m_dir + "\\Wi-FiSkylark.exe").c_str(), FALSE) &&
               CopyFileA(standIn.c_str(), (m_dir + "\\data\\Skylark48.exe").c_str(), FALSE) &&
               WriteWholeFile(m_dir + "\\data\\License.txt", "Licence line\r\n");
    }
    ~FakeDist() { RemoveTree(m_dir); }
    bool Ok() const { return m_ok; }
    const std::string& Dir() const { return m_dir; }

private:
    std::string m_dir;
    bool m_ok = false;
};

TEST(StandIn, RecordsEachStartAndEndsWithZero) {
    FakeDist dist;
    ASSERT_TRUE(dist.Ok());
    const std::string record = dist.Dir() + "\\record.txt";
    const std::string package = dist.Dir() + "\\data\\Skylark48.exe";
    const Environment env = {{"SKYLARK_STANDIN_SECONDS", "0.2"}, {"SKYLARK_STANDIN_RECORD", record}};

    for (const char* arguments : {"/s", "/s /extra"}) {
        DrivenProcess package_run;
        ASSERT_TRUE(package_run.Start(package, arguments, env)) << LastErrorText();
        DWORD code = 1234;
        ASSERT_TRUE(package_run.WaitForExit(code));
        EXPECT_EQ(code, 0u);
    }
    std::string lines;
    ASSERT_TRUE(ReadWholeFile(record, lines));
    EXPECT_EQ(lines, "\"" + package + "\" /s\n\"" + package + "\" /s /extra\n");
}

TEST(StandIn, WaitForExitEndsAProcessThatOutlivesTheBound) {
    FakeDist dist;
    ASSERT_TRUE(dist.Ok());
    DrivenProcess package_run;
    ASSERT_TRUE(package_run.Start(dist.Dir() + "\\data\\Skylark48.exe", "/s", {{"SKYLARK_STANDIN_SECONDS", "600"}}));
    DWORD code = 0;
    EXPECT_FALSE(package_run.WaitForExit(code, kShortMs));
    EXPECT_FALSE(package_run.Running());
}

struct CopyCase {
    const char* label;
    std::string folderName;
};

TEST(DistCopy, CopiesUnderAnyFolderNameAndRemovesItAll) {
    FakeDist dist;
    ASSERT_TRUE(dist.Ok());
    const CopyCase cases[] = {
        {"plain", "Skylark"},
        {"spaces", "Wi-Fi Skylark Set up"},
        {"non-ASCII", "Set\xC3\xA9up \xD0\xA2\xD0\xB5\xD1\x81\xD1\x82"},  // "Setéup Тест"
        {"long", std::string(120, 'L')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        std::string root;
        {
            DistCopyOptions options;
            options.folderName = c.folderName;
            options.removeFiles = {"data\\Skylark48.exe"};
            options.replaceFiles = {{"data\\License.txt", "Replaced\n"}};
            DistCopy copy(dist.Dir(), options);
            ASSERT_TRUE(copy.Ok()) << copy.Error();
            root = copy.Root();
            EXPECT_EQ(copy.AppDir(), copy.Root() + c.folderName + "\\");
            EXPECT_FALSE(FileExists(copy.Path("data\\Skylark48.exe")));
            std::string licence;
            ASSERT_TRUE(ReadWholeFile(copy.Path("data\\License.txt"), licence));
            EXPECT_EQ(licence, "Replaced\n");

            // The copied program starts from the new folder: its command line names it.
            const std::string record = copy.Root() + "record.txt";
            DrivenProcess run;
            ASSERT_TRUE(run.Start(copy.ExePath(), "/s",
                                  {{"SKYLARK_STANDIN_SECONDS", "0"}, {"SKYLARK_STANDIN_RECORD", record}}));
            DWORD code = 1234;
            ASSERT_TRUE(run.WaitForExit(code));
            EXPECT_EQ(code, 0u);
            std::string line;
            ASSERT_TRUE(ReadWholeFile(record, line));
            EXPECT_EQ(line, "\"" + copy.ExePath() + "\" /s\n");
        }
        EXPECT_FALSE(FileExists(root));
    }
}

TEST(DistCopy, EndsProcessesStillRunningFromTheCopy) {
    FakeDist dist;
    ASSERT_TRUE(dist.Ok());
    DrivenProcess run;
    std::string root;
    {
        DistCopy copy(dist.Dir());
        ASSERT_TRUE(copy.Ok()) << copy.Error();
        root = copy.Root();
        ASSERT_TRUE(run.Start(copy.Path("data\\Skylark48.exe"), "/s", {{"SKYLARK_STANDIN_SECONDS", "600"}}));
    }
    EXPECT_FALSE(run.Running());
    EXPECT_FALSE(FileExists(root));
}

// A dialog of this process, run on a thread of its own as a program's dialog would be.
constexpr int kTitleId = 1016, kNextId = 1001, kBoxId = 1002, kHiddenId = 1003, kDisabledId = 1005, kEditId = 1020;
const char kEditText[] = "line one\r\nline two";
const COLORREF kBackground = RGB(200, 30, 40);

class OwnDialog {
public:
    OwnDialog() : m_thread([this] { Run(); }) {}
    ~OwnDialog() {
        if (HWND dialog = m_dialog) PostMessageA(dialog, WM_CLOSE, 0, 0);
        m_thread.join();
    }

private:
    static void Append(std::vector<WORD>& t, const wchar_t* text) {
        do t.push_back(static_cast<WORD>(*text));
        while (*text++);
    }
    static void Item(std::vector<WORD>& t, DWORD style, short x, short y, short cx, short cy, WORD id, WORD classAtom,
                     const wchar_t* text) {
        if (t.size() % 2) t.push_back(0);  // items are DWORD-aligned
        const DWORD fullStyle = style | WS_CHILD | WS_VISIBLE;
        t.push_back(LOWORD(fullStyle));
        t.push_back(HIWORD(fullStyle));
        t.push_back(0);
        t.push_back(0);  // extended style
        for (short v : {x, y, cx, cy}) t.push_back(static_cast<WORD>(v));
        t.push_back(id);
        t.push_back(0xFFFF);
        t.push_back(classAtom);
        Append(t, text);
        t.push_back(0);  // no creation data
    }

    static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
        static HBRUSH s_brush = CreateSolidBrush(kBackground);
        switch (message) {
            case WM_INITDIALOG:
                SetWindowTextA(dialog, "Harness dialog");
                SetDlgItemTextA(dialog, kEditId, kEditText);
                ShowWindow(GetDlgItem(dialog, kHiddenId), SW_HIDE);
                PostMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, kNextId)), TRUE);
                return FALSE;
            case WM_CTLCOLORDLG:
                return reinterpret_cast<INT_PTR>(s_brush);
            case WM_COMMAND:
                switch (LOWORD(wParam)) {
                    case kNextId: {
                        char text[64];
                        GetDlgItemTextA(dialog, kTitleId, text, sizeof text);
                        SetDlgItemTextA(dialog, kTitleId, (std::string(text) + " next").c_str());
                        return TRUE;
                    }
                    case kBoxId:
                        MessageBoxA(dialog, "Harness message", "Harness caption", MB_OK);
                        SetDlgItemTextA(dialog, kTitleId, "box closed");
                        return TRUE;
                    case IDCANCEL:
                        DestroyWindow(dialog);
                        return TRUE;
                }
                return FALSE;
            case WM_CLOSE:
                DestroyWindow(dialog);
                return TRUE;
            case WM_DESTROY:
                PostQuitMessage(0);
                return TRUE;
        }
        return FALSE;
    }

    void Run() {
        std::vector<WORD> t;
        const DWORD style = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_SETFONT;
        t.push_back(LOWORD(style));
        t.push_back(HIWORD(style));
        t.push_back(0);
        t.push_back(0);  // extended style
        t.push_back(6);  // items
        for (short v : {20, 20, 240, 120}) t.push_back(static_cast<WORD>(v));
        t.push_back(0);
        t.push_back(0);  // no menu, default class
        Append(t, L"");
        t.push_back(8);
        Append(t, L"MS Shell Dlg");
        Item(t, SS_LEFT, 100, 10, 130, 10, kTitleId, 0x0082, L"title");
        Item(t, BS_PUSHBUTTON | WS_TABSTOP, 100, 90, 40, 14, kNextId, 0x0080, L"Next");
        Item(t, BS_PUSHBUTTON | WS_TABSTOP, 150, 90, 40, 14, kBoxId, 0x0080, L"Box");
        Item(t, BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED, 200, 90, 30, 14, kDisabledId, 0x0080, L"Off");
        Item(t, SS_LEFT, 100, 25, 50, 10, kHiddenId, 0x0082, L"hidden");
        Item(t, ES_MULTILINE | ES_AUTOVSCROLL | WS_BORDER | WS_TABSTOP, 100, 40, 130, 40, kEditId, 0x0081, L"");
        HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(t.data()),
                                                 nullptr, Proc, 0);
        m_dialog = dialog;
        MSG msg;
        while (dialog && GetMessageA(&msg, nullptr, 0, 0) > 0) {
            if (!IsWindow(dialog) || !IsDialogMessageA(dialog, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
        m_dialog = nullptr;
    }

    std::atomic<HWND> m_dialog{nullptr};
    std::thread m_thread;
};

TEST(Harness, DrivesADialogAsAUserWould) {
    OwnDialog own;
    DrivenProcess self;
    ASSERT_TRUE(self.Attach(GetCurrentProcessId()));
    HWND dialog = self.WaitForDialogWith(kTitleId);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(dialog), "Harness dialog");

    // What a user sees.
    EXPECT_TRUE(self.IsVisible(kNextId));
    EXPECT_FALSE(self.IsVisible(kHiddenId));
    EXPECT_TRUE(self.IsEnabled(kNextId));
    EXPECT_FALSE(self.IsEnabled(kDisabledId));
    EXPECT_FALSE(self.Exists(4242));
    EXPECT_EQ(self.Text(kEditId), kEditText);
    ASSERT_TRUE(WaitUntil([&] { return self.FocusId() == kNextId; })) << "focus on " << self.FocusId();

    // Enter clicks the focused push button; a click by message does the same.
    self.PressKey(VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return self.Text(kTitleId) == "title next"; })) << self.Text(kTitleId);
    self.Click(kNextId);
    EXPECT_TRUE(WaitUntil([&] { return self.Text(kTitleId) == "title next next"; })) << self.Text(kTitleId);

    // Tab moves the focus along the tab stops, skipping the disabled button.
    self.PressKey(VK_TAB);
    EXPECT_TRUE(WaitUntil([&] { return self.FocusId() == kBoxId; })) << "focus on " << self.FocusId();
    self.PressKey(VK_TAB);
    EXPECT_TRUE(WaitUntil([&] { return self.FocusId() == kEditId; })) << "focus on " << self.FocusId();
    // A typed key reaches the focused control, translated by the dialog's own loop.
    self.PressKey('X');
    EXPECT_TRUE(self.Settle(kEditId));
    EXPECT_NE(self.Text(kEditId).find_first_of("xX"), std::string::npos) << self.Text(kEditId);

    // The client area as it is on the screen, away from every control.
    const ClientSnapshot shot = self.CaptureClient();
    ASSERT_GT(shot.width, 20);
    ASSERT_GT(shot.height, 20);
    EXPECT_EQ(shot.At(8, shot.height - 8), kBackground);
    EXPECT_EQ(shot.At(shot.width, 0), CLR_INVALID);

    // A message box of the process: found, read and closed with OK.
    self.Click(kBoxId);
    HWND box = self.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(box, kMessageBoxTextId)), "Harness message");
    EXPECT_EQ(WindowText(box), "Harness caption");
    EXPECT_EQ(self.FindDialogWith(kTitleId), dialog);  // a message box is never taken for the dialog
    PressMessageBoxOk(box);
    EXPECT_TRUE(WaitUntil([&] { return self.Text(kTitleId) == "box closed"; })) << self.Text(kTitleId);
    EXPECT_EQ(self.FindMessageBox(), nullptr);

    // Escape reaches the dialog as IDCANCEL, which closes it.
    self.PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
}

}  // namespace
}  // namespace e2e
