// How promptly a program's window answers while it starts: starts the program, finds its first
// visible top-level window, then sends that window an empty message (WM_NULL) every 2 ms for
// SECONDS and records how long each took to be answered. Ends the program afterwards.
//   answer-probe SECONDS PROGRAM
// prints the time to the first window, the number of messages, the longest and median waits, and
// when (ms after the first window) the three longest came.
#include "visible_window.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const double kGiveUpMs = 30000;
const UINT kAnswerTimeoutMs = 20000;  // far beyond anything measured: a window that long is hung
const double kIntervalMs = 2;

struct Process {
    PROCESS_INFORMATION info = {};
    ~Process() {
        if (!info.hProcess) return;
        ::TerminateProcess(info.hProcess, 0);
        ::WaitForSingleObject(info.hProcess, INFINITE);
        ::CloseHandle(info.hThread);
        ::CloseHandle(info.hProcess);
    }
};

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc == 3 ? std::atof(argv[1]) : 0;
    if (seconds <= 0) {
        std::fprintf(stderr, "usage: answer-probe SECONDS PROGRAM\n");
        return 2;
    }
    std::string commandLine = std::string("\"") + argv[2] + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    Process process;
    LARGE_INTEGER frequency, start;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    if (!::CreateProcessA(argv[2], &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process.info)) {
        std::fprintf(stderr, "answer-probe: %s cannot be started (error %lu)\n", argv[2], ::GetLastError());
        return 1;
    }
    HWND window = nullptr;
    while (!(window = bench::VisibleWindowOf(process.info.dwProcessId))) {
        if (::WaitForSingleObject(process.info.hProcess, 1) == WAIT_OBJECT_0 || bench::MsSince(start, frequency) > kGiveUpMs) {
            std::fprintf(stderr, "answer-probe: %s showed no window\n", argv[2]);
            return 1;
        }
    }
    const double firstWindowMs = bench::MsSince(start, frequency);

    struct Wait {
        double ms, at;
    };
    std::vector<Wait> waits;
    LARGE_INTEGER probing;
    ::QueryPerformanceCounter(&probing);
    for (double next = 0; next < seconds * 1000; next += kIntervalMs) {
        while (bench::MsSince(probing, frequency) < next) ::Sleep(0);
        LARGE_INTEGER sent;
        ::QueryPerformanceCounter(&sent);
        DWORD_PTR result = 0;
        if (!::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerTimeoutMs, &result)) {
            std::fprintf(stderr, "answer-probe: the window did not answer within %u ms (error %lu)\n",
                         kAnswerTimeoutMs, ::GetLastError());
            return 1;
        }
        waits.push_back({bench::MsSince(sent, frequency), bench::MsSince(probing, frequency)});
        // A wait longer than the interval leaves the next message due at once, not a backlog.
        next = std::max(next, bench::MsSince(probing, frequency) - kIntervalMs);
    }
    std::sort(waits.begin(), waits.end(), [](const Wait& a, const Wait& b) { return a.ms > b.ms; });
    std::printf("first window %.0f ms; %zu messages over %.0f s; longest wait %.1f ms, median %.2f ms; longest at",
                firstWindowMs, waits.size(), seconds, waits.front().ms, waits[waits.size() / 2].ms);
    for (size_t i = 0; i < 3 && i < waits.size(); ++i) std::printf(" %.0f (%.0f ms)", waits[i].at, waits[i].ms);
    std::printf("\n");
    return 0;
}
