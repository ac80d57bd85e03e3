#pragma once
// CSetupDlg: the wizard window. Four pages in one dialog, moving only forward.

#include "controls.h"
#include "dialog.h"
#include "edit_ex.h"
#include "gdi.h"
#include "package_outcome.h"
#include "picture_ex.h"
#include "released_files.h"
#include "rich_edit_gs.h"

#include <cstdint>
#include <string>

class CSetupDlg : public CDialog {
public:
    CSetupDlg();

protected:
    void DoDataExchange() override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    // OnInitDialog's steps, in their order.
    void SetUpWindow();
    // The application folder, and in a released program its data files checked: the exit code
    // when the wizard cannot go on (after its message), else 0.
    int FindDataFolder();
    void SetUpControls();
    void ShowFirstPage();

    void ShowPage();
    bool LoadLicenceText();
    BOOL EndBeforeFirstPage(int exitCode);
    // The licence boxes' fonts and text and the animation: once, before the first page change.
    void PrepareLaterPages();
    void OnNoAction() {}
    void OnWelcomeNext();
    void OnInstallNext();
    void OnAccept();
    // The worker, once every released file has passed its check.
    void StartInstallation();
    void OnQuit();
    void OnTimer(UINT_PTR id);
    void OnArmTimer(UINT id, UINT period);
    void OnRunFailed(uint32_t exitCode, DWORD error);
    void OnPackageEnded(core::PackageOutcome outcome, uint32_t code);
    // The run cannot go on: the user is told (in a message owned by the wizard), then the wizard ends.
    void EndRunWith(uint32_t exitCode, const std::string& message, UINT type);
    bool RunFailed() const { return m_exitCode != 0; }

    // Appearance
    void PlaceWindowByDisplayClass();
    void RemoveCaptionAndBorder();
    void CreateFonts();
    // The template's texts in the wizard's language, read right to left where it does.
    void SetTexts();
    void EndInsideWindow(HWND control);
    // A message in the wizard's language; owned by `owner` when there is one.
    int Tell(const std::string& text, UINT type, HWND owner) const;
    void SetLicenceBoxColours();
    // High contrast switched on or off, or new system colours (systemColours): everything repainted.
    void OnColoursChanged(bool systemColours);
    HBRUSH OnCtlColor(HDC dc, CWnd* control, UINT kind) override;
    LRESULT OnNcHitTest(POINT screenPoint);
    void OnPaint();
    BOOL OnEraseBkgnd(HDC dc);

    HICON m_hIcon;
    CButton m_btnWelcomeBack;
    CButton m_btnWelcomeNext;
    CButton m_btnWelcomeCancel;
    CButton m_btnInstallBack;
    CButton m_btnInstallNext;
    CButton m_btnInstallCancel;
    CButton m_btnFinishBack;
    CButton m_btnFinish;
    CButton m_btnFinishCancel;
    CButton m_btnLicenseBack;
    CButton m_btnAccept;
    CButton m_btnLicenseCancel;
    CStatic m_stWelcomeTitle;
    CStatic m_stWelcomeText;
    CStatic m_stInstallTitle;
    CStatic m_stFinishTitle;
    CStatic m_stFinishText;
    CStatic m_stWelcomeLabel;
    CStatic m_stInstalling;
    CEditEx m_editLicense;
    CStatic m_stTitle;
    std::string m_strLicense;
    CProgressCtrl m_progress;
    CFont m_fontText;
    CFont m_fontHeading;
    CFont m_fontLicense;
    CFont m_fontButtons;  // only for a language whose script the template's font may lack
    CPictureEx m_picAnimation;
    CRichEditCtrlGS m_richLicense;
    CDataFiles m_dataFiles;
    core::Language m_language;

    // The background picture's absence is reported once; every erase would report it again.
    bool m_backgroundFailureReported = false;
    bool m_laterPagesPrepared = false;
    // While true the wizard draws with the system's colours only.
    bool m_highContrast = false;
    // The program's exit code when the wizard ends: 0, or a failed run's (never 0). Once a run has
    // failed, the Finish page never comes.
    int m_exitCode = 0;
    // What the package's end said: the exit code after Finish (0, or a restart's), and whether the
    // Finish page asks for a restart before the adapter goes in.
    int m_finishExitCode = 0;
    bool m_restartNeeded = false;
    // The animation's verdict (in a released program it is checked where it is read): Accept starts
    // the installation only once it is in.
    bool m_animationChecked = false;
    bool m_installWhenChecked = false;
};
