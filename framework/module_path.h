#pragma once
// The running program's own path, and the names made from it.

#include <windows.h>

#include <string>

// Full path of a loaded module (nullptr: the program itself); empty on failure.
std::string ModuleFileName(HMODULE module);
// The same path in UTF-16, as the file system spells it (the narrow form loses what the ANSI code
// page cannot spell).
std::wstring ModuleFileNameWide(HMODULE module);

// The short (8.3) form of an existing path; empty when the volume keeps no short names for it.
std::wstring ShortPathName(const std::wstring& path);

// "C:\\setup\\Wi-FiSkylark.exe" -> "Wi-FiSkylark": the file name without folder and extension.
std::string ModuleBaseName(const std::string& path);

// The system folder (C:\Windows\System32 or its 32-bit twin), without a trailing backslash.
std::string SystemDirectory();
