// Times programs from CreateProcess to their first visible top-level window, polling every
// millisecond, and ends each program once it has been seen. The programs take turns, round after
// round, so that a machine that grows busier slows them all alike:
//   first-window [--ticks] ROUNDS PROGRAM...
// prints one line per start: the program's index on the command line, then the milliseconds (or
// "none" when no window came within the time limit). --ticks also writes to stderr, for each start,
// the process id and the tick counts of the start and of the window, in the form of Wine's
// +timestamp trace, so that a trace of the same run can be read against them.
#include "visible_window.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const double kGiveUpMs = 30000;

// Milliseconds to the program's first visible window, or a negative value if none came.
double TimeFirstWindow(const char* program, bool ticks) {
    std::string commandLine = std::string("\"") + program + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER frequency, start;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    const DWORD startTick = ::GetTickCount();
    if (!::CreateProcessA(program, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "first-window: %s cannot be started (error %lu)\n", program, ::GetLastError());
        return -1;
    }
    double ms = -1;
    for (;;) {
        if (bench::VisibleWindowOf(process.dwProcessId)) {
            ms = bench::MsSince(start, frequency);
            if (ticks) {
                const DWORD windowTick = ::GetTickCount();
                std::fprintf(stderr, "pid %04lx started %lu.%03lu first window %lu.%03lu\n", process.dwProcessId,
                             startTick / 1000, startTick % 1000, windowTick / 1000, windowTick % 1000);
            }
            break;
        }
        if (::WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) {
            std::fprintf(stderr, "first-window: %s ended without a window\n", program);
            break;
        }
        if (bench::MsSince(start, frequency) > kGiveUpMs) break;
    }
    ::TerminateProcess(process.hProcess, 0);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return ms;
}

}  // namespace

int main(int argc, char** argv) {
    const bool ticks = argc > 1 && std::string(argv[1]) == "--ticks";
    const int first = ticks ? 2 : 1;  // ROUNDS
    const int rounds = argc > first + 1 ? std::atoi(argv[first]) : 0;
    if (rounds <= 0) {
        std::fprintf(stderr, "usage: first-window [--ticks] ROUNDS PROGRAM...\n");
        return 2;
    }
    for (int round = 0; round < rounds; ++round) {
        for (int i = first + 1; i < argc; ++i) {
            const double ms = TimeFirstWindow(argv[i], ticks);
            if (ms < 0)
                std::printf("%d none\n", i - first - 1);
            else
                std::printf("%d %.1f\n", i - first - 1, ms);
            std::fflush(stdout);
        }
    }
    return 0;
}
