// Walks the wizard through its four pages as a user would and saves a picture of each:
//   walkthrough DIST_DIR OUT_DIR [HOLD_SECONDS]
// scripts/run uses it where there is no display to show the window on. With HOLD_SECONDS the
// Installing page stays up that long (the package runs that much longer), for measurements.
#include "wizard_driver.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool Capture(e2e::WizardDriver& wizard, const std::string& outDir, e2e::Page page, const char* file) {
    if (!wizard.WaitForPage(page)) {
        std::fprintf(stderr, "walkthrough: the %s page did not come\n", e2e::ControlsOf(page).name);
        return false;
    }
    Sleep(700);  // let the background, the labels and a frame or two of the animation paint
    const std::string path = outDir + "\\" + file;
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
    e2e::WizardDriver wizard;
    // The stand-in package runs long enough for the Installing page to be seen, then ends.
    const int hold = argc == 4 ? std::atoi(argv[3]) : 0;
    const std::string packageSeconds = std::to_string(6 + (hold > 0 ? hold : 0));
    if (!wizard.Start(dist.ExePath(), "", {{"SKYLARK_STANDIN_SECONDS", packageSeconds}}) || !wizard.WaitForWindow()) {
        std::fprintf(stderr, "walkthrough: the wizard did not start\n");
        return 1;
    }
    const char* const files[] = {"1-welcome.bmp", "2-licence.bmp", "3-installing.bmp", "4-finish.bmp"};
    for (const e2e::PageControls& page : e2e::kPages) {
        if (!Capture(wizard, outDir, page.page, files[static_cast<int>(page.page)])) return 1;
        if (page.forwardId) wizard.Click(page.forwardId);  // the run moves the Installing page on
    }
    DWORD exitCode = 1;
    if (!wizard.WaitForExit(exitCode) || exitCode != 0) {
        std::fprintf(stderr, "walkthrough: the wizard did not end cleanly (exit code %lu)\n", exitCode);
        return 1;
    }
    return 0;
}
