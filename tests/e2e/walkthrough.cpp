// Walks the wizard through its four pages as a user would and saves a picture of each:
//   walkthrough DIST_DIR OUT_DIR [HOLD_SECONDS]
// scripts/run uses it where there is no display to show the window on. With HOLD_SECONDS the
// Installing page stays up that long (the package runs that much longer), for measurements.
#include "resource.h"
#include "wizard_harness.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Page {
    const char* file;
    int shownControl;  // visible once the page is up
};

bool Capture(e2e::DrivenProcess& wizard, const std::string& outDir, const Page& page) {
    if (!e2e::WaitUntil([&] { return wizard.IsVisible(page.shownControl); })) {
        std::fprintf(stderr, "walkthrough: the page of %s did not come\n", page.file);
        return false;
    }
    wizard.Settle(IDC_LICENSE_EDIT);
    Sleep(700);  // let the background, the labels and a frame or two of the animation paint
    const std::string path = outDir + "\\" + page.file;
    if (!wizard.CaptureClient().SaveBmp(path)) {
        std::fprintf(stderr, "walkthrough: could not write %s\n", path.c_str());
        return false;
    }
    std::printf("%s\n", path.c_str());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: walkthrough DIST_DIR OUT_DIR [HOLD_SECONDS]\n");
        return 2;
    }
    const std::string outDir = argv[2];
    e2e::DistCopy dist(argv[1]);
    if (!dist.Ok()) {
        std::fprintf(stderr, "walkthrough: %s\n", dist.Error().c_str());
        return 1;
    }
    e2e::DrivenProcess wizard;
    // The stand-in package runs long enough for the Installing page to be seen, then ends.
    const int hold = argc == 4 ? std::atoi(argv[3]) : 0;
    const std::string packageSeconds = std::to_string(6 + (hold > 0 ? hold : 0));
    if (!wizard.Start(dist.ExePath(), "", {{"SKYLARK_STANDIN_SECONDS", packageSeconds}}) ||
        !wizard.WaitForDialogWith(IDC_TITLE)) {
        std::fprintf(stderr, "walkthrough: the wizard did not start\n");
        return 1;
    }
    const Page pages[] = {
        {"1-welcome.bmp", IDC_WELCOME_NEXT},
        {"2-licence.bmp", IDC_ACCEPT},
        {"3-installing.bmp", IDC_INSTALL_CANCEL},
        {"4-finish.bmp", IDC_FINISH},
    };
    const int forward[] = {IDC_WELCOME_NEXT, IDC_ACCEPT, 0, IDC_FINISH};
    for (int i = 0; i < 4; ++i) {
        if (!Capture(wizard, outDir, pages[i])) return 1;
        if (forward[i]) wizard.Click(forward[i]);
    }
    DWORD exitCode = 1;
    if (!wizard.WaitForExit(exitCode) || exitCode != 0) {
        std::fprintf(stderr, "walkthrough: the wizard did not end cleanly (exit code %lu)\n", exitCode);
        return 1;
    }
    return 0;
}
