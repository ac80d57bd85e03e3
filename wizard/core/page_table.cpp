#include "page_table.h"

namespace {

// Control ids (res/resource.h), repeated here because this file builds without the resource header.
enum : int {
    kWelcomeBack = 1000, kWelcomeNext, kWelcomeCancel, kProgress, kInstallBack, kInstallNext,
    kInstallCancel, kFinishBack, kFinish, kFinishCancel, kWelcomeTitle, kWelcomeText, kInstallTitle,
    kFinishTitle, kFinishText, kWelcomeLabel, kTitle, kLicenseBack, kAccept, kLicenseCancel,
    kLicenseEdit, kLicenseRichEdit, kInstalling, kAnimation
};

constexpr PageAction S = PageAction::Show;
constexpr PageAction H = PageAction::Hide;
constexpr PageAction D = PageAction::Disable;

// Buttons in member order, then that page's disabling, then the statics, the progress bar (pages 0
// and 3), the licence box, the animation and the "Installing..." label.
const PageStep kWelcome[] = {
    {kWelcomeBack, H}, {kWelcomeNext, S}, {kWelcomeCancel, S}, {kInstallBack, H}, {kInstallNext, H},
    {kInstallCancel, H}, {kFinishBack, H}, {kFinish, H}, {kFinishCancel, H}, {kLicenseBack, H},
    {kAccept, H}, {kLicenseCancel, H},
    {kWelcomeBack, D},
    {kWelcomeTitle, S}, {kWelcomeText, S}, {kInstallTitle, H}, {kFinishTitle, H}, {kFinishText, H},
    {kProgress, H}, {kLicenseEdit, H}, {kAnimation, H}, {kInstalling, H},
};
const PageStep kLicence[] = {
    {kWelcomeBack, H}, {kWelcomeNext, H}, {kWelcomeCancel, H}, {kInstallBack, H}, {kInstallNext, H},
    {kInstallCancel, H}, {kFinishBack, H}, {kFinish, H}, {kFinishCancel, H}, {kLicenseBack, H},
    {kAccept, S}, {kLicenseCancel, S},
    {kLicenseBack, D},
    {kWelcomeTitle, H}, {kWelcomeText, H}, {kInstallTitle, H}, {kFinishTitle, H}, {kFinishText, H},
    {kLicenseEdit, S}, {kAnimation, H}, {kInstalling, H},
};
const PageStep kInstallingPage[] = {
    {kWelcomeBack, H}, {kWelcomeNext, H}, {kWelcomeCancel, H}, {kInstallBack, H}, {kInstallNext, S},
    {kInstallCancel, S}, {kFinishBack, H}, {kFinish, H}, {kFinishCancel, H}, {kLicenseBack, H},
    {kAccept, H}, {kLicenseCancel, H},
    {kInstallBack, D}, {kInstallNext, D},
    {kWelcomeTitle, H}, {kWelcomeText, H}, {kInstallTitle, H}, {kFinishTitle, H}, {kFinishText, H},
    {kLicenseEdit, H}, {kAnimation, S}, {kInstalling, S},
};
const PageStep kFinishPage[] = {
    {kWelcomeBack, H}, {kWelcomeNext, H}, {kWelcomeCancel, H}, {kInstallBack, H}, {kInstallNext, H},
    {kInstallCancel, H}, {kFinishBack, H}, {kFinish, S}, {kFinishCancel, S}, {kLicenseBack, H},
    {kAccept, H}, {kLicenseCancel, H},
    {kFinishBack, D}, {kFinishCancel, D},
    {kWelcomeTitle, H}, {kWelcomeText, H}, {kInstallTitle, H}, {kFinishTitle, S}, {kFinishText, S},
    {kProgress, H}, {kLicenseEdit, H}, {kAnimation, H}, {kInstalling, H},
};

template <size_t N>
PageSteps Steps(const PageStep (&steps)[N])
{
    return PageSteps{steps, N};
}

}  // namespace

PageSteps StepsForPage(int page)
{
    switch (page) {
    case kPageWelcome: return Steps(kWelcome);
    case kPageLicence: return Steps(kLicence);
    case kPageInstalling: return Steps(kInstallingPage);
    case kPageFinish: return Steps(kFinishPage);
    default: return PageSteps{nullptr, 0};
    }
}

int FocusControlForPage(int page)
{
    switch (page) {
    case kPageWelcome: return kWelcomeNext;
    case kPageLicence: return kAccept;
    case kPageInstalling: return kInstalling;
    case kPageFinish: return kFinish;
    default: return 0;
    }
}
