#pragma once
// The system's own words for an error code.

#include <windows.h>

#include <string>

// FormatMessage's text for `error` (UTF-8, in the user's language), without its line end; an insert in it ("Bad EXE format for
// %1.") names `subject`. "Error N." where the system has no text.
std::string SystemErrorText(DWORD error, const std::string& subject = std::string());
