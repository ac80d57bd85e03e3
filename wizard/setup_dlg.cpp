#include "setup_dlg.h"

#include "app_dir.h"
#include "file_reader.h"
#include "globals.h"
#include "install_thread.h"
#include "licence_text.h"
#include "message_box.h"
#include "module_path.h"
#include "page_table.h"
#include "progress_cycle.h"
#include "resource.h"
#include "timer_ids.h"
#include "win_app.h"

namespace {

bool IsAnsiLeadByte(unsigned char byte)
{
    return ::IsDBCSLeadByte(byte) != FALSE;
}

// Exit code of a wizard that could not show its licence text.
const int kExitLicenceUnreadable = 3;

}  // namespace

CSetupDlg::CSetupDlg()
    : CDialog(IDD_SETUP_DIALOG)
    , m_hIcon(::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME)))
{
}

void CSetupDlg::DoDataExchange()
{
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

BOOL CSetupDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    g_strAppDir = AppDirFromModulePath(ModuleFileName(nullptr), &IsAnsiLeadByte);

    ::ShowWindow(GetDlgItem(IDOK), SW_HIDE);
    ::ShowWindow(GetDlgItem(IDCANCEL), SW_HIDE);

    ::SetWindowTextA(m_hWnd, "Wi-FiSkylark.exe");

    m_stInstalling.ShowWindow(SW_HIDE);
    m_stWelcomeLabel.ShowWindow(SW_HIDE);

    if (!LoadLicenceText()) {
        // Never let the user accept a licence that was never shown. Destroying the window here ends
        // the modal run before the dialog is first shown; the quit code is the program's exit code.
        ::PostQuitMessage(kExitLicenceUnreadable);
        ::DestroyWindow(m_hWnd);
        return FALSE;
    }

    m_richLicense.SetWindowText(m_strLicense);
    m_richLicense.ShowWindow(SW_HIDE);
    m_editLicense.SetWindowText(m_strLicense);

    g_hSetupWnd = m_hWnd;
    ShowPage();

    m_picAnimation.ShowWindow(SW_HIDE);

    CheckOsVersion();
    return TRUE;
}

bool CSetupDlg::LoadLicenceText()
{
    const std::string path = g_strAppDir + "data\\License.txt";
    const FileReadResult file = ReadWholeFile(path);
    if (!file.ok) {
        AfxMessageBox("The licence text could not be read from\r\n" + path + "\r\n\r\nSet-up cannot continue.",
                      MB_OK | MB_ICONSTOP);
        return false;
    }
    m_strLicense = LicenceTextFromBytes(file.bytes);
    return true;
}

void CSetupDlg::ShowPage()
{
    const PageSteps page = StepsForPage(g_nCurPage);
    for (size_t i = 0; i < page.count; ++i) {
        const HWND control = GetDlgItem(page.steps[i].controlId);
        switch (page.steps[i].action) {
        case PageAction::Show: ::ShowWindow(control, SW_SHOW); break;
        case PageAction::Hide: ::ShowWindow(control, SW_HIDE); break;
        case PageAction::Disable: ::EnableWindow(control, FALSE); break;
        }
    }
    // Enter moves the wizard on: the forward button takes the focus. On the Installing page a
    // label takes it, so that no button, visible or hidden, is clicked by Enter.
    if (const int focus = FocusControlForPage(g_nCurPage))
        SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(focus)), TRUE);
}

void CSetupDlg::OnOK()
{
    // Enter must never close the wizard.
}

bool CSetupDlg::OnCommand(UINT id, UINT code, HWND control)
{
    if (code != BN_CLICKED || control == nullptr)
        return CDialog::OnCommand(id, code, control);
    switch (id) {
    case IDC_WELCOME_BACK:
    case IDC_INSTALL_BACK:
    case IDC_FINISH_BACK:
    case IDC_FINISH_CANCEL:
    case IDC_LICENSE_BACK:
        OnNoAction();
        return true;
    case IDC_WELCOME_NEXT: OnWelcomeNext(); return true;
    case IDC_INSTALL_NEXT: OnInstallNext(); return true;
    case IDC_ACCEPT: OnAccept(); return true;
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

void CSetupDlg::OnWelcomeNext()
{
    g_nCurPage = kPageLicence;
    ShowPage();
}

void CSetupDlg::OnInstallNext()
{
    g_nCurPage = 4;   // names no page: nothing changes (the button is always disabled when shown)
    ShowPage();
}

void CSetupDlg::OnAccept()
{
    g_nCurPage = kPageInstalling;
    ShowPage();
    // The fallback is armed before the worker starts, so that the worker's own, later arming of
    // IDT_FINISH always replaces it and never the other way round.
    ::SetTimer(m_hWnd, IDT_FINISH, kFinishFallbackMs, nullptr);
    StartInstallThread();
}

void CSetupDlg::OnQuit()
{
    ::PostQuitMessage(0);
}

LRESULT CSetupDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_QUERYDRAGICON:
        return reinterpret_cast<LRESULT>(m_hIcon);
    case WM_TIMER:
        OnTimer(wp);
        return Default();
    case WM_APP_ARM_TIMER:
        OnArmTimer(static_cast<UINT>(wp), static_cast<UINT>(lp));
        return 0;
    case WM_APP_END_WIZARD:
        OnEndWizard(static_cast<int>(wp));
        return 0;
    }
    return CDialog::WindowProc(msg, wp, lp);
}

void CSetupDlg::OnTimer(UINT_PTR id)
{
    if (id == IDT_FINISH) {
        ::KillTimer(m_hWnd, IDT_FINISH);
        ::KillTimer(m_hWnd, IDT_PROGRESS);
        m_progress.SetPos(kProgressCycleLength);
        g_nCurPage = kPageFinish;
        ShowPage();
    } else if (id == IDT_PROGRESS) {
        m_progress.SetRange(0, kProgressCycleLength);
        int32_t positions[2];
        const int count = ProgressTick(g_nProgressStep, positions);
        for (int i = 0; i < count; ++i)
            m_progress.SetPos(positions[i]);
    }
}

void CSetupDlg::OnArmTimer(UINT id, UINT period)
{
    // The worker asks; timers belong to the window's own thread, armed in the order asked.
    if (id == IDT_FINISH || id == IDT_PROGRESS)
        ::SetTimer(m_hWnd, id, period, nullptr);
}

void CSetupDlg::OnEndWizard(int exitCode)
{
    // A run that failed ends the wizard without its Finish page.
    ::KillTimer(m_hWnd, IDT_FINISH);
    ::KillTimer(m_hWnd, IDT_PROGRESS);
    ::PostQuitMessage(exitCode);
}
