// GetTickCount64 for the MinGW threading runtime, which the C++ runtime's locks link in and which
// imports that function. XP has no GetTickCount64, and one missing import keeps the whole program
// from loading there, so the link points that import at this function instead (app/CMakeLists.txt).
#include <windows.h>

namespace {

typedef ULONGLONG(WINAPI* TickCount64Fn)();

ULONGLONG WINAPI TickCount64() {
    if (const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll")) {
        if (const FARPROC system = ::GetProcAddress(kernel, "GetTickCount64"))
            return reinterpret_cast<TickCount64Fn>(reinterpret_cast<void (*)()>(system))();
    }
    // XP: the 32-bit count, which wraps after 49.7 days. The runtime times only waits that have a
    // timeout with it, and the program's own code asks for none.
    return ::GetTickCount();
}

}  // namespace

extern "C" const TickCount64Fn skylarkTickCount64 = &TickCount64;
