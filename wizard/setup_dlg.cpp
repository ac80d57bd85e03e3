#include "setup_dlg.h"

#include "app_dir.h"
#include "display_class.h"
#include "file_reader.h"
#include "globals.h"
#include "high_contrast.h"
#include "install_run.h"
#include "install_thread.h"
#include "licence_text.h"
#include "message_box.h"
#include "module_path.h"
#include "ole_picture.h"
#include "page_table.h"
#include "progress_cycle.h"
#include "release_pins.h"
#include "resource.h"
#include "system_error.h"
#include "run_failure.h"
#include "timer_ids.h"
#include "user_language.h"
#include "utf8.h"
#include "win_app.h"

namespace {

// Exit codes of a wizard that ends before its first page.
const int kExitLicenceUnreadable = 3;

const COLORREF kTitleColour = RGB(255, 255, 255);
const COLORREF kTextColour = RGB(51, 51, 51);
const COLORREF kLicenceBoxColour = RGB(255, 255, 255);

// The template's texts, each from the language the wizard speaks.
const struct {
    int id;
    core::Text text;
} kControlTexts[] = {
    {IDC_WELCOME_BACK, core::Text::Back},
    {IDC_WELCOME_NEXT, core::Text::Next},
    {IDC_WELCOME_CANCEL, core::Text::Cancel},
    {IDC_INSTALL_BACK, core::Text::Back},
    {IDC_INSTALL_NEXT, core::Text::Next},
    {IDC_INSTALL_CANCEL, core::Text::Cancel},
    {IDC_FINISH_BACK, core::Text::Back},
    {IDC_FINISH, core::Text::Finish},
    {IDC_FINISH_CANCEL, core::Text::Cancel},
    {IDC_LICENSE_BACK, core::Text::Back},
    {IDC_ACCEPT, core::Text::Accept},
    {IDC_LICENSE_CANCEL, core::Text::Cancel},
    {IDC_WELCOME_TITLE, core::Text::WelcomeTitle},
    {IDC_WELCOME_TEXT, core::Text::WelcomeText},
    {IDC_INSTALL_TITLE, core::Text::InstallTitle},
    {IDC_FINISH_TITLE, core::Text::FinishTitle},
    {IDC_FINISH_TEXT, core::Text::FinishText},
    {IDC_WELCOME_LABEL, core::Text::WelcomeLabel},
    {IDC_TITLE, core::Text::Title},
    {IDC_INSTALLING, core::Text::Installing},
};

bool IsTextStatic(int id) { return (id >= IDC_WELCOME_TITLE && id <= IDC_TITLE) || id == IDC_INSTALLING; }

LOGFONTW VerdanaFont(int height, LONG weight, BYTE charset) {
    LOGFONTW lf = {};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfCharSet = charset;
    lstrcpynW(lf.lfFaceName, L"Verdana", LF_FACESIZE);
    return lf;
}

}  // namespace

CSetupDlg::CSetupDlg()
    : CDialog(IDD_SETUP_DIALOG), m_hIcon(::LoadIconW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME))) {}

void CSetupDlg::DoDataExchange() {
    BindControl(m_btnWelcomeBack, IDC_WELCOME_BACK);
    BindControl(m_btnWelcomeNext, IDC_WELCOME_NEXT);
    BindControl(m_btnWelcomeCancel, IDC_WELCOME_CANCEL);
    BindControl(m_btnInstallBack, IDC_INSTALL_BACK);
    BindControl(m_btnInstallNext, IDC_INSTALL_NEXT);
    BindControl(m_btnInstallCancel, IDC_INSTALL_CANCEL);
    BindControl(m_btnFinishBack, IDC_FINISH_BACK);
    BindControl(m_btnFinish, IDC_FINISH);
    BindControl(m_btnFinishCancel, IDC_FINISH_CANCEL);
    BindControl(m_btnLicenseBack, IDC_LICENSE_BACK);
    BindControl(m_btnAccept, IDC_ACCEPT);
    BindControl(m_btnLicenseCancel, IDC_LICENSE_CANCEL);
    BindControl(m_stWelcomeTitle, IDC_WELCOME_TITLE);
    BindControl(m_stWelcomeText, IDC_WELCOME_TEXT);
    BindControl(m_stInstallTitle, IDC_INSTALL_TITLE);
    BindControl(m_stFinishTitle, IDC_FINISH_TITLE);
    BindControl(m_stFinishText, IDC_FINISH_TEXT);
    BindControl(m_stWelcomeLabel, IDC_WELCOME_LABEL);
    BindControl(m_stInstalling, IDC_INSTALLING);
    BindControl(m_editLicense, IDC_LICENSE_EDIT);
    BindControl(m_stTitle, IDC_TITLE);
    BindControl(m_progress, IDC_PROGRESS);
    BindControl(m_richLicense, IDC_LICENSE_RICHEDIT);
    BindControl(m_picAnimation, IDC_ANIMATION);
}

BOOL CSetupDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_language = ChooseUserLanguage();
    SetUpWindow();
    if (const int exitCode = FindDataFolder()) return EndBeforeFirstPage(exitCode);
    SetUpControls();
    // Never let the user accept a licence that was never shown.
    if (!LoadLicenceText()) return EndBeforeFirstPage(kExitLicenceUnreadable);
    m_richLicense.ShowWindow(SW_HIDE);
    ShowFirstPage();
    return TRUE;
}

void CSetupDlg::SetUpWindow() {
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    PlaceWindowByDisplayClass();
    RemoveCaptionAndBorder();
}

int CSetupDlg::FindDataFolder() {
    g_strAppDir = core::AppDirFromModulePath(ModuleFileName(nullptr));

    // A released program shows and runs only the files its vendor released.
    std::vector<core::ChangedFile> changed;
    if (!m_dataFiles.CheckAtStart(g_strAppDir + core::kDataFolder, changed)) {
        Tell(core::ChangedFilesMessage(changed, m_language), MB_OK | MB_ICONSTOP, nullptr);
        return static_cast<int>(core::kRunFilesChanged);
    }
    return 0;
}

void CSetupDlg::SetUpControls() {
    ::ShowWindow(GetDlgItem(IDOK), SW_HIDE);
    ::ShowWindow(GetDlgItem(IDCANCEL), SW_HIDE);
    SetWindowText("Wi-FiSkylark.exe");
    SetTexts();

    CreateFonts();
    m_stInstalling.ShowWindow(SW_HIDE);
    m_stWelcomeLabel.ShowWindow(SW_HIDE);

    m_highContrast = HighContrastIsOn();
    SetLicenceBoxColours();
    m_editLicense.SetEditFont();

    m_editLicense.SetAccessibleName(Widen(m_language[core::Text::LicenceName]));
    m_progress.SetAccessibleName(Widen(m_language[core::Text::ProgressName]));
    m_picAnimation.SetAccessibleName(Widen(m_language[core::Text::AnimationName]));
}

void CSetupDlg::SetTexts() {
    const bool rightToLeft = m_language.RightToLeft();
    for (const auto& control : kControlTexts) {
        const HWND window = GetDlgItem(control.id);
        ::SetWindowTextW(
            window, Widen(rightToLeft ? core::EmbeddedRightToLeft(m_language[control.text]) : m_language[control.text])
                        .c_str());
        if (!rightToLeft) continue;
        // Read from right to left and set against the right edge of its place; the layout and the
        // picture are not mirrored, so each text stays where the art leaves room for it.
        ::SetWindowLongW(window, GWL_EXSTYLE, ::GetWindowLongW(window, GWL_EXSTYLE) | WS_EX_RTLREADING);
        if (IsTextStatic(control.id)) {
            ::SetWindowLongW(window, GWL_STYLE, (::GetWindowLongW(window, GWL_STYLE) & ~SS_TYPEMASK) | SS_RIGHT);
            EndInsideWindow(window);
        }
    }
}

void CSetupDlg::EndInsideWindow(HWND control) {
    // Some of the template's places run past the window's right edge, where left-aligned text never
    // reaches: a right-aligned one would start there, out of sight.
    RECT client, place, margin = {0, 0, 8, 0};
    ::GetClientRect(m_hWnd, &client);
    ::GetWindowRect(control, &place);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&place), 2);
    ::MapDialogRect(m_hWnd, &margin);
    const LONG right = client.right - margin.right;
    if (place.right > right && right > place.left)
        ::SetWindowPos(control, nullptr, 0, 0, right - place.left, place.bottom - place.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int CSetupDlg::Tell(const std::string& text, UINT type, HWND owner) const {
    if (m_language.RightToLeft()) type |= MB_RTLREADING | MB_RIGHT;
    return AfxMessageBox(text, type, owner);
}

void CSetupDlg::SetLicenceBoxColours() {
    // Dark grey on white with a brush of its own; the user's own colours in high contrast.
    m_editLicense.SetBkColor(m_highContrast ? ::GetSysColor(COLOR_WINDOW) : kLicenceBoxColour);
    m_editLicense.SetTextColor(m_highContrast ? ::GetSysColor(COLOR_WINDOWTEXT) : kTextColour);
}

void CSetupDlg::OnColoursChanged(bool systemColours) {
    m_highContrast = HighContrastIsOn();
    SetLicenceBoxColours();
    // Top-level windows alone hear of new system colours; the common controls keep theirs until told.
    if (systemColours) m_progress.SendMessage(WM_SYSCOLORCHANGE);
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CSetupDlg::ShowFirstPage() {
    g_hSetupWnd = m_hWnd;
    ShowPage();

    CheckOsVersion();
    // What only the later pages show is done once the window is up. Posted now, the message is
    // handled before any click the user makes on the shown window.
    ::PostMessageW(m_hWnd, WM_APP_AFTER_FIRST_SHOW, 0, 0);
}

void CSetupDlg::PrepareLaterPages() {
    if (m_laterPagesPrepared) return;
    m_laterPagesPrepared = true;
    m_richLicense.SetFont(m_fontText.Get());
    m_richLicense.SetSelectionRed();
    // Replaces the licence box's own font: the licence shows in Verdana 10 pt.
    m_editLicense.SetFont(m_fontLicense.Get());
    m_editLicense.SetWindowText(m_strLicense);
    // The rich edit is never shown, but keeps the licence text as the licence box does.
    m_richLicense.SetWindowText(m_strLicense);
    // The animation runs once loaded, shown or hidden; only the Installing page shows it. A vendor's
    // file may be large: it is read and cut off the window's thread, which stays free to answer.
    // A released program's animation is checked there too, and shows only once it has passed;
    // the installation waits for the verdict.
    m_picAnimation.ShowWindow(SW_HIDE);
    const auto readAndCheck = [this] {
        core::ChangedFile changed;
        FileReadResult animation = m_dataFiles.ReadAnimation(changed);
        if (changed.path.empty())
            ::PostMessageW(m_hWnd, WM_APP_ANIMATION_CHECKED, 0, 0);
        else
            ReportChangedFiles(m_hWnd, {changed});
        return animation.ok ? std::move(animation.bytes) : std::string();
    };
    // Without a thread to read it on, it is checked here and not shown.
    if (!m_picAnimation.LoadAndShowInBackground(readAndCheck)) readAndCheck();
}

BOOL CSetupDlg::EndBeforeFirstPage(int exitCode) {
    // Destroying the window here ends the modal run before the dialog is first shown; the quit
    // code is the program's exit code.
    ::PostQuitMessage(exitCode);
    ::DestroyWindow(m_hWnd);
    return FALSE;
}

bool CSetupDlg::LoadLicenceText() {
    const std::string path = g_strAppDir + core::kDataFolder + core::kLicenceFileName;
    const FileReadResult file = m_dataFiles.Read(core::kLicenceFileName);
    if (!file.ok) {
        Tell(core::Fill(m_language[core::Text::LicenceUnreadable], {{"path", path}}), MB_OK | MB_ICONSTOP, nullptr);
        return false;
    }
    m_strLicense = core::LicenceTextFromFile(file.bytes, &AnsiToUtf8);
    return true;
}

void CSetupDlg::ShowPage() {
    const core::PageSteps page = core::StepsForPage(g_nCurPage);
    for (size_t i = 0; i < page.count; ++i) {
        const HWND control = GetDlgItem(page.steps[i].controlId);
        switch (page.steps[i].action) {
            case core::PageAction::Show:
                ::ShowWindow(control, SW_SHOW);
                break;
            case core::PageAction::Hide:
                ::ShowWindow(control, SW_HIDE);
                break;
            case core::PageAction::Disable:
                ::EnableWindow(control, FALSE);
                break;
        }
    }
    // Enter moves the wizard on: the forward button takes the focus. On the Installing page a
    // label takes it, so that no button, visible or hidden, is clicked by Enter.
    if (const int focus = core::FocusControlForPage(g_nCurPage))
        SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(focus)), TRUE);
}

void CSetupDlg::OnOK() {
    // Enter must never close the wizard.
}

bool CSetupDlg::OnCommand(UINT id, UINT code, HWND control) {
    if (code != BN_CLICKED || control == nullptr) return CDialog::OnCommand(id, code, control);
    switch (id) {
        case IDC_WELCOME_BACK:
        case IDC_INSTALL_BACK:
        case IDC_FINISH_BACK:
        case IDC_FINISH_CANCEL:
        case IDC_LICENSE_BACK:
            OnNoAction();
            return true;
        case IDC_WELCOME_NEXT:
            OnWelcomeNext();
            return true;
        case IDC_INSTALL_NEXT:
            OnInstallNext();
            return true;
        case IDC_ACCEPT:
            OnAccept();
            return true;
        case IDC_WELCOME_CANCEL:
        case IDC_INSTALL_CANCEL:
        case IDC_FINISH:
        case IDC_LICENSE_CANCEL:
            OnQuit();
            return true;
        default:
            return CDialog::OnCommand(id, code, control);
    }
}

void CSetupDlg::OnWelcomeNext() {
    // A click sent straight to the button is handled before anything posted, so it may come
    // before the message that prepares the later pages.
    PrepareLaterPages();
    g_nCurPage = core::kPageLicence;
    ShowPage();
}

void CSetupDlg::OnInstallNext() {
    g_nCurPage = core::kPageNone;  // nothing changes (the button is always disabled when shown)
    ShowPage();
}

void CSetupDlg::OnAccept() {
    g_nCurPage = core::kPageInstalling;
    ShowPage();
    // The fallback is armed before the worker starts, so that the worker's own, later arming of
    // IDT_FINISH always replaces it and never the other way round.
    ::SetTimer(m_hWnd, IDT_FINISH, kFinishFallbackMs, nullptr);
    // Nothing released is installed before every file has passed its check.
    if (m_animationChecked)
        StartInstallation();
    else
        m_installWhenChecked = true;
}

void CSetupDlg::StartInstallation() {
    m_installWhenChecked = false;
    DWORD error = ERROR_SUCCESS;
    if (!StartInstallThread(error))
        OnRunFailed(core::kRunStartFailed, error);  // nothing would ever run: never the Finish page
}

void CSetupDlg::OnQuit() {
    // 0 after Cancel, the package's verdict after Finish; a failed run's code holds even if a click
    // slips in after it.
    if (RunFailed()) {
        ::PostQuitMessage(m_exitCode);
        return;
    }
    ::PostQuitMessage(g_nCurPage == core::kPageFinish ? m_finishExitCode : 0);
}

LRESULT CSetupDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_QUERYDRAGICON:
            return reinterpret_cast<LRESULT>(m_hIcon);
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_ERASEBKGND:
            return OnEraseBkgnd(reinterpret_cast<HDC>(wp));
        case WM_NCHITTEST: {
            const POINT point = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
            return OnNcHitTest(point);
        }
        case WM_TIMER:
            OnTimer(wp);
            return Default();
        case WM_APP_ARM_TIMER:
            OnArmTimer(static_cast<UINT>(wp), static_cast<UINT>(lp));
            return 0;
        case WM_APP_RUN_FAILED:
            OnRunFailed(static_cast<uint32_t>(wp), static_cast<DWORD>(lp));
            return 0;
        case WM_APP_PACKAGE_STARTED:
            // The package is followed to its end: the fallback must not call it complete meanwhile.
            if (!RunFailed()) ::KillTimer(m_hWnd, IDT_FINISH);
            return 0;
        case WM_APP_PACKAGE_ENDED:
            OnPackageEnded(static_cast<core::PackageOutcome>(wp), static_cast<uint32_t>(lp));
            return 0;
        case WM_APP_ANIMATION_CHECKED:
            m_animationChecked = true;
            if (m_installWhenChecked && !RunFailed()) StartInstallation();
            return 0;
        case WM_APP_FILES_CHANGED:
            EndRunWith(core::kRunFilesChanged, core::ChangedFilesMessage(TakeChangedFiles(lp), m_language),
                       MB_OK | MB_ICONSTOP);
            return 0;
        case WM_APP_PRIVATE_FOLDER_FAILED:
            EndRunWith(core::kRunStartFailed,
                       core::Fill(m_language[core::Text::PrivateFolderFailed],
                                  {{"error", SystemErrorText(static_cast<DWORD>(lp))}}),
                       MB_OK | MB_ICONSTOP);
            return 0;
        case WM_APP_AFTER_FIRST_SHOW:
            PrepareLaterPages();
            return 0;
        case WM_SYSCOLORCHANGE:
            OnColoursChanged(true);
            break;
        case WM_SETTINGCHANGE:
            if (wp == SPI_SETHIGHCONTRAST) OnColoursChanged(false);
            break;
    }
    return CDialog::WindowProc(msg, wp, lp);
}

void CSetupDlg::OnTimer(UINT_PTR id) {
    if (RunFailed()) return;
    if (id == IDT_FINISH) {
        ::KillTimer(m_hWnd, IDT_FINISH);
        ::KillTimer(m_hWnd, IDT_PROGRESS);
        m_progress.SetPos(core::kProgressCycleLength);
        if (m_restartNeeded) {
            m_stFinishTitle.SetWindowText(m_language[core::Text::RestartTitle]);
            m_stFinishText.SetWindowText(m_language[core::Text::RestartText]);
        }
        g_nCurPage = core::kPageFinish;
        ShowPage();
    } else if (id == IDT_PROGRESS) {
        m_progress.SetRange(0, core::kProgressCycleLength);
        int32_t positions[2];
        const int count = core::ProgressTick(g_nProgressStep, positions);
        for (int i = 0; i < count; ++i) m_progress.SetPos(positions[i]);
    }
}

void CSetupDlg::OnArmTimer(UINT id, UINT period) {
    // The worker asks; timers belong to the window's own thread, armed in the order asked.
    if (!RunFailed() && (id == IDT_FINISH || id == IDT_PROGRESS)) ::SetTimer(m_hWnd, id, period, nullptr);
}

void CSetupDlg::OnRunFailed(uint32_t exitCode, DWORD error) {
    const RunFailureMessage message = RunFailureMessageFor(exitCode, error, core::PackagePath(g_strAppDir), m_language);
    EndRunWith(exitCode, message.text, message.type);
}

void CSetupDlg::OnPackageEnded(core::PackageOutcome outcome, uint32_t code) {
    const core::PackageVerdict verdict = core::VerdictOf(outcome);
    if (!verdict.installed) {
        EndRunWith(core::kRunPackageFailed, core::PackageFailureMessage(outcome, code, m_language),
                   MB_OK | MB_ICONSTOP);
        return;
    }
    // Kept for the Finish page, which the run's IDT_FINISH brings next.
    m_finishExitCode = static_cast<int>(verdict.exitCode);
    m_restartNeeded = verdict.restart;
}

void CSetupDlg::EndRunWith(uint32_t exitCode, const std::string& message, UINT type) {
    // A failed run never reaches the Finish page, not even while its message waits for the user.
    m_exitCode = static_cast<int>(exitCode);
    ::KillTimer(m_hWnd, IDT_FINISH);
    ::KillTimer(m_hWnd, IDT_PROGRESS);
    // Owned by the wizard, which is disabled until the user closes it: nothing the user does to
    // the wizard meanwhile can end it with another code, and the box cannot fall behind it.
    Tell(message, type, m_hWnd);
    ::PostQuitMessage(m_exitCode);
}

void CSetupDlg::PlaceWindowByDisplayClass() {
    const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    int dpi = 96;
    {
        CClientDC screen(nullptr);
        if (screen.Get()) dpi = ::GetDeviceCaps(screen.Get(), LOGPIXELSX);
    }
    const core::DisplayClass display = core::DisplayClassForDpi(dpi);
    g_strBkImage = display.backgroundImage;
    const core::WindowOrigin origin = core::CentreOnScreen(screenWidth, screenHeight, display.width, display.height);
    ::MoveWindow(m_hWnd, origin.left, origin.top, display.width, display.height, TRUE);
}

void CSetupDlg::RemoveCaptionAndBorder() {
    const LONG style = ::GetWindowLongW(m_hWnd, GWL_STYLE);
    ::SetWindowLongW(m_hWnd, GWL_STYLE, style & ~static_cast<LONG>(WS_CAPTION));
    // The frame is cached until the system is told to recompute it; without this the client area
    // keeps a band where the caption was, and the picture would not fill the window.
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CSetupDlg::CreateFonts() {
    // One device context of the dialog gives the vertical density for all three fonts.
    CClientDC dc(m_hWnd);
    const int dpi = dc.Get() ? ::GetDeviceCaps(dc.Get(), LOGPIXELSY) : 96;

    const BYTE charset = m_language.Charset();
    m_fontText.CreateFontIndirect(VerdanaFont(core::FontHeightForPoints(12, dpi), 500, charset));
    m_fontHeading.CreateFontIndirect(VerdanaFont(core::FontHeightForPoints(12, dpi), 600, charset));
    // The licence is in whatever languages the vendor wrote it: its font stays the same for all.
    m_fontLicense.CreateFontIndirect(VerdanaFont(core::FontHeightForPoints(10, dpi), 500, 0));

    // The buttons keep the template's font, in the script of the language where it needs another.
    LOGFONTW buttons = {};
    const HFONT templateFont = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    if (charset != 0 && templateFont && ::GetObjectW(templateFont, sizeof buttons, &buttons) == sizeof buttons) {
        buttons.lfCharSet = charset;
        m_fontButtons.CreateFontIndirect(buttons);
        for (const auto& control : kControlTexts) {
            if (!IsTextStatic(control.id))
                ::SendMessageW(GetDlgItem(control.id), WM_SETFONT, reinterpret_cast<WPARAM>(m_fontButtons.Get()), TRUE);
        }
    }

    m_stWelcomeTitle.SetFont(m_fontHeading.Get());
    m_stInstallTitle.SetFont(m_fontHeading.Get());
    m_stFinishTitle.SetFont(m_fontHeading.Get());
    m_stWelcomeText.SetFont(m_fontText.Get());
    m_stFinishText.SetFont(m_fontText.Get());
    m_stInstalling.SetFont(m_fontText.Get());
    m_stTitle.SetFont(m_fontText.Get());
}

HBRUSH CSetupDlg::OnCtlColor(HDC dc, CWnd* control, UINT kind) {
    // The default first: it lets the licence box answer with its own colours (reflection).
    const HBRUSH answer = CDialog::OnCtlColor(dc, control, kind);
    if (kind != CTLCOLOR_STATIC) return answer;
    if (m_highContrast) {
        ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
        ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
        return ::GetSysColorBrush(COLOR_WINDOW);
    }
    // Labels draw only their text over the background picture.
    ::SetBkMode(dc, TRANSPARENT);
    const int id = control ? ::GetDlgCtrlID(control->GetSafeHwnd()) : 0;
    ::SetTextColor(dc, id == IDC_TITLE ? kTitleColour : kTextColour);
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

LRESULT CSetupDlg::OnNcHitTest(POINT screenPoint) {
    // The window has no caption: its whole surface drags it.
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    if (::PtInRect(&client, screenPoint)) return HTCAPTION;
    return Default();
}

void CSetupDlg::OnPaint() {
    if (!::IsIconic(m_hWnd)) {
        Default();
        return;
    }
    CPaintDC dc(m_hWnd);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.Get()), 0);
    const int iconWidth = ::GetSystemMetrics(SM_CXICON);
    const int iconHeight = ::GetSystemMetrics(SM_CYICON);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    const int x = (client.right - client.left - iconWidth + 1) / 2;
    const int y = (client.bottom - client.top - iconHeight + 1) / 2;
    ::DrawIcon(dc.Get(), x, y, m_hIcon);
}

BOOL CSetupDlg::OnEraseBkgnd(HDC dc) {
    if (m_highContrast) {
        // The user's window colour, and no picture: text over a photograph is what a high-contrast
        // theme is there to avoid.
        RECT client;
        ::GetClientRect(m_hWnd, &client);
        ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_WINDOW));
        return TRUE;
    }
    // Decoded afresh at every erase (a released program decodes the copy it checked at start): the
    // picture lives only for this call.
    const std::string path = g_strAppDir + core::kDataFolder + g_strBkImage;
    const FileReadResult file = m_dataFiles.Read(g_strBkImage);
    if (!file.ok) {
        if (!m_backgroundFailureReported) {
            // Set first: the message box repaints the window, and with it comes another erase.
            m_backgroundFailureReported = true;
            const bool missing = file.error == ERROR_FILE_NOT_FOUND || file.error == ERROR_PATH_NOT_FOUND;
            Tell(core::Fill(m_language[missing ? core::Text::PictureMissing : core::Text::PictureUnreadable],
                            {{"path", path}}),
                 MB_OK | MB_ICONSTOP, m_hWnd);
        }
        return TRUE;
    }
    const ComPtr<IPicture> picture = LoadPictureFromBytes(file.bytes);
    if (!picture) return TRUE;  // not a picture: the background stays unpainted
    RECT window;
    ::GetWindowRect(m_hWnd, &window);
    RenderPicture(picture.Get(), dc, 0, 0, window.right - window.left, window.bottom - window.top);
    return TRUE;
}
