// The first visible top-level window of a process, as the start-up benches look for it.
#pragma once

#include <windows.h>

namespace bench {

struct WindowSearch {
    DWORD pid;
    HWND found;
};

inline BOOL CALLBACK CheckWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == search->pid && ::IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// Null while the process shows no window.
inline HWND VisibleWindowOf(DWORD pid) {
    WindowSearch search = {pid, nullptr};
    ::EnumWindows(&CheckWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

inline double MsSince(const LARGE_INTEGER& start, const LARGE_INTEGER& frequency) {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace bench
