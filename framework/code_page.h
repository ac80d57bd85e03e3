#pragma once
// Conversions between UTF-16 and the system's ANSI code page, in which the program's narrow calls
// take every string.

#include <windows.h>

#include <string>

// The text in the ANSI code page; false when a character of it has no spelling there (no
// best-fit look-alike is taken for it: a path spelt so would name another file).
bool WideToAnsiLossless(const std::wstring& text, std::string& ansi);

// The text in the ANSI code page, a character it lacks shown as the system's replacement.
std::string WideToAnsi(const std::wstring& text);

std::wstring AnsiToWide(const std::string& text);
