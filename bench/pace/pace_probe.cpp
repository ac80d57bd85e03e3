// How well the wizard keeps an animation's pace when its frames take more memory decoded than the
// wizard keeps: 800x600, 24 frames of 150 ms in four solid colours (46 MB at 32 bits a pixel),
// written as the end-to-end test writes it. Starts the wizard on a copy of DIST with that
// animation, goes to the Installing page, and watches one pixel of the animation for SECONDS:
// every change of colour is a frame shown. Writes OUT\sampling when the watch starts, then
// OUT\pace.txt, and ends the wizard two seconds later (for the CPU reading of bench/pace.sh).
//   pace-probe DIST OUT SECONDS
#include "gif_builder.h"
#include "resource.h"
#include "wizard_driver.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const int kFrames = 24;
const int kDelayMs = 150;
const COLORREF kColours[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 255)};

std::string Animation() {
    support::GifBuilder::Bytes table;
    for (COLORREF c : kColours) table.insert(table.end(), {GetRValue(c), GetGValue(c), GetBValue(c)});
    support::GifBuilder gif(0x81, 800, 600, table);
    gif.Looping();
    for (int i = 0; i < kFrames; ++i) gif.Control(kDelayMs / 10, 0x04).SolidImage(0, 0, 800, 600, uint8_t(i % 4));
    const support::GifBuilder::Bytes& bytes = gif.Trailer().Get();
    return std::string(bytes.begin(), bytes.end());
}

int ColourIndex(COLORREF c) {
    for (int i = 0; i < 4; ++i) {
        if (support::Near(c, kColours[i], 8)) return i;
    }
    return -1;
}

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * double(now.QuadPart) / double(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc == 4 ? std::atof(argv[3]) : 0;
    if (seconds <= 0) {
        std::fprintf(stderr, "usage: pace-probe DIST OUT SECONDS\n");
        return 2;
    }
    const std::string out = argv[2];
    e2e::DistCopyOptions options;
    options.replaceFiles = {{"data\\zv_reset_animation.gif", Animation()}};
    e2e::DistCopy dist(argv[1], options);
    if (!dist.Ok()) {
        std::fprintf(stderr, "pace-probe: %s\n", dist.Error().c_str());
        return 1;
    }
    e2e::WizardDriver wizard;
    const std::string packageSeconds = std::to_string(int(seconds) + 60);
    if (!wizard.Start(dist.ExePath(), "", {{"SKYLARK_STANDIN_SECONDS", packageSeconds}}) || !wizard.WaitForWindow() ||
        !wizard.GoTo(e2e::Page::Installing)) {
        std::fprintf(stderr, "pace-probe: the wizard did not reach the Installing page\n");
        return 1;
    }
    RECT probe = {};
    GetWindowRect(wizard.Control(IDC_ANIMATION), &probe);
    probe = {probe.left + 8, probe.top + 8, probe.left + 9, probe.top + 9};

    e2e::WriteWholeFile(out + "\\sampling", "");
    std::vector<double> changes;  // ms since the watch started
    std::vector<int> colours;
    int skipped = 0;  // changes that are not to the next colour: a frame not seen
    const double start = Now();
    while (Now() - start < seconds * 1000) {
        const int colour = ColourIndex(e2e::CaptureScreen(probe).At(0, 0));
        if (colour >= 0 && (colours.empty() || colours.back() != colour)) {
            if (!colours.empty() && colour != (colours.back() + 1) % 4) ++skipped;
            colours.push_back(colour);
            changes.push_back(Now() - start);
        }
        Sleep(2);
    }

    // Each frame's time on show, from one change to the next; the first one is cut by the watch.
    std::vector<double> shown;
    for (size_t i = 2; i < changes.size(); ++i) shown.push_back(changes[i] - changes[i - 1]);
    std::string report;
    char line[256];
    if (shown.empty()) {
        report = "frames seen " + std::to_string(changes.size()) + ": too few to time\n";
    } else {
        std::vector<double> sorted = shown;
        std::sort(sorted.begin(), sorted.end());
        const size_t late =
            size_t(std::count_if(shown.begin(), shown.end(), [](double ms) { return ms > kDelayMs + 50; }));
        std::snprintf(line, sizeof line,
                      "frames seen %zu in %.0f s (%.1f a second; the file asks %.1f), out of order %d\n"
                      "time on show (asked %d ms): median %.0f ms, 95th percentile %.0f ms, longest %.0f ms; "
                      "over %d ms: %zu of %zu\n",
                      changes.size(), seconds, double(changes.size()) / seconds, 1000.0 / kDelayMs, skipped, kDelayMs,
                      sorted[sorted.size() / 2], sorted[sorted.size() * 95 / 100], sorted.back(), kDelayMs + 50, late,
                      shown.size());
        report = line;
    }
    e2e::WriteWholeFile(out + "\\pace.txt", report);
    std::fputs(report.c_str(), stdout);
    Sleep(2000);
    wizard.Click(IDC_INSTALL_CANCEL);
    DWORD exitCode = 0;
    wizard.WaitForExit(exitCode);
    return 0;
}
