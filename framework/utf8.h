#pragma once
// The program keeps its strings in UTF-8 and calls the wide ("W") functions of Windows: these
// convert at that edge. UTF-8 never holds a backslash or any other ASCII byte inside a character,
// so paths are cut and joined as plain bytes.

#include <windows.h>

#include <string>

std::wstring Widen(const std::string& utf8);
std::string Utf8(const std::wstring& text);
std::string Utf8(const wchar_t* text);

// Text in the system's ANSI code page (a licence saved so) as UTF-8.
std::string AnsiToUtf8(const std::string& ansi);
