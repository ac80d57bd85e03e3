#include "page_table.h"

#include "control_ids.h"

namespace core {

namespace {

constexpr PageAction S = PageAction::Show;
constexpr PageAction H = PageAction::Hide;
constexpr PageAction D = PageAction::Disable;

// Buttons in member order, then that page's disabling, then the statics, the progress bar (pages 0
// and 3), the licence box, the animation and the "Installing..." label.
const PageStep kWelcome[] = {
    {IDC_WELCOME_BACK, H},  {IDC_WELCOME_NEXT, S},   {IDC_WELCOME_CANCEL, S}, {IDC_INSTALL_BACK, H},
    {IDC_INSTALL_NEXT, H},  {IDC_INSTALL_CANCEL, H}, {IDC_FINISH_BACK, H},    {IDC_FINISH, H},
    {IDC_FINISH_CANCEL, H}, {IDC_LICENSE_BACK, H},   {IDC_ACCEPT, H},         {IDC_LICENSE_CANCEL, H},
    {IDC_WELCOME_BACK, D},  {IDC_WELCOME_TITLE, S},  {IDC_WELCOME_TEXT, S},   {IDC_INSTALL_TITLE, H},
    {IDC_FINISH_TITLE, H},  {IDC_FINISH_TEXT, H},    {IDC_PROGRESS, H},       {IDC_LICENSE_EDIT, H},
    {IDC_ANIMATION, H},     {IDC_INSTALLING, H},
};
const PageStep kLicence[] = {
    {IDC_WELCOME_BACK, H},  {IDC_WELCOME_NEXT, H},   {IDC_WELCOME_CANCEL, H}, {IDC_INSTALL_BACK, H},
    {IDC_INSTALL_NEXT, H},  {IDC_INSTALL_CANCEL, H}, {IDC_FINISH_BACK, H},    {IDC_FINISH, H},
    {IDC_FINISH_CANCEL, H}, {IDC_LICENSE_BACK, H},   {IDC_ACCEPT, S},         {IDC_LICENSE_CANCEL, S},
    {IDC_LICENSE_BACK, D},  {IDC_WELCOME_TITLE, H},  {IDC_WELCOME_TEXT, H},   {IDC_INSTALL_TITLE, H},
    {IDC_FINISH_TITLE, H},  {IDC_FINISH_TEXT, H},    {IDC_LICENSE_EDIT, S},   {IDC_ANIMATION, H},
    {IDC_INSTALLING, H},
};
const PageStep kInstallingPage[] = {
    {IDC_WELCOME_BACK, H},  {IDC_WELCOME_NEXT, H},   {IDC_WELCOME_CANCEL, H}, {IDC_INSTALL_BACK, H},
    {IDC_INSTALL_NEXT, S},  {IDC_INSTALL_CANCEL, S}, {IDC_FINISH_BACK, H},    {IDC_FINISH, H},
    {IDC_FINISH_CANCEL, H}, {IDC_LICENSE_BACK, H},   {IDC_ACCEPT, H},         {IDC_LICENSE_CANCEL, H},
    {IDC_INSTALL_BACK, D},  {IDC_INSTALL_NEXT, D},   {IDC_WELCOME_TITLE, H},  {IDC_WELCOME_TEXT, H},
    {IDC_INSTALL_TITLE, H}, {IDC_FINISH_TITLE, H},   {IDC_FINISH_TEXT, H},    {IDC_LICENSE_EDIT, H},
    {IDC_ANIMATION, S},     {IDC_INSTALLING, S},
};
const PageStep kFinishPage[] = {
    {IDC_WELCOME_BACK, H},  {IDC_WELCOME_NEXT, H},   {IDC_WELCOME_CANCEL, H}, {IDC_INSTALL_BACK, H},
    {IDC_INSTALL_NEXT, H},  {IDC_INSTALL_CANCEL, H}, {IDC_FINISH_BACK, H},    {IDC_FINISH, S},
    {IDC_FINISH_CANCEL, S}, {IDC_LICENSE_BACK, H},   {IDC_ACCEPT, H},         {IDC_LICENSE_CANCEL, H},
    {IDC_FINISH_BACK, D},   {IDC_FINISH_CANCEL, D},  {IDC_WELCOME_TITLE, H},  {IDC_WELCOME_TEXT, H},
    {IDC_INSTALL_TITLE, H}, {IDC_FINISH_TITLE, S},   {IDC_FINISH_TEXT, S},    {IDC_PROGRESS, H},
    {IDC_LICENSE_EDIT, H},  {IDC_ANIMATION, H},      {IDC_INSTALLING, H},
};

template <size_t N>
PageSteps Steps(const PageStep (&steps)[N]) {
    return PageSteps{steps, N};
}

}  // namespace

PageSteps StepsForPage(int page) {
    switch (page) {
        case kPageWelcome:
            return Steps(kWelcome);
        case kPageLicence:
            return Steps(kLicence);
        case kPageInstalling:
            return Steps(kInstallingPage);
        case kPageFinish:
            return Steps(kFinishPage);
        default:
            return PageSteps{nullptr, 0};
    }
}

int FocusControlForPage(int page) {
    switch (page) {
        case kPageWelcome:
            return IDC_WELCOME_NEXT;
        case kPageLicence:
            return IDC_ACCEPT;
        case kPageInstalling:
            return IDC_INSTALLING;
        case kPageFinish:
            return IDC_FINISH;
        default:
            return 0;
    }
}

}  // namespace core
