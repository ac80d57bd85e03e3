#pragma once
// The running program's own path, and the names made from it, in UTF-8.

#include <windows.h>

#include <string>

// Full path of a loaded module (nullptr: the program itself); empty on failure.
std::string ModuleFileName(HMODULE module);

// "C:\\setup\\Wi-FiSkylark.exe" -> "Wi-FiSkylark": the file name without folder and extension.
std::string ModuleBaseName(const std::string& path);

// The system folder (C:\Windows\System32 or its 32-bit twin), without a trailing backslash.
std::string SystemDirectory();

// A library of the system folder, loaded by its full path; nullptr if it cannot be. Where the
// process's DLL search could not be restricted to the system folder, the library's own imports
// are looked for beside it (in the system folder) rather than beside the program.
HMODULE LoadSystemLibrary(const char* name, bool searchRestricted = false);

// A function of a library loaded at run time, or one that not every supported release exports.
template <typename Fn>
Fn FindFunction(HMODULE module, const char* name) {
    if (!module) return nullptr;
    // Through a generic function pointer type: a cast between two unrelated ones draws a warning.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}
